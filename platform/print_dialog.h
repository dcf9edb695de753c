// The print dialog: a property sheet whose first page, "General", chooses
// the printer (the system's printers and the PDF printer with its file), the
// paper and orientation, the copies and the pages to print ("All" or page
// numbers and ranges such as "1-2, 5"). A program adds pages of its own
// after it. OK reads "Print".
//
// Pages of the program reach the dialog's current choice of printer and
// paper through GetCurrentDevMode, and may set the highest page number the
// page ranges accept. The program may also give a page counter: whenever the
// printer, paper or orientation changes, the highest page follows the count.
#pragma once

#include "platform/printer.h"
#include "platform/property_sheet.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

struct PrintDialogData {
    // In: the printer and paper to start with; out: those chosen.
    DevMode devMode;
    int minPage = 1;
    int maxPage = 1;
    // In: the ranges shown in the page-number field; out: with
    // pageNumbersChosen, the ranges typed there (1-based, first <= last).
    bool pageNumbersChosen = false;
    std::vector<std::pair<int, int>> ranges;
    size_t maxRanges = 100;
    // The page count for a printer and paper; may be empty.
    std::function<int(const DevMode&)> countPages;
};

// Page-range text: "1-2, 5" and the like (blanks around numbers allowed).
// False for anything else, for a range running backwards, for a page
// outside minPage..maxPage and for more than maxRanges ranges.
bool ParsePageRanges(const std::wstring& text, int minPage, int maxPage, size_t maxRanges,
                     std::vector<std::pair<int, int>>* ranges);
std::wstring FormatPageRanges(const std::vector<std::pair<int, int>>& ranges);

class PrintGeneralPage : public PropertyPage {
public:
    enum : int {
        kPrinter = 1139,
        kPaper = 1137,
        kPortrait = 1056,
        kLandscape = 1057,
        kFile = 1152,
        kBrowse = 1153,
        kCopies = 1154,
        kCollate = 1041,
        kAllPages = 1058,
        kPageNumbers = 1059,
        kRangeText = 1160,
    };
    explicit PrintGeneralPage(PrintDialogData& data);
    ~PrintGeneralPage() override;

    // The printer, paper, orientation, file and copies the controls show.
    DevMode CurrentDevMode() const;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnApply() override;

private:
    void OnInitDialog();
    void FillPapers(const std::wstring& printer, const PaperSize& keep);
    void EnableForPrinter();
    void Recount();
    void Browse();

    PrintDialogData& data_;
    std::vector<std::wstring> printers_;
    std::vector<PaperSize> papers_;
    // Set while the page fills its controls, whose notices it then ignores.
    bool filling_ = false;
};

class PrintDialog : public PropertySheet {
public:
    explicit PrintDialog(PrintDialogData& data);
    ~PrintDialog() override;

    // True when the user chose Print; the data then holds the choices.
    bool Run(PlatformWindow* owner);

    PrintDialogData& Data() { return data_; }
    PrintGeneralPage& GeneralPage() { return general_; }
    // The printer and paper chosen so far (the data's before the General
    // page exists).
    DevMode GetCurrentDevMode() const;
    int GetMaxPage() const { return data_.maxPage; }
    void SetMaxPage(int page) { data_.maxPage = std::max(data_.minPage, page); }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    PrintDialogData& data_;
    PrintGeneralPage general_;
};
