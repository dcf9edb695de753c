// The padstack editor: the pad shape of one library padstack on each pad
// layer (Top, Bottom, Inner, Plane, the solder-mask and solder-paste
// layers), their thermal reliefs, the drill and the markings. The padstack
// is edited in place; every change goes into the view's undo history.
//
// Tools: Select (pick and drag outline points of custom pads, thermal
// reliefs and drills, and marking primitives; copy a pad layer to or move it
// onto another copper layer) and the seven primitive tools, which draw on the
// non-copper layers. The property panel shows the pad layer of the active
// layer, or offers to make one.
#pragma once

#include "views/library_editor_view.h"

class CPadstack;
class CPadLayer;

class CPadstackView : public CLibraryEditorView {
public:
    explicit CPadstackView(CPadstack* padstack);
    ~CPadstackView() override;

    bool PreTranslateMessage(Message* msg) override;
    int GetViewKind() const override { return kViewPadstack; }
    int GetDocumentKind() const override { return kDocumentFootprintLibrary; }
    void CycleUnit() override;
    void CopyOrCut(int cut) override;
    void Paste() override;
    void Undo() override;
    void Redo() override;
    void ZoomAll() override;
    // A primitive being drawn goes as a tool change takes it.
    void DropWorkInProgress() override;

    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    CPadstack* GetPadstack() const;
    bool IsThermalShown() const { return m_thermal; }

    // The selector entry of a layer and back: entries 0-4 are -1 and 0-3,
    // entries 5-8 the layers 26-29 (solder mask and paste).
    static int LayerToEntry(int layer);
    static int EntryToLayer(int entry);

    void SelectTool(int tool);
    // Ends the current tool's work and returns to Select.
    void ResetTool();
    void SetActiveLayer(int layer);
    void UpdateToolbar();

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnCreate();
    void OnPaint();
    void OnKeyDown(int key);
    void OnLButtonDown(WPARAM keys, POINT client);
    void OnLButtonUp(WPARAM keys, POINT client);
    void OnRButtonDown(WPARAM keys, POINT client);
    void OnMouseMove(WPARAM keys, POINT client);
    void OnCommand(int id);
    void OnLayerCommand(int id);
    void OnDeleteCommand();
    void OnThermalCommand();
    void FillLayerCombo();
    void DrawLayerComboItem(const DRAWITEMSTRUCT* dis);
    // The key hint drawn beside a selector entry in the open list.
    static std::wstring KeyHint(int entry);
    void OnEscape();

    // Select: the children a mouse event goes to (see the .cpp).
    std::vector<CTreeNode*> RoutedChildren() const;
    void SelectClick(Graphics* g, uint32_t keys, PointF p);
    void SelectMove(Graphics* g, uint32_t keys, PointF p);
    void SelectRelease(Graphics* g, uint32_t keys, PointF p);
    void SelectContextMenu(Graphics* g, uint32_t keys, PointF p, POINT client);

    void CreateMarkingPrimitive();
    void PrimitiveButtonDown(Graphics* g, uint32_t keys, PointF p);
    void PrimitiveMove(Graphics* g, uint32_t keys, PointF p);
    void PrimitiveButtonUp(Graphics* g, uint32_t keys, PointF p);
    void AddPadLayerFromRow(int row);
    // 0 when the clipboard's copies may go onto the front layer, else the
    // message that refuses them.
    unsigned CheckPlacingLayer() const;

    // Thermal reliefs shown and edited on the copper layers.
    bool m_thermal = false;
};

// Makes the view of a padstack node (the frame creates its window).
CVorpelView* MakePadstackView(CTreeNode* node);
