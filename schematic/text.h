// A text of a sheet, a package or a board. The board side reads and changes
// its board layer and its board visibility; the schematic side completes the
// rest of its attributes and its drawing.
#pragma once

#include "schematic/sheet_object.h"

#include <string>

class CText : public CSheetObject {
public:
    CText();
    explicit CText(const wchar_t* text);
    CText(const CText& other) = default;
    ~CText() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    int GetLayer() const override { return m_layer; }
    void SetLayer(int layer) override { m_layer = layer; }

    bool m_boardVisible = true;
    std::wstring m_name;
    int m_layer = -1; // BoardLayer, -1 = none
};
