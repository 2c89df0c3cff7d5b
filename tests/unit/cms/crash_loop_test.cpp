// The version store killed at random moments: after each kill the repository reads whole,
// every revision is the text recorded for it, finished check-ins are all there, and what a
// killed operation leaves behind is only what the next one cleans up.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "cms_crash.h"
#include "editor_test_util.h"
#include "platform/files.h"

namespace tarvo::test {
namespace {

// The test command's run; bench/cms_crash_bench.sh asks for more through the environment.
int Setting(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

TEST(CrashLoop, KilledAtRandomTheStoreStaysWhole) {
    editor::test::TempDir dir;
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> delay(2, 60);
    auto start = std::chrono::steady_clock::now();
    const int kKills = Setting("TARVO_CRASH_KILLS", 200);
    const auto kBound = std::chrono::seconds(Setting("TARVO_CRASH_SECONDS", 100));
    CrashCheck total;
    int kills = 0;
    for (; kills < kKills && std::chrono::steady_clock::now() - start < kBound; ++kills) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            execl(TARVO_CMS_CRASH_DRIVER, TARVO_CMS_CRASH_DRIVER, dir.path.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        // It may only end by the kill: an exit is a failure the driver met.
        ASSERT_TRUE(WIFSIGNALED(status)) << "the driver stopped with " << WEXITSTATUS(status) << " after " << kills
                                         << " kills";
        CrashCheck check = CheckAfterKill(dir.path);
        for (const std::string& fault : check.faults) ADD_FAILURE() << "after kill " << kills + 1 << ": " << fault;
        if (!check.faults.empty()) break;
        total.staleSemaphores += check.staleSemaphores;
        total.scratchFiles += check.scratchFiles;
        total.partialLogLines += check.partialLogLines;
        total.revisions = check.revisions;
    }
    EXPECT_GE(kills, kKills);
    EXPECT_GT(total.revisions, 10);  // the loop got on between the kills (slowly under the sanitizers)
    // The checks themselves see a damaged repository.
    std::string bytes = editor::test::ReadBytes(platform::HostPath(dir.path + "\\work\\CMS\\a.c"));
    editor::test::WriteBytes(platform::HostPath(dir.path + "\\work\\CMS\\a.c"), bytes.substr(0, bytes.size() / 2));
    EXPECT_FALSE(CheckAfterKill(dir.path).faults.empty());
    RecordProperty("kills", kills);
    RecordProperty("seconds", static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(
                                   std::chrono::steady_clock::now() - start).count()));
    RecordProperty("revisions", total.revisions);
    RecordProperty("staleSemaphores", total.staleSemaphores);
    RecordProperty("scratchFiles", total.scratchFiles);
}

}  // namespace
}  // namespace tarvo::test
