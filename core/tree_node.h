// The base of every document object: a tree node that owns its children, an
// XML element (type id, attributes, element text) and a property-panel face.
// The virtual operations come in pairs, one for the board-side views (drawing
// surface Graphics, model coordinates in millimetres as floats) and one for
// the sheet-side views (DeviceContext, integer logical coordinates).
#pragma once

#include "core/node_arena.h"
#include "core/node_type.h"
#include "core/property.h"
#include "core/tree.h"
#include "core/xml_element.h"
#include "platform/types.h"

#include <cstdint>
#include <functional>
#include <new>
#include <string>

class CVorpelView;
class Graphics;
class DeviceContext;
class QuadTreeNode;

// Flags word passed to the draw, mouse and delete slots.
namespace NodeFlags {
constexpr uint32_t LeftButton = 0x00000001;
constexpr uint32_t Control = 0x00000008;
// Added to a button-down passed on to the parts of a node when the press hit
// a part that is already selected; like Control it keeps the selection of
// parts that were not hit.
constexpr uint32_t KeepSelection = 0x00400000;
constexpr uint32_t KeepSelectionMask = KeepSelection | Control;
// Drawing in a dialog's preview: pads without their numbers, whatever the
// active view shows.
constexpr uint32_t HidePadNumbers = 0x00800000;
constexpr uint32_t ShowThermalRelief = 0x00010000;
constexpr uint32_t PadstackView = 0x00020000;
constexpr uint32_t FootprintView = 0x00040000;
constexpr uint32_t BoardView = 0x00080000;
constexpr uint32_t SymbolView = 0x00100000;
constexpr uint32_t SchematicView = 0x00200000;
constexpr int FrontLayerShift = 24; // bits 24-31 in board and padstack views
} // namespace NodeFlags

class CTreeNode : public Tree<CTreeNode>, public CXmlElement, public CProperty {
public:
    CTreeNode();
    explicit CTreeNode(int type);
    CTreeNode(int type, const wchar_t* text);
    // Deep copy: no parent; every child copied through its own Clone. The copy
    // is shown in no editor view and sits in no quad-tree node.
    CTreeNode(const CTreeNode& other);
    CTreeNode& operator=(const CTreeNode&) = delete;
    // Destroys the subtree. Does not unlink the node from its parent: call
    // RemoveFromParent first when the node is in a tree.
    ~CTreeNode() override;
    // Called with every node being destroyed while set (a watcher of
    // detached nodes lets go of it).
    static inline void (*s_destroyed)(const CTreeNode* node) = nullptr;

    // Nodes come from the node arena: the reader of a file cuts them from
    // blocks, everything else from the heap.
    static void* operator new(std::size_t size) { return NodeArena::Allocate(size); }
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* p) noexcept { NodeArena::Free(p); }

    CTreeNode* Clone() const override;
    virtual const wchar_t* GetTagName() const;
    // Attribute map and element text -> members, after a load.
    virtual void ReadAttributes();
    // Members -> attribute map and element text, before a save.
    virtual void WriteAttributes();
    virtual void DrawOnBoard(Graphics* g, uint32_t flags);
    virtual void DrawOnSheet(DeviceContext* dc, uint32_t flags);
    // False when the node has no bounds; r is in millimetres.
    virtual bool GetBoundsOnBoard(Graphics* g, RectF& r);
    // All zero when the node has no bounds; logical units.
    virtual RECT GetBoundsOnSheet(DeviceContext* dc);
    virtual void InvalidateOnBoard(Graphics* g);
    virtual void InvalidateOnSheet(DeviceContext* dc);
    virtual CTreeNode* HitTestOnBoard(Graphics* g, float x, float y);
    virtual CTreeNode* HitTestOnSheet(DeviceContext* dc, int x, int y);
    virtual void MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y);
    // The node the press selected (a holder of several: the last one), or null.
    virtual CTreeNode* MouseDownOnSheet(DeviceContext* dc, uint32_t flags, int x, int y);
    virtual void MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y);
    virtual int MouseUpOnSheet(DeviceContext* dc, uint32_t flags, int x, int y);
    // Non-zero when the click was taken.
    virtual int RightClickOnBoard(Graphics* g, uint32_t flags, float x, float y);
    virtual void RightClickOnSheet(DeviceContext* dc, uint32_t flags, int x, int y);
    // Non-zero when the node moved.
    virtual int DragOnBoard(Graphics* g, uint32_t flags, float x, float y);
    virtual int DragOnSheet(DeviceContext* dc, uint32_t flags, int x, int y);
    // Non-zero when the node deleted something.
    virtual int DeleteOnBoard(Graphics* g, uint32_t flags);
    virtual int DeleteOnSheet(DeviceContext* dc, uint32_t flags);
    // BoardLayer id, -1 for none.
    virtual int GetLayer() const;
    virtual void SetLayer(int layer);
    // What other nodes find this one by besides its address (a layer's id,
    // a net's name), or empty. A step that changes it, or takes the node
    // away, leaves the nodes that name it so naming another node or none.
    virtual std::wstring ReferenceKey() const { return {}; }
    // Every node that names this one other than as its parent: what lies on
    // a layer, the pins, planes and areas of a net.
    virtual void ForEachReferrer(const std::function<void(const CTreeNode*)>& /*visit*/) const {}

    // True for a sheet object that is shown on a sheet. Sheet objects
    // override it; a node that cannot be on a sheet never is.
    virtual bool IsOnSheet() const { return false; }

    // Clears what a view may have selected in this node alone (not in its
    // children): the selected flag and any selected pieces the node holds
    // (primitives, outline vertices).
    virtual void ClearOwnSelection();

    CVorpelView* GetEditorView() const { return m_pEditorView; }
    void SetEditorView(CVorpelView* view) { m_pEditorView = view; }
    bool IsSelected() const { return m_selected != 0; }
    void SetSelected(bool selected) { m_selected = selected ? 1 : 0; }

    // Shared geometry; which class uses which field is up to the class.
    CVorpelView* m_pEditorView = nullptr; // the editor open on this node
    int32_t m_selected = 0;
    int32_t m_dragRecorded = 0;              // set once a drag has recorded its undo item
    SIZE m_size;                             // sheet side: grid steps (a sheet: 0.01 mm)
    POINT m_position;                        // sheet side
    POINT m_clickPoint;                      // sheet side, kept by the mouse slots
    PointF m_boardPosition;                  // board side, mm
    PointF m_boardClickPoint;                // board side, kept by the mouse slots
    QuadTreeNode* m_pQuadTreeNode = nullptr; // the quad-tree node holding this one
    // Creation order of the node (copies get a fresh one). Sets of nodes are
    // ordered by it, so that drawing order and search results never depend
    // on where the nodes happen to sit in memory.
    const uint64_t m_sequence;
};

// Clears the selection of the node and of every node below it. A copy that
// leaves its document (the trees' clipboard, a footprint or symbol taken from
// a library) arrives with nothing selected, as a loaded one does.
void DeselectSubtree(CTreeNode* node);

// Orders node pointers by creation sequence.
struct NodeSequenceLess {
    bool operator()(const CTreeNode* a, const CTreeNode* b) const {
        return a->m_sequence < b->m_sequence;
    }
};

// True for the board-side node types Layer (9) through Area (20), and for a
// Text (28) that is shown on no sheet. Chooses between the board-side and
// sheet-side invalidation of a node.
bool IsBoardSideNode(const CTreeNode* node);
