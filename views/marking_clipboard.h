// The marking primitives copied in a footprint or padstack editor, shared
// by all of them so that a copy made in one editor can be placed in another.
// The copies float: they follow the pointer until a click of the editor
// places them on its front layer. Each copy keeps the layer it was copied
// from (for its colour) through a holder marking of the clipboard's own, so
// it never points into a document, whatever happens to the original.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class CMarking;
class CMarkingPrimitive;
class Graphics;

class CMarkingClipboard {
public:
    CMarkingClipboard();
    ~CMarkingClipboard();
    CMarkingClipboard(const CMarkingClipboard&) = delete;
    CMarkingClipboard& operator=(const CMarkingClipboard&) = delete;

    bool IsEmpty() const { return m_primitives.empty(); }
    size_t Count() const { return m_primitives.size(); }
    const std::vector<CMarkingPrimitive*>& Primitives() const { return m_primitives; }

    // Appends a floating copy of the primitive.
    void Add(const CMarkingPrimitive* primitive);
    // Hands out copy i for placing and puts a fresh floating copy of it in
    // its place, so that the clipboard floats on for the next click. The
    // caller owns the primitive handed out (still parented to the holder).
    CMarkingPrimitive* TakeForPlacing(size_t i);
    // Deletes every copy.
    void Clear();

    void Draw(Graphics* g, int flags);
    void Invalidate(Graphics* g);
    // The copies follow the pointer, snapped to the active view's grid.
    void MoveTo(Graphics* g, int flags, float x, float y);
    // 'H', 'V' or 'R' applied to every copy (nothing is recorded: the copies
    // belong to no document); 'R' turns the other way while Shift is down.
    void TransformByKey(wchar_t key);

private:
    CMarking* HolderFor(int layer);

    std::vector<CMarkingPrimitive*> m_primitives; // owned
    std::vector<std::unique_ptr<CMarking>> m_holders;
};

extern CMarkingClipboard g_MarkingClipboard;
