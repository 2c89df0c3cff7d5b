// One help generation with a scripted help compiler: the files written, the command line, the
// foreign files asked about, and every failure shown without success being claimed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "platform/files.h"
#include "scripted_process.h"
#include "scripted_ui.h"
#include "tools/help_generation.h"

namespace tarvo::tools {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class HelpGeneration : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tarvo_helpgen_" + std::to_string(getpid()));
        fs::create_directories(dir);
        compiler = (dir / "hcrtf.exe").string();
        std::ofstream(compiler) << "stand-in";
        request.files = {"a.c"};
        request.helpFile = (dir / "doc.hlp").string();
        request.title = "Doc";
        sources = {{"a.c", {"int f(void) { return g(); }", "int g(void) { return 0; }"}}};
    }
    void TearDown() override { fs::remove_all(dir); }
    // The scripted compiler writes the help file and exits with `code`.
    void CompilerExits(long code, bool writesHelp = true) {
        process.process.handler = [this, code, writesHelp](const platform::ProcessRequest&) {
            std::ofstream(dir / "doc.msg") << "HC: something to say\r\n";
            if (writesHelp) std::ofstream(dir / "doc.hlp") << "help";
            return platform::RunResult{platform::RunStatus::Finished, code, 0};
        };
    }
    bool Generate() { return GenerateHelpFile(request, sources, compiler, nullptr); }

    fs::path dir;
    std::string compiler;
    HelpRequest request;
    std::vector<HelpSource> sources;
    test::ScopedScriptedUi shown;
    test::ScopedScriptedProcess process;
};

TEST_F(HelpGeneration, WritesBothFilesAndRunsTheCompilerInTheOutputFolder) {
    CompilerExits(0);
    ASSERT_TRUE(Generate()) << test::BoxTexts(shown.ui);
    EXPECT_EQ(Read(dir / "doc.HPJ"), HelpProject("doc", "Doc"));
    EXPECT_TRUE(WrittenByHelpGeneration(Read(dir / "doc.RTF")));
    ASSERT_EQ(process.process.runs.size(), 1u);
    const platform::ProcessRequest& run = process.process.runs[0];
    EXPECT_EQ(run.commandLine, platform::QuoteArgument(compiler) + " -xh doc.HPJ");
    EXPECT_EQ(platform::HostPath(run.directory), platform::HostPath(dir.string()));
    EXPECT_GT(run.timeoutMs, 0u);
    EXPECT_EQ(test::BoxTexts(shown.ui), "");
    // Generated again, our own files are replaced without a question.
    fs::remove(dir / "doc.hlp");
    ASSERT_TRUE(Generate());
    EXPECT_EQ(test::BoxTexts(shown.ui), "");
}

TEST_F(HelpGeneration, AForeignFileIsAskedAboutAndNoLeavesEverything) {
    std::ofstream(dir / "doc.RTF", std::ios::binary) << "{\\rtf1 my own notes}";
    CompilerExits(0);
    shown.ui.answers = {platform::kAnswerNo};
    EXPECT_FALSE(Generate());
    EXPECT_EQ(Read(dir / "doc.RTF"), "{\\rtf1 my own notes}");
    EXPECT_FALSE(fs::exists(dir / "doc.HPJ"));  // asked before anything was written
    EXPECT_TRUE(process.process.runs.empty());
    EXPECT_NE(test::BoxTexts(shown.ui).find("doc.RTF exists and was not written by the help generation"), std::string::npos);
    shown.ui.answers = {platform::kAnswerYes};
    EXPECT_TRUE(Generate());
    EXPECT_TRUE(WrittenByHelpGeneration(Read(dir / "doc.RTF")));
}

TEST_F(HelpGeneration, OnlyExitZeroWithAHelpFileIsSuccess) {
    for (long code : {1L, 2L, 3L, 4L}) {
        CompilerExits(code);
        EXPECT_FALSE(Generate()) << code;
        fs::remove(dir / "doc.hlp");
    }
    EXPECT_NE(test::BoxTexts(shown.ui).find("The help compiler failed (exit code 4):\nHC: something to say"),
              std::string::npos)
        << test::BoxTexts(shown.ui);
    CompilerExits(0, false);
    EXPECT_FALSE(Generate());
    EXPECT_NE(test::BoxTexts(shown.ui).find("ended without writing"), std::string::npos);
    process.process.handler = [](const platform::ProcessRequest&) {
        return platform::RunResult{platform::RunStatus::TimedOut, -1, 0};
    };
    EXPECT_FALSE(Generate());
    EXPECT_NE(test::BoxTexts(shown.ui).find("did not finish in time"), std::string::npos);
    fs::remove(compiler);
    EXPECT_FALSE(Generate());
    EXPECT_NE(test::BoxTexts(shown.ui).find("Help compiler " + compiler + " not found"), std::string::npos);
}

TEST_F(HelpGeneration, BadRequestsChangeNothing) {
    CompilerExits(0);
    HelpRequest bad = request;
    bad.files.clear();
    EXPECT_FALSE(GenerateHelpFile(bad, sources, compiler, nullptr));
    bad = request;
    bad.helpFile = "  ";
    EXPECT_FALSE(GenerateHelpFile(bad, sources, compiler, nullptr));
    bad = request;
    bad.title = "two\nlines";
    EXPECT_FALSE(GenerateHelpFile(bad, sources, compiler, nullptr));
    bad = request;
    bad.helpFile = (dir / "a|b.hlp").string();
    EXPECT_FALSE(GenerateHelpFile(bad, sources, compiler, nullptr));
    EXPECT_EQ(test::BoxTexts(shown.ui),
              "Choose at least one file for the help file|Name of the help file required|"
              "The help system title must fit on one line|[" + bad.helpFile + "]: incorrect help file name|");
    EXPECT_FALSE(GenerateHelpFile(request, sources, compiler, [](const std::string&, const char*, const std::string&) {
        return false;
    }));
    EXPECT_TRUE(fs::is_empty(dir) || !fs::exists(dir / "doc.RTF"));
    EXPECT_TRUE(process.process.runs.empty());
    EXPECT_EQ(HelpCompilerPath("hcrtf.exe", "C:\\vex"), "C:\\vex\\bin\\hcrtf.exe");
    EXPECT_EQ(HelpCompilerPath("D:\\tools\\hc.exe", "C:\\vex"), "D:\\tools\\hc.exe");
}

}  // namespace
}  // namespace tarvo::tools
