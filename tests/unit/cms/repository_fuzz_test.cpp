// Damaged repository files and random edit and patch scripts (fixed seeds, bounded work):
// nothing crashes, and whatever is accepted reads back the same after writing.
#include <gtest/gtest.h>

#include <random>

#include "analysis/compare.h"
#include "analysis/edit_script.h"
#include "cms/repository.h"
#include "cms_history.h"

namespace tarvo::cms {
namespace {

std::string Damaged(const std::string& good, std::mt19937& rng) {
    static const char kPieces[] = "@;:.0123456789 \n\r\tDate Next Text @@ \x01$";
    std::string bytes = good;
    int damages = 1 + static_cast<int>(rng() % 3);
    for (int k = 0; k < damages; ++k) {
        std::size_t at = rng() % (bytes.size() + 1);
        switch (rng() % 4) {
            case 0: if (at < bytes.size()) bytes[at] = kPieces[rng() % (sizeof kPieces - 1)]; break;
            case 1: bytes.erase(at, 1 + rng() % 40); break;
            case 2: bytes.insert(at, 1, kPieces[rng() % (sizeof kPieces - 1)]); break;
            default: {
                std::size_t from = rng() % bytes.size();
                bytes.insert(at, bytes.substr(from, 1 + rng() % 60));
            }
        }
    }
    return bytes;
}

TEST(RepositoryFuzz, DamagedFilesAreRefusedOrReadConsistently) {
    std::mt19937 rng(2024);
    int accepted = 0;
    for (unsigned seed = 1; seed <= 3; ++seed) {
        test::HistoryShape shape{12, 40, true, seed, false};
        const std::string good = FormatRepository(test::MakeHistory(shape).repo);
        for (int round = 0; round < 400; ++round) {
            std::string bytes = Damaged(good, rng);
            Repository repo;
            Problems problems;
            if (!ParseRepository(bytes, "fuzz", repo, problems)) {
                ASSERT_FALSE(problems.list.empty());
                continue;
            }
            ++accepted;
            for (const Delta& d : repo.deltas) {
                std::string text, message;
                if (!Rebuild(repo, d.number, text, message)) {
                    EXPECT_FALSE(message.empty());
                }
            }
            Repository again;
            Problems second;
            Repository written = repo;
            NormaliseForWriting(written);
            std::string rewritten = FormatRepository(written);
            // What was accepted with warnings may lose the damaged entries, but never more.
            if (ParseRepository(rewritten, "fuzz", again, second) && second.Clean()) {
                EXPECT_EQ(FormatRepository(again), rewritten);
            }
        }
    }
    EXPECT_GT(accepted, 50);
}

TEST(RepositoryFuzz, RandomScriptsFailCleanlyOrGiveWholeLines) {
    std::mt19937 rng(77);
    static const char* const kPieces[] = {"a", "d", "x", " ", "\t", "\n", "0", "1", "2", "3", "17",
                                          "4294967297", "line\n", "@", "@@", "\n\n", "-1"};
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        int lines = static_cast<int>(rng() % 8);
        for (int i = 0; i < lines; ++i) text += "t" + std::to_string(i) + "\n";
        if (rng() % 3 == 0 && !text.empty()) text.pop_back();
        std::string script;
        int pieces = 1 + static_cast<int>(rng() % 12);
        for (int i = 0; i < pieces; ++i) script += kPieces[rng() % (sizeof kPieces / sizeof *kPieces)];
        analysis::TextLines before = analysis::SplitLines(text), after = before;
        std::string message;
        if (analysis::ApplyEditScript(after, script, message)) {
            for (std::size_t i = 0; i + 1 < after.size(); ++i) ASSERT_EQ(after[i].back(), '\n') << script;
        } else {
            EXPECT_FALSE(message.empty());
            EXPECT_EQ(after, before);
        }
        analysis::Patch patch;
        if (analysis::ParsePatch(script, patch, message)) {
            EXPECT_LE(patch.script.size(), script.size());
        }
    }
}

}  // namespace
}  // namespace tarvo::cms
