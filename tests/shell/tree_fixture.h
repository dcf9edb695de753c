// Shared set-up of the left pane's tests: the main window with the three
// example documents open (copied to the scratch folder), and the user's
// hands: clicks on an item's label, its context menu answered by a script,
// label edits typed into the field, drags with the mouse, and the Edit
// menu's undo and redo while a tree has the focus. Saved() writes a
// document the way Save does, without renaming it.
#pragma once

#include "core/node_type.h"
#include "core/xml_file.h"
#include "platform/edit_control.h"
#include "shell/left_tab_view.h"
#include "tests/focus_input.h"
#include "tests/shell/frame_fixture.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class TreeTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        StartFrame();
        SetPopupMenuHook([this](const PopupMenu& menu, POINT) -> UINT {
            menus.push_back(static_cast<unsigned>(menu.Items().size()));
            if (menuAnswers.empty())
                return 0;
            UINT id = menuAnswers.front();
            menuAnswers.pop_front();
            // The command must be one the menu offers.
            if (!menu.FindItem(id)) {
                missingCommands.push_back(id);
                return 0;
            }
            return id;
        });
        const wchar_t* const names[3] = {L"demo.circuit", L"demo.symbol", L"demo.footprint"};
        for (int kind = 0; kind < 3; ++kind) {
            const std::wstring example =
                PathJoin(PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples"), names[kind]);
            ASSERT_TRUE(ReadWholeFile(example, original[kind]));
            paths[kind] = WriteFile(names[kind], original[kind]);
            ASSERT_TRUE(g_MainFrame.Open(paths[kind], kind));
        }
        g_MainFrame.m_leftPane.SelectTab(0);
        ui.Clear();
    }
    void TearDown() override {
        for (int type : registeredMakers)
            RegisterViewMaker(type, nullptr);
        FrameTest::TearDown();
    }

    CLeftTabView& Tree(int kind) { return *g_MainFrame.m_leftPane.GetTree(kind); }
    CRoot& Root(int kind) { return g_MainFrame.GetRoot(kind); }

    // The document as Save writes it.
    std::string Saved(int kind) {
        CRoot& root = Root(kind);
        const std::wstring path = root.GetFilePath();
        const std::wstring out = PathJoin(scratch, L"saved.xml");
        CXmlFile file(&root);
        EXPECT_TRUE(file.Save(out.c_str()));
        root.SetFilePath(path);
        return ReadFile(out);
    }

    // The first child of parent of that type (and name, when given).
    static CTreeNode* Child(CTreeNode* parent, int type, const std::wstring& name = L"*") {
        if (!parent)
            return nullptr;
        for (CTreeNode* child : parent->GetChildren())
            if (child->GetType() == type && (name == L"*" || child->GetText() == name))
                return child;
        return nullptr;
    }
    static std::vector<std::wstring> ChildNames(const CTreeNode* parent, int type) {
        std::vector<std::wstring> names;
        for (const CTreeNode* child : parent->GetChildren())
            if (child->GetType() == type)
                names.push_back(child->GetText());
        return names;
    }

    // A point on the node's icon (upper or lower part of its row): every
    // item has one, while the label of a node without a name is empty.
    POINT LabelPoint(int kind, const CTreeNode* node, int part = 0) {
        CLeftTabView& tree = Tree(kind);
        HTREEITEM item = tree.FindItem(node);
        EXPECT_NE(item, nullptr);
        tree.EnsureVisible(item);
        RECT r{};
        EXPECT_TRUE(tree.GetItemRect(item, &r, true));
        const int y = part < 0 ? r.top + 2 : part > 0 ? r.bottom - 2 : (r.top + r.bottom) / 2;
        return POINT{r.left - 8, y};
    }
    void ShowTree(int kind) {
        g_MainFrame.m_leftPane.SelectTab(kind);
        Tree(kind).SetFocus();
        PumpPendingMessages();
    }
    void Click(int kind, const CTreeNode* node) {
        ShowTree(kind);
        POINT p = LabelPoint(kind, node);
        SimulateMouse(&Tree(kind), WM_LBUTTONDOWN, p, MK_LBUTTON);
        SimulateMouse(&Tree(kind), WM_LBUTTONUP, p);
        Tree(kind).KillTimer(TreeViewControl::kEditTimerId);
        PumpPendingMessages();
    }
    void DoubleClick(int kind, const CTreeNode* node) {
        Click(kind, node);
        SimulateMouse(&Tree(kind), WM_LBUTTONDBLCLK, LabelPoint(kind, node), MK_LBUTTON);
        SimulateMouse(&Tree(kind), WM_LBUTTONUP, LabelPoint(kind, node));
        PumpPendingMessages();
    }
    // The node's context menu, answered with the command id.
    void Menu(int kind, const CTreeNode* node, UINT id) {
        ShowTree(kind);
        menuAnswers.push_back(id);
        POINT p = LabelPoint(kind, node);
        SimulateMouse(&Tree(kind), WM_RBUTTONDOWN, p, MK_RBUTTON);
        SimulateMouse(&Tree(kind), WM_RBUTTONUP, p);
        PumpPendingMessages();
        EXPECT_TRUE(missingCommands.empty()) << "command " << id << " not in the menu";
        missingCommands.clear();
    }
    // A key pressed on the keyboard: it goes wherever the focus is (the tree,
    // or its label edit while a label is edited).
    void Key(int kind, int vk) {
        (void)kind;
        PressKeyAtFocus(vk);
    }
    // Types into the open label edit and presses Enter (or Esc).
    void TypeLabel(int kind, const std::wstring& text, bool enter = true) {
        EditControl* edit = Tree(kind).GetEditControl();
        ASSERT_NE(edit, nullptr);
        edit->SetSel(0, -1);
        if (text.empty())
            SimulateKey(edit, true, VK_DELETE);
        else
            SimulateTyping(edit, text);
        Key(kind, enter ? VK_RETURN : VK_ESCAPE);
    }
    // Esc in an open label edit.
    void EndEdit(int kind) {
        if (Tree(kind).GetEditControl())
            Key(kind, VK_ESCAPE);
    }
    void Undo(int kind) {
        EndEdit(kind);
        ShowTree(kind);
        Command(ID_EDIT_UNDO);
    }
    void Redo(int kind) {
        EndEdit(kind);
        ShowTree(kind);
        Command(ID_EDIT_REDO);
    }
    // Presses on the source's label, moves to the target and, unless
    // drop is false, releases there. part: -1 upper, 0 middle, 1 lower half.
    void Drag(int kind, const CTreeNode* source, const CTreeNode* target, int part = 0,
              bool drop = true) {
        ShowTree(kind);
        CLeftTabView& tree = Tree(kind);
        POINT from = LabelPoint(kind, source);
        SimulateMouse(&tree, WM_LBUTTONDOWN, from, MK_LBUTTON);
        SimulateMouse(&tree, WM_MOUSEMOVE, POINT{from.x + 12, from.y + 1}, MK_LBUTTON);
        POINT to = LabelPoint(kind, target, part);
        SimulateMouse(&tree, WM_MOUSEMOVE, to, MK_LBUTTON);
        if (drop)
            SimulateMouse(&tree, WM_LBUTTONUP, to);
        PumpPendingMessages();
    }

    // A command checked against the saved document: it changes the file
    // (check looks at what it wrote), Undo gives back the bytes before it,
    // Redo the bytes after it.
    void DoUndoRedo(int kind, const std::function<void()>& action,
                    const std::function<void(const std::string&)>& check) {
        const std::string before = Saved(kind);
        action();
        EndEdit(kind);
        const std::string after = Saved(kind);
        EXPECT_TRUE(after != before) << "the command changed nothing";
        check(after);
        Undo(kind);
        ExpectSameFile(Saved(kind), before, "after undo");
        Redo(kind);
        ExpectSameFile(Saved(kind), after, "after redo");
    }
    // Compares two saved files, reporting the first line that differs.
    static void ExpectSameFile(const std::string& actual, const std::string& expected,
                               const char* what) {
        if (actual == expected)
            return;
        size_t at = 0;
        while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
            ++at;
        size_t line = actual.rfind('\n', at == 0 ? 0 : at - 1);
        line = line == std::string::npos ? 0 : line + 1;
        ADD_FAILURE() << what << ": the files differ at\n  " << actual.substr(line, 100)
                      << "\ninstead of\n  " << expected.substr(line, 100);
    }

    // Views made for nodes of a type while the test runs: test views
    // that edit the node's document.
    void RegisterTestViews(int type, int documentKind) {
        registeredMakers.push_back(type);
        static int kinds[64];
        kinds[type] = documentKind;
        RegisterViewMaker(type, [](CTreeNode* node) -> CVorpelView* {
            auto* view = new CRecordingView(node, kViewSchematic);
            view->documentKind = kinds[node->GetType()];
            return view;
        });
    }

    int MessageBoxesExactly(const std::wstring& text) const {
        int n = 0;
        for (const auto& m : ui.messageBoxes)
            if (m.text == text)
                ++n;
        return n;
    }

    std::string original[3];
    std::wstring paths[3];
    std::deque<UINT> menuAnswers;
    std::vector<unsigned> menus;
    std::vector<UINT> missingCommands;
    std::vector<int> registeredMakers;
};

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}
