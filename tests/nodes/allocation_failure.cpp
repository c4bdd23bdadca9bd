// Replaces the global operator new and delete of the node test program. With no failure armed
// they only count blocks; malloc and free underneath keep the leak checker's view whole.
#include "allocation_failure.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> failAfter{-1};
std::atomic<bool> failed{false};
std::atomic<long> liveBlocks{0};

void* Allocate(std::size_t size, bool nothrow)
{
    long remaining = failAfter.load();
    while (remaining >= 0 && !failAfter.compare_exchange_weak(remaining, remaining - 1)) {
    }
    void* block = remaining == 0 ? nullptr : std::malloc(size == 0 ? 1 : size);
    if (remaining == 0)
        failed = true;
    if (block == nullptr) {
        if (nothrow)
            return nullptr;
        throw std::bad_alloc();
    }
    ++liveBlocks;
    return block;
}

void Release(void* block) noexcept
{
    if (block == nullptr)
        return;
    --liveBlocks;
    std::free(block);
}

}  // namespace

namespace allocation {

void FailAfter(long count)
{
    failed = false;
    failAfter = count;
}

void Disarm()
{
    failAfter = -1;
}

bool Failed()
{
    return failed;
}

long LiveBlocks()
{
    return liveBlocks;
}

}  // namespace allocation

void* operator new(std::size_t size) { return Allocate(size, false); }
void* operator new[](std::size_t size) { return Allocate(size, false); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size, true); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size, true); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
