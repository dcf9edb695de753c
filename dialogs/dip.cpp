#include "dialogs/dip.h"

#include "board/board_types.h"
#include "board/drill.h"
#include "board/footprint.h"
#include "board/marking.h"
#include "board/padstack.h"

namespace {
// Packages from 24 pins on come in the wide body.
constexpr uint32_t kWideFromPins = 24;
constexpr float kNarrowRows = 7.62f;
constexpr float kWideRows = 15.24f;
} // namespace

const DialogTemplate& CDIP::Resource() {
    static const DialogTemplate t{
        1027,
        L"New DIP",
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
            DlgStatic(IDC_STATIC, L"Center-to-center, C:", 165, 59, 95, 8),
            DlgEdit(kCenter, 262, 57, 50, 12),
            DlgDefButton(IDOK, L"OK", 208, 129, 50, 14),
            DlgButton(IDCANCEL, L"Cancel", 263, 129, 50, 14),
        },
    };
    return t;
}

CDIP::CDIP(int unit) : CFootprintGenerator(Resource(), PackageKind::Dip, unit) {}

std::vector<CFootprintGenerator::Field> CDIP::Fields() {
    return {{kPins, &m_pins, nullptr, 2 * kMaxPinsPerSide},
            {kPitch, nullptr, &m_pitch, 0},
            {kCenter, nullptr, &m_center, 0}};
}

bool CDIP::CheckPins() {
    if (m_pins % 2 == 0)
        return true;
    ShowCheckMessage(286);
    GotoDlgCtrl(kPins);
    return false;
}

void CDIP::FieldLeft(int id) {
    if (!ReadField(id) || id != kPins)
        return;
    CheckPins();
    m_center = m_pins < kWideFromPins ? kNarrowRows : kWideRows;
    ShowField(kCenter);
}

bool CDIP::ChecksPass() {
    return CheckPins();
}

std::unique_ptr<CFootprint> CDIP::Build() const {
    return BuildDipFootprint(m_pins, m_pitch, m_center, m_unit);
}

std::unique_ptr<CFootprint> BuildDipFootprint(uint32_t n, float pitch, float center, int unit) {
    using namespace FootprintParts;
    const double e = D(pitch), c = D(center);
    auto footprint = std::make_unique<CFootprint>(kPlaceTop);
    footprint->m_unit = static_cast<uint32_t>(unit);
    footprint->m_gridX = F(RowGrid(n / 2, e));
    footprint->m_gridY = F(c / 2);
    CPadstack* padstack = AddPadstack(footprint.get());
    for (int layer : {kPadLayerTop, kPadLayerBottom, kPadLayerInner})
        AddPadLayer(padstack, layer, kPadShapeRound, 1.5, 1.5);
    AddPadLayer(padstack, kPadLayerPlane, kPadShapeRound, 1.8, 1.8);
    auto* drill = new CDrill(kDrillRound);
    drill->m_diam = 0.8f;
    padstack->AddChild(drill);
    CMarking* silkscreen = AddMarking(footprint.get(), 22);
    AddTwoRowPads(padstack, silkscreen, n, e, c, e / 2, 2);
    AddNotchedSide(silkscreen, n, e, c, e);
    CMarking* outline = AddMarking(footprint.get(), 30);
    AddRect(outline, -(n * e) / 4, -(e + c) / 2, (n * e) / 4, (e + c) / 2);
    return footprint;
}
