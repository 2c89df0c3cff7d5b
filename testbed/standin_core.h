// What every stand-in tool shares and what can be checked without Windows: the test switches
// read from the environment, the log line, and the image header field pescan reads.
#pragma once
#include <cstddef>
#include <string>

namespace tarvo::testbed {

// The environment variables through which tests watch and steer the stand-ins.
inline constexpr const char* kToolLogVariable = "TARVO_TOOL_LOG";    // file: one line per run
inline constexpr const char* kToolFailVariable = "TARVO_TOOL_FAIL";  // "vex,appgen": these fail
inline constexpr const char* kToolWaitVariable = "TARVO_TOOL_WAIT";  // "vex:500": sleep first

// Whether `list` (names separated by commas, blanks allowed, ".exe" optional, any case) names
// the tool.
bool ToolListed(const std::string& list, const std::string& tool);

// The milliseconds that `spec` ("tool:ms", several separated by commas) asks the tool to wait;
// 0 when it names the tool not at all or with no valid number.
unsigned long ToolWaitMilliseconds(const std::string& spec, const std::string& tool);

// The line a run appends to the log: "<cwd>\t<command line>\n".
std::string ToolLogLine(const std::string& workingDirectory, const std::string& commandLine);

// The subsystem field of a PE image's optional header (2 windows, 3 console), or -1 when the
// bytes are not a PE image. Reads PE32 and PE32+ alike.
int PeSubsystem(const unsigned char* data, std::size_t size);
inline constexpr int kSubsystemConsole = 3;

std::string Lower(std::string text);
std::string Trim(const std::string& text);  // without the blanks and tabs around it
bool StartsWithNoCase(const std::string& text, const std::string& prefix);

}  // namespace tarvo::testbed
