#include "pe_builder.h"

#include <fstream>

namespace tarvo::test {
namespace {

std::uint32_t RoundUp(std::uint64_t v, std::uint32_t to) { return static_cast<std::uint32_t>((v + to - 1) / to * to); }

constexpr std::uint32_t kSectionAlignment = 0x1000, kFileAlignment = 0x200;
constexpr std::uint32_t kDebugEntrySize = 28;

// A whole symbol record: length, kind, data, padded to 4 bytes.
ByteVec Record(std::uint16_t kind, const ByteVec& data) {
    ByteWriter w;
    std::size_t length = (2 + data.size() + 3) / 4 * 4;
    w.U16(length);
    w.U16(kind);
    w.Append(data);
    while (w.b.size() < length + 2) w.U8(0);
    return w.b;
}

}  // namespace

void ByteWriter::Counted(const std::string& s) {
    U8(s.size());
    b.insert(b.end(), s.begin(), s.end());
}

void ByteWriter::Zero(const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    U8(0);
}

void ByteWriter::Put32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

ByteVec NumericLeaf(std::int64_t v) {
    ByteWriter w;
    if (v >= 0 && v < 0x8000) w.U16(v);
    else if (v >= -128 && v < 128) w.U16(0x8000), w.U8(v);
    else if (v >= -32768 && v < 32768) w.U16(0x8001), w.U16(v);
    else if (v >= INT32_MIN && v <= INT32_MAX) w.U16(0x8003), w.U32(v);
    else w.U16(0x8009), w.U64(v);
    return w.b;
}

void CvSymbols::Data(std::uint16_t kind, const std::string& name, std::uint32_t offset, std::uint16_t segment, std::uint16_t type) {
    ByteWriter w;
    w.U32(offset), w.U16(segment), w.U16(type), w.Counted(name);
    Raw(kind, w.b);
}

void CvSymbols::TextConstant(const std::string& name, const std::string& text) {
    ByteWriter w;
    w.U16(0x10), w.U16(0x8010), w.U16(text.size());
    w.b.insert(w.b.end(), text.begin(), text.end());
    w.Counted(name);
    Raw(3, w.b);
}

void CvSymbols::NumberConstant(const std::string& name, std::int64_t value) {
    ByteWriter w;
    w.U16(0x74), w.Append(NumericLeaf(value)), w.Counted(name);
    Raw(3, w.b);
}

void CvSymbols::Proc(std::uint16_t kind, const std::string& name, std::uint32_t offset, std::uint16_t segment,
                     std::uint32_t length, const std::vector<CvLocal>& locals, std::uint32_t debugStart,
                     std::uint32_t debugEnd) {
    ByteVec nested;
    for (const CvLocal& l : locals) {
        ByteWriter w;
        if (l.inRegister) w.U16(l.type), w.U16(l.reg);
        else w.U32(static_cast<std::uint32_t>(l.frameOffset)), w.U16(l.type);
        w.Counted(l.name);
        ByteVec r = Record(l.inRegister ? 2 : 0x200, w.b);
        nested.insert(nested.end(), r.begin(), r.end());
    }
    ByteWriter head;
    head.U32(0), head.U32(0), head.U32(0), head.U32(length), head.U32(debugStart);
    head.U32(debugEnd ? debugEnd : length), head.U32(offset), head.U16(segment), head.U16(0x1000), head.U8(0);
    head.Counted(name);
    ByteVec proc = Record(kind, head.b);
    std::size_t endAt = base + b.size() + proc.size() + nested.size();
    for (int i = 0; i < 4; ++i) proc[8 + i] = static_cast<std::uint8_t>(endAt >> (8 * i));
    b.insert(b.end(), proc.begin(), proc.end());
    b.insert(b.end(), nested.begin(), nested.end());
    Raw(6, {});
}

void CvSymbols::Raw(std::uint16_t kind, const ByteVec& data) {
    ByteVec r = Record(kind, data);
    b.insert(b.end(), r.begin(), r.end());
}

ByteVec AlignedSymbols(const CvSymbols& s) {
    ByteWriter w;
    w.U32(1);
    w.Append(s.b);
    return w.b;
}

ByteVec GlobalSymbols(const CvSymbols& s) {
    ByteWriter w;
    w.U16(0), w.U16(0), w.U32(s.b.size()), w.U32(0), w.U32(0);
    w.Append(s.b);
    return w.b;
}

ByteVec SourceModule(const std::vector<CvFileLines>& files, const std::vector<CvSegment>& moduleSegments) {
    ByteWriter w;
    w.U16(files.size()), w.U16(moduleSegments.size());
    std::size_t fileOffsets = w.b.size();
    for (std::size_t i = 0; i < files.size(); ++i) w.U32(0);
    for (const CvSegment& s : moduleSegments) w.U32(s.start), w.U32(s.end);
    for (const CvSegment& s : moduleSegments) w.U16(s.segment);
    w.Align(4);
    for (std::size_t f = 0; f < files.size(); ++f) {
        w.Put32(fileOffsets + 4 * f, static_cast<std::uint32_t>(w.b.size()));
        const CvFileLines& file = files[f];
        w.U16(file.segments.size()), w.U16(0);
        std::size_t tableOffsets = w.b.size();
        for (std::size_t i = 0; i < file.segments.size(); ++i) w.U32(0);
        for (const auto& s : file.segments) w.U32(s.range.start), w.U32(s.range.end);
        w.Counted(file.name);
        w.Align(4);
        for (std::size_t i = 0; i < file.segments.size(); ++i) {
            w.Put32(tableOffsets + 4 * i, static_cast<std::uint32_t>(w.b.size()));
            const auto& s = file.segments[i];
            w.U16(s.range.segment), w.U16(s.entries.size());
            for (const auto& e : s.entries) w.U32(e.first);
            for (const auto& e : s.entries) w.U16(e.second);
            w.Align(4);
        }
    }
    return w.b;
}

ByteVec ModuleSubsection(const std::string& name, const std::vector<CvSegment>& segments) {
    ByteWriter w;
    w.U16(0), w.U16(0), w.U16(segments.size()), w.U16(0x5643);
    for (const CvSegment& s : segments) w.U16(s.segment), w.U16(0), w.U32(s.start), w.U32(s.end - s.start);
    w.Counted(name);
    return w.b;
}

std::uint16_t CvTypes::Add(std::uint16_t leaf, const ByteVec& data) {
    ByteWriter w;
    w.U16(leaf);
    w.Append(data);
    records.push_back(w.b);
    return static_cast<std::uint16_t>(0x1000 + records.size() - 1);
}

ByteVec CvTypes::Build() const {
    ByteWriter w, body;
    w.U32(1), w.U32(records.size());
    for (const ByteVec& r : records) {
        w.U32(body.b.size());
        body.U16(r.size());
        body.Append(r);
    }
    w.Append(body.b);
    return w.b;
}

ByteVec CodeViewData(const std::vector<CvSubsection>& subsections) {
    ByteWriter w;
    w.b = {'N', 'B', '0', '9', 0, 0, 0, 0};
    std::vector<std::uint32_t> offsets;
    for (const CvSubsection& s : subsections) {
        w.Align(4);
        offsets.push_back(static_cast<std::uint32_t>(w.b.size()));
        w.Append(s.data);
    }
    w.Align(4);
    w.Put32(4, static_cast<std::uint32_t>(w.b.size()));
    w.U16(16), w.U16(12), w.U32(subsections.size()), w.U32(0), w.U32(0);
    for (std::size_t i = 0; i < subsections.size(); ++i)
        w.U16(subsections[i].kind), w.U16(subsections[i].module), w.U32(offsets[i]), w.U32(subsections[i].data.size());
    return w.b;
}

namespace {

struct SectionPlan {
    std::string name;
    std::uint32_t rva, rawPointer, virtualSize, rawSize, characteristics;
};

struct ImportPlan {
    ByteVec bytes;  // the .idata section, laid out at `rva`
};

ImportPlan PlanImports(const PeSpec& spec, std::uint32_t rva, std::vector<std::vector<std::uint32_t>>& slots) {
    unsigned ptr = spec.is64 ? 8 : 4;
    std::size_t descriptors = (spec.imports.size() + 1) * 20;
    std::size_t tablesAt = descriptors, tableSize = 0;
    for (const ImportDll& d : spec.imports) tableSize += (d.functions.size() + 1) * ptr;
    std::size_t namesAt = tablesAt + 2 * tableSize;  // lookup tables, then address tables
    ByteWriter names;
    std::vector<std::vector<std::uint32_t>> hintRvas;
    std::vector<std::uint32_t> dllRvas;
    for (const ImportDll& d : spec.imports) {
        hintRvas.emplace_back();
        for (const std::string& f : d.functions) {
            names.Align(2);
            hintRvas.back().push_back(static_cast<std::uint32_t>(rva + namesAt + names.b.size()));
            names.U16(0), names.Zero(f);
        }
        dllRvas.push_back(static_cast<std::uint32_t>(rva + namesAt + names.b.size()));
        names.Zero(d.dll);
    }
    ByteWriter w;
    std::size_t lookup = tablesAt, address = tablesAt + tableSize;
    slots.clear();
    for (std::size_t i = 0; i < spec.imports.size(); ++i) {
        w.U32(rva + lookup), w.U32(0), w.U32(0), w.U32(dllRvas[i]), w.U32(rva + address);
        slots.emplace_back();
        for (std::size_t f = 0; f <= spec.imports[i].functions.size(); ++f) {
            if (f < spec.imports[i].functions.size()) slots.back().push_back(static_cast<std::uint32_t>(rva + address + f * ptr));
        }
        std::size_t n = spec.imports[i].functions.size() + 1;
        lookup += n * ptr;
        address += n * ptr;
    }
    w.U32(0), w.U32(0), w.U32(0), w.U32(0), w.U32(0);
    for (int table = 0; table < 2; ++table)
        for (std::size_t i = 0; i < spec.imports.size(); ++i) {
            for (std::uint32_t h : hintRvas[i]) ptr == 8 ? w.U64(h) : w.U32(h);
            ptr == 8 ? w.U64(0) : w.U32(0);
        }
    w.Append(names.b);
    return {w.b};
}

struct Plan {
    PeLayout layout;
    std::vector<SectionPlan> sections;
    std::vector<ByteVec> contents;  // per section
    std::uint32_t headersSize = 0, optionalSize = 0;
};

Plan MakePlan(const PeSpec& spec) {
    Plan p;
    PeLayout& l = p.layout;
    std::size_t sectionCount = 2 + (spec.imports.empty() ? 0 : 1) + (spec.debugSection ? 1 : 0);
    p.optionalSize = spec.is64 ? 240 : 224;
    l.sectionTableOffset = l.ntOffset + 4 + 20 + p.optionalSize;
    p.headersSize = RoundUp(l.sectionTableOffset + 40 * sectionCount, kFileAlignment);
    std::uint32_t rva = kSectionAlignment, raw = p.headersSize;
    auto add = [&](const std::string& name, std::uint32_t virtualSize, const ByteVec& bytes, std::uint32_t flags) {
        p.sections.push_back({name, rva, raw, virtualSize, RoundUp(bytes.size(), kFileAlignment), flags});
        p.contents.push_back(bytes);
        rva += RoundUp(std::max<std::uint32_t>(virtualSize, 1), kSectionAlignment);
        raw += RoundUp(bytes.size(), kFileAlignment);
    };
    add(".text", spec.textSize, spec.text, 0x60000020);
    // The debug directory (one CodeView entry), then the CodeView data 32 bytes further.
    ByteWriter debug;
    if (!spec.codeView.empty()) {
        debug.U32(0), debug.U32(0), debug.U32(0), debug.U32(2), debug.U32(spec.codeView.size()), debug.U32(0), debug.U32(0);
        debug.Align(32);
        debug.Append(spec.codeView);
    }
    ByteWriter rdata;
    rdata.U32(0x12345678);  // something first, so the directory does not start the section
    rdata.Align(32);
    std::uint32_t within = spec.debugSection ? 0 : static_cast<std::uint32_t>(rdata.b.size());
    if (!spec.debugSection) rdata.Append(debug.b);
    l.rdataRva = rva;
    add(".rdata", static_cast<std::uint32_t>(rdata.b.size()), rdata.b, 0x40000040);
    std::size_t home = 1;
    if (!spec.imports.empty()) {
        l.idataRva = rva;
        l.idataOffset = raw;
        ByteVec idata = PlanImports(spec, rva, l.slotRvas).bytes;
        add(".idata", static_cast<std::uint32_t>(idata.size()), idata, 0xC0000040);
    }
    if (spec.debugSection) {
        home = p.sections.size();
        add(".debug", static_cast<std::uint32_t>(debug.b.size()), debug.b, 0x42000040);
    }
    if (!spec.codeView.empty()) {
        const SectionPlan& h = p.sections[home];
        l.debugDirRva = h.rva + within;
        l.debugDirOffset = h.rawPointer + within;
        l.codeViewRva = l.debugDirRva + 32;
        l.codeViewOffset = l.debugDirOffset + 32;
        ByteWriter patch;
        patch.b = p.contents[home];
        patch.Put32(within + 20, l.codeViewRva);
        patch.Put32(within + 24, l.codeViewOffset);
        p.contents[home] = patch.b;
    }
    l.symbolsOffset = raw;
    return p;
}

}  // namespace

PeLayout LayoutOf(const PeSpec& spec) { return MakePlan(spec).layout; }

ByteVec BuildPe(const PeSpec& spec) {
    Plan p = MakePlan(spec);
    const PeLayout& l = p.layout;
    ByteWriter w;
    w.U16(0x5A4D);
    w.b.resize(0x3C);
    w.U32(l.ntOffset);
    w.b.resize(l.ntOffset);
    w.U32(0x4550);
    // COFF header
    w.U16(spec.is64 ? 0x8664 : 0x14C), w.U16(p.sections.size()), w.U32(0);
    w.U32(spec.symbols.empty() ? 0 : l.symbolsOffset), w.U32(spec.symbols.size());
    w.U16(p.optionalSize), w.U16(spec.is64 ? 0x22 : 0x102);
    // Optional header
    const SectionPlan& text = p.sections[0];
    w.U16(spec.is64 ? 0x20B : 0x10B), w.U8(2), w.U8(0);
    w.U32(text.rawSize), w.U32(0x400), w.U32(0);
    w.U32(text.rva), w.U32(text.rva);
    if (spec.is64) w.U64(spec.imageBase);
    else w.U32(l.rdataRva), w.U32(spec.imageBase);
    w.U32(kSectionAlignment), w.U32(kFileAlignment);
    w.U16(4), w.U16(0), w.U16(0), w.U16(0), w.U16(4), w.U16(0), w.U32(0);
    const SectionPlan& last = p.sections.back();
    w.U32(last.rva + RoundUp(std::max<std::uint32_t>(last.virtualSize, 1), kSectionAlignment));
    w.U32(p.headersSize), w.U32(0), w.U16(spec.subsystem), w.U16(0);
    for (int i = 0; i < 4; ++i) spec.is64 ? w.U64(0x100000) : w.U32(0x100000);
    w.U32(0), w.U32(16);
    for (unsigned d = 0; d < 16; ++d) {
        if (d == 1 && l.idataRva) w.U32(l.idataRva), w.U32((spec.imports.size() + 1) * 20);
        else if (d == 6 && l.debugDirRva) w.U32(l.debugDirRva), w.U32(28);
        else w.U32(0), w.U32(0);
    }
    for (const SectionPlan& s : p.sections) {
        ByteVec name(8, 0);
        std::copy(s.name.begin(), s.name.end(), name.begin());
        w.Append(name);
        w.U32(s.virtualSize), w.U32(s.rva), w.U32(s.rawSize), w.U32(s.rawPointer);
        w.U32(0), w.U32(0), w.U16(0), w.U16(0), w.U32(s.characteristics);
    }
    for (std::size_t i = 0; i < p.sections.size(); ++i) {
        w.b.resize(p.sections[i].rawPointer);
        w.Append(p.contents[i]);
    }
    w.b.resize(l.symbolsOffset);
    if (!spec.symbols.empty()) {
        ByteWriter strings;
        strings.U32(0);
        for (const CoffSym& c : spec.symbols) {
            if (c.name.size() <= 8) {
                ByteVec name(8, 0);
                std::copy(c.name.begin(), c.name.end(), name.begin());
                w.Append(name);
            } else {
                w.U32(0), w.U32(strings.b.size());
                strings.Zero(c.name);
            }
            w.U32(c.value), w.U16(static_cast<std::uint16_t>(c.section)), w.U16(0x20), w.U8(c.storageClass), w.U8(0);
        }
        strings.Put32(0, static_cast<std::uint32_t>(strings.b.size()));
        w.Append(strings.b);
    }
    return w.b;
}

bool WriteBytes(const std::string& path, const ByteVec& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace tarvo::test
