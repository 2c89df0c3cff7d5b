// Keywords of a working file: every form of the table, dates in the old two-digit form, with
// four-digit years and in the store's own form, and the values that stop a check-in.
#include <gtest/gtest.h>

#include "cms/keywords.h"
#include "settings_test_util.h"

namespace tarvo::cms {
namespace {

struct Keywords : test::MainKeyTest {
    KeywordValues v;
    std::string message;
    bool Read(const std::string& text) { return ReadKeywords(text, v, message); }
};

TEST_F(Keywords, TheFormsAndTheirValues) {
    ASSERT_TRUE(Read("/* $Id: main.c 1.4 24/05/01 14:05:09 carol Exp $ */\n")) << message;
    EXPECT_EQ(v.file, "main.c");
    EXPECT_EQ(v.revision, "1.4");
    EXPECT_EQ(v.date, "2024.5.1.14.5.9");
    EXPECT_EQ(v.author, "carol");
    EXPECT_EQ(v.state, "Exp");

    ASSERT_TRUE(Read("$Header: c:\\src\\a.c 1.2.1.1 1999/12/31 23:59:59 bob Rel dave $\n")) << message;
    EXPECT_EQ(v.file, "c:\\src\\a.c");
    EXPECT_EQ(v.date, "1999.12.31.23.59.59");
    EXPECT_EQ(v.locker, "dave");

    // One keyword a line; an empty one ("$Id$") and a stranger ("$Foo: x $") are passed by.
    ASSERT_TRUE(Read("$Id$ $Foo: x $\n$Revision: 2.7 $\n$Date: 2024.5.1.14.5.9 $\n$Author: ann $\n"
                     "$State: Stab $\n$Source: /src/x.c $\n")) << message;
    EXPECT_EQ(v.revision, "2.7");
    EXPECT_EQ(v.date, "2024.5.1.14.5.9");  // the store's own form, as the editor stamps it
    EXPECT_EQ(v.author, "ann");
    EXPECT_EQ(v.state, "Stab");
    EXPECT_EQ(v.file, "/src/x.c");

    ASSERT_TRUE(Read("$Revision: 1.1 \nrest\n"));
    EXPECT_EQ(v.warnings, std::vector<std::string>{"Closing $ missing on keyword"});

    EXPECT_EQ(KeywordDate("69/01/01", "00:00:00"), "2069.1.1.0.0.0");
    EXPECT_EQ(KeywordDate("70/01/01", "00:00:00"), "1970.1.1.0.0.0");
    EXPECT_EQ(KeywordDate("24/13/01", "00:00:00"), "");  // month 13
    EXPECT_EQ(KeywordDate("24/05/01", ""), "");
}

TEST_F(Keywords, ValuesThatStopACheckIn) {
    EXPECT_FALSE(Read("$Revision: 1.x $"));
    EXPECT_EQ(message, "Bad revision number");
    EXPECT_FALSE(Read("$Author: 9lives $"));
    EXPECT_EQ(message, "Identifier 9lives does not start with letter");
    EXPECT_FALSE(Read("$Author: a.b $"));
    EXPECT_EQ(message, "Invalid character . in identifier a.b");
    EXPECT_FALSE(Read("$Author: " + std::string(32, 'a') + " $"));
    EXPECT_EQ(message, "keyword value too long");
    EXPECT_FALSE(Read("$Date: yesterday noon $"));
    EXPECT_EQ(message, "Bad date: yesterday noon");
    EXPECT_FALSE(Read("$State: $"));
    EXPECT_EQ(message, "Missing keyword value");
}

}  // namespace
}  // namespace tarvo::cms
