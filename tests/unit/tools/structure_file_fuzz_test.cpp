// Damaged structure description files thrown at the reader, and what it reads laid over
// random bytes (fixed seeds, bounded work). The reader must not crash, loop or accept a line
// it could not write back; what it accepts prints back to a file that reads the same.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "damage.h"
#include "platform/files.h"
#include "tools/structure_file.h"

namespace tarvo::tools {
namespace {

std::string Seed() {
    return "/* tarvo structures definition */\n"
           "MZ header\n{\n'magic'0[2]\n'last page'3[1]\n'pages'3[1]\n''5[4]\n'name'8[1]\n}\n\n"
           "counted\n{\n'text'9[3]\n'swapped'11[2]\n'bits'12[1]\n'd'7[1]\n}\n";
}

TEST(StructureFileFuzz, DamagedFilesReadOrAreRefusedAndReadBackTheSame) {
    std::mt19937 rng(20261207);
    const std::string path = (std::filesystem::temp_directory_path() / "structure_fuzz.bin").string();
    {
        std::string bytes;
        for (int i = 0; i < 600; ++i) bytes += static_cast<char>(rng());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    platform::ReadHandle file;
    ASSERT_TRUE(platform::OpenForReading(path, file));
    int ok = 0, refused = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text = Seed();
        std::vector<std::uint8_t> b(text.begin(), text.end());
        // Random damage, or one character that matters to the format, or a digit, put in.
        if (round % 3 == 0) test::Damage(b, rng, 35);
        else b[35 + rng() % (b.size() - 35)] = "'[]{}\n-0123456789 x"[rng() % 20];
        text.assign(b.begin(), b.end());
        std::vector<Structure> read;
        StructureFileStatus status = ParseStructures(text, read);
        if (status != StructureFileStatus::Ok) {
            ++refused;
            continue;
        }
        ++ok;
        std::vector<Structure> again;
        ASSERT_EQ(ParseStructures(PrintStructures(read), again), StructureFileStatus::Ok) << text;
        ASSERT_EQ(again, read);
        for (const Structure& s : read) {
            Overlay o = LayStructure(file, rng() % 700, s, round % 2);
            EXPECT_EQ(o.lines.size(), s.fields.size());
            for (const OverlayLine& l : o.lines) EXPECT_LE(l.values.size(), kOverlayTextLimit);
            EXPECT_FALSE(o.readError);
        }
    }
    EXPECT_GT(ok, 500);
    EXPECT_GT(refused, 500);
    platform::CloseReading(file);
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace tarvo::tools
