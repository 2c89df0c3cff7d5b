// What the engine's event handling and its stepping share: the notices of a stop.
#pragma once
#include <cstdint>
#include <string>

#include "debugger/engine.h"

namespace tarvo::debugger {

inline constexpr std::size_t kReturnedLimit = 10;  // values returned by calls stepped over

Notice Say(Notice::Kind kind, std::string text = {}, unsigned line = 0, long number = 0);
// The source file a line hit names, as the debug information spells it.
std::string FileOf(const DebugInfo& info, int module, int file);
// Where the program stopped, as the window thread is to show it.
void ShowPosition(Engine& e, std::uint64_t address, Reply& reply);
void Stop(Reply& reply);
// The step ends here: no more tracing, the position shown, the program stopped.
void StopHere(Engine& e, std::uint32_t thread, Registers& regs, Reply& reply);
// A step's own breakpoint reached (lifted already, `regs.ip` at it).
Reply StepBreakpoint(Engine& e, const DebugEvent& ev, Registers& regs, const Breakpoint& record);

}  // namespace tarvo::debugger
