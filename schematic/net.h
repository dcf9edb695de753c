// A net: its name (the element text), the pins it joins, its schematic wires
// as children and, on the board, its conductors and vias. The operations
// below keep the membership right while wires are drawn and deleted; every
// change is recorded on the active view's undo history. Point tests on a net
// compare only objects on one sheet, since a net spans sheets.
#pragma once

#include "core/tree_node.h"

#include <cstddef>
#include <set>
#include <string>
#include <vector>

class CBoard;
class CConductor;
class CPadstack;
class CPin;
class CSheet;
class CWire;
class GraphNode;

class CNet : public CTreeNode {
public:
    CNet();
    explicit CNet(const wchar_t* name);
    CNet(const CNet& other);
    ~CNet() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    const std::wstring& GetName() const { return m_text; }
    // Its pins hold it by address; the planes and areas of the board name it.
    std::wstring ReferenceKey() const override { return GetName(); }
    void ForEachReferrer(const std::function<void(const CTreeNode*)>& visit) const override;
    CBoard* GetBoard() const;
    // The colour of a net named so: ground names cyan, supply names red,
    // any other the default airwire colour.
    static COLORREF GetDefaultColor(const std::wstring& name);
    void ResetAirwireColor() { m_airwireColor = GetDefaultColor(GetName()); }

    // The first via of the net identical to the definition, else a copy of
    // the definition appended to the net with an undo record.
    CPadstack* FindOrAddVia(CPadstack* definition);
    // The first child wire on sheet (other than skip) containing p, ends
    // included.
    CWire* FindWireAt(POINT p, const CSheet* sheet, const CWire* skip = nullptr) const;
    // Part pins of the net on sheet whose connection point is p.
    void CollectPinsAt(POINT p, const CSheet* sheet, std::vector<CPin*>& list) const;
    bool HasFixedNamePin() const;

    // This net absorbs other (which leaves the board).
    void Merge(DeviceContext* dc, CNet* other);
    // Tidies the wires; true when the net was deleted.
    bool NormalizeWires(DeviceContext* dc);
    // Re-derives the net after wires or pins left it.
    void SplitDisconnected(DeviceContext* dc);
    // Moves the cluster connected to wire into the net named name.
    void SplitAtWire(CWire* wire, const std::wstring& name);
    // Flood fill over marked wires from seed (same sheet).
    void UnmarkConnectedWires(CWire* seed, bool busJoins);

    // --- Connection graph (board/connection_graph.cpp). ---------------------
    // Rebuilds the graph from the net's conductors and its pins' pads and
    // joins its islands with airwires; with a surface, the old and the new
    // airwires are repainted in the active view.
    void BuildConnectionGraph(Graphics* g);
    // Every island from firstIndex on that touches start's tree (a node at the
    // same point) joins it with a copper link and leaves the island list.
    void MergeTouchingIslands(GraphNode* start, size_t firstIndex);
    // The first node of node's tree (not through from), depth-first, at the
    // same point as (x, y); null when none.
    static GraphNode* FindGraphNodeAt(GraphNode* node, float x, float y, const GraphNode* from);
    // The first conductor with a vertex within 0.1 mm of (x, y) in both axes.
    CConductor* FindConductorNearPoint(float x, float y) const;
    // The airwire part of the net's board drawing: no anti-aliasing, a pen of
    // the airwire colour one pixel wide, then anti-aliasing again.
    void DrawAirwires(Graphics* g, COLORREF airwireColor) const;
    void DeleteConnectionGraph();
    // Airwires, then the vias (board/board_draw.cpp).
    void DrawOnBoard(Graphics* g, uint32_t flags) override;
    // Conductor searches of the routing tools (board/board_hit_test.cpp):
    // the first conductor (not skip, at least two vertices) on a layer of the
    // mask (low word layers 0-31) with a segment within 0.75 x Width of the
    // point (visible layers only; index = the segment's first vertex), or
    // with a sharp-cornered vertex within Width / 2 in x and y.
    CConductor* FindConductorSegmentAt(float x, float y, int* index, uint32_t maskLow,
                                       uint32_t maskHigh, const CConductor* skip) const;
    CConductor* FindConductorVertexAt(float x, float y, int* index, uint32_t maskLow,
                                      uint32_t maskHigh, const CConductor* skip) const;
    // Clears the drag-undo flag of every conductor of the net.
    void ResetConductorUndoFlags();

    std::vector<CWire*> GetWires() const;

    CTreeNode* HitTestOnSheet(DeviceContext* dc, int x, int y) override;
    void InvalidateOnSheet(DeviceContext* dc) override;
    CTreeNode* MouseDownOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    void RightClickOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int DragOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int DeleteOnSheet(DeviceContext* dc, uint32_t flags) override;

    std::set<CPin*, NodeSequenceLess> m_pins; // not owned
    COLORREF m_airwireColor;
    // One node per island of the connection graph, each owning its tree; one
    // island after a complete build.
    std::vector<GraphNode*> m_islands;
    // How many times the connection graph was rebuilt.
    int m_graphBuilds = 0;

private:
    // Deletes the net (undo record) when it holds nothing any more.
    bool DeleteIfEmpty();
};
