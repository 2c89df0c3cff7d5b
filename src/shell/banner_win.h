// The start-up banner: the program's icon, name and version in a small window of its own,
// shown while the start-up runs (a dialog built from a template cost several times as much).
#pragma once
#include <windows.h>

namespace tarvo::shell {

inline constexpr const char* kBannerClass = "TarvoBanner";

HWND ShowBanner();
void CloseBanner(HWND banner);

}  // namespace tarvo::shell
