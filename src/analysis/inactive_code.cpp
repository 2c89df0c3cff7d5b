#include "analysis/inactive_code.h"

#include "analysis/inactive_lines.h"
#include "editor/document_io.h"
#include "editor/editor_messages.h"
#include "editor/screen.h"
#include "editor/window_messages.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "base/messages.h"
#include "base/run_tool.h"
#include "base/settings.h"

namespace tarvo::analysis {
namespace {

constexpr const char* kSourceName = "tarvomp_99_88_77_66_.c";
constexpr unsigned long kInactiveCodeToolTimeoutMs = 60000;

// The document as the tool reads it, beside the document when that folder takes it (so its
// own headers are found), else in the temporary folder.
bool WriteSource(const editor::Document& doc, std::string& source) {
    std::string folder = (doc.flags & editor::kInternalBuffer) ? std::string() : platform::DirectoryOf(doc.name);
    for (const std::string& dir : {folder, platform::TempDirectory()}) {
        if (dir.empty()) continue;
        source = dir + "\\" + kSourceName;
        if (editor::WriteDocumentToFile(source, doc)) return true;
    }
    base::ErrorBox(Printf(base::GetString(base::kMsgCannotOpenForWriting), source.c_str()));
    return false;
}

}  // namespace

bool ShowInactiveCode() {
    editor::Document* doc = editor::CurrentDocument();
    if (!doc) return false;
    analysis::ClearInactiveMarks(*doc);
    editor::RequestRedraw(*doc, editor::kRedrawAll);
    std::string source;
    if (!WriteSource(*doc, source)) return false;
    std::string folder = platform::DirectoryOf(source);
    std::string output = platform::UnusedFileName(platform::TempDirectory(), "trv");
    const base::Settings& s = base::settings();
    std::string options = s.projectActive() ? s.project.defines : std::string();
    std::string command = InactiveCodeCommand(s.compilerRoot, options, output, source);
    long exitCode = 0;
    bool ran = base::RunTool({command, folder, false, kInactiveCodeToolTimeoutMs}, kInactiveCodeTool, exitCode);
    platform::RemoveFile(source);
    if (!ran) {
        platform::RemoveFile(output);
        return false;
    }
    platform::FileContent listing;
    bool read = platform::ReadWholeFile(output, listing) == platform::ReadStatus::Ok;
    platform::RemoveFile(output);
    if (!read) {
        base::ErrorBox(Printf(base::GetString(editor::kMsgNoInactiveOutput), kInactiveCodeTool));
        return false;
    }
    long marked = analysis::MarkInactiveLines(*doc, std::string_view(listing.data.get(), listing.size));
    platform::ui().statusText(Printf(base::GetString(editor::kMsgInactiveMarked), marked).c_str());
    return true;
}

}  // namespace tarvo::analysis
