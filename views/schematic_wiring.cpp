// The wire and bus tools of the schematic editor. A wire or bus is drawn as
// an L of two segments following the cursor; a click fixes the first leg and
// starts a new L at its corner. Each click is one undo group. The wire tool
// keeps the nets right as it goes: it starts or joins a net at the first
// click, merges the nets of what the legs touch and splits wires where a leg
// ends on them or passes pins.
#include "views/schematic_view.h"

#include "board/board.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "platform/device_context.h"
#include "schematic/bus.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/pin.h"
#include "schematic/schematic_undo_records.h"
#include "schematic/sheet.h"
#include "schematic/wire.h"

#include <algorithm>

namespace {

bool IsEnd(const CWire* wire, POINT p) {
    return SamePoint(wire->GetStart(), p) || SamePoint(wire->GetEnd(), p);
}

// The object if it still lies on the sheet, found by its address alone: it
// may have been freed, so it is never followed (the sheet's own lookup
// compares through the objects).
template <class T> T* StillOnSheet(const CSheet* sheet, CSheetObject* object) {
    if (!object)
        return nullptr;
    const auto& objects = sheet->m_objects;
    return std::find(objects.begin(), objects.end(), object) != objects.end()
               ? static_cast<T*>(object)
               : nullptr;
}

void ShowInPanel(CProperty* object) {
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(object);
}

} // namespace

CWire* CSchematicView::NewSegment(POINT q) {
    auto* wire = new CWire(q, q);
    wire->m_pSheet = m_sheet;
    m_net->AddChild(wire);
    // Recording the insertion puts the wire on its sheet.
    PushUndo(new CUndoInsert(wire, nullptr));
    wire->m_selected = 1;
    return wire;
}

void CSchematicView::WireClick(DeviceContext* dc, POINT q) {
    CBoard* board = GetBoard();
    if (!board || !m_sheet)
        return;
    if (!m_wire1) {
        // Copies floating from a Copy or Cut in this tool go first: the
        // two would each take the last undo group for their own.
        EndFloating();
        GetUndoList().SetStartNewGroup(true);
        m_clickUndoDepth = GetUndoList().UndoCount();
        // A new wire takes its first move whatever the last wire's was.
        m_hasLastDelta = false;
        CNet* net = nullptr;
        bool busEntry = false;
        if (CPin* pin = m_sheet->FindPinAt(q, nullptr)) {
            if (!pin->m_pNet) {
                net = board->FindOrAddNet(pin->m_fixedNetName);
                PushUndo(new CUndoAddPinToNet(pin, nullptr));
                pin->m_pNet = net;
                net->m_pins.insert(pin);
            } else {
                net = pin->m_pNet;
            }
        }
        if (!net) {
            if (m_sheet->FindBusAt(q)) {
                busEntry = true;
            } else if (CWire* wire = m_sheet->FindWireAt(q, nullptr)) {
                net = wire->GetNet();
                if (!IsEnd(wire, q))
                    wire->SplitAt(q.x, q.y, true);
            }
        }
        if (!net) {
            net = new CNet(board->NewNetName().c_str());
            board->AddChild(net);
            PushUndo(new CUndoInsert(net, nullptr));
        }
        m_net = net;
        m_legKept = false;
        m_wire1 = NewSegment(q);
        if (busEntry) {
            PushUndo(new CUndoChangeBusEntry(m_wire1));
            m_wire1->m_busEntry1 = CWire::GetLastBusEntry();
        }
        ShowInPanel(m_net);
        m_wire2 = NewSegment(q);
        m_wire1->InvalidateOnSheet(dc);
        return;
    }

    // The legs end at the click, whatever moves the view saw before it.
    WireMove(dc, q);
    if (SamePoint(m_wire1->GetStart(), m_wire1->GetEnd())) {
        // A first leg without length is no leg to fix: it takes the second
        // one's place and the second starts again at the click. With no
        // length in either (a double-click's second press) there is
        // nothing to do.
        if (SamePoint(m_wire2->GetStart(), m_wire2->GetEnd()))
            return;
        m_wire1->InvalidateOnSheet(dc);
        m_wire2->InvalidateOnSheet(dc);
        m_wire1->m_end = m_wire2->m_end;
        m_wire2->m_position = m_wire2->m_end = q;
    }
    ConnectWire(dc, m_wire1);
    bool finish = true;
    if (m_sheet->FindBusAt(q)) {
        // The entry goes to the wire that ends at the bus: the second leg,
        // or when that is a mere joint the first one, or the piece of it
        // that a pin on the way split off.
        CWire* entry = m_wire2->IsRedundantJoint() ? nullptr : m_wire2;
        if (!entry && SamePoint(m_wire1->GetEnd(), q))
            entry = m_wire1;
        if (!entry && m_net)
            for (CWire* wire : m_net->GetWires())
                if (wire != m_wire2 && wire->m_pSheet == m_sheet && IsEnd(wire, q)) {
                    entry = wire;
                    break;
                }
        if (entry) {
            PushUndo(new CUndoChangeBusEntry(entry));
            (SamePoint(entry->GetStart(), q) && !SamePoint(entry->GetEnd(), q)
                 ? entry->m_busEntry1
                 : entry->m_busEntry2) = CWire::GetLastBusEntry();
            entry->InvalidateOnSheet(dc);
        }
    } else if (CWire* wire = m_sheet->FindWireAt(q, m_net)) {
        CNet* other = wire->GetNet();
        if (other && other != m_net) {
            other->Merge(dc, m_net);
            m_net = other;
        }
        if (!IsEnd(wire, q))
            wire->SplitAt(q.x, q.y, true);
    } else if (!m_sheet->FindPinAt(q, nullptr)) {
        finish = false;
        // A second leg without length (the cursor went straight) would be
        // the new first leg in this click's undo state, a wire without
        // length: it goes within the group that made it, and the new L is
        // made afresh in this click's group.
        if (SamePoint(m_wire2->GetStart(), m_wire2->GetEnd())) {
            m_wire2->InvalidateOnSheet(dc);
            PushUndo(new CUndoDelete(m_wire2, nullptr));
            m_wire2->RemoveFromParent();
            m_wire2 = nullptr;
        }
        GetUndoList().SetStartNewGroup(true);
        m_clickUndoDepth = GetUndoList().UndoCount();
    }
    m_wire1->m_selected = 0;
    m_wire1->InvalidateOnSheet(dc);
    if (!finish && !m_wire2) {
        m_wire1 = NewSegment(q);
        m_wire2 = NewSegment(q);
        m_legKept = false;
        return;
    }
    m_wire1 = m_wire2;
    if (!finish) {
        m_wire2 = NewSegment(q);
        m_legKept = true;
        // Moves reshape the first leg from here on; abandoning the wire
        // takes it back to this shape.
        PushUndo(new CUndoChangeWirePos(m_wire1));
        return;
    }
    m_wire1->InvalidateOnSheet(dc);
    if (m_wire1->IsRedundantJoint()) {
        PushUndo(new CUndoDelete(m_wire1, nullptr));
        m_wire1->RemoveFromParent();
    } else {
        ConnectWire(dc, m_wire1);
        m_wire1->m_selected = 0;
    }
    if (m_net->GetParent())
        m_net->BuildConnectionGraph(nullptr);
    ShowInPanel(m_net);
    m_net = nullptr;
    m_wire1 = m_wire2 = nullptr;
    m_legKept = false;
}

void CSchematicView::WireMove(DeviceContext* dc, POINT q) {
    if (!m_wire1 || !m_wire2)
        return;
    const POINT start = m_wire1->GetStart();
    const POINT d{q.x - start.x, q.y - start.y};
    if (m_hasLastDelta && SamePoint(d, m_lastDelta))
        return;
    m_lastDelta = d;
    m_hasLastDelta = true;
    m_wire1->InvalidateOnSheet(dc);
    m_wire2->InvalidateOnSheet(dc);
    const wchar_t direction = m_wire1->GetDirection();
    if ((direction == WireDirection::None && d.x != 0) || direction == WireDirection::Horizontal)
        m_wire1->m_end = POINT{q.x, start.y};
    else
        m_wire1->m_end = POINT{start.x, q.y};
    m_wire2->m_position = m_wire1->m_end;
    m_wire2->m_end = q;
    if (d.x == 0 && d.y == 0)
        m_wire1->m_end = start;
    m_wire1->InvalidateOnSheet(dc);
    m_wire2->InvalidateOnSheet(dc);
}

void CSchematicView::ConnectWire(DeviceContext* dc, CWire* segment) {
    CBoard* board = GetBoard();
    if (!board || !segment || !segment->GetParent())
        return;
    CNet* net = segment->GetNet();
    std::vector<POINT> splits;
    auto addSplit = [&](POINT p) {
        if (IsEnd(segment, p))
            return;
        for (const POINT& s : splits)
            if (SamePoint(s, p))
                return;
        splits.push_back(p);
    };
    for (std::size_t i = 0; i < board->GetChildCount(); ++i) {
        CTreeNode* child = board->GetChild(i);
        bool merged = false;
        if (child->GetType() == NodeType::Package) {
            for (CTreeNode* part : std::vector<CTreeNode*>(child->GetChildren())) {
                if (part->GetType() != NodeType::Part ||
                    static_cast<CPart*>(part)->m_pSheet != m_sheet)
                    continue;
                for (CTreeNode* node : std::vector<CTreeNode*>(part->GetChildren())) {
                    if (node->GetType() != NodeType::Pin)
                        continue;
                    auto* pin = static_cast<CPin*>(node);
                    const POINT p = pin->GetConnectionPoint();
                    if (!segment->ContainsPoint(p, true))
                        continue;
                    if (pin->m_pNet != net) {
                        merged = true;
                        if (pin->m_pNet) {
                            pin->m_pNet->Merge(dc, net);
                            net = pin->m_pNet;
                        } else {
                            pin->AddToNet(dc, net);
                            // A pin with a fixed name may have merged the
                            // net into the one of that name.
                            net = segment->GetNet();
                        }
                    }
                    // The wire is cut at every pin it passes, so that each
                    // piece ends where a pin joins it.
                    addSplit(p);
                }
            }
        } else if (child->GetType() == NodeType::Net && child != net) {
            auto* other = static_cast<CNet*>(child);
            for (CWire* wire : other->GetWires()) {
                if (wire->m_pSheet != m_sheet)
                    continue;
                POINT hit{};
                bool found = false;
                if (!wire->m_busEntry1 && segment->ContainsPoint(wire->GetStart(), false)) {
                    hit = wire->GetStart();
                    found = true;
                } else if (!wire->m_busEntry2 && segment->ContainsPoint(wire->GetEnd(), false)) {
                    hit = wire->GetEnd();
                    found = true;
                }
                if (!found)
                    continue;
                other->Merge(dc, net);
                net = other;
                merged = true;
                addSplit(hit);
                break;
            }
        }
        net = segment->GetNet();
        if (!merged)
            continue;
        // Merges take nets out of the board: carry on after this child
        // wherever it stands now.
        const int index = child->GetParent() == board ? child->GetIndexInParent() : -1;
        if (index >= 0)
            i = static_cast<std::size_t>(index);
        else if (i > 0)
            --i;
    }
    m_net = net;
    if (splits.empty())
        return;
    // Split from the far end, so that the wire keeping its start still
    // covers the points left.
    const POINT a = segment->GetStart(), b = segment->GetEnd();
    if (segment->GetDirection() == WireDirection::Vertical) {
        const bool up = a.y <= b.y;
        std::sort(splits.begin(), splits.end(),
                  [up](POINT l, POINT r) { return up ? l.y > r.y : l.y < r.y; });
    } else {
        const bool right = a.x <= b.x;
        std::sort(splits.begin(), splits.end(),
                  [right](POINT l, POINT r) { return right ? l.x > r.x : l.x < r.x; });
    }
    for (const POINT& p : splits) {
        if (!segment->ContainsPoint(p, false))
            continue;
        if (CWire* piece = segment->SplitAt(p.x, p.y, true))
            piece->InvalidateOnSheet(dc);
    }
}

void CSchematicView::UndoClickGroup() {
    CUndoList& undo = GetUndoList();
    // A save in between may stop one undo inside the group.
    while (undo.UndoCount() > m_clickUndoDepth) {
        const size_t before = undo.UndoCount();
        undo.Undo(false);
        if (undo.UndoCount() >= before)
            break;
    }
}

std::vector<const CTreeNode*> CSchematicView::GetLegsUnderWay() const {
    return {m_wire1, m_wire2, m_bus1, m_bus2};
}

void CSchematicView::DropLegWithItsGroup(CTreeNode* leg) {
    // The last group is the click that made the leg: its deletion joins
    // that group, so that neither undo nor redo ever shows the leg alone.
    CUndoList& undo = GetUndoList();
    if (!undo.CanUndo())
        return;
    undo.SetStartNewGroup(false);
    PushUndo(new CUndoDelete(leg, nullptr));
    leg->RemoveFromParent();
}

void CSchematicView::AbandonWire(DeviceContext* dc) {
    if (!m_wire1)
        return;
    // After the first click the last group holds the whole wire; after a
    // later one the first leg was made by the click before and stays. The
    // leg is only compared until the undo is over, then looked up on the
    // sheet: whatever the undo freed is no longer there.
    CSheetObject* kept = m_legKept ? m_wire1 : nullptr;
    m_wire1 = m_wire2 = nullptr;
    UndoClickGroup();
    // What the last click left of the wire: its first leg, back in the
    // shape it had then, joined to what it lies on, so that the netlist
    // agrees with the drawing.
    CWire* leg = StillOnSheet<CWire>(m_sheet, kept);
    if (leg && leg->GetParent()) {
        leg->m_selected = 0;
        ConnectWire(dc, leg);
        if (CNet* net = leg->GetNet()) {
            net->NormalizeWires(dc);
            if (net->GetParent())
                net->BuildConnectionGraph(nullptr);
        }
    }
    m_net = nullptr;
    m_wire1 = m_wire2 = nullptr;
    m_legKept = false;
    InvalidateRect(nullptr, true);
}

// --- Buses ---------------------------------------------------------------------------

CBus* CSchematicView::NewBus(POINT q) {
    CBoard* board = GetBoard();
    auto* bus = new CBus();
    bus->m_position = q;
    bus->m_direction = WireDirection::None;
    bus->m_length = 0;
    bus->m_pSheet = m_sheet;
    board->AddChild(bus);
    PushUndo(new CUndoInsert(bus, nullptr));
    bus->m_selected = 1;
    return bus;
}

void CSchematicView::BusClick(DeviceContext* dc, POINT q) {
    if (!GetBoard() || !m_sheet)
        return;
    if (m_bus1)
        // The legs end at the click, whatever moves the view saw before it.
        BusMove(dc, q);
    if (m_bus1 && m_bus1->m_length == 0) {
        // A first leg without length is no leg to fix: the second one takes
        // its place and the L goes on from the click; with no length in
        // either (a double-click's second press) nothing changes. The undo
        // groups that made the two still hold them.
        if (m_bus2->m_length == 0)
            return;
        m_bus1->InvalidateOnSheet(dc);
        m_bus2->InvalidateOnSheet(dc);
        m_bus1->m_position = m_bus2->m_position;
        m_bus1->m_direction = m_bus2->m_direction;
        m_bus1->m_length = m_bus2->m_length;
        m_bus2->m_position = q;
        m_bus2->m_direction = WireDirection::None;
        m_bus2->m_length = 0;
        m_hasLastDelta = false;
        BusMove(dc, q);
        return;
    }
    if (m_bus1) {
        // A finished segment is joined to no other: segments of a bus stay
        // as they were drawn.
        m_bus1->m_selected = 0;
        m_bus1->InvalidateOnSheet(dc);
        m_bus1 = m_bus2;
        GetUndoList().SetStartNewGroup(true);
        m_clickUndoDepth = GetUndoList().UndoCount();
    } else {
        // As for a wire: floating copies go first.
        EndFloating();
        GetUndoList().SetStartNewGroup(true);
        m_clickUndoDepth = GetUndoList().UndoCount();
        m_hasLastDelta = false;
        m_bus1 = NewBus(q);
    }
    m_bus2 = NewBus(q);
}

void CSchematicView::BusMove(DeviceContext* dc, POINT q) {
    if (!m_bus1 || !m_bus2)
        return;
    const POINT start = m_bus1->GetStart();
    const POINT d{q.x - start.x, q.y - start.y};
    if (m_hasLastDelta && SamePoint(d, m_lastDelta))
        return;
    m_lastDelta = d;
    m_hasLastDelta = true;
    m_bus1->InvalidateOnSheet(dc);
    m_bus2->InvalidateOnSheet(dc);
    if (m_bus1->m_direction == WireDirection::None)
        m_bus1->m_direction = d.x != 0 ? WireDirection::Horizontal : WireDirection::Vertical;
    if (m_bus1->m_direction == WireDirection::Vertical) {
        m_bus1->m_length = d.y;
        m_bus2->m_position = POINT{start.x, q.y};
        m_bus2->m_direction = WireDirection::Horizontal;
        m_bus2->m_length = d.x;
    } else {
        m_bus1->m_length = d.x;
        m_bus2->m_position = POINT{q.x, start.y};
        m_bus2->m_direction = WireDirection::Vertical;
        m_bus2->m_length = d.y;
    }
    if (d.x == 0 && d.y == 0)
        m_bus1->m_direction = WireDirection::None;
    m_bus1->InvalidateOnSheet(dc);
    m_bus2->InvalidateOnSheet(dc);
}

void CSchematicView::AbandonBus(DeviceContext* dc) {
    if (!m_bus1)
        return;
    // The first segment stays when an earlier click fixed it; it is looked
    // up after the undo, as the wire's leg is.
    CSheetObject* kept = m_bus1;
    m_bus1 = m_bus2 = nullptr;
    UndoClickGroup();
    if (CBus* bus = StillOnSheet<CBus>(m_sheet, kept)) {
        bus->m_selected = 0;
        bus->InvalidateOnSheet(dc);
        if (bus->m_length == 0)
            DropLegWithItsGroup(bus);
    }
    InvalidateRect(nullptr, true);
}
