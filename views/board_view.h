// The board editor: one board of the project, painted layer by layer with
// the current layer in front, and the tools that edit it: the board outline,
// component placement (package footprints and free components), copper
// areas and board texts. Routing and the design-rule check plug into the
// hooks kept here (the tool dispatch of 32846 and 32847, the check flag, the
// violation maps, RefreshDrc and CheckComponent).
//
// The view never keeps the keyboard focus: keys reach it through the tab
// window, and it hands the focus back to its parent after every press and
// tool change. Every mouse action of a tool opens an undo group first.
#pragma once

#include "board/board_layer_index.h"
#include "core/vorpel_view.h"
#include "platform/accelerator.h"
#include "platform/fill_picture_cache.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

class CArea;
class CBoardProperties;
class PopupMenu;
struct ConductorVertex;
class CAreaNode;
class CBoard;
class CConductor;
class CFootprint;
class CLayer;
class CNet;
class CPad;
class CPadstack;
class CText;
class GraphicsPath;
class PaintTarget;
struct DRAWITEMSTRUCT;

// Command ids of the board view's own menus.
constexpr int ID_BRD_DELETE = 32820;
constexpr int ID_BRD_ROTATE = 32862;
constexpr int ID_BRD_PLACE_TOP = 32974;
constexpr int ID_BRD_PLACE_BOTTOM = 32975;
constexpr int ID_BRD_SAVE_FOOTPRINT = 33123;

// The padstack a new free component is built from: the padstack sheet's
// Load Padstack and Create Padstack pages, working in the board's unit.
// Answers a new padstack owned by the caller, or null when cancelled.
using FreeComponentPadstackSource = std::function<CPadstack*(CBoard* board, int unit)>;
// Replaces the source (an empty function restores the default, which runs
// the padstack sheet over the main window). Returns the source before.
FreeComponentPadstackSource SetFreeComponentPadstackSource(FreeComponentPadstackSource source);

// A mark of the design-rule check: the overlap drawn, and the pair of
// objects it belongs to.
struct DrcViolation {
    std::unique_ptr<GraphicsPath> path;
    uint32_t argb = 0xFF000000; // opaque
    const CTreeNode* first = nullptr;
    const CTreeNode* second = nullptr;
};
using DrcViolationMap = std::map<std::pair<const CTreeNode*, const CTreeNode*>, DrcViolation>;

class CBoardView : public CVorpelView {
public:
    static constexpr int kScrollStep = 50;

    explicit CBoardView(CBoard* board);
    ~CBoardView() override;

    // --- The view base. ------------------------------------------------------
    bool PreTranslateMessage(Message* msg) override;
    int GetViewKind() const override { return kViewBoard; }
    int GetDocumentKind() const override { return kDocumentProject; }
    void CycleUnit() override;
    // The board editor has no clipboard.
    void CopyOrCut(int) override {}
    void Paste() override {}
    void Undo() override;
    void Redo() override;
    void ZoomAll() override;
    // A route under way, a floating component, an area begun with a single
    // point: all go as Esc takes them.
    void DropWorkInProgress() override;
    bool IsMaking(const CProperty* object) const override;
    void CatchUpWithDocument() override;
    void CatchUpLater() override { m_indexStale = true; }
    CBoardLayerIndex* GetBoardLayerIndex() override { return &LayerIndex(); }
    void InvalidateRect(const RECT* rect, bool erase) override;

    // The board's rows in the property panel.
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    // --- What other parts of the program call. -----------------------------
    CBoard* GetBoard() const;
    void SelectTool(int id);
    void CancelAction();
    // -1 brings the outline entry to the front.
    void SetCurrentLayer(int id);
    void BringLayerToFront(int id);
    void SyncLayerSelector();
    // The front layer: the current layer of every tool (-1: the outline).
    int GetFrontLayer() const { return m_drawOrder.empty() ? -1 : m_drawOrder.front(); }
    // Fits the board outline, with the components and conductors that lie
    // beyond it, into a rectangle of the client area: the largest
    // power-of-two zoom whose picture fits, centred there. Keeps the zoom
    // when the rectangle is empty.
    void ZoomToFit(const RECT& area);
    // The board box of the outline, the footprints, the conductors and the
    // vias; empty (all zero) for a board without any.
    RectF DrawnExtent();
    void ZoomToFit(int clientWidth, int clientHeight) {
        ZoomToFit(RECT{0, 0, clientWidth, clientHeight});
    }

    // Design-rule check (with its own issue): the flag the toolbar shows,
    // the marks, and the checks run after edits.
    bool IsDrcOn() const { return m_drcOn; }
    void RefreshDrc();
    void CheckComponent(Graphics* g, CFootprint* footprint);
    void CheckConductor(Graphics* g, CConductor* conductor);
    // Replaces the pair's mark by one of the overlap (none when it is empty).
    void RecordViolation(Graphics* g, const CTreeNode* a, const CTreeNode* b,
                         const GraphicsPath& overlap, uint32_t color, DrcViolationMap& map);
    const DrcViolationMap& GetViolations(int which) const {
        return which == 0 ? m_topViolations : which == 1 ? m_bottomViolations : m_copperViolations;
    }

    // Conductor routing and editing (board_view_routing.cpp).
    CPadstack* GetRouteVia(CNet* net);
    CPad* PickViaPad(Graphics* g, uint32_t flags, PointF p);
    void DragVia(Graphics* g, uint32_t flags, PointF p);
    // Returns the split-off conductor, or null. What is left with fewer
    // than two distinct vertices is deleted.
    CConductor* DeleteSegment(CConductor* conductor, int segment);
    // Deletes the net's via pads that join fewer than two layers (a plane
    // of the net counts as one), and the conductors that leaves with fewer
    // than two distinct vertices.
    void RemoveSuperfluousVias(Graphics* g, CNet* net);
    // Deletes (recorded) every conductor of the net with fewer than two
    // distinct vertices, adding the pads they were tied to to tied when
    // given; true when there was one.
    bool RemoveDegenerateConductors(Graphics* g, CNet* net, std::set<CPad*>* tied = nullptr);
    // Deletes the net's conductors without length and, of the via pads they
    // were tied to, those then superfluous; other vias stay. True when a
    // conductor went. With changed, the net's other conductors are known to
    // have length: nothing happens unless one of those lost it.
    bool DropTracksWithoutLength(Graphics* g, CNet* net,
                                 const std::vector<CConductor*>* changed = nullptr);
    void FixViaAtEnd(Graphics* g, CConductor* conductor, bool last);

    // Moves vertex i of a conductor to (x, y), its neighbours keeping the
    // direction of their segments with a 45-degree piece to the vertex
    // beyond (fixed neighbours are copied first and stay). Returns the
    // vertex's index afterwards (copies inserted before it move it on).
    int MoveAttachedVertex(Graphics* g, CConductor* conductor, int i, float x, float y);
    // Ends the conductor edit: no conductor or via selected, drag flags off.
    void EndConductorEdit();

    // --- State, for the shell and for tests. -------------------------------
    CFootprint* GetFloatingComponent();
    CText* GetFloatingText();
    CArea* GetNewArea();
    CArea* GetCurrentArea();
    bool IsRouting() const { return m_routeNet || m_routeConductor; }
    // The track a route under way draws; null when none.
    CConductor* GetRouteConductor() const { return m_routeConductor; }
    // The pixels per inch the view draws and hit-tests with.
    float GetDpi() const { return m_dpi; }
    // A drawing surface without pixels under the view's transform, for hit
    // tests and repaint rectangles.
    std::unique_ptr<Graphics> MakeGraphics() const;
    // Draws the rectangle update of the view onto g (client pixels).
    void PaintBoard(Graphics* g, const RECT& client, const RECT& update);
    // The picture kept between paints (null before the first paint).
    const PaintTarget* GetPicture() const { return m_backBuffer.get(); }
    // The pours' pictures kept between paints.
    const FillPictureCache& GetFillPictures() const { return m_fillPictures; }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // --- Window (board_view.cpp). ------------------------------------------
    void OnCreate();
    void OnPaint();
    LRESULT OnKeyDown(int vk);
    void OnLButtonDown(WPARAM keys, POINT p);
    void OnLButtonUp(WPARAM keys, POINT p);
    void OnRButtonDown(WPARAM keys, POINT p);
    void OnMouseMove(WPARAM keys, POINT p);
    void OnShowWindow();
    void OnDrawItem(const DRAWITEMSTRUCT* dis);
    void OnSnapCommand();
    void OnPadNumbersCommand();
    void OnDrcCommand();
    void OnLayerCommand(int k);
    void OnDeleteCommand();
    void SetToolCursor(int tool);
    void FocusParent();
    void ShowBoardRows();
    void ShowLayerRows(int id);
    PointF ModelPoint(Graphics* g, POINT client) const;
    std::vector<int> InnerLayerIds() const;
    // Clears the pointers of interaction state whose node has left the board.
    void ForgetDepartedNodes();
    bool IsOnBoard(const CTreeNode* node, int type) const;
    // Empties the property panel when what it shows has left the board (an
    // undo, a redo or a delete took it away).
    void DropDepartedProperties();

    // --- Components (board_view_components.cpp). ---------------------------
    void StartFreeComponent();
    void MoveFloatingComponent(Graphics* g, PointF p);
    void PlaceFloatingComponent(Graphics* g);
    void RemoveFloatingComponent();
    // Deletes the tracks of the footprint's nets left without length.
    void DropShortConductorsAt(Graphics* g, CFootprint* footprint);
    void ComponentPress(Graphics* g, uint32_t flags, PointF p);
    void ComponentDrag(Graphics* g, uint32_t flags, PointF p);
    void ComponentRelease(Graphics* g, uint32_t flags, PointF p);
    bool ComponentKey(int vk);
    void ComponentMenu(Graphics* g, uint32_t flags, PointF p);
    void DeleteFreeComponents(Graphics* g);
    void FollowFootprint(Graphics* g, CFootprint* footprint);
    void DetachFootprintConductors(Graphics* g, CFootprint* footprint);
    // A quarter turn, by the key or from the component menu alike.
    void RotateFootprint(Graphics* g, CFootprint* footprint, bool packaged, bool shift);
    void FlipFootprint(Graphics* g, CFootprint* footprint, bool packaged, int side);
    void SaveFootprint(CFootprint* footprint);
    // Package footprints first, then those of the mountings, in child order.
    std::vector<CFootprint*> PackageFootprints() const;
    std::vector<CFootprint*> MountingFootprints() const;
    // Both kinds in the board's child order.
    std::vector<CFootprint*> AllFootprints() const;
    // The board box a footprint's drawing stays within (its pads with their
    // numbers and clearances, drills and markings); empty without pads or
    // markings. Its device rectangle is what a drag step repaints.
    RectF FootprintBox(Graphics* g, CFootprint* footprint);
    // The same without the room pad numbers take at the present zoom; false
    // without pads or markings.
    bool FootprintExtent(Graphics* g, CFootprint* footprint, RectF& placed);
    RECT FootprintDamage(Graphics* g, CFootprint* footprint);

    // A paint skips what cannot reach the rectangle it redraws: the parts of
    // footprints outside it and texts far from it (board_view_cull.cpp).
    struct PaintCull {
        RectF box; // the rectangle redrawn, board millimetres
        std::unordered_map<const CFootprint*, RectF> footprints;
    };
    bool IsCulled(Graphics* g, CTreeNode* node, PaintCull& cull);

    // --- Outline and areas (board_view_areas.cpp). -------------------------
    void OutlinePress(Graphics* g, uint32_t flags, PointF p);
    void OutlineDrag(Graphics* g, uint32_t flags, PointF p);
    void OutlineRelease(Graphics* g, uint32_t flags, PointF p);
    void OutlineRightPress(Graphics* g, uint32_t flags, PointF p);
    void DeleteOutlineNodes();
    CArea* AreaPick(Graphics* g, uint32_t flags, PointF p);
    void AreaCreatePress(Graphics* g, uint32_t flags, PointF p);
    void AreaDrag(Graphics* g, uint32_t flags, PointF p);
    void DeleteCurrentArea(Graphics* g);
    void EndAreaCreation();
    // The panel lets go of an area (or one of its outline nodes) about to go.
    void ForgetShownArea(CArea* area);
    std::vector<CArea*> Areas() const;

    // --- Texts (board_view_texts.cpp). -------------------------------------
    void StartFreeText();
    void TextPick(Graphics* g, uint32_t flags, PointF p);
    void TextDrag(Graphics* g, uint32_t flags, PointF p);
    void TextRelease(Graphics* g, uint32_t flags, PointF p);
    bool TextKey(int vk);
    void TextMenu(Graphics* g, uint32_t flags, PointF p);
    void DeleteTexts(Graphics* g);
    void RotateFloatingText(bool shift);
    // Takes a value still being typed; a new free text left empty is then
    // taken back as if never begun, its typing with it: an empty text could
    // never be seen or picked again. True if it went.
    bool DropEmptyFloatingText();
    void TurnText(Graphics* g, CText* text, bool shift);
    // Package texts of placed packages, then the board's free texts.
    std::vector<CText*> PackageTexts() const;
    std::vector<CText*> FreeTexts() const;
    PointF TextPoint(const CText* text, PointF board) const;
    // The device rectangle a text's repaint covers.
    RECT TextDamage(Graphics* g, CText* text);

    // --- Routing hooks (board_view_tracks.cpp). ----------------------------
    void RouteClick(Graphics* g, uint32_t flags, PointF p);
    void RouteMove(Graphics* g, uint32_t flags, PointF p);
    void RouteMenu(Graphics* g, uint32_t flags, PointF p);
    void ChangeRouteLayer(int id);
    void ChangeRouteWidth(Graphics* g);
    void EditPick(Graphics* g, uint32_t flags, PointF p);
    void EditDrag(Graphics* g, uint32_t flags, PointF p);
    void EditRelease(Graphics* g, uint32_t flags, PointF p);
    void EditMenu(Graphics* g, uint32_t flags, PointF p);
    void DeleteConductors(Graphics* g);
    void CancelRoute();
    void DrawViolations(Graphics* g);
    void ClearViolations();
    void StartRoute(Graphics* g, PointF p);
    void FinishRoute(Graphics* g);
    PointF RouteTarget(Graphics* g, PointF p);
    CConductor* SegmentAt(PointF p, int* index);
    CBoardProperties* EnsureBoardProperties();
    CPad* PlaceVia(Graphics* g, CNet* net, float x, float y);
    void DeleteViaPad(Graphics* g, CPad* pad);
    CConductor* AddConductor(CNet* net, int layer, float width,
                             std::vector<ConductorVertex> vertices);
    void RemoveConductor(CConductor* conductor);
    // A layer or width change made where the route began: the track c left
    // behind has no length and goes; n starts tied as it did.
    void DropUnroutedStart(CConductor* c, CConductor* n);
    // The groups of a route that ended become one.
    void JoinRouteGroups();
    // The end of a route, finished or given up: repeated bends merged, a
    // track left without length dropped with the vias it alone needed, the
    // route's steps made one, the net's graph rebuilt, and the panel off a
    // track that went.
    void SettleRoute(Graphics* g, CConductor* c, CNet* net);
    // The via pads of the net (those in only, when given) joining at most
    // one layer: tied conductors' layers and the net's planes.
    void RemoveSuperfluousViaPads(Graphics* g, CNet* net, const std::set<CPad*>* only = nullptr);
    void RecordConductor(CConductor* conductor);
    bool CheckRoutingLayer(int layer);
    std::shared_ptr<PopupMenu> RoutingLayerMenu(int except) const;
    void MoveSegmentToLayer(Graphics* g, CConductor* conductor, int segment, int layer);
    // --- Design-rule check (board_drc.cpp). --------------------------------
    void InvalidateViolation(const DrcViolation& mark, Graphics* g);
    void DrawViolation(const DrcViolation& mark, Graphics* g);
    // Drops the marks of objects no longer on the board.
    void DropDepartedViolations();

    // --- Members. -----------------------------------------------------------
    AcceleratorTable m_accelerators;
    CBoardLayerIndex m_layerIndex;
    // Another history changed the board (CatchUpLater): the index is built
    // anew, and what left the board let go of, before the next use.
    bool m_indexStale = false;
    CBoardLayerIndex& LayerIndex();
    // The design-rule check's marks: overlapping outlines on each side and
    // copper too close between nets.
    DrcViolationMap m_topViolations;
    DrcViolationMap m_bottomViolations;
    DrcViolationMap m_copperViolations;
    bool m_drcOn = true;

    // Interaction state, all null while no action is under way.
    CNet* m_routeNet = nullptr;
    CConductor* m_routeConductor = nullptr;
    // The undo depth before the route began (SIZE_MAX: none).
    size_t m_routeUndoDepth = SIZE_MAX;
    CConductor* m_editConductor = nullptr;
    CPad* m_dragVia = nullptr;
    CFootprint* m_floatingComponent = nullptr;
    CArea* m_newArea = nullptr;
    CArea* m_currentArea = nullptr;
    CText* m_floatingText = nullptr;
    // The undo depth before the new free text was inserted.
    size_t m_textUndoDepth = 0;
    // The direction (radians) of the segment the conductor editor drags;
    // 999 for none.
    float m_segmentDirection = 999.0f;
    // The last target of a route move and of an edit drag: a move to the
    // same target changes nothing. Each view keeps its own, and a new route
    // or pick starts without one.
    std::optional<PointF> m_routeTarget;
    std::optional<PointF> m_editTarget;
    // Undo records there were when the floating component, and the area
    // being drawn, went in.
    size_t m_floatingUndoCount = 0;
    size_t m_newAreaUndoCount = 0;

    // Painting: the picture kept between paints, so that a paint redraws
    // only the rectangle that changed.
    std::unique_ptr<PaintTarget> m_backBuffer;
    // The copper pours as last rasterised at this zoom: a pan draws their
    // pixels again instead of filling each pour anew.
    FillPictureCache m_fillPictures;
    float m_dpi = 96.0f;
    // Where the middle button was last seen while it pans the view.
    POINT m_middleAnchor{};
    // While a drag step runs, whole-window repaints asked by the model are
    // held back; the step repaints what it moved itself.
    bool m_holdWholeRepaints = false;
    bool m_wholeRepaintHeld = false;
    // While set, repaint rectangles are collected here instead.
    RECT* m_damage = nullptr;
};

// A rotation turned by delta (a quarter turn either way), rounded to a
// multiple of 90 degrees (halves away from zero) and brought into
// (-180, 180].
float TurnByQuarter(float rotation, float delta);

// The maker the main window opens board nodes with; registered by
// RegisterBoardView (views/editor_views.h).
CVorpelView* MakeBoardView(CTreeNode* node);
void RegisterBoardView();
