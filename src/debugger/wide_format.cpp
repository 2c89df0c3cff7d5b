#include "debugger/wide_format.h"

namespace tarvo::debugger {

std::string WidenIntegerConversions(std::string_view format) {
    std::string out;
    out.reserve(format.size() + 8);
    std::size_t i = 0;
    while (i < format.size()) {
        char c = format[i++];
        out += c;
        if (c != '%') continue;
        // Flags, width and precision pass through; a length already given is the caller's.
        while (i < format.size() && std::string_view("-+ #0123456789.*").find(format[i]) != std::string_view::npos)
            out += format[i++];
        if (i < format.size() && std::string_view("diuxXo").find(format[i]) != std::string_view::npos) out += "ll";
        if (i < format.size()) out += format[i++];  // the conversion itself, "%" included
    }
    return out;
}

}  // namespace tarvo::debugger
