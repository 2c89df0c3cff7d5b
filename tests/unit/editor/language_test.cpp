// Language definitions: the built-in five, user languages read from the settings, and the
// choice of a document's language from its file name.
#include <gtest/gtest.h>

#include "base/settings.h"
#include "editor/keywords.h"
#include "editor/language.h"

namespace tarvo::editor {
namespace {

struct LanguageTest : ::testing::Test {
    void SetUp() override {
        base::ResetSettings();
        ResetLanguages();
        InstallBuiltInLanguages();
    }
    void TearDown() override {
        base::ResetSettings();
        ResetLanguages();
    }
    std::string NameFor(const char* file) {
        const Language* l = LanguageForFile(file);
        return l ? l->name : "<none>";
    }
};

TEST(KeywordTables, BucketsOfNegativeHashesAndCase) {
    // Characters above 127 count as negative, and long words overflow into negative hashes:
    // their buckets are still in the table.
    EXPECT_EQ(editor::KeywordHash("\xe9"), -23);
    EXPECT_EQ(editor::KeywordBucket(-23), 10);
    editor::KeywordTable t;
    t.Add("\xe9t\xe9");
    t.Add(std::string(40, 'z'));
    EXPECT_TRUE(t.Contains("\xe9t\xe9"));
    EXPECT_TRUE(t.Contains(std::string(40, 'z')));
    EXPECT_FALSE(t.Contains("\xc9t\xe9"));
    EXPECT_TRUE(editor::IsCKeyword("operator"));
    EXPECT_FALSE(editor::IsCKeyword("main"));
}

TEST_F(LanguageTest, BuiltInLanguagesByFileName) {
    // The C keywords are read from the message table up to its empty record.
    EXPECT_EQ(base::settings().languages[0].keywords.size(), 36u);
    const std::pair<const char*, const char*> files[] = {
        {"x\\prog.c", "C Language"}, {"prog.HPP", "C Language"}, {"prog.Pas", "Pascal"},
        {"prog.E", "eiffel"},       {"boot.asm", "Assembly"},    {"prog", "<none>"},
        {"prog.", "<none>"},        {"prog.cc", "<none>"},
        {"dir.c\\readme", "<none>"},  // the dot of a directory is no extension
    };
    for (auto [file, language] : files) EXPECT_EQ(NameFor(file), language) << file;
}

// How stored languages are read is in settings_lists_test.cpp; here what the editor makes of them.
TEST_F(LanguageTest, UserLanguagesFromTheSettings) {
    auto& stored = base::settings().languages;
    stored[0].extensions = "C;H;CC";
    stored[0].keywords = {"if", "while"};
    stored.insert(stored.begin(), {"Modula", "MOD;C", "^PROCEDURE", "", "", "", "", 5, 0, {"BEGIN", "End"}, false});
    BuildLanguages();
    auto& list = languages().list;
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list[0]->name, "Modula");
    EXPECT_EQ(list[0]->finder, FunctionFinder::Pattern);
    EXPECT_EQ(list[1]->name, "C Language");
    EXPECT_EQ(list[1]->finder, FunctionFinder::C);
    EXPECT_EQ(list[1]->keywords.Count(), 2u);
    // The user's language lists C and comes first: it wins for .c files.
    EXPECT_EQ(NameFor("main.c"), "Modula");
    EXPECT_EQ(NameFor("main.cc"), "C Language");
    // Keywords of a language that ignores case are compared in lower case.
    EXPECT_TRUE(IsLanguageKeyword(*list[0], "begin"));
    EXPECT_TRUE(IsLanguageKeyword(*list[0], "END"));

    bool isC = true;
    ChooseLanguageForDocument("main.cc", isC);
    EXPECT_TRUE(isC);
    ChooseLanguageForDocument("main.c", isC);
    EXPECT_FALSE(isC);
}

TEST_F(LanguageTest, EiffelAndFortranSourcesFlagTheOpenProject) {
    bool isC = false;
    ChooseLanguageForDocument("root.e", isC);
    EXPECT_EQ(base::settings().project.projectFlags, 8);  // no project is open
    base::settings().currentProject = "demo";
    ChooseLanguageForDocument("root.e", isC);
    EXPECT_EQ(base::settings().project.projectFlags, 8 | base::kProjectEiffel);
    ChooseLanguageForDocument("sub.f", isC);
    EXPECT_EQ(base::settings().project.projectFlags, 8 | base::kProjectEiffel | base::kProjectFortran);
}

}  // namespace
}  // namespace tarvo::editor
