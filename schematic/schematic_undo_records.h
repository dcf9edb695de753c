// Undo records of the schematic wiring: pin membership in nets, the net of a
// wire, wire and bus geometry, bus entries and object positions. Each Undo
// reverts the change, repaints and returns the record of the opposite change.
// Each keeps its values before its step and as the step left them
// (ValueChange) and puts back only what its step changed: a net spans
// sheets, and a package's texts are drawn on the sheet of every unit, so
// other sheets' histories change the same pins, wires and texts.
#pragma once

#include "core/undo_item.h"
#include "core/undo_node_records.h"
#include "core/value_change.h"
#include "platform/types.h"
#include "schematic/sheet_object.h"

class CBus;
class CNet;
class CPin;
class CSheet;
class CSheetObject;
class CTreeNode;
class CWire;

// The records of a pin's net: the net before the step and the one the step
// left the pin in are their value.
class CUndoPinNetRecord : public CUndoItem {
public:
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;
    void TakeCurrentValues() override;
    void TakeOthersValues() override;
    bool FindsValuesAsLeft() const override;
    // A net freed: the pin lets go of it, as the live pin does.
    void LetGoOfTies(const std::unordered_set<const CTreeNode*>& released) override;

protected:
    CUndoPinNetRecord(CPin* pin, CNet* before);
    // The pin's net before the step.
    CNet* Before() const { return std::get<0>(m_change.Before()); }
    // The step left the pin in the net it is in now; false when that is the
    // net it was in before.
    bool TakeChange();

    CPin* m_pin;

private:
    ValueChange<CNet*> m_change;
};

// Before the pin is put into a net; formerNet (its net until then) may be
// null.
class CUndoAddPinToNet : public CUndoPinNetRecord {
public:
    CUndoAddPinToNet(CPin* pin, CNet* formerNet);
    CUndoItem* Undo() override;
};

// Before the pin is taken out of net.
class CUndoRemovePinFromNet : public CUndoPinNetRecord {
public:
    CUndoRemovePinFromNet(CPin* pin, CNet* net);
    CUndoItem* Undo() override;
};

// Before the pin moves to another net.
class CUndoChangeNetOfPin : public CUndoPinNetRecord {
public:
    explicit CUndoChangeNetOfPin(CPin* pin);
    CUndoItem* Undo() override;
};

// Before the wire moves to another net.
class CUndoChangeNetOfWire : public CUndoItem {
public:
    explicit CUndoChangeNetOfWire(CWire* wire);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;
    void TakeCurrentValues() override;
    void TakeOthersValues() override;
    bool FindsValuesAsLeft() const override;

private:
    CWire* m_wire;
    ParentChange m_net;
};

class CUndoChangeBusEntry : public CUndoItem {
public:
    explicit CUndoChangeBusEntry(CWire* wire);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;
    void TakeCurrentValues() override { m_change.TakeCurrent(Fields()); }
    void TakeOthersValues() override { m_change.TakeOthers(Fields()); }
    bool FindsValuesAsLeft() const override { return m_change.FindsAsLeft(Fields()); }

private:
    using Change = ValueChange<int32_t, int32_t>;
    CUndoChangeBusEntry(CWire* wire, Change change);
    std::tuple<int32_t&, int32_t&> Fields() const;
    CWire* m_wire;
    Change m_change;
};

class CUndoChangeBusPos : public CUndoItem {
public:
    explicit CUndoChangeBusPos(CBus* bus);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;
    void TakeCurrentValues() override { m_change.TakeCurrent(Fields()); }
    void TakeOthersValues() override { m_change.TakeOthers(Fields()); }
    bool FindsValuesAsLeft() const override { return m_change.FindsAsLeft(Fields()); }

private:
    using Change = ValueChange<POINT, wchar_t, int32_t>;
    CUndoChangeBusPos(CBus* bus, Change change);
    std::tuple<POINT&, wchar_t&, int32_t&> Fields() const;
    CBus* m_bus;
    Change m_change;
};

// Before the object moves to another sheet (or off every sheet). The tree's
// history keeps these while the editors' histories may delete and free the
// object, or the sheet: a record whose object is gone does nothing, and one
// whose sheet is gone leaves the object on no sheet. An object out of the
// document (an editor's deletion holds it) only names the sheet, to be shown
// on it when it comes back. The sheet the step left the object on is kept
// too: once an editor moved the object to another sheet the step no longer
// finds it as it left it.
class CUndoChangeSheetOfObject : public CUndoItem {
public:
    explicit CUndoChangeSheetOfObject(CSheetObject* object);
    CUndoItem* Undo() override;
    void TakeCurrentValues() override;
    void TakeOthersValues() override;
    bool FindsValuesAsLeft() const override;

private:
    explicit CUndoChangeSheetOfObject(CSheetObject::Handle object);
    bool Moved() const { return m_sheet.Get() != m_sheetLeft.Get(); }
    CSheetObject::Handle m_object;
    SheetLink m_sheet;
    SheetLink m_sheetLeft;
    std::unique_ptr<SheetLink> m_takenFrom;
};

class CUndoChangePos : public CUndoItem {
public:
    explicit CUndoChangePos(CSheetObject* object);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;
    void TakeCurrentValues() override { m_change.TakeCurrent(Fields()); }
    void TakeOthersValues() override { m_change.TakeOthers(Fields()); }
    bool FindsValuesAsLeft() const override { return m_change.FindsAsLeft(Fields()); }

private:
    using Change = ValueChange<POINT>;
    CUndoChangePos(CSheetObject* object, Change change);
    std::tuple<POINT&> Fields() const;
    CSheetObject* m_object;
    Change m_change;
};

class CUndoChangeWirePos : public CUndoItem {
public:
    explicit CUndoChangeWirePos(CWire* wire);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;
    void TakeCurrentValues() override { m_change.TakeCurrent(Fields()); }
    void TakeOthersValues() override { m_change.TakeOthers(Fields()); }
    bool FindsValuesAsLeft() const override { return m_change.FindsAsLeft(Fields()); }

private:
    using Change = ValueChange<POINT, POINT, int32_t, int32_t>;
    CUndoChangeWirePos(CWire* wire, Change change);
    std::tuple<POINT&, POINT&, int32_t&, int32_t&> Fields() const;
    CWire* m_wire;
    Change m_change;
};
