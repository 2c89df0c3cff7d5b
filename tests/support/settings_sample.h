// A settings record in which every stored value differs from its default, for round trips.
#pragma once
#include <string>

#include "base/settings.h"

namespace tarvo::test {

// helpFile must name an existing file: the help-file setting falls back to its default
// when the stored file does not exist.
base::Settings EverySetting(const std::string& helpFile);

}  // namespace tarvo::test
