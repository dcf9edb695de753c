#include "board/board_nets.h"

#include "board/board.h"
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "board/pad_walk.h"
#include "board/point_cells.h"
#include "core/node_type.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/pin.h"
#include "schematic/wire.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// A vertex is tied to a pad within this distance in x and in y.
constexpr float kTieTolerance = 0.001f;

bool WithinTie(const ConductorVertex& v, PointF p) {
    return std::fabs(v.x - p.X) < kTieTolerance && std::fabs(v.y - p.Y) < kTieTolerance;
}

// Items by their point: those within the tolerance of a point are among
// the ones found near it. Search once every item is added and sorted.
template <class T> class PointIndex {
public:
    void Add(float x, float y, T item) {
        m_cells.Add(x, y, static_cast<uint32_t>(m_items.size()));
        m_items.push_back(item);
    }
    void Sort() { m_cells.Sort(); }
    template <class F> void ForEachNear(float x, float y, F f) const {
        m_cells.ForEachNear(x, y, [&](uint32_t id, float, float) { f(m_items[id]); });
    }

private:
    PointCells m_cells{2.0 * kTieTolerance};
    std::vector<T> m_items;
};

template <class F> void ForEachVertexOf(CTreeNode* net, F f) {
    for (CTreeNode* c : net->GetChildren())
        if (c->GetType() == NodeType::Conductor)
            for (ConductorVertex& v : static_cast<CConductor*>(c)->m_vertices)
                f(v);
}

template <class F> void ForEachPinOnSheet(CPackage* package, F f) {
    for (CTreeNode* member : package->GetChildren())
        if (member->GetType() == NodeType::Part && member->IsOnSheet())
            for (CTreeNode* p : member->GetChildren())
                if (p->GetType() == NodeType::Pin)
                    f(static_cast<CPin*>(p));
}

void JoinPinToNet(CPin* pin, CNet* net) {
    pin->m_pNet = net;
    net->m_pins.insert(pin);
}

// Via pads tie the vertices of their own net's conductors: of several pads
// at a vertex, the last one of the net ties it.
void TieVerticesToVias(CNet* net) {
    struct Via {
        CPad* pad;
        PointF at;
        std::size_t order;
    };
    PointIndex<Via> vias;
    std::size_t order = 0;
    ForEachPadIn(net, [&](CPad* pad) {
        const PointF at = pad->GetBoardPosition();
        vias.Add(at.X, at.Y, Via{pad, at, order++});
    });
    if (order == 0)
        return;
    vias.Sort();
    ForEachVertexOf(net, [&](ConductorVertex& v) {
        if (v.tie.IsBreakPoint())
            return;
        const Via* last = nullptr;
        vias.ForEachNear(v.x, v.y, [&](const Via& via) {
            if (WithinTie(v, via.at) && (!last || via.order > last->order))
                last = &via;
        });
        if (last)
            v.tie = VertexTie::ToPad(last->pad);
    });
}

// The pins of parts on a sheet by their connection points, for the wires
// that touch them: a row per sheet and y, a column per sheet and x, each
// sorted along its line.
class PinsOnSheets {
public:
    explicit PinsOnSheets(const CBoard& board) {
        for (CTreeNode* child : board.GetChildren())
            if (child->GetType() == NodeType::Package)
                ForEachPinOnSheet(static_cast<CPackage*>(child), [&](CPin* pin) {
                    const POINT at = pin->GetConnectionPoint();
                    const CSheet* sheet = pin->GetSheet();
                    m_rows[Line{sheet, at.y}].push_back({at.x, pin});
                    m_columns[Line{sheet, at.x}].push_back({at.y, pin});
                });
        for (auto* lines : {&m_rows, &m_columns})
            for (auto& [line, pins] : *lines)
                std::stable_sort(pins.begin(), pins.end(),
                                 [](const Entry& a, const Entry& b) { return a.along < b.along; });
    }

    // Every pin the wire touches (ContainsPoint with its ends).
    template <class F> void ForEachPinOn(const CWire& wire, F f) const {
        const POINT a = wire.m_position, b = wire.m_end;
        switch (wire.GetDirection()) {
        case WireDirection::Horizontal:
            Visit(m_rows, wire.m_pSheet, a.y, std::min(a.x, b.x), std::max(a.x, b.x), f);
            break;
        case WireDirection::Vertical:
            Visit(m_columns, wire.m_pSheet, a.x, std::min(a.y, b.y), std::max(a.y, b.y), f);
            break;
        default:
            Visit(m_rows, wire.m_pSheet, a.y, a.x, a.x, f);
            if (b.x != a.x || b.y != a.y)
                Visit(m_rows, wire.m_pSheet, b.y, b.x, b.x, f);
            break;
        }
    }

private:
    struct Line {
        const CSheet* sheet;
        int at;
        bool operator==(const Line& o) const { return sheet == o.sheet && at == o.at; }
    };
    struct LineHash {
        std::size_t operator()(const Line& l) const {
            return std::hash<const void*>()(l.sheet) ^
                   std::hash<int>()(l.at) * static_cast<std::size_t>(0x9E3779B97F4A7C15ull);
        }
    };
    struct Entry {
        int along;
        CPin* pin;
    };
    using Lines = std::unordered_map<Line, std::vector<Entry>, LineHash>;

    template <class F>
    static void Visit(const Lines& lines, const CSheet* sheet, int at, int from, int to, F& f) {
        const auto it = lines.find(Line{sheet, at});
        if (it == lines.end())
            return;
        const std::vector<Entry>& pins = it->second;
        auto e = std::lower_bound(pins.begin(), pins.end(), from,
                                  [](const Entry& x, int v) { return x.along < v; });
        for (; e != pins.end() && e->along <= to; ++e)
            f(e->pin);
    }

    Lines m_rows;
    Lines m_columns;
};

// What BuildNets looks up, each gathered once for the whole board: a board
// may hold a hundred thousand pins, nets and pads.
class NetLookups {
public:
    explicit NetLookups(CBoard& board) {
        PinsOnSheets pins(board);
        // The nets in the board's order: a pin that several nets' wires
        // touch goes to the last of them.
        for (CTreeNode* child : board.GetChildren()) {
            if (child->GetType() != NodeType::Net)
                continue;
            auto* net = static_cast<CNet*>(child);
            m_byName.emplace(net->GetText(), net);
            for (CTreeNode* w : net->GetChildren())
                if (w->GetType() == NodeType::Wire)
                    pins.ForEachPinOn(*static_cast<CWire*>(w),
                                      [&](CPin* pin) { m_wireNet[pin] = net; });
        }
    }

    // The last net whose wire touches the pin, null for none.
    CNet* WireNetOf(const CPin* pin) const {
        const auto it = m_wireNet.find(pin);
        return it == m_wireNet.end() ? nullptr : it->second;
    }

    // The first net of the name, made and appended when there is none.
    CNet* NetNamed(CBoard& board, const std::wstring& name) {
        auto [it, added] = m_byName.emplace(name, nullptr);
        if (added) {
            // Derived from the file: no undo step.
            it->second = new CNet(name.c_str());
            board.AddChild(it->second);
        }
        return it->second;
    }

    // The footprint pads of the pin tie the vertices of its net's conductors
    // at their places.
    void TiePadsOf(const CPin* pin, CFootprint* footprint) {
        if (!footprint || !pin->m_pNet)
            return;
        const PointIndex<ConductorVertex*>& vertices = VerticesOf(pin->m_pNet);
        for (const std::wstring& name : pin->m_padNames) {
            CPad* pad = PadNumbered(footprint, name);
            if (!pad)
                continue;
            const PointF at = pad->GetBoardPosition();
            vertices.ForEachNear(at.X, at.Y, [&](ConductorVertex* v) {
                if (WithinTie(*v, at))
                    v->tie = VertexTie::ToPad(pad);
            });
        }
    }

private:
    const PointIndex<ConductorVertex*>& VerticesOf(CNet* net) {
        const auto found = m_vertices.try_emplace(net);
        PointIndex<ConductorVertex*>& index = found.first->second;
        if (found.second) {
            ForEachVertexOf(net, [&](ConductorVertex& v) { index.Add(v.x, v.y, &v); });
            index.Sort();
        }
        return index;
    }

    // As CFootprint::FindPadByNumber: the first pad of the number that is not
    // selected.
    CPad* PadNumbered(CFootprint* footprint, const std::wstring& number) {
        if (footprint != m_padsOf) {
            m_padsOf = footprint;
            m_pads.clear();
            ForEachPadIn(footprint, [&](CPad* pad) {
                if (!pad->IsSelected())
                    m_pads.emplace(pad->m_num, pad);
            });
        }
        const auto it = m_pads.find(number);
        return it == m_pads.end() ? nullptr : it->second;
    }

    std::unordered_map<const CPin*, CNet*> m_wireNet;
    std::unordered_map<std::wstring, CNet*> m_byName;
    std::unordered_map<CNet*, PointIndex<ConductorVertex*>> m_vertices;
    CFootprint* m_padsOf = nullptr;
    std::unordered_map<std::wstring, CPad*> m_pads;
};

} // namespace

void CBoard::BuildNets() {
    NetLookups lookups(*this);
    // Nets made for fixed net names are appended while the walk goes on.
    for (std::size_t i = 0; i < GetChildCount(); ++i) {
        CTreeNode* child = GetChild(i);
        if (child->GetType() == NodeType::Net) {
            TieVerticesToVias(static_cast<CNet*>(child));
        } else if (child->GetType() == NodeType::Package) {
            auto* package = static_cast<CPackage*>(child);
            CFootprint* footprint = package->GetFootprint();
            // The package's children may grow while pins join nets; walk a copy.
            const std::vector<CTreeNode*> members = package->GetChildren();
            for (CTreeNode* member : members) {
                if (member->GetType() == NodeType::Part && member->IsOnSheet()) {
                    for (CTreeNode* p : member->GetChildren()) {
                        if (p->GetType() != NodeType::Pin)
                            continue;
                        auto* pin = static_cast<CPin*>(p);
                        if (CNet* net = lookups.WireNetOf(pin)) {
                            if (pin->m_pNet && pin->m_pNet != net)
                                pin->m_pNet->m_pins.erase(pin);
                            JoinPinToNet(pin, net);
                        }
                        if (pin->m_pNet)
                            lookups.TiePadsOf(pin, footprint);
                    }
                } else if (member->GetType() == NodeType::Pin) {
                    auto* pin = static_cast<CPin*>(member);
                    if (pin->m_fixedNetName.empty())
                        continue;
                    JoinPinToNet(pin, lookups.NetNamed(*this, pin->m_fixedNetName));
                    lookups.TiePadsOf(pin, footprint);
                }
            }
        }
    }
}

void BuildBoardNets(CTreeNode* board) {
    if (board && board->GetType() == NodeType::Board)
        static_cast<CBoard*>(board)->BuildNets();
}
