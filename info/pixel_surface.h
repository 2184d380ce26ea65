// A rectangle of pixels in memory that our own code reads and writes: the
// pixel memory of a device-independent bitmap or a plain buffer, with its size,
// depth (8, 16, 24 or 32 bits) and row pitch. Rows are stored bottom-up: image
// row r (0 is the top) begins at pixels + (height - 1 - r) * pitch. Its one
// real operation is Blit, a clipped rectangle copy from another surface that
// converts the depth through the kernels of pixel_convert.h.
//
// A surface never owns its pixels or palette and allocates nothing; whoever
// attaches them keeps them alive and frees them. Nothing here reports errors: a
// copy that clips to nothing, a depth pair without a kernel or an empty or
// inconsistent surface copies nothing.
#pragma once

#include <cstdint>

// The 40-byte header of a device-independent bitmap, as it lies in memory in
// front of the colour table.
struct BitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

class PixelSurface {
public:
    // An empty surface: null pixels and palette, all numbers 0.
    PixelSurface() = default;
    PixelSurface(uint8_t* buffer, int32_t width, int32_t height, int32_t bitsPerPixel);
    virtual ~PixelSurface() = default;

    PixelSurface(const PixelSurface&) = default;
    PixelSurface& operator=(const PixelSurface&) = default;

    // Attaches the pixel memory of a bitmap; the palette is the colour table
    // that follows the 40-byte header. Then ComputeDibPitch.
    virtual void AttachDib(uint8_t* bits, const BitmapInfoHeader* header);
    // Attaches a plain buffer without palette. Then ComputeBufferPitch.
    virtual void AttachBuffer(uint8_t* buffer, int32_t width, int32_t height, int32_t bitsPerPixel);
    // Rows padded to 4 bytes; sets pitch, rowPadding and byteSize and returns
    // byteSize. Sizes whose pitch or byteSize does not fit 32 bits, negative
    // sizes and depths set all three to 0, which makes the surface copy nothing.
    virtual int32_t ComputeDibPitch();
    // The same with rows padded to 8 bytes.
    virtual int32_t ComputeBufferPitch();
    // Copies the w x h rectangle at (sx, sy) of `source` to (dx, dy) of this
    // surface, clipped to both; w or h of exactly -1 means the source's full
    // width or height. Coordinates count from the top-left pixel.
    virtual void Blit(int32_t dx, int32_t dy, const PixelSurface& source, int32_t sx, int32_t sy,
                      int32_t w, int32_t h);

    // The clipping of Blit, on the six numbers in place; returns whether
    // anything is left to copy. The sums are done in 64 bits, so no argument
    // overflows; when nothing is left the numbers are saturated to 32 bits and
    // mean nothing.
    bool ClipBlit(int32_t& dx, int32_t& dy, const PixelSurface& source, int32_t& sx, int32_t& sy,
                  int32_t& w, int32_t& h) const;

    uint8_t* pixels = nullptr;
    const uint32_t* palette = nullptr;
    int32_t bitsPerPixel = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0;
    int32_t rowPadding = 0;
    int32_t byteSize = 0;

private:
    int32_t ComputePitch(int64_t alignBits);
    // Whether the fields describe memory Blit may address: pixels set, sizes
    // positive and pitch wide enough for a row, all within 32-bit byte counts.
    bool Addressable() const;
};
