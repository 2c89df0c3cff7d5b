// Damaged images: each bad offset, length or count gives its message and skips only what it
// spoils; nothing reads past the file (the sanitizer build checks that).
#include <gtest/gtest.h>

#include <functional>

#include "debug_test_util.h"
#include "debugger/cv_types.h"
#include "debugger/debug_queries.h"
#include "sample_image.h"
#include "scripted_ui.h"

namespace tarvo::debugger {
namespace {

using test::ByteVec;

struct Sample {
    ByteVec bytes;
    test::PeLayout layout;
    std::uint32_t U32(std::size_t at) const { return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t(bytes[at + 3]) << 24; }
    void Put16(std::size_t at, std::uint16_t v) { bytes[at] = v & 0xFF, bytes[at + 1] = v >> 8; }
    void Put32(std::size_t at, std::uint32_t v) { Put16(at, v & 0xFFFF), Put16(at + 2, v >> 16); }
    std::size_t Directory() const { return layout.codeViewOffset + U32(layout.codeViewOffset + 4); }
    std::size_t Entry(int i) const { return Directory() + 16 + 12 * i; }  // subsection i's directory entry
    std::size_t Subsection(int i) const { return layout.codeViewOffset + U32(Entry(i) + 4); }
};

// The sample's subsections, in directory order.
enum { kMod1, kMod2, kMod3, kSym1, kSym2, kSym3, kSrc1, kSrc2, kStatics, kGlobals, kTypes };

constexpr const char* kDamaged1 = "x.exe: 1 damaged parts of the debug information were skipped|";
constexpr const char* kBadCodeView = "x.exe: the CodeView debug information is damaged and is not used|";
constexpr const char* kUnrecognized = "Unrecognized file format|";
constexpr const char* kNoDebugInfo = "No debugging information in x.exe|";

struct Case {
    const char* what;
    std::function<void(Sample&)> damage;
    bool reads;
    const char* boxes;
    std::function<void(const DebugInfo&)> check;  // what must still be there
};

void StillHasModule2(const DebugInfo& info) {
    ASSERT_GE(info.modules.size(), 3u);
    EXPECT_EQ(info.modules[2].name, "util.obj");
    EXPECT_EQ(LineOfAddress(info, 0x401000 + 0x120).line, 6u);
}

const Case kCases[] = {
    {"not MZ", [](Sample& s) { s.bytes[0] = 'Z'; }, false, kUnrecognized, nullptr},
    {"e_lfanew past the end", [](Sample& s) { s.Put32(0x3C, 0xFFFFFFF0); }, false, kUnrecognized, nullptr},
    {"PE signature", [](Sample& s) { s.bytes[s.layout.ntOffset + 1] = 'X'; }, false, kUnrecognized, nullptr},
    {"unknown machine", [](Sample& s) { s.Put16(s.layout.ntOffset + 4, 0x1C0); }, false, kUnrecognized, nullptr},
    {"optional header too short", [](Sample& s) { s.Put16(s.layout.ntOffset + 20, 40); }, false, kUnrecognized, nullptr},
    {"section table cut off", [](Sample& s) { s.bytes.resize(s.layout.sectionTableOffset + 50); }, false, kUnrecognized, nullptr},
    {"no COFF symbols", [](Sample& s) { s.Put32(s.layout.ntOffset + 16, 0); }, false, kNoDebugInfo, nullptr},
    {"symbol table past the end", [](Sample& s) { s.Put32(s.layout.ntOffset + 12, 0x7FFFFFF0); }, false, kNoDebugInfo, nullptr},
    {"string table too long",
     [](Sample& s) { s.Put32(s.layout.symbolsOffset + 18 * 8, 0x7FFFFFFF); }, true, "Incorrect length of string table|",
     [](const DebugInfo& info) {
         EXPECT_EQ(info.images[0]->coff.back().name, "");  // its long name is lost, nothing else
         EXPECT_EQ(info.images[0]->coff[1].name, "_main");  // short names stay
     }},
    {"debug entry past the end", [](Sample& s) { s.Put32(s.layout.debugDirOffset + 24, 0x7FFFFF00); }, true, kDamaged1,
     [](const DebugInfo& info) { EXPECT_EQ(info.modules.size(), 1u); }},
    {"directory offset past the data", [](Sample& s) { s.Put32(s.layout.codeViewOffset + 4, 0x7FFFFFF0); }, true, kBadCodeView,
     [](const DebugInfo& info) { EXPECT_EQ(info.modules.size(), 1u); }},
    {"directory header size", [](Sample& s) { s.Put16(s.Directory(), 4); }, true, kBadCodeView, nullptr},
    {"directory entry size", [](Sample& s) { s.Put16(s.Directory() + 2, 8); }, true, kBadCodeView, nullptr},
    {"directory entry count", [](Sample& s) { s.Put32(s.Directory() + 4, 0x10000000); }, true, kBadCodeView, nullptr},
    {"subsection offset", [](Sample& s) { s.Put32(s.Entry(kSrc1) + 4, 0x7FFFFFF0); }, true, kDamaged1,
     [](const DebugInfo& info) {
         StillHasModule2(info);
         EXPECT_TRUE(info.modules[1].files.empty());
     }},
    {"subsection size", [](Sample& s) { s.Put32(s.Entry(kSym2) + 8, 0x7FFFFFF0); }, true, kDamaged1, StillHasModule2},
    {"module index of source lines", [](Sample& s) { s.Put16(s.Entry(kSrc1) + 2, 0); }, true, "Incorrect module index 0|",
     StillHasModule2},
    {"module name past the subsection", [](Sample& s) { s.Put16(s.Subsection(kMod1) + 4, 0x7000); }, true, kDamaged1,
     StillHasModule2},
    {"aligned symbols without signature", [](Sample& s) { s.Put32(s.Subsection(kSym1), 7); }, true, kDamaged1,
     [](const DebugInfo& info) { EXPECT_TRUE(info.modules[1].Functions().empty()); }},
    {"record length past the subsection", [](Sample& s) { s.Put16(s.Subsection(kSym2) + 4, 0xFFF0); }, true, kDamaged1,
     [](const DebugInfo& info) { EXPECT_TRUE(info.modules[2].Functions().empty()); }},
    {"record length zero", [](Sample& s) { s.Put16(s.Subsection(kSym3) + 4, 0); }, true, kDamaged1, StillHasModule2},
    {"procedure end offset", [](Sample& s) { s.Put32(s.Subsection(kSym1) + 4 + 8, 0x7FFFFFF0); }, true, kDamaged1,
     [](const DebugInfo& info) {
         ASSERT_EQ(info.modules[1].Functions().size(), 2u);  // kept, without its locals
         EXPECT_EQ(info.modules[1].Functions()[0].localCount, 0u);
     }},
    {"procedure name length", [](Sample& s) { s.bytes[s.Subsection(kSym3) + 4 + 37] = 200; }, true, kDamaged1,
     [](const DebugInfo& info) { EXPECT_TRUE(info.modules[3].Functions().empty()); }},
    {"line table count", [](Sample& s) {
         std::size_t sub = s.Subsection(kSrc2), file = sub + s.U32(sub + 4), table = sub + s.U32(file + 4);
         s.Put16(table + 2, 0xFFFF);
     }, true, kDamaged1,
     [](const DebugInfo& info) {
         EXPECT_TRUE(info.modules[2].files.empty());
         EXPECT_EQ(LineOfAddress(info, 0x401000 + 0x10).line, 12u);
     }},
    {"source file offset", [](Sample& s) { s.Put32(s.Subsection(kSrc1) + 4, 0x7FFFFFF0); }, true, kDamaged1, StillHasModule2},
    {"line segment number", [](Sample& s) {
         std::size_t sub = s.Subsection(kSrc2), file = sub + s.U32(sub + 4), table = sub + s.U32(file + 4);
         s.Put16(table, 40);
     }, true, kDamaged1, nullptr},
    {"global symbols length", [](Sample& s) { s.Put32(s.Subsection(kGlobals) + 4, 0x7FFFFFF0); }, true, kDamaged1,
     StillHasModule2},
    {"type count", [](Sample& s) { s.Put32(s.Subsection(kTypes) + 4, 0x7FFFFFF0); }, true, kDamaged1,
     [](const DebugInfo& info) { EXPECT_TRUE(info.images[0]->types.offsets.empty()); }},
    {"type offset", [](Sample& s) { s.Put32(s.Subsection(kTypes) + 8 + 4, 0x7FFFFFF0); }, true, kDamaged1,
     [](const DebugInfo& info) { EXPECT_EQ(TypeSize(info, {0, 0x1003}), 0u); }},
    {"import name outside every section", [](Sample& s) { s.Put32(s.layout.idataOffset + 12, 0x7FFFFFF0); }, true, kDamaged1,
     [](const DebugInfo& info) {
         ASSERT_EQ(info.images[0]->imports.size(), 1u);
         EXPECT_EQ(info.images[0]->imports[0].function, "MessageBoxA");
     }},
    {"import directory without end", [](Sample& s) {
         std::size_t dir = s.layout.sectionTableOffset - 16 * 8 + 8;
         s.Put32(dir + 4, 0x7FFFFFF0);
         for (std::size_t i = 0; i < 60; ++i) s.bytes[s.layout.idataOffset + 40 + i] = 0x11;
     }, true, nullptr, nullptr},
};

TEST(DebugReaderErrors, EachDamageGivesItsMessageAndSkipsOnlyItsPart) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        test::ScopedScriptedUi ui;
        test::PeSpec spec = test::SampleSpec(false);
        Sample s{test::BuildPe(spec), test::LayoutOf(spec)};
        c.damage(s);
        DebugInfo info;
        EXPECT_EQ(OpenExecutable(info, test::SourceOf("x.exe", s.bytes), false), c.reads);
        // Symbols are decoded on first use, and their damage reported then: use them all.
        for (const auto& image : info.images) image->Names();
        for (const Module& m : info.modules) m.Symbols();
        if (c.boxes) {
            EXPECT_EQ(test::BoxTexts(ui.ui), c.boxes);
        }
        if (c.check && c.reads) c.check(info);
    }
}

TEST(DebugReaderErrors, DamagedSymbolsAreReportedOnceWhenFirstUsed) {
    test::ScopedScriptedUi ui;
    test::PeSpec spec = test::SampleSpec(false);
    Sample s{test::BuildPe(spec), test::LayoutOf(spec)};
    s.Put16(s.Subsection(kSym2) + 4, 0xFFF0);
    DebugInfo info;
    ASSERT_TRUE(OpenExecutable(info, test::SourceOf("x.exe", s.bytes), false));
    EXPECT_EQ(test::BoxTexts(ui.ui), "");  // symbols are not decoded yet
    StillHasModule2(info);                 // modules and lines need no symbols
    EXPECT_EQ(test::BoxTexts(ui.ui), "");
    EXPECT_EQ(FunctionOfAddress(info.modules[1], 0x401000), 0);
    EXPECT_EQ(test::BoxTexts(ui.ui), kDamaged1);
    EXPECT_TRUE(info.modules[2].Functions().empty());
    EXPECT_FALSE(FindSymbol(info, "util_add"));
    // The name tables and the module's own decoding agree on which function a name is.
    SymbolHit hit = FindSymbol(info, "static_fn");
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit.entry->module, 1);
    EXPECT_EQ(info.modules[1].Functions()[hit.entry->function].name, "static_fn");
    EXPECT_EQ(test::BoxTexts(ui.ui), kDamaged1);  // once, not at every use
}

TEST(DebugReaderErrors, AttachingWithoutSymbolsSaysSo) {
    test::ScopedScriptedUi ui;
    test::PeSpec spec = test::SampleSpec(true);
    spec.symbols.clear();
    DebugInfo info;
    EXPECT_FALSE(OpenExecutable(info, test::SourceOf("x.exe", test::BuildPe(spec)), true));
    EXPECT_EQ(test::BoxTexts(ui.ui), "Impossible to attach\nNo debug information in executable|");
    // A DLL needs no COFF symbols.
    int added = 0;
    info.modules.resize(1);
    EXPECT_TRUE(LoadDll(info, test::SourceOf("x.dll", test::BuildPe(spec)), added));
    EXPECT_EQ(added, 3);
}

TEST(DebugReaderErrors, FilesThatCannotBeReadOrHoldNoEntry) {
    test::ScopedScriptedUi ui;
    ImageSource source;
    EXPECT_FALSE(ReadImageFile("/nonexistent/dir/x.exe", 0, source));
    EXPECT_EQ(test::BoxTexts(ui.ui), "Couldn't open file|");
    test::PeSpec spec = test::SampleSpec(false);
    for (test::CoffSym& c : spec.symbols) if (c.name == "_main") c.name = "_other";
    DebugInfo info;
    ASSERT_TRUE(OpenExecutable(info, test::SourceOf("x.exe", test::BuildPe(spec)), false));
    // The CodeView "main" is not a decorated entry name; the COFF "_main" is gone.
    EXPECT_FALSE(FindEntryFunction(info));
    EXPECT_EQ(test::BoxTexts(ui.ui), "Couldn't open file|Impossible to find the entry point. No debug information|");
    EXPECT_TRUE(info.images[0]->coff.empty());
}

}  // namespace
}  // namespace tarvo::debugger
