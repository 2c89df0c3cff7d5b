// The message table: every user-visible text, looked up by number, and the boxes that show them.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvo::base {

struct MessageRecord {
    std::uint16_t id;  // never 0 except in the record that ends the table
    const char* text;
};

// In table order; an id may occur twice and then the first record wins. Ends at id 0.
extern const MessageRecord kMessageTable[];

// The text of the first record with that id; the empty text for an absent id, never null.
const char* GetString(unsigned id);

// Texts more than one subsystem shows.
inline constexpr unsigned kMsgCannotOpenForWriting = 1154;  // "Impossible to open %s for writing!"
inline constexpr unsigned kMsgImpossibleToExecute = 1157;   // "Impossible to execute '%s'"
inline constexpr unsigned kMsgToolTimedOut = 4724;          // "%s did not finish in time and was stopped"

// Longest text a message box shows; longer texts are cut.
inline constexpr size_t kBoxTextLimit = 254;

void ErrorBox(std::string_view text);
void ErrorBoxId(unsigned id);
void FileNotFoundBox(std::string_view file);      // "File %s not found!"
void IncorrectFileNameBox(std::string_view name);  // "[%s]: incorrect file name"
void InfoBox(std::string_view text);
// 1 for Yes, 0 for No or a closed box.
int Confirm(std::string_view text);
int ConfirmId(unsigned id);
// A question that may also be called off: Yes, No or Cancel (a closed box is Cancel).
enum class Answer { Yes, No, Cancel };
Answer AskYesNoCancel(std::string_view text);
void OutOfMemoryBox();

// The status-line help of a command: its help text (base/commands.h) with a period appended.
std::string StatusHelp(unsigned commandId);
void ShowStatusHelp(unsigned commandId);

}  // namespace tarvo::base
