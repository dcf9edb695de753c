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

    // A package's text as shown at one of its parts: the string (with the
    // part number for a RefDes) and its rectangle (logical units).
    std::wstring GetDisplayString(const class CPart* part) const;
    RECT GetDisplayRect(DeviceContext* dc, const class CPart* part) const;
    // Board side (millimetres, the text's own frame).
    void DrawOnBoard(Graphics* g, uint32_t flags) override;
    bool GetBoundsOnBoard(Graphics* g, RectF& r) override;
    CTreeNode* HitTestOnBoard(Graphics* g, float x, float y) override;
    void InvalidateOnBoard(Graphics* g) override;
    void MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    void MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int DragOnBoard(Graphics* g, uint32_t flags, float x, float y) override;

    // Held by a package (not by the design's Board node).
    class CPackage* GetHoldingPackage() const;

    void DrawOnSheet(DeviceContext* dc, uint32_t flags) override;
    RECT GetBoundsOnSheet(DeviceContext* dc) override;
    CTreeNode* HitTestOnSheet(DeviceContext* dc, int x, int y) override;
    void InvalidateOnSheet(DeviceContext* dc) override;
    CTreeNode* MouseDownOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int MouseUpOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    void RightClickOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int DragOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int DeleteOnSheet(DeviceContext* dc, uint32_t flags) override;

    bool m_visible = true;      // "Visible": shown on the sheet
    bool m_boardVisible = true; // "BrdVisible"
    std::wstring m_name;        // the role, e.g. "RefDes"
    std::wstring m_font = L"Tahoma";
    float m_fontSize = 1.5f;
    float m_rotation = 0;
    int m_layer = -1; // BoardLayer, -1 = none
};
