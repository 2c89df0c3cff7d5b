// The lines a build complained of are marked in the open documents, the marks of an earlier
// list go, and a document opened later is marked when asked.
#include <gtest/gtest.h>

#include "editor_test_util.h"
#include <cctype>
#include "shell/message_marks.h"

namespace tarvo::shell {
namespace {

std::vector<long> marked(const editor::Document& doc) {
    std::vector<long> lines;
    long n = 1;
    for (editor::Line* line = doc.lines->next; line != doc.lines; line = line->next, ++n)
        if (line->marks & editor::kMarkMessage) lines.push_back(n);
    return lines;
}

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

struct MessageMarks : editor::test::EditorTest {};

TEST_F(MessageMarks, MarkedWhileTheListLives) {
    editor::Document& a = Open("one\ntwo\nthree\n", "a.c", 1);
    editor::Document& b = Open("one\ntwo\n", "b.c", 2);
    std::vector<project::BuildMessage> list{{upper(a.name), 2, "x"}, {a.name, 9, "past the end"},
                                            {b.name, 1, "y"}, {a.name + "x", 1, "not open"}};
    EXPECT_EQ(MarkMessageLines(list).size(), 2u);
    EXPECT_EQ(marked(a), std::vector<long>{2});
    EXPECT_EQ(marked(b), std::vector<long>{1});
    a.lines->next->next->marks |= editor::kMarkBreakpoint;

    // A new list: only its lines stay marked; other marks are left alone.
    EXPECT_EQ(MarkMessageLines({{a.name, 3, "z"}}).size(), 2u);
    EXPECT_EQ(marked(a), std::vector<long>{3});
    EXPECT_TRUE(marked(b).empty());
    EXPECT_TRUE(a.lines->next->next->marks & editor::kMarkBreakpoint);
    EXPECT_EQ(MarkMessageLines({}).size(), 1u);  // an empty list clears
    EXPECT_TRUE(marked(a).empty());

    EXPECT_TRUE(MarkMessageLinesIn(b, list));
    EXPECT_FALSE(MarkMessageLinesIn(b, list));  // nothing new
}

}  // namespace
}  // namespace tarvo::shell
