// The Win32 test program. Besides the tests, it serves as the second process that some tests
// start to read back what the first one wrote: "tarvo_win_tests --child NAME ...".
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "child_win.h"

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0)
        return tarvo::test::RunChild(argv[2], argc - 3, argv + 3);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
