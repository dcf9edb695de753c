// A footprint: padstacks with their pads, and markings, placed on the board
// at a position, rotation and side.
#pragma once

#include "board/board_types.h"
#include "core/tree_node.h"

#include <memory>
#include <string>

class CBoardLayerIndex;
class CNet;
class Graphics;
class GraphicsPath;
class Matrix;
class CPad;
class CPadstack;

class CFootprint : public CTreeNode {
public:
    explicit CFootprint(int place = kPlaceTop);
    // Only Clone copies a footprint (it does so field by field).
    CFootprint(const CFootprint&) = delete;
    ~CFootprint() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;
    // Bounds in the footprint's own coordinates (the package outline
    // marking of its side, else its pads).
    bool GetBoundsOnBoard(Graphics* g, RectF& r) override;
    void InvalidateOnBoard(Graphics* g) override;
    CTreeNode* HitTestOnBoard(Graphics* g, float x, float y) override;
    void MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    void MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int DragOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    // The outline of one side (0 top, 1 bottom) in board coordinates: the
    // first rectangle, polygon or circle of the side's package-outline
    // marking, else the side's pads grown by 0.1 and the drills.
    GraphicsPath* BuildOutlinePath(int side);
    // The axis-aligned board box of the placed corners of a local rectangle.
    RectF PlacedBox(const RectF& local) const;
    void ResetAttachedConductorUndoFlags();

    // True when placed on a board (under a package or the mounting).
    bool IsPlaced() const;
    PointF BoardToLocal(float x, float y) const;
    // Footprint (or padstack) coordinates to the board: rotate by Rotation,
    // negate x when placed on the bottom, add the position.
    PointF LocalToBoard(float x, float y) const;
    // The same placement prepended to a matrix or to the world transform:
    // translation by the position, mirror (-1, 1) for the bottom, rotation.
    void TransformMatrix(Matrix* matrix) const;
    void TransformGraphics(Graphics* g) const;
    CPad* FindPadByNumber(const std::wstring& number) const;
    void FindAlignedEndPads(const CPad* pad, bool row, CPad*& first, CPad*& last) const;
    CPadstack* FindIdenticalPadstack(const CPadstack* padstack) const;
    // Moves the footprint to the other side; every change is recorded (the
    // index, when given, is kept in step).
    void SetPlace(int side, CBoardLayerIndex* index);
    // Rebuilds once each net that reaches a pad of the footprint; while a
    // NetGraphBatch lives, only notes them for it.
    void RebuildNetGraphs(Graphics* g);

    uint32_t m_unit = 1;
    float m_gridX = 0;
    float m_gridY = 0;
    bool m_fixed = false;
    int m_place;
    float m_rotation = 0;
    PointF m_dragPoint;                              // not saved
    std::unique_ptr<GraphicsPath> m_outlinePaths[2]; // not saved
};

// While one lives, the footprints' net rebuilds are put off: the outermost
// rebuilds each noted net once when it ends (an action on many footprints of
// one net rebuilds it once, not once per footprint), with the surface it was
// made with.
class NetGraphBatch {
public:
    explicit NetGraphBatch(Graphics* g);
    ~NetGraphBatch();
    NetGraphBatch(const NetGraphBatch&) = delete;
    NetGraphBatch& operator=(const NetGraphBatch&) = delete;
    static bool Active();
    static void Note(CNet* net);
    // A net destroyed meanwhile is not rebuilt.
    static void Forget(const CNet* net);
};
