#include "board/pad_layer.h"

#include "board/area_node.h"
#include "board/board.h"
#include "board/board_properties.h"
#include "board/thermal_relief.h"
#include "core/model_services.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"

#include <cmath>

using namespace std::literals;

namespace {

constexpr NodeAttributes<CPadLayer, 3> kAttributes{{
    Attr::Enum<&CPadLayer::m_layer, kPadLayerRows, 14>(L"Layer", kPadLayerTop),
    Attr::Enum<&CPadLayer::m_shape, kPadShapeRows, 5>(L"Shape", kPadShapeRound),
    Attr::FloatPair<&CPadLayer::m_width, &CPadLayer::m_height>(L"Size"),
}};
const RegisterNodeAttributes kRegistered(L"PadLayer", kAttributes);

} // namespace

CPadLayer::CPadLayer(int layer) : CTreeNode(NodeType::PadLayer), m_layer(layer) {}

CPadLayer::CPadLayer(const CPadLayer& other)
    : CTreeNode(other), m_layer(other.m_layer), m_pDrawnLayer(other.m_pDrawnLayer),
      m_shape(other.m_shape), m_width(other.m_width), m_height(other.m_height),
      m_outline(CloneAreaOutline(other.m_outline)) {}

CPadLayer::~CPadLayer() {
    DeleteAreaOutline(m_outline);
}

void CPadLayer::ClearOwnSelection() {
    CTreeNode::ClearOwnSelection();
    DeselectAreaOutline(m_outline);
}

CTreeNode* CPadLayer::Clone() const {
    return new CPadLayer(*this);
}

const wchar_t* CPadLayer::GetTagName() const {
    return L"PadLayer";
}

void CPadLayer::ReadAttributes() {
    kAttributes.Read(*this);
    // A round pad of unequal sizes (or unordered ones, NaN) is an oblong.
    if (m_shape == kPadShapeRound && !(m_width == m_height))
        m_shape = kPadShapeOblong;
    // Undo and redo read attributes again while the property panel and
    // older records hold outline nodes: the outline is updated in place,
    // and one of another shape is kept, as a change of shape keeps it.
    if (m_shape == kPadShapeCustom)
        ReadAreaOutlineInPlace(m_outline, m_text, &g_pActiveView);
}

void CPadLayer::WriteAttributes() {
    kAttributes.Write(*this);
    if (m_shape == kPadShapeCustom)
        m_text = AreaOutlineToString(m_outline);
}

CThermalRelief* CPadLayer::FindThermalRelief() const {
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::ThermalRelief)
            return static_cast<CThermalRelief*>(child);
    return nullptr;
}

CThermalRelief* CPadLayer::GetEffectiveThermalRelief() const {
    if (CThermalRelief* own = FindThermalRelief())
        return own;
    for (CTreeNode* p = GetParent(); p; p = p->GetParent()) {
        if (p->GetType() != NodeType::Board)
            continue;
        CThermalRelief* thermal = nullptr;
        static_cast<CBoard*>(p)->FindBoardProperties(&thermal, nullptr);
        return thermal;
    }
    return nullptr;
}

bool CPadLayer::IsDifferent(const CPadLayer* other) const {
    if (m_layer != other->m_layer || m_shape != other->m_shape || m_width != other->m_width ||
        m_height != other->m_height)
        return true;
    // Only a custom pad is its outline; another shape merely keeps one.
    if (m_shape != kPadShapeCustom)
        return false;
    if ((m_outline == nullptr) != (other->m_outline == nullptr))
        return true;
    return AreAreaOutlinesDifferent(m_outline, other->m_outline);
}

void CPadLayer::Rotate90(bool shift) {
    if (m_shape == kPadShapeOblong || m_shape == kPadShapeRect)
        std::swap(m_width, m_height);
    if (m_shape == kPadShapeCustom)
        RotateAreaOutline90(m_outline, shift);
    // A custom relief outline turns with the pad it surrounds.
    if (CThermalRelief* thermal = FindThermalRelief())
        RotateAreaOutline90(thermal->m_outline, shift);
}

void CPadLayer::MirrorHorizontally() {
    if (m_shape == kPadShapeCustom)
        MirrorAreaOutlineHorizontally(m_outline);
    if (CThermalRelief* thermal = FindThermalRelief())
        MirrorAreaOutlineHorizontally(thermal->m_outline);
}

void CPadLayer::MirrorVertically() {
    if (m_shape == kPadShapeCustom)
        MirrorAreaOutlineVertically(m_outline);
    if (CThermalRelief* thermal = FindThermalRelief())
        MirrorAreaOutlineVertically(thermal->m_outline);
}

void CPadLayer::SetShape(int shape) {
    if (shape == kPadShapeNone) {
        PushUndo(new CUndoDelete(this, nullptr));
        RemoveFromParent();
        return;
    }
    PushUndo(new CUndoChangeNodeAttribute(this, nullptr));
    switch (shape) {
    case kPadShapeRound:
        if (m_width == 0)
            m_width = 1.0f;
        m_height = m_width;
        break;
    case kPadShapeOblong:
    case kPadShapeRect:
        if (m_width == 0 || m_height == 0) {
            m_width = 1.0f;
            m_height = 2.0f;
        }
        break;
    case kPadShapeCustom:
        if (m_shape != kPadShapeCustom) {
            m_width = m_height = 0;
            // An outline kept from an earlier custom shape comes back as it
            // was; a new one is the 2 by 2 square. Never both.
            if (!m_outline) {
                const float pts[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
                for (const auto& p : pts)
                    AppendAreaNode(m_outline, new CAreaSegment(&g_pActiveView, p[0], p[1]));
            }
        }
        break;
    default:
        break;
    }
    m_shape = shape;
}
