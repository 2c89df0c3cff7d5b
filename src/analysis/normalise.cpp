#include "analysis/normalise.h"

#include <cstring>

#include "analysis/analysis_messages.h"
#include "editor/keywords.h"
#include "editor/document_io.h"
#include "platform/files.h"
#include "platform/text.h"
#include "base/messages.h"

namespace tarvo::analysis {
namespace {

bool IsOperator(int c) { return c > 0 && std::strchr("!%&()*+,-<=>?[]^|~/", c) != nullptr; }

struct Writer {
    Normalised out;
    std::string line;
    bool spaced = false;  // white space or a comment came since the last character written
    char last = 0;

    void Mark(std::size_t sourceLine) {
        long& entry = out.table[sourceLine + 1];
        if (entry == 0) entry = static_cast<long>(out.lines.size()) + 1;
    }
    void Put(char c, std::size_t sourceLine) {
        if (spaced && editor::IsWordChar(c) && editor::IsWordChar(last)) line += ' ';
        Mark(sourceLine);
        line += c;
        last = c;
        spaced = false;
    }
    void Text(std::string_view text, std::size_t sourceLine) {
        if (text.empty()) return;
        Mark(sourceLine);
        line += text;
        last = text.back();
        spaced = false;
    }
    void EndLine() {
        out.lines.push_back(std::move(line));
        line.clear();
        last = 0;
        spaced = false;
    }
};

}  // namespace

Normalised NormaliseLines(const Lines& lines) {
    Writer w;
    w.out.table.assign(lines.size() + 1, 0);
    CharSource src(lines, true);
    for (int c; (c = src.Next()) != kEndOfText;) {
        const std::size_t at = src.before.line;
        if (c == ' ' || c == '\t' || c == kLineEnd || c == '\r' || c == '\f' || c == '\v') {
            w.spaced = true;
            continue;
        }
        if (c == '/' && src.CommentAt() > 0) {
            w.spaced = true;
            continue;
        }
        if (c == '"' || c == '\'') {
            // Copied as written, a continued string piece by piece.
            Place start = src.before;
            if (c == '"') src.SkipString();
            else src.SkipCharConstant();
            for (Place p = start; p.line <= src.at.line && p.line < lines.size(); ++p.line, p.column = 0) {
                std::size_t end = p.line == src.at.line ? src.at.column : lines[p.line].size();
                w.Text(lines[p.line].substr(p.column, end - p.column), p.line);
            }
            continue;
        }
        if (c == '#') {
            // A preprocessor line on scratch lines of its own, continuation lines included.
            if (!w.line.empty()) w.EndLine();
            Place start = src.before;
            src.SkipPreprocessorLine();
            for (Place p = start; p.line <= src.at.line && p.line < lines.size(); ++p.line, p.column = 0) {
                std::size_t end = p.line == src.at.line ? src.at.column : lines[p.line].size();
                w.Text(lines[p.line].substr(p.column, end - p.column), p.line);
                w.EndLine();
            }
            continue;
        }
        w.Put(static_cast<char>(c), at);
        if (c == ';' || c == '{' || c == '}') {
            w.EndLine();
        } else if (c == ':') {
            if (src.Rest().substr(0, 1) == ":") w.Put(static_cast<char>(src.Next()), at);
            else w.EndLine();
        } else if (IsOperator(c)) {
            w.spaced = false;  // white space after an operator is dropped
        }
    }
    if (!w.line.empty()) w.EndLine();
    // Lines without output lead to where the output before them went (the first line at least).
    w.out.table[0] = static_cast<long>(lines.size());
    long previous = 1;
    for (std::size_t n = 1; n < w.out.table.size(); ++n) {
        if (w.out.table[n] == 0) w.out.table[n] = previous;
        previous = w.out.table[n];
    }
    return std::move(w.out);
}

std::optional<std::vector<long>> Normalise(const std::string& fileName, const std::string& scratchFileName) {
    Normalised n;
    if (editor::Document* open = editor::FindDocument(fileName, false)) {
        n = NormaliseLines(LinesOf(*open));
    } else {
        editor::Document temporary;
        if (editor::LoadFile(fileName, temporary, false) != editor::kLoadOk) {
            base::FileNotFoundBox(fileName);
            return std::nullopt;
        }
        n = NormaliseLines(LinesOf(temporary));
    }
    const platform::FileOps& ops = platform::fileOps();
    auto cannotWrite = [] {
        base::ErrorBox(Printf(base::GetString(base::kMsgCannotOpenForWriting), base::GetString(kMsgTemporaryFile)));
        return std::nullopt;
    };
    std::FILE* file = ops.open(platform::HostPath(scratchFileName).c_str(), "wb");
    if (!file) return cannotWrite();
    bool written = true;
    for (const std::string& line : n.lines) {
        std::string text = line + "\r\n";
        written = written && ops.write(text.data(), text.size(), file) == text.size();
    }
    written = ops.close(file) == 0 && written;
    if (!written) {
        ops.remove(platform::HostPath(scratchFileName).c_str());
        return cannotWrite();
    }
    return std::move(n.table);
}

}  // namespace tarvo::analysis
