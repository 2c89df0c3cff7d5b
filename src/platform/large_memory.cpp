#include "platform/large_memory.h"

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace tarvo::platform {

LargeBlock AllocateLarge(std::size_t bytes) {
#ifdef __linux__
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    if (bytes >= kHugePage) {
        std::size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
        if (void* block = std::aligned_alloc(kHugePage, rounded)) {
            madvise(block, rounded, MADV_HUGEPAGE);  // only a hint: failure changes nothing
            return LargeBlock(static_cast<char*>(block));
        }
        return nullptr;
    }
#endif
    return LargeBlock(static_cast<char*>(std::malloc(bytes ? bytes : 1)));
}

}  // namespace tarvo::platform
