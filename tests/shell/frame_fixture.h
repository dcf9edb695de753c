// Shared set-up of the main-window tests: a scratch profile and Documents
// folder, the program's one frame created on the screen, file dialogs and
// message boxes answered by scripts, test views standing in for the editors,
// and clicks as the pointer gives them.
#pragma once

#include "core/generic_node.h"
#include "core/root.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "platform/file.h"
#include "platform/file_dialog.h"
#include "platform/input_simulation.h"
#include "platform/key_state.h"
#include "platform/message_loop.h"
#include "platform/popup_menu.h"
#include "platform/settings_store.h"
#include "platform/text.h"
#include "resources/command_ids.h"
#include "shell/main_frame.h"
#include "tests/core/test_view.h"
#include "tests/pointer_input.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <optional>
#include <string>
#include <vector>

// A test view that also keeps the commands and unit changes it receives.
class CRecordingView : public CTestView {
public:
    using CTestView::CTestView;
    std::vector<int> commands;
    int unitCycles = 0;
    void CycleUnit() override { ++unitCycles; }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result) override {
        if (msg == WM_COMMAND && l == 0)
            commands.push_back(static_cast<int>(LOWORD(w)));
        return CTestView::ProcessWindowMessage(msg, w, l, result);
    }
};

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsStore::Reset();
        std::string dir = "/tmp/vorpel-frame-XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        scratch = PathFromNative(dir);
        documents = PathJoin(scratch, L"Documents");
        ASSERT_TRUE(CreateDirectories(documents));
        setenv("VORPEL_DOCUMENTS_HOME", PathToNative(documents).c_str(), 1);
        startFolder = GetCurrentFolder();
        SetFileDialogHook([this](FileDialogKind kind, FileDialogRequest& request) {
            dialogs.push_back({kind, request});
            if (dialogAnswers.empty() || !dialogAnswers.front()) {
                if (!dialogAnswers.empty())
                    dialogAnswers.pop_front();
                return false;
            }
            request.fileName = *dialogAnswers.front();
            dialogAnswers.pop_front();
            return true;
        });
    }
    void TearDown() override {
        if (g_MainFrame.IsWindow())
            g_MainFrame.DestroyWindow();
        PumpPendingMessages();
        SetFileDialogHook(nullptr);
        SetPopupMenuHook(nullptr);
        ResetKeyState();
        SetCurrentFolder(startFolder);
        unsetenv("VORPEL_DOCUMENTS_HOME");
        std::string cmd = "rm -rf '" + PathToNative(scratch) + "'";
        (void)std::system(cmd.c_str());
        SettingsStore::Reset();
    }

    void StartFrame(const std::wstring& commandLine = L"") {
        ASSERT_TRUE(g_MainFrame.CreateFrame(commandLine, RECT{0, 0, 1280, 800}));
        g_MainFrame.ShowWindow(true);
        PumpPendingMessages();
    }
    void Command(int id) {
        g_MainFrame.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), 0), 0);
        PumpPendingMessages();
    }
    // A left click at a window's client point as the pointer gives it:
    // whatever lies over the window there (the Find dialog, the property
    // panel) takes it.
    static void ClickAt(PlatformWindow* w, POINT p) {
        MouseAt(w, WM_MOUSEMOVE, p);
        MouseAt(w, WM_LBUTTONDOWN, p, MK_LBUTTON);
        MouseAt(w, WM_LBUTTONUP, p);
    }
    // A view of a node added as the first tab.
    CRecordingView* OpenView(CTreeNode* node, int viewKind, int documentKind) {
        auto* view = new CRecordingView(node, viewKind);
        view->documentKind = documentKind;
        g_MainFrame.AddView(node, view);
        return view;
    }
    // An edit made in a view: the node's name changes, recorded for undo.
    static void Rename(CVorpelView* view, CTreeNode* node, const std::wstring& name) {
        view->GetUndoList().SetStartNewGroup(true);
        view->GetUndoList().AddUndo(new CUndoChangeNodeAttribute(node, nullptr));
        node->SetText(name);
    }
    // A node appended to a root (a document with something in it).
    static CTreeNode* AddNode(CTreeNode& parent, const wchar_t* tag, const wchar_t* name) {
        auto* node = new CGenericNode(std::wstring(tag));
        node->SetText(name);
        return parent.AddChild(node);
    }
    std::wstring WriteFile(const std::wstring& name, const std::string& text) {
        std::wstring path = PathJoin(scratch, name);
        EXPECT_TRUE(WriteWholeFile(path, text));
        return path;
    }
    static std::string ReadFile(const std::wstring& path) {
        std::string bytes;
        ReadWholeFile(path, bytes);
        return bytes;
    }
    void AnswerFileDialog(std::optional<std::wstring> path) {
        dialogAnswers.push_back(std::move(path));
    }
    int MessageBoxesWith(const std::wstring& text) const {
        int n = 0;
        for (const auto& m : ui.messageBoxes)
            if (m.text.find(text) != std::wstring::npos)
                ++n;
        return n;
    }

    struct DialogCall {
        FileDialogKind kind;
        FileDialogRequest request;
    };
    std::wstring scratch;
    std::wstring documents;
    std::wstring startFolder;
    std::vector<DialogCall> dialogs;
    std::deque<std::optional<std::wstring>> dialogAnswers;
    ScopedUiHooksRecorder ui;
};
