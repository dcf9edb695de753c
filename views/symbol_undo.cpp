#include "views/symbol_undo.h"

#include "core/model_services.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/vorpel_view.h"
#include "schematic/part.h"
#include "schematic/part_primitive_list.h"
#include "schematic/pin.h"
#include "views/symbol_view.h"

#include <algorithm>

// --- Outline change --------------------------------------------------------------

CUndoModifyPart::CUndoModifyPart(CPart* part, bool leftMoves, bool topMoves)
    : m_part(part), m_leftMoves(leftMoves), m_topMoves(topMoves),
      m_state(std::tuple(std::wstring())) {
    Keep();
    m_state = ValueChange<std::wstring>(std::tuple(State()));
}

CUndoModifyPart::~CUndoModifyPart() = default;

void CUndoModifyPart::Keep() {
    m_size = m_part->m_size;
    m_pins.clear();
    m_primitives.clear();
    for (CTreeNode* child : m_part->GetChildren())
        if (child->GetType() == NodeType::Pin) {
            auto* pin = static_cast<CPin*>(child);
            m_pins.push_back(PinPlace{pin, pin->m_side, pin->m_offset});
        }
    for (CPartPrimitive* primitive : m_part->GetDrawnPrimitives())
        m_primitives.push_back(
            PrimitiveCopy{primitive, std::unique_ptr<CPartPrimitive>(primitive->Clone(nullptr)),
                          primitive->GetOwner()});
}

std::wstring CUndoModifyPart::State() const {
    std::wstring state =
        std::to_wstring(m_part->m_size.cx) + L"," + std::to_wstring(m_part->m_size.cy);
    for (const PinPlace& p : m_pins)
        state += L" " + std::wstring(1, p.pin->m_side ? p.pin->m_side : L'0') +
                 std::to_wstring(p.pin->m_offset);
    // Only the primitives still drawn are read.
    const std::vector<CPartPrimitive*> drawn = m_part->GetDrawnPrimitives();
    for (const PrimitiveCopy& p : m_primitives)
        state += std::find(drawn.begin(), drawn.end(), p.primitive) != drawn.end()
                     ? L" " + p.primitive->ToString()
                     : std::wstring(L" -");
    return state;
}

POINT CUndoModifyPart::Offset() const {
    return POINT{m_leftMoves ? m_part->m_size.cx - m_size.cx : 0,
                 m_topMoves ? m_part->m_size.cy - m_size.cy : 0};
}

void CUndoModifyPart::TakeCurrentValues() {
    m_state.TakeCurrent({State()});
}

void CUndoModifyPart::TakeOthersValues() {
    if (!m_state.IsEmpty())
        return;
    const std::wstring now = State();
    if (now == std::get<0>(m_state.Left()))
        return;
    // The step changed nothing: what it keeps follows the part.
    Keep();
    m_state = ValueChange<std::wstring>(std::tuple(State()));
}

bool CUndoModifyPart::FindsValuesAsLeft() const {
    return m_state.FindsAsLeft({State()});
}

CUndoItem* CUndoModifyPart::Undo() {
    auto* inverse = new CUndoModifyPart(m_part, m_leftMoves, m_topMoves);
    TakeCurrentValues();
    if (m_state.IsEmpty())
        return inverse;
    const POINT offset = Offset();
    m_part->m_size = m_size;
    for (const PinPlace& p : m_pins) {
        p.pin->m_side = p.side;
        p.pin->m_offset = p.offset;
    }
    for (const PrimitiveCopy& p : m_primitives)
        p.primitive->CopyFrom(*p.copy);
    inverse->TakeCurrentValues();
    if (auto* view = dynamic_cast<CSymbolView*>(g_pActiveView);
        view && view->GetShownPart() == m_part)
        view->FollowOutline(offset, POINT{0, 0});
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

void CUndoPartDrawing::TakeCurrentValues() {
    m_left.assign(m_part->m_primitives.begin(), m_part->m_primitives.end());
    m_leftTaken = true;
}

bool CUndoPartDrawing::FindsValuesAsLeft() const {
    return !m_leftTaken || std::equal(m_left.begin(), m_left.end(), m_part->m_primitives.begin(),
                                      m_part->m_primitives.end());
}

CUndoItem* CUndoPartDrawing::Undo() {
    auto* inverse = new CUndoPartDrawing(m_part);
    m_part->m_primitives.swap(m_primitives);
    inverse->TakeCurrentValues();
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
