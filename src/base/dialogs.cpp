#include "base/dialogs.h"

#include "base/messages.h"

namespace tarvo::base {
namespace {

constexpr unsigned kMsgFileTypes = 4816;  // "C sources (*.c;*.h)|*.c;*.h|All files (*.*)|*.*"

}  // namespace

std::string FileDialogFilter(unsigned typesId) {
    std::string filter = GetString(typesId ? typesId : kMsgFileTypes);
    for (char& c : filter)
        if (c == '|') c = '\0';
    filter.append(2, '\0');
    return filter;
}

std::vector<std::string> SelectedFiles(const std::string& buffer) {
    std::vector<std::string> parts;
    for (std::size_t at = 0; at < buffer.size() && buffer[at] != '\0';) {
        std::size_t end = buffer.find('\0', at);
        if (end == std::string::npos) end = buffer.size();
        parts.push_back(buffer.substr(at, end - at));
        at = end + 1;
    }
    if (parts.size() <= 1) return parts;
    std::string folder = parts.front();
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    std::vector<std::string> files;
    for (std::size_t i = 1; i < parts.size(); ++i) files.push_back(folder + parts[i]);
    return files;
}

}  // namespace tarvo::base
