// Undo records of the symbol editor that change a part as a whole. Both keep
// the very primitive and pin objects they touch, so that older records
// holding pointers to them stay valid through any sequence of undo and redo.
#pragma once

#include "core/undo_item.h"
#include "platform/types.h"
#include "schematic/part_primitive.h"

#include <memory>
#include <vector>

class CPart;
class CPin;

// Before an outline edge moves: the part's outline size, the side and
// offset of each of its pins, and a copy of each primitive of the drawing the
// part shows (its own, or the first part's in a homogeneous package).
// Undoing puts them back in place.
class CUndoModifyPart : public CUndoItem {
public:
    explicit CUndoModifyPart(CPart* part);
    ~CUndoModifyPart() override;
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    struct PinPlace {
        CPin* pin;
        wchar_t side;
        int32_t offset;
    };
    struct PrimitiveCopy {
        CPartPrimitive* primitive;
        std::unique_ptr<CPartPrimitive> copy;
        const CTreeNode* owner; // the primitive's, as the record was made
    };
    CPart* m_part;
    SIZE m_size;
    std::vector<PinPlace> m_pins;
    std::vector<PrimitiveCopy> m_primitives;
};

// Before a part's own drawing is replaced as a whole: the record takes the
// part's primitives (leaving its list empty) and owns them while they are
// out; undoing swaps them back in and keeps what was there instead.
class CUndoPartDrawing : public CUndoItem {
public:
    explicit CUndoPartDrawing(CPart* part);
    ~CUndoPartDrawing() override;
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;

private:
    CPart* m_part;
    PartPrimitiveList m_primitives;
};
