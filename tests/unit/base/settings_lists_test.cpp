#include <cstdlib>

#include "base/command_ids.h"
#include "base/settings_lists.h"
#include "base/settings_project.h"
#include "settings_test_util.h"

namespace tarvo::base {
namespace {

using SettingsLists = test::MainKeyTest;

TEST(MacroEncoding, EveryByteTakesThreeCharactersThatReadBack) {
    for (int code = 0; code < 256; ++code) {
        std::string digits = EncodeMacroByte(static_cast<unsigned char>(code));
        ASSERT_EQ(digits.size(), 3u) << code;
        // The reading rule: atoi of three characters, then the low byte.
        EXPECT_EQ(static_cast<unsigned char>(std::atoi(digits.c_str())), code) << digits;
    }
    // Signed values, as before; "-128" .. "-100" would not fit in three.
    const std::pair<int, const char*> stored[] = {{'A', "065"}, {233, "-23"}, {255, "-01"},
                                                  {157, "-99"}, {128, "384"}, {156, "412"}};
    for (auto [code, digits] : stored) EXPECT_EQ(EncodeMacroByte(static_cast<unsigned char>(code)), digits);
    std::string line21;
    for (int i = 0; i < 21; ++i) line21 += "097";
    EXPECT_EQ(EncodeMacroText(std::string(22, 'a')), (std::vector<std::string>{line21, "097"}));
}

TEST_F(SettingsLists, MacrosOfEveryByteRoundTripAndALineMissingEndsTheReading) {
    std::string all;
    for (int code = 0; code < 256; ++code) all += static_cast<char>(code);
    std::vector<Macro> macros{{"Ctrl+1", 3, all}, {"unused", 0, ""}, {"F5", 7, "x"}};
    ASSERT_TRUE(WriteMacros(key, macros));
    EXPECT_EQ(Stored("Macros"), "2");  // the empty macro is not stored
    EXPECT_EQ(Stored("Macro1TextLine11").size(), 63u);  // lines 0..11 hold 252 bytes
    EXPECT_EQ(Stored("Macro1TextLine12").size(), 4u * 3);
    EXPECT_EQ(Stored("Macro1TextLine13"), "<absent>");
    std::vector<Macro> read;
    ReadMacros(key, read);
    macros.erase(macros.begin() + 1);
    EXPECT_EQ(read, macros);
    ASSERT_TRUE(WriteMacros(key, {{"a", 0, "first"}, {"b", 0, std::string(30, 'z')}, {"c", 0, "c"}}));
    Store("Macro2TextLine1", "");
    ReadMacros(key, read);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].text, "first");
}

TEST_F(SettingsLists, UtilitiesAreReadFromTheLastAndStopAtAMissingValue) {
    std::vector<Utility> utilities{{"Grep", "grep.exe", "$FILE$", "c:\\", CMD_FIRST_UTILITY},
                                   {"Lint", "lint.exe", "", "", CMD_FIRST_UTILITY + 1},
                                   {"Zip", "zip.exe", "-r", "d:\\z", CMD_FIRST_UTILITY + 2}};
    ASSERT_TRUE(WriteUtilities(key, utilities));
    Store("Util2ProgArgs", std::string(512, 'a'));  // unreadable
    std::vector<Utility> read;
    ReadUtilities(key, read);
    EXPECT_EQ(read, std::vector<Utility>{utilities[2]});
}

TEST_F(SettingsLists, LanguagesUpdateBuiltInsAndNewOnesGoInFrontInOrder) {
    std::vector<std::string> twenty;
    for (int i = 0; i < 20; ++i) twenty.push_back("k" + std::to_string(i));
    Language c{"C Language", "C;H", "", "", "/*", "'\"", "", 1, 0, {"if"}, true};
    Language user1{"Modula", "MOD", "^PROCEDURE", "^END", "(*", "\"", "mod.ico", 7, 42, twenty, false};
    Language user2{"Ada", "ADB", "", "", "--", "\"", "", 1, 9, {}, false};
    Language cChanged = c;
    cChanged.extensions = "C;H;CC";
    ASSERT_TRUE(WriteLanguages(key, {user1, user2, cChanged}));
    EXPECT_EQ(Stored("Language1Keywords1"), "k0 k1 k2 k3 k4 k5 k6");
    EXPECT_EQ(Stored("Language1Keywords3"), "k14 k15 k16 k17 k18 k19");
    EXPECT_EQ(Stored("Language1Keywords4"), "<absent>");
    EXPECT_EQ(Stored("Language2Icon"), "<absent>");  // written only when set
    std::vector<Language> read{c};
    ReadLanguages(key, read);
    EXPECT_EQ(read, (std::vector<Language>{user1, user2, cChanged}));
}

TEST_F(SettingsLists, KeywordReadingStopsAtAnEmptyLineOrTheCount) {
    for (auto [name, text] : {std::pair{"Languages", "1"}, {"Language1", "L"}, {"Language1KeywordCount", "3"},
                              {"Language1Keywords1", "a b c d"}})
        Store(name, text);
    std::vector<Language> read;
    ReadLanguages(key, read);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].keywords, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(read[0].flags, 1);  // absent flags read as 1
    for (auto [name, text] : {std::pair{"Language1KeywordCount", "9"}, {"Language1Keywords1", "a"},
                              {"Language1Keywords2", ""}, {"Language1Keywords3", "z"}})
        Store(name, text);
    ReadLanguages(key, read);
    EXPECT_EQ(read[0].keywords, std::vector<std::string>{"a"});
}

TEST_F(SettingsLists, KeyBindings) {
    std::vector<KeyRow> table{{0, CMD_NEW, 0}, {0, CMD_SAVE, 0}, {0, CMD_HELP_INDEX, 0}, {0, CMD_UNDO, 0}};
    std::vector<KeyRow> changed = table;
    changed[1] = {'S', CMD_SAVE, 1 | kKeyChanged};
    changed[2] = {0x70, CMD_HELP_INDEX, kKeyChanged};  // five-digit command ids widen a field
    ASSERT_TRUE(WriteKeyBindings(key, changed));
    EXPECT_EQ(Stored("Accelerators"), "2");
    EXPECT_EQ(Stored("Accel1"), "   1  831103   9");
    std::vector<KeyRow> read = table;
    ReadKeyBindings(key, read);
    EXPECT_EQ(read, changed);
    // Rows that no longer exist or now hold another command are left alone.
    Store("Accel1", "   9  831103   1");
    Store("Accel2", "   3  831103   1");
    read = table;
    ReadKeyBindings(key, read);
    EXPECT_EQ(read, table);
    Store("Accel1", "   0  651101   9");  // the changed bit is set on reading, once
    read = table;
    ReadKeyBindings(key, read);
    EXPECT_EQ(read[0], (KeyRow{65, CMD_NEW, 9}));
}

TEST_F(SettingsLists, OpenFilesBreakpointsAndFileProcessors) {
    ASSERT_TRUE(WriteOpenFiles(key, {{"c:\\a b\\x.c", 12, {-1, 2, 300, 400}, false},
                                     {"untitled", 0, {}, true}}));
    EXPECT_EQ(Stored("OpenFiles"), "1");  // never-save documents are left out
    EXPECT_EQ(Stored("OpenFile1"), "\"c:\\a b\\x.c\" 12 -1 2 300 400");
    OpenFile f;
    ASSERT_TRUE(ParseOpenFile("c:\\plain.c 5 1 2", f));  // unquoted: the name ends at a blank
    EXPECT_EQ(f, (OpenFile{"c:\\plain.c", 5, {1, 2, 0, 0}, false}));
    EXPECT_FALSE(ParseOpenFile("\"unclosed 1 2 3 4 5", f));
    Breakpoint b;
    ASSERT_TRUE(ParseBreakpoint("c:\\odd@name.c@42", b));
    EXPECT_EQ(b, (Breakpoint{"c:\\odd@name.c", 42}));
    EXPECT_FALSE(ParseBreakpoint("noline", b));
    FileProcessor p;
    ASSERT_TRUE(ParseFileProcessor("a.y#yacc -o a.c # a.y#a.c", p));
    EXPECT_EQ(p, (FileProcessor{"a.y", "yacc -o a.c # a.y", "a.c"}));
    WriteFileProcessors(key, {{"a.y", "yacc a.y", "a.c"}, {"b.l", "lex b.l", "b.c"},
                              {"c.x", "x", "c.c"}});
    Store("FileProcessor2", "b.l#lex b.l");
    std::vector<FileProcessor> read;
    ReadFileProcessors(key, read);
    EXPECT_EQ(read, (std::vector<FileProcessor>{{"a.y", "yacc a.y", "a.c"}}));
    EXPECT_EQ(Boxes(), "Incorrect format in key 'FileProcessor' stored in registry|");
}

TEST_F(SettingsLists, ReleasesKeepLongDescriptionsAndSkipOnlyABadOne) {
    std::string long1200(1200u, 'd');
    long1200[511] = 'X';
    std::vector<Release> releases{{"R1", "ann", long1200, "99.1.2.3.4.5", {"a.c,1.2", "b.c,1.1"}},
                                  {"R2", "bob", std::string(511, 'e'), "99.2.2.3.4.5", {}},
                                  {"R3", "cy", "", "99.3.2.3.4.5", {"c.c,1.4"}}};
    ASSERT_TRUE(WriteReleaseValues(key, releases));
    EXPECT_EQ(Stored("Release1Description2").substr(0, 1), "X");
    EXPECT_EQ(Stored("Release1Description3").size(), 1200u - 2 * 511);
    EXPECT_EQ(Stored("Release2Description2"), "<absent>");
    std::vector<Release> read;
    ReadReleaseValues(key, read);
    EXPECT_EQ(read, releases);
    Store("Release2Date", std::string(600, '1'));  // unreadable: R2 is left out, R3 is kept
    ReadReleaseValues(key, read);
    EXPECT_EQ(read, (std::vector<Release>{releases[0], releases[2]}));
}

TEST_F(SettingsLists, DependenciesLeftByAnEarlierFileAreCleared) {
    ProjectSettings p;
    p.files = {{"a.c", {"a.h", "b.h"}}, {"b.c", {}}};
    ASSERT_TRUE(WriteProjectListValues(key, p));
    EXPECT_EQ(Stored("File2Dependencies"), "<absent>");  // written only when there are some
    p.files = {{"b.c", {}}, {"a.c", {"a.h"}}};
    ASSERT_TRUE(WriteProjectListValues(key, p));
    ProjectSettings read;
    ReadProjectListValues(key, read);
    EXPECT_EQ(read.files, p.files);
}

}  // namespace
}  // namespace tarvo::base
