// Structure description files (a small text format of this system: a first line, then each
// structure's name, "{", one "'name'type[count]" line per field and "}"), and the overlay of a
// structure on the bytes of a file at an offset.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace tarvo::tools {

inline constexpr char kStructureFileHeader[] = "/* tarvo structures definition */";
inline constexpr int kFieldTypeCount = 13;
inline constexpr std::size_t kStructureNameLimit = 255;
// Counts beyond this are taken for damage: no field of a structure laid over a file needs more.
inline constexpr int kFieldCountLimit = 65536;

enum FieldType {
    kCharacter, kUnsigned8, kSigned16, kUnsigned16, kSigned32, kUnsigned32, kSingleFloat,
    kDoubleFloat, kAsciiZ, kAsciiPascal, kSwappedShort, kSwappedLong, kBitInversed,
};

struct StructureField {
    std::string name;  // may be empty
    int type = kUnsigned8;
    int count = 1;
    bool operator==(const StructureField&) const = default;
};

struct Structure {
    std::string name;
    std::vector<StructureField> fields;
    std::size_t nameOffset = 0;  // of its name line in the file it was read from
    bool operator==(const Structure& o) const { return name == o.name && fields == o.fields; }
};

// The name shown for a field type ("character", ... "Bit Inversed").
const char* FieldTypeName(int type);
// Bytes per element of the fixed-size types; 0 for the two texts.
int FieldTypeSize(int type);

// Names that the file can hold: no apostrophe, no control character; a structure's name is
// also not empty, not "{" or "}", and at most 255 characters.
bool ValidFieldName(std::string_view name);
bool ValidStructureName(std::string_view name);

enum class StructureFileStatus { Ok, Missing, NotDescription, Malformed, NoStructures, CannotRead, CannotWrite };

// Reads a description file's text. On Malformed `out` holds the structures before the bad line.
StructureFileStatus ParseStructures(std::string_view text, std::vector<Structure>& out);
// One field line ("'%s'%d[%d]") read strictly: false for anything else.
bool ParseFieldLine(std::string_view line, StructureField& field);
// The whole text of a description file holding these structures.
std::string PrintStructures(const std::vector<Structure>& structures);

// Reads a description file (Missing, NotDescription, Malformed, NoStructures, CannotRead).
StructureFileStatus ReadStructureFile(const std::string& path, std::vector<Structure>& out);
// Puts the structure into the file in one whole-file replacement: a missing file is created
// with the first line, an earlier definition of the same name gives way, and the new one goes
// last. A file that is no description file or does not read is refused and left alone.
StructureFileStatus SaveStructure(const std::string& path, const Structure& structure);

// The structure laid over a file's bytes at an offset: one line per field, then the bytes
// that follow.
struct OverlayLine {
    std::string field;   // "name type[count]", "noname" for an empty name
    std::string offset;  // within the structure
    std::string values;  // each element and a blank, at most 500 characters
    bool pastEnd = false;  // some elements lie past the end of the file
};
struct Overlay {
    std::vector<OverlayLine> lines;
    std::string following;      // the 64 bytes after the structure
    std::uint64_t after = 0;    // the offset after the structure: where the next one may go
    bool readError = false;
};
inline constexpr std::size_t kOverlayTextLimit = 500;
inline constexpr int kFollowingBytes = 64;
Overlay LayStructure(platform::ReadHandle& file, std::uint64_t offset, const Structure& structure, bool hex);

}  // namespace tarvo::tools
