#include "tools/string_table_win.h"

#include <windows.h>

#include "base/dialogs_win.h"
#include "base/messages.h"
#include "editor/cursor.h"
#include "platform/text.h"
#include "resource_ids.h"
#include "tools/string_table_command.h"
#include "tools/string_table_messages.h"

namespace tarvo::tools {

bool StringTableCommand() {
    editor::Document* doc = editor::CurrentDocument();
    if (!doc) return false;
    StringOptions options = stringOptions();
    if (options.arrayFile.empty()) options.arrayFile = DefaultArrayFile(doc->name);
    base::DialogPlan plan{
        [&](HWND dialog) {
            SetWindowTextA(dialog, base::GetString(kMsgStringsTitle));
            const bool array = options.flags & kStringsArray;
            base::Check(dialog, IDC_STR_ARRAY, array);
            base::Check(dialog, IDC_STR_RESOURCE, !array);
            base::Check(dialog, IDC_STR_IDENTIFIERS, options.flags & kStringsIdentifiers);
            base::Check(dialog, IDC_STR_CALL, options.flags & kStringsCall);
            SetDlgItemTextA(dialog, IDC_STR_PREFIX, options.prefix.c_str());
            SetDlgItemTextA(dialog, IDC_STR_ARRAY_NAME, options.arrayName.c_str());
            SetDlgItemTextA(dialog, IDC_STR_FUNCTION, options.functionName.c_str());
            SetDlgItemTextA(dialog, IDC_STR_ARRAY_FILE, options.arrayFile.c_str());
        },
        [&](HWND dialog) -> INT_PTR {
            StringOptions read;
            read.flags = 0;
            if (base::Checked(dialog, IDC_STR_ARRAY)) read.flags |= kStringsArray;
            if (base::Checked(dialog, IDC_STR_IDENTIFIERS)) read.flags |= kStringsIdentifiers;
            if (base::Checked(dialog, IDC_STR_CALL)) read.flags |= kStringsCall;
            read.prefix = base::ItemText(dialog, IDC_STR_PREFIX);
            read.arrayName = base::ItemText(dialog, IDC_STR_ARRAY_NAME);
            read.functionName = base::ItemText(dialog, IDC_STR_FUNCTION);
            read.arrayFile = base::ItemText(dialog, IDC_STR_ARRAY_FILE);
            std::string badName;
            if (unsigned error = CheckStringOptions(read, badName)) {
                base::ErrorBox(Printf(base::GetString(error), badName.c_str()));
                return base::kStayOpen;
            }
            options = read;
            return IDOK;
        }};
    if (base::RunDialog(IDD_STRING_TABLE, plan) != IDOK) return false;
    stringOptions() = options;
    // The array file follows the document next time unless another was chosen.
    if (options.arrayFile == DefaultArrayFile(doc->name)) stringOptions().arrayFile.clear();
    return MoveStrings(options);
}

}  // namespace tarvo::tools
