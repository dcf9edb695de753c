// The symbol editor: edits one package of a symbol library in place. One
// part (unit) of the package is shown at a time, its outline dashed, its pins
// on the four sides and its drawing inside; a small bar at the top steps
// through the units. Eleven tools: select object, select part outline,
// select pin, place pin, line, rectangle, polygon, ellipse, arc, curve and
// text. Every change goes to the view's own undo history.
//
// Coordinates: logical units of 0.01 mm with y up, g the view's grid step.
// Outline sizes and pin offsets are grid units, the drawing is in tenths of
// a grid unit, both relative to the shown part's corner.
#pragma once

#include "core/vorpel_view.h"
#include "platform/accelerator.h"
#include "schematic/package.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class CPackage;
class CPart;
class CPartBoard;
class CPartPrimitive;
class CPin;
class CText;
class DeviceContext;

// Commands of the symbol editor besides its tools (resources/command_ids.h).
constexpr int ID_SYM_DELETE = 32820;
constexpr int ID_SYM_ADD_POWER_PIN = 3008;
// 3009 + n deletes the package's n-th power pin.
constexpr int ID_SYM_DELETE_POWER_PIN_FIRST = 3009;
constexpr int ID_SYM_DELETE_POWER_PIN_LAST = 3300;

class CSymbolView : public CVorpelView {
public:
    // The package's rows in the property panel.
    enum Row { kRowFootprint = 0, kRowPartsPerPackage = 1, kRowImage = 2, kRowPowerPins = 3 };
    // "Parts per package" takes 1 to this many.
    static constexpr int kMaxPartsPerPackage = static_cast<int>(CPackage::kMaxPartsPerPackage);

    explicit CSymbolView(CPackage* package);
    ~CSymbolView() override;

    bool PreTranslateMessage(Message* msg) override;
    int GetViewKind() const override { return kViewSymbol; }
    int GetDocumentKind() const override { return kDocumentSymbolLibrary; }
    void CopyOrCut(int cut) override;
    void Paste() override;
    // One group of the history; nothing while a pin, a text or a primitive
    // is being placed.
    void Undo() override;
    void Redo() override;
    // Fits the shown part's outline, pins and drawing into the window.
    void ZoomAll() override;
    // The shown part with its pins, texts and drawing, and the rubber band.
    void Draw(DeviceContext* dc) override;
    // The shown part's outline (0.01 mm); kept by the view, not the package.
    SIZE GetDocumentExtent() const override;
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    CPackage* GetPackage() const;
    int GetPartCount() const;
    // The shown unit, within the parts (0 without parts).
    int GetShownUnit() const;
    uint32_t* GetShownUnitField() { return &m_shownUnit; }
    // The shown part, null when the package has none.
    CPart* GetShownPart() const;
    // The part whose primitive list the tools work on: the shown part in a
    // heterogeneous package, else the first part.
    CPart* GetDrawingPart() const;
    CPartBoard* GetPartBoard() const { return m_partBoard.get(); }

    // Steps the shown unit by delta within the parts; a tool that is not a
    // select tool abandons what it was doing. The bar's buttons and the
    // previous and next unit commands come here.
    void StepUnit(int delta);
    // Esc: finishes or abandons what the current tool has under way and
    // falls back to a select tool.
    void CancelOperation();

    // What is under way (null when nothing).
    CPin* GetFloatingPin() const { return m_floatingPin; }
    CText* GetFloatingText() const { return m_floatingText; }
    // Takes out the pin, text or primitive a tool has under way.
    void DropWorkInProgress() override;
    bool IsMaking(const CProperty* object) const override;
    void CatchUpWithDocument() override;
    CPartPrimitive* GetPrimitiveInProgress() const { return m_drawing; }
    bool HasRubberBand() const { return m_hasBand; }

    // Snapping of a logical coordinate v with grid step g: to grid units
    // (half a step away from zero), to tenths the same way, and to tenths as
    // the drawing tools do (half a tenth added whatever the sign).
    static int ToGridUnits(int v, int g);
    static int ToTenths(int v, int g);
    static int ToDrawingTenths(int v, int g);

    // A device context of the view's window with its mapping and font.
    std::unique_ptr<DeviceContext> MakeDC() const;
    // What the view draws of the part, in logical units measured on dc: the
    // outline with a pin's length around it, the drawing with its texts, the
    // pin names and numbers, the package's texts, a power pin's net name.
    RECT DrawnBounds(DeviceContext* dc, CPart* part) const;
    // A client point of the view as a logical point, and back.
    POINT ClientToLogical(POINT client) const;
    POINT LogicalToClient(POINT logical) const;
    // The view's origin is the shown outline's top left corner. from and to
    // are the grid steps the outline had gained on the left (x) and at the
    // top (y) before and after a change (negative: steps taken away); the
    // view moves by the difference so that the rest of the part keeps its
    // place on the screen. Lengths are measured from the first state, so
    // moves in several changes add up to one move over all of them.
    void FollowOutline(POINT from, POINT to);

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // --- symbol_view.cpp: window, painting, units, panel, commands ------------
    void OnCreate();
    void OnPaint();
    void DrawGrid(DeviceContext& dc);
    void OnShown();
    void PlaceBar();
    // Shows or hides the bar by the part count and puts the shown unit back
    // within the parts.
    void SyncUnitBar();
    void UpdateToolButtons();
    void UpdateCursor();
    bool OnCommand(int id);
    void ChangeTool(int tool);
    bool IsSelectTool() const;
    // The panel shows the view unless it shows an object still in the
    // package.
    void ValidatePanel();
    void ShowInPanel(class CProperty* object);
    void AfterHistoryChange();
    void AddPowerPin();
    void DeletePowerPin(int n);
    bool ApplyPartCount(const std::wstring& text);
    void ApplyImage(bool heterogeneous);
    CPin* DirectPin(int n) const;
    void ScrollByGrid(int dx, int dy);
    // Drops an object the tool made when nothing was recorded after it: its
    // group is undone without keeping redo; otherwise removeWithRecord
    // takes it out with a record of its own.
    template <class F> void AbandonCreation(F removeWithRecord);
    // Where the record of the object under way lies in the history; none
    // once it went (forgotten).
    std::optional<size_t> CreationIndex() const;
    // Enter: the first row of the one selected pin (or text) opens.
    bool EditSingleSelection();

    // --- symbol_view_tools.cpp: the mouse and the tools -----------------------
    void OnLButtonDown(WPARAM keys, POINT client);
    void OnLButtonUp(WPARAM keys, POINT client);
    void OnRButtonDown(WPARAM keys, POINT client);
    void OnMouseMove(WPARAM keys, POINT client);
    bool OnKeyDown(int vk);
    // Place pin.
    void StartFloatingPin();
    void GiveNewPinDefaults(CPin* pin) const;
    // Puts the floating pin on the side of the outline nearest to the grid
    // point (relative to the part); false when it did not move.
    bool MoveFloatingPin(POINT q);
    void PlacePin();
    // Drawing tools and text.
    void CreateGraphicPrimitive();
    void CreateFloatingText();
    void TextClick(DeviceContext& dc, POINT logical);
    void MoveFloatingText(POINT logical);
    void EndPolygon();
    // Select tools.
    void SelectPinDown(DeviceContext& dc, uint32_t flags, POINT logical);
    void SelectObjectDown(DeviceContext& dc, uint32_t flags, POINT logical);
    void OutlineDown(POINT logical);
    void OutlineDrag(POINT logical);
    void UpdateBand(DeviceContext& dc, POINT logical);
    void EndBand();
    void InvalidateLogical(DeviceContext& dc, RECT logical);
    // Edits.
    void DeleteSelection();
    void Transform(int key);
    void ContextMenu(POINT client, POINT logical);
    // The drawing's selected primitives, without the one being drawn.
    std::vector<CPartPrimitive*> SelectedPrimitives() const;
    POINT PartOrigin() const; // the shown part's corner, grid units
    int Grid() const { return m_textHeight; }

    AcceleratorTable m_accelerators;
    std::unique_ptr<CPartBoard> m_partBoard;
    uint32_t m_shownUnit = 0;
    // Outline edges grabbed (left, top, right, bottom) and the drag anchor
    // (grid units), the part the press changes and whether it recorded.
    bool m_edges[4] = {false, false, false, false};
    POINT m_edgeAnchor;
    CPart* m_outlinePart = nullptr;
    bool m_outlineRecorded = false;
    // The outline's size as the press recorded it.
    SIZE m_outlineStart{0, 0};
    CPin* m_floatingPin = nullptr;
    CText* m_floatingText = nullptr;
    CPartPrimitive* m_drawing = nullptr;
    // The history's state right after the object under way was recorded.
    uint64_t m_creationState = 0;
    bool m_dragStarted = false;
    bool m_hasBand = false;
    POINT m_band[2];
    // The last pointer positions: client pixels and the snapped points the
    // tools last saw.
    POINT m_lastClient;
    POINT m_lastGrid;
    POINT m_lastTenths;
    POINT m_lastTextPos;
    POINT m_panAnchor;
};

// The primitives copied by any symbol view, relative to their common lowest
// corner; shared by every symbol view and kept until the program ends.
std::vector<std::unique_ptr<CPartPrimitive>>& SymbolClipboard();

// Opens the symbol editor on packages of symbol libraries (the maker of node
// type 22 views).
void RegisterSymbolView();
CVorpelView* MakeSymbolView(CTreeNode* node);
