#include <gtest/gtest.h>

#include "scripted_ui.h"
#include "shell/messages.h"

namespace tarvo::shell {
namespace {

TEST(MessageTable, AbsentIdGivesEmptyText) {
    EXPECT_STREQ(GetString(0), "");
    EXPECT_STREQ(GetString(65535), "");
}

}  // namespace
}  // namespace tarvo::shell
