// Numbers of new pads in the footprint editor. A footprint is numbered
// either plainly (1, 2, 3, ...) or like a ball grid, where a letter prefix
// names the row (growing downwards) and the number the column (growing to
// the right): A1, A2, ..., B1, ... The letters I, O, Q, S, X and Z are never
// used, so the rows run A to H, J to N, P, R, T to W, Y, then AA, AB, ...
#pragma once

#include <string>

class CFootprint;
class CPad;

struct PadNumberParts {
    std::wstring prefix; // everything before the first decimal digit
    int number = 0;      // the leading digits after it; 0 when there are none
};

// "A12" gives A and 12, "12" an empty prefix and 12, "EP" EP and 0. A digit
// run too long for an int reads as the largest int.
PadNumberParts SplitPadNumber(const std::wstring& text);

// The next row prefix: the trailing letters count up through the grid's
// letters, carrying into the letter before them (or a new leading letter)
// past Y, so "H" gives "J", "Y" gives "AA" and "AY" gives "BA". A prefix
// without trailing letters ("" or "P-") gets an "A" appended.
std::wstring AdvancePadPrefix(const std::wstring& prefix);
// The previous row prefix, the exact reverse of AdvancePadPrefix ("J" gives
// "H", "AA" gives "Y"); "A" stays "A", and a prefix without trailing letters
// gets an "A" appended.
std::wstring StepBackPadPrefix(const std::wstring& prefix);

// Names a new pad of the footprint (the pad already in it, or about to be
// placed where it lies). Any numbered pad with a bare number (no prefix), or
// no numbered pad at all, means plain numbering: the pad takes the first
// number from 1 up that no unselected pad carries. Otherwise the pad takes
// its number from its unselected neighbours in its row and column:
// - row and column: the letter of the row's rightmost pad, the number of the
//   column's bottommost pad;
// - a row only: right of it the next number, left of it the previous one
//   (0 stays 0), of the pad at that end; between them the number is kept;
// - a column only: below it the next letter, above it the previous one, of
//   the pad at that end, with that pad's number; between them it is kept;
// - neither: the number is kept.
void AssignNextPadNumber(CFootprint* footprint, CPad* pad);
