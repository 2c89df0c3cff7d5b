#include "project/eiffel.h"

#include "base/messages.h"
#include "platform/files.h"
#include "platform/text.h"

namespace tarvo::project {
namespace {

constexpr unsigned kMsgEiffelTitle = 6006;  // "Small eiffel compiler"
constexpr unsigned kMsgRootClass = 6007;    // "Root class?"

std::string orMake(const std::string& procedure) { return procedure.empty() ? "make" : procedure; }

}  // namespace

EiffelPage EiffelPageOf(const base::ProjectSettings& p) {
    EiffelPage page{p.eiffelRootClass, orMake(p.eiffelRootProcedure), p.exe, p.eiffelFlags};
    if (page.exe.empty() && !page.rootClass.empty()) page.exe = page.rootClass + ".exe";
    return page;
}

bool ApplyEiffelPage(const EiffelPage& page, base::ProjectSettings& p) {
    if (page.rootClass.empty()) return false;
    p.eiffelRootClass = page.rootClass;
    p.eiffelRootProcedure = orMake(page.rootProcedure);
    p.exe = page.exe.empty() ? page.rootClass + ".exe" : page.exe;
    long mode = page.flags & kEiffelModeBits;
    long flags = page.flags;
    // One compilation mode: the lowest chosen, or the default's when none is.
    if (mode == 0 || (mode & (mode - 1))) flags = (flags & ~kEiffelModeBits) | (mode ? mode & -mode : 0x40);
    p.eiffelFlags = flags;
    return true;
}

bool PrepareEiffelBuild(base::Settings& s,
                        const std::function<bool(const std::string&, const std::string&, std::string&)>& ask) {
    base::ProjectSettings& p = s.project;
    if (p.makeDir.empty() && p.sourcesDir.empty()) p.sourcesDir = platform::CurrentDirectory();
    if (p.eiffelRootClass.empty()) {
        std::string answer;
        if (!ask(base::GetString(kMsgEiffelTitle), base::GetString(kMsgRootClass), answer) || answer.empty())
            return false;
        p.eiffelRootClass = answer;
        p.eiffelFlags = kEiffelDefaultFlags;
        p.makeDir = p.sourcesDir;
        // The Eiffel values are kept with the project's lists.
        if (base::WriteSettings(s)) base::WriteProjectLists(s);
    }
    if (p.eiffelRootProcedure.empty()) p.eiffelRootProcedure = "make";
    return true;
}

std::string EiffelDirectory(const base::ProjectSettings& p) {
    return p.sourcesDir.empty() ? platform::CurrentDirectory() : p.sourcesDir;
}

std::string EiffelCompileCommand(const base::ProjectSettings& p) {
    std::string command = "compile ";
    for (const EiffelOption& o : kEiffelOptions) {
        // The Windows box names no compiler option: it leaves no lone "-" behind.
        if ((p.eiffelFlags & o.bit) && *o.text) command += Printf(" -%s ", o.text);
    }
    if (p.eiffelFlags & kEiffelBoost) command += " -O ";
    command += " -wn -tarvo -DSE_TARVO";
    std::string exe = p.exe.empty() ? p.eiffelRootClass + ".exe" : p.exe;
    if (platform::DirectoryOf(exe).empty()) {
        std::string dir = p.makeDir.empty() ? EiffelDirectory(p) : p.makeDir;
        exe = dir + "\\" + exe;
    }
    command += Printf(" -o %s %s", exe.c_str(), p.eiffelRootClass.c_str());
    return command;
}

std::string EiffelCleanCommand(const base::ProjectSettings& p) {
    return p.eiffelRootClass.empty() ? std::string() : "clean " + p.eiffelRootClass + ".bat";
}

}  // namespace tarvo::project
