// Message ids of the structure viewer and binary editor (see the message table).
#pragma once

namespace tarvo::tools {

inline constexpr unsigned kMsgStructNoFile = 6200;         // "File [%s] does not exist"
inline constexpr unsigned kMsgStructNotDescription = 6201; // "File [%s] isn't a structure description file."
inline constexpr unsigned kMsgStructIncorrect = 6202;      // "Incorrect structure file"
inline constexpr unsigned kMsgStructNone = 6203;           // "No structures defined in this file"
inline constexpr unsigned kMsgStructCannotWrite = 6204;    // the description file cannot be written
inline constexpr unsigned kMsgBinChangedOnDisk = 6205;     // changed since it was read: reloaded
inline constexpr unsigned kMsgBinBadValue = 6206;          // "'%s' is not a number"
inline constexpr unsigned kMsgBinValueRange = 6207;        // "%s does not fit in %d bits"
inline constexpr unsigned kMsgBinEmptyPattern = 6208;      // nothing to search for
inline constexpr unsigned kMsgBinPastEnd = 6209;           // offset past the end of the file
inline constexpr unsigned kMsgBinCannotRead = 6210;        // "%s cannot be read"
inline constexpr unsigned kMsgStructNoName = 6211;         // "noname"
inline constexpr unsigned kMsgBinBlockSize = 6212;         // "%d bytes"
inline constexpr unsigned kMsgStructPastEnd = 6213;        // elements past the end
inline constexpr unsigned kMsgStructBadName = 6214;        // a name the file cannot hold
inline constexpr unsigned kMsgStructBadCount = 6215;       // "Count from 1 to %d"
inline constexpr unsigned kMsgBinNoBytes = 6216;           // a change without new bytes
inline constexpr unsigned kMsgBinOffsetPrompt = 6217;      // "Offset"
inline constexpr unsigned kMsgBinGoToTitle = 6218;         // "Go to offset"
inline constexpr unsigned kMsgBinStructTitle = 6219;       // "Structure description file"
inline constexpr unsigned kMsgBinFileTitle = 6220;         // "Binary file"
inline constexpr unsigned kMsgBinEmptyValue = 6221;        // an empty value
inline constexpr unsigned kMsgStructNoFields = 6222;       // a structure without fields
inline constexpr unsigned kMsgStructSaved = 6223;          // "Structure %s saved in %s"
inline constexpr unsigned kMsgBinBytesMenu = 6224;         // the window's first menu, its items 6225 to 6229
inline constexpr unsigned kMsgFieldTypeNames = 6230;       // 6230 to 6242: the field types' names
inline constexpr unsigned kMsgBinStructureMenu = 6243;     // the window's second menu, its items 6244 to 6247

}  // namespace tarvo::tools
