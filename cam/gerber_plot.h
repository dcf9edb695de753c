// The lowest layer of the Gerber writer: coordinates, aperture selection,
// moves, draws, flashes, arcs, regions and polarity, and the figures built
// from them (outline node lists, conductors, flattened paths).
#pragma once

#include "platform/polygon_set.h"
#include "platform/types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CAreaNode;
class CConductor;
struct ConductorPiece;
class CTextFile;

// Output format of one export run.
struct GerberFormat {
    int unit = 1;   // 0 inch, 1 millimetre
    int resFlt = 3; // decimals of a coordinate
    int resInt = 3; // digits before the point
    double epsilon = 0.001;
    double factor = 1.0; // output units per millimetre

    static GerberFormat From(int unit, int resFlt, double epsilonMm, int resInt = 3);
    // Whether a length (mm) is written in the format: a finite number whose
    // whole part, in the output unit and rounded to the decimals, has no
    // more digits than the format gives it.
    bool Holds(double mm) const;
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

// An arc of at most half a circle whose radius has more digits than an
// output format gives goes out as straight pieces along it. The arc runs over
// a chord of half length h and lies d to the right of the chord's middle.
// How many pieces keep it within tolerance (mm) of them:
int ShallowArcPieces(double h, double d, double tolerance);
// The end of piece i (1..pieces) of such an arc, exactly on its circle: the
// chord's middle is (mx, my) and (ux, uy) its unit direction.
PointD ShallowArcPoint(int i, int pieces, double mx, double my, double ux, double uy, double h,
                       double d);

// The lines PlotClearRegion wrote for a path after its first move, with the
// modal state before and after them: a path plotted again from the same
// state gives the same lines, so they are copied instead.
struct GerberRegionMemo {
    bool valid = false;
    double xIn = 0, yIn = 0;
    int interpolationIn = 0;
    double xOut = 0, yOut = 0;
    int interpolationOut = 0;
    std::string lines;
};

class CGerberPlotter {
public:
    CGerberPlotter(CTextFile* file, const GerberFormat& format);
    // Writes what is pending.
    ~CGerberPlotter();
    CGerberPlotter(const CGerberPlotter&) = delete;
    CGerberPlotter& operator=(const CGerberPlotter&) = delete;

    void Reset();
    // Writes a line after the pending ones.
    void Line(const std::wstring& text);
    // Moves, draws and flashes gather in memory: this writes them to the
    // file (Line does too, and the destructor).
    void Flush();

    std::wstring Number(double mm) const;
    // A size in the output unit with its decimals (GerberSizeText).
    std::wstring SizeText(double mm) const;
    // A plain number (GerberPlainNumber): an angle, a sine or a cosine.
    std::wstring PlainText(double value) const;
    // The first number asked for that the format cannot hold (a coordinate
    // or size not finite or beyond the format's digits, an angle beyond
    // any turn): the lines written with it are no Gerber, and the file must
    // not be kept.
    const std::optional<double>& Unwritable() const { return m_unwritable; }
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
    // joined by cut-ins, so holes never erase earlier features; with clear,
    // clear regions the same way, so holes keep what lies beneath.
    void PlotPathRegions(const FlatPath& path, bool clear = false);
    // A clear region of the path's figures; with a memo, the lines are
    // taken from it when they would be the same, else recorded in it.
    void PlotClearRegion(const FlatPath& path, GerberRegionMemo* memo = nullptr);

    const GerberFormat& Format() const { return m_format; }
    bool IsClear() const { return m_clear; }
    double CurrentX() const { return m_x; }
    double CurrentY() const { return m_y; }

private:
    static constexpr size_t kPendingLimit = 60000; // bytes gathered before a write
    static constexpr size_t kNumberRoom = 32;      // room FastNumber may use

    // The digits of Number: at out when the scaled value is clearly not a
    // tie (returns the end), else null and ExactNumber has them.
    char* FastNumber(char* out, double mm) const;
    std::string ExactNumber(double mm) const;
    // Room for count more pending bytes.
    char* Room(size_t count);
    void Put(const char* text, size_t count);
    void PutNumber(double mm);
    // The number checked against the format, and one no file can hold
    // (not finite, or of endless digits) as 0.
    double Writable(double mm) const;
    // Notes a number the format cannot hold (Unwritable).
    void Check(bool ok, double value) const {
        if (!ok && !m_unwritable)
            m_unwritable = value;
    }
    // X and Y of the coordinates that changed (all with force); false when
    // none changed.
    bool PutCoord(double x, double y, bool force = false);
    // Ends the pending line; writes what is pending once there is enough.
    void EndLine();
    void PutLine(const char* text);

    CTextFile* m_file;
    std::vector<char> m_pending; // whole lines, each ending in CR LF
    size_t m_pendingLength = 0;
    bool m_holdFlush = false; // a region being recorded stays whole
    GerberFormat m_format;
    double m_x;
    double m_y;
    int m_aperture = -1;
    int m_interpolation = -1;
    bool m_clear = false;
    std::vector<ConductorPiece> m_pieces; // a conductor's centre line, kept for the next
    mutable std::optional<double> m_unwritable;
};

// Outline helpers shared by the export.
void FlattenOutline(const CAreaNode* first, float tolerance, FlatPath* out);
bool FlatPathsOverlap(const FlatPath& a, const FlatPath& b);
