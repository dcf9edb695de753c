// Printing from the main window: the page grid and the page ranges as
// tables, the example project's sheets printed by the schematic editor to
// PDF files through the print dialog answered by a hook and read back by
// poppler's pdfinfo, pdftotext and pdftoppm (a fitted page against the
// preview), the preview page stepping through the tiles, and Print disabled
// for views with nothing to print.
#include "core/node_type.h"
#include "platform/device_context.h"
#include "platform/paint_target.h"
#include "platform/update_ui.h"
#include "schematic/sheet.h"
#include "shell/vorpel_print_dialog.h"
#include "tests/dialog_fit.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/screen_picture.h"
#include "tests/shell/frame_fixture.h"
#include "views/editor_views.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

using dialog_driver::ChooseInCombo;
using dialog_driver::ClickButton;
using dialog_driver::TypeIntoField;
using Ranges = std::vector<std::pair<int, int>>;

// A view for the page arithmetic: the schematic editor's print extent (the
// sheet less a 5 mm margin on each side), which a test may change, and a
// count of its drawings. The printed files come from the editor itself.
class CSheetPrintView : public CRecordingView {
public:
    CSheetPrintView(CTreeNode* sheet) : CRecordingView(sheet, kViewSchematic) {
        printExtent = SIZE{sheet->m_size.cx - 1000, sheet->m_size.cy - 1000};
    }
    void Draw(DeviceContext* dc) override {
        ++draws;
        printingSeen = printingSeen || IsPrinting();
        dc->SelectFont(GetFont());
        dc->SetBkMode(TRANSPARENT);
        GetDocument()->DrawOnSheet(dc, NodeFlags::SchematicView);
    }
    int draws = 0;
    bool printingSeen = false;
};

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

// A number as pdfinfo prints it ("841.89"), read whatever the locale.
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

struct PdfInfo {
    int pages = -1;
    int widthMm = 0;
    int heightMm = 0;
};

PdfInfo ReadPdfInfo(const std::wstring& path) {
    PdfInfo r;
    std::string info = RunCommand("pdfinfo '" + WideToUtf8(path) + "' 2>/dev/null");
    size_t at = info.find("Pages:");
    if (at != std::string::npos)
        r.pages = std::atoi(info.c_str() + at + 6);
    at = info.find("Page size:");
    if (at != std::string::npos) {
        const char* p = info.c_str() + at + 10;
        double w = ReadNumber(p);
        while (*p == ' ' || *p == 'x')
            ++p;
        double h = ReadNumber(p);
        r.widthMm = static_cast<int>(w * 25.4 / 72 + 0.5);
        r.heightMm = static_cast<int>(h * 25.4 / 72 + 0.5);
    }
    return r;
}

std::string PdfPageText(const std::wstring& path, int page) {
    return RunCommand("pdftotext -f " + std::to_string(page) + " -l " + std::to_string(page) +
                      " '" + WideToUtf8(path) + "' - 2>/dev/null");
}

bool Contains(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

CTreeNode* FindSheet(CTreeNode* node, const wchar_t* name) {
    for (CTreeNode* child : node->GetChildren()) {
        if (child->GetType() == NodeType::Sheet && static_cast<CSheet*>(child)->GetName() == name)
            return child;
        if (CTreeNode* found = FindSheet(child, name))
            return found;
    }
    return nullptr;
}

// Whether pdftotext -bbox found the word with its whole box on the page.
bool WordInsidePage(const std::string& boxes, const std::string& word) {
    auto attribute = [](const std::string& tag, const char* name) {
        const size_t at = tag.find(std::string(name) + "=\"");
        if (at == std::string::npos)
            return -1.0;
        const char* p = tag.c_str() + at + std::strlen(name) + 2;
        const bool negative = *p == '-';
        return negative ? (++p, -ReadNumber(p)) : ReadNumber(p);
    };
    const size_t page = boxes.find("<page ");
    if (page == std::string::npos)
        return false;
    const std::string pageTag = boxes.substr(page, boxes.find('>', page) - page);
    const double width = attribute(pageTag, "width"), height = attribute(pageTag, "height");
    const size_t end = boxes.find(">" + word + "</word>");
    if (end == std::string::npos)
        return false;
    const size_t start = boxes.rfind("<word ", end);
    const std::string tag = boxes.substr(start, end - start);
    return attribute(tag, "xMin") >= 0 && attribute(tag, "yMin") >= 0 &&
           attribute(tag, "xMax") <= width && attribute(tag, "yMax") <= height;
}

// The page of a PDF file as pdftoppm rasterises it (grey, dpi dots per
// inch): width, height and one byte per pixel, white 255; empty when it
// could not be read.
struct GreyPage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
    bool Ink(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] < 160; }
};

GreyPage RasterisePdfPage(const std::wstring& pdf, int page, int dpi) {
    GreyPage r;
    const std::string out =
        RunCommand("pdftoppm -gray -r " + std::to_string(dpi) + " -f " + std::to_string(page) +
                   " -l " + std::to_string(page) + " '" + WideToUtf8(pdf) + "' 2>/dev/null");
    // P5, width, height, maxval, one blank, then the pixels.
    size_t at = 0;
    auto number = [&] {
        while (at < out.size() && !(out[at] >= '0' && out[at] <= '9'))
            ++at;
        int v = 0;
        while (at < out.size() && out[at] >= '0' && out[at] <= '9')
            v = v * 10 + (out[at++] - '0');
        return v;
    };
    if (out.compare(0, 2, "P5") != 0)
        return r;
    at = 2;
    const int w = number(), h = number();
    number();
    ++at;
    if (w <= 0 || h <= 0 || out.size() < at + static_cast<size_t>(w) * h)
        return r;
    r.width = w;
    r.height = h;
    r.pixels.assign(out.begin() + static_cast<std::ptrdiff_t>(at),
                    out.begin() + static_cast<std::ptrdiff_t>(at + static_cast<size_t>(w) * h));
    return r;
}

// The box around everything drawn, as fractions of the page (left, top,
// right, bottom); all -1 when nothing is.
struct InkBox {
    double left = -1, top = -1, right = -1, bottom = -1;
};
template <class InkAt> InkBox FindInk(int width, int height, InkAt ink) {
    int l = width, t = height, r = -1, b = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (ink(x, y)) {
                l = std::min(l, x);
                r = std::max(r, x);
                t = std::min(t, y);
                b = std::max(b, y);
            }
    if (r < 0)
        return InkBox{};
    return InkBox{double(l) / width, double(t) / height, double(r + 1) / width,
                  double(b + 1) / height};
}

class PrintTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        const std::wstring example =
            PathJoin(PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples"), L"demo.circuit");
        StartFrame(L"\"" + example + L"\"");
        ASSERT_TRUE(ui.messageBoxes.empty());
    }
    CSheetPrintView* OpenSheet(const wchar_t* name) {
        CTreeNode* sheet = FindSheet(&g_MainFrame.GetRoot(0), name);
        EXPECT_NE(sheet, nullptr);
        if (!sheet)
            return nullptr;
        auto* view = new CSheetPrintView(sheet);
        g_MainFrame.AddView(sheet, view);
        PumpPendingMessages();
        return view;
    }

    // One Print command; the dialog is handed to answer, which chooses and
    // then presses Print or Cancel. False when no dialog was shown.
    bool Print(std::function<void(CVorpelPrintDialog&)> answer) {
        bool shown = false;
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            auto* dialog = dynamic_cast<CVorpelPrintDialog*>(&d);
            ASSERT_NE(dialog, nullptr);
            shown = true;
            answer(*dialog);
            PumpPendingMessages();
            if (!dialog->IsEnded())
                dialog->EndDialog(IDCANCEL);
        });
        Command(ID_FILE_PRINT);
        return shown;
    }

    // Chooses the PDF printer, a paper and orientation and the file on the
    // General page.
    void ChoosePdf(PrintGeneralPage& g, const wchar_t* paper, bool landscape,
                   const std::wstring& file) {
        auto* printer = g.GetDlgItemAs<ComboBoxControl>(PrintGeneralPage::kPrinter);
        ChooseInCombo(printer, printer->FindStringExact(-1, kPdfPrinterName));
        auto* papers = g.GetDlgItemAs<ComboBoxControl>(PrintGeneralPage::kPaper);
        ChooseInCombo(papers, papers->FindStringExact(-1, paper));
        ClickButton(g, landscape ? PrintGeneralPage::kLandscape : PrintGeneralPage::kPortrait);
        TypeIntoField(g, PrintGeneralPage::kFile, file);
    }

    std::wstring Pdf(const wchar_t* name) { return PathJoin(scratch, name); }

    // The sheet opened in the schematic editor itself, as the project tree
    // opens it.
    CVorpelView* OpenSheetInEditor(const wchar_t* name) {
        CTreeNode* sheet = FindSheet(&g_MainFrame.GetRoot(0), name);
        EXPECT_NE(sheet, nullptr);
        if (!sheet)
            return nullptr;
        RegisterEditorViews();
        CVorpelView* view = g_MainFrame.OpenNodeView(sheet);
        RegisterViewMaker(NodeType::Sheet, nullptr);
        PumpPendingMessages();
        EXPECT_TRUE(view && view->GetViewKind() == kViewSchematic);
        return view;
    }
};

// --- The page grid and the ranges ---------------------------------------------------

TEST_F(PrintTest, CountPagesDividesTheExtentByThePrintableSizeRoundingUp) {
    CSheetPrintView* view = OpenSheet(L"Main");
    ASSERT_NE(view, nullptr);
    struct Case {
        SIZE extent;
        int pageW, pageH; // pixels at 254 dpi: tenths of a millimetre
        int orientation;
        bool fit;
        unsigned across, down;
        int count;
    };
    const int P = DMORIENT_PORTRAIT, L = DMORIENT_LANDSCAPE;
    const Case cases[] = {
        {{41000, 28700}, 2100, 2970, P, false, 2, 1, 2},
        {{41000, 28700}, 2970, 2100, L, false, 2, 2, 4},
        // The orientation disagrees with the page's shape: width and height
        // swap roles.
        {{41000, 28700}, 2100, 2970, L, false, 2, 2, 4},
        {{41000, 28700}, 2970, 2100, P, false, 2, 1, 2},
        {{21000, 29700}, 2100, 2970, P, false, 1, 1, 1},
        {{21001, 29701}, 2100, 2970, P, false, 2, 2, 4},
        // A square page counts as portrait-shaped.
        {{30000, 10000}, 2000, 2000, P, false, 2, 1, 2},
        {{41000, 28700}, 2970, 2100, L, true, 2, 2, 1},
        {{0, 0}, 2100, 2970, P, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        view->printExtent = c.extent;
        g_MainFrame.SetFitInPage(c.fit);
        DeviceContext dc(c.pageW, c.pageH, 254, 254);
        DevMode dm;
        dm.orientation = c.orientation;
        SCOPED_TRACE(testing::Message() << c.extent.cx << "x" << c.extent.cy << " on " << c.pageW
                                        << "x" << c.pageH << " o" << c.orientation);
        EXPECT_EQ(g_MainFrame.CountPages(dc, dm), c.count);
        EXPECT_EQ(g_MainFrame.m_pagesAcross, c.across);
        EXPECT_EQ(g_MainFrame.m_pagesDown, c.down);
    }
    g_MainFrame.SetFitInPage(false);
}

TEST_F(PrintTest, IsValidPageAndPrintPageFollowTheRangesAndTheGrid) {
    struct Case {
        Ranges ranges;
        std::vector<bool> valid; // pages 0..5
    };
    const Case cases[] = {
        {{{1, 2}, {5, 5}}, {true, true, false, false, true, false}},
        {{{3, 4}}, {false, false, true, true, false, false}},
        {{{1, 6}}, {true, true, true, true, true, true}},
        {{}, {false, false, false, false, false, false}},
    };
    for (const Case& c : cases) {
        g_MainFrame.m_pageRanges = c.ranges;
        for (int page = 0; page < 6; ++page)
            EXPECT_EQ(g_MainFrame.IsValidPage(page), c.valid[static_cast<size_t>(page)])
                << page << " of " << c.ranges.size() << " ranges";
    }

    // PrintPage: nothing without a view; pages beyond the grid fail; the
    // view knows it is printing while it draws.
    DeviceContext dc(2970, 2100, 254, 254);
    EXPECT_FALSE(g_MainFrame.PrintPage(0, dc));
    CSheetPrintView* view = OpenSheet(L"Power");
    ASSERT_NE(view, nullptr);
    DevMode dm;
    dm.orientation = DMORIENT_LANDSCAPE;
    ASSERT_EQ(g_MainFrame.CountPages(dc, dm), 4);
    EXPECT_TRUE(g_MainFrame.PrintPage(3, dc));
    // The last tile: column 1, row 1, a page's size in from the extent's corner.
    EXPECT_EQ(dc.GetWindowOrg(), (POINT{500 + 29700, 29700 - 500 - 21000}));
    EXPECT_TRUE(view->printingSeen);
    EXPECT_FALSE(view->IsPrinting());
    EXPECT_FALSE(g_MainFrame.PrintPage(4, dc));
    EXPECT_FALSE(g_MainFrame.PrintPage(-1, dc));
    EXPECT_EQ(view->draws, 1);
}

// --- Printing to PDF files --------------------------------------------------------

// The schematic editor itself prints: its sheet's part and net texts come out
// on the page that holds them, tiled at true scale or fitted onto one page.
TEST_F(PrintTest, TheExampleSheetsPrintToPdfAtTrueScaleFittedAndByRanges) {
    if (!HavePoppler())
        GTEST_SKIP() << "pdfinfo / pdftotext missing (scripts/setup.sh installs them)";
    struct Case {
        const char* name;
        const wchar_t* sheet;
        const wchar_t* paper;
        bool landscape;
        bool fit;
        const wchar_t* ranges; // empty: all pages
        int pages;
        int widthMm, heightMm;
        // The page of the file that shows the parts (row by row, the sheet's
        // origin at its bottom left), and words on it that no other page has.
        int partsPage;
        std::vector<const char*> words;
    };
    // Part texts (reference designators, values, pin names) and net texts
    // (wire labels, power pins) of each sheet.
    const Case cases[] = {
        {"main-a4",
         L"Main",
         L"A4",
         true,
         false,
         L"",
         1,
         297,
         210,
         1,
         {"R1", "R2", "U11", "4k7", "#PWR1", "N1", "DATA", "GND"}},
        {"main-a4-portrait", L"Main", L"A4", false, false, L"", 2, 210, 297, 1, {"R1", "U1"}},
        {"power-a3", L"Power", L"A3", true, false, L"", 1, 420, 297, 1, {"SENSE", "GND"}},
        {"power-a4", L"Power", L"A4", true, false, L"", 4, 297, 210, 3, {"SENSE", "U12", "DATA"}},
        {"power-a4-fit", L"Power", L"A4", true, true, L"", 1, 297, 210, 1, {"SENSE", "U12", "DATA"}},
        // Pages outside the ranges are skipped, the job goes on after them.
        {"power-ranges", L"Power", L"A4", true, false, L"1, 3-4", 3, 297, 210, 2, {"SENSE"}},
        {"power-3-4", L"Power", L"A4", true, false, L"3-4", 2, 297, 210, 1, {"SENSE", "GND"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CVorpelView* view = OpenSheetInEditor(c.sheet);
        ASSERT_NE(view, nullptr);
        // Where the editor is scrolled to does not move the printed sheet.
        view->SetScrollOffset(POINT{-3000, 2000});
        const std::wstring file = Pdf(Utf8ToWide(std::string(c.name) + ".pdf").c_str());
        ASSERT_TRUE(Print([&](CVorpelPrintDialog& d) {
            ChoosePdf(d.GeneralPage(), c.paper, c.landscape, file);
            // Fitting is switched on the preview page.
            ASSERT_TRUE(d.SetActivePage(1));
            if ((d.PreviewPage().IsDlgButtonChecked(CPrintPreviewPage::kFitInPage) != 0) != c.fit)
                ClickButton(d.PreviewPage(), CPrintPreviewPage::kFitInPage);
            ASSERT_TRUE(d.SetActivePage(0));
            if (*c.ranges)
                TypeIntoField(d.GeneralPage(), PrintGeneralPage::kRangeText, c.ranges);
            ClickButton(d, IDOK);
            EXPECT_TRUE(d.IsEnded());
        }));
        EXPECT_TRUE(ui.messageBoxes.empty());
        PdfInfo info = ReadPdfInfo(file);
        EXPECT_EQ(info.pages, c.pages);
        EXPECT_EQ(info.widthMm, c.widthMm);
        EXPECT_EQ(info.heightMm, c.heightMm);
        for (int page = 1; page <= info.pages; ++page) {
            std::string text = PdfPageText(file, page);
            for (const char* word : c.words)
                EXPECT_EQ(Contains(text, word), page == c.partsPage)
                    << word << " on page " << page << ": " << text;
        }
        // The choices are kept for the next print.
        EXPECT_EQ(g_MainFrame.m_devMode.outputFile, file);
        EXPECT_EQ(g_MainFrame.m_printerName, kPdfPrinterName);
        EXPECT_EQ(g_MainFrame.GetFitInPage(), c.fit);
    }
}

// With "Fit in page" the whole sheet is on the page, as the preview shows
// it: nothing drawn is cut at the paper's edges, and what is drawn lies
// where the preview puts it.
TEST_F(PrintTest, AFittedSheetPrintsWhatThePreviewShows) {
    if (!HavePoppler() || std::system("command -v pdftoppm >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "poppler's tools missing (scripts/setup.sh installs them)";
    struct Case {
        const char* name;
        const wchar_t* sheet;
        const wchar_t* paper;
        bool landscape;
        bool title; // the sheet holds the example's title
    };
    const Case cases[] = {{"main-a4-portrait", L"Main", L"A4", false, true},
                          {"main-a4-landscape", L"Main", L"A4", true, true},
                          {"main-a3-landscape", L"Main", L"A3", true, true},
                          {"power-a4-portrait", L"Power", L"A4", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(OpenSheetInEditor(c.sheet), nullptr);
        const std::wstring file = Pdf(Utf8ToWide(std::string(c.name) + ".pdf").c_str());
        InkBox preview;
        ASSERT_TRUE(Print([&](CVorpelPrintDialog& d) {
            ChoosePdf(d.GeneralPage(), c.paper, c.landscape, file);
            ASSERT_TRUE(d.SetActivePage(1));
            CPrintPreviewPage& p = d.PreviewPage();
            if (!p.IsDlgButtonChecked(CPrintPreviewPage::kFitInPage))
                ClickButton(p, CPrintPreviewPage::kFitInPage);
            // The preview as its area paints it, on an area as large as a
            // page printed at 100 dpi.
            const RECT client{0, 0, 1200, 1200};
            auto image = PaintTarget::CreateImage(client.right, client.bottom);
            p.PaintPreview(*image, client);
            // Inside the sheet's frame, which the preview draws itself.
            const RECT s = p.SheetRect(client);
            const int w = s.right - s.left - 2, h = s.bottom - s.top - 2;
            preview = FindInk(w, h, [&](int x, int y) {
                const ARGB px = image->PixelAt(s.left + 1 + x, s.top + 1 + y);
                const int grey = ((px >> 16 & 0xFF) + (px >> 8 & 0xFF) + (px & 0xFF)) / 3;
                return grey < 160;
            });
            ClickButton(d, IDOK);
        }));
        ASSERT_GE(preview.left, 0) << "the preview shows nothing";
        const GreyPage page = RasterisePdfPage(file, 1, 100);
        ASSERT_GT(page.width, 0);
        const InkBox printed =
            FindInk(page.width, page.height, [&](int x, int y) { return page.Ink(x, y); });
        ASSERT_GE(printed.left, 0) << "nothing printed";
        // Nothing is cut at the paper's edges: no ink on the outermost
        // pixels.
        EXPECT_GT(printed.left, 0);
        EXPECT_GT(printed.top, 0);
        EXPECT_LT(printed.right, 1);
        EXPECT_LT(printed.bottom, 1);
        // The drawing takes the place the preview gives it (a preview pixel
        // is about half a percent of the sheet).
        EXPECT_NEAR(printed.left, preview.left, 0.015);
        EXPECT_NEAR(printed.top, preview.top, 0.015);
        EXPECT_NEAR(printed.right, preview.right, 0.015);
        EXPECT_NEAR(printed.bottom, preview.bottom, 0.015);
        // The title near the sheet's corner comes out whole: every word of
        // it on the paper.
        if (c.title) {
            const std::string boxes =
                RunCommand("pdftotext -bbox -f 1 -l 1 '" + WideToUtf8(file) + "' - 2>/dev/null");
            for (const char* word : {"Demo", "board", "friends"})
                EXPECT_TRUE(WordInsidePage(boxes, word)) << word << "\n" << boxes;
        }
    }
}

TEST_F(PrintTest, TheJobCountsThePagesOfThePaperChosenInTheDialog) {
    if (!HavePoppler())
        GTEST_SKIP() << "pdfinfo / pdftotext missing (scripts/setup.sh installs them)";
    CVorpelView* view = OpenSheetInEditor(L"Power");
    ASSERT_NE(view, nullptr);
    struct Case {
        const wchar_t* paper;
        bool landscape;
        int pages;
    };
    // The dialog opens on portrait A4 (two pages across); every page of the
    // paper chosen is printed, not the count the dialog opened with.
    const Case cases[] = {{L"A4", true, 4}, {L"A3", true, 1}, {L"A5", false, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.paper));
        g_MainFrame.m_devMode = DevMode();
        const std::wstring file = Pdf((std::wstring(c.paper) + L".pdf").c_str());
        int opened = 0;
        ASSERT_TRUE(Print([&](CVorpelPrintDialog& d) {
            opened = d.GetMaxPage();
            ChoosePdf(d.GeneralPage(), c.paper, c.landscape, file);
            ClickButton(d, IDOK);
        }));
        EXPECT_EQ(opened, 2);
        EXPECT_EQ(ReadPdfInfo(file).pages, c.pages);
        EXPECT_EQ(g_MainFrame.m_pageRanges, (Ranges{{1, c.pages}}));
    }
}

TEST_F(PrintTest, CancelPrintsNothingAndKeepsThePrintState) {
    CVorpelView* view = OpenSheetInEditor(L"Power");
    ASSERT_NE(view, nullptr);
    const std::wstring file = Pdf(L"first.pdf");
    ASSERT_TRUE(Print([&](CVorpelPrintDialog& d) {
        ChoosePdf(d.GeneralPage(), L"A4", true, file);
        TypeIntoField(d.GeneralPage(), PrintGeneralPage::kRangeText, L"2-3");
        ClickButton(d, IDOK);
    }));
    EXPECT_EQ(g_MainFrame.m_pageRanges, (Ranges{{2, 3}}));
    const DevMode kept = g_MainFrame.m_devMode;
    ASSERT_TRUE(FileExists(file));
    ASSERT_TRUE(RemoveFile(file));

    ASSERT_TRUE(Print([&](CVorpelPrintDialog& d) {
        PrintGeneralPage& g = d.GeneralPage();
        // The dialog starts from the last print's printer and paper.
        EXPECT_TRUE(g.CurrentDevMode() == kept);
        EXPECT_EQ(g.GetDlgItemText(PrintGeneralPage::kRangeText), L"1");
        EXPECT_EQ(d.GetMaxPage(), 4);
        ClickButton(g, PrintGeneralPage::kPortrait);
        ClickButton(d, IDCANCEL);
    }));
    EXPECT_FALSE(FileExists(file));
    EXPECT_TRUE(g_MainFrame.m_devMode == kept);
    EXPECT_EQ(g_MainFrame.m_pageRanges, (Ranges{{1, 1}})) << "range 0 was reset to page 1";
}

// --- Print enabled only with something to print --------------------------------------

TEST_F(PrintTest, PrintIsDisabledWhileTheShownViewHasNoPrintExtent) {
    auto enabled = [] {
        RunIdleHandlers();
        return g_MainFrame.UIIsEnabled(ID_FILE_PRINT);
    };
    EXPECT_FALSE(enabled()) << "no view";
    EXPECT_FALSE(Print([](CVorpelPrintDialog&) {}));
    CSheetPrintView* view = OpenSheet(L"Main");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(enabled());
    // A board or library view has no extent: nothing would come out.
    view->printExtent = SIZE{0, 0};
    EXPECT_FALSE(enabled());
    EXPECT_FALSE(Print([](CVorpelPrintDialog&) {}));
    EXPECT_EQ(view->draws, 0);
}

TEST_F(PrintTest, TheSymbolEditorHasNothingToPrint) {
    RegisterEditorViews();
    const std::wstring library =
        PathJoin(PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples"), L"demo.symbol");
    ASSERT_TRUE(g_MainFrame.Open(library, kDocumentSymbolLibrary));
    std::vector<CTreeNode*> todo{&g_MainFrame.GetRoot(kDocumentSymbolLibrary)};
    CTreeNode* package = nullptr;
    while (!todo.empty() && !package) {
        CTreeNode* node = todo.back();
        todo.pop_back();
        if (node->GetType() == NodeType::Package)
            package = node;
        for (CTreeNode* child : node->GetChildren())
            todo.push_back(child);
    }
    ASSERT_NE(package, nullptr);
    CVorpelView* view = g_MainFrame.OpenNodeView(package);
    RegisterViewMaker(NodeType::Package, nullptr);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->GetViewKind(), kViewSymbol);
    RunIdleHandlers();
    EXPECT_FALSE(g_MainFrame.UIIsEnabled(ID_FILE_PRINT));
    EXPECT_FALSE(Print([](CVorpelPrintDialog&) {}));
}

// --- The preview page --------------------------------------------------------------

TEST_F(PrintTest, ThePreviewStepsThroughTheTilesAndFollowsThePaper) {
    CVorpelView* view = OpenSheetInEditor(L"Power");
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(Print([&](CVorpelPrintDialog& d) {
        ChoosePdf(d.GeneralPage(), L"A4", true, Pdf(L"never.pdf"));
        ASSERT_TRUE(d.SetActivePage(1));
        CPrintPreviewPage& p = d.PreviewPage();
        auto shown = [&](int id) { return (p.GetDlgItem(id)->GetStyle() & WS_VISIBLE) != 0; };
        auto on = [&](int id) { return p.GetDlgItem(id)->IsWindowEnabled(); };
        EXPECT_EQ(d.GetMaxPage(), 4);
        EXPECT_EQ(p.GetCurrentPage(), 0);
        EXPECT_EQ(p.GetDlgItemText(CPrintPreviewPage::kPageNumber), L"1");
        EXPECT_FALSE(on(CPrintPreviewPage::kPrevPage));
        EXPECT_TRUE(on(CPrintPreviewPage::kNextPage));
        for (int i = 0; i < 5; ++i)
            ClickButton(p, CPrintPreviewPage::kNextPage);
        EXPECT_EQ(p.GetCurrentPage(), 3) << "Next stops at the last tile";
        EXPECT_EQ(p.GetDlgItemText(CPrintPreviewPage::kPageNumber), L"4");
        EXPECT_TRUE(on(CPrintPreviewPage::kPrevPage));
        EXPECT_FALSE(on(CPrintPreviewPage::kNextPage));
        ClickButton(p, CPrintPreviewPage::kPrevPage);
        EXPECT_EQ(p.GetCurrentPage(), 2);

        // Fitting: one page, the stepping controls hidden.
        ClickButton(p, CPrintPreviewPage::kFitInPage);
        EXPECT_TRUE(g_MainFrame.GetFitInPage());
        EXPECT_EQ(d.GetMaxPage(), 1);
        EXPECT_FALSE(shown(CPrintPreviewPage::kPrevPage));
        EXPECT_FALSE(shown(CPrintPreviewPage::kNextPage));
        EXPECT_FALSE(shown(CPrintPreviewPage::kPageNumber));
        ClickButton(p, CPrintPreviewPage::kFitInPage);
        EXPECT_TRUE(shown(CPrintPreviewPage::kNextPage));
        EXPECT_EQ(d.GetMaxPage(), 4);

        // The sheet in the preview has the paper's proportions: landscape A4,
        // then, after another paper on the General page, portrait A3.
        RECT area = p.GetDlgItem(CPrintPreviewPage::kPreview)->GetClientRect();
        RECT s = p.SheetRect(area);
        EXPECT_NEAR(double(s.right - s.left) / (s.bottom - s.top), 297.0 / 210.0, 0.02);
        ASSERT_TRUE(d.SetActivePage(0));
        ChoosePdf(d.GeneralPage(), L"A3", false, Pdf(L"never.pdf"));
        ASSERT_TRUE(d.SetActivePage(1));
        EXPECT_EQ(p.GetPreviewDevMode().paper.length, 4200);
        EXPECT_EQ(p.GetCurrentPage(), 0);
        EXPECT_EQ(d.GetMaxPage(), 2) << "two portrait A3 pages across";
        s = p.SheetRect(area);
        EXPECT_NEAR(double(s.right - s.left) / (s.bottom - s.top), 297.0 / 420.0, 0.02);
        ClickButton(d, IDCANCEL);
    }));
    EXPECT_FALSE(FileExists(Pdf(L"never.pdf")));
}

TEST_F(PrintTest, PictureOfThePreviewWithTheExampleSheet) {
    CVorpelView* view = OpenSheetInEditor(L"Main");
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(Print([&](CVorpelPrintDialog& d) {
        // The Preview page shown over the General page: nothing of the
        // General page may be left on the screen.
        auto picture = [&](const wchar_t* name) {
            PumpPendingMessages();
            screen_picture::CheckAndWrite(d, name);
            dialog_fit::ExpectTextsFit(d, WideToUtf8(name));
        };
        ChoosePdf(d.GeneralPage(), L"A4", true, Pdf(L"never.pdf"));
        picture(L"print-general");
        ASSERT_TRUE(d.SetActivePage(1));
        CPrintPreviewPage& p = d.PreviewPage();
        picture(L"print-preview");

        // Inside the sheet something other than paper white is drawn; the
        // area around the sheet has the workspace colour.
        PlatformWindow* area = p.GetDlgItem(CPrintPreviewPage::kPreview);
        auto preview =
            PaintTarget::CreateImage(area->GetClientRect().right, area->GetClientRect().bottom);
        area->RenderTo(*preview);
        RECT s = p.SheetRect(area->GetClientRect());
        int ink = 0;
        for (int y = s.top + 4; y < s.bottom - 4; ++y)
            for (int x = s.left + 4; x < s.right - 4; ++x)
                ink += preview->PixelAt(x, y) != 0xFFFFFFFFu;
        EXPECT_GT(ink, 50);
        EXPECT_NE(preview->PixelAt(2, 2), 0xFFFFFFFFu);
        ClickButton(d, IDCANCEL);
    }));
}

} // namespace
