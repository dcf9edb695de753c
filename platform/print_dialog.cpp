#include "platform/print_dialog.h"

#include "platform/combo_box_control.h"
#include "platform/file.h"
#include "platform/file_dialog.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"

#include <algorithm>
#include <climits>
#include <cwctype>

namespace {

// Reads a page number at *p (blanks before it skipped); false when none.
bool ReadPage(const wchar_t*& p, int* page) {
    while (*p == L' ' || *p == L'\t')
        ++p;
    if (*p < L'0' || *p > L'9')
        return false;
    long long v = 0;
    while (*p >= L'0' && *p <= L'9') {
        v = v * 10 + (*p - L'0');
        if (v > INT_MAX)
            return false;
        ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    *page = static_cast<int>(v);
    return true;
}

DialogTemplate GeneralTemplate() {
    using P = PrintGeneralPage;
    DialogTemplate t;
    t.title = L"General";
    t.cx = 300;
    t.cy = 200;
    t.items = {
        DlgGroupBox(L"Printer", 7, 4, 286, 92),
        DlgStatic(IDC_STATIC, L"&Name:", 14, 20, 44, 8),
        DlgDropDownList(P::kPrinter, 60, 18, 226, 120, WS_TABSTOP | WS_GROUP),
        DlgStatic(IDC_STATIC, L"P&aper:", 14, 38, 44, 8),
        DlgDropDownList(P::kPaper, 60, 36, 110, 150, WS_TABSTOP | WS_GROUP),
        DlgRadio(P::kPortrait, L"&Portrait", 180, 38, 50, 10, WS_TABSTOP | WS_GROUP),
        DlgRadio(P::kLandscape, L"&Landscape", 232, 38, 56, 10),
        DlgStatic(IDC_STATIC, L"&File:", 14, 56, 44, 8),
        DlgEdit(P::kFile, 60, 54, 170, 12, WS_TABSTOP | WS_GROUP),
        DlgButton(P::kBrowse, L"Browse...", 234, 53, 52, 14),
        DlgStatic(IDC_STATIC, L"&Copies:", 14, 76, 44, 8),
        DlgEdit(P::kCopies, 60, 74, 30, 12),
        DlgCheckBox(P::kCollate, L"C&ollate", 100, 75, 60, 10),
        DlgGroupBox(L"Page range", 7, 102, 286, 64),
        DlgRadio(P::kAllPages, L"A&ll", 14, 116, 50, 10, WS_TABSTOP | WS_GROUP),
        DlgRadio(P::kPageNumbers, L"Pa&ges:", 14, 132, 44, 10),
        DlgEdit(P::kRangeText, 60, 131, 226, 12, WS_TABSTOP | WS_GROUP),
        DlgStatic(IDC_STATIC, L"Pages and ranges separated by commas, such as 1-2, 5", 14, 150, 272,
                  8),
    };
    return t;
}

} // namespace

bool ParsePageRanges(const std::wstring& text, int minPage, int maxPage, size_t maxRanges,
                     std::vector<std::pair<int, int>>* ranges) {
    std::vector<std::pair<int, int>> out;
    const wchar_t* p = text.c_str();
    for (;;) {
        int first = 0, last = 0;
        if (!ReadPage(p, &first))
            return false;
        last = first;
        if (*p == L'-') {
            ++p;
            if (!ReadPage(p, &last))
                return false;
        }
        if (first > last || first < minPage || last > maxPage)
            return false;
        out.emplace_back(first, last);
        if (out.size() > maxRanges)
            return false;
        if (*p == 0)
            break;
        if (*p != L',')
            return false;
        ++p;
    }
    if (ranges)
        *ranges = std::move(out);
    return true;
}

std::wstring FormatPageRanges(const std::vector<std::pair<int, int>>& ranges) {
    std::wstring text;
    for (const auto& [first, last] : ranges) {
        if (!text.empty())
            text += L", ";
        text += StrPrintf(L"%d", first);
        if (last != first)
            text += StrPrintf(L"-%d", last);
    }
    return text;
}

// ---- PrintGeneralPage ---------------------------------------------------------

PrintGeneralPage::PrintGeneralPage(PrintDialogData& data)
    : PropertyPage(GeneralTemplate()), data_(data) {}

PrintGeneralPage::~PrintGeneralPage() {
    DestroyWindow();
}

void PrintGeneralPage::OnInitDialog() {
    DevMode dm = data_.devMode.IsEmpty() ? PrinterDefaultDevMode(L"") : data_.devMode;
    printers_ = PrinterChoices();
    auto* printer = GetDlgItemAs<ComboBoxControl>(kPrinter);
    int selected = -1;
    for (size_t i = 0; i < printers_.size(); ++i) {
        printer->AddString(printers_[i]);
        if (printers_[i] == dm.deviceName)
            selected = static_cast<int>(i);
    }
    // A printer that has gone since it was chosen gives way to the first.
    if (selected < 0) {
        selected = 0;
        DevMode first = PrinterDefaultDevMode(printers_[0]);
        dm.deviceName = first.deviceName;
    }
    printer->SetCurSel(selected);
    FillPapers(dm.deviceName, dm.paper);
    CheckRadioButton(kPortrait, kLandscape,
                     dm.orientation == DMORIENT_LANDSCAPE ? kLandscape : kPortrait);
    SetDlgItemText(kFile, dm.outputFile);
    SetDlgItemInt(kCopies, std::max(1, dm.copies));
    CheckDlgButton(kCollate, dm.collate ? 1 : 0);
    CheckRadioButton(kAllPages, kPageNumbers, data_.pageNumbersChosen ? kPageNumbers : kAllPages);
    SetDlgItemText(kRangeText, FormatPageRanges(data_.ranges));
    EnableForPrinter();
}

void PrintGeneralPage::FillPapers(const std::wstring& printer, const PaperSize& keep) {
    papers_ = PrinterPaperSizes(printer);
    auto* paper = GetDlgItemAs<ComboBoxControl>(kPaper);
    paper->ResetContent();
    int selected = 0;
    for (size_t i = 0; i < papers_.size(); ++i) {
        paper->AddString(papers_[i].name);
        if (papers_[i].width == keep.width && papers_[i].length == keep.length)
            selected = static_cast<int>(i);
    }
    paper->SetCurSel(papers_.empty() ? -1 : selected);
}

void PrintGeneralPage::EnableForPrinter() {
    DevMode dm = CurrentDevMode();
    bool file = dm.deviceName == kPdfPrinterName;
    EnableDlgItem(kFile, file);
    EnableDlgItem(kBrowse, file);
    // A file is written once.
    EnableDlgItem(kCopies, !file);
    EnableDlgItem(kCollate, !file);
}

DevMode PrintGeneralPage::CurrentDevMode() const {
    DevMode dm = data_.devMode;
    if (!IsWindow())
        return dm;
    auto* printer = GetDlgItemAs<ComboBoxControl>(kPrinter);
    int p = printer ? printer->GetCurSel() : -1;
    if (p >= 0 && p < static_cast<int>(printers_.size()))
        dm.deviceName = printers_[static_cast<size_t>(p)];
    auto* paper = GetDlgItemAs<ComboBoxControl>(kPaper);
    int s = paper ? paper->GetCurSel() : -1;
    if (s >= 0 && s < static_cast<int>(papers_.size()))
        dm.paper = papers_[static_cast<size_t>(s)];
    dm.orientation = IsDlgButtonChecked(kLandscape) ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    dm.outputFile = GetDlgItemText(kFile);
    bool ok = false;
    int copies = GetDlgItemInt(kCopies, &ok, false);
    dm.copies = ok && copies >= 1 ? copies : 1;
    dm.collate = IsDlgButtonChecked(kCollate) != 0;
    if (dm.deviceName == kPdfPrinterName) {
        dm.copies = 1;
        dm.collate = false;
    }
    return dm;
}

void PrintGeneralPage::Recount() {
    if (!data_.countPages)
        return;
    if (auto* sheet = dynamic_cast<PrintDialog*>(GetPropertySheet()))
        sheet->SetMaxPage(data_.countPages(CurrentDevMode()));
}

void PrintGeneralPage::Browse() {
    FileDialogRequest request;
    request.owner = GetPropertySheet();
    request.filters = {{L"PDF Files (*.pdf)", L"*.pdf"}};
    request.fileName = GetDlgItemText(kFile);
    request.defaultExt = L"pdf";
    request.overwritePrompt = true;
    if (GetSaveFileName(&request))
        SetDlgItemText(kFile, request.fileName);
}

bool PrintGeneralPage::OnApply() {
    DevMode dm = CurrentDevMode();
    if (dm.deviceName == kPdfPrinterName && dm.outputFile.empty()) {
        ShowMessageBox(L"Enter the name of the PDF file to print to.", L"Print",
                       MB_OK | MB_ICONWARNING);
        GotoDlgCtrl(kFile);
        return false;
    }
    bool ok = false;
    int copies = GetDlgItemInt(kCopies, &ok, false);
    if (dm.deviceName != kPdfPrinterName && (!ok || copies < 1 || copies > 999)) {
        ShowMessageBox(L"Enter a number of copies between 1 and 999.", L"Print",
                       MB_OK | MB_ICONWARNING);
        GotoDlgCtrl(kCopies);
        return false;
    }
    std::vector<std::pair<int, int>> ranges;
    bool numbers = IsDlgButtonChecked(kPageNumbers) != 0;
    if (numbers && !ParsePageRanges(GetDlgItemText(kRangeText), data_.minPage, data_.maxPage,
                                    data_.maxRanges, &ranges)) {
        ShowMessageBox(StrPrintf(L"Enter page numbers and page ranges from %d to %d, separated "
                                 L"by commas, such as 1-2, 5.",
                                 data_.minPage, data_.maxPage),
                       L"Print", MB_OK | MB_ICONWARNING);
        GotoDlgCtrl(kRangeText);
        return false;
    }
    data_.devMode = dm;
    data_.pageNumbersChosen = numbers;
    if (numbers)
        data_.ranges = std::move(ranges);
    return true;
}

bool PrintGeneralPage::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_INITDIALOG) {
        filling_ = true;
        OnInitDialog();
        filling_ = false;
        result = 1;
        return true;
    }
    if (msg != WM_COMMAND || filling_)
        return false;
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id == kPrinter && code == CBN_SELCHANGE) {
        filling_ = true;
        DevMode dm = CurrentDevMode();
        FillPapers(dm.deviceName, dm.paper);
        filling_ = false;
        EnableForPrinter();
        Recount();
    } else if (id == kPaper && code == CBN_SELCHANGE) {
        Recount();
    } else if ((id == kPortrait || id == kLandscape) && code == BN_CLICKED) {
        Recount();
    } else if (id == kBrowse && code == BN_CLICKED) {
        Browse();
    } else if (id == kRangeText && code == EN_CHANGE) {
        // Typing page numbers means printing those pages.
        CheckRadioButton(kAllPages, kPageNumbers, kPageNumbers);
    } else {
        return false;
    }
    result = 0;
    return true;
}

// ---- PrintDialog ----------------------------------------------------------------

PrintDialog::PrintDialog(PrintDialogData& data)
    : PropertySheet(L"Print", 0), data_(data), general_(data) {
    AddPage(&general_);
}

PrintDialog::~PrintDialog() {
    // The pages go with the sheet's window, while they still exist.
    DestroyWindow();
}

bool PrintDialog::Run(PlatformWindow* owner) {
    data_.maxPage = std::max(data_.minPage, data_.maxPage);
    return DoModal(owner) == IDOK;
}

DevMode PrintDialog::GetCurrentDevMode() const {
    return general_.IsWindow() ? general_.CurrentDevMode() : data_.devMode;
}

bool PrintDialog::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    bool handled = PropertySheet::ProcessWindowMessage(msg, wParam, lParam, result);
    if (msg == WM_INITDIALOG)
        SetDlgItemText(IDOK, L"Print");
    return handled;
}
