#include "appgen_core.h"

#include <cctype>

#include "standin_core.h"

namespace tarvo::testbed {
namespace {

constexpr std::size_t kLongestProjectName = 49;

std::string Join(const std::string& directory, const std::string& file) {
    if (directory.empty() || directory.back() == '\\') return directory + file;
    return directory + "\\" + file;
}

// The name made into a C identifier, upper-cased, for macros and the exported function.
std::string Identifier(const std::string& name) {
    std::string id = std::isdigit(static_cast<unsigned char>(name[0])) ? "P" : "";
    for (char c : name)
        id += std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : '_';
    return id;
}

const char kWindowsSource[] =
    "/* The application skeleton of project @NAME@: one main window with a File menu. */\n"
    "#include <windows.h>\n"
    "\n"
    "#define IDM_EXIT 100\n"
    "\n"
    "static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)\n"
    "{\n"
    "    switch (message) {\n"
    "    case WM_COMMAND:\n"
    "        if (LOWORD(wParam) == IDM_EXIT) {\n"
    "            DestroyWindow(window);\n"
    "            return 0;\n"
    "        }\n"
    "        break;\n"
    "    case WM_DESTROY:\n"
    "        PostQuitMessage(0);\n"
    "        return 0;\n"
    "    }\n"
    "    return DefWindowProc(window, message, wParam, lParam);\n"
    "}\n"
    "\n"
    "int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)\n"
    "{\n"
    "    WNDCLASS wc = {0};\n"
    "    HWND window;\n"
    "    MSG msg;\n"
    "\n"
    "    wc.lpfnWndProc = MainWindowProc;\n"
    "    wc.hInstance = instance;\n"
    "    wc.hCursor = LoadCursor(NULL, IDC_ARROW);\n"
    "    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);\n"
    "    wc.lpszMenuName = \"MAINMENU\";\n"
    "    wc.lpszClassName = \"@NAME@Window\";\n"
    "    if (!RegisterClass(&wc))\n"
    "        return 1;\n"
    "    window = CreateWindow(wc.lpszClassName, \"@NAME@\", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,\n"
    "                          CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, instance, NULL);\n"
    "    if (!window)\n"
    "        return 1;\n"
    "    ShowWindow(window, show);\n"
    "    UpdateWindow(window);\n"
    "    while (GetMessage(&msg, NULL, 0, 0) > 0) {\n"
    "        TranslateMessage(&msg);\n"
    "        DispatchMessage(&msg);\n"
    "    }\n"
    "    return (int)msg.wParam;\n"
    "}\n";

const char kWindowsResources[] =
    "/* The resources of project @NAME@. */\n"
    "#include <windows.h>\n"
    "\n"
    "#define IDM_EXIT 100\n"
    "\n"
    "MAINMENU MENU\n"
    "BEGIN\n"
    "    POPUP \"&File\"\n"
    "    BEGIN\n"
    "        MENUITEM \"E&xit\", IDM_EXIT\n"
    "    END\n"
    "END\n";

const char kConsoleSource[] =
    "/* The application skeleton of project @NAME@: a console program. */\n"
    "#include <stdio.h>\n"
    "#include \"@NAME@.h\"\n"
    "\n"
    "int main(int argc, char *argv[])\n"
    "{\n"
    "    printf(\"%s\\n\", @ID@_GREETING);\n"
    "    return 0;\n"
    "}\n";

const char kConsoleHeader[] =
    "/* Declarations of project @NAME@. */\n"
    "#ifndef @ID@_H\n"
    "#define @ID@_H\n"
    "\n"
    "#define @ID@_GREETING \"@NAME@ is running.\"\n"
    "\n"
    "#endif\n";

const char kDllSource[] =
    "/* The skeleton of the DLL @NAME@. */\n"
    "#include <windows.h>\n"
    "#include \"@NAME@.h\"\n"
    "\n"
    "BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)\n"
    "{\n"
    "    return TRUE;\n"
    "}\n"
    "\n"
    "__declspec(dllexport) int @ID@_Version(void)\n"
    "{\n"
    "    return @ID@_VERSION;\n"
    "}\n";

const char kDllHeader[] =
    "/* What the DLL @NAME@ exports. */\n"
    "#ifndef @ID@_H\n"
    "#define @ID@_H\n"
    "\n"
    "#define @ID@_VERSION 1\n"
    "\n"
    "__declspec(dllimport) int @ID@_Version(void);\n"
    "\n"
    "#endif\n";

std::string Fill(const char* pattern, const std::string& name) {
    std::string text = pattern;
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"@NAME@", name}, {"@ID@", Identifier(name)}})
        for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
            text.replace(at, key.size(), value);
    return text;
}

}  // namespace

std::string ProjectNameProblem(const std::string& name) {
    if (name.empty()) return "the project name is empty";
    if (name.size() > kLongestProjectName) return "the project name " + name + " is longer than 49 characters";
    for (char c : name)
        if (static_cast<unsigned char>(c) <= ' ' || std::string("\\/:*?\"<>|").find(c) != std::string::npos)
            return "the project name " + name + " holds a blank or a character that file names forbid";
    return "";
}

AppgenRequest ParseAppgenArguments(const std::vector<std::string>& args) {
    AppgenRequest r;
    bool window = false;
    for (const std::string& a : args) {
        auto value = [&](const char* key) {
            return StartsWithNoCase(a, key) ? a.substr(std::string(key).size()) : std::string();
        };
        if (StartsWithNoCase(a, "/tarvo:")) window = true;  // the IDE's frame: nothing to own here
        else if (StartsWithNoCase(a, "/prjname:")) r.name = value("/prjname:");
        else if (StartsWithNoCase(a, "/prjpath:")) r.directory = value("/prjpath:");
        else if (StartsWithNoCase(a, "/out:")) r.answerFile = value("/out:");
        else if (Lower(a) == "/dll") r.kind = AppgenRequest::Kind::Dll;
        else if (Lower(a) == "/console") r.kind = AppgenRequest::Kind::Console;
        else {
            r.problem = "unknown argument " + a;
            return r;
        }
    }
    while (r.directory.size() > 3 && r.directory.back() == '\\') r.directory.pop_back();
    if (!window) r.problem = "/tarvo:<window> is missing";
    else if (r.directory.empty()) r.problem = "/prjpath:<directory> is missing";
    else if (r.answerFile.empty()) r.problem = "/out:<file> is missing";
    else r.problem = ProjectNameProblem(r.name);
    return r;
}

std::vector<SkeletonFile> SkeletonFiles(const AppgenRequest& r) {
    const char* source = r.kind == AppgenRequest::Kind::Windows   ? kWindowsSource
                         : r.kind == AppgenRequest::Kind::Console ? kConsoleSource
                                                                  : kDllSource;
    const char* second = r.kind == AppgenRequest::Kind::Windows   ? kWindowsResources
                         : r.kind == AppgenRequest::Kind::Console ? kConsoleHeader
                                                                  : kDllHeader;
    bool resources = r.kind == AppgenRequest::Kind::Windows;
    return {{"Source", Join(r.directory, r.name + ".c"), Fill(source, r.name)},
            {resources ? "Resources" : "Header", Join(r.directory, r.name + (resources ? ".rc" : ".h")),
             Fill(second, r.name)}};
}

std::string AnswerText(const std::string& name, const std::vector<SkeletonFile>& files) {
    std::string text = "Project:" + name + "\n";
    for (const SkeletonFile& f : files) text += f.role + ":" + f.path + "\n";
    return text;
}

}  // namespace tarvo::testbed
