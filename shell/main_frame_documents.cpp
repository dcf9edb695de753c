// The main frame's documents: New, Open, Save, Save As, the save prompt and
// readying a document to be replaced.
#include "core/property_grid.h"
#include "core/vorpel_view.h"
#include "core/xml_file.h"
#include "platform/dialog.h"
#include "platform/file.h"
#include "platform/file_dialog.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "shell/main_frame.h"

namespace {
constexpr unsigned kCaptionId = 128;         // "Vorpel"
constexpr unsigned kDocumentChangedId = 142; // "Project was changed; save changes?"
constexpr unsigned kReadErrorId = 300;       // "File read error "
constexpr unsigned kSaveErrorId = 301;       // "File save error "

struct DocumentKindInfo {
    unsigned newNameId;
    const wchar_t* rootTag;
    const wchar_t* extension;
    const wchar_t* filter;
    const wchar_t* pattern;
    int newCommand;
    int newImage;
};

const DocumentKindInfo kKinds[3] = {
    {133, L"Project", L".circuit", L"Schematic Files (*.circuit)", L"*.circuit", ID_NEW_PROJECT, 0},
    {134, L"SymbolLib", L".symbol", L"Symbol Libraries (*.symbol)", L"*.symbol", ID_NEW_SYMBOL, 13},
    {135, L"FootprintLib", L".footprint", L"Footprint Libraries (*.footprint)", L"*.footprint",
     ID_NEW_FOOTPRINT, 14},
};

const DocumentKindInfo& Info(int kind) {
    return kKinds[kind >= 0 && kind < 3 ? kind : 0];
}

FileDialogRequest DocumentDialog(int kind) {
    FileDialogRequest request;
    request.owner = GetActiveWindow();
    request.filters = {{Info(kind).filter, Info(kind).pattern}, {L"All Files (*.*)", L"*.*"}};
    request.filterIndex = 1;
    return request;
}
} // namespace

void CMainFrame::DeleteDocumentNodes(CRoot& root) {
    for (CTreeNode* child : root.ReleaseChildren()) {
        GetPropertyGrid().OnNodeRemoved(child);
        delete child;
    }
}

bool CMainFrame::IsDocumentModified(int kind) const {
    if (kind < 0 || kind > 2)
        return false;
    if (m_changesLeft[static_cast<size_t>(kind)])
        return true;
    if (!const_cast<CLeftPane&>(m_leftPane).GetUndoList(kind).IsAtSavedState())
        return true;
    for (CVorpelView* view : m_tabWindow.GetViews())
        if (view->GetDocumentKind() == kind && !view->GetUndoList().IsAtSavedState())
            return true;
    return false;
}

void CMainFrame::NoteChangesLeftInDocument(int kind) {
    if (kind >= 0 && kind < 3)
        m_changesLeft[static_cast<size_t>(kind)] = true;
}

bool CMainFrame::AskSave(int kind) {
    int answer = ShowMessageBox(LoadStringText(kDocumentChangedId), LoadStringText(kCaptionId),
                                MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES)
        return SaveDocument(kind);
    return answer == IDNO;
}

bool CMainFrame::SaveDocument(int kind) {
    if (IsFullPath(GetRoot(kind).GetFilePath()))
        return Save(kind);
    return SaveAs(kind);
}

bool CMainFrame::ViewEditsDocument(const CVorpelView* view, int kind) {
    // By where the view's node lies, not by the view's kind: a padstack
    // editor may edit a padstack of the project's board.
    const CTreeNode* top = view->GetDocument();
    while (top && top->GetParent())
        top = top->GetParent();
    for (int k = 0; k < 3; ++k)
        if (top == &GetRoot(k))
            return k == kind;
    return view->GetDocumentKind() == kind;
}

bool CMainFrame::CloseViewsOf(int kind, bool prompt) {
    // Each close may prompt; a tab whose save failed stays, and the walk
    // goes on past it.
    int i = 0;
    while (i < m_tabWindow.GetTabCount()) {
        CVorpelView* view = m_tabWindow.GetView(i);
        if (!ViewEditsDocument(view, kind) || !m_tabWindow.CloseTab(i, prompt))
            ++i;
    }
    for (CVorpelView* view : m_tabWindow.GetViews())
        if (ViewEditsDocument(view, kind))
            return false;
    return true;
}

void CMainFrame::DropWorkInDocument(int kind) {
    // A value still being typed into the panel is the user's: it is taken
    // as Enter takes it, with its undo step, before the work under way goes.
    m_tabWindow.ApplyPanelValue();
    for (CVorpelView* view : std::vector<CVorpelView*>(m_tabWindow.GetViews()))
        if (ViewEditsDocument(view, kind))
            CTabWindow::DropWorkInProgress(view);
}

bool CMainFrame::CloseDocument(int kind) {
    // Work under way in the views is no change to ask about or to save.
    DropWorkInDocument(kind);
    const bool asked = IsDocumentModified(kind);
    const bool result = asked ? AskSave(kind) : true;
    // One answer per document: once asked, its views close without asking
    // again (after a No, a second question would save what was declined).
    // A view left open would edit nodes about to be deleted: the command
    // cannot go on then.
    if (!CloseViewsOf(kind, !asked))
        return false;
    return result;
}

void CMainFrame::NewDocument(int kind) {
    const DocumentKindInfo& info = Info(kind);
    // New and Ctrl+N repeat the kind chosen last.
    m_mainToolBar.SetButtonCommand(0, info.newCommand);
    m_mainToolBar.SetButtonImage(0, info.newImage);
    m_currentDocumentKind = kind;
    if (!CloseDocument(kind))
        return;
    CRoot& root = GetRoot(kind);
    std::wstring name = LoadStringText(info.newNameId);
    root.SetText(name);
    root.SetFilePath(name + info.extension);
    root.SetRootTag(info.rootTag);
    root.GetAttributes().clear();
    SetFrameTitle(root.GetFilePath());
    m_leftPane.SelectTab(kind);
    m_leftPane.GetUndoList(kind).Clear();
    DeleteDocumentNodes(root);
    m_changesLeft[static_cast<size_t>(kind)] = false;
    m_leftPane.ClearTree(kind);
    m_leftPane.RebuildTree(kind);
    m_leftPane.FocusTree(kind);
}

void CMainFrame::OpenDocumentCommand(int kind) {
    m_currentDocumentKind = kind;
    if (!CloseDocument(kind))
        return;
    FileDialogRequest request = DocumentDialog(kind);
    request.initialDir = GetDefaultFolder(kind);
    request.overwritePrompt = true;
    if (!GetOpenFileName(&request))
        return;
    // The title names the project only once it has been read.
    if (Open(request.fileName, kind) && kind == kDocumentProject)
        SetFrameTitle(PathFileName(request.fileName));
}

bool CMainFrame::Open(const std::wstring& path, int kind) {
    // The file is read into a root of its own, so that a file that cannot be
    // read leaves the document as it was, never half replaced.
    CRoot loaded;
    loaded.SetRootTag(Info(kind).rootTag);
    CXmlFile file(&loaded);
    if (!file.Load(path.c_str())) {
        if (m_readFailureReport)
            m_readFailureReport(path, file.GetError());
        else
            ShowMessageBox(LoadStringText(kReadErrorId) + L"\n" + path, LoadStringText(kCaptionId),
                           MB_OK | MB_ICONERROR);
        return false;
    }
    // Views still open on the old document go with it.
    for (int i = m_tabWindow.GetTabCount() - 1; i >= 0; --i)
        if (m_tabWindow.GetView(i)->GetDocumentKind() == kind)
            m_tabWindow.CloseTab(i, false);
    m_leftPane.ClearTree(kind);
    m_leftPane.GetUndoList(kind).Clear();
    CRoot& root = GetRoot(kind);
    DeleteDocumentNodes(root);
    root.SetRootTag(loaded.GetRootTag());
    root.GetAttributes().swap(loaded.GetAttributes());
    root.SetText(loaded.GetText());
    root.SetFilePath(loaded.GetFilePath());
    for (CTreeNode* child : loaded.ReleaseChildren())
        root.AddChild(child);
    m_changesLeft[static_cast<size_t>(kind)] = false;
    if (kind == kDocumentProject) {
        BuildBoardNetsInTree(&root);
        ExpandProjectFolders(&root);
    } else {
        m_leftPane.SetNodeExpanded(&root, true);
    }
    m_leftPane.RebuildTree(kind);
    m_leftPane.SelectTab(kind);
    m_leftPane.FocusTree(kind);
    return true;
}

bool CMainFrame::Save(int kind) {
    DropWorkInDocument(kind);
    CRoot& root = GetRoot(kind);
    CXmlFile file(&root);
    if (!file.Save(root.GetFilePath().c_str())) {
        ShowMessageBox(LoadStringText(kSaveErrorId), LoadStringText(kCaptionId),
                       MB_OK | MB_ICONERROR);
        return false;
    }
    for (CVorpelView* view : m_tabWindow.GetViews())
        if (view->GetDocumentKind() == kind)
            view->GetUndoList().MarkSaved();
    m_leftPane.GetUndoList(kind).MarkSaved();
    m_changesLeft[static_cast<size_t>(kind)] = false;
    return true;
}

bool CMainFrame::SaveAs(int kind) {
    m_tabWindow.ApplyPanelValue();
    CRoot& root = GetRoot(kind);
    FileDialogRequest request = DocumentDialog(kind);
    request.overwritePrompt = true;
    request.fileName = root.GetFilePath().substr(0, 260);
    request.initialDir = GetDefaultFolder(kind);
    if (!request.initialDir.empty() && !DirectoryExists(request.initialDir))
        CreateDirectories(request.initialDir);
    if (!GetSaveFileName(&request))
        return false;
    const std::wstring oldPath = root.GetFilePath();
    const std::wstring oldName = root.GetText();
    const std::wstring oldTitle = GetWindowText();
    const std::wstring name = PathFileName(request.fileName);
    root.SetFilePath(request.fileName);
    root.SetText(name);
    SetFrameTitle(name);
    m_leftPane.RebuildTree(kind);
    if (Save(kind))
        return true;
    // The document was not written there: it keeps the name it had.
    root.SetFilePath(oldPath);
    root.SetText(oldName);
    SetFrameTitle(oldTitle);
    m_leftPane.RebuildTree(kind);
    return false;
}

bool CMainFrame::OnFileSave() {
    int kind = m_leftPane.HasFocus() || !GetActiveView() ? m_leftPane.GetCurrentTab()
                                                         : GetActiveView()->GetDocumentKind();
    m_currentDocumentKind = kind;
    return SaveDocument(kind);
}
