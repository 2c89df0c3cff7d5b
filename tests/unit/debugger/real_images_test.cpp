// Images made by the i686 and x86_64 cross compilers (at test-build time, from
// data/debug_sample.c), checked against nm's list of their symbols.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "debugger/debug_queries.h"
#include "debugger/debug_reader.h"
#include "scripted_ui.h"

namespace tarvo::debugger {
namespace {

struct RealImage : ::testing::TestWithParam<const char*> {
    test::ScopedScriptedUi ui;
    DebugInfo info;
    std::map<std::string, std::uint64_t> textSymbols;  // nm's "T" symbols
    std::map<std::string, int> seen;
    std::string d;  // the decoration of C names
    void SetUp() override {
        std::string path = std::string(TARVO_DEBUG_IMAGES) + "/sample_" + GetParam() + ".exe";
        std::ifstream nm(path + ".nm");
        ASSERT_TRUE(nm) << path;
        for (std::string line; std::getline(nm, line);) {
            std::istringstream in(line);
            std::string value, kind, name;
            if (!(in >> value >> kind >> name) || kind != "T") continue;
            textSymbols[name] = std::stoull(value, nullptr, 16);
            ++seen[name];
        }
        ImageSource source;
        ASSERT_TRUE(ReadImageFile(path, 0, source));
        ASSERT_TRUE(OpenExecutable(info, std::move(source), false));
        d = info.images[0]->target->decoration;
    }
    std::uint64_t Nm(const std::string& name) { return textSymbols.count(name) ? textSymbols[name] : 0; }
};

TEST_P(RealImage, CoffSymbolsAgreeWithNm) {
    EXPECT_EQ(test::BoxTexts(ui.ui), "");
    const Image& exe = *info.images[0];
    EXPECT_EQ(exe.target->pointerSize, std::string(GetParam()) == "x86_64" ? 8u : 4u);
    EXPECT_FALSE(exe.codeView);
    ASSERT_GT(textSymbols.size(), 20u);
    for (const auto& [name, address] : textSymbols) {
        if (seen[name] == 1) {
            EXPECT_EQ(CoffSymbolAddress(exe, name).value_or(0), address) << name;
        }
    }
    auto f = CoffFunctionAt(exe, Nm(d + "add_twice") + 3);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->name, d + "add_twice");
    EXPECT_EQ(f->end, Nm(d + "main"));
}

TEST_P(RealImage, ImportsAndTheirThunks) {
    const Import* exit = FindImport(info, "kernel32.dll", "ExitProcess");
    const Import* ticks = FindImport(info, "KERNEL32.DLL", "GetTickCount");
    ASSERT_TRUE(exit);
    ASSERT_TRUE(ticks);
    EXPECT_EQ(exit->thunk, Nm(d + (d.empty() ? "ExitProcess" : "ExitProcess@4")));
    EXPECT_NE(exit->thunk, 0u);
    // The 32-bit GetTickCount symbol is absolute (value 0): no thunk, and never the header.
    EXPECT_EQ(ticks->thunk, d.empty() ? Nm("GetTickCount") : 0u);
    EXPECT_GT(exit->slot, info.images[0]->loadBase + 0x1000);
}

TEST_P(RealImage, EntryFunctionWithoutCodeView) {
    ASSERT_TRUE(FindEntryFunction(info));
    EXPECT_EQ(info.entryFunction, Nm(d + "main"));
    EXPECT_EQ(info.mainModule, 0);  // no modules: the run goes on without source
    EXPECT_EQ(test::BoxTexts(ui.ui), "");
}

INSTANTIATE_TEST_SUITE_P(CrossCompiled, RealImage, ::testing::Values("i686", "x86_64"),
                         [](const auto& p) { return std::string(p.param); });

}  // namespace
}  // namespace tarvo::debugger
