#include "settings_sample.h"
#include "base/command_ids.h"

namespace tarvo::test {

// Every stored value, none at its default.
base::Settings EverySetting(const std::string& helpFile) {
    using namespace base;
    Settings s;
    s.compilerRoot = "C:\\vex";
    s.includePath = "C:\\vex\\include";
    s.tabSize = 8; s.findFlags = 0x8001; s.commentColor = Rgb(1, 2, 3);
    s.keywordColor = Rgb(4, 5, 6); s.grepFlags = 3; s.fontHeight = -20; s.fontStyle = 700;
    s.frameZoomed = true; s.statusBar = {1, 2, 300, 40}; s.subScroll = 10;
    s.frameX = 10; s.frameY = 20; s.frameCX = 800; s.frameCY = 600; s.editorFlags = 0x7f;
    s.outputWndHeight = 55; s.fontFamily = 2; s.textColor = Rgb(9, 9, 9);
    s.backgroundColor = Rgb(250, 250, 200); s.printerFontName = "Lucida"; s.printerFontSize = 11;
    s.debuggerArguments = "-v in.txt"; s.debuggerDir = "c:\\run"; s.debuggerExeName = "c:\\a.exe";
    s.debuggerFlags = 6;
    s.utilities = {{"Grep", "grep.exe", "$FILE$", "c:\\", CMD_FIRST_UTILITY}, {"Zip", "zip", "-r", "", CMD_FIRST_UTILITY + 1}};
    s.languages = {{"Modula", "MOD", "^P", "^E", "(*", "\"", "m.ico", 3, 17, {"BEGIN", "END"}, false},
                   {"C Language", "C;H;CC", "", "", "/*", "'\"", "", 5, 0, {"if", "int"}, true}};
    s.macros = {{"Ctrl+M", 4, "hello\n\x80\xff"}, {"F3", 1, std::string(50, 'q')}};
    s.keyRows = {{0, CMD_NEW, 0}, {'S', CMD_SAVE, 1 | kKeyChanged}};
    s.print = 7; s.includeFlags = 0; s.currentDir = "c:\\work"; s.winHelpComp = "hc.exe";
    s.winHelpDataBase = helpFile; s.fontName = "Consolas"; s.currentFile = "c:\\work\\a.c";
    s.projects = {"Alpha", "Beta"};
    s.currentProject = "Alpha";
    ProjectSettings& p = s.project;
    p.frame = {10, 20, 800, 600}; p.statusBar = {5, 6, 7, 8}; p.currentFile = "c:\\alpha\\m.c";
    p.openFiles = {{"c:\\alpha\\m.c", 10, {1, 2, 3, 4}, false}, {"c:\\alpha\\u.c", 0, {-1, 0, 9, 9}, false}};
    p.projectPath = "c:\\alpha"; p.sourcesDir = "c:\\alpha\\src"; p.defines = "-DX";
    p.includes = "-Ic:\\inc"; p.libraries = "m.lib"; p.linkerArgs = "-s"; p.makeName = "make.exe";
    p.makeArgs = "-k"; p.makeDir = "c:\\alpha\\vex"; p.exe = "alpha.exe";
    p.debuggerArguments = "1 2"; p.debuggerExeName = "alpha.exe"; p.debuggerDir = "c:\\dbg";
    p.compilerFlags = 0x88; p.projectFlags = 8 | kProjectUsesCms | kProjectEiffel | kProjectFortran;
    p.fortranFlags = 3; p.fortranIncludes = "c:\\f77\\inc;d:\\my inc";
    p.eiffelFlags = 5; p.eiffelRootClass = "ROOT"; p.eiffelRootProcedure = "make";
    p.exeMajorVersion = 2; p.exeMinorVersion = 7; p.errorFile = "alpha.err";
    p.breakpoints = {{"c:\\alpha\\m.c", 12}, {"u.c", 300}};
    p.fileProcessors = {{"a.y", "yacc a.y", "a.c"}, {"b.l", "lex b.l", "b.c"}};
    p.files = {{"m.c", {"m.h", "u.h"}}, {"u.c", {}}, {"v.c", {"v.h"}}};
    p.users = {"ann", "bob"}; p.cmsDirectory = "c:\\alpha\\CMS";
    p.putOptions = 36; p.getOptions = 2; p.fileOptions = 1; p.lockOptions = 0; p.usersOptions = 0;
    p.userName = "ann";
    p.releases = {{"R1", "ann", std::string(1100, 'r') + "end", "99.1.1.0.0.0", {"m.c,1.2", "u.c,1.1"}},
                  {"R2", "bob", "short", "99.2.1.0.0.0", {}}};
    return s;
}

}  // namespace tarvo::test
