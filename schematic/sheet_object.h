// A node that can be shown on a sheet: parts, wires, buses and texts.
#pragma once

#include "core/tree_node.h"

#include <memory>
#include <string>

class CSheet;

// A pointer to a sheet that turns null when the sheet is freed. An object
// names its sheet through one, and so does an undo record: the object or
// record may outlive the sheet (a history drops the sheet it held while
// the objects drawn on it stay in the board), and then names no sheet.
class SheetLink {
public:
    SheetLink() = default;
    SheetLink(CSheet* sheet) { Attach(sheet); } // NOLINT: a pointer, as it stands
    SheetLink(const SheetLink& other) { Attach(other.m_sheet); }
    SheetLink& operator=(const SheetLink& other) { return *this = other.m_sheet; }
    SheetLink& operator=(CSheet* sheet) {
        if (sheet != m_sheet) {
            Detach();
            Attach(sheet);
        }
        return *this;
    }
    ~SheetLink() { Detach(); }

    operator CSheet*() const { return m_sheet; } // NOLINT
    CSheet* operator->() const { return m_sheet; }
    CSheet* Get() const { return m_sheet; }

private:
    friend class CSheet;
    void Attach(CSheet* sheet);
    void Detach();

    CSheet* m_sheet = nullptr;
    SheetLink* m_prev = nullptr; // the sheet's other links
    SheetLink* m_next = nullptr;
};

class CSheetObject : public CTreeNode {
public:
    using CTreeNode::CTreeNode;
    // A copy names the same sheet; it has a handle of its own.
    CSheetObject(const CSheetObject& other) : CTreeNode(other), m_pSheet(other.m_pSheet) {}
    ~CSheetObject() override;

    bool IsOnSheet() const override { return m_pSheet != nullptr; }

    // A reference that turns null when this object is freed: the records of
    // one history name objects another history may free.
    using Handle = std::shared_ptr<CSheetObject*>;
    Handle GetHandle();

    SheetLink m_pSheet; // not owned; null when on no sheet

private:
    Handle m_handle;
};
