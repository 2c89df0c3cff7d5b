// Function metrics on screen: the code analysis dialog shows a function counted by hand and
// moves to the next one; the plot is titled after the file, switches series from its menu, and
// a click on a line shows "name: value" and highlights it for a moment (saved as a screenshot).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "analysis/metrics_win.h"
#include "base/command_ids.h"
#include "program_win.h"
#include "resource_ids.h"

namespace tarvo::test {
namespace {

using analysis::PlotDrawing;

// Line numbers below are the lines of this text.
const char* kSource =
    "/* Sum of\r\n"                      // 1
    "   squares */\r\n"                  // 2
    "static int sum(int *v, int n)\r\n"  // 3
    "{\r\n"                              // 4
    "\tint i, s = 0;\t// total\r\n"      // 5
    "\tfor (i = 0; i < n; i++)\r\n"      // 6
    "\t\ts += v[i] * v[i];\r\n"          // 7
    "\treturn s;\r\n"                    // 8
    "}\r\n"                              // 9
    "\r\n"                               // 10
    "int twice(int x)\r\n"               // 11
    "{\r\n"                              // 12
    "\tif (x > 0) return x * 2;\r\n"     // 13
    "\twhile (x) x++;\r\n"               // 14
    "\treturn 0;\r\n"                    // 15
    "}\r\n"                              // 16
    "void empty(void) {}\r\n";           // 17

class Metrics : public ProgramTest {
protected:
    static std::string Field(HWND dialog, int id) {
        char text[256] = "";
        GetDlgItemTextA(dialog, id, text, sizeof text);
        return text;
    }
    static PlotDrawing Drawn(HWND plot) {
        PlotDrawing d;
        EXPECT_TRUE(analysis::DrawnPlot(plot, d));
        return d;
    }
    static std::string BarText(HWND plot) {
        HWND bar = FindWindowExA(plot, nullptr, STATUSCLASSNAMEA, nullptr);
        char text[256] = "";
        SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }
};

TEST_F(Metrics, TheAnalysisDialogShowsTheCountsAndGoesToTheNextFunction) {
    HWND editor = Open("m.c", kSource);
    AnswerDialogs({[](HWND dialog) {
                       EXPECT_EQ(Text(dialog), "Tarvo code analysis");
                       // Counted by hand: the comment block and seven lines; static int int int
                       // int for return and 15 operator tokens of 9 kinds; 17 operands, 5 distinct.
                       const char* expected[] = {"sum", "9",  "137",    "5",         "9",       "15",
                                                 "2",   "17", "22",     "5",         "39",      "148.487",
                                                 "0.0653595", "2271.85", "21.90", "0", "1"};
                       for (int f = 0; f < analysis::kFieldCount; ++f)
                           EXPECT_EQ(Field(dialog, IDC_MX_FIRST + f), expected[f]) << "field " << f;
                       EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_MX_IDENTIFIERS, LB_GETCOUNT, 0, 0), 5);
                       EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_MX_NEXT)));
                       Press(dialog, IDC_MX_NEXT);
                   },
                   [](HWND dialog) {
                       EXPECT_EQ(Field(dialog, IDC_MX_FIRST + analysis::kFieldName), "twice");
                       EXPECT_EQ(Field(dialog, IDC_MX_FIRST + analysis::kFieldControl), "4");  // if return while return
                       Press(dialog, IDC_MX_NEXT);
                   },
                   [](HWND dialog) {
                       // The last function: nothing comes next. void void ( ) and its name.
                       EXPECT_EQ(Field(dialog, IDC_MX_FIRST + analysis::kFieldName), "empty");
                       EXPECT_EQ(Field(dialog, IDC_MX_FIRST + analysis::kFieldLength), "5");
                       EXPECT_EQ(Field(dialog, IDC_MX_FIRST + analysis::kFieldControl), "0");
                       EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_MX_NEXT)));
                       Press(dialog, IDOK);
                   }});
    Command(CMD_CODE_ANALYSIS);
    EXPECT_EQ(Query(editor, kQueryCursorLine), 17);
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(Metrics, ThePlotShowsASeriesAndAClickNamesTheLine) {
    Open("Three.c", kSource);
    Command(CMD_ANALYSIS_PLOT);
    HWND plot = analysis::LatestPlotWindow();
    ASSERT_NE(plot, nullptr);
    EXPECT_EQ(Text(plot), "Analysis of three.c");
    EXPECT_EQ(ClassOf(plot), "clGrClass");
    Sync();
    PlotDrawing length = Drawn(plot);
    EXPECT_EQ(length.seriesTitle, "Length");
    EXPECT_EQ(length.names, (std::vector<std::string>{"sum", "twice", "empty"}));
    EXPECT_EQ(length.values[0], 39);

    // The menu's fourth entry: the control keywords counted by hand.
    SendMessageA(plot, WM_COMMAND, GetMenuItemID(GetMenu(plot), 3), 0);
    UpdateWindow(plot);
    PlotDrawing control = Drawn(plot);
    EXPECT_EQ(control.seriesTitle, "Cyclomatic complexity");
    EXPECT_EQ(control.values, (std::vector<double>{2, 4, 0}));
    ASSERT_EQ(control.layout.bars.size(), 3u);
    // The tallest line is the maximum's, the minimum's has no height.
    EXPECT_EQ(control.layout.bars[1].top, control.layout.baseline - control.layout.plotHeight);
    EXPECT_EQ(control.layout.bars[2].top, control.layout.baseline);

    const analysis::PlotBar& twice = control.layout.bars[1];
    SendMessageA(plot, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(twice.x + 2, twice.top + 5));
    UpdateWindow(plot);
    EXPECT_EQ(BarText(plot), "twice: 4");
    EXPECT_EQ(Drawn(plot).highlighted, 1);
    // Wine hands what was painted to the display a little later; the highlight lasts 800 ms.
    ULONGLONG start = GetTickCount64();
    WaitUntil([start] { return GetTickCount64() - start > 200; });
    Screenshot(dir + "\\metrics_plot.bmp");
    // The highlight goes after a moment; the text stays.
    EXPECT_TRUE(WaitUntil([&] { return Drawn(plot).highlighted == -1; }));
    EXPECT_EQ(BarText(plot), "twice: 4");
    // Right of every line: nothing is chosen.
    SendMessageA(plot, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(control.layout.bars[2].x + 10, 10));
    EXPECT_EQ(Drawn(plot).highlighted, -1);
    DestroyWindow(plot);
    EXPECT_EQ(analysis::LatestPlotWindow(), nullptr);
}

TEST_F(Metrics, AFileWithoutFunctionsIsRefused) {
    Open("none.c", "int x;\r\n");
    Command(CMD_ANALYSIS_PLOT);
    Command(CMD_CODE_ANALYSIS);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"No functions defined in this file",
                                                    "No functions defined in this file"}));
    EXPECT_EQ(analysis::LatestPlotWindow(), nullptr);
}

}  // namespace
}  // namespace tarvo::test
