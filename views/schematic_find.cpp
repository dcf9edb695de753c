// The search of the schematic editor: the walks over the scope, the test of
// each node against the Find dialog's settings, and the view's side: going
// on from the last hit and showing a hit in the view of its sheet.
#include "views/schematic_find.h"

#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/tree_node.h"
#include "platform/device_context.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/pin.h"
#include "schematic/sheet.h"
#include "schematic/text.h"
#include "schematic/wire.h"
#include "shell/find.h"
#include "shell/main_frame.h"
#include "views/schematic_view.h"

#include <algorithm>
#include <cwctype>

namespace {
constexpr unsigned kCaptionId = 128;  // "Vorpel"
constexpr unsigned kNotFoundId = 275; // "Object(s) not found"
constexpr unsigned kEndId = 276;      // "Find reached the end of the document"

FindDialogOpener& Opener() {
    static FindDialogOpener opener;
    return opener;
}

std::wstring Lowered(const std::wstring& text) {
    std::wstring out = text;
    for (wchar_t& c : out)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return out;
}

// The sheet an object is tested against the sheet filter with: its own, a
// pin's part's, else none.
const CSheet* SheetOf(const CTreeNode* node) {
    if (auto* object = dynamic_cast<const CSheetObject*>(node))
        return object->m_pSheet;
    const CTreeNode* parent = node->GetParent();
    if (parent && parent->GetType() == NodeType::Part)
        return static_cast<const CPart*>(parent)->m_pSheet;
    return nullptr;
}

void Select(CTreeNode* node) {
    node->m_selected = 1;
    if (node->GetType() == NodeType::Part)
        static_cast<CPart*>(node)->SyncPinSelection();
}

// One sibling of a walk: its subtree first, then itself.
CTreeNode* Visit(CTreeNode* node, const FindSettings& s, CTreeNode*& last) {
    if (node->GetChildCount() != 0) {
        CTreeNode* first = s.down ? node->GetChild(0) : node->GetChild(node->GetChildCount() - 1);
        if (CTreeNode* hit = FindInSubtree(first, s)) {
            if (!s.markAll)
                return hit;
            last = hit;
        }
    }
    if (MatchesFind(node, s)) {
        if (!s.markAll)
            return node;
        last = node;
    }
    return nullptr;
}

bool InTree(const CTreeNode* root, const CTreeNode* node) {
    if (!root || !node)
        return false;
    if (root == node)
        return true;
    for (const CTreeNode* child : root->GetChildren())
        if (InTree(child, node))
            return true;
    return false;
}

const CTreeNode* TopOf(const CTreeNode* node) {
    while (node && node->GetParent())
        node = node->GetParent();
    return node;
}

} // namespace

FindSettings& GetFindSettings() {
    static FindSettings settings;
    return settings;
}

void SetFindDialogOpener(FindDialogOpener opener) {
    Opener() = std::move(opener);
}

namespace {

// Find Next and Mark All of the program's Find dialog: its choices become
// the search's settings, and the view it was opened for searches.
void StartFromDialog(CVorpelView* view, CFind& find) {
    auto* schematic = dynamic_cast<CSchematicView*>(view);
    if (!schematic)
        return;
    FindSettings& s = GetFindSettings();
    s.text = find.m_text;
    s.matchCase = find.m_matchCase != 0;
    s.wholeWord = find.m_matchWholeWord != 0;
    s.down = find.m_dir == 1;
    s.net = find.m_findNet != 0;
    s.pinNumber = find.m_findPinNumber != 0;
    s.pinName = find.m_findPinName != 0;
    s.comment = find.m_findComment != 0;
    s.partRefDes = find.m_findRefDes != 0;
    s.partNumber = find.m_findPartNum != 0;
    s.partValue = find.m_findPartValue != 0;
    s.markAll = find.m_markAll != 0;
    s.scope = find.m_searchRoot;
    s.start = find.m_startNode;
    CTreeNode* sheet = find.m_searchSheet;
    s.sheetFilter =
        sheet && sheet->GetType() == NodeType::Sheet ? static_cast<CSheet*>(sheet) : nullptr;
    schematic->StartFind();
}

} // namespace

void CloseFindDialogOf(CSchematicView* view) {
    g_Find.DismissFor(view);
}

void InstallFindDialog() {
    SetFindStarter(&StartFromDialog);
    SetFindDialogOpener([](CSchematicView* view) { g_Find.Open(view); });
}

bool MatchFindText(const std::wstring& text, const FindSettings& s) {
    if (s.text.empty())
        return false;
    const std::wstring a = s.matchCase ? text : Lowered(text);
    const std::wstring b = s.matchCase ? s.text : Lowered(s.text);
    if (s.wholeWord)
        return a == b;
    return a.find(b) != std::wstring::npos;
}

bool MatchesFind(CTreeNode* node, const FindSettings& s) {
    const int type = node->GetType();
    if (s.sheetFilter && type != NodeType::Net && SheetOf(node) != s.sheetFilter)
        return false;
    switch (type) {
    case NodeType::Part: {
        if (!s.partRefDes)
            return false;
        auto* part = static_cast<CPart*>(node);
        CPackage* package = part->GetPackage();
        CText* refDes = package ? package->FindText(L"RefDes") : nullptr;
        if (!refDes || !part->m_pSheet)
            return false;
        std::wstring designator = refDes->GetText();
        part->AppendPartSuffix(designator);
        if (!MatchFindText(designator, s))
            return false;
        Select(part);
        return true;
    }
    case NodeType::Pin: {
        auto* pin = static_cast<CPin*>(node);
        CPart* part = pin->GetPart();
        if (!part || !part->m_pSheet)
            return false;
        if (s.pinNumber && !pin->m_numberHidden)
            for (const std::wstring& pad : pin->m_padNames)
                if (MatchFindText(pad, s)) {
                    pin->m_selected = 1;
                    return true;
                }
        if (s.pinName && MatchFindText(pin->m_name, s)) {
            pin->m_selected = 1;
            return true;
        }
        return false;
    }
    case NodeType::Net: {
        if (!s.net || !MatchFindText(node->GetText(), s))
            return false;
        for (CWire* wire : static_cast<CNet*>(node)->GetWires())
            wire->m_selected = 1;
        return true;
    }
    case NodeType::Text: {
        auto* text = static_cast<CText*>(node);
        const CTreeNode* parent = text->GetParent();
        bool compare = false;
        if (parent && parent->GetType() == NodeType::Board)
            compare = s.comment;
        else if (parent && parent->GetType() == NodeType::Package)
            compare = (text->m_name == L"PartNum" && s.partNumber) ||
                      (text->m_name == L"Value" && s.partValue);
        if (!compare || !MatchFindText(text->GetText(), s))
            return false;
        text->m_selected = 1;
        return true;
    }
    default:
        return false;
    }
}

CTreeNode* FindInSubtree(CTreeNode* node, const FindSettings& s) {
    if (!node)
        return nullptr;
    CTreeNode* last = nullptr;
    CTreeNode* parent = node->GetParent();
    if (!parent) {
        CTreeNode* hit = Visit(node, s, last);
        return hit ? hit : last;
    }
    const int count = static_cast<int>(parent->GetChildCount());
    int i = node->GetIndexInParent();
    if (i < 0)
        return nullptr;
    for (; i >= 0 && i < count; i += s.down ? 1 : -1)
        if (CTreeNode* hit = Visit(parent->GetChild(static_cast<std::size_t>(i)), s, last))
            return hit;
    return last;
}

CTreeNode* FindFrom(CTreeNode* node, const FindSettings& s) {
    CTreeNode* last = nullptr;
    while (node && node != s.scope) {
        CTreeNode* parent = node->GetParent();
        if (!parent)
            break;
        const int count = static_cast<int>(parent->GetChildCount());
        int i = node->GetIndexInParent();
        if (i < 0)
            break;
        for (i += s.down ? 1 : -1; i >= 0 && i < count; i += s.down ? 1 : -1)
            if (CTreeNode* hit = Visit(parent->GetChild(static_cast<std::size_t>(i)), s, last))
                return hit;
        if (parent == s.scope)
            break;
        node = parent;
    }
    return last;
}

// --- The view's side ----------------------------------------------------------------

namespace {

// Forgets what the settings name that is no longer in the document (taken
// out by an undo, or gone with its view), and starts a search that has no
// start yet at the scope's first (going up: last) child.
bool PrepareSearch(FindSettings& s, const CTreeNode* anyNode) {
    const CTreeNode* top = TopOf(anyNode);
    if (s.scope && !InTree(top, s.scope))
        s.scope = nullptr;
    if (s.start && (!s.scope || !InTree(s.scope, s.start)))
        s.start = nullptr;
    if (s.lastHit && !InTree(top, s.lastHit))
        s.lastHit = nullptr;
    if (s.sheetFilter && !InTree(top, s.sheetFilter))
        s.sheetFilter = nullptr;
    if (!s.scope || s.scope->GetChildCount() == 0)
        return false;
    if (!s.start || s.start == s.scope)
        s.start = s.down ? s.scope->GetChild(0) : s.scope->GetChild(s.scope->GetChildCount() - 1);
    return true;
}

} // namespace

CTreeNode* RunSearch(FindSettings& s, const CTreeNode* anyDocumentNode) {
    if (s.text.empty() || !PrepareSearch(s, anyDocumentNode))
        return nullptr;
    // From the start node over its following siblings, then on out of its
    // level up to the scope.
    CTreeNode* hit = FindInSubtree(s.start, s);
    if ((!hit || s.markAll) && s.start->GetParent() != s.scope) {
        if (CTreeNode* more = FindFrom(s.start->GetParent(), s))
            hit = more;
    }
    return hit;
}

namespace {

void ClearHitSelection(CTreeNode* hit) {
    if (!hit)
        return;
    if (hit->GetType() == NodeType::Net)
        for (CWire* wire : static_cast<CNet*>(hit)->GetWires())
            wire->m_selected = 0;
    hit->m_selected = 0;
    if (hit->GetType() == NodeType::Part)
        static_cast<CPart*>(hit)->SyncPinSelection();
    if (g_pActiveView)
        g_pActiveView->InvalidateRect(nullptr, true);
}

} // namespace

void CSchematicView::Find() {
    FindSettings& s = GetFindSettings();
    if (m_sheet) {
        PrepareSearch(s, m_sheet);
        ClearHitSelection(s.lastHit);
        s.lastHit = nullptr;
    }
    if (Opener())
        Opener()(this);
}

void CSchematicView::FindForward() {
    GetFindSettings().down = true;
    FindNext();
}

void CSchematicView::FindBackward() {
    GetFindSettings().down = false;
    FindNext();
}

void CSchematicView::FindNext() {
    FindSettings& s = GetFindSettings();
    if (!m_sheet || s.text.empty() || !PrepareSearch(s, m_sheet)) {
        Find();
        return;
    }
    ClearHitSelection(s.lastHit);
    s.lastHit = nullptr;
    FindSettings once = s;
    once.markAll = false;
    CTreeNode* hit = FindFrom(s.start, once);
    if (hit) {
        // A hit that cannot be shown still moves the search past it.
        s.start = s.lastHit = hit;
        if (ShowFoundObject(hit))
            return;
    }
    ShowMessageBox(LoadStringText(kEndId), LoadStringText(kCaptionId), MB_OK | MB_ICONEXCLAMATION);
}

bool CSchematicView::StartFind() {
    FindSettings& s = GetFindSettings();
    if (!m_sheet || s.text.empty() || !PrepareSearch(s, m_sheet))
        return false;
    ClearHitSelection(s.lastHit);
    s.lastHit = nullptr;
    CTreeNode* hit = RunSearch(s, m_sheet);
    if (s.markAll) {
        if (g_pActiveView)
            g_pActiveView->InvalidateRect(nullptr, true);
        InvalidateRect(nullptr, true);
        if (!hit)
            ShowMessageBox(LoadStringText(kNotFoundId), LoadStringText(kCaptionId),
                           MB_OK | MB_ICONEXCLAMATION);
        return hit != nullptr;
    }
    if (!hit) {
        ShowMessageBox(LoadStringText(kNotFoundId), LoadStringText(kCaptionId),
                       MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    s.start = s.lastHit = hit;
    if (!ShowFoundObject(hit))
        ShowMessageBox(LoadStringText(kEndId), LoadStringText(kCaptionId),
                       MB_OK | MB_ICONEXCLAMATION);
    return true;
}

bool CSchematicView::ShowFoundObject(CTreeNode* hit) {
    if (!hit)
        return false;
    // What stands for the hit on a sheet, and the part a package's text is
    // shown at.
    CTreeNode* shown = hit;
    CPart* textPart = nullptr;
    CSheet* sheet = nullptr;
    switch (hit->GetType()) {
    case NodeType::Pin:
        shown = hit->GetParent();
        if (!shown || shown->GetType() != NodeType::Part)
            return false;
        sheet = static_cast<CPart*>(shown)->m_pSheet;
        break;
    case NodeType::Net: {
        const std::vector<CWire*> wires = static_cast<CNet*>(hit)->GetWires();
        if (wires.empty())
            return false;
        shown = wires.front();
        sheet = wires.front()->m_pSheet;
        break;
    }
    case NodeType::Text:
        if (CPackage* package = static_cast<CText*>(hit)->GetHoldingPackage()) {
            for (CTreeNode* child : package->GetChildren())
                if (child->GetType() == NodeType::Part && static_cast<CPart*>(child)->m_pSheet) {
                    textPart = static_cast<CPart*>(child);
                    break;
                }
            sheet = textPart ? textPart->m_pSheet : nullptr;
        } else {
            sheet = static_cast<CText*>(hit)->m_pSheet;
        }
        break;
    default:
        if (auto* object = dynamic_cast<CSheetObject*>(hit))
            sheet = object->m_pSheet;
        break;
    }
    // Objects of a sheet cut from the board still name it while the history
    // holds it; that sheet is no page to open.
    if (!sheet || TopOf(sheet) != TopOf(m_sheet))
        return false;
    CSchematicView* view = sheet == m_sheet ? this : nullptr;
    // A value still being typed into the panel is taken before another
    // view comes forward: its undo record belongs to this one.
    if (CPropertyGrid* grid = GetPropertyGrid(); grid && grid->IsEditing()) {
        g_pActiveView = this;
        grid->GetList().CommitAll();
    }
    if (g_MainFrame.m_tabWindow.IsWindow()) {
        // Opens the sheet's view, or brings its tab to the front.
        view = dynamic_cast<CSchematicView*>(g_MainFrame.OpenNodeView(sheet));
    }
    if (!view)
        return false;
    g_pActiveView = view;
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(hit);
    // Centred with the mapping and scroll of the view that shows it.
    std::unique_ptr<DeviceContext> dc = view->MakeDC();
    RECT r = textPart ? static_cast<CText*>(hit)->GetDisplayRect(dc.get(), textPart)
                      : shown->GetBoundsOnSheet(dc.get());
    view->CenterOn(POINT{static_cast<int>((static_cast<int64_t>(r.left) + r.right) / 2),
                         static_cast<int>((static_cast<int64_t>(r.top) + r.bottom) / 2)});
    return true;
}

void CSchematicView::CenterOn(POINT logical) {
    std::unique_ptr<DeviceContext> dc = MakeDC();
    const POINT d = dc->ToDevice(logical);
    RECT client = IsWindow() ? GetClientRect() : RECT{0, 0, 960, 960};
    m_scrollOffset = POINT{client.right / 2 - d.x, client.bottom / 2 - d.y};
    InvalidateRect(nullptr, true);
}
