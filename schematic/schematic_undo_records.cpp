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

CUndoPinNetRecord::CUndoPinNetRecord(CPin* pin, CNet* before)
    : m_pin(pin), m_change(std::tuple(before)) {
    m_change.TakeCurrent({pin->m_pNet});
}

void CUndoPinNetRecord::TakeCurrentValues() {
    m_change.TakeCurrent({m_pin->m_pNet});
}

void CUndoPinNetRecord::TakeOthersValues() {
    m_change.TakeOthers({m_pin->m_pNet});
}

bool CUndoPinNetRecord::FindsValuesAsLeft() const {
    return m_change.FindsAsLeft({m_pin->m_pNet});
}

void CUndoPinNetRecord::LetGoOfTies(const std::unordered_set<const CTreeNode*>& released) {
    m_change.ForBothValuesOf<0>([&](CNet*& net) {
        if (net && released.count(static_cast<const CTreeNode*>(net)))
            net = nullptr;
    });
}

bool CUndoPinNetRecord::TakeChange() {
    TakeCurrentValues();
    return !m_change.IsEmpty();
}

CUndoAddPinToNet::CUndoAddPinToNet(CPin* pin, CNet* formerNet)
    : CUndoPinNetRecord(pin, formerNet) {}

CUndoItem* CUndoAddPinToNet::Undo() {
    auto* inverse = new CUndoRemovePinFromNet(m_pin, m_pin->m_pNet);
    if (!TakeChange())
        return inverse;
    if (m_pin->m_pNet)
        m_pin->m_pNet->m_pins.erase(m_pin);
    m_pin->m_pNet = Before();
    inverse->TakeCurrentValues();
    return inverse;
}

CUndoRemovePinFromNet::CUndoRemovePinFromNet(CPin* pin, CNet* net) : CUndoPinNetRecord(pin, net) {}

CUndoItem* CUndoRemovePinFromNet::Undo() {
    auto* inverse = new CUndoAddPinToNet(m_pin, m_pin->m_pNet);
    if (!TakeChange())
        return inverse;
    m_pin->m_pNet = Before();
    if (Before())
        Before()->m_pins.insert(m_pin);
    inverse->TakeCurrentValues();
    return inverse;
}

CUndoChangeNetOfPin::CUndoChangeNetOfPin(CPin* pin) : CUndoPinNetRecord(pin, pin->m_pNet) {}

CUndoItem* CUndoChangeNetOfPin::Undo() {
    auto* inverse = new CUndoChangeNetOfPin(m_pin);
    if (!TakeChange())
        return inverse;
    if (m_pin->m_pNet)
        m_pin->m_pNet->m_pins.erase(m_pin);
    m_pin->m_pNet = Before();
    if (Before())
        Before()->m_pins.insert(m_pin);
    inverse->TakeCurrentValues();
    return inverse;
}

// Wire geometry -------------------------------------------------------------

CUndoChangeNetOfWire::CUndoChangeNetOfWire(CWire* wire) : m_wire(wire), m_net(wire) {}

void CUndoChangeNetOfWire::TakeCurrentValues() {
    m_net.TakeCurrent(m_wire);
}

void CUndoChangeNetOfWire::TakeOthersValues() {
    m_net.TakeOthers(m_wire);
}

bool CUndoChangeNetOfWire::FindsValuesAsLeft() const {
    return m_net.FindsAsLeft(m_wire);
}

CUndoItem* CUndoChangeNetOfWire::Undo() {
    auto* inverse = new CUndoChangeNetOfWire(m_wire);
    RepaintSheetSide(m_wire, false);
    inverse->m_net = m_net.PutBack(m_wire);
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
        m_sheetLeft = o->m_pSheet;
        if (o->m_takenFrom)
            m_takenFrom = std::make_unique<SheetLink>(*o->m_takenFrom);
    }
}

void CUndoChangeSheetOfObject::TakeCurrentValues() {
    if (CSheetObject* object = *m_object)
        m_sheetLeft = object->m_pSheet;
}

void CUndoChangeSheetOfObject::TakeOthersValues() {
    CSheetObject* object = *m_object;
    if (!object || Moved() || object->m_pSheet.Get() == m_sheet.Get())
        return;
    m_sheet = object->m_pSheet;
    m_sheetLeft = object->m_pSheet;
}

bool CUndoChangeSheetOfObject::FindsValuesAsLeft() const {
    CSheetObject* object = *m_object;
    return !object || !Moved() || object->m_pSheet.Get() == m_sheetLeft.Get();
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
    inverse->TakeCurrentValues();
    return inverse;
}

CUndoChangeBusEntry::CUndoChangeBusEntry(CWire* wire) : m_wire(wire), m_change(Fields()) {}

CUndoChangeBusEntry::CUndoChangeBusEntry(CWire* wire, Change change)
    : m_wire(wire), m_change(std::move(change)) {}

std::tuple<int32_t&, int32_t&> CUndoChangeBusEntry::Fields() const {
    return std::tie(m_wire->m_busEntry1, m_wire->m_busEntry2);
}

CUndoItem* CUndoChangeBusEntry::Undo() {
    m_change.TakeCurrent(Fields());
    const bool changed = !m_change.IsEmpty();
    if (changed)
        RepaintSheetSide(m_wire, false);
    auto* inverse = new CUndoChangeBusEntry(m_wire, m_change.PutBack(Fields()));
    if (changed)
        RepaintSheetSide(m_wire, false);
    return inverse;
}

CUndoChangeBusPos::CUndoChangeBusPos(CBus* bus) : m_bus(bus), m_change(Fields()) {}

CUndoChangeBusPos::CUndoChangeBusPos(CBus* bus, Change change)
    : m_bus(bus), m_change(std::move(change)) {}

std::tuple<POINT&, wchar_t&, int32_t&> CUndoChangeBusPos::Fields() const {
    return std::tie(m_bus->m_position, m_bus->m_direction, m_bus->m_length);
}

CUndoItem* CUndoChangeBusPos::Undo() {
    m_change.TakeCurrent(Fields());
    const bool changed = !m_change.IsEmpty();
    if (changed)
        RepaintSheetSide(m_bus, false);
    auto* inverse = new CUndoChangeBusPos(m_bus, m_change.PutBack(Fields()));
    if (changed)
        RepaintSheetSide(m_bus, false);
    return inverse;
}

CUndoChangePos::CUndoChangePos(CSheetObject* object) : m_object(object), m_change(Fields()) {}

CUndoChangePos::CUndoChangePos(CSheetObject* object, Change change)
    : m_object(object), m_change(std::move(change)) {}

std::tuple<POINT&> CUndoChangePos::Fields() const {
    return std::tie(m_object->m_position);
}

CUndoItem* CUndoChangePos::Undo() {
    m_change.TakeCurrent(Fields());
    const bool changed = !m_change.IsEmpty();
    if (changed)
        RepaintSheetSide(m_object, false);
    auto* inverse = new CUndoChangePos(m_object, m_change.PutBack(Fields()));
    if (changed)
        RepaintSheetSide(m_object, false);
    return inverse;
}

CUndoChangeWirePos::CUndoChangeWirePos(CWire* wire) : m_wire(wire), m_change(Fields()) {}

CUndoChangeWirePos::CUndoChangeWirePos(CWire* wire, Change change)
    : m_wire(wire), m_change(std::move(change)) {}

std::tuple<POINT&, POINT&, int32_t&, int32_t&> CUndoChangeWirePos::Fields() const {
    return std::tie(m_wire->m_position, m_wire->m_end, m_wire->m_busEntry1, m_wire->m_busEntry2);
}

CUndoItem* CUndoChangeWirePos::Undo() {
    m_change.TakeCurrent(Fields());
    const bool changed = !m_change.IsEmpty();
    if (changed)
        RepaintSheetSide(m_wire, false);
    auto* inverse = new CUndoChangeWirePos(m_wire, m_change.PutBack(Fields()));
    if (changed)
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

void CUndoPinNetRecord::ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const {
    VisitPinAndNet(m_pin, Before(), visit);
}

void CUndoChangeNetOfWire::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_wire);
    if (const CTreeNode* net = m_net.Former())
        visit(net);
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
