// The crash loop's driver: checks a file in and out until it is killed.
//   cms_crash_driver <folder>
#include <cstdio>

#include "cms_crash.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: cms_crash_driver <folder>\n");
        return 2;
    }
    return tarvo::test::RunCrashDriver(argv[1]);
}
