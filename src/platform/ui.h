// The seam through which the core shows texts to the user. The program installs the Win32
// message boxes at start-up; tests install a scripted implementation.
#pragma once

namespace tarvo::platform {

enum class BoxOwner { Frame, ActiveWindow };

// Box style bits. They carry the Win32 MB_ values so the Win32 layer passes them through.
inline constexpr unsigned kBoxOk = 0x0;
inline constexpr unsigned kBoxYesNoCancel = 0x3;
inline constexpr unsigned kBoxYesNo = 0x4;
inline constexpr unsigned kBoxIconHand = 0x10;
inline constexpr unsigned kBoxIconQuestion = 0x20;
inline constexpr unsigned kBoxIconAsterisk = 0x40;
inline constexpr unsigned kBoxTaskModal = 0x2000;
inline constexpr unsigned kBoxSetForeground = 0x10000;

// Answers of a box, as Win32's IDOK, IDCANCEL, IDYES, IDNO.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

struct Ui {
    // Shows a modal box; title may be null (no title). Returns the answer.
    int (*messageBox)(BoxOwner owner, const char* text, const char* title, unsigned style);
    // Shows one line in the output bar (an empty text clears it).
    void (*statusText)(const char* text);
};

// The installed implementation; before anything is installed, boxes answer No and show nothing.
const Ui& ui();
void setUi(const Ui& impl);

}  // namespace tarvo::platform
