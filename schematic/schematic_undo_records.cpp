#include "schematic/schematic_undo_records.h"

#include "core/model_services.h"
#include "core/root.h"
#include "core/tree_node.h"
#include "core/vorpel_view.h"
#include "schematic/bus.h"
#include "schematic/net.h"
#include "schematic/pin.h"
#include "schematic/sheet.h"
#include "schematic/sheet_object.h"
#include "schematic/wire.h"

// Pin membership ------------------------------------------------------------

CUndoAddPinToNet::CUndoAddPinToNet(CPin* pin, CNet* formerNet) : m_pin(pin), m_net(formerNet) {}

CUndoItem* CUndoAddPinToNet::Undo() {
    auto* inverse = new CUndoRemovePinFromNet(m_pin, m_pin->m_pNet);
    if (m_pin->m_pNet)
        m_pin->m_pNet->m_pins.erase(m_pin);
    m_pin->m_pNet = m_net;
    return inverse;
}

CUndoRemovePinFromNet::CUndoRemovePinFromNet(CPin* pin, CNet* net) : m_pin(pin), m_net(net) {}

CUndoItem* CUndoRemovePinFromNet::Undo() {
    auto* inverse = new CUndoAddPinToNet(m_pin, m_pin->m_pNet);
    m_pin->m_pNet = m_net;
    if (m_net)
        m_net->m_pins.insert(m_pin);
    return inverse;
}

CUndoChangeNetOfPin::CUndoChangeNetOfPin(CPin* pin) : m_pin(pin), m_net(pin->m_pNet) {}

CUndoItem* CUndoChangeNetOfPin::Undo() {
    auto* inverse = new CUndoChangeNetOfPin(m_pin);
    if (m_pin->m_pNet)
        m_pin->m_pNet->m_pins.erase(m_pin);
    m_pin->m_pNet = m_net;
    if (m_net)
        m_net->m_pins.insert(m_pin);
    return inverse;
}

// Wire geometry -------------------------------------------------------------

CUndoChangeNetOfWire::CUndoChangeNetOfWire(CWire* wire)
    : m_wire(wire), m_net(wire->GetParent()), m_index(wire->GetIndexInParent()) {}

CUndoItem* CUndoChangeNetOfWire::Undo() {
    auto* inverse = new CUndoChangeNetOfWire(m_wire);
    RepaintSheetSide(m_wire, false);
    m_wire->RemoveFromParent();
    if (m_index < 0 || static_cast<std::size_t>(m_index) > m_net->GetChildCount())
        m_net->AddChild(m_wire);
    else
        m_net->InsertChildAt(static_cast<std::size_t>(m_index), m_wire);
    RepaintSheetSide(m_wire, false);
    return inverse;
}

CUndoChangeSheetOfObject::CUndoChangeSheetOfObject(CSheetObject* object)
    : CUndoChangeSheetOfObject(object->GetHandle()) {}

CUndoChangeSheetOfObject::CUndoChangeSheetOfObject(CSheetObject::Handle object)
    : m_object(std::move(object)) {
    // The link whole: an object on a freed sheet keeps that sheet's name.
    if (CSheetObject* o = *m_object) {
        m_sheet = o->m_pSheet;
        if (o->m_takenFrom)
            m_takenFrom = std::make_unique<SheetLink>(*o->m_takenFrom);
    }
}

CUndoItem* CUndoChangeSheetOfObject::Undo() {
    auto* inverse = new CUndoChangeSheetOfObject(m_object);
    CSheetObject* object = *m_object;
    if (!object)
        return inverse;
    CSheet* now = object->m_pSheet;
    // Shown stays shown, on the other sheet; a deleted object (out of its
    // document) only names it.
    const CTreeNode* top = object;
    while (top->GetParent())
        top = top->GetParent();
    const bool shown = now ? now->HasObject(object) : dynamic_cast<const CRoot*>(top) != nullptr;
    RepaintSheetSide(object, false);
    if (now)
        now->RemoveObject(object);
    if (shown && m_sheet)
        m_sheet->AddObject(object);
    else
        object->m_pSheet = m_sheet;
    object->m_takenFrom = m_takenFrom ? std::make_unique<SheetLink>(*m_takenFrom) : nullptr;
    RepaintSheetSide(object, false);
    // The tree's history moves objects between pages that need not be shown.
    for (CSheet* sheet : {now, m_sheet.Get()})
        if (CVorpelView* view = shown && sheet ? sheet->GetEditorView() : nullptr)
            view->Invalidate(false);
    return inverse;
}

CUndoChangeBusEntry::CUndoChangeBusEntry(CWire* wire)
    : m_wire(wire), m_entry1(wire->m_busEntry1), m_entry2(wire->m_busEntry2) {}

CUndoItem* CUndoChangeBusEntry::Undo() {
    auto* inverse = new CUndoChangeBusEntry(m_wire);
    RepaintSheetSide(m_wire, false);
    m_wire->m_busEntry1 = m_entry1;
    m_wire->m_busEntry2 = m_entry2;
    RepaintSheetSide(m_wire, false);
    return inverse;
}

CUndoChangeBusPos::CUndoChangeBusPos(CBus* bus)
    : m_bus(bus), m_start(bus->m_position), m_direction(bus->m_direction), m_length(bus->m_length) {
}

CUndoItem* CUndoChangeBusPos::Undo() {
    auto* inverse = new CUndoChangeBusPos(m_bus);
    RepaintSheetSide(m_bus, false);
    m_bus->m_position = m_start;
    m_bus->m_direction = m_direction;
    m_bus->m_length = m_length;
    RepaintSheetSide(m_bus, false);
    return inverse;
}

CUndoChangePos::CUndoChangePos(CSheetObject* object)
    : m_object(object), m_position(object->m_position) {}

CUndoItem* CUndoChangePos::Undo() {
    auto* inverse = new CUndoChangePos(m_object);
    RepaintSheetSide(m_object, false);
    m_object->m_position = m_position;
    RepaintSheetSide(m_object, false);
    return inverse;
}

CUndoChangeWirePos::CUndoChangeWirePos(CWire* wire)
    : m_wire(wire), m_start(wire->m_position), m_end(wire->m_end), m_entry1(wire->m_busEntry1),
      m_entry2(wire->m_busEntry2) {}

CUndoItem* CUndoChangeWirePos::Undo() {
    auto* inverse = new CUndoChangeWirePos(m_wire);
    RepaintSheetSide(m_wire, false);
    m_wire->m_position = m_start;
    m_wire->m_end = m_end;
    m_wire->m_busEntry1 = m_entry1;
    m_wire->m_busEntry2 = m_entry2;
    RepaintSheetSide(m_wire, false);
    return inverse;
}

// The nodes each record acts on --------------------------------------------

namespace {
// A pin's membership record: the pin and the net it goes back to.
void VisitPinAndNet(const CPin* pin, const CTreeNode* net,
                    const std::function<void(const CTreeNode*)>& visit) {
    visit(pin);
    if (net)
        visit(net);
}
} // namespace

void CUndoAddPinToNet::ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const {
    VisitPinAndNet(m_pin, m_net, visit);
}

void CUndoRemovePinFromNet::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    VisitPinAndNet(m_pin, m_net, visit);
}

void CUndoChangeNetOfPin::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    VisitPinAndNet(m_pin, m_net, visit);
}

void CUndoChangeNetOfWire::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_wire);
    if (m_net)
        visit(m_net);
}

void CUndoChangeBusEntry::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_wire);
}

void CUndoChangeBusPos::ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_bus);
}

void CUndoChangePos::ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_object);
}

void CUndoChangeWirePos::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_wire);
}
