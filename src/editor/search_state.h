// The search state: search and replacement texts, the find flags kept in the settings, the
// compiled regular expression, the search start mark and the last match, and the seam through
// which the replace dialog answers the confirmation question.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "editor/document.h"
#include "editor/regex.h"

namespace tarvo::editor {

// Find flags ("FindFlags" in the settings).
inline constexpr std::uint16_t kFindCurrentWindow = 0x0001;
inline constexpr std::uint16_t kFindAllWindows = 0x0002;
inline constexpr std::uint16_t kFindRegex = 0x0004;
inline constexpr std::uint16_t kFindPlain = 0x0008;
inline constexpr std::uint16_t kFindIgnoreCase = 0x0010;
inline constexpr std::uint16_t kFindForwards = 0x0020;
inline constexpr std::uint16_t kFindBackwards = 0x0040;
inline constexpr std::uint16_t kFindWrap = 0x0080;
inline constexpr std::uint16_t kFindConfirm = 0x0100;
inline constexpr std::uint16_t kFindWholeWords = 0x0200;
inline constexpr std::uint16_t kFindSkipMinimised = 0x0400;
inline constexpr std::uint16_t kFindInBlock = 0x0800;  // set by neither dialog
// The reset value: current window, plain text, forwards, confirm.
inline constexpr std::uint16_t kFindFlagsReset = 297;

enum class ReplaceAnswer { Yes, No, All, Cancel };

// Filled by the dialogs and the frame; every member may be null.
struct SearchUi {
    // Asked for each match (selected in the view) while confirming: replace it?
    ReplaceAnswer (*confirmReplace)(View& view);
    // Minimised windows are skipped by a search of all windows with kFindSkipMinimised.
    bool (*isMinimised)(const View& view);
};

// Where a search began (the hidden bookmark of kind 15).
struct SearchStartMark {
    std::uintptr_t window = 0;  // 0: no mark
    Document* document = nullptr;
    Line* line = nullptr;
    long column = 0;
};

struct LastMatch {
    Document* document = nullptr;  // null: none
    Line* line = nullptr;
    long column = 0;
    long length = 0;
};

struct SearchState {
    std::string text;         // the search text
    std::string reversed;     // the search text backwards
    std::string replacement;
    std::uint16_t flags = 0;
    std::unique_ptr<Regex> regex;  // compiled from regex->source
    SearchStartMark mark;
    LastMatch last;
    SearchUi ui{};
};

SearchState& searchState();
// The reset command: flags 297 and empty texts; the seam stays.
void ResetSearchState();

// The flags to and from the settings record ("FindFlags").
void SaveFindFlags();
void LoadFindFlags();

void SetSearchText(std::string_view text);
// The compiled search text; compiles it when it changed. On failure (after the message) the
// search text is emptied and the start mark removed, and null is returned.
const Regex* SearchRegex();

// The mark and the last match move off a line being deleted and are forgotten with a closing
// document; the editor listens with it from the start.
extern const DocumentListener kSearchListener;

}  // namespace tarvo::editor
