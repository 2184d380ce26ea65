// SSE2 versions (every x86-64 processor has SSE2) of the copies and of the
// conversions between 16 and 32 bits. The 24-bit and palette conversions need
// byte shuffles or gathers that SSE2 lacks; they stay plain at this level.
// Columns left over after the vector loop go to the plain kernel in one call.
#include "info/pixel_convert.h"
#include "info/pixel_row_copy.h"

#if defined(__x86_64__) || defined(__i386__)

#include <emmintrin.h>

#include <cstddef>
#include <cstring>

namespace {

using pixel_detail::kPlainKernels;

// Copies n bytes with 16-byte moves; the last move may overlap the one before
// it, so no byte outside [0, n) is touched.
inline void CopyRow(uint8_t* d, const uint8_t* s, size_t n) {
    if (n >= 16) {
        size_t i = 0;
        for (; i + 64 <= n; i += 64) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 16));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 32));
            const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 48));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), a);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 16), b);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 32), c);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 48), e);
        }
        for (; i + 16 <= n; i += 16) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
        }
        if (i < n) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + n - 16),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n - 16)));
        }
    } else {
        pixel_detail::CopyShortRow(d, s, n);
    }
}

template <int Bytes>
void CopySse2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, int32_t width,
              int32_t height) {
    if (width < 1 || height < 1) return;
    const size_t n = static_cast<size_t>(width) * Bytes;
    for (int32_t y = 0; y < height; ++y) {
        CopyRow(dst + static_cast<ptrdiff_t>(y) * dstPitch,
                src + static_cast<ptrdiff_t>(y) * srcPitch, n);
    }
}

// Four 32-bit pixels (blue, green, red, x) to four 5-5-5 values in 32-bit lanes.
inline __m128i To555(__m128i v) {
    const __m128i b = _mm_and_si128(_mm_srli_epi32(v, 3), _mm_set1_epi32(0x001F));
    const __m128i g = _mm_and_si128(_mm_srli_epi32(v, 6), _mm_set1_epi32(0x03E0));
    const __m128i r = _mm_and_si128(_mm_srli_epi32(v, 9), _mm_set1_epi32(0x7C00));
    return _mm_or_si128(_mm_or_si128(b, g), r);
}

// Four 5-5-5 values in 32-bit lanes to 32-bit pixels with a zero fourth byte.
inline __m128i From555(__m128i w) {
    const __m128i b = _mm_slli_epi32(_mm_and_si128(w, _mm_set1_epi32(0x001F)), 3);
    const __m128i g = _mm_slli_epi32(_mm_and_si128(w, _mm_set1_epi32(0x03E0)), 6);
    const __m128i r = _mm_slli_epi32(_mm_and_si128(w, _mm_set1_epi32(0x7C00)), 9);
    return _mm_or_si128(_mm_or_si128(b, g), r);
}

void Convert32To16Sse2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                       int32_t width, int32_t height) {
    if (width < 1 || height < 1) return;
    const int32_t n = width & ~7;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
        const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcPitch;
        for (int32_t x = 0; x < n; x += 8, d += 16, s += 32) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16));
            // The values are at most 0x7FFF, so the signed saturation keeps them.
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_packs_epi32(To555(a), To555(b)));
        }
    }
    if (n < width) {
        kPlainKernels.convert32To16(dst + ptrdiff_t{n} * 2, dstPitch, src + ptrdiff_t{n} * 4,
                                    srcPitch, width - n, height);
    }
}

void Convert16To32Sse2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                       int32_t width, int32_t height) {
    if (width < 1 || height < 1) return;
    const int32_t n = width & ~7;
    const __m128i zero = _mm_setzero_si128();
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
        const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcPitch;
        for (int32_t x = 0; x < n; x += 8, d += 32, s += 16) {
            const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d), From555(_mm_unpacklo_epi16(w, zero)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 16),
                             From555(_mm_unpackhi_epi16(w, zero)));
        }
    }
    if (n < width) {
        kPlainKernels.convert16To32(dst + ptrdiff_t{n} * 4, dstPitch, src + ptrdiff_t{n} * 2,
                                    srcPitch, width - n, height);
    }
}

}  // namespace

bool pixel_detail::OverlaySse2Kernels(KernelSet& set) {
    set.copy16 = CopySse2<2>;
    set.copy24 = CopySse2<3>;
    set.copy32 = CopySse2<4>;
    set.convert32To16 = Convert32To16Sse2;
    set.convert16To32 = Convert16To32Sse2;
    return true;
}

#else

bool pixel_detail::OverlaySse2Kernels(KernelSet&) {
    return false;
}

#endif
