// The members of a library (an "ar" archive): the GNU form ("name/", "/123" into the "//"
// table of names ended by "/\n") and the Microsoft form (the two "/" linker members, names
// ended by zero in "//"), and the BSD "#1/n" form. The archive's symbol and name tables are
// not members. Members are kept by position: one archive may hold two of one name.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "binary/bytes.h"

namespace tarvo::binary {

struct ArchiveMember {
    std::size_t position = 0;  // 0 for the first member
    std::string name;
    std::uint64_t offset = 0;  // of the member's data in the archive
    Bytes bytes;
};

// True for bytes that start with the archive signature.
bool IsArchive(Bytes file);

// The members in their order. False, with the reason, when a header is damaged or a member
// runs past the end; the members before it are kept.
bool ReadArchive(Bytes archive, std::vector<ArchiveMember>& out, std::string& problem);

}  // namespace tarvo::binary
