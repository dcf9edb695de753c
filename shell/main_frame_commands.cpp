// The main frame's message map, command routing, keyboard pre-translation
// and idle update.
#include "cam/settings.h"
#include "core/vorpel_view.h"
#include "dialogs/about_dlg.h"
#include "platform/combo_box_control.h"
#include "platform/dialog.h"
#include "platform/edit_control.h"
#include "platform/key_state.h"
#include "platform/popup_menu.h"
#include "platform/settings_store.h"
#include "platform/string_table.h"
#include "resources/command_ids.h"
#include "shell/main_frame.h"
#include "shell/settings_commands.h"

namespace {
// Commands the shown view takes: posted to the tab window, which passes them on.
bool IsViewCommand(int id) {
    return (id >= ID_VIEW_ZOOM_IN && id <= ID_VIEW_ZOOM_ALL) || id == ID_VIEW_ZOOM_IN_AT_CURSOR ||
           id == ID_VIEW_ZOOM_OUT_AT_CURSOR || id == ID_TOOL_SELECT ||
           (id >= ID_SCH_PLACE_PART && id <= ID_SCH_PLACE_TEXT) ||
           (id >= ID_FP_SELECT_OBJECT && id <= ID_BRD_OUTLINE_FROM_DXF) || id == ID_UNIT_PREVIOUS ||
           id == ID_UNIT_NEXT || (id >= ID_PAD_LAYER_FIRST && id <= ID_PAD_LAYER_LAST) ||
           (id >= ID_FP_PADSTACK_FROM_LIBRARY && id <= ID_SNAP_TO_GRID) ||
           id == ID_SHOW_PAD_NUMBERS || (id >= ID_BOARD_LAYER_FIRST && id <= ID_BOARD_LAYER_LAST);
}

// The drop-down menu of a button by the command it carries; 0 for none.
unsigned DropDownMenuOf(int command) {
    switch (command) {
    case ID_NEW_PROJECT:
    case ID_NEW_SYMBOL:
    case ID_NEW_FOOTPRINT:
        return IDR_MENU_NEW;
    case ID_OPEN_PROJECT:
        return IDR_MENU_OPEN;
    case ID_FP_PLACE_PADSTACK:
        return IDR_MENU_PLACE_PADSTACK;
    case ID_BRD_OUTLINE:
        return IDR_MENU_BOARD_OUTLINE;
    case ID_BRD_COMPONENT:
    case ID_BRD_PLACE_FREE_COMPONENT:
    case ID_BRD_MOVE_COMPONENT:
        return IDR_MENU_COMPONENT;
    case ID_BRD_ROUTE:
    case ID_BRD_ROUTE_NEW:
    case ID_BRD_ROUTE_EDIT:
        return IDR_MENU_ROUTE;
    case ID_BRD_AREA:
    case ID_BRD_AREA_NEW:
    case ID_BRD_AREA_EDIT:
        return IDR_MENU_AREA;
    case ID_BRD_TEXT:
    case ID_BRD_TEXT_PLACE_FREE:
    case ID_BRD_TEXT_EDIT:
        return IDR_MENU_TEXT;
    default:
        return 0;
    }
}

bool IsKeyMessage(UINT msg) {
    return msg >= WM_KEYDOWN && msg <= WM_SYSKEYUP;
}

// A combo box (or the edit field of one) whose list is open: its keys work
// the list.
bool HoldsOpenList(PlatformWindow* window) {
    for (int up = 0; window && up < 2; ++up, window = window->GetParent())
        if (auto* combo = dynamic_cast<ComboBoxControl*>(window))
            return combo->GetDroppedState();
    return false;
}

// The keys of the frame's Edit commands, which a text field does itself.
bool IsEditingKey(const Message* msg, uint8_t modifiers) {
    const auto vk = msg->wParam;
    if (modifiers & FALT)
        return vk == VK_BACK;
    return vk == 'C' || vk == 'X' || vk == 'V' || vk == 'Z' || vk == 'Y' || vk == VK_INSERT;
}
} // namespace

void CMainFrame::SendToFocus(UINT msg) {
    if (PlatformWindow* focus = GetFocus())
        focus->SendMessage(msg, 0, 0);
}

void CMainFrame::PostToTabWindow(int id) {
    m_tabWindow.PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), 0), 0);
}

void CMainFrame::OnFileNewCommand() {
    SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(GetNewButtonCommand()), 0), 0);
}

void CMainFrame::OnViewToolBar() {
    m_mainToolBarShown = !m_mainToolBarShown;
    m_rebar.ShowBand(m_rebar.IdToIndex(kBandIdFirst + kBandMainToolBar), m_mainToolBarShown);
    UISetCheck(ID_VIEW_TOOLBAR, m_mainToolBarShown);
    UpdateLayout();
}

void CMainFrame::OnViewStatusBar() {
    bool show = !(m_statusBar.GetStyle() & WS_VISIBLE);
    m_statusBar.ShowWindow(show);
    UISetCheck(ID_VIEW_STATUS_BAR, show);
    UpdateLayout();
}

void CMainFrame::OnMenuSelect(int id, bool closed) {
    // The prompt is the part of the command's string before the line break.
    std::wstring prompt;
    if (closed || id == 0) {
        prompt = LoadStringText(IDS_READY);
    } else {
        prompt = LoadStringText(static_cast<unsigned>(id));
        prompt = prompt.substr(0, prompt.find(L'\n'));
    }
    m_statusBar.SetText(CSchStatusBar::kPanePrompt, prompt);
}

LRESULT CMainFrame::OnDropDown(NMTOOLBAR* nm) {
    unsigned menuId = DropDownMenuOf(nm->iItem);
    if (!menuId)
        return TBDDRET_NODEFAULT;
    std::shared_ptr<PopupMenu> menu = LoadPopupMenu(menuId);
    if (!menu)
        return TBDDRET_NODEFAULT;
    POINT at = nm->hdr.hwndFrom
                   ? nm->hdr.hwndFrom->ClientToScreen(POINT{nm->rcButton.left, nm->rcButton.bottom})
                   : POINT{nm->rcButton.left, nm->rcButton.bottom};
    TrackPopupMenu(*menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, this);
    return TBDDRET_DEFAULT;
}

void CMainFrame::OnClose() {
    bool cancelled = false;
    std::array<bool, 3> asked{};
    // A value still being typed is taken, so that its change is asked
    // about; work under way is not saved with the documents.
    m_tabWindow.ApplyPanelValue();
    m_tabWindow.DropWorkInProgress();
    // First the documents of modified views, in tab order, then the others;
    // each modified document is asked about once. A Cancel stops nothing
    // but the closing itself.
    for (CVorpelView* view : std::vector<CVorpelView*>(m_tabWindow.GetViews())) {
        int kind = view->GetDocumentKind();
        if (kind < 0 || kind > 2 || asked[static_cast<size_t>(kind)] ||
            view->GetUndoList().IsAtSavedState())
            continue;
        asked[static_cast<size_t>(kind)] = true;
        if (!AskSave(kind))
            cancelled = true;
    }
    for (int kind = 0; kind < 3; ++kind) {
        if (asked[static_cast<size_t>(kind)] || !IsDocumentModified(kind))
            continue;
        asked[static_cast<size_t>(kind)] = true;
        if (!AskSave(kind))
            cancelled = true;
    }
    if (!cancelled)
        m_tabWindow.CloseAll();
    // The lists of library folders open in the browsers live only as long as
    // the window.
    SettingsStore::DeleteKey(L"Software\\Vorpel\\Symbol Libraries");
    SettingsStore::DeleteKey(L"Software\\Vorpel\\Footprint Libraries");
    if (!cancelled)
        DestroyWindow();
}

bool CMainFrame::OnCommand(int id, int code, LPARAM lParam) {
    CVorpelView* view = GetActiveView();
    if (id == ID_PAD_LAYER_COMBO || id == ID_BOARD_LAYER_COMBO) {
        auto* combo = dynamic_cast<ComboBoxControl*>(WindowFromLParam(lParam));
        if (combo && code == CBN_SELCHANGE) {
            if (view && combo->GetCurSel() >= 0)
                view->SendMessage(WM_COMMAND,
                                  MAKEWPARAM(static_cast<unsigned>(id + combo->GetCurSel()), 0), 0);
            return true;
        }
        if (combo)
            return true;
    }
    switch (id) {
    case ID_FILE_NEW:
        OnFileNewCommand();
        return true;
    case ID_FILE_OPEN:
        SendMessage(
            WM_COMMAND,
            MAKEWPARAM(static_cast<unsigned>(ID_OPEN_PROJECT + m_leftPane.GetCurrentTab()), 0), 0);
        return true;
    case ID_NEW_PROJECT:
        NewDocument(kDocumentProject);
        return true;
    case ID_NEW_SYMBOL:
        NewDocument(kDocumentSymbolLibrary);
        return true;
    case ID_NEW_FOOTPRINT:
        NewDocument(kDocumentFootprintLibrary);
        return true;
    case ID_OPEN_PROJECT:
    case ID_OPEN_SYMBOL_LIBRARY:
    case ID_OPEN_FOOTPRINT_LIBRARY:
        OpenDocumentCommand(id - ID_OPEN_PROJECT);
        return true;
    case ID_FILE_SAVE:
        OnFileSave();
        return true;
    case ID_FILE_SAVE_AS: {
        int kind = m_leftPane.GetCurrentTab();
        m_currentDocumentKind = kind;
        SaveAs(kind);
        return true;
    }
    case ID_FILE_PRINT:
        RunPrintCommand();
        return true;
    case ID_EDIT_COPY:
        SendToFocus(WM_COPY);
        return true;
    case ID_EDIT_CUT:
        SendToFocus(WM_CUT);
        return true;
    case ID_EDIT_PASTE:
        SendToFocus(WM_PASTE);
        return true;
    case ID_EDIT_MOVE_ORIGIN:
        SendToFocus(WM_EDIT_MOVE_ORIGIN);
        return true;
    case ID_EDIT_FIND:
        SendToFocus(WM_EDIT_FIND);
        return true;
    case ID_EDIT_FIND_NEXT:
        SendToFocus(WM_EDIT_FIND_NEXT);
        return true;
    case ID_EDIT_FIND_PREVIOUS:
        SendToFocus(WM_EDIT_FIND_PREVIOUS);
        return true;
    case ID_EDIT_UNDO:
        SendToFocus(WM_UNDO);
        return true;
    case ID_EDIT_REDO:
        SendToFocus(WM_EDIT_REDO);
        return true;
    case ID_VIEW_TOOLBAR:
        OnViewToolBar();
        return true;
    case ID_VIEW_STATUS_BAR:
        OnViewStatusBar();
        return true;
    case ID_OPTIONS_DIRECTORIES:
        RunDirectoriesCommand();
        return true;
    case ID_OPTIONS_OPTIONS:
        RunOptionsCommand();
        if (GetActiveView())
            GetActiveView()->InvalidateRect(nullptr, true);
        return true;
    case ID_HELP_VIEW:
        RunHelpCommand();
        return true;
    case ID_APP_ABOUT: {
        CAboutDlg about;
        about.DoModal(GetActiveWindow());
        return true;
    }
    case ID_WINDOW_CLOSE:
        if (view)
            m_tabWindow.CloseTab(m_tabWindow.GetActiveTab(), true);
        return true;
    case ID_WINDOW_CLOSE_ALL:
        m_tabWindow.CloseAll();
        return true;
    case ID_APP_EXIT:
        PostMessage(WM_CLOSE);
        return true;
    default:
        break;
    }
    if (id >= ID_CAM_FIRST && id <= ID_CAM_LAST) {
        EditGerberSettings();
        return true;
    }
    if (id >= ID_SYSTEM_FIRST && id <= ID_SYSTEM_LAST)
        return true;
    if (IsViewCommand(id)) {
        PostToTabWindow(id);
        return true;
    }
    return false;
}

bool CMainFrame::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return true;
    case WM_DESTROY:
        OnDestroy();
        return true;
    case WM_CLOSE:
        OnClose();
        return true;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            UpdateLayout();
        return true;
    case WM_SETFOCUS:
        if (CVorpelView* view = GetActiveView()) {
            m_tabWindow.SetFocus();
            view->UpdateWindow();
        }
        return true;
    case WM_MOUSEWHEEL:
        PostToTabWindow(GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? ID_VIEW_ZOOM_IN_AT_CURSOR
                                                           : ID_VIEW_ZOOM_OUT_AT_CURSOR);
        return true;
    case WM_CYCLE_UNIT:
        if (CVorpelView* view = GetActiveView())
            view->CycleUnit();
        return true;
    case WM_NOTIFY: {
        auto* hdr = LParamToPtr<NMHDR>(lParam);
        if (!hdr)
            return false;
        if (hdr->code == TBN_DROPDOWN) {
            result = OnDropDown(reinterpret_cast<NMTOOLBAR*>(hdr));
            return true;
        }
        if (hdr->code == RBN_HEIGHTCHANGE) {
            UpdateLayout();
            return true;
        }
        return false;
    }
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        // The views measure and draw the entries of the layer combo boxes.
        if (CVorpelView* view = GetActiveView())
            view->SendMessage(msg, wParam, lParam);
        return true;
    case WM_MENUSELECT:
        OnMenuSelect(static_cast<int>(LOWORD(wParam)), HIWORD(wParam) == 0xFFFF);
        return true;
    case WM_INITMENUPOPUP:
        if (auto* menu = WParamToPtr<PopupMenu>(wParam))
            UIUpdateMenu(*menu);
        return true;
    case WM_COMMAND:
        return OnCommand(static_cast<int>(LOWORD(wParam)), static_cast<int>(HIWORD(wParam)),
                         lParam);
    default:
        return false;
    }
}

bool CMainFrame::PreTranslateMessage(Message* msg) {
    // Only what reaches the frame's own windows; dialogs have their own.
    if (!msg->window || !IsWindow() || (msg->window != this && !IsChild(msg->window)))
        return false;
    // An open drop-down list keeps its keys (Esc closes it, letters choose).
    if (msg->window->GetStyle() & WS_POPUP)
        return false;
    if (msg->message == WM_KEYUP &&
        (msg->wParam == VK_CONTROL || msg->wParam == VK_LCONTROL || msg->wParam == VK_RCONTROL))
        m_cycleStep = 1;
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB) {
        if (IsKeyDown(VK_CONTROL))
            return m_tabWindow.CycleTabs(m_cycleStep);
        if (GetPropertyGrid().IsEditing()) {
            m_tabWindow.PreTranslateMessage(msg);
            return true;
        }
        if (m_leftPane.HasFocus())
            m_tabWindow.SetFocus();
        else
            m_leftPane.FocusTree(m_leftPane.GetCurrentTab());
        return true;
    }
    // A tree has its own keys and none of the frame's accelerators (Ctrl+S
    // saves nothing there), but the menu bar's letters open their menu
    // wherever the focus is.
    if (m_leftPane.HasFocus())
        return m_leftPane.PreTranslateMessage(msg) || OpenMenuByLetter(msg);
    if (m_tabWindow.PreTranslateMessage(msg))
        return true;
    if (!IsKeyMessage(msg->message))
        return false;
    // Esc that closes an open list, and the keys that choose in it, are the
    // list's: no command runs beside them.
    if (HoldsOpenList(msg->window))
        return false;
    // While a property row or another text field is being edited, plain keys
    // are typing, not commands; in a row the editing keys (copy, cut, paste,
    // undo, redo) are the row's too, while the other commands (Save) run.
    uint8_t modifiers = CurrentAcceleratorModifiers();
    const bool plain = !(modifiers & (FCONTROL | FALT));
    if (GetPropertyGrid().IsEditing() && (plain || IsEditingKey(msg, modifiers)))
        return false;
    if (dynamic_cast<EditControl*>(GetFocus()) && plain)
        return false;
    if (TranslateAccelerator(this, m_accelerators, msg))
        return true;
    return OpenMenuByLetter(msg);
}

bool CMainFrame::OpenMenuByLetter(const Message* msg) {
    // Alt with a menu's letter opens that menu of the menu bar.
    if (msg->message != WM_KEYDOWN || CurrentAcceleratorModifiers() != FALT || msg->wParam < 'A' ||
        msg->wParam > 'Z')
        return false;
    const int menu = m_commandBar.FindMnemonic(static_cast<wchar_t>(msg->wParam));
    if (menu < 0)
        return false;
    m_commandBar.OpenMenu(menu);
    return true;
}

bool CMainFrame::OnIdle() {
    CVorpelView* view = GetActiveView();
    int kind = view ? view->GetViewKind() : 0;
    UIEnable(ID_FILE_PRINT, CanPrint());
    UIEnable(ID_EDIT_FIND, view != nullptr);
    PlatformWindow* focus = GetFocus();
    UIEnable(ID_EDIT_UNDO, focus && focus->SendMessage(EM_CANUNDO) != 0);
    focus = GetFocus();
    UIEnable(ID_EDIT_REDO, focus && focus->SendMessage(EM_CANREDO) != 0);
    UIEnable(ID_EDIT_MOVE_ORIGIN, kind == kViewFootprint);
    UIEnable(ID_VIEW_ZOOM_IN, view != nullptr);
    UIEnable(ID_VIEW_ZOOM_OUT, view != nullptr);
    UIEnable(ID_VIEW_ZOOM_ALL, view != nullptr);
    const int bandKinds[5] = {kViewSchematic, kViewSymbol, kViewBoard, kViewPadstack,
                              kViewFootprint};
    bool relayout = false;
    for (int i = 0; i < 5; ++i) {
        int band = kBandSchematic + i;
        bool show = kind == bandKinds[i];
        if (m_rebar.IsBandVisible(band) != show) {
            m_rebar.ShowBand(band, show);
            relayout = true;
        }
    }
    if (relayout)
        UpdateLayout();
    UIUpdateToolBar();
    return false;
}
