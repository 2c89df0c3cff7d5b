#include "tools/help_generation.h"

#include <algorithm>

#include "base/messages.h"
#include "base/run_tool.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace tarvo::tools {
namespace {

// What a file starts with, enough to tell whether we wrote it.
std::string Start(const std::string& path) {
    std::string start;
    std::size_t expected = 0;
    platform::ReadFileInPieces(path, expected, [&](const char* data, std::size_t size) {
        start.append(data, std::min<std::size_t>(size, 256));
        return false;  // the first piece is enough
    });
    return start;
}

// A file of that name that the help generation did not write is replaced only with leave.
bool MayReplace(const std::string& path) {
    if (!platform::FileExists(path) || WrittenByHelpGeneration(Start(path))) return true;
    return base::Confirm(Printf(base::GetString(kMsgHelpForeignFile), path.c_str())) == 1;
}

bool WriteFile(const std::string& path, const std::string& text) {
    platform::ReplaceFile out;
    if (platform::BeginReplace(out, path) == platform::ReplaceStatus::Ok && platform::WriteReplace(out, text.data(), text.size()) &&
        platform::FinishReplace(out) == platform::ReplaceStatus::Ok)
        return true;
    platform::AbandonReplace(out);
    base::ErrorBox(Printf(base::GetString(base::kMsgCannotOpenForWriting), path.c_str()));
    return false;
}

// The compiler's error log, for the message that says it failed.
std::string LogText(const std::string& path) {
    platform::FileContent content;
    if (platform::ReadWholeFile(path, content) != platform::ReadStatus::Ok) return {};
    std::string text(content.data.get(), std::min<std::size_t>(content.size, 2000));
    return text;
}

}  // namespace

bool CheckHelpRequest(const HelpRequest& request) {
    if (request.files.empty()) {
        base::ErrorBox(base::GetString(kMsgHelpNoFiles));
        return false;
    }
    if (request.helpFile.find_first_not_of(" \t") == std::string::npos) {
        base::ErrorBox(base::GetString(kMsgHelpNameRequired));
        return false;
    }
    HelpNames names;
    if (!HelpNamesOf(request.helpFile, names)) {
        base::ErrorBox(Printf(base::GetString(kMsgHelpBadName), request.helpFile.c_str()));
        return false;
    }
    if (!ValidHelpTitle(request.title)) {
        base::ErrorBox(base::GetString(kMsgHelpBadTitle));
        return false;
    }
    return true;
}

std::string HelpCompilerPath(const std::string& setting, const std::string& root) {
    if (setting.empty() || platform::IsAbsolutePath(setting) || setting.find('\\') != std::string::npos) return setting;
    return root + "\\bin\\" + setting;
}

bool GenerateHelpFile(const HelpRequest& request, const std::vector<HelpSource>& sources, const std::string& compiler,
                      const HelpProgress& progress) {
    if (!CheckHelpRequest(request)) return false;
    HelpNames names;
    HelpNamesOf(request.helpFile, names);
    std::vector<analysis::SourceFile> files;
    for (const HelpSource& s : sources) {
        analysis::SourceFile f{s.name, {}};
        f.lines.assign(s.lines.begin(), s.lines.end());
        files.push_back(std::move(f));
    }
    analysis::CrossReference xref = analysis::ScanCrossReference(files);
    bool cancelled = false;
    std::string rtf = HelpTopics(xref, names.base, progress, cancelled);
    if (cancelled) {
        base::InfoBox(base::GetString(kMsgHelpCancelled));
        return false;
    }
    // Both files are asked about before either is written.
    if (!MayReplace(names.Rtf()) || !MayReplace(names.Project())) return false;
    if (!WriteFile(names.Rtf(), rtf) || !WriteFile(names.Project(), HelpProject(names.base, request.title))) return false;

    if (!platform::FileExists(compiler)) {
        base::ErrorBox(Printf(base::GetString(kMsgHelpCompilerNotFound), compiler.c_str()));
        return false;
    }
    std::string help = names.Help();
    std::int64_t before = platform::FileExists(help) ? platform::FileTime(help) : -1;
    platform::ProcessRequest run;
    run.commandLine = platform::QuoteArgument(compiler) + " -xh";
    platform::AppendArgument(run.commandLine, names.base + ".HPJ");
    run.directory = names.directory.empty() ? platform::CurrentDirectory() : names.directory;
    run.timeoutMs = kHelpCompilerTimeoutMs;
    long exitCode = -1;
    if (!base::RunTool(run, "help compiler", exitCode)) return false;
    std::string log = LogText(names.Log());
    if (exitCode != 0) {
        base::ErrorBox(Printf(base::GetString(kMsgHelpCompilerFailed), exitCode, log.c_str()));
        return false;
    }
    if (!platform::FileExists(help) || platform::FileTime(help) == before) {
        base::ErrorBox(Printf(base::GetString(kMsgHelpNoHelpFile), help.c_str(), log.c_str()));
        return false;
    }
    platform::ui().statusText(Printf(base::GetString(kMsgHelpDone), help.c_str()).c_str());
    return true;
}

}  // namespace tarvo::tools
