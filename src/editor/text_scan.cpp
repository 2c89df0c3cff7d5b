#include "editor/text_scan.h"

#include <algorithm>
#include <string_view>

namespace tarvo::editor {
namespace {

// The stretch of memory from the line's text on to the end of the load block holding it; the
// line's text alone when it has a text of its own.
std::string_view Stretch(const Document& doc, const Line& line) {
    if (!line.owned && line.text)
        for (const platform::FileContent& block : doc.blocks) {
            const char* begin = block.data.get();
            if (line.text >= begin && line.text <= begin + block.size)
                return {line.text, static_cast<std::size_t>(begin + block.size - line.text)};
        }
    return LineText(line);
}

// True when `next`'s text follows `line`'s in the stretch with only a line end (LF or CR LF)
// between them: then no character of the stretch up to `next` belongs to another line.
bool Follows(const Line& line, const Line& next, const char* stretchEnd) {
    if (line.owned || next.owned || !line.text || !next.text) return false;
    const char* end = line.text + line.length;
    if (next.text == end + 1) return end < stretchEnd && end[0] == '\n';
    if (next.text == end + 2) return end + 1 < stretchEnd && end[0] == '\r' && end[1] == '\n';
    return false;
}

}  // namespace

Line* NextLineHolding(const Document& doc, Line* line, std::size_t column, const RegexNeedle& needle, const Line* stop) {
    Line* const sentinel = doc.lines;
    const std::size_t n = needle.text.size();
    if (n == 0) return line;
    constexpr std::size_t none = std::string_view::npos;
    while (line != stop && line != sentinel) {
        const std::string_view stretch = Stretch(doc, *line);
        const char* base = stretch.data();
        const char* stretchEnd = base + stretch.size();
        std::size_t hit = needle.Find(stretch, std::min<std::size_t>(column, line->length));
        Line* l = line;
        for (;;) {
            const std::size_t start = static_cast<std::size_t>(l->text - base);
            const std::size_t end = start + l->length;
            if (hit != none && hit < start) {
                hit = needle.Find(stretch, start);  // found in a line end
                continue;
            }
            if (hit != none && hit + n <= end) return l;
            if (hit != none && hit < end) {
                hit = needle.Find(stretch, hit + 1);  // runs on past the line's end
                continue;
            }
            Line* next = l->next;
            if (next == stop || next == sentinel) return next;
            if (!Follows(*l, *next, stretchEnd)) {
                line = next;  // a stretch of its own
                column = 0;
                break;
            }
            l = next;
        }
    }
    return line;
}

const RegexNeedle* RequiredLiteral(const Regex& re) {
    if (!re.must.text.empty()) return &re.must;
    if (!re.prefix.text.empty()) return &re.prefix;
    return nullptr;
}

}  // namespace tarvo::editor
