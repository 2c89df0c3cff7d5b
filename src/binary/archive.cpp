#include "binary/archive.h"

#include <string_view>

namespace tarvo::binary {
namespace {

constexpr std::string_view kSignature = "!<arch>\n";
constexpr std::size_t kHeaderSize = 60;
constexpr std::uint64_t kMostDigits = 10;

std::string_view Text(Bytes b) { return std::string_view(reinterpret_cast<const char*>(b.data()), b.size()); }

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// A decimal field padded with blanks; false when it holds anything else or nothing.
bool Decimal(std::string_view field, std::uint64_t& out) {
    field = TrimRight(field);
    if (field.empty() || field.size() > kMostDigits) return false;
    out = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return false;
        out = out * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

// A name in the "//" table: GNU ends it with "/\n", Microsoft with a zero byte.
bool LongName(Bytes names, std::uint64_t offset, std::string& out) {
    if (offset >= names.size()) return false;
    std::string_view rest = Text(names.subspan(static_cast<std::size_t>(offset)));
    std::size_t end = rest.find_first_of(std::string_view("\n\0", 2));
    if (end == std::string_view::npos) return false;
    std::string_view name = rest.substr(0, end);
    if (name.ends_with('/')) name.remove_suffix(1);
    if (name.empty()) return false;
    out = std::string(name);
    return true;
}

}  // namespace

bool IsArchive(Bytes file) { return file.size() >= kSignature.size() && Text(file.first(kSignature.size())) == kSignature; }

bool ReadArchive(Bytes archive, std::vector<ArchiveMember>& out, std::string& problem) {
    out.clear();
    if (!IsArchive(archive)) {
        problem = "not an archive";
        return false;
    }
    Bytes names;
    for (std::uint64_t at = kSignature.size(); at < archive.size();) {
        Bytes header = Slice(archive, at, kHeaderSize);
        std::uint64_t size = 0;
        if (header.empty() || Text(header.subspan(58, 2)) != "`\n" || !Decimal(Text(header.subspan(48, 10)), size)) {
            problem = "damaged member header at offset " + std::to_string(at);
            return false;
        }
        Bytes data = Slice(archive, at + kHeaderSize, size);
        if (data.size() != size) {
            problem = "member at offset " + std::to_string(at) + " runs past the end";
            return false;
        }
        std::string_view raw = TrimRight(Text(header.first(16)));
        ArchiveMember m;
        m.offset = at + kHeaderSize;
        m.bytes = data;
        std::uint64_t number = 0;
        bool member = true;
        if (raw == "/" || raw == "/SYM64/" || raw == "__.SYMDEF" || raw == "__.SYMDEF SORTED" || raw == "/<ECSYMBOLS>/") {
            member = false;  // symbol tables
        } else if (raw == "//") {
            names = data;
            member = false;
        } else if (raw.size() > 1 && raw[0] == '/' && Decimal(raw.substr(1), number)) {
            if (!LongName(names, number, m.name)) {
                problem = "member at offset " + std::to_string(at) + " names a long name that is not there";
                return false;
            }
        } else if (raw.starts_with("#1/") && Decimal(raw.substr(3), number)) {
            if (number > size) {
                problem = "member at offset " + std::to_string(at) + " has a name longer than itself";
                return false;
            }
            std::string_view name = Text(data.first(static_cast<std::size_t>(number)));
            m.name = std::string(name.substr(0, name.find('\0')));
            m.offset += number;
            m.bytes = data.subspan(static_cast<std::size_t>(number));
        } else {
            if (raw.ends_with('/')) raw.remove_suffix(1);
            m.name = std::string(raw);
        }
        if (member) {
            m.position = out.size();
            out.push_back(std::move(m));
        }
        at += kHeaderSize + size + (size & 1);
    }
    return true;
}

}  // namespace tarvo::binary
