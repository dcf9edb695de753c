// The main window: the menu bar, the rows of toolbars with the two layer
// combo boxes, the status bar, and a splitter holding the left pane with
// the document trees and the tab window with the editor views and the
// property panel. It holds the three documents (project, symbol library,
// footprint library) and creates, opens, saves and closes them; it routes
// every command (file, options, window and help commands itself, Edit
// commands to the window with the focus, tool, layer, zoom and view commands
// to the shown view) and keeps the toolbars' states in its idle pass.
//
// There is one frame, g_MainFrame; views and model code reach the status
// bar, the property panel, the toolbars, the combo boxes, the roots and the
// open views through it.
#pragma once

#include "core/root.h"
#include "platform/accelerator.h"
#include "platform/bitmap.h"
#include "platform/combo_box_control.h"
#include "platform/command_bar.h"
#include "platform/message_loop.h"
#include "platform/printer.h"
#include "platform/rebar_control.h"
#include "platform/splitter_window.h"
#include "platform/toolbar_control.h"
#include "platform/update_ui.h"
#include "platform/window.h"
#include "shell/left_pane.h"
#include "shell/sch_status_bar.h"
#include "shell/tab_window.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

class CBoardLayerIndex;
class CPropertyGrid;
class CTreeNode;
class CVorpelView;

// Rebar band indexes, in band order.
enum FrameBand {
    kBandCommandBar = 0,
    kBandMainToolBar = 1,
    kBandSchematic = 2,
    kBandSymbol = 3,
    kBandBoard = 4,
    kBandPadstack = 5,
    kBandFootprint = 6,
    kBandCount = 7,
};

// Makes the editor view of a node (the object only; the frame creates its
// window), or null when the node has no editor. Whoever knows the view
// classes installs it; without one, opening a node does nothing.
using ViewFactory = CVorpelView* (*)(CTreeNode* node);
void SetViewFactory(ViewFactory factory);
// The maker of the editor view of one node type (a board, sheet, package,
// footprint or padstack); each view kind registers its own. A node type with
// a maker of its own is opened by it; others go to the factory above.
void RegisterViewMaker(int nodeType, ViewFactory maker);
// True when the node type has a maker of its own: its nodes are pages of
// their own, not parts of another page.
bool HasOwnViewMaker(int nodeType);

class CMainFrame : public PlatformWindow, public UpdateUI, public IdleHandler {
public:
    // The splitter bar's first position and the placeholder width of the
    // layer combo boxes (each at least; wider where the left pane's tabs or
    // a layer's name need it).
    static constexpr int kSplitterPos = 255;
    static constexpr int kLayerComboWidth = 140;
    // The layer names the selectors may show: the strings from the board
    // selector's id on, and from the pad-layer selector's id on.
    static constexpr int kBoardLayerTexts = 33;
    static constexpr int kPadLayerTexts = 15;
    static constexpr int kMaxPageRanges = 100;

    CMainFrame();
    ~CMainFrame() override;

    // --- Start-up ---------------------------------------------------------
    // Stores the command line and creates the frame window at rect (not
    // shown); the creation builds everything, reads the settings and opens
    // the command line's document. False when the window could not be made.
    bool CreateFrame(const std::wstring& commandLine, const RECT& rect);
    // The words of a command line: a word starting with a double quote runs
    // to the next one (quotes dropped), any other to the next blank.
    static std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);
    // The document a command line opens: the first word starting with a
    // letter or digit, or empty; kind receives its DocumentKind.
    static std::wstring DocumentOnCommandLine(const std::wstring& commandLine, int* kind);
    // The DocumentKind of a path by its extension (".symbol", ".footprint",
    // anything else a project; the extension compared exactly).
    static int DocumentKindOfPath(const std::wstring& path);
    // True when the command line of the last creation named a document that
    // could not be read.
    bool CommandLineDocumentFailed() const { return m_commandLineDocumentFailed; }
    // While set, a document that cannot be read is told there, with its path
    // and the reader's reason, in place of the message box (for a run where
    // nobody sees one). An empty function brings the box back.
    void SetReadFailureReport(
        std::function<void(const std::wstring& path, const std::wstring& reason)> report) {
        m_readFailureReport = std::move(report);
    }

    // --- Views ------------------------------------------------------------
    // The shown view, or null when none is open.
    CVorpelView* GetActiveView() const;
    // Opens (or re-activates) the editor view of a node: a view already open
    // on it is shown; otherwise the view factory makes one, which is created
    // as a child of the tab window, linked to the node, captioned and added
    // as the first tab. Returns the view shown, or null.
    CVorpelView* OpenNodeView(CTreeNode* node);
    // Adds a view made elsewhere (not yet created) for node: the same steps
    // as OpenNodeView after the factory.
    CVorpelView* AddView(CTreeNode* node, CVorpelView* view);
    // The caption of a node's view: its parent's name, " - ", its name.
    static std::wstring ViewCaption(const CTreeNode* node);
    CVorpelView* FindViewByDocument(const CTreeNode* node) const;
    // The layer index of the open view of the board above node, or null.
    CBoardLayerIndex* FindBoardLayerIndex(CTreeNode* node) const;
    // Marks the node expanded in its tree, and for the project root and
    // blocks every child below them too.
    void ExpandProjectFolders(CTreeNode* node);

    // --- Footprint libraries on disk --------------------------------------
    // A copy (owned by the caller, in millimetres, without grid) of the
    // first footprint named name in the library files of the footprint
    // library folders: those of "Software\Vorpel\Footprint Libraries" in
    // their stored order, or, without that list, the default footprint
    // folder and the program's "Lib/Footprint/". Each folder is searched
    // with its subfolders; files that are no footprint library, or cannot
    // be read, give nothing. Null after "Footprint not found".
    CTreeNode* FindLibraryFootprint(const std::wstring& name);
    // The search of one folder (a path ending in '/') and its subfolders,
    // files before nothing in particular: entries in name order. A folder
    // reached again through a link is not searched twice.
    CTreeNode* ScanFootprintFolder(const std::wstring& folder, const std::wstring& name);
    // The footprint among node's children whose name is exactly name, also
    // inside footprint folders (searched in child order); null when none.
    static CTreeNode* FindFootprintInNode(CTreeNode* node, const std::wstring& name);
    // The folders FindLibraryFootprint searches, in order.
    std::vector<std::wstring> FootprintLibraryFolders() const;

    // --- Documents (kind: 0 project, 1 symbol library, 2 footprint library)
    void NewDocument(int kind);
    void OpenDocumentCommand(int kind);
    // Loads a file into the document of that kind; false (after "File read
    // error" and the path) when it cannot be read, the document unchanged.
    bool Open(const std::wstring& path, int kind);
    // Ends the work under way (a floating copy, a wire or route being
    // drawn) in every view that edits the document, as Esc ends it: what
    // leaves the program as the document (a save, a tree's copy, an export)
    // never holds anything half made.
    void DropWorkInDocument(int kind);
    // Writes the document to its stored path and marks it saved; the work
    // under way in its views is ended first.
    bool Save(int kind);
    // Asks for a file name, then saves there; false when cancelled or when
    // the save failed (the document keeps its former name then).
    bool SaveAs(int kind);
    // Saves under the stored path when it is a full path, else through Save
    // As; false when the save failed or was cancelled.
    bool SaveDocument(int kind);
    // "Project was changed; save changes?": false means cancel (also when
    // Yes was answered and the save failed or was cancelled).
    bool AskSave(int kind);
    // Readies a document to be replaced: drops the work under way in its
    // views, asks when it is modified, then closes its views without asking
    // again. False when the user cancelled or a view of the document stayed
    // open.
    bool CloseDocument(int kind);
    // Ctrl+S: the document of the left pane's tree when it has the focus or
    // no view is open, else the shown view's.
    bool OnFileSave();
    // Modified: the document's tree or one of its open views has unsaved
    // changes, or changes were left in it by views closed since its last
    // New, Open or Save.
    bool IsDocumentModified(int kind) const;
    // A view of the document closes with its changes left in the document.
    void NoteChangesLeftInDocument(int kind);
    int GetCurrentDocumentKind() const { return m_currentDocumentKind; }
    CRoot& GetRoot(int kind) { return m_roots[static_cast<size_t>(kind)]; }
    const std::wstring& GetDefaultFolder(int kind) const {
        return m_defaultFolders[static_cast<size_t>(kind)];
    }
    void SetDefaultFolder(int kind, const std::wstring& folder) {
        m_defaultFolders[static_cast<size_t>(kind)] = folder;
    }
    // The folder of the running program.
    const std::wstring& GetProgramFolder() const { return m_programFolder; }

    // --- Parts ------------------------------------------------------------
    CPropertyGrid& GetPropertyGrid() { return m_tabWindow.m_propertyGrid; }
    // The six toolbars by band index (kBandMainToolBar .. kBandFootprint).
    ToolBarControl* GetToolBar(int band);
    // Puts the pad-layer combo box over the placeholder 32900 of a toolbar
    // (the footprint or the padstack toolbar).
    void MovePadLayerComboTo(ToolBarControl* toolbar);
    // The command the New button carries (32813, 32818 or 32819).
    int GetNewButtonCommand() const;
    bool IsMainToolBarShown() const { return m_mainToolBarShown; }

    // --- Routing ----------------------------------------------------------
    bool PreTranslateMessage(Message* msg) override;
    bool OnIdle() override;
    // The step counter of Ctrl+Tab (1 while Ctrl is up).
    int GetCycleStep() const { return m_cycleStep; }

    // --- Parts, as members ------------------------------------------------
    CommandBarControl m_commandBar;
    CSchStatusBar m_statusBar;
    SplitterWindow m_splitter;
    CLeftPane m_leftPane;
    CTabWindow m_tabWindow;
    ReBarControl m_rebar;
    ToolBarControl m_mainToolBar;
    ToolBarControl m_schematicToolBar;
    ToolBarControl m_symbolToolBar;
    ToolBarControl m_boardToolBar;
    ToolBarControl m_padstackToolBar;
    ToolBarControl m_footprintToolBar;
    // The pad-layer selector (id 32900) shared by the footprint and
    // padstack editors, and the board editor's layer selector (id 32999).
    ComboBoxControl m_padLayerCombo;
    ComboBoxControl m_boardLayerCombo;
    std::unique_ptr<ImageList> m_mainImages;
    std::unique_ptr<ImageList> m_mainHotImages;
    std::unique_ptr<ImageList> m_boardImages;
    std::unique_ptr<ImageList> m_editorImages[4]; // schematic, symbol, padstack, footprint
    std::unique_ptr<ImageList> m_menuImages;

    // --- Printing (main_frame_print.cpp) -----------------------------------
    // Print: the print dialog, then the chosen pages of the shown view on the
    // chosen printer. Does nothing when no view is open or the view has
    // nothing to print (no print extent).
    void OnFilePrint();
    // The page grid of the shown view on a printer's page: fills pages
    // across and down (the extent over the printable size, rounded up; width
    // and height swap when the orientation and the page's shape disagree)
    // and returns 1 when fitting, else across x down.
    int CountPages(DeviceContext& dc, const DevMode& devMode);
    // True when page + 1 (page 0-based) lies in one of the chosen ranges.
    bool IsValidPage(int page) const;
    // Draws one page (0-based, row by row over the grid) of the shown view
    // onto a printer's page; false when no view is open or the page lies
    // beyond the grid.
    bool PrintPage(int page, DeviceContext& dc);
    // Whether the shown view has something to print.
    bool CanPrint() const;
    bool GetFitInPage() const { return m_fitInPage; }
    void SetFitInPage(bool fit) { m_fitInPage = fit; }
    unsigned GetGridPageCount() const { return m_pagesAcross * m_pagesDown; }

    // Printing: the printer (the system's default at start-up, empty when
    // none), its settings (empty until the first print), fit-in-page, the
    // page grid and the page ranges chosen.
    std::wstring m_printerName;
    DevMode m_devMode;
    bool m_fitInPage = false;
    unsigned m_pagesAcross = 0;
    unsigned m_pagesDown = 0;
    std::vector<std::pair<int, int>> m_pageRanges;

    std::wstring m_commandLine;
    bool m_commandLineDocumentFailed = false;
    std::function<void(const std::wstring&, const std::wstring&)> m_readFailureReport;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Creation, in order (main_frame.cpp).
    void OnCreate();
    void OnDestroy();
    void ResetState();
    void CreateCommandBar();
    void CreateToolBars();
    void CreateLayerCombo(ComboBoxControl& combo, ToolBarControl& toolbar, int id, int width);
    void CreateStatusBar();
    void CreateSplitter();
    void RegisterUpdateUI();
    void LoadDirectories();
    void PutBasePadstacks();
    void FindDefaultPrinter();
    void OpenCommandLineDocument();
    void UpdateLayout();
    void SetFrameTitle(const std::wstring& text);

    // Commands (main_frame_commands.cpp).
    bool OnCommand(int id, int code, LPARAM lParam);
    void SendToFocus(UINT msg);
    void PostToTabWindow(int id);
    // Alt with the letter of a menu of the menu bar opens that menu.
    bool OpenMenuByLetter(const Message* msg);
    LRESULT OnDropDown(NMTOOLBAR* nm);
    void OnMenuSelect(int id, bool closed);
    void OnViewToolBar();
    void OnViewStatusBar();
    void OnClose();
    void OnFileNewCommand();

    // Footprint libraries (footprint_lookup.cpp).
    // seen: the real folders and files this lookup has been to already.
    CTreeNode* ScanFolder(const std::wstring& folder, const std::wstring& name,
                          std::unordered_set<std::wstring>& seen);

    // Documents (main_frame_documents.cpp).
    // Deletes every node of a document (the panel lets go of them first).
    void DeleteDocumentNodes(CRoot& root);
    bool CloseViewsOf(int kind, bool prompt);
    // The view edits a node of the document of that kind.
    bool ViewEditsDocument(const CVorpelView* view, int kind);

    std::array<CRoot, 3> m_roots;
    std::array<std::wstring, 3> m_defaultFolders;
    std::array<bool, 3> m_changesLeft{};
    std::wstring m_programFolder;
    // The current folder when the frame was created: command-line paths are
    // relative to it.
    std::wstring m_startFolder;
    AcceleratorTable m_accelerators;
    int m_currentDocumentKind = 0;
    int m_cycleStep = 1;
    bool m_mainToolBarShown = true;
    // Whether the frame routes the program's status texts to its status bar
    // (unless someone else, a test, already takes them).
    bool m_statusHookInstalled = false;
};

extern CMainFrame g_MainFrame;
// The pad-layer selector shared by the footprint and padstack editors
// (g_MainFrame.m_padLayerCombo).
extern ComboBoxControl& g_LayerSelector;

// Runs the program: creates the frame with the command line, shows it
// maximised and runs the message loop; returns the loop's exit code, or 0
// when the frame could not be created.
int Run(const std::wstring& commandLine);
