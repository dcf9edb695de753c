#include "board/area.h"

#include "board/area_node.h"
#include "core/board_layer.h"
#include "core/node_type.h"
#include "core/vorpel_view.h"

using namespace std::literals;

CArea::CArea() : CTreeNode(NodeType::Area) {}

CArea::CArea(const CArea& other)
    : CTreeNode(other), m_layer(other.m_layer), m_outline(CloneAreaOutline(other.m_outline)),
      m_net(other.m_net), m_noThermal(other.m_noThermal), m_drawSketch(other.m_drawSketch) {}

CArea::~CArea() {
    DeleteAreaOutline(m_outline);
}

CTreeNode* CArea::Clone() const {
    return new CArea(*this);
}

const wchar_t* CArea::GetTagName() const {
    return L"Area";
}

void CArea::ReadAttributes() {
    std::wstring code;
    GetAttributeString(L"Layer"sv, code, L"");
    m_layer = LayerFromCode(code);
    GetAttributeString(L"Net"sv, m_net, L"");
    GetAttributeBool(L"NoThermal"sv, m_noThermal, false);
    if (!m_outline)
        m_outline = ParseAreaOutline(m_text, &g_pActiveView);
}

void CArea::WriteAttributes() {
    SetAttributeText(L"Layer"sv, LayerToCode(m_layer), L"");
    SetAttributeString(L"Net"sv, m_net, L"");
    SetAttributeBool(L"NoThermal"sv, m_noThermal ? 1 : 0, 0);
    m_text = AreaOutlineToString(m_outline);
}
