// Damaged objects and libraries thrown at the COFF reading layer and the cross reference
// (fixed seeds, bounded work). The readers must not crash, hang or read past the bytes (the
// sanitizer build checks); every damaged file either reads or is skipped with a reason.
#include <gtest/gtest.h>

#include <random>

#include "binary/archive.h"
#include "binary/coff.h"
#include "coff_builder.h"
#include "damage.h"
#include "scripted_ui.h"
#include "tools/obj_xref.h"

namespace tarvo::binary {
namespace {

test::ByteVec Seed(std::uint16_t machine) {
    test::ObjSpec s;
    s.machine = machine;
    s.sections = {{".text$a_long_function_name", 40}, {".data", 8, 0xC0000040}, {".bss", 16, 0xC0000080}};
    test::ObjSymbol f{"a_long_function_name", 0, 1, 2, 0x20, test::ByteVec(18, 0)};
    s.symbols = {test::FileSymbol("a_rather_long_source_file_name.c"), f, {"_common", 4, 0, 2, 0, {}},
                 {"_ext", 0, 0, 2, 0, {}}, {"static", 0, 2, 3, 0, {}}};
    return test::BuildObject(s).bytes;
}

TEST(CoffFuzz, DamagedObjectsAndLibrariesReadOrAreSkipped) {
    test::ScopedScriptedUi ui;
    std::mt19937 rng(20261207);
    int read = 0, skipped = 0;
    for (int round = 0; round < 3000; ++round) {
        test::ByteVec b = Seed(round % 2 ? kMachineAmd64 : kMachineI386);
        if (round % 3 == 0) b = test::BuildArchive({{"first.obj", b}, {"a_long_member_name.obj", b}}, round % 2);
        test::Damage(b, rng);
        Bytes bytes(b.data(), b.size());
        // The layer on its own.
        CoffHeader h;
        if (ReadCoffHeader(bytes, 0, h)) {
            CoffFault fault = CoffFault::None;
            Bytes strings = StringTableOf(bytes, h, fault);
            std::vector<Section> sections;
            std::vector<Symbol> symbols;
            std::size_t badNames = 0;
            ReadSections(bytes, h, strings, sections, fault);
            ReadSymbols(bytes, h, strings, symbols, fault, badNames);
            for (const Symbol& s : symbols) EXPECT_LE(s.aux.size(), 255u * kSymbolSize);
        }
        std::vector<ArchiveMember> members;
        std::string problem;
        ReadArchive(bytes, members, problem);
        // And through the cross reference.
        tools::XrefModel model;
        tools::AddBytes(model, "f", bytes);
        tools::Link(model);
        read += !model.modules.empty();
        skipped += !model.skipped.empty();
        for (const tools::XrefSkip& s : model.skipped) EXPECT_NE(s.reason, 0u);
    }
    EXPECT_GT(read, 1000);  // most damage leaves something to read: the linking was reached
    EXPECT_GT(skipped, 300);
    EXPECT_TRUE(ui.ui.boxes.empty());
}

}  // namespace
}  // namespace tarvo::binary
