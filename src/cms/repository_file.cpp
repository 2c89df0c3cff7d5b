// Reading and writing the repository file format.
#include <cstring>

#include "base/messages.h"
#include "cms/cms_messages.h"
#include "cms/repository.h"
#include "platform/text.h"

namespace tarvo::cms {
namespace {

enum class Token { Number, Identifier, String, Colon, Semicolon, End };

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsIdentifierSign(char c) { return c != 0 && std::strchr("!\"#%&'()*+-/<=>?[]\\^_`{|}~", c) != nullptr; }

struct Lexer {
    std::string_view text;
    std::size_t at = 0;
    Problems& problems;
    Token token = Token::End;
    std::string value;  // the number, identifier or string (with `@@` as `@`)

    Lexer(std::string_view t, std::size_t start, Problems& p) : text(t), at(start), problems(p) {}

    void Next() {
        for (;;) {
            while (at < text.size() && std::strchr(" \t\f\n", text[at]) && text[at] != 0) ++at;
            value.clear();
            if (at >= text.size()) {
                token = Token::End;
                return;
            }
            char c = text[at];
            if (IsDigit(c)) {
                while (at < text.size() && (IsDigit(text[at]) || text[at] == '.')) value += text[at++];
                token = Token::Number;
            } else if (IsLetter(c)) {
                while (at < text.size() && (IsLetter(text[at]) || IsDigit(text[at]) || IsIdentifierSign(text[at])))
                    value += text[at++];
                token = Token::Identifier;
            } else if (c == '@') {
                ReadString();
            } else if (c == ':' || c == ';') {
                ++at;
                token = c == ':' ? Token::Colon : Token::Semicolon;
            } else {
                problems.Add(Weight::Report, Printf(base::GetString(kMsgUnknownCharacter), c));
                ++at;
                continue;
            }
            return;
        }
    }

    void ReadString() {
        ++at;
        token = Token::String;
        for (;;) {
            std::size_t stop = text.find('@', at);
            if (stop == std::string_view::npos) {
                // A string cut short is a damaged file: nothing of it may be carried on.
                problems.Add(Weight::Error, Printf(base::GetString(kMsgMissingEndOfString), '@'));
                at = text.size();
                token = Token::End;
                return;
            }
            value.append(text.substr(at, stop - at));
            at = stop + 1;
            if (at < text.size() && text[at] == '@') {
                value += '@';
                ++at;
            } else {
                return;
            }
        }
    }

    bool Keyword(const char* word) const { return token == Token::Identifier && value == word; }
};

struct Parser {
    Lexer lx;
    Problems& problems;
    Repository& repo;

    void Error(unsigned id, const std::string& argument = {}) {
        problems.Add(Weight::Error, Printf(base::GetString(id), argument.c_str()));
    }
    void Warn(unsigned id, const std::string& argument = {}) {
        problems.Add(Weight::Warning, Printf(base::GetString(id), argument.c_str()));
    }
    bool Ok() const { return !problems.failed; }

    // A number token of a revision: checked for its form and bounds.
    bool TakeNumber(std::string& number) {
        if (lx.token != Token::Number) return false;
        if (!ValidNumber(lx.value)) {
            Error(kMsgBadNumber, lx.value);
            return false;
        }
        number = lx.value;
        lx.Next();
        return true;
    }
    void Semicolon(unsigned id, const std::string& argument = {}) {
        if (lx.token == Token::Semicolon) lx.Next();
        else Warn(id, argument);
    }
    // Entries "identifier : number" up to the ';'.
    void Pairs(std::vector<std::pair<std::string, std::string>>& list, unsigned noColon, unsigned noNumber,
               unsigned oddCount) {
        while (Ok() && lx.token == Token::Identifier) {
            std::string name = lx.value, number;
            lx.Next();
            if (lx.token != Token::Colon) {
                Warn(noColon);
                continue;
            }
            lx.Next();
            if (!TakeNumber(number)) {
                if (Ok()) Warn(noNumber);
                continue;
            }
            if (oddCount && FieldCount(number) % 2) {
                Warn(oddCount);
                continue;
            }
            list.emplace_back(name, number);
        }
    }

    void Header() {
        if (!lx.Keyword("Head")) return Error(kMsgMissingHead);
        lx.Next();
        if (lx.token == Token::Number && TakeNumber(repo.head) && FieldCount(repo.head) % 2)
            Warn(kMsgHeadNeedsDelta);
        if (!Ok()) return;
        Semicolon(kMsgSemiAfterHead);
        if (lx.Keyword("Branch")) {
            lx.Next();
            if (lx.token == Token::Number) TakeNumber(repo.defaultBranch);
            if (!Ok()) return;
            Semicolon(kMsgSemiAfterBranch);
        }
        if (!lx.Keyword("Access")) return Error(kMsgMissingAccess);
        lx.Next();
        while (lx.token == Token::Identifier) {
            repo.access.push_back(lx.value);
            lx.Next();
        }
        Semicolon(kMsgSemiAfterAccess);
        if (!lx.Keyword("RevNames")) return Error(kMsgMissingSymbols);
        lx.Next();
        Pairs(repo.symbols, kMsgSymbolColon, kMsgSymbolNumber, 0);
        if (!Ok()) return;
        Semicolon(kMsgSemiAfterSymbols);
        if (!lx.Keyword("Locks")) return Error(kMsgMissingLocks);
        lx.Next();
        Pairs(repo.locks, kMsgLockColon, kMsgLockNumber, kMsgLockNeedsDelta);
        if (!Ok()) return;
        Semicolon(kMsgSemiAfterLocks);
        if (lx.Keyword("Comment")) {
            lx.Next();
            if (lx.token == Token::String) {
                repo.comment = lx.value.substr(0, 19);
                lx.Next();
            }
            if (!Ok()) return;
            Semicolon(kMsgSemiAfter, "Comment");
        }
        long binary = 0;
        for (const char* keyword : {"CmsVersion", "Binary"}) {
            if (!lx.Keyword(keyword)) continue;
            lx.Next();
            if (lx.token == Token::Number) {
                long value = ValidNumber(lx.value) && FieldCount(lx.value) == 1 ? AtoL(lx.value) : -1;
                if (value < 0) return Error(kMsgBadNumber, lx.value);
                (std::strcmp(keyword, "Binary") ? repo.version : binary) = value;
                lx.Next();
            }
            Semicolon(kMsgSemiAfter, keyword);
        }
        // The binary flag means something only from format version 2 on.
        repo.binary = repo.version > 1 ? binary : 0;
    }

    // "Keyword value ;" of a delta record, the value taken by `take`.
    template <class Take>
    bool Field(const char* keyword, bool required, Take take) {
        if (!lx.Keyword(keyword)) {
            Error(kMsgMissingKeyword, keyword);
            return false;
        }
        lx.Next();
        if (!take() && required) {
            if (Ok()) Error(kMsgMissingKeyword, keyword);
            return false;
        }
        if (!Ok()) return false;
        Semicolon(kMsgSemiAfter, keyword);
        return true;
    }

    // One delta record; false when the list of records ends (or after an error).
    bool DeltaRecord() {
        Delta d;
        if (!TakeNumber(d.number)) return false;
        if (FieldCount(d.number) % 2) {
            Warn(kMsgDeltaNumberRequired);
            return false;
        }
        auto identifier = [this](std::string& into) {
            if (lx.token != Token::Identifier) return false;
            into = lx.value;
            lx.Next();
            return true;
        };
        bool ok = Field("Date", true, [&] {
            if (lx.token != Token::Number) return false;
            if (!ValidDate(lx.value)) {
                Error(kMsgBadDate, lx.value);
                return false;
            }
            d.date = lx.value;
            lx.Next();
            return true;
        });
        ok = ok && Field("Author", true, [&] { return identifier(d.author); });
        ok = ok && Field("State", false, [&] { return identifier(d.state); });
        if (!ok) return false;
        if (!lx.Keyword("Branches")) {
            Error(kMsgMissingBranches);
            return false;
        }
        lx.Next();
        std::string branch;
        while (lx.token == Token::Number && TakeNumber(branch)) {
            if (FieldCount(branch) % 2) Warn(kMsgDeltaNumberRequired);
            else d.branches.push_back(branch);
        }
        if (!Ok()) return false;
        Semicolon(kMsgSemiAfterBranches);
        if (!lx.Keyword("Next")) {
            Error(kMsgMissingNext);
            return false;
        }
        lx.Next();
        if (lx.token == Token::Number && TakeNumber(d.next) && FieldCount(d.next) % 2) Warn(kMsgDeltaNumberRequired);
        if (!Ok()) return false;
        Semicolon(kMsgSemiAfterNext);
        if (repo.Find(d.number)) {
            Error(kMsgDeltaTwice, d.number);
            return false;
        }
        repo.index[d.number] = repo.deltas.size();
        repo.deltas.push_back(std::move(d));
        return true;
    }

    void DeltaTexts() {
        std::vector<char> hasText(repo.deltas.size(), 0);
        std::string number;
        while (Ok() && lx.token == Token::Number) {
            if (!TakeNumber(number)) return;
            Delta* d = repo.Find(number);
            if (!d) return Error(kMsgCantFindDelta, number);
            char& seen = hasText[static_cast<std::size_t>(d - repo.deltas.data())];
            if (seen) return Error(kMsgTextTwice, number);
            seen = 1;
            if (lx.Keyword("Log")) {
                lx.Next();
                if (lx.token == Token::String) {
                    d->log = lx.value;
                    lx.Next();
                }
            } else {
                Warn(kMsgMissingLog);
            }
            if (!Ok()) return;
            if (!lx.Keyword("Text")) return Error(kMsgMissingDeltaText);
            lx.Next();
            if (lx.token != Token::String) return Error(kMsgMissingDeltaText);
            d->text = std::move(lx.value);
            lx.Next();
        }
        if (!Ok()) return;
        if (lx.token != Token::End) return Error(kMsgExpectingEof);
        // Each revision has exactly one text.
        for (std::size_t i = 0; i < hasText.size(); ++i)
            if (!hasText[i]) return Error(kMsgCantFindDelta, repo.deltas[i].number);
    }

    // The records must form one tree from the head, and every lock name a revision.
    void CheckStructure() {
        std::vector<const Delta*> order;
        std::string message;
        if (!WalkOrder(repo, order, message)) return problems.Add(Weight::Error, message);
        if (order.size() != repo.deltas.size()) {
            // A record that no walk from the head reaches.
            std::vector<char> reached(repo.deltas.size(), 0);
            for (const Delta* d : order) reached[static_cast<std::size_t>(d - repo.deltas.data())] = 1;
            for (std::size_t i = 0; i < reached.size(); ++i)
                if (!reached[i]) return Error(kMsgCantFindDelta, repo.deltas[i].number);
        }
        for (const auto& [user, number] : repo.locks) {
            Delta* d = repo.Find(number);
            if (!d) return Error(kMsgCantFindDelta, number);
            d->lockedBy = user;
        }
    }
};

// Appends text with LF written as CR LF and, inside a string, `@` doubled.
void Put(std::string& out, std::string_view text, bool inString = false) {
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
        if (inString && c == '@') out += '@';
    }
}

void PutString(std::string& out, std::string_view text, bool endLine) {
    Put(out, "@");
    Put(out, text, true);
    if (endLine && (text.empty() || text.back() != '\n')) Put(out, "\n");
    Put(out, "@");
}

}  // namespace

bool ParseRepository(std::string_view bytes, const std::string& name, Repository& repo, Problems& problems) {
    repo = Repository{};
    std::string text = LfLineEnds(bytes);
    if (text.compare(0, kSignature.size(), kSignature) != 0) {
        problems.Add(Weight::Error, Printf(base::GetString(kMsgBadSignature), name.c_str()));
        return false;
    }
    Parser p{Lexer(text, kSignature.size(), problems), problems, repo};
    p.lx.Next();
    p.Header();
    while (p.Ok() && p.DeltaRecord()) {
    }
    if (p.Ok() && !(p.lx.Keyword("Description") && (p.lx.Next(), p.lx.token == Token::String)))
        p.Error(kMsgMissingDescription);
    if (p.Ok()) {
        repo.description = std::move(p.lx.value);
        p.lx.Next();
        p.DeltaTexts();
    }
    if (p.Ok()) p.CheckStructure();
    return !problems.failed;
}

void NormaliseForWriting(Repository& repo) {
    auto endLine = [](std::string& s) {
        if (s.empty() || s.back() != '\n') s += '\n';
    };
    endLine(repo.description);
    for (Delta& d : repo.deltas) endLine(d.log);
}

std::string FormatRepository(const Repository& repo) {
    std::string out;
    std::vector<const Delta*> order;
    std::string ignored;
    WalkOrder(repo, order, ignored);
    Put(out, kSignature);
    Put(out, Printf("Head     %s;\nBranch   %s;\nAccess  ", repo.head.c_str(), repo.defaultBranch.c_str()));
    for (const std::string& user : repo.access) Put(out, " " + user);
    if (repo.access.empty()) Put(out, " ");
    Put(out, ";\nRevNames ");
    for (const auto& [name, number] : repo.symbols) Put(out, Printf(" %s:%s", name.c_str(), number.c_str()));
    if (repo.symbols.empty()) Put(out, " ");
    Put(out, ";\nLocks   ");
    for (const auto& [user, number] : repo.locks) Put(out, Printf(" %s:%s", user.c_str(), number.c_str()));
    if (repo.locks.empty()) Put(out, " ");
    Put(out, Printf(";\n%s %d;\n%s %ld;\n\n", "CmsVersion", 2, "Binary", repo.binary));
    for (const Delta* d : order) {
        if (d->mark == 'D') continue;
        Put(out, Printf("\n%s\n%s     %s;\n  %s %s;\n  %s %s;\n%s     \n", d->number.c_str(), "Date", d->date.c_str(),
                        "Author", d->author.c_str(), "State", d->state.c_str(), "Branches"));
        for (const std::string& b : d->branches) Put(out, " " + b);
        if (d->branches.empty()) Put(out, " ");
        Put(out, Printf(";\n%s     %s;\n", "Next", d->next.c_str()));
    }
    Put(out, "\n\nDescription\n");
    PutString(out, repo.description, true);
    Put(out, "\n\n");
    for (const Delta* d : order) {
        if (d->mark == 'D') continue;
        Put(out, Printf("\n\n%s\n%s\n", d->number.c_str(), "Log"));
        PutString(out, d->log, true);
        Put(out, "\nText\n");
        PutString(out, d->text, false);
        Put(out, "\n");
    }
    return out;
}

}  // namespace tarvo::cms
