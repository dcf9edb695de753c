#include "dialogs/soic.h"

#include "board/board_types.h"
#include "board/footprint.h"
#include "board/marking.h"
#include "board/padstack.h"

const DialogTemplate& CSOIC::Resource() {
    static const DialogTemplate t{
        392,
        L"New SOIC",
        320,
        150,
        false,
        {
            DlgStatic(kPicture, L"", 7, 7, 150, 112),
            DlgStatic(IDC_STATIC, L"Unit:", 165, 9, 95, 8),
            DlgDropDownList(kUnit, 262, 7, 50, 60),
            DlgStatic(IDC_STATIC, L"Number of Pins:", 165, 27, 95, 8),
            DlgEdit(kPins, 262, 25, 50, 12),
            DlgStatic(IDC_STATIC, L"Pitch, e:", 165, 43, 95, 8),
            DlgEdit(kPitch, 262, 41, 50, 12),
            DlgStatic(IDC_STATIC, L"Pad width, W:", 165, 59, 95, 8),
            DlgEdit(kPadWidth, 262, 57, 50, 12),
            DlgStatic(IDC_STATIC, L"Pad length, L:", 165, 75, 95, 8),
            DlgEdit(kPadLength, 262, 73, 50, 12),
            DlgStatic(IDC_STATIC, L"Center-to-center, C:", 165, 91, 95, 8),
            DlgEdit(kCenter, 262, 89, 50, 12),
            DlgDefButton(IDOK, L"OK", 208, 129, 50, 14),
            DlgButton(IDCANCEL, L"Cancel", 263, 129, 50, 14),
        },
    };
    return t;
}

CSOIC::CSOIC(int unit) : CFootprintGenerator(Resource(), PackageKind::Soic, unit) {}

std::vector<CFootprintGenerator::Field> CSOIC::Fields() {
    return {{kPins, &m_pins, nullptr, 2 * kMaxPinsPerSide},
            {kPitch, nullptr, &m_pitch, 0},
            {kPadWidth, nullptr, &m_padWidth, 0},
            {kPadLength, nullptr, &m_padLength, 0},
            {kCenter, nullptr, &m_center, 0}};
}

bool CSOIC::CheckPins(bool focus) {
    if (m_pins % 2 == 0)
        return true;
    ShowCheckMessage(286);
    if (focus)
        GotoDlgCtrl(kPins);
    return false;
}

bool CSOIC::CheckPadWidth() {
    if (m_padWidth < m_pitch)
        return true;
    ShowCheckMessage(288);
    return false;
}

bool CSOIC::CheckPadLength() {
    if (m_padLength < m_center)
        return true;
    ShowCheckMessage(289);
    return false;
}

void CSOIC::FieldLeft(int id) {
    if (!ReadField(id))
        return;
    switch (id) {
    case kPins:
        CheckPins(true);
        break;
    case kPitch:
    case kPadWidth:
        CheckPadWidth();
        break;
    case kPadLength:
    case kCenter:
        CheckPadLength();
        break;
    default:
        break;
    }
}

bool CSOIC::ChecksPass() {
    if (!CheckPins(true))
        return false;
    if (!CheckPadWidth()) {
        GotoDlgCtrl(kPadWidth);
        return false;
    }
    if (!CheckPadLength()) {
        GotoDlgCtrl(kPadLength);
        return false;
    }
    return true;
}

std::unique_ptr<CFootprint> CSOIC::Build() const {
    return BuildSoicFootprint(m_pins, m_pitch, m_padWidth, m_padLength, m_center, m_unit);
}

std::unique_ptr<CFootprint> BuildSoicFootprint(uint32_t n, float pitch, float padWidth,
                                               float padLength, float center, int unit) {
    using namespace FootprintParts;
    const double e = D(pitch), w = D(padWidth), l = D(padLength), c = D(center);
    auto footprint = std::make_unique<CFootprint>(kPlaceTop);
    footprint->m_unit = static_cast<uint32_t>(unit);
    footprint->m_gridX = F(RowGrid(n / 2, e));
    footprint->m_gridY = F(c / 2);
    CPadstack* padstack = AddPadstack(footprint.get());
    AddPadLayer(padstack, kPadLayerTop, kPadShapeOblong, w, l);
    CMarking* silkscreen = AddMarking(footprint.get(), 22);
    AddTwoRowPads(padstack, silkscreen, n, e, c, l / 2 + w, 1);
    AddNotchedSide(silkscreen, n, e, c, l);
    CMarking* outline = AddMarking(footprint.get(), 30);
    AddRect(outline, -(n * e) / 4, -(c + l) / 2 - 0.5, (n * e) / 4, (c + l) / 2 + 0.5);
    return footprint;
}
