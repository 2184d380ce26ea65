// The portable version of every kernel: one pixel at a time, byte by byte, so
// it reads and writes exactly the bytes of each pixel on any processor. The
// fast versions are checked against it, and use it for the columns left over
// after their vector loops.
#include <cstddef>
#include <cstring>

#include "info/pixel_convert.h"

namespace {

constexpr uint32_t Load16(const uint8_t* s) {
    return uint32_t{s[0]} | uint32_t{s[1]} << 8;
}

constexpr void Store16(uint8_t* d, uint32_t v) {
    d[0] = static_cast<uint8_t>(v);
    d[1] = static_cast<uint8_t>(v >> 8);
}

// Blue, green, red bytes (as b + 256 g + 65536 r) to 5-5-5; bit 15 is 0.
constexpr uint32_t To555(uint32_t v) {
    return ((v >> 3) & 0x001Fu) | ((v >> 6) & 0x03E0u) | ((v >> 9) & 0x7C00u);
}

// 5-5-5 to blue, green, red bytes (as b + 256 g + 65536 r); bit 15 is ignored.
constexpr uint32_t From555(uint32_t w) {
    return ((w & 0x001Fu) << 3) | ((w & 0x03E0u) << 6) | ((w & 0x7C00u) << 9);
}

constexpr uint32_t Load24(const uint8_t* s) {
    return uint32_t{s[0]} | uint32_t{s[1]} << 8 | uint32_t{s[2]} << 16;
}

constexpr void Store24(uint8_t* d, uint32_t v) {
    d[0] = static_cast<uint8_t>(v);
    d[1] = static_cast<uint8_t>(v >> 8);
    d[2] = static_cast<uint8_t>(v >> 16);
}

constexpr void Store32(uint8_t* d, uint32_t v) {
    Store24(d, v);
    d[3] = static_cast<uint8_t>(v >> 24);
}

// Runs `pixel(d, s)` over every pixel of the block, rows in increasing address
// order. `pixel` is a lambda and is inlined.
template <int DstBytes, int SrcBytes, typename Pixel>
inline void ForEachPixel(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                         int32_t width, int32_t height, Pixel pixel) {
    if (width < 1 || height < 1) return;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
        const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcPitch;
        for (int32_t x = 0; x < width; ++x, d += DstBytes, s += SrcBytes)
            pixel(d, s);
    }
}

template <int Bytes>
void PlainCopy(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, int32_t width,
               int32_t height) {
    if (width < 1 || height < 1) return;
    const size_t rowBytes = static_cast<size_t>(width) * Bytes;
    for (int32_t y = 0; y < height; ++y) {
        std::memmove(dst + static_cast<ptrdiff_t>(y) * dstPitch,
                     src + static_cast<ptrdiff_t>(y) * srcPitch, rowBytes);
    }
}

void PlainConvert24To16(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                        int32_t width, int32_t height) {
    ForEachPixel<2, 3>(dst, dstPitch, src, srcPitch, width, height,
                       [](uint8_t* d, const uint8_t* s) { Store16(d, To555(Load24(s))); });
}

void PlainConvert32To16(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                        int32_t width, int32_t height) {
    ForEachPixel<2, 4>(dst, dstPitch, src, srcPitch, width, height,
                       [](uint8_t* d, const uint8_t* s) { Store16(d, To555(Load24(s))); });
}

void PlainConvert16To24(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                        int32_t width, int32_t height) {
    ForEachPixel<3, 2>(dst, dstPitch, src, srcPitch, width, height,
                       [](uint8_t* d, const uint8_t* s) { Store24(d, From555(Load16(s))); });
}

void PlainConvert32To24(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                        int32_t width, int32_t height) {
    ForEachPixel<3, 4>(dst, dstPitch, src, srcPitch, width, height,
                       [](uint8_t* d, const uint8_t* s) { Store24(d, Load24(s)); });
}

void PlainConvert16To32(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                        int32_t width, int32_t height) {
    ForEachPixel<4, 2>(dst, dstPitch, src, srcPitch, width, height,
                       [](uint8_t* d, const uint8_t* s) { Store32(d, From555(Load16(s))); });
}

void PlainConvert24To32(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                        int32_t width, int32_t height) {
    ForEachPixel<4, 3>(dst, dstPitch, src, srcPitch, width, height,
                       [](uint8_t* d, const uint8_t* s) { Store32(d, Load24(s)); });
}

void PlainConvert8To16(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                       int32_t width, int32_t height, const uint32_t* palette) {
    ForEachPixel<2, 1>(dst, dstPitch, src, srcPitch, width, height,
                       [palette](uint8_t* d, const uint8_t* s) { Store16(d, To555(palette[*s])); });
}

void PlainConvert8To24(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                       int32_t width, int32_t height, const uint32_t* palette) {
    ForEachPixel<3, 1>(dst, dstPitch, src, srcPitch, width, height,
                       [palette](uint8_t* d, const uint8_t* s) { Store24(d, palette[*s]); });
}

void PlainConvert8To32(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                       int32_t width, int32_t height, const uint32_t* palette) {
    ForEachPixel<4, 1>(dst, dstPitch, src, srcPitch, width, height,
                       [palette](uint8_t* d, const uint8_t* s) { Store32(d, palette[*s]); });
}

}  // namespace

namespace pixel_detail {

constinit const KernelSet kPlainKernels = {
    PlainCopy<2>, PlainConvert24To16, PlainConvert32To16, PlainConvert16To24,
    PlainCopy<3>, PlainConvert32To24, PlainConvert16To32, PlainConvert24To32,
    PlainCopy<4>, PlainConvert8To16,  PlainConvert8To24,  PlainConvert8To32,
};

}  // namespace pixel_detail
