// The version store's crash loop under Wine: its driver, a Windows program, is ended by
// TerminateProcess at random moments; after each end the store must be whole.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "base/settings.h"
#include "base/settings_store.h"
#include "cms_crash.h"
#include "platform/registry_win.h"
#include "platform/settings_backend.h"
#include "test_util_win.h"

namespace tarvo::test {
namespace {

constexpr int kKills = 200;
constexpr DWORD kBoundMs = 50000;  // with the checks, well within the Win32 tests' time-out of 120 s

TEST(CrashLoopUnderWine, TerminatedAtRandomTheStoreStaysWhole) {
    std::string dir = ScratchDir("cms_crash");
    std::string driver = std::string(TARVO_BUILD_DIR) + "/cms_crash_driver.exe";
    std::string command = "\"" + driver + "\" \"" + dir + "\"";
    std::mt19937 random(7122026);
    std::uniform_int_distribution<DWORD> delay(100, 300);  // a start under Wine takes about 150 ms of it
    DWORD start = GetTickCount();
    int kills = 0, revisions = 0, semaphores = 0, releases = 0;
    // The driver's releases go to this registry, under a project of their own.
    platform::setSettingsBackend(platform::RegistryBackend());
    const std::string key = std::string(base::kMainKey) + "\\crash";
    platform::settingsBackend().deleteKey(key);  // releases of an earlier run name other revisions
    platform::settingsBackend().createKey(key);
    // The drivers write nowhere and have no console: Wine gives a console program started
    // without a window a console host of its own, and the host of a driver cut off while
    // starting lingers, holding the test's output open (ctest waits for it to its time-out).
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nowhere = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                 OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(nowhere, INVALID_HANDLE_VALUE);
    for (; kills < kKills && GetTickCount() - start < kBoundMs; ++kills) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = nowhere;
        PROCESS_INFORMATION process{};
        std::string line = command;
        ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr,
                                   &startup, &process));
        bool ended = WaitForSingleObject(process.hProcess, delay(random)) == WAIT_OBJECT_0;
        DWORD code = 0;
        if (!ended) TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        ASSERT_FALSE(ended) << "the driver stopped by itself with " << code << " after " << kills << " ends";
        CrashCheck check = CheckAfterKill(dir);
        base::Settings s;
        s.currentProject = "crash";
        base::ReadReleases(s);
        for (const std::string& fault : CheckCrashReleases(dir, s.project.releases)) check.faults.push_back(fault);
        releases = std::max(releases, static_cast<int>(s.project.releases.size()));
        for (const std::string& fault : check.faults) ADD_FAILURE() << "after end " << kills + 1 << ": " << fault;
        if (!check.faults.empty()) break;
        revisions = check.revisions;
        semaphores += check.staleSemaphores;
    }
    CloseHandle(nowhere);
    EXPECT_GE(kills, kKills / 2) << "too few ends in the time";
    EXPECT_GT(revisions, 10);
    EXPECT_GT(releases, 0);
    platform::settingsBackend().deleteKey(key);
    RecordProperty("kills", kills);
    RecordProperty("releases", releases);
    RecordProperty("revisions", revisions);
    RecordProperty("staleSemaphores", semaphores);
}

}  // namespace
}  // namespace tarvo::test
