// The program's settings as plain records, with their built-in defaults, and the reading at
// start-up and writing at exit of the settings store.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tarvo::base {

constexpr long Rgb(int red, int green, int blue) { return red + 256L * green + 65536L * blue; }

// Editor flags.
inline constexpr long kEditorAutoIndent = 0x01;
inline constexpr long kEditorCheckSyntax = 0x02;
inline constexpr long kEditorBackups = 0x04;
inline constexpr long kEditorSmallOutputFont = 0x08;
inline constexpr long kEditorSaveBeforeBuild = 0x10;
inline constexpr long kEditorTestUpToDate = 0x20;
inline constexpr long kEditorAutoSave = 0x40;

// Project flags.
inline constexpr long kProjectUsesCms = 0x01;
inline constexpr long kProjectEiffel = 0x02;
inline constexpr long kProjectFortran = 0x04;

// Modifier bit of a command-key row whose binding the user changed.
inline constexpr int kKeyChanged = 0x08;

// left, top, right, bottom; all zero is the empty rectangle.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect&) const = default;
};

struct Utility {
    std::string nickname, program, arguments, startDir;
    long id = 0;  // command id, 1300 + n
    bool operator==(const Utility&) const = default;
};

// What the settings keep of a language definition; the editor owns the rest.
struct Language {
    std::string name, extensions, startFunction, endFunction, comment, stringChars, icon;
    std::uint16_t flags = 1;
    long code = 0;
    std::vector<std::string> keywords;
    bool builtIn = false;
    bool operator==(const Language&) const = default;
};

struct Macro {
    std::string key;  // the key that runs it ("Macro%dCode")
    long position = 0;
    std::string text;  // any bytes
    bool operator==(const Macro&) const = default;
};

// A row of the command key table, as far as the settings change it.
struct KeyRow {
    int key = 0;      // virtual-key code, 0 for none
    int command = 0;  // command id
    int modifiers = 0;  // 1 Ctrl, 2 Alt, 4 Shift, kKeyChanged
    bool operator==(const KeyRow&) const = default;
};

// A document open at exit, with its window: a negative left means iconic, a negative right
// maximised.
struct OpenFile {
    std::string name;
    long line = 0;
    Rect window;
    bool neverSave = false;  // such documents are not stored
    bool operator==(const OpenFile&) const = default;
};

struct Breakpoint {
    std::string file;
    long line = 0;
    bool operator==(const Breakpoint&) const = default;
};

struct FileProcessor {
    std::string input, command, output;
    bool operator==(const FileProcessor&) const = default;
};

struct ProjectFile {
    std::string name;
    std::vector<std::string> dependencies;
    bool operator==(const ProjectFile&) const = default;
};

struct Release {
    std::string name, author, description, date;
    std::vector<std::string> files;  // "file,revision"
    bool operator==(const Release&) const = default;
};

// The current project's values in its key (the project's name is Settings::currentProject).
struct ProjectSettings {
    Rect frame;  // x, y, width, height ("Frame")
    Rect statusBar;
    std::string currentFile;
    std::vector<OpenFile> openFiles;
    std::string projectPath, sourcesDir, defines, includes, libraries, linkerArgs;
    std::string makeName, makeArgs, makeDir, exe;
    std::string dllEntry;  // a DLL's entry point; empty: the default
    std::string debuggerArguments, debuggerExeName, debuggerDir;
    long compilerFlags = 8;
    long projectFlags = 8;
    long fortranFlags = 0, eiffelFlags = 0;
    std::string fortranIncludes;  // ";"-separated directories the Fortran compiler searches
    std::string eiffelRootClass, eiffelRootProcedure;
    std::uint16_t exeMajorVersion = 1, exeMinorVersion = 0;
    std::string errorFile;
    std::vector<Breakpoint> breakpoints;
    std::vector<FileProcessor> fileProcessors;
    std::vector<ProjectFile> files;
    std::vector<std::string> users;
    std::string cmsDirectory;
    long putOptions = 4, getOptions = 0, fileOptions = 0, lockOptions = 1, usersOptions = 1;
    std::string userName;
    std::vector<Release> releases;

    bool hasMakeSettings() const { return !makeName.empty(); }
    bool operator==(const ProjectSettings&) const = default;
};

struct Settings {
    // "Save editor settings configuration at exit": gates every write of the settings.
    bool saveAtExit = true;
    std::string compilerRoot;  // from the compiler's include path
    std::string includePath;   // Software\vex\Compiler includepath

    long tabSize = 4;
    std::uint16_t findFlags = 0;
    long commentColor = Rgb(128, 128, 128);
    long keywordColor = Rgb(192, 0, 0);
    std::uint16_t grepFlags = 0;
    long fontHeight = -13;
    long fontStyle = 0;
    bool frameZoomed = false;
    Rect statusBar;
    long subScroll = 1;
    long frameX = 0, frameY = 0, frameCX = 0, frameCY = 0;  // 0 width: the system's default
    long editorFlags = 47;
    long outputWndHeight = 0;
    long fontFamily = 49;
    long textColor = Rgb(0, 0, 0);
    long backgroundColor = Rgb(255, 255, 255);
    std::string printerFontName = "Courier New";
    long printerFontSize = 0;
    std::string debuggerArguments, debuggerDir, debuggerExeName;
    long debuggerFlags = 0;
    std::vector<Utility> utilities;
    // Filled with the built-in languages before reading; stored ones update or join them.
    std::vector<Language> languages;
    std::vector<Macro> macros;
    // A copy of the command key table, filled before reading; stored bindings change it.
    std::vector<KeyRow> keyRows;
    long print = 1053;
    long includeFlags = 1;
    std::string currentDir;  // default: the start directory
    std::string winHelpComp = "hcrtf.exe";
    std::string winHelpDataBase;  // default: "%s\bin\win32.hlp" under the root
    std::string fontName = "Courier";
    std::string currentFile;
    std::vector<std::string> projects;  // the main key's subkeys
    std::string currentProject;         // empty: no project is active
    std::vector<OpenFile> openFiles;    // kept in the main key while no project is active
    ProjectSettings project;

    bool projectActive() const { return !currentProject.empty(); }
    bool operator==(const Settings&) const = default;
};

// The program's settings; ResetSettings puts back the built-in defaults (for tests).
Settings& settings();
void ResetSettings();

// Start-up facts the reading needs.
struct StartupInputs {
    std::string projectName;     // from "/prj:" on the command line, or empty
    std::string startDirectory;  // default of CurrentDir
};

// Start-up reading: the main key, then the current project's key (its definition, then its
// file list and version-store options, then its releases), then the include-path check.
// False when the main key cannot be opened (nothing is read, the root is empty).
bool ReadSettings(Settings& s, const StartupInputs& inputs);

// The current project's definition, lists and releases from its key; false when there is no
// current project or its key cannot be opened.
bool ReadCurrentProject(Settings& s);

// Exit writing of the main key and of the current project's key; nothing is written while
// saveAtExit is off. Stops at the first failed write (reported), returning false.
bool WriteSettings(Settings& s);

// Read or write the project's file list, dependencies, users and version-store options; and
// its releases. Writing is gated by saveAtExit and stops at the first failure.
bool ReadProjectLists(Settings& s);
bool WriteProjectLists(Settings& s);
bool ReadReleases(Settings& s);
bool WriteReleases(Settings& s);

}  // namespace tarvo::base
