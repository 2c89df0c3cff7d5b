// A list of text rows that draws only the rows in view, so that a list of some hundred thousand
// rows (a grep of a frequent word) is filled at once: the rows are handed over whole, not added
// one by one into the system's list box. It answers the list box messages the program and its
// tests use (LB_ADDSTRING, LB_RESETCONTENT, LB_GETCOUNT, LB_GETTEXT(LEN), LB_GET/SETCURSEL,
// LB_GET/SETTOPINDEX, LB_GETITEMHEIGHT) and tells its parent what a list box would
// (LBN_SELCHANGE, LBN_DBLCLK, WM_VKEYTOITEM).
#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tarvo::shell {

// A child window of the row list's class; `style` adds to WS_CHILD | WS_VSCROLL.
HWND CreateRowList(HWND parent, int id, DWORD style, DWORD exStyle);
// The rows replaced at once; none selected, the first in view.
void SetRows(HWND list, std::vector<std::string> rows);
// The same, for `count` rows whose texts are made when they are wanted (drawn or asked for).
void SetRowMaker(HWND list, std::size_t count, std::function<std::string(std::size_t)> row);
// The rows as they stand: those of SetRows and LB_ADDSTRING; none while they are made.
const std::vector<std::string>& Rows(HWND list);

}  // namespace tarvo::shell
