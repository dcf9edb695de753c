// Copy and Cut in the schematic editor: there is no clipboard. Copy makes
// copies of the selection, Cut lifts the selection itself; either follows
// the cursor until a click drops it, and a fresh copy then follows for the
// next drop until Esc. Mirroring and rotating lift the selection the same
// way and turn it about the centre of its bounds; a single floating part is
// turned in place.
#include "views/schematic_view.h"

#include "board/board.h"
#include "board/footprint.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/undo_node_records.h"
#include "platform/device_context.h"
#include "platform/key_state.h"
#include "schematic/bus.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/pin.h"
#include "schematic/schematic_undo_records.h"
#include "schematic/sheet.h"
#include "schematic/text.h"
#include "schematic/wire.h"

#include <algorithm>
#include <climits>

namespace {

bool OnSheet(const CSheet* sheet, const CTreeNode* node) {
    auto* object = dynamic_cast<const CSheetObject*>(node);
    return object && object->m_pSheet == sheet;
}

std::vector<CPart*> SelectedPartsOn(const CSheet* sheet, CTreeNode* package) {
    std::vector<CPart*> parts;
    for (CTreeNode* child : package->GetChildren())
        if (child->GetType() == NodeType::Part && child->IsSelected() && OnSheet(sheet, child))
            parts.push_back(static_cast<CPart*>(child));
    return parts;
}

std::vector<CWire*> SelectedWiresOn(const CSheet* sheet, CTreeNode* net) {
    std::vector<CWire*> wires;
    for (CTreeNode* child : net->GetChildren())
        if (child->GetType() == NodeType::Wire && child->IsSelected() && OnSheet(sheet, child))
            wires.push_back(static_cast<CWire*>(child));
    return wires;
}

void Deselect(CTreeNode* node, DeviceContext* dc) {
    if (!node->IsSelected())
        return;
    node->m_selected = 0;
    if (node->GetType() == NodeType::Part)
        static_cast<CPart*>(node)->SyncPinSelection();
    node->InvalidateOnSheet(dc);
}

POINT Offset(POINT p, POINT d) {
    return POINT{p.x + d.x, p.y + d.y};
}

} // namespace

// --- The list -----------------------------------------------------------------------

void CSchematicView::ClearFloatingList() {
    // Every listed node is in the board, or held by an undo record: the
    // list only lets go of them.
    m_floating.clear();
}

std::vector<CPackage*> CSchematicView::FloatingPackages() const {
    std::vector<CPackage*> packages;
    for (const FloatingNode& f : m_floating)
        if (f.node->GetType() == NodeType::Package)
            packages.push_back(static_cast<CPackage*>(f.node));
    return packages;
}

void CSchematicView::CopyOrCut(int cut) {
    // While copies float, a second lift would leave the first one behind,
    // beyond the reach of Esc.
    if (!m_sheet || !GetBoard() || m_wire1 || m_bus1 || m_floatingPart || m_floatingText ||
        !m_floating.empty())
        return;
    g_pActiveView = this;
    CloseLabelEdit();
    std::unique_ptr<DeviceContext> dc = MakeDC();
    const POINT p = ClientToLogical(dc.get(), m_lastCursor);
    if (cut)
        PickUpSelection(dc.get(), p);
    else
        PickUpCopy(dc.get(), p);
}

CTreeNode* CSchematicView::MakeFloatingCopy(DeviceContext* dc, CTreeNode* source,
                                            std::vector<CPackage*>* extra) {
    CBoard* board = GetBoard();
    switch (source->GetType()) {
    case NodeType::Package: {
        auto* clone = static_cast<CPackage*>(source->Clone());
        NextRefDes(clone, extra);
        if (CFootprint* footprint = clone->GetFootprint())
            PlaceFootprintOnBoard(footprint, extra);
        for (CTreeNode* child : clone->GetChildren()) {
            if (child->GetType() != NodeType::Part)
                continue;
            static_cast<CPart*>(child)->m_pSheet = nullptr;
            for (CTreeNode* pin : child->GetChildren())
                if (pin->GetType() == NodeType::Pin)
                    static_cast<CPin*>(pin)->m_pNet = nullptr;
        }
        extra->push_back(clone);
        return clone;
    }
    case NodeType::Net: {
        auto* net = new CNet(board->NewNetName().c_str());
        for (CWire* wire : static_cast<CNet*>(source)->GetWires()) {
            if (wire->m_pSheet != m_sheet)
                continue;
            auto* copy = static_cast<CWire*>(wire->Clone());
            copy->m_pSheet = nullptr;
            net->AddChild(copy);
            Deselect(wire, dc);
        }
        return net;
    }
    default: {
        CTreeNode* clone = source->Clone();
        Deselect(source, dc);
        return clone;
    }
    }
}

void CSchematicView::InsertFloating(CTreeNode* node) {
    GetBoard()->AddChild(node);
    PushUndo(new CUndoInsert(node, nullptr));
    const int type = node->GetType();
    if (type != NodeType::Package && type != NodeType::Net)
        return;
    for (CTreeNode* child : std::vector<CTreeNode*>(node->GetChildren())) {
        if ((child->GetType() != NodeType::Part && child->GetType() != NodeType::Wire) ||
            !child->IsSelected())
            continue;
        auto* object = static_cast<CSheetObject*>(child);
        object->m_pSheet = nullptr;
        PushUndo(new CUndoChangeNodeAttribute(object, nullptr));
        m_sheet->AddObject(object);
    }
}

// --- Copy and Cut -------------------------------------------------------------------

void CSchematicView::PickUpCopy(DeviceContext* dc, POINT logical) {
    if (!m_sheet || !GetBoard())
        return;
    GetUndoList().SetStartNewGroup(true);
    const POINT q = ToGridUnits(logical), q10 = ToTenths(logical);
    ClearFloatingList();
    std::vector<CPackage*> copies;
    const std::vector<CSheetObject*> objects(m_sheet->m_objects.begin(), m_sheet->m_objects.end());
    for (CSheetObject* object : objects) {
        if (!object->IsSelected())
            continue;
        CTreeNode* copy = nullptr;
        switch (object->GetType()) {
        case NodeType::Part: {
            CPackage* package = static_cast<CPart*>(object)->GetPackage();
            if (!package || !package->GetParent())
                continue;
            // Only the units shown here go along.
            auto* clone = static_cast<CPackage*>(MakeFloatingCopy(dc, package, &copies));
            for (CTreeNode* child : package->GetChildren())
                if (child->GetType() == NodeType::Part)
                    Deselect(child, dc);
            for (std::size_t i = 0; i < clone->GetChildCount(); ++i) {
                CTreeNode* part = clone->GetChild(i);
                if (part->GetType() == NodeType::Part && part->IsSelected() &&
                    !OnSheet(m_sheet, package->GetChild(i)))
                    part->m_selected = 0;
            }
            copy = clone;
            break;
        }
        case NodeType::Wire: {
            CNet* net = static_cast<CWire*>(object)->GetNet();
            if (!net)
                continue;
            auto* clone = new CNet(GetBoard()->NewNetName().c_str());
            for (CWire* wire : SelectedWiresOn(m_sheet, net)) {
                auto* w = static_cast<CWire*>(wire->Clone());
                w->m_pSheet = nullptr;
                clone->AddChild(w);
                Deselect(wire, dc);
            }
            copy = clone;
            break;
        }
        case NodeType::Bus:
        case NodeType::Text:
            copy = MakeFloatingCopy(dc, object, &copies);
            break;
        default:
            continue;
        }
        m_floating.push_back(FloatingNode{copy, copy->GetType() == NodeType::Text ? q10 : q});
    }
    for (const FloatingNode& f : m_floating)
        InsertFloating(f.node);
    InvalidateRect(nullptr, true);
}

void CSchematicView::PickUpSelection(DeviceContext* dc, POINT logical) {
    CBoard* board = GetBoard();
    if (!m_sheet || !board)
        return;
    GetUndoList().SetStartNewGroup(true);
    const POINT q = ToGridUnits(logical), q10 = ToTenths(logical);
    ClearFloatingList();
    auto listed = [&](CTreeNode* node) {
        return std::any_of(m_floating.begin(), m_floating.end(),
                           [node](const FloatingNode& f) { return f.node == node; });
    };
    // Lifted wires are off the sheet while the walk goes on: a pin that
    // finds its net again must not join one of them (and with it a lifted
    // net, which the walk would then meet and lift once more, for ever).
    std::vector<CWire*> lifted;
    for (std::size_t i = 0; i < board->GetChildCount(); ++i) {
        CTreeNode* node = board->GetChild(i);
        if (listed(node))
            continue;
        switch (node->GetType()) {
        case NodeType::Package: {
            const std::vector<CPart*> parts = SelectedPartsOn(m_sheet, node);
            if (parts.empty())
                break;
            m_floating.push_back(FloatingNode{node, q});
            for (CPart* part : parts) {
                PushUndo(new CUndoChangePos(part));
                part->DisconnectPins();
                part->SyncPinSelection();
            }
            break;
        }
        case NodeType::Net: {
            auto* old = static_cast<CNet*>(node);
            const std::vector<CWire*> wires = SelectedWiresOn(m_sheet, old);
            if (wires.empty())
                break;
            auto* net = new CNet(board->NewNetName().c_str());
            board->AddChild(net);
            // Recorded, so that an undo takes the new net away again.
            PushUndo(new CUndoInsert(net, nullptr));
            m_floating.push_back(FloatingNode{net, q});
            for (CWire* wire : wires) {
                PushUndo(new CUndoChangeWirePos(wire));
                PushUndo(new CUndoChangeNetOfWire(wire));
                wire->RemoveFromParent();
                net->AddChild(wire);
                m_sheet->RemoveObject(wire);
                lifted.push_back(wire);
            }
            for (CPin* pin : std::vector<CPin*>(old->m_pins.begin(), old->m_pins.end())) {
                if (!pin->GetPart() || !pin->m_fixedNetName.empty())
                    continue;
                if (!old->FindWireAt(pin->GetConnectionPoint(), pin->GetSheet()))
                    pin->RemoveFromNet();
            }
            old->SplitDisconnected(dc);
            // The walk goes on after the old net wherever it stands now.
            if (old->GetParent() == board)
                i = static_cast<std::size_t>(old->GetIndexInParent());
            else if (i > 0)
                --i;
            break;
        }
        case NodeType::Bus:
        case NodeType::Text:
            if (!node->IsSelected() || !OnSheet(m_sheet, node) ||
                !m_sheet->HasObject(static_cast<CSheetObject*>(node)))
                break;
            PushUndo(new CUndoChangeNodeAttribute(node, nullptr));
            m_floating.push_back(FloatingNode{node, node->GetType() == NodeType::Text ? q10 : q});
            break;
        default:
            break;
        }
    }
    for (CWire* wire : lifted)
        m_sheet->AddObject(wire);
    DropLooseJoints(dc, true);
    InvalidateRect(nullptr, true);
}

void CSchematicView::DropLooseJoints(DeviceContext* dc, bool keepFloating) {
    // A wire without length is a joint of pins that touch; with its pins
    // lifted away, or dropped where none meet, it joins nothing and goes
    // with the change that left it so.
    CBoard* board = GetBoard();
    if (!board || !m_sheet)
        return;
    for (CTreeNode* node : std::vector<CTreeNode*>(board->GetChildren())) {
        if (node->GetType() != NodeType::Net || node->GetParent() != board)
            continue;
        if (keepFloating && std::any_of(m_floating.begin(), m_floating.end(),
                                        [node](const FloatingNode& f) { return f.node == node; }))
            continue;
        for (CWire* wire : static_cast<CNet*>(node)->GetWires()) {
            if (wire->m_pSheet != m_sheet || !SamePoint(wire->GetStart(), wire->GetEnd()) ||
                !wire->IsRedundantJoint())
                continue;
            wire->InvalidateOnSheet(dc);
            PushUndo(new CUndoDelete(wire, nullptr));
            wire->RemoveFromParent();
        }
    }
}

// --- Following and dropping ---------------------------------------------------------

void CSchematicView::MovePickedUp(DeviceContext* dc, POINT p) {
    const POINT q = ToGridUnits(p), q10 = ToTenths(p);
    for (FloatingNode& f : m_floating) {
        CTreeNode* node = f.node;
        const POINT target = node->GetType() == NodeType::Text ? q10 : q;
        if (SamePoint(target, f.anchor))
            continue;
        const POINT d{target.x - f.anchor.x, target.y - f.anchor.y};
        switch (node->GetType()) {
        case NodeType::Package:
            for (CPart* part : SelectedPartsOn(m_sheet, node)) {
                part->InvalidateOnSheet(dc);
                part->m_position = Offset(part->m_position, d);
                part->InvalidateOnSheet(dc);
            }
            break;
        case NodeType::Net:
            for (CWire* wire : SelectedWiresOn(m_sheet, node)) {
                wire->InvalidateOnSheet(dc);
                wire->m_position = Offset(wire->m_position, d);
                wire->m_end = Offset(wire->m_end, d);
                wire->InvalidateOnSheet(dc);
            }
            break;
        default:
            node->InvalidateOnSheet(dc);
            node->m_position = Offset(node->m_position, d);
            node->InvalidateOnSheet(dc);
            break;
        }
        f.anchor = target;
    }
}

void CSchematicView::DropPickedUp(DeviceContext* dc, POINT p) {
    CBoard* board = GetBoard();
    if (!board)
        return;
    const POINT q = ToGridUnits(p), q10 = ToTenths(p);
    // 1. The copies for the next drop, made while the dropped ones are still
    // selected.
    std::vector<CPackage*> copies;
    std::vector<FloatingNode> next;
    for (const FloatingNode& f : m_floating) {
        CTreeNode* copy = MakeFloatingCopy(dc, f.node, &copies);
        next.push_back(FloatingNode{copy, copy->GetType() == NodeType::Text ? q10 : q});
    }
    // 2. Down they go: pins and wires join what they touch.
    for (const FloatingNode& f : m_floating) {
        CTreeNode* node = f.node;
        node->m_selected = 0;
        if (node->GetType() == NodeType::Package) {
            for (CPart* part : SelectedPartsOn(m_sheet, node)) {
                part->m_selected = 0;
                part->SyncPinSelection();
                for (CTreeNode* pin : std::vector<CTreeNode*>(part->GetChildren()))
                    if (pin->GetType() == NodeType::Pin && pin->GetParent() == part) {
                        pin->m_selected = 0;
                        static_cast<CPin*>(pin)->Connect(dc);
                    }
                part->InvalidateOnSheet(dc);
            }
        } else if (node->GetType() == NodeType::Net) {
            const std::vector<CWire*> wires = static_cast<CNet*>(node)->GetWires();
            CNet* last = nullptr;
            for (CWire* wire : wires) {
                wire->m_selected = 0;
                if (!wire->GetParent())
                    continue;
                ConnectWire(dc, wire);
                wire->InvalidateOnSheet(dc);
                last = wire->GetNet();
            }
            if (last && last->GetParent())
                last->BuildConnectionGraph(nullptr);
            m_net = nullptr;
        } else {
            node->InvalidateOnSheet(dc);
        }
    }
    DropLooseJoints(dc, false);
    // 3. The fresh copies follow the cursor; Esc takes only them away.
    GetUndoList().SetStartNewGroup(true);
    m_floating = std::move(next);
    for (const FloatingNode& f : m_floating)
        InsertFloating(f.node);
    InvalidateRect(nullptr, true);
}

void CSchematicView::EndFloating() {
    if (m_floating.empty())
        return;
    ClearFloatingList();
    GetUndoList().Undo(false);
    InvalidateRect(nullptr, true);
}

// --- Transforms ---------------------------------------------------------------------

void CSchematicView::TransformCommand(int key) {
    if (!m_sheet || m_wire1 || m_bus1 || m_floatingText)
        return;
    g_pActiveView = this;
    CloseLabelEdit();
    std::unique_ptr<DeviceContext> dc = MakeDC();
    if (m_floatingPart) {
        if (key == 'R')
            RotatePart(dc.get(), m_floatingPart);
        else
            MirrorPart(dc.get(), m_floatingPart, key == 'H');
        return;
    }
    TransformSelection(dc.get(), key);
}

void CSchematicView::TransformSelection(DeviceContext* dc, int key) {
    // What already floats turns where it is, within the group that lifted
    // it, so that Esc still takes the document back to before the lift (or
    // to the last drop). Otherwise the selection is lifted first.
    if (m_floating.empty())
        PickUpSelection(dc, ClientToLogical(dc, m_lastCursor));
    if (m_floating.empty())
        return;
    // The centre of what floats, on the grid.
    int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
    auto add = [&](CTreeNode* node) {
        RECT r = node->GetBoundsOnSheet(dc);
        if (r.left > r.right)
            std::swap(r.left, r.right);
        if (r.top > r.bottom)
            std::swap(r.top, r.bottom);
        left = std::min<int64_t>(left, r.left);
        top = std::min<int64_t>(top, r.top);
        right = std::max<int64_t>(right, r.right);
        bottom = std::max<int64_t>(bottom, r.bottom);
    };
    for (const FloatingNode& f : m_floating) {
        if (f.node->GetType() == NodeType::Package)
            for (CPart* part : SelectedPartsOn(m_sheet, f.node))
                add(part);
        else if (f.node->GetType() == NodeType::Net)
            for (CWire* wire : SelectedWiresOn(m_sheet, f.node))
                add(wire);
        else if (f.node->IsSelected())
            add(f.node);
    }
    if (left > right)
        return;
    const POINT c{ToGridUnits(static_cast<int>((left + right) / 2)),
                  ToGridUnits(static_cast<int>((top + bottom) / 2))};
    const bool shift = IsKeyDown(VK_SHIFT);
    auto turn = [&](POINT p, POINT centre) -> POINT {
        switch (key) {
        case 'H':
            return POINT{2 * centre.x - p.x, p.y};
        case 'V':
            return POINT{p.x, 2 * centre.y - p.y};
        default:
            if (shift)
                return POINT{centre.x - (p.y - centre.y), centre.y + (p.x - centre.x)};
            return POINT{centre.x + (p.y - centre.y), centre.y - (p.x - centre.x)};
        }
    };
    const int g = GetGrid();
    for (const FloatingNode& f : m_floating) {
        CTreeNode* node = f.node;
        switch (node->GetType()) {
        case NodeType::Package:
            for (CPart* part : SelectedPartsOn(m_sheet, node)) {
                part->InvalidateOnSheet(dc);
                PushUndo(new CUndoChangeNodeAttribute(part, nullptr));
                part->m_position = turn(part->m_position, c);
                if (key == 'H') {
                    part->m_position.x -= part->m_size.cx;
                    MirrorPart(dc, part, true);
                } else if (key == 'V') {
                    part->m_position.y -= part->m_size.cy;
                    MirrorPart(dc, part, false);
                } else {
                    if (shift)
                        part->m_position.x -= part->m_size.cy;
                    else
                        part->m_position.y -= part->m_size.cx;
                    RotatePart(dc, part);
                }
                part->InvalidateOnSheet(dc);
            }
            break;
        case NodeType::Net:
            for (CWire* wire : SelectedWiresOn(m_sheet, node)) {
                wire->InvalidateOnSheet(dc);
                wire->m_position = turn(wire->m_position, c);
                wire->m_end = turn(wire->m_end, c);
                wire->InvalidateOnSheet(dc);
            }
            break;
        case NodeType::Bus: {
            auto* bus = static_cast<CBus*>(node);
            bus->InvalidateOnSheet(dc);
            bus->m_position = turn(bus->m_position, c);
            const wchar_t d = bus->m_direction;
            if (key == 'H' || key == 'V') {
                if (d == static_cast<wchar_t>(key))
                    bus->m_length = -bus->m_length;
            } else if (d == WireDirection::Horizontal || d == WireDirection::Vertical) {
                // A quarter turn swaps the direction; the length keeps
                // pointing where the turned end lies.
                const bool horizontal = d == WireDirection::Horizontal;
                bus->m_direction = horizontal ? WireDirection::Vertical : WireDirection::Horizontal;
                if (horizontal != shift)
                    bus->m_length = -bus->m_length;
            }
            bus->InvalidateOnSheet(dc);
            break;
        }
        case NodeType::Text: {
            auto* text = static_cast<CText*>(node);
            text->InvalidateOnSheet(dc);
            PushUndo(new CUndoChangeNodeAttribute(text, nullptr));
            const POINT at{static_cast<int>(static_cast<int64_t>(text->m_position.x) * g / 10),
                           static_cast<int>(static_cast<int64_t>(text->m_position.y) * g / 10)};
            POINT turned = turn(at, POINT{c.x * g, c.y * g});
            if (key == 'V') {
                LogFont old = dc->SelectFont(m_font);
                turned.y -= dc->GetTextExtentPoint32(text->GetText()).cy;
                dc->SelectFont(old);
            }
            text->m_position = ToTenths(turned);
            text->InvalidateOnSheet(dc);
            break;
        }
        default:
            break;
        }
    }
}

// --- A part's drawing ----------------------------------------------------------------

void CSchematicView::RecordPackageDrawing(CPackage* package) {
    // Turning one unit may make the package keep a drawing per unit and
    // back: the package and all its units are recorded, pins included.
    PushUndo(new CUndoChangeNodeAttribute(package, nullptr));
    for (CTreeNode* child : package->GetChildren()) {
        if (child->GetType() != NodeType::Part)
            continue;
        PushUndo(new CUndoChangeNodeAttribute(child, nullptr));
        for (CTreeNode* pin : child->GetChildren())
            if (pin->GetType() == NodeType::Pin)
                PushUndo(new CUndoChangeNodeAttribute(pin, nullptr));
    }
}

void CSchematicView::MirrorPart(DeviceContext* dc, CPart* part, bool horizontal) {
    CPackage* package = part->GetPackage();
    if (!package)
        return;
    part->InvalidateOnSheet(dc);
    RecordPackageDrawing(package);
    package->MakeHeterogeneous();
    const int w = part->m_size.cx, h = part->m_size.cy;
    g_TransformPivot = POINT{w * 5, h * 5};
    for (CPartPrimitive* primitive : part->m_primitives)
        primitive->TransformByKey(horizontal ? 'H' : 'V');
    for (CTreeNode* child : part->GetChildren()) {
        if (child->GetType() != NodeType::Pin)
            continue;
        auto* pin = static_cast<CPin*>(child);
        if (pin->m_shape == 0)
            continue;
        pin->InvalidateOnSheet(dc);
        if (horizontal) {
            if (pin->m_side == L'B' || pin->m_side == L'T')
                pin->m_offset = w - pin->m_offset;
            else if (pin->m_side == L'L')
                pin->m_side = L'R';
            else if (pin->m_side == L'R')
                pin->m_side = L'L';
        } else {
            if (pin->m_side == L'L' || pin->m_side == L'R')
                pin->m_offset = h - pin->m_offset;
            else if (pin->m_side == L'B')
                pin->m_side = L'T';
            else if (pin->m_side == L'T')
                pin->m_side = L'B';
        }
    }
    package->TryMakeHomogeneous();
    part->InvalidateOnSheet(dc);
}

void CSchematicView::RotatePart(DeviceContext* dc, CPart* part) {
    CPackage* package = part->GetPackage();
    if (!package)
        return;
    part->InvalidateOnSheet(dc);
    RecordPackageDrawing(package);
    package->MakeHeterogeneous();
    std::swap(part->m_size.cx, part->m_size.cy);
    const int w = part->m_size.cx, h = part->m_size.cy;
    const bool shift = IsKeyDown(VK_SHIFT);
    g_TransformPivot = POINT{0, 0};
    for (CPartPrimitive* primitive : part->m_primitives) {
        primitive->TransformByKey('R');
        if (shift)
            primitive->Move(w * 10, 0);
        else
            primitive->Move(0, h * 10);
    }
    for (CTreeNode* child : part->GetChildren()) {
        if (child->GetType() != NodeType::Pin)
            continue;
        auto* pin = static_cast<CPin*>(child);
        if (pin->m_shape == 0)
            continue;
        pin->InvalidateOnSheet(dc);
        const wchar_t side = pin->m_side;
        if (!shift) {
            if (side == L'B') {
                pin->m_side = L'L';
                pin->m_offset = h - pin->m_offset;
            } else if (side == L'L') {
                pin->m_side = L'T';
            } else if (side == L'R') {
                pin->m_side = L'B';
            } else if (side == L'T') {
                pin->m_side = L'R';
                pin->m_offset = h - pin->m_offset;
            }
        } else {
            if (side == L'B') {
                pin->m_side = L'R';
            } else if (side == L'L') {
                pin->m_side = L'B';
                pin->m_offset = w - pin->m_offset;
            } else if (side == L'R') {
                pin->m_side = L'T';
                pin->m_offset = w - pin->m_offset;
            } else if (side == L'T') {
                pin->m_side = L'L';
            }
        }
    }
    package->TryMakeHomogeneous();
    part->InvalidateOnSheet(dc);
}
