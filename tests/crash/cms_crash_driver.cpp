// The crash loop's driver: checks a file in and out until it is killed; on Windows it also saves
// a release into the settings each round.
//   cms_crash_driver <folder>
#include <cstdio>

#include "base/settings.h"
#include "cms_crash.h"
#ifdef _WIN32
#include "platform/registry_win.h"
#include "platform/settings_backend.h"
#endif

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: cms_crash_driver <folder>\n");
        return 2;
    }
    tarvo::test::ReleaseSaver save;
#ifdef _WIN32
    tarvo::platform::setSettingsBackend(tarvo::platform::RegistryBackend());
    tarvo::base::Settings& s = tarvo::base::settings();
    s.currentProject = "crash";
    s.projects = {"crash"};
    tarvo::base::ReadReleases(s);
    save = [&s](int k, const std::string& revision) {
        tarvo::test::AddCrashRelease(s.project.releases, k, revision, tarvo::test::CrashDate(k));
        return tarvo::base::WriteReleases(s);
    };
#endif
    return tarvo::test::RunCrashDriver(argv[1], save);
}
