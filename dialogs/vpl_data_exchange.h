// Unit-aware number fields: a float member exchanged with an edit control,
// read strictly and shown with a fixed number of decimals. Mixed into every
// dialog class that edits lengths:
//     class CCondWidth : public PlatformDialog, public CVplDataExchange<CCondWidth>
// A rejected entry (text that is no number, or a number out of range) beeps
// and puts the focus back into the field; the member keeps its value and the
// field shows it again, so what stays on show is what is held.
//
// A field still showing the text last written into it is not parsed again:
// its member keeps its full precision. So showing 0.25 mm as 9.8 mil and
// reading it back untouched gives 0.25 mm, not 0.24892 mm.
#pragma once

#include "core/length_unit.h"

#include <map>
#include <string>

class PlatformWindow;

// A field holds at most this many characters; a longer entry is refused.
constexpr int kVplFieldChars = 31;

// A field's text as a number: blanks and tabs around one number and nothing
// else; a number that reads as 0 must be written starting with the digit 0
// (so empty text, "abc", "-0", "+0" and ".0" fail). Finite values only.
// Never depends on the process locale.
bool ParseFieldNumber(const std::wstring& text, double* value);

// What was last written into a field: its text, and the decimals it was
// written with (-1 before the first write).
struct VplShownField {
    std::wstring text;
    int digits = -1;
};

// The non-template work of the mix-in; a null control fails.
// factor: millimetres per shown unit (the member is held in millimetres), or
// 0 when the member is held in the shown unit itself. shown: what was last
// written into the field (updated when writing; null: nothing kept). A
// rejected entry is replaced by the member written with the decimals it was
// last shown with (digits before the first write).
int VplExchangeNumber(PlatformWindow* control, float& value, bool save, bool validate,
                      float minimum, float maximum, int digits, double factor,
                      VplShownField* shown = nullptr);

template <class T> class CVplDataExchange {
public:
    // value is held in the dialog's current display unit; digits are the
    // decimals shown (callers pass g_UnitDecimals[unit]). Non-zero on success.
    int DDX_Float(int id, float& value, bool save, bool validate = false, float minimum = 0.0f,
                  float maximum = 0.0f, int digits = 3) {
        return VplExchangeNumber(Control(id), value, save, validate, minimum, maximum, digits, 0.0,
                                 &shown_[id]);
    }
    // mm is held in millimetres and shown in unit with the unit's decimals;
    // the range applies to the stored millimetres.
    int DDX_Length(int id, float& mm, bool save, bool validate, float minimum, float maximum,
                   int unit) {
        if (!IsLengthUnit(unit))
            unit = kUnitMm;
        return VplExchangeNumber(Control(id), mm, save, validate, minimum, maximum,
                                 g_UnitDecimals[unit], g_UnitToMm[unit], &shown_[id]);
    }

private:
    PlatformWindow* Control(int id) { return static_cast<T*>(this)->GetDlgItem(id); }
    // Per field: what was last written into it.
    std::map<int, VplShownField> shown_;
};
