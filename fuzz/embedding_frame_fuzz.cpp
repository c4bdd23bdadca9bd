// Bytes from an object server's channel: fed to the frame reader in pieces whose sizes the input
// chooses, every frame taken out decoded by its code; what decodes is encoded again and must
// read back equal.
#include "platform/embedding_protocol.h"

#include <cstdlib>
#include <span>

using namespace Embedding;

namespace {

void Check(const FRAME& frame)
{
    switch (frame.code) {
    case kChanged:
    case kSaved:
        if (auto state = DecodeState(frame.payload)) {
            const auto bytes = EncodeState(frame.code, *state);
            if (std::vector<uint8_t>(bytes.begin() + 6, bytes.end()) != frame.payload)
                std::abort();
            (void)IsDrawablePicture(state->pictureKind, state->picture);
        }
        break;
    case kHello:
        if (auto hello = DecodeHello(frame.payload); hello && !IsValidClassName(hello->className))
            std::abort();
        break;
    case kLoad: (void)DecodeLoad(frame.payload); break;
    case kDoVerb: (void)DecodeDoVerb(frame.payload); break;
    case kClose: (void)DecodeClose(frame.payload); break;
    case kFailed: (void)DecodeFailed(frame.payload); break;
    default: break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t piece = 1 + data[0] % 64;
    std::span<const uint8_t> rest(data + 1, size - 1);
    CFrameReader reader;
    while (!rest.empty()) {
        const size_t n = std::min(piece, rest.size());
        reader.Feed(rest.first(n));
        rest = rest.subspan(n);
        FRAME frame;
        for (;;) {
            const auto result = reader.Next(&frame);
            if (result != CFrameReader::Result::Frame)
                break;
            if (frame.payload.size() > kMaxFramePayload)
                std::abort();
            Check(frame);
        }
        if (reader.IsBroken())
            return 0;
    }
    return 0;
}
