// Language definitions: the built-in five, user languages read from the settings, and the
// choice of a document's language from its file name.
#include <gtest/gtest.h>

#include "editor/keywords.h"
#include "editor/language.h"
#include "platform/memory_settings.h"
#include "scripted_ui.h"
#include "base/settings.h"
#include "base/settings_lists.h"

namespace tarvo::editor {
namespace {

struct LanguageTest : ::testing::Test {
    test::ScopedScriptedUi boxes;
    base::SettingsKey key;
    void SetUp() override {
        base::ResetSettings();
        ResetLanguages();
        platform::ResetMemorySettings();
        platform::setSettingsBackend(platform::memorySettingsBackend());
        platform::memorySettingsBackend().createKey(base::kVexKey);
        ASSERT_TRUE(base::OpenMainKey(key));
        InstallBuiltInLanguages();
    }
    void TearDown() override {
        platform::ResetMemorySettings();
        base::ResetSettings();
        ResetLanguages();
    }
    void Store(const std::string& name, const std::string& text) {
        ASSERT_EQ(platform::memorySettingsBackend().writeValue(base::kMainKey, name, text), 0u);
    }
    std::string Stored(const std::string& name) {
        std::string text;
        return platform::memorySettingsBackend().readValue(base::kMainKey, name, text) ? text : "<absent>";
    }
    std::string NameFor(const char* file) {
        const Language* l = LanguageForFile(file);
        return l ? l->name : "<none>";
    }
};

TEST(KeywordTables, HashAndBuckets) {
    // h = (h << 2) ^ c: "if" is ('i' << 2) ^ 'f' = 420 ^ 102 = 450; 450 mod 13 = 8.
    EXPECT_EQ(editor::KeywordHash("if"), 450);
    EXPECT_EQ(editor::KeywordBucket(450), 8);
    // Characters above 127 count as negative, and long words overflow into negative hashes.
    EXPECT_EQ(editor::KeywordHash("\xe9"), -23);
    EXPECT_EQ(editor::KeywordBucket(-23), 10);
    editor::KeywordTable t;
    t.Add("end");
    EXPECT_TRUE(t.Contains("end"));
    EXPECT_FALSE(t.Contains("End"));
    EXPECT_TRUE(editor::IsCKeyword("operator"));
    EXPECT_FALSE(editor::IsCKeyword("main"));
    EXPECT_TRUE(editor::IsPreprocessorDirective("ifndef"));
    EXPECT_FALSE(editor::IsPreprocessorDirective("import"));
}

TEST_F(LanguageTest, TheFiveBuiltInLanguages) {
    auto& list = base::settings().languages;
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0].keywords.size(), 36u);  // the message table's C keywords
    for (const auto& l : list) EXPECT_TRUE(l.builtIn) << l.name;
    EXPECT_EQ(NameFor("x\\prog.c"), "C Language");
    EXPECT_EQ(NameFor("prog.HPP"), "C Language");
    EXPECT_EQ(NameFor("prog.Pas"), "Pascal");
    EXPECT_EQ(NameFor("prog.E"), "eiffel");
    EXPECT_EQ(NameFor("boot.asm"), "Assembly");
    EXPECT_EQ(NameFor("prog"), "<none>");
    EXPECT_EQ(NameFor("prog."), "<none>");
    EXPECT_EQ(NameFor("dir.c\\readme"), "<none>");  // the dot of a directory is no extension
    EXPECT_EQ(NameFor("prog.cc"), "<none>");
    const Language* pascal = LanguageForFile("a.pas");
    ASSERT_NE(pascal, nullptr);
    EXPECT_EQ(pascal->finder, FunctionFinder::Pascal);
    EXPECT_TRUE(IsLanguageKeyword(*pascal, "begin"));
}

TEST_F(LanguageTest, UserLanguagesFromTheSettings) {
    // A stored "C Language" changes the built-in record; "Modula" is new and goes in front.
    Store("Languages", "2");
    Store("Language1", "C Language");
    Store("Language1Extension", "C;H;CC");
    Store("Language1KeywordCount", "2");
    Store("Language1Keywords1", "if while");
    Store("Language2", "Modula");
    Store("Language2Extension", "MOD;C");
    Store("Language2StartFunction", "^PROCEDURE");
    Store("Language2Flags", "5");
    Store("Language2KeywordCount", "2");
    Store("Language2Keywords1", "BEGIN End");
    base::ReadLanguages(key, base::settings().languages);
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

TEST_F(LanguageTest, WritingStoresKeywordsSevenToAValue) {
    auto& list = base::settings().languages;
    list[2].keywords.resize(20);  // Fortran, cut to twenty words
    ASSERT_TRUE(base::WriteLanguages(key, list));
    EXPECT_EQ(Stored("Language3"), "Fortran");
    EXPECT_EQ(Stored("Language3KeywordCount"), "20");
    EXPECT_EQ(Stored("Language3Keywords1"), "if do continue parameter else common return");
    EXPECT_EQ(Stored("Language3Keywords2"), "end subroutine go to data dimension format");
    EXPECT_EQ(Stored("Language3Keywords3"), "enddo call endif integer real double");
    EXPECT_EQ(Stored("Language3Keywords4"), "<absent>");
    // Read back over fresh built-ins, nothing is lost or doubled.
    InstallBuiltInLanguages();
    base::ReadLanguages(key, base::settings().languages);
    EXPECT_EQ(base::settings().languages.size(), 5u);
    EXPECT_EQ(base::settings().languages[2].keywords.size(), 20u);
    EXPECT_EQ(base::settings().languages[0].keywords.size(), 36u);
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
