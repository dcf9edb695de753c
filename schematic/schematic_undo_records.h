// Undo records of the schematic wiring: pin membership in nets, the net of a
// wire, wire and bus geometry, bus entries and object positions. Each Undo
// reverts the change, repaints and returns the record of the opposite change.
#pragma once

#include "core/undo_item.h"
#include "platform/types.h"
#include "schematic/sheet_object.h"

class CBus;
class CNet;
class CPin;
class CSheet;
class CSheetObject;
class CTreeNode;
class CWire;

// Before the pin is put into a net; formerNet (its net until then) may be
// null.
class CUndoAddPinToNet : public CUndoItem {
public:
    CUndoAddPinToNet(CPin* pin, CNet* formerNet);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CPin* m_pin;
    CNet* m_net;
};

// Before the pin is taken out of net.
class CUndoRemovePinFromNet : public CUndoItem {
public:
    CUndoRemovePinFromNet(CPin* pin, CNet* net);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CPin* m_pin;
    CNet* m_net;
};

// Before the pin moves to another net.
class CUndoChangeNetOfPin : public CUndoItem {
public:
    explicit CUndoChangeNetOfPin(CPin* pin);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CPin* m_pin;
    CNet* m_net;
};

// Before the wire moves to another net.
class CUndoChangeNetOfWire : public CUndoItem {
public:
    explicit CUndoChangeNetOfWire(CWire* wire);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CWire* m_wire;
    CTreeNode* m_net;
    int m_index;
};

class CUndoChangeBusEntry : public CUndoItem {
public:
    explicit CUndoChangeBusEntry(CWire* wire);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CWire* m_wire;
    int m_entry1;
    int m_entry2;
};

class CUndoChangeBusPos : public CUndoItem {
public:
    explicit CUndoChangeBusPos(CBus* bus);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CBus* m_bus;
    POINT m_start;
    wchar_t m_direction;
    int m_length;
};

// Before the object moves to another sheet (or off every sheet). The tree's
// history keeps these while the editors' histories may delete and free the
// object, or the sheet: a record whose object is gone does nothing, and one
// whose sheet is gone leaves the object on no sheet. An object out of the
// document (an editor's deletion holds it) only names the sheet, to be shown
// on it when it comes back.
class CUndoChangeSheetOfObject : public CUndoItem {
public:
    explicit CUndoChangeSheetOfObject(CSheetObject* object);
    CUndoItem* Undo() override;

private:
    explicit CUndoChangeSheetOfObject(CSheetObject::Handle object);
    CSheetObject::Handle m_object;
    SheetLink m_sheet;
    std::unique_ptr<SheetLink> m_takenFrom;
};

class CUndoChangePos : public CUndoItem {
public:
    explicit CUndoChangePos(CSheetObject* object);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CSheetObject* m_object;
    POINT m_position;
};

class CUndoChangeWirePos : public CUndoItem {
public:
    explicit CUndoChangeWirePos(CWire* wire);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CWire* m_wire;
    POINT m_start;
    POINT m_end;
    int m_entry1;
    int m_entry2;
};
