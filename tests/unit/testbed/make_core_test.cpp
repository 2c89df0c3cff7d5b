#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "make_core.h"
#include "standin_core.h"

namespace tarvo::testbed {
namespace {

using Strings = std::vector<std::string>;

std::string Golden(const char* name) {
    std::ifstream in(std::string(TARVO_TEST_DATA) + "/makefiles/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_FALSE(text.str().empty()) << name;
    return text.str();
}

std::optional<std::string> NoEnvironment(const std::string&) { return std::nullopt; }

const MakeRule* RuleFor(const Makefile& makefile, const std::string& target) {
    for (const MakeRule& rule : makefile.rules)
        for (const std::string& t : rule.targets)
            if (t == target) return &rule;
    return nullptr;
}

// A make run against a file table: each command that runs makes the file named by its last
// word newer than everything, unless it is told to fail.
struct FakeRun {
    std::map<std::string, long long> times;
    std::map<std::string, int> failing;  // command's last word -> exit code
    Strings commands, messages;
    long long clock = 1000;
    std::map<std::string, std::string> environment;

    int Make(const std::string& text, const std::string& goal, bool question, const std::string& makes = "") {
        Environment env = [this](const std::string& name) -> std::optional<std::string> {
            auto v = environment.find(name);
            return v == environment.end() ? std::nullopt : std::optional(v->second);
        };
        Makefile makefile = ParseMakefile(text, env);
        EXPECT_EQ(makefile.problem, "");
        MakeHooks hooks;
        hooks.fileTime = [this](const std::string& name) -> std::optional<long long> {
            // As on Windows, names match without case.
            for (const auto& [file, time] : times)
                if (Lower(file) == Lower(name)) return time;
            return std::nullopt;
        };
        hooks.run = [this, makes](const std::string& command) {
            commands.push_back(command);
            std::string made = command.substr(command.find_last_of(' ') + 1);
            if (failing.count(made)) return failing[made];
            times[makes.empty() ? made : makes] = ++clock;
            return 0;
        };
        hooks.message = [this](const std::string& line) { messages.push_back(line); };
        hooks.environment = env;
        return RunMake(makefile, goal, question, hooks);
    }
};

TEST(MakeParse, ReadsTheGoldenMakefiles) {
    Makefile console = ParseMakefile(Golden("console.mak"), NoEnvironment);
    ASSERT_EQ(console.problem, "");
    ASSERT_EQ(console.rules.size(), 5u);
    EXPECT_EQ(console.rules[0].targets, Strings{"demo.exe"});
    EXPECT_EQ(console.rules[0].prerequisites, (Strings{"a.obj", "b.obj", "r.res", "Makefile"}));
    EXPECT_EQ(console.rules[0].commands, Strings{"$(LINKER)  -subsystem console  -o demo.exe $(OBJS) $(LIBS)"});
    EXPECT_EQ(RuleFor(console, "a.obj")->prerequisites, (Strings{"c:\\src\\a.c", "c:\\src\\a.h", "c:\\src\\a.c"}));
    EXPECT_EQ(RuleFor(console, "r.res")->prerequisites, (Strings{"c:\\src\\r.rc", "c:\\src\\my icon.ico", "c:\\src\\r.rc"}));
    EXPECT_EQ(RuleFor(console, "r.res")->commands, Strings{"vrc -Ic:\\src -Ic:\\vex\\include c:\\src\\r.rc"});
    EXPECT_EQ(console.macros.at("LIBS"), "c:\\src\\w.lib");
    EXPECT_TRUE(RuleFor(console, "link")->prerequisites.empty());

    Makefile blanks = ParseMakefile(Golden("blanks.mak"), NoEnvironment);
    ASSERT_EQ(blanks.problem, "");
    EXPECT_EQ(blanks.rules[0].targets, Strings{"my prog.exe"});
    EXPECT_EQ(blanks.rules[0].prerequisites, (Strings{"my file.obj", "c:\\my src\\lib\\old.obj", "Makefile"}));
    EXPECT_EQ(RuleFor(blanks, "my file.obj")->prerequisites,
              (Strings{"c:\\my src\\my file.c", "c:\\inc\\x.h", "c:\\my src\\my file.c"}));
    std::string problem;
    EXPECT_EQ(ExpandMacros(blanks, RuleFor(blanks, "my file.obj")->commands[0], NoEnvironment, problem),
              "\"c:\\program files\\vex\\bin\\vex.exe\" -c \"-Ic:\\program files\\vex\\include\" -Ic:\\inc  -g2 "
              "\"c:\\my src\\my file.c\"");

    // An empty dependency macro ("D_C=\" and an empty line) and the Fortran rule without one.
    Makefile dll = ParseMakefile(Golden("dll.mak"), NoEnvironment);
    ASSERT_EQ(dll.problem, "");
    EXPECT_EQ(dll.macros.at("D_C"), "");
    EXPECT_EQ(RuleFor(dll, "d.obj")->prerequisites, Strings{"c:\\src\\d.c"});
    EXPECT_EQ(ParseMakefile(Golden("library.mak"), NoEnvironment).problem, "");
}

TEST(MakeParse, SeparatorsContinuationsAndBadLines) {
    struct Case {
        const char* text;
        Strings targets, prerequisites;
        const char* problem;
    };
    const Case cases[] = {
        {"c:\\out\\a.obj: c:\\src\\a.c\n", {"c:\\out\\a.obj"}, {"c:\\src\\a.c"}, ""},
        {"c:\\out\\a.obj:\tc:\\a.c d:\\b.h\n", {"c:\\out\\a.obj"}, {"c:\\a.c", "d:\\b.h"}, ""},
        {"\"c:\\my dir\\x y.exe\":\r\n", {"c:\\my dir\\x y.exe"}, {}, ""},
        {"\"a: b.obj\": c.c\n", {"a: b.obj"}, {"c.c"}, ""},
        {"A=x \\\n\t y\\\n\tz\nt: $(A)\n", {"t"}, {"x", "y", "z"}, ""},
        {"t: a \\\n", {"t"}, {"a"}, ""},
        {"a b: c\n", {"a", "b"}, {"c"}, ""},
        {"t: $(UNSET) q\n", {"t"}, {"q"}, ""},
        {"c:\\no\\separator\n", {}, {}, "line 1: neither a macro nor a rule: c:\\no\\separator"},
        {"# note\n\n: x\n", {}, {}, "line 3: a rule without a target"},
        {"t: $(A\n", {}, {}, "line 1: \"$(\" without \")\""},
        {"A=$(A)\nt: $(A)\n", {}, {}, "line 2: macro A refers to itself"},
    };
    for (const Case& c : cases) {
        Makefile m = ParseMakefile(c.text, NoEnvironment);
        EXPECT_EQ(m.problem, c.problem) << c.text;
        if (*c.problem) continue;
        ASSERT_EQ(m.rules.size(), 1u) << c.text;
        EXPECT_EQ(m.rules[0].targets, c.targets) << c.text;
        EXPECT_EQ(m.rules[0].prerequisites, c.prerequisites) << c.text;
    }
}

TEST(MakeParse, MacrosFallBackToTheEnvironmentAndKeepDollars) {
    Makefile m = ParseMakefile("A=1 $(B)\nB=two\n", NoEnvironment);
    Environment env = [](const std::string& name) -> std::optional<std::string> {
        if (name == "F2C") return std::string("c:\\f2c.exe");
        if (name == "B") return std::string("environment");
        return std::nullopt;
    };
    std::string problem;
    EXPECT_EQ(ExpandMacros(m, "$(F2C) $(A) $$(A) $(NONE)| $x", env, problem), "c:\\f2c.exe 1 two $(A) | $x");
    EXPECT_EQ(problem, "");
}

const char* kTwoObjects =
    "OBJS=a.obj b.obj\n"
    "p.exe: $(OBJS)\n\tlink p.exe\n"
    "a.obj: a.c a.h\n\tcc a.obj\n"
    "b.obj: b.c\n\t@cc b.obj\n"
    "link:\n\tlink p.exe\n";

TEST(MakeRun, RebuildsWhatIsMissingOrOlderThanAPrerequisite) {
    struct Case {
        const char* name;
        std::map<std::string, long long> times;
        const char* goal;
        Strings commands;
        int question;  // what -q answers beforehand
    };
    const Case cases[] = {
        {"all current", {{"a.c", 1}, {"a.h", 1}, {"b.c", 1}, {"a.obj", 2}, {"b.obj", 2}, {"p.exe", 3}}, "", {}, 0},
        {"nothing built", {{"a.c", 1}, {"a.h", 1}, {"b.c", 1}}, "", {"cc a.obj", "cc b.obj", "link p.exe"}, 199},
        {"header changed", {{"a.c", 1}, {"a.h", 5}, {"b.c", 1}, {"a.obj", 2}, {"b.obj", 2}, {"p.exe", 3}}, "",
         {"cc a.obj", "link p.exe"}, 199},
        {"object newer than program", {{"a.c", 1}, {"a.h", 1}, {"b.c", 1}, {"a.obj", 2}, {"b.obj", 4}, {"p.exe", 3}}, "",
         {"link p.exe"}, 199},
        {"same time is current", {{"a.c", 2}, {"a.h", 2}, {"b.c", 2}, {"a.obj", 2}, {"b.obj", 2}, {"p.exe", 2}}, "", {}, 0},
        {"named goal only", {{"a.c", 1}, {"a.h", 1}, {"b.c", 9}, {"a.obj", 2}, {"b.obj", 2}, {"p.exe", 3}}, "a.obj", {}, 0},
        {"link always links", {{"a.obj", 2}, {"b.obj", 2}, {"p.exe", 3}}, "link", {"link p.exe"}, 199},
        {"names without case", {{"a.c", 1}, {"a.h", 1}, {"b.c", 1}, {"a.obj", 2}, {"b.obj", 2}, {"p.exe", 3}}, "P.EXE", {}, 0},
    };
    for (const Case& c : cases) {
        FakeRun q;
        q.times = c.times;
        EXPECT_EQ(q.Make(kTwoObjects, c.goal, true), c.question) << c.name;
        EXPECT_TRUE(q.commands.empty()) << c.name;
        FakeRun run;
        run.times = c.times;
        EXPECT_EQ(run.Make(kTwoObjects, c.goal, false), 0) << c.name;
        EXPECT_EQ(run.commands, c.commands) << c.name;
        EXPECT_EQ(run.messages, Strings{}) << c.name;
        if (std::string(c.goal) != "link") {
            EXPECT_EQ(run.Make(kTwoObjects, c.goal, true), 0) << c.name << ": after";
        }
    }
}

TEST(MakeRun, AFailingCommandStopsMakeWithItsExitCode) {
    FakeRun run;
    run.times = {{"a.c", 1}, {"a.h", 1}, {"b.c", 1}};
    run.failing["a.obj"] = 3;
    EXPECT_EQ(run.Make(kTwoObjects, "", false), 3);
    EXPECT_EQ(run.commands, Strings{"cc a.obj"});
    EXPECT_EQ(run.messages, Strings{"make: *** [a.obj] Error 3"});

    // "-" lets a command fail.
    FakeRun ignored;
    ignored.failing["x"] = 1;
    EXPECT_EQ(ignored.Make("t:\n\t-rm x\n\techo t\n", "", false), 0);
    EXPECT_EQ(ignored.commands, (Strings{"rm x", "echo t"}));
}

TEST(MakeRun, MissingFilesAndLoops) {
    struct Case {
        const char* text;
        int status, question;
        Strings messages;
    };
    const Case cases[] = {
        {"p.exe: gone.obj\n\tlink p.exe\n", 2, 199, {"make: don't know how to make gone.obj"}},
        {"a: b\n\tx a\nb: a\n\tx b\n", 2, 2, {"make: circular dependency on a, dropped"}},
        {"", 2, 2, {"make: no target in the makefile"}},
    };
    for (const Case& c : cases) {
        FakeRun run;
        EXPECT_EQ(run.Make(c.text, "", false), c.status) << c.text;
        EXPECT_EQ(run.messages, c.messages) << c.text;
        EXPECT_TRUE(run.commands.empty()) << c.text;
        EXPECT_EQ(FakeRun().Make(c.text, "", true), c.question) << c.text;
    }
}

TEST(MakeRun, GoldenMakefilesRunTheirCommandsInOrder) {
    FakeRun run;
    run.times = {{"c:\\src\\d.c", 1}, {"c:\\src\\f.f", 1}, {"c:\\src\\s.asm", 1}, {"Makefile", 1}};
    run.environment["F2C"] = "c:\\bin\\f2c.exe";
    EXPECT_EQ(run.Make(Golden("dll.mak"), "", false), 0);
    ASSERT_EQ(run.commands.size(), 4u);
    EXPECT_EQ(run.commands[1], "c:\\bin\\f2c.exe -u -g c:\\src\\f.f");
    EXPECT_EQ(run.commands[3],
              "c:\\vex\\bin\\vexlnk.exe  -s -dll -entry DllMain -L c:\\Extra -nounderscores -o demo.dll d.obj f.obj s.obj "
              "c:\\vex\\lib\\LIBF77.lib");
}

TEST(MakeArguments, OptionsAndTargets) {
    MakeCommand c = ParseMakeArguments({"-q", "-f", "x.mak", "link", "a.obj"});
    EXPECT_TRUE(c.question);
    EXPECT_EQ(c.makefile, "x.mak");
    EXPECT_EQ(c.goals, (Strings{"link", "a.obj"}));
    EXPECT_EQ(ParseMakeArguments({}).makefile, "makefile");
    EXPECT_EQ(ParseMakeArguments({"-fy.mak"}).makefile, "y.mak");
    EXPECT_EQ(ParseMakeArguments({"-f"}).problem, "-f names no makefile");
    EXPECT_EQ(ParseMakeArguments({"-k"}).problem, "unknown option -k");
}

}  // namespace
}  // namespace tarvo::testbed
