// The linker stand-in's conversion of debug information: the CodeView records that clang
// writes into each object (.debug$S symbols and lines, .debug$T types, 32-bit type indices)
// become the CodeView 4 ("NB09") that the debugger reads (src/debugger/codeview_format.md),
// placed where GNU ld put each object's sections (its map file), and written into a new
// ".debug" section of the linked image with a CodeView entry in its debug directory.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "coff_link_core.h"
#include "vex_core.h"

namespace tarvo::testbed {

struct LinkedObject {
    std::string module;   // the module's name in the debug information
    std::string mapName;  // the object's path as the map file names it
    std::vector<std::uint8_t> bytes;
    bool fromLibrary = false;  // a library's member: ld takes only those it needs
};

struct CodeViewReport {
    std::string problem;                // non-empty: nothing was written, and why
    std::vector<std::string> warnings;  // written, with these parts left out
    int modules = 0, functions = 0, locals = 0, data = 0, types = 0, lines = 0;
};

// Builds the CodeView 4 data of the objects that carry CodeView for an image of `machine`
// whose sections (1-based, as the image numbers them) start at `sectionRvas` after
// `imageBase`. `sourceName` turns the compiler's source file names into the debugger's.
std::vector<std::uint8_t> BuildCodeView(std::uint16_t machine, std::uint64_t imageBase,
                                        const std::vector<std::pair<std::uint32_t, std::uint32_t>>& sectionRvas,
                                        const std::vector<LinkedObject>& objects, const LinkMap& map,
                                        const PathMapping& sourceName, CodeViewReport& report);

// The whole step on a linked image in memory: reads its headers, builds the data and adds it.
// An image whose objects carry no CodeView is left as it is. False with `report.problem` when
// the image cannot take it (it is then unchanged).
bool AddCodeViewToImage(std::vector<std::uint8_t>& image, const std::vector<LinkedObject>& objects,
                        const std::string& mapText, const PathMapping& sourceName, CodeViewReport& report);

// Adds `cv` as a new last section ".debug" holding a debug directory whose CodeView entry points
// at it (other entries of an old directory are kept); the image's size, header and checksum
// fields follow. False with the reason when the headers have no room for another section.
bool AddDebugSection(std::vector<std::uint8_t>& image, const std::vector<std::uint8_t>& cv, std::string& problem);

// The checksum of an image's optional header: its 16-bit words summed with the carries folded
// in (the checksum field counting as 0), plus the file's length.
std::size_t ChecksumField(const std::vector<std::uint8_t>& image);
std::uint32_t PeChecksum(const std::vector<std::uint8_t>& image);

}  // namespace tarvo::testbed
