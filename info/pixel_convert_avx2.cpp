// AVX2 versions of ten of the twelve kernels, used only when the processor reports
// AVX2 (every function carries the target attribute, so the rest of the
// program stays baseline x86-64). Each vector step handles 8 or 16 pixels and
// loads and stores only bytes of those pixels: 24-bit rows are read as two
// 16-byte halves that end exactly at the step's last byte, and written as 16
// plus 8 bytes. Columns left over go to the plain kernel in one call.
#include "info/pixel_convert.h"
#include "info/pixel_row_copy.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <cstddef>
#include <cstring>

#define TESSARIN_AVX2 __attribute__((target("avx2")))

namespace {

using pixel_detail::kPlainKernels;

TESSARIN_AVX2 inline __m256i Load256(const uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
TESSARIN_AVX2 inline void Store256(uint8_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}
TESSARIN_AVX2 inline __m128i Load128(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
TESSARIN_AVX2 inline void Store128(uint8_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Copies n bytes; the last move may overlap the one before it, so no byte
// outside [0, n) is touched.
TESSARIN_AVX2 inline void CopyRow(uint8_t* d, const uint8_t* s, size_t n) {
    if (n >= 64) {
        // Unaligned first 32 bytes, then stores aligned to 32 bytes, then the
        // unaligned last 32 bytes: fewer stores cross a cache line.
        const __m256i first = Load256(s);
        const __m256i last = Load256(s + n - 32);
        size_t i = 32 - (reinterpret_cast<uintptr_t>(d) & 31);
        for (; i + 64 <= n; i += 64) {
            const __m256i a = Load256(s + i);
            const __m256i b = Load256(s + i + 32);
            _mm256_store_si256(reinterpret_cast<__m256i*>(d + i), a);
            _mm256_store_si256(reinterpret_cast<__m256i*>(d + i + 32), b);
        }
        if (i + 32 <= n) _mm256_store_si256(reinterpret_cast<__m256i*>(d + i), Load256(s + i));
        Store256(d, first);
        Store256(d + n - 32, last);
    } else if (n >= 32) {
        size_t i = 0;
        for (; i + 128 <= n; i += 128) {
            const __m256i a = Load256(s + i);
            const __m256i b = Load256(s + i + 32);
            const __m256i c = Load256(s + i + 64);
            const __m256i e = Load256(s + i + 96);
            Store256(d + i, a);
            Store256(d + i + 32, b);
            Store256(d + i + 64, c);
            Store256(d + i + 96, e);
        }
        for (; i + 32 <= n; i += 32)
            Store256(d + i, Load256(s + i));
        if (i < n) Store256(d + n - 32, Load256(s + n - 32));
    } else if (n >= 16) {
        const __m128i a = Load128(s);
        const __m128i b = Load128(s + n - 16);
        Store128(d, a);
        Store128(d + n - 16, b);
    } else {
        pixel_detail::CopyShortRow(d, s, n);
    }
}

template <int Bytes>
TESSARIN_AVX2 void CopyAvx2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                            int32_t width, int32_t height) {
    if (width < 1 || height < 1) return;
    const size_t n = static_cast<size_t>(width) * Bytes;
    for (int32_t y = 0; y < height; ++y) {
        CopyRow(dst + static_cast<ptrdiff_t>(y) * dstPitch,
                src + static_cast<ptrdiff_t>(y) * srcPitch, n);
    }
}

// Eight 32-bit pixels (blue, green, red, x) to 5-5-5 values in 32-bit lanes.
TESSARIN_AVX2 inline __m256i To555(__m256i v) {
    const __m256i b = _mm256_and_si256(_mm256_srli_epi32(v, 3), _mm256_set1_epi32(0x001F));
    const __m256i g = _mm256_and_si256(_mm256_srli_epi32(v, 6), _mm256_set1_epi32(0x03E0));
    const __m256i r = _mm256_and_si256(_mm256_srli_epi32(v, 9), _mm256_set1_epi32(0x7C00));
    return _mm256_or_si256(_mm256_or_si256(b, g), r);
}

// Eight 5-5-5 values in 32-bit lanes to 32-bit pixels with a zero fourth byte.
TESSARIN_AVX2 inline __m256i From555(__m256i w) {
    const __m256i b = _mm256_slli_epi32(_mm256_and_si256(w, _mm256_set1_epi32(0x001F)), 3);
    const __m256i g = _mm256_slli_epi32(_mm256_and_si256(w, _mm256_set1_epi32(0x03E0)), 6);
    const __m256i r = _mm256_slli_epi32(_mm256_and_si256(w, _mm256_set1_epi32(0x7C00)), 9);
    return _mm256_or_si256(_mm256_or_si256(b, g), r);
}

// Eight 5-5-5 values in 32-bit lanes to eight 16-bit words (values fit the
// signed saturation of the pack).
TESSARIN_AVX2 inline __m128i Pack8Words(__m256i v) {
    const __m256i packed = _mm256_packs_epi32(v, v);  // p0-3 twice | p4-7 twice
    return _mm256_castsi256_si128(_mm256_permute4x64_epi64(packed, 0x08));
}

// Eight 32-bit pixels to their first three bytes, 24 bytes at the start.
TESSARIN_AVX2 inline __m256i Compact24(__m256i v) {
    const __m256i shuffle =
        _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0, 1, 2, 4, 5, 6,
                         8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i packed = _mm256_shuffle_epi8(v, shuffle);
    return _mm256_permutevar8x32_epi32(packed, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
}

TESSARIN_AVX2 inline void Store24Bytes(uint8_t* d, __m256i v) {
    Store128(d, _mm256_castsi256_si128(v));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 16), _mm256_extracti128_si256(v, 1));
}

// Eight 24-bit pixels (24 bytes, read as [0,16) and [8,24)) to 32-bit pixels
// with a zero fourth byte.
TESSARIN_AVX2 inline __m256i Load24Expand(const uint8_t* s) {
    const __m256i halves =
        _mm256_inserti128_si256(_mm256_castsi128_si256(Load128(s)), Load128(s + 8), 1);
    const __m256i shuffle =
        _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,       // from s
                         4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);  // from s + 8
    return _mm256_shuffle_epi8(halves, shuffle);
}

TESSARIN_AVX2 inline __m256i Gather8(const uint8_t* s, const uint32_t* palette) {
    const __m256i index =
        _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s)));
    return _mm256_i32gather_epi32(reinterpret_cast<const int*>(palette), index, 4);
}

// Runs `step(d, s)` on groups of Group pixels of every row, then hands the
// columns left over to `rest` (the plain kernel) in one call.
template <int DstBytes, int SrcBytes, int Group, typename Step, typename Rest>
TESSARIN_AVX2 inline void Rows(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                               int32_t width, int32_t height, Step step, Rest rest) {
    if (width < 1 || height < 1) return;
    const int32_t n = width - width % Group;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
        const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcPitch;
        for (int32_t x = 0; x < n; x += Group, d += Group * DstBytes, s += Group * SrcBytes) {
            step(d, s);
        }
    }
    if (n < width) {
        rest(dst + ptrdiff_t{n} * DstBytes, dstPitch, src + ptrdiff_t{n} * SrcBytes, srcPitch,
             width - n, height);
    }
}

TESSARIN_AVX2 void Convert32To16Avx2(uint8_t* dst, int32_t dstPitch, const uint8_t* src,
                                     int32_t srcPitch, int32_t width, int32_t height) {
    Rows<2, 4, 16>(
        dst, dstPitch, src, srcPitch, width, height,
        [](uint8_t* d, const uint8_t* s) TESSARIN_AVX2 {
            const __m256i packed = _mm256_packs_epi32(To555(Load256(s)), To555(Load256(s + 32)));
            Store256(d, _mm256_permute4x64_epi64(packed, 0xD8));
        },
        kPlainKernels.convert32To16);
}

TESSARIN_AVX2 void Convert24To16Avx2(uint8_t* dst, int32_t dstPitch, const uint8_t* src,
                                     int32_t srcPitch, int32_t width, int32_t height) {
    Rows<2, 3, 8>(
        dst, dstPitch, src, srcPitch, width, height,
        [](uint8_t* d, const uint8_t* s)
            TESSARIN_AVX2 { Store128(d, Pack8Words(To555(Load24Expand(s)))); },
        kPlainKernels.convert24To16);
}

TESSARIN_AVX2 void Convert16To32Avx2(uint8_t* dst, int32_t dstPitch, const uint8_t* src,
                                     int32_t srcPitch, int32_t width, int32_t height) {
    Rows<4, 2, 16>(
        dst, dstPitch, src, srcPitch, width, height,
        [](uint8_t* d, const uint8_t* s) TESSARIN_AVX2 {
            Store256(d, From555(_mm256_cvtepu16_epi32(Load128(s))));
            Store256(d + 32, From555(_mm256_cvtepu16_epi32(Load128(s + 16))));
        },
        kPlainKernels.convert16To32);
}

TESSARIN_AVX2 void Convert16To24Avx2(uint8_t* dst, int32_t dstPitch, const uint8_t* src,
                                     int32_t srcPitch, int32_t width, int32_t height) {
    Rows<3, 2, 8>(
        dst, dstPitch, src, srcPitch, width, height,
        [](uint8_t* d, const uint8_t* s) TESSARIN_AVX2 {
            Store24Bytes(d, Compact24(From555(_mm256_cvtepu16_epi32(Load128(s)))));
        },
        kPlainKernels.convert16To24);
}

TESSARIN_AVX2 void Convert32To24Avx2(uint8_t* dst, int32_t dstPitch, const uint8_t* src,
                                     int32_t srcPitch, int32_t width, int32_t height) {
    Rows<3, 4, 8>(
        dst, dstPitch, src, srcPitch, width, height,
        [](uint8_t* d, const uint8_t* s) TESSARIN_AVX2 { Store24Bytes(d, Compact24(Load256(s))); },
        kPlainKernels.convert32To24);
}

TESSARIN_AVX2 void Convert24To32Avx2(uint8_t* dst, int32_t dstPitch, const uint8_t* src,
                                     int32_t srcPitch, int32_t width, int32_t height) {
    Rows<4, 3, 8>(
        dst, dstPitch, src, srcPitch, width, height,
        [](uint8_t* d, const uint8_t* s) TESSARIN_AVX2 { Store256(d, Load24Expand(s)); },
        kPlainKernels.convert24To32);
}

// 8 to 16 bits looks up eight entries with one gather and converts them
// together. For 24 and 32 bits the gather lost to the plain loop of one load
// and one store per pixel on the machines measured, so those stay plain.
template <typename Plain>
struct PaletteRest {
    Plain plain;
    const uint32_t* palette;
    void operator()(uint8_t* d, int32_t dp, const uint8_t* s, int32_t sp, int32_t w,
                    int32_t h) const {
        plain(d, dp, s, sp, w, h, palette);
    }
};

TESSARIN_AVX2 void Convert8To16Avx2(uint8_t* dst, int32_t dstPitch, const uint8_t* src,
                                    int32_t srcPitch, int32_t width, int32_t height,
                                    const uint32_t* palette) {
    Rows<2, 1, 8>(
        dst, dstPitch, src, srcPitch, width, height,
        [palette](uint8_t* d, const uint8_t* s)
            TESSARIN_AVX2 { Store128(d, Pack8Words(To555(Gather8(s, palette)))); },
        PaletteRest<PaletteKernel>{kPlainKernels.convert8To16, palette});
}

}  // namespace

bool pixel_detail::OverlayAvx2Kernels(KernelSet& set) {
    set.copy16 = CopyAvx2<2>;
    set.convert24To16 = Convert24To16Avx2;
    set.convert32To16 = Convert32To16Avx2;
    set.convert16To24 = Convert16To24Avx2;
    set.copy24 = CopyAvx2<3>;
    set.convert32To24 = Convert32To24Avx2;
    set.convert16To32 = Convert16To32Avx2;
    set.convert24To32 = Convert24To32Avx2;
    set.copy32 = CopyAvx2<4>;
    set.convert8To16 = Convert8To16Avx2;
    return true;
}

#else

bool pixel_detail::OverlayAvx2Kernels(KernelSet&) {
    return false;
}

#endif
