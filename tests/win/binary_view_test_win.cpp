// The binary editor as a user meets it: the first and last rows of a 300-byte file, a search
// that finds bytes at offset 70,000 and then says the rest holds no more, a Change with a
// backup, and a structure defined, chosen and laid over the bytes (with a screenshot).
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "base/command_ids.h"
#include "program_win.h"
#include "resource_ids.h"
#include "tools/binary_view_win.h"

namespace tarvo::test {
namespace {

std::string Lines(HWND view) {
    std::string text;
    SendMessageA(view, tools::kBinaryViewTextMessage, 0, reinterpret_cast<LPARAM>(&text));
    return text;
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

std::string LastRow(const std::string& text) {
    std::size_t end = text.find("\n--\n");
    std::size_t start = text.rfind('\n', end - 1);
    return text.substr(start + 1, end - start - 1);
}

std::uint64_t OffsetOf(HWND view) {
    std::uint64_t offset = ~std::uint64_t{0};
    SendMessageA(view, tools::kBinaryViewOffsetMessage, 0, reinterpret_cast<LPARAM>(&offset));
    return offset;
}

void Choose(HWND view, int command) { SendMessageA(view, WM_COMMAND, static_cast<WPARAM>(command), 0); }

void Value(HWND d, int kind, const char* text, bool hex) {
    SendDlgItemMessageA(d, kind, BM_CLICK, 0, 0);
    SendDlgItemMessageA(d, IDC_BIN_HEX, BM_SETCHECK, hex ? BST_CHECKED : BST_UNCHECKED, 0);
    SetDlgItemTextA(d, IDC_BIN_VALUE, text);
    Press(d, IDC_BIN_ADD);
}

class BinaryView : public ProgramTest {
protected:
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        std::string path = dir + "\\" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    HWND OpenView(const std::string& path) {
        AnswerDialogs({[&](HWND files) { ChooseInFileDialog(files, path); }});
        EXPECT_TRUE(Command(CMD_BINARY_EDITOR));
        view = FindWindowA(tools::kBinaryViewClass, nullptr);
        EXPECT_NE(view, nullptr);
        return view;
    }
    void TearDown() override {
        if (view) DestroyWindow(view);
        ProgramTest::TearDown();
    }
    HWND view = nullptr;
};

TEST_F(BinaryView, FirstAndLastRowsOfA300ByteFile) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i);
    const std::string path = WriteFile("small.bin", bytes);
    ASSERT_NE(OpenView(path), nullptr);
    EXPECT_EQ(Text(view), path);
    EXPECT_EQ(FirstLine(Lines(view)), "      0  00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f  ................");
    SendMessageA(view, WM_KEYDOWN, VK_END, 0);
    // 300 = 0x12c: twelve bytes in the last row, the items past the end left blank.
    EXPECT_EQ(LastRow(Lines(view)), "    120  20 21 22 23 24 25 26 27  28 29 2a 2b " + std::string(12, ' ') + "  !\"#$%&'()*+");
    SendMessageA(view, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(OffsetOf(view), 0u);
}

TEST_F(BinaryView, SearchFindsBytesAtOffset70000AndFindNextSaysThereAreNoMore) {
    std::string bytes(100000, '\0');
    bytes.replace(70000, 4, "\xde\xad\xbe\xef");
    ASSERT_NE(OpenView(WriteFile("big.bin", bytes)), nullptr);
    AnswerDialogs({[](HWND d) {
        Press(d, IDOK);  // nothing to search for: refused
        Value(d, IDC_BIN_KIND_8, "1ff", true);  // does not fit: refused
        Value(d, IDC_BIN_KIND_8, "de", true);
        Value(d, IDC_BIN_KIND_8, "173", false);
        SendDlgItemMessageA(d, IDC_BIN_KIND_16, BM_CLICK, 0, 0);
        SendDlgItemMessageA(d, IDC_BIN_HEX, BM_SETCHECK, BST_CHECKED, 0);
        SetDlgItemTextA(d, IDC_BIN_VALUE, "efbe");  // taken by OK as if added
        Press(d, IDOK);
    }});
    Choose(view, IDC_BIN_SEARCH);
    EXPECT_EQ(OffsetOf(view), 70000u);
    EXPECT_EQ(FirstLine(Lines(view)), "  11170  de ad be ef 00 00 00 00  00 00 00 00 00 00 00 00  ................");
    Choose(view, IDC_BIN_FIND_NEXT);  // continues after the match: none
    EXPECT_EQ(OffsetOf(view), 70000u);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Nothing to search for: add a value first", "1ff does not fit in 8 bits",
                                                    "String not found"}));
}

TEST_F(BinaryView, ChangeWithBackupAndAFileChangedOnDisk) {
    std::string old;
    for (int i = 0; i < 300; ++i) old += static_cast<char>('a' + i % 26);
    const std::string path = WriteFile("data.bin", old);
    ASSERT_NE(OpenView(path), nullptr);
    AnswerDialogs({[](HWND prompt) {
        SetDlgItemTextA(prompt, IDC_EDIT, "10");  // hexadecimal offsets: 16
        Press(prompt, IDOK);
    }});
    Choose(view, IDC_BIN_GO_TO);
    ASSERT_EQ(OffsetOf(view), 16u);
    AnswerDialogs({[](HWND d) {
        SetDlgItemTextA(d, IDC_BIN_REPLACED, "3");
        EXPECT_EQ(Text(GetDlgItem(d, IDC_BIN_BLOCK)), "10 - 12");
        EXPECT_EQ(Text(GetDlgItem(d, IDC_BIN_BLOCK_SIZE)), "3 bytes");
        EXPECT_EQ(Text(GetDlgItem(d, IDC_BIN_BLOCK_BYTES)), "71 72 73 ");
        Value(d, IDC_BIN_KIND_TEXT, "XY", false);
        SendDlgItemMessageA(d, IDC_BIN_BACKUP, BM_SETCHECK, BST_CHECKED, 0);
        Press(d, IDOK);
    }});
    Choose(view, IDC_BIN_CHANGE);
    std::string changed = old;
    changed.replace(16, 3, "XY");
    EXPECT_EQ(ReadFile(path), changed);
    EXPECT_EQ(ReadFile(dir + "\\data.~bi"), old);
    EXPECT_EQ(OffsetOf(view), 16u);
    EXPECT_EQ(FirstLine(Lines(view)).substr(0, 15), "     10  58 59 ");

    // Changed behind the view's back: refused, and the view shows the file as it now is.
    WriteFile("data.bin", "0123456789abcdefghijklmnopqrstuvwxyz");
    AnswerDialogs({[](HWND d) {
        Value(d, IDC_BIN_KIND_8, "0", false);
        Press(d, IDOK);
    }});
    Choose(view, IDC_BIN_CHANGE);
    EXPECT_EQ(ReadFile(path), "0123456789abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(BoxTexts().back(), path + " changed on disk since it was read. Nothing was changed; it is shown again as it is now.");
    EXPECT_EQ(FirstLine(Lines(view)).substr(0, 15), "     10  67 68 ");
}

TEST_F(BinaryView, AStructureDefinedChosenAndLaidOverTheBytes) {
    std::string bytes = "MZ";
    bytes += std::string("\x90\x00\x03\x00", 4);
    bytes += std::string("\x05tarvo", 6);
    bytes += std::string("\x00\x00\x00\x80", 4);
    bytes += "tail bytes";
    const std::string data = WriteFile("image.bin", bytes);
    const std::string structs = dir + "\\types.str";
    ASSERT_NE(OpenView(data), nullptr);
    AnswerDialogs({
        [](HWND d) {
            SetDlgItemTextA(d, IDC_BIN_STRUCT_NAME, "image header");
            auto field = [&](const char* name, int type, const char* count) {
                SetDlgItemTextA(d, IDC_BIN_FIELD_NAME, name);
                SendDlgItemMessageA(d, IDC_BIN_FIELD_TYPE, CB_SETCURSEL, static_cast<WPARAM>(type), 0);
                SetDlgItemTextA(d, IDC_BIN_FIELD_COUNT, count);
                Press(d, IDC_BIN_FIELD_ADD);
            };
            field("it's", 0, "2");    // refused: an apostrophe
            field("magic", 0, "0");   // refused: no elements
            field("magic", 0, "2");
            field("", 3, "2");
            field("name", 9, "1");
            field("bits", 12, "1");
            Press(d, IDOK);
        },
        [&](HWND prompt) {
            SetDlgItemTextA(prompt, IDC_EDIT, structs.c_str());
            Press(prompt, IDOK);
        },
    });
    Choose(view, IDC_BIN_DEFINE);
    EXPECT_EQ(ReadFile(structs), "/* tarvo structures definition */\nimage header\n{\n'magic'0[2]\n''3[2]\n'name'9[1]\n'bits'12[1]\n}\n");
    Choose(view, IDC_BIN_NO_STRUCTURE);
    AnswerDialogs({
        [&](HWND files) { ChooseInFileDialog(files, structs); },
        [](HWND choose) {
            EXPECT_EQ(SendDlgItemMessageA(choose, IDC_BIN_STRUCTURES, LB_GETCOUNT, 0, 0), 1);
            Press(choose, IDOK);
        },
    });
    Choose(view, IDC_BIN_CHOOSE);
    const std::string text = Lines(view);
    const std::string overlay = text.substr(text.find("--\n") + 3);
    EXPECT_EQ(overlay, "magic character[2]  0: M Z \n"
                       "noname unsigned 16[2]  2: 90 3 \n"
                       "name Ascii pascal[1]  6: tarvo \n"
                       "bits Bit Inversed[1]  c:           1  \n"
                       "'t' 'a' 'i' 'l' ' ' 'b' 'y' 't' 'e' 's' \n");
    // In front of the frame, beside it, and given time to reach the display.
    SetWindowPos(view, HWND_TOP, 120, 60, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(view);
    Sync();
    WaitUntil([] { return false; }, 300);
    RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE | RDW_ALLCHILDREN);
    GdiFlush();
    Screenshot(dir + "\\binview.bmp");
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                              "A name may not hold an apostrophe or a control character; a structure's name has 1 to 255 characters",
                              "The count goes from 1 to 65536"}));
}

}  // namespace
}  // namespace tarvo::test
