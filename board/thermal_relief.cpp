#include "board/thermal_relief.h"

#include "board/area_node.h"
#include "board/board_strings.h"
#include "board/pad_layer.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "core/vorpel_view.h"
#include "core/xml_file.h"

using namespace std::literals;

namespace {

constexpr NodeAttributes<CThermalRelief, 2> kAttributes{{
    Attr::Float<&CThermalRelief::m_isolation>(L"Isolation", 0.3f),
    Attr::Float<&CThermalRelief::m_spoke>(L"Spoke", 0.3f),
}};
const RegisterNodeAttributes kRegistered(L"Thermal", kAttributes);

} // namespace

CThermalRelief::CThermalRelief() : CTreeNode(NodeType::ThermalRelief) {}

CThermalRelief::CThermalRelief(const CThermalRelief& other)
    : CTreeNode(other), m_isolation(other.m_isolation), m_spoke(other.m_spoke),
      m_outline(CloneAreaOutline(other.m_outline)) {}

CThermalRelief::~CThermalRelief() {
    DeleteAreaOutline(m_outline);
}

void CThermalRelief::ClearOwnSelection() {
    CTreeNode::ClearOwnSelection();
    DeselectAreaOutline(m_outline);
}

CTreeNode* CThermalRelief::Clone() const {
    return new CThermalRelief(*this);
}

const wchar_t* CThermalRelief::GetTagName() const {
    return L"Thermal";
}

void CThermalRelief::ReadAttributes() {
    kAttributes.Read(*this);
    // The ring clears the copper of other nets around a pad, and the board's
    // ring also around conductors: one of no width would let an area join
    // them. A spoke narrower than nothing is no spoke. Either takes its
    // default, and the user is told.
    auto repair = [this](float& length, float least, bool above, const wchar_t* name) {
        if (above ? length > least : length >= least)
            return;
        length = 0.3f;
        const std::wstring given(FindAttribute(name).value_or(std::wstring_view()).substr(0, 16));
        NoteReadRepair(BoardStrings::ThermalLengthsRepaired,
                       std::wstring(name) + L"=\"" + given + L"\"");
    };
    repair(m_isolation, 0, true, L"Isolation");
    repair(m_spoke, 0, false, L"Spoke");
    // In place: see CPadLayer::ReadAttributes.
    ReadAreaOutlineInPlace(m_outline, m_text, &g_pActiveView);
}

void CThermalRelief::WriteAttributes() {
    kAttributes.Write(*this);
    m_text = AreaOutlineToString(m_outline);
}

void CThermalRelief::BuildOutlineFromPad(bool on) {
    DeleteAreaOutline(m_outline);
    if (!on)
        return;
    CTreeNode* parent = GetParent();
    if (!parent || parent->GetType() != NodeType::PadLayer)
        return;
    const auto* pad = static_cast<const CPadLayer*>(parent);
    const float a = pad->m_width / 2 + m_isolation;
    const float b = pad->m_height / 2 + m_isolation;
    CVorpelView** view = &g_pActiveView;
    auto seg = [&](float x, float y) { AppendAreaNode(m_outline, new CAreaSegment(view, x, y)); };
    auto arc = [&](float x, float y, float d) {
        auto* node = new CAreaArc(view, x, y);
        node->m_deviation = d;
        AppendAreaNode(m_outline, node);
    };
    switch (pad->m_shape) {
    case kPadShapeRound:
        arc(a, 0, a);
        arc(-a, 0, a);
        break;
    case kPadShapeOblong:
        if (a > b) {
            const float s = a - b;
            seg(-s, -b);
            arc(s, -b, b);
            seg(s, b);
            arc(-s, b, b);
        } else {
            const float s = b - a;
            seg(a, -s);
            arc(a, s, a);
            seg(-a, s);
            arc(-a, -s, a);
        }
        break;
    case kPadShapeRect:
        seg(a, -b);
        seg(a, b);
        seg(-a, b);
        seg(-a, -b);
        break;
    case kPadShapeCustom:
        m_outline = OffsetAreaOutline(pad->m_outline, m_isolation);
        break;
    default:
        break;
    }
    UpdateAreaOutlineArcs(m_outline);
}
