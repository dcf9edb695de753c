// Mouse editing of the schematic classes on a sheet: selection, dragging by
// whole grid steps with the wires following, and deleting. Every change is
// recorded on the active view's history before it is made.
#include "board/footprint.h"
#include "core/document_bounds.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "schematic/bus.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/pin.h"
#include "schematic/schematic_undo_records.h"
#include "schematic/sheet.h"
#include "schematic/sheet_paint.h"
#include "schematic/text.h"
#include "schematic/wire.h"

#include <algorithm>
#include <cstdlib>
#include <set>

using namespace SheetPaint;

namespace {

bool Ctrl(uint32_t flags) {
    return (flags & NodeFlags::Control) != 0;
}

// The common rule: a hit toggles with Ctrl and selects without; a miss
// clears unless the flags keep the selection. True when the word changed.
bool SelectByHit(CTreeNode* node, DeviceContext* dc, uint32_t flags, bool hit) {
    const int32_t before = node->m_selected;
    if (hit)
        node->m_selected = Ctrl(flags) ? (before ? 0 : 1) : 1;
    else if (!(flags & kKeepMask))
        node->m_selected = 0;
    if (node->m_selected == before)
        return false;
    node->InvalidateOnSheet(dc);
    return true;
}

// Mouse-up: a release away from a selected object deselects it, unless
// Ctrl is held or the press dragged.
void DeselectOnMiss(CTreeNode* node, DeviceContext* dc, uint32_t flags, bool hit) {
    if (Ctrl(flags) || node->m_dragRecorded || hit || !node->IsSelected())
        return;
    node->m_selected = 0;
    node->InvalidateOnSheet(dc);
}

// Whole grid steps of a travel, truncated toward zero; false while the
// travel is below one step in both directions.
bool GridTravel(int dx, int dy, int g, int& nx, int& ny) {
    if (g <= 0 || (std::abs(dx) < g && std::abs(dy) < g))
        return false;
    nx = dx / g;
    ny = dy / g;
    return true;
}

CWire* AppendWire(CNet* net, CSheet* sheet, POINT a, POINT b) {
    auto* wire = new CWire(a, b);
    wire->m_pSheet = sheet;
    net->AddChild(wire);
    PushUndo(new CUndoInsert(wire, nullptr));
    return wire;
}

// A net left without wires and pins goes, with its undo record.
void DropIfEmpty(CNet* net) {
    if (!net->GetParent() || net->GetChildCount() != 0 || !net->m_pins.empty())
        return;
    PushUndo(new CUndoDelete(net, nullptr));
    net->RemoveFromParent();
}

// The wires of net on sheet.
std::vector<CWire*> WiresOn(const CNet* net, const CSheet* sheet) {
    std::vector<CWire*> out;
    for (CWire* wire : net->GetWires())
        if (wire->m_pSheet == sheet)
            out.push_back(wire);
    return out;
}

} // namespace

// --- Wire dragging -------------------------------------------------------------

void CWire::DragSegment(int dx, int dy) {
    CNet* net = GetNet();
    if (!net || (dx == 0 && dy == 0))
        return;
    const wchar_t kind = GetDirection();
    const POINT ends[2] = {m_position, m_end};
    // 1. Stubs at unselected pins on an end, stretched below into connectors.
    for (CPin* pin : net->m_pins) {
        CPart* part = pin->GetPart();
        if (!part || part->IsSelected() || pin->GetSheet() != m_pSheet)
            continue;
        const POINT c = pin->GetConnectionPoint();
        if (!SamePoint(c, ends[0]) && !SamePoint(c, ends[1]))
            continue;
        if ((kind == WireDirection::Horizontal && dy) || (kind == WireDirection::Vertical && dx))
            AppendWire(net, m_pSheet, c, c);
    }
    // 2. Neighbours meeting an end.
    for (CWire* other : WiresOn(net, m_pSheet)) {
        if (other == this || other->IsSelected())
            continue;
        POINT* e = nullptr;
        for (const POINT& end : ends) {
            if (SamePoint(other->m_position, end))
                e = &other->m_position;
            else if (SamePoint(other->m_end, end))
                e = &other->m_end;
            if (e)
                break;
        }
        if (!e)
            continue;
        if (other->GetDirection() == kind) {
            AppendWire(net, m_pSheet, *e, POINT{e->x + dx, e->y + dy})->InvalidateOnSheet(nullptr);
            continue;
        }
        PushUndo(new CUndoChangeWirePos(other));
        other->InvalidateOnSheet(nullptr);
        if (kind == WireDirection::Vertical)
            e->x += dx;
        else if (kind == WireDirection::Horizontal)
            e->y += dy;
        other->InvalidateOnSheet(nullptr);
    }
    // 3. The wire itself; an end slides along only when nothing holds it.
    PushUndo(new CUndoChangeWirePos(this));
    InvalidateOnSheet(nullptr);
    auto isFree = [&](POINT p, int busEntry) {
        if (busEntry)
            return false;
        for (CWire* other : WiresOn(net, m_pSheet))
            if (other != this && !other->IsSelected() && other->ContainsPoint(p, true))
                return false;
        for (CPin* pin : net->m_pins) {
            CPart* part = pin->GetPart();
            if (part && !part->IsSelected() && pin->GetSheet() == m_pSheet &&
                SamePoint(pin->GetConnectionPoint(), p))
                return false;
        }
        return true;
    };
    if (kind == WireDirection::Vertical || kind == WireDirection::Horizontal) {
        const bool vertical = kind == WireDirection::Vertical;
        POINT* pts[2] = {&m_position, &m_end};
        for (POINT* p : pts) {
            if (vertical)
                p->x += dx;
            else
                p->y += dy;
        }
        const bool free1 = isFree(m_position, m_busEntry1);
        const bool free2 = isFree(m_end, m_busEntry2);
        const bool frees[2] = {free1, free2};
        for (int i = 0; i < 2; ++i) {
            if (!frees[i])
                continue;
            if (vertical)
                pts[i]->y += dy;
            else
                pts[i]->x += dx;
        }
    } else {
        m_position.x += dx;
        m_position.y += dy;
        m_end.x += dx;
        m_end.y += dy;
    }
    InvalidateOnSheet(nullptr);
}

bool CPin::DragAttachedWires(int dx, int dy) {
    CNet* net = m_pNet;
    CSheet* sheet = GetSheet();
    if (!net || !sheet)
        return true;
    const POINT p1 = GetConnectionPoint();
    const POINT p0{p1.x - dx, p1.y - dy};
    const bool topBottom = m_side == L'T' || m_side == L'B';
    // The wires were gathered when the part was pressed; an undo or a tidy
    // since may have deleted some. Only those still in the net are used.
    const std::vector<CWire*> live = WiresOn(net, sheet);
    std::erase_if(m_attached,
                  [&](CWire* w) { return std::find(live.begin(), live.end(), w) == live.end(); });
    const size_t count = m_attached.size();
    for (size_t i = 0; i < count; ++i) {
        CWire* w = m_attached[i];
        if (w->IsSelected() || w->GetNet() != net || w->m_pSheet != sheet)
            continue;
        const bool atStart = SamePoint(w->m_position, p0);
        if (!atStart && !SamePoint(w->m_end, p0))
            continue;
        const wchar_t kind = w->GetDirection();
        w->InvalidateOnSheet(nullptr);
        // The end at the pin: a member, re-read after DragSegment moved it.
        auto end = [&]() -> POINT& { return atStart ? w->m_position : w->m_end; };
        const POINT other = atStart ? w->m_end : w->m_position;
        if (kind == WireDirection::Horizontal || kind == WireDirection::Vertical) {
            const bool horizontal = kind == WireDirection::Horizontal;
            const int across = horizontal ? dy : dx;
            const int along = horizontal ? dx : dy;
            // Across the pin's own side: a connector from the old line to
            // the pin; across the other sides: the wire moves with its
            // neighbours, or stretches from a pin that holds its far end.
            const bool sideAcross = horizontal ? topBottom : !topBottom;
            if (across && sideAcross) {
                const POINT from = horizontal ? POINT{p1.x, p0.y} : POINT{p0.x, p1.y};
                CWire* link = AppendWire(net, sheet, from, p1);
                link->InvalidateOnSheet(nullptr);
                m_attached.push_back(link);
            } else if (across) {
                bool joint = false;
                for (CWire* x : m_attached) {
                    if (x == w || x->GetDirection() != kind)
                        continue;
                    if (SamePoint(x->m_position, other) || SamePoint(x->m_end, other)) {
                        const POINT at = horizontal ? POINT{other.x, other.y + dy}
                                                    : POINT{other.x + dx, other.y};
                        AppendWire(net, sheet, at, at);
                        joint = true;
                    }
                }
                PushUndo(new CUndoChangeWirePos(w));
                if (sheet->FindPinAt(other, nullptr) && !joint) {
                    if (horizontal)
                        end().y += dy;
                    else
                        end().x += dx;
                } else {
                    w->DragSegment(horizontal ? 0 : dx, horizontal ? dy : 0);
                }
                w->InvalidateOnSheet(nullptr);
            }
            if (along) {
                PushUndo(new CUndoChangeWirePos(w));
                w->InvalidateOnSheet(nullptr);
                if (horizontal)
                    end().x += dx;
                else
                    end().y += dy;
                // A pin left behind at the old point stays connected.
                for (CPin* pin : std::vector<CPin*>(net->m_pins.begin(), net->m_pins.end())) {
                    if (pin->GetParent() == GetParent() || !pin->GetPart() ||
                        pin->GetSheet() != sheet || !SamePoint(pin->GetConnectionPoint(), p0))
                        continue;
                    AppendWire(net, sheet, p0, p1);
                }
            }
        } else {
            PushUndo(new CUndoChangeWirePos(w));
            end().x += dx;
            end().y += dy;
        }
        w->InvalidateOnSheet(nullptr);
    }
    return true;
}

// --- Wire ----------------------------------------------------------------------

CTreeNode* CWire::MouseDownOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    m_dragRecorded = 0;
    m_clickPoint = POINT{x, y};
    const RECT l1 = Normalized(GetBusEntryLabelRect(dc, 1));
    const RECT l2 = Normalized(GetBusEntryLabelRect(dc, 2));
    const int32_t before = m_selected;
    const bool hit = HitTestOnSheet(dc, x, y) != nullptr;
    if (hit) {
        // A label is toggled with Ctrl; a plain click selects it and leaves
        // a selected one selected, so that the second click edits it.
        const int label = !IsEmpty(l1) && Contains(l1, x, y)   ? 2
                          : !IsEmpty(l2) && Contains(l2, x, y) ? 4
                                                               : 0;
        if (label)
            m_selected = Ctrl(flags) ? m_selected ^ label : m_selected | label;
        else if (!Ctrl(flags))
            m_selected = 1;
        else
            m_selected = m_selected ? 0 : 1;
    } else if (!(flags & kKeepMask)) {
        m_selected = 0;
    }
    if (m_selected != before)
        InvalidateOnSheet(dc);
    // A second click on a selected label edits the net name in place.
    if (g_pActiveView) {
        for (int bit : {2, 4}) {
            if (!(before & bit) || !(m_selected & bit))
                continue;
            RECT r = bit == 2 ? l1 : l2;
            if (GetDirection() == WireDirection::Vertical)
                r = RECT{r.left, r.top, r.left + (r.bottom - r.top), r.top + (r.right - r.left)};
            g_pActiveView->BeginInPlaceEdit(dc, r.left, r.top, r.right, r.bottom, this);
        }
    }
    return hit ? this : nullptr;
}

int CWire::MouseUpOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    const bool dragged = m_dragRecorded != 0;
    m_dragRecorded = 0;
    if (Ctrl(flags) || dragged)
        return 0;
    const int32_t before = m_selected;
    const RECT l1 = Normalized(GetBusEntryLabelRect(dc, 1));
    const RECT l2 = Normalized(GetBusEntryLabelRect(dc, 2));
    if (!IsEmpty(l1) && !Contains(l1, x, y))
        m_selected &= ~2;
    if (!IsEmpty(l2) && !Contains(l2, x, y))
        m_selected &= ~4;
    if (!Contains(GetBoundsOnSheet(dc), x, y)) {
        m_selected &= ~1;
        // The net's word changes only with a wire's: a click beside a sheet of
        // many unselected wires looks at each wire once.
        CNet* net = m_selected != before ? GetNet() : nullptr;
        if (net) {
            int32_t any = 0;
            for (CWire* wire : net->GetWires())
                any |= wire->m_selected;
            net->m_selected = any;
        }
    }
    if (m_selected != before)
        InvalidateOnSheet(dc);
    return 0;
}

void CWire::RightClickOnSheet(DeviceContext* dc, uint32_t, int x, int y) {
    if (!HitTestOnSheet(dc, x, y))
        return;
    const int32_t before = m_selected;
    const RECT l1 = Normalized(GetBusEntryLabelRect(dc, 1));
    const RECT l2 = Normalized(GetBusEntryLabelRect(dc, 2));
    if (!IsEmpty(l1) && Contains(l1, x, y))
        m_selected = 2;
    else if (!IsEmpty(l2) && Contains(l2, x, y))
        m_selected = 4;
    else
        m_selected = 1;
    if (m_selected != before)
        InvalidateOnSheet(dc);
}

int CWire::DragOnSheet(DeviceContext*, uint32_t flags, int x, int y) {
    if (!(m_selected & 1) || !(flags & NodeFlags::LeftButton))
        return 0;
    const int g = Grid();
    int nx = 0, ny = 0;
    if (!GridTravel(x - m_clickPoint.x, y - m_clickPoint.y, g, nx, ny))
        return 0;
    m_clickPoint.x += nx * g;
    m_clickPoint.y += ny * g;
    DragSegment(nx, ny);
    m_dragRecorded = 1;
    return 1;
}

int CWire::DeleteOnSheet(DeviceContext* dc, uint32_t) {
    if (!m_selected)
        return 0;
    InvalidateOnSheet(dc);
    InvalidateBusEntries(dc);
    PushUndo(new CUndoDelete(this, nullptr));
    CNet* net = GetNet();
    RemoveFromParent();
    if (net)
        net->SplitDisconnected(dc);
    return 1;
}

// --- Net -----------------------------------------------------------------------

CTreeNode* CNet::MouseDownOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    m_dragRecorded = 0;
    m_selected = 0;
    CTreeNode* last = nullptr;
    // Only the wires are on a sheet: what is selected of the net's
    // conductors and vias belongs to the board.
    for (CWire* wire : GetWires()) {
        if (CTreeNode* hit = wire->MouseDownOnSheet(dc, flags, x, y))
            last = hit;
        m_selected |= wire->m_selected;
    }
    return last;
}

void CNet::RightClickOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    m_selected = 0;
    for (CWire* wire : GetWires()) {
        wire->RightClickOnSheet(dc, flags, x, y);
        m_selected |= wire->m_selected ? 1 : 0;
    }
}

int CNet::DragOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    int moved = 0;
    for (CTreeNode* child : GetChildren())
        moved |= child->DragOnSheet(dc, flags, x, y);
    m_dragRecorded = moved;
    return moved;
}

int CNet::DeleteOnSheet(DeviceContext* dc, uint32_t flags) {
    bool any = false;
    for (CWire* wire : GetWires())
        if (wire->m_selected)
            any |= wire->DeleteOnSheet(dc, flags) != 0;
    if (any)
        SplitDisconnected(dc);
    return any ? 1 : 0;
}

// --- Bus -----------------------------------------------------------------------

CTreeNode* CBus::MouseDownOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    m_dragRecorded = 0;
    m_clickPoint = POINT{x, y};
    SelectByHit(this, dc, flags, HitTestOnSheet(dc, x, y) != nullptr);
    return IsSelected() ? this : nullptr;
}

int CBus::MouseUpOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    DeselectOnMiss(this, dc, flags, HitTestOnSheet(dc, x, y) != nullptr);
    m_dragRecorded = 0;
    return IsSelected() ? 1 : 0;
}

int CBus::DragOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    if (!IsSelected() || !(flags & NodeFlags::LeftButton) || !m_pSheet)
        return 0;
    const int g = Grid();
    int nx = 0, ny = 0;
    if (!GridTravel(x - m_clickPoint.x, y - m_clickPoint.y, g, nx, ny))
        return 0;
    m_clickPoint.x += nx * g;
    m_clickPoint.y += ny * g;
    const bool horizontal = m_direction == L'H';
    if ((m_direction != L'H' && m_direction != L'V') || (nx == 0 && ny == 0))
        return 0;
    const int across = horizontal ? ny : nx;
    const int along = horizontal ? nx : ny;
    // Only what lies on this bus's sheet follows it.
    const std::vector<CSheetObject*> objects(m_pSheet->m_objects.begin(),
                                             m_pSheet->m_objects.end());
    if (across) {
        for (CSheetObject* object : objects) {
            if (object == this)
                continue;
            if (object->GetType() == NodeType::Wire) {
                auto* wire = static_cast<CWire*>(object);
                if (wire->GetDirection() == m_direction)
                    continue;
                const bool move1 = wire->m_busEntry1 && ContainsPoint(wire->m_position);
                const bool move2 = wire->m_busEntry2 && ContainsPoint(wire->m_end);
                if (!move1 && !move2)
                    continue;
                PushUndo(new CUndoChangeWirePos(wire));
                wire->InvalidateOnSheet(dc);
                POINT* ends[2] = {move1 ? &wire->m_position : nullptr,
                                  move2 ? &wire->m_end : nullptr};
                for (POINT* e : ends)
                    if (e) {
                        if (horizontal)
                            e->y += ny;
                        else
                            e->x += nx;
                    }
                wire->InvalidateOnSheet(dc);
            } else if (object->GetType() == NodeType::Bus) {
                auto* bus = static_cast<CBus*>(object);
                if (bus->m_direction == m_direction ||
                    (bus->m_direction != L'H' && bus->m_direction != L'V'))
                    continue;
                const bool startOn = ContainsPoint(bus->GetStart());
                const bool endOn = ContainsPoint(bus->GetEnd());
                if (!startOn && !endOn)
                    continue;
                bus->InvalidateOnSheet(dc);
                if (startOn) {
                    PushUndo(new CUndoChangeBusPos(bus));
                    if (horizontal)
                        bus->m_position.y += ny;
                    else
                        bus->m_position.x += nx;
                    bus->m_length -= across;
                }
                if (endOn) {
                    PushUndo(new CUndoChangeBusPos(bus));
                    bus->m_length += across;
                }
                bus->InvalidateOnSheet(dc);
            }
        }
        InvalidateOnSheet(dc);
        PushUndo(new CUndoChangeBusPos(this));
        if (horizontal)
            m_position.y += ny;
        else
            m_position.x += nx;
        m_dragRecorded = 1;
        InvalidateOnSheet(dc);
        return 1;
    }
    auto isFree = [&](POINT p) {
        for (CSheetObject* object : objects) {
            if (object == this)
                continue;
            if (object->GetType() == NodeType::Bus) {
                auto* bus = static_cast<CBus*>(object);
                if (bus->m_direction != m_direction && bus->ContainsPoint(p))
                    return false;
            } else if (object->GetType() == NodeType::Wire) {
                if (static_cast<CWire*>(object)->BusEntryAt(p))
                    return false;
            }
        }
        return true;
    };
    const bool startFree = isFree(GetStart());
    const bool endFree = isFree(GetEnd());
    if (!startFree && !endFree)
        return 1;
    InvalidateOnSheet(dc);
    PushUndo(new CUndoChangeBusPos(this));
    if (startFree) {
        if (horizontal)
            m_position.x += along;
        else
            m_position.y += along;
        if (!endFree)
            m_length -= along;
    } else {
        m_length += along;
    }
    m_dragRecorded = 1;
    InvalidateOnSheet(dc);
    return 1;
}

int CBus::DeleteOnSheet(DeviceContext* dc, uint32_t) {
    if (!IsSelected())
        return 0;
    InvalidateOnSheet(dc);
    PushUndo(new CUndoDelete(this, nullptr));
    RemoveFromParent();
    return 1;
}

// --- Part ----------------------------------------------------------------------

void CPart::PlaceHere(DeviceContext* dc) {
    if (!m_placing)
        return;
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Pin)
            static_cast<CPin*>(child)->Connect(dc);
    m_placing = false;
    m_selected = 0;
    SyncPinSelection();
}

CTreeNode* CPart::MouseDownOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    m_dragRecorded = 0;
    if (!OnShownSheet(this))
        return nullptr;
    if (m_placing) {
        PlaceHere(dc);
        return this;
    }
    const int g = Grid();
    const int64_t px = m_position.x, py = m_position.y;
    const RECT outline{Scale(px, g), Scale(py, g), Scale(px + m_size.cx, g),
                       Scale(py + m_size.cy, g)};
    const int32_t before = m_selected;
    if (Contains(outline, x, y))
        m_selected = Ctrl(flags) ? (before ? 0 : 1) : 1;
    else if (!(flags & kKeepMask))
        m_selected = 0;
    if (IsSelected()) {
        m_clickPoint = POINT{x, y};
        for (CTreeNode* child : GetChildren())
            if (child->GetType() == NodeType::Pin)
                static_cast<CPin*>(child)->CollectAttachedWires();
    }
    if (m_selected != before) {
        SyncPinSelection();
        InvalidateOnSheet(dc);
    }
    return IsSelected() ? this : nullptr;
}

int CPart::MouseUpOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    if (!OnShownSheet(this))
        return 0;
    const bool dragged = m_dragRecorded != 0;
    const int32_t before = m_selected;
    DeselectOnMiss(this, dc, flags, Contains(GetBoundsOnSheet(dc), x, y));
    if (m_selected != before)
        SyncPinSelection();
    if (dragged)
        for (CTreeNode* child : GetChildren())
            if (child->GetType() == NodeType::Pin)
                child->MouseUpOnSheet(dc, flags, x, y);
    m_dragRecorded = 0;
    return IsSelected() ? 1 : 0;
}

void CPart::RightClickOnSheet(DeviceContext* dc, uint32_t, int x, int y) {
    if (!OnShownSheet(this))
        return;
    m_clickPoint = POINT{x, y};
    if (!IsSelected() && Contains(GetBoundsOnSheet(dc), x, y)) {
        m_selected = 1;
        SyncPinSelection();
        InvalidateOnSheet(dc);
    }
}

int CPart::DragOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    if (!OnShownSheet(this) || !IsSelected() || !((flags & NodeFlags::LeftButton) || m_placing))
        return 0;
    const int g = Grid();
    int nx = 0, ny = 0;
    if (!GridTravel(x - m_clickPoint.x, y - m_clickPoint.y, g, nx, ny))
        return 0;
    if (!m_dragRecorded)
        PushUndo(new CUndoChangePos(this));
    m_dragRecorded = 1;
    m_clickPoint.x += nx * g;
    m_clickPoint.y += ny * g;
    InvalidateOnSheet(dc);
    m_position.x += nx;
    m_position.y += ny;
    InvalidateOnSheet(dc);
    // Pins drag their wires side by side, the leading pin of each side
    // first, so that wires never run over each other's new places. Stacked
    // pins (same side and offset) all keep their wires.
    std::vector<CPin*> pins;
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Pin)
            pins.push_back(static_cast<CPin*>(child));
    auto group = [](wchar_t side) {
        switch (side) {
        case L'T':
            return 0;
        case L'B':
            return 1;
        case L'L':
            return 2;
        case L'R':
            return 3;
        default:
            return 4;
        }
    };
    const bool xForward = nx * g >= 0, yForward = ny * g >= 0;
    std::stable_sort(pins.begin(), pins.end(), [&](const CPin* a, const CPin* b) {
        const int ga = group(a->m_side), gb = group(b->m_side);
        if (ga != gb)
            return ga < gb;
        const bool forward = ga <= 1 ? xForward : yForward;
        return forward ? a->m_offset > b->m_offset : a->m_offset < b->m_offset;
    });
    for (CPin* pin : pins)
        pin->DragOnSheet(dc, flags, nx * g, ny * g);
    return 1;
}

int CPart::DeleteOnSheet(DeviceContext* dc, uint32_t flags) {
    if (!m_pSheet || !IsSelected())
        return 0;
    InvalidateOnSheet(dc);
    std::set<CNet*> left;
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() != NodeType::Pin)
            continue;
        if (CNet* net = static_cast<CPin*>(child)->m_pNet)
            left.insert(net);
        child->DeleteOnSheet(dc, flags);
    }
    PushUndo(new CUndoChangeNodeAttribute(this, nullptr));
    m_pSheet->RemoveObject(this);
    m_pSheet = nullptr;
    m_selected = 0;
    SyncPinSelection();
    for (CNet* net : left) {
        if (net->GetParent())
            net->BuildConnectionGraph(nullptr);
        DropIfEmpty(net);
    }
    if (CPackage* package = GetPackage())
        package->DeleteOnSheet(dc, flags);
    return 1;
}

// --- Pin -----------------------------------------------------------------------

namespace {
struct OutlineSlot {
    wchar_t side;
    int offset;
    POINT at; // grid steps from the part corner
};
// The outline positions of a w by h outline, in numbering order.
std::vector<OutlineSlot> OutlineSlots(int w, int h) {
    std::vector<OutlineSlot> slots;
    for (int o = 0; o <= h; ++o)
        slots.push_back({L'L', o, POINT{0, o}});
    for (int o = 0; o <= w; ++o)
        slots.push_back({L'T', o, POINT{o, h}});
    for (int o = h; o >= 0; --o)
        slots.push_back({L'R', o, POINT{w, o}});
    for (int o = w; o >= 0; --o)
        slots.push_back({L'B', o, POINT{o, 0}});
    return slots;
}
} // namespace

int CPin::OutlinePerimeterPos() const {
    const CTreeNode* part = GetParent();
    if (!part)
        return 0;
    const int w = part->m_size.cx, h = part->m_size.cy;
    switch (m_side) {
    case L'L':
        return m_offset;
    case L'T':
        return h + 1 + m_offset;
    case L'R':
        return w + 2 * h + 2 - m_offset;
    case L'B':
        return 2 * w + 2 * h + 3 - m_offset;
    default:
        return 0;
    }
}

namespace {
// The outline position nearest to a logical point.
int NearestOutlinePos(const CTreeNode* part, int x, int y, int g) {
    const std::vector<OutlineSlot> slots = OutlineSlots(part->m_size.cx, part->m_size.cy);
    int best = 0;
    int64_t bestDist = -1;
    for (size_t i = 0; i < slots.size(); ++i) {
        const int64_t dx =
            Scale(int64_t{part->m_position.x} + slots[i].at.x, g) - static_cast<int64_t>(x);
        const int64_t dy =
            Scale(int64_t{part->m_position.y} + slots[i].at.y, g) - static_cast<int64_t>(y);
        const int64_t d = dx * dx + dy * dy;
        if (bestDist < 0 || d < bestDist) {
            bestDist = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}
} // namespace

int CPin::SlideOnOutline(DeviceContext* dc, int x, int y) {
    CTreeNode* part = GetParent();
    const int g = Grid();
    if (!part || g <= 0)
        return 0;
    if (std::abs(x - m_clickPoint.x) < g / 2 && std::abs(y - m_clickPoint.y) < g / 2)
        return 0;
    const std::vector<OutlineSlot> slots = OutlineSlots(part->m_size.cx, part->m_size.cy);
    const int n = static_cast<int>(slots.size());
    const int target = ((NearestOutlinePos(part, x, y, g) - m_grabOffset) % n + n) % n;
    if (target == OutlinePerimeterPos())
        return 0;
    if (!m_dragRecorded)
        PushUndo(new CUndoChangeNodeAttribute(this, nullptr));
    m_dragRecorded = 1;
    InvalidateOnSheet(dc);
    m_side = slots[static_cast<size_t>(target)].side;
    m_offset = slots[static_cast<size_t>(target)].offset;
    m_clickPoint = POINT{x, y};
    InvalidateOnSheet(dc);
    return 1;
}

CTreeNode* CPin::MouseDownOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    m_dragRecorded = 0;
    if (!(flags & NodeFlags::SymbolView))
        return nullptr;
    SelectByHit(this, dc, flags, Contains(GetBoundsOnSheet(dc), x, y));
    if (IsSelected()) {
        m_clickPoint = POINT{x, y};
        if (CTreeNode* part = GetParent())
            m_grabOffset = NearestOutlinePos(part, x, y, Grid()) - OutlinePerimeterPos();
    }
    return IsSelected() ? this : nullptr;
}

int CPin::MouseUpOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    if (flags & NodeFlags::SymbolView) {
        DeselectOnMiss(this, dc, flags, Contains(GetBoundsOnSheet(dc), x, y));
    } else {
        m_attached.clear();
        Connect(dc);
    }
    m_dragRecorded = 0;
    return IsSelected() ? 1 : 0;
}

void CPin::RightClickOnSheet(DeviceContext*, uint32_t, int, int) {
    m_selected = 0;
}

// On a sheet the travel (x, y) is the part's move in logical units.
int CPin::DragOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    if (!IsSelected())
        return 0;
    if (flags & NodeFlags::SymbolView)
        return (flags & NodeFlags::LeftButton) ? SlideOnOutline(dc, x, y) : 0;
    if (!m_pNet)
        return 0;
    const int g = Grid();
    return g > 0 && DragAttachedWires(x / g, y / g) ? 1 : 0;
}

int CPin::DeleteOnSheet(DeviceContext* dc, uint32_t flags) {
    if (flags & NodeFlags::SymbolView) {
        if (!IsSelected())
            return 0;
        InvalidateOnSheet(dc);
        PushUndo(new CUndoDelete(this, nullptr));
        RemoveFromParent();
        return 1;
    }
    RemoveFromNet();
    return 1;
}

// --- Text ----------------------------------------------------------------------

CTreeNode* CText::MouseDownOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    m_dragRecorded = 0;
    if (!m_visible)
        return nullptr;
    const bool hit = HitTestOnSheet(dc, x, y) != nullptr;
    SelectByHit(this, dc, flags, hit);
    if (IsSelected())
        m_clickPoint = POINT{x, y};
    return hit ? this : nullptr;
}

int CText::MouseUpOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    if (m_visible)
        DeselectOnMiss(this, dc, flags, HitTestOnSheet(dc, x, y) != nullptr);
    m_dragRecorded = 0;
    return IsSelected() ? 1 : 0;
}

void CText::RightClickOnSheet(DeviceContext* dc, uint32_t, int x, int y) {
    if (!m_visible)
        return;
    const int32_t before = m_selected;
    const bool hit = HitTestOnSheet(dc, x, y) != nullptr;
    m_clickPoint = POINT{x, y};
    m_selected = hit ? 1 : 0;
    if (m_selected != before)
        InvalidateOnSheet(dc);
}

int CText::DragOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    if (!m_visible || !IsSelected() || !(flags & NodeFlags::LeftButton))
        return 0;
    const int g = Grid();
    const int s = g / 10;
    const int dx = x - m_clickPoint.x, dy = y - m_clickPoint.y;
    if (s <= 0 || (std::abs(dx) < s && std::abs(dy) < s))
        return 0;
    if (!m_dragRecorded)
        PushUndo(new CUndoChangePos(this));
    m_dragRecorded = 1;
    const int tx = dx - dx % s, ty = dy - dy % s;
    m_clickPoint.x += tx;
    m_clickPoint.y += ty;
    InvalidateOnSheet(dc);
    const RECT r = GetBoundsOnSheet(dc);
    const CTreeNode* holder = GetParent();
    const POINT p = holder ? holder->m_position : POINT{};
    m_position.x = ToInt32((int64_t{r.left} + tx - Scale(p.x, g)) / s);
    m_position.y = ToInt32((int64_t{r.top} + ty - Scale(p.y, g)) / s);
    InvalidateOnSheet(dc);
    return 1;
}

int CText::DeleteOnSheet(DeviceContext* dc, uint32_t flags) {
    if (!IsSelected())
        return 0;
    InvalidateOnSheet(dc);
    if (!(flags & NodeFlags::SymbolView) && GetHoldingPackage()) {
        PushUndo(new CUndoChangeNodeAttribute(this, nullptr));
        m_visible = false;
        m_selected = 0;
        return 1;
    }
    PushUndo(new CUndoDelete(this, nullptr));
    RemoveFromParent();
    return 1;
}

// --- Package -------------------------------------------------------------------

CTreeNode* CPackage::MouseDownOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    m_dragRecorded = 0;
    m_selected = 0;
    CTreeNode* last = nullptr;
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() != NodeType::Part && child->GetType() != NodeType::Text)
            continue;
        CTreeNode* hit = child->MouseDownOnSheet(dc, flags, x, y);
        if (hit && hit->IsSelected()) {
            m_selected = 1;
            last = hit;
        }
    }
    return last;
}

int CPackage::MouseUpOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    m_selected = 0;
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() != NodeType::Part && child->GetType() != NodeType::Text)
            continue;
        child->MouseUpOnSheet(dc, flags, x, y);
        m_selected |= child->m_selected ? 1 : 0;
    }
    if (CFootprint* footprint = GetFootprint())
        footprint->m_selected = m_selected;
    return m_selected;
}

void CPackage::RightClickOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    m_selected = 0;
    for (CTreeNode* child : GetChildren()) {
        child->RightClickOnSheet(dc, flags, x, y);
        m_selected |= child->m_selected ? 1 : 0;
    }
}

int CPackage::DragOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) {
    bool partSelected = false;
    for (CTreeNode* child : GetChildren())
        partSelected |= child->GetType() == NodeType::Part && child->IsSelected();
    int moved = 0;
    for (CTreeNode* child : GetChildren()) {
        const int type = child->GetType();
        if (type == NodeType::Part || (!partSelected && type == NodeType::Text))
            moved |= child->DragOnSheet(dc, flags, x, y);
    }
    return moved;
}

int CPackage::DeleteOnSheet(DeviceContext* dc, uint32_t) {
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Part && child->IsOnSheet())
            return 1;
    GetFootprint(); // cached, so that an undo finds it again
    // Package-level pins leave their nets with the package.
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() != NodeType::Pin)
            continue;
        auto* pin = static_cast<CPin*>(child);
        CNet* net = pin->m_pNet;
        if (!net)
            continue;
        pin->RemoveFromNet();
        net->BuildConnectionGraph(nullptr);
        DropIfEmpty(net);
    }
    InvalidateOnSheet(dc);
    PushUndo(new CUndoDelete(this, nullptr));
    RemoveFromParent();
    return 1;
}
