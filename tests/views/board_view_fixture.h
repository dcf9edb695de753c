// Shared set-up of the board editor tests: the program's one main window on
// the screen with a project in it, the board opened in its editor view as
// the project tree opens it, and a user's hands: mouse presses, moves and
// releases at model points (going to the window under the pointer, as on the
// desktop), keys, commands, answers to
// popup menus, message boxes and file dialogs. Documents are compared as
// the bytes the project saves to.
#pragma once

#include "board/board.h"
#include "board/footprint.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/default_settings.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/xml_file.h"
#include "platform/file.h"
#include "platform/file_dialog.h"
#include "platform/input_simulation.h"
#include "platform/key_state.h"
#include "platform/message_loop.h"
#include "platform/popup_menu.h"
#include "platform/settings_store.h"
#include "platform/text.h"
#include "resources/command_ids.h"
#include "schematic/package.h"
#include "shell/main_frame.h"
#include "tests/focus_input.h"
#include "tests/pointer_input.h"
#include "tests/ui_hooks_recorder.h"
#include "views/board_view.h"
#include "views/editor_views.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class BoardViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsStore::Reset();
        std::string dir = "/tmp/vorpel-boardview-XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        scratch = PathFromNative(dir);
        documents = PathJoin(scratch, L"Documents");
        ASSERT_TRUE(CreateDirectories(documents));
        setenv("VORPEL_DOCUMENTS_HOME", PathToNative(documents).c_str(), 1);
        startFolder = GetCurrentFolder();
        RegisterEditorViews();
        SetFileDialogHook([this](FileDialogKind kind, FileDialogRequest& request) {
            fileDialogs.push_back(request);
            (void)kind;
            if (fileAnswers.empty() || !fileAnswers.front()) {
                if (!fileAnswers.empty())
                    fileAnswers.pop_front();
                return false;
            }
            request.fileName = *fileAnswers.front();
            fileAnswers.pop_front();
            return true;
        });
        SetPopupMenuHook([this](const PopupMenu& menu, POINT) -> UINT {
            menus.push_back(menu);
            if (menuAnswers.empty())
                return 0;
            UINT answer = menuAnswers.front();
            menuAnswers.pop_front();
            return answer;
        });
        ASSERT_TRUE(g_MainFrame.CreateFrame(L"", RECT{0, 0, 1280, 800}));
        g_MainFrame.ShowWindow(true);
        PumpPendingMessages();
    }

    void TearDown() override {
        if (g_MainFrame.IsWindow())
            g_MainFrame.DestroyWindow();
        PumpPendingMessages();
        SetFileDialogHook(nullptr);
        SetPopupMenuHook(nullptr);
        SetFreeComponentPadstackSource(nullptr);
        ResetKeyState();
        SetCurrentFolder(startFolder);
        unsetenv("VORPEL_DOCUMENTS_HOME");
        std::string cmd = "rm -rf '" + PathToNative(scratch) + "'";
        (void)std::system(cmd.c_str());
        SettingsStore::Reset();
    }

    CRoot& Project() { return g_MainFrame.GetRoot(kDocumentProject); }

    // Loads a project file into the main window and opens its first board.
    void OpenProject(const std::wstring& path) {
        ASSERT_TRUE(g_MainFrame.Open(path, kDocumentProject));
        board = FindBoard(&Project());
        ASSERT_NE(board, nullptr);
        OpenBoard();
    }
    void OpenExample() {
        const std::wstring copy = PathJoin(scratch, L"demo.circuit");
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile(Utf8ToWide(VORPEL_SOURCE_DIR "/examples/demo.circuit"), bytes));
        ASSERT_TRUE(WriteWholeFile(copy, bytes));
        OpenProject(copy);
    }
    // A project written by the test.
    void OpenText(const std::string& xml) {
        const std::wstring path = PathJoin(scratch, L"test.circuit");
        ASSERT_TRUE(WriteWholeFile(path, xml));
        OpenProject(path);
    }
    void OpenBoard() {
        view = dynamic_cast<CBoardView*>(g_MainFrame.OpenNodeView(board));
        ASSERT_NE(view, nullptr);
        PumpPendingMessages();
        original = Saved();
    }
    static CBoard* FindBoard(CTreeNode* node) {
        for (CTreeNode* child : node->GetChildren()) {
            if (child->GetType() == NodeType::Board)
                return static_cast<CBoard*>(child);
            if (CBoard* b = FindBoard(child))
                return b;
        }
        return nullptr;
    }

    // The project as it saves now.
    std::string Saved() {
        const std::wstring path = PathJoin(scratch, L"saved.circuit");
        const std::wstring kept = Project().GetFilePath();
        CXmlFile file(&Project());
        EXPECT_TRUE(file.Save(path.c_str()));
        Project().SetFilePath(kept);
        std::string bytes;
        ReadWholeFile(path, bytes);
        return bytes;
    }

    // --- Hands -------------------------------------------------------------------
    POINT ToClient(PointF p) const {
        const double s = view->GetDpi() * view->GetZoomScale() / 25.4;
        const POINT o = view->GetScrollOffset();
        return POINT{static_cast<int>(std::lround(p.X * s)) + o.x,
                     static_cast<int>(std::lround(-p.Y * s)) + o.y};
    }
    void Press(PointF p, WPARAM mk = 0) {
        MouseAt(view, WM_LBUTTONDOWN, ToClient(p), mk | MK_LBUTTON);
        PumpPendingMessages();
    }
    void Release(PointF p, WPARAM mk = 0) {
        MouseAt(view, WM_LBUTTONUP, ToClient(p), mk);
        PumpPendingMessages();
    }
    void Move(PointF p, WPARAM mk = 0) {
        MouseAt(view, WM_MOUSEMOVE, ToClient(p), mk);
        PumpPendingMessages();
    }
    void Click(PointF p, WPARAM mk = 0) {
        Press(p, mk);
        Release(p, mk);
    }
    void DoubleClick(PointF p, WPARAM mk = 0) {
        DoubleClickAt(view, ToClient(p), mk);
        PumpPendingMessages();
    }
    // Press, the move that settles the press, the moves, the release.
    void Drag(PointF from, PointF to, WPARAM mk = 0) {
        Press(from, mk);
        Move(from, mk | MK_LBUTTON);
        Move(to, mk | MK_LBUTTON);
        Release(to, mk);
    }
    void RightPress(PointF p, WPARAM mk = 0) {
        MouseAt(view, WM_RBUTTONDOWN, ToClient(p), mk | MK_RBUTTON);
        MouseAt(view, WM_RBUTTONUP, ToClient(p), mk);
        PumpPendingMessages();
    }
    // A key pressed and released on the keyboard: it goes wherever the focus
    // is, as on the desktop (the tab window while the board is edited).
    void Key(int vk, WPARAM mk = 0, bool alt = false, bool rightAlt = false) {
        PressKeyAtFocus(vk, mk, alt, rightAlt);
        ResetKeyState();
        PumpPendingMessages();
    }
    // A command as the main window's toolbars and menus send it.
    void Command(int id) {
        g_MainFrame.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), 0), 0);
        PumpPendingMessages();
    }
    void Undo() { Command(ID_EDIT_UNDO); }
    void Redo() { Command(ID_EDIT_REDO); }

    // One undo gives before again, one redo after.
    void ExpectUndoRedo(const std::string& before, const std::string& after) {
        EXPECT_NE(after, before);
        Undo();
        EXPECT_EQ(Saved(), before);
        Redo();
        EXPECT_EQ(Saved(), after);
    }

    int MessageBoxesWith(const std::wstring& text) const {
        int n = 0;
        for (const auto& m : ui.messageBoxes)
            if (m.text.find(text) != std::wstring::npos)
                ++n;
        return n;
    }
    std::vector<CFootprint*> Mounted() const {
        std::vector<CFootprint*> out;
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Mounting)
                for (CTreeNode* c : child->GetChildren())
                    out.push_back(static_cast<CFootprint*>(c));
        return out;
    }
    CFootprint* PackageFootprint(int n) const {
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Package)
                if (CFootprint* f = static_cast<CPackage*>(child)->GetFootprint())
                    if (n-- == 0)
                        return f;
        return nullptr;
    }

    std::wstring scratch;
    std::wstring documents;
    std::wstring startFolder;
    CBoard* board = nullptr;
    CBoardView* view = nullptr;
    std::string original;
    ScopedUiHooksRecorder ui;
    std::vector<FileDialogRequest> fileDialogs;
    std::deque<std::optional<std::wstring>> fileAnswers;
    std::vector<PopupMenu> menus;
    std::deque<UINT> menuAnswers;
};

// Expects the saved project to differ from the original, then undo to give
// the original bytes again and redo the changed bytes.
#define EXPECT_UNDO_REDO(changedBytes) ExpectUndoRedo(original, (changedBytes))
