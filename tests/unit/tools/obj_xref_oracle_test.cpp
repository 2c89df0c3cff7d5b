// The cross reference beside binutils, on objects compiled while the test runs (gcc with
// -fcommon and -ffunction-sections for both machines, and clang) and on the cross toolchain's
// own libraries: publics are `nm -g --defined-only` (less the names beginning with "__" or
// "??"), externs `nm -u`, commons `C`, section sizes the sums of `objdump -h`, library members
// `ar t` in order.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include "editor_test_util.h"
#include "scripted_ui.h"
#include "tools/obj_xref.h"

namespace tarvo::tools {
namespace {

std::string Shell(const std::string& command) {
    std::string out;
    std::FILE* p = popen((command + " 2>/dev/null").c_str(), "r");
    if (!p) return out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    pclose(p);
    return out;
}

bool Skipped(const std::string& name) { return name.starts_with("__") || name.starts_with("??"); }

struct Symbols {
    std::set<std::string> publics, externs, commons;
};

// "nm -A" lines: "file:member:value type name" (members only in libraries), by module name.
std::map<std::string, Symbols> NmOf(const std::string& prefix, const std::string& path) {
    std::map<std::string, Symbols> out;
    for (const char* options : {"-A -g --defined-only", "-A -u"}) {
        std::istringstream lines(Shell(prefix + "nm " + options + " '" + path + "'"));
        for (std::string line; std::getline(lines, line);) {
            std::size_t colon = line.rfind(':');
            if (colon == std::string::npos) continue;
            std::string module = line.substr(0, colon);
            std::istringstream rest(line.substr(colon + 1));
            std::vector<std::string> words{std::istream_iterator<std::string>(rest), {}};
            if (words.size() < 2) continue;
            const std::string &type = words[words.size() - 2], &name = words.back();
            if (Skipped(name)) continue;
            Symbols& s = out[module];
            if (std::string(options) == "-A -u") s.externs.insert(name);
            else s.publics.insert(name);
            if (type == "C") s.commons.insert(name);
        }
    }
    return out;
}

// "objdump -h": index, name, size in hex, ...: the sums by name.
std::map<std::string, std::uint64_t> SectionsOf(const std::string& prefix, const std::string& path) {
    std::map<std::string, std::uint64_t> out;
    std::istringstream lines(Shell(prefix + "objdump -h '" + path + "'"));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        unsigned index;
        std::string name, size;
        if (words >> index >> name >> size) out[name] += std::stoull(size, nullptr, 16);
    }
    return out;
}

// "file:member" as nm writes it, from ours "file(member)".
std::string NmName(const XrefModule& m) {
    std::string name = m.file;
    if (name.ends_with(')')) {
        name.pop_back();
        name[name.rfind('(')] = ':';
    }
    return name;
}

void Compare(const XrefModel& model, const std::map<std::string, Symbols>& nm) {
    for (const XrefModule& m : model.modules) {
        Symbols ours;
        for (const XrefPublic& p : m.publics) {
            ours.publics.insert(p.name);
            if (p.common) ours.commons.insert(p.name);
        }
        for (const XrefExtern& e : m.externs) ours.externs.insert(e.name);
        auto it = nm.find(NmName(m));
        Symbols theirs = it == nm.end() ? Symbols{} : it->second;
        EXPECT_EQ(ours.publics, theirs.publics) << m.file;
        EXPECT_EQ(ours.externs, theirs.externs) << m.file;
        EXPECT_EQ(ours.commons, theirs.commons) << m.file;
    }
}

bool Have(const std::string& tool) { return !Shell("command -v " + tool).empty(); }

const char* const kSources[] = {
    "int counter;\nint shared_total;\nstatic int hidden;\n"
    "int add(int a) { hidden += a; return counter += a; }\n"
    "int unused_helper(void) { return 7; }\n",
    "extern int counter;\nint add(int);\nint shared_total;\n"
    "int twice(int a) { return add(a) + add(a) + counter; }\n"
    "const char *greeting(void) { return \"hello\"; }\n",
    "int add(int);\nint twice(int);\nextern int shared_total;\nchar buffer[100];\n"
    "int __stdcall WinMain(void *a, void *b, char *c, int d) { return twice(add(shared_total)) + buffer[3]; }\n",
};

struct Compiler {
    const char* name;
    std::string prefix;   // of the binutils that read its objects
    std::string command;  // compiles "$in" to "$out"
};

TEST(ObjXrefOracle, CompiledObjectsAgreeWithBinutils) {
    test::ScopedScriptedUi ui;
    std::vector<Compiler> compilers = {
        {"gcc i686", "i686-w64-mingw32-", "i686-w64-mingw32-gcc-posix -c -O1 -fcommon -ffunction-sections -fdata-sections"},
        {"gcc x86_64", "x86_64-w64-mingw32-", "x86_64-w64-mingw32-gcc-posix -c -O1 -fcommon -ffunction-sections"},
        {"clang i686", "i686-w64-mingw32-", "clang-14 --target=i686-w64-mingw32 -c -O1 -fcommon"},
    };
    for (const Compiler& c : compilers) {
        std::string compiler = c.command.substr(0, c.command.find(' '));
        if (!Have(compiler)) {
            ADD_FAILURE() << compiler << " is missing (scripts/setup.sh installs it)";
            continue;
        }
        editor::test::TempDir dir;
        std::vector<std::string> objects;
        for (std::size_t i = 0; i < std::size(kSources); ++i) {
            std::string name = "m" + std::to_string(i);
            std::ofstream(dir / (name + ".c")) << kSources[i];
            // Compiled in the folder, so the object names its source as "m0.c".
            Shell("cd '" + dir.path + "' && " + c.command + " -o " + name + ".obj " + name + ".c");
            objects.push_back(dir / (name + ".obj"));
        }
        XrefModel model;
        ASSERT_TRUE(BuildXref(objects, model)) << c.name;
        ASSERT_EQ(model.modules.size(), 3u) << c.name << test::BoxTexts(ui.ui);
        std::map<std::string, Symbols> nm;
        for (const std::string& o : objects) nm.merge(NmOf(c.prefix, o));
        Compare(model, nm);
        XrefTotals expected;
        for (std::size_t i = 0; i < objects.size(); ++i) {
            std::map<std::string, std::uint64_t> sections = SectionsOf(c.prefix, objects[i]);
            for (const XrefSection& s : model.modules[i].sections) EXPECT_EQ(s.size, sections[s.name]) << c.name << " " << s.name;
            EXPECT_EQ(model.modules[i].sections.size(), sections.size()) << c.name;
            std::uint64_t code = 0;
            for (const auto& [name, size] : sections)
                if (name.starts_with(".text")) code += size;
            EXPECT_EQ(model.modules[i].code, code) << c.name;
            EXPECT_GT(code, 0u);
        }
        // The common "shared_total" is defined by both modules that declare it without extern.
        EXPECT_EQ(Find(model, "shared_total").definers, (std::vector<ModuleIndex>{0, 1})) << c.name;
        EXPECT_EQ(Find(model, "add").users, (std::vector<ModuleIndex>{1, 2})) << c.name;
        EXPECT_EQ(model.modules[0].source, "m0.c") << c.name;
        EXPECT_TRUE(ui.ui.boxes.empty()) << test::BoxTexts(ui.ui);
    }
}

TEST(ObjXrefOracle, TheToolchainLibrariesAgreeWithBinutils) {
    test::ScopedScriptedUi ui;
    struct Library {
        std::string prefix, path;
    } libraries[] = {
        {"i686-w64-mingw32-", "/usr/i686-w64-mingw32/lib/libkernel32.a"},  // an import library
        {"x86_64-w64-mingw32-", "/usr/x86_64-w64-mingw32/lib/libgdi32.a"},
        {"i686-w64-mingw32-", "/usr/i686-w64-mingw32/lib/libmoldname.a"},
        {"x86_64-w64-mingw32-", "/usr/x86_64-w64-mingw32/lib/libmingwthrd.a"},
    };
    for (const Library& lib : libraries) {
        std::ifstream probe(lib.path);
        if (!probe) {
            ADD_FAILURE() << lib.path << " is missing (the mingw-w64 toolchain installs it)";
            continue;
        }
        XrefModel model;
        ASSERT_TRUE(BuildXref({lib.path}, model));
        EXPECT_TRUE(model.skipped.empty()) << SkippedText(model.skipped);
        std::istringstream names(Shell(lib.prefix + "ar t '" + lib.path + "'"));
        std::vector<std::string> expected{std::istream_iterator<std::string>(names), {}}, ours;
        for (const XrefModule& m : model.modules) ours.push_back(NmName(m).substr(lib.path.size() + 1));
        EXPECT_EQ(ours, expected) << lib.path;
        EXPECT_GT(ours.size(), 0u);
        Compare(model, NmOf(lib.prefix, lib.path));
    }
}

}  // namespace
}  // namespace tarvo::tools
