#include "board/layer.h"

#include "board/board_types.h"
#include "core/board_layer.h"
#include "core/node_attributes.h"
#include "core/node_type.h"

#include <vector>

using namespace std::literals;

namespace {

bool IsPlane(const CLayer& layer) {
    return layer.m_layerType == kLayerTypePlane;
}
void MakePlane(CLayer& layer) {
    layer.m_layerType = kLayerTypePlane;
}

// Only a plane has a net; a layer made a routing one keeps the net's text in
// its element.
constexpr NodeAttributes<CLayer, 3> kAttributes{{
    Attr::Enum<&CLayer::m_layerType, kLayerTypeRows, 5>(L"Type", kLayerTypeRouting),
    Attr::Only(Attr::Text<&CLayer::m_net>(L"Net"), IsPlane, MakePlane),
    Attr::Bool<&CLayer::m_noThermal>(L"NoThermal", false),
}};
const RegisterNodeAttributes kRegistered(L"Layer", kAttributes);

} // namespace

CLayer::CLayer(int id) : CTreeNode(NodeType::Layer), m_id(id) {
    if (id >= 0)
        m_text = LayerToCode(id);
}

CLayer::~CLayer() = default;

std::wstring CLayer::ReferenceKey() const {
    return LayerToCode(m_id);
}

void CLayer::ForEachReferrer(const std::function<void(const CTreeNode*)>& visit) const {
    const CTreeNode* board = GetParent();
    if (!board || m_id < 0)
        return;
    std::vector<const CTreeNode*> stack(board->GetChildren().begin(), board->GetChildren().end());
    while (!stack.empty()) {
        const CTreeNode* node = stack.back();
        stack.pop_back();
        if (node->GetType() != NodeType::Layer && node->GetLayer() == m_id)
            visit(node);
        stack.insert(stack.end(), node->GetChildren().begin(), node->GetChildren().end());
    }
}

bool LiesOnStackupLayer(const CTreeNode* node) {
    const int type = node->GetType();
    return type == NodeType::Conductor || type == NodeType::Area || type == NodeType::Text;
}

CTreeNode* CLayer::Clone() const {
    return new CLayer(*this);
}

const wchar_t* CLayer::GetTagName() const {
    return L"Layer";
}

void CLayer::ReadAttributes() {
    m_id = LayerFromCode(m_text);
    kAttributes.Read(*this);
}

void CLayer::WriteAttributes() {
    m_text = LayerToCode(m_id);
    kAttributes.Write(*this);
}
