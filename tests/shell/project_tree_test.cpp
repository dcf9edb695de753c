// The project tree driven as a user drives it: context-menu commands with
// undo and redo checked against the saved project, the insertion rule,
// sheet names, label editing, drag and drop, files saved from and inserted
// into the tree, the board commands and the views the tree opens and closes.
#include "board/board.h"
#include "cam/layer_select.h"
#include "dialogs/board_dialog.h"
#include "dialogs/drill_table.h"
#include "dialogs/settings_commands.h"
#include "dialogs/stackup.h"
#include "platform/button_control.h"
#include "schematic/net.h"
#include "schematic/part.h"
#include "schematic/pin.h"
#include "schematic/sheet.h"
#include "shell/project_tree.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/shell/tree_fixture.h"

namespace {

class ProjectTreeTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        root = &Root(0);
        board = Child(root, NodeType::Board);
        block = Child(root, NodeType::Block, L"Later");
        main = Child(board, NodeType::Sheet, L"Main");
        power = Child(board, NodeType::Sheet, L"Power");
        ASSERT_TRUE(board && block && main && power);
    }
    CProjectTree& Project() { return g_MainFrame.m_leftPane.GetProjectTree(); }

    CTreeNode* root = nullptr;
    CTreeNode* board = nullptr;
    CTreeNode* block = nullptr;
    CTreeNode* main = nullptr;
    CTreeNode* power = nullptr;
};

const char kHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n";

// Every placed part of the board lies on a sheet of that board, and every
// pin that has a net has one of that board, which holds the pin.
void ExpectLinkedWithin(CTreeNode* board) {
    int parts = 0, pins = 0;
    std::vector<CTreeNode*> stack{board};
    while (!stack.empty()) {
        CTreeNode* node = stack.back();
        stack.pop_back();
        if (node->GetType() == NodeType::Part) {
            CSheet* sheet = static_cast<CPart*>(node)->m_pSheet;
            ASSERT_NE(sheet, nullptr);
            EXPECT_EQ(sheet->GetParent(), board);
            EXPECT_TRUE(sheet->HasObject(static_cast<CPart*>(node)));
            ++parts;
        }
        if (node->GetType() == NodeType::Pin) {
            if (CNet* net = static_cast<CPin*>(node)->m_pNet) {
                EXPECT_EQ(net->GetParent(), board);
                EXPECT_EQ(net->m_pins.count(static_cast<CPin*>(node)), 1u);
                ++pins;
            }
        }
        for (CTreeNode* child : node->GetChildren())
            stack.push_back(child);
    }
    EXPECT_GT(parts, 0);
    EXPECT_GT(pins, 0);
}

TEST_F(ProjectTreeTest, ShowsBlocksBoardsAndSheetsWithTheirImages) {
    CLeftTabView& tree = Tree(0);
    EXPECT_EQ(tree.GetCount(), 5); // project, board, two sheets, block
    struct Case {
        CTreeNode* node;
        int image;
    };
    for (const Case& c : {Case{root, 0}, Case{block, 1}, Case{board, 2}, Case{main, 3}}) {
        int image = -1, selected = -1;
        ASSERT_TRUE(tree.GetItemImage(tree.FindItem(c.node), &image, &selected));
        EXPECT_EQ(image, c.image);
        EXPECT_EQ(selected, c.image);
    }
    // Nothing below a board but its sheets.
    EXPECT_EQ(tree.FindItem(Child(board, NodeType::Package)), nullptr);
    EXPECT_EQ(tree.FindItem(Child(board, NodeType::Layer)), nullptr);
}

TEST_F(ProjectTreeTest, AddingBlocksBoardsAndSheetsIsOneUndoStepEach) {
    // A block, as the last child of the project, its label being edited.
    DoUndoRedo(
        0,
        [&] {
            Menu(0, root, ID_PRJ_ADD_BLOCK);
            EXPECT_NE(Tree(0).GetEditControl(), nullptr);
        },
        [&](const std::string& xml) {
            EXPECT_TRUE(Contains(xml, "  <Block>Later</Block>\r\n  <Block>New Block</Block>\r\n"));
        });
    // A block inside a block.
    DoUndoRedo(
        0, [&] { Menu(0, block, ID_PRJ_ADD_BLOCK); },
        [&](const std::string& xml) {
            EXPECT_TRUE(
                Contains(xml, "  <Block>Later\r\n    <Block>New Block</Block>\r\n  </Block>"));
        });
    // A board with its design rules, both sides and its first sheet.
    DoUndoRedo(
        0, [&] { Menu(0, block, ID_PRJ_ADD_BOARD); },
        [&](const std::string& xml) {
            EXPECT_TRUE(Contains(xml, "    <Block>New Block</Block>\r\n    <Board "));
            CTreeNode* added = Child(block, NodeType::Board);
            ASSERT_NE(added, nullptr);
            EXPECT_EQ(added->GetText(), L"New Board");
            std::vector<int> types;
            for (CTreeNode* child : added->GetChildren())
                types.push_back(child->GetType());
            EXPECT_EQ(types, (std::vector<int>{NodeType::BoardProperties, NodeType::Layer,
                                               NodeType::Layer, NodeType::Sheet}));
            EXPECT_EQ(ChildNames(added, NodeType::Sheet), std::vector<std::wstring>{L"Sheet 1"});
            EXPECT_TRUE(Contains(xml, "<Layer>TOP</Layer>\r\n      <Layer>BOT</Layer>"));
            // A new board shows its sheet.
            EXPECT_TRUE(g_MainFrame.m_leftPane.IsNodeExpanded(added));
        });
    // A sheet with the schematic defaults.
    DoUndoRedo(
        0, [&] { Menu(0, board, ID_PRJ_ADD_SHEET); },
        [&](const std::string& xml) {
            EXPECT_EQ(ChildNames(board, NodeType::Sheet),
                      (std::vector<std::wstring>{L"Main", L"Power", L"Sheet 1"}));
            EXPECT_TRUE(Contains(xml, "FontName=\"Arial Unicode MS\""));
            EXPECT_TRUE(Contains(xml, ">Sheet 1"));
        });
}

TEST_F(ProjectTreeTest, DeletingBlocksBoardsAndSheetsByMenuAndKey) {
    DoUndoRedo(
        0, [&] { Menu(0, block, ID_PRJ_DELETE_BLOCK); },
        [&](const std::string& xml) { EXPECT_FALSE(Contains(xml, "<Block>")); });
    DoUndoRedo(
        0, [&] { Menu(0, power, ID_PRJ_DELETE_SHEET); },
        [&](const std::string&) {
            EXPECT_EQ(ChildNames(board, NodeType::Sheet), std::vector<std::wstring>{L"Main"});
        });
    DoUndoRedo(
        0,
        [&] {
            Click(0, main);
            Key(0, VK_DELETE);
        },
        [&](const std::string& xml) { EXPECT_FALSE(Contains(xml, ">Main</Sheet>")); });
    DoUndoRedo(
        0, [&] { Menu(0, board, ID_PRJ_DELETE_BOARD); },
        [&](const std::string& xml) { EXPECT_FALSE(Contains(xml, "<Board")); });
    // The project itself is not deleted or cut.
    const std::string before = Saved(0);
    Click(0, root);
    Key(0, VK_DELETE);
    Command(ID_EDIT_CUT);
    ExpectSameFile(Saved(0), before, "unchanged");
    EXPECT_FALSE(Tree(0).GetUndoList().CanRedo());
}

TEST_F(ProjectTreeTest, PastedBoardsAreCopiesWithSheetsOfTheirOwn) {
    RegisterTestViews(NodeType::Board, kDocumentProject);
    DoubleClick(0, board); // the source has a view
    ASSERT_NE(board->GetEditorView(), nullptr);
    Menu(0, board, ID_EDIT_COPY);
    DoUndoRedo(
        0, [&] { Menu(0, block, ID_EDIT_PASTE); },
        [&](const std::string&) {
            CTreeNode* copy = Child(block, NodeType::Board);
            ASSERT_NE(copy, nullptr);
            EXPECT_EQ(copy->GetEditorView(), nullptr);
            // Each copied object lies on the copied sheet of its name.
            ExpectLinkedWithin(copy);
        });
    // Pasting again makes another independent copy.
    Menu(0, block, ID_EDIT_PASTE);
    EXPECT_EQ(ChildNames(block, NodeType::Board).size(), 2u);
    EXPECT_NE(block->GetChild(0), block->GetChild(1));
}

TEST_F(ProjectTreeTest, PastedSheetsAreNumberedAfreshAndCutRemovesTheSheet) {
    DoUndoRedo(
        0, [&] { Menu(0, power, ID_EDIT_CUT); },
        [&](const std::string& xml) { EXPECT_FALSE(Contains(xml, ">Power\r\n")); });
    // Pasted back, the cut sheet keeps its name; the copies after it, whose
    // name is taken, are numbered afresh.
    DoUndoRedo(
        0, [&] { Menu(0, board, ID_EDIT_PASTE); },
        [&](const std::string&) {
            EXPECT_EQ(ChildNames(board, NodeType::Sheet),
                      (std::vector<std::wstring>{L"Main", L"Power"}));
        });
    Menu(0, board, ID_EDIT_PASTE);
    Menu(0, board, ID_EDIT_PASTE);
    EXPECT_EQ(ChildNames(board, NodeType::Sheet),
              (std::vector<std::wstring>{L"Main", L"Power", L"Sheet 1", L"Sheet 2"}));
    // The copy keeps the settings of the sheet it was made from.
    auto* pasted = static_cast<CSheet*>(Child(board, NodeType::Sheet, L"Sheet 2"));
    EXPECT_EQ(pasted->m_fontName, L"Arial");
    EXPECT_EQ(pasted->m_gridSize, 127);
}

TEST_F(ProjectTreeTest, OnlyBlocksAndBoardsGoIntoBlocksAndOnlySheetsIntoBoards) {
    struct Case {
        CTreeNode* copied;
        CTreeNode* target;
        const wchar_t* message; // null: accepted
    };
    const Case cases[] = {
        {board, main, L"Inserting 'Board' into 'Sheet' is invalid"},
        {block, board, L"Inserting 'Block' into 'Board' is invalid"},
        {main, root, L"Inserting 'Sheet' into 'Project' is invalid"},
        {main, block, L"Inserting 'Sheet' into 'Block' is invalid"},
        {block, block, nullptr},
        {board, root, nullptr},
        {main, board, nullptr},
    };
    for (const Case& c : cases) {
        Menu(0, c.copied, ID_EDIT_COPY);
        const std::string before = Saved(0);
        ui.Clear();
        Menu(0, c.target, ID_EDIT_PASTE);
        if (c.message) {
            ASSERT_EQ(ui.messageBoxes.size(), 1u) << WideToUtf8(c.message);
            EXPECT_EQ(ui.messageBoxes[0].text, c.message);
            EXPECT_EQ(ui.messageBoxes[0].caption, L"Vorpel");
            EXPECT_EQ(ui.messageBoxes[0].Icon(), static_cast<unsigned>(MB_ICONERROR));
            ExpectSameFile(Saved(0), before, "unchanged");
        } else {
            EXPECT_TRUE(ui.messageBoxes.empty());
            EXPECT_TRUE(Saved(0) != before);
        }
    }
}

TEST_F(ProjectTreeTest, NewSheetsAreNumberedAfterTheLargestNumberedSheet) {
    struct Case {
        std::vector<const wchar_t*> sheets;
        const wchar_t* next;
    };
    const Case cases[] = {
        {{L"Sheet 1", L"Sheet 7", L"Power"}, L"Sheet 8"},
        {{L"Sheet x"}, L"Sheet 1"},
        {{}, L"Sheet 1"},
        {{L"Sheet 08", L"Sheet2", L"sheet 9"}, L"Sheet 9"},
        {{L"Sheet 99999999999999999999"}, L"Sheet 1000000000001"},
    };
    for (const Case& c : cases) {
        CBoard holder;
        for (const wchar_t* name : c.sheets)
            holder.AddChild(new CSheet(name));
        EXPECT_EQ(CProjectTree::NewSheetName(&holder), c.next);
    }
}

TEST_F(ProjectTreeTest, RenamingChecksSheetNamesOfTheBoardButNotTheSheetItself) {
    // Another sheet's name: refused, and the edit opens again.
    Menu(0, main, ID_TREE_RENAME);
    TypeLabel(0, L"Power");
    EXPECT_EQ(MessageBoxesExactly(L"Duplicate name"), 1);
    EXPECT_EQ(main->GetText(), L"Main");
    ASSERT_NE(Tree(0).GetEditControl(), nullptr);
    EXPECT_EQ(Tree(0).GetEditItem(), Tree(0).FindItem(main));
    // Its own name again: nothing to say and nothing to undo.
    TypeLabel(0, L"Main");
    EXPECT_EQ(MessageBoxesExactly(L"Duplicate name"), 1);
    EXPECT_FALSE(Tree(0).GetUndoList().CanUndo());
    // No name: the objects on the sheet would lose it; the edit is dropped.
    Menu(0, main, ID_TREE_RENAME);
    TypeLabel(0, L"");
    EXPECT_EQ(main->GetText(), L"Main");
    EXPECT_FALSE(Tree(0).GetUndoList().CanUndo());
    // A cancelled edit changes nothing.
    Menu(0, main, ID_TREE_RENAME);
    TypeLabel(0, L"Other", false);
    EXPECT_EQ(main->GetText(), L"Main");

    DoUndoRedo(
        0,
        [&] {
            Menu(0, main, ID_TREE_RENAME);
            TypeLabel(0, L"Top");
        },
        [&](const std::string& xml) {
            EXPECT_TRUE(Contains(xml, ">Top</Sheet>"));
            // The board's objects follow the sheet's new name.
            EXPECT_TRUE(Contains(xml, "SheetName=\"Top\""));
            EXPECT_EQ(Tree(0).GetItemText(Tree(0).FindItem(main)), L"Top");
        });
    // Other nodes have no such check.
    Menu(0, block, ID_TREE_RENAME);
    TypeLabel(0, L"Main");
    EXPECT_EQ(block->GetText(), L"Main");
}

TEST_F(ProjectTreeTest, RenamingABoardRenamesTheCaptionsOfItsViews) {
    RegisterTestViews(NodeType::Board, kDocumentProject);
    RegisterTestViews(NodeType::Sheet, kDocumentProject);
    Click(0, main);
    Key(0, VK_RETURN);
    DoubleClick(0, board);
    ASSERT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 2);
    Menu(0, board, ID_TREE_RENAME);
    TypeLabel(0, L"Main board");
    EXPECT_EQ(main->GetEditorView()->GetWindowText(), L"Main board - Main");
    EXPECT_EQ(board->GetEditorView()->GetWindowText(), root->GetText() + L" - Main board");
    Undo(0);
    EXPECT_EQ(main->GetEditorView()->GetWindowText(), L"Mainboard - Main");
}

TEST_F(ProjectTreeTest, OpeningANodeTwiceShowsItsViewAgainAndDeletingClosesIt) {
    RegisterTestViews(NodeType::Board, kDocumentProject);
    RegisterTestViews(NodeType::Sheet, kDocumentProject);
    CTabWindow& tabs = g_MainFrame.m_tabWindow;
    // Blocks open nothing.
    DoubleClick(0, block);
    EXPECT_EQ(tabs.GetTabCount(), 0);
    DoubleClick(0, board);
    Click(0, main);
    Key(0, VK_RETURN);
    ASSERT_EQ(tabs.GetTabCount(), 2);
    CVorpelView* boardView = board->GetEditorView();
    EXPECT_EQ(g_pActiveView, main->GetEditorView());
    // Opening the board again shows the view it has.
    DoubleClick(0, board);
    EXPECT_EQ(tabs.GetTabCount(), 2);
    EXPECT_EQ(g_pActiveView, boardView);

    // Deleting the board closes its view and those of its sheets; undo
    // brings the board back without them.
    const std::string before = Saved(0);
    Menu(0, board, ID_PRJ_DELETE_BOARD);
    EXPECT_EQ(tabs.GetTabCount(), 0);
    Undo(0);
    ExpectSameFile(Saved(0), before, "unchanged");
    EXPECT_EQ(tabs.GetTabCount(), 0);

    // Undoing a new board closes the view opened on its sheet.
    Menu(0, root, ID_PRJ_ADD_BOARD);
    EndEdit(0);
    CTreeNode* added = root->GetChildren().back();
    CTreeNode* sheet = Child(added, NodeType::Sheet);
    DoubleClick(0, sheet);
    ASSERT_EQ(tabs.GetTabCount(), 1);
    Undo(0);
    EXPECT_EQ(tabs.GetTabCount(), 0);
    ExpectSameFile(Saved(0), before, "unchanged");
}

TEST_F(ProjectTreeTest, DropsFollowTheTypeRulesAndNeverGoIntoTheirOwnSubtree) {
    // A block inside Later, and a second board with its sheet.
    Menu(0, block, ID_PRJ_ADD_BLOCK);
    EndEdit(0);
    CTreeNode* inner = Child(block, NodeType::Block);
    Menu(0, root, ID_PRJ_ADD_BOARD);
    EndEdit(0);
    CTreeNode* other = root->GetChildren().back();
    CTreeNode* otherSheet = Child(other, NodeType::Sheet);
    Menu(0, root, ID_PRJ_ADD_BLOCK);
    EndEdit(0);
    CTreeNode* last = root->GetChildren().back();
    ASSERT_TRUE(inner && other && otherSheet && last);

    struct Case {
        const char* name;
        CTreeNode* source;
        CTreeNode* target;
        bool accepted;
    };
    const Case cases[] = {
        {"block onto itself", block, block, false},
        {"block into its own block", block, inner, false},
        {"block onto a board", block, board, false},
        {"board onto the project while first", board, root, false},
        {"sheet onto the sheet before it", power, main, false},
        {"sheet onto a block", main, block, false},
        {"sheet onto another board", main, other, false},
        {"sheet onto another board's sheet", main, otherSheet, false},
        {"block onto its parent while first", inner, block, false},
        {"block onto the project while second", block, root, false},
        {"block onto a block", last, block, true},
        {"block onto the project", last, root, true},
        {"board onto a block", board, block, true},
        {"board onto a board", other, board, true},
        {"sheet onto a sheet", main, power, true},
        {"sheet onto its board", main, board, true},
    };
    for (const Case& c : cases) {
        Drag(0, c.source, c.target, 0, false);
        CLeftTabView& tree = Tree(0);
        ASSERT_TRUE(tree.IsDragging()) << c.name;
        bool after = false;
        HTREEITEM mark = tree.GetInsertMark(&after);
        EXPECT_EQ(mark != nullptr, c.accepted) << c.name;
        EXPECT_EQ(tree.GetDropTarget() != nullptr, c.accepted) << c.name;
        if (mark) {
            EXPECT_EQ(mark, tree.FindItem(c.target)) << c.name;
            EXPECT_TRUE(after) << c.name;
        }
        Key(0, VK_ESCAPE);
        EXPECT_FALSE(tree.IsDragging()) << c.name;
        EXPECT_EQ(tree.GetInsertMark(), nullptr) << c.name;
    }
    // The project is never dragged.
    Drag(0, root, block, 0, false);
    EXPECT_FALSE(Tree(0).IsDragging());
    SimulateMouse(&Tree(0), WM_LBUTTONUP, LabelPoint(0, block));
}

TEST_F(ProjectTreeTest, DroppedNodesMoveWithOneUndoStep) {
    // The same kind goes after the target, another kind in front of the
    // target's children.
    Menu(0, root, ID_PRJ_ADD_BLOCK);
    EndEdit(0);
    CTreeNode* last = root->GetChildren().back();
    DoUndoRedo(
        0, [&] { Drag(0, last, root); },
        [&](const std::string&) { EXPECT_EQ(root->GetChild(0), last); });
    DoUndoRedo(
        0, [&] { Drag(0, main, power); },
        [&](const std::string&) {
            EXPECT_EQ(ChildNames(board, NodeType::Sheet),
                      (std::vector<std::wstring>{L"Power", L"Main"}));
        });
    DoUndoRedo(
        0, [&] { Drag(0, main, board); },
        [&](const std::string&) { EXPECT_EQ(board->GetChild(0), main); });
    DoUndoRedo(
        0, [&] { Drag(0, board, block); },
        [&](const std::string&) {
            EXPECT_EQ(board->GetParent(), block);
            EXPECT_EQ(block->GetChild(0), board);
        });
}

TEST_F(ProjectTreeTest, PasteFromFileInsertsWhatFitsAndTellsWhatCannotBeRead) {
    const std::string file =
        std::string(kHead) +
        "<Project>\r\n"
        "  <Block>Imported</Block>\r\n"
        "  <Sheet>Loose</Sheet>\r\n" +
        original[0].substr(original[0].find("  <Board"),
                           original[0].find("  <Block>Later") - original[0].find("  <Board")) +
        "</Project>\r\n";
    const std::wstring good = WriteFile(L"good.circuit", file);
    AnswerFileDialog(good);
    DoUndoRedo(
        0, [&] { Menu(0, block, ID_TREE_PASTE_FROM_FILE); },
        [&](const std::string&) {
            ASSERT_EQ(block->GetChildCount(), 2u);
            EXPECT_EQ(block->GetChild(0)->GetText(), L"Imported");
            CTreeNode* imported = block->GetChild(1);
            ASSERT_EQ(imported->GetType(), NodeType::Board);
            // The board's objects lie on its own sheets and its pins are in
            // its own nets.
            ExpectLinkedWithin(imported);
        });
    EXPECT_EQ(MessageBoxesExactly(L"Inserting 'Sheet' into 'Block' is invalid"), 1);
    ASSERT_FALSE(dialogs.empty());
    EXPECT_EQ(dialogs.back().kind, FileDialogKind::Open);
    EXPECT_EQ(dialogs.back().request.filters[0].first, L"Schematic Files (*.circuit)");
    EXPECT_EQ(dialogs.back().request.initialDir, g_MainFrame.GetDefaultFolder(0));

    // Sheets from a file into a board are numbered afresh.
    AnswerFileDialog(WriteFile(L"sheets.circuit",
                               std::string(kHead) + "<Project>\r\n  <Sheet>Main</Sheet>\r\n"
                                                    "  <Sheet>Sheet 4</Sheet>\r\n</Project>\r\n"));
    Menu(0, board, ID_TREE_PASTE_FROM_FILE);
    EXPECT_EQ(ChildNames(board, NodeType::Sheet),
              (std::vector<std::wstring>{L"Main", L"Power", L"Sheet 1", L"Sheet 2"}));
    Undo(0);

    // A damaged file inserts nothing of what was read before the damage.
    const std::string before = Saved(0);
    const std::wstring damaged =
        WriteFile(L"damaged.circuit",
                  std::string(kHead) + "<Project>\r\n  <Block>Half</Block>\r\n  <Board><Sheet");
    ui.Clear();
    AnswerFileDialog(damaged);
    Menu(0, root, ID_TREE_PASTE_FROM_FILE);
    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].text, L"File read error \n" + damaged);
    EXPECT_EQ(ui.messageBoxes[0].Icon(), static_cast<unsigned>(MB_ICONERROR));
    // A library is not a project.
    AnswerFileDialog(paths[1]);
    Menu(0, root, ID_TREE_PASTE_FROM_FILE);
    EXPECT_EQ(MessageBoxesExactly(L"Only project file can be inserted"), 1);
    // Cancel does nothing.
    AnswerFileDialog(std::nullopt);
    Menu(0, root, ID_TREE_PASTE_FROM_FILE);
    EXPECT_EQ(ui.messageBoxes.size(), 2u);
    ExpectSameFile(Saved(0), before, "unchanged");
}

TEST_F(ProjectTreeTest, SaveAsFileWritesTheProjectOrAProjectHoldingOnlyTheNode) {
    // The project whole, as a copy: the document keeps its own file.
    const std::wstring whole = PathJoin(scratch, L"whole.circuit");
    AnswerFileDialog(whole);
    Menu(0, root, ID_TREE_SAVE_AS_FILE);
    ASSERT_FALSE(dialogs.empty());
    EXPECT_EQ(dialogs.back().kind, FileDialogKind::Save);
    EXPECT_EQ(dialogs.back().request.filters[0].first, L"Schematic Files (*.circuit)");
    ExpectSameFile(ReadFile(whole), original[0], "the copy");
    EXPECT_EQ(Root(0).GetFilePath(), paths[0]);

    // One board, in a project of its own, that Paste From File takes back.
    const std::wstring one = PathJoin(scratch, L"one.circuit");
    AnswerFileDialog(one);
    Menu(0, main, ID_TREE_SAVE_AS_FILE);
    EXPECT_EQ(dialogs.back().request.fileName, L"Main");
    EXPECT_EQ(ReadFile(one), std::string(kHead) +
                                 "<Project>\r\n"
                                 "  <Sheet BusWidth=\"0.5\" DotDiam=\"1\" GridSize=\"2.54\" "
                                 "SheetSize=\"297,210\" WireWidth=\"0.15\">Main</Sheet>\r\n"
                                 "</Project>\r\n");
    const std::wstring boardFile = PathJoin(scratch, L"board.circuit");
    AnswerFileDialog(boardFile);
    Menu(0, board, ID_TREE_SAVE_AS_FILE);
    AnswerFileDialog(boardFile);
    Menu(0, block, ID_TREE_PASTE_FROM_FILE);
    ASSERT_EQ(block->GetChildCount(), 1u);
    EXPECT_EQ(block->GetChild(0)->GetChildCount(), board->GetChildCount());
    EXPECT_TRUE(ui.messageBoxes.empty());
    // A file that cannot be written says so.
    AnswerFileDialog(PathJoin(scratch, L"no/such/folder/x.circuit"));
    Menu(0, board, ID_TREE_SAVE_AS_FILE);
    EXPECT_EQ(MessageBoxesExactly(L"File save error "), 1);
}

TEST_F(ProjectTreeTest, BoardDialogsRecordTheirChangesInTheTreesHistory) {
    // Board settings: a wider conductor.
    DoUndoRedo(
        0,
        [&] {
            ScopedModalDialogHook hook([](PlatformDialog& dialog) {
                PlatformWindow* field = dialog.GetDlgItem(CBoardDialog::kConductorWidth);
                ASSERT_NE(field, nullptr);
                dialog.GotoDlgCtrl(field);
                SimulateTyping(field, L"0.5");
                dialog_driver::ClickButton(dialog, IDOK);
            });
            Menu(0, board, ID_PRJ_BOARD_PROPERTIES);
        },
        [&](const std::string& xml) { EXPECT_TRUE(Contains(xml, "ConductorWidth=\"0.5\"")); });
    // Stackup: one more inner layer.
    DoUndoRedo(
        0,
        [&] {
            ScopedModalDialogHook hook([](PlatformDialog& dialog) {
                dialog_driver::ClickButton(dialog, CStackup::kInsertLayer);
                dialog_driver::ClickButton(dialog, IDOK);
            });
            Menu(0, board, ID_PRJ_STACKUP);
            EXPECT_EQ(PlatformWindow::GetFocus(), &Tree(0));
        },
        [&](const std::string& xml) { EXPECT_TRUE(Contains(xml, "<Layer>I05</Layer>")); });
    // The drill table, closed at once, changes nothing but can be undone.
    const std::string before = Saved(0);
    {
        ScopedModalDialogHook hook([](PlatformDialog& dialog) {
            EXPECT_EQ(dialog.Template().id, 375);
            dialog_driver::ClickButton(dialog, IDOK);
        });
        Menu(0, board, ID_PRJ_DRILL_TABLE);
    }
    ExpectSameFile(Saved(0), before, "unchanged");
    EXPECT_TRUE(Tree(0).GetUndoList().CanUndo());
}

TEST_F(ProjectTreeTest, BillOfMaterialsAndGerberWriteBesideTheProject) {
    Menu(0, board, ID_PRJ_BILL_OF_MATERIALS);
    bool bom = false;
    for (const std::wstring& name : ListDirectory(PathJoin(scratch, L"demo")))
        bom = bom || PathExtension(name) == L".csv";
    EXPECT_TRUE(bom);
    {
        ScopedModalDialogHook hook([](PlatformDialog& dialog) {
            dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        Menu(0, board, ID_PRJ_GERBER);
    }
    int gerbers = 0;
    for (const std::wstring& name : ListDirectory(PathJoin(scratch, L"demo")))
        gerbers += PathExtension(name) == L".gbr" ? 1 : 0;
    EXPECT_GT(gerbers, 0);
    ExpectSameFile(Saved(0), original[0], "unchanged");
}

// A new project has only its name until it is saved: its output goes into
// the project folder of the settings, never into the folder the program
// runs in.
TEST_F(ProjectTreeTest, OutputOfANewProjectGoesIntoTheProjectFolderOfTheSettings) {
    const std::wstring projects = PathJoin(scratch, L"Projects/");
    {
        SettingsKey key;
        ASSERT_TRUE(key.Create(kDirectoriesKeyPath));
        key.SetString(L"Project", projects);
    }
    // The program runs in a scratch folder here, which goes with the rest of
    // the scratch however the test ends: a stray export leaves nothing behind.
    const std::wstring run = PathJoin(scratch, L"run");
    ASSERT_TRUE(CreateDirectories(run));
    ASSERT_TRUE(SetCurrentFolder(run));
    Command(ID_NEW_PROJECT);
    ASSERT_FALSE(IsFullPath(Root(0).GetFilePath()));
    Menu(0, &Root(0), ID_PRJ_ADD_BOARD);
    EndEdit(0);
    CTreeNode* added = Child(&Root(0), NodeType::Board);
    ASSERT_NE(added, nullptr);
    const std::wstring folder = PathJoin(projects, L"New Project");
    std::wstring shown;
    {
        ScopedModalDialogHook hook([&](PlatformDialog& dialog) {
            shown = dialog.GetDlgItemText(CLayerSelect::kPrefix);
            dialog_driver::ClickButton(dialog, IDOK);
        });
        Menu(0, added, ID_PRJ_GERBER);
    }
    EXPECT_EQ(shown, PathJoin(folder, L"New Project"));
    int gerbers = 0;
    for (const std::wstring& name : ListDirectory(folder))
        gerbers += PathExtension(name) == L".gbr" ? 1 : 0;
    EXPECT_EQ(gerbers, 11);
    EXPECT_TRUE(ui.messageBoxes.empty());
    EXPECT_TRUE(ListDirectory(run).empty());
}

TEST_F(ProjectTreeTest, UndoWithNothingToUndoStillShowsTheDocumentAgain) {
    root->SetText(L"Renamed elsewhere");
    Undo(0);
    EXPECT_EQ(Tree(0).GetItemText(Tree(0).GetRootItem()), L"Renamed elsewhere");
}

} // namespace
