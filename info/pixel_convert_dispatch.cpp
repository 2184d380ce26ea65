// The public kernels and the run-time choice between their versions. The
// choice is made once (the best the processor offers, capped by
// TESSARIN_PIXEL_PATH) and can be changed by SetPixelPath; each public kernel
// costs one indirect call.
#include <cstdlib>
#include <cstring>

#include "info/pixel_convert.h"

using pixel_detail::KernelSet;

namespace {

struct Versions {
    KernelSet sse2 = pixel_detail::kPlainKernels;
    KernelSet avx2 = pixel_detail::kPlainKernels;
    bool hasSse2 = false;
    bool hasAvx2 = false;
};

bool CpuHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    return __builtin_cpu_supports("avx2") != 0;
#else
    return false;
#endif
}

const Versions& AllVersions() {
    static const Versions versions = [] {
        Versions v;
        v.hasSse2 = pixel_detail::OverlaySse2Kernels(v.sse2);
        v.avx2 = v.sse2;
        v.hasAvx2 = v.hasSse2 && CpuHasAvx2() && pixel_detail::OverlayAvx2Kernels(v.avx2);
        return v;
    }();
    return versions;
}

PixelPath g_path = PixelPath::Plain;
const KernelSet* g_active = nullptr;

PixelPath BestPath() {
    const Versions& v = AllVersions();
    return v.hasAvx2 ? PixelPath::Avx2 : v.hasSse2 ? PixelPath::Sse2 : PixelPath::Plain;
}

const KernelSet& Active() {
    if (g_active == nullptr) {
        PixelPath path = BestPath();
        if (const char* cap = std::getenv("TESSARIN_PIXEL_PATH")) {
            if (std::strcmp(cap, "plain") == 0) {
                path = PixelPath::Plain;
            } else if (std::strcmp(cap, "sse2") == 0 && path == PixelPath::Avx2) {
                path = PixelPath::Sse2;
            }
        }
        SetPixelPath(path);
    }
    return *g_active;
}

}  // namespace

bool SetPixelPath(PixelPath path) {
    const Versions& v = AllVersions();
    switch (path) {
        case PixelPath::Plain:
            g_active = &pixel_detail::kPlainKernels;
            break;
        case PixelPath::Sse2:
            if (!v.hasSse2) return false;
            g_active = &v.sse2;
            break;
        case PixelPath::Avx2:
            if (!v.hasAvx2) return false;
            g_active = &v.avx2;
            break;
    }
    g_path = path;
    return true;
}

PixelPath GetPixelPath() {
    Active();
    return g_path;
}

void SetPixelFastPaths(bool enabled) {
    SetPixelPath(enabled ? BestPath() : PixelPath::Plain);
}

void Copy16(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, int32_t width,
            int32_t height) {
    Active().copy16(dst, dstPitch, src, srcPitch, width, height);
}
void Convert24To16(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                   int32_t width, int32_t height) {
    Active().convert24To16(dst, dstPitch, src, srcPitch, width, height);
}
void Convert32To16(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                   int32_t width, int32_t height) {
    Active().convert32To16(dst, dstPitch, src, srcPitch, width, height);
}
void Convert16To24(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                   int32_t width, int32_t height) {
    Active().convert16To24(dst, dstPitch, src, srcPitch, width, height);
}
void Copy24(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, int32_t width,
            int32_t height) {
    Active().copy24(dst, dstPitch, src, srcPitch, width, height);
}
void Convert32To24(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                   int32_t width, int32_t height) {
    Active().convert32To24(dst, dstPitch, src, srcPitch, width, height);
}
void Convert16To32(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                   int32_t width, int32_t height) {
    Active().convert16To32(dst, dstPitch, src, srcPitch, width, height);
}
void Convert24To32(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                   int32_t width, int32_t height) {
    Active().convert24To32(dst, dstPitch, src, srcPitch, width, height);
}
void Copy32(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, int32_t width,
            int32_t height) {
    Active().copy32(dst, dstPitch, src, srcPitch, width, height);
}
void Convert8To16(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                  int32_t width, int32_t height, const uint32_t* palette) {
    Active().convert8To16(dst, dstPitch, src, srcPitch, width, height, palette);
}
void Convert8To24(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                  int32_t width, int32_t height, const uint32_t* palette) {
    Active().convert8To24(dst, dstPitch, src, srcPitch, width, height, palette);
}
void Convert8To32(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                  int32_t width, int32_t height, const uint32_t* palette) {
    Active().convert8To32(dst, dstPitch, src, srcPitch, width, height, palette);
}

constinit const PixelKernel ConversionTable[9] = {
    Copy16,        Convert24To16, Convert32To16,  // into 16 bits
    Convert16To24, Copy24,        Convert32To24,  // into 24 bits
    Convert16To32, Convert24To32, Copy32,         // into 32 bits
};
