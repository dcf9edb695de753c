// Copy, Cut, Paste, Save As File and Paste From File of the project tree
// keep what they move whole: a board lands with its components where they
// were placed and its tracks tied to its own pads and vias, a sheet cut and
// pasted back keeps its drawing. Each case compares the saved project with
// the bytes expected, and again after reading that file back.
#include "board/area.h"
#include "board/area_node.h"
#include "board/board.h"
#include "board/conductor.h"
#include "board/marking.h"
#include "board/marking_primitive.h"
#include "board/pad.h"
#include "core/model_services.h"
#include "schematic/net.h"
#include "schematic/part.h"
#include "schematic/pin.h"
#include "schematic/sheet.h"
#include "schematic/sheet_object.h"
#include "tests/shell/tree_fixture.h"
#include "views/board_view.h"
#include "views/editor_views.h"

#include <cmath>
#include <map>

namespace {

const char kHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n";

std::string Indented(const std::string& text, int spaces) {
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        out += std::string(static_cast<size_t>(spaces), ' ') + text.substr(at, end - at);
        at = end;
    }
    return out;
}

std::string Replaced(std::string text, const std::string& what, const std::string& with) {
    const size_t at = text.find(what);
    EXPECT_NE(at, std::string::npos) << what;
    if (at != std::string::npos)
        text.replace(at, what.size(), with);
    return text;
}

const CTreeNode* BoardOf(const CTreeNode* node) {
    while (node && node->GetType() != NodeType::Board)
        node = node->GetParent();
    return node;
}

template <class F> void ForEachNode(CTreeNode* node, F f) {
    f(node);
    for (CTreeNode* child : node->GetChildren())
        ForEachNode(child, f);
}

// The ties of the board's tracks, each to a pad or via of the board itself.
int TiesWithin(CTreeNode* board) {
    int ties = 0;
    ForEachNode(board, [&](CTreeNode* node) {
        if (node->GetType() != NodeType::Conductor)
            return;
        for (const ConductorVertex& v : static_cast<CConductor*>(node)->m_vertices)
            if (CPad* pad = v.tie.GetPad()) {
                EXPECT_EQ(BoardOf(pad), board) << "a tie leaves its board";
                ++ties;
            }
    });
    return ties;
}

// The board's objects by the name of the sheet they lie on; each lies on a
// sheet of the board that holds it.
std::map<std::wstring, int> ObjectsOnSheets(CTreeNode* board) {
    std::map<std::wstring, int> count;
    ForEachNode(board, [&](CTreeNode* node) {
        auto* object = dynamic_cast<CSheetObject*>(node);
        if (!object || !object->m_pSheet)
            return;
        EXPECT_EQ(object->m_pSheet->GetParent(), board) << "on a sheet out of its board";
        EXPECT_TRUE(object->m_pSheet->HasObject(object));
        ++count[object->m_pSheet->GetName()];
    });
    return count;
}

// The board's pins that are in a net; each such net is one of the board's
// and holds the pin.
int PinsInNets(CTreeNode* board) {
    int pins = 0;
    ForEachNode(board, [&](CTreeNode* node) {
        if (node->GetType() != NodeType::Pin)
            return;
        if (CNet* net = static_cast<CPin*>(node)->m_pNet) {
            EXPECT_EQ(net->GetParent(), board) << "a pin in another board's net";
            EXPECT_EQ(net->m_pins.count(static_cast<CPin*>(node)), 1u);
            ++pins;
        }
    });
    return pins;
}

// The selection marks in the subtree: selected nodes, symbol and marking
// primitives and outline vertices. With select set, marks every one first,
// as an editor that selected everything would leave them.
int SelectionMarks(CTreeNode* root, bool select = false) {
    int marks = 0;
    auto outline = [&](CAreaNode* head) {
        for (CAreaNode* n = head ? head->m_first : nullptr; n; n = n->m_next) {
            if (select)
                n->m_selectedNode = 1;
            marks += n->m_selectedNode != 0;
        }
    };
    ForEachNode(root, [&](CTreeNode* node) {
        if (select)
            node->m_selected = 1;
        marks += node->m_selected != 0;
        if (auto* part = dynamic_cast<CPart*>(node))
            for (CPartPrimitive* p : part->m_primitives) {
                if (select)
                    p->SetSelected(true);
                marks += p->IsSelected();
            }
        if (auto* marking = dynamic_cast<CMarking*>(node))
            for (CMarkingPrimitive* p : marking->m_primitives) {
                if (select)
                    p->m_selected = true;
                marks += p->m_selected;
            }
        if (auto* b = dynamic_cast<CBoard*>(node))
            outline(b->m_outline);
        if (auto* a = dynamic_cast<CArea*>(node))
            outline(a->m_outline);
    });
    return marks;
}

class TreeClipboardTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        Find();
        const size_t from = original[0].find("  <Board");
        boardXml = original[0].substr(from, original[0].find("  <Block>Later") - from);
    }
    void Find() {
        root = &Root(0);
        board = Child(root, NodeType::Board);
        block = Child(root, NodeType::Block, L"Later");
        ASSERT_TRUE(board && block);
    }

    // The project with the demo board also inside the block (or only there).
    std::string BoardInBlock(bool moved) const {
        std::string xml = original[0];
        if (moved)
            xml = Replaced(xml, boardXml, "");
        return Replaced(xml, "  <Block>Later</Block>\r\n",
                        "  <Block>Later\r\n" + Indented(boardXml, 2) + "  </Block>\r\n");
    }

    // The saved project is expected; read back and saved again it still
    // is. Calls check with the boards read back.
    void ExpectSavedAndReloaded(const std::string& expected,
                                const std::function<void(CRoot&)>& check = nullptr) {
        const std::string saved = Saved(0);
        ExpectSameFile(saved, expected, "saved");
        const std::wstring path = WriteFile(L"reload.circuit", saved);
        CRoot reloaded;
        CXmlFile in(&reloaded);
        ASSERT_TRUE(in.Load(path.c_str()));
        BuildBoardNetsInTree(&reloaded);
        if (check)
            check(reloaded);
        const std::wstring again = PathJoin(scratch, L"again.circuit");
        CXmlFile out(&reloaded);
        ASSERT_TRUE(out.Save(again.c_str()));
        ExpectSameFile(ReadFile(again), expected, "read back and saved");
    }

    CTreeNode* root = nullptr;
    CTreeNode* board = nullptr;
    CTreeNode* block = nullptr;
    std::string boardXml;
};

TEST_F(TreeClipboardTest, BoardsCopiedOrCutIntoABlockKeepPlacementsTiesAndNets) {
    for (const UINT command : {ID_EDIT_COPY, ID_EDIT_CUT}) {
        SCOPED_TRACE(command == ID_EDIT_CUT ? "cut" : "copy");
        ASSERT_TRUE(g_MainFrame.Open(paths[0], 0));
        Find();
        const int ties = TiesWithin(board);
        const auto objects = ObjectsOnSheets(board);
        const int pins = PinsInNets(board);
        ASSERT_GT(ties, 0);
        ASSERT_GT(pins, 0);
        Menu(0, board, command);
        DoUndoRedo(
            0, [&] { Menu(0, block, ID_EDIT_PASTE); },
            [&](const std::string& xml) {
                ExpectSameFile(xml, BoardInBlock(command == ID_EDIT_CUT), "pasted");
                CTreeNode* copy = Child(block, NodeType::Board);
                ASSERT_NE(copy, nullptr);
                EXPECT_EQ(TiesWithin(copy), ties);
                EXPECT_EQ(ObjectsOnSheets(copy), objects);
                EXPECT_EQ(PinsInNets(copy), pins);
            });
        ExpectSavedAndReloaded(BoardInBlock(command == ID_EDIT_CUT), [&](CRoot& reloaded) {
            CTreeNode* copy = Child(Child(&reloaded, NodeType::Block), NodeType::Board);
            ASSERT_NE(copy, nullptr);
            EXPECT_EQ(TiesWithin(copy), ties);
            EXPECT_EQ(ObjectsOnSheets(copy), objects);
            EXPECT_EQ(PinsInNets(copy), pins);
        });
    }
}

TEST_F(TreeClipboardTest, ABoardSavedAsAFileIsTheBoardAndPastesBackAsIs) {
    const std::wstring file = PathJoin(scratch, L"board.circuit");
    AnswerFileDialog(file);
    Menu(0, board, ID_TREE_SAVE_AS_FILE);
    ExpectSameFile(ReadFile(file),
                   std::string(kHead) + "<Project>\r\n" + boardXml + "</Project>\r\n",
                   "the board's file");
    // Saving wrote nothing into the document.
    ExpectSameFile(Saved(0), original[0], "the project");
    AnswerFileDialog(file);
    DoUndoRedo(
        0, [&] { Menu(0, block, ID_TREE_PASTE_FROM_FILE); },
        [&](const std::string& xml) { ExpectSameFile(xml, BoardInBlock(false), "pasted"); });
    ExpectSavedAndReloaded(BoardInBlock(false));
}

// A wire being drawn on the board's sheet (one leg fixed, the next
// following the pointer) is no part of what the tree copies, cuts or saves
// as a file: the wire ends first as Esc ends it, keeping the fixed leg, and
// the board taken is the board Esc leaves.
TEST_F(TreeClipboardTest, AWireUnderWayEndsBeforeTheBoardIsCopiedCutOrSaved) {
    RegisterEditorViews();
    const std::wstring file = PathJoin(scratch, L"board.circuit");
    // The board as a file of its own holds it (as Save As File writes it).
    auto boardFile = [&](CTreeNode* node) {
        struct Holder : CRoot {
            ~Holder() override { ForgetLentChildren(); }
        } holder;
        holder.SetRootTag(L"Project");
        holder.LendChild(node);
        const std::wstring path = PathJoin(scratch, L"lent.circuit");
        CXmlFile out(&holder);
        EXPECT_TRUE(out.Save(path.c_str()));
        return ReadFile(path);
    };
    CVorpelView* view = nullptr;
    auto drawWire = [&] {
        // The new net gets the same name each time.
        ResetModelCounters();
        ASSERT_TRUE(g_MainFrame.Open(paths[0], 0));
        Find();
        view = g_MainFrame.OpenNodeView(Child(board, NodeType::Sheet, L"Main"));
        ASSERT_NE(view, nullptr);
        PumpPendingMessages();
        Command(ID_SCH_PLACE_WIRE);
        for (POINT p : {POINT{160, 140}, POINT{220, 165}}) {
            MouseAt(view, WM_MOUSEMOVE, p);
            MouseAt(view, WM_LBUTTONDOWN, p, MK_LBUTTON);
            MouseAt(view, WM_LBUTTONUP, p);
        }
        MouseAt(view, WM_MOUSEMOVE, POINT{260, 200});
        PumpPendingMessages();
    };
    drawWire();
    const std::string drawing = boardFile(board);
    g_MainFrame.m_tabWindow.SetFocus();
    PressKeyAtFocus(VK_ESCAPE);
    const std::string escaped = boardFile(board);
    ASSERT_NE(escaped, drawing);
    ASSERT_TRUE(Contains(escaped, "<Wire")) << "Esc keeps the fixed leg";

    for (const UINT command : {ID_EDIT_COPY, ID_EDIT_CUT, ID_TREE_SAVE_AS_FILE}) {
        SCOPED_TRACE(command == ID_EDIT_COPY  ? "copy"
                     : command == ID_EDIT_CUT ? "cut"
                                              : "save as file");
        drawWire();
        if (command == ID_TREE_SAVE_AS_FILE)
            AnswerFileDialog(file);
        Menu(0, board, command);
        if (command == ID_TREE_SAVE_AS_FILE) {
            ExpectSameFile(ReadFile(file), escaped, "the board's file");
            ExpectSameFile(boardFile(board), escaped, "the board");
            continue;
        }
        EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), command == ID_EDIT_CUT ? 0 : 1);
        if (command == ID_EDIT_COPY) {
            ExpectSameFile(boardFile(board), escaped, "the board copied");
            // Its history is whole: undone, the project is the original.
            g_MainFrame.m_tabWindow.SetFocus();
            for (int i = 0; i < 20 && view->GetUndoList().CanUndo(); ++i)
                Command(ID_EDIT_UNDO);
            ExpectSameFile(Saved(0), original[0], "the view's edits undone");
        }
        Menu(0, block, ID_EDIT_PASTE);
        CTreeNode* pasted = Child(block, NodeType::Board);
        ASSERT_NE(pasted, nullptr);
        ExpectSameFile(boardFile(pasted), escaped, "the board pasted");
    }
}

TEST_F(TreeClipboardTest, ASheetCutAndPastedBackKeepsItsNameAndDrawing) {
    CTreeNode* main = Child(board, NodeType::Sheet, L"Main");
    ASSERT_NE(main, nullptr);
    const auto objects = ObjectsOnSheets(board);
    ASSERT_GE(objects.at(L"Main"), 7);
    const std::string line = "    <Sheet BusWidth=\"0.5\" DotDiam=\"1\" GridSize=\"2.54\" "
                             "SheetSize=\"297,210\" WireWidth=\"0.15\">Main</Sheet>\r\n";
    const std::string cut = Replaced(original[0], line, "");
    DoUndoRedo(
        0, [&] { Menu(0, main, ID_EDIT_CUT); },
        [&](const std::string& xml) {
            // The objects still name the sheet that went.
            ExpectSameFile(xml, cut, "cut");
        });
    // Back in its board it comes last, with its own name and its objects.
    const std::string back = Replaced(cut, "  </Board>\r\n", line + "  </Board>\r\n");
    DoUndoRedo(
        0, [&] { Menu(0, board, ID_EDIT_PASTE); },
        [&](const std::string& xml) {
            ExpectSameFile(xml, back, "pasted");
            EXPECT_EQ(ObjectsOnSheets(board), objects);
        });
    ExpectSavedAndReloaded(back, [&](CRoot& reloaded) {
        EXPECT_EQ(ObjectsOnSheets(Child(&reloaded, NodeType::Board)), objects);
    });
    // A copy while the sheet is there is a new, empty sheet.
    Menu(0, Child(board, NodeType::Sheet, L"Main"), ID_EDIT_COPY);
    Menu(0, board, ID_EDIT_PASTE);
    EXPECT_EQ(ChildNames(board, NodeType::Sheet),
              (std::vector<std::wstring>{L"Power", L"Main", L"Sheet 1"}));
    EXPECT_EQ(ObjectsOnSheets(board), objects);
}

TEST_F(TreeClipboardTest, ABoardPastedAfterItsSourceWentIsEditedOnItsOwnPads) {
    RegisterBoardView();
    registeredMakers.push_back(NodeType::Board);
    Menu(0, board, ID_EDIT_COPY);
    Command(ID_NEW_PROJECT);
    ASSERT_EQ(Root(0).GetChildCount(), 0u);
    Menu(0, &Root(0), ID_EDIT_PASTE);
    CTreeNode* pasted = Child(&Root(0), NodeType::Board);
    ASSERT_NE(pasted, nullptr);
    const std::string before = Saved(0);
    DoubleClick(0, pasted);
    auto* view = dynamic_cast<CBoardView*>(pasted->GetEditorView());
    ASSERT_NE(view, nullptr);
    view->SelectTool(ID_BRD_ROUTE_EDIT);
    PumpPendingMessages();
    // The track of N1 from R1 through the via at (18,12): right-click its
    // first segment, Change Layer to I01.
    const double s = view->GetDpi() * view->GetZoomScale() / 25.4;
    const POINT o = view->GetScrollOffset();
    const POINT at{static_cast<int>(std::lround(16 * s)) + o.x,
                   static_cast<int>(std::lround(-12 * s)) + o.y};
    menuAnswers.push_back(33000 + 2);
    SimulateMouse(view, WM_RBUTTONDOWN, at, MK_RBUTTON);
    SimulateMouse(view, WM_RBUTTONUP, at);
    PumpPendingMessages();
    const std::string after = Saved(0);
    EXPECT_NE(after, before);
    EXPECT_TRUE(Contains(after, "Layer=\"I01\"")) << after;
    EXPECT_GT(TiesWithin(pasted), 0);
}

// What an editor left selected in a copied board, symbol or footprint stays
// with the original: the pasted copy, in each tree, has nothing selected.
TEST_F(TreeClipboardTest, APastedCopyArrivesWithNothingSelectedInEveryTree) {
    struct Case {
        int kind;
        CTreeNode* source;
        CTreeNode* target;
    };
    CTreeNode* logic = Child(&Root(1), NodeType::SymbolFolder, L"Logic");
    CTreeNode* through = Child(&Root(2), NodeType::FootprintFolder, L"Through hole");
    const Case cases[] = {
        {0, board, block},
        {1, Child(logic, NodeType::Package, L"NAND2"), logic},
        {2,
         Child(Child(&Root(2), NodeType::FootprintFolder, L"Chips"), NodeType::Footprint, L"R0805"),
         through},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ASSERT_TRUE(c.source && c.target);
        const int marks = SelectionMarks(c.source, true);
        ASSERT_GT(marks, 3);
        Menu(c.kind, c.source, ID_EDIT_COPY);
        for (int paste = 0; paste < 2; ++paste) {
            CTreeNode* copy = nullptr;
            DoUndoRedo(
                c.kind, [&] { Menu(c.kind, c.target, ID_EDIT_PASTE); },
                [&](const std::string&) {
                    copy = c.target->GetChildren().back();
                    EXPECT_EQ(copy->GetText(), c.source->GetText());
                    EXPECT_EQ(SelectionMarks(copy), 0);
                });
            ASSERT_NE(copy, nullptr);
            EXPECT_EQ(SelectionMarks(copy), 0) << "after redo";
        }
        EXPECT_EQ(SelectionMarks(c.source), marks) << "the original keeps its selection";
    }
}

} // namespace
