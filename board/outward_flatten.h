// Flattening for clearances: the polygons cut out of copper must hold the
// whole grown shape, so where a curve becomes lines, the lines run outside
// it. A plain flattening puts the points on the curve and every chord
// inside it, which takes up to the flatness off the isolation; here each
// chord of a curve is moved out by the bound of its distance from the curve
// and its ends are where neighbouring moved lines meet. Straight edges stay
// where they are, and each figure keeps its points and point types, so only
// the coordinates of points on curves change. Outlines of copper itself are
// flattened plainly.
#pragma once

#include "board/clip_polygon.h"

class GraphicsPath;
class Matrix;

// Replaces every curve of the path (after the matrix, when given) by lines
// no farther than flatness from it and outside each figure's filled side.
void FlattenOutward(GraphicsPath* path, float flatness, const Matrix* matrix = nullptr);
// The outward-flattened figures as the contours of one polygon.
CClipPolygon PathToClearancePolygon(const GraphicsPath& path, float flatness,
                                    const Matrix* matrix = nullptr);
// The union of the outward-flattened figures of the path (the path is only
// read, so other threads may do this while nobody changes it).
CClipPolygon UnitePathFiguresOutward(const GraphicsPath& path, float flatness);
// Replaces the path by the outline of that union.
void MergePathFiguresOutward(GraphicsPath* path, float flatness);
