#include "debugger/debugger_views.h"

#include <algorithm>

#include "analysis/compare.h"
#include "base/messages.h"
#include "debugger/cv_types.h"
#include "debugger/debug_messages.h"
#include "debugger/debug_queries.h"
#include "debugger/wide_format.h"
#include "editor/line.h"
#include "platform/text.h"

namespace tarvo::debugger {
namespace {

using ull = unsigned long long;

constexpr std::size_t kWatchTextLimit = 2048;
constexpr std::uint16_t kLocalProcedure = 0x204, kGlobalProcedure = 0x205;

std::string Blanked(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string Failed(const std::string& name) { return Printf(base::GetString(kMsgLocalFailed), name.c_str()); }

// The bytes at the value's address, as many as a watch keeps; false when unreadable.
bool ReadBytes(const EvalContext& ctx, const Value& v, std::vector<std::uint8_t>& out) {
    out.assign(static_cast<std::size_t>(std::min<std::uint64_t>(v.size, kWatchBytesLimit)), 0);
    return ctx.read && ctx.read(v.address, out.data(), out.size());
}

}  // namespace

std::vector<std::string> TextLines(std::string_view text) {
    std::vector<std::string> lines;
    for (std::string_view line : analysis::SplitLines(text)) lines.emplace_back(line.substr(0, line.find('\n')));
    return lines;
}

LocalsChange RefreshLocals(LocalsView& view, int module, int function, std::vector<std::string> lines) {
    LocalsChange change;
    if (module != view.module || function != view.function || lines.empty()) {
        change.cleared = !view.lines.empty();
        view.lines.clear();
        view.module = module, view.function = function;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string text = Blanked(std::move(lines[i]));
        if (i < view.lines.size() && view.lines[i] == text) continue;
        if (i < view.lines.size()) view.lines[i] = std::move(text);
        else view.lines.push_back(std::move(text));
        change.rewritten.push_back(i);
        change.selected = static_cast<long>(i);
    }
    view.lines.resize(lines.size());
    change.count = lines.size();
    return change;
}

WatchAddResult AddWatch(std::vector<Watch>& watches, const EvalContext& ctx, const std::string& expression) {
    WatchAddResult r;
    auto old = std::find_if(watches.begin(), watches.end(), [&](const Watch& w) { return w.expression == expression; });
    if (old != watches.end()) {
        r.replaced = true;
        r.removedAt = static_cast<std::size_t>(old - watches.begin());
        watches.erase(old);
    }
    Evaluation e = Evaluate(ctx, expression);
    if (!e.ok) {
        r.error = e.error;
        return r;
    }
    if (e.value.inRegister) return r.outcome = WatchAdd::Register, r;
    // A constant has no bytes to compare either: nothing of it can change.
    if (e.value.size == 0 || !e.value.hasAddress) return r.outcome = WatchAdd::Empty, r;
    Watch w;
    w.expression = expression;
    w.address = e.value.address;
    w.size = std::min<std::uint64_t>(e.value.size, kWatchBytesLimit);
    w.type = e.value.type;
    if (!ReadBytes(ctx, e.value, w.bytes)) return r.outcome = WatchAdd::Unreadable, r;
    watches.insert(watches.begin(), std::move(w));
    r.outcome = WatchAdd::Added;
    return r;
}

std::vector<WatchState> RefreshWatches(std::vector<Watch>& watches, const EvalContext& ctx) {
    std::vector<WatchState> states;
    for (Watch& w : watches) {
        Evaluation e = Evaluate(ctx, w.expression);
        if (!e.ok || !e.value.hasAddress) {
            w.bytes.clear(), w.address = 0, w.size = 0;
            states.push_back(WatchState::Failed);
            continue;
        }
        std::vector<std::uint8_t> now;
        if (!ReadBytes(ctx, e.value, now)) now.clear();  // shown as unreadable; compared as no bytes
        if (e.value.address == w.address && now == w.bytes && w.size != 0) {
            states.push_back(WatchState::Unchanged);
            continue;
        }
        w.address = e.value.address;
        w.size = std::min<std::uint64_t>(e.value.size, kWatchBytesLimit);
        w.type = e.value.type;
        w.bytes = std::move(now);
        states.push_back(WatchState::Changed);
    }
    return states;
}

std::string NodeLine(const ValueNode& node) { return node.text.empty() ? node.label : node.label + " = " + node.text; }

bool WatchItem(const EvalContext& ctx, const Watch& watch, std::string& text, ValueNode& tree) {
    tree = ValueNode{};
    if (watch.size == 0) {
        text = Failed(watch.expression);
        return false;
    }
    if (StripModifiers(*ctx.info, watch.type).index >= kFirstRecordType) {
        std::string error;
        if (EvaluateToTree(ctx, watch.expression, tree, error)) {
            text = NodeLine(tree);
            return true;
        }
    }
    EvalText t = EvaluateToText(ctx, watch.expression, kWatchTextLimit);
    text = t.evaluated ? Blanked(t.text) : Failed(watch.expression);
    return false;
}

bool AddToWatchList(std::vector<std::string>& list, std::string text) {
    if (text.size() > kWatchEntryLimit) text.resize(kWatchEntryLimit);
    if (text.find_first_not_of(" \t") == std::string::npos) return false;
    if (std::find(list.begin(), list.end(), text) != list.end()) return false;
    list.push_back(std::move(text));
    return true;
}

void RememberExpression(std::vector<std::string>& history, std::string text) {
    if (text.size() > kHistoryTextLimit) text.resize(kHistoryTextLimit);
    if (text.empty() || std::find(history.begin(), history.end(), text) != history.end()) return;
    history.insert(history.begin(), std::move(text));
}

EvaluateAnswer EvaluateExpressionText(const EvalContext& ctx, std::string_view text) {
    EvaluateAnswer a;
    std::vector<Expression> picked = PickExpressions(*ctx.info, text, 1);
    if (picked.empty()) {
        a.status = Printf(base::GetString(kMsgIncorrectExpressionOf), std::string(text).c_str());
        return a;
    }
    EvalText result = EvaluateToText(ctx, picked.front().text, kEvaluateTextLimit);
    if (!result.evaluated) {
        a.status = Printf(base::GetString(kMsgErrorEvaluating), result.text.c_str());
        return a;
    }
    a.ok = true;
    a.lines = TextLines(result.text);
    return a;
}

NameValue ValueOfName(const EvalContext& ctx, std::string_view name) {
    NameValue out;
    std::string text(name);
    Evaluation e = Evaluate(ctx, std::vector<Token>{{kTokIdentifier, text}});
    std::uint16_t kind = e.value.type.index;
    if (e.ok && (kind == kLocalProcedure || kind == kGlobalProcedure)) {
        FunctionHit f = FindFunction(*ctx.info, text);
        std::string module = f ? std::string(ctx.info->modules[f.module].name) : std::string();
        out.kind = NameValue::Procedure;
        out.status = Printf(WidenIntegerConversions(base::GetString(kMsgProcedureAt)).c_str(), text.c_str(),
                            static_cast<ull>(e.value.address), module.empty() ? "unknown" : module.c_str());
        return out;
    }
    if (!e.ok) {
        out.status = Printf(base::GetString(kMsgSymbolNotFound), text.c_str());
        return out;
    }
    out.kind = NameValue::Value;
    out.lines = TextLines(EvaluateToText(ctx, text, kEvaluateTextLimit).text);
    return out;
}

std::string WordAt(std::string_view line, std::size_t column) {
    if (column >= line.size() || !editor::IsWordChar(line[column])) return {};
    editor::WordSpan w = editor::WordAround(line, column);
    std::string word(line.substr(w.start, w.end - w.start));
    return word[0] >= '0' && word[0] <= '9' ? std::string() : word;
}

TipTick TickTip(TipClock& clock, int x, int y, bool eligible) {
    TipTick t;
    bool moved = x != clock.x || y != clock.y;
    clock.x = x, clock.y = y;
    if (!eligible || moved) {
        t.hide = clock.shown;
        t.nextMs = eligible ? kTipMovedMs : kTipIdleMs;
        clock.shown = false;
        return t;
    }
    t.show = !clock.shown;
    clock.shown = true;
    t.nextMs = kTipShownMs;
    return t;
}

std::string TipText(const EvalContext& ctx, std::string_view word) {
    std::vector<Expression> picked = PickExpressions(*ctx.info, word, 1);
    if (picked.empty()) return {};
    EvalText t = EvaluateToText(ctx, picked.front().text, kEvaluateTextLimit);
    return t.evaluated ? Blanked(t.text) : std::string();
}

}  // namespace tarvo::debugger
