// Throws triangles at DrawTexturedTriangle and holds it to its contract. The
// picture (up to 80 x 64, top-down or bottom-up, rows padded or not) lies
// between guard pixels, and the texture between texels of another colour. The
// corners mostly lie on multiples of 1/8 inside the picture, moved by up to
// three representable steps, where the choice of rows and columns is decided;
// sometimes anywhere or unusable (NaN, infinite, 2^30 or beyond). Then:
// - no guard pixel changes, and no texel outside the 32 x 32 is taken;
// - nothing is drawn for an unusable corner;
// - a drawn pixel is blended once, and its centre lies inside the triangle if
//   that runs clockwise, or else within the rounding of the edge walk of an
//   edge (so a counter-clockwise triangle draws at most at its corners);
// - for a clockwise triangle with one top corner, every centre inside by more
//   than that rounding is drawn.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "info/cube.h"

namespace {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    double Double() {
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits = bits << 8 | Byte();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

constexpr uint16_t kBlank = 0x0000;
constexpr uint16_t kGuard = 0x5A5A;
constexpr uint16_t kTexel = 0x7FFF;
constexpr uint16_t kFrameTexel = 0x7C00;
constexpr uint16_t kDrawn = 0x3DEF;  // kTexel blended once over kBlank
constexpr size_t kFrame = 32 * 32;   // texels before and after the texture
// Edge positions accumulate over at most 64 rows of coordinates below 100.
constexpr long double kTolerance = 1e-9L;

// Half of the grid coordinates on the 0.5 of a pixel centre.
constexpr double kFractions[8] = {0.5, 0.5, 0.5, 0.5, 0, 0.25, 0.75, 0.375};
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kUnusable[8] = {std::numeric_limits<double>::quiet_NaN(),
                                 kInf,
                                 -kInf,
                                 1073741824.0,
                                 -1073741824.0,
                                 1e300,
                                 -std::numeric_limits<double>::max(),
                                 std::numeric_limits<double>::signaling_NaN()};

double Coordinate(Reader& in, int32_t size, bool& usable) {
    const uint8_t kind = in.Byte();
    if (kind < 224) {
        // Half of them in the first two pixels, where a sum with 0.5 can round.
        const uint8_t b = in.Byte();
        const int32_t whole = (b & 1) != 0 ? (b >> 1) % (size + 1) : (b >> 1) % 2;
        double c = std::min<double>(whole + kFractions[kind % 8], size);
        for (int k = kind / 8 % 7 - 3; k != 0; k += k < 0 ? 1 : -1)
            c = std::nextafter(c, k < 0 ? -kInf : kInf);
        return c;
    }
    if (kind < 248) {
        const double c = in.Byte() % 2 ? in.Double() : std::ldexp(in.Byte(), -in.Byte());
        if (std::fabs(c) < 1073741824.0) return std::fmod(std::fabs(c), size);
        usable = false;
        return c;
    }
    usable = false;
    return kUnusable[kind % 8];
}

struct Point {
    long double x, y;
};

// Twice the signed area; positive when a, b, c run clockwise with y downward.
long double Cross(const Point& a, const Point& b, const Point& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

bool Near(const Point& p, const Point& a, const Point& b) {
    const long double dx = b.x - a.x, dy = b.y - a.y, len = dx * dx + dy * dy;
    long double t = len > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len : 0;
    t = std::clamp<long double>(t, 0, 1);
    const long double ex = p.x - (a.x + t * dx), ey = p.y - (a.y + t * dy);
    return ex * ex + ey * ey <= kTolerance * kTolerance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in(data, size);
    const int32_t w = 1 + in.Byte() % 80, h = 1 + in.Byte() % 64;
    const uint8_t layout = in.Byte();
    const int32_t pitch = w + layout % 3;
    const bool bottomUp = (layout & 4) != 0;

    bool usable = true;
    TriangleVertex v[3];
    for (TriangleVertex& r : v) {
        r.x = Coordinate(in, w, usable);
        r.y = Coordinate(in, h, usable);
        const uint8_t texture = in.Byte();
        r.u = texture & 1 ? in.Double() : (in.Byte() - 64) * 0.5;
        r.v = texture & 2 ? in.Double() : (in.Byte() - 64) * 0.5;
    }

    // Guards of more than the picture's size on either side.
    const size_t guard = static_cast<size_t>(pitch) * static_cast<size_t>(h + 2);
    const size_t area = static_cast<size_t>(pitch) * static_cast<size_t>(h);
    std::vector<uint16_t> memory(guard + area + guard, kGuard);
    auto pixel = [&](int32_t x, int32_t y) -> uint16_t& {
        const int32_t row = bottomUp ? h - 1 - y : y;
        return memory[guard + static_cast<size_t>(row) * pitch + static_cast<size_t>(x)];
    };
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x)
            pixel(x, y) = kBlank;
    }
    static const std::vector<uint16_t> texture = [] {
        std::vector<uint16_t> t(kFrame + 32 * 32 + kFrame, kFrameTexel);
        std::fill_n(t.begin() + kFrame, 32 * 32, kTexel);
        return t;
    }();

    uint16_t* rowBase = &pixel(0, 0);
    DrawTexturedTriangle(rowBase, bottomUp ? -pitch : pitch, texture.data() + kFrame, v[0], v[1],
                         v[2]);

    for (size_t i = 0; i < memory.size(); ++i) {
        const bool inPicture = i >= guard && i < guard + area && (i - guard) % pitch < size_t(w);
        if (!inPicture && memory[i] != kGuard) std::abort();
    }
    const Point p[3] = {{v[0].x, v[0].y}, {v[1].x, v[1].y}, {v[2].x, v[2].y}};
    const long double cross = usable ? Cross(p[0], p[1], p[2]) : 0;
    const auto [left, right] = std::minmax({v[0].x, v[1].x, v[2].x});
    const auto [top, bottom] = std::minmax({v[0].y, v[1].y, v[2].y});
    const bool oneTop = (v[0].y == top) + (v[1].y == top) + (v[2].y == top) == 1;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const uint16_t px = pixel(x, y);
            if (px != kBlank && px != kDrawn) std::abort();  // a frame texel, or blended twice
            const bool drawn = px == kDrawn;
            if (drawn && !usable) std::abort();
            if (!usable || (!drawn && (cross < kTolerance || !oneTop))) continue;
            const Point c{x + 0.5L, y + 0.5L};
            if (c.x < left - 1 || c.x > right + 1 || c.y < top - 1 || c.y > bottom + 1) {
                if (drawn) std::abort();
                continue;
            }
            bool inside = true, near = false;
            for (int k = 0; k < 3; ++k) {
                const Point& a = p[k];
                const Point& b = p[(k + 1) % 3];
                inside = inside && Cross(a, b, c) > 0;
                near = near || Near(c, a, b);
            }
            if (drawn && !inside && !near) std::abort();
            if (!drawn && inside && !near) std::abort();
        }
    }
    return 0;
}
