// A document root: the top node of a project, symbol library or footprint
// library, carrying the root element name and the document's file path.
#pragma once

#include "core/tree_node.h"

#include <string>

class CRoot : public CTreeNode {
public:
    CRoot() = default;
    CRoot(const CRoot& other) = default;
    ~CRoot() override;

    CTreeNode* Clone() const override;
    // The root element name: "Project", "SymbolLib" or "FootprintLib".
    const wchar_t* GetTagName() const override;

    const std::wstring& GetRootTag() const { return m_rootTag; }
    void SetRootTag(const std::wstring& tag) { m_rootTag = tag; }
    const std::wstring& GetFilePath() const { return m_filePath; }
    void SetFilePath(const std::wstring& path) { m_filePath = path; }

private:
    std::wstring m_rootTag;
    std::wstring m_filePath;
};
