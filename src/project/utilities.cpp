#include "project/utilities.h"

#include <algorithm>

#include "base/command_ids.h"
#include "base/messages.h"
#include "platform/text.h"
#include "project/configuration.h"

namespace tarvo::project {
namespace {

constexpr unsigned kMsgUtilityErased = 4107;     // "Utility [%s] erased"
constexpr unsigned kMsgAllUtilities = 6001;      // "All %d utilities are defined: delete one first"
constexpr unsigned kMsgUtilityIncomplete = 6002; // "A utility needs a name and a program"
constexpr unsigned kMsgNoSuchUtility = 6003;     // "Can't find utility %s"
constexpr unsigned kMsgMultiLine = 6004;         // "Impossible to send multi-line selection"
constexpr unsigned kMsgProcessorIncomplete = 6005;


// The replacement of one macro name; false when the expansion must fail.
bool replacement(const std::string& name, const MacroContext& c, std::string& out) {
    if (name == "FILE") out += c.file;
    else if (name == "HWND") out += Printf("0x%llx", static_cast<unsigned long long>(c.window));
    else if (name == "CURRENT_TEXT") out += c.word;
    else if (name == "CURSOR") out += c.word.substr(0, std::min(c.cursorInWord, c.word.size()));
    else if (name == "SELECTION") {
        if (c.selectionLines) {
            base::ErrorBox(base::GetString(kMsgMultiLine));
            return false;
        }
        out += c.selection;
    } else if (name == "EXE") out += ShownOutputName(c.exe, c.makeDir);
    else if (name == "DIR") out += c.currentDir;
    else if (name == "ASK") {
        std::string answer;
        if (!c.ask || !c.ask(c.askTitle, answer)) return false;
        out += answer;
    }
    return true;
}

}  // namespace

bool ExpandMacros(const std::string& text, const MacroContext& context, std::string& expanded) {
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        size_t dollar = text.find('$', at);
        if (dollar == std::string::npos) {
            out += text.substr(at);
            break;
        }
        out += text.substr(at, dollar - at);
        size_t close = text.find('$', dollar + 1);
        std::string name = text.substr(dollar + 1, close == std::string::npos ? std::string::npos : close - dollar - 1);
        if (name.size() <= kMacroNameLimit && !replacement(Upper(name), context, out)) return false;
        out += ' ';
        if (close == std::string::npos) break;  // the rest was the name
        at = close + 1;
    }
    expanded = std::move(out);
    return true;
}

long FreeUtilityId(const std::vector<base::Utility>& utilities) {
    for (long id = CMD_FIRST_UTILITY; id <= CMD_LAST_UTILITY; ++id)
        if (!FindUtility(utilities, id)) return id;
    return 0;
}

const base::Utility* FindUtility(const std::vector<base::Utility>& utilities, long id) {
    for (const base::Utility& u : utilities)
        if (u.id == id) return &u;
    return nullptr;
}

UtilityEdit ChangeOrAddUtility(std::vector<base::Utility>& utilities, const base::Utility& entered, long& id) {
    if (entered.nickname.empty() || entered.program.empty()) {
        base::ErrorBox(base::GetString(kMsgUtilityIncomplete));
        return UtilityEdit::Refused;
    }
    for (base::Utility& u : utilities) {
        if (u.nickname != entered.nickname) continue;
        u.program = entered.program;
        u.arguments = entered.arguments;
        u.startDir = entered.startDir;
        id = u.id;
        return UtilityEdit::Changed;
    }
    id = FreeUtilityId(utilities);
    if (id == 0) {
        base::ErrorBox(Printf(base::GetString(kMsgAllUtilities), CMD_LAST_UTILITY - CMD_FIRST_UTILITY + 1));
        return UtilityEdit::Refused;
    }
    base::Utility added = entered;
    added.id = id;
    utilities.insert(utilities.begin(), added);
    return UtilityEdit::Added;
}

bool DeleteUtility(std::vector<base::Utility>& utilities, const std::string& nickname, long& id) {
    auto found = std::find_if(utilities.begin(), utilities.end(),
                              [&](const base::Utility& u) { return u.nickname == nickname; });
    if (nickname.empty() || found == utilities.end()) {
        base::ErrorBox(Printf(base::GetString(kMsgNoSuchUtility), nickname.c_str()));
        return false;
    }
    id = found->id;
    utilities.erase(found);
    base::InfoBox(Printf(base::GetString(kMsgUtilityErased), nickname.c_str()));
    return true;
}

bool ValidFileProcessor(const base::FileProcessor& processor) {
    if (!processor.command.empty() && !processor.output.empty()) return true;
    base::ErrorBox(base::GetString(kMsgProcessorIncomplete));
    return false;
}

}  // namespace tarvo::project
