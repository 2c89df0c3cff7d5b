// The makefile composer against golden files, with a scripted dependency scan.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "project/makefile.h"
#include "project/project_kinds.h"
#include "scripted_ui.h"

namespace tarvo::project {
namespace {

// The golden file's text. With TARVO_UPDATE_GOLDEN set, the file is first written from
// `made` (to be read over before it is committed).
std::string Golden(const std::string& name, const std::string& made) {
    std::string path = std::string(TARVO_TEST_DATA) + "/makefiles/" + name;
    if (std::getenv("TARVO_UPDATE_GOLDEN")) std::ofstream(path, std::ios::binary) << made;
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

base::ProjectSettings Project(std::vector<std::string> files, long kind) {
    base::ProjectSettings p;
    for (const std::string& f : files) p.files.push_back({f, {}});
    p.sourcesDir = "c:\\src";
    p.makeDir = "c:\\src\\vex";
    p.includes = "c:\\vex\\include";
    p.compilerFlags = kFlagDebugInfo | kind;
    return p;
}

struct Composed {
    bool ok;
    MakefileResult result;
    std::vector<std::string> scans;  // "options|source" of each scan
};

Composed Compose(base::ProjectSettings& p, const std::map<std::string, std::vector<std::string>>& deps,
                 std::string root = "c:\\vex", bool failScans = false) {
    Composed c{};
    MakefileHooks hooks;
    hooks.scan = [&](const std::string& options, const std::string& source, std::vector<std::string>& out) {
        c.scans.push_back(options + "|" + source);
        if (failScans) return false;
        auto it = deps.find(source);
        if (it != deps.end()) out = it->second;
        return true;
    };
    c.ok = ComposeMakefile("demo", root, p, hooks, c.result);
    return c;
}

TEST(Makefile, ConsoleProjectMatchesGolden) {
    test::ScopedScriptedUi boxes;
    base::ProjectSettings p = Project({"a.c", "b.c", "r.rc", "u.h", "w.lib"}, kKindConsole);
    p.defines = "DEBUG,X=1";
    Composed c = Compose(p, {{"c:\\src\\a.c", {"c:\\src\\a.c", "c:\\src\\a.h"}},
                             {"c:\\src\\b.c", {"c:\\src\\b.c"}},
                             {"c:\\src\\r.rc", {"c:\\src\\r.rc", "c:\\src\\my icon.ico"}}});
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.result.text, Golden("console.mak", c.result.text));
    EXPECT_EQ(test::BoxTexts(boxes.ui), "");
    // The compile's defines reach the scan, so headers under #ifdef are found.
    EXPECT_EQ(c.scans.at(0), "-Ic:\\vex\\include -DDEBUG -DX=1|c:\\src\\a.c");
    EXPECT_EQ(c.result.resourceFile, "c:\\src\\r.rc");
    EXPECT_EQ(p.files[0].dependencies, (std::vector<std::string>{"c:\\src\\a.c", "c:\\src\\a.h"}));
}

TEST(Makefile, BlanksAreQuotedEverywhere) {
    test::ScopedScriptedUi boxes;
    base::ProjectSettings p = Project({"my file.c", "lib\\old.obj"}, kKindWindows | 0x2000);
    p.includes = "c:\\program files\\vex\\include;c:\\inc";
    p.exe = "my prog";
    p.sourcesDir = "c:\\my src";
    Composed c = Compose(p, {{"c:\\my src\\my file.c", {"c:\\my src\\my file.c", "c:\\inc\\x.h"}}},
                         "c:\\program files\\vex");
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.result.text, Golden("blanks.mak", c.result.text));
    // A Windows program without resources is worth a word, once.
    EXPECT_EQ(test::BoxTexts(boxes.ui), "Windows program but no resources defined?|");
}

TEST(Makefile, LibraryDllFortranAndFlags) {
    test::ScopedScriptedUi boxes;
    base::ProjectSettings lib = Project({"a.c", "x.h"}, kKindLibrary | 0x04 | 0x1000 | 0x10000 | 0x1000000);
    Composed c = Compose(lib, {});
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.result.text, Golden("library.mak", c.result.text));

    base::ProjectSettings dll = Project({"d.c", "d.def", "f.f", "s.asm"}, kKindDll | 0x01 | 0x400000);
    dll.dllEntry = "DllMain";
    dll.libraries = "c:\\vex\\lib\\LIBF77.lib";  // there already, under the root
    dll.fortranFlags = 0x01 | 0x40;
    dll.linkerArgs = "-L c:\\Extra";
    c = Compose(dll, {});
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.result.text, Golden("dll.mak", c.result.text));
    EXPECT_EQ(dll.libraries, "c:\\vex\\lib\\LIBF77.lib");
}

// The Fortran page's directories end the FFLAGS line; nothing else of the makefile changes.
TEST(Makefile, FortranIncludesJoinTheFortranFlags) {
    test::ScopedScriptedUi boxes;
    base::ProjectSettings p = Project({"main.c", "f.f"}, kKindConsole);
    p.fortranFlags = 0x02;
    Composed plain = Compose(p, {});
    p.fortranIncludes = "c:\\f77\\inc;;d:\\my inc";
    Composed with = Compose(p, {});
    ASSERT_TRUE(plain.ok && with.ok);
    std::string before = "\nFFLAGS= -U\n", after = "\nFFLAGS= -U -Ic:\\f77\\inc \"-Id:\\my inc\"\n";
    size_t at = plain.result.text.find(before);
    ASSERT_NE(at, std::string::npos) << plain.result.text;
    EXPECT_EQ(with.result.text, std::string(plain.result.text).replace(at, before.size(), after));
}

TEST(Makefile, DefinesSplitBySemicolonThenCommaThenBlank) {
    struct Case {
        const char* defines;
        std::vector<std::string> options;
    } cases[] = {
        {"A,B", {"-DA", "-DB"}},
        {"A;B,C", {"-DA", "-DB,C"}},
        {"A B,C", {"-DA", "-DB", "-DC"}},
        {"NAME=\"a b\"", {"-DNAME=\"a", "-Db\""}},
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(DefineOptions(c.defines), c.options) << c.defines;
}

TEST(Makefile, RefusesWhatCannotBeBuilt) {
    test::ScopedScriptedUi boxes;
    // Two sources with one base name would overwrite each other's object.
    base::ProjectSettings twins = Project({"a\\util.c", "b\\Util.c"}, kKindConsole);
    EXPECT_FALSE(Compose(twins, {}).ok);
    EXPECT_EQ(test::BoxTexts(boxes.ui),
              "a\\util.c and b\\Util.c would both be compiled to util.obj.\nGive one of them another name.|");

    // A second resource script is left out, with a word.
    boxes.ui.boxes.clear();
    base::ProjectSettings two = Project({"a.c", "r.rc", "s.rc"}, kKindConsole);
    Composed c = Compose(two, {});
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.result.objects, (std::vector<std::string>{"a.obj", "r.res"}));
    EXPECT_EQ(c.result.text.find("s.rc"), std::string::npos);
    EXPECT_EQ(test::BoxTexts(boxes.ui), "You have already defined resources for this project.\ns.rc will be ignored|");

    // A file of unknown kind: the processor dialog is offered; a cancel ends generation.
    boxes.ui.boxes.clear();
    base::ProjectSettings odd = Project({"a.c", "gram.y"}, kKindConsole);
    MakefileResult r;
    MakefileHooks cancel;
    cancel.defineProcessor = [](const std::string&) { return std::optional<base::FileProcessor>(); };
    EXPECT_FALSE(ComposeMakefile("demo", "c:\\vex", odd, cancel, r));
    EXPECT_EQ(test::BoxTexts(boxes.ui),
              "I do not know how to handle gram.y\nPlease define how it should be handled in the makefile|"
              "Cannot generate the makefile|");

    // Defined there, the processor makes the file's rule, and keeps its command's case.
    MakefileHooks define;
    define.defineProcessor = [](const std::string&) {
        return std::optional<base::FileProcessor>({"gram.y", "Bison -o Gram.c gram.y", "Gram.c"});
    };
    ASSERT_TRUE(ComposeMakefile("demo", "c:\\vex", odd, define, r));
    EXPECT_NE(r.text.find("gram.c:\tgram.y\n\tBison -o Gram.c gram.y\n"), std::string::npos) << r.text;
    EXPECT_EQ(odd.fileProcessors.size(), 1u);
}

TEST(Makefile, AfterAFailedScanNoMoreDependencies) {
    base::ProjectSettings p = Project({"a.c", "b.c"}, kKindConsole);
    p.files[1].dependencies = {"stale.h"};
    Composed c = Compose(p, {}, "c:\\vex", true);
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.scans.size(), 1u);  // the second source is not scanned
    EXPECT_NE(c.result.text.find("B_C=\\\n\nb.obj: $(B_C) c:\\src\\b.c\n"), std::string::npos);
    EXPECT_TRUE(p.files[1].dependencies.empty());
}

}  // namespace
}  // namespace tarvo::project
