#include "editor/line.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/settings.h"

namespace tarvo::editor {
namespace {

constexpr std::size_t kFirstChunk = 256;
constexpr std::size_t kLargestChunkBytes = std::size_t{4} << 20;

std::size_t RoundedCapacity(std::size_t length) { return std::max<std::size_t>(16, (length + 15) & ~std::size_t{15}); }

// A text of the line's own is one block: its capacity, then room for that many characters;
// `text` points after the capacity.
constexpr std::size_t kHeader = sizeof(std::uint32_t);

std::size_t Capacity(const Line& line) {
    if (!line.owned) return 0;
    std::uint32_t capacity;
    std::memcpy(&capacity, line.text - kHeader, kHeader);
    return capacity;
}

void DeleteOwned(Line& line) {
    if (line.owned) delete[] (line.text - kHeader);
    line.owned = 0;
}

void ReleaseText(Line& line) {
    DeleteOwned(line);
    line.text = nullptr;
    line.length = 0;
}

// Gives the line a text of its own with room for `capacity` characters, keeping its first
// `keep` characters.
void Reallocate(Line& line, std::size_t capacity, std::size_t keep) {
    if (capacity > 0xFFFFFFFFu - kHeader) throw std::bad_alloc();
    char* block = new char[capacity + kHeader];
    const std::uint32_t stored = static_cast<std::uint32_t>(capacity);
    std::memcpy(block, &stored, kHeader);
    char* fresh = block + kHeader;
    if (keep) std::memcpy(fresh, line.text, keep);
    DeleteOwned(line);
    line.text = fresh;
    line.owned = 1;
}

void ReleasePool(LinePool& pool) {
    for (LinePool::Chunk& chunk : pool.chunks) {
        Line* lines = reinterpret_cast<Line*>(chunk.block.get());
        for (std::size_t i = 0; i < chunk.used; ++i) DeleteOwned(lines[i]);
    }
    pool.chunks.clear();
    pool.freeList = nullptr;
}

}  // namespace

LinePool::LinePool(LinePool&& other) noexcept : chunks(std::move(other.chunks)), freeList(other.freeList) {
    other.chunks.clear();
    other.freeList = nullptr;
}

LinePool& LinePool::operator=(LinePool&& other) noexcept {
    if (this != &other) {
        ReleasePool(*this);
        chunks = std::move(other.chunks);
        freeList = other.freeList;
        other.chunks.clear();
        other.freeList = nullptr;
    }
    return *this;
}

LinePool::~LinePool() { ReleasePool(*this); }

Line* NewLine(LinePool& pool) {
    Line* line;
    if (pool.freeList) {
        line = pool.freeList;
        pool.freeList = line->next;
    } else {
        if (pool.chunks.empty() || pool.chunks.back().used == pool.chunks.back().size) {
            std::size_t size = pool.chunks.empty() ? kFirstChunk
                                                   : std::min(pool.chunks.back().size * 2, kLargestChunkBytes / sizeof(Line));
            pool.chunks.reserve(pool.chunks.size() + 1);
            platform::LargeBlock block = platform::AllocateLarge(size * sizeof(Line));
            if (!block) throw std::bad_alloc();
            pool.chunks.push_back({std::move(block), 0, size});
        }
        LinePool::Chunk& chunk = pool.chunks.back();
        line = reinterpret_cast<Line*>(chunk.block.get()) + chunk.used++;
    }
    return new (line) Line{};
}

void FreeLine(LinePool& pool, Line* line) {
    ReleaseText(*line);
    line->marks = 0;
    line->comments = 0;
    line->prev = nullptr;
    line->next = pool.freeList;
    pool.freeList = line;
}

void ReserveText(Line& line, std::size_t length) {
    if (length > kLongestLine) throw std::bad_alloc();  // more than a line can say it holds
    const std::size_t capacity = Capacity(line);
    if (capacity >= length && line.owned) return;
    if (!line.owned && length <= line.length) return;  // shrinking text in the load block stays
    // Growth by half again keeps typing into a long line from copying it at every character.
    Reallocate(line, RoundedCapacity(std::max<std::size_t>(length, capacity + capacity / 2)), line.length);
}

void SetText(Line& line, std::string_view text) {
    if (text.size() > kLongestLine) throw std::bad_alloc();
    if (Capacity(line) < text.size() || (!line.owned && !text.empty()))
        Reallocate(line, RoundedCapacity(text.size()), 0);
    if (!text.empty()) std::memmove(line.text, text.data(), text.size());
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
    long width = base::settings().tabSize;
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


}  // namespace tarvo::editor
