// Message ids shared by every reader of binary files (see the message table).
#pragma once

namespace tarvo::binary {

inline constexpr unsigned kMsgUnrecognizedFormat = 5001;  // "Unrecognized file format"

}  // namespace tarvo::binary
