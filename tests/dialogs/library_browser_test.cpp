// The footprint and symbol library browsers driven as a user would, with a
// scratch settings file and library folders made here: the stored folder
// lists (first use, buttons, damaged data), the files, the filtered tree and
// the flat package list, the choices handed to the caller, the previews.
#include "board/footprint.h"
#include "core/default_settings.h"
#include "core/xml_file.h"
#include "dialogs/load_footprint.h"
#include "dialogs/sel_part.h"
#include "platform/button_control.h"
#include "platform/edit_control.h"
#include "platform/file.h"
#include "platform/folder_dialog.h"
#include "platform/input_simulation.h"
#include "platform/list_box_control.h"
#include "platform/paint_target.h"
#include "platform/settings_store.h"
#include "platform/text.h"
#include "platform/tree_view_control.h"
#include "platform/up_down_control.h"
#include "schematic/package.h"
#include "tests/core/test_view.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/screen_picture.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

const char* kFootprints = R"(<?xml version="1.0" encoding="UTF-8" ?>
<FootprintLib>Test footprints
  <PadstackFolder>Pads
    <Padstack>P1
      <PadLayer Size="1,1"/>
    </Padstack>
  </PadstackFolder>
  <FootprintFolder>Fits
    <Footprint>TWO
      <Padstack>PAD
        <PadLayer Shape="RECT" Size="1.2,1.4"/>
        <Pad Num="1" XY="-1,0"/>
        <Pad Num="2" XY="1,0"/>
      </Padstack>
      <Marking Layer="SST">L-2,-1,2,-1W0.15</Marking>
    </Footprint>
    <FootprintFolder>Empty once filtered
      <Footprint>AB
        <Padstack>PAD
          <PadLayer Size="1,1"/>
          <Pad Num="A"/>
          <Pad Num="B" XY="2,0"/>
        </Padstack>
      </Footprint>
    </FootprintFolder>
  </FootprintFolder>
  <Footprint>THREE
    <Padstack>PAD
      <PadLayer Size="1,1"/>
      <Pad Num="1"/>
      <Pad Num="2" XY="2,0"/>
      <Pad Num="3" XY="4,0"/>
    </Padstack>
  </Footprint>
  <Footprint>ONE
    <Padstack>PAD
      <PadLayer Size="1,1"/>
      <Pad Num="1"/>
    </Padstack>
  </Footprint>
</FootprintLib>
)";

const char* kSymbols = R"(<?xml version="1.0" encoding="UTF-8" ?>
<SymbolLib>Test symbols
  <SymbolFolder>Passive
    <Package Footprint="TWO">RES
      <Part Outline="4,2">RC0,0,40,20
        <Pin Name="A" Num="1">L1</Pin>
        <Pin Name="B" Num="2">R1</Pin>
      </Part>
    </Package>
    <SymbolFolder>Logic
      <Package Heterogeneous="1" PartPerPackage="3">GATES
        <Part Outline="4,4">RC0,0,40,40
          <Pin Name="A" Num="1">L1</Pin>
        </Part>
        <Part Outline="4,4">CIRC0,0,40,40
          <Pin Name="A" Num="2">L1</Pin>
        </Part>
        <Part Outline="4,4">L0,0,40,40
          <Pin Name="A" Num="3">L1</Pin>
        </Part>
      </Package>
    </SymbolFolder>
  </SymbolFolder>
  <Package>NO PARTS</Package>
  <Note>not a package</Note>
</SymbolLib>
)";

class Scratch {
public:
    Scratch() {
        std::string dir = "/tmp/vorpel-browse-XXXXXX";
        if (mkdtemp(dir.data()))
            path = Utf8ToWide(dir);
    }
    ~Scratch() {
        const std::string cleanup = "rm -rf '" + WideToUtf8(path) + "'";
        (void)std::system(cleanup.c_str());
    }
    void Write(const std::wstring& relative, const std::string& bytes) const {
        CreateDirectories(PathDirectory(path + L"/" + relative));
        EXPECT_TRUE(WriteWholeFile(path + L"/" + relative, bytes));
    }
    std::wstring path;
};

void Click(PlatformWindow* w, POINT p = POINT{3, 3}) {
    ASSERT_NE(w, nullptr);
    SimulateMouse(w, WM_LBUTTONDOWN, p, MK_LBUTTON);
    SimulateMouse(w, WM_LBUTTONUP, p);
}
// Clicks a list box entry as the user does.
void ClickEntry(PlatformDialog& d, int id, int index) {
    auto* list = d.GetDlgItemAs<ListBoxControl>(id);
    ASSERT_NE(list, nullptr);
    RECT r{};
    ASSERT_TRUE(list->GetItemRect(index, &r)) << index;
    Click(list, POINT{5, (r.top + r.bottom) / 2});
}
std::vector<std::wstring> Entries(PlatformDialog& d, int id) {
    std::vector<std::wstring> out;
    auto* list = d.GetDlgItemAs<ListBoxControl>(id);
    for (int i = 0; list && i < list->GetCount(); ++i)
        out.push_back(list->GetText(i));
    return out;
}
// The stored values of a key: numbers as decimal text, texts quoted.
std::map<std::wstring, std::wstring> Stored(const wchar_t* path) {
    std::map<std::wstring, std::wstring> out;
    SettingsKey key;
    if (!key.Open(path))
        return out;
    for (const std::wstring& name : key.ValueNames()) {
        uint32_t n = 0;
        std::wstring s;
        if (key.QueryNumber(name, &n) == SettingsResult::Ok)
            out[name] = std::to_wstring(n);
        else if (key.QueryString(name, &s) == SettingsResult::Ok)
            out[name] = L"'" + s + L"'";
    }
    return out;
}
// Answers the folder browser.
class FolderAnswer {
public:
    explicit FolderAnswer(std::wstring folder)
        : previous_(SetFolderDialogHook([folder](FolderDialogRequest& r) {
              r.folder = folder;
              return true;
          })) {}
    ~FolderAnswer() { SetFolderDialogHook(std::move(previous_)); }

private:
    FolderDialogHook previous_;
};

void SavePicture(PlatformDialog& d, const std::wstring& name) {
    screen_picture::CheckAndWrite(d, name.substr(0, name.size() - 4)); // without ".png"
}

class LibraryBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsStore::Reset();
        settings = m_dir.path + L"/settings/";
        program = m_dir.path + L"/program";
        m_dir.Write(L"settings/lib.footprint", kFootprints);
        m_dir.Write(L"settings/bad.footprint", "<FootprintLib><Footprint>");
        m_dir.Write(L"settings/symbols.footprint", kSymbols);
        m_dir.Write(L"settings/notes.txt", "not a library");
        CreateDirectories(m_dir.path + L"/settings/folder.footprint");
        m_dir.Write(L"settings/lib.symbol", kSymbols);
        m_dir.Write(L"settings/broken.symbol", "<SymbolLib>");
        m_dir.Write(L"program/Lib/Footprint/other.footprint", kFootprints);
        m_dir.Write(L"program/Lib/Symbol/other.symbol", kSymbols);
        // The package to bind: pads 1 and 2.
        m_dir.Write(L"package.symbol", kSymbols);
        ASSERT_TRUE(CXmlFile(&m_symbols).Load((m_dir.path + L"/package.symbol").c_str()));
        m_package = static_cast<CPackage*>(m_symbols.GetChildren()[0]->GetChildren()[0]);
        ASSERT_EQ(m_package->GetText(), L"RES");
    }
    void TearDown() override {
        SettingsStore::Reset();
        PumpPendingMessages();
    }

    int Browse(const std::function<void(CLoadFootprint&)>& drive,
               std::unique_ptr<CFootprint>* chosen = nullptr) {
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            auto* dlg = dynamic_cast<CLoadFootprint*>(&d);
            ASSERT_NE(dlg, nullptr);
            drive(*dlg);
        });
        std::unique_ptr<CFootprint> dummy;
        return RunLoadFootprint(m_package, settings, program, nullptr, chosen ? chosen : &dummy);
    }
    int Select(const std::function<void(CSelPart&)>& drive,
               std::unique_ptr<CPackage>* package = nullptr, int* part = nullptr) {
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            auto* dlg = dynamic_cast<CSelPart*>(&d);
            ASSERT_NE(dlg, nullptr);
            drive(*dlg);
        });
        std::unique_ptr<CPackage> dummy;
        int dummyPart = 0;
        return RunSelPart(settings, program, nullptr, package ? package : &dummy,
                          part ? part : &dummyPart);
    }
    // The tree's items as "text/child/child" lines, in order.
    static std::vector<std::wstring> TreeLines(TreeViewControl* tree) {
        std::vector<std::wstring> out;
        std::function<void(HTREEITEM, const std::wstring&)> walk = [&](HTREEITEM item,
                                                                       const std::wstring& at) {
            for (; item; item = tree->GetNextSiblingItem(item)) {
                const std::wstring path = at + tree->GetItemText(item);
                out.push_back(path);
                walk(tree->GetChildItem(item), path + L"/");
            }
        };
        walk(tree->GetRootItem(), L"");
        return out;
    }
    static HTREEITEM FindItem(TreeViewControl* tree, const std::wstring& text) {
        return dialog_driver::FindTreeItem(tree, text);
    }
    static void ClickItem(TreeViewControl* tree, HTREEITEM item) {
        ASSERT_NE(item, nullptr);
        RECT r{};
        ASSERT_TRUE(tree->GetItemRect(item, &r, true));
        Click(tree, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }

    Scratch m_dir;
    std::wstring settings, program;
    CRoot m_symbols;
    CPackage* m_package = nullptr;
    ScopedUiHooksRecorder m_ui;
};

using FP = CLoadFootprint;
using SP = CSelPart;

// ---- footprint browser -------------------------------------------------------------

TEST_F(LibraryBrowserTest, FootprintBrowserStartsWithTheTwoDefaultFolders) {
    Browse([this](FP& d) {
        EXPECT_EQ(d.GetWindowText(), L"Load Footprint");
        EXPECT_EQ(Entries(d, FP::kDirList),
                  (std::vector<std::wstring>{settings, program + L"/Lib/Footprint/"}));
        EXPECT_EQ(d.m_dirIndex, 0);
        // Only files ending in .footprint, no folders, in name order.
        EXPECT_EQ(
            Entries(d, FP::kFileList),
            (std::vector<std::wstring>{L"bad.footprint", L"lib.footprint", L"symbols.footprint"}));
        EXPECT_EQ(d.m_fileIndex, -1);
        EXPECT_EQ(d.GetDlgItemAs<TreeViewControl>(FP::kTree)->GetCount(), 0);
        EXPECT_FALSE(d.GetDlgItem(FP::kMoveUp)->IsWindowEnabled());
        EXPECT_TRUE(d.GetDlgItem(FP::kMoveDown)->IsWindowEnabled());
        EXPECT_TRUE(d.GetDlgItem(FP::kRemoveFolder)->IsWindowEnabled());
        EXPECT_TRUE(d.GetDlgItemAs<ButtonControl>(FP::kAddFolder)->GetBitmap());
        d.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(Stored(FP::kKeyPath),
              (std::map<std::wstring, std::wstring>{
                  {settings, L"0"}, {program + L"/Lib/Footprint/", L"1"}, {L"LastDir", L"0"}}));
}

TEST_F(LibraryBrowserTest, TheTreeHoldsOnlyWhatFitsAndAClickChoosesACopy) {
    std::unique_ptr<CFootprint> chosen;
    const int result = Browse(
        [this](FP& d) {
            auto* tree = d.GetDlgItemAs<TreeViewControl>(FP::kTree);
            ClickEntry(d, FP::kFileList, 1);
            EXPECT_EQ(d.m_fileIndex, 1);
            EXPECT_EQ(Stored(FP::kKeyPath)[L"LastLib"], L"1");
            // Padstack folders and footprints that do not fit are gone, and
            // so is a folder left empty.
            EXPECT_EQ(TreeLines(tree), (std::vector<std::wstring>{
                                           L"Test footprints", L"Test footprints/Fits",
                                           L"Test footprints/Fits/TWO", L"Test footprints/THREE"}));
            EXPECT_EQ(tree->GetItemState(tree->GetRootItem(), TVIS_EXPANDED), TVIS_EXPANDED);
            int image = -1, selected = -1;
            tree->GetItemImage(FindItem(tree, L"Fits"), &image, &selected);
            EXPECT_EQ(image, 1);
            // A click on the footprint chooses a copy and previews it.
            ClickItem(tree, FindItem(tree, L"THREE"));
            ASSERT_NE(d.GetChosenFootprint(), nullptr);
            EXPECT_EQ(d.GetChosenFootprint()->GetText(), L"THREE");
            EXPECT_EQ(d.GetChosenFootprint()->GetParent(), nullptr);
            // A click on a folder clears the choice; beside a label, nothing.
            tree->Expand(FindItem(tree, L"Fits"), TVE_EXPAND);
            ClickItem(tree, FindItem(tree, L"Fits"));
            EXPECT_EQ(d.GetChosenFootprint(), nullptr);
            ClickItem(tree, FindItem(tree, L"TWO"));
            RECT r{};
            tree->GetItemRect(FindItem(tree, L"THREE"), &r, true);
            Click(tree, POINT{r.right + 20, r.top + 2});
            ASSERT_NE(d.GetChosenFootprint(), nullptr);
            EXPECT_EQ(d.GetChosenFootprint()->GetText(), L"TWO");
            // Another file: the copy stays valid.
            ClickEntry(d, FP::kFileList, 0);
            m_ui.Clear();
            EXPECT_EQ(d.GetChosenFootprint()->GetText(), L"TWO");
            ClickEntry(d, FP::kFileList, 1);
            tree->Expand(FindItem(tree, L"Fits"), TVE_EXPAND);
            ClickItem(tree, FindItem(tree, L"TWO"));
            SavePicture(d, L"load-footprint.png");
            Click(d.GetDlgItem(IDOK));
        },
        &chosen);
    EXPECT_EQ(result, IDOK);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->GetText(), L"TWO");
    EXPECT_EQ(chosen->GetChildren().size(), 2u);
    // The next time the remembered folder and file open at once.
    Browse(
        [](FP& d) {
            EXPECT_EQ(d.m_dirIndex, 0);
            EXPECT_EQ(d.m_fileIndex, 1);
            EXPECT_EQ(d.GetDlgItemAs<ListBoxControl>(FP::kFileList)->GetCurSel(), 1);
            EXPECT_EQ(d.GetDlgItemAs<TreeViewControl>(FP::kTree)->GetCount(), 4);
            // OK without a choice hands over nothing.
            Click(d.GetDlgItem(IDOK));
        },
        &chosen);
    EXPECT_FALSE(chosen);
    EXPECT_TRUE(m_ui.messageBoxes.empty());
}

TEST_F(LibraryBrowserTest, UnreadableAndForeignFilesAreReported) {
    Browse([this](FP& d) {
        ClickEntry(d, FP::kFileList, 0);
        ASSERT_EQ(m_ui.messageBoxes.size(), 1u);
        EXPECT_EQ(m_ui.messageBoxes[0].text, L"File read error \n" + settings + L"bad.footprint");
        EXPECT_EQ(m_ui.messageBoxes[0].caption, L"Vorpel");
        EXPECT_EQ(m_ui.messageBoxes[0].Icon(), MB_ICONERROR);
        ClickEntry(d, FP::kFileList, 2);
        ASSERT_EQ(m_ui.messageBoxes.size(), 2u);
        EXPECT_EQ(m_ui.messageBoxes[1].text, L"File is not a padstack library");
        EXPECT_EQ(d.GetDlgItemAs<TreeViewControl>(FP::kTree)->GetCount(), 0);
        EXPECT_TRUE(d.GetLibrary().GetChildren().empty());
        d.EndDialog(IDCANCEL);
    });
}

// Only regular files are library files: FIFOs, devices and folders are left
// out of both browsers' lists (a FIFO read would wait for a writer for good),
// a link to a library is listed and reads as the library.
TEST_F(LibraryBrowserTest, OnlyRegularFilesAreListed) {
    CreateDirectories(settings + L"folder.symbol");
    for (const char* extension : {".footprint", ".symbol"}) {
        const std::string at = WideToUtf8(settings);
        ASSERT_EQ(::mkfifo((at + "fifo" + extension).c_str(), 0666), 0);
        ASSERT_EQ(::symlink("/dev/zero", (at + "zero" + extension).c_str()), 0);
        ASSERT_EQ(::symlink((at + "lib" + extension).c_str(), (at + "linked" + extension).c_str()),
                  0);
    }
    const std::vector<std::wstring> footprints = {L"bad.footprint", L"lib.footprint",
                                                  L"linked.footprint", L"symbols.footprint"};
    Browse([&](FP& d) {
        EXPECT_EQ(Entries(d, FP::kFileList), footprints);
        if (Entries(d, FP::kFileList) == footprints) {
            ClickEntry(d, FP::kFileList, 2);
            EXPECT_EQ(d.GetDlgItemAs<TreeViewControl>(FP::kTree)->GetCount(), 4);
        }
        d.EndDialog(IDCANCEL);
    });
    const std::vector<std::wstring> symbols = {L"broken.symbol", L"lib.symbol", L"linked.symbol"};
    Select([&](SP& d) {
        EXPECT_EQ(Entries(d, SP::kFileList), symbols);
        if (Entries(d, SP::kFileList) == symbols) {
            ClickEntry(d, SP::kFileList, 2);
            EXPECT_EQ(Entries(d, SP::kPackageList),
                      (std::vector<std::wstring>{L"RES", L"GATES", L"NO PARTS"}));
        }
        d.EndDialog(IDCANCEL);
    });
    EXPECT_TRUE(m_ui.messageBoxes.empty());
}

TEST_F(LibraryBrowserTest, FolderButtonsKeepTheStoredOrder) {
    const std::wstring extra = m_dir.path + L"/program/Lib/Symbol";
    Browse([&](FP& d) {
        const std::wstring second = program + L"/Lib/Footprint/";
        {
            FolderAnswer answer(extra);
            Click(d.GetDlgItem(FP::kAddFolder));
            // Listed once, with its slash, even when added twice.
            Click(d.GetDlgItem(FP::kAddFolder));
        }
        EXPECT_EQ(Entries(d, FP::kDirList),
                  (std::vector<std::wstring>{settings, second, extra + L"/"}));
        EXPECT_EQ(d.m_dirIndex, 2);
        EXPECT_FALSE(d.GetDlgItem(FP::kMoveDown)->IsWindowEnabled());
        EXPECT_TRUE(Entries(d, FP::kFileList).empty());
        EXPECT_EQ(Stored(FP::kKeyPath)[extra + L"/"], L"2");
        // The first entry down: the first two swap; the moved one stays
        // selected and remembered.
        ClickEntry(d, FP::kDirList, 0);
        Click(d.GetDlgItem(FP::kMoveDown));
        EXPECT_EQ(Entries(d, FP::kDirList),
                  (std::vector<std::wstring>{second, settings, extra + L"/"}));
        EXPECT_EQ(d.m_dirIndex, 1);
        EXPECT_EQ(Stored(FP::kKeyPath),
                  (std::map<std::wstring, std::wstring>{
                      {second, L"0"}, {settings, L"1"}, {extra + L"/", L"2"}, {L"LastDir", L"1"}}));
        Click(d.GetDlgItem(FP::kMoveUp));
        EXPECT_EQ(Entries(d, FP::kDirList)[0], settings);
        EXPECT_FALSE(d.GetDlgItem(FP::kMoveUp)->IsWindowEnabled());
        // Removing forgets the file and leaves no folder selected.
        ClickEntry(d, FP::kFileList, 1);
        ClickEntry(d, FP::kDirList, 1);
        Click(d.GetDlgItem(FP::kRemoveFolder));
        EXPECT_EQ(Entries(d, FP::kDirList), (std::vector<std::wstring>{settings, extra + L"/"}));
        EXPECT_EQ(d.m_dirIndex, -1);
        EXPECT_TRUE(Entries(d, FP::kFileList).empty());
        EXPECT_FALSE(d.GetDlgItem(FP::kRemoveFolder)->IsWindowEnabled());
        EXPECT_EQ(Stored(FP::kKeyPath),
                  (std::map<std::wstring, std::wstring>{
                      {settings, L"0"}, {extra + L"/", L"1"}, {L"LastDir", L"4294967295"}}));
        d.EndDialog(IDCANCEL);
    });
    // The next opening starts with no folder selected.
    Browse([](FP& d) {
        EXPECT_EQ(d.m_dirIndex, -1);
        EXPECT_EQ(d.GetDlgItemAs<ListBoxControl>(FP::kDirList)->GetCurSel(), -1);
        d.EndDialog(IDCANCEL);
    });
}

TEST_F(LibraryBrowserTest, DamagedStoredFolderListsCloseUp) {
    struct Case {
        std::vector<std::pair<std::wstring, uint32_t>> numbers;
        std::vector<std::wstring> folders;
        int dir;
        int file;
    };
    const std::wstring a = settings, b = program + L"/Lib/Footprint/", c = m_dir.path + L"/c/";
    const Case cases[] = {
        // Places taken twice, a gap and a huge one: the order, closed up.
        {{{c, 4000000000u}, {b, 5}, {a, 5}, {L"LastDir", 1}, {L"LastLib", 1}}, {b, a, c}, 1, 1},
        // Remembered indexes outside their lists mean none.
        {{{a, 0}, {b, 1}, {L"LastDir", 7}, {L"LastLib", 1}}, {a, b}, -1, -1},
        {{{a, 0}, {L"LastDir", 0}, {L"LastLib", 3}}, {a}, 0, -1},
        {{{a, 0}, {L"LastDir", 0xFFFFFFFFu}}, {a}, -1, -1},
    };
    for (const Case& k : cases) {
        SettingsStore::Reset();
        {
            SettingsKey key;
            ASSERT_TRUE(key.Create(FP::kKeyPath));
            for (const auto& [name, value] : k.numbers)
                key.SetNumber(name, value);
            key.SetString(L"a text, ignored", L"x");
        }
        Browse([&](FP& d) {
            EXPECT_EQ(Entries(d, FP::kDirList), k.folders);
            EXPECT_EQ(d.m_dirIndex, k.dir);
            EXPECT_EQ(d.m_fileIndex, k.file);
            d.EndDialog(IDCANCEL);
        });
    }
}

TEST_F(LibraryBrowserTest, ThePreviewLeavesTheActiveViewAlone) {
    CRoot library;
    m_dir.Write(L"preview.footprint", kFootprints);
    ASSERT_TRUE(CXmlFile(&library).Load((m_dir.path + L"/preview.footprint").c_str()));
    auto* footprint = static_cast<CFootprint*>(library.GetChildren()[1]->GetChildren()[0]);
    ASSERT_EQ(footprint->GetText(), L"TWO");
    auto bare = PaintTarget::CreateImage(200, 200);
    CLoadFootprint::DrawPreview(bare.get(), footprint, 200, 200);
    bare->Flush();
    CTestView view;
    view.SetPadNumbersShown(true);
    ScopedActiveView active(&view);
    auto shown = PaintTarget::CreateImage(200, 200);
    CLoadFootprint::DrawPreview(shown.get(), footprint, 200, 200);
    shown->Flush();
    EXPECT_TRUE(view.ArePadNumbersShown());
    int differ = 0, copper = 0;
    const ARGB top = ColorRefToArgb(g_DefaultSettings.layerColors[0], 0xFF);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            differ += bare->PixelAt(x, y) != shown->PixelAt(x, y);
            copper += shown->PixelAt(x, y) == top;
        }
    EXPECT_EQ(differ, 0);
    // Two 12 x 14 pixel pads at 10 pixels per millimetre, about.
    EXPECT_GT(copper, 250);
    EXPECT_EQ(shown->PixelAt(100 - 10, 100), top); // pad 1 at (-1, 0)
}

// ---- symbol browser --------------------------------------------------------------------

TEST_F(LibraryBrowserTest, SymbolBrowserListsOnlyPackagesOfNestedFolders) {
    std::unique_ptr<CPackage> package;
    int part = -1;
    const int result = Select(
        [this](SP& d) {
            EXPECT_EQ(d.GetWindowText(), L"Select Part");
            EXPECT_EQ(Entries(d, SP::kDirList),
                      (std::vector<std::wstring>{settings, program + L"/Lib/Symbol/"}));
            EXPECT_EQ(Entries(d, SP::kFileList),
                      (std::vector<std::wstring>{L"broken.symbol", L"lib.symbol"}));
            EXPECT_EQ(d.GetDlgItemText(SP::kPartNumber), L"1");
            // A file that cannot be read lists nothing, silently.
            ClickEntry(d, SP::kFileList, 0);
            EXPECT_TRUE(Entries(d, SP::kPackageList).empty());
            EXPECT_TRUE(m_ui.messageBoxes.empty());
            ClickEntry(d, SP::kFileList, 1);
            EXPECT_EQ(Entries(d, SP::kPackageList),
                      (std::vector<std::wstring>{L"RES", L"GATES", L"NO PARTS"}));
            // OK without a package.
            Click(d.GetDlgItem(IDOK));
            EXPECT_FALSE(d.IsEnded());
            ASSERT_EQ(m_ui.messageBoxes.size(), 1u);
            EXPECT_EQ(m_ui.messageBoxes[0].text, L"Part not selected");
            EXPECT_EQ(m_ui.messageBoxes[0].caption, L"Vorpel");
            EXPECT_EQ(m_ui.messageBoxes[0].Icon(), MB_ICONERROR);
            ClickEntry(d, SP::kPackageList, 1);
            // Typed numbers are kept to the parts: 5 shows 3, 0 shows 1.
            auto* edit = d.GetDlgItemAs<EditControl>(SP::kPartNumber);
            d.GotoDlgCtrl(edit);
            SimulateTyping(edit, L"5");
            EXPECT_EQ(d.GetDlgItemText(SP::kPartNumber), L"3");
            EXPECT_EQ(d.GetPartIndex(), 2);
            d.GotoDlgCtrl(edit);
            SimulateTyping(edit, L"0");
            EXPECT_EQ(d.GetDlgItemText(SP::kPartNumber), L"1");
            // The up-down control steps within the parts.
            auto* spin = d.GetDlgItem(SP::kUpDown);
            const RECT r = spin->GetClientRect();
            for (int i = 0; i < 3; ++i)
                Click(spin, POINT{2, 1});
            EXPECT_EQ(d.GetDlgItemText(SP::kPartNumber), L"3");
            Click(spin, POINT{2, r.bottom - 2});
            EXPECT_EQ(d.GetPartIndex(), 1);
            SavePicture(d, L"select-part.png");
            // Another package starts at part 1 again.
            ClickEntry(d, SP::kPackageList, 0);
            EXPECT_EQ(d.GetDlgItemText(SP::kPartNumber), L"1");
            ClickEntry(d, SP::kPackageList, 1);
            Click(spin, POINT{2, 1});
            Click(d.GetDlgItem(IDOK));
        },
        &package, &part);
    EXPECT_EQ(result, IDOK);
    ASSERT_TRUE(package);
    EXPECT_EQ(package->GetText(), L"GATES");
    EXPECT_EQ(package->GetParent(), nullptr);
    EXPECT_EQ(part, 1);
    EXPECT_EQ(Stored(SP::kKeyPath),
              (std::map<std::wstring, std::wstring>{{settings, L"''"},
                                                    {program + L"/Lib/Symbol/", L"''"},
                                                    {L"LastDir", L"0"},
                                                    {L"LastLib", L"1"}}));
}

TEST_F(LibraryBrowserTest, APackageWithoutPartsShowsNothingAndKeepsPartOne) {
    Select([this](SP& d) {
        ClickEntry(d, SP::kFileList, 1);
        ClickEntry(d, SP::kPackageList, 2);
        ASSERT_NE(d.GetChosenPackage(), nullptr);
        EXPECT_EQ(d.GetChosenPackage()->GetPartCount(), 0);
        auto* edit = d.GetDlgItemAs<EditControl>(SP::kPartNumber);
        d.GotoDlgCtrl(edit);
        SimulateTyping(edit, L"4");
        EXPECT_EQ(d.GetDlgItemText(SP::kPartNumber), L"1");
        EXPECT_EQ(d.GetPartIndex(), 0);
        Click(d.GetDlgItem(SP::kUpDown), POINT{2, 1});
        EXPECT_EQ(d.GetPartIndex(), 0);
        // Text that is no number beeps and counts as part 1.
        d.GotoDlgCtrl(edit);
        SimulateTyping(edit, L"x");
        EXPECT_EQ(m_ui.beeps.size(), 1u);
        EXPECT_EQ(d.GetPartIndex(), 0);
        // The preview shows the background only.
        const RECT r = d.GetDlgItem(SP::kPreview)->GetClientRect();
        auto image = PaintTarget::CreateImage(r.right, r.bottom);
        d.GetDlgItem(SP::kPreview)->RenderTo(*image);
        const ARGB background = ColorRefToArgb(g_DefaultSettings.colorBkg, 0xFF);
        int other = 0;
        for (int y = 0; y < r.bottom; ++y)
            for (int x = 0; x < r.right; ++x)
                other += image->PixelAt(x, y) != background;
        EXPECT_EQ(other, 0);
        d.EndDialog(IDCANCEL);
    });
}

// Choosing another folder, or removing the folder, drops the chosen
// package; the preview that showed it is painted again.
TEST_F(LibraryBrowserTest, DroppingThePackageWithItsFolderRepaintsThePreview) {
    for (const bool remove : {false, true}) {
        SCOPED_TRACE(remove);
        Select([&](SP& d) {
            PlatformWindow* preview = d.GetDlgItem(SP::kPreview);
            ClickEntry(d, SP::kDirList, 0);
            ClickEntry(d, SP::kFileList, 1);
            ClickEntry(d, SP::kPackageList, 0);
            ASSERT_NE(d.GetChosenPackage(), nullptr);
            // On the screen, with the package painted (showing is
            // asynchronous on X: wait until the window system shows it).
            ASSERT_TRUE(dialog_driver::ShownOnScreen(d));
            preview->UpdateWindow();
            ASSERT_TRUE(IsRectEmpty(preview->GetUpdateRect()));
            if (remove)
                Click(d.GetDlgItem(SP::kRemoveFolder));
            else
                ClickEntry(d, SP::kDirList, 1);
            EXPECT_EQ(d.m_fileIndex, -1);
            EXPECT_EQ(d.GetChosenPackage(), nullptr);
            EXPECT_EQ(preview->GetUpdateRect(), preview->GetClientRect());
            d.EndDialog(IDCANCEL);
        });
    }
}

// Both browsers on the screen as the user goes to another entry, another
// file and another folder: each time the preview shows the new choice or
// nothing, never the one before, as a full repaint shows it.
TEST_F(LibraryBrowserTest, BrowsersRepaintAsShownAfterEveryChoice) {
    using dialog_driver::CheckRepaint;
    Browse([this](FP& d) {
        auto* tree = d.GetDlgItemAs<TreeViewControl>(FP::kTree);
        ClickEntry(d, FP::kFileList, 1);
        CheckRepaint(d, "load-footprint-file");
        ClickItem(tree, FindItem(tree, L"THREE"));
        ASSERT_NE(d.GetChosenFootprint(), nullptr);
        CheckRepaint(d, "load-footprint-three");
        tree->Expand(FindItem(tree, L"Fits"), TVE_EXPAND);
        ClickItem(tree, FindItem(tree, L"TWO"));
        ASSERT_EQ(d.GetChosenFootprint()->GetText(), L"TWO");
        CheckRepaint(d, "load-footprint-two");
        ClickItem(tree, FindItem(tree, L"Fits"));
        ASSERT_EQ(d.GetChosenFootprint(), nullptr);
        CheckRepaint(d, "load-footprint-folder-item");
        ClickItem(tree, FindItem(tree, L"THREE"));
        ClickEntry(d, FP::kDirList, 1);
        CheckRepaint(d, "load-footprint-other-folder");
        ClickEntry(d, FP::kFileList, 0);
        CheckRepaint(d, "load-footprint-other-file");
        d.EndDialog(IDCANCEL);
    });
    Select([this](SP& d) {
        ClickEntry(d, SP::kFileList, 1);
        ClickEntry(d, SP::kPackageList, 0);
        ASSERT_NE(d.GetChosenPackage(), nullptr);
        CheckRepaint(d, "select-part-res");
        ClickEntry(d, SP::kPackageList, 1);
        CheckRepaint(d, "select-part-gates");
        ClickEntry(d, SP::kPackageList, 2); // no parts to show
        CheckRepaint(d, "select-part-no-parts");
        ClickEntry(d, SP::kPackageList, 0);
        ClickEntry(d, SP::kDirList, 1);
        ASSERT_EQ(d.GetChosenPackage(), nullptr);
        CheckRepaint(d, "select-part-other-folder");
        ClickEntry(d, SP::kFileList, 0);
        ClickEntry(d, SP::kPackageList, 1);
        CheckRepaint(d, "select-part-other-file");
        d.EndDialog(IDCANCEL);
    });
    EXPECT_TRUE(m_ui.messageBoxes.empty());
}

TEST_F(LibraryBrowserTest, SymbolFoldersAddRemoveAndDamagedIndexes) {
    const std::wstring extra = m_dir.path + L"/program/Lib/Footprint";
    Select([&](SP& d) {
        {
            FolderAnswer answer(extra);
            Click(d.GetDlgItem(SP::kAddFolder));
        }
        EXPECT_EQ(d.m_dirIndex, 2);
        EXPECT_TRUE(Entries(d, SP::kFileList).empty());
        EXPECT_EQ(Stored(SP::kKeyPath)[extra + L"/"], L"''");
        ClickEntry(d, SP::kDirList, 0);
        Click(d.GetDlgItem(SP::kRemoveFolder));
        EXPECT_EQ(Entries(d, SP::kDirList),
                  (std::vector<std::wstring>{program + L"/Lib/Symbol/", extra + L"/"}));
        EXPECT_EQ(d.m_dirIndex, -1);
        d.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(Stored(SP::kKeyPath),
              (std::map<std::wstring, std::wstring>{{program + L"/Lib/Symbol/", L"''"},
                                                    {extra + L"/", L"''"},
                                                    {L"LastDir", L"4294967295"}}));
    // Stored indexes beyond the lists, and numbers that are no folder.
    {
        SettingsKey key;
        ASSERT_TRUE(key.Open(SP::kKeyPath));
        key.SetNumber(L"LastDir", 0);
        key.SetNumber(L"LastLib", 9);
        key.SetNumber(settings, 3);
    }
    Select([&](SP& d) {
        EXPECT_EQ(Entries(d, SP::kDirList),
                  (std::vector<std::wstring>{program + L"/Lib/Symbol/", extra + L"/"}));
        EXPECT_EQ(d.m_dirIndex, 0);
        EXPECT_EQ(Entries(d, SP::kFileList), std::vector<std::wstring>{L"other.symbol"});
        EXPECT_EQ(d.m_fileIndex, -1);
        d.EndDialog(IDCANCEL);
    });
}

} // namespace
