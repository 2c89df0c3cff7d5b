#include "editor/line_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "editor/byte_search.h"

namespace tarvo::editor {
namespace {

struct Reader {
    LinePool& pool;
    ReadLines& out;
    bool skip;
    std::size_t expected;      // bytes the file said it has
    std::size_t consumed = 0;  // bytes of the file placed so far
    char* base = nullptr;   // the block being filled
    char* at = nullptr;     // where the next character goes
    char* end = nullptr;
    char* lineStart = nullptr;  // the line being read

    // Room for `more` characters of the current line: a new block when the file grew beyond
    // its size (the line read so far moves into it).
    void Reserve(std::size_t more) {
        if (static_cast<std::size_t>(end - at) >= more) return;
        const std::size_t partial = static_cast<std::size_t>(at - lineStart);
        const std::size_t rest = expected > consumed ? expected - consumed : 0;
        // A file longer than it said grows block by block, each as large as the one before.
        const std::size_t grown = static_cast<std::size_t>(end - base);
        const std::size_t size = std::max({partial + more, partial + rest, grown, std::size_t{4096}});
        platform::LargeBlock block = platform::AllocateLarge(size);
        if (!block) throw std::bad_alloc();
        if (partial) std::memcpy(block.get(), lineStart, partial);
        if (!out.blocks.empty()) out.blocks.back().size = static_cast<std::size_t>(lineStart - base);
        out.blocks.reserve(out.blocks.size() + 1);
        base = lineStart = block.get();
        at = base + partial;
        end = base + size;
        out.blocks.push_back({std::move(block), 0});
    }

    void EndLine() {
        std::size_t length = static_cast<std::size_t>(at - lineStart);
        if (length && lineStart[length - 1] == '\r') --length;
        if (length > kLongestLine) throw std::bad_alloc();
        if (skip) {
            skip = false;
        } else {
            Line* line = NewLine(pool);
            line->text = lineStart;
            line->length = static_cast<std::uint32_t>(length);
            line->prev = out.last;
            if (out.last) out.last->next = line;
            else out.first = line;
            out.last = line;
            ++out.count;
        }
        at = lineStart = lineStart + length;
    }

    void Take(const char* data, std::size_t size) {
        if (!out.binary && FindByte(data, data + size, '\0') != data + size) out.binary = true;
        while (size) {
            const char* found = FindByte(data, data + size, '\n');
            const char* lf = found != data + size ? found : nullptr;
            const std::size_t part = lf ? static_cast<std::size_t>(lf - data) : size;
            Reserve(part);
            if (part) std::memcpy(at, data, part);
            at += part;
            consumed += lf ? part + 1 : part;
            if (!lf) break;
            EndLine();
            data = lf + 1;
            size -= part + 1;
        }
    }

    void Finish() {
        if (at != lineStart) EndLine();
        if (!out.blocks.empty()) out.blocks.back().size = static_cast<std::size_t>(at - base);
    }
};

}  // namespace

platform::ReadStatus ReadFileLines(const std::string& path, LinePool& pool, bool skipFirstLine, ReadLines& out) {
    out = ReadLines{};
    std::size_t expected = 0;
    Reader reader{pool, out, skipFirstLine, 0};
    platform::ReadStatus status = platform::ReadFileInPieces(path, expected, [&](const char* data, std::size_t size) {
        reader.expected = expected;
        try {
            reader.Take(data, size);
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    });
    if (status == platform::ReadStatus::Ok) {
        try {
            reader.Finish();
        } catch (const std::bad_alloc&) {
            status = platform::ReadStatus::NoMemory;
        }
    }
    if (status != platform::ReadStatus::Ok) DiscardLines(pool, out);
    return status;
}

void DiscardLines(LinePool& pool, ReadLines& read) {
    for (Line* line = read.first; line;) {
        Line* next = line->next;
        FreeLine(pool, line);
        line = next;
    }
    read = ReadLines{};
}

}  // namespace tarvo::editor
