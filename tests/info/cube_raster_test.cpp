// The cube's rasteriser alone: which pixels a triangle covers, culling, the
// texel each pixel takes, the blend on packed 5-5-5 pixels, and triangles
// nearly edge-on, whose texture steps leave the 32-bit range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <random>
#include <vector>

#include "info/cube.h"

namespace {

constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();

// A top-down picture for single triangles, filled with one value.
struct Canvas {
    Canvas(int32_t w, int32_t h, uint16_t fill)
        : width(w), pixels(static_cast<size_t>(w * h), fill) {}
    uint16_t& At(int32_t x, int32_t y) { return pixels[static_cast<size_t>(y * width + x)]; }
    void Draw(const uint16_t* texture, const TriangleVertex& a, const TriangleVertex& b,
              const TriangleVertex& c) {
        DrawTexturedTriangle(pixels.data(), width, texture, a, b, c);
    }
    int32_t width;
    std::vector<uint16_t> pixels;
};

std::vector<uint16_t> Uniform(uint16_t texel) {
    return std::vector<uint16_t>(32 * 32, texel);
}

TEST(CubeConvert, TruncToInt32LikeTheProcessor) {
    struct Case {
        double in;
        int32_t out;
    };
    const Case cases[] = {
        {0.0, 0},
        {-0.99, 0},
        {2.5, 2},
        {-2.5, -2},
        {2147483647.99, kMax32},
        {-2147483648.99, kMin32},
        {2147483648.0, kMin32},
        {-2147483649.0, kMin32},
        {1e300, kMin32},
        {-1e300, kMin32},
        {std::numeric_limits<double>::infinity(), kMin32},
        {-std::numeric_limits<double>::infinity(), kMin32},
        {std::numeric_limits<double>::quiet_NaN(), kMin32},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TruncToInt32(c.in), c.out) << c.in;
}

TEST(CubeTriangle, CoverageAndCulling) {
    struct Case {
        const char* name;
        TriangleVertex r1, r2, r3;
        int drawn;
    };
    const Case cases[] = {
        {"flat top, right corner first found", {0, 0, 0, 0}, {10, 0, 0, 0}, {15, 10, 0, 0}, 50},
        {"same, started elsewhere", {15, 10, 0, 0}, {0, 0, 0, 0}, {10, 0, 0, 0}, 50},
        // The top corner found is the left one of the horizontal edge.
        {"same, left corner first found", {10, 0, 0, 0}, {15, 10, 0, 0}, {0, 0, 0, 0}, 0},
        {"flat top, clockwise", {0, 0, 0, 0}, {10, 0, 0, 0}, {5, 10, 0, 0}, 0},
        {"counter-clockwise", {0, 0, 0, 0}, {15, 10, 0, 0}, {10, 0, 0, 0}, 0},
        {"counter-clockwise, pointed", {2.1, 1.3, 0, 0}, {3.3, 18.1, 0, 0}, {17.2, 9.4, 0, 0}, 0},
        // 122 pixel centres lie inside, none on an edge.
        {"clockwise, pointed", {2.1, 1.3, 0, 0}, {17.2, 9.4, 0, 0}, {3.3, 18.1, 0, 0}, 122},
        {"clockwise, pointed, rotated",
         {3.3, 18.1, 0, 0},
         {2.1, 1.3, 0, 0},
         {17.2, 9.4, 0, 0},
         122},
        {"all on one row", {0, 5, 0, 0}, {10, 5, 0, 0}, {20, 5, 0, 0}, 0},
        {"collinear", {1, 1, 0, 0}, {5, 5, 0, 0}, {9, 9, 0, 0}, 0},
        {"no pixel centre inside", {3.6, 3.6, 0, 0}, {3.9, 3.7, 0, 0}, {3.7, 3.9, 0, 0}, 0},
        {"not a number", {2, 1, 0, 0}, {17, 9, 0, 0}, {NAN, 18, 0, 0}, 0},
        {"far away", {2, 1, 0, 0}, {17, 9, 0, 0}, {3, 1e12, 0, 0}, 0},
        // Row 0's centre lies just below the middle corner: its edge to the
        // top corner, nearly horizontal, must not be drawn past it.
        {"middle corner just above a row centre",
         {1.125, 0.49999999999999989, 0, 0},
         {19.75, 0.49999999999999994, 0, 0},
         {14, 1.1249999999999991, 0, 0},
         19},
    };
    const std::vector<uint16_t> texture = Uniform(0x7FFF);
    for (const Case& c : cases) {
        Canvas canvas(24, 24, 0);
        canvas.Draw(texture.data(), c.r1, c.r2, c.r3);
        const auto drawn = std::count(canvas.pixels.begin(), canvas.pixels.end(), 0x3DEF);
        EXPECT_EQ(drawn, c.drawn) << c.name;
        EXPECT_EQ(std::count(canvas.pixels.begin(), canvas.pixels.end(), 0) + drawn, 24 * 24);
    }
}

// Pixel px under texel tx; the result is the rounded-down average of each
// 5-bit channel, whatever bit 15 of the inputs holds.
TEST(CubeTriangle, BlendOnPackedPixels) {
    struct Case {
        uint16_t px, tx, out;
    };
    const Case cases[] = {{0x7FFF, 0x0000, 0x3DEF}, {0x0000, 0x7FFF, 0x3DEF},
                          {0x0421, 0x0421, 0x0421}, {0x0421, 0x0000, 0x0000},
                          {0xFFFF, 0xFFFF, 0x7FFF}, {0x7C00, 0x001F, 0x3C0F},
                          {0x8000, 0x8000, 0x0000}};
    // No horizontal edge: a flat top would be culled.
    const TriangleVertex a{0.3, 0.1, 0, 0}, b{3.9, 0.2, 32, 0}, c{0.1, 3.8, 0, 32};
    for (const Case& k : cases) {
        Canvas canvas(4, 4, k.px);
        const std::vector<uint16_t> texture = Uniform(k.tx);
        canvas.Draw(texture.data(), a, b, c);
        EXPECT_EQ(canvas.At(0, 0), k.out) << std::hex << k.px << " " << k.tx;
    }

    std::mt19937 rng(7);
    auto average = [](uint32_t p, uint32_t t) {
        uint32_t out = 0;
        for (int shift : {0, 5, 10})
            out |= ((((p >> shift) & 31u) + ((t >> shift) & 31u)) / 2u) << shift;
        return out;
    };
    const TriangleVertex big[] = {{0.3, 0.1, 0, 0}, {11.9, 0.2, 0, 0}, {0.1, 11.8, 0, 0}};
    Canvas mask(12, 12, 0);
    const std::vector<uint16_t> white = Uniform(0x7FFF);
    mask.Draw(white.data(), big[0], big[1], big[2]);
    ASSERT_GT(std::count(mask.pixels.begin(), mask.pixels.end(), 0x3DEF), 60);
    for (int i = 0; i < 200; ++i) {
        Canvas canvas(12, 12, 0);
        for (auto& px : canvas.pixels)
            px = static_cast<uint16_t>(rng());
        const std::vector<uint16_t> before = canvas.pixels;
        const auto tx = static_cast<uint16_t>(rng());
        const std::vector<uint16_t> texture = Uniform(tx);
        canvas.Draw(texture.data(), big[0], big[1], big[2]);
        for (size_t k = 0; k < before.size(); ++k) {
            const uint32_t want = mask.pixels[k] != 0 ? average(before[k], tx) : before[k];
            ASSERT_EQ(canvas.pixels[k], want) << std::hex << before[k] << " " << tx;
        }
    }
}

// Texel (u, v) lands where the pixel centre's coordinates say, held inside
// the texture: a pixel over black keeps half the texel, and the texels here
// have even, non-zero channels, so the texel can be read back. The quad
// covers exactly the 32 x 32 pixels at (4, 4); its edges are slightly slanted,
// with slopes binary doubles hold exactly, so that centres can lie exactly on
// texel edges: there a coordinate that falls along the row (or, constant
// along the row, down the left edge) takes the texel before the edge.
TEST(CubeTriangle, TexelLookup) {
    std::vector<uint16_t> texture(32 * 32);
    for (int32_t i = 0; i < 32 * 32; ++i) {
        const int32_t r = i & 15, g = (i >> 4) & 15, b = (i >> 8) + 1;
        texture[static_cast<size_t>(i)] = static_cast<uint16_t>(r << 11 | g << 6 | b << 1);
    }
    struct Case {
        const char* name;
        double u0, ux, uy, v0, vx, vy;  // u = u0 + ux x + uy y, v likewise; (0, 0) at (4, 4)
    };
    const Case cases[] = {
        {"identity", 0, 1, 0, 0, 0, 1},
        {"mirrored", 32, -1, 0, 32, 0, -1},
        {"mirrored, centres on texel edges", 32.5, -1, 0, 32.5, 0, -1},
        {"transposed, centres on texel edges", 32.5, 0, -1, 0.5, 1, 0},
        {"u doubled, past the right edge", 0.25, 2, 0, 0, 0, 1},
        {"shifted before the left and top edges", -8, 1, 0, -5.25, 0, 1},
    };
    // Rounded down; rounded up less one where the biased rule says so.
    auto texel = [](double c, bool falls) {
        return std::clamp(static_cast<int32_t>(falls ? std::ceil(c) - 1 : std::floor(c)), 0, 31);
    };
    for (const Case& c : cases) {
        auto vertex = [&c](double x, double y) {
            return TriangleVertex{x, y, c.u0 + c.ux * (x - 4) + c.uy * (y - 4),
                                  c.v0 + c.vx * (x - 4) + c.vy * (y - 4)};
        };
        Canvas canvas(40, 40, 0);
        const TriangleVertex tl = vertex(3.75, 3.75), tr = vertex(36.125, 3.875),
                             bl = vertex(4.25, 35.75), br = vertex(36.375, 35.875);
        canvas.Draw(texture.data(), tl, tr, bl);
        canvas.Draw(texture.data(), bl, tr, br);
        for (int32_t y = 0; y < 40; ++y) {
            for (int32_t x = 0; x < 40; ++x) {
                int want = 0;
                if (x >= 4 && x < 36 && y >= 4 && y < 36) {
                    const double cx = x - 3.5, cy = y - 3.5;
                    const int32_t column =
                        texel(c.u0 + c.ux * cx + c.uy * cy, c.ux < 0 || (c.ux == 0 && c.uy < 0));
                    const int32_t row =
                        texel(c.v0 + c.vx * cx + c.vy * cy, c.vx < 0 || (c.vx == 0 && c.vy < 0));
                    want = texture[static_cast<size_t>(row * 32 + column)];
                }
                ASSERT_EQ(canvas.At(x, y) << 1, want) << c.name << " at " << x << "," << y;
            }
        }
    }
}

// Two triangles of a quad, split as the cube splits its faces, along an edge
// that passes through pixel centres: every centre inside the quad or on the
// shared edge is drawn exactly once (a second blend of white over black would
// not give 0x3DEF), and nothing else. The shared edges have slopes that
// binary doubles hold exactly, so both triangles compute the same edge.
TEST(CubeTriangle, SharedEdgeCoveredOnce) {
    struct Quad {
        const char* name;
        double tl[2], tr[2], bl[2], br[2];  // the shared edge runs from tr to bl
    };
    const Quad quads[] = {
        {"diagonal", {2.3, 1.2}, {14.75, 2.25}, {3.25, 13.75}, {15.8, 14.1}},
        {"vertical", {1.3, 4.2}, {8.5, 0.25}, {8.5, 12.75}, {15.7, 7.1}},
        {"steep", {0.7, 3.35}, {10.5625, 0.25}, {6.4375, 16.75}, {13.9, 16.2}},
    };
    const std::vector<uint16_t> texture = Uniform(0x7FFF);
    for (const Quad& q : quads) {
        Canvas canvas(20, 20, 0);
        auto v = [](const double* p) { return TriangleVertex{p[0], p[1], 0, 0}; };
        canvas.Draw(texture.data(), v(q.tl), v(q.tr), v(q.bl));
        canvas.Draw(texture.data(), v(q.bl), v(q.tr), v(q.br));
        // Clockwise outline tl, tr, br, bl: a centre is inside when it lies
        // right of every edge (y downward); no centre lies on the outline.
        const double* outline[] = {q.tl, q.tr, q.br, q.bl};
        int inside = 0;
        for (int32_t y = 0; y < 20; ++y) {
            for (int32_t x = 0; x < 20; ++x) {
                bool in = true;
                for (int k = 0; k < 4; ++k) {
                    const double* a = outline[k];
                    const double* b = outline[(k + 1) % 4];
                    in = in &&
                         (b[0] - a[0]) * (y + 0.5 - a[1]) - (b[1] - a[1]) * (x + 0.5 - a[0]) > 0;
                }
                inside += in;
                EXPECT_EQ(canvas.At(x, y), in ? 0x3DEF : 0) << q.name << " at " << x << "," << y;
            }
        }
        EXPECT_GT(inside, 60) << q.name;
    }
}

// Nearly edge-on triangles: gradients far beyond 8.24, coordinates that wrap.
// Nothing may be written outside the triangle's bounding box (the sanitizers
// watch the arithmetic).
TEST(CubeTriangle, EdgeOnSlivers) {
    const std::vector<uint16_t> texture = Uniform(0x7FFF);
    struct Case {
        TriangleVertex a, b, c;
    };
    const Case cases[] = {
        {{2.5, 2.5, 0, 0}, {30.5, 20.5, 32, 0}, {16.5, 11.5 + 1e-9, 0, 32}},
        {{2.5, 2.5, 0, 0}, {16.5, 11.5 + 1e-9, 0, 32}, {30.5, 20.5, 32, 0}},
        {{2.2, 2.7, 32, 32}, {30.1, 2.7 + 1e-12, 0, 0}, {16.3, 3.9, 32, 0}},
        {{4.1, 1.2, 0, 32}, {4.1 + 1e-10, 29.7, 32, 0}, {4.6, 15.3, 32, 32}},
        {{1.5, 1.5, 0, 0}, {30.5, 2.5, 32, 0}, {15.5, 2.0 + 1e-15, 32, 32}},
    };
    for (const Case& c : cases) {
        Canvas canvas(34, 34, 0);
        canvas.Draw(texture.data(), c.a, c.b, c.c);
        const double xs[] = {c.a.x, c.b.x, c.c.x}, ys[] = {c.a.y, c.b.y, c.c.y};
        const auto [x0, x1] = std::minmax_element(std::begin(xs), std::end(xs));
        const auto [y0, y1] = std::minmax_element(std::begin(ys), std::end(ys));
        for (int32_t y = 0; y < 34; ++y) {
            for (int32_t x = 0; x < 34; ++x) {
                if (canvas.At(x, y) == 0) continue;
                EXPECT_EQ(canvas.At(x, y), 0x3DEF);
                EXPECT_TRUE(x + 0.5 > *x0 && x + 0.5 <= *x1 && y + 0.5 > *y0 && y + 0.5 <= *y1)
                    << x << "," << y;
            }
        }
    }
}

}  // namespace
