// The twelve pixel conversion kernels: each copies a block of `width` x `height`
// pixels from one buffer to another, converting the depth on the way. They know
// nothing of surfaces or clipping: row i of the block starts at the given
// address plus i x pitch in each buffer. A kernel reads only the source pixels
// of the block and writes only its destination pixels (of a 24-bit pixel
// exactly its three bytes); an empty block (width or height below 1) does
// nothing. They keep no state and allocate nothing.
//
// Pixel layouts (little-endian): 8 bits index a palette of 32-bit entries whose
// bytes are blue, green, red, reserved; 16 bits are 5-5-5 (blue in bits 0-4,
// green 5-9, red 10-14, bit 15 unused); 24 bits are the bytes blue, green, red;
// 32 bits blue, green, red and one unused byte. Into 5-5-5 each channel keeps
// its top five bits; out of 5-5-5 each channel becomes value << 3 (31 -> 248).
// The fourth byte written by Convert16To32 and Convert24To32 is 0.
//
// Every kernel exists as a plain portable loop and, on x86-64, as SSE2 and
// AVX2 versions; the public functions call the version chosen at run time,
// which tests and benchmarks switch with SetPixelPath / SetPixelFastPaths.
// The environment variable TESSARIN_PIXEL_PATH (plain, sse2, avx2) caps the
// choice at start.
#pragma once

#include <cstdint>

using PixelKernel = void (*)(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                             int32_t width, int32_t height);
using PaletteKernel = void (*)(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                               int32_t width, int32_t height, const uint32_t* palette);

void Copy16(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, int32_t width,
            int32_t height);
void Convert24To16(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                   int32_t width, int32_t height);
void Convert32To16(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                   int32_t width, int32_t height);
void Convert16To24(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                   int32_t width, int32_t height);
void Copy24(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, int32_t width,
            int32_t height);
void Convert32To24(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                   int32_t width, int32_t height);
void Convert16To32(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                   int32_t width, int32_t height);
void Convert24To32(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                   int32_t width, int32_t height);
void Copy32(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, int32_t width,
            int32_t height);
void Convert8To16(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                  int32_t width, int32_t height, const uint32_t* palette);
void Convert8To24(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                  int32_t width, int32_t height, const uint32_t* palette);
void Convert8To32(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                  int32_t width, int32_t height, const uint32_t* palette);

// Destination depth 16, 24, 32 (outer) x source depth 16, 24, 32 (inner),
// indexed with 3 * (dstBits / 8) + srcBits / 8 - 8.
extern const PixelKernel ConversionTable[9];

// Which version of the kernels the public functions call.
enum class PixelPath { Plain, Sse2, Avx2 };

// Selects a version; returns false (and changes nothing) when this build or
// this processor lacks it.
bool SetPixelPath(PixelPath path);
PixelPath GetPixelPath();
// true: the fastest version available; false: the plain one.
void SetPixelFastPaths(bool enabled);

namespace pixel_detail {

// One version of all twelve kernels.
struct KernelSet {
    PixelKernel copy16;
    PixelKernel convert24To16;
    PixelKernel convert32To16;
    PixelKernel convert16To24;
    PixelKernel copy24;
    PixelKernel convert32To24;
    PixelKernel convert16To32;
    PixelKernel convert24To32;
    PixelKernel copy32;
    PaletteKernel convert8To16;
    PaletteKernel convert8To24;
    PaletteKernel convert8To32;
};

extern const KernelSet kPlainKernels;
// Replace the entries that have a faster version; return false when the
// build has none (not x86).
bool OverlaySse2Kernels(KernelSet& set);
bool OverlayAvx2Kernels(KernelSet& set);

}  // namespace pixel_detail
