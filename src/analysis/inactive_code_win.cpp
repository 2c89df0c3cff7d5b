#include "analysis/inactive_code_win.h"

#include <windows.h>

#include "analysis/inactive_lines.h"
#include "editor/document_io.h"
#include "editor/editor_messages.h"
#include "editor/screen.h"
#include "editor/window_messages.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "base/messages.h"
#include "base/settings.h"

namespace tarvo::analysis {
namespace {

constexpr const char* kSourceName = "tarvomp_99_88_77_66_.c";
constexpr const char* kTool = "xrefgen.exe";
constexpr DWORD kToolTimeoutMs = 60000;

std::string DirectoryOf(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string TempDirectory() {
    char buffer[MAX_PATH + 1] = "";
    DWORD n = GetTempPathA(sizeof buffer, buffer);
    std::string dir = n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string(".");
    while (dir.size() > 1 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    return dir;
}

// The document as the tool reads it, beside the document when that folder takes it (so its
// own headers are found), else in the temporary folder.
bool WriteSource(const editor::Document& doc, std::string& source) {
    std::string folder = (doc.flags & editor::kInternalBuffer) ? std::string() : DirectoryOf(doc.name);
    for (const std::string& dir : {folder, TempDirectory()}) {
        if (dir.empty()) continue;
        source = dir + "\\" + kSourceName;
        if (editor::WriteDocumentToFile(source, doc)) return true;
    }
    base::ErrorBox(Printf(base::GetString(editor::kMsgCannotOpenForWriting), source.c_str()));
    return false;
}

// Runs the command and waits for it; false after a message.
bool RunTool(std::string command, const std::string& folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        base::ErrorBox(Printf(base::GetString(editor::kMsgImpossibleToExecute), command.c_str()));
        return false;
    }
    bool finished = WaitForSingleObject(process.hProcess, kToolTimeoutMs) == WAIT_OBJECT_0;
    if (!finished) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
        base::ErrorBox(Printf(base::GetString(editor::kMsgToolTimedOut), kTool));
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return finished;
}

}  // namespace

std::string InactiveCodeCommand(const std::string& root, const std::string& options, const std::string& output,
                                const std::string& source) {
    return Printf("%s\\bin\\%s %s -showifdeflines -Fo%s %s", root.c_str(), kTool, options.c_str(), output.c_str(),
                  source.c_str());
}

bool ShowInactiveCode() {
    editor::Document* doc = editor::CurrentDocument();
    if (!doc) return false;
    analysis::ClearInactiveMarks(*doc);
    editor::RequestRedraw(*doc, editor::kRedrawAll);
    std::string source;
    if (!WriteSource(*doc, source)) return false;
    std::string folder = DirectoryOf(source);
    char output[MAX_PATH + 1] = "";
    // A name of our own for the output; the tool creates the file again.
    if (!GetTempFileNameA(TempDirectory().c_str(), "trv", 0, output)) {
        DeleteFileA(source.c_str());
        base::ErrorBox(Printf(base::GetString(editor::kMsgCannotOpenForWriting), TempDirectory().c_str()));
        return false;
    }
    DeleteFileA(output);
    const base::Settings& s = base::settings();
    std::string options = s.projectActive() ? s.project.defines : std::string();
    std::string command = InactiveCodeCommand(s.compilerRoot, options, output, source);
    bool ran = RunTool(command, folder);
    DeleteFileA(source.c_str());
    if (!ran) {
        DeleteFileA(output);
        return false;
    }
    platform::FileContent listing;
    bool read = platform::ReadWholeFile(output, listing) == platform::ReadStatus::Ok;
    DeleteFileA(output);
    if (!read) {
        base::ErrorBox(Printf(base::GetString(editor::kMsgNoInactiveOutput), kTool));
        return false;
    }
    long marked = analysis::MarkInactiveLines(*doc, std::string_view(listing.data.get(), listing.size));
    platform::ui().statusText(Printf(base::GetString(editor::kMsgInactiveMarked), marked).c_str());
    return true;
}

}  // namespace tarvo::analysis
