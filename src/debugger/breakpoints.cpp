#include "debugger/breakpoints.h"

#include <algorithm>

namespace tarvo::debugger {

Breakpoint* BreakpointTable::Insert(const CodeAccess& code, Breakpoint record) {
    auto patch = patches_.find(record.address);
    if (patch == patches_.end()) {
        std::uint8_t saved = 0;
        if (!code.read(record.address, saved) || !code.write(record.address, kBreakInstruction)) return nullptr;
        patch = patches_.emplace(record.address, Patch{saved, 0, false}).first;
    }
    ++patch->second.count;
    record.id = nextId_++;
    records_.push_front(record);
    return &records_.front();
}

bool BreakpointTable::Remove(const CodeAccess& code, int id) {
    auto it = std::find_if(records_.begin(), records_.end(), [id](const Breakpoint& b) { return b.id == id; });
    if (it == records_.end()) return false;
    auto patch = patches_.find(it->address);
    if (patch != patches_.end() && --patch->second.count <= 0) {
        // A lifted patch already has the program's byte in place.
        if (!patch->second.lifted) code.write(it->address, patch->second.saved);
        patches_.erase(patch);
    }
    records_.erase(it);
    return true;
}

Breakpoint* BreakpointTable::Find(std::uint64_t address) {
    for (Breakpoint& b : records_)
        if (b.address == address) return &b;
    return nullptr;
}

Breakpoint* BreakpointTable::FindId(int id) {
    for (Breakpoint& b : records_)
        if (b.id == id) return &b;
    return nullptr;
}

Breakpoint* BreakpointTable::FindLine(int module, unsigned line, const Breakpoint* after) {
    auto it = records_.begin();
    if (after)
        while (it != records_.end() && &*it != after) ++it;
    if (after && it != records_.end()) ++it;
    for (; it != records_.end(); ++it)
        if (it->module == module && it->line == line && !(it->flags & kBreakTemporary)) return &*it;
    return nullptr;
}

bool BreakpointTable::Lift(const CodeAccess& code, std::uint64_t address) {
    auto patch = patches_.find(address);
    if (patch == patches_.end() || patch->second.lifted) return false;
    if (!code.write(address, patch->second.saved)) return false;
    patch->second.lifted = true;
    return true;
}

bool BreakpointTable::Rearm(const CodeAccess& code, std::uint64_t address) {
    auto patch = patches_.find(address);
    if (patch == patches_.end() || !patch->second.lifted) return false;
    if (!code.write(address, kBreakInstruction)) return false;
    patch->second.lifted = false;
    return true;
}

void BreakpointTable::RemoveUnflagged(const CodeAccess& code) {
    std::vector<int> ids;
    for (const Breakpoint& b : records_)
        if (b.flags == 0) ids.push_back(b.id);
    for (int id : ids) Remove(code, id);
}

void BreakpointTable::Clear(const CodeAccess* code) {
    if (code)
        for (const auto& [address, patch] : patches_)
            if (!patch.lifted) code->write(address, patch.saved);
    patches_.clear();
    records_.clear();
}

std::vector<Breakpoint> BreakpointTable::DropRange(std::uint64_t start, std::uint64_t end) {
    std::vector<Breakpoint> users;
    for (auto it = records_.begin(); it != records_.end();) {
        if (it->address >= start && it->address < end) {
            if (it->flags & kBreakUser) users.push_back(*it);
            it = records_.erase(it);
        } else {
            ++it;
        }
    }
    patches_.erase(patches_.lower_bound(start), patches_.lower_bound(end));
    return users;
}

void BreakpointTable::Unpatch(std::uint64_t address, std::span<std::uint8_t> bytes) const {
    for (auto it = patches_.lower_bound(address); it != patches_.end() && it->first - address < bytes.size(); ++it)
        if (!it->second.lifted) bytes[it->first - address] = it->second.saved;
}

}  // namespace tarvo::debugger
