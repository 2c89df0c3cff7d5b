// One version number: tarvo.exe's version resource, fixed and as text, says what the About box
// and the Version command say.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/dialogs_win.h"
#include "test_util_win.h"

namespace tarvo::test {
namespace {

TEST(VersionResource, TheProgramsResourceNamesTheBuildsVersion) {
    std::string exe = BuildRoot() + "\\bin\\tarvo.exe";
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &handle);
    ASSERT_GT(size, 0u) << exe << ": error " << GetLastError();
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, data.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(TARVO_VERSION_MAJOR << 16 | TARVO_VERSION_MINOR));
    EXPECT_EQ(fixed->dwProductVersionLS, static_cast<DWORD>(TARVO_VERSION_PATCH << 16));

    for (const char* name : {"FileVersion", "ProductVersion"}) {
        char* text = nullptr;
        std::string query = std::string("\\StringFileInfo\\040904E4\\") + name;
        ASSERT_TRUE(VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)) << name;
        EXPECT_STREQ(text, TARVO_VERSION) << name;
    }
    // The About box and the Version command show this text.
    EXPECT_NE(base::VersionText().find(TARVO_VERSION), std::string::npos) << base::VersionText();
}

}  // namespace
}  // namespace tarvo::test
