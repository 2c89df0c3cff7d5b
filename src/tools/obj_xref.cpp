#include "tools/obj_xref.h"

#include <algorithm>
#include <new>
#include <unordered_map>

#include "base/messages.h"
#include "binary/archive.h"
#include "binary/coff.h"
#include "platform/files.h"
#include "platform/text.h"
#include "tools/tools_messages.h"

namespace tarvo::tools {
namespace {

using binary::Bytes;

bool Skipped(std::string_view name) { return name.starts_with("??") || name.starts_with("__"); }

unsigned ReasonOf(binary::CoffFault fault) {
    switch (fault) {
    case binary::CoffFault::SectionsPastEnd: return kMsgXrefSectionsPastEnd;
    case binary::CoffFault::SymbolsPastEnd: return kMsgXrefSymbolsPastEnd;
    case binary::CoffFault::BadStringTable: return kMsgXrefBadStrings;
    case binary::CoffFault::AuxiliaryPastEnd: return kMsgXrefAuxPastEnd;
    case binary::CoffFault::None: break;
    }
    return kMsgUnrecognizedFormat;
}

void AddSection(XrefModule& m, std::string_view name, std::uint64_t size) {
    if (name.starts_with(".text")) m.code += size;
    else if (name.starts_with(".data")) m.data += size;
    else if (name.starts_with(".bss")) m.bss += size;
    for (XrefSection& s : m.sections)
        if (s.name == name) {
            s.size += size;
            return;
        }
    m.sections.push_back({std::string(name), size});
}

// False, with the reason in `skip`, for what is not a whole COFF object of a known machine.
bool ReadObject(Bytes bytes, XrefModule& m, XrefSkip& skip) {
    binary::CoffHeader h;
    // An image has an optional header; an object has none.
    if (!binary::ReadCoffHeader(bytes, 0, h) || !h.machine || h.optionalSize != 0) {
        skip.reason = kMsgUnrecognizedFormat;
        return false;
    }
    m.machine = h.machine;
    binary::CoffFault fault = binary::CoffFault::None;
    Bytes strings = binary::StringTableOf(bytes, h, fault);
    std::vector<binary::Section> sections;
    std::vector<binary::Symbol> symbols;
    std::size_t badNames = 0;
    if (fault != binary::CoffFault::None || !binary::ReadSections(bytes, h, strings, sections, fault) ||
        !binary::ReadSymbols(bytes, h, strings, symbols, fault, badNames)) {
        skip.reason = ReasonOf(fault);
        return false;
    }
    if (badNames) {
        skip.reason = kMsgXrefBadName;
        return false;
    }
    for (const binary::Section& s : sections) AddSection(m, s.name, s.rawSize);
    for (const binary::Symbol& s : symbols) {
        if (s.storageClass == binary::kClassFile) {
            std::string_view source = binary::FileSymbolName(s);
            if (!source.empty() && m.source.empty()) m.source = std::string(source);
            continue;
        }
        bool external = s.storageClass == binary::kClassExternal, weak = s.storageClass == binary::kClassWeakExternal;
        if ((!external && !weak) || Skipped(s.name)) continue;
        if (s.section == 0 && (weak || s.value == 0)) {
            m.externs.push_back({std::string(s.name), {}});
        } else if (s.section == 0) {  // a common: defined here with its size
            m.publics.push_back({std::string(s.name), s.value, true, {}});
        } else {
            std::uint64_t size = s.aux.empty() ? 0 : binary::Get<std::uint32_t>(s.aux, 4);
            m.publics.push_back({std::string(s.name), size, false, {}});
        }
    }
    return true;
}

// A member of an import library in the short form: the function and its import slot.
bool ReadShortImport(Bytes bytes, XrefModule& m, XrefSkip& skip) {
    binary::ShortImport imp;
    if (!binary::ReadShortImport(bytes, imp)) {
        skip.reason = kMsgUnrecognizedFormat;
        return false;
    }
    m.machine = imp.machine;
    m.source = std::string(imp.dll);
    std::string slot = "__imp_" + std::string(imp.symbol);
    if (imp.type == 0 && !Skipped(imp.symbol)) m.publics.push_back({std::string(imp.symbol), 0, false, {}});
    if (!Skipped(slot)) m.publics.push_back({slot, 0, false, {}});
    return true;
}

void AddModule(XrefModel& model, const std::string& name, std::size_t member, Bytes bytes) {
    XrefModule m;
    m.file = name;
    m.member = member;
    XrefSkip skip{name, 0, {}};
    bool ok = binary::IsShortImport(bytes) ? ReadShortImport(bytes, m, skip) : ReadObject(bytes, m, skip);
    if (!ok) {
        model.skipped.push_back(std::move(skip));
        return;
    }
    if (m.source.empty()) m.source = name;
    model.modules.push_back(std::move(m));
}

template <class T>
void SortUnique(std::vector<T>& v) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
}

std::string ModuleName(const XrefModel& model, ModuleIndex i) { return platform::BaseName(model.modules[i].file); }

std::string ModuleNames(const XrefModel& model, const std::vector<ModuleIndex>& list, std::string_view separator) {
    std::string out;
    for (std::size_t k = 0; k < list.size(); ++k) {
        if (k) out += separator;
        out += ModuleName(model, list[k]);
    }
    return out;
}

}  // namespace

void AddBytes(XrefModel& model, const std::string& name, Bytes bytes) {
    if (!binary::IsArchive(bytes)) {
        AddModule(model, name, 0, bytes);
        return;
    }
    std::vector<binary::ArchiveMember> members;
    std::string problem;
    bool whole = binary::ReadArchive(bytes, members, problem);
    for (const binary::ArchiveMember& a : members) AddModule(model, name + "(" + a.name + ")", a.position, a.bytes);
    if (!whole) model.skipped.push_back({name, kMsgXrefBadArchive, problem});
}

void AddFile(XrefModel& model, const std::string& path) {
    platform::FileContent content;
    platform::ReadStatus status = platform::ReadWholeFile(path, content);
    if (status == platform::ReadStatus::NoMemory) throw std::bad_alloc();
    if (status != platform::ReadStatus::Ok) {
        model.skipped.push_back({path, kMsgXrefCannotRead, {}});
        return;
    }
    AddBytes(model, path, Bytes(reinterpret_cast<const std::uint8_t*>(content.data.get()), content.size));
}

void Link(XrefModel& model) {
    struct Definition {
        ModuleIndex module;
        std::uint32_t index;
    };
    std::unordered_map<std::string_view, std::vector<Definition>> byName;
    for (ModuleIndex m = 0; m < model.modules.size(); ++m) {
        const std::vector<XrefPublic>& publics = model.modules[m].publics;
        for (std::uint32_t p = 0; p < publics.size(); ++p) byName[publics[p].name].push_back({m, p});
    }
    for (ModuleIndex m = 0; m < model.modules.size(); ++m) {
        XrefModule& user = model.modules[m];
        for (XrefExtern& e : user.externs) {
            auto it = byName.find(e.name);
            if (it == byName.end()) continue;
            for (const Definition& d : it->second) {
                if (d.module == m) continue;
                XrefModule& definer = model.modules[d.module];
                std::vector<ModuleIndex>& users = definer.publics[d.index].users;
                if (users.empty() || users.back() != m) users.push_back(m);
                e.definers.push_back(d.module);
                user.uses.push_back(d.module);
                definer.usedBy.push_back(m);
            }
            SortUnique(e.definers);
        }
    }
    for (XrefModule& m : model.modules) {
        SortUnique(m.uses);
        SortUnique(m.usedBy);
    }
}

bool BuildXref(const std::vector<std::string>& paths, XrefModel& model) {
    model = XrefModel{};
    try {
        for (const std::string& path : paths) AddFile(model, path);
        Link(model);
    } catch (const std::bad_alloc&) {
        model = XrefModel{};
        base::OutOfMemoryBox();
        return false;
    }
    if (!model.skipped.empty()) base::ErrorBox(SkippedText(model.skipped));
    return true;
}

std::vector<std::string> ObjectFilesIn(const std::string& directory) {
    std::vector<std::string> out;
    for (const std::string& name : platform::ListDirectory(directory)) {
        std::string lower = name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.size() > 4 && lower.ends_with(".obj")) out.push_back(directory + "\\" + name);
    }
    std::sort(out.begin(), out.end());
    return out;
}

XrefTotals Totals(const XrefModel& model) {
    XrefTotals t;
    for (const XrefModule& m : model.modules)
        for (const XrefSection& s : m.sections) {
            std::string upper = s.name;
            for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (upper.find("DATA") != std::string::npos) t.data += s.size;
            else if (upper.find("BSS") != std::string::npos) t.bss += s.size;
            else if (upper.find("TEXT") != std::string::npos) t.code += s.size;
            else t.other += s.size;
        }
    return t;
}

XrefFound Find(const XrefModel& model, std::string_view name) {
    XrefFound found;
    auto matches = [&](const XrefModule& m, std::string_view symbol) {
        if (symbol == name) return true;
        std::string_view d = m.machine ? m.machine->decoration : std::string_view{};
        return !d.empty() && symbol.size() == d.size() + name.size() && symbol.starts_with(d) && symbol.ends_with(name);
    };
    for (ModuleIndex i = 0; i < model.modules.size(); ++i) {
        const XrefModule& m = model.modules[i];
        for (const XrefPublic& p : m.publics)
            if (matches(m, p.name)) found.definers.push_back(i);
        for (const XrefExtern& e : m.externs)
            if (matches(m, e.name)) found.users.push_back(i);
    }
    SortUnique(found.definers);
    SortUnique(found.users);
    return found;
}

std::vector<const XrefPublic*> Unreferenced(const XrefModule& m) {
    std::vector<const XrefPublic*> out;
    for (const XrefPublic& p : m.publics)
        if (p.users.empty()) out.push_back(&p);
    return out;
}

std::string ModuleText(const XrefModule& m) {
    std::string text = Printf(base::GetString(kMsgXrefModule), platform::BaseName(m.file).c_str(),
                                        static_cast<unsigned long long>(m.code), static_cast<unsigned long long>(m.data),
                                        static_cast<unsigned long long>(m.bss));
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string SymbolCountText(const XrefModule& m) {
    return Printf(base::GetString(kMsgXrefSymbolCount), m.publics.size() + m.externs.size());
}

std::string ExternText(const XrefModel& model, const XrefExtern& e) {
    if (e.definers.empty()) return Printf(base::GetString(kMsgXrefNotDefined), e.name.c_str());
    return Printf(base::GetString(kMsgXrefDefinedIn), e.name.c_str(), ModuleNames(model, e.definers, ", ").c_str());
}

std::string PublicText(const XrefModel& model, const XrefPublic& p) {
    std::string text = p.users.empty() ? base::GetString(kMsgXrefNotUsed)
                                       : base::GetString(kMsgXrefUsedIn) + ModuleNames(model, p.users, ", ");
    if (p.common) text += base::GetString(kMsgXrefCommon);
    return text + Printf(base::GetString(kMsgXrefSize), static_cast<unsigned long long>(p.size));
}

std::string FindText(const XrefModel& model, std::string_view name, const XrefFound& found) {
    std::string text = found.definers.empty()
                           ? Printf(base::GetString(kMsgXrefNotDefined), std::string(name).c_str()) + "   "
                           : Printf(base::GetString(kMsgXrefFindDefined), ModuleNames(model, found.definers, ", ").c_str());
    return text + base::GetString(kMsgXrefFindUsed) + ModuleNames(model, found.users, ", ");
}

std::string TotalsText(const XrefTotals& t) {
    return Printf(base::GetString(kMsgXrefTotals), static_cast<unsigned long long>(t.data),
                            static_cast<unsigned long long>(t.bss), static_cast<unsigned long long>(t.code),
                            static_cast<unsigned long long>(t.other));
}

std::string SkippedText(const std::vector<XrefSkip>& skipped) {
    std::string list;
    for (const XrefSkip& s : skipped) {
        std::string reason = base::GetString(s.reason);
        if (reason.find("%s") != std::string::npos) reason = Printf(reason.c_str(), s.detail.c_str());
        // Names without their folders: a box shows only so much.
        list += platform::BaseName(s.file) + ": " + reason + "\n";
    }
    return Printf(base::GetString(kMsgXrefSkipped), list.c_str());
}

}  // namespace tarvo::tools
