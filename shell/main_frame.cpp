// The main frame: creation and layout, the views it hosts, and the program's
// run. Commands live in main_frame_commands.cpp, documents in
// main_frame_documents.cpp.
#include "shell/main_frame.h"

#include "core/default_settings.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/tree_node.h"
#include "core/vorpel_view.h"
#include "dialogs/settings_commands.h"
#include "platform/device_context.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/printer.h"
#include "platform/settings_store.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "resources/menus.h"
#include "resources/ui_state.h"
#include "shell/find.h"

#include <algorithm>

CMainFrame g_MainFrame;
ComboBoxControl& g_LayerSelector = g_MainFrame.m_padLayerCombo;

namespace {
constexpr wchar_t kDirectoriesKey[] = L"Software\\Vorpel\\Directories";
constexpr COLORREF kMagenta = 0xFF00FF;
constexpr unsigned kTitleId = 128; // "Vorpel"

ViewFactory g_viewFactory = nullptr;
// Makers by node type; node types are small numbers.
ViewFactory g_viewMakers[64] = {};

// What the model asks of the shell.
CBoardLayerIndex* LayerIndexOfBoard(CTreeNode* board) {
    CVorpelView* view = g_MainFrame.FindViewByDocument(board);
    return view ? view->GetBoardLayerIndex() : nullptr;
}

void OpenViewOfNode(CTreeNode* node) {
    g_MainFrame.OpenNodeView(node);
}

CTreeNode* FindFootprintOnDisk(const std::wstring& name) {
    return g_MainFrame.FindLibraryFootprint(name);
}

// The layer selectors' face; the views draw the entries in it.
WindowFont LayerComboFont() {
    WindowFont font;
    font.face = L"Tahoma";
    font.height = 13;
    return font;
}

// The placeholder under a layer selector whose entries are the strings
// first, first + 1, ... first + count - 1: as wide as the toolbar has it, or
// wider where an entry would not show whole in the closed box, between the
// 3-pixel insets its owner draws it in.
int LayerComboWidth(int first, int count) {
    const WindowFont face = LayerComboFont();
    LogFont font;
    font.lfFaceName = face.face;
    font.lfHeight = -face.height;
    DeviceContext dc(1, 1);
    dc.SelectFont(font);
    int widest = 0;
    for (int i = 0; i < count; ++i)
        widest = std::max(
            widest, dc.GetTextExtentPoint32(LoadStringText(static_cast<unsigned>(first + i))).cx);
    // The box lies a pixel inside the placeholder on either side.
    return std::max(CMainFrame::kLayerComboWidth, ComboBoxControl::WidthForFace(widest + 6) + 2);
}

const wchar_t* RootTag(int kind) {
    static const wchar_t* const tags[3] = {L"Project", L"SymbolLib", L"FootprintLib"};
    return tags[kind];
}
} // namespace

void SetViewFactory(ViewFactory factory) {
    g_viewFactory = factory;
}

void RegisterViewMaker(int nodeType, ViewFactory maker) {
    const auto index = static_cast<size_t>(nodeType);
    if (index < std::size(g_viewMakers))
        g_viewMakers[index] = maker;
}

bool HasOwnViewMaker(int nodeType) {
    const auto index = static_cast<size_t>(nodeType);
    return index < std::size(g_viewMakers) && g_viewMakers[index];
}

CMainFrame::CMainFrame() {
    for (int kind = 0; kind < 3; ++kind) {
        m_roots[static_cast<size_t>(kind)].SetRootTag(RootTag(kind));
    }
    m_leftPane.SetRoots(&m_roots[0], &m_roots[1], &m_roots[2]);
}

CMainFrame::~CMainFrame() {
    DestroyWindow();
}

// --- Command lines ----------------------------------------------------------------

std::vector<std::wstring> CMainFrame::SplitCommandLine(const std::wstring& commandLine) {
    std::vector<std::wstring> words;
    size_t i = 0, n = commandLine.size();
    while (i < n) {
        while (i < n && (commandLine[i] == L' ' || commandLine[i] == L'\t'))
            ++i;
        if (i >= n)
            break;
        if (commandLine[i] == L'"') {
            size_t end = commandLine.find(L'"', i + 1);
            if (end == std::wstring::npos)
                end = n;
            words.push_back(commandLine.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            size_t end = i;
            while (end < n && commandLine[end] != L' ' && commandLine[end] != L'\t')
                ++end;
            words.push_back(commandLine.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

int CMainFrame::DocumentKindOfPath(const std::wstring& path) {
    size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || dot == 0)
        return kDocumentProject;
    std::wstring ext = path.substr(dot);
    if (ext == L".symbol")
        return kDocumentSymbolLibrary;
    if (ext == L".footprint")
        return kDocumentFootprintLibrary;
    return kDocumentProject;
}

// A word that names a file: it starts with a letter or digit, or is a path
// from the root or from the current folder (what options, which start with
// other characters, never are).
static bool IsDocumentWord(const std::wstring& word) {
    if (word.empty())
        return false;
    return IsLetterOrDigit(word[0]) || word[0] == L'/' || word.rfind(L"./", 0) == 0 ||
           word.rfind(L"../", 0) == 0;
}

std::wstring CMainFrame::DocumentOnCommandLine(const std::wstring& commandLine, int* kind) {
    for (const std::wstring& word : SplitCommandLine(commandLine)) {
        if (!IsDocumentWord(word))
            continue;
        if (kind)
            *kind = DocumentKindOfPath(word);
        return word;
    }
    return L"";
}

// --- Creation -----------------------------------------------------------------------

bool CMainFrame::CreateFrame(const std::wstring& commandLine, const RECT& rect) {
    if (IsWindow())
        return false;
    m_commandLine = commandLine;
    m_commandLineDocumentFailed = false;
    return Create(nullptr, rect, LoadStringText(kTitleId),
                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                  WS_EX_APPWINDOW | WS_EX_WINDOWEDGE);
}

void CMainFrame::ResetState() {
    m_currentDocumentKind = kDocumentProject;
    m_cycleStep = 1;
    m_mainToolBarShown = true;
    m_changesLeft = {};
    m_fitInPage = false;
    m_pagesAcross = m_pagesDown = 0;
    m_pageRanges.clear();
    m_devMode = DevMode();
    for (int kind = 0; kind < 3; ++kind) {
        CRoot& root = m_roots[static_cast<size_t>(kind)];
        // The history goes before the nodes its records name.
        m_leftPane.GetUndoList(kind).Clear();
        DeleteDocumentNodes(root);
        root.GetAttributes().clear();
        root.SetRootTag(RootTag(kind));
        root.SetText(L"");
        root.SetFilePath(L"");
    }
}

void CMainFrame::CreateCommandBar() {
    m_commandBar.Create(&m_rebar, RECT{0, 0, 400, 24}, L"", WS_CHILD | WS_VISIBLE);
    m_commandBar.SetNotifyWindow(this);
    if (const MenuResource* menu = LoadMenuResource(IDR_MAINFRAME))
        m_commandBar.AttachMenu(*menu);
    m_menuImages = ImageList::FromResource(IDR_TOOLBAR_MENU_IMAGES, 16, kMagenta);
    if (m_menuImages)
        m_commandBar.SetCommandImages(IDR_TOOLBAR_MENU_IMAGES, *m_menuImages);
    ReBarBand band;
    band.id = kBandIdFirst + kBandCommandBar;
    band.child = &m_commandBar;
    band.idealWidth = m_commandBar.GetIdealSize().cx;
    band.minWidth = band.idealWidth;
    m_rebar.InsertBand(band);
}

void CMainFrame::CreateLayerCombo(ComboBoxControl& combo, ToolBarControl& toolbar, int id,
                                  int width) {
    int index = toolbar.CommandToIndex(id);
    toolbar.SetButtonWidth(index, width);
    UIEnable(id, false);
    toolbar.EnableButton(id, false);
    RECT r = toolbar.GetItemRect(index);
    int height = 22;
    int top = r.top + (r.bottom - r.top - height) / 2;
    combo.Create(&toolbar, RECT{r.left + 1, top, r.right - 1, top + height}, L"",
                 WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                 WS_EX_CLIENTEDGE, id);
    combo.SetFont(LayerComboFont(), false);
}

void CMainFrame::MovePadLayerComboTo(ToolBarControl* toolbar) {
    if (!toolbar || !toolbar->IsWindow() || !m_padLayerCombo.IsWindow())
        return;
    int index = toolbar->CommandToIndex(ID_PAD_LAYER_COMBO);
    if (index < 0)
        return;
    m_padLayerCombo.SetParent(toolbar);
    RECT r = toolbar->GetItemRect(index);
    RECT now = m_padLayerCombo.GetRectInParent();
    int height = now.bottom - now.top;
    int top = r.top + (r.bottom - r.top - height) / 2;
    m_padLayerCombo.MoveWindow(RECT{r.left + 1, top, r.right - 1, top + height}, true);
    m_padLayerCombo.BringToTop();
}

void CMainFrame::CreateToolBars() {
    auto addBand = [this](ToolBarControl& toolbar, int index, bool newRow) {
        ReBarBand band;
        band.id = kBandIdFirst + static_cast<unsigned>(index);
        band.child = &toolbar;
        band.newRow = newRow;
        m_rebar.InsertBand(band);
    };
    auto create = [this](ToolBarControl& toolbar, unsigned resource) {
        toolbar.LoadToolBar(resource);
        toolbar.Create(&m_rebar, RECT{0, 0, toolbar.GetIdealSize().cx, toolbar.GetButtonHeight()},
                       L"", WS_CHILD | WS_VISIBLE, 0, static_cast<int>(resource));
        toolbar.SetNotifyWindow(this);
    };

    // Main toolbar: New and Open are drop-down buttons.
    create(m_mainToolBar, IDR_TOOLBAR_MAIN);
    m_mainImages = ImageList::FromResource(IDB_MAIN_TOOLBAR, 24, kMagenta);
    m_mainHotImages = ImageList::FromResource(IDB_MAIN_TOOLBAR_HOT, 24, kMagenta);
    m_mainToolBar.SetImageList(m_mainImages.get());
    m_mainToolBar.SetHotImageList(m_mainHotImages.get());
    m_mainToolBar.SetExtendedStyle(TBSTYLE_EX_DRAWDDARROWS);
    m_mainToolBar.SetButtonStyle(0, BTNS_DROPDOWN | BTNS_AUTOSIZE);
    m_mainToolBar.SetButtonCommand(0, ID_NEW_PROJECT);
    m_mainToolBar.SetButtonImage(0, 0);
    m_mainToolBar.SetButtonStyle(1, BTNS_DROPDOWN | BTNS_AUTOSIZE);
    m_mainToolBar.SetButtonCommand(1, ID_OPEN_PROJECT);
    m_mainToolBar.SetButtonImage(1, 1);
    addBand(m_mainToolBar, kBandMainToolBar, true);

    const unsigned editorBitmaps[4] = {IDR_TOOLBAR_SCHEMATIC, IDR_TOOLBAR_SYMBOL,
                                       IDR_TOOLBAR_PADSTACK, IDR_TOOLBAR_FOOTPRINT};
    for (int i = 0; i < 4; ++i)
        m_editorImages[i] = ImageList::FromResource(editorBitmaps[i], 24, kMagenta);

    create(m_schematicToolBar, IDR_TOOLBAR_SCHEMATIC);
    m_schematicToolBar.SetImageList(m_editorImages[0].get());
    addBand(m_schematicToolBar, kBandSchematic, false);
    create(m_symbolToolBar, IDR_TOOLBAR_SYMBOL);
    m_symbolToolBar.SetImageList(m_editorImages[1].get());
    addBand(m_symbolToolBar, kBandSymbol, false);

    // Board toolbar: the layer selector over its placeholder, five groups.
    create(m_boardToolBar, IDR_TOOLBAR_BOARD);
    m_boardImages = ImageList::FromResource(IDB_BOARD_TOOLBAR, 24, kMagenta);
    m_boardToolBar.SetImageList(m_boardImages.get());
    m_boardToolBar.SetExtendedStyle(TBSTYLE_EX_DRAWDDARROWS);
    for (int id : {ID_BRD_OUTLINE, ID_BRD_COMPONENT, ID_BRD_ROUTE, ID_BRD_AREA, ID_BRD_TEXT})
        m_boardToolBar.SetButtonStyle(m_boardToolBar.CommandToIndex(id),
                                      BTNS_DROPDOWN | BTNS_AUTOSIZE);
    CreateLayerCombo(m_boardLayerCombo, m_boardToolBar, ID_BOARD_LAYER_COMBO,
                     LayerComboWidth(ID_BOARD_LAYER_COMBO, kBoardLayerTexts));
    addBand(m_boardToolBar, kBandBoard, false);

    create(m_padstackToolBar, IDR_TOOLBAR_PADSTACK);
    m_padstackToolBar.SetImageList(m_editorImages[2].get());
    m_padstackToolBar.SetExtendedStyle(TBSTYLE_EX_DRAWDDARROWS);
    // One selector serves the padstack and footprint toolbars.
    const int padComboWidth = LayerComboWidth(ID_PAD_LAYER_COMBO, kPadLayerTexts);
    CreateLayerCombo(m_padLayerCombo, m_padstackToolBar, ID_PAD_LAYER_COMBO, padComboWidth);
    addBand(m_padstackToolBar, kBandPadstack, false);

    create(m_footprintToolBar, IDR_TOOLBAR_FOOTPRINT);
    m_footprintToolBar.SetImageList(m_editorImages[3].get());
    m_footprintToolBar.SetExtendedStyle(TBSTYLE_EX_DRAWDDARROWS);
    int placeholder = m_footprintToolBar.CommandToIndex(ID_PAD_LAYER_COMBO);
    m_footprintToolBar.SetButtonWidth(placeholder, padComboWidth);
    m_footprintToolBar.EnableButton(ID_PAD_LAYER_COMBO, false);
    int padstack = m_footprintToolBar.CommandToIndex(ID_FP_PLACE_PADSTACK);
    m_footprintToolBar.SetButtonStyle(padstack, BTNS_DROPDOWN);
    m_footprintToolBar.SetButtonWidth(padstack, 50);
    addBand(m_footprintToolBar, kBandFootprint, false);

    // No editor is shown yet.
    for (int band = kBandSchematic; band <= kBandFootprint; ++band)
        m_rebar.ShowBand(band, false);
}

void CMainFrame::CreateStatusBar() {
    RECT c = GetClientRect();
    m_statusBar.Create(this, RECT{0, c.bottom - StatusBarControl::kHeight, c.right, c.bottom}, L"",
                       WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, ID_STATUS_BAR);
    WindowFont font;
    font.face = L"Tahoma";
    font.height = 12;
    m_statusBar.SetFont(font, false);
    m_statusBar.SetPanes();
}

void CMainFrame::CreateSplitter() {
    RECT c = GetClientRect();
    m_splitter.Create(this, RECT{0, 0, c.right, c.bottom}, L"", WS_CHILD | WS_VISIBLE);
    m_splitter.SetBarWidth(SplitterWindow::kDefaultBarWidth);
    m_leftPane.Create(&m_splitter, RECT{0, 0, kSplitterPos, c.bottom}, L"", WS_CHILD | WS_VISIBLE,
                      WS_EX_CLIENTEDGE);
    m_tabWindow.Create(&m_splitter, RECT{kSplitterPos, 0, c.right, c.bottom}, L"TabWindow",
                       WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CLIENTEDGE);
    m_leftPane.CreateImageLists();
    m_splitter.SetSplitterPanes(&m_leftPane, &m_tabWindow);
    UpdateLayout();
    // The left pane starts wide enough for its three tabs.
    m_splitter.SetSplitterPos(std::max(kSplitterPos, m_leftPane.StripWidth()));
}

void CMainFrame::RegisterUpdateUI() {
    std::vector<UpdateUIEntry> entries;
    for (const UiStateResourceEntry& e : MainFrameUiStateEntries())
        entries.push_back(UpdateUIEntry{e.command, e.places});
    UISetEntries(entries);
    UIClearToolBars();
    for (ToolBarControl* t : {&m_mainToolBar, &m_schematicToolBar, &m_symbolToolBar,
                              &m_boardToolBar, &m_padstackToolBar, &m_footprintToolBar})
        UIAddToolBar(t);
    UIEnable(ID_BOARD_LAYER_COMBO, false);
    UIEnable(ID_PAD_LAYER_COMBO, false);
    UISetCheck(ID_VIEW_TOOLBAR, 1);
    UISetCheck(ID_VIEW_STATUS_BAR, 1);
    UISetCheck(ID_TOOL_SELECT, 1);
}

void CMainFrame::LoadDirectories() {
    const std::wstring documents = DocumentsFolder();
    // The folders are made once, on the run that finds no key; a user who
    // deleted them later is not overruled.
    bool firstRun = !SettingsStore::KeyExists(kDirectoriesKey);
    SettingsKey key;
    if (key.Create(kDirectoriesKey) && firstRun) {
        for (const wchar_t* folder : {L"/Vorpel", L"/Vorpel/Project", L"/Vorpel/Lib",
                                      L"/Vorpel/Lib/Symbol", L"/Vorpel/Lib/Footprint"})
            CreateDirectories(documents + folder);
    }
    for (int kind = 0; kind < 3; ++kind)
        m_defaultFolders[static_cast<size_t>(kind)] = StoredDirectory(kind);
    PutBasePadstacks();
}

void CMainFrame::PutBasePadstacks() {
    // The padstack sheet's Load page opens Base.footprint of the footprint
    // library folder: where the folder has none, at any start, the program's
    // own library is copied there. A file of the user's is never replaced,
    // and a folder the user removed is not made again for it.
    const std::wstring base =
        PathJoin(m_defaultFolders[kDocumentFootprintLibrary], L"Base.footprint");
    if (FileExists(base) || !DirectoryExists(PathDirectory(base)))
        return;
    std::string bytes;
    if (ReadWholeFile(PathJoin(ExecutableFolder(), L"Lib/Footprint/demo.footprint"), bytes))
        WriteWholeFile(base, bytes);
}

void CMainFrame::FindDefaultPrinter() {
    m_printerName = DefaultPrinterName();
    m_fitInPage = false;
}

void CMainFrame::OpenCommandLineDocument() {
    int kind = kDocumentProject;
    std::wstring path = DocumentOnCommandLine(m_commandLine, &kind);
    if (path.empty())
        return;
    // A relative path names a file of the folder the program was started in,
    // not of the working folder set above.
    path = MakeFullPath(path, m_startFolder);
    m_currentDocumentKind = kind;
    if (!Open(path, kind)) {
        m_commandLineDocumentFailed = true;
        // The window stays up with a document of that kind as New makes it,
        // named, rather than a tree item of no name that no save can write.
        NewDocument(kind);
    } else if (kind == kDocumentProject)
        SetFrameTitle(PathFileName(path));
}

void CMainFrame::OnCreate() {
    m_startFolder = GetCurrentFolder();
    if (auto icon = Bitmap::LoadResource(IDR_MAINFRAME))
        SetIcon(*icon);
    ResetState();
    m_accelerators = AcceleratorTable::FromResource(IDR_MAINFRAME);
    RECT c = GetClientRect();
    m_rebar.Create(this, RECT{0, 0, c.right, 60}, L"", WS_CHILD | WS_VISIBLE);
    CreateCommandBar();
    CreateToolBars();
    CreateStatusBar();
    CreateSplitter();
    RegisterUpdateUI();
    UIUpdateToolBar(true);
    AddMessageFilter(this);
    AddIdleHandler(this);
    SetBoardLayerIndexFinder(LayerIndexOfBoard);
    SetNodeViewOpener(OpenViewOfNode);
    SetLibraryFootprintFinder(FindFootprintOnDisk);
    if (!GetUiHooks().statusText) {
        UiHooks hooks = GetUiHooks();
        hooks.statusText = [](int pane, const std::wstring& text) {
            if (g_MainFrame.m_statusBar.IsWindow())
                g_MainFrame.m_statusBar.SetText(pane, text);
        };
        SetUiHooks(std::move(hooks));
        m_statusHookInstalled = true;
    }

    LoadDirectories();
    g_DefaultSettings.Load();
    m_programFolder = ExecutableFolder();
    SetCurrentFolder(m_programFolder);
    FindDefaultPrinter();
    for (int kind = 0; kind < 3; ++kind)
        m_leftPane.RebuildTree(kind);
    OpenCommandLineDocument();
}

void CMainFrame::OnDestroy() {
    g_Find.Dismiss();
    RemoveMessageFilter(this);
    RemoveIdleHandler(this);
    m_tabWindow.CloseAll();
    UIClearToolBars();
    SetBoardLayerIndexFinder(nullptr);
    SetNodeViewOpener(nullptr);
    SetLibraryFootprintFinder(nullptr);
    if (m_statusHookInstalled) {
        UiHooks hooks = GetUiHooks();
        hooks.statusText = nullptr;
        SetUiHooks(std::move(hooks));
        m_statusHookInstalled = false;
    }
    // The histories go before the nodes their records name.
    for (int kind = 0; kind < 3; ++kind)
        m_leftPane.GetUndoList(kind).Clear();
    for (CRoot& root : m_roots)
        DeleteDocumentNodes(root);
    // The top-level window is gone: the message loop ends.
    PostQuitMessage(0);
}

void CMainFrame::UpdateLayout() {
    if (!IsWindow())
        return;
    RECT c = GetClientRect();
    int top = 0;
    if (m_rebar.IsWindow()) {
        m_rebar.MoveWindow(RECT{0, 0, c.right, std::max(1, m_rebar.GetBarHeight())}, true);
        int height = m_rebar.Layout();
        m_rebar.MoveWindow(RECT{0, 0, c.right, height}, true);
        top = height;
    }
    int bottom = c.bottom;
    if (m_statusBar.IsWindow() && (m_statusBar.GetStyle() & WS_VISIBLE)) {
        bottom -= StatusBarControl::kHeight;
        m_statusBar.MoveWindow(RECT{0, bottom, c.right, c.bottom}, true);
    }
    if (m_splitter.IsWindow())
        m_splitter.MoveWindow(RECT{0, top, c.right, std::max(top, bottom)}, true);
}

void CMainFrame::SetFrameTitle(const std::wstring& text) {
    SetWindowText(text);
}

ToolBarControl* CMainFrame::GetToolBar(int band) {
    switch (band) {
    case kBandMainToolBar:
        return &m_mainToolBar;
    case kBandSchematic:
        return &m_schematicToolBar;
    case kBandSymbol:
        return &m_symbolToolBar;
    case kBandBoard:
        return &m_boardToolBar;
    case kBandPadstack:
        return &m_padstackToolBar;
    case kBandFootprint:
        return &m_footprintToolBar;
    default:
        return nullptr;
    }
}

int CMainFrame::GetNewButtonCommand() const {
    return m_mainToolBar.GetButtonCount() > 0 ? m_mainToolBar.GetButton(0).command : ID_NEW_PROJECT;
}

// --- Views ------------------------------------------------------------------------

CVorpelView* CMainFrame::GetActiveView() const {
    return m_tabWindow.GetActiveView();
}

std::wstring CMainFrame::ViewCaption(const CTreeNode* node) {
    if (!node)
        return L"";
    std::wstring parent = node->GetParent() ? node->GetParent()->GetText() : std::wstring();
    return parent + L" - " + node->GetText();
}

CVorpelView* CMainFrame::AddView(CTreeNode* node, CVorpelView* view) {
    if (!node || !view || !m_tabWindow.IsWindow()) {
        delete view;
        return nullptr;
    }
    RECT c = m_tabWindow.GetClientRect();
    if (!view->Create(&m_tabWindow,
                      RECT{0, CTabWindow::kStripHeight, c.right,
                           CTabWindow::kStripHeight + std::max(0, c.bottom - 37)},
                      L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN)) {
        delete view;
        return nullptr;
    }
    node->SetEditorView(view);
    view->SetWindowText(ViewCaption(node));
    m_tabWindow.AddTab(view);
    return view;
}

CVorpelView* CMainFrame::OpenNodeView(CTreeNode* node) {
    if (!node)
        return nullptr;
    if (CVorpelView* open = node->GetEditorView()) {
        int tab = m_tabWindow.FindTab(open);
        if (tab >= 0) {
            m_tabWindow.ActivateTab(tab);
            return open;
        }
    }
    const auto type = static_cast<size_t>(node->GetType());
    ViewFactory maker =
        type < std::size(g_viewMakers) && g_viewMakers[type] ? g_viewMakers[type] : g_viewFactory;
    if (!maker)
        return nullptr;
    CVorpelView* view = maker(node);
    return view ? AddView(node, view) : nullptr;
}

CVorpelView* CMainFrame::FindViewByDocument(const CTreeNode* node) const {
    int tab = m_tabWindow.FindTabByDocument(node);
    return tab >= 0 ? m_tabWindow.GetView(tab) : nullptr;
}

CBoardLayerIndex* CMainFrame::FindBoardLayerIndex(CTreeNode* node) const {
    CTreeNode* board = FindBoardAbove(node);
    if (!board)
        return nullptr;
    CVorpelView* view = FindViewByDocument(board);
    return view ? view->GetBoardLayerIndex() : nullptr;
}

void CMainFrame::ExpandProjectFolders(CTreeNode* node) {
    if (!node)
        return;
    m_leftPane.SetNodeExpanded(node, true);
    if (node != &m_roots[kDocumentProject] && node->GetType() != NodeType::Project &&
        node->GetType() != NodeType::Block)
        return;
    for (CTreeNode* child : node->GetChildren())
        ExpandProjectFolders(child);
}

// --- The program ----------------------------------------------------------------------

int Run(const std::wstring& commandLine) {
    if (!g_MainFrame.CreateFrame(commandLine, RECT{0, 0, 1280, 800}))
        return 0;
    // Always maximised, whatever the program was started with.
    g_MainFrame.ShowMaximized();
    int code = RunMessageLoop();
    if (g_MainFrame.IsWindow())
        g_MainFrame.DestroyWindow();
    return code;
}
