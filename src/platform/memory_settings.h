// A settings backend held in memory: the store of the native build and of the unit tests.
// Key paths and value names compare without regard to case, as in the registry; each keeps the
// spelling it was created with. Faults can be injected so tests can watch the failure paths.
#pragma once
#include <string>
#include <vector>

#include "platform/settings_backend.h"

namespace tarvo::platform {

const SettingsBackend& memorySettingsBackend();

// Empties the store (only the user's "Software" key remains, as in a fresh registry) and
// clears every injected fault.
void ResetMemorySettings();

// The nth value write from now (1 = the next one) fails with the given system error code.
void FailNthWrite(int n, unsigned long code);

// The key and everything below it behave as if missing and unopenable: it does not exist, reads
// find nothing, creating it, writing into it or deleting it fails with the given code.
void FailKey(const std::string& key, unsigned long code);

// For tests: the names of a key's values in the order they were first written.
std::vector<std::string> MemoryValueNames(const std::string& key);

}  // namespace tarvo::platform
