// The main window under random use: views opened, edited, cycled, clicked
// and closed, documents made anew, saved and reopened, toolbars and the
// status bar toggled, keys and idle passes in between, with the prompts and
// file dialogs answered at random. After every step the tab window's order
// is whole, the active view is the shown one and every open view still edits
// a node of a document. The editors' own views come in too, left with work
// under way (a wire, a bus, a route, a shape half drawn) when New, Open or
// Close All replace their documents, with the Find dialog open and used
// afterwards, tree clipboard copies are pasted into other and newer
// documents, and nodes are cut or deleted from under the views open on
// them. Values are typed into the property panel (and left there at times),
// and the trees' Undo and Redo and a board's dialogs (stackup, settings,
// drill table) run between them and the board editor's routes, deletes,
// Undo and Redo: after each the panel shows only what is still in a
// document, the board editor's layer selector only the board's layers, and
// every board editor indexes what its board holds. Sheets come and go under
// their drawings: after every step each sheet shows only objects of its
// document, and the name each object is saved with finds the sheet it is
// shown on, or none. Two sheets of a board and the board itself are edited
// side by side, each in its own editor with its own history: wires make,
// join and empty nets, parts and units are deleted and placed from the
// library, nets renamed and power pins given nets in the panel, footprints
// changed from a package's row, tracks routed, components moved, flipped
// and deleted, the outline edited, the board's and the sheets' rows typed
// into, each editor's Undo and Redo, tabs closed keeping or throwing away
// their changes and opened again, with the trees' steps and the board's
// dialogs in between. A package's texts are dragged on both sheets that show
// its parts, shown on the board or not from a sheet, deleted and put on
// other layers on the board, and the editors' units cycled in the status
// bar; a value of two (a text shown on the board or not, on a side's layer
// or its twin's) is set by one editor, set back by another and set a third
// time before both undo; a track on an inner layer is changed by the board's
// editor and its layer moved by the stackup before the editor's Undo; a
// layer's type or plane net is changed in the stackup, a track routed on it
// and the change undone or, undone before the route, redone. After
// every step every record of every history names only nodes that
// a document or that history itself holds, and every board editor indexes
// what its board holds. The walk keeps its own account of every history's
// steps (tests/shell/history_oracle.h) from the documents before and after
// each change: every Undo and Redo changes the documents by exactly what its
// steps changed, and nothing else, and leaves what came to lie on a layer
// since its step on that layer, of its type and plane net. The sanitizers
// watch for everything else.
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/pad.h"
#include "core/layer_combobox.h"
#include "core/model_services.h"
#include "core/property_checkbox.h"
#include "core/property_combobox.h"
#include "core/property_edit.h"
#include "core/xml_file.h"
#include "dialogs/board_dialog.h"
#include "dialogs/drill_table.h"
#include "dialogs/load_footprint.h"
#include "dialogs/sel_part.h"
#include "dialogs/stackup.h"
#include "dialogs/stackup_list_ctrl.h"
#include "dialogs/via_list_ctrl.h"
#include "platform/button_control.h"
#include "platform/device_context.h"
#include "platform/dialog.h"
#include "platform/edit_control.h"
#include "platform/graphics.h"
#include "platform/list_box_control.h"
#include "platform/paint_target.h"
#include "platform/tree_view_control.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/pin.h"
#include "schematic/sheet.h"
#include "schematic/sheet_object.h"
#include "schematic/text.h"
#include "schematic/wire.h"
#include "shell/find.h"
#include "shell/left_tab_view.h"
#include "shell/sch_status_bar.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/dialogs/footprint_choice.h"
#include "tests/random_seed.h"
#include "tests/shell/board_index_check.h"
#include "tests/shell/frame_fixture.h"
#include "tests/shell/history_oracle.h"
#include "views/board_view.h"
#include "views/editor_views.h"
#include "views/schematic_view.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <utility>

namespace {
// The walk's own account of the histories; looked at after every step and
// around every Undo and Redo, so that each of those is a change of its own.
HistoryOracle* g_oracle = nullptr;
void LookAtHistories() {
    if (g_oracle) {
        EXPECT_TRUE(g_oracle->Look());
    }
}

// VORPEL_WALK_TRACE=1 prints each choice of the walk, to follow a failing seed.
int Traced(const char* where, int choice) {
    static const bool on = std::getenv("VORPEL_WALK_TRACE") != nullptr;
    if (on)
        std::fprintf(stderr, "walk: %s %d\n", where, choice);
    return choice;
}

std::wstring Example(const wchar_t* name) {
    return PathJoin(PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples"), name);
}

bool Contains(const CTreeNode* root, const CTreeNode* node) {
    if (root == node)
        return true;
    for (const CTreeNode* child : root->GetChildren())
        if (Contains(child, node))
            return true;
    return false;
}

void CollectNodes(CTreeNode* node, std::vector<CTreeNode*>& out) {
    for (CTreeNode* child : node->GetChildren()) {
        out.push_back(child);
        CollectNodes(child, out);
    }
}

class FrameRandomTest : public FrameTest {
protected:
    // Every command a step gives is a change of its own for the account of
    // the histories.
    void Command(int id) {
        LookAtHistories();
        FrameTest::Command(id);
        LookAtHistories();
    }
    // A copy of an example in the scratch folder: the walk saves what it
    // opened, and the examples must stay as they are.
    std::wstring Copy(const wchar_t* name) { return WriteFile(name, ReadFile(Example(name))); }
    using Pick = std::function<int(int)>;
    static CTreeNode* AnyNode(const Pick& pick, int kind) {
        std::vector<CTreeNode*> nodes;
        CollectNodes(&g_MainFrame.GetRoot(kind), nodes);
        return nodes.empty() ? nullptr
                             : nodes[static_cast<size_t>(pick(static_cast<int>(nodes.size())))];
    }
    // An editor of a random node (its own view, not a test view), left in
    // a tool with a few clicks: a wire, bus, route or shape under way, in a
    // sheet, a symbol, a footprint or a padstack.
    void WorkUnderWay(const Pick& pick) {
        const int kind = pick(3);
        std::vector<CTreeNode*> nodes;
        CollectNodes(&g_MainFrame.GetRoot(kind), nodes);
        std::erase_if(nodes, [kind](const CTreeNode* n) {
            const int type = n->GetType();
            return kind == 0   ? type != NodeType::Sheet
                   : kind == 1 ? type != NodeType::Package
                               : type != NodeType::Footprint && type != NodeType::Padstack;
        });
        if (nodes.empty() || !g_MainFrame.OpenNodeView(
                                 nodes[static_cast<size_t>(pick(static_cast<int>(nodes.size())))]))
            return;
        CVorpelView* view = g_pActiveView;
        if (!view)
            return;
        static const int sheetTools[] = {ID_SCH_PLACE_WIRE, ID_SCH_PLACE_WIRE, ID_SCH_PLACE_BUS,
                                         ID_EDIT_FIND, ID_TOOL_SELECT};
        static const int shapeTools[] = {ID_DRAW_LINE,  ID_DRAW_POLYGON,  ID_DRAW_ARC,
                                         ID_DRAW_TEXT,  ID_DRAW_ELLIPSE,  ID_DRAW_RECTANGLE,
                                         ID_DRAW_CURVE, ID_SYM_PLACE_PIN, ID_FP_PLACE_PADSTACK,
                                         ID_TOOL_SELECT};
        const int* tools = kind == 0 ? sheetTools : shapeTools;
        const int count = kind == 0 ? static_cast<int>(std::size(sheetTools))
                                    : static_cast<int>(std::size(shapeTools));
        Command(tools[pick(count)]);
        if (g_pActiveView != view)
            return;
        const RECT r = view->GetClientRect();
        for (int i = pick(4); i > 0 && g_pActiveView == view; --i) {
            const POINT p{pick(std::max<int>(1, r.right)), pick(std::max<int>(1, r.bottom))};
            // The Find dialog or the property panel may lie over the
            // view there: it takes the click, as on the desktop.
            ClickAt(view, p);
            if (g_pActiveView == view)
                MouseAt(view, WM_MOUSEMOVE, POINT{p.x + 7, p.y + 5});
        }
    }
    // The Find dialog opened for the active view, or its buttons pressed
    // whatever happened to that view and its document since.
    void UseFindDialog(const Pick& pick) {
        if (!g_Find.IsOpen()) {
            if (g_pActiveView)
                g_Find.Open(g_pActiveView);
            return;
        }
        if (auto* what = g_Find.GetDlgItemAs<ComboBoxControl>(CFind::kFindWhat))
            what->SetWindowText(pick(2) ? L"R1" : L"N");
        if (auto* lookIn = g_Find.GetDlgItemAs<ComboBoxControl>(CFind::kLookIn))
            lookIn->SetCurSel(pick(3));
        const int buttons[] = {IDOK, CFind::kMarkAll, IDCANCEL};
        dialog_driver::ClickButton(g_Find, buttons[pick(3)]);
    }
    // New, Open or Close All, each possibly under views with work under way
    // and the Find dialog; then the dialog's Find Next when it is open.
    void ReplaceDocuments(const Pick& pick) {
        static const wchar_t* const examples[3] = {L"demo.circuit", L"demo.symbol",
                                                   L"demo.footprint"};
        const int kind = pick(3);
        switch (Traced("ReplaceDocuments", pick(4))) {
        case 0:
            Command(kind == 0 ? ID_NEW_PROJECT : kind == 1 ? ID_NEW_SYMBOL : ID_NEW_FOOTPRINT);
            break;
        case 1:
            g_MainFrame.Open(Copy(examples[kind]), kind);
            break;
        case 2:
            g_MainFrame.Open(PathJoin(scratch, L"r.circuit"), 0);
            break;
        default:
            Command(ID_WINDOW_CLOSE_ALL);
            break;
        }
        if (g_Find.IsOpen() && pick(2))
            dialog_driver::ClickButton(g_Find, pick(2) ? IDOK : int{CFind::kMarkAll});
    }
    // Copy, cut or delete in one tree, sometimes a document replaced in
    // between, paste in any tree: copies carried across documents and kinds,
    // nodes leaving under the views open on them.
    void TreeClipboard(const Pick& pick) {
        auto select = [&](int kind) -> bool {
            CTreeNode* node = AnyNode(pick, kind);
            CLeftTabView* tree = g_MainFrame.m_leftPane.GetTree(kind);
            HTREEITEM item = node && tree ? tree->FindItem(node) : nullptr;
            if (!item)
                return false;
            g_MainFrame.m_leftPane.SelectTab(kind);
            tree->SetFocus();
            tree->SelectItem(item);
            PumpPendingMessages();
            return true;
        };
        if (const int from = pick(3); select(from)) {
            // Copied, cut, or deleted with the key (nothing on the clipboard
            // then): views inside what leaves close with it.
            const int how = pick(4);
            LookAtHistories();
            if (how == 3)
                SimulateKey(g_MainFrame.m_leftPane.GetTree(from), true, VK_DELETE);
            else
                Command(how == 2 ? ID_EDIT_CUT : ID_EDIT_COPY);
        }
        LookAtHistories();
        if (pick(2))
            ReplaceDocuments(pick);
        LookAtHistories();
        if (select(pick(3)))
            Command(ID_EDIT_PASTE);
    }

    // The document a Save or Save As wrote holds no work under way: the
    // file is the document as it is with whatever its views still have
    // under way ended.
    void ExpectSavedWithoutWorkUnderWay(
        const std::array<std::pair<std::wstring, std::string>, 3>& before, int step) {
        // Only the document the command saved: Save As may give two
        // documents one file.
        for (int kind = 0; kind < 3; ++kind) {
            if (kind != g_MainFrame.GetCurrentDocumentKind())
                continue;
            CRoot& root = g_MainFrame.GetRoot(kind);
            const std::wstring path = root.GetFilePath();
            const auto& [oldPath, oldBytes] = before[static_cast<size_t>(kind)];
            std::string written;
            if (!ReadWholeFile(path, written) || (path == oldPath && written == oldBytes))
                continue;
            g_MainFrame.DropWorkInDocument(kind);
            const std::wstring check = PathJoin(scratch, L"check.xml");
            CXmlFile file(&root);
            ASSERT_TRUE(file.Save(check.c_str()));
            root.SetFilePath(path);
            EXPECT_TRUE(ReadFile(check) == written)
                << "step " << step << ": the saved file holds work under way";
        }
    }

    // A key at the tab window (the shown view's), with Ctrl or Shift held.
    static void TabKey(int vk, int modifier = 0) {
        Traced("key", vk + (modifier << 16));
        CTabWindow& tabs = g_MainFrame.m_tabWindow;
        const WPARAM mk = modifier == VK_CONTROL ? MK_CONTROL : modifier ? MK_SHIFT : 0;
        const bool history = modifier == VK_CONTROL && (vk == 'Z' || vk == 'Y');
        if (history)
            LookAtHistories();
        tabs.SetFocus();
        if (modifier)
            SimulateKey(&tabs, true, modifier, L"", mk);
        SimulateKey(&tabs, true, vk, L"", mk);
        if (modifier)
            SimulateKey(&tabs, false, modifier);
        PumpPendingMessages();
        if (history)
            LookAtHistories();
    }
    // Undo or Redo (or another command) from the menu, the histories
    // looked at before and after.
    void HistoryCommand(int id) {
        LookAtHistories();
        Command(id);
        PumpPendingMessages();
        LookAtHistories();
    }
    // Ctrl and a digit in the board editor: the inner layer's rows.
    static void InnerLayerKey(int n) { TabKey('0' + n, VK_CONTROL); }
    // A value typed into a text row of the panel, or a check box clicked;
    // the row is left open at times. In the board editor a layer's rows may
    // come first.
    void PanelEdit(const Pick& pick) {
        CVorpelView* view = g_pActiveView;
        if (!view)
            return;
        if (dynamic_cast<CBoardView*>(view) && pick(2))
            InnerLayerKey(1 + pick(8));
        static const wchar_t* const texts[] = {L"1", L"2.5", L"x", L"-3", L"N1"};
        const int row = pick(std::max(1, g_MainFrame.GetPropertyGrid().GetRowCount()));
        TypeIntoRow(row, texts[pick(5)], pick(3));
    }
    // The panel's row clicked open (a check box clicked) and the text typed
    // over what it held, then Esc, Enter or nothing (end 0, 1, 2).
    static void TypeIntoRow(int row, const wchar_t* text, int end) {
        Traced("row", row);
        CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
        CPropertyListCtrl& rows = grid.GetList();
        CPropertyItem* item = grid.GetItem(row);
        RECT r{};
        const bool box = dynamic_cast<CPropertyCheckbox*>(item);
        if (!item || !rows.IsWindowVisible() || !rows.GetItemRect(row, &r) ||
            (!box && !dynamic_cast<CPropertyEdit*>(item)))
            return;
        const POINT p{rows.GetDivider() + (box ? 6 : 30), (r.top + r.bottom) / 2};
        ClickAt(&rows, p);
        PumpPendingMessages();
        PlatformWindow* field = PlatformWindow::GetFocus();
        if (!grid.IsEditing() || !field)
            return;
        SimulateTyping(field, text);
        if (end < 2)
            SimulateKey(field, true, end ? VK_RETURN : VK_ESCAPE);
    }
    // Undo or Redo in a tree (the project tree's most often), or a board's
    // dialog from the project tree, its editor open at times.
    // With onBoard, that board's stackup (dialog action stackup, see
    // BoardDialogAction).
    void TreeHistory(const Pick& pick, CTreeNode* onBoard = nullptr, int stackup = -1) {
        const int kind = onBoard || pick(2) ? 0 : pick(3);
        CLeftTabView* tree = g_MainFrame.m_leftPane.GetTree(kind);
        std::vector<CTreeNode*> boards;
        CollectNodes(&g_MainFrame.GetRoot(0), boards);
        std::erase_if(boards, [](const CTreeNode* n) { return n->GetType() != NodeType::Board; });
        CTreeNode* board = onBoard ? onBoard
                           : kind == 0 && !boards.empty() && pick(2) == 0
                               ? boards[static_cast<size_t>(pick(static_cast<int>(boards.size())))]
                               : nullptr;
        if (board && pick(2))
            g_MainFrame.OpenNodeView(board);
        g_MainFrame.m_leftPane.SelectTab(kind);
        tree->SetFocus();
        HTREEITEM item = board ? tree->FindItem(board) : nullptr;
        RECT r{};
        if (item) {
            tree->EnsureVisible(item);
            if (!tree->GetItemRect(item, &r, true))
                item = nullptr;
        }
        if (!item) {
            HistoryCommand(pick(2) ? ID_EDIT_UNDO : ID_EDIT_REDO);
            return;
        }
        menuAnswers.push_back(BoardDialogAction(pick, stackup));
        const POINT p{r.left - 8, (r.top + r.bottom) / 2};
        MouseAt(tree, WM_RBUTTONDOWN, p, MK_RBUTTON);
        MouseAt(tree, WM_RBUTTONUP, p);
        PumpPendingMessages();
        menuAnswers.clear();
        dialogAction = nullptr;
        // The board's editor shows the rows of its last inner layer.
        if (auto* view = dynamic_cast<CBoardView*>(g_pActiveView);
            view && view->GetDocument() == board && pick(2))
            InnerLayerKey(static_cast<int>(InnerLayers(board).size()));
    }
    // What a board's dialog run from the project tree does, and its
    // command: the stackup with a layer inserted (a plane at times), deleted
    // (with what lies on it, as the question is answered) or dragged to
    // another place, the board settings with a via inserted or deleted, or
    // the drill table with a size typed; closed with OK, the stackup at
    // times with Cancel. Chosen (never at random), the stackup with a
    // layer's type chosen (7) or a plane's net typed, the layer made a plane
    // first (8): stackupLayerKey is then the key that brings that layer to
    // the front of the board's editor.
    UINT BoardDialogAction(const Pick& pick, int chosen = -1) {
        const int what = chosen >= 0 ? chosen : pick(7);
        const int r1 = pick(20), r2 = pick(20);
        const bool ok = pick(5) != 0;
        auto inRange = [](ListViewControl* list, int r) {
            return list && r < list->GetItemCount();
        };
        dialogAction = [=, this](PlatformDialog& d) {
            auto* layers = d.GetDlgItemAs<CStackupListCtrl>(CStackup::kList);
            auto* vias = d.GetDlgItemAs<CViaListCtrl>(CBoardDialog::kViaList);
            auto* drills = d.GetDlgItemAs<ListViewControl>(CDrillTable::kList);
            // An inner layer's row (the stackup's rows read TOP, the inner
            // layers, BOT), and any row.
            const int count = layers   ? layers->GetItemCount()
                              : vias   ? vias->GetItemCount()
                              : drills ? drills->GetItemCount()
                                       : 0;
            const int row = layers ? 1 + r1 % std::max(1, count - 2) : r1 % std::max(1, count);
            const int onto = r2 % std::max(1, count);
            if (what <= 1) {
                dialog_driver::ClickButton(d, CStackup::kInsertLayer);
                if (what == 1 && inRange(layers, 2)) {
                    dialog_driver::ClickCell(layers, layers->GetItemCount() - 2,
                                             CStackupListCtrl::kColumnType);
                    if (ComboBoxControl* combo = layers->GetCellCombo())
                        dialog_driver::ChooseInCombo(combo, 1);
                }
            } else if (what == 2 && inRange(layers, row)) {
                dialog_driver::ClickCell(layers, row, CStackupListCtrl::kColumnLayer);
                dialog_driver::ClickButton(d, CStackup::kDeleteLayer);
            } else if (what == 3 && inRange(layers, row) && inRange(layers, onto)) {
                dialog_driver::DragRow(layers, row, onto);
            } else if (what == 4) {
                dialog_driver::ClickButton(d, CBoardDialog::kInsertVia);
            } else if (what == 5 && inRange(vias, row)) {
                // One via, or at times all of them: the next route that
                // changes layers adds a via to the board's settings.
                for (int left = r2 % 3 ? 1 : vias->GetItemCount(); left > 0; --left) {
                    dialog_driver::ClickCell(vias, std::min(row, vias->GetItemCount() - 1), 1);
                    dialog_driver::ClickButton(d, CBoardDialog::kDeleteVia);
                }
            } else if (what >= 7 && inRange(layers, 2)) {
                // Any row of the stackup, TOP and BOT among them.
                const int at = r1 % count;
                using Key = std::pair<int, int>;
                stackupLayerKey = at == 0           ? Key('1', 0)
                                  : at == count - 1 ? Key('2', 0)
                                                    : Key('0' + at, VK_CONTROL);
                CLayer* layer = layers->GetRowLayer(at);
                if (what == 7 || (layer && layer->m_layerType != kLayerTypePlane)) {
                    dialog_driver::ClickCell(layers, at, CStackupListCtrl::kColumnType);
                    if (ComboBoxControl* combo = layers->GetCellCombo())
                        dialog_driver::ChooseInCombo(
                            combo, what == 7 ? r2 % std::max(1, combo->GetCount()) : 1);
                }
                // At times its thermal connection too, which changes no
                // object on the layer.
                if (r2 % 4 == 3)
                    dialog_driver::ClickCell(layers, at, CStackupListCtrl::kColumnNoThermal);
                static const wchar_t* const nets[] = {L"GND", L"N1", L"DATA"};
                if (what == 8)
                    dialog_driver::EditCell(layers, at, CStackupListCtrl::kColumnNet, nets[r2 % 3]);
            } else if (what == 6 && inRange(drills, row)) {
                dialog_driver::ClickCell(drills, row, CDrillTable::kColumnDiameter);
                if (drills->GetCellEdit()) {
                    dialog_driver::TypeIntoCell(drills, row % 2 ? L"0.5" : L"1.1");
                    SimulateKey(drills->GetCellEdit(), true, VK_RETURN);
                }
            }
            dialog_driver::ClickButton(d, ok || !layers ? IDOK : IDCANCEL);
        };
        return what <= 3 || what >= 7 ? ID_PRJ_STACKUP
               : what <= 5            ? ID_PRJ_BOARD_PROPERTIES
                                      : ID_PRJ_DRILL_TABLE;
    }
    // Work in a board's editor: a route from a via on a layer its key
    // brings to the front, a track or an area picked and deleted (a whole
    // track at times), or the editor's Undo or Redo.
    void BoardWork(const Pick& pick) {
        std::vector<CTreeNode*> boards;
        CollectNodes(&g_MainFrame.GetRoot(0), boards);
        std::erase_if(boards, [](const CTreeNode* n) { return n->GetType() != NodeType::Board; });
        if (boards.empty())
            return;
        g_MainFrame.OpenNodeView(
            boards[static_cast<size_t>(pick(static_cast<int>(boards.size())))]);
        auto* view = dynamic_cast<CBoardView*>(g_pActiveView);
        if (!view)
            return;
        auto click = [&](float x, float y) {
            const POINT p = BoardClientPoint(view, x, y);
            MouseAt(view, WM_MOUSEMOVE, p);
            MouseAt(view, WM_LBUTTONDOWN, p, MK_LBUTTON);
            MouseAt(view, WM_LBUTTONUP, p);
        };
        CTabWindow& tabs = g_MainFrame.m_tabWindow;
        switch (Traced("BoardWork", pick(4))) {
        case 0: {
            std::vector<CTreeNode*> before;
            CollectNodes(view->GetDocument(), before);
            InnerLayerKey(pick(2) ? 1 : 1 + pick(4));
            Command(ID_BRD_ROUTE_NEW);
            click(pick(2) ? 30.0f : 18.0f, 12.0f);
            for (int i = 1 + pick(2); i > 0 && g_pActiveView == view; --i) {
                const float y = static_cast<float>(pick(40));
                click(static_cast<float>(pick(60)), y);
            }
            if (g_pActiveView != view)
                break;
            SimulateKey(&tabs, true, VK_ESCAPE);
            // The new track picked in the middle of its first segment, off
            // the grid, at times.
            std::vector<CTreeNode*> after;
            CollectNodes(view->GetDocument(), after);
            for (CTreeNode* node : after)
                if (auto* c = dynamic_cast<CConductor*>(node);
                    c && c->m_vertices.size() > 1 && pick(2) &&
                    std::find(before.begin(), before.end(), node) == before.end()) {
                    Command(ID_BRD_ROUTE_EDIT);
                    Command(ID_SNAP_TO_GRID);
                    click((c->m_vertices[0].x + c->m_vertices[1].x) / 2,
                          (c->m_vertices[0].y + c->m_vertices[1].y) / 2);
                    Command(ID_SNAP_TO_GRID);
                    break;
                }
            break;
        }
        case 1: {
            InnerLayerKey(1 + pick(3));
            Command(pick(2) ? ID_BRD_ROUTE_EDIT : ID_BRD_AREA_EDIT);
            // A track of the example or the one routed above, an area.
            static const float points[][2] = {
                {30, 16}, {33, 20}, {37.2f, 20.6f}, {12, 31}, {8, 31}};
            const auto& at = points[pick(5)];
            click(at[0], at[1]);
            if (g_pActiveView == view)
                TabKey(VK_DELETE, pick(2) ? VK_SHIFT : 0);
            break;
        }
        default:
            TabKey(pick(2) ? 'Z' : 'Y', VK_CONTROL);
            break;
        }
    }
    static std::vector<int> InnerLayers(const CTreeNode* board) {
        std::vector<int> inner;
        for (const CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Layer) {
                const int id = static_cast<const CLayer*>(child)->m_id;
                if (id >= 2 && id <= 21 && std::find(inner.begin(), inner.end(), id) == inner.end())
                    inner.push_back(id);
            }
        return inner;
    }
    // The panel shows a node of a document or an open view (or a part of
    // one of them); the board editor's layer selector lists its board's
    // layers.
    static void CheckPanel(int step) {
        CProperty* shown = g_MainFrame.GetPropertyGrid().GetShownObject();
        if (auto* node = dynamic_cast<CTreeNode*>(shown)) {
            bool found = false;
            for (int kind = 0; kind < 3; ++kind)
                found = found || Contains(&g_MainFrame.GetRoot(kind), node);
            ASSERT_TRUE(found) << "step " << step << ": the panel shows a "
                               << WideToUtf8(node->GetTagName()) << " of no document";
        } else if (auto* view = dynamic_cast<CVorpelView*>(shown)) {
            const auto& views = g_MainFrame.m_tabWindow.GetViews();
            ASSERT_NE(std::find(views.begin(), views.end(), view), views.end()) << "step " << step;
        }
        auto* view = dynamic_cast<CBoardView*>(g_pActiveView);
        if (!view)
            return;
        ASSERT_EQ(g_MainFrame.m_boardLayerCombo.GetCount(),
                  13 + static_cast<int>(InnerLayers(view->GetDocument()).size()))
            << "step " << step;
    }

    // --- Sheets under their drawings -------------------------------------------------
    static std::vector<CTreeNode*> NodesOfType(int kind, int type) {
        std::vector<CTreeNode*> nodes;
        CollectNodes(&g_MainFrame.GetRoot(kind), nodes);
        std::erase_if(nodes, [type](const CTreeNode* n) { return n->GetType() != type; });
        return nodes;
    }
    static CTreeNode* AnyOf(const Pick& pick, int kind, int type) {
        std::vector<CTreeNode*> nodes = NodesOfType(kind, type);
        return nodes.empty() ? nullptr : nodes[static_cast<size_t>(pick(int(nodes.size())))];
    }
    // The node's item selected in its focused tree; with a command, its
    // context menu answered with it.
    CLeftTabView* SelectInTree(int kind, CTreeNode* node, UINT command = 0) {
        CLeftTabView* tree = g_MainFrame.m_leftPane.GetTree(kind);
        HTREEITEM item = node ? tree->FindItem(node) : nullptr;
        RECT r{};
        g_MainFrame.m_leftPane.SelectTab(kind);
        tree->SetFocus();
        if (!item || (tree->EnsureVisible(item), tree->SelectItem(item), PumpPendingMessages(),
                      !tree->GetItemRect(item, &r, true)))
            return nullptr;
        if (!command)
            return tree;
        LookAtHistories();
        menuAnswers.assign(1, command);
        MouseAt(tree, WM_RBUTTONDOWN, POINT{r.left - 8, r.top + 2}, MK_RBUTTON);
        MouseAt(tree, WM_RBUTTONUP, POINT{r.left - 8, r.top + 2});
        PumpPendingMessages();
        menuAnswers.clear();
        LookAtHistories();
        return tree;
    }
    // Sheets added or renamed (to names sheets had or have), deleted, cut
    // and pasted, with their views open and wires drawn on them; symbols and
    // footprints in use deleted; tabs closed and opened again; the project
    // saved and read again.
    void SheetStep(const Pick& pick) {
        CTreeNode* sheet = AnyOf(pick, 0, NodeType::Sheet);
        const int kind = 1 + pick(2);
        switch (Traced("SheetStep", pick(8))) {
        case 0:
        case 5:
            SelectInTree(0, pick(2) ? AnyOf(pick, 0, NodeType::Board) : sheet,
                         pick(2) ? ID_PRJ_ADD_SHEET : ID_TREE_RENAME);
            if (EditControl* edit = g_MainFrame.m_leftPane.GetTree(0)->GetEditControl()) {
                static const wchar_t* const names[] = {L"Main", L"Power", L"Sheet 1", L"Spare"};
                edit->SetSel(0, -1);
                SimulateTyping(edit, names[pick(4)]);
                SimulateKey(edit, true, pick(4) ? VK_RETURN : VK_ESCAPE);
            }
            break;
        case 1:
        case 2:
        case 6:
            if (CVorpelView* view = sheet ? g_MainFrame.OpenNodeView(sheet) : nullptr) {
                Command(ID_SCH_PLACE_WIRE);
                for (int i = 3; i > 0 && g_pActiveView == view; --i)
                    ClickAt(view, POINT{60 + pick(400), 60 + pick(300)});
                for (UINT msg : {WM_RBUTTONDOWN, WM_RBUTTONUP})
                    if (g_pActiveView == view)
                        MouseAt(view, msg, POINT{60, 60}, msg == WM_RBUTTONDOWN ? MK_RBUTTON : 0);
                SimulateKey(&g_MainFrame.m_tabWindow, true, VK_ESCAPE);
                PumpPendingMessages();
            }
            LookAtHistories();
            if (pick(3) == 0)
                break;
            SelectInTree(0, sheet, pick(2) ? ID_PRJ_DELETE_SHEET : ID_EDIT_CUT);
            SelectInTree(0, AnyOf(pick, 0, NodeType::Board), pick(2) ? ID_EDIT_PASTE : 0);
            break;
        case 3:
            if (CLeftTabView* tree = SelectInTree(
                    kind, AnyOf(pick, kind, kind == 2 ? NodeType::Footprint : NodeType::Package)))
                SimulateKey(tree, true, VK_DELETE);
            break;
        case 4:
            if (g_MainFrame.m_tabWindow.GetTabCount() > 0)
                g_MainFrame.m_tabWindow.CloseTab(pick(g_MainFrame.m_tabWindow.GetTabCount()),
                                                 pick(2) != 0);
            if (sheet)
                g_MainFrame.OpenNodeView(sheet);
            break;
        default:
            if (const std::wstring path = g_MainFrame.GetRoot(0).GetFilePath();
                !path.empty() && SelectInTree(0, &g_MainFrame.GetRoot(0))) {
                Command(ID_FILE_SAVE);
                // Save As of another document may have given it the file.
                std::string bytes;
                if (!g_MainFrame.IsDocumentModified(0) && ReadWholeFile(path, bytes) &&
                    bytes.find("<Project") != std::string::npos) {
                    ASSERT_TRUE(g_MainFrame.Open(path, 0));
                }
            }
            break;
        }
    }
    // Every sheet of the project shows only objects of its document that lie
    // on it; every object of a board is saved with a sheet name that finds
    // the sheet it lies on in its board, or none when it lies on none there.
    static void CheckSheets(int step) {
        for (CTreeNode* node : NodesOfType(0, NodeType::Sheet))
            for (CSheetObject* object : static_cast<CSheet*>(node)->m_objects)
                ASSERT_TRUE(Contains(&g_MainFrame.GetRoot(0), object) &&
                            static_cast<CSheet*>(object->m_pSheet) == node)
                    << "step " << step << ": sheet " << WideToUtf8(node->GetText())
                    << " shows an object of no document, or of another sheet";
        for (CTreeNode* board : NodesOfType(0, NodeType::Board)) {
            // A test view's rename undone may give two sheets one name,
            // which no user can.
            std::set<std::wstring> names;
            bool twice = false;
            for (CTreeNode* child : board->GetChildren())
                if (child->GetType() == NodeType::Sheet)
                    twice = twice || !names.insert(child->GetText()).second;
            std::vector<CTreeNode*> nodes;
            CollectNodes(board, nodes);
            for (CTreeNode* node : nodes) {
                auto* object = dynamic_cast<CSheetObject*>(node);
                if (twice || !object ||
                    (node->GetType() == NodeType::Text && node->GetParent() != board))
                    continue;
                CSheet* sheet = object->m_pSheet;
                node->WriteAttributes();
                const std::wstring name(node->FindAttribute(L"SheetName").value_or(L""));
                CSheet* expected = sheet && sheet->GetParent() == board ? sheet : nullptr;
                ASSERT_EQ(FindSheetByName(board, name), expected)
                    << "step " << step << ": a " << WideToUtf8(node->GetTagName())
                    << " saved on sheet \"" << WideToUtf8(name) << "\" lies on "
                    << (sheet ? WideToUtf8(sheet->GetName()) : std::string("none"))
                    << (sheet && !expected ? ", out of the board" : "");
            }
        }
    }

    // --- Two sheets and their board side by side -------------------------------------
    // The editors of a board's sheets Main and Power (or of any two of its
    // sheets) and of the board, each opened where it is not open.
    static std::vector<CTreeNode*> Pages(CTreeNode* board) {
        std::vector<CTreeNode*> sheets;
        for (const wchar_t* name : {L"Main", L"Power"})
            if (CSheet* sheet = FindSheetByName(board, name))
                sheets.push_back(sheet);
        for (CTreeNode* child : board->GetChildren())
            if (sheets.size() < 2 && child->GetType() == NodeType::Sheet &&
                std::find(sheets.begin(), sheets.end(), child) == sheets.end())
                sheets.push_back(child);
        sheets.push_back(board);
        return sheets;
    }
    // The client point of a sheet's grid point in its editor.
    static POINT SheetClientPoint(CSchematicView* view, POINT grid) {
        const int g = view->GetGrid();
        std::unique_ptr<DeviceContext> dc = view->MakeDC();
        return view->LogicalToClient(dc.get(), POINT{grid.x * g, grid.y * g});
    }
    // Where a sheet has something to click: its pins' ends, its parts, the
    // ends and middles of its wires, and an empty place or two; or only its
    // parts.
    static std::vector<POINT> SheetSpots(CSchematicView* view, const Pick& pick,
                                         bool parts = false) {
        std::vector<POINT> spots{{5 + pick(40), 5 + pick(30)}, {3 + pick(30), 16 + pick(10)}};
        CSheet* sheet = view->GetSheet();
        if (parts)
            spots.clear();
        if (!sheet)
            return spots;
        for (CSheetObject* object : sheet->m_objects) {
            if (auto* part = dynamic_cast<CPart*>(object); parts) {
                if (part)
                    spots.push_back(POINT{part->m_position.x + 1, part->m_position.y + 1});
            } else if (auto* wire = dynamic_cast<CWire*>(object)) {
                const POINT a = wire->GetStart(), b = wire->GetEnd();
                spots.insert(spots.end(), {a, b, POINT{(a.x + b.x) / 2, (a.y + b.y) / 2}});
            } else if (auto* part = dynamic_cast<CPart*>(object)) {
                spots.push_back(POINT{part->m_position.x + 1, part->m_position.y + 1});
                for (CTreeNode* child : part->GetChildren())
                    if (auto* pin = dynamic_cast<CPin*>(child))
                        spots.push_back(pin->GetConnectionPoint());
            }
        }
        return spots;
    }
    // Where a board has something to click: its pads and vias, or only its
    // components' pads.
    static std::vector<PointF> BoardSpots(CTreeNode* board, bool components = false) {
        std::vector<CTreeNode*> nodes;
        CollectNodes(board, nodes);
        std::vector<PointF> spots;
        for (CTreeNode* node : nodes)
            if (auto* pad = dynamic_cast<CPad*>(node); pad && (!components || pad->GetFootprint()))
                spots.push_back(pad->GetBoardPosition());
        return spots;
    }
    // A value typed into one of the panel's text rows (or a check box
    // clicked), mostly ended with Enter: a grid, a width, a size or a name.
    void PanelValue(const Pick& pick) {
        CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
        std::vector<int> rows;
        for (int row = 0; row < grid.GetRowCount(); ++row)
            if (dynamic_cast<CPropertyEdit*>(grid.GetItem(row)) ||
                dynamic_cast<CPropertyCheckbox*>(grid.GetItem(row)))
                rows.push_back(row);
        static const wchar_t* const values[] = {L"0.025", L"1.27", L"2.54", L"0.5", L"12", L"VCC"};
        if (!rows.empty())
            TypeIntoRow(rows[static_cast<size_t>(pick(static_cast<int>(rows.size())))],
                        values[pick(6)], pick(5) ? 1 : pick(3));
    }
    // The part browser's answer: a package of the first library file (a
    // unit of it at times), OK.
    static void ChoosePart(PlatformDialog& d, int package, int unit) {
        auto* files = d.GetDlgItemAs<ListBoxControl>(CSelPart::kFileList);
        auto* packages = d.GetDlgItemAs<ListBoxControl>(CSelPart::kPackageList);
        if (!files || !packages || !ClickEntry(files, 0) ||
            !ClickEntry(packages, package % std::max(1, packages->GetCount())))
            return;
        if (unit > 1)
            if (auto* edit = d.GetDlgItemAs<EditControl>(CSelPart::kPartNumber)) {
                d.GotoDlgCtrl(edit);
                edit->SetSel(0, -1);
                SimulateTyping(edit, std::to_wstring(unit));
            }
        dialog_driver::ClickButton(d, IDOK);
    }
    static bool ClickEntry(ListBoxControl* list, int index) {
        RECT r{};
        if (!list->GetItemRect(index, &r))
            return false;
        dialog_driver::Click(list, POINT{5, (r.top + r.bottom) / 2});
        return true;
    }
    // Work on a sheet: wires drawn from and to pins and wires (new nets,
    // nets joined), what a click picks deleted (wires, parts, units), parts
    // placed from the library, a net renamed or a power pin given a net in
    // the panel, a package's footprint changed from its row, the sheet's
    // rows edited, the editor's Undo and Redo.
    void SheetWork(CSchematicView* view, const Pick& pick) {
        const std::vector<POINT> spots = SheetSpots(view, pick);
        auto spot = [&] {
            return spots[static_cast<size_t>(pick(static_cast<int>(spots.size())))];
        };
        auto click = [&](POINT grid) {
            if (g_pActiveView == view)
                ClickAt(view, SheetClientPoint(view, grid));
        };
        auto select = [&](POINT grid) {
            Command(ID_TOOL_SELECT);
            click(grid);
        };
        static const wchar_t* const nets[] = {L"N1", L"GND", L"DATA", L"VCC", L"N7"};
        switch (Traced("SheetWork", pick(9))) {
        case 0:
        case 1: {
            Command(ID_SCH_PLACE_WIRE);
            POINT at = spot();
            click(at);
            for (int i = 1 + pick(3); i > 0; --i) {
                // Straight on at times, to a pin or a wire at others.
                const POINT next = pick(2) ? spot() : POINT{at.x + pick(7) - 3, at.y};
                click(at = next);
            }
            TabKey(VK_ESCAPE);
            break;
        }
        case 2:
            select(spot());
            TabKey(VK_DELETE);
            break;
        case 3: {
            const int package = pick(3), unit = 1 + pick(4);
            dialogAction = [=](PlatformDialog& d) { ChoosePart(d, package, unit); };
            Command(ID_SCH_PLACE_PART);
            dialogAction = nullptr;
            for (int i = 1 + pick(2); i > 0 && view->IsPartFloating(); --i)
                click(POINT{5 + pick(40), 5 + pick(30)});
            TabKey(VK_ESCAPE);
            break;
        }
        case 4:
            // A wire's net renamed (onto another net at times), or a power
            // symbol's net.
            select(spot());
            TypeIntoRow(0, nets[pick(5)], pick(4) ? 1 : pick(3));
            break;
        case 5: {
            const std::vector<POINT> parts = SheetSpots(view, pick, true);
            if (parts.empty())
                break;
            select(parts[static_cast<size_t>(pick(static_cast<int>(parts.size())))]);
            CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
            auto* row = dynamic_cast<CPropertyEditAndButton*>(grid.GetItem(0));
            if (row && !row->GetButton()) {
                // Buttons come with the row's first painting.
                const RECT r = grid.GetClientRect();
                auto image = PaintTarget::CreateImage(std::max(1, static_cast<int>(r.right)),
                                                      std::max(1, static_cast<int>(r.bottom)));
                grid.RenderTo(*image);
            }
            if (!row || !row->GetButton())
                break;
            static const wchar_t* const footprints[] = {L"CONN2", L"R0805", L"DIP8", L"SO14"};
            const std::wstring name = footprints[pick(4)];
            dialogAction = [=](PlatformDialog& d) { (void)ChooseFootprintInBrowser(d, name); };
            ClickAt(row->GetButton(), POINT{3, 3});
            PumpPendingMessages();
            dialogAction = nullptr;
            break;
        }
        case 6:
            // The sheet's rows (a click on nothing shows them), or what the
            // click picked.
            select(pick(2) ? POINT{50 + pick(20), 40 + pick(20)} : spot());
            PanelValue(pick);
            break;
        default:
            TabKey(pick(3) ? 'Z' : 'Y', VK_CONTROL);
            break;
        }
    }
    // Work on the board: routes from pads and vias, components moved (one
    // placed from a sheet onto the board), flipped, turned or deleted, the
    // outline's edges dragged or deleted, the board's rows edited, and the
    // editor's routes, deletes, Undo and Redo as BoardWork does them.
    void BoardPageWork(CBoardView* view, const Pick& pick, int chosen = -1) {
        CTreeNode* board = view->GetDocument();
        const std::vector<PointF> spots = BoardSpots(board), pads = BoardSpots(board, true);
        auto spot = [&](bool component = false) {
            const std::vector<PointF>& at = component ? pads : spots;
            return at.empty() ? PointF{30, 20}
                              : at[static_cast<size_t>(pick(static_cast<int>(at.size())))];
        };
        auto mouse = [&](UINT msg, PointF at, WPARAM mk = 0) {
            if (g_pActiveView == view)
                MouseAt(view, msg, BoardClientPoint(view, at.X, at.Y), mk);
        };
        auto click = [&](PointF at) {
            mouse(WM_MOUSEMOVE, at);
            mouse(WM_LBUTTONDOWN, at, MK_LBUTTON);
            mouse(WM_LBUTTONUP, at);
        };
        auto drag = [&](PointF from, PointF to) {
            mouse(WM_MOUSEMOVE, from);
            mouse(WM_LBUTTONDOWN, from, MK_LBUTTON);
            mouse(WM_MOUSEMOVE, from, MK_LBUTTON);
            mouse(WM_MOUSEMOVE, to, MK_LBUTTON);
            mouse(WM_LBUTTONUP, to);
        };
        auto near = [&](PointF at) {
            return PointF{at.X + static_cast<float>(pick(9) - 4),
                          at.Y + static_cast<float>(pick(9) - 4)};
        };
        switch (Traced("BoardPageWork", chosen >= 0 ? chosen : pick(8))) {
        case 0: {
            // On an inner layer at times (its key brings it to the front).
            if (pick(2))
                InnerLayerKey(1 + pick(4));
            Command(ID_BRD_ROUTE_NEW);
            PointF at = spot();
            click(at);
            for (int i = 1 + pick(2); i > 0; --i)
                click(at = pick(3) ? near(at) : spot());
            TabKey(VK_ESCAPE);
            break;
        }
        case 1: {
            // A component dragged, off the board's edge too: a part placed
            // on a sheet waits below the board.
            Command(ID_BRD_MOVE_COMPONENT);
            const PointF from = pick(4) ? spot(true) : PointF{0, -10};
            drag(from, pick(4) ? near(from) : PointF{10.0f + pick(40), 5.0f + pick(30)});
            break;
        }
        case 2: {
            Command(ID_BRD_MOVE_COMPONENT);
            click(spot(true));
            static const int keys[] = {'B', 'T', 'R', VK_DELETE};
            TabKey(keys[pick(4)]);
            break;
        }
        case 3: {
            // An edge picked, then a corner or the edge dragged, or the
            // edge deleted; Esc shows the board's rows at times.
            static const PointF edges[] = {{30, 0}, {60, 20}, {30, 40}, {0, 20}};
            static const PointF corners[] = {{60, 0}, {60, 40}, {0, 0}};
            Command(ID_BRD_OUTLINE);
            const PointF edge = edges[pick(4)];
            click(edge);
            if (const int how = pick(3); how == 0)
                TabKey(VK_DELETE);
            else {
                const PointF from = how == 1 ? corners[pick(3)] : edge;
                drag(from, PointF{from.X - static_cast<float>(pick(5)),
                                  from.Y + static_cast<float>(pick(5) - 2)});
            }
            if (pick(2))
                TabKey(VK_ESCAPE);
            break;
        }
        case 4:
            // The board's own rows: Esc leaves the tool's selection.
            TabKey(VK_ESCAPE);
            PanelValue(pick);
            break;
        case 5:
            BoardWork(pick);
            break;
        default:
            TabKey(pick(3) ? 'Z' : 'Y', VK_CONTROL);
            break;
        }
    }
    // A row of the panel by its name: its check box clicked, or an entry
    // of its list (index, counted round) chosen.
    void UseNamedRow(const wchar_t* name, int index) {
        CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
        CPropertyListCtrl& rows = grid.GetList();
        for (int row = 0; row < grid.GetRowCount(); ++row) {
            CPropertyItem* item = grid.GetItem(row);
            if (!item || item->GetName() != name)
                continue;
            if (dynamic_cast<CPropertyCheckbox*>(item)) {
                TypeIntoRow(row, L"", 2);
                return;
            }
            auto* combo = dynamic_cast<CPropertyComboBase*>(item);
            RECT r{};
            if (!combo || !rows.IsWindowVisible() || !rows.GetItemRect(row, &r))
                return;
            const POINT at{rows.GetDivider() + 30, (r.top + r.bottom) / 2};
            MouseAt(&rows, WM_LBUTTONDOWN, at, MK_LBUTTON);
            MouseAt(&rows, WM_LBUTTONUP, at);
            PumpPendingMessages();
            if (ComboBoxControl* editor = combo->GetEditor(); editor && editor->GetCount() > 0) {
                editor->SetCurSel(index % editor->GetCount());
                grid.CommitRow(row);
                PumpPendingMessages();
            }
            return;
        }
    }
    // The texts of the packages whose parts a sheet shows, each where it is
    // drawn beside the part: a package with parts on two sheets has its
    // texts drawn on both.
    static std::vector<std::pair<CText*, POINT>> PackageTexts(CSchematicView* view) {
        std::vector<std::pair<CText*, POINT>> texts;
        CSheet* sheet = view->GetSheet();
        if (!sheet)
            return texts;
        std::unique_ptr<DeviceContext> dc = view->MakeDC();
        for (CSheetObject* object : sheet->m_objects)
            if (auto* part = dynamic_cast<CPart*>(object); part && part->GetParent())
                for (CTreeNode* child : part->GetParent()->GetChildren())
                    if (auto* text = dynamic_cast<CText*>(child); text && text->m_visible) {
                        const RECT r = text->GetDisplayRect(dc.get(), part);
                        texts.emplace_back(
                            text, view->LogicalToClient(dc.get(), POINT{(r.left + r.right) / 2,
                                                                        (r.top + r.bottom) / 2}));
                    }
        return texts;
    }
    // The status bar's unit pane clicked: the shown editor's unit changes,
    // recorded in no history.
    static void CycleUnitInStatusBar() {
        CSchStatusBar& bar = g_MainFrame.m_statusBar;
        if (!bar.IsWindowVisible())
            return;
        const RECT r = bar.GetRect(CSchStatusBar::kPaneUnit);
        const POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        LookAtHistories();
        MouseAt(&bar, WM_LBUTTONDOWN, at, MK_LBUTTON);
        MouseAt(&bar, WM_LBUTTONUP, at);
        PumpPendingMessages();
        LookAtHistories();
    }
    // One change of a package text from one editor: on a sheet dragged
    // (0), its "Show on board" clicked (1) or its package's footprint typed
    // anew (2); on the board deleted (3), put on another layer (4) or on its
    // twin on the other side (5). False where the editor does not show the
    // text.
    bool ChangeTextFrom(CText* text, CTreeNode* where, int how, const Pick& pick) {
        CVorpelView* opened = g_MainFrame.OpenNodeView(where);
        if (auto* view = dynamic_cast<CSchematicView*>(opened)) {
            const auto texts = PackageTexts(view);
            auto shown = std::find_if(texts.begin(), texts.end(),
                                      [text](const auto& t) { return t.first == text; });
            if (shown == texts.end())
                return false;
            const POINT at = shown->second;
            TabKey(VK_ESCAPE);
            Command(ID_TOOL_SELECT);
            if (how == 0) {
                const POINT to{at.x + pick(121) - 60, at.y + pick(121) - 60};
                MouseAt(view, WM_MOUSEMOVE, at);
                MouseAt(view, WM_LBUTTONDOWN, at, MK_LBUTTON);
                MouseAt(view, WM_MOUSEMOVE, POINT{at.x + 3, at.y + 3}, MK_LBUTTON);
                MouseAt(view, WM_MOUSEMOVE, to, MK_LBUTTON);
                MouseAt(view, WM_LBUTTONUP, to);
            } else if (how == 1) {
                ClickAt(view, at);
                PumpPendingMessages();
                UseNamedRow(L"Show on board", 0);
            } else {
                // A part of the package on this sheet shows the package's
                // rows, the footprint first.
                CSheet* sheet = view->GetSheet();
                if (!sheet)
                    return true;
                for (CSheetObject* object : sheet->m_objects)
                    if (auto* part = dynamic_cast<CPart*>(object);
                        part && part->GetParent() == text->GetParent()) {
                        ClickAt(view, SheetClientPoint(view, POINT{part->m_position.x + 1,
                                                                   part->m_position.y + 1}));
                        PumpPendingMessages();
                        const std::vector<CTreeNode*> footprints =
                            NodesOfType(2, NodeType::Footprint);
                        const int n = pick(static_cast<int>(footprints.size()) + 1);
                        const std::wstring name =
                            n < static_cast<int>(footprints.size())
                                ? footprints[static_cast<size_t>(n)]->GetText()
                                : std::wstring(L"x");
                        if (g_MainFrame.GetPropertyGrid().GetRowCount() > 0)
                            TypeIntoRow(0, name.c_str(), 1);
                        break;
                    }
            }
            return true;
        }
        auto* view = dynamic_cast<CBoardView*>(opened);
        if (!view || !text->m_boardVisible)
            return false;
        const std::optional<PointF> on = PointOnBoardText(view, text);
        if (!on)
            return false;
        TabKey(VK_ESCAPE);
        Command(ID_BRD_TEXT_EDIT);
        ClickAt(view, BoardClientPoint(view, on->X, on->Y));
        PumpPendingMessages();
        if (g_pActiveView != view)
            return true;
        if (how == 3)
            TabKey(VK_DELETE);
        else if (how == 4)
            UseNamedRow(L"Layer", pick(14));
        else
            UseNamedRow(L"Layer", LayerRowEntry(text->GetLayer() ^ 1));
        return true;
    }
    // A board point inside a text drawn on the board, as the text's own hit
    // test finds it: the middle of the points that hit. A package text lies
    // where its footprint puts it.
    static std::optional<PointF> PointOnBoardText(CBoardView* view, CText* text) {
        auto g = view->MakeGraphics();
        CPackage* package = text->GetHoldingPackage();
        CFootprint* footprint = package ? package->GetFootprint() : nullptr;
        double sx = 0, sy = 0;
        int n = 0;
        for (float dy = -4; dy <= 4; dy += 0.25f)
            for (float dx = -4; dx <= 6; dx += 0.25f) {
                const PointF local{text->m_boardPosition.X + dx, text->m_boardPosition.Y + dy};
                if (!text->HitTestOnBoard(g.get(), local.X, local.Y))
                    continue;
                const PointF p = footprint ? footprint->LocalToBoard(local.X, local.Y) : local;
                sx += p.X;
                sy += p.Y;
                ++n;
            }
        if (n == 0)
            return std::nullopt;
        return PointF{static_cast<float>(sx / n), static_cast<float>(sy / n)};
    }
    // The entry of the panel's "Layer" row that puts what it shows on the
    // layer given (the first entry where it offers none).
    static int LayerRowEntry(int layer) {
        CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
        for (int row = 0; row < grid.GetRowCount(); ++row)
            if (auto* combo = dynamic_cast<CLayerCombobox*>(grid.GetItem(row))) {
                const std::vector<unsigned> ids = combo->OfferedIds();
                const auto at = std::find(ids.begin(), ids.end(),
                                          kLayerNameBase + static_cast<unsigned>(layer));
                return at == ids.end() ? 0 : static_cast<int>(at - ids.begin());
            }
        return 0;
    }
    // A package's texts from two sides: changed on a sheet (the same text
    // from the other sheet showing its package's other part at times) or on
    // the board; or the board's unit cycled in the status bar. At times one
    // text is changed from two editors in turn and the first editor's step
    // then undone (and redone), or the second's and then the first's: a
    // step must take back only what it changed. A value of two (shown on
    // the board or not, a side's layer or its twin's) set back by the second
    // editor to where the first step found it may be set a third time: the
    // first step, forgotten once the second editor changed what it changed,
    // must not come back as its value comes back, nor the second's when the
    // first editor changes it again.
    void PackageTextWork(CTreeNode* board, const std::vector<CTreeNode*>& pages, const Pick& pick) {
        const int what = Traced("PackageTextWork", pick(6));
        if (what <= 1 && pages.size() > 1) {
            CTreeNode* page = pages[static_cast<size_t>(pick(static_cast<int>(pages.size()) - 1))];
            auto* view = dynamic_cast<CSchematicView*>(g_MainFrame.OpenNodeView(page));
            if (!view)
                return;
            const std::vector<std::pair<CText*, POINT>> texts = PackageTexts(view);
            if (!texts.empty())
                ChangeTextFrom(
                    texts[static_cast<size_t>(pick(static_cast<int>(texts.size())))].first, page,
                    what, pick);
            return;
        }
        if (what == 4) {
            if (g_MainFrame.OpenNodeView(board))
                CycleUnitInStatusBar();
            return;
        }
        std::vector<CText*> texts;
        for (CTreeNode* node : NodesOfType(0, NodeType::Text))
            if (auto* text = dynamic_cast<CText*>(node);
                text && text->GetParent() && text->GetParent()->GetType() == NodeType::Package &&
                FindBoardAbove(text) == board && (what == 5 || text->m_boardVisible))
                texts.push_back(text);
        if (texts.empty())
            return;
        CText* text = texts[static_cast<size_t>(pick(static_cast<int>(texts.size())))];
        if (what != 5) {
            ChangeTextFrom(text, board, what + 1, pick);
            return;
        }
        // Two editors change the same value of the text: its place on two
        // sheets, its showing on the board from a sheet and the board, or
        // its layer from the board and by a sheet's footprint change.
        std::vector<CTreeNode*> showing;
        for (CTreeNode* page : pages)
            if (auto* view = dynamic_cast<CSchematicView*>(page->GetEditorView()))
                for (const auto& [shown, at] : PackageTexts(view))
                    if (shown == text) {
                        showing.push_back(page);
                        break;
                    }
        if (showing.empty())
            return;
        CTreeNode* page = showing[static_cast<size_t>(pick(static_cast<int>(showing.size())))];
        int pair = pick(3);
        if (pair == 0 && showing.size() < 2)
            pair = 1 + pick(2);
        std::pair<CTreeNode*, int> first{page, 1}, second{board, 3};
        if (pair == 0) {
            first.second = 0;
            second = {showing[0] == page ? showing[1] : showing[0], 0};
        } else if (pair == 2) {
            first = {board, pick(2) ? 4 : 5};
            second = {page, 2};
        }
        if (pick(2))
            std::swap(first, second);
        Traced("crossing", pair);
        if (!ChangeTextFrom(text, first.first, first.second, pick))
            return;
        PumpPendingMessages();
        if (!Contains(&g_MainFrame.GetRoot(0), text) ||
            !Contains(&g_MainFrame.GetRoot(0), second.first) ||
            !ChangeTextFrom(text, second.first, second.second, pick))
            return;
        PumpPendingMessages();
        auto history = [](CTreeNode* where, int key) {
            if (Contains(&g_MainFrame.GetRoot(0), where) && g_MainFrame.OpenNodeView(where))
                TabKey(key, VK_CONTROL);
        };
        const int end = pick(4);
        if (end == 3) {
            // The third crossing, by the first editor where it can (a text
            // hidden on the board is no longer the board's to delete), else
            // by the second; then the Undos of both, the first's twice.
            Traced("third crossing", pair);
            auto again = [&](const std::pair<CTreeNode*, int>& by) {
                return Contains(&g_MainFrame.GetRoot(0), text) &&
                       Contains(&g_MainFrame.GetRoot(0), by.first) &&
                       ChangeTextFrom(text, by.first, by.second, pick);
            };
            if (!again(first) && !again(second))
                return;
            PumpPendingMessages();
            const bool secondFirst = pick(2) != 0;
            if (secondFirst)
                history(second.first, 'Z');
            history(first.first, 'Z');
            history(first.first, 'Z');
            if (!secondFirst)
                history(second.first, 'Z');
            return;
        }
        if (end == 0)
            history(second.first, 'Z');
        history(first.first, 'Z');
        if (pick(2))
            history(first.first, 'Y');
    }
    // A few steps among a board's two sheets and its board, each in its
    // own editor, with the tree's steps and the board's dialogs between
    // them and tabs closed (the changes kept or thrown away) and opened
    // again; the histories and the board editors' indexes are checked
    // after each.
    void ProjectStep(const Pick& pick, int step, unsigned seed) {
        // The example read again at times, and where no board has two
        // sheets (its changes thrown away).
        auto twoSheets = [](const CTreeNode* board) {
            return std::count_if(
                       board->GetChildren().begin(), board->GetChildren().end(),
                       [](const CTreeNode* n) { return n->GetType() == NodeType::Sheet; }) >= 2;
        };
        const std::vector<CTreeNode*> boards = NodesOfType(0, NodeType::Board);
        if (pick(10) == 0 || std::none_of(boards.begin(), boards.end(), twoSheets)) {
            ui.DropAnswers();
            ui.Answer({IDNO});
            g_MainFrame.Open(Copy(L"demo.circuit"), 0);
            ui.DropAnswers();
            LookAtHistories();
        }
        CTreeNode* board = AnyOf(pick, 0, NodeType::Board);
        if (!board)
            return;
        CTabWindow& tabs = g_MainFrame.m_tabWindow;
        for (int i = 1 + pick(5); i > 0 && !HasFailure(); --i) {
            // The pages of the board may have gone with the last step.
            if (!Contains(&g_MainFrame.GetRoot(0), board))
                return;
            const std::vector<CTreeNode*> pages = Pages(board);
            for (CTreeNode* page : pages)
                if (!page->GetEditorView() && g_MainFrame.OpenNodeView(page) && pick(2))
                    Command(ID_VIEW_ZOOM_ALL);
            CTreeNode* page = pages[static_cast<size_t>(pick(static_cast<int>(pages.size())))];
            switch (Traced("ProjectStep", pick(15))) {
            case 9:
            case 10:
                PackageTextWork(board, pages, pick);
                break;
            case 11:
                TrackAcrossHistories(board, pick);
                break;
            case 12:
            case 13:
                StepRouteAndUndo(board, pages, pick);
                break;
            case 14:
                StepRenameAndUndo(board, pages, pick);
                break;
            case 0: {
                // The page's tab closed with its close button, its changes
                // kept or thrown away.
                const int tab = tabs.FindTabByDocument(page);
                if (tab < 0)
                    break;
                ui.DropAnswers();
                ui.Answer({pick(2) ? IDYES : IDNO});
                const RECT r = CTabWindow::CloseButtonRect(tab);
                const POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
                MouseAt(&tabs, WM_MOUSEMOVE, p);
                MouseAt(&tabs, WM_LBUTTONDOWN, p, MK_LBUTTON);
                MouseAt(&tabs, WM_LBUTTONUP, p);
                ui.DropAnswers();
                break;
            }
            case 2:
                SheetNamedAgain(board, step);
                break;
            case 1:
                // A tree step or a board's dialog, the board editor's Undo
                // or Redo over what it changed at times.
                TreeHistory(pick);
                if (Contains(&g_MainFrame.GetRoot(0), board) && board->GetEditorView() && pick(2) &&
                    g_MainFrame.OpenNodeView(board))
                    TabKey(pick(3) ? 'Z' : 'Y', VK_CONTROL);
                break;
            default: {
                CVorpelView* view = g_MainFrame.OpenNodeView(page);
                if (auto* sheetView = dynamic_cast<CSchematicView*>(view))
                    SheetWork(sheetView, pick);
                else if (auto* boardView = dynamic_cast<CBoardView*>(view))
                    BoardPageWork(boardView, pick);
                break;
            }
            }
            PumpPendingMessages();
            CheckHistories(step, seed);
        }
    }
    // A track on an inner layer changed by the board's editor (its end
    // following the component it is tied to, or a vertex dragged), its layer
    // then moved by the stackup run from the project tree (an inner row
    // dragged), and the editor's Undo and Redo: the step puts back what it
    // changed of the track, and the layer stays where the stackup put it.
    void TrackAcrossHistories(CTreeNode* board, const Pick& pick) {
        auto* view = dynamic_cast<CBoardView*>(g_MainFrame.OpenNodeView(board));
        if (!view)
            return;
        auto tracks = [board] {
            std::vector<CConductor*> found;
            std::vector<CTreeNode*> nodes;
            CollectNodes(board, nodes);
            for (CTreeNode* node : nodes)
                if (auto* c = dynamic_cast<CConductor*>(node);
                    c && c->m_layer >= 2 && c->m_layer <= 21 && c->m_vertices.size() > 1)
                    found.push_back(c);
            return found;
        };
        auto mouse = [view](UINT msg, float x, float y, WPARAM mk = 0) {
            if (g_pActiveView == view)
                MouseAt(view, msg, BoardClientPoint(view, x, y), mk);
        };
        auto drag = [&](float x, float y, float toX, float toY) {
            mouse(WM_MOUSEMOVE, x, y);
            mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
            mouse(WM_MOUSEMOVE, x, y, MK_LBUTTON);
            mouse(WM_MOUSEMOVE, toX, toY, MK_LBUTTON);
            mouse(WM_LBUTTONUP, toX, toY);
        };
        std::vector<CConductor*> inner = tracks();
        if (inner.empty() || pick(3) == 0) {
            // A route from a pad on an inner layer.
            const std::vector<PointF> pads = BoardSpots(board, true);
            if (pads.empty())
                return;
            const PointF from = pads[static_cast<size_t>(pick(static_cast<int>(pads.size())))];
            InnerLayerKey(1 + pick(2));
            Command(ID_BRD_ROUTE_NEW);
            for (const PointF at :
                 {from, PointF{from.X + 3, from.Y}, PointF{from.X + 3, from.Y + 4}})
                if (g_pActiveView == view) {
                    mouse(WM_MOUSEMOVE, at.X, at.Y);
                    mouse(WM_LBUTTONDOWN, at.X, at.Y, MK_LBUTTON);
                    mouse(WM_LBUTTONUP, at.X, at.Y);
                }
            TabKey(VK_ESCAPE);
            inner = tracks();
        }
        if (inner.empty() || g_pActiveView != view)
            return;
        CConductor* track = inner[static_cast<size_t>(pick(static_cast<int>(inner.size())))];
        const float dx = static_cast<float>(pick(5) - 2), dy = static_cast<float>(1 + pick(3));
        CPad* tied = nullptr;
        for (const ConductorVertex& v : track->m_vertices)
            if (CPad* pad = v.tie.GetPad(); pad && pad->GetFootprint())
                tied = pad;
        if (tied && pick(2)) {
            const PointF at = tied->GetBoardPosition();
            Command(ID_BRD_MOVE_COMPONENT);
            drag(at.X, at.Y, at.X + dx, at.Y + dy);
        } else {
            // The route goes on from the track's end, its layer in front.
            const ConductorVertex v = track->m_vertices.back();
            InnerLayerKey(track->m_layer - 1);
            Command(ID_BRD_ROUTE_NEW);
            for (const PointF at :
                 {PointF{v.x, v.y}, PointF{v.x + dx, v.y + dy}, PointF{v.x + dx, v.y + dy + 2}})
                if (g_pActiveView == view) {
                    mouse(WM_MOUSEMOVE, at.X, at.Y);
                    mouse(WM_LBUTTONDOWN, at.X, at.Y, MK_LBUTTON);
                    mouse(WM_LBUTTONUP, at.X, at.Y);
                }
        }
        TabKey(VK_ESCAPE);
        PumpPendingMessages();
        LookAtHistories();
        if (!Contains(&g_MainFrame.GetRoot(0), board) || !Contains(board, track))
            return;
        // The track's layer dragged in the stackup (whose rows read TOP, the
        // inner layers, BOT) onto BOT, or the last inner layer onto the
        // first: the track goes to another layer.
        const int row = track->m_layer - 1;
        dialogAction = [row](PlatformDialog& d) {
            auto* layers = d.GetDlgItemAs<CStackupListCtrl>(CStackup::kList);
            const int count = layers ? layers->GetItemCount() : 0;
            if (count > 3 && row < count - 1)
                dialog_driver::DragRow(layers, row, row == count - 2 ? 1 : count - 1);
            dialog_driver::ClickButton(d, IDOK);
        };
        SelectInTree(0, board, ID_PRJ_STACKUP);
        dialogAction = nullptr;
        PumpPendingMessages();
        if (!Contains(&g_MainFrame.GetRoot(0), board) || !g_MainFrame.OpenNodeView(board))
            return;
        TabKey('Z', VK_CONTROL);
        if (pick(2))
            TabKey('Y', VK_CONTROL);
    }
    // A step another history may undo, a route by the board's editor that
    // may add to what that step would take away, split or rename, then
    // that history's Undo: a stackup step of the tree (a layer inserted,
    // deleted or dragged, or a layer's type or plane net changed, the route
    // then on that layer) and the tree's Undo, or its Undo before the route
    // and its Redo after, or a sheet's work (a wire joining or splitting
    // nets, a net renamed, a part deleted) and the sheet's. The route stays
    // on a layer the stackup holds, of the type and plane net it had, and in
    // the net of the via it starts on.
    void StepRouteAndUndo(CTreeNode* board, const std::vector<CTreeNode*>& pages,
                          const Pick& pick) {
        std::vector<CTreeNode*> sheets = pages;
        std::erase_if(sheets, [](const CTreeNode* n) { return n->GetType() != NodeType::Sheet; });
        CTreeNode* sheet = sheets.empty() || pick(2)
                               ? nullptr
                               : sheets[static_cast<size_t>(pick(static_cast<int>(sheets.size())))];
        if (sheet) {
            if (auto* sheetView = dynamic_cast<CSchematicView*>(g_MainFrame.OpenNodeView(sheet)))
                SheetWork(sheetView, pick);
        }
        auto treeHistory = [this](UINT command) {
            g_MainFrame.m_leftPane.SelectTab(0);
            g_MainFrame.m_leftPane.GetTree(0)->SetFocus();
            HistoryCommand(command);
        };
        stackupLayerKey.reset();
        const int stackup = pick(6);
        const bool redo = !sheet && pick(3) == 0;
        if (!sheet) {
            static const int actions[] = {0, 1, 2, 3, 7, 8};
            TreeHistory(pick, board, actions[stackup]);
            if (redo)
                treeHistory(ID_EDIT_UNDO);
        }
        PumpPendingMessages();
        if (!Contains(&g_MainFrame.GetRoot(0), board))
            return;
        auto* boardView = dynamic_cast<CBoardView*>(g_MainFrame.OpenNodeView(board));
        if (boardView && stackupLayerKey && pick(4)) {
            // From a via or a pad, on the layer whose type or net changed.
            const std::vector<PointF> spots = BoardSpots(board);
            const PointF from =
                spots.empty() ? PointF{18, 12}
                              : spots[static_cast<size_t>(pick(static_cast<int>(spots.size())))];
            TabKey(stackupLayerKey->first, stackupLayerKey->second);
            Command(ID_BRD_ROUTE_NEW);
            for (const PointF at : {from, PointF{from.X, from.Y + 6 + static_cast<float>(pick(8))}})
                if (g_pActiveView == boardView) {
                    const POINT p = BoardClientPoint(boardView, at.X, at.Y);
                    MouseAt(boardView, WM_MOUSEMOVE, p);
                    MouseAt(boardView, WM_LBUTTONDOWN, p, MK_LBUTTON);
                    MouseAt(boardView, WM_LBUTTONUP, p);
                }
            TabKey(VK_ESCAPE);
        } else if (boardView) {
            BoardPageWork(boardView, pick, 0);
        }
        PumpPendingMessages();
        if (sheet && Contains(&g_MainFrame.GetRoot(0), sheet) && g_MainFrame.OpenNodeView(sheet))
            TabKey('Z', VK_CONTROL);
        else if (!sheet)
            treeHistory(redo ? ID_EDIT_REDO : ID_EDIT_UNDO);
    }
    // A wire's net renamed on a sheet, an inner layer of the board (a plane
    // at times) or a new area on the top given the new name in the board
    // editor's rows, then the sheet's Undo: no plane or area is left naming
    // a net the board no longer holds.
    void StepRenameAndUndo(CTreeNode* board, const std::vector<CTreeNode*>& pages,
                           const Pick& pick) {
        std::vector<CTreeNode*> sheets = pages;
        std::erase_if(sheets, [](const CTreeNode* n) { return n->GetType() != NodeType::Sheet; });
        if (sheets.empty())
            return;
        CTreeNode* sheet = sheets[static_cast<size_t>(pick(static_cast<int>(sheets.size())))];
        auto* sheetView = dynamic_cast<CSchematicView*>(g_MainFrame.OpenNodeView(sheet));
        if (!sheetView)
            return;
        const std::vector<POINT> spots = SheetSpots(sheetView, pick);
        static const wchar_t* const names[] = {L"NX", L"NY"};
        const wchar_t* name = names[pick(2)];
        Command(ID_TOOL_SELECT);
        ClickAt(sheetView,
                SheetClientPoint(sheetView,
                                 spots[static_cast<size_t>(pick(static_cast<int>(spots.size())))]));
        TypeIntoRow(0, name, 1);
        PumpPendingMessages();
        if (!Contains(&g_MainFrame.GetRoot(0), board))
            return;
        auto* boardView = dynamic_cast<CBoardView*>(g_MainFrame.OpenNodeView(board));
        if (!boardView)
            return;
        if (pick(3)) {
            InnerLayerKey(pick(3) ? 2 : 1 + pick(8));
        } else {
            TabKey('1');
            Command(ID_BRD_AREA_NEW);
            const float x = static_cast<float>(5 + pick(30)), y = static_cast<float>(5 + pick(20));
            for (const PointF at : {PointF{x, y}, PointF{x + 8, y + 6}}) {
                const POINT p = BoardClientPoint(boardView, at.X, at.Y);
                MouseAt(boardView, WM_MOUSEMOVE, p);
                MouseAt(boardView, WM_LBUTTONDOWN, p, MK_LBUTTON);
                MouseAt(boardView, WM_LBUTTONUP, p);
            }
        }
        TypeIntoRow(0, name, 1);
        PumpPendingMessages();
        if (Contains(&g_MainFrame.GetRoot(0), sheet) && g_MainFrame.OpenNodeView(sheet))
            TabKey('Z', VK_CONTROL);
    }
    // A sheet added to the board and drawn on, its adding undone in the
    // tree and then dropped with the tree's redo steps by the adding of a
    // sheet that takes its name: the drawing, still in the board, lies on
    // the new sheet.
    void SheetNamedAgain(CTreeNode* board, int step) {
        auto sheets = [board] {
            std::vector<CTreeNode*> found;
            for (CTreeNode* child : board->GetChildren())
                if (child->GetType() == NodeType::Sheet)
                    found.push_back(child);
            return found;
        };
        auto addSheet = [&](const std::wstring& name) -> CTreeNode* {
            const std::vector<CTreeNode*> before = sheets();
            SelectInTree(0, board, ID_PRJ_ADD_SHEET);
            if (EditControl* edit = g_MainFrame.m_leftPane.GetTree(0)->GetEditControl()) {
                if (!name.empty()) {
                    edit->SetSel(0, -1);
                    SimulateTyping(edit, name);
                }
                SimulateKey(edit, true, VK_RETURN);
            }
            PumpPendingMessages();
            for (CTreeNode* sheet : sheets())
                if (std::find(before.begin(), before.end(), sheet) == before.end())
                    return sheet;
            return nullptr;
        };
        CTreeNode* added = addSheet(L"");
        auto* view =
            dynamic_cast<CSchematicView*>(added ? g_MainFrame.OpenNodeView(added) : nullptr);
        if (!view)
            return;
        Command(ID_SCH_PLACE_WIRE);
        for (const POINT p : {POINT{10, 10}, POINT{20, 10}, POINT{20, 16}})
            if (g_pActiveView == view)
                ClickAt(view, SheetClientPoint(view, p));
        TabKey(VK_ESCAPE);
        const size_t drawn = static_cast<CSheet*>(added)->m_objects.size();
        const std::wstring name = added->GetText();
        CLeftTabView* tree = g_MainFrame.m_leftPane.GetTree(0);
        for (int i = 0; i < 3 && added->GetParent(); ++i) {
            g_MainFrame.m_leftPane.SelectTab(0);
            tree->SetFocus();
            HistoryCommand(ID_EDIT_UNDO);
        }
        if (drawn == 0 || added->GetParent() || !Contains(&g_MainFrame.GetRoot(0), board))
            return;
        CTreeNode* again = addSheet(name);
        ASSERT_TRUE(again && again->GetText() == name) << "step " << step;
        EXPECT_GE(static_cast<CSheet*>(again)->m_objects.size(), drawn)
            << "step " << step << ": sheet " << WideToUtf8(name)
            << " does not show what was drawn on the sheet of its name before";
    }
    static void CheckHistories(int step, unsigned seed) {
        if (g_oracle) {
            ASSERT_TRUE(g_oracle->Look());
        }
        ASSERT_TRUE(HistoriesNameOnlyWhatTheyReach()) << "step " << step << " of seed " << seed;
        ASSERT_TRUE(BoardEditorsIndexTheirBoards()) << "step " << step << " of seed " << seed;
        ASSERT_TRUE(ConductorsTieOnlyToPadsInReach()) << "step " << step << " of seed " << seed;
        ASSERT_TRUE(HistoriesFindTheirStepsAsLeft()) << "step " << step << " of seed " << seed;
        ASSERT_TRUE(BoardsHoldWhatTheirObjectsName(false))
            << "step " << step << " of seed " << seed;
    }
    // A board, a sheet, a symbol, a footprint or a padstack renamed in its
    // tree, its rows typed into in its editor, its editor's unit cycled, and
    // the tree's and the editor's Undo and Redo, a few times over: the steps
    // of two histories on one node cross.
    void NameAndRows(const Pick& pick, int step, unsigned seed) {
        static const int kinds[][2] = {{0, NodeType::Board},
                                       {0, NodeType::Sheet},
                                       {1, NodeType::Package},
                                       {2, NodeType::Footprint},
                                       {2, NodeType::Padstack}};
        const int* chosen = kinds[pick(5)];
        const int kind = chosen[0];
        CTreeNode* node = AnyOf(pick, kind, chosen[1]);
        if (!node)
            return;
        for (int i = 1 + pick(4); i > 0 && !HasFailure(); --i) {
            if (!Contains(&g_MainFrame.GetRoot(kind), node))
                return;
            switch (Traced("NameAndRows", pick(6))) {
            case 0:
                SelectInTree(kind, node, ID_TREE_RENAME);
                if (EditControl* edit = g_MainFrame.m_leftPane.GetTree(kind)->GetEditControl()) {
                    static const wchar_t* const names[] = {L"Q1", L"Q2", L"Main", L"RES"};
                    edit->SetSel(0, -1);
                    SimulateTyping(edit, names[pick(4)]);
                    SimulateKey(edit, true, VK_RETURN);
                }
                break;
            case 1:
            case 2:
                // The document's own rows (Esc leaves what a tool picked).
                if (g_MainFrame.OpenNodeView(node) && g_pActiveView) {
                    TabKey(VK_ESCAPE);
                    PanelValue(pick);
                }
                break;
            case 3:
                if (SelectInTree(kind, node))
                    HistoryCommand(pick(3) ? ID_EDIT_UNDO : ID_EDIT_REDO);
                break;
            case 5:
                // Its editor's unit (a board's, a footprint's, a padstack's)
                // cycled between the rows and the Undos, the editor's Undo
                // at once at times: no step puts it back.
                if (g_MainFrame.OpenNodeView(node)) {
                    CycleUnitInStatusBar();
                    if (pick(2))
                        TabKey('Z', VK_CONTROL);
                }
                break;
            default:
                if (g_MainFrame.OpenNodeView(node))
                    TabKey(pick(3) ? 'Z' : 'Y', VK_CONTROL);
                break;
            }
            PumpPendingMessages();
            CheckHistories(step, seed);
        }
    }

    std::function<void(PlatformDialog&)> dialogAction;
    // The layer key, with its modifier, of the layer the last stackup's
    // type or net change was made on.
    std::optional<std::pair<int, int>> stackupLayerKey;
    std::deque<UINT> menuAnswers;

    void CheckInvariants(int step) {
        CTabWindow& tabs = g_MainFrame.m_tabWindow;
        std::vector<int> order = tabs.GetActivationOrder();
        std::sort(order.begin(), order.end());
        for (int i = 0; i < static_cast<int>(order.size()); ++i)
            ASSERT_EQ(order[static_cast<size_t>(i)], i) << "step " << step;
        ASSERT_EQ(static_cast<int>(order.size()), tabs.GetTabCount()) << "step " << step;
        ASSERT_EQ(g_pActiveView, tabs.GetActiveView()) << "step " << step;
        for (CVorpelView* view : tabs.GetViews()) {
            bool found = false;
            for (int kind = 0; kind < 3; ++kind)
                found = found || Contains(&g_MainFrame.GetRoot(kind), view->GetDocument());
            ASSERT_TRUE(found) << "step " << step;
            ASSERT_EQ(view->GetDocument()->GetEditorView(), view) << "step " << step;
        }
    }
};

TEST_F(FrameRandomTest, RandomUseKeepsTheWindowConsistent) {
    // Copies of the examples: File > Save writes a document where it was
    // read, and the examples must come out of the test as they went in.
    std::wstring copies[3];
    const wchar_t* const names[3] = {L"demo.circuit", L"demo.symbol", L"demo.footprint"};
    std::string originals[3];
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(ReadWholeFile(Example(names[i]), originals[i]));
        copies[i] = WriteFile(names[i], originals[i]);
    }
    StartFrame(L"\"" + copies[0] + L"\"");
    ASSERT_TRUE(g_MainFrame.Open(copies[1], 1));
    ASSERT_TRUE(g_MainFrame.Open(copies[2], 2));
    RegisterEditorViews();
    // VORPEL_WALK_ORACLE=0 walks without the account of the histories, to
    // see what it costs.
    std::optional<HistoryOracle> oracle;
    if (const char* on = std::getenv("VORPEL_WALK_ORACLE"); !on || std::string(on) != "0")
        oracle.emplace();
    g_oracle = oracle ? &*oracle : nullptr;
    struct Unset {
        ~Unset() { g_oracle = nullptr; }
    } unset;
    LookAtHistories();
    // A dialog a tool opens (a padstack to place, a text to type) is closed
    // as a user who changed his mind closes it: nothing else would end it.
    // The stackup run by a tree step inserts a layer.
    // The dialog waits for its user as a shown one does: what its opening
    // posted (a settling of the histories among it) is delivered first.
    ScopedModalDialogHook modal([this](PlatformDialog& dialog) {
        PumpPendingMessages();
        if (auto action = std::exchange(dialogAction, nullptr))
            action(dialog);
        // An answer that found nothing to choose ends it as Cancel does.
        if (!dialog.IsEnded())
            dialog.EndDialog(IDCANCEL);
    });
    // The libraries the part and footprint browsers list.
    for (int kind : {kDocumentSymbolLibrary, kDocumentFootprintLibrary})
        ASSERT_TRUE(WriteWholeFile(PathJoin(g_MainFrame.GetDefaultFolder(kind), names[kind]),
                                   originals[kind]));
    const RandomSeed seed(20240601u);
    std::mt19937 rng(seed.Value());
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    SetPopupMenuHook([&](const PopupMenu& menu, POINT) -> UINT {
        LookAtHistories();
        if (!menuAnswers.empty()) {
            const UINT id = menuAnswers.front();
            menuAnswers.pop_front();
            return menu.FindItem(id) ? id : 0;
        }
        std::vector<UINT> ids;
        for (const auto& item : menu.Items())
            if (!item.subMenu && !(item.flags & (MF_SEPARATOR | MF_GRAYED)) &&
                item.id != ID_APP_EXIT && item.id != ID_APP_ABOUT && item.id != ID_CAM_GERBER &&
                (item.id < ID_OPEN_PROJECT || item.id > ID_OPEN_FOOTPRINT_LIBRARY))
                ids.push_back(item.id);
        return ids.empty() || pick(3) == 0
                   ? 0
                   : ids[static_cast<size_t>(pick(static_cast<int>(ids.size())))];
    });
    const int kinds[] = {kViewSchematic, kViewSymbol, kViewBoard, kViewPadstack, kViewFootprint};
    const int commands[] = {ID_VIEW_TOOLBAR,     ID_VIEW_STATUS_BAR, ID_WINDOW_CLOSE,
                            ID_WINDOW_CLOSE_ALL, ID_EDIT_UNDO,       ID_EDIT_REDO,
                            ID_VIEW_ZOOM_IN,     ID_VIEW_ZOOM_ALL,   ID_SNAP_TO_GRID,
                            ID_EDIT_COPY,        ID_EDIT_FIND,       ID_TOOL_SELECT,
                            ID_NEW_PROJECT,      ID_NEW_SYMBOL,      ID_NEW_FOOTPRINT,
                            ID_FILE_SAVE,        ID_FILE_SAVE_AS,    ID_FILE_NEW};
    int steps = 0, maxTabs = 0, edits = 0;
    for (int step = 0; step < 600; ++step, ++steps) {
        maxTabs = std::max(maxTabs, g_MainFrame.m_tabWindow.GetTabCount());
        // Every prompt and dialog of this step gets a random answer (and no
        // answer left from an earlier step).
        ui.DropAnswers();
        static const int answers[] = {IDYES, IDNO, IDCANCEL};
        for (int i = 0; i < 4; ++i)
            ui.Answer({answers[pick(3)]});
        for (int i = 0; i < 2; ++i)
            AnswerFileDialog(pick(2) ? std::optional<std::wstring>(PathJoin(scratch, L"r.circuit"))
                                     : std::nullopt);
        CTabWindow& tabs = g_MainFrame.m_tabWindow;
        if (oracle)
            oracle->SetStep(step, seed.Value());
        switch (Traced("Step", pick(34))) {
        case 0:
        case 1:
        case 10: {
            int kind = pick(3);
            std::vector<CTreeNode*> nodes;
            CollectNodes(&g_MainFrame.GetRoot(kind), nodes);
            // Test views go on nodes of any kind, but not on what the
            // editors draw: a single wire, bus or net, a symbol's parts,
            // pins and texts, what a library footprint or padstack holds.
            // No user can open a view on those, and a test view there is
            // unsound: closing a page with No undoes its changes, which may
            // delete the wire or net another view shows, and an undone
            // rename reads a part or pad again from its attributes, freeing
            // the shape its own editor has under way.
            auto drawnInto = [kind](const CTreeNode* n) {
                for (const CTreeNode* a = n->GetParent(); a; a = a->GetParent())
                    if (a->GetType() == NodeType::Package || a->GetType() == NodeType::Footprint ||
                        a->GetType() == NodeType::Padstack)
                        return true;
                // Nor on what the board editor deletes (tracks, vias, areas,
                // components) or the board settings (the vias to choose
                // from), nor on a board or its layers, whose renaming undone
                // on a close reads the outline or the stackup anew beneath
                // the board's editor, nor on a project's package, which the
                // sheet editor deletes and gives another footprint, nor on a
                // board's text, which the board editor's text tool deletes.
                for (const CTreeNode* a = n->GetParent(); a; a = a->GetParent())
                    if (a->GetType() == NodeType::Net || a->GetType() == NodeType::BoardProperties)
                        return true;
                const int type = n->GetType();
                return type == NodeType::Wire || type == NodeType::Bus || type == NodeType::Net ||
                       type == NodeType::Area || type == NodeType::Layer ||
                       (kind == 0 && (type == NodeType::Package || type == NodeType::Footprint ||
                                      type == NodeType::Text)) ||
                       (type == NodeType::Board && !n->GetEditorView());
            };
            std::erase_if(nodes, drawnInto);
            if (nodes.empty())
                break;
            CTreeNode* node = nodes[static_cast<size_t>(pick(static_cast<int>(nodes.size())))];
            if (node->GetEditorView())
                g_MainFrame.OpenNodeView(node);
            else
                OpenView(node, kinds[pick(5)], kind);
            break;
        }
        case 2:
        case 11:
            if (CVorpelView* view = g_pActiveView) {
                Rename(view, view->GetDocument(), L"R" + std::to_wstring(step));
                ++edits;
            }
            break;
        case 3: {
            const int command = commands[pick(static_cast<int>(std::size(commands)))];
            if (command != ID_FILE_SAVE && command != ID_FILE_SAVE_AS) {
                HistoryCommand(command);
                break;
            }
            std::array<std::pair<std::wstring, std::string>, 3> before;
            for (int kind = 0; kind < 3; ++kind) {
                before[static_cast<size_t>(kind)].first = g_MainFrame.GetRoot(kind).GetFilePath();
                before[static_cast<size_t>(kind)].second =
                    ReadFile(before[static_cast<size_t>(kind)].first);
            }
            Command(command);
            ExpectSavedWithoutWorkUnderWay(before, step);
            break;
        }
        case 4: {
            SimulateKey(&tabs, true, VK_CONTROL, L"", MK_CONTROL);
            SimulateKey(&tabs, true, VK_TAB, L"\t", MK_CONTROL);
            if (pick(2))
                SimulateKey(&tabs, false, VK_CONTROL);
            break;
        }
        case 5: {
            POINT p{pick(1100), pick(40)};
            ClickAt(&tabs, p);
            break;
        }
        case 6:
            if (tabs.GetTabCount() > 0)
                tabs.CloseTab(pick(tabs.GetTabCount()), pick(4) != 0);
            break;
        case 7: {
            const int keys[] = {'Z', 'Y', 'S', 'N', VK_TAB, VK_ESCAPE, 'I', 'O', VK_F3};
            PlatformWindow* focus = PlatformWindow::GetFocus();
            if (focus && g_MainFrame.IsChild(focus))
                SimulateKey(focus, true, keys[pick(9)], L"", pick(2) ? MK_CONTROL : 0);
            break;
        }
        case 8: {
            ToolBarControl* bars[] = {&g_MainFrame.m_mainToolBar, &g_MainFrame.m_boardToolBar,
                                      &g_MainFrame.m_footprintToolBar};
            ToolBarControl* bar = bars[pick(3)];
            int index = pick(bar->GetButtonCount());
            int command = bar->GetButton(index).command;
            if (command != ID_APP_ABOUT && command != ID_FILE_PRINT && command != ID_OPEN_PROJECT)
                bar->ClickButton(index, pick(2) != 0);
            break;
        }
        case 12:
        case 16:
        case 17:
            WorkUnderWay(pick);
            break;
        case 13:
            UseFindDialog(pick);
            break;
        case 14:
            ReplaceDocuments(pick);
            break;
        case 15:
            TreeClipboard(pick);
            break;
        case 18:
        case 19:
            PanelEdit(pick);
            break;
        case 21:
        case 22:
            BoardWork(pick);
            break;
        case 20:
            // A few tree steps with values typed or board work in between.
            for (int i = pick(4); i >= 0 && !HasFailure(); --i) {
                LookAtHistories();
                if (pick(2))
                    BoardWork(pick);
                LookAtHistories();
                TreeHistory(pick);
                PumpPendingMessages();
                CheckPanel(step);
                CheckHistories(step, seed.Value());
                if (pick(3) == 0)
                    PanelEdit(pick);
                else if (pick(2))
                    BoardWork(pick);
            }
            break;
        case 23:
        case 24:
        case 25:
        case 26:
            SheetStep(pick);
            break;
        case 27:
        case 28:
        case 29:
        case 30:
            ProjectStep(pick, step, seed.Value());
            break;
        case 31:
        case 32:
            NameAndRows(pick, step, seed.Value());
            break;
        case 33:
            // The shown editor's unit (a board's, a footprint's, a
            // padstack's), kept out of every history.
            CycleUnitInStatusBar();
            break;
        default:
            RunIdleHandlers();
            break;
        }
        PumpPendingMessages();
        dialogAnswers.clear();
        ui.Clear();
        CheckInvariants(step);
        CheckPanel(step);
        CheckSheets(step);
        CheckHistories(step, seed.Value());
        if (!g_MainFrame.IsWindow())
            break;
        if (HasFailure())
            return;
    }
    ResetKeyState();
    ASSERT_TRUE(g_MainFrame.IsWindow());
    // The walk went the whole way.
    EXPECT_EQ(steps, 600);
    if (oracle)
        std::printf("walk: %d Undos and Redos checked against their steps\n", oracle->Checked());
    // How far a walk gets is the seed's: the default one is held to it.
    if (seed.Value() == 20240601u) {
        EXPECT_GE(maxTabs, 3);
        EXPECT_GE(edits, 10);
        // The account of the histories is held to checking some.
        if (oracle) {
            EXPECT_GE(oracle->Checked(), 10);
        }
    }
    // Closing, whatever is left: answered No throughout.
    ui.DropAnswers();
    ui.Answer({IDNO, IDNO, IDNO, IDNO});
    g_MainFrame.SendMessage(WM_CLOSE);
    EXPECT_FALSE(g_MainFrame.IsWindow());
    for (int i = 0; i < 3; ++i) {
        std::string now;
        ASSERT_TRUE(ReadWholeFile(Example(names[i]), now));
        EXPECT_EQ(now, originals[i]) << WideToUtf8(names[i]);
    }
}

} // namespace
