// A concrete editor view for tests of the view base and of model code that
// works through g_pActiveView: it lets a test set the zoom, scroll offset,
// unit, grid and view kind, make itself the active view, and it records
// every invalidation and every in-place edit asked of it. Undo and Redo run
// the view's own undo history.
#pragma once

#include "core/vorpel_view.h"

#include <vector>

class CTestView : public CVorpelView {
public:
    struct Invalidation {
        bool whole = false; // the whole client area (no rectangle)
        RECT rect;
        bool erase = false;
    };

    explicit CTestView(CTreeNode* document = nullptr, int viewKind = kViewBoard)
        : CVorpelView(document), viewKind(viewKind) {
        SetUnitPointer(&unit);
        SetGridPointer(grid);
    }
    ~CTestView() override {
        DestroyWindow();
        if (g_pActiveView == this)
            g_pActiveView = nullptr;
    }

    bool PreTranslateMessage(Message*) override { return false; }
    int GetViewKind() const override { return viewKind; }
    int GetDocumentKind() const override { return documentKind; }
    void CopyOrCut(int) override {}
    void Paste() override {}
    void Undo() override { GetUndoList().Undo(); }
    void Redo() override { GetUndoList().Redo(); }
    void ZoomAll() override { ++zoomAllCalls; }
    SIZE GetPrintExtent() override { return printExtent; }
    void InvalidateRect(const RECT* rect, bool erase) override {
        invalidations.push_back({rect == nullptr, rect ? *rect : RECT{}, erase});
        CVorpelView::InvalidateRect(rect, erase);
    }

    void BeginInPlaceEdit(DeviceContext*, int left, int top, int right, int bottom,
                          CTreeNode* object) override {
        inPlaceEdits.push_back({RECT{left, top, right, bottom}, object});
    }

    void SetUnit(int u) { unit = u; }
    void SetGrid(float x, float y) {
        grid[0] = x;
        grid[1] = y;
    }
    void MakeActive() { g_pActiveView = this; }

    int viewKind;
    int documentKind = kDocumentProject;
    int unit = kUnitMm;
    float grid[2] = {1.0f, 1.0f};
    SIZE printExtent{0, 0};
    int zoomAllCalls = 0;
    std::vector<Invalidation> invalidations;
    struct InPlaceEdit {
        RECT rect;
        CTreeNode* object;
    };
    std::vector<InPlaceEdit> inPlaceEdits;
};

// Makes a view the active one for the life of the object.
class ScopedActiveView {
public:
    explicit ScopedActiveView(CVorpelView* view) : previous_(g_pActiveView) {
        g_pActiveView = view;
    }
    ~ScopedActiveView() { g_pActiveView = previous_; }
    ScopedActiveView(const ScopedActiveView&) = delete;
    ScopedActiveView& operator=(const ScopedActiveView&) = delete;

private:
    CVorpelView* previous_;
};
