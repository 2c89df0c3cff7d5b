// A real C program that nobody here wrote (zlib's example enough.c, from Debian's zlib1g-dev),
// compiled for 64-bit with debug information and linked as the stand-ins do it: the debugger's
// reader finds every function the object defines, in its source file, at its first line.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "codeview_images.h"
#include "coff_link_core.h"
#include "debug_test_util.h"
#include "debugger/debug_queries.h"
#include "path_mapping.h"
#include "scripted_ui.h"

namespace tarvo::testbed {
namespace {

using namespace debugger;

constexpr const char* kProgram = "/usr/share/doc/zlib1g-dev/examples/enough.c";

// The source file and first line-table row of each function in llvm-readobj's dump of the object.
struct FirstLine {
    std::string file;
    unsigned line = 0;
};
std::map<std::string, FirstLine> FirstLines(const std::string& dump) {
    std::map<std::string, FirstLine> first;
    std::ifstream in(dump);
    std::string function, file;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("    LinkageName: ", 0) == 0) function = line.substr(17);
        else if (line.rfind("      Filename: ", 0) == 0) file = line.substr(16, line.rfind(" (") - 16);
        else if (line.find("LineNumberStart: ") != std::string::npos && !function.empty()) {
            first.emplace(function, FirstLine{file, unsigned(std::stoul(line.substr(line.find(": ") + 2)))});
            function.clear();
        }
    }
    return first;
}

TEST(RealProgram, EveryTextSymbolOfTheObjectHasItsFunctionFileAndFirstLine) {
    if (std::ifstream(kProgram).fail()) GTEST_SKIP() << kProgram << " is missing (scripts/setup.sh installs zlib1g-dev)";
    test::ConvertedProgram p = test::BuildConverted("x86_64", {kProgram}, "enough");
    if (!p.skip.empty()) GTEST_SKIP() << p.skip;
    ASSERT_EQ(p.problem, "");
    tarvo::test::ScopedScriptedUi ui;
    DebugInfo info;
    ASSERT_TRUE(OpenExecutable(info, tarvo::test::SourceOf("enough.exe", p.image), false));
    EXPECT_EQ(tarvo::test::BoxTexts(ui.ui), "");
    std::map<std::string, FirstLine> firstLines = FirstLines(p.objects[0] + ".cv");
    // nm's text symbols ("T" and "t") of the object, and their addresses in the image.
    auto text = [](const std::string& listing) {
        std::map<std::string, std::uint64_t> out;
        std::istringstream lines(listing);
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::string value, kind, name;
            if (words >> value >> kind >> name && (kind == "T" || kind == "t") && name[0] != '.') out[name] = std::stoull(value, nullptr, 16);
        }
        return out;
    };
    // Where ld put the object's code (its map): a symbol's address is that plus its value.
    std::ifstream mapFile(p.map);
    LinkMap map = ReadLinkMap(std::string((std::istreambuf_iterator<char>(mapFile)), {}));
    std::uint64_t code = 0;
    for (const MapPlacement& s : map[p.objects[0]])
        if (s.section == ".text") code = s.address;
    ASSERT_NE(code, 0u);
    int functions = 0, ownFile = 0;
    for (const auto& [name, value] : text(test::RunShell("x86_64-w64-mingw32-nm --defined-only " + p.objects[0]))) {
        ++functions;
        int module = ModuleOfAddress(info, code + value);
        ASSERT_NE(module, 0) << name;
        int index = FunctionOfAddress(info.modules[module], code + value);
        ASSERT_GE(index, 0) << name;
        const Function& f = info.modules[module].Functions()[index];
        EXPECT_EQ(f.name, name);
        EXPECT_EQ(f.start, code + value) << name;
        LineHit line = LineOfAddress(info, f.start);
        ASSERT_TRUE(firstLines.count(name)) << name;
        EXPECT_EQ(line.line, firstLines[name].line) << name;
        ASSERT_GE(line.file, 0) << name;
        EXPECT_EQ(info.modules[line.module].files[line.file].name, tarvo::testbed::test::ToWindows(firstLines[name].file)) << name;
        ownFile += firstLines[name].file == kProgram;
    }
    EXPECT_GE(ownFile, 8);  // the program's own functions, beside the inline ones of the headers
    EXPECT_GE(functions, 10);
    std::printf("enough.c: %d functions nm lists as text (%d of them in enough.c), all found\n", functions, ownFile);
}

}  // namespace
}  // namespace tarvo::testbed
