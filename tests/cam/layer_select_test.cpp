// The "Select Layers" dialog driven through the modal hook: which layers it
// lists and checks, click toggling, the output prefix it proposes, the
// browser, OK and Cancel, how it draws its rows, and the export it starts.
#include "cam/layer_select.h"

#include "board/board.h"
#include "board/layer.h"
#include "cam/gerber_export.h"
#include "core/root.h"
#include "dialogs/settings_commands.h"
#include "platform/bitmap.h"
#include "platform/dc_recorder.h"
#include "platform/device_context.h"
#include "platform/file.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/input_simulation.h"
#include "platform/paint_target.h"
#include "platform/settings_store.h"
#include "platform/system_colors.h"
#include "platform/text.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Id = CLayerSelect::ControlId;

const std::vector<std::wstring> kAlwaysListed = {
    L"Silkscreen top",  L"Silkscreen bottom",  L"Assembly top",     L"Assembly bottom",
    L"Solder mask top", L"Solder mask bottom", L"Solder paste top", L"Solder paste bottom",
};

std::vector<std::wstring> RowNames(CLayerSelectListCtrl* list) {
    std::vector<std::wstring> out;
    for (int i = 0; i < list->GetItemCount(); ++i)
        out.push_back(list->GetItemText(i, 0));
    return out;
}

void ClickRow(CLayerSelectListCtrl* list, int row, int x = 200) {
    RECT r;
    ASSERT_TRUE(list->GetItemRect(row, &r));
    SimulateMouse(list, WM_LBUTTONDOWN, POINT{x, (r.top + r.bottom) / 2}, MK_LBUTTON);
    SimulateMouse(list, WM_LBUTTONUP, POINT{x, (r.top + r.bottom) / 2});
}

void ClickButton(PlatformDialog& d, int id) {
    PlatformWindow* w = d.GetDlgItem(id);
    ASSERT_NE(w, nullptr) << id;
    SimulateMouse(w, WM_LBUTTONDOWN, POINT{3, 3}, MK_LBUTTON);
    SimulateMouse(w, WM_LBUTTONUP, POINT{3, 3});
}

CLayer* AddLayer(CBoard* board, int id, int type = kLayerTypeRouting, std::wstring net = L"") {
    auto* layer = new CLayer(id);
    layer->m_layerType = type;
    layer->m_net = std::move(net);
    board->AddChild(layer);
    return layer;
}

class LayerSelectDialog : public ::testing::Test {
protected:
    void SetUp() override {
        std::string dir = "/tmp/vorpel-layersel-XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        dir_ = PathFromNative(dir);
        project_.SetRootTag(L"Project");
        project_.SetFilePath(dir_ + L"/demo.circuit");
        board_ = new CBoard;
        board_->SetText(L"Main");
        project_.AddChild(board_);
        AddLayer(board_, kLayerTop);
        AddLayer(board_, kLayerBottom);
    }
    void TearDown() override {
        std::string cleanup = "rm -rf '" + PathToNative(dir_) + "'";
        EXPECT_EQ(std::system(cleanup.c_str()), 0);
    }

    // Runs the dialog for the board, driven by drive; answers its result.
    int Run(CLayerSelect& dlg, std::function<void(CLayerSelect&)> drive) {
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            ASSERT_EQ(&d, &dlg);
            drive(dlg);
            if (!d.IsEnded())
                d.EndDialog(IDCANCEL);
        });
        return dlg.DoModal();
    }

    std::wstring dir_;
    CRoot project_;
    CBoard* board_ = nullptr;
    ScopedUiHooksRecorder ui_;
};

// --- What is listed -------------------------------------------------------

TEST_F(LayerSelectDialog, ATwoLayerBoardListsElevenCheckedRows) {
    CLayerSelect dlg(board_);
    Run(dlg, [&](CLayerSelect& d) {
        EXPECT_EQ(d.GetWindowText(), L"Select Layers");
        CLayerSelectListCtrl* list = d.GetList();
        ASSERT_NE(list, nullptr);
        std::vector<std::wstring> expected = {L"Top", L"Bottom"};
        expected.insert(expected.end(), kAlwaysListed.begin(), kAlwaysListed.end());
        expected.push_back(L"Board outline");
        EXPECT_EQ(RowNames(list), expected);
        for (int i = 0; i < list->GetItemCount(); ++i)
            EXPECT_TRUE(list->GetCheckState(i)) << i;
        // Columns and list styles.
        ASSERT_EQ(list->GetColumnCount(), 3);
        // Widths for the templates' face, scaled to the dialog font.
        EXPECT_EQ(list->GetColumnWidth(0), PlatformDialog::MapTemplatePixels(list->GetFont(), 150));
        EXPECT_EQ(list->GetColumnWidth(1), PlatformDialog::MapTemplatePixels(list->GetFont(), 80));
        EXPECT_EQ(list->GetColumnWidth(2), PlatformDialog::MapTemplatePixels(list->GetFont(), 60));
        EXPECT_EQ(list->GetExtendedListViewStyle(), LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES);
        EXPECT_TRUE(list->GetStyle() & LVS_OWNERDRAWFIXED);
        EXPECT_TRUE(list->GetStyle() & LVS_SINGLESEL);
        ASSERT_NE(list->GetImageList(LVSIL_STATE), nullptr);
        EXPECT_EQ(list->GetImageList(LVSIL_STATE)->ImageWidth(), 16);
        // Each row's data is its entry.
        EXPECT_EQ(list->GetItemData(0), PtrToLParam(&d.m_layers[kLayerTop]));
        EXPECT_EQ(list->GetItemData(2), PtrToLParam(&d.m_layers[kLayerSilkscreenTop]));
        EXPECT_EQ(list->GetItemData(10), PtrToLParam(&d.m_outline));
        d.EndDialog(IDOK);
    });
    // The entries the export reads after the dialog has closed.
    for (int id = 0; id < kBoardLayerCount; ++id) {
        const LayerSelectEntry& e = dlg.m_layers[id];
        bool listed =
            id <= kLayerBottom || (id >= kLayerSilkscreenTop && id <= kLayerSolderPasteBottom);
        EXPECT_EQ(e.selected, listed ? 1 : 0) << id;
        EXPECT_EQ(e.id, id < kLayerPackageOutlineTop ? id : -1) << id;
        EXPECT_EQ(e.layer, id <= kLayerBottom ? board_->FindLayer(id) : nullptr) << id;
    }
    EXPECT_EQ(dlg.m_outline.selected, 1);
    EXPECT_EQ(dlg.m_outline.layer, nullptr);
    EXPECT_EQ(dlg.m_outline.id, -1);
}

struct InnerCase {
    const char* name;
    std::vector<int> inner; // inner layer ids with a stackup node
    std::vector<std::wstring> innerRows;
};

class LayerSelectInnerLayers : public LayerSelectDialog,
                               public ::testing::WithParamInterface<InnerCase> {};

TEST_P(LayerSelectInnerLayers, InnerLayersAreListedOnlyWithAStackupNode) {
    const InnerCase& c = GetParam();
    for (int id : c.inner)
        AddLayer(board_, id, kLayerTypePlane, L"GND");
    CLayerSelect dlg(board_);
    Run(dlg, [&](CLayerSelect& d) {
        std::vector<std::wstring> expected = {L"Top", L"Bottom"};
        expected.insert(expected.end(), c.innerRows.begin(), c.innerRows.end());
        expected.insert(expected.end(), kAlwaysListed.begin(), kAlwaysListed.end());
        expected.push_back(L"Board outline");
        EXPECT_EQ(RowNames(d.GetList()), expected);
        for (int i = 0; i < d.GetList()->GetItemCount(); ++i)
            EXPECT_TRUE(d.GetList()->GetCheckState(i)) << i;
        d.EndDialog(IDOK);
    });
    for (int id = kLayerInner1; id <= kLayerInner20; ++id) {
        bool present = std::find(c.inner.begin(), c.inner.end(), id) != c.inner.end();
        EXPECT_EQ(dlg.m_layers[id].selected, present ? 1 : 0) << id;
        EXPECT_EQ(dlg.m_layers[id].layer != nullptr, present) << id;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Stackups, LayerSelectInnerLayers,
    ::testing::Values(InnerCase{"FourLayers", {2, 3}, {L"Inner 1", L"Inner 2"}},
                      InnerCase{"Gaps", {5, 2, 21}, {L"Inner 1", L"Inner 4", L"Inner 20"}}),
    [](const ::testing::TestParamInfo<InnerCase>& info) { return info.param.name; });

TEST_F(LayerSelectDialog, PackageOutlineLayersAreNeverListed) {
    AddLayer(board_, kLayerPackageOutlineTop, kLayerTypeDoc);
    AddLayer(board_, kLayerPackageOutlineBottom, kLayerTypeDoc);
    CLayerSelect dlg(board_);
    Run(dlg, [](CLayerSelect& d) { EXPECT_EQ(d.GetList()->GetItemCount(), 11); });
    EXPECT_EQ(dlg.m_layers[kLayerPackageOutlineTop].selected, 0);
    EXPECT_EQ(dlg.m_layers[kLayerPackageOutlineBottom].selected, 0);
}

// --- Clicks ---------------------------------------------------------------

TEST_F(LayerSelectDialog, AClickAnywhereInARowTogglesItsEntry) {
    CLayerSelect dlg(board_);
    int result = Run(dlg, [&](CLayerSelect& d) {
        CLayerSelectListCtrl* list = d.GetList();
        ClickRow(list, 2); // Silkscreen top, in the type column
        EXPECT_FALSE(list->GetCheckState(2));
        EXPECT_EQ(d.m_layers[kLayerSilkscreenTop].selected, 0);
        ClickRow(list, 2, 5); // on the box itself
        EXPECT_TRUE(list->GetCheckState(2));
        EXPECT_EQ(d.m_layers[kLayerSilkscreenTop].selected, 1);
        ClickRow(list, 0, 60);
        ClickRow(list, 10, 260); // the outline row, in the net column
        EXPECT_FALSE(list->GetCheckState(0));
        EXPECT_FALSE(list->GetCheckState(10));
        EXPECT_EQ(list->GetSelectedIndex(), 10);
        // Below the last row nothing changes.
        RECT last;
        list->GetItemRect(10, &last);
        SimulateMouse(list, WM_LBUTTONDOWN, POINT{40, last.bottom + 3}, MK_LBUTTON);
        for (int i = 1; i < 10; ++i)
            EXPECT_TRUE(list->GetCheckState(i)) << i;
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_layers[kLayerTop].selected, 0);
    EXPECT_EQ(dlg.m_layers[kLayerBottom].selected, 1);
    EXPECT_EQ(dlg.m_layers[kLayerSilkscreenTop].selected, 1);
    EXPECT_EQ(dlg.m_outline.selected, 0);
}

// Fifteen rows in a list that shows thirteen: its scroll bar's arrows and
// thumb scroll it, and a press there toggles and selects no row.
TEST_F(LayerSelectDialog, ALongListScrollsByItsScrollBar) {
    for (int id = kLayerInner1; id < kLayerInner1 + 4; ++id)
        AddLayer(board_, id);
    CLayerSelect dlg(board_);
    Run(dlg, [&](CLayerSelect& d) {
        CLayerSelectListCtrl* list = d.GetList();
        ASSERT_EQ(list->GetItemCount(), 15);
        ASSERT_EQ(list->GetCountPerPage(), 13);
        ASSERT_TRUE(list->HasScrollBar());
        const RECT c = list->GetClientRect();
        const int x = c.right - ListViewControl::kScrollBarWidth / 2;
        auto press = [&](int y, int toY) {
            SimulateMouse(list, WM_LBUTTONDOWN, POINT{x, y}, MK_LBUTTON);
            SimulateMouse(list, WM_MOUSEMOVE, POINT{x, toY}, MK_LBUTTON);
            SimulateMouse(list, WM_LBUTTONUP, POINT{x, toY});
        };
        press(c.bottom - 3, c.bottom - 3); // the down arrow
        EXPECT_EQ(list->GetTopIndex(), 1);
        press(c.bottom - 3, c.bottom - 3);
        press(c.bottom - 3, c.bottom - 3);
        EXPECT_EQ(list->GetTopIndex(), 2);
        press(3, 3); // the up arrow
        EXPECT_EQ(list->GetTopIndex(), 1);
        // The thumb dragged to the top.
        press(c.bottom / 2, 0);
        EXPECT_EQ(list->GetTopIndex(), 0);
        EXPECT_EQ(list->GetSelectedIndex(), -1);
        for (int i = 0; i < list->GetItemCount(); ++i)
            EXPECT_TRUE(list->GetCheckState(i)) << i;
    });
}

// --- The output prefix ----------------------------------------------------

TEST_F(LayerSelectDialog, TheProjectPathGivesAFolderNamedAfterTheProject) {
    CLayerSelect dlg(board_);
    Run(dlg, [&](CLayerSelect& d) {
        EXPECT_EQ(d.GetDlgItemText(Id::kPrefix), dir_ + L"/demo/demo");
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(dlg.m_prefix, dir_ + L"/demo/demo");
    EXPECT_TRUE(DirectoryExists(dir_ + L"/demo"));
    EXPECT_TRUE(ui_.messageBoxes.empty());
}

TEST_F(LayerSelectDialog, AProjectInsideABlockIsFoundAndAnExistingFolderKept) {
    auto* block = new CTreeNode(NodeType::Block, L"Block");
    project_.AddChild(block);
    board_->RemoveFromParent();
    block->AddChild(board_);
    project_.SetFilePath(dir_ + L"/v1.2/my.board.circuit");
    ASSERT_TRUE(CreateDirectories(dir_ + L"/v1.2/my.board"));
    ASSERT_TRUE(WriteWholeFile(dir_ + L"/v1.2/my.board/keep.txt", "x"));
    EXPECT_EQ(CLayerSelect::DefaultPrefix(board_), dir_ + L"/v1.2/my.board/my.board");
    EXPECT_TRUE(FileExists(dir_ + L"/v1.2/my.board/keep.txt"));
}

TEST_F(LayerSelectDialog, WithoutAProjectTheUserIsWarnedAndDocumentsIsUsed) {
    CBoard loose;
    AddLayer(&loose, kLayerTop);
    CLayerSelect dlg(&loose);
    Run(dlg, [&](CLayerSelect& d) {
        // The warning came before the dialog was shown.
        ASSERT_EQ(ui_.messageBoxes.size(), 1u);
        EXPECT_EQ(d.GetDlgItemText(Id::kPrefix), DocumentsFolder() + L"/gerber");
        EXPECT_EQ(d.GetList()->GetItemCount(), 11);
        ClickButton(d, IDOK);
    });
    ASSERT_EQ(ui_.messageBoxes.size(), 1u);
    EXPECT_EQ(ui_.messageBoxes[0].text, L"Root node not found");
    EXPECT_EQ(ui_.messageBoxes[0].caption, L"Gerber");
    EXPECT_EQ(ui_.messageBoxes[0].Icon(), MB_ICONWARNING);
    EXPECT_EQ(ui_.messageBoxes[0].Buttons(), MB_OK);
    EXPECT_EQ(dlg.m_prefix, DocumentsFolder() + L"/gerber");
}

TEST_F(LayerSelectDialog, ALibraryRootIsNoProject) {
    CRoot library;
    library.SetRootTag(L"FootprintLib");
    library.SetFilePath(dir_ + L"/parts.footprint");
    auto* board = new CBoard;
    library.AddChild(board);
    bool noProject = false;
    EXPECT_EQ(CLayerSelect::DefaultPrefix(board, &noProject), DocumentsFolder() + L"/gerber");
    EXPECT_TRUE(noProject);
    EXPECT_FALSE(DirectoryExists(dir_ + L"/parts"));
}

TEST_F(LayerSelectDialog, AProjectNeverSavedWritesToDocumentsNotTheRoot) {
    project_.SetFilePath(L"");
    CLayerSelect dlg(board_);
    Run(dlg, [&](CLayerSelect& d) {
        EXPECT_EQ(d.GetDlgItemText(Id::kPrefix), DocumentsFolder() + L"/gerber");
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(dlg.m_prefix, DocumentsFolder() + L"/gerber");
    // The project exists, so there is nothing to warn about.
    EXPECT_TRUE(ui_.messageBoxes.empty());
}

// A new project's path is its name alone: the folder of its output lies in
// the project folder of the settings, not in the current folder.
TEST_F(LayerSelectDialog, AProjectPathWithoutAFolderLiesInTheProjectFolderOfTheSettings) {
    SettingsStore::Reset();
    {
        SettingsKey key;
        ASSERT_TRUE(key.Create(kDirectoriesKeyPath));
        key.SetString(L"Project", dir_ + L"/Projects/");
    }
    const std::wstring start = GetCurrentFolder();
    ASSERT_TRUE(CreateDirectories(dir_ + L"/run"));
    ASSERT_TRUE(SetCurrentFolder(dir_ + L"/run"));
    project_.SetFilePath(L"New Project.circuit");
    const std::wstring prefix = CLayerSelect::DefaultPrefix(board_);
    EXPECT_TRUE(SetCurrentFolder(start));
    SettingsStore::Reset();
    EXPECT_EQ(prefix, dir_ + L"/Projects/New Project/New Project");
    EXPECT_TRUE(DirectoryExists(dir_ + L"/Projects/New Project"));
    EXPECT_TRUE(ListDirectory(dir_ + L"/run").empty());
}

TEST_F(LayerSelectDialog, ATypedPrefixIsReturnedOnOkWithoutCreatingItsFolder) {
    const std::wstring typed = dir_ + L"/out/typed";
    CLayerSelect dlg(board_);
    int result = Run(dlg, [&](CLayerSelect& d) {
        d.SetDlgItemText(Id::kPrefix, typed);
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_prefix, typed);
    EXPECT_FALSE(DirectoryExists(dir_ + L"/out"));
}

// The export after OK: the folders of a typed prefix that do not exist are
// made and the files written into them, not one error per file.
TEST_F(LayerSelectDialog, TheExportMakesTheFoldersOfATypedPrefix) {
    const std::wstring typed = dir_ + L"/new/deeper/typed";
    ScopedModalDialogHook hook([&](PlatformDialog& d) {
        d.SetDlgItemText(Id::kPrefix, typed);
        ClickButton(d, IDOK);
        if (!d.IsEnded())
            d.EndDialog(IDCANCEL);
    });
    ExportGerber(board_);
    EXPECT_TRUE(ui_.messageBoxes.empty())
        << (ui_.messageBoxes.empty() ? "" : WideToUtf8(ui_.messageBoxes[0].text));
    for (const wchar_t* file : {L"TOP.gbr", L"BOT.gbr", L"SST.gbr"})
        EXPECT_TRUE(FileExists(typed + L".Main." + file)) << WideToUtf8(file);
}

TEST_F(LayerSelectDialog, CancelEndsWithItsIdAndStillReadsTheField) {
    CLayerSelect dlg(board_);
    int result = Run(dlg, [&](CLayerSelect& d) {
        d.SetDlgItemText(Id::kPrefix, L"/elsewhere/p");
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dlg.m_prefix, L"/elsewhere/p");
}

// --- Browsing for a prefix ------------------------------------------------

struct BrowseCase {
    const char* name;
    std::wstring chosen;
    std::wstring prefix;
};

class LayerSelectBrowse : public LayerSelectDialog,
                          public ::testing::WithParamInterface<BrowseCase> {};

TEST_P(LayerSelectBrowse, TheChosenFileLosesItsExtension) {
    const BrowseCase& c = GetParam();
    FileDialogRequest seen;
    FileDialogKind seenKind = FileDialogKind::Open;
    FileDialogHook previous = SetFileDialogHook([&](FileDialogKind kind, FileDialogRequest& r) {
        seen = r;
        seenKind = kind;
        r.fileName = c.chosen;
        return true;
    });
    CLayerSelect dlg(board_);
    Run(dlg, [&](CLayerSelect& d) {
        ClickButton(d, Id::kBrowse);
        EXPECT_EQ(d.GetDlgItemText(Id::kPrefix), c.prefix);
        ClickButton(d, IDOK);
    });
    SetFileDialogHook(std::move(previous));
    EXPECT_EQ(dlg.m_prefix, c.prefix);
    EXPECT_EQ(seenKind, FileDialogKind::Save);
    EXPECT_EQ(seen.fileName, L"demo");
    EXPECT_TRUE(seen.overwritePrompt);
    using Filters = std::vector<std::pair<std::wstring, std::wstring>>;
    EXPECT_EQ(seen.filters,
              (Filters{{L"Gerber Files (*.gbr)", L"*.gbr"}, {L"All Files (*.*)", L"*.*"}}));
}

INSTANTIATE_TEST_SUITE_P(Names, LayerSelectBrowse,
                         ::testing::Values(BrowseCase{"GerberFile", L"/out/x.gbr", L"/out/x"},
                                           BrowseCase{"TwoDots", L"/out/x.top.gbr", L"/out/x.top"},
                                           BrowseCase{"NoExtension", L"/out/x", L"/out/x"},
                                           BrowseCase{"DotInFolder", L"/out.d/x", L"/out.d/x"},
                                           BrowseCase{"HiddenName", L"/out/.gbr", L"/out/.gbr"}),
                         [](const ::testing::TestParamInfo<BrowseCase>& info) {
                             return info.param.name;
                         });

TEST_F(LayerSelectDialog, CancellingTheBrowserKeepsThePrefix) {
    FileDialogHook previous =
        SetFileDialogHook([](FileDialogKind, FileDialogRequest&) { return false; });
    CLayerSelect dlg(board_);
    Run(dlg, [&](CLayerSelect& d) {
        ClickButton(d, Id::kBrowse);
        ClickButton(d, IDOK);
    });
    SetFileDialogHook(std::move(previous));
    EXPECT_EQ(dlg.m_prefix, dir_ + L"/demo/demo");
}

// --- Row drawing ----------------------------------------------------------

struct DrawCase {
    const char* name;
    int row; // on a board with Top, Bottom and a plane Inner 1 on GND
    std::vector<std::wstring> texts;
};

class LayerSelectRowDrawing : public LayerSelectDialog,
                              public ::testing::WithParamInterface<DrawCase> {};

TEST_P(LayerSelectRowDrawing, ShowsNameTypeAndNet) {
    const DrawCase& c = GetParam();
    AddLayer(board_, kLayerInner1, kLayerTypePlane, L"GND");
    board_->FindLayer(kLayerBottom)->m_layerType = kLayerTypeJumper;
    CLayerSelect dlg(board_);
    Run(dlg, [&](CLayerSelect& d) {
        CLayerSelectListCtrl* list = d.GetList();
        RECT row{0, 40, 290, 58};
        for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED)}) {
            DeviceContext dc(400, 100);
            DcRecorder rec;
            dc.SetRecorder(&rec);
            list->DrawRow(dc, row, c.row, state);
            EXPECT_EQ(rec.Texts(), c.texts);
            std::vector<DcRecord> texts = rec.OfKind(DcOp::Text);
            ASSERT_EQ(texts.size(), c.texts.size());
            // The name 10 pixels into the label after the check box, the
            // others in their columns.
            const int first = list->GetColumnWidth(0), second = list->GetColumnWidth(1);
            const int lefts[] = {2 + 16 + 10, first + 4, first + second + 4};
            for (size_t i = 0; i < texts.size(); ++i) {
                EXPECT_EQ(texts[i].logical[0].x, lefts[i]) << i;
                EXPECT_EQ(texts[i].logical[0].y, 40);
                EXPECT_EQ(texts[i].logical[1].y, 58);
                EXPECT_EQ(texts[i].format & (DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX),
                          DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
                EXPECT_EQ(texts[i].color, GetSysColor(COLOR_WINDOWTEXT));
                EXPECT_EQ(texts[i].bkMode, TRANSPARENT);
            }
            EXPECT_EQ(rec.Count(DcOp::FocusRect), state ? 1u : 0u);
        }
    });
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LayerSelectRowDrawing,
    ::testing::Values(DrawCase{"Routing", 0, {L"Top", L"Routing"}},
                      DrawCase{"Jumper", 1, {L"Bottom", L"Jumper"}},
                      DrawCase{"PlaneWithNet", 2, {L"Inner 1", L"Plane", L"GND"}},
                      DrawCase{"NoStackupNode", 5, {L"Assembly top", L"Documentation"}},
                      DrawCase{"Outline", 11, {L"Board outline"}}),
    [](const ::testing::TestParamInfo<DrawCase>& info) { return info.param.name; });

// Dark pixels of the check mark inside a row's box (inside the row's focus
// rectangle).
int CheckMarkPixels(const PaintTarget& image, const RECT& row) {
    int n = 0;
    for (int y = row.top + 2; y < row.bottom - 2; ++y)
        for (int x = 2; x < 2 + 16; ++x)
            n += (image.PixelAt(x, y) & 0xFFFFFF) == 0;
    return n;
}

// Dark pixels (text) between two x positions of a row, inside its focus
// rectangle.
int InkPixels(const PaintTarget& image, const RECT& row, int left, int right) {
    int n = 0;
    for (int y = row.top + 2; y < row.bottom - 2; ++y)
        for (int x = left; x < right; ++x) {
            ARGB p = image.PixelAt(x, y);
            n += ((p >> 16) & 0xFF) < 128 && ((p >> 8) & 0xFF) < 128 && (p & 0xFF) < 128;
        }
    return n;
}

TEST_F(LayerSelectDialog, PaintedRowsShowTheirBoxesAndTexts) {
    AddLayer(board_, kLayerInner1, kLayerTypePlane, L"GND");
    CLayerSelect dlg(board_);
    Run(dlg, [&](CLayerSelect& d) {
        CLayerSelectListCtrl* list = d.GetList();
        RECT client = list->GetClientRect();
        RECT inner, outline;
        ASSERT_TRUE(list->GetItemRect(2, &inner));
        ASSERT_TRUE(list->GetItemRect(11, &outline));
        ASSERT_LE(outline.bottom, client.bottom);
        EXPECT_GE(inner.bottom - inner.top, 16);
        ClickRow(list, 11);
        auto image = PaintTarget::CreateImage(client.right, client.bottom);
        list->RenderTo(*image);
        EXPECT_GT(CheckMarkPixels(*image, inner), 0);
        EXPECT_EQ(CheckMarkPixels(*image, outline), 0);
        // Name, type and net of the plane layer; the outline row has a name only.
        EXPECT_GT(InkPixels(*image, inner, 28, 150), 0);
        EXPECT_GT(InkPixels(*image, inner, 152, 230), 0);
        EXPECT_GT(InkPixels(*image, inner, 232, 290), 0);
        EXPECT_GT(InkPixels(*image, outline, 28, 150), 0);
        EXPECT_EQ(InkPixels(*image, outline, 152, 229), 0);
        EXPECT_EQ(InkPixels(*image, outline, 232, 289), 0);
    });
}

} // namespace
