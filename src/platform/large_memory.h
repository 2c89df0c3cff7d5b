// Large blocks of memory (whole files, line chunks). On Linux they are laid out for huge
// pages: touching a 100 MB file in 4 KB pages costs more than reading it.
#pragma once
#include <cstddef>
#include <cstdlib>
#include <memory>

namespace tarvo::platform {

struct FreeBlock {
    void operator()(char* block) const { std::free(block); }
};
using LargeBlock = std::unique_ptr<char[], FreeBlock>;

// An uninitialised block of at least `bytes` bytes; null when there is no memory for it.
LargeBlock AllocateLarge(std::size_t bytes);

}  // namespace tarvo::platform
