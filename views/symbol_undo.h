// Undo records of the symbol editor that change a part as a whole. Both keep
// the very primitive and pin objects they touch, so that older records
// holding pointers to them stay valid through any sequence of undo and redo.
#pragma once

#include "core/undo_item.h"
#include "core/value_change.h"
#include "platform/types.h"
#include "schematic/part_primitive.h"

#include <memory>
#include <string>
#include <vector>

class CPart;
class CPin;

// Before an outline edge moves: the part's outline size, the side and
// offset of each of its pins, and a copy of each primitive of the drawing the
// part shows (its own, or the first part's in a homogeneous package).
// Undoing puts them back in place, where the step changed them: all of it
// is one value, compared by what the file holds of it.
// The symbol editor's origin is the outline's top left corner: steps added
// on the left or at the top move it, and the editor moves its view with it
// so that the rest stays put on the screen. The record's offset is the
// steps its step added on those of the sides it moved (leftMoves,
// topMoves), so it follows what the step changed of the size; an Undo moves
// the view showing the part back by it, a Redo forward again.
class CUndoModifyPart : public CUndoItem {
public:
    CUndoModifyPart(CPart* part, bool leftMoves, bool topMoves);
    ~CUndoModifyPart() override;
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;
    void TakeCurrentValues() override;
    void TakeOthersValues() override;
    bool FindsValuesAsLeft() const override;

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
    // Copies what the part holds now.
    void Keep();
    // The size, the pins' places and the primitives' tokens as the part
    // holds them now.
    std::wstring State() const;
    // The grid steps the part's outline holds now beyond the kept size on
    // the left (x) and at the top (y).
    POINT Offset() const;
    CPart* m_part;
    bool m_leftMoves;
    bool m_topMoves;
    SIZE m_size;
    std::vector<PinPlace> m_pins;
    std::vector<PrimitiveCopy> m_primitives;
    ValueChange<std::wstring> m_state;
};

// Before a part's own drawing is replaced as a whole: the record takes the
// part's primitives (leaving its list empty) and owns them while they are
// out; undoing swaps them back in and keeps what was there instead. The
// drawing the step left (the primitives by address) is its value; the step
// replaced the drawing whole, so nothing of it follows another history.
class CUndoPartDrawing : public CUndoItem {
public:
    explicit CUndoPartDrawing(CPart* part);
    ~CUndoPartDrawing() override;
    CUndoItem* Undo() override;
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override;
    void TakeCurrentValues() override;
    void TakeOthersValues() override {}
    bool FindsValuesAsLeft() const override;

private:
    CPart* m_part;
    PartPrimitiveList m_primitives;
    // The drawing the step left, once its history took it (the caller fills
    // the part after the record is made).
    std::vector<const CPartPrimitive*> m_left;
    bool m_leftTaken = false;
};
