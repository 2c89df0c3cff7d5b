// The file layer: the one place that touches the file system. Paths are Windows paths with
// backslashes; the native build reads a backslash as a slash so tests can use real files.
#pragma once
#include <string>

namespace tarvo::platform {

// The path as the host's file system wants it.
std::string HostPath(const std::string& path);

bool FileExists(const std::string& path);

}  // namespace tarvo::platform
