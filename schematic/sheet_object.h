// A node that can be shown on a sheet: parts, wires, buses and texts.
#pragma once

#include "core/tree_node.h"

#include <memory>
#include <string>

class CSheet;

// A pointer to a sheet that turns null when the sheet is freed. An object
// names its sheet through one, and so does an undo record: the object or
// record may outlive the sheet (a history drops the sheet it held while the
// objects drawn on it stay in the board). It then names no sheet but keeps
// the freed sheet's name, as the objects of a deleted sheet still name it
// in the file, and lie on a sheet that later takes that name.
class SheetLink {
public:
    SheetLink() = default;
    SheetLink(CSheet* sheet) { Attach(sheet); } // NOLINT: a pointer, as it stands
    SheetLink(const SheetLink& other) : m_lostName(other.m_lostName) { Attach(other.m_sheet); }
    SheetLink& operator=(const SheetLink& other) {
        *this = other.m_sheet;
        m_lostName = other.m_lostName;
        return *this;
    }
    // Names the sheet (null: none, and no name either).
    SheetLink& operator=(CSheet* sheet) {
        m_lostName.reset();
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
    // The name of the sheet this named when it was freed, else null.
    const std::wstring* GetLostName() const { return m_lostName.get(); }

private:
    friend class CSheet;
    void Attach(CSheet* sheet);
    void Detach();
    // The sheet, of that name, is being freed.
    void Lose(const std::shared_ptr<const std::wstring>& name);

    CSheet* m_sheet = nullptr;
    SheetLink* m_prev = nullptr; // the sheet's other links
    SheetLink* m_next = nullptr;
    std::shared_ptr<const std::wstring> m_lostName;
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
    // What the object lay on before a sheet took it up by its name (see
    // CProjectTree::TakeBackObjects); null for an object drawn on its sheet.
    // The sheet gives it back when it leaves that name.
    std::unique_ptr<SheetLink> m_takenFrom;

private:
    Handle m_handle;
};
