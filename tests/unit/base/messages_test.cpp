#include <gtest/gtest.h>

#include "platform/ui.h"
#include "scripted_ui.h"
#include "base/messages.h"
#include "base/command_ids.h"

namespace tarvo::base {
namespace {

using platform::BoxOwner;

TEST(MessageLookup, AbsentIdGivesEmptyTextNeverNull) {
    for (unsigned id : {0u, 1u, 7u, 999999u, 65535u}) {
        ASSERT_NE(GetString(id), nullptr) << id;
        EXPECT_STREQ(GetString(id), "") << id;
    }
    EXPECT_STREQ(GetString(8142), "Establish a book mark at the current position");
}

TEST(MessageBoxes, ErrorBoxCutsTo254AndUsesTheErrorStyle) {
    test::ScopedScriptedUi scripted;
    std::string text(300, 'a');
    text[253] = 'Z';
    ErrorBox(text);
    ErrorBox("short");
    ASSERT_EQ(scripted.ui.boxes.size(), 2u);
    const test::ShownBox& box = scripted.ui.boxes[0];
    EXPECT_EQ(box.text.size(), 254u);
    EXPECT_EQ(box.text.back(), 'Z');
    EXPECT_EQ(box.title, "Error");
    EXPECT_EQ(box.owner, BoxOwner::Frame);
    EXPECT_EQ(box.style, platform::kBoxIconHand | platform::kBoxSetForeground |
                             platform::kBoxTaskModal);
    EXPECT_EQ(scripted.ui.boxes[1].text, "short");
}

TEST(MessageBoxes, ErrorBoxByIdAndFormattedBoxes) {
    test::ScopedScriptedUi scripted;
    ErrorBoxId(137);
    FileNotFoundBox("C:\\src\\main.c");
    IncorrectFileNameBox("*.zz");
    FileNotFoundBox(std::string(400, 'n'));
    ASSERT_EQ(scripted.ui.boxes.size(), 4u);
    EXPECT_EQ(scripted.ui.boxes[0].text, "No more memory left");
    EXPECT_EQ(scripted.ui.boxes[1].text, "File C:\\src\\main.c not found!");
    EXPECT_EQ(scripted.ui.boxes[2].text, "[*.zz]: incorrect file name");
    EXPECT_EQ(scripted.ui.boxes[3].text, "File " + std::string(249, 'n'));
    for (const auto& box : scripted.ui.boxes) EXPECT_EQ(box.title, "Error");
}

TEST(MessageBoxes, InformationBox) {
    test::ScopedScriptedUi scripted;
    InfoBox("String not found");
    ASSERT_EQ(scripted.ui.boxes.size(), 1u);
    EXPECT_EQ(scripted.ui.boxes[0].title, "Information");
    EXPECT_EQ(scripted.ui.boxes[0].style, platform::kBoxIconAsterisk | platform::kBoxSetForeground);
}

TEST(MessageBoxes, ConfirmationAnswersOneOnlyForYes) {
    test::ScopedScriptedUi scripted;
    scripted.ui.answers = {platform::kAnswerYes, platform::kAnswerNo, platform::kAnswerCancel};
    EXPECT_EQ(Confirm("Save?"), 1);
    EXPECT_EQ(ConfirmId(31), 0);
    EXPECT_EQ(Confirm("closed with the window's close button"), 0);
    ASSERT_EQ(scripted.ui.boxes.size(), 3u);
    EXPECT_EQ(scripted.ui.boxes[1].text, "This will close the debugging session");
    for (const auto& box : scripted.ui.boxes) {
        EXPECT_EQ(box.title, "Information");
        EXPECT_EQ(box.style, platform::kBoxYesNo | platform::kBoxSetForeground);
    }
}

TEST(MessageBoxes, OutOfMemoryBoxHasNoTitleAndTheActiveOwner) {
    test::ScopedScriptedUi scripted;
    OutOfMemoryBox();
    ASSERT_EQ(scripted.ui.boxes.size(), 1u);
    EXPECT_EQ(scripted.ui.boxes[0].text, "No more memory left");
    EXPECT_FALSE(scripted.ui.boxes[0].hasTitle);
    EXPECT_EQ(scripted.ui.boxes[0].owner, BoxOwner::ActiveWindow);
    EXPECT_EQ(scripted.ui.boxes[0].style, platform::kBoxIconHand);
}

TEST(StatusHelp, HelpOfACommandIsItsTextPlusSevenThousandWithAPeriod) {
    EXPECT_EQ(StatusHelp(CMD_NEW), "Create a new file.");
    EXPECT_EQ(StatusHelp(CMD_HELP_INDEX), "Show the on-line documentation.");
    EXPECT_EQ(StatusHelp(1), ".");  // a command without help shows only the period
    test::ScopedScriptedUi scripted;
    ShowStatusHelp(CMD_MAKE);
    ASSERT_EQ(scripted.ui.status.size(), 1u);
    EXPECT_EQ(scripted.ui.status[0], "Build the current executable.");
}

}  // namespace
}  // namespace tarvo::base
