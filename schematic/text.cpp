#include "schematic/text.h"

#include "core/board_layer.h"
#include "core/node_type.h"

CText::CText() : CSheetObject(NodeType::Text, L"") {}

CText::CText(const wchar_t* text) : CSheetObject(NodeType::Text, text) {}

CText::~CText() = default;

CTreeNode* CText::Clone() const {
    return new CText(*this);
}

const wchar_t* CText::GetTagName() const {
    return L"Text";
}

void CText::ReadAttributes() {
    std::wstring code;
    GetAttributeString(L"Layer", code, L"");
    m_layer = LayerFromCode(code);
    GetAttributeBool(L"BrdVisible", m_boardVisible, true);
    GetAttributeString(L"Name", m_name, L"");
    GetAttributePointF(L"Pos", m_boardPosition.X, m_boardPosition.Y, 0, 0);
}

void CText::WriteAttributes() {
    SetAttributeText(L"Layer", LayerToCode(m_layer), L"");
    SetAttributeBool(L"BrdVisible", m_boardVisible ? 1 : 0, 1);
}
