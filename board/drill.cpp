#include "board/drill.h"

#include "board/area_node.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "core/vorpel_view.h"
#include "platform/graphics_path.h"

#include <algorithm>
#include <cmath>

using namespace std::literals;

namespace {

bool HasDiameter(const CDrill& d) {
    return d.m_drillType == kDrillRound || d.m_drillType == kDrillCustom;
}
bool IsSlot(const CDrill& d) {
    return d.m_drillType == kDrillSlot;
}
void MakeCustom(CDrill& d) {
    d.m_drillType = kDrillCustom;
}
void MakeSlot(CDrill& d) {
    d.m_drillType = kDrillSlot;
}

constexpr NodeAttributes<CDrill, 4> kAttributes{{
    Attr::Enum<&CDrill::m_drillType, kDrillTypeRows, 4>(L"Type", kDrillRound),
    Attr::When(Attr::Float<&CDrill::m_diam>(L"Diam", 0.7f), HasDiameter, MakeCustom),
    Attr::When(Attr::FloatPair<&CDrill::m_slotWidth, &CDrill::m_slotHeight>(L"Slot"), IsSlot,
               MakeSlot),
    Attr::Bool<&CDrill::m_nonPlated>(L"NonPlated", false),
}};
const RegisterNodeAttributes kRegistered(L"Drill", kAttributes);

} // namespace

CDrill::CDrill(int type) : CTreeNode(NodeType::Drill), m_drillType(type) {
    if (type == kDrillCustom) {
        const float pts[4][2] = {{-2, -1}, {2, -1}, {2, 1}, {-2, 1}};
        for (const auto& p : pts)
            AppendAreaNode(m_outline, new CAreaSegment(&g_pActiveView, p[0], p[1]));
    }
}

CDrill::CDrill(const CDrill& other)
    : CTreeNode(other), m_drillType(other.m_drillType), m_diam(other.m_diam),
      m_slotWidth(other.m_slotWidth), m_slotHeight(other.m_slotHeight),
      m_nonPlated(other.m_nonPlated), m_outline(CloneAreaOutline(other.m_outline)) {}

CDrill::~CDrill() {
    DeleteAreaOutline(m_outline);
}

void CDrill::ClearOwnSelection() {
    CTreeNode::ClearOwnSelection();
    DeselectAreaOutline(m_outline);
}

CTreeNode* CDrill::Clone() const {
    return new CDrill(*this);
}

const wchar_t* CDrill::GetTagName() const {
    return L"Drill";
}

void CDrill::ReadAttributes() {
    kAttributes.Read(*this);
    // In place, and kept for another type: see CPadLayer::ReadAttributes.
    if (m_drillType == kDrillCustom)
        ReadAreaOutlineInPlace(m_outline, m_text, &g_pActiveView);
}

void CDrill::WriteAttributes() {
    kAttributes.Write(*this);
    if (m_drillType == kDrillCustom)
        m_text = AreaOutlineToString(m_outline);
}

float CDrill::GetDiameter() const {
    return m_drillType == kDrillSlot ? std::min(m_slotWidth, m_slotHeight) : m_diam;
}

bool CDrill::IsEqual(const CDrill* other) const {
    if (m_drillType != other->m_drillType)
        return false;
    switch (m_drillType) {
    case kDrillRound:
        return std::fabs(m_diam - other->m_diam) < 0.001f;
    case kDrillSlot:
        return std::fabs(m_slotWidth - other->m_slotWidth) < 0.001f &&
               std::fabs(m_slotHeight - other->m_slotHeight) < 0.001f;
    case kDrillCustom:
        return !AreAreaOutlinesDifferent(m_outline, other->m_outline);
    case kDrillNone:
        return true; // no hole is the same as no hole
    default:
        return false;
    }
}

void CDrill::Rotate90(bool shift) {
    if (m_drillType == kDrillSlot)
        std::swap(m_slotWidth, m_slotHeight);
    const float x = m_boardPosition.X, y = m_boardPosition.Y;
    m_boardPosition = shift ? PointF{-y, x} : PointF{y, -x};
    RotateAreaOutline90(m_outline, shift);
}

void CDrill::MirrorHorizontally() {
    m_boardPosition.X = -m_boardPosition.X;
    MirrorAreaOutlineHorizontally(m_outline);
}

void CDrill::MirrorVertically() {
    m_boardPosition.Y = -m_boardPosition.Y;
    MirrorAreaOutlineVertically(m_outline);
}

void CDrill::BuildPath(GraphicsPath* path) const {
    const float x = m_boardPosition.X, y = m_boardPosition.Y;
    switch (m_drillType) {
    case kDrillRound:
        path->AddEllipse(x - m_diam / 2, y - m_diam / 2, m_diam, m_diam);
        break;
    case kDrillSlot: {
        const float sx = m_slotWidth, sy = m_slotHeight;
        path->StartFigure();
        if (sy > sx) {
            const float k = (sy - sx) / 2;
            path->AddArc(x - sx / 2, y - k - sx / 2, sx, sx, 180, 180);
            path->AddLine(x + sx / 2, y - k, x + sx / 2, y + k);
            path->AddArc(x - sx / 2, y + k - sx / 2, sx, sx, 0, 180);
            path->AddLine(x - sx / 2, y + k, x - sx / 2, y - k);
        } else {
            const float k = (sx - sy) / 2;
            path->AddArc(x - k - sy / 2, y - sy / 2, sy, sy, 90, 180);
            path->AddLine(x - k, y - sy / 2, x + k, y - sy / 2);
            path->AddArc(x + k - sy / 2, y - sy / 2, sy, sy, 270, 180);
            path->AddLine(x + k, y + sy / 2, x - k, y + sy / 2);
        }
        path->CloseFigure();
        break;
    }
    case kDrillCustom: {
        if (!m_outline)
            break;
        CAreaNode* grown = OffsetAreaOutline(m_outline, m_diam / 2);
        GraphicsPath figure;
        grown->FillOutlinePath(&figure);
        path->AddPath(&figure, false);
        DeleteAreaOutline(grown);
        break;
    }
    default:
        break;
    }
}
