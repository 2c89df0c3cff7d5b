#include "platform/files.h"

#include <sys/stat.h>

namespace tarvo::platform {

std::string HostPath(const std::string& path) {
#ifdef _WIN32
    return path;
#else
    std::string host = path;
    for (char& c : host)
        if (c == '\\') c = '/';
    return host;
#endif
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return stat(HostPath(path).c_str(), &info) == 0 && !(info.st_mode & S_IFDIR);
}

}  // namespace tarvo::platform
