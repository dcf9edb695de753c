// The drawing primitives of a marking (line, rectangle, polygon, circle, arc,
// Bezier, text): float geometry in millimetres owned by a CMarking. Each kind
// knows its token of the marking text, draws itself, answers hit tests and
// bounds, reacts to the pointer while it is drawn or edited, mirrors and
// turns by key, and shows and applies its property rows.
#pragma once

#include "core/property.h"
#include "platform/graphics_types.h"
#include "platform/types.h"

#include <string>
#include <utility>
#include <vector>

class CMarking;
class CPropertyEdit;
class CPropertyGrid;
class Graphics;
class Pen;

enum MarkingPrimitiveKind : int {
    MARKING_LINE = 1,
    MARKING_RECT = 2,
    MARKING_POLYGON = 3,
    MARKING_CIRCLE = 4,
    MARKING_ARC = 5,
    MARKING_BEZIER = 6,
    MARKING_TEXT = 7,
};

// Interaction states of a primitive: 0 idle (also a new primitive waiting
// for its first click), 1 to 4 the creation steps of its kind, -1 editing
// (the marking sets it before it forwards a press), -2 floating (a copy that
// follows the pointer until the view places it).
enum MarkingEditState : int {
    kMarkingIdle = 0,
    kMarkingEditing = -1,
    kMarkingFloating = -2,
};

// Bits of the mouse and draw flags words the primitives read.
constexpr int kMouseLeftButton = 0x1;
constexpr int kMouseShift = 0x4; // held Shift: rectangles and circles are squared
constexpr int kMouseCtrl = 0x8;
constexpr int kMouseKeepSelection = 0x400000;
constexpr int kDrawPadstackEditor = 0x20000;
constexpr int kDrawFootprintEditor = 0x40000;

class CMarkingPrimitive : public CProperty {
public:
    // Line width 0.2, or 0 on the package-outline layers (30, 31).
    explicit CMarkingPrimitive(CMarking* marking);
    CMarkingPrimitive(const CMarkingPrimitive&) = default;
    CMarkingPrimitive& operator=(const CMarkingPrimitive&) = delete;
    ~CMarkingPrimitive() override = default;

    // Fills the panel only while it shows this primitive (a refresh for
    // another object must not put this primitive's rows under it).
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    // Every field copied, the owner pointer and the interaction state too.
    virtual CMarkingPrimitive* Clone() const = 0;
    virtual int GetKind() const = 0;
    // The content of another primitive of the same kind (geometry, flags,
    // width); never the selection or the interaction state.
    virtual void CopyFrom(const CMarkingPrimitive* other) = 0;
    // The primitive's token of the marking text.
    virtual std::wstring ToString() const = 0;

    // 'H' mirrors x, 'V' mirrors y, 'R' turns a quarter (the other way with
    // shift) about m_anchor; the rows are shown again after any key.
    virtual void TransformByKey(wchar_t key, bool shift);
    virtual void Move(float dx, float dy);

    virtual void Draw(Graphics* g, int flags);
    // A box containing the drawn primitive with its pen; false (nothing
    // written) when the kind has none.
    virtual bool GetBounds(Graphics* g, RectF* bounds);
    virtual bool HitTest(Graphics* g, float x, float y);
    // Index of the vertex (VertexAt) the point grabs, -1 for none.
    virtual int HitTestVertex(Graphics* g, float x, float y);

    // True when the press completed the primitive's creation.
    virtual bool MouseDown(Graphics* g, int flags, float x, float y);
    // True only when a Bezier's creation completes.
    virtual bool MouseUp(Graphics* g, int flags, float x, float y);
    // True when an edit or move changed the primitive (the marking then shows
    // it in the panel again). The point is already snapped to the grid.
    virtual bool MouseMove(Graphics* g, int flags, float x, float y);
    // Repaints the active view's window.
    virtual void Invalidate(Graphics* g);

    // The editable points in hit-test order (handles, drags, transforms).
    virtual int VertexCount() const { return 0; }
    virtual PointF* VertexAt(int index) {
        (void)index;
        return nullptr;
    }
    const PointF* VertexAt(int index) const {
        return const_cast<CMarkingPrimitive*>(this)->VertexAt(index);
    }

    // The layer of the owning marking (-1 without one).
    int GetLayer() const;
    // The LengthUnit of the footprint or padstack holding the marking (mm
    // when there is none).
    int GetHolderUnit() const;
    // The placement side of the holder: 1 for a footprint placed on the
    // bottom, else 0 (a padstack counts as top).
    int GetHolderSide() const;

    CMarking* m_pMarking;
    float m_width;
    bool m_filled = false;
    bool m_closed = true;
    // Index of the vertex being dragged (VertexAt), -1 when none. An index
    // (not a pointer into the geometry) stays valid in clones and when a
    // polygon's vertex vector grows.
    int m_grabbed = -1;
    // Last pointer position of an interaction; the pivot of key transforms.
    PointF m_anchor;
    bool m_selected = false;
    // The current drag has recorded its undo item.
    int m_dragged = 0;
    int m_state = kMarkingIdle;

protected:
    // What a property row stands for, recorded when the rows are filled so
    // that an edited row is applied by what it shows, whatever rows the
    // layer or the filled flag left out.
    enum class RowField {
        P1,
        P2,
        C1,
        C2,
        Start,
        End,
        Vertex,
        Filled,
        Closed,
        Width,
        Text,
        FontName,
        Position,
        FontSize,
        Rotation,
    };
    struct Row {
        RowField field;
        int vertex = 0;
    };
    // The title string id and the rows of the kind.
    virtual unsigned PropertyTitle() const { return 0; }
    virtual std::vector<Row> PropertyRows() const { return {}; }
    // The unit the points and widths are shown in.
    virtual int PropertyUnit() const { return GetHolderUnit(); }
    // The stored point a point row stands for (null for other rows).
    virtual PointF* PointOfRow(const Row& row);
    // Rows that are neither points nor the shared flags and width (the
    // text's value, font name, size and rotation).
    virtual void AddTextRow(CPropertyGrid& grid, const Row& row) {
        (void)grid;
        (void)row;
    }
    virtual void ApplyTextRow(const Row& row, CPropertyGrid& grid, const CPropertyEdit& edit);

    // Creation steps of the kind, called in states 0 to 4.
    virtual bool CreationDown(int flags, PointF p) {
        (void)flags;
        (void)p;
        return false;
    }
    virtual bool CreationMove(int flags, PointF p) {
        (void)flags;
        (void)p;
        return false;
    }
    virtual bool CreationUp(int flags, PointF p);
    // Distance below which a move changes nothing.
    virtual float MoveThreshold() const { return 0.0001f; }
    // Presses of these kinds set the anchor before anything else.
    virtual bool AnchorsOnPress() const { return false; }
    // Arc and Bezier: a release outside the creation steps must miss the
    // vertices too before it deselects; they also release only while editing.
    virtual bool ReleaseOnlyWhileEditing() const { return false; }

    // Colour of the primitive: the selection colour or the layer colour.
    Color DrawColor() const;
    // Outline pen: the colour, m_width, round caps.
    Pen OutlinePen() const;
    // Vertex squares for a selected primitive in the footprint or padstack
    // editor.
    void DrawHandles(Graphics* g, int flags) const;
    bool HandlesShown(int flags) const;
    // The editing press, drag and release shared by every kind.
    bool EditingDown(Graphics* g, int flags, PointF p);
    // The creation steps end: idle, deselected, repainted.
    bool Finish();
    // Shows the rows again when the panel shows this primitive.
    void RefreshRows();
    // Segment test with the tolerance max(width / 2, 2.5 / zoom).
    bool SegmentHit(PointF a, PointF b, float x, float y) const;

    std::vector<Row> m_rows; // rows of the last fill
};

// Zoom scale of the active view (1 without one).
double ActiveZoomScale();
// 'H', 'V', 'R' applied to one point about a pivot.
void TransformPointByKey(PointF* p, PointF pivot, wchar_t key, bool shift);

// The primitive of one token of a marking text, owned by marking; null for a
// piece that begins with no known tag (tags tried in the order L, RC, POLY,
// CIRC, ARC, CRV, TXT).
CMarkingPrimitive* ParseMarkingToken(CMarking* marking, const std::wstring& token);
// The whole element text: the pieces between single spaces, each turned into
// a primitive; unknown and empty pieces skipped.
std::vector<CMarkingPrimitive*> ParseMarkingText(CMarking* marking, const std::wstring& text);
// The element text of the primitives: their tokens, separated by one space.
std::wstring WriteMarkingText(const std::vector<CMarkingPrimitive*>& primitives);

// Copy support of the footprint and padstack views: appends a clone that
// floats (state -2) until it is placed; deletes every primitive and empties
// the vector.
void CloneMarkingPrimitiveInto(std::vector<CMarkingPrimitive*>& out,
                               const CMarkingPrimitive* primitive);
void DeleteMarkingPrimitives(std::vector<CMarkingPrimitive*>& primitives);

// Turns one token of a marking text into a primitive of that marking; null
// for a token with no known keyword. The marking reads its text through it;
// ParseMarkingToken is installed from the start, tests may put another.
using MarkingTokenParser = CMarkingPrimitive* (*)(CMarking* marking, const std::wstring& token);
void SetMarkingTokenParser(MarkingTokenParser parser);
MarkingTokenParser GetMarkingTokenParser();
