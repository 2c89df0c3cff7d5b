// The named shared command area "tarvo": other programs put a text there and then send the
// frame one of the commands 3501 to 3503.
#pragma once
#include <string>

namespace tarvo::shell {

inline constexpr unsigned kSharedAreaSize = 4096;
inline constexpr unsigned kSharedAreaMapped = 1024;

bool CreateSharedArea();
void CloseSharedArea();
// The text in the area (up to its first zero byte, at most the mapped size).
std::string SharedAreaText();

}  // namespace tarvo::shell
