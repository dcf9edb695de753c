#include "dialogs/vpl_data_exchange.h"

#include "platform/edit_control.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "platform/window.h"

#include <cmath>

namespace {
bool IsBlankOrTab(wchar_t c) {
    return c == L' ' || c == L'\t';
}

int Reject(PlatformWindow* control) {
    MessageBeep(kSimpleBeep);
    if (control && control->IsWindow()) {
        control->SetFocus();
        // Selected, so that typing replaces what the field shows.
        if (auto* edit = dynamic_cast<EditControl*>(control))
            edit->SetSel(0, -1);
    }
    return 0;
}
} // namespace

bool ParseFieldNumber(const std::wstring& text, double* value) {
    const wchar_t* p = text.c_str();
    while (IsBlankOrTab(*p))
        ++p;
    wchar_t first = *p;
    const wchar_t* end = p;
    double v = ParseDouble(p, &end);
    if (v == 0.0 && first != L'0')
        return false;
    while (IsBlankOrTab(*end))
        ++end;
    if (*end != 0 || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

namespace {
// Writes value into the field with the given decimals; false when the
// control refuses the text.
bool ShowNumber(PlatformWindow* control, float value, int digits, double factor,
                VplShownField* shown) {
    double number = factor != 0.0 ? static_cast<double>(value) / factor : value;
    std::wstring text = StrPrintf(L"%.*f", digits, number);
    if (text.size() > static_cast<size_t>(kVplFieldChars))
        text.resize(static_cast<size_t>(kVplFieldChars));
    if (!control->SendMessage(WM_SETTEXT, 0, PtrToLParam(text.c_str())))
        return false;
    if (shown)
        *shown = VplShownField{text, digits};
    return true;
}

// A rejected entry: the field shows the value held again, then the beep and
// the focus.
int RejectEntry(PlatformWindow* control, float value, int digits, double factor,
                VplShownField* shown) {
    if (shown && shown->digits >= 0)
        digits = shown->digits;
    ShowNumber(control, value, digits, factor, shown);
    return Reject(control);
}
} // namespace

int VplExchangeNumber(PlatformWindow* control, float& value, bool save, bool validate,
                      float minimum, float maximum, int digits, double factor,
                      VplShownField* shown) {
    if (!control || !control->IsWindow())
        return Reject(control);
    if (!save)
        return ShowNumber(control, value, digits, factor, shown) ? 1 : Reject(control);
    std::wstring text = control->GetWindowText();
    // Untouched since it was shown: the member already holds the value,
    // with more digits than the field shows.
    if (shown && !shown->text.empty() && text == shown->text) {
        if (validate && (minimum > value || value > maximum))
            return Reject(control);
        return 1;
    }
    // Cutting a longer entry could turn it into another number; it is
    // refused instead.
    double number = 0.0;
    if (text.size() > static_cast<size_t>(kVplFieldChars) || !ParseFieldNumber(text, &number))
        return RejectEntry(control, value, digits, factor, shown);
    float stored = static_cast<float>(factor != 0.0 ? number * factor : number);
    // A number beyond the float range would become an infinite length.
    if (!std::isfinite(stored) || (validate && (minimum > stored || stored > maximum)))
        return RejectEntry(control, value, digits, factor, shown);
    value = stored;
    // The text shown before no longer stands for the member: typing it
    // back in must be read again.
    if (shown)
        shown->text.clear();
    return 1;
}
