// The base of the drawing primitives of a marking (line, rectangle, polygon,
// circle, arc, Bezier, text). The kinds themselves, their marking text,
// drawing and editing come with the marking geometry; the undo records and
// the padstack transforms need only this face.
#pragma once

#include "core/property.h"
#include "platform/types.h"

#include <string>

class CMarking;

enum MarkingPrimitiveKind : int {
    MARKING_LINE = 1,
    MARKING_RECT = 2,
    MARKING_POLYGON = 3,
    MARKING_CIRCLE = 4,
    MARKING_ARC = 5,
    MARKING_BEZIER = 6,
    MARKING_TEXT = 7,
};

class CMarkingPrimitive : public CProperty {
public:
    // Line width 0.2, or 0 on the package-outline layers (30, 31).
    explicit CMarkingPrimitive(CMarking* marking);
    CMarkingPrimitive(const CMarkingPrimitive&) = default;
    CMarkingPrimitive& operator=(const CMarkingPrimitive&) = delete;
    ~CMarkingPrimitive() override = default;

    virtual CMarkingPrimitive* Clone() const = 0;
    virtual int GetKind() const = 0;
    // Copies the content of another primitive of the same kind.
    virtual void CopyFrom(const CMarkingPrimitive* other) = 0;
    // The primitive's token of the marking text.
    virtual std::wstring ToString() const = 0;
    // 'H', 'V' mirror, 'R' a quarter turn (the other way with shift) about
    // the transform reference point.
    virtual void TransformByKey(wchar_t key, bool shift) = 0;
    virtual void Move(float dx, float dy) = 0;

    CMarking* m_pMarking;
    float m_width;
    bool m_filled = false;
    bool m_closed = true;
    bool m_selected = false;
    int m_state = 0;    // drawing state while being placed or dragged
    int m_grabbed = -1; // grabbed vertex, -1 for none
    PointF m_reference; // transform reference point
};

// Turns one token of a marking text into a primitive of that marking; null
// for a token with no known keyword. Installed by the marking geometry code;
// without a parser a marking keeps its text as it was read.
using MarkingTokenParser = CMarkingPrimitive* (*)(CMarking* marking, const std::wstring& token);
void SetMarkingTokenParser(MarkingTokenParser parser);
MarkingTokenParser GetMarkingTokenParser();
