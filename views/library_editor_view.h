// What the footprint and padstack editors share: the shared pad-layer
// selector on their toolbar, layers brought to the front and hidden, the
// pointer in millimetres, panning with the middle button and the arrow keys,
// zoom to fit, the primitive being drawn by a marking tool and the marking
// clipboard with its floating copies.
#pragma once

#include "core/vorpel_view.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CMarking;
class CMarkingPrimitive;
class ComboBoxControl;
class Graphics;
class PopupMenu;
class ToolBarControl;
struct DRAWITEMSTRUCT;

// Command ids of the footprint and padstack editors.
constexpr int ID_FP_TRANSFORM_MIRROR_V = 32860;
constexpr int ID_FP_TRANSFORM_MIRROR_H = 32861;
constexpr int ID_FP_TRANSFORM_ROTATE = 32862;
constexpr int ID_FP_DELETE = 32820;
constexpr int ID_FP_SELECT_ALL_SUCH_PADS = 32943;
constexpr int ID_FP_EDIT_PADSTACK = 32944;

class CLibraryEditorView : public CVorpelView {
public:
    // The draw order starts with no layer active (-1), then 0 to 31.
    explicit CLibraryEditorView(CTreeNode* document);
    ~CLibraryEditorView() override;

    static bool IsPrimitiveTool(int tool);
    void CatchUpWithDocument() override;
    bool IsMaking(const CProperty* object) const override;
    // The active layer (the front of the draw order); -1 for none.
    int GetFrontLayer() const { return m_drawOrder.empty() ? -1 : m_drawOrder.front(); }
    // The primitive a marking tool is drawing, or null.
    CMarkingPrimitive* GetCurrentPrimitive() const { return m_pCurrentPrimitive; }
    // True while the clipboard's copies float and a click places them.
    bool IsPlacing() const { return m_placing; }

    // A drawing surface for the view's pointer work: the view transform as
    // the last paint had it, no target.
    std::unique_ptr<Graphics> MakeGraphics() const;
    // A client point of the window in model millimetres.
    PointF ClientPointToModel(Graphics* g, POINT client) const;

protected:
    // --- Layers and the selector. -------------------------------------------
    // Moves the layer (or -1) to the front of the draw order, the others
    // keeping their order.
    void BringLayerToFront(int layer);
    // Puts the shared selector on the toolbar and fills it with the texts.
    // Fills the shared selector with the texts; its open list is made wide
    // enough for each text with its key hint (keyHint(entry)) beside it.
    void FillLayerSelector(ToolBarControl* toolbar, const std::vector<unsigned>& texts,
                           const std::function<std::wstring(int)>& keyHint);
    // Selects the entry (none when out of range) and repaints the selector.
    void ShowSelectorEntry(int entry);
    // Draws one entry of the selector: layer is the entry's layer (-1 for
    // "Select layer"), hint the key shown at the right of list entries.
    void DrawSelectorItem(const DRAWITEMSTRUCT* dis, int layer, const std::wstring& hint);

    // --- Viewing. --------------------------------------------------------------
    // Scrolls the view's contents by (dx, dy) pixels.
    void ScrollBy(int dx, int dy);
    // Zoom to fit: the largest zoom at which the bounds take at most a
    // divisor-th of the part of the view the user sees in each direction,
    // centred there. Stops at the smallest zoom; a view without a visible
    // area keeps the zoom as it is.
    void FitToView(const RectF& bounds, int divisor);
    // Off-screen drawing starts: background, view transform, grid.
    void BeginPaintScene(Graphics* g, const RECT& client);

    // --- Marking primitives. ----------------------------------------------------
    // Takes the current primitive out of the document by undoing what was
    // recorded since it was begun (without redo), and forgets it.
    void RemoveCurrentPrimitive();
    // True when a marking of holder, or of a node under it, lists the
    // primitive (compared by address only, so a primitive already deleted is
    // safe to ask about).
    bool HoldsPrimitive(const CTreeNode* holder, const CMarkingPrimitive* primitive) const;
    // Every primitive of every marking of holder deselected.
    void DeselectPrimitives(CTreeNode* holder, Graphics* g);
    // The mouse-move memo of the primitive tools: true when the point differs
    // from the last one passed on under that tool (and remembers it).
    bool IsNewToolPoint(int tool, PointF p);
    void ResetToolPoints();

    // Copy or cut of the selected primitives of holder's markings into the
    // marking clipboard; the copies float from then on.
    void CopyPrimitives(CTreeNode* holder, bool cut, Graphics* g);
    // The selected primitives of holder mirrored or turned by key, each with
    // its undo record; or, while placing, the floating copies without any.
    // 'R' turns the other way while Shift is down.
    void TransformPrimitives(CTreeNode* holder, wchar_t key);
    // Places one set of the floating copies on the marking of the front layer
    // of holder (made when missing), with undo records.
    void PlaceClipboardCopies(CTreeNode* holder, Graphics* g);

    // --- Messages shared by both editors. ---------------------------------------
    // Middle button, panning and the swallowed first move after a press.
    // True when the move is used up.
    bool HandlePanMove(WPARAM keys, POINT client);
    // The arrow keys scroll by 50 pixels; true when the key was one.
    bool HandleArrowKey(int key);
    // After a change that may have taken objects out of the document (undo,
    // redo, transforms, cuts): a node or primitive shown in the panel that
    // is no longer in the document leaves the panel, which shows the view's
    // own rows instead. Call it while such objects still live.
    void ForgetDetachedInPanel();
    // The marking of holder on the layer, appended (with its undo record)
    // when missing.
    CMarking* MarkingFor(CTreeNode* holder, int layer);

    // Shows a context menu of the editors (resources/menus_footprint.h) at a
    // client point with the commands grayed; the command chosen, 0 for none.
    int TrackMenu(unsigned menuId, POINT client, const std::vector<unsigned>& grayed);
    // Shows a message box captioned "Vorpel" with the stop icon.
    static void StopMessage(unsigned stringId);
    // Gives the keyboard focus back to the tab window.
    void FocusParent();

    CMarkingPrimitive* m_pCurrentPrimitive = nullptr;
    bool m_placing = false;
    POINT m_middleAnchor;
    std::array<PointF, 8> m_toolPoints{};
    // The resolution the view maps millimetres with (that of its window).
    float m_dpiX = 96.0f;
    float m_dpiY = 96.0f;
};

// The text of the string-table entry as shown in a layer selector.
std::wstring LayerSelectorText(unsigned id);
