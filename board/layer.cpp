#include "board/layer.h"

#include "core/board_layer.h"
#include "core/node_type.h"

using namespace std::literals;

CLayer::CLayer(int id) : CTreeNode(NodeType::Layer), m_id(id) {
    if (id >= 0)
        m_text = LayerToCode(id);
}

CLayer::~CLayer() = default;

CTreeNode* CLayer::Clone() const {
    return new CLayer(*this);
}

const wchar_t* CLayer::GetTagName() const {
    return L"Layer";
}

void CLayer::ReadAttributes() {
    m_id = LayerFromCode(m_text);
    GetAttributeEnum(L"Type"sv, m_layerType, kLayerTypeRouting, kLayerTypeRows, 5);
    if (m_layerType == kLayerTypePlane)
        GetAttributeString(L"Net"sv, m_net, L"");
    GetAttributeBool(L"NoThermal"sv, m_noThermal, false);
}

void CLayer::WriteAttributes() {
    m_text = LayerToCode(m_id);
    SetAttributeEnum(L"Type"sv, m_layerType, kLayerTypeRouting, kLayerTypeRows, 5);
    if (m_layerType == kLayerTypePlane)
        SetAttributeString(L"Net"sv, m_net, L"");
    SetAttributeBool(L"NoThermal"sv, m_noThermal ? 1 : 0, 0);
}
