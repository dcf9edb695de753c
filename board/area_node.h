// Outline nodes: every editable closed contour of the board model (copper
// area, board edge, custom pad, custom drill, thermal relief) is a doubly
// linked list of these, each describing the piece from its own point to the
// point of the node after it (the last node's piece closes the contour).
// Every node knows both ends of its list, so each list operation keeps the
// first and last links of all nodes current.
#pragma once

#include "core/property.h"
#include "platform/types.h"

#include <string>

class Brush;
class CVorpelView;
class Graphics;
class GraphicsPath;

template <class T> class List {
public:
    virtual ~List() = default;

    T* m_next = nullptr;
    T* m_prev = nullptr;
    T* m_first = nullptr;
    T* m_last = nullptr;
};

enum AreaNodeKind : int {
    AREA_SEGMENT = 1,
    AREA_ARC = 2,
    AREA_BEZIER = 3,
};

// An arc whose deviation is smaller than this in magnitude is a straight
// piece in every geometric operation (its derived fields stay finite).
constexpr float kStraightArcDeviation = 0.0001f;

class CAreaNode : public List<CAreaNode>, public CProperty {
public:
    CAreaNode(int kind, CVorpelView** view, float x, float y);
    ~CAreaNode() override = default;
    CAreaNode& operator=(const CAreaNode&) = delete;

    // The node's token of the outline text.
    virtual std::wstring ToString() const = 0;
    // A lone copy of the node with its kind-specific fields.
    virtual CAreaNode* Clone() const = 0;
    // True when the points differ by more than 0.0001 in x or y (arc: also
    // the deviation; curve: also the control points).
    virtual bool IsDifferent(const CAreaNode* other) const;
    // Takes the other node's values; an arc before this node is recomputed.
    virtual void CopyFrom(const CAreaNode* other);
    // Exchanges the node's point with p (reverses the piece).
    virtual void SwapPoint(float& x, float& y);
    // Transforms about the model origin; arcs need UpdateGeometry afterwards.
    virtual void MirrorHorizontally();
    virtual void MirrorVertically();
    // A quarter turn: (x, y) -> (y, -x), or (-y, x) with shift held.
    virtual void Rotate90(bool shift);
    int GetKind() const { return m_kind; }

    // --- Geometry (area_node_geometry.cpp). ---------------------------------
    // Appends this node's piece to the open figure of path (it joins it).
    virtual void AddPiece(GraphicsPath* path) const = 0;
    // The piece alone, in a path shared by all nodes of the kind (valid until
    // the next call for a node of that kind).
    GraphicsPath* GetPath() const;
    // The closed figure of the whole outline: in the one shared outline path,
    // or written into the caller's path (reset first).
    GraphicsPath* GetOutlinePath() const;
    void FillOutlinePath(GraphicsPath* path) const;
    // Strokes every piece (selected ones in the selection colour, with their
    // handles); pen widths are in pixels of the node's view.
    void DrawOutline(Graphics* g, ARGB color) const;
    virtual void DrawHandles(Graphics* g) const;
    // On the piece within 3 pixels.
    bool HitTest(Graphics* g, float x, float y) const;
    // The device rectangle of the piece grown by 3 pixels; Invalidate marks it
    // for repainting in the node's view.
    void GetInvalidRect(Graphics* g, RECT* rect) const;
    void Invalidate(Graphics* g) const;
    // Tangent directions (degrees) at both ends of the piece. The straight and
    // curved kinds read the piece's end from the press point, where
    // CreateOffset leaves it.
    virtual float GetStartDirection() const = 0;
    virtual float GetEndDirection() const = 0;
    // A lone copy of the piece moved sideways by d (to the right of its
    // direction for a positive d, y up); its press point holds its end.
    virtual CAreaNode* CreateOffset(float d) const = 0;
    // The point of the node after this one (the outline is closed).
    PointF GetNextPoint() const;

    // --- Mouse editing (area_node_edit.cpp). --------------------------------
    // The handle within 2 pixels in x and y: the point, an arc's mid-arc
    // point, a curve's control points; null for none.
    float* HitTestHandle(float x, float y);
    // Press: select (Ctrl toggles; a miss deselects unless Ctrl or 0x400000
    // is held), remember the press point and grab a handle.
    void MouseDown(Graphics* g, int flags, float x, float y);
    // Release: an undragged release off the piece deselects (without Ctrl).
    void MouseUp(Graphics* g, int flags, float x, float y);
    // Moves the grabbed handle, or the point on the grid (a selected piece
    // takes its end along); the first effective step records the undo item.
    bool Drag(Graphics* g, int flags, float x, float y);
    // The outline context menu of a selected node; true when it was shown.
    bool RightClick(Graphics* g, int flags, float x, float y, CAreaNode*& head);
    // Removes the node when selected (never below three nodes); returns the
    // node to continue with.
    CAreaNode* Delete(CAreaNode*& head);
    // Replaces the node by a new node of the kind (selected).
    void ChangeKind(CAreaNode*& head, int kind);
    // Rows of the kind: the points (Point 2 is the next node's point), the
    // control points, the arc deviation, in the view's display unit.
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    // List operations (see the file comment).
    void InsertAfter(CAreaNode* node);
    void InsertBefore(CAreaNode* node);
    // Takes this node out of its list; returns the former next node. The
    // node's own links are left as they were.
    CAreaNode* Unlink();
    CAreaNode* GetNextCyclic() const { return m_next ? m_next : m_first; }
    CAreaNode* GetPrevCyclic() const { return m_prev ? m_prev : m_last; }

    int m_kind;
    CVorpelView** m_ppView;
    float m_x;
    float m_y;
    float m_pressX = 0;
    float m_pressY = 0;
    float* m_grabbed = nullptr;
    int32_t m_selectedNode = 0;
    int32_t m_dragging = 0;

protected:
    CAreaNode(const CAreaNode& other);
    void LinkLone();
    bool DragPoint(Graphics* g, int flags, float x, float y, bool follow);
};

class CAreaSegment : public CAreaNode {
public:
    CAreaSegment(CVorpelView** view, float x, float y);
    CAreaSegment(CVorpelView** view, const wchar_t* text);
    std::wstring ToString() const override;
    CAreaNode* Clone() const override;
    void AddPiece(GraphicsPath* path) const override;
    float GetStartDirection() const override;
    float GetEndDirection() const override;
    CAreaNode* CreateOffset(float d) const override;
};

class CAreaArc : public CAreaNode {
public:
    CAreaArc(CVorpelView** view, float x, float y);
    CAreaArc(CVorpelView** view, const wchar_t* text);
    std::wstring ToString() const override;
    CAreaNode* Clone() const override;
    bool IsDifferent(const CAreaNode* other) const override;
    void CopyFrom(const CAreaNode* other) override;
    void SwapPoint(float& x, float& y) override;
    void MirrorHorizontally() override;
    void MirrorVertically() override;
    void AddPiece(GraphicsPath* path) const override;
    void DrawHandles(Graphics* g) const override;
    float GetStartDirection() const override;
    float GetEndDirection() const override;
    CAreaNode* CreateOffset(float d) const override;
    // Derives centre, radius, angles and the mid-arc point from the point,
    // the deviation and the next node's point.
    void UpdateGeometry();
    // Only the chord angle and the chord-frame points.
    void UpdateChordFrame();
    // Deviation, mid-arc point and angles from the stored centre and signed
    // radius and the next node's point.
    void SetFromCentre();
    // True when the arc is drawn and measured as a straight piece.
    bool IsStraight() const;
    // The sweep of the drawn arc (degrees), signed like the deviation.
    float GetSweep() const;

    float m_deviation = 0;
    float m_cx = 0, m_cy = 0;
    float m_midX = 0, m_midY = 0;
    float m_radius = 0;
    float m_startAngle = 0, m_endAngle = 0;
    float m_chordAngle = 0;
    float m_x1 = 0, m_y1 = 0;
    float m_x2 = 0, m_y2 = 0;
};

class CAreaBezier : public CAreaNode {
public:
    CAreaBezier(CVorpelView** view, float x, float y);
    CAreaBezier(CVorpelView** view, const wchar_t* text);
    std::wstring ToString() const override;
    CAreaNode* Clone() const override;
    bool IsDifferent(const CAreaNode* other) const override;
    void CopyFrom(const CAreaNode* other) override;
    void SwapPoint(float& x, float& y) override;
    void MirrorHorizontally() override;
    void MirrorVertically() override;
    void Rotate90(bool shift) override;
    void AddPiece(GraphicsPath* path) const override;
    void DrawHandles(Graphics* g) const override;
    float GetStartDirection() const override;
    float GetEndDirection() const override;
    CAreaNode* CreateOffset(float d) const override;

    float m_c1x = 0, m_c1y = 0;
    float m_c2x = 0, m_c2y = 0;
};

// A new selected segment at (x, y) linked after node, recorded as a group.
void InsertSegmentAfter(CAreaNode* node, float x, float y);
// The x at which a popup menu at the screen point opens: x itself on a
// monitor, else x kept on the work area of the nearest monitor.
int ClampXToWorkArea(int x, int y);
// Appends a lone node at the end of the outline held by head.
void AppendAreaNode(CAreaNode*& head, CAreaNode* node);
// Links a lone node in front of the outline held by head.
void PrependAreaNode(CAreaNode*& head, CAreaNode* node);
// Deletes every node of the outline; head becomes null.
void DeleteAreaOutline(CAreaNode*& head);
// Nodes from node to the end by next links; 0 for null.
int CountAreaNodes(const CAreaNode* node);
// True when a pair of nodes differs or one outline is longer.
bool AreAreaOutlinesDifferent(const CAreaNode* a, const CAreaNode* b);
// The outline read from an outline text; null when no token was recognised.
CAreaNode* ParseAreaOutline(const std::wstring& text, CVorpelView** view);
// Reads an outline text into the outline held by head without freeing or
// replacing a node, since the property panel and undo records may hold any
// of them: an outline of as many nodes of the same kinds takes the text's
// values in place, no outline takes the text's. An outline the text cannot
// be laid onto node by node stays as it is. True when head changed.
bool ReadAreaOutlineInPlace(CAreaNode*& head, const std::wstring& text, CVorpelView** view);
// The outline text of the outline node belongs to; empty for null.
std::wstring AreaOutlineToString(const CAreaNode* node);
// A node-by-node copy of the outline that node belongs to; null for null.
CAreaNode* CloneAreaOutline(const CAreaNode* node);
// Recomputes every arc of the outline.
void UpdateAreaOutlineArcs(CAreaNode* node);
// Whole-outline transforms about the origin, arcs recomputed.
void MirrorAreaOutlineHorizontally(CAreaNode* node);
void MirrorAreaOutlineVertically(CAreaNode* node);
void RotateAreaOutline90(CAreaNode* node, bool shift);
// Moves every point (and control point) of the outline by dx, dy.
void MoveAreaOutline(CAreaNode* node, float dx, float dy);
// Deselects every node of the outline and lets go of a grabbed point.
void DeselectAreaOutline(CAreaNode* node);

// Fills the closed figure of the outline; returns the shared outline path.
GraphicsPath* FillAreaOutline(const CAreaNode* node, Graphics* g, const Brush* brush);
// True when the outline runs clockwise (y up): its signed area, with every
// arc's mid-arc point taken as a vertex, is negative. Independent of where
// the outline lies.
bool IsOutlineClockwise(const CAreaNode* node);
// A new outline: the given one grown outwards by g (shrunk for a negative
// g), convex corners rounded, concave ones closed; null for null. The caller
// owns the result.
CAreaNode* OffsetAreaOutline(const CAreaNode* node, float g);
