#include "coff_builder.h"

#include <cstring>

namespace tarvo::test {

ObjSymbol FileSymbol(const std::string& source) {
    ObjSymbol s{".file", 0, -2, 103, 0, {}};
    s.aux.assign((source.size() + 17) / 18 * 18, 0);
    std::memcpy(s.aux.data(), source.data(), source.size());
    return s;
}

BuiltObject BuildObject(const ObjSpec& spec) {
    ByteWriter strings;
    strings.U32(0);  // the length, set at the end
    auto longName = [&](const std::string& name) {
        std::uint32_t at = static_cast<std::uint32_t>(strings.b.size());
        strings.Zero(name);
        return at;
    };
    std::uint32_t symbolCount = 0;
    for (const ObjSymbol& s : spec.symbols) symbolCount += 1 + static_cast<std::uint32_t>(s.aux.size() / 18);
    ByteWriter w;
    std::uint32_t headersEnd = 20 + 40 * static_cast<std::uint32_t>(spec.sections.size());
    std::uint32_t data = headersEnd;
    w.U16(spec.machine);
    w.U16(spec.sections.size());
    w.U32(0);  // time stamp
    std::uint32_t symbolsAt = data;
    for (const ObjSection& s : spec.sections)
        if (!(s.characteristics & 0x80)) symbolsAt += s.size;
    w.U32(symbolsAt);
    w.U32(symbolCount);
    w.U16(0);
    w.U16(0);
    for (const ObjSection& s : spec.sections) {
        std::string name = s.name.size() > 8 ? "/" + std::to_string(longName(s.name)) : s.name;
        for (std::size_t i = 0; i < 8; ++i) w.U8(i < name.size() ? name[i] : 0);
        w.U32(0), w.U32(0);
        bool bss = s.characteristics & 0x80;
        w.U32(s.size);
        w.U32(bss || !s.size ? 0 : data);
        if (!bss) data += s.size;
        w.U32(0), w.U32(0), w.U16(0), w.U16(0);
        w.U32(s.characteristics);
    }
    while (w.b.size() < symbolsAt) w.U8(0x90);
    for (const ObjSymbol& s : spec.symbols) {
        if (s.name.size() > 8) {
            w.U32(0);
            w.U32(longName(s.name));
        } else {
            for (std::size_t i = 0; i < 8; ++i) w.U8(i < s.name.size() ? s.name[i] : 0);
        }
        w.U32(s.value);
        w.U16(static_cast<std::uint16_t>(s.section));
        w.U16(s.type);
        w.U8(s.storageClass);
        w.U8(s.aux.size() / 18);
        w.Append(s.aux);
    }
    BuiltObject out;
    out.symbolTable = symbolsAt;
    out.stringTable = static_cast<std::uint32_t>(w.b.size());
    strings.Put32(0, static_cast<std::uint32_t>(strings.b.size()));
    w.Append(strings.b);
    out.bytes = std::move(w.b);
    return out;
}

namespace {

void Header(ByteWriter& w, const std::string& name, std::size_t size) {
    char field[61];
    std::snprintf(field, sizeof field, "%-16s%-12s%-6s%-6s%-8s%-10zu`\n", name.c_str(), "0", "0", "0", "644", size);
    for (int i = 0; i < 60; ++i) w.U8(static_cast<unsigned char>(field[i]));
}

void Member(ByteWriter& w, const std::string& name, const ByteVec& bytes) {
    Header(w, name, bytes.size());
    w.Append(bytes);
    if (bytes.size() & 1) w.U8('\n');
}

}  // namespace

ByteVec BuildArchive(const std::vector<ArchiveEntry>& members, bool microsoft) {
    ByteWriter w;
    for (char c : std::string("!<arch>\n")) w.U8(c);
    ByteVec emptyIndex(4, 0);  // no symbols: the readers skip it whatever it holds
    Member(w, "/", emptyIndex);
    if (microsoft) Member(w, "/", ByteVec(8, 0));
    ByteWriter names;
    std::vector<std::string> headerNames;
    for (const ArchiveEntry& m : members) {
        if (m.name.size() < 15) {
            headerNames.push_back(m.name + "/");
            continue;
        }
        headerNames.push_back("/" + std::to_string(names.b.size()));
        for (char c : m.name) names.U8(c);
        if (microsoft) names.U8(0);
        else names.U8('/'), names.U8('\n');
    }
    if (!names.b.empty()) Member(w, "//", names.b);
    for (std::size_t i = 0; i < members.size(); ++i) Member(w, headerNames[i], members[i].bytes);
    return w.b;
}

}  // namespace tarvo::test
