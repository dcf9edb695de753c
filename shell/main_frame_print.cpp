// Printing of the shown editor view: the page grid, the print dialog with
// its preview and the print job.
#include "core/vorpel_view.h"
#include "platform/device_context.h"
#include "platform/printer.h"
#include "shell/main_frame.h"
#include "shell/vorpel_print_dialog.h"

#include <algorithm>

namespace {

// The longest document name a print job carries.
constexpr size_t kMaxDocumentName = 260;

unsigned CeilDiv(int extent, int page) {
    if (extent <= 0 || page <= 0)
        return 0;
    return static_cast<unsigned>((static_cast<int64_t>(extent) + page - 1) / page);
}

} // namespace

bool CMainFrame::CanPrint() const {
    CVorpelView* view = GetActiveView();
    if (!view)
        return false;
    SIZE e = view->GetPrintExtent();
    return e.cx > 0 && e.cy > 0;
}

int CMainFrame::CountPages(DeviceContext& dc, const DevMode& devMode) {
    const int width = dc.GetDeviceCaps(HORZSIZE) * 100;
    const int height = dc.GetDeviceCaps(VERTSIZE) * 100;
    const bool landscapeShape = width > height;
    SIZE e{0, 0};
    if (CVorpelView* view = GetActiveView())
        e = view->GetPrintExtent();
    if ((devMode.orientation == DMORIENT_LANDSCAPE) == landscapeShape) {
        m_pagesAcross = CeilDiv(e.cx, width);
        m_pagesDown = CeilDiv(e.cy, height);
    } else {
        m_pagesAcross = CeilDiv(e.cx, height);
        m_pagesDown = CeilDiv(e.cy, width);
    }
    if (m_fitInPage)
        return 1;
    return static_cast<int>(
        std::min<uint64_t>(static_cast<uint64_t>(m_pagesAcross) * m_pagesDown, INT32_MAX));
}

bool CMainFrame::IsValidPage(int page) const {
    for (const auto& [first, last] : m_pageRanges)
        if (first <= page + 1 && page + 1 <= last)
            return true;
    return false;
}

bool CMainFrame::PrintPage(int page, DeviceContext& dc) {
    CVorpelView* view = GetActiveView();
    if (!view || page < 0 || static_cast<unsigned>(page) >= GetGridPageCount())
        return false;
    const int column = static_cast<int>(static_cast<unsigned>(page) % m_pagesAcross);
    const int row = static_cast<int>(static_cast<unsigned>(page) / m_pagesAcross);
    view->SetPrinting(true);
    view->PreparePrintDC(&dc, m_fitInPage, column * dc.GetDeviceCaps(HORZSIZE) * 100,
                         row * dc.GetDeviceCaps(VERTSIZE) * 100);
    view->Draw(&dc);
    view->SetPrinting(false);
    return true;
}

void CMainFrame::OnFilePrint() {
    CVorpelView* view = GetActiveView();
    // A view without a print extent has nothing to put on paper.
    if (!view || !CanPrint())
        return;
    if (m_devMode.IsEmpty())
        m_devMode = PrinterDefaultDevMode(m_printerName);
    if (m_pageRanges.empty())
        m_pageRanges.resize(1);
    m_pageRanges[0] = {1, 1};

    PrintDialogData data;
    data.devMode = m_devMode;
    data.minPage = 1;
    data.ranges = {m_pageRanges[0]};
    data.maxRanges = kMaxPageRanges;
    data.countPages = [this](const DevMode& dm) {
        auto dc = PrinterDC::Create(dm);
        return dc ? CountPages(dc->DC(), dm) : 0;
    };
    data.maxPage = std::max(1, data.countPages(m_devMode));
    {
        CVorpelPrintDialog dialog(data, *this);
        if (!dialog.Run(GetActiveWindow()))
            return;
    }

    // The printer and paper chosen are kept for the next print.
    m_devMode = data.devMode;
    m_printerName = m_devMode.deviceName;
    auto printer = PrinterDC::Create(m_devMode);
    if (!printer)
        return;
    // The grid is counted afresh for the printer and paper the job runs on.
    const int count = CountPages(printer->DC(), m_devMode);
    if (data.pageNumbersChosen)
        m_pageRanges = data.ranges;
    else
        m_pageRanges = {{1, std::max(1, count)}};

    std::wstring name = ViewCaption(view->GetDocument());
    if (name.size() > kMaxDocumentName)
        name.resize(kMaxDocumentName);
    if (!printer->StartDoc(name))
        return;
    bool failed = false;
    for (int page = 0; page < count && !failed; ++page) {
        // Pages outside the chosen ranges are skipped, not the end of the job.
        if (!IsValidPage(page))
            continue;
        if (!printer->StartPage()) {
            failed = true;
            break;
        }
        failed = !PrintPage(page, printer->DC());
        printer->EndPage();
    }
    if (failed)
        printer->AbortDoc();
    else
        printer->EndDoc();
}
