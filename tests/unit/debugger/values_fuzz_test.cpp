// Random expressions and texts thrown at the scanner, the picker and the evaluator, and every
// type index formatted over random memory, also with damaged type tables (fixed seeds, bounded
// work). Nothing is compared: nothing may crash, hang or read past its buffers, which the
// sanitizer build checks.
#include <gtest/gtest.h>

#include <random>

#include "debugger/expressions.h"
#include "binary/pe_image.h"
#include "scripted_ui.h"
#include "value_image.h"

namespace tarvo::debugger {
namespace {

const char* const kWords[] = {"g_point", "g_ints", "g_name", "g_cycle", "g_outer", "g_const", "g_flags", "g_number", "p",
                              "count", "r", "odd", "LIMIT", "main", "x", "y", "next", "where", "->", ".", "[", "]", "+",
                              "-", "*", "/", "0", "1", "-1", "0x7FFFFFFF", "99999999999999999999", "(", ";", "'", "\"",
                              "/*", "1.5", " ", "\n"};

std::string RandomText(std::mt19937& rng) {
    std::string s;
    int n = static_cast<int>(rng() % 24);
    for (int i = 0; i < n; ++i) {
        if (rng() % 8 == 0) s += static_cast<char>(rng() % 256);
        else s += kWords[rng() % std::size(kWords)];
    }
    return s;
}

// Memory that answers every address inside a window with random bytes, and nothing outside.
test::FakeMemory RandomMemory(std::mt19937& rng, std::uint64_t from, std::size_t size) {
    test::FakeMemory m;
    for (std::size_t i = 0; i < size; ++i) m.bytes[from + i] = static_cast<std::uint8_t>(rng() % 4 ? rng() : 0);
    return m;
}

void Exercise(const DebugInfo& info, const test::FakeMemory& mem, std::mt19937& rng, std::uint64_t around, int expressions) {
    Registers regs;
    for (auto& g : regs.general) g = around + rng() % 0x100;
    EvalContext ctx{&info, mem.Reader(), &regs, around + 0x100, rng() % 2 ? 10 : 16};
    for (int n = 0; n < expressions; ++n) {
        std::string text = RandomText(rng);
        PickExpressions(info, text, 1 + rng() % 5);
        EvaluateToText(ctx, text, 1 + rng() % 200);
        ValueNode tree;
        std::string error;
        if (EvaluateToTree(ctx, text, tree, error)) {
            ValueNode opened;
            for (const ValueNode& c : tree.children)
                if (c.more) FormatTree(ctx.Source(), *c.more, opened);
            // Opening a node into its own tree: the node's value goes with the old children.
            if (!tree.children.empty() && tree.children[0].more) FormatTree(ctx.Source(), *tree.children[0].more, tree);
        }
    }
    ValueSource src = ctx.Source();
    for (std::uint32_t t = 0; t < 0x1040; t += (t < 0x800 ? 1 + rng() % 16 : t < 0x1000 ? 0x80 : 1)) {
        Value v;
        v.type = {0, static_cast<std::uint16_t>(t)};
        v.address = around + rng() % 0x200;
        std::string out;
        FormatValue(src, v, out, 1 + rng() % 300);
        ValueNode node;
        FormatTree(src, v, node);
        TypeText(info, v.type);
    }
}

TEST(ValuesFuzz, RandomExpressionsMemoryAndDamagedTypesNeverCrash) {
    test::ScopedScriptedUi ui;
    std::mt19937 rng(20261207);
    for (bool is64 : {false, true}) {
        test::ValueRun run;
        ASSERT_TRUE(run.Open(is64));
        run.info.currentModule = 1;
        run.info.currentFunction = 0;
        std::uint64_t data = run.data;
        for (int round = 0; round < 20; ++round) Exercise(run.info, RandomMemory(rng, data, 0x300), rng, data, 100);
        test::ValueTypes types{};
        test::ByteVec image = test::BuildPe(test::ValueSpec(is64, types));
        // Damage inside the CodeView data (the last section), where the type records are.
        PeHeaders h;
        ASSERT_TRUE(ReadPeHeaders(Bytes(image), h));
        std::size_t from = h.sections.back().rawPointer;
        int read = 0;
        for (int round = 0; round < 150; ++round) {
            test::ByteVec b = image;
            for (int k = 0; k < 1 + static_cast<int>(rng() % 6); ++k) b[from + rng() % (b.size() - from)] = static_cast<std::uint8_t>(rng());
            DebugInfo info;
            if (!OpenExecutable(info, test::SourceOf("v.exe", b), false)) continue;
            ++read;
            info.currentModule = info.modules.size() > 1 ? 1 : 0;
            info.currentFunction = 0;
            Exercise(info, RandomMemory(rng, data, 0x300), rng, data, 10);
            ui.ui.boxes.clear();
        }
        EXPECT_GT(read, 50);
    }
}

}  // namespace
}  // namespace tarvo::debugger
