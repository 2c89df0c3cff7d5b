// The decoder against objdump's disassembly of the cross-compiled sample images (every
// instruction of their code, C runtime included), and byte cases for forms those lack.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>

#include "debugger/instructions.h"
#include "binary/pe_image.h"
#include "value_image.h"

namespace tarvo::debugger {
namespace {

using K = InstructionKind;
const Target& T32() { return *TargetOf(kMachineI386); }
const Target& T64() { return *TargetOf(kMachineAmd64); }

// A register of objdump's operand text ("%eax", "%r12", "%r9d"), -1 for the none-index (eiz).
int RegisterOf(const std::string& name) {
    if (name[0] == 'r' && std::isdigit(static_cast<unsigned char>(name[1]))) return std::stoi(name.substr(1));
    static const std::vector<std::string> kLow = {"ax", "cx", "dx", "bx", "sp", "bp", "si", "di"};
    auto at = std::find(kLow.begin(), kLow.end(), name.substr(1));
    return at == kLow.end() ? -1 : static_cast<int>(at - kLow.begin());
}

// An indirect call's operand compared with objdump's: "*%reg", "*0xN(%rip) # N", "*disp(base,index,scale)".
void CheckOperand(const Instruction& in, const std::string& operand, const std::string& comment, std::uint64_t mask) {
    static const std::regex kMemory(R"(\*(-?0x[0-9a-f]+)?(?:\((%\w+)?(?:,(%\w+),(\d))?\))?)");
    if (operand.starts_with("*%")) {
        EXPECT_FALSE(in.memory);
        EXPECT_EQ(in.base, RegisterOf(operand.substr(2)));
        return;
    }
    std::smatch m;
    ASSERT_TRUE(std::regex_match(operand, m, kMemory));
    if (m[2] == "%rip" || m[2] == "%eip") {
        EXPECT_TRUE(in.memory && in.base == -1 && in.index == -1);
        EXPECT_EQ(static_cast<std::uint64_t>(in.displacement), std::stoull(comment, nullptr, 16));
    } else {
        EXPECT_TRUE(in.memory);
        EXPECT_EQ(in.base, m[2].matched ? RegisterOf(m[2].str().substr(1)) : -1);
        EXPECT_EQ(in.index, m[3].matched ? RegisterOf(m[3].str().substr(1)) : -1);
        EXPECT_EQ(in.scale, in.index >= 0 ? std::stoul(m[4]) : 1);
        std::int64_t disp = m[1].matched ? std::stoll(m[1], nullptr, 16) : 0;
        EXPECT_EQ(static_cast<std::uint64_t>(in.displacement) & mask, static_cast<std::uint64_t>(disp) & mask);
    }
}

struct ObjdumpOracle : ::testing::TestWithParam<const char*> {};

TEST_P(ObjdumpOracle, EveryInstructionOfTheImage) {
    std::string path = std::string(TARVO_DEBUG_IMAGES) + "/sample_" + GetParam() + ".exe";
    std::ifstream image(path, std::ios::binary), dis(path + ".dis");
    ASSERT_TRUE(image && dis) << path;
    std::vector<std::uint8_t> file{std::istreambuf_iterator<char>(image), {}};
    PeHeaders h;
    ASSERT_TRUE(ReadPeHeaders(file, h));
    const Target& target = *TargetOf(h.machine->machine);
    const std::uint64_t mask = target.pointerSize == 8 ? ~0ull : 0xFFFFFFFFull;
    static const std::regex kLine(R"(^ *([0-9a-f]+):\t([0-9a-f ]+?) *\t(.*)$)");
    static const std::regex kPrefix(R"(^(data16|addr32|lock|bnd|notrack|[cdefgs]s|rex[.WRXB]*|(rep\w*)) +)");
    static const std::regex kString(R"((movs|stos|lods|scas|cmps|ins|outs)[bwlq]?)");
    std::map<std::string, int> counts;
    for (std::string line; std::getline(dis, line);) {
        std::smatch m;
        if (!std::regex_match(line, m, kLine)) continue;
        const std::uint64_t address = std::stoull(m[1], nullptr, 16);
        const unsigned size = static_cast<unsigned>((m[2].length() + 1) / 3);
        std::string text = m[3], comment;
        if (auto hash = text.find("# "); hash != std::string::npos) comment = text.substr(hash + 2);
        bool repeat = false;
        for (std::smatch p; std::regex_search(text, p, kPrefix);) {
            repeat |= p[2].matched;
            text = p.suffix();
        }
        std::istringstream words(text);
        std::string mnemonic, operand;
        words >> mnemonic >> operand;
        if (mnemonic == "(bad)" || mnemonic == ".byte") continue;  // data between functions
        K want = K::Other;
        if (mnemonic.starts_with("call") || mnemonic.starts_with("lcall")) want = K::Call;
        else if (repeat && std::regex_match(mnemonic, kString)) want = K::RepeatedString;
        else if (mnemonic == "int3") want = K::Breakpoint;
        else if (mnemonic == "int") want = K::Interrupt;
        else if (mnemonic.starts_with("loop")) want = K::Loop;

        const Section* section = SectionOfRva(h, address - h.imageBase);
        ASSERT_TRUE(section) << line;
        std::uint64_t offset = section->rawPointer + (address - h.imageBase - section->virtualAddress);
        Bytes code = Slice(file, offset, section->rawPointer + section->rawSize - offset);
        Instruction in = DecodeInstruction(target, code, address);
        ASSERT_EQ(in.kind, want) << line;
        if (want == K::Other) {
            EXPECT_EQ(in.length, 0u) << line;
            ++counts["other"];
            continue;
        }
        EXPECT_EQ(in.length, size) << line;
        if (want != K::Call) {
            ++counts[want == K::RepeatedString ? "rep string" : "int3, int, loop"];
        } else if (operand.starts_with("*")) {
            SCOPED_TRACE(line);
            CheckOperand(in, operand, comment, mask);
            ++counts[comment.empty() ? "indirect call" : "ip-relative call"];
        } else {
            EXPECT_EQ(in.target, std::stoull(operand, nullptr, 16)) << line;
            ++counts["direct call"];
        }
    }
    std::string report;
    for (const auto& [kind, n] : counts) report += kind + " " + std::to_string(n) + ", ";
    std::printf("[ %s ] checked: %s\n", GetParam(), report.c_str());
    EXPECT_GT(counts["direct call"], 50);
    EXPECT_GT(counts["indirect call"] + counts["ip-relative call"], 15);
    EXPECT_GE(counts["rep string"], 1);
    EXPECT_GT(counts["other"], 1000);
}

INSTANTIATE_TEST_SUITE_P(CrossCompiled, ObjdumpOracle, ::testing::Values("i686", "x86_64"),
                         [](const auto& p) { return std::string(p.param); });

Instruction Decode(const Target& t, std::vector<std::uint8_t> bytes, std::uint64_t address = 0x401000) {
    return DecodeInstruction(t, bytes, address);
}

// Forms the images lack, at 0x401000. `flag` is a call's `far`; `value` a direct call's target
// or a memory operand's displacement.
struct Case {
    const char* what;
    bool wide;
    std::vector<std::uint8_t> bytes;
    K kind;
    unsigned length;
    bool flag = false;
    int base = -1, index = -1;
    unsigned scale = 1;
    std::uint64_t value = 0;
};

const Case kCases[] = {
    {"call rel16 cuts ip to 16 bits", false, {0x66, 0xE8, 0x10, 0x00}, K::Call, 4, false, -1, -1, 1, 0x1014},
    {"0x66 leaves a 64-bit call alone", true, {0x66, 0xE8, 0x10, 0, 0, 0}, K::Call, 6, false, -1, -1, 1, 0x401016},
    {"dec eax on 32-bit", false, {0x48, 0xE8, 0, 0, 0, 0}, K::Other, 0},
    {"prefixes count", false, {0xF0, 0x26, 0x2E, 0x36, 0x3E, 0x65, 0xF2, 0xE8, 0, 0, 0, 0}, K::Call, 12, false, -1, -1, 1, 0x40100C},
    {"call ptr16:32", false, {0x9A, 1, 2, 3, 4, 5, 6}, K::Call, 7, true},
    {"call ptr16:16", false, {0x66, 0x9A, 1, 2, 3, 4}, K::Call, 6, true},
    {"no far call on 64-bit", true, {0x9A, 1, 2, 3, 4, 5, 6}, K::Other, 0},
    {"call far [eax]", false, {0xFF, 0x18}, K::Call, 2, true, kAx},
    {"a far call needs memory", false, {0xFF, 0xD8}, K::Other, 0},
    {"call [r12]: SIB needed", true, {0x41, 0xFF, 0x14, 0x24}, K::Call, 4, false, kR12},
    {"call [r13+8]: displacement needed", true, {0x41, 0xFF, 0x55, 0x08}, K::Call, 4, false, kR13, -1, 1, 8},
    {"rm 101 under REX.B stays ip-relative", true, {0x41, 0xFF, 0x15, 0x10, 0, 0, 0}, K::Call, 7, false, -1, -1, 1, 0x401017},
    {"call [r12*8+0x1000]", true, {0x43, 0xFF, 0x14, 0xE5, 0x00, 0x10, 0, 0}, K::Call, 8, false, -1, kR12, 8, 0x1000},
    {"SIB base 101 under mod 01: r13+8", true, {0x41, 0xFF, 0x54, 0x25, 0x08}, K::Call, 5, false, kR13, -1, 1, 8},
    {"REX only right before the opcode", true, {0x41, 0x66, 0xFF, 0xD4}, K::Call, 4, false, kSp},
    {"call [bp+si+0x10]", false, {0x67, 0xFF, 0x52, 0x10}, K::Call, 4, false, kBp, kSi, 1, 0x10},
    {"call [0x1234]", false, {0x67, 0xFF, 0x16, 0x34, 0x12}, K::Call, 5, false, -1, -1, 1, 0x1234},
    {"call [bx+0x1234]", false, {0x67, 0xFF, 0x97, 0x34, 0x12}, K::Call, 5, false, kBx, -1, 1, 0x1234},
    {"call [si]: no SIB under 0x67", false, {0x67, 0xFF, 0x14}, K::Call, 3, false, kSi},
    {"rep movsw", false, {0xF3, 0x66, 0xA5}, K::RepeatedString, 3},
    {"repne scasb", false, {0xF2, 0xAE}, K::RepeatedString, 2},
    {"movsd without rep", false, {0xA5}, K::Other, 0},
    {"rep ret", false, {0xF3, 0xC3}, K::Other, 0},
    {"int3", false, {0xCC}, K::Breakpoint, 1},
    {"int 2e", true, {0xCD, 0x2E}, K::Interrupt, 2},
    {"loop", false, {0xE2, 0xFE}, K::Loop, 2},
    {"jecxz", false, {0xE3, 0xFE}, K::Other, 0},
    {"nothing", false, {}, K::Truncated, 0},
    {"a prefix alone", true, {0x66}, K::Truncated, 0},
    {"no SIB", true, {0xFF, 0x14}, K::Truncated, 0},
};

TEST(Instructions, FormsTheImagesLack) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        Instruction in = Decode(c.wide ? T64() : T32(), c.bytes);
        EXPECT_EQ(in.kind, c.kind);
        EXPECT_EQ(in.length, c.length);
        EXPECT_EQ(in.far, c.flag);
        EXPECT_EQ(in.base, c.base);
        EXPECT_EQ(in.index, c.index);
        EXPECT_EQ(in.index >= 0 ? in.scale : 1, c.scale);
        EXPECT_EQ(in.indirect ? static_cast<std::uint64_t>(in.displacement) : in.target, c.value);
    }
    // Wrapping at 4 GB: the 32-bit machine's calls, the 64-bit one's ip-relative slot under 0x67.
    EXPECT_EQ(Decode(T32(), {0xE8, 0x00, 0x01, 0, 0}, 0xFFFFFFF0).target, 0xF5u);
    Instruction in = Decode(T64(), {0x67, 0xFF, 0x15, 0x00, 0x01, 0, 0}, 0xFFFFFFF0);
    EXPECT_TRUE(in.length == 7 && in.displacement == 0xF7 && in.addressSize == 4);
}

TEST(Instructions, CallTargetsFromRegistersAndMemory) {
    test::FakeMemory mem;
    mem.Word(0x401008, 0x402000, 4);
    mem.Word(0x10, 0x403000, 8);
    Registers regs;
    regs.general[kAx] = 0xABCD00012345678;
    regs.general[kCx] = 2;
    auto target = [&](const Target& t, std::vector<std::uint8_t> bytes) {
        return CallTarget(t, Decode(t, bytes), regs, mem.Reader());
    };
    EXPECT_EQ(target(T32(), {0xFF, 0xD0}), 0x12345678u);  // the low 32 bits
    EXPECT_EQ(target(T64(), {0xFF, 0xD0}), 0xABCD00012345678u);
    EXPECT_EQ(target(T32(), {0x66, 0xFF, 0xD0}), 0x5678u);  // call ax
    EXPECT_EQ(target(T32(), {0x66, 0xFF, 0x15, 0x08, 0x10, 0x40, 0}), 0x2000u);  // a 16-bit slot
    EXPECT_EQ(target(T32(), {0xE8, 0x10, 0, 0, 0}), 0x401015u);
    EXPECT_EQ(target(T32(), {0xFF, 0x14, 0x8D, 0x00, 0x10, 0x40, 0x00}), 0x402000u);
    regs.general[kAx] = 0xFFFFFFF0;
    EXPECT_EQ(target(T32(), {0xFF, 0x50, 0x20}), 0x403000u);  // [eax + 0x20] wraps at 4 GB
    EXPECT_EQ(target(T64(), {0xFF, 0x50, 0x20}), std::nullopt);  // unreadable slot
    EXPECT_EQ(target(T64(), {0x67, 0xFF, 0x50, 0x20}), 0x403000u);  // 32-bit address registers
    EXPECT_EQ(target(T32(), {0x64, 0xFF, 0x15, 0x10, 0, 0, 0}), std::nullopt);  // fs: base unknown
    EXPECT_EQ(target(T32(), {0x64, 0x3E, 0xFF, 0x15, 0x10, 0, 0, 0}), 0x403000u);
    EXPECT_EQ(target(T32(), {0xFF, 0x1D, 0x10, 0, 0, 0}), std::nullopt);  // far
    EXPECT_EQ(target(T32(), {0x90}), std::nullopt);
}

}  // namespace
}  // namespace tarvo::debugger
