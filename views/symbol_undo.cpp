#include "views/symbol_undo.h"

#include "core/model_services.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "schematic/part.h"
#include "schematic/part_primitive_list.h"
#include "schematic/pin.h"

// --- Outline change --------------------------------------------------------------

CUndoModifyPart::CUndoModifyPart(CPart* part) : m_part(part), m_size(part->m_size) {
    for (CTreeNode* child : part->GetChildren())
        if (child->GetType() == NodeType::Pin) {
            auto* pin = static_cast<CPin*>(child);
            m_pins.push_back(PinPlace{pin, pin->m_side, pin->m_offset});
        }
    for (CPartPrimitive* primitive : part->GetDrawnPrimitives())
        m_primitives.push_back(
            PrimitiveCopy{primitive, std::unique_ptr<CPartPrimitive>(primitive->Clone(nullptr)),
                          primitive->GetOwner()});
}

CUndoModifyPart::~CUndoModifyPart() = default;

CUndoItem* CUndoModifyPart::Undo() {
    auto* inverse = new CUndoModifyPart(m_part);
    m_part->m_size = m_size;
    for (const PinPlace& p : m_pins) {
        p.pin->m_side = p.side;
        p.pin->m_offset = p.offset;
    }
    for (const PrimitiveCopy& p : m_primitives)
        p.primitive->CopyFrom(*p.copy);
    RepaintWholeWindow();
    return inverse;
}

// --- Drawing swap ----------------------------------------------------------------

CUndoPartDrawing::CUndoPartDrawing(CPart* part) : m_part(part) {
    m_primitives.swap(part->m_primitives);
    if (CPropertyGrid* grid = GetPropertyGrid())
        for (CPartPrimitive* primitive : m_primitives)
            grid->OnObjectRemoved(primitive);
}

CUndoPartDrawing::~CUndoPartDrawing() {
    DeletePartPrimitives(m_primitives);
}

CUndoItem* CUndoPartDrawing::Undo() {
    auto* inverse = new CUndoPartDrawing(m_part);
    m_part->m_primitives.swap(m_primitives);
    RepaintWholeWindow();
    return inverse;
}

// The nodes each record acts on --------------------------------------------

void CUndoModifyPart::ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_part);
    for (const PinPlace& place : m_pins)
        visit(place.pin);
    // The primitives' owner: the part, or the first part of a package whose
    // parts share one drawing.
    for (const PrimitiveCopy& copy : m_primitives)
        if (copy.owner)
            visit(copy.owner);
}

void CUndoPartDrawing::ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const {
    visit(m_part);
}
