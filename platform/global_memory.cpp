#include "platform/global_memory.h"

#include <memory>
#include <mutex>
#include <new>
#include <unordered_set>

struct GlobalBlock {
    std::unique_ptr<unsigned char[]> bytes;
    size_t size = 0;
    int locks = 0;
};

namespace {

struct Blocks {
    std::mutex mutex;
    std::unordered_set<GlobalBlock*> live;
};

Blocks& AllBlocks()
{
    static Blocks* blocks = new Blocks;
    return *blocks;
}

bool IsLive(HGLOBAL block)
{
    Blocks& all = AllBlocks();
    std::lock_guard lock(all.mutex);
    return block != nullptr && all.live.count(block) != 0;
}

} // namespace

HGLOBAL GlobalAlloc(UINT flags, size_t bytes)
{
    auto block = std::unique_ptr<GlobalBlock>(new (std::nothrow) GlobalBlock);
    if (!block)
        return nullptr;
    // A zero-byte block still gets storage, so that locking it gives a pointer.
    const size_t storage = bytes == 0 ? 1 : bytes;
    block->bytes.reset((flags & GMEM_ZEROINIT) ? new (std::nothrow) unsigned char[storage]()
                                               : new (std::nothrow) unsigned char[storage]);
    if (!block->bytes)
        return nullptr;
    block->size = bytes;
    Blocks& all = AllBlocks();
    std::lock_guard lock(all.mutex);
    all.live.insert(block.get());
    return block.release();
}

void* GlobalLock(HGLOBAL block)
{
    if (!IsLive(block))
        return nullptr;
    ++block->locks;
    return block->bytes.get();
}

BOOL GlobalUnlock(HGLOBAL block)
{
    if (!IsLive(block) || block->locks == 0)
        return FALSE;
    return --block->locks > 0 ? TRUE : FALSE;
}

size_t GlobalSize(HGLOBAL block) { return IsLive(block) ? block->size : 0; }

HGLOBAL GlobalFree(HGLOBAL block)
{
    Blocks& all = AllBlocks();
    {
        std::lock_guard lock(all.mutex);
        if (block == nullptr || all.live.erase(block) == 0)
            return block;
    }
    delete block;
    return nullptr;
}
