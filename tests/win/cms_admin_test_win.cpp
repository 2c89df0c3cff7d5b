// Administration of the version store through its dialog: the repository file's header lines
// after each action, a deleted middle revision with the others checked out byte for byte, the
// all-revisions question answered No, and the history of a function chosen in the function list.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/command_ids.h"
#include "base/settings.h"
#include "cms/repository_store.h"
#include "program_win.h"
#include "resource_ids.h"

namespace tarvo::test {
namespace {

class CmsAdmin : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        UseDemoProjectWithStore();
        CreateDirectoryA((dir + "\\CMS").c_str(), nullptr);
    }
    std::string Cms() { return dir + "\\CMS\\a.c"; }
    // A repository of the texts as revisions 1.1, 1.2, ... one day apart.
    void Store(const std::vector<std::string>& texts) {
        cms::Repository repo;
        std::string message, parent;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            std::string number = "1." + std::to_string(i + 1);
            cms::NewRevision r{number, parent, "2024.3." + std::to_string(i + 1) + ".10.0.0", "carol", "Exp",
                               "log of " + number + "\n", texts[i]};
            ASSERT_TRUE(cms::AddRevision(repo, r, message)) << message;
            parent = number;
        }
        ASSERT_TRUE(cms::WriteRepositoryFile(Cms(), repo));
    }
    // The administration dialog: a check box set, with the text of the edit beside it.
    void Administer(int box, int edit, const std::string& text) {
        AnswerDialogs({[=](HWND d) {
            EXPECT_EQ(Text(d), "CMS administration");
            EXPECT_EQ(Text(GetDlgItem(d, IDC_CMS_FILE)), "");  // no current document
            SetDlgItemTextA(d, IDC_CMS_FILE, "a.c");
            CheckDlgButton(d, box, BST_CHECKED);
            if (edit) SetDlgItemTextA(d, edit, text.c_str());
            Press(d, IDOK);
        }});
        Command(CMD_CMS_ADMIN);
    }
    // The lines of the repository file up to its first empty line.
    std::string Header() {
        std::string bytes = ReadTextFile(Cms());
        return bytes.substr(0, bytes.find("\r\n\r\n"));
    }
    std::string Get(const std::string& revision) {
        AnswerDialogs({[this, revision](HWND d) {
            SetDlgItemTextA(d, IDC_CMS_FILE, "a.c");
            SetDlgItemTextA(d, IDC_CMS_REVISION, revision.c_str());
            SetDlgItemTextA(d, IDC_CMS_DESTINATION, (dir + "\\got.c").c_str());
            CheckDlgButton(d, IDC_CMS_OVERWRITE, BST_CHECKED);
            Press(d, IDOK);
        }});
        Command(CMD_CMS_GET);
        return ReadTextFile(dir + "\\got.c");
    }
};

const std::string kSignature = "This is a CMS file. Do NOT edit!\r\n";

TEST_F(CmsAdmin, TheHeaderLinesAfterEachAction) {
    Store({"one\n", "two\n", "three\n"});
    Administer(IDC_ADMIN_LOCK, 0, "");
    EXPECT_EQ(Header(), kSignature + "Head     1.3;\r\nBranch   ;\r\nAccess   ;\r\nRevNames  ;\r\nLocks    carol:1.3;\r\n"
                                     "CmsVersion 2;\r\nBinary 0;");
    std::vector<std::string> rows = ListedMessages();
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0].rfind("Command: 'admin a.c':---", 0), 0u) << rows[0];
    EXPECT_EQ(rows[1], "CMS file: " + Cms());
    EXPECT_EQ(rows[2], "1.3 locked");

    Administer(IDC_ADMIN_SET_SYMBOLS, IDC_ADMIN_SYMBOLS, "rel1:1.2 rel2:1.1");
    EXPECT_NE(Header().find("\r\nRevNames  rel2:1.1 rel1:1.2;\r\n"), std::string::npos) << Header();
    Administer(IDC_ADMIN_SET_BRANCH, IDC_ADMIN_BRANCH, "1.2");
    EXPECT_NE(Header().find("\r\nBranch   1.2;\r\n"), std::string::npos) << Header();
    Administer(IDC_ADMIN_SET_ACCESS, IDC_ADMIN_ACCESS, "carol dave carol");
    EXPECT_NE(Header().find("\r\nAccess   carol dave;\r\n"), std::string::npos) << Header();
    Administer(IDC_ADMIN_UNLOCK, IDC_ADMIN_REVISION, "1.3");
    EXPECT_NE(Header().find("\r\nLocks    ;\r\n"), std::string::npos) << Header();
    EXPECT_EQ(ListedMessages().back(), "1.3 unlocked");

    // A symbol bound already, without the replace switch: refused, the file as it was.
    std::string before = ReadTextFile(Cms());
    Administer(IDC_ADMIN_SET_SYMBOLS, IDC_ADMIN_SYMBOLS, "rel1:1.3");
    EXPECT_EQ(BoxTexts().back(), "symbolic name rel1 already bound to 1.2");
    EXPECT_EQ(ListedMessages().back(), "admin aborted; " + Cms() + " unchanged.");
    EXPECT_EQ(ReadTextFile(Cms()), before);
    // A change of another form keeps the dialog open for a correction.
    AnswerDialogs({[](HWND d) {
                       SetDlgItemTextA(d, IDC_CMS_FILE, "a.c");
                       CheckDlgButton(d, IDC_ADMIN_SET_SYMBOLS, BST_CHECKED);
                       SetDlgItemTextA(d, IDC_ADMIN_SYMBOLS, "rel1 1.3");
                       Press(d, IDOK);
                   },
                   [](HWND d) { Press(d, IDCANCEL); }});
    Command(CMD_CMS_ADMIN);
    EXPECT_EQ(BoxTexts().back(), "Incorrect symbolic name change rel1: write name:revision, or name: to remove it");
    EXPECT_EQ(ReadTextFile(Cms()), before);
}

TEST_F(CmsAdmin, DeletingTheMiddleRevisionKeepsTheOthersExact) {
    const std::string first = "int a;\nint b;\n", third = "int a;\nint c;\nint d;\n";
    Store({first, "int b;\n", third});
    Administer(IDC_ADMIN_DO_DELETE, IDC_ADMIN_DELETE, "1.2");
    EXPECT_EQ(ListedMessages().back(), "deleting revision 1.2 ");
    std::string bytes = ReadTextFile(Cms());
    EXPECT_EQ(bytes.find("\r\n1.2\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("\r\nNext     1.1;\r\n"), std::string::npos) << bytes;
    EXPECT_EQ(Get("1.1"), "int a;\r\nint b;\r\n");
    EXPECT_EQ(Get("1.3"), "int a;\r\nint c;\r\nint d;\r\n");
    EXPECT_EQ(Get("1.2"), "int a;\r\nint c;\r\nint d;\r\n");  // unchanged: no such revision
    EXPECT_EQ(BoxTexts().back(), "Revision 1.2 not present.");
}

TEST_F(CmsAdmin, NoToDeletingEveryRevisionChangesNothing) {
    Store({"only\n"});
    std::string before = ReadTextFile(Cms());
    shown->answers = {platform::kAnswerNo};
    Administer(IDC_ADMIN_DO_DELETE, IDC_ADMIN_DELETE, "1.1");
    EXPECT_EQ(BoxTexts().back(), "Do you really want to delete all revisions ?");
    EXPECT_EQ(ListedMessages().back(), "No revision deleted");
    EXPECT_EQ(ReadTextFile(Cms()), before);
}

TEST_F(CmsAdmin, AFunctionsHistoryListsTheRevisionsThatChangedIt) {
    const std::string g = "int g(int x)\n{\n    return x;\n}\n";
    Store({"int f(void)\n{\n    return 1;\n}\n" + g, "int f(void)\n{\n    return 2;\n}\n" + g,
           "int f(void)\n{\n    return   2;\n}\n" + g, "int f(void)\n{\n    return 2;\n}\nint g(int x) { return 0; }\n",
           "int f(void)\n{\n    return 5;\n}\nint g(int x) { return 0; }\n"});
    Open("a.c", "int f(void)\n{\n    return 5;\n}\nint g(int x) { return 0; }\n");
    std::vector<std::string> rows;
    AnswerDialogs({[](HWND d) {
                       EXPECT_EQ(Text(d), "Choose a function");
                       ASSERT_EQ(SendDlgItemMessageA(d, IDC_LIST, LB_GETCOUNT, 0, 0), 2);
                       SendDlgItemMessageA(d, IDC_LIST, LB_SETCURSEL, 0, 0);  // f
                       Press(d, IDOK);
                   },
                   [&](HWND d) {
                       EXPECT_EQ(Text(d), "History of f in a.c");
                       HWND list = GetDlgItem(d, IDC_HISTORY_LIST);
                       for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
                           char row[512] = "";
                           SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row));
                           rows.push_back(row);
                       }
                       Press(d, IDOK);
                   }});
    Command(CMD_CMS_FUNCTION_HISTORY);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], "1.1        added    carol       1 March 2024 10:00:00 log of 1.1");
    EXPECT_EQ(rows[1].substr(0, 20), "1.2        changed  ");
    EXPECT_EQ(rows[2].substr(0, 20), "1.5        changed  ");
    EXPECT_EQ(ListedMessages().back(), "Diff: 1.4 1.5");
}

}  // namespace
}  // namespace tarvo::test
