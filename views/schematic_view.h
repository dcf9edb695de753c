// The schematic editor: the view of one sheet of a board. It owns the
// sheet's undo history, paints the sheet with its grid, turns the mouse and
// the keyboard into the tools (select with rubber band and drag, part, wire,
// bus, text), lifts copies and cut selections that follow the cursor until a
// click drops them, mirrors and rotates, renames nets in place, changes a
// package's footprint, fills the property panel with the sheet's own rows and
// searches the project (schematic_find.cpp).
//
// Sheet objects hold positions in grid units of the sheet's grid step g
// (0.01 mm); texts in tenths of a grid unit. The view's mapping has logical
// units of 0.01 mm with y up.
#pragma once

#include "core/sheet_size_table.h"
#include "core/vorpel_view.h"
#include "platform/accelerator.h"
#include "views/schematic_find.h"

#include <memory>
#include <string>
#include <vector>

class CBoard;
class CBus;
class CFootprint;
class CNet;
class CPackage;
class CPart;
class CPin;
class CSheet;
class CText;
class CWire;
class DeviceContext;
class EditControl;

// Command ids of the schematic editor besides the tools (command_ids.h).
constexpr int ID_SCH_MIRROR_VERTICAL = 32860;
constexpr int ID_SCH_MIRROR_HORIZONTAL = 32861;
constexpr int ID_SCH_ROTATE = 32862;
constexpr int ID_SCH_DELETE = 32820;
constexpr int ID_SCH_TOGGLE_BUS_ENTRY = 33100;
constexpr int ID_SCH_RENAME_BUS_ENTRY = 33101;
constexpr int ID_SCH_BREAK_WIRE = 33102;
constexpr int ID_SCH_REPLACE_IMAGE = 33115;
constexpr int ID_SCH_CHANGE_FOOTPRINT = 3006;
constexpr int ID_SCH_LABEL_EDIT = 3000;

// The sheet values the "Format" row and its neighbours edit, as one record
// for undo.
struct SheetSettings {
    SIZE size;
    int32_t grid = 0;
    uint32_t unit = 0;
    uint32_t wireWidth = 0;
    uint32_t busWidth = 0;
    uint32_t dotDiameter = 0;
    std::wstring fontName;
};

class CSchematicView : public CVorpelView {
public:
    // A node that follows the cursor after Copy or Cut, and the grid point
    // (tenths for a text) it was last moved to.
    struct FloatingNode {
        CTreeNode* node = nullptr;
        POINT anchor;
    };

    explicit CSchematicView(CSheet* sheet);
    ~CSchematicView() override;

    CSheet* GetSheet() const;
    // The board that holds the sheet (and every object on it); null for a
    // sheet outside a board.
    CBoard* GetBoard() const;

    // --- The base view's operations. -----------------------------------
    bool PreTranslateMessage(Message* msg) override;
    int GetViewKind() const override { return kViewSchematic; }
    int GetDocumentKind() const override { return kDocumentProject; }
    void CopyOrCut(int cut) override;
    // There is no clipboard: a copy follows the cursor at once.
    void Paste() override {}
    void Undo() override;
    void Redo() override;
    void Find() override;
    void FindForward() override;
    void FindBackward() override;
    // The largest zoom (1024 down to 1/1024) at which the whole sheet fits
    // the client area, centred; with no client area the zoom stays.
    void ZoomAll() override;
    void BeginInPlaceEdit(DeviceContext* dc, int left, int top, int right, int bottom,
                          CTreeNode* object) override;
    void Draw(DeviceContext* dc) override;
    SIZE GetPrintExtent() override;
    // Copies or a cut selection floating, a part of the part tool, a wire,
    // bus or text under way: all go as Esc takes them.
    void DropWorkInProgress() override;
    bool IsMaking(const CProperty* object) const override;
    // The objects on the view's sheet, what lies under them, and the
    // packages (with their texts) that have a unit there.
    bool Shows(const CProperty* object) const override;
    // Copy and Cut at a logical point: the copies (or the selection itself)
    // follow the cursor from there.
    virtual void PickUpCopy(DeviceContext* dc, POINT logical);
    virtual void PickUpSelection(DeviceContext* dc, POINT logical);

    // --- The sheet's rows in the property panel. -------------------------
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;
    SheetSettings GetSheetSettings() const;
    // Writes the values back (undo), with the grid step, the fonts, the
    // paper size and the rows following.
    void RestoreSheetSettings(const SheetSettings& s);
    CSheetSizeTable& GetSheetSizeTable() { return *m_sizeTable; }
    // The three fonts from the sheet's font name at height g.
    void RecreateFonts();

    // --- Coordinates. ----------------------------------------------------
    // g: the grid step in 0.01 mm.
    int GetGrid() const { return m_textHeight; }
    // A logical value to grid units and to tenths, halves away from zero.
    int ToGridUnits(int logical) const;
    int ToTenths(int logical) const;
    POINT ToGridUnits(POINT logical) const;
    POINT ToTenths(POINT logical) const;
    // A context prepared for the view's mapping with the normal font.
    std::unique_ptr<DeviceContext> MakeDC() const;

    // --- State, for the frame and tests. ------------------------------------
    bool IsWireInProgress() const { return m_wire1 != nullptr; }
    bool IsBusInProgress() const { return m_bus1 != nullptr; }
    // The two legs of the wire or bus being drawn (null when none).
    std::vector<const CTreeNode*> GetLegsUnderWay() const;
    bool IsPartFloating() const { return m_floatingPart != nullptr; }
    CPart* GetFloatingPart() const { return m_floatingPart; }
    CPackage* GetFloatingPackage() const { return m_floatingPackage; }
    CText* GetFloatingText() const { return m_floatingText; }
    const std::vector<FloatingNode>& GetFloatingList() const { return m_floating; }
    CNet* GetCurrentNet() const { return m_net; }
    CTreeNode* GetLastClicked() const { return m_lastClicked; }
    bool HasRubberBand() const { return m_hasBand; }
    RECT GetRubberBand() const { return m_band; }
    EditControl* GetLabelEdit() const;
    // Anything under way that Undo and Redo must wait for.
    bool IsActionInProgress() const;
    // A part moved onto this view's sheet from the panel, still following
    // the cursor; null when none.
    CPart* GetPlacingPart() const;

    // --- Search (schematic_find.cpp). --------------------------------------
    // The dialog's Find Next (markAll false) and Mark All buttons: false
    // when nothing was found ("Object(s) not found").
    bool StartFind();
    // F3 and Shift+F3: the next hit after the last one.
    void FindNext();
    // Shows a hit in the view of its sheet (opened when none is), centred;
    // false when the hit lies on no sheet.
    bool ShowFoundObject(CTreeNode* hit);
    // Centres a logical point of this view in its client area.
    void CenterOn(POINT logical);

    // Tools, in the order the tool buttons show them.
    static bool IsToolCommand(int id);
    void SetTool(int id);

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // --- Messages (schematic_view.cpp). --------------------------------------
    void OnCreate();
    void OnPaint();
    void OnShown();
    void OnLButtonDown(WPARAM keys, POINT client);
    void OnLButtonUp(WPARAM keys, POINT client);
    void OnRButtonDown(WPARAM keys, POINT client);
    void OnMouseMove(WPARAM keys, POINT client);
    bool OnKeyDown(int vk);
    void OnCommand(int id);
    void OnEscape();
    void ScrollBy(int dx, int dy);
    void UpdateToolButtons();
    void ShowViewProperties();

    // Select tool.
    void SelectClick(DeviceContext* dc, uint32_t flags, POINT p);
    void SelectDrag(DeviceContext* dc, uint32_t flags, POINT p);
    void SelectButtonUp(DeviceContext* dc, uint32_t flags, POINT p);
    void UpdateRubberBand(DeviceContext* dc, POINT p);
    void InvalidateBandOutline(DeviceContext* dc, const RECT& band);
    // The objects a mouse event visits: the sheet's objects in set order,
    // each part standing for its package, each package once.
    std::vector<CTreeNode*> EventTargets() const;
    void DeleteSelection();
    void ContextMenu(DeviceContext* dc, uint32_t flags, POINT p, POINT client);
    void BreakWire(DeviceContext* dc, CWire* wire, POINT q);
    void ChangeFootprint();
    bool OnLabelEditKey(int vk);
    void CloseLabelEdit();
    void DrawGrid(DeviceContext* dc);

    // --- Wires and buses (schematic_wiring.cpp). ----------------------------
    void WireClick(DeviceContext* dc, POINT q);
    void WireMove(DeviceContext* dc, POINT q);
    // Joins the first segment to what it passes over: pins and the wire
    // ends of other nets; the current net follows the merges.
    void ConnectWire(DeviceContext* dc, CWire* segment);
    void AbandonWire(DeviceContext* dc);
    void BusClick(DeviceContext* dc, POINT q);
    void BusMove(DeviceContext* dc, POINT q);
    void AbandonBus(DeviceContext* dc);
    // Undoes the group of the last wire or bus click, if still there.
    void UndoClickGroup();
    // Deletes the wires without length that join no pins (recorded), but
    // for those of lifted nets when keepFloating is set.
    void DropLooseJoints(DeviceContext* dc, bool keepFloating);
    // Takes a leg left without length out within the group that made it.
    void DropLegWithItsGroup(CTreeNode* leg);
    CWire* NewSegment(POINT q);
    CBus* NewBus(POINT q);

    // --- Parts and texts (schematic_placing.cpp). ---------------------------
    void StartPartTool();
    // A fresh clone of the browser's package with part index at q, placed
    // on the board with its footprint (a new undo group).
    void FloatNewPackage(DeviceContext* dc, POINT q);
    void PartClick(DeviceContext* dc, POINT q);
    void PartMove(DeviceContext* dc, POINT q);
    void AbandonPart(DeviceContext* dc);
    void PlaceMovedPart(DeviceContext* dc);
    void AbandonAll();
    void StartTextTool();
    void PlaceText(DeviceContext* dc);
    void AbandonText(DeviceContext* dc);
    void TextMove(DeviceContext* dc, POINT q10);
    // Gives the package the next free designator of its prefix among the
    // board's packages and the extra ones.
    void NextRefDes(CPackage* package, const std::vector<CPackage*>* extra) const;
    // Puts a new footprint on the first free 10 mm place below the board's
    // outline.
    void PlaceFootprintOnBoard(CFootprint* footprint, const std::vector<CPackage*>* extra) const;

    // --- Floating copies and transforms (schematic_floating.cpp). -----------
    void ClearFloatingList();
    std::vector<CPackage*> FloatingPackages() const;
    // A copy of a node for the floating list (packages numbered, footprints
    // placed; parts, pins and wires off their sheet and nets), anchored at
    // q or q10; extra collects the new packages for numbering.
    CTreeNode* MakeFloatingCopy(DeviceContext* dc, CTreeNode* source,
                                std::vector<CPackage*>* extra);
    // Appends a listed node to the board (recorded) and puts its selected
    // parts and wires on the sheet.
    void InsertFloating(CTreeNode* node);
    void MovePickedUp(DeviceContext* dc, POINT p);
    void DropPickedUp(DeviceContext* dc, POINT p);
    void EndFloating();
    void TransformSelection(DeviceContext* dc, int key);
    void TransformCommand(int key);
    void MirrorPart(DeviceContext* dc, CPart* part, bool horizontal);
    void RotatePart(DeviceContext* dc, CPart* part);
    // Records the package and all its parts before their drawings change.
    void RecordPackageDrawing(CPackage* package);

    CSheet* m_sheet;
    std::unique_ptr<CSheetSizeTable> m_sizeTable;
    AcceleratorTable m_accelerators;
    // What the sheet's rows showed when they were filled: the paper-size
    // row writes the sheet before its change is applied.
    SheetSettings m_shownSettings;

    std::vector<FloatingNode> m_floating;

    // Symbol browser choice: the package new clones are made from.
    std::unique_ptr<CPackage> m_libraryPackage;
    int m_libraryPart = 0;
    CPackage* m_floatingPackage = nullptr;
    CPart* m_floatingPart = nullptr;
    int m_floatingIndex = 0;

    CText* m_floatingText = nullptr;
    // The undo depth before the floating text was made.
    size_t m_textUndoDepth = 0;

    // Wiring.
    CNet* m_net = nullptr;
    CWire* m_wire1 = nullptr;
    CWire* m_wire2 = nullptr;
    CBus* m_bus1 = nullptr;
    CBus* m_bus2 = nullptr;
    // The last cursor offset from the leg's start a move was taken for; a
    // new wire or bus starts without one.
    POINT m_lastDelta;
    bool m_hasLastDelta = false;
    // The first leg of the wire was fixed by an earlier click than the last.
    bool m_legKept = false;
    // The undo depth before the group of the last wire or bus click:
    // abandoning takes back exactly that group, and nothing when something
    // else took it already.
    size_t m_clickUndoDepth = 0;

    CTreeNode* m_lastClicked = nullptr;
    bool m_hasBand = false;
    // The left button went down with the select tool: only such a press
    // drags the selection (one that placed a text leaves it be).
    bool m_selectPress = false;
    RECT m_band;

    std::unique_ptr<EditControl> m_labelEdit;
    bool m_relayingToLabel = false; // a key on its way to the label
    // A closed label edit lives on until the next one closes: it may be
    // closed by a key of its own still being handled.
    std::unique_ptr<EditControl> m_retiredEdit;
    CWire* m_labelWire = nullptr;

    POINT m_panOrigin;
    POINT m_lastCursor; // client point of the last mouse event
};

// Opens (or shows) the schematic view of a sheet in the main window; the
// view's maker for sheet nodes.
CSchematicView* OpenSchematicView(CSheet* sheet);
void RegisterSchematicView();
