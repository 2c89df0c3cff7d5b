// Documents (open files held as rings of lines) and views (an editor window's cursor,
// selection and scroll position on a document), the document and view lists, and the
// current document and view on which every editing operation works.
#pragma once
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/line.h"
#include "platform/files.h"

namespace tarvo::editor {

// Records owned by other parts of the editor; a document only points at them.
struct Language;      // language definition chosen from the file's extension
struct FunctionList;  // the document's functions
struct CommentMap;    // comment and conditional regions

// Document flags.
inline constexpr std::uint16_t kModified = 0x0002;
inline constexpr std::uint16_t kLoadIncomplete = 0x0004;
inline constexpr std::uint16_t kInternalBuffer = 0x0008;
inline constexpr std::uint16_t kFunctionsCurrent = 0x0080;
inline constexpr std::uint16_t kCommentMapCurrent = 0x0100;
inline constexpr std::uint16_t kHasCmsIdLine = 0x0200;
inline constexpr std::uint16_t kCLanguage = 0x0400;
inline constexpr std::uint16_t kAutoSaved = 0x2000;
inline constexpr std::uint16_t kReadOnly = 0x4000;

inline constexpr const char* kUntitled = "untitled";

struct Document {
    LinePool pool;                                // owns every Line of the ring
    std::vector<platform::FileContent> blocks;    // text of loaded lines
    Line* lines = nullptr;                        // the sentinel of the ring
    Line* savedCursorLine = nullptr;  // cursor of the last view that lost the focus
    Line* savedAnchorLine = nullptr;  // null: no selection
    long savedCursorColumn = 0;
    long savedAnchorColumn = 0;
    bool permanent = false;  // the internal buffer, never closed
    std::uint16_t flags = 0;
    std::string name;  // full path, or "untitled"; the list key
    long lineCount = 0;
    std::shared_ptr<FunctionList> functions;
    std::shared_ptr<CommentMap> comments;
    // A line's comment state (Line::comments) is known when it carries this generation;
    // forgetting every line's state takes the next one (comments.cpp).
    std::uint8_t commentGeneration = 1;
    const Language* language = nullptr;
    std::int64_t fileTime = 0;  // the file's modification time at the last load or save

    Document();
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
};

// View repaint requests.
inline constexpr unsigned kRedrawCursor = 0x02;
inline constexpr unsigned kRedrawLine = 0x04;
inline constexpr unsigned kRedrawAll = 0x08;
inline constexpr unsigned kRedrawOvertype = 0x20;
inline constexpr unsigned kRedrawScrollDown = 0x100;
inline constexpr unsigned kRedrawScrollUp = 0x200;

inline constexpr int kDefaultRows = 25;

struct View {
    std::uintptr_t window = 0;  // the editor window showing this view (a window handle)
    Document* document = nullptr;
    Line* topLine = nullptr;
    Line* cursorLine = nullptr;  // may be the sentinel: after the last line
    Line* anchorLine = nullptr;  // null: nothing selected
    long leftColumn = 0;         // first display column shown
    int cursorRow = 0;           // screen row of the cursor
    long goalColumn = 0;         // display column kept for vertical moves
    long cursorColumn = 0;       // character index in cursorLine
    long anchorColumn = 0;
    int rows = kDefaultRows;
    int pending = 0;       // pending single-line repaints
    unsigned redraw = 0;   // repaint requests (kRedraw...)
    bool overtype = false;  // shown by the caret shape; kRedrawOvertype asks for that
    void (*paint)(View& view, int reason) = nullptr;
    void* regions = nullptr;  // comment regions above topLine, kept by the display
};

// Document change notices, for the modules that keep their own references to lines (comment
// maps, function lists, bookmarks, the search mark, the editor windows; later breakpoints, build
// error marks and the version store). Every member may be null.
struct DocumentListener {
    // A line is about to be freed; what was on it moves to `heir` (the sentinel at the end),
    // columns shifted by `columnShift`.
    void (*lineDeleted)(Document& doc, Line* line, Line* heir, long columnShift) = nullptr;
    // `lower` was made from `upper`'s characters from `column` on.
    void (*lineSplit)(Document& doc, Line* upper, Line* lower, long column) = nullptr;
    // `count` lines were inserted after `after` (which may be the sentinel).
    void (*linesInserted)(Document& doc, Line* after, long count) = nullptr;
    // Characters were inserted (delta > 0) or removed (delta < 0) at `column`.
    void (*lineEdited)(Document& doc, Line* line, long column, long delta) = nullptr;
    // The whole text was replaced (load, reload): every line held elsewhere is gone.
    void (*textReplaced)(Document& doc) = nullptr;
    // The document is being closed.
    void (*documentClosing)(Document& doc) = nullptr;
    // The document now has another name (Save as, Rename).
    void (*documentRenamed)(Document& doc, const std::string& oldName) = nullptr;
    // The text was changed by an edit (every change marks the document modified).
    void (*textChanged)(Document& doc) = nullptr;
};

// Joins the list of listeners with a record that lives as long as the program; joining again
// changes nothing. Notices go to the listeners in the order they joined. ResetEditor leaves
// only the editor's own listeners on the list.
void Listen(const DocumentListener& listener);

void NotifyLineDeleted(Document& doc, Line* line, Line* heir, long columnShift);
void NotifyLineSplit(Document& doc, Line* upper, Line* lower, long column);
void NotifyLinesInserted(Document& doc, Line* after, long count);
void NotifyLineEdited(Document& doc, Line* line, long column, long delta);
void NotifyTextReplaced(Document& doc);
void NotifyDocumentClosing(Document& doc);
void NotifyDocumentRenamed(Document& doc, const std::string& oldName);
void NotifyTextChanged(Document& doc);

// What the editor core needs from the window side and the world. The program installs the
// Win32 implementation; tests leave the defaults or script them. A null member does nothing.
struct EditorSeam {
    // Bring a view's window to the front (the core has already made it current).
    void (*activateView)(View& view) = nullptr;
    // Wait cursor on and off around long operations.
    void (*busy)(bool on) = nullptr;
    // The restore dialog: shows the autosaved files found ("name time" each) and the folders
    // they were found in; true for OK.
    bool (*chooseRestore)(const std::vector<std::string>& entries, const std::string& folders) = nullptr;
    // The user's own folder for files the compiler root cannot take (null: none).
    std::string (*userDataFolder)() = nullptr;
    // The local time for date stamps (null: the system clock).
    bool (*localTime)(std::tm& now) = nullptr;
    // The check of the text before saving; false with a message describing the problem.
    bool (*checkBeforeSave)(Document& doc, std::string& problem) = nullptr;
    // The language for a file name; sets isC for the C language (null: chosen by extension).
    const Language* (*chooseLanguage)(const std::string& name, bool& isC) = nullptr;
    // True while a debugging run is active: the debugger's keys come first then.
    bool (*debugging)() = nullptr;
};

struct LineNumberCache {
    const Document* document = nullptr;
    Line* line = nullptr;
    long number = 0;
};

struct ActionLog;
struct AutosaveState;

// The program-wide state of the editor.
struct EditorState {
    std::vector<std::unique_ptr<Document>> documents;  // sorted by name, ignoring case
    std::vector<std::unique_ptr<View>> views;          // in creation order
    Document* current = nullptr;
    View* currentView = nullptr;
    LineNumberCache numbers;
    std::string cutBuffer;  // line breaks stored as LF
    std::unique_ptr<ActionLog> log;
    std::unique_ptr<AutosaveState> autosave;
    std::vector<const DocumentListener*> listeners;
    EditorSeam seam;
    EditorState();
    ~EditorState();
};

EditorState& editor();
// Starts the editor again: frees every document and view, empties the cut buffer, the action
// log, the autosave record, the search state, the screens, the bookmarks and the languages,
// leaves only the editor's own listeners and makes a new internal buffer. The seam is kept.
void ResetEditor();

// Case-insensitive comparison of document names.
int CompareNames(std::string_view a, std::string_view b);

// The document of that name (ignoring case); with create, a new empty one inserted in order.
Document* FindDocument(const std::string& name, bool create);
// Frees a document; refused (false) for the internal buffer. Views still on it go too.
bool CloseDocument(Document* doc);
// True when no document but `self` (null: none) has the name; false with "Name already used".
bool NameIsFree(const std::string& name, const Document* self);
// False with "Name already used" when another document has the name.
bool RenameCurrentDocument(const std::string& name);
// The document list is kept sorted; call after a name changed.
void SortDocuments();

// A new view of a document, appended to the view list, on the document's saved cursor.
View* AddView(Document* doc, std::uintptr_t window);
// Forgets the view and the undo records of its window.
void RemoveView(View* view);
View* FindView(std::uintptr_t window);
// Makes the view current; the outgoing view's cursor and selection go into its document.
void SetCurrentView(View* view);
// Makes a view current and asks the window side to bring it to the front.
void ActivateView(View* view);
View* CurrentView();
Document* CurrentDocument();

// Line numbers are 1-based positions; the sentinel's number is lineCount + 1.
long LineIndex(const Document& doc, Line* line);
Line* LineAtNumber(const Document& doc, long number);  // null past the end
long CursorLineNumber();
// Text of line n of the current document; empty past the end.
std::string TextOfLine(long number);
struct TextCount {
    long lines = 0;
    long long characters = 0;  // without line ends
};
TextCount CountLinesAndCharacters(const Document& doc);

// Marks every view of the document for repaint.
void RequestRedraw(Document& doc, unsigned request);
void ClearLineNumberCache();
// After a change to the ring: keeps the cache when it holds `kept`, whose number did not change.
void RingChanged(const Document& doc, Line* kept);

}  // namespace tarvo::editor
