// Printing: page-range texts, the PDF printer's pages read back by an
// independent reader (poppler's pdfinfo and pdftotext), recordings of a page
// played back scaled, and the print dialog's General page driven as a user
// would through a modal hook.
#include "platform/combo_box_control.h"
#include "platform/device_context.h"
#include "platform/edit_control.h"
#include "platform/file.h"
#include "platform/file_dialog.h"
#include "platform/input_simulation.h"
#include "platform/paint_target.h"
#include "platform/print_dialog.h"
#include "platform/printer.h"
#include "platform/text.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Ranges = std::vector<std::pair<int, int>>;

// The output of a shell command; empty when it cannot run.
std::string RunCommand(const std::string& cmd) {
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    pclose(p);
    return out;
}

bool HavePoppler() {
    return std::system("command -v pdfinfo >/dev/null 2>&1 && command -v pdftotext >/dev/null "
                       "2>&1") == 0;
}

// "Pages:" and "Page size:" of pdfinfo (the size in points as it prints it).
int PdfPages(const std::string& path) {
    std::string info = RunCommand("pdfinfo '" + path + "' 2>/dev/null");
    size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}
// A number as pdfinfo prints it ("595.276"), read whatever the locale.
double ReadNumber(const char*& p) {
    while (*p == ' ')
        ++p;
    double v = 0, scale = 1;
    bool fraction = false;
    for (; (*p >= '0' && *p <= '9') || *p == '.'; ++p) {
        if (*p == '.') {
            fraction = true;
            continue;
        }
        v = v * 10 + (*p - '0');
        if (fraction)
            scale *= 10;
    }
    return v / scale;
}
// The page size in millimetres, rounded.
std::pair<int, int> PdfPageSizeMm(const std::string& path) {
    std::string info = RunCommand("pdfinfo '" + path + "' 2>/dev/null");
    size_t at = info.find("Page size:");
    if (at == std::string::npos)
        return {0, 0};
    const char* p = info.c_str() + at + 10;
    double w = ReadNumber(p);
    while (*p == ' ' || *p == 'x')
        ++p;
    double h = ReadNumber(p);
    return {static_cast<int>(w * 25.4 / 72 + 0.5), static_cast<int>(h * 25.4 / 72 + 0.5)};
}
std::string PdfPageText(const std::string& path, int page) {
    return RunCommand("pdftotext -f " + std::to_string(page) + " -l " + std::to_string(page) +
                      " '" + path + "' - 2>/dev/null");
}

class PrinterTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[] = "/tmp/vorpel-print-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        scratch = dir;
    }
    void TearDown() override { (void)std::system(("rm -rf '" + scratch + "'").c_str()); }
    DevMode Pdf(const std::string& name, int paperIndex, int orientation) {
        DevMode dm = PrinterDefaultDevMode(kPdfPrinterName);
        std::vector<PaperSize> papers = PrinterPaperSizes(kPdfPrinterName);
        dm.paper = papers.at(static_cast<size_t>(paperIndex));
        dm.orientation = orientation;
        dm.outputFile = Utf8ToWide(scratch + "/" + name);
        return dm;
    }
    std::string scratch;
};

int PaperIndex(const wchar_t* name) {
    std::vector<PaperSize> papers = PrinterPaperSizes(kPdfPrinterName);
    for (size_t i = 0; i < papers.size(); ++i)
        if (papers[i].name == name)
            return static_cast<int>(i);
    return -1;
}

TEST(PageRanges, ParseAndFormat) {
    struct Case {
        const wchar_t* text;
        bool ok;
        Ranges ranges;
    };
    const Case cases[] = {
        {L"1-2, 5", true, {{1, 2}, {5, 5}}},
        {L" 3 - 4 ", true, {{3, 4}}},
        {L"6", true, {{6, 6}}},
        {L"1,1", true, {{1, 1}, {1, 1}}},
        {L"", false, {}},
        {L"0", false, {}},
        {L"7", false, {}},
        {L"4-3", false, {}},
        {L"1-", false, {}},
        {L"1;2", false, {}},
        {L"1,,2", false, {}},
        {L"a", false, {}},
        {L"99999999999", false, {}},
    };
    for (const Case& c : cases) {
        Ranges got{{9, 9}};
        EXPECT_EQ(ParsePageRanges(c.text, 1, 6, 100, &got), c.ok) << WideToUtf8(c.text);
        if (c.ok)
            EXPECT_EQ(got, c.ranges) << WideToUtf8(c.text);
        else
            EXPECT_EQ(got, (Ranges{{9, 9}})) << "a refused text leaves the ranges alone";
    }
    // More ranges than there is room for.
    EXPECT_TRUE(ParsePageRanges(L"1,2,3", 1, 6, 3, nullptr));
    EXPECT_FALSE(ParsePageRanges(L"1,2,3,4", 1, 6, 3, nullptr));
    EXPECT_EQ(FormatPageRanges({{1, 2}, {5, 5}}), L"1-2, 5");
    EXPECT_EQ(FormatPageRanges({}), L"");
}

TEST(Printers, ThePdfPrinterIsAlwaysOfferedWithTheStandardPapers) {
    std::vector<std::wstring> choices = PrinterChoices();
    ASSERT_FALSE(choices.empty());
    EXPECT_EQ(choices.back(), kPdfPrinterName);
    DevMode dm = PrinterDefaultDevMode(L"no such printer");
    EXPECT_EQ(dm.deviceName, kPdfPrinterName);
    EXPECT_EQ(dm.paper.width, 2100);
    EXPECT_EQ(dm.paper.length, 2970);
    EXPECT_EQ(dm.orientation, DMORIENT_PORTRAIT);
    int a3 = PaperIndex(L"A3");
    ASSERT_GE(a3, 0);
    EXPECT_EQ(PrinterPaperSizes(kPdfPrinterName)[static_cast<size_t>(a3)].length, 4200);
    // Nothing can be had from a printer that is not there.
    DevMode gone;
    gone.deviceName = L"no such printer";
    EXPECT_EQ(PrinterDC::Create(gone), nullptr);
}

TEST_F(PrinterTest, PdfPagesHaveThePaperAndTheTextsDrawnOnThem) {
    if (!HavePoppler())
        GTEST_SKIP() << "pdfinfo / pdftotext missing (scripts/setup.sh installs them)";
    struct Case {
        const wchar_t* paper;
        int orientation;
        int pages;
        int horzMm, vertMm;
    };
    const Case cases[] = {
        {L"A4", DMORIENT_PORTRAIT, 3, 210, 297},
        {L"A3", DMORIENT_LANDSCAPE, 2, 420, 297},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.paper));
        DevMode dm = Pdf(WideToUtf8(c.paper) + ".pdf", PaperIndex(c.paper), c.orientation);
        auto printer = PrinterDC::Create(dm);
        ASSERT_NE(printer, nullptr);
        DeviceContext& dc = printer->DC();
        EXPECT_EQ(dc.GetDeviceCaps(HORZSIZE), c.horzMm);
        EXPECT_EQ(dc.GetDeviceCaps(VERTSIZE), c.vertMm);
        EXPECT_EQ(dc.GetDeviceCaps(PHYSICALOFFSETX), 0);
        EXPECT_EQ(dc.GetDeviceCaps(PHYSICALWIDTH), dc.GetDeviceCaps(HORZRES));
        ASSERT_TRUE(printer->StartDoc(L"Test"));
        EXPECT_FALSE(printer->StartDoc(L"Again"));
        for (int page = 1; page <= c.pages; ++page) {
            ASSERT_TRUE(printer->StartPage());
            EXPECT_FALSE(printer->StartPage()) << "a page is started once";
            dc.SetMapMode(MM_HIMETRIC);
            dc.TextOut(2000, -2000, StrPrintf(L"Sheet page %d", page));
            ASSERT_TRUE(printer->EndPage());
        }
        ASSERT_TRUE(printer->EndDoc());
        std::string path = WideToUtf8(dm.outputFile);
        EXPECT_EQ(PdfPages(path), c.pages);
        EXPECT_EQ(PdfPageSizeMm(path), std::make_pair(c.horzMm, c.vertMm));
        for (int page = 1; page <= c.pages; ++page) {
            std::string text = PdfPageText(path, page);
            EXPECT_NE(text.find("Sheet page " + std::to_string(page)), std::string::npos)
                << page << ": " << text;
        }
    }
}

TEST_F(PrinterTest, AJobThatCannotWriteItsFileFailsAndAnAbortedOneWritesNothing) {
    DevMode dm = Pdf("x.pdf", PaperIndex(L"A4"), DMORIENT_PORTRAIT);
    dm.outputFile = Utf8ToWide(scratch + "/no/such/folder/x.pdf");
    auto printer = PrinterDC::Create(dm);
    ASSERT_NE(printer, nullptr);
    ASSERT_TRUE(printer->StartDoc(L"Test"));
    bool started = printer->StartPage();
    if (started)
        printer->EndPage();
    EXPECT_FALSE(started && printer->EndDoc());

    DevMode aborted = Pdf("aborted.pdf", PaperIndex(L"A4"), DMORIENT_PORTRAIT);
    {
        auto p = PrinterDC::Create(aborted);
        ASSERT_NE(p, nullptr);
        ASSERT_TRUE(p->StartDoc(L"Test"));
        ASSERT_TRUE(p->StartPage());
        p->DC().TextOut(10, 10, L"never");
        p->AbortDoc();
    }
    EXPECT_FALSE(FileExists(aborted.outputFile));
}

TEST(PageRecordingTest, PlaysBackScaledAndClipped) {
    // A page of 200 x 100 pixels, black on its left half.
    PageRecording recording(200, 100, 100, 100);
    {
        DeviceContext dc(recording.Target());
        dc.FillRect(RECT{0, 0, 100, 100}, CreateSolidBrush(0x000000));
    }
    auto image = PaintTarget::CreateImage(120, 60);
    // Half size at (10, 5); the clip cuts the right-most 20 pixels away.
    recording.Play(*image, 10, 5, 0.5, 0.5, RECT{0, 0, 100, 60});
    image->Flush();
    EXPECT_EQ(image->PixelAt(5, 20), 0xFFFFFFFFu) << "left of the page";
    EXPECT_EQ(image->PixelAt(30, 20), 0xFF000000u) << "the black half";
    EXPECT_EQ(image->PixelAt(80, 20), 0xFFFFFFFFu) << "the white half is not drawn";
    EXPECT_EQ(image->PixelAt(30, 58), 0xFFFFFFFFu) << "below the page";
}

// --- The dialog -------------------------------------------------------------------------

class PrintDialogTest : public PrinterTest {
protected:
    bool Run(std::function<void(PrintDialog&)> drive) {
        PrintDialog dialog(data);
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            ASSERT_EQ(&d, &dialog);
            drive(dialog);
            PumpPendingMessages();
            if (!dialog.IsEnded())
                dialog.EndDialog(IDCANCEL);
        });
        return dialog.Run(nullptr);
    }
    static void Click(PlatformWindow* w) {
        ASSERT_NE(w, nullptr);
        SimulateMouse(w, WM_LBUTTONDOWN, POINT{3, 3}, MK_LBUTTON);
        SimulateMouse(w, WM_LBUTTONUP, POINT{3, 3});
        PumpPendingMessages();
    }
    static void Type(PlatformDialog& d, int id, const std::wstring& text) {
        auto* edit = d.GetDlgItemAs<EditControl>(id);
        ASSERT_NE(edit, nullptr);
        d.GotoDlgCtrl(edit);
        edit->SetSel(0, -1);
        SimulateTyping(edit, text);
        PumpPendingMessages();
    }
    // Chooses the PDF printer as a user does, from the open list.
    static void ChoosePdf(PrintGeneralPage& page) {
        auto* combo = page.GetDlgItemAs<ComboBoxControl>(PrintGeneralPage::kPrinter);
        ASSERT_NE(combo, nullptr);
        int index = combo->FindStringExact(-1, kPdfPrinterName);
        ASSERT_GE(index, 0);
        SimulateMouse(combo, WM_LBUTTONDOWN, POINT{5, 5}, MK_LBUTTON);
        SimulateMouse(combo, WM_LBUTTONUP, POINT{5, 5});
        PlatformWindow* drop = combo->GetDropDownWindow();
        ASSERT_NE(drop, nullptr);
        const int h = combo->GetItemHeight();
        SimulateMouse(drop, WM_LBUTTONDOWN, POINT{5, index * h + h / 2}, MK_LBUTTON);
        SimulateMouse(drop, WM_LBUTTONUP, POINT{5, index * h + h / 2});
        PumpPendingMessages();
        ASSERT_EQ(combo->GetCurSel(), index);
    }
    PrintDialogData data;
    ScopedUiHooksRecorder ui;
};

TEST_F(PrintDialogTest, PrintTakesThePrinterPaperAndPageNumbersChosen) {
    data.maxPage = 6;
    std::vector<int> counted;
    data.countPages = [&](const DevMode& dm) {
        counted.push_back(dm.orientation);
        return dm.orientation == DMORIENT_LANDSCAPE ? 4 : 6;
    };
    const std::wstring file = Utf8ToWide(scratch + "/out.pdf");
    bool printed = Run([&](PrintDialog& d) {
        PrintGeneralPage& g = d.GeneralPage();
        EXPECT_EQ(d.GetDlgItemText(IDOK), L"Print");
        ChoosePdf(g);
        // A file is written once: no copies.
        EXPECT_FALSE(g.GetDlgItem(PrintGeneralPage::kCopies)->IsWindowEnabled());
        EXPECT_TRUE(g.GetDlgItem(PrintGeneralPage::kFile)->IsWindowEnabled());
        // Without a file name the dialog stays.
        Type(g, PrintGeneralPage::kFile, L"");
        Click(d.GetDlgItem(IDOK));
        EXPECT_FALSE(d.IsEnded());
        ASSERT_EQ(ui.messageBoxes.size(), 1u);
        Type(g, PrintGeneralPage::kFile, file);
        // Landscape: the counter says 4 pages, so page 5 is refused.
        Click(g.GetDlgItem(PrintGeneralPage::kLandscape));
        EXPECT_EQ(d.GetMaxPage(), 4);
        Type(g, PrintGeneralPage::kRangeText, L"1-2, 5");
        EXPECT_TRUE(g.IsDlgButtonChecked(PrintGeneralPage::kPageNumbers));
        Click(d.GetDlgItem(IDOK));
        EXPECT_FALSE(d.IsEnded());
        ASSERT_EQ(ui.messageBoxes.size(), 2u);
        EXPECT_NE(ui.messageBoxes[1].text.find(L"from 1 to 4"), std::wstring::npos);
        Click(g.GetDlgItem(PrintGeneralPage::kPortrait));
        EXPECT_EQ(d.GetMaxPage(), 6);
        Click(d.GetDlgItem(IDOK));
    });
    ASSERT_TRUE(printed);
    EXPECT_EQ(data.devMode.deviceName, kPdfPrinterName);
    EXPECT_EQ(data.devMode.outputFile, file);
    EXPECT_EQ(data.devMode.orientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(data.devMode.copies, 1);
    EXPECT_TRUE(data.pageNumbersChosen);
    EXPECT_EQ(data.ranges, (Ranges{{1, 2}, {5, 5}}));
    EXPECT_EQ(counted, (std::vector<int>{DMORIENT_LANDSCAPE, DMORIENT_PORTRAIT}));

    // The next run starts from what was chosen; Cancel keeps it.
    DevMode before = data.devMode;
    EXPECT_FALSE(Run([&](PrintDialog& d) {
        PrintGeneralPage& g = d.GeneralPage();
        EXPECT_EQ(g.GetDlgItemText(PrintGeneralPage::kFile), file);
        EXPECT_EQ(g.GetDlgItemText(PrintGeneralPage::kRangeText), L"1-2, 5");
        EXPECT_TRUE(g.CurrentDevMode() == before);
        Click(g.GetDlgItem(PrintGeneralPage::kLandscape));
        Click(d.GetDlgItem(IDCANCEL));
    }));
    EXPECT_TRUE(data.devMode == before);
}

TEST_F(PrintDialogTest, BrowseAsksForThePdfFileToWrite) {
    std::vector<FileDialogRequest> asked;
    const std::wstring chosen = Utf8ToWide(scratch + "/chosen.pdf");
    SetFileDialogHook([&](FileDialogKind kind, FileDialogRequest& request) {
        EXPECT_EQ(kind, FileDialogKind::Save);
        asked.push_back(request);
        request.fileName = chosen;
        return true;
    });
    bool printed = Run([&](PrintDialog& d) {
        PrintGeneralPage& g = d.GeneralPage();
        ChoosePdf(g);
        Type(g, PrintGeneralPage::kFile, L"old.pdf");
        Click(g.GetDlgItem(PrintGeneralPage::kBrowse));
        EXPECT_EQ(g.GetDlgItemText(PrintGeneralPage::kFile), chosen);
        Click(d.GetDlgItem(IDOK));
    });
    SetFileDialogHook(nullptr);
    ASSERT_TRUE(printed);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].fileName, L"old.pdf") << "the dialog opens on the name typed";
    EXPECT_TRUE(asked[0].overwritePrompt);
    EXPECT_EQ(data.devMode.outputFile, chosen);
    EXPECT_FALSE(data.pageNumbersChosen);
}

} // namespace
