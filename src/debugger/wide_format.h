// The message table's texts format addresses and values with plain %d and %x, written for a
// 32-bit machine. The debugger's addresses and values are 64-bit on both machines, so it
// formats them through a widened copy of the text and passes every integer as 64 bits.
#pragma once
#include <string>
#include <string_view>

namespace tarvo::debugger {

// The format with each integer conversion that has no length (d, i, u, x, X, o) given the
// 64-bit length "ll"; flags, width and precision are kept, "%%" and other conversions alone.
std::string WidenIntegerConversions(std::string_view format);

}  // namespace tarvo::debugger
