// The kernels, every version the machine offers, against the per-pixel
// reference: all widths 1 to 40, odd pitches and offsets, guard bytes around
// every row, and (under AddressSanitizer) the source bytes outside the block
// poisoned so that a read of them fails.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "info/pixel_convert.h"
#include "tests/info/pixel_reference.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSARIN_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TESSARIN_ASAN 1
#endif
#ifdef TESSARIN_ASAN
#include <sanitizer/asan_interface.h>
#define POISON(p, n) __asan_poison_memory_region((p), (n))
#define UNPOISON(p, n) __asan_unpoison_memory_region((p), (n))
#else
#define POISON(p, n) ((void)(p), (void)(n))
#define UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

struct KernelCase {
    const char* name;
    int dstBits;
    int srcBits;
    PixelKernel kernel;
    PaletteKernel paletteKernel;
};

const KernelCase kKernels[] = {
    {"Copy16", 16, 16, Copy16, nullptr},
    {"Convert24To16", 16, 24, Convert24To16, nullptr},
    {"Convert32To16", 16, 32, Convert32To16, nullptr},
    {"Convert16To24", 24, 16, Convert16To24, nullptr},
    {"Copy24", 24, 24, Copy24, nullptr},
    {"Convert32To24", 24, 32, Convert32To24, nullptr},
    {"Convert16To32", 32, 16, Convert16To32, nullptr},
    {"Convert24To32", 32, 24, Convert24To32, nullptr},
    {"Copy32", 32, 32, Copy32, nullptr},
    {"Convert8To16", 16, 8, nullptr, Convert8To16},
    {"Convert8To24", 24, 8, nullptr, Convert8To24},
    {"Convert8To32", 32, 8, nullptr, Convert8To32},
};

const PixelPath kPaths[] = {PixelPath::Plain, PixelPath::Sse2, PixelPath::Avx2};

const char* PathName(PixelPath p) {
    return p == PixelPath::Plain ? "plain" : p == PixelPath::Sse2 ? "sse2" : "avx2";
}

void RunKernel(const KernelCase& k, uint8_t* dst, int32_t dstPitch, const uint8_t* src,
               int32_t srcPitch, int32_t w, int32_t h, const uint32_t* palette) {
    if (k.kernel != nullptr) {
        k.kernel(dst, dstPitch, src, srcPitch, w, h);
    } else {
        k.paletteKernel(dst, dstPitch, src, srcPitch, w, h, palette);
    }
}

class PixelKernelPaths : public ::testing::TestWithParam<PixelPath> {
protected:
    void SetUp() override {
        if (!SetPixelPath(GetParam())) GTEST_SKIP() << "not available on this machine";
    }
    void TearDown() override { SetPixelFastPaths(true); }
};

// Every kernel, every block of 1..40 x 1..3 pixels, with several pitches and
// offsets, writes the reference bytes and nothing else, and reads no source
// byte outside the block.
TEST_P(PixelKernelPaths, MatchReferenceAndKeepGuards) {
    std::mt19937 rng(4711);
    std::vector<uint32_t> palette(256);
    for (auto& e : palette)
        e = static_cast<uint32_t>(rng());
    for (const KernelCase& k : kKernels) {
        const int sb = k.srcBits / 8, db = k.dstBits / 8;
        for (int32_t h = 1; h <= 3; ++h) {
            for (int32_t w = 1; w <= 40; ++w) {
                for (int32_t extra : {0, 1, 3, 8}) {
                    SCOPED_TRACE(std::string(k.name) + " w=" + std::to_string(w) +
                                 " h=" + std::to_string(h) + " extra=" + std::to_string(extra));
                    const int32_t srcOff = extra % 3, dstOff = (extra + 1) % 4;
                    const int32_t srcPitch = srcOff + w * sb + extra;
                    const int32_t dstPitch = dstOff + w * db + 2 * extra + 1;
                    // The source ends with the block's last byte; the
                    // destination has guard bytes after the last row.
                    std::vector<uint8_t> src(
                        static_cast<size_t>((h - 1) * srcPitch + srcOff + w * sb));
                    std::vector<uint8_t> dst(static_cast<size_t>(h * dstPitch + 16));
                    for (auto& b : src)
                        b = static_cast<uint8_t>(rng());
                    for (auto& b : dst)
                        b = static_cast<uint8_t>(rng());
                    std::vector<uint8_t> expected = dst;
                    ref::Kernel(k.dstBits, k.srcBits, expected.data() + dstOff, dstPitch,
                                src.data() + srcOff, srcPitch, w, h, palette.data());
                    // Poison every source byte outside the block's rows.
                    POISON(src.data(), static_cast<size_t>(srcOff));
                    for (int32_t y = 0; y + 1 < h; ++y) {
                        POISON(src.data() + y * srcPitch + srcOff + w * sb,
                               static_cast<size_t>(srcPitch - w * sb));
                    }
                    RunKernel(k, dst.data() + dstOff, dstPitch, src.data() + srcOff, srcPitch, w, h,
                              palette.data());
                    UNPOISON(src.data(), src.size());
                    ASSERT_EQ(dst, expected);
                }
            }
        }
    }
}

// Wide rows (several vector steps plus every remainder) and a block whose rows
// go downward in memory.
TEST_P(PixelKernelPaths, WideRowsAndNegativePitch) {
    std::mt19937 rng(99);
    std::vector<uint32_t> palette(256);
    for (auto& e : palette)
        e = static_cast<uint32_t>(rng());
    for (const KernelCase& k : kKernels) {
        for (int32_t w : {63, 64, 65, 200, 1921}) {
            SCOPED_TRACE(std::string(k.name) + " w=" + std::to_string(w));
            const int32_t h = 3, sp = w * (k.srcBits / 8) + 5, dp = w * (k.dstBits / 8) + 7;
            std::vector<uint8_t> src(static_cast<size_t>(h * sp)), dst(static_cast<size_t>(h * dp));
            for (auto& b : src)
                b = static_cast<uint8_t>(rng());
            std::vector<uint8_t> expected = dst;
            ref::Kernel(k.dstBits, k.srcBits, expected.data() + 2 * dp, -dp, src.data() + 2 * sp,
                        -sp, w, h, palette.data());
            RunKernel(k, dst.data() + 2 * dp, -dp, src.data() + 2 * sp, -sp, w, h, palette.data());
            ASSERT_EQ(dst, expected);
        }
    }
}

// Fixed values that pin the channel rules down, run through every kernel at
// widths that reach the vector loop and the remainder.
TEST_P(PixelKernelPaths, KnownValues) {
    struct Into16 {
        uint8_t b, g, r;
        uint16_t word;
    };
    const Into16 into16[] = {
        {255, 255, 255, 0x7FFF}, {127, 127, 127, 0x3DEF}, {178, 178, 178, 0x5AD6},
        {207, 207, 207, 0x6739}, {7, 7, 7, 0x0000},       {8, 8, 8, 0x0421},
        {8, 0, 0, 0x0001},       {0, 8, 0, 0x0020},       {0, 0, 8, 0x0400},
    };
    constexpr int32_t kW = 37;
    for (const Into16& c : into16) {
        SCOPED_TRACE(c.word);
        std::vector<uint8_t> s24, s32, d(kW * 2);
        for (int i = 0; i < kW; ++i)
            s24.insert(s24.end(), {c.b, c.g, c.r});
        for (int i = 0; i < kW; ++i)
            s32.insert(s32.end(), {c.b, c.g, c.r, 0xFF});
        const uint32_t palette[1] = {c.b | c.g << 8 | c.r << 16 | 0xFFu << 24};
        const std::vector<uint8_t> s8(kW, 0);
        const std::vector<uint8_t> want = [&] {
            std::vector<uint8_t> v;
            for (int i = 0; i < kW; ++i) {
                v.push_back(static_cast<uint8_t>(c.word));
                v.push_back(static_cast<uint8_t>(c.word >> 8));
            }
            return v;
        }();
        Convert24To16(d.data(), 0, s24.data(), 0, kW, 1);
        EXPECT_EQ(d, want);
        Convert32To16(d.data(), 0, s32.data(), 0, kW, 1);
        EXPECT_EQ(d, want);
        Convert8To16(d.data(), 0, s8.data(), 0, kW, 1, palette);
        EXPECT_EQ(d, want);
    }

    // Out of 5-5-5: 31 -> 248, 15 -> 120, 22 -> 176, 25 -> 200; bit 15 ignored
    // by conversions and kept by the copy.
    struct From16 {
        uint16_t word;
        uint8_t b, g, r;
    };
    const From16 from16[] = {
        {0x7FFF, 248, 248, 248}, {0xFFFF, 248, 248, 248}, {0x3DEF, 120, 120, 120},
        {0x5AD6, 176, 176, 176}, {0xE739, 200, 200, 200}, {0x8001, 8, 0, 0},
        {0x0020, 0, 8, 0},       {0x0400, 0, 0, 8},
    };
    for (const From16& c : from16) {
        SCOPED_TRACE(c.word);
        std::vector<uint8_t> src, d24(kW * 3), d32(kW * 4), d16(kW * 2);
        for (int i = 0; i < kW; ++i) {
            src.insert(src.end(),
                       {static_cast<uint8_t>(c.word), static_cast<uint8_t>(c.word >> 8)});
        }
        Convert16To24(d24.data(), 0, src.data(), 0, kW, 1);
        Convert16To32(d32.data(), 0, src.data(), 0, kW, 1);
        Copy16(d16.data(), 0, src.data(), 0, kW, 1);
        for (int i = 0; i < kW; ++i) {
            ASSERT_EQ(std::vector<uint8_t>(d24.begin() + 3 * i, d24.begin() + 3 * i + 3),
                      (std::vector<uint8_t>{c.b, c.g, c.r}));
            ASSERT_EQ(std::vector<uint8_t>(d32.begin() + 4 * i, d32.begin() + 4 * i + 4),
                      (std::vector<uint8_t>{c.b, c.g, c.r, 0}));
        }
        EXPECT_EQ(d16, src);
    }

    // The palette's reserved byte reaches 32 bits only.
    const uint32_t palette[2] = {0x5A112233, 0xA5445566};
    const std::vector<uint8_t> idx = {1, 0, 1, 1, 0, 0, 1, 0, 1};
    std::vector<uint8_t> d32(idx.size() * 4), d24(idx.size() * 3 + 1, 0xEE);
    Convert8To32(d32.data(), 0, idx.data(), 0, static_cast<int32_t>(idx.size()), 1, palette);
    Convert8To24(d24.data(), 0, idx.data(), 0, static_cast<int32_t>(idx.size()), 1, palette);
    for (size_t i = 0; i < idx.size(); ++i) {
        const uint32_t e = palette[idx[i]];
        EXPECT_EQ(d32[4 * i + 3], static_cast<uint8_t>(e >> 24));
        EXPECT_EQ(d24[3 * i + 2], static_cast<uint8_t>(e >> 16));
        EXPECT_EQ(d24[3 * i], static_cast<uint8_t>(e));
    }
    EXPECT_EQ(d24.back(), 0xEE);
}

TEST_P(PixelKernelPaths, EmptyBlocksWriteNothing) {
    uint8_t dst[16] = {}, src[16] = {1, 2, 3};
    const uint32_t palette[256] = {0xFFFFFFFF};
    for (const KernelCase& k : kKernels) {
        for (auto [w, h] : {std::pair{0, 1}, {1, 0}, {-1, 3}, {3, -5}, {INT32_MIN, INT32_MIN}}) {
            RunKernel(k, dst, 4, src, 4, w, h, palette);
        }
    }
    for (uint8_t b : dst)
        EXPECT_EQ(b, 0);
}

INSTANTIATE_TEST_SUITE_P(All, PixelKernelPaths, ::testing::ValuesIn(kPaths),
                         [](const auto& param) { return std::string(PathName(param.param)); });

TEST(PixelKernelTable, OrderAndSwitch) {
    // 3 * (dst / 8) + src / 8 - 8, in the order of the twelve kernels above.
    for (int i = 0; i < 9; ++i) {
        const KernelCase& k = kKernels[i];
        EXPECT_EQ(ConversionTable[3 * (k.dstBits / 8) + k.srcBits / 8 - 8], k.kernel) << k.name;
    }
    EXPECT_TRUE(SetPixelPath(PixelPath::Plain));
    EXPECT_EQ(GetPixelPath(), PixelPath::Plain);
    SetPixelFastPaths(true);
#if defined(__x86_64__)
    EXPECT_NE(GetPixelPath(), PixelPath::Plain);
#endif
}

}  // namespace
