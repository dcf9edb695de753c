// Value sets of the board-side node fields and their file names.
#pragma once

#include "core/xml_element.h"

// Layer value of a pad layer or a marking: the two copper sides, the shapes
// used on every inner routing/jumper layer and on every plane layer, and the
// non-copper layers with their BoardLayer ids.
enum PadLayerId : int {
    kPadLayerTop = 0,
    kPadLayerBottom = 1,
    kPadLayerInner = 2,
    kPadLayerPlane = 3,
};

enum LayerType : int {
    kLayerTypeNone = 0,
    kLayerTypeRouting = 1,
    kLayerTypePlane = 2,
    kLayerTypeJumper = 3,
    kLayerTypeDoc = 4,
};

enum PadShape : int {
    kPadShapeNone = 0,
    kPadShapeRound = 1,
    kPadShapeOblong = 2,
    kPadShapeRect = 3,
    kPadShapeCustom = 4,
};

enum DrillType : int {
    kDrillNone = 0,
    kDrillRound = 1,
    kDrillSlot = 2,
    kDrillCustom = 3,
};

enum PlaceSide : int {
    kPlaceTop = 0,
    kPlaceBottom = 1,
};

// The enumerated attribute tables, in matching order.
extern const XmlEnumRow kPadLayerRows[14];
extern const XmlEnumRow kLayerTypeRows[5];
extern const XmlEnumRow kPadShapeRows[5];
extern const XmlEnumRow kDrillTypeRows[4];
extern const XmlEnumRow kPlaceRows[2];

// The file name of a pad-layer value ("" for a value no row has).
const wchar_t* PadLayerToName(int value);

// Reads up to count numbers separated by single commas, as a "%f,%f,..."
// scan does: blanks before a number are skipped, reading stops at the first
// character that does not fit, or at a number that is not finite as a float
// (then *notFinite, when given, is set). Returns how many were read.
int ScanFloats(const wchar_t* text, int count, float* out, bool* notFinite = nullptr);
