// The drawing primitives of a schematic symbol: integer lines, rectangles,
// polygons, ellipses, arcs, Bezier curves and texts held in a part's list.
// Coordinates are tenths of a sheet grid step relative to the part's
// position, y upward. This header holds the abstract primitive with the
// editing behaviour all kinds share (selection, dragging, invalidation), the
// mapping to the sheet-side device context and the mirror/rotation pivot.
#pragma once

#include "core/node_arena.h"
#include "core/property.h"
#include "platform/logical_font.h"
#include "platform/types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CTreeNode;
class CUndoItem;
class CPartPrimitive;
class DeviceContext;

// The point (primitive units) about which symbol primitives are mirrored and
// rotated; the symbol editor sets it to the centre of what it transforms.
extern POINT g_TransformPivot;

// The list a part keeps its primitives in; it owns them.
using PartPrimitiveList = std::vector<CPartPrimitive*>;

// The face through which undo records reach a part's own primitive list. The
// part class derives from it next to its tree-node base.
class CPartPrimitiveOwner {
public:
    virtual PartPrimitiveList& GetOwnPrimitives() = 0;

protected:
    ~CPartPrimitiveOwner() = default;
};

// What drawing and editing read from the active view, with the built-in
// defaults when there is none.
struct SheetScale {
    int grid = 250;         // sheet grid step g in logical units (0.01 mm)
    double zoom = 1.0;      // zoom scale z
    int HandleHalf() const; // trunc(300 / z): handle half-size, logical units
    double VertexTolerance() const { return 6.0 / zoom; } // primitive units
    // A primitive coordinate c of a part at grid position p, in logical units.
    int ToLogical(int partPos, int c) const;
    POINT ToLogical(POINT partPos, POINT c) const;
    // A length in logical units in primitive units (toward zero).
    int ToPrimitive(int logical) const;
};
SheetScale GetSheetScale();

// The horizontal and the vertical text font of the active view.
LogFont GetViewFont(bool vertical);

// A device context for repainting and measuring outside a paint: it has the
// active view's client size and mapping (PrepareDC) and the view's
// horizontal font selected. Without an active view it is a small unmapped
// context.
std::unique_ptr<DeviceContext> CreateViewDC();

// Hands the record to the active view's undo history; without a view the
// change cannot be undone and the record is dropped.
void PushPartUndo(CUndoItem* item);

// The selection flags of the mouse slots.
constexpr uint32_t kPrimLeftButton = 0x1;
constexpr uint32_t kPrimControl = 0x8;
constexpr uint32_t kPrimKeepSelectionMask = 0x400008;
constexpr uint32_t kPrimSymbolEditor = 0x100000;

class CPartPrimitive : public CProperty {
public:
    explicit CPartPrimitive(CTreeNode* owner) : m_owner(owner) {}
    ~CPartPrimitive() override = default;
    // Like nodes, primitives read from a file are cut from the node arena.
    static void* operator new(std::size_t size) { return NodeArena::Allocate(size); }
    static void operator delete(void* p) noexcept { NodeArena::Free(p); }
    CPartPrimitive(const CPartPrimitive&) = delete;
    CPartPrimitive& operator=(const CPartPrimitive&) = delete;

    // A new primitive of the same kind with every field copied, owned by newOwner.
    virtual CPartPrimitive* Clone(CTreeNode* newOwner) const = 0;
    // Copies geometry and flags (not the editing state) from a primitive of
    // the same kind; another kind changes nothing.
    virtual void CopyFrom(const CPartPrimitive& other) = 0;
    // True when another kind, or any geometry, flag or text differs.
    virtual bool IsDifferent(const CPartPrimitive& other) const = 0;
    // The one-token text form ("L0,0,40,-20", "RCFO-20,-20,20,20", ...).
    virtual std::wstring ToString() const = 0;
    // Appends the same text to out; the common kinds write it without a
    // temporary (parts are written in bulk).
    virtual void AppendTo(std::wstring& out) const { out += ToString(); }
    // Smallest (largest) x and y, taken separately.
    virtual POINT GetMinPoint() const = 0;
    virtual POINT GetMaxPoint() const = 0;
    // 'H' mirrors x, 'V' mirrors y about g_TransformPivot, 'R' turns a
    // quarter clockwise (counter-clockwise with Shift held); other keys do
    // nothing.
    virtual void TransformByKey(int key);
    virtual void Move(int dx, int dy);
    // Draws at the position of part (which may be another part than the
    // owner), with the pen the caller selected.
    virtual void Draw(DeviceContext* dc, uint32_t flags, const CTreeNode* part) = 0;
    // True when a characteristic point lies in the rectangle (primitive units).
    virtual bool IsInRect(const RECT& rect) const = 0;
    virtual bool HitTest(int x, int y) const = 0;
    // The first vertex within the vertex tolerance on both axes, or null.
    virtual POINT* HitTestVertex(int x, int y);
    // Drawing steps and selection. MouseDown returns 1 when the click
    // finished a new primitive; MouseMove returns 1 when an existing primitive
    // was dragged; MouseUp returns 1 when it finished a curve.
    virtual int MouseDown(DeviceContext* dc, uint32_t flags, int x, int y) = 0;
    virtual int MouseUp(DeviceContext* dc, uint32_t flags, int x, int y);
    virtual int MouseMove(DeviceContext* dc, uint32_t flags, int x, int y);
    // Marks the primitive's area of the active view's window for repainting.
    virtual void Invalidate(DeviceContext* dc);
    // What Draw paints at the position of part, in logical units (the pen's
    // width aside): a part repaints it wherever it reaches past its outline.
    virtual RECT GetDrawnRect(DeviceContext* dc, const CTreeNode* part) const;

    // Every coordinate pair of the primitive, in the order the vertex hit
    // test takes them.
    virtual std::vector<POINT*> Points() = 0;
    std::vector<const POINT*> Points() const;

    CTreeNode* GetOwner() const { return m_owner; }
    void SetOwner(CTreeNode* owner) { m_owner = owner; }
    bool IsSelected() const { return m_selected != 0; }
    void SetSelected(bool selected) { m_selected = selected ? 1 : 0; }
    int GetState() const { return m_state; }
    void SetState(int state) { m_state = state; }
    bool IsDragged() const { return m_dragged != 0; }
    POINT GetAnchor() const { return m_anchor; }
    // The vertex caught by the last selecting click; null: the whole primitive.
    POINT* GetGrabbedVertex();

protected:
    // Base fields of a clone: the source's editing state, the new owner.
    void CopyBaseFrom(const CPartPrimitive& source, CTreeNode* newOwner);
    // Box of GetMinPoint/GetMaxPoint at the owner's position, grown by the
    // handle margin, invalidated in the active view.
    void InvalidateBox(DeviceContext* dc, POINT minPoint, POINT maxPoint, bool grow = true) const;
    // A logical rectangle invalidated in the active view (device rectangle
    // shifted by the scroll offset, erasing).
    static void InvalidateLogicalRect(DeviceContext* dc, RECT logical);
    // The selecting click (state -1). useVertex false: the vertex step is skipped.
    void SelectClick(uint32_t flags, int x, int y, bool useVertex = true);
    // One drag step: 1 when the primitive moved.
    int DragStep(DeviceContext* dc, uint32_t flags, int x, int y);
    // The press and move of a primitive drawn by pulling from one point (a)
    // to the other (b): the first press puts both down, the second ends the
    // shape (1). markWhileDrawn: the first press also selects the primitive.
    int TwoPointMouseDown(DeviceContext* dc, uint32_t flags, int x, int y, POINT& a, POINT& b,
                          bool markWhileDrawn);
    int TwoPointMouseMove(DeviceContext* dc, uint32_t flags, int x, int y, POINT& b);
    // The release miss test: deselects a primitive released off itself,
    // unless Ctrl is held or the press dragged.
    void ReleaseMissTest(DeviceContext* dc, uint32_t flags, int x, int y, bool useVertex);
    // Handles of the given points at the part's position.
    void DrawHandles(DeviceContext* dc, const CTreeNode* part,
                     const std::vector<POINT>& points) const;
    static POINT PartPosition(const CTreeNode* part);
    POINT OwnerPosition() const { return PartPosition(m_owner); }

    CTreeNode* m_owner = nullptr;
    // Index into Points() of the grabbed vertex, -1 for none. An index stays
    // valid when a vertex array is copied or reallocated.
    int m_grabbedVertex = -1;
    POINT m_anchor;
    int32_t m_selected = 0;
    int32_t m_dragged = 0;
    int32_t m_state = 0;
};

// Geometry helpers shared by the kinds (primitive units).
namespace PartGeometry {
// Within the perpendicular tolerance 2 of the segment and no further than
// that beyond its box.
bool OnSegment(int x, int y, POINT a, POINT b);
// Centre (integer halves) and radius of the ellipse measure of a box.
struct EllipseMeasure {
    int cx = 0;
    int cy = 0;
    int r = 0;
};
EllipseMeasure MeasureEllipse(POINT a, POINT b);
double Distance(int x, int y, int cx, int cy);
bool PointInRect(POINT p, const RECT& r); // r normalised by the caller
RECT Normalized(const RECT& r);
// The point mapped by TransformByKey's rules about the pivot.
POINT TransformPoint(POINT p, int key, bool shift);
} // namespace PartGeometry
