#include "views/marking_clipboard.h"

#include "board/marking.h"
#include "board/marking_primitive.h"
#include "core/vorpel_view.h"
#include "platform/key_state.h"
#include "platform/messages.h"

CMarkingClipboard g_MarkingClipboard;

CMarkingClipboard::CMarkingClipboard() = default;

CMarkingClipboard::~CMarkingClipboard() {
    Clear();
}

CMarking* CMarkingClipboard::HolderFor(int layer) {
    for (const auto& holder : m_holders)
        if (holder->m_layer == layer)
            return holder.get();
    m_holders.push_back(std::make_unique<CMarking>(layer));
    return m_holders.back().get();
}

void CMarkingClipboard::Add(const CMarkingPrimitive* primitive) {
    if (!primitive)
        return;
    const size_t before = m_primitives.size();
    CloneMarkingPrimitiveInto(m_primitives, primitive);
    if (m_primitives.size() == before)
        return;
    CMarkingPrimitive* copy = m_primitives.back();
    copy->m_pMarking = HolderFor(primitive->GetLayer());
    copy->m_selected = false;
}

CMarkingPrimitive* CMarkingClipboard::TakeForPlacing(size_t i) {
    if (i >= m_primitives.size())
        return nullptr;
    CMarkingPrimitive* taken = m_primitives[i];
    CMarkingPrimitive* fresh = taken->Clone();
    fresh->m_state = kMarkingFloating;
    m_primitives[i] = fresh;
    return taken;
}

void CMarkingClipboard::Clear() {
    DeleteMarkingPrimitives(m_primitives);
}

void CMarkingClipboard::Draw(Graphics* g, int flags) {
    for (CMarkingPrimitive* p : m_primitives)
        p->Draw(g, flags);
}

void CMarkingClipboard::Invalidate(Graphics* g) {
    for (CMarkingPrimitive* p : m_primitives)
        p->Invalidate(g);
}

void CMarkingClipboard::MoveTo(Graphics* g, int flags, float x, float y) {
    // From grid point to grid point, as a primitive dragged by its holder.
    PointF to{x, y};
    if (g_pActiveView)
        to = g_pActiveView->SnapToGrid(to);
    for (CMarkingPrimitive* p : m_primitives)
        p->MouseMove(g, flags, to.X, to.Y);
}

void CMarkingClipboard::TransformByKey(wchar_t key) {
    const bool shift = IsKeyDown(VK_SHIFT);
    for (CMarkingPrimitive* p : m_primitives)
        p->TransformByKey(key, shift);
}
