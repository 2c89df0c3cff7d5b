// The comparison windows' rules: merge output against a merge done line by line here, the
// current change and its buttons, which lines belong to which change, the numbered blocks and
// the report with its appending, the directory pairing and the places of C changes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

#include "analysis/compare_files.h"
#include "analysis/compare_tools.h"
#include "analysis/compare_view.h"
#include "platform/text.h"
#include "scripted_ui.h"

namespace tarvo::analysis {
namespace {

std::string RandomText(std::mt19937& rng, int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i) text += Printf("l%u\n", static_cast<unsigned>(rng() % 12));
    return text;
}

// The merge as a reader would do it: walk the first text, and at each change copy either its
// own lines or the second text's.
std::string MergeByHand(const ComparedTexts& t, const std::vector<bool>& taken) {
    std::string out;
    long at = 0;
    for (std::size_t i = 0; i < t.changes.size(); ++i) {
        const Change& c = t.changes[i];
        for (; at < c.first; ++at) out += t.first[static_cast<std::size_t>(at)];
        if (taken[i]) {
            for (long n = 0; n < c.inserted; ++n) out += t.second[static_cast<std::size_t>(c.second + n)];
            at += c.deleted;
        }
    }
    for (; at < static_cast<long>(t.first.size()); ++at) out += t.first[static_cast<std::size_t>(at)];
    return out;
}

TEST(CompareView, MergedTextEqualsAMergeByHandForEveryMixOfChoices) {
    std::mt19937 rng(18);
    for (int round = 0; round < 200; ++round) {
        ComparedTexts t;
        LoadComparison(t, RandomText(rng, static_cast<int>(rng() % 30)), RandomText(rng, static_cast<int>(rng() % 30)));
        MergeChoices merge = StartMerge(t.changes.size());
        while (!merge.finished) Choose(merge, rng() % 2 == 0);
        ASSERT_EQ(MergedText(t, merge.taken), MergeByHand(t, merge.taken)) << "round " << round;
        switch (OutcomeOf(merge)) {
        case MergeOutcome::CopyOfFirst: EXPECT_EQ(MergedText(t, merge.taken), t.firstText); break;
        case MergeOutcome::CopyOfSecond: EXPECT_EQ(MergedText(t, merge.taken), t.secondText); break;
        case MergeOutcome::Merged: break;
        }
    }
    // A last line without its line end is taken as it is.
    ComparedTexts t;
    LoadComparison(t, "a\nb\nc", "a\nB\nc\nd");
    ASSERT_EQ(t.changes.size(), 1u);
    EXPECT_EQ(MergedText(t, {true}), "a\nB\nc\nd");
    EXPECT_EQ(MergedText(t, {false}), "a\nb\nc");
}

TEST(CompareView, TheCurrentChangeAndItsButtons) {
    ChangeCursor cursor{3, 0};
    EXPECT_EQ(PositionText(cursor), "Diff. 1 de 3");
    EXPECT_FALSE(cursor.CanPrevious());
    EXPECT_TRUE(cursor.CanNext());
    EXPECT_FALSE(cursor.Previous());
    EXPECT_TRUE(cursor.Next() && cursor.Next());
    EXPECT_EQ(PositionText(cursor), "Diff. 3 de 3");
    EXPECT_TRUE(cursor.CanPrevious());
    EXPECT_FALSE(cursor.CanNext());
    EXPECT_FALSE(cursor.Next());
    EXPECT_EQ(cursor.current, 2);
    ChangeCursor none;
    EXPECT_FALSE(none.CanNext() || none.CanPrevious());
    EXPECT_EQ(PositionText(none), "Diff. 0 de 0");

    // Each choice moves on; the last one finishes the merge and later presses change nothing.
    MergeChoices merge = StartMerge(3);
    Choose(merge, true);
    EXPECT_EQ(merge.cursor.current, 1);
    Choose(merge, false);
    EXPECT_FALSE(merge.finished);
    Choose(merge, true);
    EXPECT_TRUE(merge.finished);
    Choose(merge, false);
    EXPECT_EQ(merge.taken, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(OutcomeOf(merge), MergeOutcome::Merged);
    EXPECT_TRUE(StartMerge(0).finished);

    EXPECT_EQ(ViewerTitle("A.C", "b.C"), "a.c vs b.c");
    EXPECT_EQ(MergeTitle("Main.C 1.2", "MAIN.C"), "Merge of main.c 1.2 and main.c");
    EXPECT_EQ(CopyQuestion("B.C", "A.C"),
              "No text from file b.c was used,\nthe new file would be a copy of a.c\n\ncopy anyway?");
}

TEST(CompareView, EveryLineKnowsItsChange) {
    std::mt19937 rng(7);
    for (int round = 0; round < 100; ++round) {
        ComparedTexts t;
        LoadComparison(t, RandomText(rng, static_cast<int>(rng() % 25)), RandomText(rng, static_cast<int>(rng() % 25)));
        for (int side = 0; side < 2; ++side) {
            long lines = static_cast<long>(side == 0 ? t.first.size() : t.second.size());
            for (long line = 0; line < lines; ++line) {
                long expected = -1;
                for (std::size_t i = 0; i < t.changes.size(); ++i) {
                    const Change& c = t.changes[i];
                    long start = side == 0 ? c.first : c.second, count = side == 0 ? c.deleted : c.inserted;
                    if (line >= start && line < start + count) expected = static_cast<long>(i);
                }
                ASSERT_EQ(ChangeOfLine(t.changes, line, side == 0), expected) << round << " " << side << " " << line;
            }
        }
    }
}

TEST(CompareView, NumberedBlocksKeepOneLineOfContextAndStopAt200Lines) {
    std::string text;
    for (int i = 1; i <= 10000; ++i) text += Printf("line %d\n", i);
    TextLines lines = SplitLines(text);
    bool cut = true;
    EXPECT_EQ(NumberedBlock(lines, 0, 2, cut), "[   1]  line 1\r\n[   2]  line 2\r\n[   3]  line 3\r\n");
    EXPECT_FALSE(cut);
    // The wider numbers from a first shown line of 9501 on; the last line has nothing after it.
    EXPECT_EQ(NumberedBlock(lines, 9998, 2, cut), "[  9998]  line 9998\r\n[  9999]  line 9999\r\n[ 10000]  line 10000\r\n");
    EXPECT_EQ(NumberedBlock(lines, 9500, 1, cut), "[9500]  line 9500\r\n[9501]  line 9501\r\n[9502]  line 9502\r\n");
    // 199 lines and the one before: all shown with the one after; one more line is too many.
    std::string block = NumberedBlock(lines, 10, 199, cut);
    EXPECT_FALSE(cut);
    EXPECT_EQ(std::count(block.begin(), block.end(), '\n'), 201);
    block = NumberedBlock(lines, 10, 200, cut);
    EXPECT_TRUE(cut);
    EXPECT_EQ(std::count(block.begin(), block.end(), '\n'), 200);
    EXPECT_EQ(block.substr(block.size() - 17), "]  line 209\r\n");

    Change c{4, 6, 2, 0};
    EXPECT_EQ(DeletedCaption(c, "No text"), "Erase 2 lines beginning with line 5");
    EXPECT_EQ(InsertedCaption(c, "No text"), "No text");
    EXPECT_EQ(InsertedCaption(Change{0, 0, 0, 3}, ""), "Add 3 lines beginning with line 1");
}

struct Scratch {
    std::string dir = (std::filesystem::temp_directory_path() / Printf("tarvo-cmpview-%d", getpid())).string();
    Scratch() { std::filesystem::create_directories(dir); }
    ~Scratch() { std::filesystem::remove_all(dir); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
        return dir + "/" + name;
    }
    std::string Read(const std::string& name) const {
        std::string bytes;
        ReadBytesFile(dir + "/" + name, bytes);
        return bytes;
    }
};

TEST(CompareView, ReportsAreWrittenAppendedOrReplacedOnlyWhenAllowed) {
    ComparedTexts t;
    t.firstName = "a.c";
    t.secondName = "b.c";
    LoadComparison(t, "one\ntwo\nthree\n", "one\n2\nthree\nfour\n");
    std::string report = ComparisonReport(t, "2026-12-07 10:00");
    EXPECT_EQ(report,
              "Tarvo-Diff a.c vs b.c: 2 changes. 2026-12-07 10:00\n"
              "Change 1\n"
              "a.c: Erase 1 lines beginning with line 2\n"
              "[   1]  one\r\n[   2]  two\r\n[   3]  three\r\n\n"
              "b.c: Add 1 lines beginning with line 2\n"
              "[   1]  one\r\n[   2]  2\r\n[   3]  three\r\n\n"
              "Change 2\n"
              "b.c: Add 1 lines beginning with line 4\n"
              "[   3]  three\r\n[   4]  four\r\n\n");

    Scratch s;
    test::ScopedScriptedUi ui;
    std::string path = s.dir + "/report.txt";
    ASSERT_TRUE(WriteComparisonReport(path, report));
    ASSERT_TRUE(WriteComparisonReport(path, "Tarvo-Diff second\n"));
    EXPECT_EQ(s.Read("report.txt"), report + std::string(75, '-') + "\nTarvo-Diff second\n");
    EXPECT_EQ(test::BoxTexts(ui.ui), "");

    // Another file: asked, and No leaves it as it was.
    s.Write("notes.txt", "my notes\r\n");
    ui.ui.answers = {0};
    EXPECT_FALSE(WriteComparisonReport(s.dir + "/notes.txt", report));
    EXPECT_EQ(s.Read("notes.txt"), "my notes\r\n");
    EXPECT_EQ(test::BoxTexts(ui.ui), s.dir + "/notes.txt exists already. Erase it?|");
    ui.ui.answers = {6};
    EXPECT_TRUE(WriteComparisonReport(s.dir + "/notes.txt", report));
    EXPECT_EQ(s.Read("notes.txt"), report);
    EXPECT_EQ(ReportTargetOf(true, "Tarvo-Dif"), ReportTarget::AskToErase);
}

TEST(CompareView, DirectoriesArePairedByNameWithoutCase) {
    DirectoryPairing p = PairFiles({"b.c", "A.c", "only1.h", "z.c"}, {"a.C", "Z.c", "B.c", "new.c"});
    EXPECT_EQ(p.both, (std::vector<std::string>{"A.c", "b.c", "z.c"}));
    EXPECT_EQ(p.onlyFirst, (std::vector<std::string>{"only1.h"}));
    EXPECT_EQ(p.onlySecond, (std::vector<std::string>{"new.c"}));

    Scratch s;
    s.Write("x.c", "");
    s.Write("y.h", "");
    s.Write("Z.C", "");
    std::filesystem::create_directories(s.dir + "/sub");
    DiffName pattern = ResolveDiffName("*.c", s.dir);
    EXPECT_TRUE(pattern.IsPattern());
    std::vector<std::string> found = MatchingFiles(pattern);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"Z.C", "x.c"}));
    EXPECT_EQ(ResolveDiffName("sub", s.dir).pattern, "*");  // a directory stands for its files
    DiffName plain = ResolveDiffName("x.c", s.dir);
    EXPECT_FALSE(plain.IsPattern());
    EXPECT_TRUE(std::filesystem::exists(platform::HostPath(plain.path)));
}

TEST(CompareView, CChangesGoToTheirFunctionsOrAreListedOutside) {
    Function f, g;
    f.name = "alpha";
    g.name = "beta";
    f.startLine = 3;
    f.endLine = 8;
    g.startLine = 12;
    g.endLine = 20;
    std::vector<Change> changes = {{0, 0, 1, 1}, {4, 4, 1, 1}, {6, 6, 0, 2}, {9, 11, 1, 0}, {14, 15, 2, 2}};
    ChangePlaces places = PlaceChanges(changes, {f, g}, {}, "A.c", "B.C");
    EXPECT_EQ(places.functions, (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_EQ(places.functionChange, (std::vector<long>{1, 4}));
    EXPECT_EQ(places.outside, (std::vector<std::string>{"1 a.c 1 b.c", "10 a.c 0 b.c"}));
    EXPECT_EQ(places.outsideChange, (std::vector<long>{0, 3}));
}

}  // namespace
}  // namespace tarvo::analysis
