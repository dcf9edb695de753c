// The base of the editor views: a window and a property-panel object that
// holds what model code needs from a view (the edited document node, the
// current tool, display unit and grid, snapping, visible layers, the undo
// history, fonts, zoom and scroll), the coordinate mappings of both kinds of
// views (the sheet side in 0.01 mm logical units on a DeviceContext, the
// board side in millimetres on a Graphics), zooming about a point, the
// board-side grid and origin marker, and lengths in the display units.
// Model code reaches the view whose tab is shown through g_pActiveView.
#pragma once

#include "core/length_unit.h"

#include "core/property.h"
#include "core/undo_list.h"
#include "platform/logical_font.h"
#include "platform/types.h"
#include "platform/window.h"

#include <cstdint>
#include <string>
#include <vector>

class Graphics;
class DeviceContext;
class CTreeNode;
class CBoardLayerIndex;

// ViewKind and DocumentKind.
constexpr int kViewSchematic = 1;
constexpr int kViewSymbol = 2;
constexpr int kViewBoard = 3;
constexpr int kViewPadstack = 4;
constexpr int kViewFootprint = 5;
constexpr int kDocumentProject = 0;
constexpr int kDocumentSymbolLibrary = 1;
constexpr int kDocumentFootprintLibrary = 2;

// Command ids the base handles.
constexpr int ID_ZOOM_IN = 32790;
constexpr int ID_ZOOM_OUT = 32791;
constexpr int ID_ZOOM_ALL = 32792;
constexpr int ID_ZOOM_IN_AT_CURSOR = 33145;
constexpr int ID_ZOOM_OUT_AT_CURSOR = 33146;
constexpr int ID_TOOL_DEFAULT = 32776;
constexpr int ID_TOOL_MOVE_ORIGIN = 33118;

class CVorpelView : public PlatformWindow, public CProperty {
public:
    static constexpr int kMaxZoomFactor = 1024;

    explicit CVorpelView(CTreeNode* document = nullptr);
    ~CVorpelView() override;

    // --- What each editor defines. -----------------------------------------
    bool PreTranslateMessage(Message* msg) override = 0;
    virtual int GetViewKind() const = 0;
    virtual int GetDocumentKind() const = 0;
    // Switches to the next display unit; the base does nothing.
    virtual void CycleUnit();
    virtual void CopyOrCut(int cut) = 0;
    virtual void Paste() = 0;
    virtual void Undo() = 0;
    virtual void Redo() = 0;
    virtual void Find();
    virtual void FindForward();
    virtual void FindBackward();
    virtual void ZoomAll() = 0;
    // Drops whatever the user has under way and not yet placed (a floating
    // object, a wire or route being drawn), as Esc would, so that nothing
    // half made stays in the document or is saved with it. The frame calls
    // it before a view closes and before it asks about saving. The base has
    // nothing under way.
    virtual void DropWorkInProgress() {}
    // The document changed without the view (a tree's Undo or Redo, a board
    // dialog run from a tree): the view lets go of what left it, as after
    // its own Undo, and shows the rest as it now is. The base has nothing to
    // let go of.
    virtual void CatchUpWithDocument() {}
    // Another history's step changed the document, perhaps while this view
    // was hidden, and perhaps before the step is complete (a record pushed
    // before its node leaves): before the view next uses what it keeps
    // (its index, the objects at hand) or handles a message, it takes them
    // anew from the document, without touching the panel or the toolbars,
    // which belong to the view shown. The base keeps nothing.
    virtual void CatchUpLater() {}
    // Whether the object the panel shows is one the view's tool is still
    // making (a text that follows the pointer): its row belongs to the tool,
    // which takes the value when it puts the object down. The base makes
    // nothing.
    virtual bool IsMaking(const CProperty* object) const {
        (void)object;
        return false;
    }
    // Whether the view shows object, a node of one of the documents that the
    // panel shows for it. A node can stay in its document and still leave
    // the view's page (a sheet's drawing given back to the sheet of its
    // name); the panel then lets go of it. The base shows its whole document.
    virtual bool Shows(const CProperty* object) const {
        (void)object;
        return true;
    }
    virtual void BeginInPlaceEdit(DeviceContext* dc, int left, int top, int right, int bottom,
                                  CTreeNode* object);
    virtual void Draw(DeviceContext* dc);
    // The part of the document a printed page shows (0.01 mm); (0, 0) here.
    virtual SIZE GetPrintExtent();
    // The size of the drawing on the sheet side (0.01 mm): its top edge is
    // at the top of the client area. The document node's size here; a view
    // whose drawing is not its node's size answers its own.
    virtual SIZE GetDocumentExtent() const;
    // The per-layer index of the board the view shows; null but in the
    // board editor.
    virtual CBoardLayerIndex* GetBoardLayerIndex() { return nullptr; }

    // Marks a device rectangle of the view's window for repainting, the whole
    // client area when rect is null; erase also repaints the background.
    virtual void InvalidateRect(const RECT* rect, bool erase);

    // --- Zoom and mappings. ------------------------------------------------
    // mode 0 in, 1 out, 2 all; (x, y) a client point that stays put.
    void Zoom(int x, int y, int mode);
    int GetZoomFactor() const { return m_zoomFactor; }
    // 1 multiply, 0 divide.
    int GetZoomMode() const { return m_zoomMode; }
    // factor in multiply mode, 1 / factor in divide mode.
    double GetZoomScale() const;
    void SetZoom(int factor, int mode);
    // The part of the client area the user sees, what Zoom All fits into:
    // the client area within the parent's, less the largest piece any shown
    // sibling lying over it (the property panel and its caption) would hide.
    // Empty while the view has no size.
    RECT GetVisibleClientRect() const;

    // Sheet side: 0.01 mm logical units, y up, the top of the document at the
    // top of the client area.
    void PrepareDC(DeviceContext* dc);
    // Printer page: the print extent fitted to the page, whole (or true
    // scale), centred on the document and moved to the tile (0.01 mm).
    void PreparePrintDC(DeviceContext* dc, bool fit, int tileX, int tileY);
    // Board side: millimetres, y up, the model origin at the scroll offset.
    void PrepareGraphics(Graphics* g);
    // x, y: a client point less the scroll offset; the model point in mm.
    void ClientToModel(PointF& out, Graphics* g, float x, float y) const;
    void DrawGrid(Graphics* g, const RECT& update);
    void DrawOriginMarker(Graphics* g);

    // Scroll offset of the view in device pixels: a client point minus this
    // offset is the point the drawing mapping works with.
    POINT GetScrollOffset() const { return m_scrollOffset; }
    void SetScrollOffset(POINT offset) { m_scrollOffset = offset; }
    // Sheet side, through a context the view prepared: a client point
    // (pixels) to logical units, and back.
    POINT ClientToLogical(DeviceContext* dc, POINT client) const;
    POINT LogicalToClient(DeviceContext* dc, POINT logical) const;

    // --- Document, tool, unit, grid, snapping, layers. ---------------------
    CTreeNode* GetDocument() const { return m_pDocument; }
    int GetCurrentTool() const { return m_currentTool; }
    void SetCurrentTool(int tool) { m_currentTool = tool; }
    // The display unit; mm while the view has none.
    int GetUnit() const { return m_pUnit ? *m_pUnit : kUnitMm; }
    int* GetUnitPointer() const { return m_pUnit; }
    void SetUnitPointer(int* unit) { m_pUnit = unit; }
    // The grid steps (x, y in mm) of the document: two floats, or null.
    float* GetGridPointer() const { return m_pGrid; }
    void SetGridPointer(float* grid) { m_pGrid = grid; }
    // The point on the nearest grid crossing (halves away from zero) while
    // snapping is on and both grid steps are non-zero; else the point itself.
    PointF SnapToGrid(PointF p) const;
    bool IsSnapOn() const { return m_snap != 0; }
    void SetSnap(bool on) { m_snap = on ? 1 : 0; }
    bool ArePadNumbersShown() const { return m_padNumbers != 0; }
    void SetPadNumbersShown(bool on) { m_padNumbers = on ? 1 : 0; }
    bool IsPrinting() const { return m_printing != 0; }
    void SetPrinting(bool on) { m_printing = on ? 1 : 0; }
    // The sheet-side grid step and normal font height, 0.01 mm.
    int GetTextHeight() const { return m_textHeight; }
    uint64_t GetVisibleLayers() const { return m_visibleLayers; }
    void SetVisibleLayers(uint64_t mask) { m_visibleLayers = mask; }
    bool IsLayerVisible(int layer) const {
        return layer >= 0 && layer < 64 && (m_visibleLayers >> layer & 1) != 0;
    }
    // BoardLayer ids, back to front.
    const std::vector<int>& GetDrawOrder() const { return m_drawOrder; }
    void SetDrawOrder(std::vector<int> order) { m_drawOrder = std::move(order); }
    // The pending origin of the Move Origin tool (mm) and its button state.
    PointF GetPendingOrigin() const { return m_pendingOrigin; }
    void SetPendingOrigin(PointF p) { m_pendingOrigin = p; }
    bool IsButtonHeld() const { return m_buttonHeld != 0; }
    void SetButtonHeld(bool held) { m_buttonHeld = held ? 1 : 0; }

    CUndoList& GetUndoList() { return m_undoList; }

    // The font descriptions: normal, turned -90 degrees (vertical text) and
    // zoomed (height text height / 40 x zoom scale, truncated).
    const LogFont& GetFont() const { return m_font; }
    const LogFont& GetVerticalFont() const { return m_fontVertical; }
    const LogFont& GetZoomedFont() const { return m_fontZoomed; }
    // Builds the three fonts again from the description.
    void RecreateFonts();
    LogFont& GetFontDescription() { return m_fontDescription; }

    // An open in-place text editor (null when none); zooming closes it.
    PlatformWindow* GetInPlaceEdit() const { return m_pInPlaceEdit; }
    void SetInPlaceEdit(PlatformWindow* edit) { m_pInPlaceEdit = edit; }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // The base handlers; each view's own message map calls them.
    void OnCreate();
    void OnDestroy();
    void OnZoomCommand(int id);
    void OnZoomAtCursor(int id);
    void RecreateZoomedFont();

    CTreeNode* m_pDocument = nullptr;
    int m_currentTool = ID_TOOL_DEFAULT;
    int* m_pUnit = nullptr;
    float* m_pGrid = nullptr;
    int m_textHeight = 250;
    int m_printing = 0;
    int m_snap = 1;
    int m_padNumbers = 1;
    int m_buttonHeld = 0;
    PointF m_pendingOrigin;
    std::vector<int> m_drawOrder;
    uint64_t m_visibleLayers = ~0ull;
    PlatformWindow* m_pInPlaceEdit = nullptr;
    CUndoList m_undoList;
    LogFont m_fontDescription;
    LogFont m_font;
    LogFont m_fontVertical;
    LogFont m_fontZoomed;
    int m_zoomFactor = 1;
    int m_zoomMode = 1;
    POINT m_scrollOffset;
};

// The view whose tab is shown; null when none.
extern CVorpelView* g_pActiveView;

// The device rectangle of a model rectangle: both corners through g's world
// transform, each coordinate rounded half away from zero, then ordered so
// that left <= right and top <= bottom. Without a surface the rectangle maps
// to itself.
RECT WorldRectToDeviceRect(Graphics* g, float x, float y, float width, float height);

// A length typed in a unit: the leading number of the text (what follows it
// is ignored) times the unit's millimetres. False when the text does not
// start with a number or the length is too large for a float; *mm is then
// left alone.
bool ParseLength(const std::wstring& text, int unit, float* mm);
// The same giving 0 for a text without a number.
float ParseLength(const std::wstring& text, int unit);
// mm in the unit, fixed notation with the unit's decimals, independent of
// the process locale: 2.54 mm is "100.0" mil and "0.100" inch.
std::wstring FormatLength(float mm, int unit);
