#include "nodes/edit_char.h"
#include "nodes/node_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

namespace {

// Slots of mixed sizes, written whole, given back in a mixed order and taken again: no two live
// slots overlap, each is aligned for a node, and what was given back is reused.
TEST(NodePool, SlotsOfEverySizeAreApartAlignedAndReused)
{
    const std::size_t before = NodePool::BytesInUse();
    struct Slot {
        unsigned char* at;
        std::size_t size;
    };
    std::vector<Slot> slots;
    for (int round = 0; round < 3000; ++round) {
        const std::size_t size = 1 + static_cast<std::size_t>(round * 37) % NodePool::kLargestPooledSize;
        auto* at = static_cast<unsigned char*>(NodePool::Allocate(size));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(at) % alignof(std::max_align_t), 0u);
        std::memset(at, round & 0xFF, size);
        slots.push_back({at, size});
    }
    std::set<std::pair<unsigned char*, unsigned char*>> ranges;
    for (const Slot& slot : slots)
        ranges.insert({slot.at, slot.at + slot.size});
    for (auto it = ranges.begin(); std::next(it) != ranges.end(); ++it)
        EXPECT_LE(it->second, std::next(it)->first);
    for (std::size_t i = 0; i < slots.size(); ++i)
        EXPECT_EQ(slots[i].at[slots[i].size - 1], static_cast<unsigned char>(i & 0xFF));

    const std::size_t reserved = NodePool::BytesReserved();
    for (std::size_t i = 0; i < slots.size(); i += 2)
        NodePool::Release(slots[i].at, slots[i].size);
    for (std::size_t i = 0; i < slots.size(); i += 2)
        slots[i].at = static_cast<unsigned char*>(NodePool::Allocate(slots[i].size));
    EXPECT_EQ(NodePool::BytesReserved(), reserved);
    for (const Slot& slot : slots)
        NodePool::Release(slot.at, slot.size);
    EXPECT_EQ(NodePool::BytesInUse(), before);
}

// Sizes past the pooled ones come from the general heap and go back to it.
TEST(NodePool, LargeSizesPassToTheHeap)
{
    const std::size_t reserved = NodePool::BytesReserved();
    void* large = NodePool::Allocate(NodePool::kLargestPooledSize + 1);
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(NodePool::BytesReserved(), reserved);
    NodePool::Release(large, NodePool::kLargestPooledSize + 1);
}

// Nodes made and dropped through their own new and delete, of several classes at once.
TEST(NodePool, NodesOfEveryClassAreMadeAndDropped)
{
    std::vector<std::unique_ptr<CEditNode>> nodes;
    for (int i = 0; i < 500; ++i) {
        if (i % 3 == 0)
            nodes.push_back(std::make_unique<CEditCR>());
        else
            nodes.push_back(std::make_unique<CEditChar>(static_cast<char16_t>(u'a' + i % 26)));
    }
    for (int i = 0; i < 500; ++i)
        EXPECT_EQ(nodes[static_cast<size_t>(i)]->GetText().GetLength(), i % 3 == 0 ? 0 : 1);
    nodes.clear();
}

}  // namespace
