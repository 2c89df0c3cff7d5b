#include "debugger/expressions.h"

#include <charconv>
#include <cstring>

#include "base/messages.h"
#include "debugger/cv_types.h"
#include "debugger/debug_messages.h"
#include "debugger/debug_queries.h"
#include "debugger/wide_format.h"
#include "platform/text.h"

namespace tarvo::debugger {
namespace {

using ull = unsigned long long;

bool IdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool Digit(char c) { return c >= '0' && c <= '9'; }
bool IdentChar(char c) { return IdentStart(c) || Digit(c); }

std::string Msg(unsigned id) { return WidenIntegerConversions(base::GetString(id)); }
std::string Msg1(unsigned id, const std::string& a) { return Printf(Msg(id).c_str(), a.c_str()); }
std::string Msg2(unsigned id, const std::string& a, const std::string& b) { return Printf(Msg(id).c_str(), a.c_str(), b.c_str()); }

std::string Joined(const std::vector<Token>& tokens, std::size_t from = 0, std::size_t to = ~std::size_t(0)) {
    std::string s;
    for (std::size_t i = from; i < tokens.size() && i < to; ++i) s += tokens[i].text;
    return s;
}

// A C integer constant: decimal, 0x hexadecimal or 0 octal, with u/l suffixes.
bool ParseInteger(const std::string& text, std::uint64_t& out) {
    std::string_view s = text;
    while (!s.empty() && (s.back() == 'u' || s.back() == 'U' || s.back() == 'l' || s.back() == 'L')) s.remove_suffix(1);
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2), base = 16;
    else if (s.size() > 1 && s[0] == '0') s.remove_prefix(1), base = 8;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out, base);
    return ec == std::errc() && end == s.data() + s.size() && !s.empty();
}

struct Evaluator {
    const EvalContext& ctx;
    const DebugInfo& info;
    const std::vector<Token>& tokens;
    std::string text;
    std::size_t pos = 0;
    std::string error;

    bool Fail(std::string message) {
        if (error.empty()) error = std::move(message);
        return false;
    }
    bool At(int kind) const { return pos < tokens.size() && tokens[pos].kind == kind; }
    bool Unexpected() {
        if (pos >= tokens.size()) return Fail(Msg1(kMsgIncorrectExpressionOf, text));
        return Fail(Msg2(kMsgUnexpectedToken, tokens[pos].text, text));
    }
    ValueSource Source() const { return ctx.Source(); }
    unsigned PointerSize(TypeRef t) const {
        bool known = t.image >= 0 && t.image < static_cast<int>(info.images.size()) && info.images[t.image]->target;
        return known ? info.images[t.image]->target->pointerSize : 4;
    }

    void Refresh(Value& v) const {
        v.size = TypeSize(info, v.type);
        v.value = 0;
        std::uint64_t word = 0;
        if (v.hasAddress && v.size >= 1 && v.size <= 8 && ReadValueWord(Source(), v, static_cast<unsigned>(v.size), word)) v.value = word;
    }

    bool Lookup(const std::string& name, Value& v);
    bool Lvalue(Value& v);
    bool Select(Value& v, bool arrow);
    bool Subscript(Value& v);
    bool Index(std::int64_t& out);
    bool Term(std::int64_t& out);
    bool IntegerOf(const Value& v, std::int64_t& out);
    bool PointerOf(const Value& v, unsigned size, std::uint64_t& out) {
        if (ReadValueWord(Source(), v, size, out)) return true;
        return Fail(Printf(Msg(kMsgUnreadablePointer).c_str(), v.name.c_str(), static_cast<ull>(v.address)));
    }
};

bool Evaluator::Lookup(const std::string& name, Value& v) {
    v = Value{};
    v.name = name;
    int module = info.currentModule;
    bool moduleValid = module > 0 && module < static_cast<int>(info.modules.size());
    int image = moduleValid ? info.modules[module].image : 0;
    if (moduleValid && info.currentFunction >= 0) {
        const Module& m = info.modules[module];
        const auto& functions = m.Functions();
        if (info.currentFunction < static_cast<int>(functions.size())) {
            for (const Local& l : m.LocalsOf(functions[info.currentFunction])) {
                if (l.name != name) continue;
                v.type = {image, l.type};
                v.local = &l;
                if (l.inRegister) {
                    const Target* target = m.owner ? m.owner->target : nullptr;
                    auto value = target && ctx.registers ? RegisterValue(*target, *ctx.registers, l.reg) : std::nullopt;
                    if (!value) return Fail(Printf(Msg(kMsgUnknownRegister).c_str(), static_cast<long long>(l.reg)));
                    v.hasAddress = false;
                    v.inRegister = true;
                    v.value = *value;
                    v.size = TypeSize(info, v.type);
                    return true;
                }
                v.address = ctx.framePointer + static_cast<std::uint64_t>(static_cast<std::int64_t>(l.frameOffset));
                Refresh(v);
                return true;
            }
        }
    }
    auto fromEntry = [&](const SymbolHit& hit) {
        v.address = hit.entry->value;
        v.type = {hit.image, hit.entry->type};
        Refresh(v);
        return true;
    };
    if (SymbolHit hit = FindSymbol(info, name)) return fromEntry(hit);
    if (auto constant = FindConstant(info, name)) {
        v.hasAddress = false;
        v.type = {image, 0x76};
        v.value = static_cast<std::uint64_t>(static_cast<std::int64_t>(*constant));
        v.size = 8;
        return true;
    }
    if (FunctionHit f = FindFunction(info, name)) {
        const Module& m = info.modules[f.module];
        const Function& fn = m.Functions()[f.function];
        v.address = fn.start;
        v.type = {m.image, fn.kind};
        v.size = 4;
        return true;
    }
    if (SymbolHit hit = FindStatic(info, name)) return fromEntry(hit);
    return Fail(Msg1(kMsgSymbolNotFound, name));
}

bool Evaluator::Lvalue(Value& v) {
    if (!At(kTokIdentifier)) return Unexpected();
    if (!Lookup(tokens[pos++].text, v)) return false;
    while (pos < tokens.size()) {
        if (At('.') || At(kTokArrow)) {
            bool arrow = At(kTokArrow);
            ++pos;
            if (!Select(v, arrow)) return false;
        } else if (At('[')) {
            if (!Subscript(v)) return false;
        } else {
            break;
        }
    }
    return true;
}

bool Evaluator::Select(Value& v, bool arrow) {
    if (!At(kTokIdentifier)) return Unexpected();
    const std::string& member = tokens[pos++].text;
    TypeRef t = StripModifiers(info, v.type);
    Value base;
    if (arrow) {
        auto r = FindTypeRecord(info, t);
        TypeRef pointee{t.image, r && r->leaf == kLeafPointer ? Get<std::uint16_t>(r->data, 2) : std::uint16_t{0}};
        if (!r || r->leaf != kLeafPointer || !IsAggregate(info, pointee)) return Fail(Msg1(kMsgNotAggregatePointer, v.name));
        if (!PointerOf(v, PointerSize(t), base.address)) return false;
        base.type = StripModifiers(info, pointee);
    } else {
        if (!IsAggregate(info, t)) return Fail(Msg1(kMsgNotAggregate, v.name));
        if (!v.hasAddress) return Fail(Msg1(kMsgInRegister, v.name));
        base.address = v.address;
        base.type = t;
    }
    for (const Field& f : Fields(info, base.type)) {
        if (f.name != member) continue;
        Value m;
        m.name = v.name + (arrow ? "->" : ".") + member;
        m.address = base.address + static_cast<std::uint64_t>(f.value);
        m.type = {base.type.image, f.type};
        Refresh(m);
        v = std::move(m);
        return true;
    }
    return Fail(Msg2(kMsgNoMember, v.name, member));
}

bool Evaluator::Subscript(Value& v) {
    std::size_t open = pos++;
    std::int64_t index = 0;
    if (!Index(index)) return false;
    TypeRef t = StripModifiers(info, v.type);
    TypeRef element{t.image, 0};
    std::uint64_t base = 0;
    if (t.index >= kFirstRecordType) {
        auto r = FindTypeRecord(info, t);
        if (r && r->leaf == kLeafArray) {
            if (!v.hasAddress) return Fail(Msg1(kMsgInRegister, v.name));
            element.index = Get<std::uint16_t>(r->data, 0);
            base = v.address;
        } else if (r && r->leaf == kLeafPointer) {
            element.index = Get<std::uint16_t>(r->data, 2);
            if (!PointerOf(v, PointerSize(t), base)) return false;
        } else {
            return Fail(Msg1(kMsgNotIndexable, v.name));
        }
    } else if (PrimitiveOf(t.index).kind == PrimitiveKind::Pointer) {
        element.index = t.index & 0xFF;
        if (!PointerOf(v, PrimitiveOf(t.index).size, base)) return false;
    } else {
        return Fail(Msg1(kMsgNotIndexable, v.name));
    }
    std::uint64_t size = TypeSize(info, element);
    if (size == 0) return Fail(Msg1(kMsgNoElementSize, v.name));
    Value e;
    e.name = v.name + Joined(tokens, open, pos);
    e.type = element;
    e.address = base + static_cast<std::uint64_t>(index) * size;  // wraps like the machine's own
    Refresh(e);
    v = std::move(e);
    return true;
}

// The terms of a subscript from left to right, without precedence, up to its "]".
bool Evaluator::Index(std::int64_t& out) {
    std::uint64_t value = 0;
    int op = '+';
    if (At('-') || At('+')) op = tokens[pos++].kind;
    while (true) {
        std::int64_t term = 0;
        if (!Term(term)) return false;
        auto t = static_cast<std::uint64_t>(term);
        switch (op) {
        case '+': value += t; break;
        case '-': value -= t; break;
        case '*': value *= t; break;
        default: {
            auto a = static_cast<std::int64_t>(value);
            if (term == 0) return Fail(Msg1(kMsgDivisionByZero, text));
            // The one quotient that does not fit wraps instead of trapping.
            value = term == -1 ? std::uint64_t{0} - value : static_cast<std::uint64_t>(a / term);
        }
        }
        if (At(']')) {
            ++pos;
            out = static_cast<std::int64_t>(value);
            return true;
        }
        if (pos >= tokens.size()) return Fail(Msg1(kMsgMissingBracket, text));
        if (!At('+') && !At('-') && !At('*') && !At('/')) return Unexpected();
        op = tokens[pos++].kind;
    }
}

bool Evaluator::Term(std::int64_t& out) {
    if (At(kTokInteger)) {
        std::uint64_t v = 0;
        if (!ParseInteger(tokens[pos].text, v)) return Unexpected();
        ++pos;
        out = static_cast<std::int64_t>(v);
        return true;
    }
    if (At('[')) {
        ++pos;
        return Index(out);
    }
    if (At(kTokIdentifier)) {
        Value v;
        return Lvalue(v) && IntegerOf(v, out);
    }
    if (pos >= tokens.size()) return Fail(Msg1(kMsgMissingBracket, text));
    return Unexpected();
}

bool Evaluator::IntegerOf(const Value& v, std::int64_t& out) {
    TypeRef t = StripModifiers(info, v.type);
    unsigned size = 0;
    bool isSigned = false;
    if (t.index < kFirstRecordType) {
        PrimitiveInfo p = PrimitiveOf(t.index);
        switch (p.kind) {
        case PrimitiveKind::Signed:
        case PrimitiveKind::Char: isSigned = true; [[fallthrough]];
        case PrimitiveKind::Unsigned:
        case PrimitiveKind::UChar:
        case PrimitiveKind::Bool: size = p.size; break;
        default: break;
        }
    } else if (auto r = FindTypeRecord(info, t); r && r->leaf == kLeafEnum) {
        PrimitiveInfo p = PrimitiveOf(Get<std::uint16_t>(r->data, 2));
        size = p.size && p.size <= 8 ? p.size : 4;
        isSigned = p.kind != PrimitiveKind::Unsigned && p.kind != PrimitiveKind::UChar;
    }
    if (size == 0 || size > 8) return Fail(Msg1(kMsgIndexNotInteger, v.name));
    std::uint64_t word = 0;
    if (!ReadValueWord(Source(), v, size, word)) return Fail(Msg1(kMsgEvaluationFailed, v.name));
    if (isSigned && size < 8) {
        std::uint64_t sign = std::uint64_t{1} << (8 * size - 1);
        word = (word ^ sign) - sign;
    }
    out = static_cast<std::int64_t>(word);
    return true;
}

}  // namespace

std::optional<std::uint64_t> RegisterValue(const Target& target, const Registers& regs, unsigned number) {
    auto low = [](std::uint64_t v, unsigned bytes) { return bytes >= 8 ? v : v & ((std::uint64_t{1} << (8 * bytes)) - 1); };
    if (number >= 0x01 && number <= 0x04) return low(regs.general[number - 0x01], 1);        // al cl dl bl
    if (number >= 0x05 && number <= 0x08) return low(regs.general[number - 0x05] >> 8, 1);   // ah ch dh bh
    if (number >= 0x09 && number <= 0x10) return low(regs.general[number - 0x09], 2);        // ax ... di
    if (number >= 0x11 && number <= 0x18) return low(regs.general[number - 0x11], 4);        // eax ... edi
    if (target.machine != kMachineAmd64) return std::nullopt;
    // rax rbx rcx rdx rsi rdi rbp rsp, then r8 to r15.
    static constexpr int kWide[] = {kAx, kBx, kCx, kDx, kSi, kDi, kBp, kSp};
    if (number >= 0x148 && number <= 0x14F) return regs.general[kWide[number - 0x148]];
    if (number >= 0x150 && number <= 0x157) return regs.general[kR8 + (number - 0x150)];
    if (number >= 0x158 && number <= 0x15F) return low(regs.general[kR8 + (number - 0x158)], 1);
    if (number >= 0x160 && number <= 0x167) return low(regs.general[kR8 + (number - 0x160)], 2);
    if (number >= 0x168 && number <= 0x16F) return low(regs.general[kR8 + (number - 0x168)], 4);
    static constexpr int kByte[] = {kSi, kDi, kBp, kSp};  // sil dil bpl spl
    if (number >= 0x144 && number <= 0x147) return low(regs.general[kByte[number - 0x144]], 1);
    return std::nullopt;
}

std::vector<Token> ScanTokens(std::string_view s) {
    std::vector<Token> out;
    std::size_t i = 0, n = s.size();
    auto quoted = [&](char quote) {
        std::size_t start = i++;
        while (i < n && s[i] != quote) i += (s[i] == '\\' && i + 1 < n) ? 2 : 1;
        if (i < n) ++i;
        return std::string(s.substr(start, i - start));
    };
    while (i < n) {
        char c = s[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            ++i;
        } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            std::size_t end = s.find("*/", i + 2);
            i = end == std::string_view::npos ? n : end + 2;
        } else if (c == '/' && i + 1 < n && s[i + 1] == '/') {
            std::size_t end = s.find('\n', i);
            i = end == std::string_view::npos ? n : end + 1;
        } else if (IdentStart(c)) {
            std::size_t start = i;
            while (i < n && IdentChar(s[i])) ++i;
            out.push_back({kTokIdentifier, std::string(s.substr(start, i - start))});
        } else if (Digit(c) || (c == '.' && i + 1 < n && Digit(s[i + 1]))) {
            std::size_t start = i;
            bool hex = c == '0' && i + 1 < n && (s[i + 1] == 'x' || s[i + 1] == 'X');
            bool real = false;
            while (i < n) {
                char d = s[i];
                if (d == '.') real = true;
                else if (!hex && (d == 'e' || d == 'E')) {
                    real = true;
                    if (i + 1 < n && (s[i + 1] == '+' || s[i + 1] == '-')) ++i;
                } else if (!IdentChar(d)) break;
                ++i;
            }
            out.push_back({real ? kTokReal : kTokInteger, std::string(s.substr(start, i - start))});
        } else if (c == '\'') {
            out.push_back({kTokCharConstant, quoted('\'')});
        } else if (c == '"') {
            out.push_back({kTokString, quoted('"')});
        } else {
            static constexpr struct { const char* text; int kind; } kOperators[] = {
                {"...", kTokEllipsis}, {"->", kTokArrow}, {"++", kTokIncrement}, {"--", kTokDecrement},
                {"!=", kTokNotEqual}, {"&&", kTokAndAnd},
            };
            bool found = false;
            for (const auto& op : kOperators) {
                if (s.substr(i).starts_with(op.text)) {
                    out.push_back({op.kind, op.text});
                    i += std::strlen(op.text);
                    found = true;
                    break;
                }
            }
            if (!found) out.push_back({static_cast<unsigned char>(c), std::string(1, c)}), ++i;
        }
    }
    return out;
}

std::vector<Expression> PickExpressions(const DebugInfo& info, std::string_view text, std::size_t maxCount) {
    std::vector<Token> tokens = ScanTokens(text);
    std::vector<Expression> out;
    int image = info.currentModule > 0 && info.currentModule < static_cast<int>(info.modules.size())
                    ? info.modules[info.currentModule].image : 0;
    auto add = [&](std::vector<Token> e) {
        if (out.size() >= maxCount) return;
        std::string t = Joined(e);
        for (const Expression& x : out)
            if (x.text == t) return;
        out.push_back({std::move(t), std::move(e)});
    };
    auto kind = [&](std::size_t i) { return i < tokens.size() ? tokens[i].kind : 0; };
    std::size_t i = 0;
    while (i < tokens.size() && out.size() < maxCount) {
        if (kind(i) != kTokIdentifier ||
            (kind(i + 1) != ';' && TypeByName(info, image, tokens[i].text))) {
            ++i;
            continue;
        }
        std::vector<Token> e{tokens[i]};
        std::vector<Token> inner;  // names inside brackets, picked on their own
        std::size_t j = i + 1;
        int depth = 0;
        bool tooLong = false;
        while (j < tokens.size()) {
            int k = kind(j);
            if (depth == 0) {
                if (k == '[') ++depth;
                else if ((k == '.' || k == kTokArrow) && kind(j + 1) == kTokIdentifier) e.push_back(tokens[j++]);
                else break;
            } else if (k == '[') {
                ++depth;
            } else if (k == ']') {
                --depth;
            } else if (k == ',') {
                ++j;
                continue;
            } else if (k == kTokIdentifier) {
                if (maxCount > 1) inner.push_back(tokens[j]);
            } else if (k != kTokInteger && k != '+' && k != '-' && k != '*' && k != '/') {
                break;
            }
            e.push_back(tokens[j++]);
            if (e.size() > kMaxExpressionTokens) {
                tooLong = true;
                break;
            }
        }
        if (tooLong) break;
        // Only the part whose brackets close counts.
        std::size_t keep = 1;
        int d = 0;
        for (std::size_t n = 1; n < e.size(); ++n) {
            d += e[n].kind == '[' ? 1 : e[n].kind == ']' ? -1 : 0;
            if (d == 0) keep = n + 1;
        }
        e.resize(keep);
        bool call = kind(j) == '(' && keep == e.size() && depth == 0;
        for (const Token& name : inner) add({name});
        if (!call) add(std::move(e));
        i = j;
    }
    return out;
}

Evaluation Evaluate(const EvalContext& ctx, const std::vector<Token>& tokens) {
    Evaluation result;
    std::string text = Joined(tokens);
    if (!ctx.info) return result;
    if (tokens.size() > kMaxExpressionTokens) {
        result.error = Msg1(kMsgTooManyTokens, text);
        return result;
    }
    Evaluator e{ctx, *ctx.info, tokens, text, 0, {}};
    if (e.Lvalue(result.value) && e.pos < tokens.size()) e.Unexpected();
    result.ok = e.error.empty();
    result.error = e.error;
    if (result.ok) result.value.name = text;
    return result;
}

Evaluation Evaluate(const EvalContext& ctx, std::string_view expression) { return Evaluate(ctx, ScanTokens(expression)); }

EvalText EvaluateToText(const EvalContext& ctx, std::string_view expression, std::size_t maxLength) {
    EvalText out;
    Evaluation e = Evaluate(ctx, expression);
    if (!e.ok) {
        out.text = e.error;
        return out;
    }
    out.evaluated = true;
    const Value& v = e.value;
    std::string name(expression), value;
    if (StripModifiers(*ctx.info, v.type).index < kFirstRecordType) {
        out.complete = FormatPrimitive(ctx.Source(), v, value);
        out.text = Msg2(kMsgPrimitiveValue, name, value);
    } else {
        std::string type = TypeText(*ctx.info, v.type);
        std::string head = Printf(Msg(kMsgTypedValue).c_str(), type.c_str(), name.c_str(), "");
        out.complete = FormatValue(ctx.Source(), v, value, maxLength > head.size() ? maxLength - head.size() + 1 : 1);
        out.text = out.complete ? head + value
                                : Printf(Msg(kMsgTypedAddress).c_str(), type.c_str(), name.c_str(), static_cast<ull>(v.address));
    }
    if (maxLength && out.text.size() > maxLength) out.text.resize(maxLength);
    return out;
}

bool EvaluateToTree(const EvalContext& ctx, std::string_view expression, ValueNode& out, std::string& error) {
    Evaluation e = Evaluate(ctx, expression);
    if (!e.ok) {
        error = e.error;
        return false;
    }
    out = ValueNode{};
    out.label = std::string(expression);
    FormatTree(ctx.Source(), e.value, out);
    return true;
}

}  // namespace tarvo::debugger
