// The symbol index's call contract: a negative answer for what it does not know, the first
// library of the table for a name several export, and buffers never overrun.
#include <gtest/gtest.h>

#include <cstring>

#include "apilist_core.h"

namespace tarvo::testbed {
namespace {

constexpr ApiEntry kTable[] = {
    {"timeGetTime", "winmm"}, {"send", "ws2_32"}, {"MessageBoxA", "user32"},
    {"send", "wsock32"},      {"Sleep", "kernel32"}, {"sleep", "msvcrt"},
};

TEST(ApiList, FindsLibrariesAsTheCallPromises) {
    char library[256], detail[256];
    EXPECT_EQ(FindApi(kTable, "timeGetTime", library, detail, sizeof library), 0);
    EXPECT_STREQ(library, "winmm.lib");
    EXPECT_STREQ(detail, "winmm.dll");
    EXPECT_EQ(FindApi(kTable, "send", library, detail, sizeof library), 0);
    EXPECT_STREQ(library, "ws2_32.lib");  // the table's first
    EXPECT_EQ(FindApi(kTable, "Sleep", library, detail, sizeof library), 0);
    EXPECT_STREQ(library, "kernel32.lib");  // names are exact: sleep is another function
    for (const char* unknown : {"", "timegettime", "MessageBox", "zzz", "MessageBoxAA"})
        EXPECT_LT(FindApi(kTable, unknown, library, detail, sizeof library), 0) << unknown;
    EXPECT_LT(FindApi(kTable, nullptr, library, detail, sizeof library), 0);

    char tiny[6];
    std::memset(tiny, 'x', sizeof tiny);
    EXPECT_EQ(FindApi(kTable, "timeGetTime", tiny, detail, sizeof tiny), 0);
    EXPECT_STREQ(tiny, "winmm");  // cut to the buffer, ended
}

}  // namespace
}  // namespace tarvo::testbed
