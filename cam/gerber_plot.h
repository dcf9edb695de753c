// The lowest layer of the Gerber writer: coordinates, aperture selection,
// moves, draws, flashes, arcs, regions and polarity, and the figures built
// from them (outline node lists, conductors, flattened paths).
#pragma once

#include "platform/types.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CAreaNode;
class CConductor;
class CTextFile;

// Output format of one export run.
struct GerberFormat {
    int unit = 1;   // 0 inch, 1 millimetre
    int resFlt = 3; // decimals of a coordinate
    double epsilon = 0.001;
    double factor = 1.0; // output units per millimetre

    static GerberFormat From(int unit, int resFlt, double epsilonMm);
};

// A flattened path: figures of points; a figure starts at a point of type 0.
struct FlatPath {
    std::vector<PointF> points;
    std::vector<uint8_t> types;
};

// Fixed notation with at most 6 decimals, trailing zeros trimmed, tiny
// values written as 0: Gerber has no exponent notation.
std::wstring GerberPlainNumber(double value);
// A length in the output unit with 4 (inch) or 3 (mm) decimals.
std::wstring GerberSizeText(double mm, const GerberFormat& format);

class CGerberPlotter {
public:
    CGerberPlotter(CTextFile* file, const GerberFormat& format);

    void Reset();
    void Line(const std::wstring& text);

    std::wstring Number(double mm) const;
    std::wstring CoordText(double x, double y, bool force = false);
    void SelectAperture(int n);
    void PlotMove(double x, double y);
    void PlotDraw(double x, double y);
    void PlotFlash(double x, double y);
    void SetPolarity(bool clear);
    // Arc from the current point to (x, y) around (cx, cy).
    void PlotArc(double x, double y, double cx, double cy, bool clockwise, bool multiQuadrant);

    void PlotOutline(const CAreaNode* first);
    void PlotConductor(const CConductor* conductor, int aperture);
    void PlotPathLines(const FlatPath& path);
    // Filled figures: each outer contour with its holes as one dark region
    // joined by cut-ins, so holes never erase earlier features.
    void PlotPathRegions(const FlatPath& path);
    void PlotClearRegion(const FlatPath& path);

    const GerberFormat& Format() const { return m_format; }
    bool IsClear() const { return m_clear; }
    double CurrentX() const { return m_x; }
    double CurrentY() const { return m_y; }

private:
    // The number's digits (see Number) and the changed coordinates (see
    // CoordText) appended in ASCII; AppendCoord tells whether it wrote any.
    void AppendNumber(std::string& out, double mm) const;
    bool AppendCoord(std::string& out, double x, double y, bool force = false);
    // Writes m_line from the given character on as one line of the file.
    void WriteLine(size_t from = 0);

    CTextFile* m_file;
    std::string m_line;
    GerberFormat m_format;
    double m_x;
    double m_y;
    int m_aperture = -1;
    int m_interpolation = -1;
    bool m_clear = false;
};

// Outline helpers shared by the export.
void FlattenOutline(const CAreaNode* first, float tolerance, FlatPath* out);
bool FlatPathsOverlap(const FlatPath& a, const FlatPath& b);
