#include "info/cube.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

double g_cubePhase = 0.0;

namespace {

constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();

// e = smaller picture side x this (the double nearest to 5/54).
constexpr double kSizeFactor = 0.09259259259259259;
// Margin: a corner is at most sqrt(3) e from the centre.
constexpr double kMarginFactor = 1.8;
constexpr double kPhaseStep = 0.005;
constexpr double kAngleAmplitude = 0.0125;
// 2/3 and 4/3 of 3.1415926535, not of pi: the rotation pattern depends on it.
constexpr double kSecondPhase = 2.0943951023333334;
constexpr double kThirdPhase = 4.188790204666667;
constexpr double kFixedOne = 16777216.0;  // texture coordinates in 8.24
constexpr int32_t kTextureSize = 32;

// Corners k0..k3 of each face; their texture corners are (0, 0), (32, 0),
// (0, 32), (32, 32). Drawn as (k0, k1, k2) and (k2, k1, k3), which run
// clockwise on the screen exactly when the face looks towards the viewer.
constexpr int kFaces[6][4] = {{0, 1, 4, 5}, {2, 6, 3, 7}, {0, 4, 2, 6},
                              {1, 3, 5, 7}, {0, 2, 1, 3}, {4, 5, 6, 7}};
constexpr double kFaceU[4] = {0, 32, 0, 32};
constexpr double kFaceV[4] = {0, 0, 32, 32};

// Coordinates beyond this draw nothing, so that every edge position the
// rasteriser computes converts to a pixel column without leaving 32 bits.
constexpr double kCoordinateLimit = 1073741824.0;

uint32_t g_randomState = 1;

int32_t FloorToInt32(double value) {
    return TruncToInt32(std::floor(value));
}

// The first row (or column) whose centre lies beyond c: the least n with
// n + 0.5 > c. floor(c + 0.5) would round 0.49999999999999994 + 0.5 up to 1;
// n + 0.5 is exact, so the comparison is too.
int32_t FirstCentreAfter(double c) {
    const double n = std::floor(c);
    return TruncToInt32(n + 0.5 > c ? n : n + 1);
}

int32_t Saturate32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, kInt32Min, kInt32Max));
}

bool UsableCoordinate(double c) {
    return c > -kCoordinateLimit && c < kCoordinateLimit;  // false for NaN too
}

// The rounded-down average of each 5-bit channel, on the packed pixels.
inline uint16_t Blend(uint16_t px, uint16_t tx) {
    return static_cast<uint16_t>(((px >> 1) & 0x3DEF) + ((tx >> 1) & 0x3DEF) + (px & tx & 0x0421));
}

// The integer part of an 8.24 texture coordinate, held inside the texture.
inline int32_t Texel(uint32_t fixed) {
    return std::clamp(static_cast<int32_t>(fixed) >> 24, 0, kTextureSize - 1);
}

// The platform's union of rectangles: an empty one (right <= left or
// bottom <= top) takes no part; two empty ones give all zero.
CubeRect Union(const CubeRect& a, const CubeRect& b) {
    const bool aEmpty = a.right <= a.left || a.bottom <= a.top;
    const bool bEmpty = b.right <= b.left || b.bottom <= b.top;
    if (aEmpty && bEmpty) return CubeRect{};
    if (aEmpty) return b;
    if (bEmpty) return a;
    return CubeRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                    std::max(a.bottom, b.bottom)};
}

// One coordinate of the first centre: the margin plus a random offset below
// the room between the margins. The generator is called even without room, so
// that the later draws do not depend on the picture's size.
int32_t StartPosition(int32_t margin, int32_t maximum) {
    const int64_t room = int64_t{maximum} - margin;
    const int64_t r = CubeRandom();
    return room > 0 ? static_cast<int32_t>(margin + r % room) : margin;
}

// One step of the centre: past a bound it is clamped and turns, so a centre
// that reaches a bound exactly rests there for two frames.
void Move(int32_t& pos, int32_t& vel, int32_t minimum, int32_t maximum) {
    int64_t p = int64_t{pos} + vel;
    if (p < minimum) {
        p = minimum;
        vel = 1;
    }
    if (p > maximum) {
        p = maximum;
        vel = -1;
    }
    pos = static_cast<int32_t>(p);
}

// Whether the faces may be drawn: a 16-bit picture whose rows can be
// addressed as 16-bit units and that holds the whole box.
bool Drawable(const PixelSurface& s, const CubeRect& box) {
    if (s.pixels == nullptr || s.bitsPerPixel != 16 || s.width < 1 || s.height < 1) return false;
    if (s.pitch % 2 != 0 || s.pitch / 2 < s.width) return false;
    if (reinterpret_cast<uintptr_t>(s.pixels) % alignof(uint16_t) != 0) return false;
    return box.left >= 0 && box.top >= 0 && box.right < s.width && box.bottom < s.height;
}

}  // namespace

int32_t TruncToInt32(double value) {
    // Inside (-2^31 - 1, 2^31) the integer part fits; the comparisons are
    // false for NaN.
    if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int32_t>(value);
    return kInt32Min;
}

// The C standard's example generator, started from 1.
int CubeRandom() {
    g_randomState = g_randomState * 1103515245u + 12345u;
    return static_cast<int>((g_randomState / 65536u) % 32768u);
}

void DrawTexturedTriangle(uint16_t* rowBase, int32_t rowStep, const uint16_t* texture,
                          const TriangleVertex& r1, const TriangleVertex& r2,
                          const TriangleVertex& r3) {
    for (const TriangleVertex* r : {&r1, &r2, &r3}) {
        if (!UsableCoordinate(r->x) || !UsableCoordinate(r->y)) return;
    }
    // Top corner T; N follows it in the order r1, r2, r3, r1 and P precedes it.
    const TriangleVertex* t = &r3;
    const TriangleVertex* n = &r1;
    const TriangleVertex* p = &r2;
    if (r1.y < r2.y && r1.y < r3.y) {
        t = &r1;
        n = &r2;
        p = &r3;
    } else if (r2.y <= r1.y && r2.y < r3.y) {
        t = &r2;
        n = &r3;
        p = &r1;
    }
    const TriangleVertex& T = *t;
    const TriangleVertex& N = *n;
    const TriangleVertex& P = *p;
    if (T.y == P.y && T.y == N.y) return;

    // Slopes of the two edges from T; the left one must be the smaller.
    const double sP = P.y == T.y ? 0.0 : (P.x - T.x) / (P.y - T.y);
    const double sN = N.y == T.y ? 0.0 : (N.x - T.x) / (N.y - T.y);
    if (!(sP < sN)) return;

    // Texture gradients over the screen.
    const double dx1 = N.x - P.x, dy1 = N.y - P.y, du1 = N.u - P.u, dv1 = N.v - P.v;
    const double dx2 = T.x - P.x, dy2 = T.y - P.y, du2 = T.u - P.u, dv2 = T.v - P.v;
    const double det = dx1 * dy2 - dx2 * dy1;
    if (det == 0.0) return;
    const double dudx = (du1 * dy2 - du2 * dy1) / det;
    const double dvdx = (dv1 * dy2 - dv2 * dy1) / det;
    const double dudy = (du2 * dx1 - du1 * dx2) / det;
    const double dvdy = (dv2 * dx1 - dv1 * dx2) / det;
    // Edge-on faces give gradients far outside 8.24: those become INT32_MIN,
    // and all 8.24 sums wrap in 32 bits.
    const uint32_t stepU = static_cast<uint32_t>(TruncToInt32(dudx * kFixedOne));
    const uint32_t stepV = static_cast<uint32_t>(TruncToInt32(dvdx * kFixedOne));

    // Texture change per row along T-P and along P-N.
    double duP = 0.0, dvP = 0.0;
    if (P.y != T.y) {
        duP = dudy + dudx * sP;
        dvP = dvdy + dvdx * sP;
    }
    double sPN = 0.0, duPN = 0.0, dvPN = 0.0;
    if (N.y != P.y) {
        sPN = (N.x - P.x) / (N.y - P.y);
        duPN = dudy + dudx * sPN;
        dvPN = dvdy + dvdx * sPN;
    }
    // Rounding biases of -1 / 2^24 texel where the coordinate falls.
    const uint32_t biasU = dudx < 0.0 || (dudx == 0.0 && duP < 0.0) ? 0xFFFFFFFFu : 0u;
    const uint32_t biasV = dvdx < 0.0 || (dvdx == 0.0 && dvP < 0.0) ? 0xFFFFFFFFu : 0u;

    // The first row's centre lies below T; the edges start there.
    const int32_t y0 = FirstCentreAfter(T.y);
    const double t0 = y0 + 0.5 - T.y;
    const double xl0 = T.x + sP * t0, ul0 = T.u + duP * t0, vl0 = T.v + dvP * t0;
    const double xr0 = T.x + sN * t0;
    double xl = xl0, ul = ul0, vl = vl0, xr = xr0;
    double stepXl = sP, stepUl = duP, stepVl = dvP, stepXr = sN;

    // At the middle corner's row one edge starts again from that corner.
    const bool rightMiddle = P.y > N.y;
    const int32_t ymid = FirstCentreAfter(rightMiddle ? N.y : P.y);
    const int32_t yend = FirstCentreAfter(rightMiddle ? P.y : N.y);

    for (int32_t y = y0; y < yend; ++y) {
        if (y == ymid) {
            const double rows = static_cast<double>(ymid) - y0;
            if (rightMiddle) {
                xl = xl0 + sP * rows;
                ul = ul0 + duP * rows;
                vl = vl0 + dvP * rows;
                xr = N.x + sPN * (ymid + 0.5 - N.y);
                stepXr = sPN;
            } else {
                const double s = ymid + 0.5 - P.y;
                xl = P.x + sPN * s;
                ul = P.u + duPN * s;
                vl = P.v + dvPN * s;
                stepXl = sPN;
                stepUl = duPN;
                stepVl = dvPN;
                xr = xr0 + sN * rows;
            }
        }
        // Pixels whose centre lies in (xl, xr].
        const int32_t xs = FirstCentreAfter(xl);
        const int32_t xe = FirstCentreAfter(xr);
        const double d = xs + 0.5 - xl;
        uint32_t u = static_cast<uint32_t>(TruncToInt32((ul + dudx * d) * kFixedOne)) + biasU;
        uint32_t v = static_cast<uint32_t>(TruncToInt32((vl + dvdx * d) * kFixedOne)) + biasV;
        uint16_t* row = rowBase + static_cast<ptrdiff_t>(y) * rowStep;
        for (int32_t x = xs; x < xe; ++x) {
            row[x] = Blend(row[x], texture[Texel(v) * kTextureSize + Texel(u)]);
            u += stepU;
            v += stepV;
        }
        xl += stepXl;
        xr += stepXr;
        ul += stepUl;
        vl += stepVl;
    }
}

void CubeAnimation::Start(int32_t w, int32_t h) {
    const double e = std::min(w, h) * kSizeFactor;
    for (int i = 0; i < 8; ++i) {
        m_vertices[i][0] = (i & 1) != 0 ? -e : e;
        m_vertices[i][1] = (i & 2) != 0 ? -e : e;
        m_vertices[i][2] = (i & 4) != 0 ? -e : e;
    }
    // |e| < 2^31 / 10, so the margin fits.
    const int32_t m = TruncToInt32(std::ceil(e * kMarginFactor));
    m_minX = m_minY = m;
    m_maxX = Saturate32(int64_t{w} - m);
    m_maxY = Saturate32(int64_t{h} - m);
    m_posX = StartPosition(m, m_maxX);
    m_posY = StartPosition(m, m_maxY);
    m_velX = (CubeRandom() & 2) - 1;
    m_velY = (CubeRandom() & 2) - 1;
    m_lastBox = CubeRect{};
}

CubeRect CubeAnimation::DrawFrame(PixelSurface& screen, const PixelSurface& background,
                                  const uint16_t* texture) {
    const double phase = g_cubePhase;
    const double ax = kAngleAmplitude * std::sin(phase);
    const double ay = kAngleAmplitude * std::sin(phase + kSecondPhase);
    const double az = kAngleAmplitude * std::sin(phase + kThirdPhase);
    g_cubePhase = phase + kPhaseStep;

    Move(m_posX, m_velX, m_minX, m_maxX);
    Move(m_posY, m_velY, m_minY, m_maxY);

    // In place, about z, then y, then x; the rotations accumulate.
    const double cx = std::cos(ax), sx = std::sin(ax);
    const double cy = std::cos(ay), sy = std::sin(ay);
    const double cz = std::cos(az), sz = std::sin(az);
    for (double* c : m_vertices) {
        const double x1 = c[0] * cz - c[1] * sz;
        const double y1 = c[0] * sz + c[1] * cz;
        const double x2 = x1 * cy - c[2] * sy;
        const double z1 = x1 * sy + c[2] * cy;
        const double y2 = y1 * cx - z1 * sx;
        const double z2 = y1 * sx + z1 * cx;
        c[0] = x2;
        c[1] = y2;
        c[2] = z2;
    }

    int32_t left = kInt32Max, top = kInt32Max, right = kInt32Min, bottom = kInt32Min;
    for (const double* c : m_vertices) {
        const int32_t fx = FloorToInt32(c[0]), fy = FloorToInt32(c[1]);
        left = std::min(left, fx);
        right = std::max(right, fx);
        top = std::min(top, fy);
        bottom = std::max(bottom, fy);
    }
    const CubeRect box{Saturate32(int64_t{left} + m_posX), Saturate32(int64_t{top} + m_posY),
                       Saturate32(int64_t{right} + m_posX), Saturate32(int64_t{bottom} + m_posY)};

    CubeRect dirty = Union(box, m_lastBox);
    m_lastBox = box;
    dirty.right = Saturate32(int64_t{dirty.right} + 1);
    dirty.bottom = Saturate32(int64_t{dirty.bottom} + 1);

    // Both cubes away; the copy reaches one column and one row beyond.
    screen.Blit(dirty.left, dirty.top, background, dirty.left, dirty.top,
                Saturate32(int64_t{dirty.right} - dirty.left + 1),
                Saturate32(int64_t{dirty.bottom} - dirty.top + 1));

    if (texture == nullptr || !Drawable(screen, box)) return dirty;
    uint16_t* rowBase = reinterpret_cast<uint16_t*>(
        screen.pixels + static_cast<ptrdiff_t>(screen.height - 1) * screen.pitch);
    const int32_t rowStep = -(screen.pitch / 2);
    for (const auto& face : kFaces) {
        TriangleVertex v[4];
        for (int i = 0; i < 4; ++i) {
            const double* c = m_vertices[face[i]];
            v[i] = TriangleVertex{m_posX + c[0], m_posY + c[1], kFaceU[i], kFaceV[i]};
        }
        DrawTexturedTriangle(rowBase, rowStep, texture, v[0], v[1], v[2]);
        DrawTexturedTriangle(rowBase, rowStep, texture, v[2], v[1], v[3]);
    }
    return dirty;
}
