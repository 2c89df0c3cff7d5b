// Damaged images thrown at the whole reader, followed by a few queries (fixed seeds, bounded
// work). Nothing is compared: the reader must not crash, hang or read past the file, which the
// sanitizer build checks.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "../testbed/codeview_images.h"
#include "damage.h"
#include "debug_test_util.h"
#include "debugger/cv_types.h"
#include "debugger/debug_queries.h"
#include "debugger/modules_menu.h"
#include "sample_image.h"
#include "scripted_ui.h"

namespace tarvo::debugger {
namespace {

using test::ByteVec;

using test::Damage;

void Ask(DebugInfo& info) {
    for (std::size_t m = 0; m < info.modules.size() + 1; ++m) {
        info.currentModule = static_cast<int>(m);
        for (int f = -1; f < 3; ++f) AddressOfLine(info, static_cast<int>(m), f, 12);
        FindSymbol(info, "counter");
        FindConstant(info, "LIMIT");
    }
    for (const auto& image : info.images) {
        std::uint64_t base = image->loadBase;
        for (std::uint64_t a = base; a < base + 0x1400; a += 0x70) {
            LineOfAddress(info, a);
            Context c;
            CurrentContext(info, ModuleOfAddress(info, a), a, c);
            FunctionNameAt(info, a);
        }
        for (std::uint16_t t = 0x1000; t < 0x1010; ++t) {
            TypeRef r{0, t};
            TypeSize(info, r);
            ArrayCount(info, r);
            TypeName(info, r);
            Fields(info, r);
            PointedType(info, r);
        }
        TypeByName(info, 0, "point");
        CoffFunctionNames(*image);
    }
    FindSourceFile(info, "main.c");
    FindFunction(info, "util_add");
    FindStatic(info, "counter");
    ModulesMenu(info);
    ResolveImportAddresses(info, [](std::uint64_t, void* out, std::size_t size) {
        std::memset(out, 0, size);
        return true;
    });
    FindEntryFunction(info);
}

ByteVec FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return ByteVec(std::istreambuf_iterator<char>(in), {});
}

TEST(DebugReaderFuzz, DamagedImagesNeverCrashTheReaderOrTheQueries) {
    test::ScopedScriptedUi ui;
    struct Seed {
        ByteVec bytes;
        int cases;
        std::size_t from = 0;
    };
    std::vector<Seed> seeds = {
        {test::BuildPe(test::SampleSpec(false)), 700},   {test::BuildPe(test::SampleSpec(true)), 700},
        {test::BuildPe(test::SampleDllSpec(false)), 200},
        {FileBytes(std::string(TARVO_DEBUG_IMAGES) + "/sample_i686.exe"), 30},
        {FileBytes(std::string(TARVO_DEBUG_IMAGES) + "/sample_x86_64.exe"), 30},
    };
    // Images whose CodeView the linker stand-in converted: damaged inside that data (the last
    // section), where a whole-file hit would seldom land.
    for (const char* machine : {"i686", "x86_64"}) {
        const testbed::test::ConvertedProgram& p = testbed::test::CodeViewSample(machine);
        PeHeaders h;
        if (p.skip.empty() && p.problem.empty() && ReadPeHeaders(Bytes(p.image), h))
            seeds.push_back({p.image, 150, h.sections.back().rawPointer});
    }
    std::mt19937 rng(20261206);
    int read = 0;
    for (const Seed& seed : seeds) {
        ASSERT_FALSE(seed.bytes.empty());
        for (int n = 0; n < seed.cases; ++n) {
            ByteVec b = seed.bytes;
            Damage(b, rng, seed.from);
            DebugInfo info;
            if (OpenExecutable(info, test::SourceOf("f.exe", b), false)) {
                ++read;
                int added = 0;
                LoadDll(info, test::SourceOf("f.dll", b, 0x20000000), added);
                Ask(info);
            }
            ui.ui.boxes.clear();
        }
    }
    EXPECT_GT(read, 300);  // most damage leaves a readable image: the queries were reached
}

}  // namespace
}  // namespace tarvo::debugger
