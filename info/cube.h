// The Info dialog's cube without any window: eight corners that rotate a
// little more every frame, a centre that bounces between margins, and a
// rasteriser that draws textured triangles half and half over a 16-bit 5-5-5
// picture, so the cube looks translucent. CubeAnimation::DrawFrame restores the
// part of the picture the previous cube covered from a clean background and
// draws the new cube; painting, pacing and timers belong to the dialog.
//
// Nothing here allocates or reports errors. DrawTexturedTriangle writes
// wherever its vertices lie: it does not clip, so its caller keeps the
// triangle inside the picture (the cube's margins do).
#pragma once

#include <cstdint>

#include "info/pixel_surface.h"

struct TriangleVertex {
    double x, y, u, v;
};

// rowBase: pixel (0, 0) of the top image row; rowStep: signed distance in pixels
// from one image row to the next one down. texture: 32 x 32 texels, texel (u, v)
// at index v * 32 + u. Draws the pixels whose centres lie inside the triangle
// when r1, r2, r3 run clockwise on the screen (y downward), nothing otherwise;
// a pixel centre on an edge shared by two triangles belongs to one of them.
// A triangle with a horizontal top edge is drawn only when the top corner found
// first is the right one of that edge, and a vertex whose x or y is not a
// finite number of magnitude below 2^30 draws nothing.
void DrawTexturedTriangle(uint16_t* rowBase, int32_t rowStep, const uint16_t* texture,
                          const TriangleVertex& r1, const TriangleVertex& r2,
                          const TriangleVertex& r3);

// An inclusive pixel box or, where said, one exclusive of right and bottom.
struct CubeRect {
    int32_t left, top, right, bottom;
};

extern double g_cubePhase;  // starts at 0, never reset

// The process-wide pseudo-random generator: never seeded, the same sequence at
// every program start, values 0 to 32767.
int CubeRandom();

// A double converted towards zero to 32 bits; a value whose integer part does
// not fit, and NaN, give INT32_MIN, as the x86 conversion does.
int32_t TruncToInt32(double value);

class CubeAnimation {
public:
    // Cube size and margins for a w x h picture, a random centre between the
    // margins, a random diagonal direction, no box drawn yet. A picture too
    // small to leave room between the margins keeps that coordinate at the
    // margin.
    void Start(int32_t w, int32_t h);
    // One frame: advances g_cubePhase, moves the centre, rotates the corners,
    // restores the union of the old and the new box from `background`, then
    // draws the faces turned to the viewer. Returns that union exclusive of its
    // right and bottom edges: the rectangle to repaint. The faces are drawn
    // only over a 16-bit `screen` that holds the whole new box (the restore
    // happens regardless, clipped as Blit clips).
    CubeRect DrawFrame(PixelSurface& screen, const PixelSurface& background,
                       const uint16_t* texture);

    int32_t m_minX = 0, m_minY = 0, m_maxX = 0, m_maxY = 0;
    CubeRect m_lastBox{};
    int32_t m_posX = 0, m_posY = 0, m_velX = 0, m_velY = 0;
    double m_vertices[8][3] = {};
};
