// Undo records of symbol primitives: a primitive's geometry, flags or text
// changed (dragging, property rows), and a primitive inserted into or removed
// from its part's list. The list records name the part by its parent and its
// place there and look it up again when they run.
#pragma once

#include "core/undo_item.h"
#include "core/value_change.h"
#include "schematic/part_primitive.h"

#include <memory>

class CTreeNode;

// Where a part sits: its parent and child index; the part itself is kept as
// the fallback for a part in no tree.
struct PartLocation {
    CTreeNode* parent = nullptr;
    int index = -1;
    CTreeNode* part = nullptr;

    static PartLocation Of(CTreeNode* part);
    CTreeNode* Resolve() const;
    // The part's own primitive list; null when the node holds none.
    PartPrimitiveList* Primitives() const;
};

// Holds a clone of a primitive taken before a change; undoing copies it back
// where the step changed it. The primitive's token (what the file holds of
// it) before the step and as the step left it is the record's value.
class CUndoPartPrimitiveChange : public CUndoItem {
public:
    explicit CUndoPartPrimitiveChange(CPartPrimitive* primitive);
    ~CUndoPartPrimitiveChange() override;
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;
    void TakeCurrentValues() override;
    void TakeOthersValues() override;
    bool FindsValuesAsLeft() const override;

    CPartPrimitive* GetPrimitive() const { return primitive_; }
    const CPartPrimitive* GetCopy() const { return copy_.get(); }

private:
    // The primitive is still in its owner's list: only then is it read.
    bool InOwner() const;
    std::unique_ptr<CPartPrimitive> copy_;
    CPartPrimitive* primitive_;
    const CTreeNode* owner_; // the primitive's, as the record was made
    ValueChange<std::wstring> token_;
};

// A primitive was put into its part's list at an index; undoing takes it out
// again (into the inverse record, which owns it).
class CUndoPartPrimitiveInsert : public CUndoItemWithoutValues {
public:
    CUndoPartPrimitiveInsert(CTreeNode* part, int primitiveIndex);
    CUndoPartPrimitiveInsert(const PartLocation& location, int primitiveIndex);
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

    const PartLocation& GetLocation() const { return location_; }
    int GetPrimitiveIndex() const { return index_; }

private:
    PartLocation location_;
    int index_;
};

// A primitive was taken out of its part's list; the record owns it until
// undoing puts it back at its index.
class CUndoPartPrimitiveDelete : public CUndoItemWithoutValues {
public:
    CUndoPartPrimitiveDelete(CTreeNode* part, int primitiveIndex, CPartPrimitive* removed);
    CUndoPartPrimitiveDelete(const PartLocation& location, int primitiveIndex,
                             CPartPrimitive* removed);
    ~CUndoPartPrimitiveDelete() override;
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

    const PartLocation& GetLocation() const { return location_; }
    int GetPrimitiveIndex() const { return index_; }
    const CPartPrimitive* GetRemoved() const { return removed_.get(); }

private:
    PartLocation location_;
    int index_;
    std::unique_ptr<CPartPrimitive> removed_;
};
