// The frame as a user first sees it.
#include <gtest/gtest.h>

#include "harness_win.h"

namespace tarvo::gui {
namespace {

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { ResetSettings(); }
    void TearDown() override { Kill(tarvo); }
    Running tarvo;
};

TEST_F(FrameTest, ComesUpWithMenuBarOutputBarAndTitleAndClosesCleanly) {
    ASSERT_TRUE(Start(tarvo, ""));
    EXPECT_EQ(Text(tarvo.frame), "tarvo");
    EXPECT_TRUE(HasMenuBar(tarvo.frame));
    HWND output = ChildOfClass(tarvo.frame, "TarvoOutput");
    ASSERT_NE(output, nullptr);
    EXPECT_TRUE(IsWindowVisible(output));
    HWND client = MdiClient(tarvo.frame);
    ASSERT_NE(client, nullptr);
    // The output bar runs along the bottom, below the MDI area.
    RECT outputRect, clientRect;
    GetWindowRect(output, &outputRect);
    GetWindowRect(client, &clientRect);
    EXPECT_GE(outputRect.top, clientRect.bottom - 1);
    EXPECT_GT(outputRect.bottom - outputRect.top, 0);
    EXPECT_TRUE(MdiChildren(tarvo.frame).empty());

    DWORD exitCode = 1;
    ASSERT_TRUE(Close(tarvo, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
}  // namespace tarvo::gui
