#include "cam/settings.h"

#include "dialogs/vpl_data_exchange.h"
#include "platform/combo_box_control.h"
#include "platform/settings_store.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"

#include <cmath>
#include <iterator>

namespace {
constexpr double kMilToMm = 0.0254;

const int kUnitLabels[] = {CSettings::kLineThicknessUnit, CSettings::kPadTolUnit,
                           CSettings::kMarkingTolUnit,    CSettings::kTextTolUnit,
                           CSettings::kMaskIncreaseUnit,  CSettings::kPasteDecreaseUnit};
} // namespace

const DialogTemplate& CSettings::Resource() {
    static const DialogTemplate t{
        103,
        L"Gerber settings",
        280,
        232,
        false,
        {
            DlgGroupBox(L"Gerber units", 7, 7, 130, 40),
            DlgRadio(kInch, L"Inch", 15, 19, 110, 10, WS_GROUP | WS_TABSTOP),
            DlgRadio(kMillimeter, L"Millimeter", 15, 31, 110, 10),
            DlgGroupBox(L"Output resolution", 143, 7, 130, 40),
            DlgDropDownList(kResInt, 151, 22, 30, 60, WS_GROUP | WS_TABSTOP),
            DlgStatic(IDC_STATIC, L".", 184, 24, 6, 8),
            DlgDropDownList(kResFlt, 192, 22, 30, 60),
            DlgGroupBox(L"Text drawing", 7, 51, 266, 58),
            DlgRadio(kTextFill, L"Fill region (G36/G37 commands)", 15, 63, 200, 10,
                     WS_GROUP | WS_TABSTOP),
            DlgRadio(kTextOutline, L"Outline (G01-D01/D02 commands)", 15, 75, 200, 10),
            DlgStatic(kLineThicknessLabel, L"Line thickness:", 27, 91, 60, 8, WS_GROUP),
            DlgEdit(kLineThickness, 90, 89, 40, 12),
            DlgStatic(kLineThicknessUnit, L"mm", 134, 91, 20, 8),
            DlgGroupBox(L"Curves approximation tolerance", 7, 113, 130, 62),
            DlgStatic(IDC_STATIC, L"Pads:", 15, 127, 62, 8),
            DlgEdit(kPadTol, 80, 125, 32, 12),
            DlgStatic(kPadTolUnit, L"mm", 115, 127, 18, 8),
            DlgStatic(IDC_STATIC, L"Footprint marking:", 15, 143, 62, 8),
            DlgEdit(kMarkingTol, 80, 141, 32, 12),
            DlgStatic(kMarkingTolUnit, L"mm", 115, 143, 18, 8),
            DlgStatic(IDC_STATIC, L"Text:", 15, 159, 62, 8),
            DlgEdit(kTextTol, 80, 157, 32, 12),
            DlgStatic(kTextTolUnit, L"mm", 115, 159, 18, 8),
            DlgGroupBox(L"Solder mask && paste default settings", 143, 113, 130, 62),
            DlgStatic(IDC_STATIC, L"Increase mask size:", 151, 127, 70, 8),
            DlgEdit(kMaskIncrease, 222, 125, 30, 12),
            DlgStatic(kMaskIncreaseUnit, L"mm", 255, 127, 16, 8),
            DlgStatic(IDC_STATIC, L"Decrease paste size:", 151, 143, 70, 8),
            DlgEdit(kPasteDecrease, 222, 141, 30, 12),
            DlgStatic(kPasteDecreaseUnit, L"mm", 255, 143, 16, 8),
            DlgGroupBox(L"Cover via with mask", 7, 179, 266, 26),
            DlgRadio(kViaCover, L"Cover via with mask", 15, 191, 80, 10, WS_GROUP | WS_TABSTOP),
            DlgRadio(kViaOpen, L"Left via open", 100, 191, 70, 10),
            DlgRadio(kViaPadstack, L"Use via padstack", 180, 191, 85, 10),
            DlgDefButton(1, L"OK", 169, 211, 50, 14, WS_GROUP | WS_TABSTOP),
            DlgButton(2, L"Cancel", 223, 211, 50, 14),
        },
    };
    return t;
}

CSettings::CSettings(const CamSettings& s)
    : PlatformDialog(Resource()), m_unit(s.unit), m_resIntIndex(s.resInt - 2),
      m_resFltIndex(s.resFlt - 2), m_textMode(s.textDrawingMode), m_lineThck(s.lineThck),
      m_padTol(s.padTol), m_markingTol(s.markingTol), m_textTol(s.textTol), m_smIncr(s.smIncr),
      m_spDecr(s.spDecr), m_via(s.coverViaWithMask) {}

CamSettings CSettings::GetSettings() const {
    CamSettings s;
    s.unit = m_unit;
    s.resInt = m_resIntIndex + 2;
    s.resFlt = m_resFltIndex + 2;
    s.textDrawingMode = m_textMode;
    s.lineThck = m_lineThck;
    s.padTol = m_padTol;
    s.markingTol = m_markingTol;
    s.textTol = m_textTol;
    s.smIncr = m_smIncr;
    s.spDecr = m_spDecr;
    s.coverViaWithMask = m_via;
    return s;
}

void CSettings::ScaleLengths(double factor) {
    for (float* v : {&m_lineThck, &m_padTol, &m_markingTol, &m_textTol, &m_smIncr, &m_spDecr})
        *v = static_cast<float>(*v * factor);
}

void CSettings::ShowUnitLabels() {
    for (int id : kUnitLabels)
        SetDlgItemText(id, m_unit == 0 ? L"mil" : L"mm");
}

void CSettings::EnableLineThickness() {
    bool outline = m_textMode == 1;
    for (int id : {kLineThickness, kLineThicknessLabel, kLineThicknessUnit})
        EnableDlgItem(id, outline);
}

void CSettings::OnInitDialog() {
    CenterWindow();
    m_resIntCombo = GetDlgItemAs<ComboBoxControl>(kResInt);
    m_resFltCombo = GetDlgItemAs<ComboBoxControl>(kResFlt);
    for (ComboBoxControl* combo : {m_resIntCombo, m_resFltCombo})
        if (combo)
            for (const wchar_t* digits : {L"2", L"3", L"4"})
                combo->AddString(digits);
    if (m_unit == 0)
        ScaleLengths(1.0 / kMilToMm);
    ShowUnitLabels();
    EnableLineThickness();
    WriteControls();
}

void CSettings::WriteControls() {
    int unitRadio = m_unit;
    DDX_Radio(kInch, unitRadio, false);
    DDX_Radio(kTextFill, m_textMode, false);
    const std::pair<int, float*> lengths[] = {
        {kLineThickness, &m_lineThck}, {kPadTol, &m_padTol},       {kMarkingTol, &m_markingTol},
        {kTextTol, &m_textTol},        {kMaskIncrease, &m_smIncr}, {kPasteDecrease, &m_spDecr}};
    for (size_t i = 0; i < std::size(lengths); ++i)
        ShowLength(static_cast<int>(i), lengths[i].first, *lengths[i].second);
    DDX_Radio(kViaCover, m_via, false);
    DDX_ComboIndex(kResInt, m_resIntIndex, false);
    DDX_ComboIndex(kResFlt, m_resFltIndex, false);
}

void CSettings::ShowLength(int index, int id, float value) {
    m_shown[index] = StrPrintf(L"%.*g", 3, static_cast<double>(value));
    SetDlgItemText(id, m_shown[index]);
}

CSettings::ReadResult CSettings::ReadLength(int index, int id, float& value, bool tolerance,
                                            bool width) {
    std::wstring text = GetDlgItemText(id);
    float v = value;
    ReadResult r = ReadResult::Ok;
    if (text != m_shown[index]) {
        double number = 0.0;
        if (!ParseFieldNumber(text, &number) || !std::isfinite(static_cast<float>(number)))
            r = ReadResult::Unreadable;
        else
            v = static_cast<float>(number);
    }
    // A tolerance of 0 would never end the curve flattening, a negative
    // width makes an invalid aperture, and a negative mask increase would
    // cover copper that is to be soldered. (Paste may grow beyond its pad.)
    if (r == ReadResult::Ok && ((tolerance && !(v > 0.0f)) || (width && v < 0.0f)))
        r = ReadResult::OutOfRange;
    if (r != ReadResult::Ok) {
        // The field shows the value it keeps, selected for typing anew.
        ShowLength(index, id, value);
        OnDataExchangeError(id, true);
        return r;
    }
    value = v;
    return ReadResult::Ok;
}

CSettings::ReadResult CSettings::ReadControls() {
    int unit = m_unit;
    DDX_Radio(kInch, unit, true);
    if (unit >= 0)
        m_unit = unit;
    int mode = m_textMode;
    DDX_Radio(kTextFill, mode, true);
    if (mode >= 0)
        m_textMode = mode;
    struct Field {
        int id;
        float* value;
        bool tolerance;
        bool width;
    };
    const Field fields[] = {
        {kLineThickness, &m_lineThck, false, true}, {kPadTol, &m_padTol, true, false},
        {kMarkingTol, &m_markingTol, true, false},  {kTextTol, &m_textTol, true, false},
        {kMaskIncrease, &m_smIncr, false, true},    {kPasteDecrease, &m_spDecr, false, false}};
    for (size_t i = 0; i < std::size(fields); ++i) {
        const Field& f = fields[i];
        ReadResult r = ReadLength(static_cast<int>(i), f.id, *f.value, f.tolerance, f.width);
        if (r != ReadResult::Ok)
            return r;
    }
    int via = m_via;
    DDX_Radio(kViaCover, via, true);
    if (via >= 0)
        m_via = via;
    int index = m_resIntIndex;
    DDX_ComboIndex(kResInt, index, true);
    if (index >= 0)
        m_resIntIndex = index;
    index = m_resFltIndex;
    DDX_ComboIndex(kResFlt, index, true);
    if (index >= 0)
        m_resFltIndex = index;
    return ReadResult::Ok;
}

void CSettings::OnOkOrCancel(int id) {
    ReadResult r = ReadControls();
    // A refused field cannot be confirmed: closing would look as if what
    // was typed had been taken. The field has the focus.
    if (id == 1 && r != ReadResult::Ok)
        return;
    if (m_unit == 0)
        ScaleLengths(kMilToMm);
    EndDialog(id);
}

bool CSettings::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_INITDIALOG) {
        OnInitDialog();
        result = 1;
        return true;
    }
    if (msg != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return false;
    result = 0;
    switch (static_cast<int>(LOWORD(wParam))) {
    case kTextFill:
    case kTextOutline:
        ReadControls();
        EnableLineThickness();
        return true;
    case kInch:
    case kMillimeter: {
        int old = m_unit;
        ReadControls();
        if (m_unit != old) {
            ScaleLengths(m_unit == 0 ? 1.0 / kMilToMm : kMilToMm);
            ShowUnitLabels();
        }
        WriteControls();
        return true;
    }
    case 1:
    case 2:
        OnOkOrCancel(static_cast<int>(LOWORD(wParam)));
        return true;
    default:
        return false;
    }
}

void EditGerberSettings() {
    SettingsKey key;
    // Without a key nothing is read or written; the dialog still runs on
    // the settings in memory.
    key.Create(kGerberSettingsKey);
    ReadCamSettings(key, g_CamSettings);
    CSettings dialog(g_CamSettings);
    if (dialog.DoModal(GetActiveWindow()) == 1) {
        g_CamSettings = dialog.GetSettings();
        WriteCamSettings(key, g_CamSettings);
    }
    key.Close();
}
