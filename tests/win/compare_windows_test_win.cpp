// The comparison windows as a user meets them: the Diff/Merge dialog opening the viewer with its
// title, position and button states; the merge window's Right >> and << Left writing the merged
// file; identical files; a patch script written from the dialog and applied by its command; a
// report appended to; two directories compared.
#include <windows.h>

#include <gtest/gtest.h>

#include "analysis/compare.h"
#include "analysis/compare_viewer_win.h"
#include "base/command_ids.h"
#include "program_win.h"
#include "resource_ids.h"

namespace tarvo::test {
namespace {

// Three changes: a line replaced, a line added, a line removed.
const char* kFirst = "int a;\r\nint b;\r\nint c;\r\nint d;\r\nint e;\r\nint f;\r\n";
const char* kSecond = "int a;\r\nint B;\r\nint c;\r\nint d2;\r\nint d;\r\nint e;\r\n";

class CompareWindows : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        WriteTextFile(dir + "\\a.c", kFirst);
        WriteTextFile(dir + "\\b.c", kSecond);
    }
    void TearDown() override {
        while (HWND w = FindWindowA(analysis::kComparisonClass, nullptr)) DestroyWindow(w);
        ProgramTest::TearDown();
    }
    struct Options {
        bool merge = false, patch = false, toFile = false;
        std::string output;
    };
    // The Diff/Merge dialog given two names and the options, then OK.
    void DiffMerge(const std::string& first, const std::string& second, const Options& o) {
        AnswerDialogs({[=](HWND d) {
            EXPECT_EQ(Text(d), "Diff/Merge");
            SetDlgItemTextA(d, IDC_DIFF_FIRST, first.c_str());
            SetDlgItemTextA(d, IDC_DIFF_SECOND, second.c_str());
            CheckDlgButton(d, IDC_DIFF_MERGE, o.merge ? BST_CHECKED : BST_UNCHECKED);
            CheckDlgButton(d, IDC_DIFF_PATCH, o.patch ? BST_CHECKED : BST_UNCHECKED);
            CheckDlgButton(d, IDC_DIFF_TO_FILE, o.toFile ? BST_CHECKED : BST_UNCHECKED);
            SetDlgItemTextA(d, IDC_DIFF_OUTPUT, o.output.c_str());
            Press(d, IDOK);
        }});
        Command(CMD_DIFF_MERGE);
    }
    static HWND Viewer() { return FindWindowA(analysis::kComparisonClass, nullptr); }
    static std::string Item(HWND w, int id) { return Text(GetDlgItem(w, id)); }
    static std::vector<std::string> Rows(HWND list) {
        std::vector<std::string> rows;
        for (LRESULT i = 0, n = SendMessageA(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
            char row[MAX_PATH] = "";
            SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(row));
            rows.push_back(row);
        }
        return rows;
    }
    static bool Enabled(HWND w, int id) { return IsWindowEnabled(GetDlgItem(w, id)) != FALSE; }
    static void Click(HWND w, int id) { SendMessageA(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void Picture(HWND w, const std::string& name) {
        SetForegroundWindow(w);
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ULONGLONG start = GetTickCount64();
        WaitUntil([start] { return GetTickCount64() - start > 200; });
        Screenshot(dir + "\\" + name);
    }
};

// The merge of the same blocks done line by line here: each change gives its first-text lines,
// or its second-text lines when taken.
std::string MergeByHand(const std::string& a, const std::string& b, const std::vector<bool>& taken) {
    analysis::TextLines la = analysis::SplitLines(a), lb = analysis::SplitLines(b);
    std::vector<analysis::Change> changes = analysis::CompareLines(la, lb);
    std::string out;
    long at = 0;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const analysis::Change& c = changes[i];
        for (; at < c.first; ++at) out += la[static_cast<std::size_t>(at)];
        if (taken[i]) {
            for (long n = 0; n < c.inserted; ++n) out += lb[static_cast<std::size_t>(c.second + n)];
            at += c.deleted;
        }
    }
    for (; at < static_cast<long>(la.size()); ++at) out += la[static_cast<std::size_t>(at)];
    std::string crlf;
    for (char ch : out) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    return crlf;
}

std::string Lf(const std::string& crlf) {
    std::string out;
    for (char c : crlf)
        if (c != '\r') out += c;
    return out;
}

TEST_F(CompareWindows, TheViewerShowsItsTitlePositionAndButtonStates) {
    DiffMerge(dir + "\\A.C", dir + "\\b.c", {});
    HWND w = Viewer();
    ASSERT_TRUE(w);
    EXPECT_EQ(Text(w), "a.c vs b.c");
    EXPECT_EQ(Item(w, IDC_CMP_POSITION), "Diff. 1 de 3");
    EXPECT_EQ(Item(w, IDC_CMP_PREVIOUS), "<<");
    EXPECT_FALSE(Enabled(w, IDC_CMP_PREVIOUS));
    EXPECT_TRUE(Enabled(w, IDC_CMP_NEXT));
    EXPECT_EQ(Item(w, IDC_CMP_FIRST_CAPTION), "Erase 1 lines beginning with line 2");
    EXPECT_EQ(Item(w, IDC_CMP_SECOND_CAPTION), "Add 1 lines beginning with line 2");
    Picture(w, "viewer.bmp");
    Click(w, IDC_CMP_NEXT);
    EXPECT_EQ(Item(w, IDC_CMP_POSITION), "Diff. 2 de 3");
    EXPECT_EQ(Item(w, IDC_CMP_FIRST_CAPTION), "No text");
    EXPECT_TRUE(Enabled(w, IDC_CMP_PREVIOUS) && Enabled(w, IDC_CMP_NEXT));
    Click(w, IDC_CMP_NEXT);
    EXPECT_EQ(Item(w, IDC_CMP_POSITION), "Diff. 3 de 3");
    EXPECT_EQ(Item(w, IDC_CMP_SECOND_CAPTION), "No text");
    EXPECT_TRUE(Enabled(w, IDC_CMP_PREVIOUS));
    EXPECT_FALSE(Enabled(w, IDC_CMP_NEXT));
    Click(w, IDC_CMP_NEXT);  // at the end: nothing moves
    EXPECT_EQ(Item(w, IDC_CMP_POSITION), "Diff. 3 de 3");
    DestroyWindow(w);

    // The version store's entry: names of its own in the title.
    ASSERT_TRUE(analysis::ShowComparison(dir + "\\a.c", dir + "\\b.c", "A.c 1.2", "a.c"));
    ASSERT_TRUE(Viewer());
    EXPECT_EQ(Text(Viewer()), "a.c 1.2 vs a.c");
    DestroyWindow(Viewer());
    // A file that is not there: said, and no window.
    EXPECT_FALSE(analysis::ShowComparison(dir + "\\none.c", dir + "\\b.c", "none.c", "b.c"));
    EXPECT_FALSE(Viewer());
    EXPECT_EQ(BoxTexts().size(), 1u);
}

TEST_F(CompareWindows, IdenticalFilesOpenNoWindow) {
    WriteTextFile(dir + "\\same.c", kFirst);
    DiffMerge(dir + "\\a.c", dir + "\\same.c", {});
    EXPECT_FALSE(Viewer());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Files identical"});
}

TEST_F(CompareWindows, RightAndLeftWriteTheMergedFile) {
    std::string out = dir + "\\merged.c";
    WriteTextFile(out, "an older merge\r\n");
    DiffMerge(dir + "\\a.c", dir + "\\b.c", {true, false, false, out});
    HWND w = Viewer();
    ASSERT_TRUE(w);
    EXPECT_EQ(Text(w), "Merge of a.c and b.c");
    EXPECT_EQ(Item(w, IDC_CMP_RIGHT), "Right >>");
    EXPECT_EQ(Item(w, IDC_CMP_LEFT), "<< Left");
    Click(w, IDC_CMP_RIGHT);
    EXPECT_EQ(Item(w, IDC_CMP_POSITION), "Diff. 2 de 3");
    Picture(w, "merge.bmp");
    Click(w, IDC_CMP_LEFT);
    EXPECT_EQ(ReadTextFile(out), "an older merge\r\n");  // nothing written before the last choice
    Click(w, IDC_CMP_RIGHT);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(ReadTextFile(out), MergeByHand(Lf(kFirst), Lf(kSecond), {true, false, true}));
    EXPECT_EQ(Status(), "Merge finished");
    EXPECT_TRUE(BoxTexts().empty());

    // Every change taken: a copy of the second file, after the question.
    std::string copy = dir + "\\copy.c";
    shown->answers = {IDYES};
    DiffMerge(dir + "\\a.c", dir + "\\b.c", {true, false, false, copy});
    for (int i = 0; i < 3; ++i) Click(Viewer(), IDC_CMP_RIGHT);
    EXPECT_EQ(ReadTextFile(copy), kSecond);
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0], "No text from file a.c was used,\nthe new file would be a copy of b.c\n\ncopy anyway?");
    // None taken, and No: the output stays as it was.
    shown->answers = {IDNO};
    WriteTextFile(dir + "\\kept.c", "kept\r\n");
    DiffMerge(dir + "\\a.c", dir + "\\b.c", {true, false, false, dir + "\\kept.c"});
    for (int i = 0; i < 3; ++i) Click(Viewer(), IDC_CMP_LEFT);
    EXPECT_EQ(ReadTextFile(dir + "\\kept.c"), "kept\r\n");
    EXPECT_FALSE(Viewer());
}

TEST_F(CompareWindows, APatchFromTheDialogAppliedGivesTheSecondFile) {
    DiffMerge(dir + "\\a.c", dir + "\\b.c", {false, true, false, dir + "\\ab.pat"});
    ASSERT_EQ(GetFileAttributesA((dir + "\\ab.pat").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    AnswerDialogs({[this](HWND d) {
        SetDlgItemTextA(d, IDC_PATCH_FILE, (dir + "\\ab.pat").c_str());
        SetDlgItemTextA(d, IDC_PATCH_SOURCE, (dir + "\\a.c").c_str());
        SetDlgItemTextA(d, IDC_PATCH_RESULT, (dir + "\\r.c").c_str());
        Press(d, IDOK);
    }});
    Command(CMD_APPLY_PATCH);
    EXPECT_EQ(ReadTextFile(dir + "\\r.c"), kSecond);
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(CompareWindows, AReportIsAppendedAfterItsDashes) {
    std::string report = dir + "\\diff.txt";
    DiffMerge(dir + "\\a.c", dir + "\\b.c", {false, false, true, report});
    DiffMerge(dir + "\\b.c", dir + "\\a.c", {false, false, true, report});
    std::string text = ReadTextFile(report);
    EXPECT_EQ(text.rfind("Tarvo-Diff a.c vs b.c: 3 changes. ", 0), 0u) << text;
    std::size_t dashes = text.find("\n" + std::string(75, '-') + "\nTarvo-Diff b.c vs a.c: 3 changes. ");
    EXPECT_NE(dashes, std::string::npos) << text;
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(CompareWindows, TwoDirectoriesAreListedSideBySide) {
    CreateDirectoryA((dir + "\\one").c_str(), nullptr);
    CreateDirectoryA((dir + "\\two").c_str(), nullptr);
    WriteTextFile(dir + "\\one\\x.c", kFirst);
    WriteTextFile(dir + "\\two\\X.C", kSecond);
    WriteTextFile(dir + "\\one\\only.c", "");
    WriteTextFile(dir + "\\two\\new.c", "");
    WriteTextFile(dir + "\\two\\skip.h", "");
    AnswerDialogs({[this](HWND d) {
                       SetDlgItemTextA(d, IDC_DIFF_FIRST, (dir + "\\one\\*.c").c_str());
                       SetDlgItemTextA(d, IDC_DIFF_SECOND, (dir + "\\two\\*.c").c_str());
                       Press(d, IDOK);
                   },
                   [this](HWND d) {
                       EXPECT_EQ(Text(d), "Differences between two directories");
                       EXPECT_EQ(Rows(GetDlgItem(d, IDC_DIR_ABSENT_FIRST)), std::vector<std::string>{"only.c"});
                       EXPECT_EQ(Rows(GetDlgItem(d, IDC_DIR_ABSENT_SECOND)), std::vector<std::string>{"new.c"});
                       EXPECT_EQ(Rows(GetDlgItem(d, IDC_DIR_BOTH)), std::vector<std::string>{"x.c"});
                       Press(d, IDC_DIR_DETAILS);
                   }});
    Command(CMD_DIFF_MERGE);
    ASSERT_TRUE(Viewer());
    EXPECT_EQ(Text(Viewer()), "x.c vs x.c");
    // A file and a directory are refused, naming both; the dialog stays for a correction.
    AnswerDialogs({[this](HWND d) {
        SetDlgItemTextA(d, IDC_DIFF_FIRST, (dir + "\\one\\*.c").c_str());
        SetDlgItemTextA(d, IDC_DIFF_SECOND, (dir + "\\a.c").c_str());
        Press(d, IDOK);
        EXPECT_TRUE(IsWindow(d));
        Press(d, IDCANCEL);
    }});
    Command(CMD_DIFF_MERGE);
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0], dir + "\\one is a directory, but " + dir + "\\a.c is not");
}

}  // namespace
}  // namespace tarvo::test
