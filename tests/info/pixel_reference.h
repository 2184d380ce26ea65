// Straightforward per-pixel versions of the kernels and of a clipped copy,
// written from the pixel formats and the clipping rule (the requested
// rectangle intersected with both surfaces) rather than from the code under
// test. Shared by the unit tests and the fuzz target.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "info/pixel_convert.h"
#include "info/pixel_surface.h"

namespace ref {

// A pixel as b + 256 g + 65536 r + 2^24 x.
inline uint32_t Read(int bits, const uint8_t* p, const uint32_t* palette) {
    switch (bits) {
        case 8:
            return palette[p[0]];
        case 16: {
            const uint32_t w = p[0] | p[1] << 8;
            const uint32_t b = w & 31, g = (w >> 5) & 31, r = (w >> 10) & 31;
            return b << 3 | g << 11 | r << 19;
        }
        case 24:
            return p[0] | p[1] << 8 | p[2] << 16;
        default:
            return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24;
    }
}

inline void Convert(int dstBits, int srcBits, uint8_t* d, const uint8_t* s,
                    const uint32_t* palette) {
    if (dstBits == 16 && srcBits == 16) {
        d[0] = s[0];
        d[1] = s[1];  // bit 15 kept
        return;
    }
    const uint32_t v = Read(srcBits, s, palette);
    const uint32_t b = v & 255, g = (v >> 8) & 255, r = (v >> 16) & 255;
    switch (dstBits) {
        case 16: {
            const uint32_t w = (b >> 3) | (g >> 3) << 5 | (r >> 3) << 10;
            d[0] = static_cast<uint8_t>(w);
            d[1] = static_cast<uint8_t>(w >> 8);
            break;
        }
        case 24:
            d[0] = static_cast<uint8_t>(b);
            d[1] = static_cast<uint8_t>(g);
            d[2] = static_cast<uint8_t>(r);
            break;
        default:
            d[0] = static_cast<uint8_t>(b);
            d[1] = static_cast<uint8_t>(g);
            d[2] = static_cast<uint8_t>(r);
            d[3] = static_cast<uint8_t>(v >> 24);  // 0 from 16 and 24 bits
            break;
    }
}

inline void Kernel(int dstBits, int srcBits, uint8_t* dst, int32_t dstPitch, const uint8_t* src,
                   int32_t srcPitch, int32_t w, int32_t h, const uint32_t* palette) {
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            Convert(dstBits, srcBits, dst + ptrdiff_t{y} * dstPitch + x * (dstBits / 8),
                    src + ptrdiff_t{y} * srcPitch + x * (srcBits / 8), palette);
        }
    }
}

inline bool Addressable(const PixelSurface& s) {
    const bool depth =
        s.bitsPerPixel == 8 || s.bitsPerPixel == 16 || s.bitsPerPixel == 24 || s.bitsPerPixel == 32;
    return depth && s.pixels != nullptr && s.width > 0 && s.height > 0 &&
           int64_t{s.width} * (s.bitsPerPixel / 8) <= s.pitch &&
           int64_t{s.height} * s.pitch <= INT32_MAX;
}

// One axis of the clipping: the requested source interval [s, s + n) meets
// [0, srcSize) and the destination [0, dstSize) moved by s - d. Returns the
// first source position and the count (count < 1: nothing).
struct Span {
    int64_t src, dst, count;
};
inline Span Clip(int64_t d, int64_t s, int64_t n, int64_t srcSize, int64_t dstSize) {
    const int64_t lo = std::max({s, int64_t{0}, s - d});
    const int64_t hi = std::min({s + n, srcSize, s - d + dstSize});
    return {lo, lo - s + d, hi - lo};
}

// The copy Blit should make, pixel by pixel, addressing image rows top-down.
inline void Blit(PixelSurface& dst, int32_t dx, int32_t dy, const PixelSurface& src, int32_t sx,
                 int32_t sy, int32_t w, int32_t h) {
    if (!Addressable(dst) || !Addressable(src)) return;
    if (dst.bitsPerPixel == 8 || (src.bitsPerPixel == 8 && src.palette == nullptr)) return;
    const Span x = Clip(dx, sx, w == -1 ? src.width : w, src.width, dst.width);
    const Span y = Clip(dy, sy, h == -1 ? src.height : h, src.height, dst.height);
    if (x.count < 1 || y.count < 1) return;
    for (int64_t j = 0; j < y.count; ++j) {
        const uint8_t* s = src.pixels + (src.height - 1 - (y.src + j)) * src.pitch;
        uint8_t* d = dst.pixels + (dst.height - 1 - (y.dst + j)) * dst.pitch;
        for (int64_t i = 0; i < x.count; ++i) {
            Convert(dst.bitsPerPixel, src.bitsPerPixel, d + (x.dst + i) * (dst.bitsPerPixel / 8),
                    s + (x.src + i) * (src.bitsPerPixel / 8), src.palette);
        }
    }
}

// CRC-32 (IEEE), to sum many results into one number.
inline uint32_t Crc32(uint32_t crc, const uint8_t* p, size_t n) {
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

}  // namespace ref
