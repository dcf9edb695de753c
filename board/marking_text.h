// The text marking primitive: a line of glyph outlines at a position, turned
// by its rotation, in a font family and em size in millimetres; drawn
// mirrored when it lies on the far side of its footprint.
#pragma once

#include "board/marking_primitive.h"

#include <string>

class Matrix;

class CMarkingText : public CMarkingPrimitive {
public:
    explicit CMarkingText(CMarking* marking) : CMarkingPrimitive(marking) {}
    // rest: the token behind its tag "TXT".
    CMarkingText(CMarking* marking, const wchar_t* rest);

    CMarkingPrimitive* Clone() const override { return new CMarkingText(*this); }
    int GetKind() const override { return MARKING_TEXT; }
    void CopyFrom(const CMarkingPrimitive* other) override;
    // The classic form "TXTx,y,rotation,size:text¶font" (spaces written as
    // underscores) whenever it reads back to the same text and font; else
    // the escaped form "TXTX..." (below), which keeps underscores, blanks,
    // tabs, line breaks, the separator and texts of any length.
    std::wstring ToString() const override;
    // 'H' and 'V' move the position only; 'R' also turns the text.
    void TransformByKey(wchar_t key, bool shift) override;
    void Move(float dx, float dy) override;
    void Draw(Graphics* g, int flags) override;
    // The measured box in the text's own frame, mapped as the drawing maps it;
    // measured with the em size in world units, as drawn, whatever the DPI.
    bool GetBounds(Graphics* g, RectF* bounds) override;
    bool HitTest(Graphics* g, float x, float y) override;
    int HitTestVertex(Graphics*, float, float) override { return -1; }

    // Text on the far side of its holder reads mirrored.
    bool IsMirrored() const;
    // Maps the text's own frame to the model: moved to m_pos, turned by
    // m_rotation, flipped upright, mirrored when the text is.
    void TextToModel(Matrix* m) const;
    // The laid-out box of m_text in the text's own frame.
    RectF MeasureLocal(Graphics* g) const;

    std::wstring m_text;
    PointF m_pos;
    std::wstring m_fontName = L"Tahoma";
    float m_fontSize = 1.5f;
    float m_rotation = 0.0f; // degrees

protected:
    unsigned PropertyTitle() const override { return 149; }
    std::vector<Row> PropertyRows() const override;
    PointF* PointOfRow(const Row& row) override;
    void AddTextRow(CPropertyGrid& grid, const Row& row) override;
    void ApplyTextRow(const Row& row, CPropertyGrid& grid, const CPropertyEdit& edit) override;
};

// The escape form of the marking text: '%', the separator U+00B6, blanks,
// control characters and characters a file cannot hold become %XX or
// %UXXXXXXXX (hexadecimal); every other character stands for itself.
std::wstring EscapeMarkingText(const std::wstring& text);
std::wstring UnescapeMarkingText(const std::wstring& text);
