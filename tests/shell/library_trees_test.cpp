// The symbol and footprint library trees driven as a user drives them:
// their commands with undo and redo checked against the saved library, the
// kinds of nodes each library takes, drops, files and the footprint
// generators.
#include "board/footprint.h"
#include "board/pad.h"
#include "core/property_grid.h"
#include "platform/graphics.h"
#include "platform/matrix.h"
#include "shell/footprint_tree.h"
#include "shell/symbol_tree.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/pointer_input.h"
#include "tests/screen_picture.h"
#include "tests/shell/tree_fixture.h"
#include "views/editor_views.h"
#include "views/footprint_view.h"
#include "views/part_board.h"
#include "views/symbol_view.h"

namespace {

class SymbolTreeTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        lib = &Root(1);
        passive = Child(lib, NodeType::SymbolFolder, L"Passive");
        logic = Child(lib, NodeType::SymbolFolder, L"Logic");
        power = Child(lib, NodeType::SymbolFolder, L"Power");
        res = Child(passive, NodeType::Package, L"RES");
        nand = Child(logic, NodeType::Package, L"NAND2");
        gnd = Child(power, NodeType::Package, L"GND");
        ASSERT_TRUE(passive && logic && power && res && nand && gnd);
    }
    CTreeNode* lib = nullptr;
    CTreeNode *passive = nullptr, *logic = nullptr, *power = nullptr;
    CTreeNode *res = nullptr, *nand = nullptr, *gnd = nullptr;
};

class FootprintTreeTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        lib = &Root(2);
        standard = Child(lib, NodeType::PadstackFolder, L"Standard");
        chips = Child(lib, NodeType::FootprintFolder, L"Chips");
        through = Child(lib, NodeType::FootprintFolder, L"Through hole");
        round = Child(standard, NodeType::Padstack, L"ROUND1.6D0.8");
        hole = Child(standard, NodeType::Padstack, L"HOLE3.2");
        r0805 = Child(chips, NodeType::Footprint, L"R0805");
        shapes = Child(chips, NodeType::Footprint, L"SHAPES");
        dip8 = Child(through, NodeType::Footprint, L"DIP8");
        ASSERT_TRUE(standard && chips && through && round && hole && r0805 && shapes && dip8);
    }
    CTreeNode* lib = nullptr;
    CTreeNode *standard = nullptr, *chips = nullptr, *through = nullptr;
    CTreeNode *round = nullptr, *hole = nullptr;
    CTreeNode *r0805 = nullptr, *shapes = nullptr, *dip8 = nullptr;
};

// --- Symbol library -----------------------------------------------------------------------

TEST_F(SymbolTreeTest, ShowsFoldersAndSymbolsAsOneItemEach) {
    CLeftTabView& tree = Tree(1);
    EXPECT_EQ(tree.GetCount(), 7);
    EXPECT_EQ(tree.FindItem(Child(res, NodeType::Part)), nullptr);
    int image = -1, selected = -1;
    tree.GetItemImage(tree.FindItem(res), &image, &selected);
    EXPECT_EQ(image, 2);
    tree.GetItemImage(tree.FindItem(logic), &image, &selected);
    EXPECT_EQ(image, 1);
    tree.GetItemImage(tree.GetRootItem(), &image, &selected);
    EXPECT_EQ(image, 0);
}

TEST_F(SymbolTreeTest, NewFoldersAndSymbolsAreOneUndoStepEach) {
    DoUndoRedo(
        1, [&] { Menu(1, lib, ID_SYM_ADD_FOLDER); },
        [&](const std::string& xml) {
            EXPECT_TRUE(Contains(xml, "  <SymbolFolder>New Folder</SymbolFolder>\r\n</SymbolLib>"));
        });
    DoUndoRedo(
        1, [&] { Menu(1, passive, ID_SYM_ADD_SYMBOL); },
        [&](const std::string& xml) {
            EXPECT_TRUE(Contains(xml,
                                 "    </Package>\r\n"
                                 "    <Package>New Symbol\r\n"
                                 "      <Part Outline=\"2,2\"/>\r\n"
                                 "      <Text Name=\"RefDes\" XY=\"-15,-15\">?</Text>\r\n"
                                 "      <Text Name=\"PartNum\" XY=\"0,-15\">?</Text>\r\n"
                                 "      <Text Name=\"Value\" XY=\"15,-15\">?</Text>\r\n"
                                 "      <Text Name=\"Tolerance\" XY=\"30,-15\">\xC2\xB1?</Text>\r\n"
                                 "    </Package>\r\n"
                                 "  </SymbolFolder>"));
            // The symbol is one item; its part and texts are none.
            EXPECT_EQ(Tree(1).GetCount(), 9);
        });
}

TEST_F(SymbolTreeTest, DeletingFoldersAndSymbols) {
    DoUndoRedo(
        1, [&] { Menu(1, logic, ID_LIB_DELETE_FOLDER); },
        [&](const std::string& xml) { EXPECT_FALSE(Contains(xml, "NAND2")); });
    DoUndoRedo(
        1, [&] { Menu(1, gnd, ID_SYM_DELETE_SYMBOL); },
        [&](const std::string& xml) {
            EXPECT_TRUE(Contains(xml, "<SymbolFolder>Power</SymbolFolder>"));
        });
    DoUndoRedo(
        1,
        [&] {
            Click(1, res);
            Key(1, VK_DELETE);
        },
        [&](const std::string& xml) { EXPECT_FALSE(Contains(xml, ">RES")); });
}

TEST_F(SymbolTreeTest, PasteGoesAfterASymbolIntoAFolderOrToTheTopOfTheLibrary) {
    Menu(1, res, ID_EDIT_COPY);
    DoUndoRedo(
        1, [&] { Menu(1, nand, ID_EDIT_PASTE); },
        [&](const std::string&) {
            EXPECT_EQ(ChildNames(logic, NodeType::Package),
                      (std::vector<std::wstring>{L"NAND2", L"RES"}));
        });
    DoUndoRedo(
        1, [&] { Menu(1, power, ID_EDIT_PASTE); },
        [&](const std::string&) {
            EXPECT_EQ(ChildNames(power, NodeType::Package),
                      (std::vector<std::wstring>{L"GND", L"RES"}));
        });
    DoUndoRedo(
        1, [&] { Menu(1, lib, ID_EDIT_PASTE); },
        [&](const std::string&) { EXPECT_EQ(lib->GetChild(0)->GetText(), L"RES"); });
    // Two pastes of one copy give two independent symbols.
    EXPECT_NE(Child(power, NodeType::Package, L"RES"), lib->GetChild(0));
    // Cut takes the symbol away.
    DoUndoRedo(
        1, [&] { Menu(1, gnd, ID_EDIT_CUT); },
        [&](const std::string& xml) { EXPECT_FALSE(Contains(xml, ">GND")); });
}

TEST_F(SymbolTreeTest, OnlyFoldersAndSymbolsGoIntoTheLibrary) {
    // A board of the project, and a folder of the footprint library.
    Menu(0, Child(&Root(0), NodeType::Board), ID_EDIT_COPY);
    ui.Clear();
    Menu(1, lib, ID_EDIT_PASTE);
    Menu(1, res, ID_EDIT_PASTE);
    Menu(2, Child(&Root(2), NodeType::FootprintFolder), ID_EDIT_COPY);
    Menu(1, passive, ID_EDIT_PASTE);
    std::vector<std::wstring> texts;
    for (const auto& m : ui.messageBoxes)
        texts.push_back(m.text);
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"Inserting 'Board' into 'SymbolLib' is invalid",
                                                L"Inserting 'Board' into 'SymbolFolder' is invalid",
                                                L"Inserting 'FootprintFolder' into "
                                                L"'SymbolFolder' is invalid"}));
    ExpectSameFile(Saved(1), original[1], "unchanged");
    EXPECT_FALSE(Tree(1).GetUndoList().CanUndo());
}

TEST_F(SymbolTreeTest, SavedFoldersComeBackThroughPasteFromFile) {
    const std::wstring file = PathJoin(scratch, L"passive.symbol");
    AnswerFileDialog(file);
    Menu(1, passive, ID_TREE_SAVE_AS_FILE);
    ASSERT_FALSE(dialogs.empty());
    EXPECT_EQ(dialogs.back().request.filters[0].first, L"Symbol Libraries (*.symbol)");
    EXPECT_EQ(dialogs.back().request.initialDir, g_MainFrame.GetDefaultFolder(1));
    EXPECT_EQ(dialogs.back().request.fileName, L"Passive");
    AnswerFileDialog(file);
    DoUndoRedo(
        1, [&] { Menu(1, power, ID_TREE_PASTE_FROM_FILE); },
        [&](const std::string&) {
            ASSERT_EQ(power->GetChild(0)->GetText(), L"Passive");
            EXPECT_EQ(power->GetChild(0)->GetChild(0)->GetText(), L"RES");
        });
    // Several nodes of a file all go to one place: the last ends up first.
    AnswerFileDialog(WriteFile(L"two.symbol", "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
                                              "<SymbolLib>\r\n  <SymbolFolder>A</SymbolFolder>\r\n"
                                              "  <SymbolFolder>B</SymbolFolder>\r\n"
                                              "</SymbolLib>\r\n"));
    Menu(1, nand, ID_TREE_PASTE_FROM_FILE);
    EXPECT_EQ(ChildNames(logic, NodeType::SymbolFolder), (std::vector<std::wstring>{L"B", L"A"}));
    // Another kind of file, and one that cannot be read.
    ui.Clear();
    AnswerFileDialog(paths[2]);
    Menu(1, lib, ID_TREE_PASTE_FROM_FILE);
    const std::wstring damaged = WriteFile(L"bad.symbol", "<?xml version=\"1.0\"?>\r\n<SymbolLib>"
                                                          "<SymbolFolder>X<Package>");
    AnswerFileDialog(damaged);
    Menu(1, lib, ID_TREE_PASTE_FROM_FILE);
    ASSERT_EQ(ui.messageBoxes.size(), 2u);
    EXPECT_EQ(ui.messageBoxes[0].text, L"Only symbol file can be inserted");
    EXPECT_EQ(ui.messageBoxes[1].text, L"File read error \n" + damaged);
    EXPECT_EQ(Child(lib, NodeType::SymbolFolder, L"X"), nullptr);
}

TEST_F(SymbolTreeTest, DropsOfSymbolsAndFolders) {
    struct Case {
        const char* name;
        CTreeNode* source;
        CTreeNode* target;
        int part;
        bool accepted;
        bool markAfter;
    };
    const Case cases[] = {
        {"folder onto its own symbol", passive, res, 0, false, true},
        {"symbol onto its folder while first", res, passive, 0, false, true},
        {"folder onto the library while first", passive, lib, 0, false, true},
        {"folder onto the folder before it", logic, passive, 1, false, true},
        {"symbol onto a symbol", res, nand, 0, true, true},
        {"symbol onto a folder", res, power, 0, true, true},
        {"symbol onto the library", gnd, lib, 0, true, true},
        {"folder onto a folder's upper half", power, passive, -1, true, false},
        {"folder onto a folder's lower half", passive, power, 1, true, true},
        {"folder onto a symbol", passive, gnd, 0, true, true},
    };
    for (const Case& c : cases) {
        Drag(1, c.source, c.target, c.part, false);
        bool after = false;
        HTREEITEM mark = Tree(1).GetInsertMark(&after);
        EXPECT_EQ(mark != nullptr, c.accepted) << c.name;
        if (mark) {
            EXPECT_EQ(after, c.markAfter) << c.name;
        }
        Key(1, VK_ESCAPE);
    }
    DoUndoRedo(
        1, [&] { Drag(1, power, passive, -1); },
        [&](const std::string&) { EXPECT_EQ(lib->GetChild(0), power); });
    DoUndoRedo(
        1, [&] { Drag(1, passive, logic, 1); },
        [&](const std::string&) { EXPECT_EQ(logic->GetChild(0), passive); });
    DoUndoRedo(
        1, [&] { Drag(1, gnd, nand); },
        [&](const std::string&) {
            EXPECT_EQ(ChildNames(logic, NodeType::Package),
                      (std::vector<std::wstring>{L"NAND2", L"GND"}));
        });
}

TEST_F(SymbolTreeTest, RenamingHasNoDuplicateCheckAndOpeningShowsTheOpenView) {
    DoUndoRedo(
        1,
        [&] {
            Menu(1, res, ID_TREE_RENAME);
            TypeLabel(1, L"NAND2");
        },
        [&](const std::string& xml) {
            EXPECT_TRUE(Contains(xml, "<Package Footprint=\"R0805\">NAND2"));
        });
    EXPECT_TRUE(ui.messageBoxes.empty());
    RegisterTestViews(NodeType::Package, kDocumentSymbolLibrary);
    DoubleClick(1, res);
    DoubleClick(1, nand);
    DoubleClick(1, res);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 2);
    EXPECT_EQ(g_pActiveView, res->GetEditorView());
    EXPECT_EQ(res->GetEditorView()->GetWindowText(), L"Passive - NAND2");
    // Folders open nothing.
    DoubleClick(1, logic);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 2);
}

// The unit bar follows a part count typed in the panel at once: the shown
// unit beyond the new count falls back, and one part hides the bar. Pressed
// and typed as a user does, in the main window, and looked at on the screen.
TEST_F(SymbolTreeTest, TheUnitBarFollowsThePartCountTypedInThePanel) {
    RegisterEditorViews();
    registeredMakers.push_back(NodeType::Package);
    DoubleClick(1, nand);
    auto* view = dynamic_cast<CSymbolView*>(g_pActiveView);
    ASSERT_NE(view, nullptr);
    CPartBoard* bar = view->GetPartBoard();
    auto shows = [&](bool visible, const wchar_t* number, int unit) {
        EXPECT_EQ(bar->IsWindowVisible(), visible);
        EXPECT_EQ(bar->GetDlgItemText(CPartBoard::kNumber), number);
        EXPECT_EQ(view->GetShownUnit(), unit);
        EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, L"unit-bar"));
    };
    PlatformWindow* next = bar->GetDlgItem(CPartBoard::kNext);
    const RECT r = next->GetClientRect();
    MouseAt(next, WM_LBUTTONDOWN, POINT{r.right / 2, r.bottom / 2}, MK_LBUTTON);
    MouseAt(next, WM_LBUTTONUP, POINT{r.right / 2, r.bottom / 2});
    PumpPendingMessages();
    shows(true, L"2", 1);
    const std::string before = Saved(1);
    ASSERT_EQ(g_MainFrame.GetPropertyGrid().GetTitle(), L"Package Properties");
    g_MainFrame.GetPropertyGrid().BeginEditRow(CSymbolView::kRowPartsPerPackage);
    auto* edit = dynamic_cast<EditControl*>(PlatformWindow::GetFocus());
    ASSERT_NE(edit, nullptr);
    edit->SetSel(0, -1);
    SimulateTyping(edit, L"1");
    PressKeyAtFocus(VK_RETURN);
    PumpPendingMessages();
    shows(false, L"1", 0);
    const std::string one = Saved(1);
    EXPECT_TRUE(Contains(one, "<Package Footprint=\"SO14\" Heterogeneous=\"1\">NAND2")) << one;
    EXPECT_EQ(view->GetPackage()->GetPartCount(), 1);
    g_MainFrame.m_tabWindow.SetFocus();
    Command(ID_EDIT_UNDO);
    ExpectSameFile(Saved(1), before, "after undo");
    shows(true, L"1", 0);
    Command(ID_EDIT_REDO);
    ExpectSameFile(Saved(1), one, "after redo");
    shows(false, L"1", 0);
}

// --- Footprint library ----------------------------------------------------------------------

TEST_F(FootprintTreeTest, ShowsFoldersFootprintsAndPadstacks) {
    CLeftTabView& tree = Tree(2);
    EXPECT_EQ(tree.GetCount(), 15);
    struct Case {
        CTreeNode* node;
        int image;
    };
    for (const Case& c :
         {Case{lib, 0}, Case{chips, 1}, Case{standard, 2}, Case{r0805, 3}, Case{round, 4}}) {
        int image = -1, selected = -1;
        tree.GetItemImage(tree.FindItem(c.node), &image, &selected);
        EXPECT_EQ(image, c.image);
    }
    EXPECT_EQ(tree.FindItem(Child(r0805, NodeType::Padstack)), nullptr);
}

TEST_F(FootprintTreeTest, NewFoldersFootprintsAndPadstacksAreOneUndoStepEach) {
    DoUndoRedo(
        2, [&] { Menu(2, lib, ID_FPL_ADD_FOOTPRINT_FOLDER); },
        [&](const std::string& xml) {
            EXPECT_TRUE(Contains(xml, "<FootprintFolder>New Footprint Folder</FootprintFolder>\r\n"
                                      "</FootprintLib>"));
        });
    DoUndoRedo(
        2, [&] { Menu(2, standard, ID_FPL_ADD_PADSTACK_FOLDER); },
        [&](const std::string& xml) {
            EXPECT_TRUE(Contains(xml, "    <PadstackFolder>New Padstack Folder</PadstackFolder>\r\n"
                                      "  </PadstackFolder>"));
        });
    DoUndoRedo(
        2, [&] { Menu(2, chips, ID_FPL_ADD_FOOTPRINT); },
        [&](const std::string& xml) {
            EXPECT_TRUE(Contains(xml, "    <Footprint>New Footprint</Footprint>\r\n"
                                      "  </FootprintFolder>"));
        });
    DoUndoRedo(
        2, [&] { Menu(2, standard, ID_FPL_ADD_PADSTACK); },
        [&](const std::string& xml) {
            EXPECT_TRUE(
                Contains(xml, "    <Padstack>New Padstack</Padstack>\r\n  </PadstackFolder>"));
        });
}

TEST_F(FootprintTreeTest, GeneratedFootprintsAreNamedByTheirPackage) {
    DoUndoRedo(
        2,
        [&] {
            ScopedModalDialogHook hook(
                [](PlatformDialog& dialog) { dialog_driver::ClickButton(dialog, IDOK); });
            Menu(2, chips, ID_FPL_ADD_SOIC);
        },
        [&](const std::string& xml) {
            EXPECT_TRUE(Contains(xml, ">SOIC New Footprint"));
            CTreeNode* soic = chips->GetChildren().back();
            EXPECT_EQ(soic->GetText(), L"SOIC New Footprint");
            EXPECT_GT(soic->GetChildCount(), 0u);
        });
    struct Case {
        UINT id;
        const wchar_t* name;
    };
    for (const Case& c :
         {Case{ID_FPL_ADD_QFP, L"QFP New Footprint"}, Case{ID_FPL_ADD_BGA, L"BGA New Footprint"},
          Case{ID_FPL_ADD_DIP, L"DIP New Footprint"}}) {
        ScopedModalDialogHook hook(
            [](PlatformDialog& dialog) { dialog_driver::ClickButton(dialog, IDOK); });
        Menu(2, lib, c.id);
        EndEdit(2);
        EXPECT_EQ(lib->GetChildren().back()->GetText(), c.name);
    }
    // A cancelled generator adds nothing.
    const std::string before = Saved(2);
    {
        ScopedModalDialogHook hook(
            [](PlatformDialog& dialog) { dialog_driver::ClickButton(dialog, IDCANCEL); });
        Menu(2, through, ID_FPL_ADD_DIP);
    }
    ExpectSameFile(Saved(2), before, "unchanged");
}

TEST_F(FootprintTreeTest, DeletingFoldersFootprintsAndPadstacks) {
    DoUndoRedo(
        2, [&] { Menu(2, chips, ID_LIB_DELETE_FOLDER); },
        [&](const std::string& xml) { EXPECT_FALSE(Contains(xml, "R0805")); });
    DoUndoRedo(
        2, [&] { Menu(2, dip8, ID_FPL_DELETE_FOOTPRINT); },
        [&](const std::string& xml) { EXPECT_FALSE(Contains(xml, ">DIP8")); });
    DoUndoRedo(
        2, [&] { Menu(2, hole, ID_FPL_DELETE_PADSTACK); },
        [&](const std::string& xml) {
            EXPECT_FALSE(Contains(xml, "    <Padstack>HOLE3.2\r\n      <PadLayer Shape=\"\" "
                                       "Size=\"3.2,3.2\"/>\r\n      <PadLayer Layer=\"ASB\""));
        });
    DoUndoRedo(
        2,
        [&] {
            Click(2, round);
            Key(2, VK_DELETE);
        },
        [&](const std::string&) {
            EXPECT_EQ(Child(standard, NodeType::Padstack, L"ROUND1.6D0.8"), nullptr);
        });
}

TEST_F(FootprintTreeTest, FootprintsAndPadstacksKeepToTheirOwnFolders) {
    Menu(2, round, ID_EDIT_COPY);
    ui.Clear();
    Menu(2, chips, ID_EDIT_PASTE);
    Menu(2, r0805, ID_EDIT_PASTE);
    EXPECT_EQ(ui.messageBoxes.size(), 2u);
    EXPECT_EQ(MessageBoxesExactly(L"Inserting 'Padstack' into 'FootprintFolder' is invalid"), 2);
    ExpectSameFile(Saved(2), original[2], "unchanged");
    // Next to a padstack, or at the top of the library.
    DoUndoRedo(
        2, [&] { Menu(2, hole, ID_EDIT_PASTE); },
        [&](const std::string&) {
            EXPECT_EQ(ChildNames(standard, NodeType::Padstack)[5], L"ROUND1.6D0.8");
        });
    Menu(2, dip8, ID_EDIT_COPY);
    DoUndoRedo(
        2, [&] { Menu(2, lib, ID_EDIT_PASTE); },
        [&](const std::string&) { EXPECT_EQ(lib->GetChild(0)->GetText(), L"DIP8"); });
    DoUndoRedo(
        2, [&] { Menu(2, chips, ID_EDIT_PASTE); },
        [&](const std::string&) { EXPECT_EQ(chips->GetChildren().back()->GetText(), L"DIP8"); });
    // Nor does a symbol library folder go in.
    Menu(1, Child(&Root(1), NodeType::SymbolFolder), ID_EDIT_COPY);
    Menu(2, lib, ID_EDIT_PASTE);
    EXPECT_EQ(MessageBoxesExactly(L"Inserting 'SymbolFolder' into 'FootprintLib' is invalid"), 1);
}

TEST_F(FootprintTreeTest, DropsKeepFootprintsAndPadstacksApart) {
    Menu(2, lib, ID_FPL_ADD_FOOTPRINT_FOLDER);
    EndEdit(2);
    CTreeNode* added = lib->GetChildren().back();
    struct Case {
        const char* name;
        CTreeNode* source;
        CTreeNode* target;
        int part;
        bool accepted;
        bool markAfter;
    };
    const Case cases[] = {
        {"padstack onto a footprint folder", hole, chips, 0, false, true},
        {"padstack onto a footprint", hole, r0805, 0, false, true},
        {"footprint onto a padstack folder", dip8, standard, 0, false, true},
        {"footprint folder onto a padstack", through, round, 0, false, true},
        {"footprint folder into its own footprint", chips, r0805, 0, false, true},
        {"footprint onto a footprint", dip8, shapes, 0, true, true},
        {"footprint onto a footprint folder", dip8, chips, 0, true, true},
        {"padstack onto the library", hole, lib, 0, true, true},
        {"footprint folder onto another's lower half", chips, through, 1, true, true},
        {"footprint folder onto the folder before it", through, chips, -1, false, true},
        {"footprint folder onto another's upper half", added, chips, -1, true, false},
        {"footprint folder onto a footprint", through, shapes, 0, true, true},
    };
    for (const Case& c : cases) {
        Drag(2, c.source, c.target, c.part, false);
        bool after = false;
        HTREEITEM mark = Tree(2).GetInsertMark(&after);
        EXPECT_EQ(mark != nullptr, c.accepted) << c.name;
        if (mark) {
            EXPECT_EQ(after, c.markAfter) << c.name;
        }
        Key(2, VK_ESCAPE);
    }
    // A refused drop leaves the library as it was.
    const std::string before = Saved(2);
    Drag(2, hole, chips);
    ExpectSameFile(Saved(2), before, "unchanged");
    DoUndoRedo(
        2, [&] { Drag(2, chips, through, 1); },
        [&](const std::string&) { EXPECT_EQ(through->GetChild(0), chips); });
    DoUndoRedo(
        2, [&] { Drag(2, dip8, r0805); },
        [&](const std::string&) {
            EXPECT_EQ(ChildNames(chips, NodeType::Footprint),
                      (std::vector<std::wstring>{L"R0805", L"DIP8", L"SO14", L"SHAPES"}));
        });
    DoUndoRedo(
        2, [&] { Drag(2, hole, lib); },
        [&](const std::string&) { EXPECT_EQ(lib->GetChild(0), hole); });
}

TEST_F(FootprintTreeTest, UndoingANewPadstackClosesItsEditor) {
    RegisterTestViews(NodeType::Padstack, kDocumentFootprintLibrary);
    RegisterTestViews(NodeType::Footprint, kDocumentFootprintLibrary);
    Menu(2, standard, ID_FPL_ADD_PADSTACK);
    EndEdit(2);
    CTreeNode* added = standard->GetChildren().back();
    Click(2, added);
    Key(2, VK_RETURN);
    DoubleClick(2, r0805);
    ASSERT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 2);
    EXPECT_EQ(added->GetEditorView()->GetWindowText(), L"Standard - New Padstack");
    Undo(2);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 1);
    EXPECT_EQ(g_pActiveView, r0805->GetEditorView());
    // Deleting a folder closes the views of everything in it.
    Menu(2, chips, ID_LIB_DELETE_FOLDER);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 0);
}

TEST_F(FootprintTreeTest, SaveAsFileWritesTheFootprintAsItStands) {
    // A footprint that has a position keeps it in its file.
    static_cast<CFootprint*>(dip8)->m_boardPosition = PointF{3, 4};
    const std::string library = Saved(2);
    const size_t from = library.find("    <Footprint Grid=\"2.54,2.54\" XY=\"3,4\">DIP8");
    const size_t to = library.find("    </Footprint>\r\n", from);
    ASSERT_NE(to, std::string::npos) << library;
    std::string element;
    for (size_t at = from; at < to + 18;) {
        const size_t end = library.find('\n', at) + 1;
        element += library.substr(at + 2, end - at - 2);
        at = end;
    }
    const std::wstring file = PathJoin(scratch, L"dip8.footprint");
    AnswerFileDialog(file);
    Menu(2, dip8, ID_TREE_SAVE_AS_FILE);
    ExpectSameFile(ReadFile(file),
                   "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<FootprintLib>\r\n" + element +
                       "</FootprintLib>\r\n",
                   "the footprint's file");
}

TEST_F(FootprintTreeTest, PasteFromFileTakesFootprintLibrariesOnly) {
    const std::wstring file = PathJoin(scratch, L"dip8.footprint");
    AnswerFileDialog(file);
    Menu(2, dip8, ID_TREE_SAVE_AS_FILE);
    EXPECT_EQ(dialogs.back().request.filters[0].first, L"Footprint Libraries (*.footprint)");
    AnswerFileDialog(file);
    DoUndoRedo(
        2, [&] { Menu(2, r0805, ID_TREE_PASTE_FROM_FILE); },
        [&](const std::string&) {
            EXPECT_EQ(ChildNames(chips, NodeType::Footprint),
                      (std::vector<std::wstring>{L"R0805", L"DIP8", L"SO14", L"SHAPES"}));
        });
    ui.Clear();
    AnswerFileDialog(paths[1]);
    Menu(2, lib, ID_TREE_PASTE_FROM_FILE);
    EXPECT_EQ(MessageBoxesExactly(L"Only footprint file can be inserted"), 1);
}

// A footprint copied while its editor had a pad selected pastes with
// nothing selected, and an editor opens on a footprint with nothing
// selected: Edit > Cut there takes no pad the panel does not show.
TEST_F(FootprintTreeTest, APastedFootprintOpensWithNothingSelectedAndCutTakesNoPad) {
    RegisterEditorViews();
    registeredMakers.push_back(NodeType::Footprint);
    auto selectedPads = [](CTreeNode* footprint) {
        int n = 0;
        for (CTreeNode* node : Child(footprint, NodeType::Padstack)->GetChildren())
            n += node->GetType() == NodeType::Pad && node->IsSelected();
        return n;
    };
    auto openAndCut = [&](CTreeNode* footprint) {
        DoubleClick(2, footprint);
        auto* view = dynamic_cast<CFootprintView*>(g_pActiveView);
        ASSERT_TRUE(view && view->GetDocument() == footprint);
        EXPECT_EQ(selectedPads(footprint), 0);
        const std::string before = Saved(2);
        g_MainFrame.m_tabWindow.SetFocus();
        Command(ID_EDIT_CUT);
        EXPECT_EQ(view->GetCurrentTool(), ID_FP_SELECT_PADSTACK);
        EXPECT_EQ(view->GetFloatingPad(), nullptr);
        EXPECT_EQ(view->GetUndoList().UndoCount(), 0u);
        ExpectSameFile(Saved(2), before, "after Cut in the editor");
    };

    // Pad 2 of R0805 selected in its editor and renumbered 3 in the panel.
    DoubleClick(2, r0805);
    auto* view = dynamic_cast<CFootprintView*>(g_pActiveView);
    ASSERT_NE(view, nullptr);
    CPad* pad = static_cast<CPad*>(Child(r0805, NodeType::Padstack)->GetChild(3));
    PointF at{1, 0};
    view->MakeGraphics()->WorldToDevice().TransformPoints(&at, 1);
    const POINT client{static_cast<int32_t>(at.X), static_cast<int32_t>(at.Y)};
    MouseAt(view, WM_MOUSEMOVE, client);
    MouseAt(view, WM_LBUTTONDOWN, client, MK_LBUTTON);
    MouseAt(view, WM_LBUTTONUP, client);
    PumpPendingMessages();
    g_MainFrame.GetPropertyGrid().BeginEditRow(0);
    auto* edit = dynamic_cast<EditControl*>(PlatformWindow::GetFocus());
    ASSERT_NE(edit, nullptr);
    edit->SetSel(0, -1);
    SimulateTyping(edit, L"3");
    PressKeyAtFocus(VK_RETURN);
    ASSERT_TRUE(pad->IsSelected() && pad->m_num == L"3");

    // Chips cut and pasted into Through hole.
    Menu(2, chips, ID_EDIT_CUT);
    CTreeNode* pasted = nullptr;
    DoUndoRedo(
        2, [&] { Menu(2, through, ID_EDIT_PASTE); },
        [&](const std::string& xml) {
            EXPECT_TRUE(Contains(xml, "        <Pad Num=\"3\" XY=\"1,0\"/>\r\n")) << xml;
            pasted = Child(Child(through, NodeType::FootprintFolder, L"Chips"), NodeType::Footprint,
                           L"R0805");
            ASSERT_NE(pasted, nullptr);
            EXPECT_EQ(selectedPads(pasted), 0);
        });
    ASSERT_NE(pasted, nullptr);
    openAndCut(pasted);

    // The cut Chips comes back with pad 3 marked as its editor left it.
    Undo(2);
    Undo(2);
    ASSERT_EQ(selectedPads(r0805), 1);
    openAndCut(r0805);
}

} // namespace
