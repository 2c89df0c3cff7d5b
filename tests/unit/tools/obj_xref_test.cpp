// The cross reference on objects written by the test builder: what each module defines and
// uses, commons, duplicate definitions, long section names, libraries, Find, the texts, and
// damaged files that are skipped and named in one message.
#include <gtest/gtest.h>

#include "coff_builder.h"
#include "editor_test_util.h"
#include "file_faults.h"
#include "scripted_ui.h"
#include "tools/obj_xref.h"
#include "tools/relations.h"
#include "tools/tools_messages.h"

namespace tarvo::tools {
namespace {

using test::ObjSection;
using test::ObjSpec;
using test::ObjSymbol;

binary::Bytes View(const test::ByteVec& b) { return binary::Bytes(b.data(), b.size()); }

ObjSymbol Defined(const std::string& name, std::int16_t section = 1) { return {name, 0, section, 2, 0x20, {}}; }
ObjSymbol Undefined(const std::string& name) { return {name, 0, 0, 2, 0, {}}; }
ObjSymbol Common(const std::string& name, std::uint32_t size) { return {name, size, 0, 2, 0, {}}; }

// main.obj uses _f (defined twice: a.obj and b.obj) and the common _counter, which a.obj and
// c.obj both define; c.obj uses nothing, and its _lonely is used by nobody.
test::ByteVec MainObject() {
    ObjSpec s;
    s.sections = {{".text", 16}, {".rdata", 4, 0x40000040}};
    s.symbols = {test::FileSymbol("main.c"), Defined("_main"), Undefined("_f"), Undefined("_counter"),
                 Undefined("_nowhere"), Undefined("__imp__ExitProcess@4")};
    return test::BuildObject(s).bytes;
}

test::ByteVec DefiningObject(const std::string& source, bool withF, bool withLonely) {
    ObjSpec s;
    // gcc's -ffunction-sections writes ".text$<function>" names longer than 8 characters.
    s.sections = {{".text$f_with_a_long_name", 32}, {".data", 8, 0xC0000040}, {".bss", 12, 0xC0000080}};
    s.symbols = {test::FileSymbol(source), Common("_counter", 4), Defined("__internal"), Defined("??_C@x")};
    if (withF) {
        ObjSymbol f = Defined("_f");
        f.aux = test::ByteVec(18, 0);
        f.aux[4] = 32;  // the function's size
        s.symbols.push_back(f);
    }
    if (withLonely) s.symbols.push_back(Defined("_lonely", 2));
    return test::BuildObject(s).bytes;
}

struct Fixture : ::testing::Test {
    test::ScopedScriptedUi ui;
    XrefModel model;
    void Load() {
        AddBytes(model, "dir\\main.obj", View(MainObject()));
        AddBytes(model, "dir\\a.obj", View(DefiningObject("a.c", true, false)));
        AddBytes(model, "dir\\b.obj", View(DefiningObject("b.c", true, false)));
        AddBytes(model, "dir\\c.obj", View(DefiningObject("c.c", false, true)));
        Link(model);
    }
    const XrefModule& M(std::size_t i) { return model.modules.at(i); }
};

TEST_F(Fixture, ModulesKnowTheirSymbolsSizesAndSources) {
    Load();
    ASSERT_EQ(model.modules.size(), 4u);
    EXPECT_TRUE(model.skipped.empty());
    EXPECT_EQ(M(0).source, "main.c");
    EXPECT_EQ(M(0).code, 16u);
    EXPECT_EQ(M(0).data, 0u);  // ".rdata" does not begin with ".data"
    ASSERT_EQ(M(0).publics.size(), 1u);
    // Names beginning with "__" or "??" are not listed.
    std::vector<std::string> externs;
    for (const XrefExtern& e : M(0).externs) externs.push_back(e.name);
    EXPECT_EQ(externs, (std::vector<std::string>{"_f", "_counter", "_nowhere"}));
    // A long section name is resolved, so its code counts.
    EXPECT_EQ(M(1).code, 32u);
    EXPECT_EQ(M(1).data, 8u);
    EXPECT_EQ(M(1).bss, 12u);
    ASSERT_EQ(M(1).sections.size(), 3u);
    EXPECT_EQ(M(1).sections[0].name, ".text$f_with_a_long_name");
}

TEST_F(Fixture, EveryDefinerAndEveryUserIsLinked) {
    Load();
    const XrefExtern& f = M(0).externs[0];
    EXPECT_EQ(f.definers, (std::vector<ModuleIndex>{1, 2}));  // a duplicate definition shows
    // A common is defined by each module that declares it, with its size.
    const XrefExtern& counter = M(0).externs[1];
    EXPECT_EQ(counter.definers, (std::vector<ModuleIndex>{1, 2, 3}));
    EXPECT_TRUE(M(0).externs[2].definers.empty());
    const XrefPublic& common = M(1).publics[0];
    EXPECT_TRUE(common.common);
    EXPECT_EQ(common.size, 4u);
    EXPECT_EQ(common.users, (std::vector<ModuleIndex>{0}));
    EXPECT_EQ(M(1).publics[1].size, 32u);  // from the auxiliary record
    EXPECT_EQ(M(0).uses, (std::vector<ModuleIndex>{1, 2, 3}));
    EXPECT_EQ(M(3).usedBy, (std::vector<ModuleIndex>{0}));
    EXPECT_TRUE(M(0).usedBy.empty());
    std::vector<std::string> unreferenced;
    for (const XrefPublic* p : Unreferenced(M(3))) unreferenced.push_back(p->name);
    EXPECT_EQ(unreferenced, (std::vector<std::string>{"_lonely"}));
}

TEST_F(Fixture, TextsTotalsAndFind) {
    Load();
    EXPECT_EQ(ModuleText(M(1)), "a.obj\ncode: 32, data: 8\nbss: 12");
    EXPECT_EQ(SymbolCountText(M(0)), "4 Symbols");
    EXPECT_EQ(ExternText(model, M(0).externs[0]), "_f defined in a.obj, b.obj");
    EXPECT_EQ(ExternText(model, M(0).externs[2]), "_nowhere not defined");
    EXPECT_EQ(PublicText(model, M(1).publics[1]), "Used in: main.obj\n(size 32)");
    EXPECT_EQ(PublicText(model, M(3).publics[1]), "Not used\n(size 0)");
    XrefTotals t = Totals(model);
    EXPECT_EQ(t.code, 16u + 3 * 32u);
    EXPECT_EQ(t.data, 4u + 3 * 8u);  // ".rdata" holds DATA
    EXPECT_EQ(t.bss, 3 * 12u);
    EXPECT_EQ(t.other, 0u);
    EXPECT_EQ(TotalsText(t), "Totals\nDATA:   28\nBSS:      36\nCODE:   112\nOTHER: 0\n");
    // Find takes the name as written in C and adds the machine's underscore.
    XrefFound found = Find(model, "f");
    EXPECT_EQ(found.definers, (std::vector<ModuleIndex>{1, 2}));
    EXPECT_EQ(found.users, (std::vector<ModuleIndex>{0}));
    EXPECT_EQ(FindText(model, "f", found), "Defined in a.obj, b.obj.   Used in main.obj");
    EXPECT_EQ(FindText(model, "nowhere", Find(model, "nowhere")), "nowhere not defined   Used in main.obj");
    EXPECT_TRUE(Find(model, "absent").users.empty());
}

TEST_F(Fixture, LibrariesInBothFormsKeepMembersByPosition) {
    for (bool microsoft : {false, true}) {
        XrefModel lib;
        // Two members of one name, and one whose name needs the long-name table.
        test::ByteVec archive = test::BuildArchive({{"a.obj", DefiningObject("a.c", true, false)},
                                                    {"a.obj", DefiningObject("again.c", false, true)},
                                                    {"a_rather_long_member_name.obj", MainObject()}},
                                                   microsoft);
        AddBytes(lib, "lib\\x.lib", View(archive));
        Link(lib);
        ASSERT_EQ(lib.modules.size(), 3u) << microsoft;
        EXPECT_TRUE(lib.skipped.empty());
        EXPECT_EQ(lib.modules[0].file, "lib\\x.lib(a.obj)");
        EXPECT_EQ(lib.modules[1].file, "lib\\x.lib(a.obj)");
        EXPECT_EQ(lib.modules[1].member, 1u);
        EXPECT_EQ(lib.modules[1].source, "again.c");
        EXPECT_EQ(lib.modules[2].file, "lib\\x.lib(a_rather_long_member_name.obj)");
        EXPECT_EQ(lib.modules[2].externs[0].definers, (std::vector<ModuleIndex>{0}));
    }
}

TEST_F(Fixture, ShortImportRecordsDefineTheFunctionAndItsSlot) {
    test::ByteWriter w;
    w.U16(0), w.U16(0xFFFF), w.U16(0), w.U16(0x14C), w.U32(0);
    std::string names = std::string("_Sleep@4") + '\0' + "KERNEL32.dll" + '\0';
    w.U32(names.size()), w.U16(7), w.U16(0);
    for (char c : names) w.U8(c);
    AddBytes(model, "k.lib(KERNEL32.dll)", View(w.b));
    ASSERT_EQ(model.modules.size(), 1u);
    ASSERT_EQ(model.modules[0].publics.size(), 1u);  // "__imp_" + "_Sleep@4" begins with "__"
    EXPECT_EQ(model.modules[0].publics[0].name, "_Sleep@4");
    EXPECT_EQ(model.modules[0].source, "KERNEL32.dll");
    w.b.resize(w.b.size() - 3);  // the DLL name unterminated
    AddBytes(model, "cut", View(w.b));
    ASSERT_EQ(model.skipped.size(), 1u);
}

TEST_F(Fixture, DamagedFilesAreSkippedAndNamedInOneMessage) {
    test::ObjSpec spec;
    spec.sections = {{".text", 4}};
    spec.symbols = {Defined("a_long_symbol_name")};
    test::BuiltObject good = test::BuildObject(spec);
    auto damaged = [&](std::size_t at, std::uint32_t value) {
        test::ByteVec b = good.bytes;
        for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(value >> (8 * k));
        return b;
    };
    test::ByteVec tiny = {0x4C, 0x01, 0x01};
    test::ByteVec image = good.bytes;
    image[16] = 0xE0;  // an optional header: an image, not an object
    test::ByteVec arm = good.bytes;
    arm[0] = 0xC4, arm[1] = 0x01;
    test::ByteVec aux = good.bytes;
    aux[good.symbolTable + 17] = 5;  // more auxiliary records than the table holds
    struct Case {
        const char* name;
        test::ByteVec bytes;
        unsigned reason;
    } cases[] = {
        {"tiny", tiny, kMsgUnrecognizedFormat},
        {"image", image, kMsgUnrecognizedFormat},
        {"arm", arm, kMsgUnrecognizedFormat},
        // The count times 18 overflows 32 bits: checked in 64-bit arithmetic.
        {"count", damaged(12, 0x0E38E38F), kMsgXrefSymbolsPastEnd},
        {"position", damaged(8, 0xFFFFFFF0), kMsgXrefSymbolsPastEnd},
        {"sections", damaged(2, 0xFFFFFFFF), kMsgXrefSectionsPastEnd},
        {"strings", damaged(good.stringTable, 0x7FFFFFFF), kMsgXrefBadStrings},
        {"name", damaged(good.symbolTable + 4, 0x10000), kMsgXrefBadName},
        {"aux", aux, kMsgXrefAuxPastEnd},
    };
    for (const Case& c : cases) AddBytes(model, c.name, View(c.bytes));
    EXPECT_TRUE(model.modules.empty());
    ASSERT_EQ(model.skipped.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(model.skipped[i].reason, cases[i].reason) << cases[i].name;
    // Through the files: one message names each skipped file and why; the good one stays.
    editor::test::TempDir dir;
    ASSERT_TRUE(test::WriteBytes(dir / "good.obj", good.bytes));
    ASSERT_TRUE(test::WriteBytes(dir / "bad.obj", tiny));
    ASSERT_TRUE(BuildXref({dir / "good.obj", dir / "bad.obj", dir / "missing.obj"}, model));
    EXPECT_EQ(model.modules.size(), 1u);
    EXPECT_EQ(test::BoxTexts(ui.ui), "These files were skipped:\nbad.obj: Unrecognized file format\nmissing.obj: cannot be read\n|");
    EXPECT_EQ(ObjectFilesIn(dir.path), (std::vector<std::string>{dir.path + "\\bad.obj", dir.path + "\\good.obj"}));
}

TEST_F(Fixture, AFailingFileOperationSkipsThatFileAndNoOther) {
    editor::test::TempDir dir;
    std::vector<std::string> paths;
    for (const char* name : {"a.obj", "b.obj", "c.obj"}) {
        paths.push_back(dir / name);
        ASSERT_TRUE(test::WriteBytes(paths.back(), MainObject()));
    }
    test::FaultPlan plan;
    int failures = 0;
    for (long n = 1;; ++n) {
        ui.ui.boxes.clear();
        bool ok = test::WithFailingCall(n, plan, [&] { return BuildXref(paths, model); });
        ASSERT_TRUE(ok);
        if (!plan.Met()) break;
        // The failed call's file is named once, the others are read whole. A failed close, or
        // a failed read after the last byte, loses nothing.
        ASSERT_LE(model.skipped.size(), 1u) << n << " " << plan.failed;
        EXPECT_EQ(model.modules.size() + model.skipped.size(), 3u);
        for (const XrefModule& m : model.modules) EXPECT_EQ(m.externs.size(), 3u);
        EXPECT_EQ(ui.ui.boxes.size(), model.skipped.size());
        failures += static_cast<int>(model.skipped.size());
    }
    EXPECT_GE(failures, 6);  // each file's open and first read
    EXPECT_EQ(model.modules.size(), 3u);
    EXPECT_TRUE(ui.ui.boxes.empty());
}

TEST_F(Fixture, ADamagedLibraryKeepsTheMembersBeforeTheDamage) {
    test::ByteVec archive = test::BuildArchive({{"a.obj", MainObject()}, {"b.obj", MainObject()}}, false);
    archive.resize(archive.size() - 10);
    AddBytes(model, "x.a", View(archive));
    EXPECT_EQ(model.modules.size(), 1u);
    ASSERT_EQ(model.skipped.size(), 1u);
    EXPECT_EQ(SkippedText(model.skipped).find("x.a: damaged library: member at offset "), 26u);
}

TEST_F(Fixture, TheRelationsPictureHasABoxPerModuleAndAnArrowPerUse) {
    Load();
    // c.obj also uses main.obj: the pair gets one arrow with two heads.
    model.modules[0].publics.push_back({"_back", 0, false, {}});
    model.modules[3].externs.push_back({"_back", {}});
    for (XrefModule& m : model.modules) m.uses.clear(), m.usedBy.clear();
    for (XrefModule& m : model.modules)
        for (XrefPublic& p : m.publics) p.users.clear();
    for (XrefModule& m : model.modules)
        for (XrefExtern& e : m.externs) e.definers.clear();
    Link(model);
    RelationPicture p = LayOutRelations(model);
    ASSERT_EQ(p.boxes.size(), 4u);
    EXPECT_EQ(p.width, 2 * kRelationCellWidth);
    for (std::size_t i = 0; i < p.boxes.size(); ++i)
        for (std::size_t j = i + 1; j < p.boxes.size(); ++j)
            EXPECT_TRUE(p.boxes[i].x != p.boxes[j].x || p.boxes[i].y != p.boxes[j].y) << i << " " << j;
    // main uses a, b and c; c uses main (the same pair as main to c).
    ASSERT_EQ(p.arrows.size(), 3u);
    for (const RelationArrow& a : p.arrows) {
        EXPECT_EQ(a.from, 0u);
        EXPECT_EQ(a.both, a.to == 3u);
        const RelationBox& b = p.boxes[a.from];
        bool onEdge = a.x1 == b.x || a.x1 == b.x + b.width || a.y1 == b.y || a.y1 == b.y + b.height;
        EXPECT_TRUE(onEdge) << a.x1 << "," << a.y1;
    }
    EXPECT_TRUE(LayOutRelations(XrefModel{}).boxes.empty());
}

}  // namespace
}  // namespace tarvo::tools
