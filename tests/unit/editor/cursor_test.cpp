#include "editor_test_util.h"

namespace tarvo::editor::test {
namespace {

using Cursor = EditorTest;

// The word help is asked for: the one the cursor is in or just after.
TEST_F(Cursor, WordAtTheCursor) {
    Open("int strlen_x(char *s);\n\n  x\n");
    const std::pair<Position, const char*> cases[] = {
        {{1, 0}, "int"},  {{1, 3}, "int"},      {{1, 4}, "strlen_x"}, {{1, 8}, "strlen_x"},
        {{1, 12}, "strlen_x"}, {{1, 13}, "char"}, {{2, 0}, ""},       {{3, 0}, ""},
        {{3, 3}, "x"},   {{4, 0}, ""},
    };
    for (auto [at, word] : cases) {
        SetCursor(at);
        EXPECT_EQ(WordAtCursor(), word) << at.line << ":" << at.column;
    }
}

}  // namespace
}  // namespace tarvo::editor::test
