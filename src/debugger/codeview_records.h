// The kinds of CodeView 4 subsections and symbol records (codeview_format.md), named once for
// whoever reads or writes them: the debugger's reader, and the linker stand-in that writes them.
// The type leaves are in cv_types.h.
#pragma once
#include <cstdint>

#include "debugger/cv_types.h"

namespace tarvo::debugger::cv4 {

inline constexpr char kSignature[4] = {'N', 'B', '0', '9'};
inline constexpr std::uint32_t kDebugTypeCodeView = 2;  // debug directory entry type
inline constexpr std::uint32_t kDebugEntrySize = 28;
inline constexpr std::uint16_t kDirectoryHeaderSize = 16, kDirectoryEntrySize = 12;

// Subsections.
enum : std::uint16_t {
    kSubModule = 0x120,
    kSubAlignSym = 0x125,
    kSubSrcModule = 0x127,
    kSubGlobalSym = 0x129,
    kSubGlobalTypes = 0x12B,
    kSubStaticSym = 0x134,
};

// Symbol records.
enum : std::uint16_t {
    kSymRegister = 0x0002,
    kSymConstant = 0x0003,
    kSymUdt = 0x0004,
    kSymEnd = 0x0006,
    kSymBpRel = 0x0200,
    kSymLocalData = 0x0201,
    kSymGlobalData = 0x0202,
    kSymPublic = 0x0203,
    kSymLocalProc = 0x0204,
    kSymGlobalProc = 0x0205,
};

// Type leaves beside those the reader interprets (cv_types.h).
enum : std::uint16_t {
    kLeafArgList = 0x0201,
    kLeafIndex = 0x0404,
};

// Numeric leaves with an explicit size.
enum : std::uint16_t {
    kNumericU16 = 0x8002,
    kNumericU32 = 0x8004,
    kNumericU64 = 0x800A,
    kLeafVarString = 0x8010,
};

inline constexpr std::uint16_t kTypeIndexLimit = 0xFFFF;  // the last index a 16-bit field holds

// Procedure flags kept from the compiler; property bits of a structure, union or enumeration.
inline constexpr std::uint16_t kPropertyForwardRef = 0x80;
inline constexpr std::uint16_t kPropertyUniqueName = 0x200;

// The frame pointer in the CodeView register numbers of each machine.
inline constexpr std::uint16_t kRegEbp = 22;
inline constexpr std::uint16_t kRegRbp = 334;

}  // namespace tarvo::debugger::cv4
