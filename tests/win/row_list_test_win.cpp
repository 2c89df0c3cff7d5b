// The output list's own list window: rows made on demand past the 16-bit limits of scroll
// positions, what it answers to the list box messages, and what it tells its parent about the
// keyboard and the mouse.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/row_list_win.h"

namespace tarvo::shell {
namespace {

constexpr int kId = 77;

// What the parent heard: notification codes and the keys offered to it.
struct Heard {
    std::vector<int> codes;
    std::vector<int> keys;
    LRESULT keyAnswer = -1;
};
Heard heard;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == kId) {
        heard.codes.push_back(HIWORD(wParam));
        return 0;
    }
    if (message == WM_VKEYTOITEM) {
        heard.keys.push_back(LOWORD(wParam));
        return heard.keyAnswer;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class RowListTest : public ::testing::Test {
protected:
    void SetUp() override {
        heard = {};
        WNDCLASSA c{};
        c.lpfnWndProc = ParentProc;
        c.hInstance = GetModuleHandleA(nullptr);
        c.lpszClassName = "RowListTestParent";
        RegisterClassA(&c);
        parent = CreateWindowExA(0, "RowListTestParent", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                 c.hInstance, nullptr);
        ASSERT_TRUE(parent);
        list = CreateRowList(parent, kId, LBS_NOTIFY | LBS_WANTKEYBOARDINPUT, 0);
        ASSERT_TRUE(list);
        SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        MoveWindow(list, 0, 0, 300, 10 * Height() + 3, TRUE);  // ten whole rows in view
    }
    void TearDown() override { DestroyWindow(parent); }

    int Height() const { return static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0)); }
    std::string Text(WPARAM row) const {
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, row, 0);
        if (length == LB_ERR) return "(none)";
        std::string text(static_cast<std::size_t>(length) + 1, '?');
        EXPECT_EQ(SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data())), length);
        EXPECT_EQ(text.back(), '\0');
        text.pop_back();
        return text;
    }
    LRESULT Top() const { return SendMessageA(list, LB_GETTOPINDEX, 0, 0); }
    LRESULT Selected() const { return SendMessageA(list, LB_GETCURSEL, 0, 0); }

    HWND parent = nullptr;
    HWND list = nullptr;
};

TEST_F(RowListTest, MadeRowsAnswerAsAListBoxAndScrollPastSixteenBits) {
    const std::size_t count = 300000;
    int made = 0;
    SetRowMaker(list, count, [&made](std::size_t i) {
        ++made;
        return "row " + std::to_string(i);
    });
    EXPECT_EQ(made, 0);  // nothing is made before it is wanted
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 300000);
    EXPECT_EQ(Text(299999), "row 299999");
    EXPECT_EQ(Text(300000), "(none)");
    EXPECT_EQ(Selected(), LB_ERR);

    // A chosen row is brought into view from either side.
    EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 250000, 0), 250000);
    EXPECT_EQ(Top(), 250000 - 9);
    EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 70000, 0), 70000);
    EXPECT_EQ(Top(), 70000);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &info));
    EXPECT_EQ(info.nMax, 299999);
    EXPECT_EQ(info.nPos, 70000);
    EXPECT_EQ(info.nPage, 10u);

    SendMessageA(list, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(Top(), 300000 - 10);  // the last row at the bottom, not alone at the top
    SendMessageA(list, WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(Top(), 300000 - 20);
    SendMessageA(list, WM_VSCROLL, SB_TOP, 0);
    SendMessageA(list, WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(Top(), 0);
    EXPECT_TRUE(heard.codes.empty());  // the program's own choices are not told

    // Rows added one by one to made rows: the made ones stay as they were.
    EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("added")), 300000);
    EXPECT_EQ(Text(0), "row 0");
    EXPECT_EQ(Text(300000), "added");
    EXPECT_EQ(Rows(list).size(), 300001u);

    // A row longer than what the system's conversions carry is given cut, in either form, and
    // never past the caller's buffer.
    SetRows(list, {std::string(3000, 'x') + "END"});
    EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, 0, 0), 511);
    std::wstring wide(4000, L'?');
    EXPECT_EQ(SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(wide.data())), 511);
    EXPECT_EQ(wide.substr(509, 4), std::wstring(L"xx\0?", 4));
    EXPECT_EQ(Text(0), std::string(511, 'x'));
    EXPECT_EQ(Rows(list).front().size(), 3003u);  // the row itself is whole

    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(Selected(), LB_ERR);
    EXPECT_EQ(Top(), 0);
    EXPECT_TRUE(Rows(nullptr).empty());
}

TEST_F(RowListTest, KeysAndClicksAreToldToTheParent) {
    std::vector<std::string> rows;
    for (int i = 0; i < 25; ++i) rows.push_back("message " + std::to_string(i));
    SetRows(list, rows);
    SendMessageA(list, LB_SETCURSEL, 0, 0);

    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(Selected(), 1);
    SendMessageA(list, WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_EQ(Selected(), 11);
    EXPECT_EQ(Top(), 2);
    SendMessageA(list, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(Selected(), 24);
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);  // nothing below the last
    EXPECT_EQ(Selected(), 24);
    EXPECT_EQ(heard.codes, (std::vector<int>{LBN_SELCHANGE, LBN_SELCHANGE, LBN_SELCHANGE}));
    EXPECT_EQ(heard.keys, (std::vector<int>{VK_DOWN, VK_NEXT, VK_END, VK_DOWN}));

    // The parent takes a key (-2) or names the row (a number): the list follows it.
    heard = {};
    heard.keyAnswer = -2;
    SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(Selected(), 24);
    heard.keyAnswer = 3;
    SendMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(Selected(), 3);

    // A double click on the third row in view chooses it; below the last row is nothing.
    heard = {};
    SendMessageA(list, LB_SETTOPINDEX, 10, 0);
    const int y = 2 * Height() + Height() / 2;
    SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, y));
    EXPECT_EQ(Selected(), 12);
    EXPECT_EQ(heard.codes, (std::vector<int>{LBN_SELCHANGE, LBN_DBLCLK}));
    SetRows(list, {"only"});
    heard = {};
    SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, y));
    EXPECT_TRUE(heard.codes.empty());
    EXPECT_EQ(Selected(), LB_ERR);
}

}  // namespace
}  // namespace tarvo::shell
