// The benchmark baseline of the board-side surface: the same scene drawn
// with QPainter directly, so that the benchmark itself needs no Qt header.
#pragma once

#include "platform/types.h"

#include <vector>

struct BaselineScene {
    std::vector<PointF> lines; // segment ends in pairs
    struct Pad {
        float x, y;
        int shape; // 0 rounded rectangle, 1 obround, 2 circle
    };
    std::vector<Pad> pads;
    std::vector<std::vector<PointF>> polygons; // outer contour, then its hole
};

// Draws the scene into a new 1920 x 1080 image under the board view
// transform of the zoom; returns the seconds taken.
double DrawSceneWithQPainter(const BaselineScene& scene, float zoom);
