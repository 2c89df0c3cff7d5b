// The binary editor's core: rows checked against od and xxd, the offset width and the scroll
// scale of large files, search patterns, search across chunks and Find next, and the block
// replacement byte for byte, with its backup and with every file operation failing in turn.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "command_output.h"
#include "file_faults.h"
#include "platform/files.h"
#include "tools/binary_view.h"

namespace tarvo::tools {
namespace {

namespace fs = std::filesystem;
using Buffer = std::vector<std::uint8_t>;

class BinaryFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("binview_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        platform::resetFileOps();
        fs::remove_all(dir);
    }
    std::string Write(const std::string& name, const Buffer& bytes) {
        std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    static Buffer Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Buffer(std::istreambuf_iterator<char>(in), {});
    }
    fs::path dir;
};

Buffer Sample(std::size_t n) {
    Buffer b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 37 + (i >> 3) * 11 + 5);
    return b;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// The data of every row, in one representation, as numbers.
std::vector<double> OurValues(const Buffer& b, Representation r, NumberBase base) {
    std::vector<double> values;
    int radix = base == NumberBase::Hexadecimal ? 16 : base == NumberBase::Octal ? 8 : 10;
    if (r == Representation::Hexa) radix = 16;  // these two whatever the base
    if (r == Representation::Decimal8) radix = 10;
    for (std::size_t at = 0; at < b.size(); at += kBytesPerRow) {
        Row row = FormatRow(at, binary::Bytes(b).subspan(at, std::min<std::size_t>(kBytesPerRow, b.size() - at)), {r, base, false});
        for (const std::string& w : Words(row.data)) {
            if (r == Representation::Float || r == Representation::Double) {
                values.push_back(std::stod(w));
            } else {
                long long v = std::stoll(w, nullptr, radix);
                // Signed items are shown as such in decimal only; od shows them the same way.
                values.push_back(static_cast<double>(v));
            }
        }
    }
    return values;
}

std::vector<double> OdValues(const std::string& path, const char* type, int radix) {
    std::vector<double> values;
    for (const std::string& w : Words(test::CommandOutput("od -An -v -t " + std::string(type) + " " + path)))
        values.push_back(radix ? static_cast<double>(std::stoll(w, nullptr, radix)) : std::stod(w));
    return values;
}

TEST_F(BinaryFiles, RowsShowWhatOdAndXxdShow) {
    // 296 bytes: a last row of 8 bytes, which every item size divides.
    Buffer b = Sample(296);
    std::string path = Write("rows.bin", b);
    struct Case {
        Representation r;
        NumberBase base;
        const char* odType;
        int radix;
    };
    const Case cases[] = {
        {Representation::Hexa, NumberBase::Decimal, "x1", 16},
        {Representation::Decimal8, NumberBase::Hexadecimal, "u1", 10},
        {Representation::UnsignedShort, NumberBase::Hexadecimal, "x2", 16},
        {Representation::UnsignedShort, NumberBase::Octal, "o2", 8},
        {Representation::UnsignedShort, NumberBase::Decimal, "u2", 10},
        {Representation::SignedShort, NumberBase::Decimal, "d2", 10},
        {Representation::UnsignedLong, NumberBase::Octal, "o4", 8},
        {Representation::UnsignedLong, NumberBase::Decimal, "u4", 10},
        {Representation::SignedLong, NumberBase::Hexadecimal, "x4", 16},
        {Representation::SignedLong, NumberBase::Decimal, "d4", 10},
        {Representation::Float, NumberBase::Decimal, "f4", 0},
        {Representation::Double, NumberBase::Hexadecimal, "f8", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.odType);
        std::vector<double> ours = OurValues(b, c.r, c.base), od = OdValues(path, c.odType, c.radix);
        ASSERT_EQ(ours.size(), od.size());
        for (std::size_t i = 0; i < ours.size(); ++i) {
            if (c.radix) {
                EXPECT_EQ(ours[i], od[i]) << i;
            } else if (std::isfinite(od[i])) {
                EXPECT_NEAR(ours[i], od[i], std::fabs(od[i]) * 1e-6) << i;
            }
        }
    }
    // Offsets, as od -A x counts them, and the characters as xxd shows them (xxd also
    // hides 127, which the viewer shows as it is).
    std::vector<std::string> xxd;
    std::istringstream lines(test::CommandOutput("xxd -c 16 " + path));
    for (std::string line; std::getline(lines, line);) xxd.push_back(line.substr(line.rfind("  ") + 2));
    ASSERT_EQ(xxd.size(), 19u);
    for (std::size_t row = 0; row < xxd.size(); ++row) {
        Row ours = FormatRow(row * 16, binary::Bytes(b).subspan(row * 16, std::min<std::size_t>(16, b.size() - row * 16)), {});
        EXPECT_EQ(std::stoull(ours.offset, nullptr, 16), row * 16);
        std::string chars = ours.chars;
        for (std::size_t i = 0; i < chars.size(); ++i)
            if (b[row * 16 + i] == 127) chars[i] = '.';
        EXPECT_EQ(chars, xxd[row]) << row;
    }
}

TEST(Rows, HexaLayoutPartialRowsAndBitsInReverse) {
    const Buffer b = {0x48, 0x65, 0x6c, 0x6c, 0x6f, 0x00, 0x7f, 0x80, 0xff, 0x01, 0x02, 0x03};
    ViewFormat f;
    Row row = FormatRow(0x123, b, f);
    EXPECT_EQ(row.offset, "123");
    EXPECT_EQ(row.data, "48 65 6c 6c 6f 00 7f 80  ff 01 02 03 ");
    EXPECT_EQ(row.chars, std::string("Hello.\x7f...\x02\x03").replace(10, 2, ".."));
    // The data padded to a full row's width (4 items of 3 characters missing), then a blank.
    EXPECT_EQ(RowText(row, 7, f), "    123  48 65 6c 6c 6f 00 7f 80  ff 01 02 03 " + std::string(12, ' ') + " Hello.\x7f.....");
    // Past the end: an item the bytes do not fill is not shown at all.
    f.representation = Representation::Double;
    EXPECT_EQ(FormatRow(0, b, f).data.size(), FormatItem(b.data(), Representation::Double, NumberBase::Decimal).size());
    EXPECT_EQ(ReverseBits(1), 0x80000000u);
    EXPECT_EQ(ReverseBits(0x0000000Fu), 0xF0000000u);
    const std::uint8_t one[4] = {1, 0, 0, 0};
    EXPECT_EQ(FormatItem(one, Representation::BitInversed, NumberBase::Decimal), "-2147483648 ");
    EXPECT_EQ(FormatItem(one, Representation::BitInversed, NumberBase::Hexadecimal), "   80000000 ");
    const std::uint8_t minus[4] = {0, 0, 0, 0x80};
    EXPECT_EQ(FormatItem(minus, Representation::SignedLong, NumberBase::Decimal), "-2147483648 ");
    const std::uint8_t nan[4] = {1, 0, 0x80, 0x7f};  // a signalling NaN
    EXPECT_FALSE(FormatItem(nan, Representation::Float, NumberBase::Decimal).empty());
}

TEST(Rows, OffsetWidthFollowsTheLastOffsetAndTheScrollBarScales) {
    EXPECT_EQ(OffsetWidth(300, false), 7);
    EXPECT_EQ(OffsetWidth(std::uint64_t{256} << 20, false), 7);       // last offset fffffff
    EXPECT_EQ(OffsetWidth((std::uint64_t{256} << 20) + 1, false), 8);  // 10000000
    EXPECT_EQ(OffsetWidth(10'000'001, true), 8);
    EXPECT_EQ(OffsetWidth(std::uint64_t{1} << 40, false), 10);
    EXPECT_EQ(FormatOffset((std::uint64_t{1} << 36) + 5, false), "1000000005");

    ScrollScale small = ScaleFor(2 << 20);  // past what a 16-bit position holds
    EXPECT_EQ(small.unit, 1u);
    EXPECT_EQ(ScrollPosition(small, 100000), 100000);
    EXPECT_EQ(RowAtPosition(small, 100000), 100000u);
    ScrollScale huge = ScaleFor(std::uint64_t{1} << 40);
    EXPECT_GT(huge.unit, 1u);
    const std::uint64_t last = huge.rows - 1;
    EXPECT_GE(ScrollPosition(huge, last), 0);
    EXPECT_LE(RowAtPosition(huge, ScrollPosition(huge, last)), last);
    EXPECT_LT(last - RowAtPosition(huge, ScrollPosition(huge, last)), huge.unit);
    EXPECT_EQ(RowAtPosition(huge, INT32_MAX), last);
    EXPECT_EQ(RowAtPosition(ScaleFor(0), 5), 0u);
}

TEST(SearchValues, KindsRangesAndRefusals) {
    Buffer p;
    EXPECT_EQ(AddValue("255", ValueKind::Bits8, false, p), ValueProblem::None);
    EXPECT_EQ(AddValue("-128", ValueKind::Bits8, false, p), ValueProblem::None);
    EXPECT_EQ(AddValue("0x1234", ValueKind::Bits16, true, p), ValueProblem::None);
    EXPECT_EQ(AddValue("-1", ValueKind::Bits32, false, p), ValueProblem::None);
    EXPECT_EQ(AddValue("FFFFFFFF", ValueKind::Bits32, true, p), ValueProblem::None);
    EXPECT_EQ(AddValue("a'b", ValueKind::Text, false, p), ValueProblem::None);
    EXPECT_EQ(p, (Buffer{0xff, 0x80, 0x34, 0x12, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 'a', '\'', 'b'}));
    const Buffer kept = p;
    EXPECT_EQ(AddValue("256", ValueKind::Bits8, false, p), ValueProblem::OutOfRange);
    EXPECT_EQ(AddValue("-129", ValueKind::Bits8, false, p), ValueProblem::OutOfRange);
    EXPECT_EQ(AddValue("10000", ValueKind::Bits16, true, p), ValueProblem::OutOfRange);
    EXPECT_EQ(AddValue("4294967296", ValueKind::Bits32, false, p), ValueProblem::OutOfRange);
    EXPECT_EQ(AddValue("99999999999999999999999", ValueKind::Bits32, false, p), ValueProblem::OutOfRange);
    EXPECT_EQ(AddValue("12g", ValueKind::Bits16, true, p), ValueProblem::NotANumber);
    EXPECT_EQ(AddValue("ff", ValueKind::Bits8, false, p), ValueProblem::NotANumber);
    EXPECT_EQ(AddValue("-", ValueKind::Bits8, false, p), ValueProblem::NotANumber);
    EXPECT_EQ(AddValue("  ", ValueKind::Bits8, false, p), ValueProblem::Empty);
    EXPECT_EQ(AddValue("", ValueKind::Text, false, p), ValueProblem::Empty);
    EXPECT_EQ(p, kept);

    std::uint64_t o = 0;
    EXPECT_TRUE(ParseOffset("70000", false, o));
    EXPECT_EQ(o, 70000u);
    EXPECT_TRUE(ParseOffset("0x11170", false, o));
    EXPECT_EQ(o, 70000u);
    EXPECT_TRUE(ParseOffset("11170h", false, o));
    EXPECT_EQ(o, 70000u);
    EXPECT_TRUE(ParseOffset("ffffffffffffffff", true, o));
    EXPECT_EQ(o, ~std::uint64_t{0});
    EXPECT_FALSE(ParseOffset("18446744073709551616", false, o));
    EXPECT_FALSE(ParseOffset("12x", false, o));
    EXPECT_FALSE(ParseOffset("", false, o));
}

TEST_F(BinaryFiles, SearchFindsAcrossChunksContinuesAndTellsMissesAndFailures) {
    constexpr std::size_t kSize = (std::size_t{1} << 20) * 2 + 100;
    Buffer b(kSize, 0);
    const Buffer pattern = {0, 0, 7, 0, 9};
    // One near the end of the first chunk, across it, one plain, one at the very end.
    const std::size_t places[] = {(std::size_t{1} << 20) - 2, 70000, kSize - pattern.size()};
    for (std::size_t at : places) std::copy(pattern.begin(), pattern.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
    std::string path = Write("big.bin", b);
    platform::ReadHandle h;
    ASSERT_TRUE(platform::OpenForReading(path, h));
    std::uint64_t found = 0, from = 0;
    std::vector<std::uint64_t> all;
    bool matched = false;
    while (FindPattern(h, NextSearchStart(from, matched), pattern, found) == SearchResult::Found) {
        all.push_back(found);
        from = found;
        matched = true;
    }
    EXPECT_EQ(all, (std::vector<std::uint64_t>{70000, (1u << 20) - 2, kSize - pattern.size()}));
    const Buffer absent = {0, 0, 7, 0, 8};
    EXPECT_EQ(FindPattern(h, 0, absent, found), SearchResult::NotFound);
    EXPECT_EQ(FindPattern(h, kSize, pattern, found), SearchResult::NotFound);
    EXPECT_EQ(FindPattern(h, 0, {}, found), SearchResult::Empty);
    // A pattern longer than the file, and one of a file's own bytes.
    Buffer longer(kSize + 1, 0);
    EXPECT_EQ(FindPattern(h, 0, longer, found), SearchResult::NotFound);
    test::FaultPlan plan;
    for (long n = 1; n <= 3; ++n)
        EXPECT_EQ(test::WithFailingCall(n, plan, [&] { return FindPattern(h, 0, absent, found); }), SearchResult::ReadError) << n;
}

TEST_F(BinaryFiles, ChangeWritesTheExpectedBytesAndKeepsTheOldFileAsBackup) {
    Buffer old = Sample(5000);
    std::string path = Write("data.bin", old);
    std::string expectedPath = Write("expected.bin", [&] {
        Buffer e(old.begin(), old.begin() + 1000);
        e.insert(e.end(), {1, 2, 3});
        e.insert(e.end(), old.begin() + 1010, old.end());
        return e;
    }());
    std::string backup = platform::BackupName(path);
    EXPECT_EQ(fs::path(backup).filename(), "data.~bi");
    Write("data.~bi", {9, 9, 9});  // an older backup gives way
    ChangePlan plan{1000, 10, {1, 2, 3}, true, platform::StampOf(path)};
    ASSERT_EQ(ApplyChange(path, plan), ChangeResult::Done);
    EXPECT_EQ(test::CommandOutput("cmp " + path + " " + expectedPath + " && echo same"), "same\n");
    EXPECT_EQ(Read(backup), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);  // no scratch file left

    // A block running past the end cuts the file there; one past the end is refused.
    Buffer now = Read(path);
    plan = {now.size() - 2, 100, {0xAA}, false, platform::StampOf(path)};
    ASSERT_EQ(ApplyChange(path, plan), ChangeResult::Done);
    now.resize(now.size() - 2);
    now.push_back(0xAA);
    EXPECT_EQ(Read(path), now);
    plan = {now.size() + 1, 0, {1}, false, platform::StampOf(path)};
    EXPECT_EQ(ApplyChange(path, plan), ChangeResult::PastEnd);
    EXPECT_EQ(Read(path), now);

    // Changed behind the view's back: refused, nothing written.
    plan = {0, 1, {7}, false, platform::StampOf(path)};
    Write("data.bin", old);
    EXPECT_EQ(ApplyChange(path, plan), ChangeResult::ChangedOnDisk);
    EXPECT_EQ(Read(path), old);

    EXPECT_EQ(BlockRange(0x10, 0x1f, false), "10 - 1f");
    EXPECT_EQ(BlockRange(16, 31, true), "16 - 31");
    const Buffer block = {0x41, 0x0a, 0xff};
    EXPECT_EQ(BlockBytes(block), "41  A FF ");
    EXPECT_EQ(BlockChars(block), " A  .  . ");
}

// Every file operation of a change (reads included) failing in turn: the file is whole every
// time, either as it was or as changed, and so is the backup.
TEST_F(BinaryFiles, ChangeWithAFailingFileOperationLeavesEveryFileWhole) {
    const Buffer old = Sample(3000);
    Buffer changed(old.begin(), old.begin() + 40);
    changed.insert(changed.end(), {'n', 'e', 'w'});
    changed.insert(changed.end(), old.begin() + 41, old.end());
    const Buffer older = {1, 2, 3};
    long n = 0;
    for (bool met = true; met;) {
        ++n;
        SCOPED_TRACE("failing call " + std::to_string(n));
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::string path = Write("f.dat", old);
        std::string backup = Write("f.~da", older);
        ChangePlan plan{40, 1, {'n', 'e', 'w'}, true, platform::StampOf(path)};
        test::FaultPlan faults;
        ChangeResult result = test::WithFailingCall(n, faults, [&] { return ApplyChange(path, plan); });
        met = faults.Met();
        Buffer now = Read(path), kept = Read(backup);
        if (result == ChangeResult::Done) {
            EXPECT_EQ(now, changed);
            EXPECT_EQ(kept, old);
        } else {
            EXPECT_TRUE(met);
            EXPECT_EQ(now, old) << faults.failed;
            // Only when the new file cannot take the name after the old one went to the backup
            // name is the old one moved back, and the older backup is gone then.
            if (kept.empty()) {
                EXPECT_EQ(faults.failed, "rename");
            } else {
                EXPECT_EQ(kept, older) << faults.failed;
            }
        }
        if (faults.failed != "remove") {  // a scratch file that could not be removed stays
            EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), kept.empty() ? 1 : 2);
        }
    }
    EXPECT_GT(n, 8);
}

}  // namespace
}  // namespace tarvo::tools
