#include "eiffel_core.h"

#include "standin_core.h"

namespace tarvo::testbed {

CompileCommand ParseCompileArguments(const std::vector<std::string>& arguments) {
    CompileCommand c;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "-o") {
            if (i + 1 >= arguments.size()) {
                c.problem = "-o needs a file name";
                return c;
            }
            c.output = arguments[++i];
        } else if (!a.empty() && a[0] != '-') {
            c.rootClass = a;
        }
    }
    if (c.rootClass.empty()) c.problem = "no root class given";
    else if (c.output.empty()) c.output = Lower(c.rootClass) + ".exe";
    return c;
}

std::string RootClassFile(const std::string& rootClass) { return Lower(rootClass) + ".e"; }

std::string PlantedError(const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = Trim(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (!line.empty() && line.back() == '\r') line = Trim(line.substr(0, line.size() - 1));
        if (!line.empty()) return line.rfind("--error ", 0) == 0 ? Trim(line.substr(8)) : std::string();
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return {};
}

}  // namespace tarvo::testbed
