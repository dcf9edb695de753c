#include "dialogs/qfp.h"

#include "board/board_types.h"
#include "board/footprint.h"
#include "board/marking.h"
#include "board/padstack.h"

const DialogTemplate& CQFP::Resource() {
    static const DialogTemplate t{
        1025,
        L"New QFP",
        320,
        166,
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
            DlgStatic(IDC_STATIC, L"Pad width, W:", 165, 75, 95, 8),
            DlgEdit(kPadWidth, 262, 73, 50, 12),
            DlgStatic(IDC_STATIC, L"Pad length, L:", 165, 91, 95, 8),
            DlgEdit(kPadLength, 262, 89, 50, 12),
            DlgStatic(IDC_STATIC, L"Horizontal offset, Cx:", 165, 107, 95, 8),
            DlgEdit(kOffsetX, 262, 105, 50, 12),
            DlgStatic(IDC_STATIC, L"Vertical offset, Cy:", 165, 123, 95, 8),
            DlgEdit(kOffsetY, 262, 121, 50, 12),
            DlgDefButton(IDOK, L"OK", 208, 145, 50, 14),
            DlgButton(IDCANCEL, L"Cancel", 263, 145, 50, 14),
        },
    };
    return t;
}

CQFP::CQFP(int unit) : CFootprintGenerator(Resource(), PackageKind::Qfp, unit) {}

std::vector<CFootprintGenerator::Field> CQFP::Fields() {
    return {{kPinsH, &m_pinsH, nullptr, kMaxPinsPerSide},
            {kPinsV, &m_pinsV, nullptr, kMaxPinsPerSide},
            {kPitch, nullptr, &m_pitch, 0},
            {kPadWidth, nullptr, &m_padWidth, 0},
            {kPadLength, nullptr, &m_padLength, 0},
            {kOffsetX, nullptr, &m_offsetX, 0},
            {kOffsetY, nullptr, &m_offsetY, 0}};
}

void CQFP::UpdateOffsets() {
    const double e = FootprintParts::D(m_pitch), l = FootprintParts::D(m_padLength);
    m_offsetX = FootprintParts::F((m_pinsH + 1.0) * e / 2 + l / 2);
    m_offsetY = FootprintParts::F((m_pinsV + 1.0) * e / 2 + l / 2);
    ShowField(kOffsetX);
    ShowField(kOffsetY);
}

bool CQFP::CheckPadWidth() {
    if (m_padWidth < m_pitch)
        return true;
    ShowCheckMessage(288);
    return false;
}

void CQFP::FieldLeft(int id) {
    switch (id) {
    case kPinsH:
    case kPinsV:
        if (ReadField(kPinsH) && ReadField(kPinsV))
            UpdateOffsets();
        break;
    case kPitch:
        if (!ReadField(kPitch))
            break;
        CheckPadWidth();
        UpdateOffsets();
        break;
    case kPadWidth:
        if (ReadField(kPadWidth))
            CheckPadWidth();
        break;
    case kPadLength:
        // The offsets stay as they are: the user may have set them.
        ReadField(kPadLength);
        break;
    case kOffsetX:
    case kOffsetY:
        if (ReadField(kOffsetX))
            ReadField(kOffsetY);
        break;
    default:
        break;
    }
}

bool CQFP::ChecksPass() {
    if (CheckPadWidth())
        return true;
    GotoDlgCtrl(kPadWidth);
    return false;
}

std::unique_ptr<CFootprint> CQFP::Build() const {
    QfpDimensions d;
    d.pinsH = m_pinsH;
    d.pinsV = m_pinsV;
    d.pitch = m_pitch;
    d.padWidth = m_padWidth;
    d.padLength = m_padLength;
    d.offsetX = m_offsetX;
    d.offsetY = m_offsetY;
    return BuildQfpFootprint(d, m_unit);
}

std::unique_ptr<CFootprint> BuildQfpFootprint(const QfpDimensions& d, int unit) {
    using namespace FootprintParts;
    const double e = D(d.pitch), w = D(d.padWidth), l = D(d.padLength), cx = D(d.offsetX),
                 cy = D(d.offsetY);
    const uint32_t nh = d.pinsH, nv = d.pinsV;
    const double hx = (nh - 1.0) * e / 2, hy = (nv - 1.0) * e / 2;
    auto footprint = std::make_unique<CFootprint>(kPlaceTop);
    footprint->m_unit = static_cast<uint32_t>(unit);
    footprint->m_gridX = F(RowGrid(nh, e));
    footprint->m_gridY = F(RowGrid(nv, e));
    CPadstack* across = AddPadstack(footprint.get()); // the horizontal rows
    AddPadLayer(across, kPadLayerTop, kPadShapeOblong, w, l);
    CPadstack* along = AddPadstack(footprint.get()); // the vertical rows
    AddPadLayer(along, kPadLayerTop, kPadShapeOblong, l, w);
    CMarking* silkscreen = AddMarking(footprint.get(), 22);
    // Counter-clockwise from pin 1: bottom row rising in x, right column
    // rising in y, top row falling in x, left column falling in y.
    const double tickX = l / 2 + cx + w, tickY = l / 2 + cy + w;
    const uint32_t count = 2 * (nh + nv);
    for (uint32_t k = 1; k <= count; ++k) {
        double x = 0, y = 0;
        CPadstack* padstack = across;
        if (k <= nh) {
            x = (k - 1) * e - hx;
            y = -cy;
        } else if (k <= nh + nv) {
            padstack = along;
            x = cx;
            y = (k - 1 - nh) * e - hy;
        } else if (k <= 2 * nh + nv) {
            x = hx - (k - 1 - nh - nv) * e;
            y = cy;
        } else {
            padstack = along;
            x = -cx;
            y = hy - (k - 1 - 2 * nh - nv) * e;
        }
        AddPad(padstack, std::to_wstring(k), x, y);
        if (k % 10 != 0)
            continue;
        if (k <= nh)
            AddLine(silkscreen, x, -tickY, x, -tickY - 1);
        else if (k <= nh + nv)
            AddLine(silkscreen, tickX, y, tickX + 1, y);
        else if (k <= 2 * nh + nv)
            AddLine(silkscreen, x, tickY, x, tickY + 1);
        else
            AddLine(silkscreen, -tickX, y, -tickX - 1, y);
    }
    AddDot(silkscreen, -(cx + 1), -(cy + 1), -cx, -cy);
    // Corner marks at the three corners away from pin 1.
    AddPolyline(silkscreen, {{hx + e, -cy}, {cx, -cy}, {cx, -(hy + e)}});
    AddPolyline(silkscreen, {{cx, hy + e}, {cx, cy}, {hx + e, cy}});
    AddPolyline(silkscreen, {{-(hx + e), cy}, {-cx, cy}, {-cx, hy + e}});
    CMarking* outline = AddMarking(footprint.get(), 30);
    AddRect(outline, -(l / 2 + cx + 0.5), -(l / 2 + cy + 0.5), l / 2 + cx + 0.5, l / 2 + cy + 0.5);
    return footprint;
}
