// PixelSurface: pitch rules, attaching, clipping at the edges of the 32-bit
// range, and a seeded random run of Blit against the reference copy.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "info/pixel_surface.h"
#include "tests/info/pixel_reference.h"

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

TEST(PixelSurfacePitch, Rules) {
    struct Case {
        int32_t width, height, bits;
        int32_t dibPitch, dibPadding, bufferPitch, bufferPadding;
    };
    const Case cases[] = {
        {266, 10, 16, 532, 0, 536, 4}, {32, 32, 16, 64, 0, 64, 0}, {3, 2, 24, 12, 3, 16, 7},
        {1, 1, 8, 4, 3, 8, 7},         {5, 1, 32, 20, 0, 24, 4},   {0, 7, 16, 0, 0, 0, 0},
        {3, 1, 1, 4, 3, 8, 7},  // other depths get a pitch but are never copied
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        BitmapInfoHeader header{};
        header.biWidth = c.width;
        header.biHeight = c.height;
        header.biBitCount = static_cast<uint16_t>(c.bits);
        uint8_t bits[1] = {};
        PixelSurface dib;
        dib.AttachDib(bits, &header);
        EXPECT_EQ(dib.pitch, c.dibPitch);
        EXPECT_EQ(dib.rowPadding, c.dibPadding);
        EXPECT_EQ(dib.byteSize, c.height * c.dibPitch);
        EXPECT_EQ(dib.ComputeDibPitch(), c.height * c.dibPitch);
        EXPECT_EQ(dib.pixels, bits);
        EXPECT_EQ(reinterpret_cast<const uint8_t*>(dib.palette),
                  reinterpret_cast<const uint8_t*>(&header) + 40);

        PixelSurface buffer(bits, c.width, c.height, c.bits);
        EXPECT_EQ(buffer.pitch, c.bufferPitch);
        EXPECT_EQ(buffer.rowPadding, c.bufferPadding);
        EXPECT_EQ(buffer.byteSize, c.height * c.bufferPitch);
        EXPECT_EQ(buffer.palette, nullptr);
    }
}

// Sizes whose pitch or byte count does not fit 32 bits, and negative sizes,
// leave a surface that reports no bytes instead of a wrapped count.
TEST(PixelSurfacePitch, NoWrappedSizes) {
    struct Case {
        int32_t width, height, bits;
    };
    const Case cases[] = {
        {kMax, 1, 32}, {kMax / 2, 1, 32}, {65536, 65536, 16}, {46341, 46341, 8},  {-1, 5, 16},
        {5, -1, 16},   {kMin, kMin, 32},  {3, 3, -8},         {kMax, kMax, kMax},
    };
    for (const Case& c : cases) {
        PixelSurface s(nullptr, c.width, c.height, c.bits);
        EXPECT_EQ(s.byteSize, 0) << c.width << " x " << c.height;
        EXPECT_EQ(s.pitch, 0);
        EXPECT_EQ(s.ComputeDibPitch(), 0);
    }
    // Just below the limit: 32767 rows of 65536 bytes.
    PixelSurface big(nullptr, 16384, 32767, 32);
    EXPECT_EQ(big.byteSize, 32767 * 65536);
}

TEST(PixelSurfaceClip, Cases) {
    uint8_t mem[1];
    const PixelSurface src(mem, 100, 50, 16);
    struct Case {
        int32_t dstW, dstH;
        int32_t dx, dy, sx, sy, w, h;
        bool any;
        int32_t cdx, cdy, csx, csy, cw, ch;
    };
    const Case cases[] = {
        {100, 50, 0, 0, 0, 0, -1, -1, true, 0, 0, 0, 0, 100, 50},    // everything
        {40, 30, 0, 0, 0, 0, -1, -1, true, 0, 0, 0, 0, 40, 30},      // smaller destination
        {100, 50, 10, 0, -5, 0, 20, 4, true, 15, 0, 0, 0, 15, 4},    // negative source start
        {100, 50, 0, 4, 0, -3, 2, 8, true, 0, 7, 0, 0, 2, 5},        //   in y as well
        {60, 40, 50, 30, 0, 0, 20, 20, true, 50, 30, 0, 0, 10, 10},  // overhanging destination
        {60, 40, -7, -2, 0, 0, 10, 10, true, 0, 0, 7, 2, 3, 8},      // negative destination start
        {60, 40, 60, 0, 0, 0, 5, 5, false, 0, 0, 0, 0, 0, 0},        // right of the destination
        {60, 40, 0, 0, 100, 0, 5, 5, false, 0, 0, 0, 0, 0, 0},       // right of the source
        {100, 50, 0, 0, 0, 0, -2, 5, false, 0, 0, 0, 0, 0, 0},       // w = -2
        {100, 50, 0, 0, 0, 0, 5, 0, false, 0, 0, 0, 0, 0, 0},        // h = 0
        {100, 50, kMax, 0, 0, 0, kMax, 1, false, 0, 0, 0, 0, 0, 0},  // sums beyond 32 bits
        {100, 50, kMin, 0, kMin, 0, kMax, 1, false, 0, 0, 0, 0, 0, 0},
        {100, 50, 0, 0, kMin, 0, kMax, 1, false, 0, 0, 0, 0, 0, 0},
        {100, 50, 0, 0, kMax, kMax, kMax, kMax, false, 0, 0, 0, 0, 0, 0},
        {100, 50, kMin + 3, 0, kMin + 100, 0, kMax, -1, true, 0, 0, 97, 0, 2, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        const PixelSurface dst(mem, c.dstW, c.dstH, 16);
        int32_t dx = c.dx, dy = c.dy, sx = c.sx, sy = c.sy, w = c.w, h = c.h;
        ASSERT_EQ(dst.ClipBlit(dx, dy, src, sx, sy, w, h), c.any);
        if (c.any) {
            EXPECT_EQ((std::vector<int32_t>{dx, dy, sx, sy, w, h}),
                      (std::vector<int32_t>{c.cdx, c.cdy, c.csx, c.csy, c.cw, c.ch}));
        }
    }
}

// Every combination of values at the edges of the 32-bit range clips to the
// intersection of the request with both surfaces, computed here in 64 bits.
TEST(PixelSurfaceClip, ExtremeValuesGiveTheIntersection) {
    const int32_t values[] = {kMin, kMin + 1, -40, -2, -1, 0, 1, 7, 39, kMax - 1, kMax};
    uint8_t mem[1];
    const PixelSurface src(mem, 40, 9, 32);
    const PixelSurface dst(mem, 9, 40, 32);
    for (int32_t a : values) {
        for (int32_t b : values) {
            for (int32_t n : values) {
                int32_t dx = a, sx = b, w = n, dy = b, sy = a, h = n;
                const bool any = dst.ClipBlit(dx, dy, src, sx, sy, w, h);
                const ref::Span x = ref::Clip(a, b, n == -1 ? 40 : n, 40, 9);
                const ref::Span y = ref::Clip(b, a, n == -1 ? 9 : n, 9, 40);
                ASSERT_EQ(any, x.count >= 1 && y.count >= 1) << a << " " << b << " " << n;
                if (any) {
                    EXPECT_EQ((std::vector<int64_t>{dx, sx, w, dy, sy, h}),
                              (std::vector<int64_t>{x.dst, x.src, x.count, y.dst, y.src, y.count}));
                }
            }
        }
    }
}

// A 4 x 3 16-bit picture whose pixel value names its memory row and column.
std::vector<uint8_t> NumberedPixels(int32_t w, int32_t h, int32_t pitch) {
    std::vector<uint8_t> m(static_cast<size_t>(h * pitch), 0);
    for (int32_t r = 0; r < h; ++r) {
        for (int32_t c = 0; c < w; ++c) {
            m[static_cast<size_t>(r * pitch + 2 * c)] = static_cast<uint8_t>(c);
            m[static_cast<size_t>(r * pitch + 2 * c + 1)] = static_cast<uint8_t>(r);
        }
    }
    return m;
}

// The top-left corner of a bottom-up picture lies in its highest memory rows
// and lands, in the same order, in the destination's rows 0 to 31.
TEST(PixelSurfaceBlit, TopLeftCornerKeepsOrientation) {
    constexpr int32_t kH = 70, kW = 50;
    PixelSurface picture(nullptr, kW, kH, 16);
    std::vector<uint8_t> pm = NumberedPixels(kW, kH, picture.pitch);
    picture.pixels = pm.data();
    std::vector<uint8_t> tm(32 * 64, 0xEE);
    PixelSurface texture(tm.data(), 32, 32, 16);
    texture.Blit(0, 0, picture, 0, 0, 32, 32);
    for (int32_t r = 0; r < 32; ++r) {
        for (int32_t c = 0; c < 32; ++c) {
            ASSERT_EQ(tm[static_cast<size_t>(r * 64 + 2 * c)], c);
            ASSERT_EQ(tm[static_cast<size_t>(r * 64 + 2 * c + 1)], kH - 32 + r);
        }
    }
}

// Depth pairs without a kernel, a palette-less 8-bit source, empty surfaces
// and fields that do not describe a valid buffer copy nothing.
TEST(PixelSurfaceBlit, NothingToCopy) {
    std::vector<uint8_t> sm(4096, 0x5A), dm(4096, 0);
    struct Case {
        int32_t dstBits, srcBits;
        bool palette;
    };
    const Case cases[] = {{8, 8, true},    {8, 16, false},  {16, 8, false}, {15, 16, false},
                          {16, 15, false}, {12, 32, false}, {32, 4, true},  {0, 0, false}};
    const std::vector<uint32_t> palette(256, 0xFFFFFFFF);
    for (const Case& c : cases) {
        PixelSurface src(sm.data(), 8, 8, c.srcBits);
        if (c.palette) src.palette = palette.data();
        PixelSurface dst(dm.data(), 8, 8, c.dstBits);
        dst.Blit(0, 0, src, 0, 0, -1, -1);
    }
    PixelSurface empty;
    PixelSurface dst(dm.data(), 8, 8, 16);
    dst.Blit(0, 0, empty, 0, 0, -1, -1);
    empty.Blit(0, 0, dst, 0, 0, -1, -1);
    // A pitch narrower than a row, or rows beyond 2 GiB.
    PixelSurface narrow(sm.data(), 8, 8, 32);
    narrow.pitch = 16;
    dst.Blit(0, 0, narrow, 0, 0, -1, -1);
    PixelSurface huge(sm.data(), 8, 8, 32);
    huge.height = kMax / 16;
    dst.Blit(0, 0, huge, 0, 0, -1, -1);
    EXPECT_EQ(dm, std::vector<uint8_t>(4096, 0));
}

// Many random surfaces (all depths, odd sizes, DIB and buffer pitches, a few
// shifted pitches) and rectangles (inside, overhanging, -1, negative, extreme)
// against the reference copy; every result also goes into one CRC, which must
// be the same for every version of the kernels.
uint32_t RandomBlits(bool* allMatched) {
    std::mt19937 rng(20261207);
    const int32_t depths[] = {8, 16, 24, 32};
    std::vector<uint32_t> palette(256);
    for (auto& e : palette)
        e = static_cast<uint32_t>(rng());
    auto coord = [&rng](int32_t size) -> int32_t {
        switch (rng() % 8) {
            case 0:
                return kMin + static_cast<int32_t>(rng() % 3);
            case 1:
                return kMax - static_cast<int32_t>(rng() % 3);
            case 2:
                return -static_cast<int32_t>(rng() % 20);
            default:
                return static_cast<int32_t>(rng() % static_cast<uint32_t>(size + 10));
        }
    };
    auto extent = [&rng](int32_t size) -> int32_t {
        switch (rng() % 8) {
            case 0:
                return -1;
            case 1:
                return -static_cast<int32_t>(rng() % 4);
            case 2:
                return kMax - static_cast<int32_t>(rng() % 2);
            default:
                return static_cast<int32_t>(rng() % static_cast<uint32_t>(size + 20));
        }
    };
    uint32_t crc = 0;
    *allMatched = true;
    for (int i = 0; i < 3000; ++i) {
        PixelSurface s[2];
        std::vector<uint8_t> mem[2];
        for (int k = 0; k < 2; ++k) {
            const int32_t w = 1 + static_cast<int32_t>(rng() % 70);
            const int32_t h = 1 + static_cast<int32_t>(rng() % 20);
            const int32_t bits = depths[rng() % 4];
            BitmapInfoHeader header{};
            header.biWidth = w;
            header.biHeight = h;
            header.biBitCount = static_cast<uint16_t>(bits);
            if (rng() % 2 != 0) {
                s[k].AttachDib(nullptr, &header);
            } else {
                s[k].AttachBuffer(nullptr, w, h, bits);
            }
            if (rng() % 4 == 0) s[k].pitch += static_cast<int32_t>(rng() % 5);
            mem[k].resize(static_cast<size_t>(s[k].height * s[k].pitch));
            for (auto& b : mem[k])
                b = static_cast<uint8_t>(rng());
            s[k].pixels = mem[k].data();
        }
        s[1].palette = rng() % 8 == 0 ? nullptr : palette.data();
        const int32_t dx = coord(s[0].width), dy = coord(s[0].height);
        const int32_t sx = coord(s[1].width), sy = coord(s[1].height);
        const int32_t w = extent(s[1].width), h = extent(s[1].height);

        std::vector<uint8_t> expected = mem[0];
        PixelSurface refDst = s[0];
        refDst.pixels = expected.data();
        ref::Blit(refDst, dx, dy, s[1], sx, sy, w, h);
        s[0].Blit(dx, dy, s[1], sx, sy, w, h);
        if (mem[0] != expected) {
            *allMatched = false;
            ADD_FAILURE() << "case " << i << ": " << s[0].bitsPerPixel << " <- "
                          << s[1].bitsPerPixel << " at " << dx << "," << dy << " from " << sx << ","
                          << sy << " size " << w << "x" << h;
            return 0;
        }
        crc = ref::Crc32(crc, mem[0].data(), mem[0].size());
    }
    return crc;
}

TEST(PixelSurfaceBlit, RandomAgainstReferenceWithOneCrc) {
    bool matched = false;
    ASSERT_TRUE(SetPixelPath(PixelPath::Plain));
    const uint32_t plainCrc = RandomBlits(&matched);
    ASSERT_TRUE(matched);
    for (PixelPath p : {PixelPath::Sse2, PixelPath::Avx2}) {
        if (!SetPixelPath(p)) continue;
        EXPECT_EQ(RandomBlits(&matched), plainCrc) << static_cast<int>(p);
        EXPECT_TRUE(matched);
    }
    SetPixelFastPaths(true);
}

}  // namespace
