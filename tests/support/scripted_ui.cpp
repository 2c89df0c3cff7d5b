#include "scripted_ui.h"

namespace tarvo::test {
namespace {

ScriptedUi& state() {
    static ScriptedUi s;
    return s;
}

platform::Ui& saved() {
    static platform::Ui s{};
    return s;
}

int scriptedBox(platform::BoxOwner owner, const char* text, const char* title, unsigned style) {
    ScriptedUi& s = state();
    s.boxes.push_back({owner, text ? text : "", title ? title : "", title != nullptr, style});
    if (!s.answers.empty()) {
        int answer = s.answers.front();
        s.answers.pop_front();
        return answer;
    }
    return (style & platform::kBoxYesNo) ? platform::kAnswerNo : platform::kAnswerOk;
}

void scriptedStatus(const char* text) { state().status.push_back(text ? text : ""); }

}  // namespace

ScriptedUi& InstallScriptedUi() {
    saved() = platform::ui();
    state() = ScriptedUi{};
    platform::setUi({scriptedBox, scriptedStatus});
    return state();
}

void RestoreUi() { platform::setUi(saved()); }

std::string BoxTexts(const ScriptedUi& ui) {
    std::string all;
    for (const ShownBox& box : ui.boxes) all += box.text + "|";
    return all;
}

}  // namespace tarvo::test
