// The two colour pages of the Options sheet driven as a user would: what
// they store when left, the blink of a chosen entry (and that no inverted
// colour survives it), the colour and font dialogs, the zoom buttons, the
// palette files compared as text, the previews' pixels, and the pictures of
// every page.
#include "core/board_layer.h"
#include "core/default_settings.h"
#include "dialogs/options.h"
#include "dialogs/settings_commands.h"
#include "platform/color_dialog.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/font_dialog.h"
#include "platform/paint_target.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/dialogs/options_test_util.h"
#include "tests/screen_picture.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

namespace {

using namespace options_test;
using Lines = std::vector<std::string>;
using SC = CSchematicColors;
using BC = CBoardColors;

constexpr int kSchematicTab = 1;
constexpr int kBoardColorsTab = 3;
// Board colour list entries.
constexpr int kBoardBackground = 0;
constexpr int kTopEntry = BC::kObjectEntries + kLayerTop;

ARGB Argb(COLORREF c) {
    return ColorRefToArgb(c, 0xFF);
}

// The pixels of a control as it paints itself now.
std::unique_ptr<PaintTarget> Render(PlatformWindow* w) {
    RECT rc = w->GetClientRect();
    auto image = PaintTarget::CreateImage(rc.right, rc.bottom);
    w->RenderTo(*image);
    return image;
}

// Answers file dialogs with a path for the time of the object.
class ScopedFileAnswer {
public:
    explicit ScopedFileAnswer(std::wstring path, bool confirm = true)
        : previous_(SetFileDialogHook([this](FileDialogKind kind, FileDialogRequest& r) {
              kinds.push_back(kind);
              requests.push_back(r);
              r.fileName = path_;
              return confirm_;
          })),
          path_(std::move(path)), confirm_(confirm) {}
    ~ScopedFileAnswer() { SetFileDialogHook(std::move(previous_)); }
    std::vector<FileDialogKind> kinds;
    std::vector<FileDialogRequest> requests;

private:
    FileDialogHook previous_;
    std::wstring path_;
    bool confirm_;
};

class ColorPages : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsStore::Reset();
        g_DefaultSettings = DefaultSettings();
        palette_ = ConfigFolder() + L"/palette.ini";
        RemoveFile(palette_);
    }
    void TearDown() override {
        SetChooseColorHook(nullptr);
        SetChooseFontHook(nullptr);
        SettingsStore::Reset();
        g_DefaultSettings = DefaultSettings();
        RemoveFile(palette_);
    }
    // Runs the Options command; drive gets the sheet with the tab shown.
    int Run(int tab, std::function<void(COptions&)> drive) {
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            auto* sheet = dynamic_cast<COptions*>(&d);
            ASSERT_NE(sheet, nullptr);
            ClickTab(*sheet, tab);
            ASSERT_EQ(sheet->GetActiveIndex(), tab);
            drive(*sheet);
        });
        return RunOptionsSheet(nullptr);
    }
    static void FireBlinkTimer(CColorPage& page) {
        ASSERT_TRUE(page.HasTimer(CColorPage::kBlinkTimer));
        page.SendMessage(WM_TIMER, CColorPage::kBlinkTimer);
    }
    static std::string FileText(const std::wstring& path) {
        std::string bytes;
        ReadWholeFile(path, bytes);
        return bytes;
    }
    std::wstring palette_;
    ScopedUiHooksRecorder ui;
};

TEST_F(ColorPages, SchematicColorsShowsAndStoresItsValuesWhenLeft) {
    EXPECT_EQ(
        Run(kSchematicTab,
            [&](COptions& s) {
                SC& p = s.m_schematicColors;
                EXPECT_EQ(ComboTexts(p, SC::kUnit), (std::vector<std::wstring>{L"inch", L"mm"}));
                EXPECT_EQ(p.GetDlgItemText(SC::kWireWidth), L"0.150");
                EXPECT_EQ(p.GetDlgItemText(SC::kBusWidth), L"0.500");
                EXPECT_EQ(p.GetDlgItemText(SC::kConnectionDot), L"1.000");
                EXPECT_EQ(p.GetDlgItemText(SC::kFont), L"Arial Unicode MS");
                auto* list = p.GetDlgItemAs<ListBoxControl>(SC::kList);
                std::vector<std::wstring> entries;
                for (int i = 0; i < list->GetCount(); ++i)
                    entries.push_back(list->GetText(i));
                EXPECT_EQ(entries, (std::vector<std::wstring>{
                                       L"Schematic background", L"Selected", L"Schematic grid",
                                       L"Schematic dot", L"Wire", L"Bus", L"Part", L"Comment"}));
                PickComboEntry(p, SC::kUnit, 0);
                EXPECT_EQ(p.GetDlgItemText(SC::kWireWidth), L"0.006");
                EXPECT_EQ(p.GetDlgItemText(SC::kBusWidth), L"0.020");
                EXPECT_EQ(p.GetDlgItemText(SC::kConnectionDot), L"0.039");
                Type(p, SC::kBusWidth, L"0.03");
                ClickTab(s, 0);
                ClickItem(s, 2);
            }),
        2);
    const DefaultSettings d;
    // The Sheet Size page, left first, then this page over it.
    EXPECT_EQ(StoredSection(kDefaultSettingsKey),
              (Lines{NumberLine("Unit", 0), NumberLine("SheetSizeStd", 3),
                     LengthLine("SheetWidth", 420.0f), LengthLine("SheetHeight", 297.0f),
                     LengthLine("GridWidth", 2.5f), TextLine("Font", "Arial Unicode MS"),
                     LengthLine("WireWidth", 0.15f),
                     LengthLine("BusWidth", static_cast<float>(0.03f * 25.4)),
                     LengthLine("ConnCircle", 1.0f), NumberLine("ColorBkg", d.colorBkg),
                     NumberLine("ColorSel", d.colorSel), NumberLine("ColorGrid", d.colorGrid),
                     NumberLine("ColorDot", d.colorDot), NumberLine("ColorBrd", d.colorBrd),
                     NumberLine("ColorWire", d.colorWire), NumberLine("ColorBus", d.colorBus),
                     NumberLine("ColorSymbol", d.colorSymbol),
                     NumberLine("ColorComment", d.colorComment)}));
    EXPECT_EQ(g_DefaultSettings.unit, 0);
    EXPECT_FLOAT_EQ(g_DefaultSettings.busWidth, 0.762f);
}

TEST_F(ColorPages, SchematicLengthsMustBeReadableAndInRange) {
    EXPECT_EQ(Run(kSchematicTab,
                  [&](COptions& s) {
                      SC& p = s.m_schematicColors;
                      Type(p, SC::kWireWidth, L"0"); // a width may be 0
                      for (auto [id, text] :
                           {std::pair{SC::kBusWidth, L"-0.5"}, std::pair{SC::kConnectionDot, L"0"},
                            std::pair{SC::kBusWidth, L"wide"}}) {
                          Type(p, id, text);
                          ClickTab(s, 2);
                          EXPECT_EQ(s.GetActiveIndex(), kSchematicTab);
                          EXPECT_EQ(PlatformWindow::GetFocus(), p.GetDlgItem(id));
                          Type(p, id, id == SC::kBusWidth ? L"0.5" : L"1");
                      }
                      EXPECT_EQ(ui.beeps.size(), 3u);
                      EXPECT_EQ(StoredSection(kDefaultSettingsKey).size(), 5u);
                      ClickItem(s, 1);
                  }),
              1);
    EXPECT_EQ(g_DefaultSettings.wireWidth, 0.0f);
    // Font, the three lengths and the nine colours join the Sheet Size
    // page's five values; "Unit" is shared.
    EXPECT_EQ(StoredSection(kDefaultSettingsKey).size(), 5u + 13u);
}

// A chosen entry shows inverted in the preview for one timer period.
TEST_F(ColorPages, AChosenEntryBlinksOnce) {
    const COLORREF bus = g_DefaultSettings.colorBus;
    const COLORREF background = g_DefaultSettings.colorBkg;
    Run(kSchematicTab, [&](COptions& s) {
        SC& p = s.m_schematicColors;
        PlatformWindow* preview = p.GetDlgItem(SC::kPreview);
        EXPECT_EQ(Render(preview)->PixelAt(3, 3), Argb(background));
        ClickListEntry(p, SC::kList, 5);
        EXPECT_EQ(p.SelectedEntry(), 5);
        EXPECT_EQ(g_DefaultSettings.colorBus, bus ^ 0xFFFFFFu);
        EXPECT_EQ(p.BlinkingColor(), &g_DefaultSettings.colorBus);
        EXPECT_TRUE(p.HasTimer(CColorPage::kBlinkTimer));
        EXPECT_EQ(PlatformWindow::GetFocus(), p.GetDlgItem(SC::kZoomIn));
        FireBlinkTimer(p);
        EXPECT_EQ(g_DefaultSettings.colorBus, bus);
        EXPECT_EQ(p.BlinkingColor(), nullptr);
        EXPECT_FALSE(p.HasTimer(CColorPage::kBlinkTimer));
        // The background entry blinks the preview's background.
        ClickListEntry(p, SC::kList, 0);
        EXPECT_EQ(Render(preview)->PixelAt(3, 3), Argb(background ^ 0xFFFFFFu));
        FireBlinkTimer(p);
        EXPECT_EQ(Render(preview)->PixelAt(3, 3), Argb(background));
        // The grid entries switch the preview's grid between lines and dots.
        ClickListEntry(p, SC::kList, SC::kDotEntry);
        EXPECT_EQ(p.m_gridLines, 0);
        ClickListEntry(p, SC::kList, SC::kGridEntry);
        EXPECT_EQ(p.m_gridLines, 1);
        ClickItem(s, 2);
    });
    EXPECT_EQ(g_DefaultSettings.colorGrid, DefaultSettings().colorGrid);
}

// A second choice, or the same one again, within the blink gives the first
// colour back before it inverts anything: no colour stays inverted.
TEST_F(ColorPages, ANewBlinkPutsThePendingOneBackFirst) {
    const DefaultSettings d;
    Run(kSchematicTab, [&](COptions& s) {
        SC& p = s.m_schematicColors;
        ClickListEntry(p, SC::kList, 4); // wire
        ClickListEntry(p, SC::kList, 5); // bus, within the blink
        EXPECT_EQ(g_DefaultSettings.colorWire, d.colorWire);
        EXPECT_EQ(g_DefaultSettings.colorBus, d.colorBus ^ 0xFFFFFFu);
        ClickListEntry(p, SC::kList, 5); // the same again
        EXPECT_EQ(g_DefaultSettings.colorBus, d.colorBus ^ 0xFFFFFFu);
        EXPECT_EQ(p.SavedColor(), d.colorBus);
        FireBlinkTimer(p);
        EXPECT_EQ(g_DefaultSettings.colorBus, d.colorBus);
        ClickTab(s, 0);
        ClickItem(s, 2);
    });
    Lines stored = StoredSection(kDefaultSettingsKey);
    EXPECT_NE(std::find(stored.begin(), stored.end(), NumberLine("ColorWire", d.colorWire)),
              stored.end());
    EXPECT_NE(std::find(stored.begin(), stored.end(), NumberLine("ColorBus", d.colorBus)),
              stored.end());
}

// Leaving the page, OK or Cancel during a blink store and keep the colour as
// it was, not inverted; the timer ends with the page.
TEST_F(ColorPages, LeavingDuringABlinkStoresTheTrueColour) {
    const DefaultSettings d;
    Run(kBoardColorsTab, [&](COptions& s) {
        BC& p = s.m_boardColors;
        ClickListEntry(p, BC::kList, kTopEntry);
        EXPECT_EQ(g_DefaultSettings.layerColors[kLayerTop], d.layerColors[kLayerTop] ^ 0xFFFFFFu);
        ClickTab(s, 0);
        EXPECT_FALSE(p.HasTimer(CColorPage::kBlinkTimer));
        EXPECT_EQ(g_DefaultSettings.layerColors[kLayerTop], d.layerColors[kLayerTop]);
        ClickTab(s, kBoardColorsTab);
        ClickListEntry(p, BC::kList, kBoardBackground);
        ClickItem(s, 1);
    });
    EXPECT_EQ(g_DefaultSettings.colorBoard, d.colorBoard);
    Lines stored = StoredSection(kDefaultSettingsKey);
    EXPECT_NE(std::find(stored.begin(), stored.end(), NumberLine("ColorTOP", d.layerColors[0])),
              stored.end());
    EXPECT_NE(std::find(stored.begin(), stored.end(), NumberLine("ColorBoard", d.colorBoard)),
              stored.end());
    // Cancel: the page goes without storing, and takes the blink with it.
    SettingsStore::Reset();
    Run(kSchematicTab, [&](COptions& s) {
        ClickListEntry(s.m_schematicColors, SC::kList, 7);
        ClickItem(s, 2);
    });
    EXPECT_EQ(g_DefaultSettings.colorComment, d.colorComment);
}

// The board list draws each entry's swatch; a blinking entry keeps its true
// colour in the list while the preview shows it inverted.
TEST_F(ColorPages, BoardListSwatchesShowTheTrueColour) {
    g_DefaultSettings.layerColors[kLayerTop] = 0x00336699;
    Run(kBoardColorsTab, [&](COptions& s) {
        BC& p = s.m_boardColors;
        auto* list = p.GetDlgItemAs<ListBoxControl>(BC::kList);
        ASSERT_EQ(list->GetCount(), BC::kEntryCount);
        EXPECT_EQ(list->GetText(0), L"Board background");
        EXPECT_EQ(list->GetText(5), L"Drill");
        EXPECT_EQ(list->GetText(kTopEntry), L"Top");
        EXPECT_EQ(list->GetText(BC::kEntryCount - 1), L"Package outline bottom");
        ClickListEntry(p, BC::kList, kTopEntry);
        RECT rc;
        ASSERT_TRUE(list->GetItemRect(kTopEntry, &rc));
        const int mid = (rc.top + rc.bottom) / 2;
        auto pixels = Render(list);
        EXPECT_EQ(pixels->PixelAt(rc.left + 4, mid), Argb(0x00336699));
        EXPECT_EQ(pixels->PixelAt(rc.left + 4, mid + (rc.bottom - rc.top)),
                  Argb(g_DefaultSettings.layerColors[kLayerBottom]));
        ClickItem(s, 2);
    });
}

TEST_F(ColorPages, DoubleClickEditsTheEntryColour) {
    const COLORREF part = g_DefaultSettings.colorSymbol;
    int asked = 0;
    bool confirm = true;
    SetChooseColorHook([&](ChooseColorRequest& r) {
        ++asked;
        // Opened on the true colour, not the blink's inverse.
        EXPECT_EQ(r.rgbResult, part);
        EXPECT_EQ(r.flags, CC_RGBINIT | CC_FULLOPEN);
        EXPECT_EQ(r.customColors, g_DefaultSettings.customColors);
        r.customColors[3] = 0x00ABCDEF;
        r.rgbResult = 0x00123456;
        return confirm;
    });
    Run(kSchematicTab, [&](COptions& s) {
        SC& p = s.m_schematicColors;
        confirm = false;
        ClickListEntry(p, SC::kList, 6, true);
        EXPECT_EQ(g_DefaultSettings.colorSymbol, part);
        confirm = true;
        ClickListEntry(p, SC::kList, 6, true);
        EXPECT_EQ(asked, 2);
        EXPECT_EQ(g_DefaultSettings.colorSymbol, 0x00123456u);
        EXPECT_EQ(p.BlinkingColor(), nullptr);
        EXPECT_FALSE(p.HasTimer(CColorPage::kBlinkTimer));
        ClickItem(s, 2);
    });
    // In force at once, kept after Cancel; the custom colours live on.
    EXPECT_EQ(g_DefaultSettings.colorSymbol, 0x00123456u);
    EXPECT_EQ(g_DefaultSettings.customColors[3], 0x00ABCDEFu);
}

TEST_F(ColorPages, ZoomButtonsStepByPowersOfTwo) {
    Run(kBoardColorsTab, [&](COptions& s) {
        BC& b = s.m_boardColors;
        EXPECT_EQ(b.Zoom(), 4);
        std::vector<int> zooms;
        for (int i = 0; i < 5; ++i) {
            ClickItem(b, BC::kZoomIn);
            zooms.push_back(b.Zoom());
        }
        for (int i = 0; i < 6; ++i) {
            ClickItem(b, BC::kZoomOut);
            zooms.push_back(b.Zoom());
        }
        EXPECT_EQ(zooms, (std::vector<int>{8, 16, 16, 16, 16, 8, 4, 2, 1, 1, 1}));
        // The schematic preview shows zoom x 4.4 mm: "+" makes it smaller.
        ClickTab(s, kSchematicTab);
        SC& p = s.m_schematicColors;
        zooms.clear();
        for (int i = 0; i < 3; ++i) {
            ClickItem(p, SC::kZoomIn);
            zooms.push_back(p.Zoom());
        }
        for (int i = 0; i < 5; ++i) {
            ClickItem(p, SC::kZoomOut);
            zooms.push_back(p.Zoom());
        }
        EXPECT_EQ(zooms, (std::vector<int>{2, 1, 1, 2, 4, 8, 16, 16}));
        ClickItem(s, 2);
    });
}

// Saving writes the page's section as decimal integers, keeping the rest of
// the file; loading restores every colour of the section, the sheet border
// that the list does not show included.
TEST_F(ColorPages, PaletteFilesRoundTrip) {
    g_DefaultSettings.colorBkg = 0x00FFFFFA;
    g_DefaultSettings.colorBrd = 0x00010203;
    g_DefaultSettings.colorComment = 0x00C0FFEE;
    g_DefaultSettings.layerColors[kLayerPackageOutlineBottom] = 0x00000001;
    {
        ScopedFileAnswer answer(palette_);
        Run(kBoardColorsTab, [&](COptions& s) {
            ClickItem(s.m_boardColors, BC::kSavePalette);
            ClickTab(s, kSchematicTab);
            ClickListEntry(s.m_schematicColors, SC::kList, 7); // blinking while saved
            ui.Answer({IDYES});                                // replace the file
            ClickItem(s.m_schematicColors, SC::kSavePalette);
            ClickItem(s, 2);
        });
        ASSERT_EQ(answer.requests.size(), 2u);
        for (const FileDialogRequest& r : answer.requests) {
            ASSERT_EQ(r.filters.size(), 2u);
            EXPECT_EQ(r.filters[0].first, L"INI Files (*.ini)");
            EXPECT_EQ(r.filters[0].second, L"*.ini");
            EXPECT_EQ(r.filters[1].first, L"All Files (*.*)");
            EXPECT_EQ(r.filters[1].second, L"*.*");
            EXPECT_EQ(r.initialDir, DocumentsFolder() + L"/Vorpel/");
            EXPECT_TRUE(r.defaultExt.empty());
            EXPECT_TRUE(r.overwritePrompt);
        }
        EXPECT_EQ(answer.kinds,
                  (std::vector<FileDialogKind>{FileDialogKind::Save, FileDialogKind::Save}));
    }
    std::string board = "[BrdColor]\n";
    for (const std::wstring& name : DefaultSettings::BoardColorNames())
        board +=
            WideToUtf8(name) + "=" + std::to_string(*g_DefaultSettings.ColorByName(name)) + "\n";
    const std::string schematic = "[SchColor]\n"
                                  "ColorBkg=16777210\n"
                                  "ColorSel=16711935\n"
                                  "ColorGrid=13816530\n"
                                  "ColorDot=13158600\n"
                                  "ColorBrd=66051\n"
                                  "ColorWire=16711680\n"
                                  "ColorBus=16711680\n"
                                  "ColorSymbol=0\n"
                                  "ColorComment=12648430\n";
    EXPECT_EQ(FileText(palette_), board + "\n" + schematic);

    // Another profile loads them back.
    g_DefaultSettings = DefaultSettings();
    {
        ScopedFileAnswer answer(palette_);
        Run(kSchematicTab, [&](COptions& s) {
            ClickItem(s.m_schematicColors, SC::kLoadPalette);
            EXPECT_EQ(g_DefaultSettings.colorBrd, 0x00010203u);
            EXPECT_EQ(g_DefaultSettings.colorComment, 0x00C0FFEEu);
            // The board colours wait for their own page.
            EXPECT_EQ(g_DefaultSettings.layerColors[kLayerPackageOutlineBottom],
                      DefaultSettings().layerColors[kLayerPackageOutlineBottom]);
            ClickTab(s, kBoardColorsTab);
            ClickItem(s.m_boardColors, BC::kLoadPalette);
            ClickItem(s, 1);
        });
        EXPECT_EQ(answer.kinds,
                  (std::vector<FileDialogKind>{FileDialogKind::Open, FileDialogKind::Open}));
        EXPECT_FALSE(answer.requests[0].overwritePrompt);
    }
    EXPECT_EQ(g_DefaultSettings.layerColors[kLayerPackageOutlineBottom], 0x00000001u);
    Lines stored = StoredSection(kDefaultSettingsKey);
    EXPECT_NE(std::find(stored.begin(), stored.end(), NumberLine("ColorBrd", 0x00010203)),
              stored.end());
    EXPECT_NE(std::find(stored.begin(), stored.end(), NumberLine("ColorOLB", 1)), stored.end());
}

// A file without the page's section, or with keys missing, or unreadable,
// leaves those colours as they are; a foreign high byte is dropped.
TEST_F(ColorPages, LoadingAForeignPaletteChangesOnlyWhatItHolds) {
    ASSERT_TRUE(WriteWholeFile(palette_, "[BrdColor]\r\nColorBoard=255\r\n[SchColor]\r\n"
                                         "ColorBus = 0x00FF00\r\nColorWire=-1\r\n"
                                         "ColorGrid=abc\r\n"));
    const DefaultSettings d;
    ScopedFileAnswer answer(palette_);
    Run(kSchematicTab, [&](COptions& s) {
        ClickItem(s.m_schematicColors, SC::kLoadPalette);
        ClickItem(s, 2);
    });
    EXPECT_EQ(g_DefaultSettings.colorBus, 0x0000FF00u);
    EXPECT_EQ(g_DefaultSettings.colorWire, 0x00FFFFFFu);
    EXPECT_EQ(g_DefaultSettings.colorGrid, 0u);
    EXPECT_EQ(g_DefaultSettings.colorBkg, d.colorBkg);
    EXPECT_EQ(g_DefaultSettings.colorBoard, d.colorBoard);
    // Cancelled dialogs and missing files change nothing.
    g_DefaultSettings = DefaultSettings();
    ScopedFileAnswer cancel(palette_, false);
    Run(kSchematicTab, [&](COptions& s) {
        ClickItem(s.m_schematicColors, SC::kLoadPalette);
        ClickItem(s.m_schematicColors, SC::kSavePalette);
        ClickItem(s, 2);
    });
    EXPECT_EQ(g_DefaultSettings.colorBus, d.colorBus);
    ScopedFileAnswer missing(ConfigFolder() + L"/none.ini");
    Run(kSchematicTab, [&](COptions& s) {
        ClickItem(s.m_schematicColors, SC::kLoadPalette);
        ClickItem(s, 2);
    });
    EXPECT_EQ(g_DefaultSettings.colorBus, d.colorBus);
    EXPECT_TRUE(ui.messageBoxes.empty());
}

// A palette that cannot be written is reported, not silently dropped.
TEST_F(ColorPages, AFailedPaletteSaveIsReported) {
    const std::wstring path = ConfigFolder() + L"/no/such/folder/palette.ini";
    ScopedFileAnswer answer(path);
    Run(kBoardColorsTab, [&](COptions& s) {
        ClickItem(s.m_boardColors, BC::kSavePalette);
        ClickItem(s, 2);
    });
    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].text, L"File save error \n" + path);
    EXPECT_EQ(ui.messageBoxes[0].caption, L"Vorpel");
    EXPECT_EQ(ui.messageBoxes[0].Icon(), MB_ICONERROR);
}

// The font dialog offers one size, the grid's twentieth in points and at
// least 1; the face chosen shows on the button and is stored when the page
// is left.
TEST_F(ColorPages, FontDialogSetsTheSchematicFace) {
    struct Seen {
        int sizeMin, sizeMax;
        int32_t height;
    };
    std::vector<Seen> seen;
    bool confirm = false;
    SetChooseFontHook([&](ChooseFontRequest& r) {
        seen.push_back({r.sizeMin, r.sizeMax, r.logFont->lfHeight});
        EXPECT_EQ(r.flags & CF_LIMITSIZE, CF_LIMITSIZE);
        EXPECT_EQ(r.logFont, &g_DefaultSettings.font);
        r.logFont->lfFaceName = L"Tahoma";
        r.logFont->lfHeight = -40;
        return confirm;
    });
    Run(kSchematicTab, [&](COptions& s) {
        SC& p = s.m_schematicColors;
        ClickItem(p, SC::kFont);
        EXPECT_EQ(p.GetDlgItemText(SC::kFont), L"Arial Unicode MS");
        confirm = true;
        ClickItem(p, SC::kFont);
        EXPECT_EQ(p.GetDlgItemText(SC::kFont), L"Tahoma");
        EXPECT_EQ(g_DefaultSettings.font.lfFaceName, L"Tahoma");
        g_DefaultSettings.gridWidth = 50.0f;
        ClickItem(p, SC::kFont);
        ClickTab(s, 0);
        ClickItem(s, 2);
    });
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].sizeMin, 1); // 2.5 mm / 20 has no whole point
    EXPECT_EQ(seen[0].sizeMax, 1);
    EXPECT_EQ(seen[0].height, 1); // 4 x 1 / 3
    EXPECT_EQ(seen[2].sizeMin, 2);
    EXPECT_EQ(seen[2].height, 2);
    Lines stored = StoredSection(kDefaultSettingsKey);
    EXPECT_NE(std::find(stored.begin(), stored.end(), TextLine("Font", "Tahoma")), stored.end());
}

// The sheet on the screen, its pages visited in turn and the first one
// again: each shows alone, with nothing of the page before it left behind,
// as a full repaint would show it.
TEST_F(ColorPages, EachPageShowsAloneAfterTheOthers) {
    const wchar_t* names[] = {L"options-again-sheet-size", L"options-after-sheet-size",
                              L"options-after-schematic-colors", L"options-after-board-settings"};
    Run(0, [&](COptions& s) {
        ASSERT_NE(screen_picture::Grab(s), nullptr);
        for (int tab : {1, 2, 3, 0}) {
            ClickTab(s, tab);
            ASSERT_EQ(s.GetActiveIndex(), tab);
            EXPECT_TRUE(screen_picture::SameAfterFullRepaint(s, names[tab]));
        }
    });
}

// Each page shown once all the others were visited since it was last on the
// screen: whatever they painted is gone where the page lies.
TEST_F(ColorPages, EveryPageShowsAloneAfterAllTheOthers) {
    const char* names[] = {"options-sheet-size-after-all", "options-schematic-colors-after-all",
                           "options-board-settings-after-all", "options-board-colors-after-all"};
    Run(0, [&](COptions& s) {
        for (int page = 0; page < 4; ++page) {
            for (int other = 0; other < 4; ++other)
                if (other != page)
                    ClickTab(s, other);
            ClickTab(s, page);
            ASSERT_EQ(s.GetActiveIndex(), page);
            dialog_driver::CheckRepaint(s, names[page]);
        }
    });
}

// Each page with its preview, as pictures for people to look at; the
// previews draw the sample in the settings' colours.
TEST_F(ColorPages, PicturesOfEveryPage) {
    const char* names[] = {"options-sheet-size", "options-schematic-colors",
                           "options-board-settings", "options-board-colors"};
    for (int tab = 0; tab < 4; ++tab) {
        Run(tab, [&](COptions& s) {
            screen_picture::CheckAndWrite(s, Utf8ToWide(names[tab]));
            if (tab == kSchematicTab || tab == kBoardColorsTab) {
                CColorPage& page = tab == kSchematicTab
                                       ? static_cast<CColorPage&>(s.m_schematicColors)
                                       : static_cast<CColorPage&>(s.m_boardColors);
                // The whole sample in sight: the schematic preview at its
                // widest, the board preview at the start.
                if (tab == kSchematicTab)
                    for (int i = 0; i < 2; ++i)
                        ClickItem(page, CColorPage::kZoomOut);
                auto preview = Render(page.GetDlgItem(CColorPage::kPreview));
                // A black frame round the background, and the sample's
                // colours inside.
                EXPECT_EQ(preview->PixelAt(0, 0), 0xFF000000u);
                std::set<ARGB> colors;
                for (int y = 1; y < preview->Height() - 1; ++y)
                    for (int x = 1; x < preview->Width() - 1; ++x)
                        colors.insert(preview->PixelAt(x, y));
                const DefaultSettings& d = g_DefaultSettings;
                std::vector<COLORREF> expected =
                    tab == kSchematicTab
                        ? std::vector<COLORREF>{d.colorBkg, d.colorGrid, d.colorSymbol, d.colorWire,
                                                d.colorSel}
                        : std::vector<COLORREF>{d.colorBoard,
                                                d.colorOrg,
                                                d.colorBoardGrid,
                                                d.layerColors[kLayerTop],
                                                d.layerColors[kLayerBottom],
                                                d.colorDrill};
                for (COLORREF c : expected)
                    EXPECT_TRUE(colors.count(Argb(c))) << std::hex << c;
            }
            ClickItem(s, 2);
        });
    }
}

} // namespace
