// The main window's start-up and its documents: folders, settings and the
// command line; New, Open, Save, Save As, Close, Close All and Exit with
// their dialogs and prompts, including the sound behaviour where a save
// fails, is cancelled or a file cannot be read.
#include "core/default_settings.h"
#include "core/length_unit.h"
#include "dialogs/padstack_sheet.h"
#include "platform/dialog.h"
#include "platform/folders.h"
#include "tests/screen_user.h"
#include "tests/shell/frame_fixture.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

constexpr wchar_t kDirectoriesKey[] = L"Software\\Vorpel\\Directories";
const char kXmlHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n";

const char kLibrary[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                        "<SymbolLib>Parts\r\n"
                        "  <SymbolFolder>Passive</SymbolFolder>\r\n"
                        "</SymbolLib>\r\n";

// --- Start-up ---------------------------------------------------------------------

TEST_F(FrameTest, FirstRunMakesTheDefaultFoldersOnceAndLaterRunsLeaveThemAlone) {
    ASSERT_FALSE(SettingsStore::KeyExists(kDirectoriesKey));
    StartFrame();
    const wchar_t* const folders[] = {L"Vorpel", L"Vorpel/Project", L"Vorpel/Lib",
                                      L"Vorpel/Lib/Symbol", L"Vorpel/Lib/Footprint"};
    for (const wchar_t* f : folders)
        EXPECT_TRUE(DirectoryExists(PathJoin(documents, f))) << WideToUtf8(f);
    EXPECT_TRUE(SettingsStore::KeyExists(kDirectoriesKey));
    EXPECT_EQ(g_MainFrame.GetDefaultFolder(0), documents + L"/Vorpel/Project/");
    EXPECT_EQ(g_MainFrame.GetDefaultFolder(1), documents + L"/Vorpel/Lib/Symbol/");
    EXPECT_EQ(g_MainFrame.GetDefaultFolder(2), documents + L"/Vorpel/Lib/Footprint/");
    g_MainFrame.DestroyWindow();

    // The user removed them; the next run does not make them again.
    std::string cmd = "rm -rf '" + PathToNative(PathJoin(documents, L"Vorpel")) + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    StartFrame();
    EXPECT_FALSE(DirectoryExists(PathJoin(documents, L"Vorpel")));
}

// A start that finds the footprint folder without Base.footprint puts the
// program's own footprint library there under that name, which the padstack
// sheet's Load page then opens: the first run, and any run after the user
// removed the file. A Base.footprint of the user's stays as it is.
TEST_F(FrameTest, EveryStartPutsTheBasePadstacksWhereThePadstackPageLooks) {
    std::string program;
    ASSERT_TRUE(
        ReadWholeFile(PathJoin(ExecutableFolder(), L"Lib/Footprint/demo.footprint"), program));
    const std::string mine = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                             "<FootprintLib>Mine\r\n"
                             "  <FootprintFolder>Kept</FootprintFolder>\r\n"
                             "</FootprintLib>\r\n";
    const std::wstring base = documents + L"/Vorpel/Lib/Footprint/Base.footprint";
    for (const std::string* before : {static_cast<const std::string*>(nullptr), &mine}) {
        SCOPED_TRACE(before ? "the user's own" : "none");
        SettingsStore::Reset();
        std::string cmd = "rm -rf '" + PathToNative(PathJoin(documents, L"Vorpel")) + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        if (before) {
            ASSERT_TRUE(CreateDirectories(PathDirectory(base)));
            ASSERT_TRUE(WriteWholeFile(base, *before));
        }
        StartFrame();
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile(base, bytes));
        EXPECT_EQ(bytes, before ? *before : program);

        // The path the footprint editor and the board editor give the sheet.
        const std::wstring folder = g_MainFrame.GetDefaultFolder(kDocumentFootprintLibrary);
        CPadstackSheet sheet(L"Select padstack");
        size_t entries = 0;
        {
            ScopedModalDialogHook hook([&](PlatformDialog&) {
                entries = sheet.GetLoadPage()->GetLibrary().GetChildCount();
                sheet.EndDialog(IDCANCEL);
            });
            sheet.Run(&g_MainFrame, CPadstackSheet::kLoadPage, folder + L"Base.footprint", folder,
                      kUnitMm);
        }
        EXPECT_GT(entries, 0u);
        EXPECT_EQ(MessageBoxesWith(L"File read error"), 0);
        EXPECT_TRUE(ui.messageBoxes.empty());
        g_MainFrame.DestroyWindow();
        PumpPendingMessages();
    }
    ASSERT_TRUE(RemoveFile(base));
    StartFrame();
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(base, bytes));
    EXPECT_EQ(bytes, program);
}

TEST_F(FrameTest, StoredFoldersAreTakenAsTheyStandAndMistypedOnesIgnored) {
    {
        SettingsKey key;
        ASSERT_TRUE(key.Create(kDirectoriesKey));
        key.SetString(L"Project", L"/data/designs");
        key.SetNumber(L"Symbollib", 5);
        key.SetString(L"Footprintlib", std::wstring(300, L'f'));
    }
    StartFrame();
    EXPECT_EQ(g_MainFrame.GetDefaultFolder(0), L"/data/designs");
    EXPECT_EQ(g_MainFrame.GetDefaultFolder(1), documents + L"/Vorpel/Lib/Symbol/");
    EXPECT_EQ(g_MainFrame.GetDefaultFolder(2), std::wstring(259, L'f'));
    // The key existed: no folders were made.
    EXPECT_FALSE(DirectoryExists(PathJoin(documents, L"Vorpel")));
}

TEST_F(FrameTest, DamagedSettingsFallBackValueByValue) {
    // A settings file with a garbled line, a colour of the wrong type, a
    // length too short to be one, and a truncated last line: those values
    // keep their defaults and every readable value is taken.
    std::string conf = "[Software\\Vorpel\\DefaultSettings]\n"
                       "\"ColorWire\"=dword:000000ff\n"
                       "\"ColorBus\"=sz:\"red\"\n"
                       "this line means nothing\n"
                       "\"GridWidth\"=hex:00,00\n"
                       "\"WireWidth\"=dword:3e800000\n"
                       "\"Font\"=sz:\"Liberation Sans\"\n"
                       "\"ColorTOP\"=dword:000000ff\n"
                       "\"ColorB";
    CreateDirectories(ConfigFolder());
    ASSERT_TRUE(WriteWholeFile(SettingsStore::FilePath(), conf));
    SettingsStore::Reload();
    g_DefaultSettings = DefaultSettings();
    StartFrame();
    EXPECT_EQ(g_DefaultSettings.colorWire, 0x000000FFu);
    EXPECT_EQ(g_DefaultSettings.colorBus, 0x00FF0000u);
    EXPECT_EQ(g_DefaultSettings.gridWidth, 2.5f);
    EXPECT_EQ(g_DefaultSettings.wireWidth, 0.25f);
    EXPECT_EQ(g_DefaultSettings.font.lfFaceName, L"Liberation Sans");
    EXPECT_EQ(g_DefaultSettings.layerColors[0], 0x000000FFu);
    EXPECT_EQ(g_DefaultSettings.layerColors[1], 0x000000FFu); // ColorBOT: its default
    EXPECT_EQ(g_DefaultSettings.sheetWidth, 420.0f);
    g_DefaultSettings = DefaultSettings();
}

TEST_F(FrameTest, CommandLineWordsAndTheDocumentTheyOpen) {
    struct Case {
        const wchar_t* line;
        const wchar_t* document;
        int kind;
    };
    const Case cases[] = {
        {L"\"/my files/parts lib.symbol\"", L"/my files/parts lib.symbol", 1},
        {L"-nologo  lib.footprint", L"lib.footprint", 2},
        {L"A.SYMBOL", L"A.SYMBOL", 0},
        {L"board", L"board", 0},
        {L"2024.circuit extra.symbol", L"2024.circuit", 0},
        {L"  -x  \"-y\"  ", L"", 0},
        {L"-x /home/me/lib.footprint", L"/home/me/lib.footprint", 2},
        {L".hidden ./here.symbol", L"./here.symbol", 1},
        // Any letter starts a name, whatever the locale.
        {L"-x \u00c4pfel.circuit", L"\u00c4pfel.circuit", 0},
        {L"\u03c0.symbol", L"\u03c0.symbol", 1},
        {L"\u56db.footprint", L"\u56db.footprint", 2},
        {L"\u00bb \u0663.symbol", L"\u0663.symbol", 1},
        {L"", L"", 0},
    };
    for (const Case& c : cases) {
        int kind = -1;
        EXPECT_EQ(CMainFrame::DocumentOnCommandLine(c.line, &kind), c.document)
            << WideToUtf8(c.line);
        if (*c.document) {
            EXPECT_EQ(kind, c.kind) << WideToUtf8(c.line);
        }
    }
    EXPECT_EQ(CMainFrame::SplitCommandLine(L"a \"b c\"  d"),
              (std::vector<std::wstring>{L"a", L"b c", L"d"}));
}

TEST_F(FrameTest, CommandLineOpensItsDocumentRelativeToTheStartFolder) {
    WriteFile(L"my parts.symbol", kLibrary);
    ASSERT_TRUE(SetCurrentFolder(scratch));
    StartFrame(L"\"my parts.symbol\"");
    CRoot& lib = g_MainFrame.GetRoot(1);
    ASSERT_EQ(lib.GetChildCount(), 1u);
    EXPECT_EQ(lib.GetText(), L"Parts");
    EXPECT_EQ(lib.GetFilePath(), PathJoin(scratch, L"my parts.symbol"));
    EXPECT_EQ(g_MainFrame.m_leftPane.GetCurrentTab(), 1);
    EXPECT_TRUE(ui.messageBoxes.empty());
    EXPECT_FALSE(g_MainFrame.CommandLineDocumentFailed());
    // The working folder is the program's.
    EXPECT_EQ(GetCurrentFolder(), g_MainFrame.GetProgramFolder());
}

TEST_F(FrameTest, UnreadableCommandLineDocumentIsReportedAndTheFrameStaysUp) {
    std::wstring bad = WriteFile(L"cut.circuit", std::string(kXmlHead) + "<Project>\r\n  <Board>");
    StartFrame(L"'" + bad + L"' " + bad);
    ASSERT_TRUE(g_MainFrame.IsWindow());
    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].text, L"File read error \n" + bad);
    EXPECT_EQ(ui.messageBoxes[0].caption, L"Vorpel");
    EXPECT_EQ(ui.messageBoxes[0].Icon(), MB_ICONERROR);
    // The project is a new one, named as New names it, in the tree too.
    EXPECT_EQ(g_MainFrame.GetRoot(0).GetChildCount(), 0u);
    EXPECT_EQ(g_MainFrame.GetRoot(0).GetFilePath(), L"New Project.circuit");
    CLeftTabView* tree = g_MainFrame.m_leftPane.GetTree(0);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->GetItemText(tree->GetRootItem()), L"New Project");
    EXPECT_EQ(g_MainFrame.m_leftPane.GetCurrentTab(), 0);
    // The program run offscreen fails on it.
    EXPECT_TRUE(g_MainFrame.CommandLineDocumentFailed());
}

// --- New, Open, Save -----------------------------------------------------------

TEST_F(FrameTest, NewNamesTheDocumentAndTheNewButtonRepeatsTheLastKind) {
    StartFrame();
    Command(ID_NEW_FOOTPRINT);
    CRoot& lib = g_MainFrame.GetRoot(2);
    EXPECT_EQ(lib.GetText(), L"New Footprint Library");
    EXPECT_EQ(lib.GetFilePath(), L"New Footprint Library.footprint");
    EXPECT_EQ(g_MainFrame.GetWindowText(), L"New Footprint Library.footprint");
    EXPECT_EQ(g_MainFrame.m_leftPane.GetCurrentTab(), 2);
    EXPECT_EQ(g_MainFrame.GetNewButtonCommand(), ID_NEW_FOOTPRINT);
    EXPECT_EQ(g_MainFrame.m_mainToolBar.GetButton(0).image, 14);
    EXPECT_EQ(PlatformWindow::GetFocus(), g_MainFrame.m_leftPane.GetTree(2));

    // Ctrl+N now makes another footprint library, not a project.
    AddNode(lib, L"FootprintFolder", L"SMD");
    g_MainFrame.m_leftPane.GetUndoList(2).AddUndo(new CUndoChangeNodeAttribute(&lib, nullptr));
    ui.Answer({IDNO});
    Command(ID_FILE_NEW);
    EXPECT_EQ(MessageBoxesWith(L"Project was changed; save changes?"), 1);
    EXPECT_EQ(lib.GetChildCount(), 0u);
    EXPECT_EQ(g_MainFrame.GetRoot(0).GetFilePath(), L"");
    EXPECT_FALSE(g_MainFrame.IsDocumentModified(2));
}

TEST_F(FrameTest, OpenAsksForAFileOfTheShownTreesKindAndTitlesOnlyProjects) {
    StartFrame();
    std::wstring path = WriteFile(L"parts.symbol", kLibrary);
    g_MainFrame.m_leftPane.SelectTab(1);
    AnswerFileDialog(path);
    Command(ID_FILE_OPEN);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].kind, FileDialogKind::Open);
    ASSERT_EQ(dialogs[0].request.filters.size(), 2u);
    EXPECT_EQ(dialogs[0].request.filters[0].first, L"Symbol Libraries (*.symbol)");
    EXPECT_EQ(dialogs[0].request.filters[0].second, L"*.symbol");
    EXPECT_EQ(dialogs[0].request.filters[1].first, L"All Files (*.*)");
    EXPECT_EQ(dialogs[0].request.initialDir, g_MainFrame.GetDefaultFolder(1));
    EXPECT_TRUE(dialogs[0].request.fileName.empty());
    EXPECT_EQ(g_MainFrame.GetRoot(1).GetChildCount(), 1u);
    EXPECT_EQ(g_MainFrame.GetWindowText(), L"Vorpel");

    std::wstring project = WriteFile(
        L"demo.circuit", std::string(kXmlHead) + "<Project>Demo\r\n  <Block>Main</Block>\r\n"
                                                 "</Project>\r\n");
    AnswerFileDialog(project);
    Command(ID_OPEN_PROJECT);
    EXPECT_EQ(g_MainFrame.GetWindowText(), L"demo.circuit");
    // A project opens with its root and blocks expanded.
    EXPECT_TRUE(g_MainFrame.m_leftPane.IsNodeExpanded(&g_MainFrame.GetRoot(0)));
    EXPECT_TRUE(g_MainFrame.m_leftPane.IsNodeExpanded(g_MainFrame.GetRoot(0).GetChild(0)));
    // Cancel in the dialog changes nothing.
    AnswerFileDialog(std::nullopt);
    Command(ID_OPEN_PROJECT);
    EXPECT_EQ(g_MainFrame.GetRoot(0).GetFilePath(), project);
}

// The title the window system shows names the document: New the new
// document with its extension, Open a project's file (a library leaves the
// title as it is), Save As the file saved to, whatever its kind.
TEST_F(FrameTest, TheWindowSystemShowsTheDocumentsNameAsTheTitle) {
    if (!OnRealDisplay())
        GTEST_SKIP() << "no window system to ask";
    StartFrame();
    auto expectTitle = [&](const std::string& title, const char* after) {
        PumpPendingMessages();
        EXPECT_EQ(g_MainFrame.GetWindowText(), Utf8ToWide(title)) << after;
        const std::vector<std::string> titles = VisibleWindowTitles();
        EXPECT_NE(std::find(titles.begin(), titles.end(), title), titles.end())
            << after << ": the window system does not show " << title;
    };
    expectTitle("Vorpel", "start-up");
    Command(ID_NEW_SYMBOL);
    expectTitle("New Symbol Library.symbol", "New Symbol");
    Command(ID_NEW_PROJECT);
    expectTitle("New Project.circuit", "New Project");
    AnswerFileDialog(WriteFile(L"demo.circuit", std::string(kXmlHead) +
                                                    "<Project>Demo\r\n  <Block>Main</Block>\r\n"
                                                    "</Project>\r\n"));
    Command(ID_OPEN_PROJECT);
    expectTitle("demo.circuit", "Open Project");
    AnswerFileDialog(WriteFile(L"parts.symbol", kLibrary));
    Command(ID_OPEN_SYMBOL_LIBRARY);
    expectTitle("demo.circuit", "Open Symbol Library");
    g_MainFrame.m_leftPane.SelectTab(2);
    AnswerFileDialog(PathJoin(scratch, L"pads.footprint"));
    Command(ID_FILE_SAVE_AS);
    expectTitle("pads.footprint", "Save As");
}

TEST_F(FrameTest, SavingANewDocumentAsksForANameAndWritesTheWholeTree) {
    StartFrame();
    Command(ID_NEW_PROJECT);
    CRoot& project = g_MainFrame.GetRoot(0);
    CTreeNode* block = AddNode(project, L"Block", L"Main");
    CRecordingView* view = OpenView(block, kViewSchematic, kDocumentProject);
    Rename(view, block, L"Top");
    std::wstring target = PathJoin(scratch, L"saved.circuit");
    AnswerFileDialog(target);
    Command(ID_FILE_SAVE);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].kind, FileDialogKind::Save);
    EXPECT_TRUE(dialogs[0].request.overwritePrompt);
    EXPECT_EQ(dialogs[0].request.fileName, L"New Project.circuit");
    EXPECT_EQ(ReadFile(target),
              std::string(kXmlHead) +
                  "<Project>saved.circuit\r\n  <Block>Top</Block>\r\n</Project>\r\n");
    EXPECT_EQ(project.GetFilePath(), target);
    EXPECT_EQ(g_MainFrame.GetWindowText(), L"saved.circuit");
    EXPECT_TRUE(view->GetUndoList().IsAtSavedState());
    EXPECT_FALSE(g_MainFrame.IsDocumentModified(0));
    // Saved under a full path, the next save goes there without a dialog.
    Rename(view, block, L"Top2");
    Command(ID_FILE_SAVE);
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_NE(ReadFile(target).find("Top2"), std::string::npos);
}

TEST_F(FrameTest, SaveTakesTheShownViewsDocumentUnlessTheTreesHaveTheFocus) {
    StartFrame();
    std::wstring projectPath = PathJoin(scratch, L"p.circuit");
    std::wstring libraryPath = PathJoin(scratch, L"f.footprint");
    g_MainFrame.GetRoot(0).SetFilePath(projectPath);
    g_MainFrame.GetRoot(2).SetFilePath(libraryPath);
    CTreeNode* block = AddNode(g_MainFrame.GetRoot(0), L"Block", L"B");
    OpenView(block, kViewSchematic, kDocumentProject);
    g_MainFrame.m_leftPane.SelectTab(2);
    Command(ID_FILE_SAVE);
    EXPECT_TRUE(FileExists(projectPath));
    EXPECT_FALSE(FileExists(libraryPath));
    EXPECT_EQ(g_MainFrame.GetCurrentDocumentKind(), 0);
    g_MainFrame.m_leftPane.FocusTree(2);
    Command(ID_FILE_SAVE);
    EXPECT_TRUE(FileExists(libraryPath));
    EXPECT_EQ(g_MainFrame.GetCurrentDocumentKind(), 2);
    EXPECT_TRUE(dialogs.empty());
}

TEST_F(FrameTest, APathIsFullWhenAbsoluteNotWhenItHasADriveLetter) {
    StartFrame();
    g_MainFrame.m_leftPane.FocusTree(0);
    g_MainFrame.GetRoot(0).SetFilePath(L"C:design.circuit");
    AnswerFileDialog(std::nullopt);
    Command(ID_FILE_SAVE);
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_FALSE(FileExists(PathJoin(GetCurrentFolder(), L"C:design.circuit")));
    g_MainFrame.GetRoot(0).SetFilePath(PathJoin(scratch, L"abs.circuit"));
    Command(ID_FILE_SAVE);
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_TRUE(FileExists(PathJoin(scratch, L"abs.circuit")));
}

// --- Faults mended ----------------------------------------------------------------

// A view is closed with the document its node lies in, whatever kind of
// document its editor usually edits: a padstack editor of a padstack of the
// project goes with New or Open of a project, not of a footprint library.
TEST_F(FrameTest, NewAndOpenCloseTheViewsOfNodesInTheReplacedDocument) {
    StartFrame();
    const std::wstring library =
        WriteFile(L"empty.footprint", "<?xml version=\"1.0\"?>\r\n<Library/>\r\n");
    for (int command : {ID_NEW_PROJECT, ID_NEW_FOOTPRINT, ID_OPEN_FOOTPRINT_LIBRARY}) {
        SCOPED_TRACE(command);
        Command(ID_NEW_PROJECT);
        CTreeNode* padstack = AddNode(g_MainFrame.GetRoot(kDocumentProject), L"Padstack", L"Via");
        OpenView(padstack, kViewPadstack, kDocumentFootprintLibrary);
        ASSERT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 1);
        ui.Answer({IDNO});
        if (command == ID_OPEN_FOOTPRINT_LIBRARY)
            AnswerFileDialog(library);
        Command(command);
        // The project's view goes with the project only.
        EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), command == ID_NEW_PROJECT ? 0 : 1);
        ui.Answer({IDNO});
        Command(ID_NEW_PROJECT);
        EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 0);
    }
}

// Save over a file nobody may write, in each kind of document: the save is
// refused with the save error, the file stays as it was and the document
// still counts as changed.
TEST_F(FrameTest, ASaveOverAReadOnlyFileIsRefusedAndTheDocumentStaysChanged) {
    StartFrame();
    const wchar_t* const names[] = {L"ro.circuit", L"ro.symbol", L"ro.footprint"};
    const std::string old = std::string(kXmlHead) + "<Old/>\r\n";
    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(kind);
        const std::wstring path = WriteFile(names[kind], old);
        ASSERT_EQ(::chmod(PathToNative(path).c_str(), 0444), 0);
        CRoot& root = g_MainFrame.GetRoot(kind);
        root.SetFilePath(path);
        AddNode(root, L"Block", L"New");
        g_MainFrame.m_leftPane.GetUndoList(kind).AddUndo(
            new CUndoChangeNodeAttribute(&root, nullptr));
        g_MainFrame.m_leftPane.FocusTree(kind);
        Command(ID_FILE_SAVE);
        EXPECT_EQ(MessageBoxesWith(L"File save error "), kind + 1);
        EXPECT_TRUE(g_MainFrame.IsDocumentModified(kind));
        EXPECT_EQ(ReadFile(path), old);
    }
    EXPECT_TRUE(dialogs.empty());
}

TEST_F(FrameTest, AFailedSaveAsCancelsTheNewThatAskedAndKeepsTheDocument) {
    StartFrame();
    Command(ID_NEW_PROJECT);
    CRoot& project = g_MainFrame.GetRoot(0);
    AddNode(project, L"Block", L"Keep me");
    g_MainFrame.m_leftPane.GetUndoList(0).AddUndo(new CUndoChangeNodeAttribute(&project, nullptr));
    // Yes, and a name in a folder that does not exist: the save fails.
    std::wstring unwritable = PathJoin(scratch, L"missing/folder/x.circuit");
    ui.Answer({IDYES});
    AnswerFileDialog(unwritable);
    Command(ID_NEW_PROJECT);
    EXPECT_EQ(MessageBoxesWith(L"File save error "), 1);
    ASSERT_EQ(project.GetChildCount(), 1u);
    EXPECT_EQ(project.GetChild(0)->GetText(), L"Keep me");
    EXPECT_EQ(project.GetFilePath(), L"New Project.circuit");
    EXPECT_EQ(project.GetText(), L"New Project");
    EXPECT_EQ(g_MainFrame.GetWindowText(), L"New Project.circuit");
    EXPECT_TRUE(g_MainFrame.IsDocumentModified(0));
    // Cancel in the save dialog cancels too.
    ui.Answer({IDYES});
    AnswerFileDialog(std::nullopt);
    Command(ID_NEW_PROJECT);
    EXPECT_EQ(project.GetChildCount(), 1u);
}

TEST_F(FrameTest, YesInTheCloseQuestionSavesUnderANameAndKeepsThePageWhenThatFails) {
    StartFrame();
    ASSERT_TRUE(SetCurrentFolder(scratch));
    Command(ID_NEW_PROJECT);
    CTreeNode* block = AddNode(g_MainFrame.GetRoot(0), L"Block", L"Main");
    CRecordingView* view = OpenView(block, kViewSchematic, kDocumentProject);
    Rename(view, block, L"Changed");
    ui.Answer({IDYES});
    AnswerFileDialog(std::nullopt);
    Command(ID_WINDOW_CLOSE);
    EXPECT_EQ(MessageBoxesWith(L"Page was changed; save changes?"), 1);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 1);
    // Nothing was written under the default name into the current folder.
    EXPECT_FALSE(FileExists(PathJoin(scratch, L"New Project.circuit")));
    EXPECT_EQ(block->GetText(), L"Changed");

    std::wstring target = PathJoin(scratch, L"kept.circuit");
    ui.Answer({IDYES});
    AnswerFileDialog(target);
    Command(ID_WINDOW_CLOSE);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 0);
    EXPECT_NE(ReadFile(target).find("<Block>Changed</Block>"), std::string::npos);
}

TEST_F(FrameTest, NoInTheCloseQuestionReturnsThePageToItsSavedContent) {
    StartFrame();
    std::wstring path = WriteFile(
        L"d.circuit", std::string(kXmlHead) + "<Project>D\r\n  <Block>A</Block>\r\n</Project>\r\n");
    ASSERT_TRUE(g_MainFrame.Open(path, 0));
    CTreeNode* block = g_MainFrame.GetRoot(0).GetChild(0);
    CRecordingView* view = OpenView(block, kViewSchematic, kDocumentProject);
    Rename(view, block, L"B");
    Rename(view, block, L"C");
    ui.Answer({IDNO});
    EXPECT_TRUE(g_MainFrame.m_tabWindow.CloseTab(0, true));
    EXPECT_EQ(block->GetText(), L"A");
    EXPECT_FALSE(g_MainFrame.IsDocumentModified(0));
}

TEST_F(FrameTest, ChangesLeftByClosedViewsAreStillAskedAboutOnExitAndNew) {
    StartFrame();
    Command(ID_NEW_PROJECT);
    CTreeNode* block = AddNode(g_MainFrame.GetRoot(0), L"Block", L"Main");
    CRecordingView* view = OpenView(block, kViewSchematic, kDocumentProject);
    Rename(view, block, L"Edited");
    Command(ID_WINDOW_CLOSE_ALL);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 0);
    EXPECT_TRUE(ui.messageBoxes.empty());
    EXPECT_TRUE(g_MainFrame.IsDocumentModified(0));

    // Exit asks; Cancel keeps the program running.
    ui.Answer({IDCANCEL});
    g_MainFrame.SendMessage(WM_CLOSE);
    EXPECT_EQ(MessageBoxesWith(L"Project was changed; save changes?"), 1);
    ASSERT_TRUE(g_MainFrame.IsWindow());
    // New asks as well; No discards.
    ui.Answer({IDNO});
    Command(ID_NEW_PROJECT);
    EXPECT_EQ(MessageBoxesWith(L"Project was changed; save changes?"), 2);
    EXPECT_FALSE(g_MainFrame.IsDocumentModified(0));
    g_MainFrame.SendMessage(WM_CLOSE);
    EXPECT_FALSE(g_MainFrame.IsWindow());
    EXPECT_EQ(MessageBoxesWith(L"Project was changed; save changes?"), 2);
}

TEST_F(FrameTest, AFileThatCannotBeReadChangesNothing) {
    StartFrame();
    std::wstring good =
        WriteFile(L"good.circuit",
                  std::string(kXmlHead) + "<Project>Good\r\n  <Block>A</Block>\r\n</Project>\r\n");
    const std::string original = ReadFile(good);
    ASSERT_TRUE(g_MainFrame.Open(good, 0));
    g_MainFrame.SetWindowText(L"good.circuit");
    for (const std::string& bad :
         {std::string(kXmlHead) + "<Project>X\r\n  <Block>B</Block>\r\n  <Block>",
          std::string(kXmlHead) + "<SymbolLib>wrong kind</SymbolLib>\r\n", std::string("\x01\x02"),
          std::string()}) {
        std::wstring badPath = WriteFile(L"bad.circuit", bad);
        AnswerFileDialog(badPath);
        Command(ID_OPEN_PROJECT);
        EXPECT_EQ(ui.messageBoxes.back().text, L"File read error \n" + badPath);
        CRoot& project = g_MainFrame.GetRoot(0);
        ASSERT_EQ(project.GetChildCount(), 1u);
        EXPECT_EQ(project.GetChild(0)->GetText(), L"A");
        EXPECT_EQ(project.GetFilePath(), good);
        EXPECT_EQ(g_MainFrame.GetWindowText(), L"good.circuit");
    }
    // A later save writes the document it kept, where it came from.
    Command(ID_FILE_SAVE);
    EXPECT_EQ(ReadFile(good), original);
    EXPECT_EQ(ReadFile(PathJoin(scratch, L"bad.circuit")), "");
}

// --- Exit -------------------------------------------------------------------------

TEST_F(FrameTest, ExitAsksForEveryModifiedDocumentAndAlwaysDropsTheLibraryLists) {
    StartFrame();
    for (const wchar_t* key :
         {L"Software\\Vorpel\\Symbol Libraries", L"Software\\Vorpel\\Footprint Libraries"}) {
        SettingsKey k;
        k.Create(key);
        k.SetNumber(L"/libs/", 0);
    }
    CTreeNode* block = AddNode(g_MainFrame.GetRoot(0), L"Block", L"B");
    CTreeNode* folder = AddNode(g_MainFrame.GetRoot(1), L"SymbolFolder", L"F");
    CRecordingView* a = OpenView(block, kViewSchematic, kDocumentProject);
    CRecordingView* b = OpenView(folder, kViewSymbol, kDocumentSymbolLibrary);
    Rename(a, block, L"B2");
    Rename(b, folder, L"F2");
    // Cancel for the first still asks about the second; the window stays.
    ui.Answer({IDCANCEL, IDNO});
    Command(ID_APP_EXIT);
    EXPECT_EQ(MessageBoxesWith(L"Project was changed; save changes?"), 2);
    EXPECT_TRUE(g_MainFrame.IsWindow());
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 2);
    EXPECT_FALSE(SettingsStore::KeyExists(L"Software\\Vorpel\\Symbol Libraries"));
    EXPECT_FALSE(SettingsStore::KeyExists(L"Software\\Vorpel\\Footprint Libraries"));
    // No to both: the window goes.
    ui.Answer({IDNO, IDNO});
    Command(ID_APP_EXIT);
    EXPECT_EQ(MessageBoxesWith(L"Project was changed; save changes?"), 4);
    EXPECT_FALSE(g_MainFrame.IsWindow());
}

} // namespace

namespace {

TEST_F(FrameTest, SaveAsTakesTheShownTreesDocumentAndANewName) {
    StartFrame();
    Command(ID_NEW_SYMBOL);
    AddNode(g_MainFrame.GetRoot(1), L"SymbolFolder", L"Logic");
    g_MainFrame.m_leftPane.SelectTab(1);
    std::wstring target = PathJoin(scratch, L"logic.symbol");
    AnswerFileDialog(target);
    Command(ID_FILE_SAVE_AS);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].request.filters[0].first, L"Symbol Libraries (*.symbol)");
    EXPECT_EQ(dialogs[0].request.fileName, L"New Symbol Library.symbol");
    EXPECT_TRUE(DirectoryExists(g_MainFrame.GetDefaultFolder(1)));
    EXPECT_EQ(ReadFile(target), std::string(kXmlHead) + "<SymbolLib>logic.symbol\r\n"
                                                        "  <SymbolFolder>Logic</SymbolFolder>\r\n"
                                                        "</SymbolLib>\r\n");
    EXPECT_EQ(g_MainFrame.GetRoot(1).GetText(), L"logic.symbol");
    EXPECT_EQ(g_MainFrame.GetCurrentDocumentKind(), 1);
    // The project, not shown, is untouched.
    EXPECT_EQ(g_MainFrame.GetRoot(0).GetFilePath(), L"");
}

} // namespace
