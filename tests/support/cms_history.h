// Generated histories for the version store's tests, fuzz tests and benchmarks: random texts
// and edits (repeated lines, `@` lines, missing final line ends, NUL bytes, a very long line),
// stored as trunk and branch revisions, with every revision's expected text kept aside.
#pragma once
#include <map>
#include <random>
#include <string>
#include <vector>

#include "cms/repository.h"
#include "platform/text.h"

namespace tarvo::test {

struct HistoryShape {
    int revisions = 100;
    int branchPercent = 30;  // share of revisions made on branches
    bool oddLines = true;    // `@` lines, NUL bytes, missing final line ends
    unsigned seed = 1;
    bool longLine = true;    // one line of 100,000 characters (with oddLines)
    int firstLines = 40;     // lines of revision 1.1
};

struct History {
    cms::Repository repo;
    std::map<std::string, std::string> texts;  // number -> expected text
    std::vector<std::string> numbers;          // in the order they were added
};

inline std::string RandomLine(std::mt19937& rng, bool odd) {
    static const char* const kWords[] = {"int x;", "{", "}", "return 0;", "", "  i++;", "/* note */", "x = y @ z;"};
    unsigned pick = rng() % 100;
    if (odd && pick < 3) return "@\n";
    if (odd && pick < 5) return "@@ double @@\n";
    if (odd && pick < 6) return std::string("nul\0byte", 8) + "\n";
    if (pick < 50) return std::string(kWords[rng() % 8]) + "\n";
    return Printf("line %u\n", static_cast<unsigned>(rng() % 500));
}

inline std::string Mutate(const std::string& text, std::mt19937& rng, bool odd) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(at, end - at));
        at = end;
    }
    if (!lines.empty() && lines.back().back() != '\n') lines.back() += '\n';
    int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
        std::size_t at = lines.empty() ? 0 : rng() % (lines.size() + 1);
        std::size_t count = 1 + rng() % 4;
        switch (rng() % 3) {
            case 0:
                lines.erase(lines.begin() + static_cast<long>(at),
                            lines.begin() + static_cast<long>(std::min(lines.size(), at + count)));
                break;
            case 1:
                for (std::size_t k = 0; k < count; ++k)
                    lines.insert(lines.begin() + static_cast<long>(at), RandomLine(rng, odd));
                break;
            default:
                if (at < lines.size()) lines[at] = RandomLine(rng, odd);
        }
    }
    std::string out;
    for (const std::string& line : lines) out += line;
    if (odd && !out.empty() && rng() % 5 == 0) out.pop_back();  // no final line end this time
    return out;
}

inline History MakeHistory(const HistoryShape& shape) {
    std::mt19937 rng(shape.seed);
    History h;
    auto add = [&h](const std::string& number, const std::string& parent, const std::string& text, int i) {
        cms::NewRevision r;
        r.number = number;
        r.parent = parent;
        r.date = Printf("%d.%d.%d.%d.%d.%d", 2001 + i / 8000, 1 + i / 700 % 12, 1 + i / 24 % 28, i % 24, i % 60,
                        (i * 7) % 60);
        r.author = i % 3 ? "alice" : "bob";
        r.log = Printf("revision %s @ saved\n", number.c_str());
        r.text = text;
        std::string message;
        if (!cms::AddRevision(h.repo, r, message)) return false;
        h.texts[number] = text;
        h.numbers.push_back(number);
        return true;
    };
    std::string first;
    for (int i = 0; i < shape.firstLines; ++i) first += RandomLine(rng, shape.oddLines);
    if (shape.oddLines && shape.longLine) first += std::string(100000, 'w') + "\n";
    add("1.1", "", first, 0);
    h.repo.description = "generated history @ test\n";
    int trunk = 1;
    std::vector<std::string> branchEnds;
    for (int i = 1; i < shape.revisions; ++i) {
        bool onBranch = static_cast<int>(rng() % 100) < shape.branchPercent;
        if (!onBranch) {
            std::string number = Printf("1.%d", trunk + 1), parent = h.repo.head;
            if (add(number, parent, Mutate(h.texts[parent], rng, shape.oddLines), i)) ++trunk;
        } else if (!branchEnds.empty() && rng() % 2) {
            std::string& end = branchEnds[rng() % branchEnds.size()];
            std::string number = Printf("%s.%d", cms::DropField(end).c_str(), std::stoi(end.substr(end.rfind('.') + 1)) + 1);
            if (add(number, end, Mutate(h.texts[end], rng, shape.oddLines), i)) end = number;
        } else {
            const std::string bp = h.numbers[rng() % h.numbers.size()];
            std::size_t count = h.repo.Find(bp)->branches.size();
            std::string number = Printf("%s.%zu.1", bp.c_str(), count + 1);
            if (add(number, bp, Mutate(h.texts[bp], rng, shape.oddLines), i)) branchEnds.push_back(number);
        }
    }
    return h;
}

}  // namespace tarvo::test
