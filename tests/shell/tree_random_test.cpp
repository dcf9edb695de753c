// Thousands of random user actions on the three trees of the examples:
// context-menu commands (dialogs answered at random), drags dropped or
// abandoned, keys, label edits, Edit-menu cut, copy, paste, undo and redo,
// files saved from and pasted into the trees, views opened and closed.
// Under the sanitizers no step may touch freed memory; at the end, undoing
// everything gives back the bytes of each example document.
#include "tests/dialogs/dialog_driver.h"
#include "tests/shell/tree_fixture.h"

#include <random>

namespace {

class TreeRandomTest : public TreeTest {
protected:
    std::vector<CTreeNode*> ShownNodes(int kind) {
        std::vector<CTreeNode*> nodes;
        CLeftTabView& tree = Tree(kind);
        std::vector<HTREEITEM> stack{tree.GetRootItem()};
        while (!stack.empty()) {
            HTREEITEM item = stack.back();
            stack.pop_back();
            if (!item)
                continue;
            nodes.push_back(tree.GetItemNode(item));
            for (HTREEITEM c = tree.GetChildItem(item); c; c = tree.GetNextSiblingItem(c))
                stack.push_back(c);
        }
        return nodes;
    }
    static size_t CountNodes(const CTreeNode* node) {
        size_t n = 1;
        for (const CTreeNode* child : node->GetChildren())
            n += CountNodes(child);
        return n;
    }
};

TEST_F(TreeRandomTest, RandomActionsThenUndoingEverythingGivesBackTheExamples) {
    for (int type : {NodeType::Board, NodeType::Sheet})
        RegisterTestViews(type, kDocumentProject);
    RegisterTestViews(NodeType::Package, kDocumentSymbolLibrary);
    for (int type : {NodeType::Footprint, NodeType::Padstack})
        RegisterTestViews(type, kDocumentFootprintLibrary);

    std::mt19937 rng(20240611);
    auto pick = [&](int n) {
        return n <= 0 ? 0 : static_cast<int>(rng() % static_cast<unsigned>(n));
    };
    bool allowGrowth = true;
    // Menus: a random command of the menu (sub-menus included), sometimes none.
    SetPopupMenuHook([&](const PopupMenu& menu, POINT) -> UINT {
        std::vector<UINT> ids;
        std::vector<const PopupMenu*> stack{&menu};
        while (!stack.empty()) {
            const PopupMenu* m = stack.back();
            stack.pop_back();
            for (const auto& item : m->Items()) {
                if (item.subMenu)
                    stack.push_back(item.subMenu.get());
                else if (!(item.flags & (MF_SEPARATOR | MF_GRAYED)) &&
                         (allowGrowth ||
                          (item.id != ID_EDIT_PASTE && item.id != ID_TREE_PASTE_FROM_FILE)))
                    ids.push_back(item.id);
            }
        }
        if (ids.empty() || pick(8) == 0)
            return 0;
        return ids[static_cast<size_t>(pick(static_cast<int>(ids.size())))];
    });
    // Dialogs of the commands: OK or Cancel.
    ScopedModalDialogHook dialogHook([&](PlatformDialog& dialog) {
        dialog_driver::ClickButton(dialog, pick(3) ? IDOK : IDCANCEL);
        if (dialog.IsWindow() && !dialog.IsEnded())
            dialog.EndDialog(IDCANCEL);
    });
    const wchar_t* const extensions[3] = {L".circuit", L".symbol", L".footprint"};
    const std::wstring damaged = WriteFile(L"damaged.circuit", "<?xml version=\"1.0\"?>\r\n<Pro");
    std::vector<std::wstring> files = {paths[0], paths[1], paths[2], damaged};
    const wchar_t* const names[] = {
        L"", L"Main", L"Power", L"Sheet 1", L"a<b & \"c\"", L"\u00B1 \u00DCber", L"New Folder"};

    const int kSteps = 3000;
    for (int step = 0; step < kSteps; ++step) {
        const int kind = pick(3);
        CLeftTabView& tree = Tree(kind);
        size_t size = 0;
        for (int k = 0; k < 3; ++k)
            size += CountNodes(&Root(k));
        allowGrowth = size < 6000;
        // Answers for whatever this step asks.
        dialogAnswers.clear();
        for (int i = 0; i < 2; ++i) {
            if (pick(4) == 0) {
                AnswerFileDialog(std::nullopt);
            } else if (pick(2)) {
                std::wstring saved =
                    PathJoin(scratch, L"f" + std::to_wstring(pick(4)) + extensions[pick(3)]);
                files.push_back(saved);
                AnswerFileDialog(saved);
            } else {
                AnswerFileDialog(files[static_cast<size_t>(pick(static_cast<int>(files.size())))]);
            }
        }
        std::vector<CTreeNode*> nodes = ShownNodes(kind);
        auto any = [&]() {
            return nodes[static_cast<size_t>(pick(static_cast<int>(nodes.size())))];
        };
        if (tree.GetEditControl() && pick(3)) {
            TypeLabel(kind, names[pick(static_cast<int>(std::size(names)))], pick(4) != 0);
            continue;
        }
        switch (pick(10)) {
        case 0:
        case 1:
        case 2: {
            ShowTree(kind);
            POINT p = LabelPoint(kind, any());
            SimulateMouse(&tree, WM_RBUTTONDOWN, p, MK_RBUTTON);
            SimulateMouse(&tree, WM_RBUTTONUP, p);
            PumpPendingMessages();
            break;
        }
        case 3:
            Drag(kind, any(), any(), pick(3) - 1, pick(5) != 0);
            if (tree.IsDragging())
                Key(kind, VK_ESCAPE);
            break;
        case 4: {
            Click(kind, any());
            const int keys[] = {VK_DELETE, VK_RETURN, VK_ESCAPE, VK_F2, VK_DOWN, VK_LEFT};
            Key(kind, keys[pick(static_cast<int>(std::size(keys)))]);
            break;
        }
        case 5:
        case 6: {
            EndEdit(kind);
            ShowTree(kind);
            const int commands[] = {ID_EDIT_UNDO, ID_EDIT_UNDO, ID_EDIT_REDO,
                                    ID_EDIT_CUT,  ID_EDIT_COPY, ID_EDIT_PASTE};
            const int id = commands[pick(static_cast<int>(std::size(commands)))];
            if (id != ID_EDIT_PASTE || allowGrowth) {
                Click(kind, any());
                Command(id);
            }
            break;
        }
        case 7:
            DoubleClick(kind, any());
            break;
        case 8: {
            CTabWindow& tabs = g_MainFrame.m_tabWindow;
            if (tabs.GetTabCount() > 0)
                tabs.CloseTab(pick(tabs.GetTabCount()), false);
            break;
        }
        default: {
            POINT p{CLeftPane::kTabPitch * pick(3) + 47,
                    g_MainFrame.m_leftPane.GetClientRect().bottom - 10};
            SimulateMouse(&g_MainFrame.m_leftPane, WM_LBUTTONDOWN, p, MK_LBUTTON);
            SimulateMouse(&g_MainFrame.m_leftPane, WM_LBUTTONUP, p);
            break;
        }
        }
        if (HasFailure())
            FAIL() << "stopped at step " << step;
    }
    // Back to the start, one undo at a time.
    for (int kind = 0; kind < 3; ++kind) {
        EndEdit(kind);
        ShowTree(kind);
        int undos = 0;
        while (Tree(kind).GetUndoList().CanUndo() && undos < 100000) {
            Command(ID_EDIT_UNDO);
            ++undos;
        }
        ExpectSameFile(Saved(kind), original[kind], "after undoing everything");
        EXPECT_EQ(Tree(kind).GetCount(), static_cast<int>(ShownNodes(kind).size()));
    }
}

} // namespace
