#include "board/area.h"

#include "board/area_node.h"
#include "core/board_layer.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "core/vorpel_view.h"

using namespace std::literals;

namespace {

constexpr NodeAttributes<CArea, 3> kAttributes{{
    Attr::Layer<&CArea::m_layer>(L"Layer"),
    Attr::Text<&CArea::m_net>(L"Net"),
    Attr::Bool<&CArea::m_noThermal>(L"NoThermal", false),
}};
const RegisterNodeAttributes kRegistered(L"Area", kAttributes);

} // namespace

CArea::CArea() : CTreeNode(NodeType::Area) {}

CArea::CArea(const CArea& other)
    : CTreeNode(other), m_layer(other.m_layer), m_outline(CloneAreaOutline(other.m_outline)),
      m_net(other.m_net), m_noThermal(other.m_noThermal), m_drawSketch(other.m_drawSketch) {}

CArea::~CArea() {
    DeleteAreaOutline(m_outline);
}

void CArea::ClearOwnSelection() {
    CTreeNode::ClearOwnSelection();
    DeselectAreaOutline(m_outline);
}

CTreeNode* CArea::Clone() const {
    return new CArea(*this);
}

const wchar_t* CArea::GetTagName() const {
    return L"Area";
}

void CArea::ReadAttributes() {
    kAttributes.Read(*this);
    if (!m_outline)
        m_outline = ParseAreaOutline(m_text, &g_pActiveView);
}

void CArea::WriteAttributes() {
    kAttributes.Write(*this);
    m_text = AreaOutlineToString(m_outline);
}
