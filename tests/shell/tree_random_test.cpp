// Thousands of random user actions on the three trees of the examples:
// context-menu commands (dialogs answered at random), drags dropped or
// abandoned, keys, label edits, Edit-menu cut, copy, paste, undo and redo,
// files saved from and pasted into the trees, views opened and closed.
// Under the sanitizers no step may touch freed memory; after every step each
// tree shows its document and every board is whole (its objects on sheets
// that exist, its tracks tied to its own pads); after every paste the
// project saved and read back keeps its objects on their sheets. At the
// end, undoing everything gives back the bytes of each example document and
// redoing everything the bytes before the undo. The seed comes from
// VORPEL_RANDOM_SEED.
#include "board/conductor.h"
#include "board/pad.h"
#include "schematic/sheet.h"
#include "schematic/sheet_object.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/shell/tree_fixture.h"

#include <cstdlib>
#include <map>
#include <random>

namespace {

unsigned Seed() {
    const char* env = std::getenv("VORPEL_RANDOM_SEED");
    return env ? static_cast<unsigned>(std::strtoul(env, nullptr, 10)) : 20240611u;
}

const CTreeNode* BoardOf(const CTreeNode* node) {
    while (node && node->GetType() != NodeType::Board)
        node = node->GetParent();
    return node;
}

template <class F> void ForEachNode(const CTreeNode* node, F f) {
    f(node);
    for (const CTreeNode* child : node->GetChildren())
        ForEachNode(child, f);
}

// Per board (in document order), the objects on each of its sheets.
using SheetCounts = std::vector<std::map<std::wstring, int>>;

// Every sheet object lies on no sheet, on a sheet of its own board, or on a
// sheet the history keeps (cut or deleted, out of every document); every
// tie of a track is to a pad or via of the track's own board. Returns the
// objects on the sheets of their boards.
SheetCounts ExpectWholeBoards(const CTreeNode* root) {
    SheetCounts counts;
    ForEachNode(root, [&](const CTreeNode* node) {
        if (node->GetType() == NodeType::Board)
            counts.emplace_back();
        if (node->GetType() == NodeType::Conductor) {
            for (const ConductorVertex& v : static_cast<const CConductor*>(node)->m_vertices) {
                if (const CPad* pad = v.tie.GetPad()) {
                    EXPECT_EQ(BoardOf(pad), BoardOf(node)) << "a tie leaves its board";
                }
            }
            return;
        }
        auto* object = dynamic_cast<const CSheetObject*>(node);
        if (!object || !object->m_pSheet)
            return;
        const CSheet* sheet = object->m_pSheet;
        ASSERT_EQ(sheet->GetType(), NodeType::Sheet);
        if (!sheet->GetParent())
            return;
        EXPECT_EQ(sheet->GetParent(), BoardOf(node)) << "an object on another board's sheet";
        if (!counts.empty())
            ++counts.back()[sheet->GetName()];
    });
    return counts;
}

class TreeRandomTest : public TreeTest {
protected:
    // The nodes of the tree's items, parents before children.
    std::vector<CTreeNode*> ItemNodes(int kind) {
        std::vector<CTreeNode*> nodes;
        CLeftTabView& tree = Tree(kind);
        std::function<void(HTREEITEM)> walk = [&](HTREEITEM item) {
            for (; item; item = tree.GetNextSiblingItem(item)) {
                nodes.push_back(tree.GetItemNode(item));
                walk(tree.GetChildItem(item));
            }
        };
        walk(tree.GetRootItem());
        return nodes;
    }
    // The nodes each tree shows of its document, in the same order: the
    // project's blocks, boards and sheets; every library node but design
    // rules, nothing below a symbol, a footprint or a padstack.
    static bool Shown(int kind, const CTreeNode* node) {
        const int type = node->GetType();
        if (kind == 0)
            return type == NodeType::Block || type == NodeType::Board || type == NodeType::Sheet;
        return kind == 2 || type != NodeType::BoardProperties;
    }
    static bool LooksBelow(int kind, const CTreeNode* node) {
        const int type = node->GetType();
        if (kind == 0)
            return type != NodeType::Sheet;
        if (kind == 1)
            return type != NodeType::Package;
        return type != NodeType::Footprint && type != NodeType::Padstack;
    }
    std::vector<CTreeNode*> DocumentNodes(int kind) {
        std::vector<CTreeNode*> nodes;
        std::function<void(CTreeNode*)> walk = [&](CTreeNode* node) {
            nodes.push_back(node);
            if (LooksBelow(kind, node))
                for (CTreeNode* child : node->GetChildren())
                    if (Shown(kind, child))
                        walk(child);
        };
        walk(&Root(kind));
        return nodes;
    }
    // The project saved and read back: every object on a sheet of its board
    // is on the sheet of that name again (one left on a sheet that went may
    // find a new sheet of its sheet's name), and every tie stays in its board.
    void ExpectReloadKeepsSheets(const SheetCounts& before) {
        const std::wstring path = PathJoin(scratch, L"reload.circuit");
        {
            CXmlFile out(&Root(0));
            const std::wstring kept = Root(0).GetFilePath();
            ASSERT_TRUE(out.Save(path.c_str()));
            Root(0).SetFilePath(kept);
        }
        CRoot reloaded;
        CXmlFile in(&reloaded);
        ASSERT_TRUE(in.Load(path.c_str()));
        BuildBoardNetsInTree(&reloaded);
        const SheetCounts after = ExpectWholeBoards(&reloaded);
        ASSERT_EQ(after.size(), before.size());
        for (size_t b = 0; b < before.size(); ++b)
            for (const auto& [name, n] : before[b]) {
                auto it = after[b].find(name);
                EXPECT_GE(it == after[b].end() ? 0 : it->second, n)
                    << "objects of sheet " << WideToUtf8(name) << " of board " << b
                    << " lost their sheet";
            }
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

    const unsigned seed = Seed();
    SCOPED_TRACE("VORPEL_RANDOM_SEED=" + std::to_string(seed));
    std::mt19937 rng(seed);
    auto pick = [&](int n) {
        return n <= 0 ? 0 : static_cast<int>(rng() % static_cast<unsigned>(n));
    };
    bool allowGrowth = true;
    UINT chosen = 0; // the command of the step's menu or Edit command
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
        chosen = ids[static_cast<size_t>(pick(static_cast<int>(ids.size())))];
        return chosen;
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
        chosen = 0;
        std::vector<CTreeNode*> nodes = ItemNodes(kind);
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
                chosen = static_cast<UINT>(id);
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
            CLeftPane& pane = g_MainFrame.m_leftPane;
            POINT p{pane.TabPitch() * pick(3) + pane.TabWidth() / 2,
                    g_MainFrame.m_leftPane.GetClientRect().bottom - 10};
            SimulateMouse(&g_MainFrame.m_leftPane, WM_LBUTTONDOWN, p, MK_LBUTTON);
            SimulateMouse(&g_MainFrame.m_leftPane, WM_LBUTTONUP, p);
            break;
        }
        }
        // Whatever the step did, each tree shows its document, and every
        // board is whole; a paste into the project also survives a save.
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(ItemNodes(k), DocumentNodes(k)) << "tree " << k;
        const SheetCounts counts = ExpectWholeBoards(&Root(0));
        if (kind == 0 && (chosen == ID_EDIT_PASTE || chosen == ID_TREE_PASTE_FROM_FILE))
            ExpectReloadKeepsSheets(counts);
        if (HasFailure())
            FAIL() << "stopped at step " << step << " (VORPEL_RANDOM_SEED=" << seed << ")";
    }
    // Back to the start, one undo at a time, and forward again.
    for (int kind = 0; kind < 3; ++kind) {
        EndEdit(kind);
        ShowTree(kind);
        const std::string last = Saved(kind);
        int undos = 0;
        while (Tree(kind).GetUndoList().CanUndo() && undos < 100000) {
            Command(ID_EDIT_UNDO);
            ++undos;
        }
        ExpectSameFile(Saved(kind), original[kind], "after undoing everything");
        EXPECT_EQ(ItemNodes(kind), DocumentNodes(kind)) << "tree " << kind;
        ExpectWholeBoards(&Root(0));
        // Records undone during the run stay redoable beyond the last state.
        for (int redos = 0; redos < undos; ++redos) {
            ASSERT_TRUE(Tree(kind).GetUndoList().CanRedo()) << "redo " << redos << " of " << undos;
            Command(ID_EDIT_REDO);
        }
        ExpectSameFile(Saved(kind), last, "after redoing everything");
        EXPECT_EQ(ItemNodes(kind), DocumentNodes(kind)) << "tree " << kind;
        ExpectWholeBoards(&Root(0));
    }
    if (HasFailure())
        ADD_FAILURE() << "VORPEL_RANDOM_SEED=" << seed;
}

} // namespace
