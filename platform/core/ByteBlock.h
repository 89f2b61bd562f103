#pragma once
// Blocks of bytes that are written once and then shared: the pages of a prepared report keep
// slices of the one block their file was read into, and the block goes when the last of them goes.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tessaly {

using ByteBlock = std::shared_ptr<uint8_t[]>;
using ConstByteBlock = std::shared_ptr<const uint8_t[]>;

// A new block of `size` bytes, not zeroed. Large blocks ask the system for huge pages where it
// offers them: bringing a 100 MB file into memory 4 KB at a time costs more than reading it.
ByteBlock AllocateByteBlock(size_t size);

}  // namespace tessaly
