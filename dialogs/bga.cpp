#include "dialogs/bga.h"

#include "board/board_types.h"
#include "board/footprint.h"
#include "board/marking.h"
#include "board/padstack.h"
#include "platform/check_box_control.h"

#include <cmath>

namespace {
// The row letters: the alphabet without I, O, Q, S and X (and Z, which only
// starts a two-letter name).
constexpr wchar_t kRowLetters[] = L"ABCDEFGHJKLMNPRTUVWY";
constexpr uint32_t kRowLetterCount = 20;
constexpr uint32_t kFirstLetterCount = kRowLetterCount + 1; // with Z

// To the nearest half millimetre, halves away from zero.
double RoundToHalf(double v) {
    return std::round(2 * v) / 2;
}
} // namespace

std::wstring BgaRowName(uint32_t row) {
    if (row < kRowLetterCount)
        return std::wstring(1, kRowLetters[row]);
    row -= kRowLetterCount;
    const uint32_t first = row / kRowLetterCount;
    if (first >= kFirstLetterCount)
        return std::wstring();
    return std::wstring{first < kRowLetterCount ? kRowLetters[first] : L'Z',
                        kRowLetters[row % kRowLetterCount]};
}

const DialogTemplate& CBGA::Resource() {
    static const DialogTemplate t{
        1026,
        L"New BGA",
        320,
        182,
        false,
        {
            DlgStatic(kPicture, L"", 7, 7, 150, 128),
            DlgStatic(IDC_STATIC, L"Unit:", 165, 9, 95, 8),
            DlgDropDownList(kUnit, 262, 7, 50, 60),
            DlgStatic(IDC_STATIC, L"Pins in horizontal row:", 165, 27, 95, 8),
            DlgEdit(kPinsH, 262, 25, 50, 12),
            DlgStatic(IDC_STATIC, L"Pins in vertical row:", 165, 43, 95, 8),
            DlgEdit(kPinsV, 262, 41, 50, 12),
            DlgStatic(IDC_STATIC, L"Pitch, e:", 165, 59, 95, 8),
            DlgEdit(kPitch, 262, 57, 50, 12),
            DlgStatic(IDC_STATIC, L"Ball diameter, b:", 165, 75, 95, 8),
            DlgEdit(kBall, 262, 73, 50, 12),
            DlgStatic(IDC_STATIC, L"Package body width, D:", 165, 91, 95, 8),
            DlgEdit(kBodyWidth, 262, 89, 50, 12),
            DlgStatic(IDC_STATIC, L"Package body length, E:", 165, 107, 95, 8),
            DlgEdit(kBodyLength, 262, 105, 50, 12),
            DlgCheckBox(kMaskDefined, L"Solder mask defined", 165, 123, 147, 10),
            DlgStatic(kMaskLabel, L"Solder mask diameter:", 165, 139, 95, 8),
            DlgEdit(kMask, 262, 137, 50, 12),
            DlgDefButton(IDOK, L"OK", 208, 161, 50, 14),
            DlgButton(IDCANCEL, L"Cancel", 263, 161, 50, 14),
        },
    };
    return t;
}

CBGA::CBGA(int unit) : CFootprintGenerator(Resource(), PackageKind::Bga, unit) {}

std::vector<CFootprintGenerator::Field> CBGA::Fields() {
    return {{kPinsH, &m_pinsH, nullptr, kMaxBallsPerLine},
            {kPinsV, &m_pinsV, nullptr, kMaxBallsPerLine},
            {kPitch, nullptr, &m_pitch, 0},
            {kBall, nullptr, &m_ball, 0},
            {kBodyWidth, nullptr, &m_bodyWidth, 0},
            {kBodyLength, nullptr, &m_bodyLength, 0},
            {kMask, nullptr, &m_mask, 0}};
}

void CBGA::UpdateBodySize() {
    const double e = FootprintParts::D(m_pitch);
    m_bodyWidth = FootprintParts::F(RoundToHalf((m_pinsH + 1.0) * e));
    m_bodyLength = FootprintParts::F(RoundToHalf((m_pinsV + 1.0) * e));
    ShowField(kBodyWidth);
    ShowField(kBodyLength);
}

bool CBGA::CheckBall() {
    if (m_ball < m_pitch)
        return true;
    ShowCheckMessage(288);
    return false;
}

void CBGA::EnableMask() {
    EnableDlgItem(kMaskLabel, m_maskDefined != 0);
    EnableDlgItem(kMask, m_maskDefined != 0);
}

void CBGA::ShowExtras() {
    DDX_Check(kMaskDefined, m_maskDefined, false);
    EnableMask();
}

void CBGA::ReadExtras() {
    DDX_Check(kMaskDefined, m_maskDefined, true);
}

bool CBGA::OnExtraCommand(int id, int code) {
    if (id != kMaskDefined || code != BN_CLICKED)
        return false;
    ReadExtras();
    EnableMask();
    return true;
}

void CBGA::FieldLeft(int id) {
    switch (id) {
    case kPinsH:
    case kPinsV:
        if (ReadField(kPinsH) && ReadField(kPinsV))
            UpdateBodySize();
        break;
    case kPitch:
        if (!ReadField(kPitch))
            break;
        CheckBall();
        UpdateBodySize();
        break;
    case kBall:
        if (ReadField(kBall))
            CheckBall();
        break;
    default:
        ReadField(id);
        break;
    }
}

bool CBGA::ChecksPass() {
    if (CheckBall())
        return true;
    GotoDlgCtrl(kBall);
    return false;
}

std::unique_ptr<CFootprint> CBGA::Build() const {
    BgaDimensions d;
    d.pinsH = m_pinsH;
    d.pinsV = m_pinsV;
    d.pitch = m_pitch;
    d.ball = m_ball;
    d.bodyWidth = m_bodyWidth;
    d.bodyLength = m_bodyLength;
    d.maskDefined = m_maskDefined != 0;
    d.mask = m_mask;
    return BuildBgaFootprint(d, m_unit);
}

std::unique_ptr<CFootprint> BuildBgaFootprint(const BgaDimensions& d, int unit) {
    using namespace FootprintParts;
    const double e = D(d.pitch), a = D(d.bodyWidth) / 2, c = D(d.bodyLength) / 2;
    const double hx = (d.pinsH - 1.0) * e / 2, hy = (d.pinsV - 1.0) * e / 2;
    auto footprint = std::make_unique<CFootprint>(kPlaceTop);
    footprint->m_unit = static_cast<uint32_t>(unit);
    footprint->m_gridX = F(RowGrid(d.pinsH, e));
    footprint->m_gridY = F(RowGrid(d.pinsV, e));
    CPadstack* padstack = AddPadstack(footprint.get());
    AddPadLayer(padstack, kPadLayerTop, kPadShapeRound, D(d.ball), D(d.ball));
    if (d.maskDefined)
        AddPadLayer(padstack, 26, kPadShapeRound, D(d.mask), D(d.mask));
    // Row A at the top (largest y), columns from the left.
    for (uint32_t r = 0; r < d.pinsV; ++r) {
        const std::wstring row = BgaRowName(r);
        for (uint32_t k = 0; k < d.pinsH; ++k)
            AddPad(padstack, row + std::to_wstring(k + 1), k * e - hx, hy - r * e);
    }
    CMarking* silkscreen = AddMarking(footprint.get(), 22);
    AddDot(silkscreen, -a - 1, c + 1, -a, c);
    // Corner marks with 3 mm legs at the three corners away from A1.
    AddPolyline(silkscreen, {{-a, 3 - c}, {-a, -c}, {3 - a, -c}});
    AddPolyline(silkscreen, {{a - 3, -c}, {a, -c}, {a, 3 - c}});
    AddPolyline(silkscreen, {{a, c - 3}, {a, c}, {a - 3, c}});
    CMarking* outline = AddMarking(footprint.get(), 30);
    AddRect(outline, -a, -c, a, c);
    return footprint;
}
