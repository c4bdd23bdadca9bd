// Painting a large DIB into a small target costs the target, not the picture. The test program's
// operator new records the largest single allocation while a paint runs.
#include "platform/gdi_qt.h"
#include "platform/packed_dib.h"

#include "tests/platform/dib_fixture.h"

#include <QImage>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

std::atomic<bool> g_tracking{false};
std::atomic<size_t> g_largest{0};

void* Allocate(std::size_t size)
{
    if (g_tracking.load(std::memory_order_relaxed)) {
        size_t seen = g_largest.load(std::memory_order_relaxed);
        while (size > seen && !g_largest.compare_exchange_weak(seen, size)) {
        }
    }
    return std::malloc(size == 0 ? 1 : size);
}

// The largest allocation made while `work` runs.
template <typename Work>
size_t LargestAllocation(Work work)
{
    g_largest = 0;
    g_tracking = true;
    work();
    g_tracking = false;
    return g_largest;
}

} // namespace

void* operator new(std::size_t size)
{
    if (void* p = Allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

TEST(DibMemory, ALargePictureInASmallTargetCostsTheTarget)
{
    // 4096 × 4096 at 1 bit (2 MiB of rows; 64 MiB decoded whole): the left half white.
    constexpr int kSide = 4096;
    auto dib = InfoHeader(kSide, kSide, 1);
    Append(dib, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0});
    const size_t stride = kSide / 8;
    std::vector<uint8_t> rows(stride * kSide, 0);
    for (size_t r = 0; r < kSide; ++r)
        std::fill(rows.begin() + long(r * stride), rows.begin() + long(r * stride + stride / 2), 0xFF);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());

    auto dc = CQtDC::WithImage(48, 40);
    int result = 0;
    const size_t largest = LargestAllocation([&] {
        result = dc->StretchDIBits(0, 0, 48, 40, 0, 0, kSide, kSide, rows.data(), info, DIB_RGB_COLORS, SRCCOPY);
    });
    EXPECT_EQ(result, kSide);
    // The sample is the target's 48 × 40 pixels; the whole picture would be 64 MiB.
    EXPECT_LE(largest, size_t(64) << 10);
    EXPECT_EQ(dc->GetPixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(dc->GetPixel(23, 39), 0xFFFFFFu);
    EXPECT_EQ(dc->GetPixel(24, 0), 0u);
    EXPECT_EQ(dc->GetPixel(47, 39), 0u);

    // A 1:1 copy of which 48 × 40 pixels are on the image.
    auto copy = CQtDC::WithImage(48, 40);
    const size_t largestCopy = LargestAllocation([&] {
        result = copy->SetDIBitsToDevice(-2024, 0, kSide, kSide, 0, 0, 0, kSide, rows.data(), info, DIB_RGB_COLORS);
    });
    EXPECT_EQ(result, kSide);
    EXPECT_LE(largestCopy, size_t(64) << 10);
    EXPECT_EQ(copy->GetPixel(0, 0), 0xFFFFFFu);   // picture column 2024
    EXPECT_EQ(copy->GetPixel(23, 0), 0xFFFFFFu);  // 2047
    EXPECT_EQ(copy->GetPixel(24, 0), 0u);         // 2048
}
