// The board editor under thousands of random user actions on the example
// project: clicks, drags, right clicks with random menu choices, keys, tool,
// layer, zoom and view commands, components put on a side, undo and redo.
// No step may crash or touch freed memory (the sanitizers watch), and
// undoing everything at the end gives the original bytes, redoing everything
// the bytes before the undoing. Every net's connection graph is the one a
// fresh build makes (but the net of a route under way), and the view's layer
// index the one a fresh index of the board is. Also writes the picture of
// the view.
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "platform/combo_box_control.h"
#include "platform/dialog.h"
#include "platform/paint_target.h"
#include "tests/board/net_graph_check.h"
#include "tests/panel_rows.h"
#include "tests/random_seed.h"
#include "tests/screen_picture.h"
#include "tests/views/board_view_fixture.h"
#include "tests/views/half_made_check.h"

#include <random>

namespace {

class BoardViewRandomTest : public BoardViewTest {
protected:
    std::mt19937 rng{20240607};
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    float Coordinate(float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(rng);
    }
    PointF RandomPoint() { return PointF{Coordinate(-5, 65), Coordinate(-5, 45)}; }
    WPARAM RandomModifiers() {
        const int r = Uniform(0, 9);
        return r == 0 ? MK_CONTROL : (r == 1 ? MK_SHIFT : 0);
    }
    // Every command of a menu and its sub-menus, and 0 for dismissing it.
    static void Commands(const PopupMenu& menu, std::vector<UINT>& out) {
        for (const PopupMenu::Item& item : menu.Items()) {
            if (item.subMenu)
                Commands(*item.subMenu, out);
            else if (item.id && !(item.flags & MF_GRAYED))
                out.push_back(item.id);
        }
    }

    void RandomStep() {
        static const int kTools[] = {ID_TOOL_SELECT,
                                     ID_BRD_OUTLINE,
                                     ID_BRD_COMPONENT,
                                     ID_BRD_PLACE_FREE_COMPONENT,
                                     ID_BRD_MOVE_COMPONENT,
                                     ID_BRD_ROUTE,
                                     ID_BRD_ROUTE_NEW,
                                     ID_BRD_ROUTE_EDIT,
                                     ID_BRD_AREA,
                                     ID_BRD_AREA_NEW,
                                     ID_BRD_AREA_EDIT,
                                     ID_BRD_TEXT,
                                     ID_BRD_TEXT_PLACE_FREE,
                                     ID_BRD_TEXT_EDIT};
        static const int kKeys[] = {'0',     '1',       '2',     '3',      '4',   '5',
                                    'R',     'T',       'B',     'V',      'W',   VK_DELETE,
                                    VK_BACK, VK_ESCAPE, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN};
        static const int kCommands[] = {
            ID_VIEW_ZOOM_IN,     ID_VIEW_ZOOM_OUT, ID_VIEW_ZOOM_ALL,       ID_SNAP_TO_GRID,
            ID_SHOW_PAD_NUMBERS, ID_BRD_DRC,       ID_BRD_OUTLINE_FROM_DXF};
        const int kind = Uniform(0, 99);
        if (kind < 30) {
            // A click.
            const PointF p = RandomPoint();
            const WPARAM mk = RandomModifiers();
            SimulateMouse(view, WM_LBUTTONDOWN, ToClient(p), mk | MK_LBUTTON);
            SimulateMouse(view, WM_LBUTTONUP, ToClient(p), mk);
            if (Uniform(0, 3) == 0) {
                // The second half of a double-click.
                SimulateMouse(view, WM_LBUTTONDOWN, ToClient(p), mk | MK_LBUTTON);
                SimulateMouse(view, WM_LBUTTONDBLCLK, ToClient(p), mk | MK_LBUTTON);
                SimulateMouse(view, WM_LBUTTONUP, ToClient(p), mk);
            }
        } else if (kind < 50) {
            // A drag with a few steps.
            PointF p = RandomPoint();
            const WPARAM mk = RandomModifiers();
            SimulateMouse(view, WM_LBUTTONDOWN, ToClient(p), mk | MK_LBUTTON);
            for (int i = Uniform(1, 4); i > 0; --i) {
                p.X += Coordinate(-4, 4);
                p.Y += Coordinate(-4, 4);
                SimulateMouse(view, WM_MOUSEMOVE, ToClient(p), mk | MK_LBUTTON);
            }
            SimulateMouse(view, WM_LBUTTONUP, ToClient(p), mk);
        } else if (kind < 57) {
            SimulateMouse(view, WM_MOUSEMOVE, ToClient(RandomPoint()), 0);
        } else if (kind < 60) {
            // A component picked by a pad with the move tool and put on a
            // side: its texts, markings and pads change layers.
            std::vector<CFootprint*> footprints = Mounted();
            for (int n = 0; CFootprint* footprint = PackageFootprint(n); ++n)
                footprints.push_back(footprint);
            if (footprints.empty())
                return;
            const CFootprint* picked = footprints[static_cast<size_t>(
                Uniform(0, static_cast<int>(footprints.size()) - 1))];
            PointF at = picked->m_boardPosition;
            for (const CTreeNode* padstack : picked->GetChildren())
                for (const CTreeNode* pad : padstack->GetChildren())
                    if (pad->GetType() == NodeType::Pad)
                        at = static_cast<const CPad*>(pad)->GetBoardPosition();
            Command(ID_BRD_MOVE_COMPONENT);
            Click(at);
            Key(Uniform(0, 1) ? 'B' : 'T');
        } else if (kind < 66) {
            const PointF p = RandomPoint();
            SetPopupMenuHook([this](const PopupMenu& menu, POINT) -> UINT {
                std::vector<UINT> commands{0};
                Commands(menu, commands);
                return commands[static_cast<size_t>(
                    Uniform(0, static_cast<int>(commands.size()) - 1))];
            });
            SimulateMouse(view, WM_RBUTTONDOWN, ToClient(p), MK_RBUTTON);
            SimulateMouse(view, WM_RBUTTONUP, ToClient(p), 0);
        } else if (kind < 80) {
            const int key = kKeys[Uniform(0, static_cast<int>(std::size(kKeys)) - 1)];
            const int mods = Uniform(0, 5);
            Key(key, mods == 0 ? MK_SHIFT : (mods == 1 ? MK_CONTROL : 0));
        } else if (kind < 88) {
            Command(kTools[Uniform(0, static_cast<int>(std::size(kTools)) - 1)]);
        } else if (kind < 91) {
            Command(ID_BOARD_LAYER_FIRST + Uniform(0, 15));
        } else if (kind < 94) {
            Command(kCommands[Uniform(0, static_cast<int>(std::size(kCommands)) - 1)]);
        } else if (kind < 99) {
            const size_t records = view->GetUndoList().UndoCount();
            if (kind < 97)
                Undo();
            else
                Redo();
            if (view->GetUndoList().UndoCount() != records)
                ExpectPanelUpToDate(kind < 97 ? "after undo" : "after redo");
        } else {
            CloseInTheMiddle();
        }
    }
    // After a step of the history the panel shows the values its object
    // has now (a row being typed is the user's).
    void ExpectPanelUpToDate(const char* when) {
        CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
        if (grid.IsEditing())
            return;
        const panel_rows::Comparison c = panel_rows::CompareWithFreshFill(grid);
        EXPECT_TRUE(c.Equal()) << when << "\n" << c.Describe();
    }
    // The tab closes whatever is under way; No takes the document back to
    // its saved state, the original, which the view opened again shows.
    void CloseInTheMiddle() {
        ui.Answer({IDNO});
        Command(ID_WINDOW_CLOSE);
        ASSERT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 0);
        EXPECT_EQ(Saved(), original) << "after closing the tab";
        OpenBoard();
    }
};

TEST_F(BoardViewRandomTest, ThousandsOfRandomActionsUndoToTheOriginal) {
    OpenExample();
    SetFreeComponentPadstackSource([](CBoard*, int) -> CPadstack* {
        auto* padstack = new CPadstack(L"R1");
        auto* layer = new CPadLayer(0);
        layer->m_shape = kPadShapeRound;
        layer->m_width = layer->m_height = 1.2f;
        padstack->AddChild(layer);
        return padstack;
    });
    // A dialog a menu pick opens (the route width) is closed as a user who
    // changed his mind closes it: nothing else would end it.
    ScopedModalDialogHook dialogs([](PlatformDialog& dialog) { dialog.EndDialog(IDCANCEL); });
    int steps = 3000;
    if (const char* env = std::getenv("VORPEL_RANDOM_STEPS"))
        steps = std::atoi(env);
    const RandomSeed seed(20240607u);
    rng.seed(seed.Value());
    for (int i = 0; i < steps; ++i) {
        RandomStep();
        if (i % 8 == 0)
            PumpPendingMessages();
        ASSERT_EQ(g_pActiveView, view) << "step " << i;
        ExpectNoHalfMadeObjects(
            board, "step " + std::to_string(i),
            {view->GetRouteConductor(), view->GetFloatingText(), view->GetNewArea()});
        ExpectLayerIndexOnTheBoard(board, *view->GetBoardLayerIndex(), "step " + std::to_string(i));
        // A stale graph stays stale until its net is rebuilt: every fourth
        // step finds it and keeps the walk's cost down.
        if (i % 4 == 0) {
            EXPECT_TRUE(NetGraphsAreFresh(board, {view->GetRouteConductor()})) << "step " << i;
        }
        if (HasFailure())
            break;
    }
    PumpPendingMessages();
    // End whatever is under way, then undo everything.
    Key(VK_ESCAPE);
    Key(VK_ESCAPE);
    std::printf("random actions left %zu undo steps\n", view->GetUndoList().UndoCount());
    // Redoing as many steps as were undone (undos of the walk may have left
    // more to redo) gives the bytes before the undoing.
    const std::string worked = Saved();
    int undone = 0;
    for (; view->GetUndoList().CanUndo() && undone < 100000; ++undone)
        view->Undo();
    EXPECT_FALSE(view->GetUndoList().CanUndo());
    EXPECT_EQ(Saved(), original);
    for (int i = 0; i < undone; ++i)
        view->Redo();
    EXPECT_EQ(Saved(), worked);
}

TEST_F(BoardViewTest, WritesItsPicture) {
    OpenExample();
    Key('C', 0, true);
    // Select R1 by its pad.
    Click(PointF{11.5f, 12});
    ASSERT_TRUE(PackageFootprint(0)->IsSelected());
    Key('1');
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, L"board-view"));
    auto image = screen_picture::Grab(*view);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->SavePng(PathJoin(screen_picture::PictureFolder(), L"board-view.png")));
    // The selected footprint's pads are outlined in the selection colour.
    const COLORREF sel = g_DefaultSettings.colorSel;
    const ARGB selArgb = ((sel & 0xFF) << 16) | (sel & 0xFF00) | ((sel >> 16) & 0xFF);
    int selected = 0;
    for (int y = 0; y < image->Height(); ++y)
        for (int x = 0; x < image->Width(); ++x)
            selected += (image->PixelAt(x, y) & 0xFFFFFF) == selArgb;
    EXPECT_GT(selected, 10);
}

} // namespace
