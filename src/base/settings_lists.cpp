#include "base/settings_lists.h"

#include <cstdlib>

#include "platform/text.h"
#include "base/settings_numbered.h"

namespace tarvo::base {
namespace {

constexpr size_t kKeywordsPerLine = 7;

// One number of a blank- or separator-delimited list; false when there is none.
bool nextInt(const char*& p, int& value) {
    char* end = nullptr;
    long v = std::strtol(p, &end, 10);
    if (end == p) return false;
    value = static_cast<int>(v);
    p = end;
    return true;
}

bool exists(const SettingsKey& key, const std::string& valueName) {
    std::string ignored;
    return ReadText(key, valueName, ignored);
}

std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

ItemRead takeOpenFile(const std::string& text, OpenFile& f) {
    return ParseOpenFile(text, f) ? ItemRead::Take : ItemRead::Skip;
}

constexpr NumberedList<OpenFile> kOpenFileList{"OpenFiles", "OpenFile", FormatOpenFile,
                                               takeOpenFile};
// "Accel%d" holds the row of the command key table with its binding.
constexpr NumberedList<std::string> kKeyBindingList = TextList("Accelerators", "Accel");

}  // namespace

std::string Numbered(const char* format, long n) { return Printf(format, static_cast<int>(n)); }
std::string Numbered(const char* format, long n, long m) {
    return Printf(format, static_cast<int>(n), static_cast<int>(m));
}

std::string FormatRect(const Rect& r, char separator) {
    return Printf("%d%c%d%c%d%c%d", r.left, separator, r.top, separator, r.right, separator,
                  r.bottom);
}

bool ParseRect(const std::string& text, char separator, Rect& r) {
    const char* p = text.c_str();
    int v[4];
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && separator != ' ') {  // numbers skip the blanks before them
            while (*p == ' ') ++p;
            if (*p++ != separator) return false;
        }
        if (!nextInt(p, v[i])) return false;
    }
    r = Rect{v[0], v[1], v[2], v[3]};
    return true;
}

// "%03d" of the byte's signed value wherever that takes three characters: 0..127 and
// -99..-1 (codes 157..255) read back through atoi and a cast to a byte. Codes 128..156 would
// need four ("-128".."-100"); they are written as 384..412, the same bytes modulo 256.
std::string EncodeMacroByte(unsigned char byte) {
    int value = static_cast<signed char>(byte);
    if (value < -99) value += 512;
    return Printf("%03d", value);
}

std::vector<std::string> EncodeMacroText(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i % kMacroBytesPerLine == 0) lines.emplace_back();
        lines.back() += EncodeMacroByte(static_cast<unsigned char>(text[i]));
    }
    return lines;
}

bool DecodeMacroLine(const std::string& line, std::string& text) {
    if (line.size() % 3 != 0) return false;
    for (size_t i = 0; i < line.size(); i += 3)
        text += static_cast<char>(static_cast<unsigned char>(AtoL(line.substr(i, 3))));
    return true;
}

std::string FormatKeyBinding(size_t row, const KeyRow& b) {
    return Printf("%4d%4d%4d%4d", static_cast<int>(row), b.key, b.command, b.modifiers);
}

// Four fields of four characters; a command id of five digits widens the third field, so it
// is read as whatever lies between the key and the last four characters.
bool ParseKeyBinding(const std::string& text, size_t& row, KeyRow& b) {
    if (text.size() < 16) return false;
    long index = AtoL(text.substr(0, 4));
    if (index < 0) return false;
    row = static_cast<size_t>(index);
    b.key = static_cast<int>(AtoL(text.substr(4, 4)));
    b.command = static_cast<int>(AtoL(text.substr(8, text.size() - 12)));
    b.modifiers = static_cast<int>(AtoL(text.substr(text.size() - 4)));
    return true;
}

std::string FormatOpenFile(const OpenFile& f) {
    return Printf("\"%s\" %ld %d %d %d %d", f.name.c_str(), f.line, f.window.left, f.window.top,
                  f.window.right, f.window.bottom);
}

bool ParseOpenFile(const std::string& text, OpenFile& f) {
    size_t end;
    if (!text.empty() && text[0] == '"') {
        end = text.find('"', 1);
        if (end == std::string::npos) return false;
        f.name = text.substr(1, end - 1);
        ++end;
    } else {
        end = text.find(' ');
        if (end == std::string::npos) end = text.size();
        f.name = text.substr(0, end);
    }
    if (f.name.empty()) return false;
    const char* p = text.c_str() + end;
    int v[5] = {0, 0, 0, 0, 0};  // numbers that are missing read as 0
    for (int& n : v)
        if (!nextInt(p, n)) break;
    f.line = v[0];
    f.window = Rect{v[1], v[2], v[3], v[4]};
    f.neverSave = false;
    return true;
}

void ReadUtilities(const SettingsKey& key, std::vector<Utility>& utilities) {
    utilities.clear();
    // From the last to the first, each in front: the list ends in stored order.
    for (long n = ReadNumber(key, "NumberOfUtilities", 0); n >= 1; --n) {
        Utility u;
        std::string id;
        if (!ReadText(key, Numbered("Util%dNickname", n), u.nickname) ||
            !ReadText(key, Numbered("Util%dProgname", n), u.program) ||
            !ReadText(key, Numbered("Util%dProgArgs", n), u.arguments) ||
            !ReadText(key, Numbered("Util%dStartDir", n), u.startDir) ||
            !ReadText(key, Numbered("Util%dID", n), id))
            break;
        u.id = AtoL(id);
        utilities.insert(utilities.begin(), u);
    }
}

bool WriteUtilities(SettingsKey& key, const std::vector<Utility>& utilities) {
    WriteNumber(key, "NumberOfUtilities", static_cast<long>(utilities.size()));
    long n = 0;
    for (const Utility& u : utilities) {
        ++n;
        WriteText(key, Numbered("Util%dNickname", n), u.nickname);
        WriteText(key, Numbered("Util%dProgname", n), u.program);
        WriteText(key, Numbered("Util%dProgArgs", n), u.arguments);
        WriteText(key, Numbered("Util%dStartDir", n), u.startDir);
        WriteNumber(key, Numbered("Util%dID", n), u.id);
    }
    return !key.failed;
}

void ReadLanguages(const SettingsKey& key, std::vector<Language>& languages) {
    long count = ReadNumber(key, "Languages", 0);
    size_t added = 0;  // new languages go in front, in stored order
    for (long n = 1; n <= count; ++n) {
        std::string languageName;
        if (!ReadText(key, Numbered("Language%d", n), languageName)) break;
        Language* l = nullptr;
        for (Language& known : languages)
            if (known.name == languageName) l = &known;
        if (!l) {
            Language fresh;
            fresh.name = languageName;
            l = &*languages.insert(languages.begin() + static_cast<long>(added++), fresh);
        }
        ReadText(key, Numbered("Language%dExtension", n), l->extensions);
        ReadText(key, Numbered("Language%dStartFunction", n), l->startFunction);
        ReadText(key, Numbered("Language%dEndFunction", n), l->endFunction);
        ReadText(key, Numbered("Language%dCommentChar", n), l->comment);
        ReadText(key, Numbered("Language%dStringChars", n), l->stringChars);
        ReadText(key, Numbered("Language%dIcon", n), l->icon);
        l->flags = static_cast<std::uint16_t>(ReadNumber(key, Numbered("Language%dFlags", n), 1));
        if (!l->builtIn) l->code = ReadNumber(key, Numbered("Language%dCode", n), 0);
        // Stored keywords replace the list; without a stored count a built-in list stays.
        std::string countText;
        if (!ReadText(key, Numbered("Language%dKeywordCount", n), countText)) continue;
        long keywords = AtoL(countText);
        l->keywords.clear();
        for (long line = 1; line <= keywords / 7 + 1; ++line) {
            std::string text;
            if (!ReadText(key, Numbered("Language%dKeywords%d", n, line), text) || text.empty())
                break;
            for (const std::string& word : splitWords(text))
                if (static_cast<long>(l->keywords.size()) < keywords) l->keywords.push_back(word);
            if (static_cast<long>(l->keywords.size()) >= keywords) break;
        }
    }
}

bool WriteLanguages(SettingsKey& key, const std::vector<Language>& languages) {
    WriteNumber(key, "Languages", static_cast<long>(languages.size()));
    long n = 0;
    for (const Language& l : languages) {
        ++n;
        WriteText(key, Numbered("Language%d", n), l.name);
        WriteText(key, Numbered("Language%dExtension", n), l.extensions);
        WriteText(key, Numbered("Language%dStartFunction", n), l.startFunction);
        WriteText(key, Numbered("Language%dEndFunction", n), l.endFunction);
        WriteText(key, Numbered("Language%dCommentChar", n), l.comment);
        WriteText(key, Numbered("Language%dStringChars", n), l.stringChars);
        // Written only when set; an icon stored for an earlier language n is cleared.
        std::string iconName = Numbered("Language%dIcon", n);
        if (!l.icon.empty() || exists(key, iconName)) WriteText(key, iconName, l.icon);
        WriteNumber(key, Numbered("Language%dFlags", n), l.flags);
        WriteNumber(key, Numbered("Language%dCode", n), l.code);
        WriteNumber(key, Numbered("Language%dKeywordCount", n), static_cast<long>(l.keywords.size()));
        std::string line;
        long lineNumber = 0;
        for (size_t i = 0; i < l.keywords.size(); ++i) {
            line += (i % kKeywordsPerLine == 0 ? "" : " ") + l.keywords[i];
            if (i % kKeywordsPerLine == kKeywordsPerLine - 1 || i + 1 == l.keywords.size()) {
                WriteText(key, Numbered("Language%dKeywords%d", n, ++lineNumber), line);
                line.clear();
            }
        }
    }
    return !key.failed;
}

void ReadMacros(const SettingsKey& key, std::vector<Macro>& macros) {
    macros.clear();
    long count = ReadNumber(key, "Macros", 0);
    for (long n = 1; n <= count; ++n) {
        long length = ReadNumber(key, Numbered("Macro%dLength", n), 0);
        if (length <= 0) break;
        Macro m;
        ReadText(key, Numbered("Macro%dCode", n), m.key);
        m.position = ReadNumber(key, Numbered("Macro%dPosition", n), 0);
        bool whole = true;
        for (long line = 0; whole && static_cast<long>(m.text.size()) < length; ++line) {
            std::string digits;
            whole = ReadText(key, Numbered("Macro%dTextLine%d", n, line), digits) && !digits.empty() &&
                    DecodeMacroLine(digits, m.text);
        }
        if (!whole) break;  // a macro cut short is not run as something else
        m.text.resize(static_cast<size_t>(length));
        macros.push_back(m);
    }
}

bool WriteMacros(SettingsKey& key, const std::vector<Macro>& macros) {
    // A macro of length 0 would end the reading: empty macros are not stored.
    long count = 0;
    for (const Macro& m : macros) count += m.text.empty() ? 0 : 1;
    WriteNumber(key, "Macros", count);
    long n = 0;
    for (const Macro& m : macros) {
        if (m.text.empty()) continue;
        ++n;
        WriteText(key, Numbered("Macro%dCode", n), m.key);
        WriteNumber(key, Numbered("Macro%dPosition", n), m.position);
        WriteNumber(key, Numbered("Macro%dLength", n), static_cast<long>(m.text.size()));
        std::vector<std::string> lines = EncodeMacroText(m.text);
        for (size_t line = 0; line < lines.size(); ++line)
            WriteText(key, Numbered("Macro%dTextLine%d", n, static_cast<long>(line)), lines[line]);
    }
    return !key.failed;
}

void ReadKeyBindings(const SettingsKey& key, std::vector<KeyRow>& rows) {
    std::vector<std::string> texts;
    ReadList(key, kKeyBindingList, texts);
    for (const std::string& text : texts) {
        size_t row;
        KeyRow stored;
        // A binding for a row that now holds another command (or none) is not applied.
        if (!ParseKeyBinding(text, row, stored) || row >= rows.size() ||
            rows[row].command != stored.command)
            continue;
        rows[row].key = stored.key;
        rows[row].modifiers = stored.modifiers | kKeyChanged;
    }
}

bool WriteKeyBindings(SettingsKey& key, const std::vector<KeyRow>& rows) {
    std::vector<std::string> changed;
    for (size_t row = 0; row < rows.size(); ++row)
        if (rows[row].modifiers & kKeyChanged) changed.push_back(FormatKeyBinding(row, rows[row]));
    return WriteList(key, kKeyBindingList, changed);
}

void ReadOpenFiles(const SettingsKey& key, std::vector<OpenFile>& files) {
    ReadList(key, kOpenFileList, files);
}

bool WriteOpenFiles(SettingsKey& key, const std::vector<OpenFile>& files) {
    std::vector<OpenFile> stored;
    for (const OpenFile& f : files)
        if (!f.neverSave) stored.push_back(f);
    return WriteList(key, kOpenFileList, stored);
}

}  // namespace tarvo::base
