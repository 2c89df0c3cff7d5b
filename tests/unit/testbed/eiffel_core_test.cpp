// The Eiffel stand-ins' decisions: the compile's arguments as the IDE writes them, and the
// error a test plants in a root class.
#include <gtest/gtest.h>

#include "eiffel_core.h"

namespace tarvo::testbed {
namespace {

TEST(EiffelStandin, ReadsTheCompileCommand) {
    CompileCommand c = ParseCompileArguments(
        {"-all_check", "-g2", "-no_strip", "-wn", "-tarvo", "-DSE_TARVO", "-o", "c:\\src\\hello.exe", "HELLO"});
    EXPECT_EQ(c.problem, "");
    EXPECT_EQ(c.output, "c:\\src\\hello.exe");
    EXPECT_EQ(c.rootClass, "HELLO");
    EXPECT_EQ(RootClassFile(c.rootClass), "hello.e");
    EXPECT_EQ(ParseCompileArguments({"hello"}).output, "hello.exe");
    EXPECT_EQ(ParseCompileArguments({"-o"}).problem, "-o needs a file name");
    EXPECT_EQ(ParseCompileArguments({"-o", "x.exe"}).problem, "no root class given");
}

TEST(EiffelStandin, FindsAPlantedError) {
    EXPECT_EQ(PlantedError("\r\n  --error Line 5 (.\\hello.e) Unknown feature\r\nclass HELLO\r\n"),
              "Line 5 (.\\hello.e) Unknown feature");
    EXPECT_EQ(PlantedError("class HELLO\n--error Line 1 (x.e) no\n"), "");  // only as the first line
    EXPECT_EQ(PlantedError("-- error is a comment\n"), "");
    EXPECT_EQ(PlantedError(""), "");
}

}  // namespace
}  // namespace tarvo::testbed
