#include "base/key_accelerators_win.h"

#include <windows.h>

#include "base/app_win.h"
#include "base/messages.h"

namespace tarvo::base {
namespace {

constexpr unsigned kAcceleratorsName = 3979;
constexpr unsigned kFrameKeysName = 3980;
constexpr unsigned kMenuName = 3978;

std::vector<Accelerator> resourceTable(unsigned nameId) {
    HACCEL table = LoadAcceleratorsA(app().instance, GetString(nameId));
    std::vector<Accelerator> out;
    if (!table) return out;
    int count = CopyAcceleratorTableA(table, nullptr, 0);
    std::vector<ACCEL> entries(static_cast<size_t>(count > 0 ? count : 0));
    CopyAcceleratorTableA(table, entries.data(), count);
    for (const ACCEL& e : entries) {
        if (!(e.fVirt & FVIRTKEY)) continue;  // our tables hold virtual keys only
        int mods = (e.fVirt & FCONTROL ? kModCtrl : 0) | (e.fVirt & FALT ? kModAlt : 0) |
                   (e.fVirt & FSHIFT ? kModShift : 0);
        out.push_back({e.key, mods, e.cmd});
    }
    return out;
}

HACCEL makeTable(const std::vector<Accelerator>& accelerators) {
    std::vector<ACCEL> entries;
    for (const Accelerator& a : accelerators) {
        BYTE flags = FVIRTKEY | (a.mods & kModCtrl ? FCONTROL : 0) | (a.mods & kModAlt ? FALT : 0) |
                     (a.mods & kModShift ? FSHIFT : 0);
        entries.push_back({flags, static_cast<WORD>(a.key), static_cast<WORD>(a.command)});
    }
    return entries.empty() ? nullptr : CreateAcceleratorTableA(entries.data(), static_cast<int>(entries.size()));
}

void replace(HACCEL& inUse, HACCEL& made, HACCEL fresh) {
    if (!fresh) return;  // the table in use stays rather than none
    if (made) DestroyAcceleratorTable(made);
    inUse = made = fresh;
}

std::string itemText(HMENU menu, UINT item, UINT by) {
    char text[256] = "";
    GetMenuStringA(menu, item, text, sizeof text, by);
    return text;
}

std::string label(const std::string& text) { return text.substr(0, text.find('\t')); }

// Each item of the menu in use gets its resource text with the keys the table now gives; an
// item whose label the program changed meanwhile (the build's Make item) is left to its owner.
void relabel(HMENU menu, HMENU resource) {
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            relabel(sub, resource);
            continue;
        }
        UINT id = GetMenuItemID(menu, i);
        if (id == 0 || id == static_cast<UINT>(-1)) continue;
        std::string original = itemText(resource, id, MF_BYCOMMAND);
        std::string now = itemText(menu, static_cast<UINT>(i), MF_BYPOSITION);
        if (original.empty() || label(original) != label(now)) continue;
        std::string wanted = MenuTextWithKeys(original, static_cast<int>(id));
        if (wanted == now) continue;
        MENUITEMINFOA changed{};
        changed.cbSize = sizeof changed;
        changed.fMask = MIIM_STRING;
        changed.dwTypeData = wanted.data();
        SetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &changed);
    }
}

}  // namespace

std::string MenuTextWithKeys(const std::string& text, int command) {
    return MenuTextFollowingKeys(text, command, commandKeys());
}

void FollowKeyTable() {
    App& a = app();
    const std::vector<CommandKey>& rows = commandKeys();
    replace(a.accelerators, a.madeAccelerators, makeTable(FollowKeyRows(resourceTable(kAcceleratorsName), rows)));
    replace(a.frameKeys, a.madeFrameKeys, makeTable(FollowKeyRows(resourceTable(kFrameKeysName), rows)));
    HMENU resource = LoadMenuA(a.instance, GetString(kMenuName));
    if (a.mainMenu && resource) {
        relabel(a.mainMenu, resource);
        if (a.frame) DrawMenuBar(a.frame);
    }
    if (resource) DestroyMenu(resource);
}

std::vector<Accelerator> FixedAccelerators() {
    std::vector<Accelerator> fixed;
    for (unsigned name : {kAcceleratorsName, kFrameKeysName})
        for (const Accelerator& a : resourceTable(name))
            if (!FollowsKeyRow(a)) fixed.push_back(a);
    return fixed;
}

}  // namespace tarvo::base
