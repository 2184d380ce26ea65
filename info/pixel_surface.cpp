#include "info/pixel_surface.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "info/pixel_convert.h"

namespace {

constexpr int64_t kMax32 = std::numeric_limits<int32_t>::max();
constexpr int64_t kMin32 = std::numeric_limits<int32_t>::min();

int32_t Saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp(v, kMin32, kMax32));
}

}  // namespace

PixelSurface::PixelSurface(uint8_t* buffer, int32_t w, int32_t h, int32_t bits) {
    AttachBuffer(buffer, w, h, bits);
}

void PixelSurface::AttachDib(uint8_t* bits, const BitmapInfoHeader* header) {
    pixels = bits;
    palette = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(header) +
                                                sizeof(BitmapInfoHeader));
    bitsPerPixel = header->biBitCount;
    width = header->biWidth;
    height = header->biHeight;
    ComputeDibPitch();
}

void PixelSurface::AttachBuffer(uint8_t* buffer, int32_t w, int32_t h, int32_t bits) {
    pixels = buffer;
    palette = nullptr;
    bitsPerPixel = bits;
    width = w;
    height = h;
    ComputeBufferPitch();
}

int32_t PixelSurface::ComputeDibPitch() {
    return ComputePitch(32);
}

int32_t PixelSurface::ComputeBufferPitch() {
    return ComputePitch(64);
}

// In 64 bits: width x bitsPerPixel alone may exceed 32 bits.
int32_t PixelSurface::ComputePitch(int64_t alignBits) {
    pitch = rowPadding = byteSize = 0;
    if (width < 0 || height < 0 || bitsPerPixel < 0) return 0;
    const int64_t bits = int64_t{width} * bitsPerPixel;
    const int64_t rowPitch = (bits + alignBits - 1) / alignBits * (alignBits / 8);
    if (rowPitch > kMax32) return 0;
    const int64_t size = int64_t{height} * rowPitch;
    if (size > kMax32) return 0;
    pitch = static_cast<int32_t>(rowPitch);
    rowPadding = static_cast<int32_t>(rowPitch - (bits + 7) / 8);
    byteSize = static_cast<int32_t>(size);
    return byteSize;
}

bool PixelSurface::Addressable() const {
    if (pixels == nullptr || width < 1 || height < 1 || pitch < 1) return false;
    if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) {
        return false;
    }
    return int64_t{width} * (bitsPerPixel / 8) <= pitch && int64_t{height} * pitch <= kMax32;
}

bool PixelSurface::ClipBlit(int32_t& dx32, int32_t& dy32, const PixelSurface& source, int32_t& sx32,
                            int32_t& sy32, int32_t& w32, int32_t& h32) const {
    int64_t dx = dx32, dy = dy32, sx = sx32, sy = sy32, w = w32, h = h32;
    if (w == -1) w = source.width;
    if (h == -1) h = source.height;
    if (sx < 0) {
        w += sx;
        dx -= sx;
        sx = 0;
    }
    if (sy < 0) {
        h += sy;
        dy -= sy;
        sy = 0;
    }
    if (sx + w > source.width) w = source.width - sx;
    if (sy + h > source.height) h = source.height - sy;
    if (dx < 0) {
        w += dx;
        sx -= dx;
        dx = 0;
    }
    if (dy < 0) {
        h += dy;
        sy -= dy;
        dy = 0;
    }
    if (dx + w > width) w = width - dx;
    if (dy + h > height) h = height - dy;
    dx32 = Saturate(dx);
    dy32 = Saturate(dy);
    sx32 = Saturate(sx);
    sy32 = Saturate(sy);
    w32 = Saturate(w);
    h32 = Saturate(h);
    return w >= 1 && h >= 1;
}

void PixelSurface::Blit(int32_t dx, int32_t dy, const PixelSurface& source, int32_t sx, int32_t sy,
                        int32_t w, int32_t h) {
    if (!ClipBlit(dx, dy, source, sx, sy, w, h)) return;
    // The clipped rectangle lies inside both width x height grids; with both
    // surfaces addressable it lies inside both buffers.
    if (!Addressable() || !source.Addressable()) return;

    const int32_t srcBytes = source.bitsPerPixel / 8;
    const int32_t dstBytes = bitsPerPixel / 8;
    // Bottom-up rows: the rectangle's lowest address is its bottom row.
    const uint8_t* src = source.pixels +
                         static_cast<ptrdiff_t>(source.height - sy - h) * source.pitch +
                         static_cast<ptrdiff_t>(sx) * srcBytes;
    uint8_t* dst = pixels + static_cast<ptrdiff_t>(height - dy - h) * pitch +
                   static_cast<ptrdiff_t>(dx) * dstBytes;

    if (source.bitsPerPixel == 8) {
        if (source.palette == nullptr) return;
        switch (bitsPerPixel) {
            case 16:
                Convert8To16(dst, pitch, src, source.pitch, w, h, source.palette);
                break;
            case 24:
                Convert8To24(dst, pitch, src, source.pitch, w, h, source.palette);
                break;
            case 32:
                Convert8To32(dst, pitch, src, source.pitch, w, h, source.palette);
                break;
            default:
                break;
        }
        return;
    }
    if (bitsPerPixel == 8) return;
    ConversionTable[3 * dstBytes + srcBytes - 8](dst, pitch, src, source.pitch, w, h);
}
