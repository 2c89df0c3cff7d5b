#include "debugger/registers.h"

#include <cstring>

namespace tarvo::debugger {
namespace {

// The attach reads only the leading part of an i386 context, so every field of the record
// must lie inside it.
constexpr bool FitsSavedContext(const ContextLayout& l) {
    std::size_t last = l.ip;
    for (std::size_t at : {l.eflags, l.cs, l.ds, l.es, l.fs, l.gs, l.ss, l.dr[3], l.dr6, l.dr7, l.fpTag})
        last = at > last ? at : last;
    for (int i = 0; i < l.generalCount; ++i) last = l.general[i] > last ? l.general[i] : last;
    return last + l.word <= kI386SavedContextSize &&
           l.fpRegisters + 8 * l.fpRegisterStride <= kI386SavedContextSize;
}
static_assert(FitsSavedContext(kI386Context));

std::uint64_t Load(Bytes blob, std::size_t at, std::size_t width) {
    switch (width) {
    case 1: return Get<std::uint8_t>(blob, at);
    case 2: return Get<std::uint16_t>(blob, at);
    case 4: return Get<std::uint32_t>(blob, at);
    default: return Get<std::uint64_t>(blob, at);
    }
}

void Store(std::span<std::uint8_t> blob, std::size_t at, std::size_t width, std::uint64_t v) {
    for (std::size_t i = 0; i < width; ++i) blob[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Callers have checked the blob's length against the layout.
void Decode(const ContextLayout& l, Bytes blob, Registers& out) {
    Registers r;
    r.ip = Load(blob, l.ip, l.word);
    r.flags = static_cast<std::uint32_t>(Load(blob, l.eflags, 4));
    for (int i = 0; i < l.generalCount; ++i) r.general[i] = Load(blob, l.general[i], l.word);
    auto segment = [&](std::size_t at) { return static_cast<std::uint16_t>(Load(blob, at, l.segmentWidth)); };
    r.cs = segment(l.cs), r.ds = segment(l.ds), r.es = segment(l.es);
    r.fs = segment(l.fs), r.gs = segment(l.gs), r.ss = segment(l.ss);
    for (int i = 0; i < 4; ++i) r.dr[i] = Load(blob, l.dr[i], l.word);
    r.dr6 = Load(blob, l.dr6, l.word);
    r.dr7 = Load(blob, l.dr7, l.word);
    r.fpControl = static_cast<std::uint16_t>(Load(blob, l.fpControl, l.fpWordWidth));
    r.fpStatus = static_cast<std::uint16_t>(Load(blob, l.fpStatus, l.fpWordWidth));
    r.fpTag = l.abridgedTag ? FullTagWord(Get<std::uint8_t>(blob, l.fpTag))
                            : static_cast<std::uint16_t>(Load(blob, l.fpTag, l.fpWordWidth));
    for (int i = 0; i < 8; ++i) std::memcpy(r.st[i], blob.data() + l.fpRegisters + i * l.fpRegisterStride, 10);
    out = r;
}

}  // namespace

const ContextLayout& ContextLayoutOf(const Target& target) {
    return target.machine == kMachineAmd64 ? kAmd64Context : kI386Context;
}

std::size_t ContextSize(const Target& target) { return ContextLayoutOf(target).size; }

std::uint32_t ContextFlags(const Target& target, std::uint32_t parts) {
    return ContextLayoutOf(target).machineFlag | (parts & kAllParts);
}

void SetContextFlags(const Target& target, std::span<std::uint8_t> blob, std::uint32_t parts) {
    const ContextLayout& l = ContextLayoutOf(target);
    if (blob.size() < l.contextFlags + 4) return;
    Store(blob, l.contextFlags, 4, ContextFlags(target, parts));
}

bool DecodeContext(const Target& target, Bytes blob, Registers& out) {
    const ContextLayout& l = ContextLayoutOf(target);
    if (blob.size() < l.size) return false;
    Decode(l, blob, out);
    return true;
}

bool DecodeI386SavedContext(Bytes saved, Registers& out) {
    if (saved.size() < kI386SavedContextSize) return false;
    Decode(kI386Context, saved, out);
    return true;
}

bool EncodeContext(const Target& target, const Registers& in, std::span<std::uint8_t> blob) {
    const ContextLayout& l = ContextLayoutOf(target);
    if (blob.size() < l.size) return false;
    Store(blob, l.ip, l.word, in.ip);
    Store(blob, l.eflags, 4, in.flags);
    for (int i = 0; i < l.generalCount; ++i) Store(blob, l.general[i], l.word, in.general[i]);
    Store(blob, l.cs, l.segmentWidth, in.cs);
    Store(blob, l.ds, l.segmentWidth, in.ds);
    Store(blob, l.es, l.segmentWidth, in.es);
    Store(blob, l.fs, l.segmentWidth, in.fs);
    Store(blob, l.gs, l.segmentWidth, in.gs);
    Store(blob, l.ss, l.segmentWidth, in.ss);
    for (int i = 0; i < 4; ++i) Store(blob, l.dr[i], l.word, in.dr[i]);
    Store(blob, l.dr6, l.word, in.dr6);
    Store(blob, l.dr7, l.word, in.dr7);
    Store(blob, l.fpControl, l.fpWordWidth, in.fpControl);
    Store(blob, l.fpStatus, l.fpWordWidth, in.fpStatus);
    if (l.abridgedTag) blob[l.fpTag] = AbridgedTag(in.fpTag);
    else Store(blob, l.fpTag, l.fpWordWidth, in.fpTag);
    for (int i = 0; i < 8; ++i) std::memcpy(blob.data() + l.fpRegisters + i * l.fpRegisterStride, in.st[i], 10);
    return true;
}

// The 64-bit save area keeps only whether each register is empty; the processor works out
// zero, special and valid from the register's contents when it loads the area. So the record
// holds the full tag word of the 32-bit machine (one form for the machine-state window of
// both), with every non-empty register shown as valid, and any tag other than empty (11)
// goes back as a set bit: nothing the processor uses is lost either way.
std::uint16_t FullTagWord(std::uint8_t abridged) {
    std::uint16_t full = 0;
    for (int i = 0; i < 8; ++i)
        if (!(abridged & (1u << i))) full |= static_cast<std::uint16_t>(3u << (2 * i));
    return full;
}

std::uint8_t AbridgedTag(std::uint16_t full) {
    std::uint8_t abridged = 0;
    for (int i = 0; i < 8; ++i)
        if (((full >> (2 * i)) & 3u) != 3u) abridged |= static_cast<std::uint8_t>(1u << i);
    return abridged;
}

}  // namespace tarvo::debugger
