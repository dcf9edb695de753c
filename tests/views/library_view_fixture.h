// Shared set-up of the footprint and padstack editor tests: the main window
// with a copy of the example footprint library open, views opened on its
// nodes as the library tree opens them, the pointer moved, pressed and
// dragged at model points, keys typed at the tab window, popup menus and the
// padstack sheet answered by scripts, and the library saved for comparing.
#pragma once

#include "board/footprint.h"
#include "board/marking.h"
#include "board/marking_primitive.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/xml_file.h"
#include "dialogs/padstack_sheet.h"
#include "platform/dialog.h"
#include "platform/graphics.h"
#include "platform/matrix.h"
#include "platform/popup_menu.h"
#include "platform/window_manager.h"
#include "tests/focus_input.h"
#include "tests/pointer_input.h"
#include "tests/screen_user.h"
#include "tests/shell/frame_fixture.h"
#include "views/editor_views.h"
#include "views/footprint_view.h"
#include "views/marking_clipboard.h"
#include "views/padstack_view.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class LibraryViewTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        RegisterEditorViews();
        g_MarkingClipboard.Clear();
        StartFrame();
        const std::wstring example =
            PathJoin(PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples"), L"demo.footprint");
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile(example, bytes));
        libraryPath = WriteFile(L"demo.footprint", bytes);
        ASSERT_TRUE(g_MainFrame.Open(libraryPath, kDocumentFootprintLibrary));
        SetPopupMenuHook([this](const PopupMenu& menu, POINT) -> UINT {
            menuItems.push_back(MenuState(menu));
            if (menuAnswers.empty())
                return 0;
            UINT answer = menuAnswers.front();
            menuAnswers.pop_front();
            return answer;
        });
    }
    void TearDown() override {
        g_MarkingClipboard.Clear();
        FrameTest::TearDown();
    }

    CRoot& Library() { return g_MainFrame.GetRoot(kDocumentFootprintLibrary); }

    // The first node of the type with the name, depth first.
    static CTreeNode* Find(CTreeNode* node, int type, const std::wstring& name) {
        for (CTreeNode* child : node->GetChildren()) {
            if (child->GetType() == type && child->GetText() == name)
                return child;
            if (CTreeNode* found = Find(child, type, name))
                return found;
        }
        return nullptr;
    }
    CFootprintView* OpenFootprint(const std::wstring& name) {
        CTreeNode* node = Find(&Library(), NodeType::Footprint, name);
        EXPECT_NE(node, nullptr);
        auto* view = dynamic_cast<CFootprintView*>(g_MainFrame.OpenNodeView(node));
        PumpPendingMessages();
        return view;
    }
    CPadstackView* OpenPadstack(const std::wstring& name) {
        CTreeNode* node = Find(&Library(), NodeType::Padstack, name);
        EXPECT_NE(node, nullptr);
        auto* view = dynamic_cast<CPadstackView*>(g_MainFrame.OpenNodeView(node));
        PumpPendingMessages();
        return view;
    }

    // The library as its file would hold it.
    std::string Saved() {
        const std::wstring path = PathJoin(scratch, L"saved.footprint");
        CXmlFile file(&Library());
        EXPECT_TRUE(file.Save(path.c_str()));
        return ReadFile(path);
    }
    // The saved element of the first node opening with tag and named name,
    // up to its end tag.
    static std::string Element(const std::string& xml, const std::string& tag,
                               const std::string& name) {
        for (size_t at = xml.find("<" + tag); at != std::string::npos;
             at = xml.find("<" + tag, at + 1)) {
            const size_t close = xml.find('>', at);
            if (close == std::string::npos)
                break;
            if (xml.compare(close + 1, name.size() + 2, name + "\r\n") != 0)
                continue;
            const size_t end = xml.find("</" + tag + ">", close);
            return xml.substr(at, end == std::string::npos ? std::string::npos
                                                           : end + tag.size() + 3 - at);
        }
        return std::string();
    }

    // --- The pointer at model points (mm). ------------------------------------------
    static POINT At(CLibraryEditorView* view, float x, float y) {
        auto g = view->MakeGraphics();
        PointF p{x, y};
        Matrix m = g->WorldToDevice();
        m.TransformPoints(&p, 1);
        return POINT{static_cast<int32_t>(std::lround(p.X)),
                     static_cast<int32_t>(std::lround(p.Y))};
    }
    static void Move(CLibraryEditorView* view, float x, float y, WPARAM mk = 0) {
        MouseAt(view, WM_MOUSEMOVE, At(view, x, y), mk);
        PumpPendingMessages();
    }
    // A left click: the pointer goes there, presses and releases; the move
    // after the press is the one a view ignores.
    static void Click(CLibraryEditorView* view, float x, float y, WPARAM mk = 0) {
        Move(view, x, y, mk);
        MouseAt(view, WM_LBUTTONDOWN, At(view, x, y), MK_LBUTTON | mk);
        MouseAt(view, WM_LBUTTONUP, At(view, x, y), mk);
        PumpPendingMessages();
        Move(view, x, y, mk);
    }
    // A left click where the pointer already is: no move comes before the
    // press (the move after it is the one a view ignores).
    static void ClickInPlace(CLibraryEditorView* view, float x, float y, WPARAM mk = 0) {
        MouseAt(view, WM_LBUTTONDOWN, At(view, x, y), MK_LBUTTON | mk);
        MouseAt(view, WM_LBUTTONUP, At(view, x, y), mk);
        PumpPendingMessages();
        Move(view, x, y, mk);
    }
    static void Drag(CLibraryEditorView* view, float x0, float y0, float x1, float y1) {
        Move(view, x0, y0);
        MouseAt(view, WM_LBUTTONDOWN, At(view, x0, y0), MK_LBUTTON);
        MouseAt(view, WM_MOUSEMOVE, At(view, x0, y0), MK_LBUTTON);
        MouseAt(view, WM_MOUSEMOVE, At(view, (x0 + x1) / 2, (y0 + y1) / 2), MK_LBUTTON);
        MouseAt(view, WM_MOUSEMOVE, At(view, x1, y1), MK_LBUTTON);
        MouseAt(view, WM_LBUTTONUP, At(view, x1, y1));
        PumpPendingMessages();
    }
    static void RightClick(CLibraryEditorView* view, float x, float y) {
        Move(view, x, y);
        MouseAt(view, WM_RBUTTONDOWN, At(view, x, y), MK_RBUTTON);
        MouseAt(view, WM_RBUTTONUP, At(view, x, y));
        PumpPendingMessages();
    }

    // --- Keys and commands. -------------------------------------------------------------
    // A key pressed and released on the keyboard: it goes wherever the focus
    // is (the tab window while a library item is edited).
    void Key(int vk, WPARAM mk = 0) {
        PressKeyAtFocus(vk, mk);
        ResetKeyState();
    }
    // A key typed on the X server's keyboard (xdotool's words for it, as
    // "shift+r"), so that it reaches the window of the server's focus with
    // the modifiers the server holds, as a user's does; waits until arrived()
    // answers true. Off a real display it goes to the focus as Key() sends
    // vk with mk.
    void ServerKey(const std::string& keys, int vk, WPARAM mk,
                   const std::function<bool()>& arrived) {
        if (!OnRealDisplay()) {
            Key(vk, mk);
            return;
        }
        PlatformWindow* focus = KeyboardFocusWindow();
        ASSERT_NE(focus, nullptr);
        const auto focused = [&] {
            return HasServerFocus(g_MainFrame) && KeyboardFocusWindow() == focus;
        };
        if (!focused())
            RequestActivationFromWindowManager(&g_MainFrame);
        ASSERT_TRUE(ProcessEventsUntil(focused))
            << "the main window never had the keyboard focus of the X server";
        ASSERT_EQ(std::system(("xdotool key " + keys).c_str()), 0);
        ASSERT_TRUE(ProcessEventsUntil(arrived)) << keys << " did not arrive";
        ProcessEventsUntil([] { return !IsKeyDown(VK_SHIFT); });
        PumpPendingMessages();
        ResetKeyState();
    }
    // Choosing entry i of the pad-layer selector.
    static void ChooseLayerEntry(int entry) {
        g_LayerSelector.SetCurSel(entry);
        g_MainFrame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_PAD_LAYER_COMBO, CBN_SELCHANGE),
                                PtrToLParam(&g_LayerSelector));
        PumpPendingMessages();
    }
    static void Undo() {
        g_MainFrame.m_tabWindow.SendMessage(WM_UNDO);
        PumpPendingMessages();
    }
    static void Redo() {
        g_MainFrame.m_tabWindow.SendMessage(WM_EDIT_REDO);
        PumpPendingMessages();
    }

    // Every menu item with its flags, sub-menus flattened.
    static std::vector<std::pair<UINT, UINT>> MenuState(const PopupMenu& menu) {
        std::vector<std::pair<UINT, UINT>> out;
        for (const PopupMenu::Item& item : menu.Items()) {
            if (item.subMenu) {
                auto sub = MenuState(*item.subMenu);
                out.insert(out.end(), sub.begin(), sub.end());
            } else if (!(item.flags & MF_SEPARATOR)) {
                out.emplace_back(item.id, item.flags);
            }
        }
        return out;
    }
    bool LastMenuGrayed(UINT id) const {
        for (const auto& item : menuItems.back())
            if (item.first == id)
                return (item.second & MF_GRAYED) != 0;
        ADD_FAILURE() << "no item " << id;
        return false;
    }

    // Every decimal number of a text to one decimal (trailing zeros
    // dropped): for shapes that took their place from the pointer's pixel.
    static std::string Rounded(const std::string& text) {
        std::string out;
        for (size_t i = 0; i < text.size();) {
            const bool sign = text[i] == '-' && i + 1 < text.size() && std::isdigit(text[i + 1]);
            if (!std::isdigit(static_cast<unsigned char>(text[i])) && !sign) {
                out += text[i++];
                continue;
            }
            size_t end = i + 1;
            while (end < text.size() &&
                   (std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '.'))
                ++end;
            const std::wstring digits = Utf8ToWide(text.substr(i, end - i));
            std::string number =
                WideToUtf8(StrPrintf(L"%.1f", ParseDouble(digits.c_str(), nullptr)));
            while (number.find('.') != std::string::npos &&
                   (number.back() == '0' || number.back() == '.'))
                number.pop_back();
            out += number == "-0" ? "0" : number;
            i = end;
        }
        return out;
    }

    // Do, undo and redo of one action, comparing the saved library: after
    // the action the element of the node reads as expected; undoing its steps
    // gives back the original bytes, redoing them the changed ones.
    void ExpectDoUndoRedo(const std::function<void()>& action, const std::string& tag,
                          const std::string& name, const std::string& expected, int steps = 1,
                          bool rounded = false) {
        const std::string before = Saved();
        action();
        const std::string after = Saved();
        const std::string got =
            rounded ? Rounded(Element(after, tag, name)) : Element(after, tag, name);
        EXPECT_EQ(got, expected);
        for (int i = 0; i < steps; ++i)
            Undo();
        EXPECT_EQ(Saved(), before);
        for (int i = 0; i < steps; ++i)
            Redo();
        EXPECT_EQ(Saved(), after);
    }

    std::wstring libraryPath;
    std::deque<UINT> menuAnswers;
    std::vector<std::vector<std::pair<UINT, UINT>>> menuItems;
};
