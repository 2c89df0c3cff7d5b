// The linker stand-in's conversion to CodeView 4, checked end to end for both machines: C
// compiled by clang-14 and linked by GNU ld as the stand-ins do it, converted, then read back by
// the debugger's own reader and compared with nm, ld's map and llvm-readobj's dump of the objects.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "codeview_core.h"
#include "codeview_images.h"
#include "debug_test_util.h"
#include "debugger/cv_types.h"
#include "debugger/debug_queries.h"
#include "path_mapping.h"
#include "vexlnk_core.h"
#include "scripted_ui.h"

namespace tarvo::testbed {
namespace {

using namespace debugger;
using test::CodeViewSample;
using test::ConvertedProgram;

// What llvm-readobj says of one object.
struct Dump {
    struct Proc {
        std::uint32_t size = 0;
        std::map<std::string, std::int32_t> frameLocals;    // name: frame offset
        std::vector<std::pair<std::uint32_t, unsigned>> rows;  // offset in the function, line
        std::string file;
    };
    std::map<std::string, Proc> procs;
    std::map<std::string, std::string> data;  // display name: S_GDATA32 or S_LDATA32
    std::map<std::string, std::uint64_t> sizes;  // structure and union sizes by name (definitions)
    std::set<std::pair<std::string, std::uint64_t>> members;  // (name, offset)
};

std::string After(const std::string& line, const std::string& key) {
    std::size_t at = line.find(key);
    return at == std::string::npos ? "" : line.substr(at + key.size());
}

Dump ReadDump(const std::string& path) {
    Dump d;
    std::ifstream in(path);
    std::string line, proc, table, kind, pendingLocal, memberOffset;
    std::uint32_t rowOffset = 0, size = 0;
    bool inProc = false, inAggregate = false, forward = false;
    for (std::string raw; std::getline(in, raw);) {
        line = raw.substr(raw.find_first_not_of(' ') == std::string::npos ? 0 : raw.find_first_not_of(' '));
        if (line == "GlobalProcIdSym {" || line == "ProcIdSym {") inProc = true, proc.clear();
        else if (line.rfind("CodeSize: 0x", 0) == 0 && inProc) size = std::stoul(After(line, "0x"), nullptr, 16);
        else if (line.rfind("DisplayName: ", 0) == 0 && inProc && proc.empty()) {
            proc = After(line, "DisplayName: ");
            d.procs[proc].size = size;
        } else if (line.rfind("Kind: S_PROC_ID_END", 0) == 0) inProc = false;
        else if (line.rfind("VarName: ", 0) == 0) pendingLocal = After(line, "VarName: ");
        else if (line.rfind("Offset: ", 0) == 0 && !pendingLocal.empty() && inProc) {
            d.procs[proc].frameLocals[pendingLocal] = std::stoi(After(line, "Offset: "));
            pendingLocal.clear();
        } else if (line.rfind("Kind: S_", 0) == 0) kind = After(line, "Kind: ").substr(0, 9);
        else if (line.rfind("DisplayName: ", 0) == 0 && (kind == "S_GDATA32" || kind == "S_LDATA32"))
            d.data[After(line, "DisplayName: ")] = kind;
        else if (raw.rfind("    LinkageName: ", 0) == 0) {
            table = After(line, "LinkageName: ");
            if (!d.procs.count(table) && table[0] == '_') table.erase(0, 1);  // the 32-bit decoration
        }
        else if (line.rfind("Filename: ", 0) == 0 && !table.empty()) {
            std::string f = After(line, "Filename: ");
            d.procs[table].file = f.substr(0, f.rfind(" ("));
        } else if (line.rfind("+0x", 0) == 0 && !table.empty()) rowOffset = std::stoul(line.substr(3), nullptr, 16);
        else if (line.rfind("LineNumberStart: ", 0) == 0 && !table.empty())
            d.procs[table].rows.emplace_back(rowOffset, std::stoul(After(line, "LineNumberStart: ")));
        else if (line.find("TypeLeafKind: LF_STRUCTURE") == 0 || line.find("TypeLeafKind: LF_UNION") == 0)
            inAggregate = true, forward = false;
        else if (line.find("ForwardReference") == 0) forward = true;
        else if (line.rfind("SizeOf: ", 0) == 0 && inAggregate) size = std::stoul(After(line, "SizeOf: "));
        else if (line.rfind("Name: ", 0) == 0 && inAggregate) {
            if (!forward) d.sizes[After(line, "Name: ")] = size;
            inAggregate = false;
        } else if (line.rfind("FieldOffset: 0x", 0) == 0) memberOffset = After(line, "0x");
        else if (line.rfind("Name: ", 0) == 0 && !memberOffset.empty()) {
            d.members.emplace(After(line, "Name: "), std::stoull(memberOffset, nullptr, 16));
            memberOffset.clear();
        }
    }
    return d;
}

// nm's symbols: name to address; a name nm lists twice (a static of the toolchain's headers
// in several objects) has no single address and is left out.
std::map<std::string, std::uint64_t> ReadNm(const std::string& path) {
    std::map<std::string, std::uint64_t> out;
    std::set<std::string> twice;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string value, kind, name;
        if (!(words >> value >> kind >> name) || value.find_first_not_of("0123456789abcdef") != std::string::npos) continue;
        if (!out.emplace(name, std::stoull(value, nullptr, 16)).second) twice.insert(name);
    }
    for (const std::string& name : twice) out.erase(name);
    return out;
}

struct Converted : ::testing::TestWithParam<const char*> {
    tarvo::test::ScopedScriptedUi ui;
    DebugInfo info;
    const ConvertedProgram* p = nullptr;
    std::map<std::string, std::uint64_t> nm;
    std::string d;  // C names' decoration
    void SetUp() override {
        p = &CodeViewSample(GetParam());
        if (!p->skip.empty()) GTEST_SKIP() << p->skip;
        ASSERT_EQ(p->problem, "");
        nm = ReadNm(p->nm);
        ASSERT_TRUE(OpenExecutable(info, tarvo::test::SourceOf("sample.exe", p->image), false));
        d = std::string(info.images[0]->target->decoration);
    }
    const Function* Find(const std::string& name, const Module** module = nullptr) {
        FunctionHit hit = FindFunction(info, name);
        if (!hit) return nullptr;
        if (module) *module = &info.modules[hit.module];
        return &info.modules[hit.module].Functions()[hit.function];
    }
    TypeRef Type(std::uint16_t index) { return TypeRef{0, index}; }
};

TEST_P(Converted, FunctionsLocalsAndLinesAgreeWithTheObjectsAndNm) {
    EXPECT_EQ(tarvo::test::BoxTexts(ui.ui), "");
    const Image& exe = *info.images[0];
    EXPECT_TRUE(exe.codeView);
    ASSERT_EQ(exe.moduleCount, 3);
    int functions = 0, locals = 0, rows = 0;
    for (std::size_t k = 0; k < p->objects.size(); ++k) {
        const Module& m = info.modules[exe.firstModule + k];
        EXPECT_EQ(m.name, tarvo::testbed::test::ToWindows(p->objects[k]));
        Dump dump = ReadDump(p->objects[k] + ".cv");
        ASSERT_FALSE(dump.procs.empty()) << p->objects[k];
        for (const auto& [name, proc] : dump.procs) {
            const Function* f = nullptr;
            for (const Function& g : m.Functions())
                if (g.name == name) f = &g;
            ASSERT_TRUE(f) << name;
            ++functions;
            if (nm.count(d + name)) {
                EXPECT_EQ(f->start, nm[d + name]) << name;
            } else {
                EXPECT_NE(name, "main");
            }
            EXPECT_EQ(f->end - f->start, proc.size) << name;
            if (proc.rows.size() > 1 && proc.rows[1].second <= 0xFFFF) {
                EXPECT_EQ(f->debugStart, f->start + proc.rows[1].first) << name;  // past the prologue
            }
            EXPECT_LE(f->debugEnd, f->end) << name;
            for (const auto& [local, offset] : proc.frameLocals) {
                bool found = false;
                for (const Local& l : m.LocalsOf(*f)) found |= l.name == local && !l.inRegister && l.frameOffset == offset;
                EXPECT_TRUE(found) << name << " " << local << " " << offset;
                ++locals;
            }
            // Every row of the object's line table: the line of its address, unless a later row
            // starts at the same address (it has no code) or CodeView 4 cannot number it.
            for (std::size_t r = 0; r < proc.rows.size(); ++r) {
                auto [offset, line] = proc.rows[r];
                if (r + 1 < proc.rows.size() && proc.rows[r + 1].first == offset) continue;
                LineHit hit = LineOfAddress(info, f->start + offset);
                if (line > 0xFFFF) {
                    EXPECT_NE(hit.line, line & 0xFFFF) << name << " line " << line << " must not wrap";
                    continue;
                }
                EXPECT_EQ(hit.line, line) << name << " +" << offset;
                ASSERT_GE(hit.file, 0);
                EXPECT_EQ(m.files[hit.file].name, tarvo::testbed::test::ToWindows(proc.file));
                ++rows;
            }
        }
    }
    EXPECT_GE(functions, 5);
    EXPECT_GE(locals, 12);
    EXPECT_GE(rows, 25);
    // The entry function is found through the converted records, and so is its module.
    ASSERT_TRUE(FindEntryFunction(info));
    EXPECT_EQ(info.entryFunction, nm[d + "main"]);
    EXPECT_EQ(info.modules[info.mainModule].name, tarvo::testbed::test::ToWindows(p->objects[0]));
}

TEST_P(Converted, ModulesCodeRangesAgreeWithTheMap) {
    std::ifstream in(p->map);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    LinkMap map = ReadLinkMap(text);
    const Image& exe = *info.images[0];
    for (std::size_t k = 0; k < p->objects.size(); ++k) {
        auto placed = map.find(p->objects[k]);
        ASSERT_NE(placed, map.end()) << p->objects[k];
        const Module& m = info.modules[exe.firstModule + k];
        for (const MapPlacement& s : placed->second) {
            if (s.section != ".text" || !s.size) continue;
            EXPECT_EQ(ModuleOfAddress(info, s.address), m.number);
            EXPECT_EQ(ModuleOfAddress(info, s.address + s.size - 1), m.number);
            bool segment = false;
            for (const Range& r : m.segments) segment |= r.start == s.address && r.end == s.address + s.size;
            EXPECT_TRUE(segment) << p->objects[k];
        }
    }
}

TEST_P(Converted, GlobalAndStaticDataAgreeWithNm) {
    Dump main = ReadDump(p->objects[0] + ".cv"), util = ReadDump(p->objects[1] + ".cv");
    EXPECT_EQ(main.data["records"], "S_GDATA32");
    EXPECT_EQ(main.data["saved_argv"], "S_LDATA32");
    EXPECT_EQ(util.data["util_bias"], "S_LDATA32");
    for (const char* global : {"records", "global_counter", "util_calls"}) {
        SymbolHit hit = FindSymbol(info, global);
        ASSERT_TRUE(hit) << global;
        EXPECT_EQ(hit.entry->value, nm[d + global]) << global;
    }
    // Statics belong to their module: found from it, and from elsewhere only through the
    // search of every module's statics.
    const Image& exe = *info.images[0];
    info.currentModule = exe.firstModule;
    for (const char* name : {"saved_argv", "greeting"}) {
        SymbolHit hit = FindSymbol(info, name);
        ASSERT_TRUE(hit) << name;
        EXPECT_EQ(hit.entry->value, nm[d + name]) << name;
    }
    SymbolHit runs = FindSymbol(info, "runs");  // main's own static, under the name the source gives it
    ASSERT_TRUE(runs);
    EXPECT_EQ(runs.entry->value, nm[d + "main.runs"]);
    EXPECT_FALSE(FindSymbol(info, "util_bias"));
    SymbolHit bias = FindStatic(info, "util_bias");
    ASSERT_TRUE(bias);
    EXPECT_EQ(bias.entry->value, nm[d + "util_bias"]);
}

TEST_P(Converted, TypesAsTheSourceDeclaresThem) {
    Dump dump = ReadDump(p->objects[0] + ".cv");
    auto records = TypeOfName(info, "records");
    ASSERT_TRUE(records);
    EXPECT_EQ(ArrayCount(info, *records), 3u);
    auto array = FindTypeRecord(info, *records);
    ASSERT_TRUE(array);
    TypeRef record = Type(Get<std::uint16_t>(array->data, 0));
    EXPECT_EQ(TypeName(info, record), "record");
    EXPECT_EQ(TypeSize(info, record), dump.sizes["record"]);
    EXPECT_EQ(TypeSize(info, *records), 3 * dump.sizes["record"]);
    std::map<std::string, Field> fields;
    for (const Field& f : Fields(info, record)) fields[std::string(f.name)] = f;
    ASSERT_EQ(fields.size(), 5u);
    for (const auto& [name, f] : fields) EXPECT_TRUE(dump.members.count({name, f.value})) << name << " at " << f.value;
    // A member that points back at its own structure: the forward reference became the definition.
    TypeRef point = Type(fields["where"].type);
    std::map<std::string, Field> pointFields;
    for (const Field& f : Fields(info, point)) pointFields[std::string(f.name)] = f;
    ASSERT_EQ(pointFields.size(), 3u);
    auto next = PointedType(info, Type(pointFields["next"].type));
    ASSERT_TRUE(next);
    EXPECT_EQ(next->index, point.index);
    EXPECT_EQ(TypeSize(info, Type(pointFields["next"].type)), info.images[0]->target->pointerSize);
    auto pointer = FindTypeRecord(info, Type(pointFields["next"].type));
    ASSERT_TRUE(pointer);
    EXPECT_EQ(pointer->leaf, kLeafPointer);
    EXPECT_EQ(Get<std::uint16_t>(pointer->data, 0) & 0x1F, info.images[0]->target->pointerKind);  // near 32 or 64-bit
    EXPECT_EQ(TypeSize(info, point), dump.sizes["point"]);
    // Union, enumeration, bit fields.
    EXPECT_EQ(TypeSize(info, Type(fields["value"].type)), dump.sizes["number"]);
    std::map<std::string, std::int64_t> shades;
    for (const Field& f : Fields(info, Type(fields["shade"].type))) shades[std::string(f.name)] = f.value;
    EXPECT_EQ(shades, (std::map<std::string, std::int64_t>{{"SHADE_DARK", 1}, {"SHADE_LIGHT", 7}, {"SHADE_NONE", -2}}));
    std::map<std::string, BitField> bits;
    for (const Field& f : Fields(info, Type(fields["bits"].type)))
        if (auto b = ReadBitField(info, Type(f.type))) bits[std::string(f.name)] = *b;
    ASSERT_EQ(bits.size(), 4u);
    EXPECT_EQ(bits["level"].length, 3);
    EXPECT_EQ(bits["level"].position, 1);
    EXPECT_EQ(bits["rest"].position, 4);
    EXPECT_EQ(bits["sign"].length, 4);
    EXPECT_EQ(bits["sign"].position, 16);
    EXPECT_EQ(bits["sign"].type, 0x74);
    // A pointer to a pointer: char ** gives char * gives char.
    const Module* module = nullptr;
    const Function* main = Find("main", &module);
    ASSERT_TRUE(main);
    std::uint16_t pp = 0;
    for (const Local& l : module->LocalsOf(*main))
        if (l.name == "pp") pp = l.type;
    auto once = PointedType(info, Type(pp));
    ASSERT_TRUE(once);
    auto twice = PointedType(info, *once);
    ASSERT_TRUE(twice);
    EXPECT_EQ(TypeSize(info, *twice), 1u);
    EXPECT_EQ(TypeByName(info, 0, "record")->index, record.index);
    // cv_far.c's own "point" differs only in its members' types: it stays a type of its own.
    auto farPoint = TypeOfName(info, "far_point");
    ASSERT_TRUE(farPoint);
    EXPECT_NE(farPoint->index, point.index);
    EXPECT_EQ(Fields(info, *farPoint).at(0).type, 0x40);  // float
    // Both other objects declare the same structures: the image's table holds each once.
    int definitions = 0;
    for (std::size_t n = 0; n < info.images[0]->types.offsets.size(); ++n) {
        TypeRef t = Type(static_cast<std::uint16_t>(kFirstRecordType + n));
        auto r = FindTypeRecord(info, t);
        if (r && r->leaf == kLeafStructure && TypeName(info, t) == "point") ++definitions;
    }
    EXPECT_EQ(definitions, 2);
}

TEST_P(Converted, LinesBeyondSixteenBitsAreReportedNotWrapped) {
    EXPECT_NE(p->messages.find("above line 65535"), std::string::npos) << p->messages;
    const Function* far = Find("far_function");
    ASSERT_TRUE(far);
    EXPECT_EQ(LineOfAddress(info, far->start).line, 0u);
    const Function* near = Find("near_function");
    ASSERT_TRUE(near);
    EXPECT_EQ(LineOfAddress(info, near->start).line, 10u);  // its opening brace
}

INSTANTIATE_TEST_SUITE_P(BothMachines, Converted, ::testing::Values("i686", "x86_64"),
                         [](const auto& p) { return std::string(p.param); });

// ---- what the conversion refuses or leaves alone ----

TEST(CodeViewConversion, ObjectsWithoutDebugInformationLeaveTheImageAsLinked) {
    test::ConvertedProgram plain = test::BuildConverted("x86_64", {"cv_main.c", "cv_util.c"}, "plain", {});
    if (!plain.skip.empty()) GTEST_SKIP() << plain.skip;
    ASSERT_EQ(plain.problem, "");
    PeHeaders h;
    ASSERT_TRUE(ReadPeHeaders(Bytes(plain.image), h));
    for (const Section& s : h.sections) EXPECT_NE(s.name, ".debug");
    EXPECT_EQ(plain.messages, "");
    // ld's own checksum of the image is the one we compute.
    EXPECT_EQ(PeChecksum(plain.image), Get<std::uint32_t>(Bytes(plain.image), ChecksumField(plain.image)));
}

TEST(CodeViewConversion, MembersOfALibraryThatLdTookCarryTheirDebugInformation) {
    // cv_util.obj and cv_far.obj in a library: main needs the first only, so ld takes only it.
    test::ConvertedProgram p = test::BuildConverted("i686", {"cv_main.c", "cv_util.c", "cv_far.c"}, "library", {"-g2"}, 1);
    if (!p.skip.empty()) GTEST_SKIP() << p.skip;
    ASSERT_EQ(p.problem, "");
    EXPECT_EQ(p.messages, "");  // cv_far.obj's long lines were not linked, so not reported
    tarvo::test::ScopedScriptedUi ui;
    DebugInfo info;
    ASSERT_TRUE(OpenExecutable(info, tarvo::test::SourceOf("library.exe", p.image), false));
    EXPECT_EQ(info.images[0]->moduleCount, 2);
    FunctionHit sum = FindFunction(info, "util_sum");
    ASSERT_TRUE(sum);
    EXPECT_EQ(info.modules[sum.module].name, p.library + "(cv_util.obj)");
    Dump dump = ReadDump(p.objects[1] + ".cv");
    const Function& f = info.modules[sum.module].Functions()[sum.function];
    for (auto [offset, line] : dump.procs["util_sum"].rows) EXPECT_EQ(LineOfAddress(info, f.start + offset).line, line);
    EXPECT_FALSE(FindFunction(info, "far_function"));
    info.currentModule = sum.module;
    EXPECT_TRUE(FindSymbol(info, "util_bias"));
}

// The patched headers as llvm-readobj reads them: the new section, the image's size, the
// debug directory's CodeView entry, and a checksum that agrees with the file.
TEST_P(Converted, TheImageHeadersAgreeWithLlvmReadobj) {
    std::string dump = test::RunShell("llvm-readobj-14 --file-headers --sections --coff-debug-directory " + p->exe);
    auto value = [&](const std::string& key, std::size_t from = 0) -> std::uint64_t {
        std::size_t at = dump.find("  " + key + ": ", from);
        if (at == std::string::npos) return ~0ull;
        return std::stoull(dump.substr(at + key.size() + 4), nullptr, 0);
    };
    std::size_t section = dump.find("Name: .debug (");
    ASSERT_NE(section, std::string::npos) << dump;
    std::uint64_t va = value("VirtualAddress", section), size = value("VirtualSize", section), raw = value("PointerToRawData", section);
    std::uint64_t align = value("SectionAlignment");
    EXPECT_EQ(value("SizeOfImage"), (va + size + align - 1) / align * align);
    std::size_t entry = dump.find("Type: CodeView (0x2)");
    ASSERT_NE(entry, std::string::npos) << dump;
    EXPECT_EQ(value("AddressOfRawData", entry), va + 28);
    EXPECT_EQ(value("PointerToRawData", entry), raw + 28);
    EXPECT_EQ(value("SizeOfData", entry) + 28, size);
    EXPECT_EQ(value("PDBSignature", entry), 0x3930424Eu);  // "NB09"
    EXPECT_EQ(PeChecksum(p->image), Get<std::uint32_t>(Bytes(p->image), ChecksumField(p->image)));
    EXPECT_EQ(p->image.size() % value("FileAlignment"), 0u);
}

TEST(CodeViewConversion, AnImageWithoutRoomOrAMissingMapIsLeftUnchangedWithAReason) {
    const ConvertedProgram& p = CodeViewSample("i686");
    if (!p.skip.empty()) GTEST_SKIP() << p.skip;
    ASSERT_EQ(p.problem, "");
    PeHeaders h;
    ASSERT_TRUE(ReadPeHeaders(Bytes(p.image), h));
    // The header bytes after the last section header are taken.
    std::vector<std::uint8_t> image = p.image;
    std::size_t nt = Get<std::uint32_t>(Bytes(image), 0x3C);
    std::size_t after = nt + 24 + Get<std::uint16_t>(Bytes(image), nt + 20) + 40 * h.sections.size();
    image[after + 3] = 1;
    std::vector<std::uint8_t> before = image;
    std::string problem;
    EXPECT_FALSE(AddDebugSection(image, {1, 2, 3, 4}, problem));
    EXPECT_EQ(problem, "the image's headers have no room for another section");
    EXPECT_EQ(image, before);
    // Not an image at all.
    std::vector<std::uint8_t> text{'M', 'Z', 0, 0};
    EXPECT_FALSE(AddDebugSection(text, {1, 2, 3, 4}, problem));
    EXPECT_EQ(text, (std::vector<std::uint8_t>{'M', 'Z', 0, 0}));
    // The linker's step: a map that cannot be read is an error, and the image stays.
    LinkCommand link = ParseLinkArguments({"-o", "Z:\\x\\a.exe", "Z:\\x\\a.obj"});
    LinkFiles files{[](const std::string& path, std::vector<std::uint8_t>& b) {
                        b.assign(8, 0);
                        return path.find(".map") == std::string::npos;
                    },
                    [](const std::string&, const std::vector<std::uint8_t>&) {
                        ADD_FAILURE() << "nothing may be written";
                        return false;
                    }};
    std::string messages;
    EXPECT_FALSE(AddDebugInfo(link, {"/x/a.obj"}, "Z:\\x\\a.map", files, test::ToWindows, messages));
    EXPECT_EQ(messages, "Error vexlnk: no debug information in Z:\\x\\a.exe: cannot read the map file Z:\\x\\a.map\n");
    // -s asks for none, and a map of the user's is the one read.
    EXPECT_FALSE(WantsDebugInfo(ParseLinkArguments({"-s", "-o", "a.exe", "a.obj"})));
    LinkCommand mapped = ParseLinkArguments({"-map", "Z:\\x\\mine.map", "-o", "a.exe", "a.obj"});
    EXPECT_EQ(MapFile(mapped, "Z:\\tmp\\scratch"), "Z:\\x\\mine.map");
    EXPECT_EQ(MapFile(link, "Z:\\tmp\\scratch"), "Z:\\tmp\\scratch");
    EXPECT_EQ(link.gccFlags.back(), "-map:Z:\\tmp\\scratch");
}

TEST(CodeViewConversion, DamagedObjectsAreWarnedAboutAndNeverReadPast) {
    const ConvertedProgram& p = CodeViewSample("x86_64");
    if (!p.skip.empty()) GTEST_SKIP() << p.skip;
    ASSERT_EQ(p.problem, "");
    std::ifstream in(p.map);
    std::string map((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::uint8_t> object = test::FileBytes(p.objects[1]);
    PeHeaders h;
    std::vector<std::uint8_t> linked = p.image;
    ASSERT_TRUE(ReadPeHeaders(Bytes(linked), h));
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sections;
    for (const Section& s : h.sections) sections.emplace_back(s.virtualAddress, s.virtualSize);
    LinkMap placed = ReadLinkMap(map);
    // Cut short, and every byte of the debug sections changed in turn: no crash, no read past.
    for (std::size_t cut : {std::size_t(10), object.size() / 2, object.size() - 1}) {
        std::vector<LinkedObject> objects{{"cut.obj", p.objects[1], std::vector<std::uint8_t>(object.begin(), object.begin() + cut)}};
        CodeViewReport report;
        BuildCodeView(h.machine->machine, h.imageBase, sections, objects, placed, test::ToWindows, report);
    }
    CoffObject coff;
    std::string problem;
    ASSERT_TRUE(ReadCoffObject(Bytes(object), coff, problem));
    std::size_t start = coff.sections[0].data.data() - object.data();
    for (std::size_t at = start; at < object.size(); at += 7) {
        std::vector<LinkedObject> objects{{"bad.obj", p.objects[1], object}};
        objects[0].bytes[at] ^= 0xA5;
        CodeViewReport report;
        BuildCodeView(h.machine->machine, h.imageBase, sections, objects, placed, test::ToWindows, report);
    }
    std::vector<LinkedObject> junk{{"junk.obj", "junk.obj", {1, 2, 3}}};
    CodeViewReport report;
    EXPECT_TRUE(BuildCodeView(h.machine->machine, h.imageBase, sections, junk, placed, test::ToWindows, report).empty());
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_EQ(report.warnings[0], "junk.obj: too short for a COFF object; it has no debug information");
}

}  // namespace
}  // namespace tarvo::testbed
