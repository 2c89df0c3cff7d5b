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
    ASSERT_TRUE(Settle(tarvo));  // the layout is posted
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

TEST_F(FrameTest, ClosingStoresTheFrameRectangleAndTheSettingsAndTheNextStartUsesThem) {
    SetValue("Software\\vex\\Tarvo", "Tabsize", "7");
    SetValue("Software\\vex\\Tarvo", "FindFlags", "5");
    ASSERT_TRUE(Start(tarvo, ""));
    MoveWindow(tarvo.frame, 40, 30, 640, 480, TRUE);
    Settle(tarvo);
    ASSERT_TRUE(Close(tarvo));
    std::string text;
    ASSERT_TRUE(GetValue("Software\\vex\\Tarvo", "FrameX", text));
    EXPECT_EQ(text, "40");
    ASSERT_TRUE(GetValue("Software\\vex\\Tarvo", "FrameCX", text));
    EXPECT_EQ(text, "640");
    ASSERT_TRUE(GetValue("Software\\vex\\Tarvo", "FrameCY", text));
    EXPECT_EQ(text, "480");
    ASSERT_TRUE(GetValue("Software\\vex\\Tarvo", "Tabsize", text));
    EXPECT_EQ(text, "7");  // read at start-up, written back at exit
    ASSERT_TRUE(GetValue("Software\\vex\\Tarvo", "FindFlags", text));
    EXPECT_EQ(text, "5");  // through the search's own state
    ASSERT_TRUE(GetValue("Software\\vex\\Tarvo", "EditorFlags", text));
    EXPECT_EQ(text, "47");

    ASSERT_TRUE(Start(tarvo, ""));
    RECT placed;
    GetWindowRect(tarvo.frame, &placed);
    EXPECT_EQ(placed.left, 40);
    EXPECT_EQ(placed.top, 30);
    EXPECT_EQ(placed.right - placed.left, 640);
    ASSERT_TRUE(Close(tarvo));
}

}  // namespace
}  // namespace tarvo::gui
