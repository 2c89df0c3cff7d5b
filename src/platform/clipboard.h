// The seam to the system clipboard. The program installs the Win32 clipboard at start-up;
// until then, and in native tests, a clipboard inside the process stands in for it.
#pragma once
#include <string>

namespace tarvo::platform {

struct Clipboard {
    // The clipboard's text as it is stored there (CR LF line ends); false when it holds none.
    bool (*getText)(std::string& text);
    // Replaces the clipboard's content by the text; false when the clipboard is unavailable.
    bool (*setText)(const std::string& text);
};

const Clipboard& clipboard();
void setClipboard(const Clipboard& impl);
// Back to the in-process clipboard, emptied.
void resetClipboard();

}  // namespace tarvo::platform
