// The Directories dialog through RunDirectoriesDialog, and the help command:
// folders shown, browsed, restored and stored with their separators (read
// back from the settings file), and the user guide handed to the desktop or
// named in a message.
#include "dialogs/directories.h"
#include "dialogs/settings_commands.h"
#include "platform/desktop.h"
#include "platform/file.h"
#include "platform/folder_dialog.h"
#include "platform/folders.h"
#include "tests/dialogs/options_test_util.h"
#include "tests/screen_picture.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace options_test;
using Lines = std::vector<std::string>;
using D = CDirectories;

const std::wstring kDirectoriesKey = L"Software\\Vorpel\\Directories";
const int kEdits[] = {D::kProject, D::kSymbolLib, D::kFootprintLib};

class DirectoriesDialog : public ::testing::Test {
protected:
    void SetUp() override { SettingsStore::Reset(); }
    void TearDown() override {
        SetFolderDialogHook(nullptr);
        SettingsStore::Reset();
    }
    // Runs the command on folders_ with the dialog driven by drive.
    bool Run(std::function<void(CDirectories&)> drive) {
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            auto* dialog = dynamic_cast<CDirectories*>(&d);
            ASSERT_NE(dialog, nullptr);
            drive(*dialog);
        });
        return RunDirectoriesDialog(nullptr, folders_);
    }
    static std::vector<std::wstring> Shown(CDirectories& d) {
        std::vector<std::wstring> out;
        for (int id : kEdits)
            out.push_back(d.GetDlgItemText(id));
        return out;
    }
    DirectorySet folders_{L"/home/ann/Projects", L"/srv/symbols/", L"D:\\libs\\fp\\"};
    ScopedUiHooksRecorder ui_;
};

// Typed without a separator, a folder gets '/'; one ending in '/' or '\'
// stays as it is.
TEST_F(DirectoriesDialog, OkStoresTheFoldersWithTheirSeparators) {
    EXPECT_TRUE(Run([](CDirectories& d) {
        EXPECT_EQ(d.GetWindowText(), L"Directories");
        EXPECT_EQ(Shown(d), (std::vector<std::wstring>{L"/home/ann/Projects", L"/srv/symbols/",
                                                       L"D:\\libs\\fp\\"}));
        Type(d, D::kSymbolLib, L"/srv/symbols/new");
        ClickItem(d, 1);
    }));
    EXPECT_EQ(folders_,
              (DirectorySet{L"/home/ann/Projects/", L"/srv/symbols/new/", L"D:\\libs\\fp\\"}));
    EXPECT_EQ(StoredSection(kDirectoriesKey),
              (Lines{TextLine("Project", "/home/ann/Projects/"),
                     TextLine("Symbollib", "/srv/symbols/new/"),
                     TextLine("Footprintlib", "D:\\\\libs\\\\fp\\\\")}));
}

// Restore Defaults fills in the folders under Documents; Cancel still
// changes nothing.
TEST_F(DirectoriesDialog, RestoreDefaultsThenCancelChangesNothing) {
    const DirectorySet before = folders_;
    EXPECT_FALSE(Run([](CDirectories& d) {
        ClickItem(d, D::kRestoreDefaults);
        EXPECT_EQ(Shown(d),
                  (std::vector<std::wstring>{DocumentsFolder() + L"/Vorpel/Project/",
                                             DocumentsFolder() + L"/Vorpel/Lib/Symbol/",
                                             DocumentsFolder() + L"/Vorpel/Lib/Footprint/"}));
        ClickItem(d, 2);
    }));
    EXPECT_EQ(folders_, before);
    EXPECT_FALSE(SettingsStore::KeyExists(kDirectoriesKey));
    EXPECT_TRUE(Run([](CDirectories& d) {
        ClickItem(d, D::kRestoreDefaults);
        ClickItem(d, 1);
    }));
    for (int k = 0; k < kDirectoryCount; ++k)
        EXPECT_EQ(folders_[static_cast<size_t>(k)], DefaultDirectory(k));
}

// An empty entry has no last character to look at: it stands for the
// default folder of its kind.
TEST_F(DirectoriesDialog, AnEmptyEntryStoresTheDefaultFolder) {
    EXPECT_TRUE(Run([](CDirectories& d) {
        Type(d, D::kProject, L"");
        Type(d, D::kFootprintLib, L"");
        ClickItem(d, 1);
    }));
    EXPECT_EQ(folders_, (DirectorySet{DocumentsFolder() + L"/Vorpel/Project/", L"/srv/symbols/",
                                      DocumentsFolder() + L"/Vorpel/Lib/Footprint/"}));
    Lines stored = StoredSection(kDirectoriesKey);
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0], TextLine("Project", WideToUtf8(DocumentsFolder()) + "/Vorpel/Project/"));
}

// A browse button starts the browser at what its row shows; a folder chosen
// replaces the row, Cancel or a folder without a full path leaves it.
TEST_F(DirectoriesDialog, BrowseButtonsPickAFolderForTheirRow) {
    std::vector<std::wstring> startedAt;
    std::wstring answer;
    bool confirm = true;
    SetFolderDialogHook([&](FolderDialogRequest& r) {
        startedAt.push_back(r.folder);
        r.folder = answer;
        return confirm;
    });
    EXPECT_TRUE(Run([&](CDirectories& d) {
        Type(d, D::kFootprintLib, L"/typed/fp");
        answer = L"/opt/footprints";
        ClickItem(d, D::kBrowseFootprintLib);
        EXPECT_EQ(d.GetDlgItemText(D::kFootprintLib), L"/opt/footprints");
        confirm = false;
        ClickItem(d, D::kBrowseProject);
        answer = L"relative/place";
        confirm = true;
        ClickItem(d, D::kBrowseSymbolLib);
        EXPECT_EQ(Shown(d), (std::vector<std::wstring>{L"/home/ann/Projects", L"/srv/symbols/",
                                                       L"/opt/footprints"}));
        ClickItem(d, 1);
    }));
    EXPECT_EQ(startedAt,
              (std::vector<std::wstring>{L"/typed/fp", L"/home/ann/Projects", L"/srv/symbols/"}));
    EXPECT_EQ(folders_[kFootprintLibDirectory], L"/opt/footprints/");
}

class HelpCommand : public ::testing::Test {
protected:
    void TearDown() override { SetOpenFileHook(nullptr); }
    ScopedUiHooksRecorder ui_;
};

TEST_F(HelpCommand, TheGuideOpensInTheBrowserOrItsPathIsShown) {
    const std::wstring guide = HelpGuidePath();
    EXPECT_TRUE(FileExists(guide)) << WideToUtf8(guide);
    EXPECT_EQ(guide.substr(guide.size() - 11), L"/index.html");
    std::string html;
    ASSERT_TRUE(ReadWholeFile(guide, html));
    EXPECT_NE(html.find("<title>Vorpel user guide</title>"), std::string::npos);

    std::vector<std::wstring> opened;
    bool started = true;
    SetOpenFileHook([&](const std::wstring& path) {
        opened.push_back(path);
        return started;
    });
    ShowHelp();
    EXPECT_EQ(opened, std::vector<std::wstring>{guide});
    EXPECT_TRUE(ui_.messageBoxes.empty());
    started = false;
    ShowHelp();
    ASSERT_EQ(ui_.messageBoxes.size(), 1u);
    EXPECT_EQ(ui_.messageBoxes[0].text,
              L"No web browser could be started for the user guide. It is here:\n" + guide);
    EXPECT_EQ(ui_.messageBoxes[0].caption, L"Vorpel");
    // Without any desktop (as here) the same message comes.
    SetOpenFileHook(nullptr);
    ShowHelp();
    EXPECT_EQ(ui_.messageBoxes.size(), 2u);
}

// On the screen the dialog shows what a full repaint shows: its face, not
// what lay there before.
TEST_F(DirectoriesDialog, OnTheScreenAsRepainted) {
    EXPECT_FALSE(Run([](CDirectories& d) {
        screen_picture::CheckAndWrite(d, L"directories");
        d.EndDialog(IDCANCEL);
    }));
}

} // namespace
