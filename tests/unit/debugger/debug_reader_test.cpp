// The reader and its queries on the sample program, as a 32-bit and as a 64-bit image.
#include <gtest/gtest.h>

#include "base/command_ids.h"
#include "debug_test_util.h"
#include "debugger/cv_types.h"
#include "debugger/debug_queries.h"
#include "debugger/modules_menu.h"
#include "sample_image.h"
#include "scripted_ui.h"

namespace tarvo::debugger {
namespace {

using test::SourceOf;

struct SampleRun : ::testing::TestWithParam<bool> {
    test::ScopedScriptedUi ui;
    DebugInfo info;
    test::SampleTypes types{};
    std::uint64_t base = 0, code = 0, data = 0;
    void SetUp() override {
        test::PeSpec spec = test::SampleSpec(GetParam(), &types);
        base = spec.imageBase;
        code = base + 0x1000;
        data = base + test::LayoutOf(spec).rdataRva;
        ASSERT_TRUE(OpenExecutable(info, SourceOf("sample.exe", test::BuildPe(spec)), false));
    }
    const Module& M(int n) { return info.modules[n]; }
    TypeRef T(std::uint16_t index) { return {0, index}; }
};

TEST_P(SampleRun, HeadersAndTablesOfBothImageKinds) {
    EXPECT_EQ(test::BoxTexts(ui.ui), "");
    const Image& exe = *info.images[0];
    EXPECT_EQ(exe.target->pointerSize, GetParam() ? 8u : 4u);
    EXPECT_EQ(exe.loadBase, base);
    EXPECT_TRUE(exe.console);
    EXPECT_TRUE(exe.codeView);
    EXPECT_EQ(exe.code.start, code);
    ASSERT_EQ(info.modules.size(), 4u);  // module 3 has symbols but no lines: still in the table
    EXPECT_EQ(M(1).name, "Main.OBJ");
    EXPECT_EQ(M(3).name, "helper.obj");
    ASSERT_EQ(M(3).Functions().size(), 1u);
    EXPECT_EQ(M(3).Functions()[0].start, code + 0x340);
    ASSERT_EQ(M(1).Functions().size(), 2u);
    const Function& main = M(1).Functions()[0];
    EXPECT_EQ(main.name, "main");
    EXPECT_EQ(main.end, code + 0x80);
    EXPECT_EQ(main.debugStart, code + 3);
    std::span<const Local> locals = M(1).LocalsOf(main);
    ASSERT_EQ(locals.size(), 2u);
    EXPECT_EQ(locals[0].name, "count");
    EXPECT_EQ(locals[0].frameOffset, -4);
    EXPECT_TRUE(locals[1].inRegister);
    EXPECT_EQ(RegisterName(*exe.target, locals[1].reg), GetParam() ? "rax" : "eax");
    EXPECT_TRUE(M(1).LocalsOf(M(1).Functions()[1]).empty());
    EXPECT_EQ(M(1).Functions()[1].kind, 0x204);
    ASSERT_EQ(M(1).files.size(), 2u);
    EXPECT_EQ(M(1).files[1].name, "C:\\src\\util.h");
}

TEST_P(SampleRun, ModuleAndFunctionOfAnAddressFollowSplitCode) {
    struct Case { std::uint32_t offset; int module; const char* function; };
    const Case cases[] = {
        {0x0, 1, "main"}, {0x7F, 1, "main"}, {0xA0, 1, "static_fn"}, {0x100, 2, "util_add"},
        {0x2FF, 2, "util_add"}, {0x310, 1, ""},  // module 1's second segment, inside no function
        {0x340, 3, "helper"}, {0x360, 0, ""}, {0x5000, 0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ModuleOfAddress(info, code + c.offset), c.module) << std::hex << c.offset;
        EXPECT_EQ(FunctionNameAt(info, code + c.offset), c.function == std::string("") && c.offset == test::kSampleThunk
                                                             ? "ExitProcess" : c.function) << std::hex << c.offset;
    }
}

TEST_P(SampleRun, LineOfAnAddressTakesTheLineWhoseCodeHoldsIt) {
    struct Case { std::uint32_t offset; unsigned line; int file; };
    const Case cases[] = {
        {0x0, 10, 0}, {0x8, 10, 0}, {0x10, 12, 0}, {0x7F, 22, 0}, {0x80, 40, 1}, {0x95, 41, 1},
        {0xC5, 40, 0}, {0x330, 52, 0}, {0x150, 6, 0}, {0x340, 0, -1}, {0x2000, 0, -1},
    };
    for (const Case& c : cases) {
        LineHit h = LineOfAddress(info, code + c.offset);
        EXPECT_EQ(h.line, c.line) << std::hex << c.offset;
        if (c.line) {
            EXPECT_EQ(h.file, c.file) << std::hex << c.offset;
        }
    }
}

TEST_P(SampleRun, AddressOfALineSearchesOnlyTheRequestedFile) {
    // main.c:40 and util.h:40 both have code; each request gets its own file's.
    LineHit c = AddressOfLine(info, 1, 0, 40), h = AddressOfLine(info, 1, 1, 40);
    EXPECT_EQ(c.address, code + 0xC0);
    EXPECT_EQ(h.address, code + 0x80);
    // A line without code gives the nearest one with code; the first met wins a tie.
    LineHit blank = AddressOfLine(info, 1, 0, 11);
    EXPECT_EQ(blank.line, 10u);
    EXPECT_EQ(AddressOfLine(info, 1, 0, 16).line, 13u);
    EXPECT_EQ(AddressOfLine(info, 1, 0, 1000).line, 52u);
    EXPECT_EQ(AddressOfLine(info, 1, 5, 10).line, 0u);  // no such file
    EXPECT_EQ(AddressOfLine(info, 9, 0, 10).line, 0u);  // no such module
}

TEST_P(SampleRun, SourceFilesByPathThenByNameWithItsExtension) {
    struct Case { const char* name; FileMatch match; int module, file; };
    const Case cases[] = {
        {"C:\\src\\main.c", FileMatch::Found, 1, 0}, {"c:/SRC/Main.C", FileMatch::Found, 1, 0},
        {"util.h", FileMatch::Found, 1, 1},          {"util.c", FileMatch::Found, 2, 0},
        {"src\\util.c", FileMatch::Found, 2, 0},      {"main", FileMatch::NotFound, 0, -1},
        {"D:\\other\\main.h", FileMatch::NotFound, 0, -1},
    };
    for (const Case& c : cases) {
        FileHit h = FindSourceFile(info, c.name);
        EXPECT_EQ(h.match, c.match) << c.name;
        EXPECT_EQ(h.module, c.module) << c.name;
        EXPECT_EQ(h.file, c.file) << c.name;
    }
    EXPECT_EQ(test::BoxTexts(ui.ui), "");
}

TEST_P(SampleRun, NamesInTheirOrderAndCase) {
    info.currentModule = 2;
    SymbolHit s = FindSymbol(info, "counter");
    ASSERT_TRUE(s);
    EXPECT_EQ(s.entry->value, data + 0x30);  // module 2's own static
    info.currentModule = 1;
    EXPECT_EQ(FindSymbol(info, "counter").entry->value, data + 0x10);
    ASSERT_TRUE(FindSymbol(info, "file_static"));  // the static subsection's, for any module
    EXPECT_EQ(FindSymbol(info, "file_static").entry->value, data + 0x40);
    EXPECT_EQ(FindSymbol(info, "g_count").entry->value, data + 0x50);
    EXPECT_FALSE(FindSymbol(info, "G_COUNT"));  // same bucket, another name
    EXPECT_EQ(NameHash("G_COUNT") & 0x3FF, NameHash("g_count") & 0x3FF);
    EXPECT_EQ(FindSymbol(info, "main").entry->function, 0);
    EXPECT_EQ(FindConstant(info, "LIMIT"), 42);
    EXPECT_FALSE(FindConstant(info, "MAXV"));  // a numeric value is not kept
    EXPECT_EQ(FindFunction(info, "util_add").module, 2);
    EXPECT_EQ(FindStatic(info, "counter").entry->value, data + 0x10);
}

TEST_P(SampleRun, TypesDecodeEveryNumericLeafAndNeverDivideByZero) {
    EXPECT_EQ(TypeSize(info, T(types.point)), 8u);
    EXPECT_EQ(TypeSize(info, T(types.value)), 40000u);  // a union has its own size
    EXPECT_EQ(TypeSize(info, T(types.values)), 120000u);
    EXPECT_EQ(ArrayCount(info, T(types.values)), 3u);
    EXPECT_EQ(ArrayCount(info, T(types.nothings)), 0u);
    EXPECT_EQ(TypeSize(info, T(types.big)), 40000u);
    EXPECT_EQ(TypeSize(info, T(types.pointToPoint)), GetParam() ? 8u : 4u);
    EXPECT_EQ(TypeSize(info, T(types.color)), 4u);
    EXPECT_EQ(TypeSize(info, T(0x74)), 4u);
    EXPECT_EQ(TypeSize(info, T(GetParam() ? 0x670 : 0x470)), GetParam() ? 8u : 4u);
    EXPECT_EQ(PointedType(info, T(0x470))->index, 0x70);
    EXPECT_EQ(PointedType(info, T(types.pointToPoint))->index, types.point);
    EXPECT_EQ(TypeName(info, T(types.values)), "values");
    EXPECT_EQ(TypeName(info, T(types.big)), "big");
    EXPECT_EQ(TypeByName(info, 0, "value")->index, types.value);
    EXPECT_EQ(TypeByName(info, 0, "color")->index, types.color);
    EXPECT_FALSE(TypeByName(info, 0, "nowhere"));
    std::vector<Field> colors = Fields(info, T(types.color));
    ASSERT_EQ(colors.size(), 3u);
    EXPECT_EQ(colors[1].name, "BLUE");
    EXPECT_EQ(colors[1].value, -2);
    EXPECT_EQ(colors[2].value, 70000);
    std::vector<Field> members = Fields(info, T(types.point));
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[1].name, "y");
    EXPECT_EQ(members[1].value, 4);
    auto bits = ReadBitField(info, T(types.bits));
    ASSERT_TRUE(bits);
    EXPECT_EQ(bits->length, 3);
    EXPECT_EQ(bits->position, 5);
    EXPECT_FALSE(FindTypeRecord(info, T(0x2000)));
}

TEST_P(SampleRun, ImportsAndOnlyTrueThunks) {
    const Image& exe = *info.images[0];
    ASSERT_EQ(exe.imports.size(), 3u);
    EXPECT_EQ(exe.imports[2].dll, "USER32.dll");
    EXPECT_EQ(exe.imports[2].function, "MessageBoxA");
    const Import* exit = FindImport(info, "kernel32.dll", "ExitProcess");
    ASSERT_TRUE(exit);
    EXPECT_EQ(exit->thunk, code + test::kSampleThunk);
    EXPECT_EQ(ImportByThunk(info, code + test::kSampleThunk), exit);
    EXPECT_EQ(exe.imports[1].thunk, 0u);  // an absolute symbol of that name is no thunk
    EXPECT_EQ(exe.imports[2].thunk, 0u);  // nor is code without the jump
    ResolveImportAddresses(info, [&](std::uint64_t address, void* out, std::size_t size) {
        std::uint64_t v = address + 0x1000;
        std::memcpy(out, &v, size);
        return address != exe.imports[2].slot;
    });
    EXPECT_EQ(exit->address, exit->slot + 0x1000);
    EXPECT_EQ(ImportByAddress(info, exit->slot + 0x1000), exit);
    EXPECT_EQ(exe.imports[2].address, 0u);  // unreadable: left unresolved
    EXPECT_EQ(ImportBySlot(info, exit->slot), exit);
}

TEST_P(SampleRun, CoffSymbolsNameAndBoundCodeWithoutRecords) {
    const Image& exe = *info.images[0];
    std::string d = GetParam() ? "" : "_";
    EXPECT_EQ(CoffSymbolAddress(exe, d + "util_add"), code + 0x100);  // section-relative values
    EXPECT_FALSE(CoffSymbolAddress(exe, GetParam() ? "GetTickCount" : "_GetTickCount@0"));
    EXPECT_EQ(CoffSymbolAddress(exe, d + "a_rather_long_function_name"), code + 0x390);
    auto f = CoffFunctionAt(exe, code + 0x350);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->name, d + "helper");
    EXPECT_EQ(f->end, code + test::kSampleThunk);
    Context c;
    EXPECT_TRUE(CurrentContext(info, 0, code + 0x395, c));
    EXPECT_EQ(c.function, -1);
    EXPECT_EQ(c.substitute.name, d + "a_rather_long_function_name");
    EXPECT_TRUE(CurrentContext(info, 2, code + 0x120, c));
    EXPECT_EQ(c.function, 0);
    EXPECT_FALSE(CurrentContext(info, 0, base + 0x10, c));  // the headers: no code
    std::vector<std::string> names = CoffFunctionNames(exe);
    EXPECT_EQ(names.front(), "main");
    EXPECT_EQ(std::count(names.begin(), names.end(), "ExitProcess"), 1);
}

TEST_P(SampleRun, EntryFunctionAndMainModule) {
    ASSERT_TRUE(FindEntryFunction(info));
    EXPECT_EQ(info.entryFunction, code);
    EXPECT_EQ(info.mainModule, 1);
    EXPECT_EQ(info.modules[1].currentFile, 0);
    EXPECT_EQ(info.kind, ProgramKind::C);
}

TEST_P(SampleRun, DllModulesFollowDenselyAndKeepTheirOwnTables) {
    test::PeSpec dllSpec = test::SampleDllSpec(GetParam());
    std::uint64_t dllBase = dllSpec.imageBase + 0x100000;  // loaded away from its preferred base
    int added = 0;
    ASSERT_TRUE(LoadDll(info, SourceOf("lib.dll", test::BuildPe(dllSpec), dllBase), added));
    EXPECT_EQ(added, 1);
    ASSERT_EQ(info.modules.size(), 5u);
    EXPECT_EQ(info.modules[4].name, "dll.obj");
    EXPECT_EQ(ModuleOfAddress(info, dllBase + 0x1000 + 0x20), 4);
    EXPECT_EQ(LineOfAddress(info, dllBase + 0x1000 + 0x20).line, 4u);
    info.currentModule = 4;
    SymbolHit s = FindSymbol(info, "dll_global");
    ASSERT_TRUE(s);
    EXPECT_EQ(s.image, 1);
    EXPECT_FALSE(FindSymbol(info, "g_count"));  // in a DLL only its own globals count
    // The type index 0x1000 is the DLL's structure, not the executable's field list.
    std::optional<TypeRef> counter = TypeOfName(info, "counter");
    ASSERT_TRUE(counter);
    EXPECT_EQ(TypeName(info, *counter), "dllpoint");
    EXPECT_EQ(TypeSize(info, *counter), 24u);
    info.currentModule = 1;
    EXPECT_TRUE(FindSymbol(info, "dll_global"));  // from the executable every DLL is searched
    std::vector<MenuItem> menu = ModulesMenu(info);
    ASSERT_EQ(menu.size(), 4u);
    EXPECT_EQ(menu[0].text, "main.c");
    EXPECT_EQ(menu[3].text, "dll.c");
    EXPECT_EQ(ModuleOfMenuCommand(menu[3].command), 4);
}

INSTANTIATE_TEST_SUITE_P(BothMachines, SampleRun, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "PE32plus" : "PE32"; });

TEST(DebugInfo, DebugDirectoryInItsOwnSectionGivesTheSameTables) {
    test::ScopedScriptedUi ui;
    test::PeSpec spec = test::SampleSpec(false);
    spec.debugSection = true;
    DebugInfo info;
    ASSERT_TRUE(OpenExecutable(info, test::SourceOf("d.exe", test::BuildPe(spec)), false));
    EXPECT_EQ(info.modules.size(), 4u);
    EXPECT_EQ(LineOfAddress(info, 0x401000 + 0x10).line, 12u);
    EXPECT_EQ(test::BoxTexts(ui.ui), "");
}

TEST(DebugInfo, ModulesMenuSkipsUnnamedModulesAndStartsColumns) {
    DebugInfo info;
    info.modules.resize(41);
    std::vector<std::string> names(41);
    for (int m = 1; m <= 40; ++m) {
        names[m] = m == 5 ? "" : "M" + std::to_string(m) + ".OBJ";
        info.modules[m].name = names[m];
    }
    std::vector<MenuItem> menu = ModulesMenu(info);
    ASSERT_EQ(menu.size(), 39u);
    EXPECT_EQ(menu[4].text, "m6.c");
    EXPECT_EQ(menu[4].command, CMD_FIRST_MODULE + 6);
    // 18 items to a column, the menu's own first item included.
    EXPECT_FALSE(menu[16].newColumn);
    EXPECT_TRUE(menu[17].newColumn);
    EXPECT_TRUE(menu[35].newColumn);
    EXPECT_EQ(ModuleOfMenuCommand(CMD_FIRST_MODULE), 0);
    EXPECT_EQ(ModuleOfMenuCommand(CMD_STACK_WINDOW), 0);
}

}  // namespace
}  // namespace tarvo::debugger
