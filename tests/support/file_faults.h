// Fault injection into the file layer for crash tests: the n-th call of the file operations
// (open, read, write, close, rename, remove, create, flush, chmod, seek; counted from 1) fails, every
// other call does what the host does. A loop over n = 1, 2, ... meets every failure an operation can run into.
#pragma once
#include <string>

#include "platform/files.h"

namespace tarvo::test {

struct FaultPlan {
    long failAt = 0;     // the call that fails; 0: none
    long calls = 0;      // calls made since the plan was installed
    std::string failed;  // the operation that failed ("" while none did)
    bool Met() const { return !failed.empty(); }
};

// Installs the counting operations with a fresh plan; resetFileOps() removes them.
FaultPlan& InstallFaultPlan(long failAt);

// Runs `operation` with the n-th file call failing and returns its result; `plan` tells what
// happened. The host's file operations are back afterwards.
template <class Operation>
auto WithFailingCall(long n, FaultPlan& plan, Operation operation) {
    FaultPlan& installed = InstallFaultPlan(n);
    auto result = operation();
    plan = installed;
    platform::resetFileOps();
    return result;
}

}  // namespace tarvo::test
