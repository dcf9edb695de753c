// A text of a sheet, a package or a board: the shown string is the element
// text; it is placed on a sheet (grid steps, tenths for a package's text)
// and on the board (mm, on a board layer).
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
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    // -1 for a free board text on a bottom-side layer (or on none), else 1.
    float GetMirrorSign() const;

    bool m_visible = true;      // "Visible": shown on the sheet
    bool m_boardVisible = true; // "BrdVisible"
    std::wstring m_name;        // the role, e.g. "RefDes"
    std::wstring m_font = L"Tahoma";
    float m_fontSize = 1.5f;
    float m_rotation = 0;
    int m_layer = -1; // BoardLayer, -1 = none
};
