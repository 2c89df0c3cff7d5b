#include "codeview_images.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "path_mapping.h"
#include "vex_core.h"
#include "vexlnk_core.h"

namespace tarvo::testbed::test {
namespace {

std::string Quoted(const std::vector<std::string>& argv) {
    std::string s;
    for (const std::string& a : argv) {
        std::string q = "'";
        for (char c : a) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
        s += (s.empty() ? "" : " ") + q + "'";
    }
    return s;
}

// The scratch folders go when the tests end.
struct Folders {
    std::vector<std::string> made;
    ~Folders() {
        std::error_code ignored;
        for (const std::string& dir : made) std::filesystem::remove_all(dir, ignored);
    }
};
Folders& folders() {
    static Folders f;
    return f;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

std::string RunShell(const std::string& command, int* status) {
    std::string out;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return out;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
    int s = pclose(p);
    if (status) *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return out;
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

ConvertedProgram BuildConverted(const std::string& machine, const std::vector<std::string>& sources, const std::string& name,
                                const std::vector<std::string>& vexFlags, std::size_t libraryFrom) {
    ConvertedProgram p;
    p.wide = machine == "x86_64";
    std::string triple = machine + "-w64-mingw32";
    for (std::string tool : {std::string("/usr/bin/clang-14"), "/usr/bin/" + triple + "-gcc", "/usr/bin/" + triple + "-nm",
                             std::string("/usr/bin/llvm-readobj-14")})
        if (access(tool.c_str(), X_OK) != 0) {
            p.skip = tool + " is not installed (scripts/setup.sh installs it)";
            return p;
        }
    p.dir = std::filesystem::temp_directory_path().string() + "/tarvo-cv-" + std::to_string(getpid()) + "-" + name + "-" + machine;
    std::filesystem::remove_all(p.dir);
    std::filesystem::create_directories(p.dir);
    folders().made.push_back(p.dir);
    std::string data = std::string(TARVO_TEST_DATA) + "/codeview";
    std::vector<std::string> linkArgs{"-subsystem", "console", "-map", ToWindows(p.dir + "/" + name + ".map"), "-o",
                                      ToWindows(p.dir + "/" + name + ".exe")};
    for (const std::string& source : sources) {
        std::string src = source[0] == '/' ? source : data + "/" + source;
        std::string base = src.substr(src.rfind('/') + 1);
        std::string obj = p.dir + "/" + base.substr(0, base.rfind('.')) + ".obj";
        std::vector<std::string> args = vexFlags;
        args.insert(args.begin(), "-c");
        args.insert(args.end(), {"-I" + ToWindows(data), "-Fo" + ToWindows(obj), ToWindows(src)});
        VexCommand v = ParseVexArguments(args, p.wide);
        std::string problem;
        std::vector<std::string> clang = ClangCommand(v, obj, p.wide, ToUnix, problem);
        int status = 0;
        std::string out = RunShell(Quoted(clang), &status);
        if (!v.problem.empty() || !problem.empty() || status != 0) {
            p.problem = "compiling " + source + ": " + v.problem + problem + out;
            return p;
        }
        RunShell("llvm-readobj-14 --codeview " + Quoted({obj}) + " > " + Quoted({obj + ".cv"}));
        p.sources.push_back(src);
        p.objects.push_back(obj);
        if (p.objects.size() <= libraryFrom) linkArgs.push_back(ToWindows(obj));
    }
    if (libraryFrom < p.objects.size()) {
        std::vector<std::string> arArgs{"/OUT:" + ToWindows(p.dir + "/" + name + ".lib")};
        for (std::size_t k = libraryFrom; k < p.objects.size(); ++k) arArgs.push_back(ToWindows(p.objects[k]));
        std::string problem;
        std::vector<std::string> ar = ArCommand(arArgs, p.wide, ToUnix, p.library, problem);
        int status = 0;
        std::string out = RunShell(Quoted(ar), &status);
        if (!problem.empty() || status != 0) {
            p.problem = "archiving: " + problem + out;
            return p;
        }
        linkArgs.push_back(p.library);
    }
    LinkCommand link = ParseLinkArguments(linkArgs);
    std::string mapWindows = MapFile(link, "unused");
    std::string problem;
    std::vector<std::string> gcc = GccLinkCommand(link, p.wide, "Z:\\nowhere", [](const std::string&) { return false; }, ToUnix,
                                                  problem);
    int status = 0;
    std::string out = RunShell("cd " + Quoted({p.dir}) + " && " + Quoted(gcc), &status);
    if (!link.problem.empty() || !problem.empty() || status != 0) {
        p.problem = "linking: " + link.problem + problem + out;
        return p;
    }
    p.exe = ToUnix(link.output);
    p.map = ToUnix(mapWindows);
    LinkFiles files{[](const std::string& path, std::vector<std::uint8_t>& b) {
                        b = FileBytes(ToUnix(path));
                        return !b.empty();
                    },
                    [](const std::string& path, const std::vector<std::uint8_t>& b) { return WriteFile(ToUnix(path), b); }};
    if (!AddDebugInfo(link, gcc, mapWindows, files, ToWindows, p.messages)) {
        p.problem = "converting: " + p.messages;
        return p;
    }
    p.nm = p.exe + ".nm";
    RunShell(Quoted({"/usr/bin/" + triple + "-nm", p.exe}) + " > " + Quoted({p.nm}));
    p.image = FileBytes(p.exe);
    return p;
}

const ConvertedProgram& CodeViewSample(const std::string& machine) {
    static std::map<std::string, ConvertedProgram> built;
    auto it = built.find(machine);
    if (it == built.end()) it = built.emplace(machine, BuildConverted(machine, {"cv_main.c", "cv_util.c", "cv_far.c"}, "sample")).first;
    return it->second;
}

}  // namespace tarvo::testbed::test
