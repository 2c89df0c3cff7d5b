// Writes small PE32 and PE32+ images for the debugger's tests: chosen code bytes, CodeView 4
// records (the layout of src/debugger/codeview_format.md), COFF symbols and imports.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tarvo::test {

using ByteVec = std::vector<std::uint8_t>;

struct ByteWriter {
    ByteVec b;
    void U8(std::uint64_t v) { b.push_back(static_cast<std::uint8_t>(v)); }
    void U16(std::uint64_t v) { U8(v), U8(v >> 8); }
    void U32(std::uint64_t v) { U16(v), U16(v >> 16); }
    void U64(std::uint64_t v) { U32(v), U32(v >> 32); }
    void Counted(const std::string& s);  // length byte and characters
    void Zero(const std::string& s);     // characters and a zero byte
    void Append(const ByteVec& v) { b.insert(b.end(), v.begin(), v.end()); }
    void Align(std::size_t n) { while (b.size() % n) U8(0); }
    void Put32(std::size_t at, std::uint32_t v);
};

// A numeric leaf in the shortest form that holds the value.
ByteVec NumericLeaf(std::int64_t v);

// Symbol records of one subsection; offsets of nested records are the builder's concern.
struct CvLocal {
    std::string name;
    bool inRegister = false;
    std::int32_t frameOffset = 0;
    std::uint16_t reg = 0, type = 0x74;
};
struct CvSymbols {
    ByteVec b;
    std::size_t base;  // bytes before the records in the subsection
    explicit CvSymbols(std::size_t headerSize) : base(headerSize) {}
    void Data(std::uint16_t kind, const std::string& name, std::uint32_t offset, std::uint16_t segment, std::uint16_t type);
    void TextConstant(const std::string& name, const std::string& text);
    void NumberConstant(const std::string& name, std::int64_t value);
    void Proc(std::uint16_t kind, const std::string& name, std::uint32_t offset, std::uint16_t segment, std::uint32_t length,
              const std::vector<CvLocal>& locals = {}, std::uint32_t debugStart = 3, std::uint32_t debugEnd = 0);
    void Raw(std::uint16_t kind, const ByteVec& data);
};
ByteVec AlignedSymbols(const CvSymbols& s);  // the signature 1, then the records
ByteVec GlobalSymbols(const CvSymbols& s);   // the 16-byte header, then the records
inline CvSymbols AlignedSymbolWriter() { return CvSymbols(4); }
inline CvSymbols GlobalSymbolWriter() { return CvSymbols(16); }

struct CvSegment {
    std::uint16_t segment = 1;
    std::uint32_t start = 0, end = 0;  // end: one past the last byte
};
struct CvFileLines {
    std::string name;
    struct Segment {
        CvSegment range;
        std::vector<std::pair<std::uint32_t, std::uint16_t>> entries;  // offset, line
    };
    std::vector<Segment> segments;
};
ByteVec SourceModule(const std::vector<CvFileLines>& files, const std::vector<CvSegment>& moduleSegments);
ByteVec ModuleSubsection(const std::string& name, const std::vector<CvSegment>& segments);

struct CvTypes {
    std::vector<ByteVec> records;
    // The new record's type index.
    std::uint16_t Add(std::uint16_t leaf, const ByteVec& data);
    ByteVec Build() const;
};

struct CvSubsection {
    std::uint16_t kind, module;
    ByteVec data;
};
ByteVec CodeViewData(const std::vector<CvSubsection>& subsections);

struct CoffSym {
    std::string name;
    std::uint32_t value = 0;
    std::int16_t section = 1;
    std::uint8_t storageClass = 2;
};

struct ImportDll {
    std::string dll;
    std::vector<std::string> functions;
};

struct PeSpec {
    bool is64 = false;
    std::uint64_t imageBase = 0x400000;
    ByteVec text;                   // the code section's bytes
    std::uint32_t textSize = 0x1000;  // its virtual size; text must not be longer
    ByteVec codeView;               // none when empty
    bool debugSection = false;      // the debug directory in a ".debug" section, not ".rdata"
    std::vector<CoffSym> symbols;
    std::vector<ImportDll> imports;
    std::uint16_t subsystem = 3;
};

struct PeLayout {
    std::uint32_t textRva = 0x1000, rdataRva = 0, idataRva = 0;
    std::uint32_t debugDirRva = 0, codeViewRva = 0;
    std::uint32_t codeViewOffset = 0, debugDirOffset = 0, idataOffset = 0, symbolsOffset = 0;
    std::uint32_t ntOffset = 0x80, sectionTableOffset = 0;
    std::vector<std::vector<std::uint32_t>> slotRvas;  // per DLL, per function
};

PeLayout LayoutOf(const PeSpec& spec);
ByteVec BuildPe(const PeSpec& spec);

// Writes the bytes to a file (for tests of the file reading itself).
bool WriteBytes(const std::string& path, const ByteVec& bytes);

}  // namespace tarvo::test
