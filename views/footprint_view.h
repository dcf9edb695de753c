// The footprint editor: the pads of one library footprint (placements of its
// padstacks), its markings on the non-copper layers and its origin. The
// footprint is edited in place; every change goes into the view's undo
// history.
//
// Tools: Select Padstack (the resting tool: pick, drag, copy, transform and
// re-padstack pads), Place padstack (a floating pad follows the pointer and
// each click leaves a numbered pad), Select object (pick, drag, transform,
// copy and paste marking primitives), the seven primitive tools that draw
// on the active layer, and Move Origin.
#pragma once

#include "views/library_editor_view.h"

#include <memory>

class CFootprint;
class CPad;
class CPadstack;
class CPadstackSheet;

class CFootprintView : public CLibraryEditorView {
public:
    explicit CFootprintView(CFootprint* footprint);
    ~CFootprintView() override;

    bool PreTranslateMessage(Message* msg) override;
    int GetViewKind() const override { return kViewFootprint; }
    int GetDocumentKind() const override { return kDocumentFootprintLibrary; }
    void CycleUnit() override;
    void CopyOrCut(int cut) override;
    void Paste() override;
    void Undo() override;
    void Redo() override;
    void ZoomAll() override;
    // A floating pad or a primitive being drawn goes as a tool change
    // takes it.
    void DropWorkInProgress() override;

    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    CFootprint* GetFootprint() const;
    // The pad following the pointer under Place padstack, or null.
    CPad* GetFloatingPad() const;
    const RectF* GetRubberBand() const { return m_rubberBand.get(); }
    CPadstackSheet& GetPadstackSheet() { return *m_sheet; }

    // The selector entry of a layer and back: entries 0-4 are -1 and 0-3,
    // entries 5-14 the layers 22-31.
    static int LayerToEntry(int layer);
    static int EntryToLayer(int entry);

    // --- Tools (footprint_view.cpp) -------------------------------------------
    // A tool chosen by button, menu or key.
    void SelectTool(int tool);
    // Ends what the current tool has under way (see SetTool in the .cpp).
    void SetTool();
    void SetActiveLayer(int layer);
    void UpdateToolbar();

    // --- Pads (footprint_view_pads.cpp) ---------------------------------------
    // Puts a padstack into the footprint (or finds it there) and makes a
    // floating pad of it; the padstack is not taken over.
    void AddPadstackPad(const CPadstack* padstack);
    // The padstack sheet on its Load (32940) or Create (32941) page, holding
    // the padstack given (owned by the sheet from then on); the sheet's
    // closing result.
    int ShowPadstackSheet(int command, std::unique_ptr<CPadstack> padstack);
    // The pad pointed at by *holder moved to a padstack transformed by the
    // command (mirror vertically, horizontally, rotate); *holder then points
    // at the pad's replacement.
    void TransformPad(CTreeNode** holder, int command);
    void TransformSelectedPads(int command);

    // --- Markings (footprint_view_markings.cpp) ---------------------------------
    // True when the front layer is a package-outline layer that already has
    // its marking.
    bool HasOutlineMarking() const;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // footprint_view.cpp
    void OnCreate();
    void OnPaint();
    void OnKeyDown(int key);
    void OnLButtonDown(WPARAM keys, POINT client);
    void OnLButtonUp(WPARAM keys, POINT client);
    void OnRButtonDown(WPARAM keys, POINT client);
    void OnMouseMove(WPARAM keys, POINT client);
    void OnCommand(int id);
    void OnLayerCommand(int id);
    void OnTransformCommand(int id);
    void OnDeleteCommand();
    void OnSnapCommand();
    void OnMoveOriginMessage();
    void FillLayerCombo();
    void DrawLayerComboItem(const DRAWITEMSTRUCT* dis);
    // The key hint drawn beside a selector entry in the open list.
    static std::wstring KeyHint(int entry);
    void ApplyOriginShift();
    void OnEscape();
    // A tool may no longer be current: the toolbar shows the change.
    void SwitchTool(int tool);

    // footprint_view_pads.cpp
    void StartPlacePadstack();
    void OnPadstackCommand(int command);
    void EndPlacePadstack();
    bool IsPadInFootprint(const CTreeNode* pad) const;
    void SelectPadstackClick(Graphics* g, uint32_t keys, PointF p);
    void SelectPadstackMove(Graphics* g, uint32_t keys, PointF p);
    void SelectPadstackRelease(Graphics* g, uint32_t keys, PointF p);
    void SelectPadstackContextMenu(Graphics* g, uint32_t keys, PointF p, POINT client);
    void DropFloatingPad(Graphics* g);
    void MoveFloatingPad(Graphics* g, PointF p);
    void FloatingPadMenu(POINT client);
    void TransformFloatingPad(int command);
    void CopyOrCutPad(bool cut);
    void EditSelectedPads();
    void DeselectPads(Graphics* g);
    int PopupCommand(unsigned menuId, POINT client, const std::vector<unsigned>& grayed);

    // footprint_view_markings.cpp
    void StartPrimitiveTool();
    void CreateMarkingPrimitive();
    void PrimitiveButtonDown(Graphics* g, uint32_t keys, PointF p);
    void PrimitiveMove(Graphics* g, uint32_t keys, PointF p);
    void PrimitiveButtonUp(Graphics* g, uint32_t keys, PointF p);
    void EndPrimitiveTool(bool escape);
    void SelectObjectClick(Graphics* g, uint32_t keys, PointF p);
    void SelectObjectMove(Graphics* g, uint32_t keys, PointF p);
    void SelectObjectRelease(Graphics* g, uint32_t keys, PointF p);
    void SelectObjectContextMenu(Graphics* g, uint32_t keys, PointF p, POINT client);
    void EndSelectObject(Graphics* g);
    void TransformSelectedPrimitives(int command);
    // 0 when the clipboard's copies may go onto the front layer, else the
    // message that refuses them.
    unsigned CheckPlacingLayer() const;
    bool AnyPrimitiveSelected() const;

    // The padstack sheet, kept with the padstack chosen last.
    std::unique_ptr<CPadstackSheet> m_sheet;
    // The pad following the pointer (a child of its padstack in the
    // footprint); a node pointer so that undo records can restore it.
    CTreeNode* m_pFloatingPad = nullptr;
    std::unique_ptr<RectF> m_rubberBand;
    // What the next primitive takes over from the last one.
    float m_rememberedWidth = 0.2f;
    bool m_rememberedClosed = true;
    bool m_rememberedFilled = false;
};

// Makes the view of a footprint node (the frame creates its window).
CVorpelView* MakeFootprintView(CTreeNode* node);
