// The version store as a user meets it: check-in and check-out through the commands and their
// dialogs, the repository file's bytes, the log record, the identical-file question, a busy
// repository, locks, files of every kind coming back byte for byte, releases saved into the
// settings and got back, and the preferences.
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>

#include "base/app_win.h"
#include "base/command_ids.h"
#include "base/settings.h"
#include "base/settings_store.h"
#include "platform/settings_backend.h"
#include "program_win.h"
#include "resource_ids.h"

namespace tarvo::test {
namespace {

class Versions : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        UseDemoProjectWithStore();
    }
    std::string Cms(const std::string& name) { return dir + "\\CMS\\" + name; }
    // Check-in of a file through the dialog: its name, a log message and the options.
    void CheckIn(const std::string& name, const std::string& log, bool keep, bool lock = false) {
        AnswerDialogs({[=](HWND d) {
            EXPECT_EQ(Text(d), "Check in");
            SetDlgItemTextA(d, IDC_CMS_FILE, name.c_str());
            SetDlgItemTextA(d, IDC_CMS_LOG, log.c_str());
            CheckDlgButton(d, IDC_CMS_KEEP, keep ? BST_CHECKED : BST_UNCHECKED);
            CheckDlgButton(d, IDC_CMS_LOCK, lock ? BST_CHECKED : BST_UNCHECKED);
            Press(d, IDOK);
        }});
        Command(CMD_CMS_PUT);
    }
    void CheckOut(const std::string& name, const std::string& into, bool lock) {
        AnswerDialogs({[=](HWND d) {
            EXPECT_EQ(Text(d), "Check out");
            SetDlgItemTextA(d, IDC_CMS_FILE, name.c_str());
            SetDlgItemTextA(d, IDC_CMS_DESTINATION, into.c_str());
            CheckDlgButton(d, IDC_CMS_LOCK, lock ? BST_CHECKED : BST_UNCHECKED);
            CheckDlgButton(d, IDC_CMS_OVERWRITE, BST_CHECKED);
            Press(d, IDOK);
        }});
        Command(CMD_CMS_GET);
    }
    std::string Stored(const std::string& name) {
        std::string text;
        if (!platform::settingsBackend().readValue(std::string(base::kMainKey) + "\\demo", name, text)) return "<absent>";
        return text;
    }
};

TEST_F(Versions, TheFirstCheckInWritesTheRepositoryAndTheLog) {
    WriteTextFile(dir + "\\main.c", "int main(void)\r\n{\r\n\treturn 0;\r\n}\r\n");
    shown->answers = {platform::kAnswerYes};  // create the repository directory
    CheckIn("main.c", "the program", false);
    std::string bytes = ReadTextFile(Cms("main.c"));
    std::smatch date;
    ASSERT_TRUE(std::regex_search(bytes, date, std::regex("Date     ([0-9.]+);"))) << bytes;
    std::string expected = "This is a CMS file. Do NOT edit!\n"
                           "Head     1.1;\nBranch   ;\nAccess   ;\nRevNames  ;\nLocks    ;\nCmsVersion 2;\nBinary 0;\n\n"
                           "\n1.1\nDate     " + date[1].str() + ";\n  Author carol;\n  State Exp;\nBranches     \n ;\nNext     ;\n"
                           "\n\nDescription\n@the program\n@\n\n"
                           "\n\n1.1\nLog\n@Initial revision\n@\nText\n@int main(void)\n{\n\treturn 0;\n}\n@\n";
    EXPECT_EQ(bytes, std::regex_replace(expected, std::regex("\n"), "\r\n"));
    EXPECT_EQ(GetFileAttributesA(Cms("_main.c_").c_str()), INVALID_FILE_ATTRIBUTES);  // no semaphore left
    EXPECT_EQ(GetFileAttributesA((dir + "\\main.c").c_str()), INVALID_FILE_ATTRIBUTES);  // not kept
    std::string log = ReadTextFile(Cms("LOGFILE.LOG"));
    EXPECT_TRUE(std::regex_match(log, std::regex("put        1\\.1r   1b   0f   1t [0-9.]+c [0-9.]+o carol main\\.c\r\n")))
        << log;
    std::vector<std::string> rows = ListedMessages();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front().rfind("Command: 'put main.c':---", 0), 0u) << rows.front();
    EXPECT_EQ(rows.back(), "Put command done. Termination code 1");
}

TEST_F(Versions, SaveAnywayNoAndABusyRepositoryChangeNothing) {
    WriteTextFile(dir + "\\a.c", "one\r\n");
    CreateDirectoryA((dir + "\\CMS").c_str(), nullptr);
    CheckIn("a.c", "", true);
    std::string before = ReadTextFile(Cms("a.c"));
    Sleep(1100);  // the store refuses a revision dated like its predecessor
    shown->answers = {platform::kAnswerNo};
    CheckIn("a.c", "", true);
    EXPECT_EQ(BoxTexts().back(), " Save anyway?");
    EXPECT_EQ(ReadTextFile(Cms("a.c")), before);
    EXPECT_EQ(ReadTextFile(dir + "\\a.c"), "one\r\n");

    WriteTextFile(Cms("_a.c_"), "dave|elsewhere|2024.1.1.0.0.0\r\n");
    WriteTextFile(dir + "\\a.c", "two\r\n");
    shown->boxes.clear();
    CheckIn("a.c", "", true);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"CMS file " + Cms("a.c") + " is in use"});
    EXPECT_EQ(ReadTextFile(Cms("a.c")), before);
}

TEST_F(Versions, FilesOfEveryKindComeBackByteForByteAndLocksAreWritten) {
    CreateDirectoryA((dir + "\\CMS").c_str(), nullptr);
    std::string binary("OBJ\0\x1a\r\x80\xff end", 14);
    std::vector<std::pair<std::string, std::string>> files{
        {"x.obj", binary},
        {"at.c", "@x\r\n@@\r\n@\r\nlast line without an end"},
        {"long.c", std::string(100000, 'q') + "\r\nshort\r\n"},
    };
    for (const auto& [name, bytes] : files) {
        WriteTextFile(dir + "\\" + name, bytes);
        CheckIn(name, "", true);
        CheckOut(name, dir + "\\back-" + name, false);
        EXPECT_EQ(ReadTextFile(dir + "\\back-" + name), bytes) << name;
    }
    CheckOut("at.c", dir + "\\locked.c", true);
    EXPECT_NE(ReadTextFile(Cms("at.c")).find("\r\nLocks    carol:1.1;\r\n"), std::string::npos) << ReadTextFile(Cms("at.c"));
}

TEST_F(Versions, AReleaseIsSavedAndGotBack) {
    CreateDirectoryA((dir + "\\CMS").c_str(), nullptr);
    base::settings().project.files = {{"a.c", {}}, {"b.c", {}}};
    WriteTextFile(dir + "\\a.c", "a one\r\n");
    WriteTextFile(dir + "\\b.c", "b one\r\n");
    CheckIn("a.c", "", true);
    CheckIn("b.c", "", true);
    AnswerDialogs({[](HWND d) {
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_LIST, LB_GETCOUNT, 0, 0), 2);
        SetDlgItemTextA(d, IDC_CMS_NAME, "R1");
        SetDlgItemTextA(d, IDC_CMS_DESCRIPTION, "first release");
        Press(d, IDOK);
    }});
    Command(CMD_CMS_SAVE_RELEASE);
    EXPECT_EQ(Stored("ReleasesListLen"), "1");
    EXPECT_EQ(Stored("Release1"), "R1");
    EXPECT_EQ(Stored("Release1Author"), "carol");
    EXPECT_EQ(Stored("Release1Description1"), "first release");
    EXPECT_EQ(Stored("Release1File1"), "a.c,1.1");
    EXPECT_EQ(Stored("Release1File2"), "b.c,1.1");

    WriteTextFile(dir + "\\a.c", "a two\r\n");
    Sleep(1100);  // a later date for the second revision
    CheckIn("a.c", "", false);
    WriteTextFile(dir + "\\b.c", "b changed, not checked in\r\n");
    AnswerDialogs({[](HWND d) {
        SendDlgItemMessageA(d, IDC_LIST, LB_SETCURSEL, 0, 0);
        Press(d, IDOK);
    }});
    Command(CMD_CMS_GET_RELEASE);
    EXPECT_EQ(ReadTextFile(dir + "\\a.c"), "a one\r\n");
    EXPECT_EQ(ReadTextFile(dir + "\\b.c"), "b one\r\n");
    EXPECT_EQ(ListedMessages().back(), "2 files got");
}

TEST_F(Versions, PreferencesTurnTheStoreOnWithItsDirectory) {
    base::settings().project.projectFlags &= ~base::kProjectUsesCms;
    base::settings().project.cmsDirectory.clear();
    shown->boxes.clear();
    WriteTextFile(dir + "\\a.c", "x\r\n");
    Command(CMD_CMS_PUT);
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0].rfind("Project demo does not use the versioning system", 0), 0u);
    AnswerDialogs({[&](HWND d) {
        EXPECT_EQ(Text(d), "CMS: Preferences");
        CheckDlgButton(d, IDC_CMS_USE, BST_CHECKED);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_CMS_USE, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_CMS_USE)));
        EXPECT_EQ(Text(GetDlgItem(d, IDC_CMS_DIRECTORY)), dir + "\\CMS");
        CheckDlgButton(d, IDC_CMS_PUT_KEEP, BST_CHECKED);
        SetDlgItemTextA(d, IDC_CMS_USERS, "carol dave");
        Press(d, IDOK);
    }});
    Command(CMD_CMS_PREFERENCES);
    const base::ProjectSettings& p = base::settings().project;
    EXPECT_TRUE(p.projectFlags & base::kProjectUsesCms);
    EXPECT_EQ(p.cmsDirectory, dir + "\\CMS");
    EXPECT_EQ(p.putOptions, 4);
    EXPECT_EQ(p.users, (std::vector<std::string>{"carol", "dave"}));
    EXPECT_EQ(Stored("CmsDirectory"), dir + "\\CMS");
    EXPECT_EQ(Stored("PutOptions"), "4");
}

}  // namespace
}  // namespace tarvo::test
