#include "editor/line.h"

#include <algorithm>
#include <cstring>

#include "shell/settings.h"

namespace tarvo::editor {
namespace {

constexpr std::size_t kFirstChunk = 256;
constexpr std::size_t kLargestChunk = 65536;

std::size_t RoundedCapacity(std::size_t length) { return std::max<std::size_t>(16, (length + 15) & ~std::size_t{15}); }

}  // namespace

Line* NewLine(LinePool& pool) {
    if (pool.freeList) {
        Line* line = pool.freeList;
        pool.freeList = line->next;
        line->next = line->prev = nullptr;
        return line;
    }
    if (pool.chunks.empty() || pool.used == pool.chunkSize) {
        std::size_t size = pool.chunks.empty() ? kFirstChunk : std::min(pool.chunkSize * 2, kLargestChunk);
        pool.chunks.push_back(std::make_unique<Line[]>(size));
        pool.chunkSize = size;
        pool.used = 0;
    }
    return &pool.chunks.back()[pool.used++];
}

void FreeLine(LinePool& pool, Line* line) {
    line->own.reset();
    line->text = nullptr;
    line->length = line->capacity = 0;
    line->marks = 0;
    line->prev = nullptr;
    line->next = pool.freeList;
    pool.freeList = line;
}

void ReserveText(Line& line, std::size_t length) {
    if (line.capacity >= length && (line.own || length == 0)) return;
    if (!line.own && length <= line.length) return;  // shrinking text in the load block stays
    // Growth by half again keeps typing into a long line from copying it at every character.
    std::size_t capacity = RoundedCapacity(std::max<std::size_t>(length, line.own ? line.capacity + line.capacity / 2 : length));
    std::unique_ptr<char[]> grown(new char[capacity]);
    if (line.length) std::memcpy(grown.get(), line.text, line.length);
    line.own = std::move(grown);
    line.text = line.own.get();
    line.capacity = static_cast<std::uint32_t>(capacity);
}

void SetText(Line& line, std::string_view text) {
    if (!line.own || line.capacity < text.size()) {
        std::size_t capacity = RoundedCapacity(text.size());
        std::unique_ptr<char[]> fresh(new char[capacity]);
        if (!text.empty()) std::memcpy(fresh.get(), text.data(), text.size());  // text may be ours
        line.own = std::move(fresh);
        line.text = line.own.get();
        line.capacity = static_cast<std::uint32_t>(capacity);
    } else if (!text.empty()) {
        std::memmove(line.text, text.data(), text.size());
    }
    line.length = static_cast<std::uint32_t>(text.size());
}

void InsertText(Line& line, std::size_t column, std::string_view text) {
    if (text.empty()) return;
    column = std::min<std::size_t>(column, line.length);
    ReserveText(line, line.length + text.size());
    std::memmove(line.text + column + text.size(), line.text + column, line.length - column);
    std::memcpy(line.text + column, text.data(), text.size());
    line.length += static_cast<std::uint32_t>(text.size());
}

void InsertRepeated(Line& line, std::size_t column, std::size_t count, char c) {
    if (count == 0) return;
    column = std::min<std::size_t>(column, line.length);
    ReserveText(line, line.length + count);
    std::memmove(line.text + column + count, line.text + column, line.length - column);
    std::memset(line.text + column, c, count);
    line.length += static_cast<std::uint32_t>(count);
}

void EraseText(Line& line, std::size_t column, std::size_t count) {
    if (column >= line.length) return;
    count = std::min<std::size_t>(count, line.length - column);
    std::memmove(line.text + column, line.text + column + count, line.length - column - count);
    line.length -= static_cast<std::uint32_t>(count);
}

void TruncateText(Line& line, std::size_t length) {
    if (length < line.length) line.length = static_cast<std::uint32_t>(length);
}

int TabWidth() {
    long width = shell::settings().tabSize;
    // A stored width of 0 or less would divide by zero; such a value means no tab stops.
    return width < 1 ? 1 : width > 64 ? 64 : static_cast<int>(width);
}

long DisplayColumn(std::string_view text, std::size_t index) {
    const long tab = TabWidth();
    long column = 0;
    std::size_t end = std::min(index, text.size());
    // From tab to tab: long lines are mostly runs of other characters.
    const char* p = text.data();
    const char* stop = p + end;
    while (p < stop) {
        const char* t = static_cast<const char*>(std::memchr(p, '\t', static_cast<std::size_t>(stop - p)));
        if (!t) {
            column += stop - p;
            break;
        }
        column = ((column + (t - p)) / tab + 1) * tab;
        p = t + 1;
    }
    if (index > text.size()) column += static_cast<long>(index - text.size());
    return column;
}

std::size_t IndexAtDisplayColumn(std::string_view text, long column) {
    const long tab = TabWidth();
    long at = 0;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        long next = text[i] == '\t' ? (at / tab + 1) * tab : at + 1;
        if (next > column) break;
        at = next;
    }
    return i;
}

std::string ExpandTabs(std::string_view text) {
    const std::size_t tab = static_cast<std::size_t>(TabWidth());
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\t') out.append(tab - out.size() % tab, ' ');
        else out += c;
    }
    return out;
}

std::size_t IndentLength(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && (text[n] == ' ' || text[n] == '\t')) ++n;
    return n;
}

long IndentWidth(std::string_view text) { return DisplayColumn(text, IndentLength(text)); }

bool IsWordChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_';
}

}  // namespace tarvo::editor
