#include "platform/core/ByteBlock.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace tessaly {

namespace {

constexpr size_t kHugePage = size_t(2) << 20;
// Below this a block takes too few pages for the hint to matter.
constexpr size_t kHugePagesFrom = size_t(4) << 20;

}  // namespace

ByteBlock AllocateByteBlock(size_t size) {
    if (size < kHugePagesFrom) return ByteBlock(new uint8_t[size]);
    // Whole huge pages: the start aligned to one and the length rounded up to them.
    const size_t length = (size + kHugePage - 1) / kHugePage * kHugePage;
    void* p = std::aligned_alloc(kHugePage, length);
    if (!p) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(p, length, MADV_HUGEPAGE);  // only a hint: without huge pages the block still works
#endif
    return ByteBlock(static_cast<uint8_t*>(p), [](uint8_t* q) { std::free(q); });
}

}  // namespace tessaly
