#include <gtest/gtest.h>

#include <vector>

#include "appgen_core.h"
#include "standin_core.h"

namespace tarvo::testbed {
namespace {

TEST(StandinSwitches, NameToolsInAnyCaseWithOrWithoutExe) {
    const std::pair<const char*, bool> cases[] = {
        {"vex", true}, {"appgen, VEX.exe", true}, {" vex ,pescan", true}, {"vexlnk", false},
        {"", false},   {"xvex", false},           {",,", false},          {"conrun,vex.EXE", true}};
    for (auto [list, listed] : cases) EXPECT_EQ(ToolListed(list, "vex"), listed) << list;
}

TEST(StandinSwitches, WaitOnlyForTheToolNamedWithAValidNumber) {
    const std::pair<const char*, unsigned long> cases[] = {
        {"vex:500", 500}, {"appgen:100,vex:20", 20}, {"VEX.exe: 7 ", 7}, {"vex", 0},  {"vex:", 0},
        {"vex:-5", 0},    {"vex:5s", 0},             {"pescan:300", 0},  {"vex:99999999999", 0}};
    for (auto [spec, ms] : cases) EXPECT_EQ(ToolWaitMilliseconds(spec, "vex"), ms) << spec;
    EXPECT_EQ(ToolLogLine("C:\\w", "vex.exe -c a.c"), "C:\\w\tvex.exe -c a.c\n");
}

// An image of the given optional-header magic and subsystem, headers only.
std::vector<unsigned char> Image(unsigned magic, unsigned subsystem, unsigned peOffset = 0x80) {
    std::vector<unsigned char> b(peOffset + 24 + 240, 0);
    b[0] = 'M', b[1] = 'Z';
    b[0x3C] = static_cast<unsigned char>(peOffset);
    b[peOffset] = 'P', b[peOffset + 1] = 'E';
    b[peOffset + 20] = magic == 0x20b ? 240 : 224;  // size of the optional header
    b[peOffset + 24] = magic & 0xff, b[peOffset + 25] = magic >> 8;
    b[peOffset + 24 + 68] = static_cast<unsigned char>(subsystem);
    return b;
}

TEST(PeHeader, GivesTheSubsystemOfBothImageFormats) {
    auto subsystem = [](const std::vector<unsigned char>& b, std::size_t size) { return PeSubsystem(b.data(), size); };
    std::vector<unsigned char> console32 = Image(0x10b, 3), windows64 = Image(0x20b, 2);
    EXPECT_EQ(subsystem(console32, console32.size()), kSubsystemConsole);
    EXPECT_EQ(subsystem(windows64, windows64.size()), 2);
    EXPECT_EQ(subsystem(console32, 0x80 + 24 + 69), -1);  // cut inside the field
    std::vector<unsigned char> bad = Image(0x10b, 3);
    bad[0x81] = 'X';
    EXPECT_EQ(subsystem(bad, bad.size()), -1);
    bad = Image(0x107, 3);
    EXPECT_EQ(subsystem(bad, bad.size()), -1);
    bad = Image(0x10b, 3);
    bad[0x3C] = 0xF0, bad[0x3D] = 0xFF, bad[0x3E] = 0xFF, bad[0x3F] = 0xFF;  // header far outside
    EXPECT_EQ(subsystem(bad, bad.size()), -1);
    bad = Image(0x10b, 3);
    bad[0x80 + 20] = 16;
    EXPECT_EQ(subsystem(bad, bad.size()), -1);
    EXPECT_EQ(subsystem(bad, 10), -1);
}

TEST(Appgen, ReadsItsCommandLineAndChecksTheName) {
    using Kind = AppgenRequest::Kind;
    struct Case {
        std::vector<std::string> args;
        Kind kind;
        const char* problem;
    };
    const Case cases[] = {
        {{"/tarvo:1234", "/prjname:demo", "/prjpath:C:\\my dir\\", "/out:C:\\t\\x.tmp"}, Kind::Windows, ""},
        {{"/TARVO:1", "/PrjName:demo", "/prjpath:C:\\p", "/out:o", "/Console"}, Kind::Console, ""},
        {{"/tarvo:1", "/prjname:demo", "/prjpath:C:\\p", "/out:o", "/dll"}, Kind::Dll, ""},
        {{"/tarvo:1", "/prjname:my prog", "/prjpath:C:\\p", "/out:o"}, Kind::Windows,
         "the project name my prog holds a blank or a character that file names forbid"},
        {{"/tarvo:1", "/prjname:a\\b", "/prjpath:C:\\p", "/out:o"}, Kind::Windows,
         "the project name a\\b holds a blank or a character that file names forbid"},
        {{"/tarvo:1", "/prjname:", "/prjpath:C:\\p", "/out:o"}, Kind::Windows, "the project name is empty"},
        {{"/tarvo:1", "/prjname:" + std::string(50, 'n'), "/prjpath:C:\\p", "/out:o"}, Kind::Windows,
         "the project name nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn is longer than 49 characters"},
        {{"/prjname:demo", "/prjpath:C:\\p", "/out:o"}, Kind::Windows, "/tarvo:<window> is missing"},
        {{"/tarvo:1", "/prjname:demo", "/out:o"}, Kind::Windows, "/prjpath:<directory> is missing"},
        {{"/tarvo:1", "/prjname:demo", "/prjpath:C:\\p"}, Kind::Windows, "/out:<file> is missing"},
        {{"/tarvo:1", "/gui"}, Kind::Windows, "unknown argument /gui"},
    };
    for (const Case& c : cases) {
        AppgenRequest r = ParseAppgenArguments(c.args);
        EXPECT_EQ(r.problem, c.problem) << c.args[1];
        if (r.problem.empty()) {
            EXPECT_EQ(r.kind, c.kind) << c.args.back();
        }
    }
    EXPECT_EQ(ParseAppgenArguments(cases[0].args).directory, "C:\\my dir");
    EXPECT_EQ(ProjectNameProblem(std::string(49, 'n')), "");
}

TEST(Appgen, WritesTwoFilesPerKindAndTheAnswerTheIdeReads) {
    AppgenRequest r;
    r.name = "9lives";
    r.directory = "C:\\p";
    const std::pair<AppgenRequest::Kind, const char*> kinds[] = {
        {AppgenRequest::Kind::Windows, "Project:9lives\nSource:C:\\p\\9lives.c\nResources:C:\\p\\9lives.rc\n"},
        {AppgenRequest::Kind::Console, "Project:9lives\nSource:C:\\p\\9lives.c\nHeader:C:\\p\\9lives.h\n"},
        {AppgenRequest::Kind::Dll, "Project:9lives\nSource:C:\\p\\9lives.c\nHeader:C:\\p\\9lives.h\n"}};
    for (auto [kind, answer] : kinds) {
        r.kind = kind;
        std::vector<SkeletonFile> files = SkeletonFiles(r);
        EXPECT_EQ(AnswerText(r.name, files), answer);
        for (const SkeletonFile& f : files) {
            EXPECT_EQ(f.text.find('@'), std::string::npos) << f.path;  // every placeholder filled
            EXPECT_NE(f.text.find("9lives"), std::string::npos) << f.path;
        }
    }
    r.kind = AppgenRequest::Kind::Dll;  // identifiers made from a name that starts with a digit
    EXPECT_NE(SkeletonFiles(r)[0].text.find("int P9LIVES_Version(void)"), std::string::npos);
}

}  // namespace
}  // namespace tarvo::testbed
