// A Ui for tests: records every box and status line, answers boxes from a queue.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace tarvo::test {

struct ShownBox {
    platform::BoxOwner owner;
    std::string text;
    std::string title;  // empty when the box had no title
    bool hasTitle;
    unsigned style;
};

struct ScriptedUi {
    std::vector<ShownBox> boxes;
    std::vector<std::string> status;
    std::deque<int> answers;  // answers to give, oldest first; when empty boxes answer Ok/No
};

// Every box's text, each followed by '|': one comparison checks how many and what they said.
std::string BoxTexts(const ScriptedUi& ui);

// Installs a fresh scripted Ui and returns its record; the previous Ui is restored by Restore().
ScriptedUi& InstallScriptedUi();
void RestoreUi();

// RAII form for tests.
struct ScopedScriptedUi {
    ScopedScriptedUi() : ui(InstallScriptedUi()) {}
    ~ScopedScriptedUi() { RestoreUi(); }
    ScriptedUi& ui;
};

}  // namespace tarvo::test
