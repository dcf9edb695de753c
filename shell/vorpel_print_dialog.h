// The print dialog of the main window: the General page of the platform's
// print dialog and a "Print Preview" page that shows the shown view's pages
// on the chosen paper, switches between fitting the view onto one page and
// tiling it at 1:1, and steps through the tiles.
#pragma once

#include "platform/print_dialog.h"

#include <memory>

class CMainFrame;
class PaintTarget;

class CPrintPreviewPage : public PropertyPage {
public:
    enum : int {
        kPreview = 1005,
        kFitInPage = 1117,
        kPrevPage = 1119,
        kNextPage = 1120,
        kPageNumber = 1121,
    };
    CPrintPreviewPage(PrintDialog& dialog, CMainFrame& frame);
    ~CPrintPreviewPage() override;

    // The page shown (0-based) while tiling.
    int GetCurrentPage() const { return page_; }
    // The paper and printer the preview shows.
    const DevMode& GetPreviewDevMode() const { return devMode_; }
    // The sheet rectangle of the paper inside the preview area's client
    // rectangle: the paper's proportions, centred, 10 pixels clear.
    RECT SheetRect(const RECT& client) const;
    void PaintPreview(PaintTarget& target, const RECT& client);

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    std::unique_ptr<PlatformWindow> MakeControl(const DialogItem& item) override;
    void OnSetActive() override;
    bool OnKillActive() override;
    void OnReset() override;

private:
    void Recount();
    void UpdateControls();

    PrintDialog& dialog_;
    CMainFrame& frame_;
    DevMode devMode_;
    std::unique_ptr<PrinterDC> printer_;
    int page_ = 0;
};

class CVorpelPrintDialog : public PrintDialog {
public:
    CVorpelPrintDialog(PrintDialogData& data, CMainFrame& frame);
    ~CVorpelPrintDialog() override;

    CPrintPreviewPage& PreviewPage() { return preview_; }

private:
    CPrintPreviewPage preview_;
};
