// A net: its name (the element text), the pins on it, and on the board its
// conductors and vias as children. The schematic side completes wires, the
// connection graph and the editing.
#pragma once

#include "core/tree_node.h"

#include <cstddef>
#include <set>
#include <vector>

class CConductor;
class CPadstack;
class CPin;
class GraphNode;

class CNet : public CTreeNode {
public:
    CNet();
    explicit CNet(const wchar_t* name);
    CNet(const CNet& other);
    ~CNet() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;

    const std::wstring& GetName() const { return m_text; }
    // The first via of the net identical to the definition, else a copy of
    // the definition appended to the net with an undo record.
    CPadstack* FindOrAddVia(CPadstack* definition);
    // True when a wire of the net passes through the sheet point (built with
    // the schematic hit tests; see net.cpp).
    bool FindWireAt(POINT p) const;

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

    std::set<CPin*, NodeSequenceLess> m_pins; // not owned
    // One node per island of the connection graph, each owning its tree; one
    // island after a complete build.
    std::vector<GraphNode*> m_islands;
    // How many times the connection graph was rebuilt.
    int m_graphBuilds = 0;
};
