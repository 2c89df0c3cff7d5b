#include "project/configuration_win.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "base/app_win.h"
#include "base/dialogs_win.h"
#include "base/key_accelerators_win.h"
#include "base/key_table.h"
#include "base/messages.h"
#include "base/version_options_win.h"
#include "editor/language.h"
#include "platform/files.h"
#include "platform/text.h"
#include "project/configuration.h"
#include "project/eiffel.h"
#include "project/key_bindings_win.h"
#include "project/project_kinds.h"
#include "project/project_commands_win.h"
#include "project/utilities.h"
#include "project/utilities_win.h"
#include "resource_ids.h"

namespace tarvo::project {
namespace {

constexpr unsigned kMsgConfigurationTitle = 109;  // "Configuration of Tarvo"
constexpr unsigned kMsgFileProcessorIncomplete = 6005;
constexpr unsigned kMsgEiffelTitle = 6008;          // "Small Eiffel configuration"
constexpr unsigned kMsgCompilerSystemTitle = 6009;  // "Compiler system configuration"
constexpr unsigned kMsgNotDefined = 6010;           // "<not defined>"
constexpr unsigned kMsgScrollStep = 6029;
constexpr unsigned kMsgTabSize = 6030;

using base::Check;
using base::Checked;
using base::ItemText;

// The open sheet: the pages edit `edit`, which OK takes over.
struct Sheet {
    base::Settings edit;
    bool applied = false;
};
Sheet* sheet = nullptr;

struct BitBox {
    int id;
    long bit;
};

constexpr BitBox kCompilerBoxes[] = {
    {IDC_CC_ASM, kFlagAsm},           {IDC_CC_BROWSE, kFlagBrowse},       {IDC_CC_OPTIMIZE, kFlagOptimize},
    {IDC_CC_DEBUG, kFlagDebugInfo},   {IDC_CC_G3, kFlagStackTrace},       {IDC_CC_G4, kFlagStackLines},
    {IDC_CC_INTERMEDIATE, kFlagIntermediate}, {IDC_CC_PENTIUM, kFlagPentiumPro}, {IDC_CC_ELIMINATE, kFlagEliminate},
};
constexpr BitBox kLinkerBoxes[] = {
    {IDC_LNK_NO_DEBUG, kFlagNoLinkDebug}, {IDC_LNK_MAP, kFlagMapFile}, {IDC_LNK_NO_UNDERSCORES, kFlagNoUnderscores}};
constexpr BitBox kKinds[] = {
    {IDC_LNK_WINDOWS, kKindWindows}, {IDC_LNK_CONSOLE, kKindConsole}, {IDC_LNK_DLL, kKindDll}, {IDC_LNK_LIBRARY, kKindLibrary}};

void showBits(HWND page, std::span<const BitBox> boxes, long flags) {
    for (const BitBox& b : boxes) Check(page, b.id, (flags & b.bit) != 0);
}
long readBits(HWND page, std::span<const BitBox> boxes, long flags) {
    for (const BitBox& b : boxes) flags = Checked(page, b.id) ? flags | b.bit : flags & ~b.bit;
    return flags;
}
void setText(HWND page, int id, const std::string& text) { SetDlgItemTextA(page, id, text.c_str()); }
void enable(HWND page, int id, bool on) { EnableWindow(GetDlgItem(page, id), on); }
bool number(HWND page, int id, long low, long high, long& value) {
    std::string text = ItemText(page, id);
    char* end = nullptr;
    long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || n < low || n > high) return false;
    value = n;
    return true;
}

// ---- General
void generalShow(HWND page) {
    const base::Settings& s = sheet->edit;
    for (int bit = 0; bit < 7; ++bit) Check(page, IDC_GEN_FLAG + bit, (s.editorFlags >> bit) & 1);
    setText(page, IDC_GEN_SCROLL, std::to_string(s.subScroll));
    Check(page, IDC_GEN_SAVE_EXIT, s.saveAtExit);
    setText(page, IDC_GEN_CURRENT_DIR, s.currentDir);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        setText(page, IDC_GEN_MEMORY,
                Printf("Working set: %llu KB (peak %llu KB)\nCommitted: %llu KB",
                       static_cast<unsigned long long>(counters.WorkingSetSize / 1024),
                       static_cast<unsigned long long>(counters.PeakWorkingSetSize / 1024),
                       static_cast<unsigned long long>(counters.PagefileUsage / 1024)));
}
bool generalLeave(HWND page) {
    base::Settings& s = sheet->edit;
    long scroll = 0;
    if (!number(page, IDC_GEN_SCROLL, 1, 100, scroll)) {
        base::ErrorBoxId(kMsgScrollStep);
        return false;
    }
    s.subScroll = scroll;
    for (int bit = 0; bit < 7; ++bit)
        s.editorFlags = Checked(page, IDC_GEN_FLAG + bit) ? s.editorFlags | (1L << bit) : s.editorFlags & ~(1L << bit);
    s.saveAtExit = Checked(page, IDC_GEN_SAVE_EXIT);
    s.currentDir = ItemText(page, IDC_GEN_CURRENT_DIR);
    return true;
}

// ---- Project
void projectShow(HWND page) {
    const base::ProjectSettings& p = sheet->edit.project;
    setText(page, IDC_PRJ_NAME, sheet->edit.currentProject);
    setText(page, IDC_PRJ_TYPE, KindName(p.compilerFlags));
    setText(page, IDC_PRJ_MAKE, p.makeName);
    setText(page, IDC_PRJ_MAKE_DIR, p.makeDir);
    setText(page, IDC_PRJ_EXE, p.exe.empty() ? base::GetString(kMsgNotDefined) : p.exe);
    setText(page, IDC_PRJ_ARGS, p.debuggerArguments);
    setText(page, IDC_PRJ_SOURCES, p.sourcesDir);
}
bool projectLeave(HWND page) {
    ProjectPage fields{ItemText(page, IDC_PRJ_MAKE), ItemText(page, IDC_PRJ_MAKE_DIR), ItemText(page, IDC_PRJ_EXE),
                       ItemText(page, IDC_PRJ_ARGS), ItemText(page, IDC_PRJ_SOURCES)};
    if (fields.exe == base::GetString(kMsgNotDefined)) fields.exe.clear();
    if (!LeaveProjectPage(sheet->edit.compilerRoot, fields)) return false;
    ApplyProjectPage(fields, sheet->edit.project);
    return true;
}

// ---- Help
void helpShow(HWND page) {
    setText(page, IDC_HELP_FILE, sheet->edit.winHelpDataBase);
    setText(page, IDC_HELP_COMPILER, sheet->edit.winHelpComp);
}
bool helpLeave(HWND page) {
    sheet->edit.winHelpDataBase = ItemText(page, IDC_HELP_FILE);
    sheet->edit.winHelpComp = ItemText(page, IDC_HELP_COMPILER);
    return true;
}

// ---- Versions: the version store's preferences of the project.
void usersList(HWND page) {
    HWND list = GetDlgItem(page, IDC_VER_USERS);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& u : sheet->edit.project.users)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u.c_str()));
}
void versionsShow(HWND page) {
    const base::ProjectSettings& p = sheet->edit.project;
    Check(page, IDC_VER_USE, p.projectFlags & base::kProjectUsesCms);
    setText(page, IDC_VER_DIRECTORY, p.cmsDirectory);
    setText(page, IDC_VER_USER, p.userName);
    base::ShowVersionOptions(page, p);
    usersList(page);
}
bool versionsCommand(HWND page, int id, int code) {
    if (code != BN_CLICKED) return false;
    std::vector<std::string>& users = sheet->edit.project.users;
    if (id == IDC_VER_USE) {
        // Turning the store on fills in the usual directory.
        const base::ProjectSettings& p = sheet->edit.project;
        if (Checked(page, IDC_VER_USE) && ItemText(page, IDC_VER_DIRECTORY).empty())
            setText(page, IDC_VER_DIRECTORY, (p.projectPath.empty() ? p.sourcesDir : p.projectPath) + "\\CMS");
    } else if (id == IDC_VER_ADD_USER) {
        if (AddVersionUser(users, ItemText(page, IDC_VER_NEW_USER))) setText(page, IDC_VER_NEW_USER, "");
        usersList(page);
    } else if (id == IDC_VER_REMOVE_USER) {
        LRESULT row = SendDlgItemMessageA(page, IDC_VER_USERS, LB_GETCURSEL, 0, 0);
        if (row >= 0 && static_cast<size_t>(row) < users.size()) users.erase(users.begin() + row);
        usersList(page);
    } else {
        return false;
    }
    return true;
}
bool versionsLeave(HWND page) {
    base::ProjectSettings& p = sheet->edit.project;
    p.projectFlags = Checked(page, IDC_VER_USE) ? p.projectFlags | base::kProjectUsesCms
                                                : p.projectFlags & ~base::kProjectUsesCms;
    p.cmsDirectory = ItemText(page, IDC_VER_DIRECTORY);
    p.userName = ItemText(page, IDC_VER_USER);
    base::ReadVersionOptions(page, p);
    return true;
}

// ---- Compiler
std::string defaultIncludes() { return sheet->edit.compilerRoot + "\\include"; }

void compilerBoxes(HWND page, const CompilerBoxes& boxes) {
    showBits(page, kCompilerBoxes, boxes.flags);
    enable(page, IDC_CC_G3, boxes.stackEnabled);
    enable(page, IDC_CC_G4, boxes.stackEnabled);
}
void compilerShow(HWND page) {
    base::ProjectSettings& p = sheet->edit.project;
    CompilerBoxes boxes = OpenCompilerPage(p.compilerFlags);
    p.compilerFlags = boxes.flags;
    setText(page, IDC_CC_DEFINES, p.defines);
    setText(page, IDC_CC_INCLUDES, p.includes.empty() ? defaultIncludes() : p.includes);
    setText(page, IDC_CC_ERROR_FILE, p.errorFile);
    compilerBoxes(page, boxes);
    CheckRadioButton(page, IDC_CC_WARN_NORMAL, IDC_CC_WARN_ALL,
                     p.compilerFlags & kFlagAllWarnings ? IDC_CC_WARN_ALL : IDC_CC_WARN_NORMAL);
    CheckRadioButton(page, IDC_CC_ANSI, IDC_CC_EXTENSIONS,
                     p.compilerFlags & kFlagAnsiOnly ? IDC_CC_ANSI : IDC_CC_EXTENSIONS);
    HWND align = GetDlgItem(page, IDC_CC_ALIGN);
    SendMessageA(align, CB_RESETCONTENT, 0, 0);
    for (const char* row : {"1", "2", "4", "8", "16"})
        SendMessageA(align, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
    SendMessageA(align, CB_SETCURSEL, static_cast<WPARAM>(AlignmentRow(p.compilerFlags)), 0);
}
bool compilerCommand(HWND page, int id, int code) {
    if (code != BN_CLICKED) return false;
    for (const BitBox& b : kCompilerBoxes) {
        if (b.id != id) continue;
        CompilerBoxes boxes{readBits(page, kCompilerBoxes, 0), IsWindowEnabled(GetDlgItem(page, IDC_CC_G3)) != 0};
        // The box already shows its new state: the rules see the change from the old one.
        boxes = ClickCompilerBox(boxes, b.bit, Checked(page, id));
        compilerBoxes(page, boxes);
        return true;
    }
    return false;
}
bool compilerLeave(HWND page) {
    base::ProjectSettings& p = sheet->edit.project;
    std::string errorFile = Lower(ItemText(page, IDC_CC_ERROR_FILE));
    if (!CheckMessageFileName(errorFile)) return false;
    long flags = readBits(page, kCompilerBoxes, p.compilerFlags);
    flags = Checked(page, IDC_CC_WARN_ALL) ? flags | kFlagAllWarnings : flags & ~kFlagAllWarnings;
    flags = Checked(page, IDC_CC_ANSI) ? flags | kFlagAnsiOnly : flags & ~kFlagAnsiOnly;
    int row = static_cast<int>(SendDlgItemMessageA(page, IDC_CC_ALIGN, CB_GETCURSEL, 0, 0));
    p.compilerFlags = LeaveCompilerPage(WithAlignment(flags, row));
    p.defines = ItemText(page, IDC_CC_DEFINES);
    std::string includes = ItemText(page, IDC_CC_INCLUDES);
    p.includes = SameText(includes, defaultIncludes()) ? std::string() : includes;
    p.errorFile = errorFile;
    return true;
}

// ---- Macros
void macrosShow(HWND page) {
    HWND list = GetDlgItem(page, IDC_MAC_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const base::Macro& m : sheet->edit.macros) {
        std::string text = "Ctrl+" + m.key + ": ";
        for (char c : m.text.substr(0, 60)) text += c >= ' ' ? c : ' ';
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}
bool macrosCommand(HWND page, int id, int code) {
    if (id != IDC_MAC_DELETE || code != BN_CLICKED) return false;
    LRESULT row = SendDlgItemMessageA(page, IDC_MAC_LIST, LB_GETCURSEL, 0, 0);
    std::vector<base::Macro>& macros = sheet->edit.macros;
    if (row >= 0 && static_cast<size_t>(row) < macros.size()) macros.erase(macros.begin() + row);
    macrosShow(page);
    return true;
}

// ---- Debugger
void debuggerShow(HWND page) {
    setText(page, IDC_DBG_EXE, sheet->edit.debuggerExeName);
    setText(page, IDC_DBG_ARGS, sheet->edit.debuggerArguments);
    setText(page, IDC_DBG_DIR, sheet->edit.debuggerDir);
}
bool debuggerLeave(HWND page) {
    sheet->edit.debuggerExeName = ItemText(page, IDC_DBG_EXE);
    sheet->edit.debuggerArguments = ItemText(page, IDC_DBG_ARGS);
    sheet->edit.debuggerDir = ItemText(page, IDC_DBG_DIR);
    return true;
}

// ---- Linker
void linkerEnable(HWND page, long flags) {
    bool library = IsLibrary(flags), dll = IsDll(flags);
    for (int id : {IDC_LNK_MAP, IDC_LNK_NO_DEBUG, IDC_LNK_LIBS}) enable(page, id, !library);
    enable(page, IDC_LNK_ENTRY, dll);
    enable(page, IDC_LNK_NO_UNDERSCORES, dll);
}
long chosenKind(HWND page) {
    for (const BitBox& k : kKinds)
        if (Checked(page, k.id)) return k.bit;
    return kKindConsole;
}
void linkerShow(HWND page) {
    base::ProjectSettings& p = sheet->edit.project;
    p.compilerFlags = OpenLinkerPage(p.compilerFlags);
    setText(page, IDC_LNK_LIBS, p.libraries);
    setText(page, IDC_LNK_OUTPUT, ShownOutputName(p.exe, p.makeDir));
    showBits(page, kLinkerBoxes, p.compilerFlags);
    int kind = IsLibrary(p.compilerFlags) ? IDC_LNK_LIBRARY
               : IsDll(p.compilerFlags)   ? IDC_LNK_DLL
               : IsConsole(p.compilerFlags) ? IDC_LNK_CONSOLE
                                            : IDC_LNK_WINDOWS;
    CheckRadioButton(page, IDC_LNK_WINDOWS, IDC_LNK_LIBRARY, kind);
    setText(page, IDC_LNK_ENTRY, p.dllEntry.empty() ? std::string(kDefaultDllEntry) : p.dllEntry);
    setText(page, IDC_LNK_ARGS, p.linkerArgs);
    linkerEnable(page, p.compilerFlags);
}
bool linkerCommand(HWND page, int id, int code) {
    for (const BitBox& k : kKinds)
        if (k.id == id && code == BN_CLICKED) {
            linkerEnable(page, k.bit);
            return true;
        }
    return false;
}
bool linkerLeave(HWND page) {
    base::ProjectSettings& p = sheet->edit.project;
    long flags = WithKind(p.compilerFlags, chosenKind(page));
    if (!IsLibrary(flags)) p.libraries = ItemText(page, IDC_LNK_LIBS);
    // Only what the page may change of the flags: disabled boxes keep their bits.
    for (const BitBox& b : kLinkerBoxes)
        if (IsWindowEnabled(GetDlgItem(page, b.id))) flags = Checked(page, b.id) ? flags | b.bit : flags & ~b.bit;
    if (!IsDll(flags)) flags &= ~kFlagNoUnderscores;
    p.compilerFlags = flags;
    std::string output = ItemText(page, IDC_LNK_OUTPUT);
    if (output != ShownOutputName(p.exe, p.makeDir)) p.exe = output;
    std::string entry = ItemText(page, IDC_LNK_ENTRY);
    p.dllEntry = entry == kDefaultDllEntry ? std::string() : entry;
    p.linkerArgs = ItemText(page, IDC_LNK_ARGS);
    return true;
}

// ---- Language
void languageShow(HWND page) {
    HWND list = GetDlgItem(page, IDC_LANG_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const base::Language& l : sheet->edit.languages)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(l.name.c_str()));
}
bool languageCommand(HWND page, int id, int code) {
    LRESULT row = SendDlgItemMessageA(page, IDC_LANG_LIST, LB_GETCURSEL, 0, 0);
    std::vector<base::Language>& languages = sheet->edit.languages;
    if (row < 0 || static_cast<size_t>(row) >= languages.size()) return false;
    base::Language& l = languages[static_cast<size_t>(row)];
    if (id == IDC_LANG_LIST && code == LBN_SELCHANGE) setText(page, IDC_LANG_EXTENSIONS, l.extensions);
    else if (id == IDC_LANG_CHANGE && code == BN_CLICKED) l.extensions = ItemText(page, IDC_LANG_EXTENSIONS);
    else return false;
    return true;
}

// ---- Workspace
void workspaceShow(HWND page) {
    setText(page, IDC_WS_TAB, std::to_string(sheet->edit.tabSize));
    setText(page, IDC_WS_FONT, sheet->edit.fontName);
    setText(page, IDC_WS_FONT_HEIGHT, std::to_string(sheet->edit.fontHeight));
}
bool workspaceCommand(HWND, int id, int code) {
    if (id != IDC_WS_KEYBOARD || code != BN_CLICKED) return false;
    KeyBindingsDialog(sheet->edit.keyRows, sheet->edit.macros);  // taken over with the sheet's OK
    return true;
}
bool workspaceLeave(HWND page) {
    long tab = 0, height = 0;
    if (!number(page, IDC_WS_TAB, 1, 32, tab)) {
        base::ErrorBoxId(kMsgTabSize);
        return false;
    }
    if (number(page, IDC_WS_FONT_HEIGHT, -200, 200, height) && height != 0) sheet->edit.fontHeight = height;
    sheet->edit.tabSize = tab;
    std::string font = ItemText(page, IDC_WS_FONT);
    if (!font.empty()) sheet->edit.fontName = font;
    return true;
}

// ---- Utilities: they change at once, with the menu (see utilities_win).
void utilitiesList(HWND page) {
    HWND list = GetDlgItem(page, IDC_UT_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const base::Utility& u : base::settings().utilities)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u.nickname.c_str()));
}
void utilitiesShow(HWND page) {
    SendDlgItemMessageA(page, IDC_UT_NAME, EM_LIMITTEXT, kUtilityNameTyped, 0);
    utilitiesList(page);
}
bool utilitiesCommand(HWND page, int id, int code) {
    const std::vector<base::Utility>& list = base::settings().utilities;
    if (id == IDC_UT_LIST && code == LBN_SELCHANGE) {
        LRESULT row = SendDlgItemMessageA(page, IDC_UT_LIST, LB_GETCURSEL, 0, 0);
        if (row < 0 || static_cast<size_t>(row) >= list.size()) return true;
        const base::Utility& u = list[static_cast<size_t>(row)];
        setText(page, IDC_UT_NAME, u.nickname);
        setText(page, IDC_UT_PROGRAM, u.program);
        setText(page, IDC_UT_ARGS, u.arguments);
        setText(page, IDC_UT_DIR, u.startDir);
        return true;
    }
    if (code != BN_CLICKED) return false;
    if (id == IDC_UT_CHANGE) {
        base::Utility u{ItemText(page, IDC_UT_NAME), ItemText(page, IDC_UT_PROGRAM), ItemText(page, IDC_UT_ARGS),
                        ItemText(page, IDC_UT_DIR), 0};
        AddUtilityFromPage(u);
    } else if (id == IDC_UT_DELETE) {
        DeleteUtilityFromPage(ItemText(page, IDC_UT_NAME));
    } else if (id == IDC_UT_BROWSE) {
        std::vector<std::string> names;
        if (base::AskFileNames(base::FileDialog::Open, false, names) && !names.empty())
            setText(page, IDC_UT_PROGRAM, names.front());
        return true;
    } else {
        return false;
    }
    utilitiesList(page);
    return true;
}

// ---- SmallEiffel: the option table's rows that have a box.
void eiffelShow(HWND page) {
    EiffelPage fields = EiffelPageOf(sheet->edit.project);
    setText(page, IDC_EI_ROOT_CLASS, fields.rootClass);
    setText(page, IDC_EI_ROOT_PROCEDURE, fields.rootProcedure);
    setText(page, IDC_EI_OUTPUT, fields.exe);
    for (size_t row = 0; row < std::size(kEiffelOptions); ++row)
        if (GetDlgItem(page, IDC_EI_OPTION + static_cast<int>(row)))
            Check(page, IDC_EI_OPTION + static_cast<int>(row), fields.flags & kEiffelOptions[row].bit);
}
bool eiffelLeave(HWND page) {
    EiffelPage fields{ItemText(page, IDC_EI_ROOT_CLASS), ItemText(page, IDC_EI_ROOT_PROCEDURE),
                      ItemText(page, IDC_EI_OUTPUT), 0};
    for (size_t row = 0; row < std::size(kEiffelOptions); ++row)
        if (GetDlgItem(page, IDC_EI_OPTION + static_cast<int>(row)) && Checked(page, IDC_EI_OPTION + static_cast<int>(row)))
            fields.flags |= kEiffelOptions[row].bit;
    ApplyEiffelPage(fields, sheet->edit.project);
    return true;
}

// ---- Fortran
void fortranShow(HWND page) {
    for (int bit = 0; bit < 8; ++bit) Check(page, IDC_FOR_FLAG + bit, (sheet->edit.project.fortranFlags >> bit) & 1);
    setText(page, IDC_FOR_INCLUDES, sheet->edit.project.fortranIncludes);
}
bool fortranLeave(HWND page) {
    long& f = sheet->edit.project.fortranFlags;
    for (int bit = 0; bit < 8; ++bit) f = Checked(page, IDC_FOR_FLAG + bit) ? f | (1L << bit) : f & ~(1L << bit);
    sheet->edit.project.fortranIncludes = ItemText(page, IDC_FOR_INCLUDES);
    return true;
}

struct PageDef {
    ConfigPage page;
    int templateId;
    unsigned titleId;
    void (*show)(HWND);
    bool (*leave)(HWND);
    bool (*command)(HWND, int, int);
};

bool noLeave(HWND) { return true; }

constexpr PageDef kPages[] = {
    {ConfigPage::General, IDD_CONFIG_GENERAL, 6011, generalShow, generalLeave, nullptr},
    {ConfigPage::Project, IDD_CONFIG_PROJECT, 6012, projectShow, projectLeave, nullptr},
    {ConfigPage::Help, IDD_CONFIG_HELP, 6013, helpShow, helpLeave, nullptr},
    {ConfigPage::Versions, IDD_CONFIG_VERSIONS, 6014, versionsShow, versionsLeave, versionsCommand},
    {ConfigPage::Compiler, IDD_CONFIG_COMPILER, 6015, compilerShow, compilerLeave, compilerCommand},
    {ConfigPage::Macros, IDD_CONFIG_MACROS, 6016, macrosShow, noLeave, macrosCommand},
    {ConfigPage::Debugger, IDD_CONFIG_DEBUGGER, 6017, debuggerShow, debuggerLeave, nullptr},
    {ConfigPage::Linker, IDD_CONFIG_LINKER, 6018, linkerShow, linkerLeave, linkerCommand},
    {ConfigPage::Language, IDD_CONFIG_LANGUAGE, 6020, languageShow, noLeave, languageCommand},
    {ConfigPage::Workspace, IDD_CONFIG_WORKSPACE, 6021, workspaceShow, workspaceLeave, workspaceCommand},
    {ConfigPage::Utilities, IDD_CONFIG_UTILITIES, 6022, utilitiesShow, noLeave, utilitiesCommand},
    {ConfigPage::SmallEiffel, IDD_CONFIG_EIFFEL, 6023, eiffelShow, eiffelLeave, nullptr},
    {ConfigPage::Fortran, IDD_CONFIG_FORTRAN, 6024, fortranShow, fortranLeave, nullptr},
};
constexpr unsigned kMsgLibrarian = 6019;

const PageDef* pageDef(ConfigPage page) {
    for (const PageDef& d : kPages)
        if (d.page == page) return &d;
    return nullptr;
}

INT_PTR CALLBACK pageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    const PageDef* def = reinterpret_cast<const PageDef*>(GetWindowLongPtrA(page, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        def = reinterpret_cast<const PageDef*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
        SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(def));
        return TRUE;
    case WM_COMMAND:
        return def && def->command && def->command(page, LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY: {
        if (!def) return FALSE;
        const NMHDR* n = reinterpret_cast<const NMHDR*>(lParam);
        switch (n->code) {
        case PSN_SETACTIVE:
            // Shown afresh each time: another page may have changed what this one shows.
            def->show(page);
            SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
            return TRUE;
        case PSN_KILLACTIVE:
            SetWindowLongPtrA(page, DWLP_MSGRESULT, def->leave(page) ? FALSE : TRUE);
            return TRUE;
        case PSN_WIZNEXT: case PSN_WIZBACK:
            SetWindowLongPtrA(page, DWLP_MSGRESULT, def->leave(page) ? 0 : -1);
            return TRUE;
        case PSN_WIZFINISH:
            if (!def->leave(page)) {
                SetWindowLongPtrA(page, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            sheet->applied = true;
            SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE);
            return TRUE;
        case PSN_APPLY:
            sheet->applied = true;
            SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        default: return FALSE;
        }
    }
    default: return FALSE;
    }
}

// Wizard pages tell the sheet which of Back, Next and Finish they offer.
INT_PTR CALLBACK wizardProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR handled = pageProc(page, message, wParam, lParam);
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == PSN_SETACTIVE) {
        HWND frame = GetParent(page);
        int index = PropSheet_HwndToIndex(frame, page);
        int count = TabCtrl_GetItemCount(PropSheet_GetTabControl(frame));
        DWORD buttons = (index > 0 ? PSWIZB_BACK : 0) | (index + 1 < count ? PSWIZB_NEXT : PSWIZB_FINISH);
        PropSheet_SetWizButtons(frame, buttons);
    }
    return handled;
}

// Runs a sheet of these pages over `sheet->edit`; true when it ended with OK or Finish.
bool runSheet(const std::vector<ConfigPage>& pages, const std::vector<unsigned>& titles, const char* caption,
              bool wizard) {
    std::vector<PROPSHEETPAGEA> defs;
    std::vector<std::string> names;
    names.reserve(pages.size());
    for (size_t i = 0; i < pages.size(); ++i) {
        const PageDef* d = pageDef(pages[i]);
        if (!d) continue;
        unsigned title = i < titles.size() ? titles[i] : d->titleId;
        if (pages[i] == ConfigPage::Linker && !wizard && IsLibrary(sheet->edit.project.compilerFlags))
            title = kMsgLibrarian;
        names.push_back(base::GetString(title));
        PROPSHEETPAGEA p{};
        p.dwSize = sizeof p;
        p.dwFlags = PSP_USETITLE;
        p.hInstance = base::app().instance;
        p.pszTemplate = MAKEINTRESOURCEA(d->templateId);
        p.pfnDlgProc = wizard ? wizardProc : pageProc;
        p.pszTitle = names.back().c_str();
        p.lParam = reinterpret_cast<LPARAM>(d);
        defs.push_back(p);
    }
    PROPSHEETHEADERA h{};
    h.dwSize = sizeof h;
    h.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | (wizard ? PSH_WIZARD : 0);
    h.hwndParent = base::app().frame;
    h.hInstance = base::app().instance;
    h.pszCaption = caption;
    h.nPages = static_cast<UINT>(defs.size());
    h.ppsp = defs.data();
    PropertySheetA(&h);
    return sheet->applied;
}

// Fields of the project whose change needs a new makefile.
bool makefileFieldsDiffer(const base::ProjectSettings& a, const base::ProjectSettings& b) {
    return a.compilerFlags != b.compilerFlags || a.fortranFlags != b.fortranFlags ||
           a.fortranIncludes != b.fortranIncludes || a.defines != b.defines ||
           a.includes != b.includes || a.libraries != b.libraries || a.linkerArgs != b.linkerArgs ||
           a.makeName != b.makeName || a.makeDir != b.makeDir || a.exe != b.exe || a.sourcesDir != b.sourcesDir ||
           a.dllEntry != b.dllEntry || a.errorFile != b.errorFile;
}

// Takes over what the pages edit; the utilities changed at once already.
void takeOver(const base::Settings& edit, base::Settings& s) {
    s.editorFlags = edit.editorFlags;
    s.subScroll = edit.subScroll;
    s.saveAtExit = edit.saveAtExit;
    s.currentDir = edit.currentDir;
    s.winHelpDataBase = edit.winHelpDataBase;
    s.winHelpComp = edit.winHelpComp;
    s.macros = edit.macros;
    s.debuggerExeName = edit.debuggerExeName;
    s.debuggerArguments = edit.debuggerArguments;
    s.debuggerDir = edit.debuggerDir;
    s.tabSize = edit.tabSize;
    s.fontName = edit.fontName;
    s.fontHeight = edit.fontHeight;
    s.keyRows = edit.keyRows;
    if (base::KeyRowsOf(base::commandKeys()) != s.keyRows) {
        base::ApplyKeyRows(s.keyRows, base::commandKeys());  // the editor's keys at once
        base::FollowKeyTable();                              // and the frame's
    }
    bool languages = s.languages != edit.languages;
    s.languages = edit.languages;
    if (languages) editor::BuildLanguages();
    if (!s.projectActive()) return;
    const base::ProjectSettings& e = edit.project;
    base::ProjectSettings& p = s.project;
    p.makeName = e.makeName, p.makeDir = e.makeDir, p.exe = e.exe, p.debuggerArguments = e.debuggerArguments;
    p.sourcesDir = e.sourcesDir, p.defines = e.defines, p.includes = e.includes, p.errorFile = e.errorFile;
    p.compilerFlags = e.compilerFlags, p.libraries = e.libraries, p.dllEntry = e.dllEntry;
    p.linkerArgs = e.linkerArgs, p.fortranFlags = e.fortranFlags, p.fortranIncludes = e.fortranIncludes;
    p.projectFlags = e.projectFlags;
    p.cmsDirectory = e.cmsDirectory, p.userName = e.userName, p.users = e.users;
    p.putOptions = e.putOptions, p.getOptions = e.getOptions, p.fileOptions = e.fileOptions;
    p.lockOptions = e.lockOptions, p.usersOptions = e.usersOptions;
    p.eiffelRootClass = e.eiffelRootClass, p.eiffelRootProcedure = e.eiffelRootProcedure;
    p.eiffelFlags = e.eiffelFlags;
}

bool generateAfterConfiguration() { return GenerateMakefileNow(); }

}  // namespace

void ConfigurationCommand() {
    if (sheet) return;  // one sheet at a time
    base::Settings& s = base::settings();
    Sheet open{s, false};
    open.edit.keyRows = base::KeyRowsOf(base::commandKeys());  // the table in use
    sheet = &open;
    bool ok = runSheet(ConfigurationPages(s), {}, base::GetString(kMsgConfigurationTitle), false);
    sheet = nullptr;
    if (!ok) return;
    bool changed = s.projectActive() && makefileFieldsDiffer(open.edit.project, s.project);
    takeOver(open.edit, s);
    AfterConfiguration(s, changed, generateAfterConfiguration);
}

bool CompilerSystemSteps(base::ProjectSettings& made) {
    if (sheet) return false;
    Sheet open{base::settings(), false};
    open.edit.project = made;
    open.edit.currentProject = "-";  // the pages see a project
    sheet = &open;
    bool ok = runSheet({ConfigPage::Compiler, ConfigPage::Linker, ConfigPage::Debugger}, {6025, 6026, 6027},
                       base::GetString(kMsgCompilerSystemTitle), true);
    sheet = nullptr;
    if (!ok) return false;
    made = open.edit.project;
    // Only a library the compiler system has: a missing one would fail every link.
    if (platform::FileExists(base::settings().compilerRoot + "\\lib\\txtcon.lib"))
        made.libraries = WithConsoleLibrary(made.libraries, made.compilerFlags);
    base::settings().debuggerExeName = open.edit.debuggerExeName;
    base::settings().debuggerArguments = open.edit.debuggerArguments;
    base::settings().debuggerDir = open.edit.debuggerDir;
    return true;
}

bool EiffelSheet(base::ProjectSettings& made) {
    if (sheet) return false;
    Sheet open{base::settings(), false};
    open.edit.project = made;
    open.edit.currentProject = "-";  // the page sees a project
    // A project that never stored Eiffel flags starts from the default choice.
    if (!(made.eiffelFlags & kEiffelModeBits)) open.edit.project.eiffelFlags = kEiffelDefaultFlags;
    sheet = &open;
    bool ok = runSheet({ConfigPage::SmallEiffel}, {kMsgEiffelTitle}, base::GetString(kMsgEiffelTitle), true);
    sheet = nullptr;
    if (ok) made = open.edit.project;
    return ok;
}

std::optional<base::FileProcessor> FileProcessorDialog(const std::string& file) {
    base::FileProcessor made;
    base::DialogPlan plan{[&](HWND dialog) { SetDlgItemTextA(dialog, IDC_FP_INPUT, file.c_str()); },
                          [&](HWND dialog) -> INT_PTR {
                              made = {file, ItemText(dialog, IDC_FP_COMMAND), ItemText(dialog, IDC_FP_OUTPUT)};
                              if (!ValidFileProcessor(made)) return base::kStayOpen;
                              return IDOK;
                          }};
    if (base::RunDialog(IDD_FILE_PROCESSOR, plan) != IDOK) return std::nullopt;
    return made;
}

}  // namespace tarvo::project
