// Settings described as tables: each stored value once, with its name, how it is stored and
// where the record keeps it. One loop reads a table, one loop writes it.
//
// A table is in the order the values are written. The start-up reading takes some keys in
// another order, so each value also carries its place in the reading (1, 2, ...; 0: the
// reading leaves it to other code). A value with a rule of its own (a list, a value that is
// moved or chosen while reading) is a pair of functions at its place in both orders.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "base/messages.h"
#include "base/settings.h"
#include "base/settings_lists.h"
#include "base/settings_store.h"

namespace tarvo::base {

enum class ValueKind : std::uint8_t {
    Text,      // the text itself; an absent value leaves the default
    Number,    // "%ld", read with the atol rule
    Number16,  // a number kept in 16 bits
    Flag,      // 0 or 1
    Rect,      // four numbers with their separator
    Rule,      // read and written by functions of its own
};

template <class R>
struct StoredValue {
    using ReadRule = void (*)(const SettingsKey& key, std::string_view name, R& record);
    using WriteRule = void (*)(SettingsKey& key, std::string_view name, const R& record);

    const char* name = nullptr;  // null: the name is the text of message nameId
    unsigned nameId = 0;
    ValueKind kind = ValueKind::Text;
    int readAt = 0;  // place in the start-up reading; 0: not read with the table
    char separator = ' ';
    std::string R::*text = nullptr;
    long R::*number = nullptr;
    std::uint16_t R::*number16 = nullptr;
    bool R::*flag = nullptr;
    Rect R::*rect = nullptr;
    ReadRule read = nullptr;  // Rule: either may be null (read only, or written only)
    WriteRule write = nullptr;

    constexpr StoredValue(const char* n, std::string R::*m, int at)
        : name(n), kind(ValueKind::Text), readAt(at), text(m) {}
    constexpr StoredValue(unsigned id, std::string R::*m, int at)
        : nameId(id), kind(ValueKind::Text), readAt(at), text(m) {}
    constexpr StoredValue(const char* n, long R::*m, int at)
        : name(n), kind(ValueKind::Number), readAt(at), number(m) {}
    constexpr StoredValue(const char* n, std::uint16_t R::*m, int at)
        : name(n), kind(ValueKind::Number16), readAt(at), number16(m) {}
    constexpr StoredValue(const char* n, bool R::*m, int at)
        : name(n), kind(ValueKind::Flag), readAt(at), flag(m) {}
    constexpr StoredValue(const char* n, Rect R::*m, char sep, int at)
        : name(n), kind(ValueKind::Rect), readAt(at), separator(sep), rect(m) {}
    constexpr StoredValue(const char* n, ReadRule r, WriteRule w, int at)
        : name(n), kind(ValueKind::Rule), readAt(at), read(r), write(w) {}
};

template <class R>
using ValueTable = std::span<const StoredValue<R>>;

template <class R>
std::string_view ValueName(const StoredValue<R>& v) {
    return v.name ? std::string_view(v.name) : std::string_view(GetString(v.nameId));
}

template <class R>
void ReadValue(const SettingsKey& key, const StoredValue<R>& v, R& r) {
    std::string_view name = ValueName(v);
    switch (v.kind) {
    case ValueKind::Text: ReadTextOr(key, name, r.*v.text); break;
    case ValueKind::Number: r.*v.number = ReadNumber(key, name, r.*v.number); break;
    case ValueKind::Number16:
        r.*v.number16 = static_cast<std::uint16_t>(ReadNumber(key, name, r.*v.number16));
        break;
    case ValueKind::Flag: r.*v.flag = ReadNumber(key, name, r.*v.flag) != 0; break;
    case ValueKind::Rect: {
        std::string text;
        if (ReadText(key, name, text)) ParseRect(text, v.separator, r.*v.rect);
        break;
    }
    case ValueKind::Rule:
        if (v.read) v.read(key, name, r);
        break;
    }
}

template <class R>
void WriteValue(SettingsKey& key, const StoredValue<R>& v, const R& r) {
    std::string_view name = ValueName(v);
    switch (v.kind) {
    case ValueKind::Text: WriteText(key, name, r.*v.text); break;
    case ValueKind::Number: WriteNumber(key, name, r.*v.number); break;
    case ValueKind::Number16: WriteNumber(key, name, r.*v.number16); break;
    case ValueKind::Flag: WriteNumber(key, name, r.*v.flag ? 1 : 0); break;
    case ValueKind::Rect: WriteText(key, name, FormatRect(r.*v.rect, v.separator)); break;
    case ValueKind::Rule:
        if (v.write) v.write(key, name, r);
        break;
    }
}

// The start-up reading of one table, in several parts or one: the values by their places.
template <class R>
void ReadValues(const SettingsKey& key, std::initializer_list<ValueTable<R>> parts, R& r) {
    for (int place = 1;; ++place) {
        const StoredValue<R>* next = nullptr;
        for (ValueTable<R> part : parts)
            for (const StoredValue<R>& v : part)
                if (v.readAt == place) next = &v;
        if (!next) return;
        ReadValue(key, *next, r);
    }
}

// Writes the values in table order; stops at the first failed write (reported).
template <class R>
bool WriteValues(SettingsKey& key, ValueTable<R> table, const R& r) {
    for (const StoredValue<R>& v : table) WriteValue(key, v, r);
    return !key.failed;
}

// For a static_assert beside each table: the places of its parts run 1, 2, ... without a gap
// or a place taken twice, so the reading reaches every value.
template <class R>
constexpr bool PlacesRunFromOne(std::initializer_list<ValueTable<R>> parts) {
    int count = 0;
    for (ValueTable<R> part : parts)
        for (const StoredValue<R>& v : part) count += v.readAt > 0 ? 1 : 0;
    for (int place = 1; place <= count; ++place) {
        int holders = 0;
        for (ValueTable<R> part : parts)
            for (const StoredValue<R>& v : part) holders += v.readAt == place ? 1 : 0;
        if (holders != 1) return false;
    }
    return true;
}

template <class M>
struct MemberOf;
template <class R, class T>
struct MemberOf<T R::*> {
    using Record = R;
};

// A list kept in `Member`, read and written whole by its own functions at its places. Read
// may be nullptr for a list the reading finds elsewhere.
template <auto Member, auto Read, auto Write>
constexpr auto ListValue(int readAt) {
    using R = typename MemberOf<decltype(Member)>::Record;
    typename StoredValue<R>::ReadRule read = nullptr;
    // Told apart by type: comparing a function's address with null is no constant expression
    // under the sanitizers.
    if constexpr (!std::is_same_v<decltype(Read), std::nullptr_t>)
        read = [](const SettingsKey& key, std::string_view, R& r) { Read(key, r.*Member); };
    typename StoredValue<R>::WriteRule write = [](SettingsKey& key, std::string_view,
                                                  const R& r) { Write(key, r.*Member); };
    return StoredValue<R>(nullptr, read, write, readAt);
}

}  // namespace tarvo::base
