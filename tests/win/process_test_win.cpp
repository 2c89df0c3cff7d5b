// The process seam on Windows: exit codes, standard error into a file, a time-out, a Stop from
// another thread that also ends the programs the program started, and a program that cannot
// start.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "platform/process.h"
#include "platform/process_win.h"
#include "test_util_win.h"

namespace tarvo::platform {
namespace {

std::string Self(const std::string& child) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    return "\"" + std::string(self) + "\" --child " + child;
}

class Process : public ::testing::Test {
protected:
    void SetUp() override { InstallWin32Process(); }
    std::string dir = test::ScratchDir("process");
};

TEST_F(Process, ExitCodeAndStandardError) {
    std::string errors = dir + "\\errors.txt";
    RunResult r = RunAndWait({Self("exit-with 7"), dir, false, 60000, errors});
    EXPECT_EQ(r.status, RunStatus::Finished);
    EXPECT_EQ(r.exitCode, 7);
    EXPECT_EQ(test::ReadTextFile(errors), "said 7\r\n");  // the C library writes text mode

    r = RunAndWait({"\"" + dir + "\\no such program.exe\"", "", false, 1000});
    EXPECT_EQ(r.status, RunStatus::CannotStart);
    EXPECT_NE(r.systemError, 0u);
}

TEST_F(Process, TimeOutAndStopEndTheProgramAndWhatItStarted) {
    DWORD start = GetTickCount();
    RunResult r = RunAndWait({Self("sleep 60000"), "", false, 300});
    EXPECT_EQ(r.status, RunStatus::TimedOut);
    EXPECT_LT(GetTickCount() - start, 30000u);

    std::string pidFile = dir + "\\sleeper.pid";
    std::thread stopper([&] {
        for (int i = 0; i < 600 && GetFileAttributesA(pidFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
        Sleep(100);
        processBackend().requestStop();
    });
    r = RunAndWait({Self("spawn-sleeper \"" + pidFile + "\""), "", false, 0});
    stopper.join();
    EXPECT_EQ(r.status, RunStatus::Stopped);
    DWORD pid = std::stoul(test::ReadTextFile(pidFile));
    HANDLE sleeper = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (sleeper) {  // gone already, or ending
        EXPECT_EQ(WaitForSingleObject(sleeper, 5000), WAIT_OBJECT_0) << "the grandchild still runs";
        CloseHandle(sleeper);
    }
}

// A run's own stop holds from the moment it is asked: asked before the program starts, the run
// never starts it; asked from another thread meanwhile, the program ends.
TEST_F(Process, ARunsOwnStopIsNeverLost) {
    auto stop = std::make_shared<StopFlag>();
    stop->requested = true;
    std::string errors = dir + "\never.txt";
    RunResult r = RunAndWait({Self("exit-with 3"), dir, false, 0, errors, stop});
    EXPECT_EQ(r.status, RunStatus::Stopped);
    EXPECT_EQ(GetFileAttributesA(errors.c_str()), INVALID_FILE_ATTRIBUTES);  // nothing ran

    stop = std::make_shared<StopFlag>();
    std::thread stopper([&] {
        Sleep(500);
        stop->requested = true;
    });
    DWORD start = GetTickCount();
    r = RunAndWait({Self("sleep 60000"), "", false, 0, {}, stop});
    stopper.join();
    EXPECT_EQ(r.status, RunStatus::Stopped);
    EXPECT_LT(GetTickCount() - start, 30000u);
}

}  // namespace
}  // namespace tarvo::platform
