// The linker stand-in's CodeView conversion on a generated program of 200 C files (each with
// its functions, locals, statics and the shared structures of one header), compiled by
// clang-14 as vex compiles with debug information: the GNU ld link that vexlnk runs (with its
// map) beside the conversion that follows it (reading the objects, map and image, writing the
// image). The goal: the conversion adds at most half the link's time. Run by hand:
//   cmake --build <build> --target tarvo_codeview_link_bench && <build>/bench/tarvo_codeview_link_bench [i686|x86_64] [dir]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codeview_core.h"
#include "vexlnk_core.h"

using namespace tarvo::testbed;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFiles = 200, kFunctions = 6;

void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void Generate(const std::string& dir) {
    Write(dir + "/shapes.h",
          "struct point { int x, y; struct point *next; };\n"
          "union value { int i; double d; char bytes[8]; };\n"
          "enum kind { KIND_A, KIND_B = 4, KIND_C };\n"
          "struct item { char name[16]; struct point where; union value v; enum kind k; unsigned flag : 1, level : 3; };\n");
    std::string main = "#include \"shapes.h\"\n";
    for (int f = 0; f < kFiles; ++f) main += "int entry" + std::to_string(f) + "(struct item *it, int n);\n";
    main += "struct item items[4];\nint main(void)\n{\n    int total = 0;\n";
    for (int f = 0; f < kFiles; ++f) main += "    total += entry" + std::to_string(f) + "(items, 4);\n";
    main += "    return total & 0x7F;\n}\n";
    Write(dir + "/main.c", main);
    for (int f = 0; f < kFiles; ++f) {
        std::string n = std::to_string(f), s = "#include \"shapes.h\"\n";
        s += "static int calls" + n + ";\nint shared" + n + "[8];\nstatic struct point origin" + n + " = {1, 2, 0};\n";
        for (int k = 0; k < kFunctions; ++k) {
            std::string name = "work" + n + "_" + std::to_string(k);
            s += "static int " + name + "(struct item *it, int n)\n{\n    int sum = 0, i;\n    struct point *p = &origin" + n +
                 ";\n    for (i = 0; i < n; i++) {\n        sum += it[i].where.x * " + std::to_string(k + 1) +
                 " + it[i].level;\n        if (p->next) p = p->next;\n    }\n    calls" + n + "++;\n    return sum + p->y;\n}\n";
        }
        s += "int entry" + n + "(struct item *it, int n)\n{\n    int total = 0;\n";
        for (int k = 0; k < kFunctions; ++k) s += "    total += work" + n + "_" + std::to_string(k) + "(it, n);\n";
        s += "    shared" + n + "[0] = total;\n    return total;\n}\n";
        Write(dir + "/f" + n + ".c", s);
    }
}

double Seconds(Clock::time_point a) { return std::chrono::duration<double>(Clock::now() - a).count(); }

std::string Identity(const std::string& s) { return s; }

}  // namespace

int main(int argc, char** argv) {
    std::string machine = argc > 1 ? argv[1] : "i686";
    std::string dir = argc > 2 ? argv[2] : std::filesystem::temp_directory_path().string() + "/tarvo-codeview-bench";
    bool wide = machine == "x86_64";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    Generate(dir);
    std::string flags = std::string("--target=") + (wide ? "x86_64" : "i686") + "-w64-windows-gnu -c -g -gcodeview -fno-omit-frame-pointer";
    std::printf("compiling %d files for %s (not timed)...\n", kFiles + 1, machine.c_str());
    std::string compile = "cd '" + dir + "' && ls *.c | xargs -P 2 -I{} sh -c 'clang-14 " + flags + " {} -o $(basename {} .c).obj'";
    if (std::system(compile.c_str()) != 0) {
        std::fprintf(stderr, "compiling failed (clang-14 and the mingw headers are installed by scripts/setup.sh)\n");
        return 1;
    }
    std::vector<std::string> args{"-subsystem", "console", "-map", dir + "/p.map", "-o", dir + "/p.exe", dir + "/main.obj"};
    for (int f = 0; f < kFiles; ++f) args.push_back(dir + "/f" + std::to_string(f) + ".obj");
    LinkCommand command = ParseLinkArguments(args);
    std::string problem;
    std::vector<std::string> gcc = GccLinkCommand(command, wide, dir, [](const std::string&) { return false; }, Identity, problem);
    std::string line;
    for (const std::string& a : gcc) line += "'" + a + "' ";
    std::vector<double> links, conversions;
    CodeViewReport report;
    for (int run = 0; run < 5; ++run) {
        auto start = Clock::now();
        if (std::system(line.c_str()) != 0) return 1;
        links.push_back(Seconds(start));
        start = Clock::now();
        LinkFiles files{[](const std::string& path, std::vector<std::uint8_t>& out) {
                            out = FileBytes(path);
                            return !out.empty();
                        },
                        [](const std::string& path, const std::vector<std::uint8_t>& bytes) {
                            std::ofstream out(path + "~", std::ios::binary);
                            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
                            out.close();
                            std::filesystem::rename(path + "~", path);
                            return true;
                        }};
        std::string messages;
        if (!AddDebugInfo(command, gcc, dir + "/p.map", files, Identity, messages)) {
            std::fprintf(stderr, "%s", messages.c_str());
            return 1;
        }
        conversions.push_back(Seconds(start));
    }
    // The counts, from one more conversion of the image as ld left it.
    if (std::system(line.c_str()) != 0) return 1;
    std::vector<std::uint8_t> image = FileBytes(dir + "/p.exe");
    std::vector<LinkedObject> objects;
    for (std::size_t k = 0; k < command.inputs.size(); ++k) objects.push_back({command.inputs[k], command.inputs[k], FileBytes(command.inputs[k])});
    std::ifstream mapFile(dir + "/p.map");
    std::string map((std::istreambuf_iterator<char>(mapFile)), {});
    std::size_t before = image.size();
    AddCodeViewToImage(image, objects, map, Identity, report);
    std::sort(links.begin(), links.end());
    std::sort(conversions.begin(), conversions.end());
    double link = links[links.size() / 2], conversion = conversions[conversions.size() / 2];
    std::printf("%s, %d objects: %d modules, %d functions, %d locals, %d data, %d types, %d line rows; image %zu -> %zu bytes\n",
                machine.c_str(), kFiles + 1, report.modules, report.functions, report.locals, report.data, report.types,
                report.lines, before, image.size());
    std::printf("link (gcc driver and GNU ld, with map), median of 5: %.3f s\n", link);
    std::printf("conversion (read objects, map and image; convert; write), median of 5: %.3f s = %.0f%% of the link (goal <= 50%%)\n",
                conversion, 100 * conversion / link);
    return conversion <= link / 2 ? 0 : 2;
}
