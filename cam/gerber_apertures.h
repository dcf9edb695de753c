// Apertures of one Gerber file: the records, their order and numbering, the
// "%ADD" and "%AM" lines, and the rules that turn pad layers into apertures.
#pragma once

#include "cam/gerber_plot.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

class CPadLayer;
class CThermalRelief;

enum GerberApertureType : int {
    kApertureCircle = 1,
    kApertureObround = 2,
    kApertureRect = 3,
    kApertureMacro = 4,
};

struct GerberAperture {
    std::wstring name;
    int type = kApertureCircle;
    float size1 = 0;
    float size2 = 0;
    std::vector<std::wstring> params;
    int number = 0;
};

// Ordering of the set; equal records share one D-code. withNames: macros
// of equal shape but different names count as different.
int CompareApertures(const GerberAperture& a, const GerberAperture& b, bool withNames);

class CGerberApertureSet {
public:
    explicit CGerberApertureSet(CGerberPlotter* plotter, float padTol);

    int Register(GerberAperture record);
    int Circle(float diameter);
    // The first size asked for that no aperture can have: a pad's own size
    // not above zero (but for 0 by 0, no pad), a line width or a grown
    // pad's own size below zero, or no number at all. A pad shrunk below zero (paste openings) is
    // no such size: its opening stays at zero.
    std::optional<float> InvalidSize() const { return m_invalid; }
    int NextNumber() const { return m_next; }
    void WriteDefinitions();
    size_t Size() const { return m_set.size(); }

    // Aperture builders; every fixed or custom macro definition is written
    // the first time a record needs it.
    int PadAperture(const CPadLayer* pad);
    int GrownPadAperture(const CPadLayer* pad, float delta);
    int ClearanceAperture(const CPadLayer* pad);
    int ThermalAperture(const CPadLayer* pad);

    static float PlacementAngle(const CPadLayer* pad, bool* bottom);

    // The board-wide thermal relief, looked up once per file: the pad
    // layer's own one comes first.
    void SetBoardThermal(const CThermalRelief* thermal) { m_boardThermal = thermal; }
    const CThermalRelief* EffectiveThermal(const CPadLayer* pad) const;

private:
    struct Less {
        bool operator()(const GerberAperture& a, const GerberAperture& b) const {
            return CompareApertures(a, b, true) < 0;
        }
    };
    // clearance: the shape is cut out of copper (a custom outline's curves
    // are flattened outside it).
    int PadAperture(const CPadLayer* pad, bool clearance);
    int GrownPadAperture(const CPadLayer* pad, float delta, bool clearance);
    int RectLike(const CPadLayer* pad, float w, float h, float w0, float h0);
    std::vector<std::wstring> CustomMacroLines(const FlatPath& path, bool bottom, float angle);
    int CustomShared(std::vector<std::wstring> lines);
    void CheckSize(float size, bool zeroAllowed);

    CGerberPlotter* m_plotter;
    const CThermalRelief* m_boardThermal = nullptr;
    float m_padTol;
    std::optional<float> m_invalid;
    std::set<GerberAperture, Less> m_set;
    int m_next = 10;
    bool m_thermalWritten = false;
    bool m_obroundWritten = false;
    bool m_rectWritten = false;
};
