// Shared set-up of the editor tests: a fresh editor, settings, clipboard, file layer and
// scripted message boxes per test, and a temporary directory of real files.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "editor/document.h"
#include "editor/document_io.h"
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

// The document's lines joined by LF.
inline std::string TextOf(const Document& doc) {
    std::string text;
    for (Line* l = doc.lines->next; l != doc.lines; l = l->next) {
        if (l != doc.lines->next) text += '\n';
        text += LineText(*l);
    }
    return text;
}

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

    std::string Boxes() const {
        std::string all;
        for (const auto& box : scripted.ui.boxes) all += box.text + "|";
        return all;
    }
};

}  // namespace tarvo::editor::test
