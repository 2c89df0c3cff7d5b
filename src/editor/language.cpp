#include "editor/language.h"
#include "platform/text.h"

#include <algorithm>
#include <cctype>
#include <span>

#include "editor/document.h"
#include "editor/search_messages.h"
#include "base/messages.h"
#include "base/settings.h"

namespace tarvo::editor {
namespace {

struct BuiltInLanguage {
    unsigned nameId;
    const char* extensions;
    const char* comment;
    const char* stringChars;
    FunctionFinder finder;
    const char* startFunction;
    const char* endFunction;
    std::span<const std::string_view> keywords;  // empty: the C keywords of the message table
};

constexpr BuiltInLanguage kBuiltIn[] = {
    {kMsgLanguageC, "C;H;CPP;HPP", "/*", "'\"", FunctionFinder::C, "", "", {}},
    // Names of one character and with underscores, and PROC or ENDP at the end of the line.
    {kMsgLanguageAssembly, "ASM", ";", "'", FunctionFinder::Pattern, "^[A-Za-z_][_A-Za-z0-9]*[ \t]+PROC([ \t]|$)",
     "^[A-Za-z_][_A-Za-z0-9]*[ \t]+ENDP([ \t]|$)", {}},
    {kMsgLanguageFortran, "F", ";", "'", FunctionFinder::Fortran, "", "", kFortranKeywords},
    {kMsgLanguagePascal, "PAS", "{}(*)", "'", FunctionFinder::Pascal, "", "", kPascalKeywords},
    {kMsgLanguageEiffel, "e", "-", "'\"", FunctionFinder::Eiffel, "", "", kEiffelKeywords},
};

const BuiltInLanguage* BuiltInNamed(std::string_view name) {
    for (const BuiltInLanguage& b : kBuiltIn)
        if (name == base::GetString(b.nameId)) return &b;
    return nullptr;
}

std::unique_ptr<Language> MakeLanguage(const base::Language& stored) {
    auto l = std::make_unique<Language>();
    l->name = stored.name;
    l->code = stored.code;
    l->comment = stored.comment;
    l->startFunction = stored.startFunction;
    l->endFunction = stored.endFunction;
    l->extensions = stored.extensions;
    l->stringChars = stored.stringChars;
    l->flags = stored.flags;
    const BuiltInLanguage* b = stored.builtIn ? BuiltInNamed(stored.name) : nullptr;
    l->builtIn = b != nullptr;
    l->finder = b ? b->finder : FunctionFinder::Pattern;
    for (const std::string& word : stored.keywords)
        l->keywords.Add((l->flags & kLanguageIgnoreCase) ? Lower(word) : word);
    for (int c = 0; c < 256; ++c) l->wordChars[static_cast<std::size_t>(c)] = IsWordChar(static_cast<char>(c));
    if (l->finder == FunctionFinder::Fortran) l->wordChars['.'] = true;  // ".gt." and its kind
    return l;
}

// The extension of a file name: the text after the last '.' of its last component.
std::string_view Extension(std::string_view fileName) {
    std::size_t slash = fileName.find_last_of("\\/:");
    std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
    return fileName.substr(dot + 1);
}

bool ListsExtension(const Language& l, std::string_view extension) {
    std::string_view list = l.extensions;
    while (!list.empty()) {
        std::size_t semi = list.find(';');
        std::string_view one = list.substr(0, semi);
        if (!one.empty() && SameText(one, extension)) return true;
        if (semi == std::string_view::npos) break;
        list.remove_prefix(semi + 1);
    }
    return false;
}

}  // namespace

LanguageState& languages() {
    static LanguageState state;
    return state;
}

void ResetLanguages() { languages() = LanguageState{}; }

void InstallBuiltInLanguages() {
    auto& list = base::settings().languages;
    list.clear();
    for (const BuiltInLanguage& b : kBuiltIn) {
        base::Language l;
        l.name = base::GetString(b.nameId);
        l.extensions = b.extensions;
        l.comment = b.comment;
        l.stringChars = b.stringChars;
        l.startFunction = b.startFunction;
        l.endFunction = b.endFunction;
        l.flags = kLanguageDefault;
        if (b.nameId == kMsgLanguageC) l.keywords = CKeywords();
        else l.keywords.assign(b.keywords.begin(), b.keywords.end());
        l.builtIn = true;
        list.push_back(std::move(l));
    }
}

void BuildLanguages() {
    LanguageState& state = languages();
    // Documents point at the records: give each its language again from the new list.
    std::vector<std::unique_ptr<Language>> list;
    for (const base::Language& stored : base::settings().languages) list.push_back(MakeLanguage(stored));
    state.list = std::move(list);
    state.built = true;
    for (auto& doc : editor().documents) {
        doc->language = LanguageForFile(doc->name);
        if (IsCLanguage(doc->language)) doc->flags |= kCLanguage;
        else doc->flags &= static_cast<std::uint16_t>(~kCLanguage);
    }
}

const Language* LanguageForFile(std::string_view fileName) {
    if (!languages().built) BuildLanguages();
    std::string_view extension = Extension(fileName);
    if (extension.empty()) return nullptr;
    for (const auto& l : languages().list)
        if (ListsExtension(*l, extension)) return l.get();
    return nullptr;
}

const Language* ChooseLanguageForDocument(const std::string& fileName, bool& isC) {
    const Language* l = LanguageForFile(fileName);
    isC = IsCLanguage(l);
    base::Settings& s = base::settings();
    if (l && s.projectActive()) {
        // The built-in Eiffel language is named "eiffel": compare without case, or it never counts.
        if (SameText(l->name, "Eiffel")) s.project.projectFlags |= base::kProjectEiffel;
        if (SameText(l->name, base::GetString(kMsgLanguageFortran))) s.project.projectFlags |= base::kProjectFortran;
    }
    return l;
}

bool IsCLanguage(const Language* language) {
    return language && language->name == base::GetString(kMsgLanguageC);
}

bool IsEiffelLanguage(const Language* language) {
    return language && language->name == base::GetString(kMsgLanguageEiffel);
}

bool IsLanguageKeyword(const Language& language, std::string_view word) {
    if (language.flags & kLanguageIgnoreCase) return language.keywords.Contains(Lower(word));
    return language.keywords.Contains(word);
}

}  // namespace tarvo::editor
