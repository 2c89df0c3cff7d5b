#include "cms/binary_files.h"

#include <array>

#include "platform/text.h"

namespace tarvo::cms {
namespace {

constexpr std::size_t kLineBytes = 45;

char Encode(unsigned v) { return v == 0 ? '`' : static_cast<char>(v + 32); }
unsigned Decode(char c) { return (static_cast<unsigned char>(c) - 32) & 63; }


}  // namespace

bool IsBinaryFile(const std::string& name, std::string_view content) {
    static constexpr std::array<const char*, 10> kExtensions{"O", "OBJ", "RES", "ICO", "CUR",
                                                            "BMP", "GIF", "LZH", "EXE", "COM"};
    std::size_t dot = name.find_last_of(".\\/");
    if (dot != std::string::npos && name[dot] == '.') {
        std::string extension = Upper(name.substr(dot + 1));
        for (const char* known : kExtensions)
            if (extension == known) return true;
    }
    for (std::size_t i = 0; i < content.size(); ++i) {
        char c = content[i];
        if (c == 0 || c == 0x1A || (c == '\r' && (i + 1 == content.size() || content[i + 1] != '\n'))) return true;
    }
    return false;
}

std::string Uuencode(std::string_view data, const std::string& name) {
    std::string out = Printf("\nbegin 0666 %s\n", name.c_str());
    for (std::size_t start = 0; start < data.size(); start += kLineBytes) {
        std::size_t n = std::min(kLineBytes, data.size() - start);
        out += Encode(static_cast<unsigned>(n));
        for (std::size_t i = 0; i < n; i += 3) {
            unsigned b[3] = {0, 0, 0};
            for (std::size_t k = 0; k < 3 && i + k < n; ++k) b[k] = static_cast<unsigned char>(data[start + i + k]);
            out += Encode(b[0] >> 2);
            out += Encode(((b[0] << 4) | (b[1] >> 4)) & 63);
            out += Encode(((b[1] << 2) | (b[2] >> 6)) & 63);
            out += Encode(b[2] & 63);
        }
        out += '\n';
    }
    out += "`\nend\n";
    return out;
}

bool Uudecode(std::string_view text, std::string& data) {
    data.clear();
    std::size_t at = 0;
    bool begun = false;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string line;
        for (char c : text.substr(at, end - at))
            if (c != '\r') line += c;
        at = end + 1;
        if (!begun) {
            begun = line.compare(0, 5, "begin") == 0;
            continue;
        }
        if (line.empty()) return false;
        std::size_t n = Decode(line[0]);
        if (n == 0) return true;
        if (line.size() < 1 + (n + 2) / 3 * 4) return false;
        for (std::size_t i = 0, got = 0; got < n; i += 4) {
            unsigned v[4];
            for (int k = 0; k < 4; ++k) v[k] = Decode(line[1 + i + k]);
            char bytes[3] = {static_cast<char>((v[0] << 2) | (v[1] >> 4)), static_cast<char>((v[1] << 4) | (v[2] >> 2)),
                             static_cast<char>((v[2] << 6) | v[3])};
            for (int k = 0; k < 3 && got < n; ++k, ++got) data += bytes[k];
        }
    }
    return false;  // no line of length 0: cut short
}

}  // namespace tarvo::cms
