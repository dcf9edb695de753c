// A net: its name (the element text), the pins on it, and on the board its
// conductors and vias as children. The schematic side completes wires, the
// connection graph and the editing.
#pragma once

#include "core/tree_node.h"

#include <set>

class CPadstack;
class CPin;

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
    // Rebuilds the airwires of the net (built with the connection graph; see
    // net.cpp).
    void BuildConnectionGraph(Graphics* g);

    std::set<CPin*, NodeSequenceLess> m_pins; // not owned
    // How many times the connection graph was asked to rebuild; the graph
    // itself comes with the connection-graph code.
    int m_graphBuilds = 0;
};
