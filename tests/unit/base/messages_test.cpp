#include <gtest/gtest.h>

#include "base/command_ids.h"
#include "base/messages.h"
#include "platform/ui.h"
#include "scripted_ui.h"

namespace tarvo::base {
namespace {

using platform::BoxOwner;

TEST(MessageLookup, AbsentIdGivesEmptyTextNeverNull) {
    for (unsigned id : {0u, 1u, 7u, 999999u, 65535u}) {
        ASSERT_NE(GetString(id), nullptr) << id;
        EXPECT_STREQ(GetString(id), "") << id;
    }
    // The one id held twice: the first record wins.
    EXPECT_STREQ(GetString(8142), "Establish a book mark at the current position");
}

// Each kind of box with its title, owner and style; texts are cut to 254 characters.
TEST(MessageBoxes, TextsTitlesAndStyles) {
    test::ScopedScriptedUi scripted;
    std::string text(300, 'a');
    text[253] = 'Z';
    ErrorBox(text);
    ErrorBoxId(137);
    FileNotFoundBox("C:\\src\\main.c");
    IncorrectFileNameBox("*.zz");
    FileNotFoundBox(std::string(400, 'n'));
    InfoBox("String not found");
    OutOfMemoryBox();
    EXPECT_EQ(BoxTexts(scripted.ui), std::string(253, 'a') + "Z|No more memory left|File C:\\src\\main.c not found!|"
                                     "[*.zz]: incorrect file name|File " + std::string(249, 'n') +
                                     "|String not found|No more memory left|");
    constexpr unsigned error = platform::kBoxIconHand | platform::kBoxSetForeground | platform::kBoxTaskModal;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(scripted.ui.boxes[i].title, "Error") << i;
        EXPECT_EQ(scripted.ui.boxes[i].owner, BoxOwner::Frame) << i;
        EXPECT_EQ(scripted.ui.boxes[i].style, error) << i;
    }
    EXPECT_EQ(scripted.ui.boxes[5].title, "Information");
    EXPECT_EQ(scripted.ui.boxes[5].style, platform::kBoxIconAsterisk | platform::kBoxSetForeground);
    // Out of memory: no title, and the active window owns it.
    EXPECT_FALSE(scripted.ui.boxes[6].hasTitle);
    EXPECT_EQ(scripted.ui.boxes[6].owner, BoxOwner::ActiveWindow);
    EXPECT_EQ(scripted.ui.boxes[6].style, platform::kBoxIconHand);
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

TEST(StatusHelp, HelpOfACommandIsItsTextPlusSevenThousandWithAPeriod) {
    EXPECT_EQ(StatusHelp(CMD_SET_BOOKMARK), "Establish a book mark at the current position.");
    EXPECT_EQ(StatusHelp(1), ".");  // a command without help shows only the period
    test::ScopedScriptedUi scripted;
    ShowStatusHelp(CMD_MAKE);
    EXPECT_EQ(scripted.ui.status, std::vector<std::string>{"Build the current executable."});
}

}  // namespace
}  // namespace tarvo::base
