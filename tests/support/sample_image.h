// The sample program of the debugger's tests, as a PE32 or PE32+ image: three modules (one with
// split code and a header with code, one without line records), functions with locals,
// statics, globals, constants, types, imports with one true jump thunk and two false ones.
#pragma once
#include <cstdint>

#include "pe_builder.h"

namespace tarvo::test {

struct SampleTypes {
    std::uint16_t color, point, value, values, nothing, nothings, pointToPoint, bits, big;
};

inline constexpr std::uint32_t kSampleThunk = 0x360;      // the true thunk of ExitProcess
inline constexpr std::uint32_t kSampleFalseThunk = 0x370;  // "MessageBoxA": no jump there

PeSpec SampleSpec(bool is64, SampleTypes* types = nullptr);

// A DLL with one module: a static "counter", a global "dll_global" and a type "dllpoint".
PeSpec SampleDllSpec(bool is64);

}  // namespace tarvo::test
