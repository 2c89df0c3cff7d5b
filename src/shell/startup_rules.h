// The shell's decisions that need no window: where the frame goes, its title, PATH, the Help
// menu's documentation, context help, the shared command area's function stubs, menu status
// help and which saved documents are reopened.
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/settings.h"

namespace tarvo::shell {

// Message id of the program's title.
inline constexpr unsigned kTextProgramTitle = 3951;  // "tarvo"

// The frame's saved position, or the system's default (CW_USEDEFAULT for all four) when the
// size is unusable or another instance runs (it must not cover the first one's frame).
struct FramePlacement {
    bool systemDefault = false;
    long x = 0, y = 0, width = 0, height = 0;
};
FramePlacement ChooseFramePlacement(long x, long y, long width, long height,
                                    bool anotherInstance);

// "tarvo", or "tarvo-<project>" with the project's name without directory and extension, cut
// to 14 characters.
inline constexpr std::size_t kTitleProjectLength = 14;
std::string FrameTitle(const std::string& project);

// The new PATH with the root's bin directory in front, or nothing when PATH already contains
// the root (anywhere, even inside a longer directory).
std::optional<std::string> PreparedPath(const std::string& path, const std::string& root);

// Help menu documentation items, each with a command id of its own.
struct DocumentationItem {
    int command;
    const char* label;
    const char* file;  // null: the Win32 help file setting
};
extern const DocumentationItem kDocumentationItems[7];

// Where a documentation name lives: a name with a backslash as it is, a name with a dot in the
// root's doc directory, any other there with ".doc" added.
std::string DocumentationPath(const std::string& root, const std::string& name);

struct HelpMenuItem {
    int command;
    std::string label;
    std::string path;
};
using FileExistsFn = std::function<bool(const std::string& path)>;
// The items whose file exists, in menu order.
std::vector<HelpMenuItem> HelpMenuItems(const std::string& root, const std::string& winHelpFile,
                                        const FileExistsFn& exists);
// The file of a documentation command, or empty when the id is not one.
std::string DocumentationFileFor(int command, const std::string& root,
                                 const std::string& winHelpFile);

// Context help for a word: tarvo.hlp when the word occurs in the index file's text, else the
// Win32 help file (to be asked for when the setting is empty). Nothing for an empty word.
std::string HelpIndexPath(const std::string& root);  // "%s\lib\stdlib.idx"
struct ContextHelp {
    enum Kind { None, TarvoHelp, Win32Help } kind = None;
    std::string file;
    bool askForFile = false;
};
ContextHelp ChooseContextHelp(std::string_view word, std::string_view indexText,
                              const std::string& root, const std::string& winHelpFile);

// The shared command area's text: up to its first zero byte, never beyond the mapped size.
std::string SharedAreaText(const char* area, std::size_t size);

// Command 3502: the declaration is the text up to the first ";" (line breaks kept as separate
// lines, surrounding blanks dropped); the function's name is the identifier just before the
// first "(". The stub is the declaration followed by "{" and "}". False (nothing to do) when the
// text has no such identifier.
struct FunctionStub {
    std::string name;
    std::vector<std::string> lines;
};
bool ParseFunctionStub(std::string_view text, FunctionStub& stub);

// Status help for a highlighted menu item: "Execute %s %s." (program, arguments) for a utility,
// else the command's help text with a period.
std::string MenuStatusHelp(int command, const std::vector<base::Utility>& utilities);
// What the output bar shows for a highlighted menu item: nothing for pop-up titles, greyed
// items and separators (not selectable), nor while no document is open.
std::string MenuItemStatus(int command, bool selectable, bool documentOpen,
                           const std::vector<base::Utility>& utilities);

// A saved document to reopen, with its window.
struct ReopenWindow {
    std::string name;
    long line = 0;
    base::Rect rect;  // in the MDI client
    bool iconic = false;
    bool maximised = false;
};
// A window's rectangle as the session stores it: a negative left marks an iconic window, a
// negative right the maximised one (a zero coordinate becomes -1 so that the mark shows).
base::Rect StoredWindowRect(base::Rect normal, bool iconic, bool maximised);
// Reading them back: the marks, and the absolute values as the rectangle.
// The document active at the last exit is forgotten when it could not be reopened.
void ForgetUnopened(const std::vector<std::string>& failed, std::string& currentFile);
// Skips "untitled" and empty names, and, when a required directory is given, names that do not
// lie in it (compared without case, at a directory boundary).
std::vector<ReopenWindow> FilesToReopen(const std::vector<base::OpenFile>& saved,
                                        const std::string& requiredDirectory);

}  // namespace tarvo::shell
