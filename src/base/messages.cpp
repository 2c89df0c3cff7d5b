#include "base/messages.h"

#include "base/commands.h"

#include "platform/text.h"
#include "platform/ui.h"

namespace tarvo::base {
namespace {

using platform::ui;

constexpr unsigned kErrorTitle = 406;        // "Error"
constexpr unsigned kInformationTitle = 3981; // "Information"
constexpr unsigned kNoMoreMemory = 137;
constexpr unsigned kFileNotFound = 4036;
constexpr unsigned kIncorrectFileName = 4069;

std::string cut(std::string_view text, size_t limit) {
    return std::string(text.substr(0, limit));
}

}  // namespace

const char* GetString(unsigned id) {
    if (id != 0) {
        for (const MessageRecord* r = kMessageTable; r->id != 0; ++r)
            if (r->id == id) return r->text ? r->text : "";
    }
    return "";
}

void ErrorBox(std::string_view text) {
    std::string shown = cut(text, kBoxTextLimit);
    ui().messageBox(platform::BoxOwner::Frame, shown.c_str(), GetString(kErrorTitle),
                    platform::kBoxIconHand | platform::kBoxSetForeground | platform::kBoxTaskModal);
}

void ErrorBoxId(unsigned id) { ErrorBox(GetString(id)); }

// These two are formatted into a 256-byte buffer before the box cuts them again.
void FileNotFoundBox(std::string_view file) {
    ErrorBox(cut(Printf(GetString(kFileNotFound), std::string(file).c_str()), 255));
}

void IncorrectFileNameBox(std::string_view name) {
    ErrorBox(cut(Printf(GetString(kIncorrectFileName), std::string(name).c_str()), 255));
}

void InfoBox(std::string_view text) {
    std::string shown = cut(text, kBoxTextLimit);
    ui().messageBox(platform::BoxOwner::Frame, shown.c_str(), GetString(kInformationTitle),
                    platform::kBoxIconAsterisk | platform::kBoxSetForeground);
}

int Confirm(std::string_view text) {
    std::string shown = cut(text, kBoxTextLimit);
    int answer = ui().messageBox(platform::BoxOwner::Frame, shown.c_str(),
                                 GetString(kInformationTitle),
                                 platform::kBoxYesNo | platform::kBoxSetForeground);
    return answer == platform::kAnswerYes ? 1 : 0;
}

int ConfirmId(unsigned id) { return Confirm(GetString(id)); }

Answer AskYesNoCancel(std::string_view text) {
    std::string shown = cut(text, kBoxTextLimit);
    int answer = ui().messageBox(platform::BoxOwner::Frame, shown.c_str(), GetString(kInformationTitle),
                                 platform::kBoxYesNoCancel | platform::kBoxIconQuestion);
    return answer == platform::kAnswerYes ? Answer::Yes : answer == platform::kAnswerNo ? Answer::No : Answer::Cancel;
}

void OutOfMemoryBox() {
    ui().messageBox(platform::BoxOwner::ActiveWindow, GetString(kNoMoreMemory), nullptr,
                    platform::kBoxIconHand);
}

std::string StatusHelp(unsigned commandId) {
    return Printf("%s.", GetString(StatusHelpId(static_cast<int>(commandId))));
}

void ShowStatusHelp(unsigned commandId) { ui().statusText(StatusHelp(commandId).c_str()); }

}  // namespace tarvo::base
