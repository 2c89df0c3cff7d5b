// Reading what the store holds: the query lines, the keyword list, the operations log through
// its filters (four-digit years), and the history of one function through a file's revisions.
#include <gtest/gtest.h>

#include "cms/function_history.h"
#include "cms/queries.h"
#include "settings_test_util.h"

namespace tarvo::cms {
namespace {

using Queries = test::MainKeyTest;

TEST_F(Queries, DatesAndTheQueryLines) {
    DateFields t;
    ASSERT_TRUE(SplitDate("2024.6.7.9.5.0", t));
    EXPECT_EQ(t.year, 2024);
    EXPECT_EQ(t.second, 0);
    ASSERT_TRUE(SplitDate("98.12.31.23.59.59", t));
    EXPECT_EQ(t.year, 1998);
    for (const char* bad : {"", "2024.6.7", "2024.13.1.0.0.0", "2024.6.7.9.5.0.1", "2024.x.7.9.5.0"})
        EXPECT_FALSE(SplitDate(bad, t)) << bad;

    Repository repo;
    std::string message;
    ASSERT_TRUE(AddRevision(repo, {"1.1", "", "2024.1.5.8.0.0", "carol", "Exp", "first\n", "a\n"}, message));
    ASSERT_TRUE(AddRevision(repo, {"1.2", "1.1", "2024.2.6.14.30.5", "dave", "Rel", "second\nlines\n", "b\n"}, message));
    repo.locks = {{"dave", "1.2"}};
    repo.symbols = {{"rel1", "1.1"}};
    repo.access = {"carol"};
    repo.description = "the file\n";
    EXPECT_EQ(LocksText(repo), "dave 1.2");
    std::vector<std::string> expected{"Head: 1.2",
                                      "Default branch: ",
                                      "Locks:",
                                      "  dave 1.2",
                                      "Access list:",
                                      "  carol",
                                      "Symbolic names:",
                                      "  rel1: 1.1;",
                                      "Revisions: 2",
                                      "Description:",
                                      "  the file",
                                      "Revision 1.2",
                                      " 6   February2024,14h,30m, 5s dave         Rel            ",
                                      "  second",
                                      "  lines",
                                      "Revision 1.1",
                                      " 5    January2024, 8h, 0m, 0s carol        Exp            ",
                                      "  first"};
    EXPECT_EQ(QueryLines(repo), expected);
}

TEST_F(Queries, KeywordLines) {
    EXPECT_EQ(KeywordLines("/* $Revision: 1.4 $ $Author: carol $ */\n"
                           "$Nothing: here$ $Id: main.c 1.4 2024/05/01 carol Exp $\n"
                           "$Date: split\n across $ $State:Exp$"),
              (std::vector<std::string>{"Revision        | 1.4", "Author          | carol",
                                        "Id              | main.c 1.4 2024/05/01 carol Exp", "State           | Exp"}));
    EXPECT_EQ(KeywordLines("no keywords $ here $\n"), std::vector<std::string>{"No keywords found"});
    std::vector<std::string> lines;
    std::string message;
    EXPECT_FALSE(KeywordList("\\no\\such\\file.c", lines, message));
    EXPECT_EQ(message, "ident error: can't open \\no\\such\\file.c\n");
}

TEST_F(Queries, TheLogThroughItsFilters) {
    const std::string log =
        "put        1.1r   1b   0f   1t 2024.3.2.9.5.7c 2024.3.2.9.5.7o carol main.c\r\n"
        "get        1.1r   1b   0f   1t 2024.3.2.9.5.7c 2024.4.12.10.0.0o dave main.c\r\n"
        "lock 1.1 2024.4.13.11.1.2 carol util.c\r\n"
        "warn There are no locks set. dave\r\n"
        "x\r\n";
    LogView all = ViewLog(log, {});
    EXPECT_EQ(all.heading, "Operations Versions     Users  Date      Module");
    ASSERT_EQ(all.rows.size(), 4u);
    EXPECT_EQ(all.rows[0], "put    1.1     carol       2     March 2024, 9: 5: 7 main.c");
    EXPECT_EQ(all.rows[2], "lock   1.1     carol      13     April 2024,11: 1: 2 util.c");
    EXPECT_EQ(CountLine(all), "4 operations selected, 4 operations in log file");

    LogView april = ViewLog(log, {"*", "*", "*", 4});
    EXPECT_EQ(april.heading, "Operations Versions     Users      Module");
    EXPECT_EQ(april.rows, (std::vector<std::string>{"get    1.1     dave       main.c", "lock   1.1     carol      util.c"}));
    LogView mine = ViewLog(log, {"main.c", "*", "car", 0});
    EXPECT_EQ(mine.heading, "Operations Versions  Date");
    EXPECT_EQ(mine.rows, std::vector<std::string>{"put    1.1      2     March 2024, 9: 5: 7"});
    EXPECT_EQ(CountLine(ViewLog(log, {"*", "del", "*", 0})), "0 operations selected, 4 operations in log file");
}

// Five revisions: f changes in 1.2, only its spacing in 1.3, g in 1.4; f goes in 1.5 and
// comes back on a branch from 1.4.
struct History : Queries {
    Repository repo;
    void SetUp() override {
        Queries::SetUp();
        const std::string g = "int g(int a)\n{\n    return a;\n}\n";
        Add("1.1", "", "int f(void)\n{\n    return 1;\n}\n" + g);
        Add("1.2", "1.1", "int f(void)\n{\n    return 2;\n}\n" + g);
        Add("1.3", "1.2", "int f(void)\n{\n    return  2;   \n}\n" + g);
        Add("1.4", "1.3", "int f(void)\n{\n    return  2;   \n}\nint g(int a)\n{\n    return -a;\n}\n");
        Add("1.5", "1.4", "int g(int a)\n{\n    return -a;\n}\n");
        Add("1.4.1.1", "1.4", "int g(int a)\n{\n    return -a;\n}\nint f(void) { return 3; }\n");
    }
    void Add(const std::string& number, const std::string& parent, const std::string& text) {
        std::string message;
        std::string date = "2024.5." + std::to_string(repo.deltas.size() + 1) + ".12.0.0";
        ASSERT_TRUE(AddRevision(repo, {number, parent, date, "carol", "Exp", "log " + number + "\n", text}, message))
            << message;
    }
    std::string Changes(const std::string& name, const std::string& last = {}) {
        FunctionHistory h;
        std::string message, out;
        EXPECT_TRUE(TraceFunction(repo, name, last, h, message)) << message;
        const char* kinds[] = {"+", "~", "-"};
        for (const FunctionChange& c : h.changes)
            out += kinds[static_cast<int>(c.kind)] + c.revision + (c.previous.empty() ? "" : "/" + c.previous) + " ";
        return out;
    }
};

TEST_F(History, AFunctionsHistoryListsTheRevisionsThatChangedIt) {
    EXPECT_EQ(Changes("f"), "+1.1 ~1.2/1.1 -1.5/1.4 ");
    EXPECT_EQ(Changes("g"), "+1.1 ~1.4/1.3 ");
    EXPECT_EQ(Changes("f", "1.4.1.1"), "+1.1 ~1.2/1.1 ~1.4.1.1/1.4 ");
    EXPECT_EQ(Changes("f", "1.3"), "+1.1 ~1.2/1.1 ");
    EXPECT_EQ(Changes("h"), "");

    FunctionHistory h;
    std::string message;
    ASSERT_TRUE(TraceFunction(repo, "f", "", h, message));
    EXPECT_EQ(h.revisions, (std::vector<std::string>{"1.1", "1.2", "1.3", "1.4", "1.5"}));
    EXPECT_EQ(h.TextOf("1.2"), "int f(void)\n{\n    return 2;\n}\n");
    EXPECT_EQ(h.TextOf("1.5"), "");
    EXPECT_EQ(h.changes[1].log, "log 1.2\n");
    EXPECT_EQ(h.changes[1].date, "2024.5.2.12.0.0");
    EXPECT_FALSE(TraceFunction(repo, "f", "1.9", h, message));
    EXPECT_FALSE(message.empty());

    // The trace can be stopped from its progress report.
    int calls = 0;
    EXPECT_FALSE(TraceFunction(repo, "f", "", h, message, [&](int, int total) {
        EXPECT_EQ(total, 5);
        return ++calls < 2;
    }));
    EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace tarvo::cms
