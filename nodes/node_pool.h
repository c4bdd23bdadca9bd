// NodePool: the memory of editing nodes. A paper holds a node per character, made in their tens of
// thousands when the paper is opened and dropped together when it is closed, in a handful of
// sizes. The pool keeps slots of each size in blocks of its own and reuses freed slots, so making
// a node is a pop from a list instead of a search of the general heap, and a slot costs no header.
// Memory that the pool has taken stays with it for the next paper.
#pragma once

#include <cstddef>

namespace NodePool {

// Sizes up to this many bytes come from the pool; larger ones from the general heap.
inline constexpr std::size_t kLargestPooledSize = 2048;

// Room for one object of size bytes, aligned for any node; throws std::bad_alloc when there is
// no memory.
void* Allocate(std::size_t size);
// Gives back what Allocate returned for the same size.
void Release(void* slot, std::size_t size) noexcept;

// The bytes of the slots handed out and not given back, for tests and measurements.
std::size_t BytesInUse();
// The bytes of the blocks the pool has taken from the general heap.
std::size_t BytesReserved();

}  // namespace NodePool
