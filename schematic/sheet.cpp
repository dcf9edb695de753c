#include "schematic/sheet.h"

#include "core/node_type.h"
#include "schematic/sheet_object.h"

CSheet::CSheet() : CTreeNode(NodeType::Sheet) {}

CSheet::CSheet(const CSheet& other) : CTreeNode(other), m_objects(other.m_objects) {}

CSheet::~CSheet() = default;

CTreeNode* CSheet::Clone() const {
    return new CSheet(*this);
}

const wchar_t* CSheet::GetTagName() const {
    return L"Sheet";
}

void CSheet::AddObject(CSheetObject* object) {
    m_objects.insert(object);
    object->m_pSheet = this;
}

void CSheet::RemoveObject(CSheetObject* object) {
    m_objects.erase(object);
    object->m_pSheet = nullptr;
}

bool CSheet::HasObject(CSheetObject* object) const {
    return m_objects.count(object) != 0;
}
