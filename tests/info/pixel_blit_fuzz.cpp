// Throws arbitrary surfaces and rectangles at PixelSurface::Blit: any depth
// (also unsupported ones), DIB or buffer pitches, shifted pitches, sizes and
// coordinates anywhere in the 32-bit range. Each input is copied with the fast
// kernels, with the plain kernels and with the reference; the three results
// must agree, and the sanitizers catch any access outside the buffers, which
// are allocated with exactly byteSize bytes (at most 64 KiB, so one input
// stays cheap; larger surfaces get no memory and must copy nothing).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "info/pixel_convert.h"
#include "info/pixel_surface.h"
#include "tests/info/pixel_reference.h"

namespace {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int32_t Int() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 8 | Byte();
        return static_cast<int32_t>(v);
    }
    // The rest of the input, repeated, as pixel bytes.
    void Fill(std::vector<uint8_t>& m) {
        for (size_t i = 0; i < m.size(); ++i) {
            m[i] = pos_ < size_ ? data_[pos_ + i % (size_ - pos_)] : static_cast<uint8_t>(i * 7);
        }
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

constexpr int32_t kMaxBytes = 1 << 16;
const int32_t kDepths[8] = {8, 16, 24, 32, 16, 32, 0, 15};

struct Side {
    PixelSurface surface;
    std::vector<uint8_t> memory;
};

void MakeSurface(Reader& in, Side& side, const uint32_t* palette) {
    const uint8_t mode = in.Byte();
    int32_t w = 1 + in.Byte() % 64;
    int32_t h = 1 + in.Byte() % 32;
    if ((mode & 0x80) != 0) {  // raw sizes, anywhere in the 32-bit range
        w = in.Int();
        h = in.Int();
    }
    const int32_t bits = kDepths[mode & 7];
    if ((mode & 0x08) != 0) {
        BitmapInfoHeader header{};
        header.biWidth = w;
        header.biHeight = h;
        header.biBitCount = static_cast<uint16_t>(bits);
        side.surface.AttachDib(nullptr, &header);
    } else {
        side.surface.AttachBuffer(nullptr, w, h, bits);
    }
    side.surface.palette = (mode & 0x10) != 0 ? nullptr : palette;
    if ((mode & 0x60) == 0x60) side.surface.pitch += in.Byte() % 9 - 4;
    const int64_t bytes = int64_t{side.surface.height} * side.surface.pitch;
    if (side.surface.height > 0 && side.surface.pitch > 0 && bytes <= kMaxBytes) {
        side.memory.resize(static_cast<size_t>(bytes));
        side.surface.pixels = side.memory.data();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in(data, size);
    uint32_t palette[256];
    for (uint32_t i = 0; i < 256; ++i)
        palette[i] = i * 0x01010101u ^ 0x00A5C3E1u;
    Side dst, src;
    MakeSurface(in, dst, palette);
    MakeSurface(in, src, palette);
    const int32_t dx = in.Int(), dy = in.Int(), sx = in.Int(), sy = in.Int();
    const int32_t w = in.Int(), h = in.Int();
    in.Fill(src.memory);
    in.Fill(dst.memory);

    const std::vector<uint8_t> before = dst.memory;
    std::vector<uint8_t> expected = dst.memory;
    PixelSurface refDst = dst.surface;
    refDst.pixels = expected.empty() ? nullptr : expected.data();
    ref::Blit(refDst, dx, dy, src.surface, sx, sy, w, h);

    SetPixelFastPaths(true);
    dst.surface.Blit(dx, dy, src.surface, sx, sy, w, h);
    if (dst.memory != expected) std::abort();

    dst.memory = before;
    SetPixelFastPaths(false);
    dst.surface.Blit(dx, dy, src.surface, sx, sy, w, h);
    if (dst.memory != expected) std::abort();
    return 0;
}
