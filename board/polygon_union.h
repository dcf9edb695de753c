// Unions of many clipper polygons and the merge of a path's figures into
// their outline, both on the board's own polygon clipper.
#pragma once

#include "board/clip_polygon.h"

#include <vector>

class GraphicsPath;
class Matrix;

// The flattened figures of a path (after the matrix, when given) as the
// contours of one polygon.
CClipPolygon PathToClipPolygon(const GraphicsPath& path, float flatness,
                               const Matrix* matrix = nullptr);
// The union of the parts, each read even-odd on its own. Parts are united
// pairwise in order of position; parts whose bounds do not meet are only
// gathered, and of two that meet only the contours reaching into the other's
// bounds are clipped, so n small parts cost about n log n.
CClipPolygon UniteClipPolygons(std::vector<CClipPolygon> parts);
// Replaces the path by the outline of the union of its figures (flattened
// with the flatness): overlapping figures merge into one contour.
void MergePathFigures(GraphicsPath* path, float flatness);
// The union MergePathFigures puts into the path. The path is only read, so
// other threads may do this while nobody changes the path.
CClipPolygon UnitePathFigures(const GraphicsPath& path, float flatness);
// Replaces the path's content by the polygon's contours, each a closed
// figure (holes run the other way, so either fill mode shows the same).
void ClipPolygonToPath(const CClipPolygon& polygon, GraphicsPath* path);
