// Set-up of the symbol editor tests: the main window on the offscreen
// platform with the editor views registered, a symbol library loaded into
// its symbol document, one package opened in its editor, and the gestures
// of a user: tools from the toolbar, clicks and drags at grid points, keys,
// Undo and Redo through the Edit commands, and the saved library as text.
#pragma once

#include "core/node_type.h"
#include "core/property_combobox.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/button_control.h"
#include "platform/combo_box_control.h"
#include "platform/dialog.h"
#include "platform/edit_control.h"
#include "platform/file.h"
#include "platform/input_simulation.h"
#include "platform/key_state.h"
#include "platform/message_loop.h"
#include "platform/paint_target.h"
#include "platform/popup_menu.h"
#include "platform/settings_store.h"
#include "platform/text.h"
#include "resources/command_ids.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/part_primitive.h"
#include "schematic/pin.h"
#include "shell/main_frame.h"
#include "tests/focus_input.h"
#include "tests/pointer_input.h"
#include "tests/ui_hooks_recorder.h"
#include "views/editor_views.h"
#include "views/symbol_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

class SymbolViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsStore::Reset();
        std::string dir = "/tmp/vorpel-symview-XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        scratch = PathFromNative(dir);
        setenv("VORPEL_DOCUMENTS_HOME", dir.c_str(), 1);
        SymbolClipboard().clear();
        RegisterEditorViews();
        ASSERT_TRUE(g_MainFrame.CreateFrame(L"", RECT{0, 0, 1280, 800}));
        g_MainFrame.ShowWindow(true);
        PumpPendingMessages();
    }
    void TearDown() override {
        SetPopupMenuHook(nullptr);
        ResetKeyState();
        if (g_MainFrame.IsWindow())
            g_MainFrame.DestroyWindow();
        PumpPendingMessages();
        SymbolClipboard().clear();
        unsetenv("VORPEL_DOCUMENTS_HOME");
        std::string cmd = "rm -rf '" + PathToNative(scratch) + "'";
        (void)std::system(cmd.c_str());
        SettingsStore::Reset();
    }

    // --- Documents -------------------------------------------------------------
    CRoot& Library() { return g_MainFrame.GetRoot(kDocumentSymbolLibrary); }
    void LoadFile(const std::wstring& path) {
        CXmlFile file(&Library());
        ASSERT_TRUE(file.Load(path.c_str()));
    }
    void LoadDemo() {
        LoadFile(PathJoin(PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples"), L"demo.symbol"));
    }
    void LoadText(const std::string& body) {
        const std::wstring path = PathJoin(scratch, L"in" + std::to_wstring(++files) + L".symbol");
        ASSERT_TRUE(
            WriteWholeFile(path, "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<SymbolLib>\n" +
                                     body + "</SymbolLib>\n"));
        LoadFile(path);
    }
    std::string Save() {
        const std::wstring path = PathJoin(scratch, L"out" + std::to_wstring(++files) + L".symbol");
        CXmlFile file(&Library());
        EXPECT_TRUE(file.Save(path.c_str()));
        std::string bytes;
        EXPECT_TRUE(ReadWholeFile(path, bytes));
        // Lines end in CR LF in the file; the expectations are written with LF.
        std::string text;
        for (size_t i = 0; i < bytes.size(); ++i)
            if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
                text += bytes[i];
        return text;
    }
    static CPackage* FindPackage(CTreeNode* node, const std::wstring& name) {
        if (node->GetType() == NodeType::Package && node->GetText() == name)
            return static_cast<CPackage*>(node);
        for (CTreeNode* child : node->GetChildren())
            if (CPackage* found = FindPackage(child, name))
                return found;
        return nullptr;
    }
    CPackage* Package(const std::wstring& name) { return FindPackage(&Library(), name); }

    // Opens a package's editor the way the symbol tree does.
    CSymbolView* Open(const std::wstring& name) {
        CPackage* package = Package(name);
        EXPECT_NE(package, nullptr) << WideToUtf8(name);
        auto* view = dynamic_cast<CSymbolView*>(g_MainFrame.OpenNodeView(package));
        EXPECT_NE(view, nullptr);
        PumpPendingMessages();
        this->view = view;
        return view;
    }

    // --- Gestures ----------------------------------------------------------------
    int G() const { return view->GetTextHeight(); }
    // A point in grid units (and tenths) of the shown part's corner.
    POINT AtGrid(double x, double y) const {
        const POINT o = view->GetShownPart() ? view->GetShownPart()->m_position : POINT{};
        return POINT{static_cast<int>((o.x + x) * G()), static_cast<int>((o.y + y) * G())};
    }
    POINT AtTenths(int x, int y) const { return AtGrid(x / 10.0, y / 10.0); }
    POINT ClientOf(POINT logical) const { return view->LogicalToClient(logical); }

    void Move(POINT logical, WPARAM keys = 0) {
        MouseAt(view, WM_MOUSEMOVE, ClientOf(logical), keys);
    }
    void Press(POINT logical, WPARAM keys = 0) {
        MouseAt(view, WM_LBUTTONDOWN, ClientOf(logical), MK_LBUTTON | keys);
    }
    void Release(POINT logical, WPARAM keys = 0) {
        MouseAt(view, WM_LBUTTONUP, ClientOf(logical), keys);
    }
    void Click(POINT logical, WPARAM keys = 0) {
        Move(logical, keys);
        Press(logical, keys);
        Release(logical, keys);
        PumpPendingMessages();
    }
    // A press, moves in steps to the end and the release. The mouse travels
    // on the screen: the points are where the logical points lie when the
    // drag starts, whatever the drag does to the view.
    void Drag(POINT from, POINT to, int steps = 4) {
        std::vector<POINT> path;
        const POINT a = ClientOf(from), b = ClientOf(to);
        for (int i = 0; i <= steps; ++i)
            path.push_back(POINT{a.x + (b.x - a.x) * i / steps, a.y + (b.y - a.y) * i / steps});
        MouseAt(view, WM_MOUSEMOVE, path[0]);
        MouseAt(view, WM_LBUTTONDOWN, path[0], MK_LBUTTON);
        for (int i = 1; i <= steps; ++i)
            MouseAt(view, WM_MOUSEMOVE, path[static_cast<size_t>(i)], MK_LBUTTON);
        MouseAt(view, WM_LBUTTONUP, path.back());
        PumpPendingMessages();
    }
    void RightClick(POINT logical) {
        Move(logical);
        MouseAt(view, WM_RBUTTONDOWN, ClientOf(logical), MK_RBUTTON);
        MouseAt(view, WM_RBUTTONUP, ClientOf(logical));
        PumpPendingMessages();
    }
    // A key typed to the window with the focus (the tab window while a view
    // is shown).
    void Key(int vk, WPARAM keys = 0, bool alt = false) {
        PressKeyAtFocus(vk, keys, alt);
        ResetKeyState();
    }
    // A menu, toolbar or accelerator command as the frame receives it.
    void Command(int id) {
        g_MainFrame.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), 0), 0);
        PumpPendingMessages();
    }
    void Tool(int id) { Command(id); }
    void Undo() {
        g_MainFrame.m_tabWindow.SetFocus();
        Command(ID_EDIT_UNDO);
    }
    void Redo() {
        g_MainFrame.m_tabWindow.SetFocus();
        Command(ID_EDIT_REDO);
    }
    // Both stop when a step does nothing (the view refuses while something
    // is being placed).
    void UndoAll() {
        for (size_t n = view->GetUndoList().UndoCount(); n > 0;
             n = view->GetUndoList().UndoCount()) {
            Undo();
            if (view->GetUndoList().UndoCount() == n)
                break;
        }
    }
    void RedoAll() {
        for (size_t n = view->GetUndoList().RedoCount(); n > 0;
             n = view->GetUndoList().RedoCount()) {
            Redo();
            if (view->GetUndoList().RedoCount() == n)
                break;
        }
    }
    // Answers the next context menus with these commands (0 = dismissed)
    // and keeps the menus shown.
    void AnswerMenus(std::vector<UINT> answers) {
        menuAnswers = std::move(answers);
        SetPopupMenuHook([this](const PopupMenu& menu, POINT) -> UINT {
            menus.push_back(menu);
            if (menuAnswers.empty())
                return 0;
            UINT id = menuAnswers.front();
            menuAnswers.erase(menuAnswers.begin());
            // Only what the menu holds can be chosen.
            return menu.FindItem(id) ? id : 0;
        });
    }
    CPropertyGrid& Panel() { return g_MainFrame.GetPropertyGrid(); }
    // A key pressed in the window that has the focus (a row's editor).
    void PressInFocus(int vk) { PressKeyAtFocus(vk); }
    // Opens a text row, puts the text in and presses Enter.
    void EditRow(int row, const std::wstring& text) {
        Panel().BeginEditRow(row);
        auto* edit = dynamic_cast<CPropertyEdit*>(Panel().GetItem(row));
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(edit->GetEditor(), nullptr);
        edit->GetEditor()->SetWindowText(text);
        PressInFocus(VK_RETURN);
    }
    // Opens a combo row, picks an entry and presses Enter.
    void ChooseRow(int row, int index) {
        Panel().BeginEditRow(row);
        auto* combo = dynamic_cast<CPropertyCombobox*>(Panel().GetItem(row));
        ASSERT_NE(combo, nullptr);
        ASSERT_NE(combo->GetEditor(), nullptr);
        combo->GetEditor()->SetCurSel(index);
        PressInFocus(VK_RETURN);
    }
    // Presses the button of a button row of the panel.
    void ClickRowButton(int row) {
        auto* item = dynamic_cast<CPropertyEditAndButton*>(Panel().GetItem(row));
        ASSERT_NE(item, nullptr);
        if (!item->GetButton()) {
            // Buttons come with the row's first painting.
            const RECT r = Panel().GetClientRect();
            auto image = PaintTarget::CreateImage(std::max(1, static_cast<int>(r.right)),
                                                  std::max(1, static_cast<int>(r.bottom)));
            Panel().RenderTo(*image);
        }
        ASSERT_NE(item->GetButton(), nullptr);
        SimulateMouse(item->GetButton(), WM_LBUTTONDOWN, POINT{3, 3}, MK_LBUTTON);
        SimulateMouse(item->GetButton(), WM_LBUTTONUP, POINT{3, 3});
        PumpPendingMessages();
    }
    // The history of the view: saved do, then undo to the original bytes,
    // then redo to the same saved text again.
    void ExpectUndoRedo(const std::string& original, const std::string& expected) {
        EXPECT_EQ(Save(), expected);
        UndoAll();
        EXPECT_EQ(Save(), original) << "undo back to the original bytes";
        RedoAll();
        EXPECT_EQ(Save(), expected) << "redo to the same result";
    }

    // The whole file with one piece of text replaced by another (the piece
    // must occur).
    static std::string Replaced(std::string text, const std::string& from, const std::string& to) {
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos)
            text.replace(at, from.size(), to);
        return text;
    }

    std::wstring scratch;
    int files = 0;
    CSymbolView* view = nullptr;
    std::vector<UINT> menuAnswers;
    std::vector<PopupMenu> menus;
    ScopedUiHooksRecorder ui;
};
