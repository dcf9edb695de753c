#include "schematic/undo_part_primitive.h"

#include "core/property_grid.h"
#include "core/tree_node.h"
#include "platform/device_context.h"

#include <algorithm>

namespace {
void RefreshIfShown(const CPartPrimitive* primitive) {
    CPropertyGrid* grid = GetPropertyGrid();
    if (grid && grid->GetShownObject() == primitive)
        grid->RefreshProperties();
}
} // namespace

// --- Where a part sits -------------------------------------------------------------

PartLocation PartLocation::Of(CTreeNode* part) {
    PartLocation l;
    l.part = part;
    if (part && part->GetParent()) {
        l.parent = part->GetParent();
        l.index = part->GetIndexInParent();
    }
    return l;
}

CTreeNode* PartLocation::Resolve() const {
    if (parent && index >= 0 && static_cast<size_t>(index) < parent->GetChildCount())
        return parent->GetChild(static_cast<size_t>(index));
    return part;
}

PartPrimitiveList* PartLocation::Primitives() const {
    auto* owner = dynamic_cast<CPartPrimitiveOwner*>(Resolve());
    return owner ? &owner->GetOwnPrimitives() : nullptr;
}

// --- Change ------------------------------------------------------------------------

CUndoPartPrimitiveChange::CUndoPartPrimitiveChange(CPartPrimitive* primitive)
    : copy_(primitive->Clone(primitive->GetOwner())), primitive_(primitive),
      owner_(primitive->GetOwner()), token_(std::tuple(primitive->ToString())) {}

CUndoPartPrimitiveChange::~CUndoPartPrimitiveChange() = default;

bool CUndoPartPrimitiveChange::InOwner() const {
    auto* owner = dynamic_cast<CPartPrimitiveOwner*>(const_cast<CTreeNode*>(owner_));
    if (!owner)
        return false;
    const PartPrimitiveList& list = owner->GetOwnPrimitives();
    return std::find(list.begin(), list.end(), primitive_) != list.end();
}

void CUndoPartPrimitiveChange::TakeCurrentValues() {
    if (InOwner())
        token_.TakeCurrent({primitive_->ToString()});
}

void CUndoPartPrimitiveChange::TakeOthersValues() {
    if (!copy_ || !InOwner() || !token_.IsEmpty())
        return;
    const std::wstring now = primitive_->ToString();
    if (now == std::get<0>(token_.Left()))
        return;
    // The step changed nothing of it: the copy follows the primitive.
    token_ = ValueChange<std::wstring>(std::tuple(now));
    copy_.reset(primitive_->Clone(primitive_->GetOwner()));
}

bool CUndoPartPrimitiveChange::FindsValuesAsLeft() const {
    return !InOwner() || token_.FindsAsLeft({primitive_->ToString()});
}

CUndoItem* CUndoPartPrimitiveChange::Undo() {
    auto* inverse = new CUndoPartPrimitiveChange(primitive_);
    TakeCurrentValues();
    if (InOwner() && token_.IsEmpty())
        return inverse;
    auto dc = CreateViewDC();
    primitive_->Invalidate(dc.get());
    primitive_->CopyFrom(*copy_);
    primitive_->Invalidate(dc.get());
    RefreshIfShown(primitive_);
    copy_.reset();
    inverse->TakeCurrentValues();
    return inverse;
}

// --- Insert --------------------------------------------------------------------------

CUndoPartPrimitiveInsert::CUndoPartPrimitiveInsert(CTreeNode* part, int primitiveIndex)
    : location_(PartLocation::Of(part)), index_(primitiveIndex) {}

CUndoPartPrimitiveInsert::CUndoPartPrimitiveInsert(const PartLocation& location, int primitiveIndex)
    : location_(location), index_(primitiveIndex) {}

CUndoItem* CUndoPartPrimitiveInsert::Undo() {
    PartPrimitiveList* list = location_.Primitives();
    if (!list || index_ < 0 || static_cast<size_t>(index_) >= list->size())
        return new CUndoPartPrimitiveDelete(location_, index_, nullptr);
    CPartPrimitive* primitive = (*list)[static_cast<size_t>(index_)];
    auto dc = CreateViewDC();
    primitive->Invalidate(dc.get());
    list->erase(list->begin() + index_);
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->OnObjectRemoved(primitive);
    return new CUndoPartPrimitiveDelete(location_, index_, primitive);
}

// --- Delete --------------------------------------------------------------------------

CUndoPartPrimitiveDelete::CUndoPartPrimitiveDelete(CTreeNode* part, int primitiveIndex,
                                                   CPartPrimitive* removed)
    : location_(PartLocation::Of(part)), index_(primitiveIndex), removed_(removed) {}

CUndoPartPrimitiveDelete::CUndoPartPrimitiveDelete(const PartLocation& location, int primitiveIndex,
                                                   CPartPrimitive* removed)
    : location_(location), index_(primitiveIndex), removed_(removed) {}

CUndoPartPrimitiveDelete::~CUndoPartPrimitiveDelete() = default;

CUndoItem* CUndoPartPrimitiveDelete::Undo() {
    PartPrimitiveList* list = location_.Primitives();
    if (!list || !removed_)
        return new CUndoPartPrimitiveInsert(location_, -1);
    int index = index_;
    if (index < 0 || static_cast<size_t>(index) > list->size())
        index = static_cast<int>(list->size());
    CPartPrimitive* primitive = removed_.release();
    list->insert(list->begin() + index, primitive);
    auto dc = CreateViewDC();
    primitive->Invalidate(dc.get());
    return new CUndoPartPrimitiveInsert(location_, index);
}

// The nodes each record acts on --------------------------------------------

namespace {
// A list record finds its part again through the parent, or holds the part
// itself when the part was in no tree.
void VisitLocation(const PartLocation& location,
                   const std::function<void(const CTreeNode*)>& visit) {
    if (location.parent)
        visit(location.parent);
    else if (location.part)
        visit(location.part);
}
} // namespace

void CUndoPartPrimitiveChange::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    if (owner_)
        visit(owner_);
}

void CUndoPartPrimitiveInsert::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    VisitLocation(location_, visit);
}

void CUndoPartPrimitiveDelete::ForEachNamedNode(
    const std::function<void(const CTreeNode*)>& visit) const {
    VisitLocation(location_, visit);
}
