// Painting packed DIBs with the Qt device context: a large picture into a small frame (the cost
// should follow the frame) and a picture copied at its own size.
#include "platform/gdi_qt.h"
#include "platform/packed_dib.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// A 1-bit picture of side × side, black and white columns, as header + colour table + rows.
struct Picture {
    std::vector<uint8_t> header;
    std::vector<uint8_t> rows;
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(header.data()); }
};

Picture MakePicture(int side)
{
    Picture p;
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = side;
    h.biHeight = side;
    h.biPlanes = 1;
    h.biBitCount = 1;
    p.header.resize(48, 0);
    std::memcpy(p.header.data(), &h, 40);
    std::memset(p.header.data() + 44, 0xFF, 3);
    p.rows.assign(size_t(side) / 8 * size_t(side), 0xF0);
    return p;
}

void LargePictureInSmallFrame(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    const Picture picture = MakePicture(side);
    auto dc = CQtDC::WithImage(48, 40);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            dc->StretchDIBits(0, 0, 48, 40, 0, 0, side, side, picture.rows.data(), picture.Info(), DIB_RGB_COLORS, SRCCOPY));
}
BENCHMARK(LargePictureInSmallFrame)->Arg(1024)->Arg(4096)->Arg(16384);

void PictureAtItsOwnSize(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    const Picture picture = MakePicture(side);
    auto dc = CQtDC::WithImage(side, side);
    for (auto _ : state)
        benchmark::DoNotOptimize(dc->SetDIBitsToDevice(0, 0, DWORD(side), DWORD(side), 0, 0, 0, UINT(side),
                                                       picture.rows.data(), picture.Info(), DIB_RGB_COLORS));
}
BENCHMARK(PictureAtItsOwnSize)->Arg(256)->Arg(1024);

} // namespace
