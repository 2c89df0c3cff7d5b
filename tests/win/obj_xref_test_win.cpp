// The object file cross reference as a user meets it: the output folder's objects offered,
// the lists and texts of three objects, Find, the Relations picture (with a screenshot), and
// three unreadable files reported in one message with the program still working.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/command_ids.h"
#include "coff_builder.h"
#include "program_win.h"
#include "resource_ids.h"

namespace tarvo::test {
namespace {

ObjSymbol Defined(const std::string& name) { return {name, 0, 1, 2, 0x20, {}}; }
ObjSymbol Undefined(const std::string& name) { return {name, 0, 0, 2, 0, {}}; }

ByteVec Object(const std::string& source, const std::vector<ObjSymbol>& symbols) {
    ObjSpec s;
    s.sections = {{".text", 16}, {".data", 4, 0xC0000040}};
    s.symbols = {FileSymbol(source)};
    s.symbols.insert(s.symbols.end(), symbols.begin(), symbols.end());
    return BuildObject(s).bytes;
}

std::string ListItem(HWND dialog, int id, int index) {
    char text[512] = "";
    SendDlgItemMessageA(dialog, id, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

int Count(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageA(dialog, id, LB_GETCOUNT, 0, 0)); }

void Choose(HWND dialog, int id, int index) {
    SendDlgItemMessageA(dialog, id, LB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

class ObjXref : public ProgramTest {
protected:
    void Write(const std::string& name, const ByteVec& bytes) { ASSERT_TRUE(WriteBytes(dir + "\\" + name, bytes)); }
    void InFolder() { ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str())); }
};

TEST_F(ObjXref, ThreeObjectsShowTheirListsTextsFindAndRelations) {
    Write("main.obj", Object("main.c", {Defined("_main"), Undefined("_f"), Undefined("_g")}));
    Write("a.obj", Object("a.c", {Defined("_f"), Defined("_lonely")}));
    Write("b.obj", Object("b.c", {Defined("_g"), Undefined("_f")}));
    InFolder();
    HWND relations = nullptr;
    AnswerDialogs({
        [](HWND files) {
            EXPECT_EQ(Count(files, IDC_XREF_FILES), 3);  // the folder's objects, all chosen
            Press(files, IDOK);
        },
        [&](HWND xref) {
            EXPECT_EQ(Text(xref), "Obj Xref");
            ASSERT_EQ(Count(xref, IDC_XREF_MODULES), 3);
            EXPECT_EQ(ListItem(xref, IDC_XREF_MODULES, 0), "a.obj");  // sorted by name
            EXPECT_EQ(Text(GetDlgItem(xref, IDC_XREF_MODULE_TEXT)), "a.obj\ncode: 16, data: 4\nbss: 0");
            EXPECT_EQ(Text(GetDlgItem(xref, IDC_XREF_TOTALS)), "Totals\nDATA:   12\nBSS:      0\nCODE:   48\nOTHER: 0\n");
            EXPECT_EQ(ListItem(xref, IDC_XREF_UNREFERENCED, 0), "_lonely");
            Choose(xref, IDC_XREF_PUBLICS, 0);
            EXPECT_EQ(Text(GetDlgItem(xref, IDC_XREF_SYMBOL_TEXT)), "Used in: b.obj, main.obj\n(size 0)");
            Choose(xref, IDC_XREF_MODULES, 2);
            EXPECT_EQ(Text(GetDlgItem(xref, IDC_XREF_SYMBOL_COUNT)), "3 Symbols");
            ASSERT_EQ(Count(xref, IDC_XREF_EXTERNS), 2);
            Choose(xref, IDC_XREF_EXTERNS, 1);
            EXPECT_EQ(Text(GetDlgItem(xref, IDC_XREF_SYMBOL_TEXT)), "_g defined in b.obj");
            Press(xref, IDC_XREF_FIND);
            Press(xref, IDC_XREF_PLOT);
            relations = FindWindowA("tarvoRelations", nullptr);
            ASSERT_NE(relations, nullptr);
            RedrawWindow(relations, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
            GdiFlush();
            Screenshot(dir + "\\relations.bmp");
            Press(xref, IDOK);
        },
        [](HWND prompt) {
            EXPECT_EQ(Text(prompt), "ObjXRef");
            SetDlgItemTextA(prompt, IDC_EDIT, "f");
            Press(prompt, IDOK);
        },
    });
    Command(CMD_OBJ_XREF);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Defined in a.obj.   Used in b.obj, main.obj"});
    ASSERT_NE(relations, nullptr);
    EXPECT_EQ(Text(relations), "Relations");
    DestroyWindow(relations);
}

TEST_F(ObjXref, ThreeBadFilesGiveOneMessageAndNoFilesChosenIsRefused) {
    Write("good.obj", Object("good.c", {Defined("_good")}));
    Write("bad1.obj", {0x4C, 0x01});
    ByteVec cut = Object("cut.c", {Defined("_cut")});
    cut.resize(cut.size() - 10);  // the symbol table cut short
    Write("bad2.obj", cut);
    Write("bad3.obj", ByteVec(100, 'x'));
    InFolder();
    AnswerDialogs({
        [](HWND files) {
            SendDlgItemMessageA(files, IDC_XREF_FILES, LB_SETSEL, FALSE, -1);
            Press(files, IDOK);  // nothing chosen: refused, the dialog stays
            SendDlgItemMessageA(files, IDC_XREF_FILES, LB_SETSEL, TRUE, -1);
            Press(files, IDOK);
        },
        [](HWND xref) {
            EXPECT_EQ(Count(xref, IDC_XREF_MODULES), 1);
            Press(xref, IDOK);
        },
    });
    Command(CMD_OBJ_XREF);
    std::vector<std::string> boxes = BoxTexts();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "No files selected");
    EXPECT_EQ(boxes[1], "These files were skipped:\nbad1.obj: Unrecognized file format\n"
                        "bad2.obj: its symbol table lies past the end of the file\nbad3.obj: Unrecognized file format\n");
}

}  // namespace
}  // namespace tarvo::test
