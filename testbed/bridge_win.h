// The bridge from a stand-in (a Windows program under Wine) to the Linux tools behind it.
//
// Wine gives a Windows program no process handle for a Linux program, so the bridge uses
// ntdll's own export for starting Unix programs, __wine_unix_spawnvp, which waits and returns
// the exit code. A small shell script sets the working directory and sends the output to
// scratch files, which are read back and removed. Measured (bench/bridge_bench_win.cpp): the
// bridge costs about 11 ms a call, the bare spawn 3 ms; the other way, CreateProcess of
// "/bin/sh -c ..." with the exit code written to a file and polled for, costs about 22 ms and
// never learns the code when the shell is killed.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace tarvo::testbed {

struct LinuxRun {
    int exitCode = -1;
    std::string output, errors;  // what the program wrote to stdout and stderr
    std::string problem;         // non-empty: the program could not be run, and why
};

// Runs argv[0] (a Linux path) with its arguments in the Linux directory `directory`, stdin
// empty, and waits for it.
LinuxRun RunLinux(const std::vector<std::string>& argv, const std::string& directory);

// Wine's mapping of a Windows path (made full first) to a Linux path, and back; "" when there
// is none.
std::string UnixPath(const std::string& windowsPath);
std::string WindowsPath(const std::string& unixPath);

// A fresh, empty scratch file (Windows path); "" when none can be made.
std::string ScratchFile();

// At most `limit` bytes of a file; "" when it cannot be read.
std::string ReadWholeFile(const std::string& path, std::size_t limit = std::string::npos);
bool WriteWholeFile(const std::string& path, const std::string& text);

}  // namespace tarvo::testbed
