// Shared set-up of the editor tests: a fresh editor, settings, clipboard, file layer and
// scripted message boxes per test, and a temporary directory of real files.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "editor/cursor.h"
#include "editor/document.h"
#include "editor/document_io.h"
#include "editor/selection.h"
#include "editor/typing.h"
#include "editor/undo.h"
#include "platform/clipboard.h"
#include "platform/files.h"
#include "scripted_ui.h"
#include "base/settings.h"

namespace tarvo::editor::test {

struct TempDir {
    std::string path;
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvo-editor-XXXXXX").string();
        path = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Lines "<prefix>1" to "<prefix>n", each ended by LF.
inline std::string NumberedLines(int n, const std::string& prefix = "") {
    std::string text;
    for (int i = 1; i <= n; ++i) text += prefix + std::to_string(i) + "\n";
    return text;
}

// Types into the current view as the keyboard does: LF is Enter.
inline void Type(const std::string& text) {
    for (char c : text) HandleCharacter(CurrentView()->window, static_cast<unsigned char>(c == '\n' ? '\r' : c), 1, false);
}

inline void Select(Position from, Position to) {
    SetCursor(from);
    StartSelection();
    SetCursor(to);
}

// The document's lines joined by LF.
inline std::string TextOf(const Document& doc) {
    std::string text;
    for (Line* l = doc.lines->next; l != doc.lines; l = l->next) {
        if (l != doc.lines->next) text += '\n';
        text += LineText(*l);
    }
    return text;
}

// Where the cursor stands, "line:column", after an operation that worked; "failed" after one
// that did not.
inline std::string CursorAfter(bool done) {
    if (!done) return "failed";
    Position at = CursorPosition();
    return std::to_string(at.line) + ":" + std::to_string(at.column);
}

// Undo (Redo) works and leaves this text.
inline ::testing::AssertionResult Gives(bool done, const Document& doc, const std::string& text) {
    if (!done) return ::testing::AssertionFailure() << "nothing done";
    if (TextOf(doc) != text) return ::testing::AssertionFailure() << "the text is \"" << TextOf(doc) << '"';
    return ::testing::AssertionSuccess();
}
inline ::testing::AssertionResult UndoGives(const Document& doc, const std::string& text) { return Gives(Undo(), doc, text); }
inline ::testing::AssertionResult RedoGives(const Document& doc, const std::string& text) { return Gives(Redo(), doc, text); }

class EditorTest : public ::testing::Test {
protected:
    tarvo::test::ScopedScriptedUi scripted;
    TempDir dir;

    void SetUp() override {
        base::ResetSettings();
        base::settings().editorFlags = 0;  // tests switch on what they need
        base::settings().tabSize = 4;
        platform::resetFileOps();
        platform::resetClipboard();
        editor().seam = {};
        ResetEditor();
    }
    void TearDown() override {
        platform::resetFileOps();
        editor().seam = {};
        ResetEditor();
    }

    // A document loaded from a file holding `bytes`, shown in a view of window 1, current.
    Document& Open(const std::string& bytes, const std::string& name = "a.c", std::uintptr_t window = 1) {
        WriteBytes(dir / name, bytes);
        Document* doc = OpenDocument(dir / name);
        EXPECT_NE(doc, nullptr);
        SetCurrentView(AddView(doc, window));
        return *doc;
    }

    std::string Boxes() const { return tarvo::test::BoxTexts(scripted.ui); }
};

}  // namespace tarvo::editor::test
