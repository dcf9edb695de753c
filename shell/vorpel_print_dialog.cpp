#include "shell/vorpel_print_dialog.h"

#include "platform/device_context.h"
#include "platform/paint_target.h"
#include "platform/static_control.h"
#include "platform/string_table.h"
#include "platform/system_colors.h"
#include "shell/main_frame.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int kPreviewTitle = 287;

DialogTemplate PreviewTemplate() {
    using P = CPrintPreviewPage;
    DialogTemplate t;
    t.id = 420;
    t.title = LoadStringText(kPreviewTitle);
    t.cx = 300;
    t.cy = 200;
    t.items = {
        DlgStatic(P::kPreview, L"", 7, 7, 286, 166),
        DlgCheckBox(P::kFitInPage, L"Fit in page", 7, 181, 70, 10),
        DlgButton(P::kPrevPage, L"<< Prev page", 120, 179, 60, 14),
        DlgStatic(P::kPageNumber, L"0", 184, 182, 30, 8, SS_CENTER),
        DlgButton(P::kNextPage, L"Next Page >>", 218, 179, 60, 14),
    };
    return t;
}

// The preview area: its whole client area is painted by the page.
class CPreviewArea : public StaticControl {
public:
    explicit CPreviewArea(CPrintPreviewPage* page) : page_(page) {}
    ~CPreviewArea() override { DestroyWindow(); }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg == WM_ERASEBKGND) {
            result = 1;
            return true;
        }
        if (msg != WM_PAINT)
            return false;
        PaintStruct ps;
        if (PaintTarget* target = BeginPaint(&ps)) {
            page_->PaintPreview(*target, GetClientRect());
            EndPaint(&ps);
        }
        result = 0;
        return true;
    }

private:
    CPrintPreviewPage* page_;
};

} // namespace

CPrintPreviewPage::CPrintPreviewPage(PrintDialog& dialog, CMainFrame& frame)
    : PropertyPage(PreviewTemplate()), dialog_(dialog), frame_(frame) {}

CPrintPreviewPage::~CPrintPreviewPage() {
    DestroyWindow();
}

std::unique_ptr<PlatformWindow> CPrintPreviewPage::MakeControl(const DialogItem& item) {
    if (item.id == kPreview)
        return std::make_unique<CPreviewArea>(this);
    return nullptr;
}

void CPrintPreviewPage::OnSetActive() {
    // The preview follows the printer and paper chosen on the General page.
    devMode_ = dialog_.GetCurrentDevMode();
    printer_ = PrinterDC::Create(devMode_);
    page_ = 0;
    Recount();
    UpdateControls();
}

bool CPrintPreviewPage::OnKillActive() {
    printer_.reset();
    return true;
}

void CPrintPreviewPage::OnReset() {
    printer_.reset();
}

void CPrintPreviewPage::Recount() {
    if (printer_)
        dialog_.SetMaxPage(frame_.CountPages(printer_->DC(), devMode_));
}

void CPrintPreviewPage::UpdateControls() {
    const bool tiles = !frame_.GetFitInPage();
    for (int id : {kPrevPage, kNextPage, kPageNumber})
        if (PlatformWindow* w = GetDlgItem(id))
            w->ShowWindow(tiles);
    SetDlgItemInt(kPageNumber, page_ + 1);
    EnableDlgItem(kPrevPage, page_ != 0);
    EnableDlgItem(kNextPage, static_cast<unsigned>(page_ + 1) < frame_.GetGridPageCount());
    if (PlatformWindow* preview = GetDlgItem(kPreview))
        preview->Invalidate(false);
}

bool CPrintPreviewPage::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_INITDIALOG) {
        CheckDlgButton(kFitInPage, frame_.GetFitInPage() ? 1 : 0);
        SetDlgItemInt(kPageNumber, page_ + 1);
        result = 1;
        return true;
    }
    if (msg != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return false;
    switch (LOWORD(wParam)) {
    case kFitInPage:
        frame_.SetFitInPage(IsDlgButtonChecked(kFitInPage) != 0);
        Recount();
        break;
    case kPrevPage:
        if (page_ > 0)
            --page_;
        break;
    case kNextPage:
        if (static_cast<unsigned>(page_ + 1) < frame_.GetGridPageCount())
            ++page_;
        break;
    default:
        return false;
    }
    UpdateControls();
    result = 0;
    return true;
}

RECT CPrintPreviewPage::SheetRect(const RECT& client) const {
    RECT area{client.left + 10, client.top + 10, client.right - 10, client.bottom - 10};
    int64_t w = std::max(1, devMode_.paper.width);
    int64_t l = std::max(1, devMode_.paper.length);
    // The paper is held upright; landscape lays it on its side.
    if ((devMode_.orientation == DMORIENT_LANDSCAPE) != (w > l))
        std::swap(w, l);
    const int64_t aw = std::max(0, static_cast<int>(area.right - area.left));
    const int64_t ah = std::max(0, static_cast<int>(area.bottom - area.top));
    int64_t sw = aw, sh = aw * l / w;
    if (sh > ah) {
        sh = ah;
        sw = ah * w / l;
    }
    const int left = area.left + static_cast<int>((aw - sw) / 2);
    const int top = area.top + static_cast<int>((ah - sh) / 2);
    return RECT{left, top, left + static_cast<int>(sw), top + static_cast<int>(sh)};
}

void CPrintPreviewPage::PaintPreview(PaintTarget& target, const RECT& client) {
    const RECT sheet = SheetRect(client);
    {
        DeviceContext dc(target);
        dc.FillRect(client, CreateSolidBrush(GetSysColor(COLOR_APPWORKSPACE)));
        dc.Rectangle(sheet.left, sheet.top, sheet.right, sheet.bottom);
    }
    if (!printer_ || sheet.right - sheet.left <= 6 || sheet.bottom - sheet.top <= 6)
        return;
    DeviceContext& pdc = printer_->DC();
    const int physicalWidth = std::max(1, pdc.GetDeviceCaps(PHYSICALWIDTH));
    const int physicalHeight = std::max(1, pdc.GetDeviceCaps(PHYSICALHEIGHT));
    // The page drawn as the printer would get it, over its printable area.
    PageRecording recording(pdc.GetDeviceCaps(HORZRES), pdc.GetDeviceCaps(VERTRES),
                            pdc.GetDeviceCaps(LOGPIXELSX), pdc.GetDeviceCaps(LOGPIXELSY));
    {
        DeviceContext dc(recording.Target());
        frame_.PrintPage(frame_.GetFitInPage() ? 0 : page_, dc);
    }
    const double sx = static_cast<double>(sheet.right - sheet.left) / physicalWidth;
    const double sy = static_cast<double>(sheet.bottom - sheet.top) / physicalHeight;
    const RECT clip{sheet.left + 3, sheet.top + 3, sheet.right - 3, sheet.bottom - 3};
    recording.Play(target, sheet.left + pdc.GetDeviceCaps(PHYSICALOFFSETX) * sx,
                   sheet.top + pdc.GetDeviceCaps(PHYSICALOFFSETY) * sy, sx, sy, clip);
}

// ---- CVorpelPrintDialog ----------------------------------------------------------

CVorpelPrintDialog::CVorpelPrintDialog(PrintDialogData& data, CMainFrame& frame)
    : PrintDialog(data), preview_(*this, frame) {
    AddPage(&preview_);
}

CVorpelPrintDialog::~CVorpelPrintDialog() {
    DestroyWindow();
}
