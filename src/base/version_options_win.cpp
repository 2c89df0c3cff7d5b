#include "base/version_options_win.h"

#include <span>

#include "base/dialogs_win.h"
#include "resource_ids.h"

namespace tarvo::base {
namespace {

struct OptionBox {
    int id;
    long bit;
};
constexpr OptionBox kPutBoxes[] = {{IDC_CMS_PUT_KEEP, 4}, {IDC_CMS_PUT_QUIET, 8}, {IDC_CMS_PUT_LOCK, 32}};
constexpr OptionBox kGetBoxes[] = {{IDC_CMS_GET_LOCK, 2}, {IDC_CMS_GET_QUIET, 8}, {IDC_CMS_GET_OVERWRITE, 32}};
constexpr OptionBox kFileBoxes[] = {{IDC_CMS_READ_ONLY, 1}};

void show(HWND dialog, std::span<const OptionBox> boxes, long value) {
    for (const OptionBox& b : boxes) Check(dialog, b.id, value & b.bit);
}
// Only the bits of the boxes change: others a later version may use are kept.
long read(HWND dialog, std::span<const OptionBox> boxes, long value) {
    for (const OptionBox& b : boxes) value = Checked(dialog, b.id) ? value | b.bit : value & ~b.bit;
    return value;
}

}  // namespace

void ShowVersionOptions(HWND dialog, const ProjectSettings& p) {
    show(dialog, kPutBoxes, p.putOptions);
    show(dialog, kGetBoxes, p.getOptions);
    show(dialog, kFileBoxes, p.fileOptions);
    Check(dialog, IDC_CMS_CASE, !(p.usersOptions & 1));
    CheckRadioButton(dialog, IDC_CMS_LOCKS_USE, IDC_CMS_LOCKS_IGNORE,
                     p.lockOptions & 1 ? IDC_CMS_LOCKS_USE : IDC_CMS_LOCKS_IGNORE);
}

void ReadVersionOptions(HWND dialog, ProjectSettings& p) {
    p.putOptions = read(dialog, kPutBoxes, p.putOptions);
    p.getOptions = read(dialog, kGetBoxes, p.getOptions);
    p.fileOptions = read(dialog, kFileBoxes, p.fileOptions);
    p.usersOptions = Checked(dialog, IDC_CMS_CASE) ? p.usersOptions & ~1L : p.usersOptions | 1;
    p.lockOptions = Checked(dialog, IDC_CMS_LOCKS_USE) ? p.lockOptions | 1 : p.lockOptions & ~1L;
}

}  // namespace tarvo::base
