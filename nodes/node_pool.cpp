#include "nodes/node_pool.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

namespace NodePool {
namespace {

// Slots are kept in steps of 16 bytes, which also keeps every slot aligned for a node.
constexpr std::size_t kStep = 16;
constexpr std::size_t kClassCount = kLargestPooledSize / kStep;
// A block holds about this many bytes of slots of one size.
constexpr std::size_t kBlockBytes = 256 * 1024;

static_assert(alignof(std::max_align_t) <= kStep);

// A free slot holds the link to the next free slot of its size.
struct FreeSlot {
    FreeSlot* next;
};

struct Pool {
    std::mutex lock;
    std::array<FreeSlot*, kClassCount> free{};
    std::vector<void*> blocks;
    std::size_t bytesInUse = 0;
    std::size_t bytesReserved = 0;
};

// Never destroyed: nodes of static objects may be dropped after every other static is gone.
Pool& ThePool()
{
    static Pool* pool = new Pool;
    return *pool;
}

std::size_t ClassIndex(std::size_t size)
{
    return (size + kStep - 1) / kStep - 1;
}

// Cuts a new block into free slots of the class; throws std::bad_alloc when there is no memory.
void Grow(Pool& pool, std::size_t index)
{
    const std::size_t slotSize = (index + 1) * kStep;
    const std::size_t count = std::max<std::size_t>(8, kBlockBytes / slotSize);
    pool.blocks.reserve(pool.blocks.size() + 1);
    char* block = static_cast<char*>(std::malloc(count * slotSize));
    if (block == nullptr)
        throw std::bad_alloc();
    pool.blocks.push_back(block);
    pool.bytesReserved += count * slotSize;
    // Linked lowest address first, so a paper's nodes lie in the order they were made.
    FreeSlot* next = pool.free[index];
    for (std::size_t i = count; i-- > 0;)
        next = new (block + i * slotSize) FreeSlot{next};
    pool.free[index] = next;
}

}  // namespace

void* Allocate(std::size_t size)
{
    if (size == 0 || size > kLargestPooledSize)
        return ::operator new(size);
    Pool& pool = ThePool();
    const std::size_t index = ClassIndex(size);
    std::lock_guard<std::mutex> guard(pool.lock);
    if (pool.free[index] == nullptr)
        Grow(pool, index);
    FreeSlot* slot = pool.free[index];
    pool.free[index] = slot->next;
    pool.bytesInUse += (index + 1) * kStep;
    return slot;
}

void Release(void* slot, std::size_t size) noexcept
{
    if (slot == nullptr)
        return;
    if (size == 0 || size > kLargestPooledSize) {
        ::operator delete(slot);
        return;
    }
    Pool& pool = ThePool();
    const std::size_t index = ClassIndex(size);
    std::lock_guard<std::mutex> guard(pool.lock);
    pool.free[index] = new (slot) FreeSlot{pool.free[index]};
    pool.bytesInUse -= (index + 1) * kStep;
}

std::size_t BytesInUse()
{
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> guard(pool.lock);
    return pool.bytesInUse;
}

std::size_t BytesReserved()
{
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> guard(pool.lock);
    return pool.bytesReserved;
}

}  // namespace NodePool
