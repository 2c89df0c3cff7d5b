// Watch expressions: the C token scanner, picking expressions out of a text, and evaluating
// them against the stopped program (locals through the frame pointer and the registers,
// statics, globals, constants, functions; members, pointers followed, subscripts).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "debugger/registers.h"
#include "debugger/values.h"

namespace tarvo::debugger {

// Token kinds: single characters are their own code.
enum TokenKind : int {
    kTokInteger = 1000,
    kTokReal = 1001,
    kTokCharConstant = 1002,
    kTokString = 1003,
    kTokIdentifier = 1007,
    kTokArrow = 1013,
    kTokIncrement = 1014,
    kTokDecrement = 1015,
    kTokNotEqual = 1016,
    kTokAndAnd = 1017,
    kTokEllipsis = 1018,
};

struct Token {
    int kind = 0;
    std::string text;
};

inline constexpr std::size_t kMaxExpressionTokens = 49;

// C tokens of the text; blanks and comments skipped. An unterminated constant or comment ends
// at the end of the text.
std::vector<Token> ScanTokens(std::string_view text);

struct Expression {
    std::string text;
    std::vector<Token> tokens;
};
// The expressions of a text in order of appearance, each once, at most `maxCount`. Names of
// structure, union and array types (of the current module's image) are not expressions unless
// followed by ";"; a name followed by "(" is a call.
std::vector<Expression> PickExpressions(const DebugInfo& info, std::string_view text, std::size_t maxCount);

// What a stopped program gives the evaluator. The current module and function are the
// DebugInfo's (currentModule, currentFunction).
struct EvalContext {
    const DebugInfo* info = nullptr;
    MemoryReader read;
    const Registers* registers = nullptr;  // for register locals; null: none known
    std::uint64_t framePointer = 0;
    int radix = 10;
    ValueSource Source() const { return {info, read, radix}; }
};

// The result of an evaluation: the value, or the message saying why there is none.
struct Evaluation {
    bool ok = false;
    Value value;
    std::string error;
};
Evaluation Evaluate(const EvalContext& ctx, const std::vector<Token>& tokens);
Evaluation Evaluate(const EvalContext& ctx, std::string_view expression);

// "%s = %s" for a primitive; "%s %s = %s" (type name, expression, value) for a user type, or
// "%s %s = 0x%x" with the address when the value cannot be formatted. At most `maxLength`
// characters. Not `evaluated`: `text` is the message saying why; not `complete`: some of the
// value could not be read (the text says where).
struct EvalText {
    bool evaluated = false, complete = false;
    std::string text;
};
EvalText EvaluateToText(const EvalContext& ctx, std::string_view expression, std::size_t maxLength);
// The value expanded into a tree; false with the message in `error` when evaluation failed.
bool EvaluateToTree(const EvalContext& ctx, std::string_view expression, ValueNode& out, std::string& error);

// A register local's value from the register record: CodeView register number on the target.
std::optional<std::uint64_t> RegisterValue(const Target& target, const Registers& regs, unsigned number);

}  // namespace tarvo::debugger
