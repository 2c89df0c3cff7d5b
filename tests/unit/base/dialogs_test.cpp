#include <gtest/gtest.h>

#include "base/dialogs.h"

namespace tarvo::base {
namespace {

using namespace std::string_literals;

TEST(FileDialogs, FilterPartsEndInZeroBytes) {
    std::string filter = FileDialogFilter();
    EXPECT_EQ(filter, "C sources (*.c;*.h)\0*.c;*.h\0All files (*.*)\0*.*\0\0"s);
}

TEST(FileDialogs, OneNameOrAFolderWithNames) {
    EXPECT_EQ(SelectedFiles("C:\\src\\a.c\0\0"s), (std::vector<std::string>{"C:\\src\\a.c"}));
    EXPECT_EQ(SelectedFiles("C:\\src\0a.c\0b.h\0\0"s),
              (std::vector<std::string>{"C:\\src\\a.c", "C:\\src\\b.h"}));
    EXPECT_EQ(SelectedFiles("C:\\\0a.c\0\0"s), (std::vector<std::string>{"C:\\a.c"}));  // a drive's root
    EXPECT_TRUE(SelectedFiles("\0\0"s).empty());
    EXPECT_TRUE(SelectedFiles("").empty());
}

}  // namespace
}  // namespace tarvo::base
