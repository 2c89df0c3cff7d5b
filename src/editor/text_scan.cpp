#include "editor/text_scan.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace tarvo::editor {
namespace {

// The stretch of memory from the line's text on to the end of the part of its load block in
// use; the line's text alone when it has a text of its own.
std::string_view Stretch(const Document& doc, const Line& line) {
    if (!line.owned && line.text)
        for (const platform::FileContent& block : doc.blocks) {
            const char* begin = block.data.get();
            if (line.text >= begin && line.text <= begin + block.size)
                return {line.text, static_cast<std::size_t>(begin + block.size - line.text)};
        }
    return LineText(line);
}

// The first line from `line` on whose text holds a place `find` gives in the stretch, with room
// for `n` characters from it inside the line.
template <class Finder>
Line* NextLineWhere(const Document& doc, Line* line, std::size_t column, std::size_t n, const Finder& find,
                    const Line* stop, std::size_t* at) {
    Line* const sentinel = doc.lines;
    if (at) *at = column;
    while (line != stop && line != sentinel) {
        const std::string_view stretch = Stretch(doc, *line);
        const char* base = stretch.data();
        const char* stretchEnd = base + stretch.size();
        std::size_t hit = find(stretch, std::min<std::size_t>(column, line->length));
        Line* l = line;
        // Each line's fields are read once: a search of a large file walks millions of them.
        const bool inBlock = !line->owned && line->text;
        for (;;) {
            const std::size_t length = l->length;
            const std::size_t start = static_cast<std::size_t>(l->text - base);
            const std::size_t end = start + length;
            if (hit < start) {  // never for none
                hit = find(stretch, start);  // found in a gap left by a line cut short
                continue;
            }
            if (hit < end) {
                if (hit + n <= end) {
                    if (at) *at = hit - start;
                    return l;
                }
                hit = find(stretch, hit + 1);  // runs on into the next line
                continue;
            }
            Line* next = l->next;
            if (next == stop || next == sentinel) return next;
            // The next line's text follows directly in the same stretch (lines are read into the
            // block back to back, without their line ends), or it starts a stretch of its own: a
            // line cut short in place leaves a gap, an edited one owns its text.
            if (!inBlock || next->owned || next->text != l->text + length ||
                next->length > static_cast<std::size_t>(stretchEnd - next->text)) {
                line = next;
                column = 0;
                break;
            }
            l = next;
        }
    }
    return line;
}

}  // namespace

Line* NextLineHolding(const Document& doc, Line* line, std::size_t column, const RegexNeedle& needle, const Line* stop,
                      std::size_t* at) {
    if (needle.text.empty()) {
        if (at) *at = column;
        return line;
    }
    return NextLineWhere(doc, line, column, needle.text.size(),
                         [&](std::string_view stretch, std::size_t from) { return needle.Find(stretch, from); }, stop, at);
}

Line* NextLineWithRowStart(const Document& doc, Line* line, std::size_t column, const Regex& re, const Line* stop,
                           std::size_t* at, std::size_t* length) {
    std::size_t found = std::string_view::npos;
    Line* l = NextLineWhere(doc, line, column, 1,
                            [&](std::string_view stretch, std::size_t from) { return FindRowStart(re, stretch, from, &found); },
                            stop, at);
    if (length) *length = found;
    return l;
}

Line* NextLineWithEdge(const Document& doc, Line* line, std::string_view literal, bool atStart, const Line* stop) {
    for (; line != stop && line != doc.lines; line = line->next) {
        if (line->length < literal.size()) continue;
        const char* at = line->text + (atStart ? 0 : line->length - literal.size());
        if (std::memcmp(at, literal.data(), literal.size()) == 0) return line;
    }
    return line;
}

const RegexNeedle* RequiredLiteral(const Regex& re) {
    if (!re.must.text.empty()) return &re.must;
    if (!re.prefix.text.empty()) return &re.prefix;
    return nullptr;
}

}  // namespace tarvo::editor
