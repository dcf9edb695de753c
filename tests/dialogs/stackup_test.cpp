// The stackup dialog driven through the modal hook and simulated input:
// rows in stack order, TOP and BOT added when missing, inner layers
// inserted, deleted and dragged with their conductors, areas and texts
// following, the type list, plane nets and the thermal flag; each checked
// against the saved document, Cancel against the bytes before the dialog.
#include "dialogs/stackup.h"

#include "board/board.h"
#include "board/layer.h"
#include "core/default_settings.h"
#include "core/undo_list.h"
#include "dialogs/stackup_list_ctrl.h"
#include "schematic/net.h"
#include "tests/board/board_fixture.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/random_seed.h"
#include "tests/ui_hooks_recorder.h"

#include <functional>
#include <random>
#include <set>

namespace {

using namespace dialog_driver;
using Id = CStackup::ControlId;
using List = CStackupListCtrl;

// Four inner layers, I02 a plane; each of I02, I03 and I04 holds something.
const char* const kBoard = R"(<Project>
  <Board>Main
    <Layer>TOP</Layer>
    <Layer>BOT</Layer>
    <Layer>I01</Layer>
    <Layer Net="GND" Type="PLANE">I02</Layer>
    <Layer>I03</Layer>
    <Layer>I04</Layer>
    <Layer Type="DOC">SST</Layer>
    <Net>GND
      <Conductor Layer="I02">1.000,1.000 5.000,1.000</Conductor>
      <Conductor Layer="I03">2.000,2.000 6.000,2.000</Conductor>
    </Net>
    <Net>N1
      <Conductor Layer="I04">1.000,3.000 5.000,3.000</Conductor>
      <Conductor Layer="TOP">1.000,4.000 5.000,4.000</Conductor>
    </Net>
    <Text Layer="I04" XY="3,3">T4</Text>
    <Area Layer="I02" Net="GND">LIN0,0 LIN10,0 LIN10,10</Area>
  </Board>
</Project>
)";

class StackupTest : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        Load(kBoard);
    }
    void Load(const std::string& xml) {
        m_view.undo.Clear();
        m_view.index.Clear();
        for (CTreeNode* child : root_.ReleaseChildren())
            delete child;
        ASSERT_TRUE(LoadText(root_, XmlDoc(xml)));
        board_ = static_cast<CBoard*>(root_.GetChildren()[0]);
        m_view.board = board_;
        m_view.index.Build(board_);
        original_ = SaveText(root_);
    }
    int Run(const std::function<void(CStackup&, List*)>& drive) {
        CStackup dlg(board_, &m_view.undo);
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            ASSERT_EQ(&d, &dlg);
            drive(dlg, dlg.GetList());
        });
        return dlg.DoModal();
    }
    static std::vector<std::wstring> Rows(List* list) {
        std::vector<std::wstring> out;
        for (int i = 0; i < list->GetItemCount(); ++i)
            out.push_back(list->GetItemText(i, 0));
        return out;
    }
    std::string Saved() { return SaveText(root_); }
    // The original document with pieces replaced in order.
    std::string Edited(const std::vector<std::pair<std::string, std::string>>& edits) const {
        std::string s = original_;
        for (const auto& [from, to] : edits) {
            size_t at = s.find(from);
            EXPECT_NE(at, std::string::npos) << from;
            if (at != std::string::npos)
                s.replace(at, from.size(), to);
        }
        return s;
    }
    // Drags the row's layer with the mouse and drops it over another row.
    static void Drag(List* list, int from, int onto) { dialog_driver::DragRow(list, from, onto); }

    CRoot root_;
    CBoard* board_ = nullptr;
    std::string original_;
    ScopedUiHooksRecorder ui_;
};

const std::vector<std::wstring> kFourInner = {L"Top",     L"Inner 1", L"Inner 2",
                                              L"Inner 3", L"Inner 4", L"Bottom"};

// --- Opening -----------------------------------------------------------------

TEST_F(StackupTest, RowsInStackOrderAndTheGroupOfTheDialog) {
    m_view.undo.SetStartNewGroup(false);
    EXPECT_EQ(Run([&](CStackup& d, List* list) {
                  ASSERT_NE(list, nullptr);
                  EXPECT_EQ(Rows(list), kFourInner);
                  EXPECT_EQ(list->GetItemData(3), PtrToLParam(board_->FindLayer(4)));
                  EXPECT_TRUE(ui_.messageBoxes.empty());
                  ASSERT_EQ(m_view.undo.UndoCount(), 1u);
                  EXPECT_TRUE(m_view.undo.UndoItemAt(0)->IsGroupHead());
                  ClickButton(d, IDOK);
              }),
              IDOK);
    EXPECT_EQ(Saved(), original_);
}

// TOP and BOT are added when missing, told in one box, and stay after Cancel.
TEST_F(StackupTest, MissingSidesAreAddedBeforeTheGroup) {
    Load("<Project><Board>B<Layer>I01</Layer></Board></Project>");
    EXPECT_EQ(Run([&](CStackup& d, List* list) {
                  EXPECT_EQ(Rows(list), (std::vector<std::wstring>{L"Top", L"Inner 1", L"Bottom"}));
                  ClickButton(d, IDCANCEL);
              }),
              IDCANCEL);
    ASSERT_EQ(ui_.messageBoxes.size(), 1u);
    EXPECT_EQ(ui_.messageBoxes[0].text,
              L"TOP layer not found; inserted\nBOTTOM layer not found; inserted");
    EXPECT_EQ(ui_.messageBoxes[0].caption, L"Vorpel");
    EXPECT_EQ(ui_.messageBoxes[0].Icon(), MB_ICONINFORMATION);
    EXPECT_EQ(Saved(),
              Edited({{"<Layer>I01</Layer>\r\n", "<Layer>I01</Layer>\r\n    <Layer>TOP</Layer>\r\n"
                                                 "    <Layer>BOT</Layer>\r\n"}}));

    ui_.Clear();
    Load("<Project><Board>B<Layer>BOT</Layer></Board></Project>");
    Run([&](CStackup& d, List*) { ClickButton(d, IDCANCEL); });
    ASSERT_EQ(ui_.messageBoxes.size(), 1u);
    EXPECT_EQ(ui_.messageBoxes[0].text, L"TOP layer not found; inserted");
}

// --- Insert and delete ------------------------------------------------------

TEST_F(StackupTest, InsertAddsTheNextInnerLayerAboveBottom) {
    Run([&](CStackup& d, List* list) {
        ClickButton(d, Id::kInsertLayer);
        EXPECT_EQ(Rows(list), (std::vector<std::wstring>{L"Top", L"Inner 1", L"Inner 2", L"Inner 3",
                                                         L"Inner 4", L"Inner 5", L"Bottom"}));
        EXPECT_EQ(list->GetItemText(5, 0), L"Inner 5");
        EXPECT_EQ(Saved(), Edited({{"  </Board>", "    <Layer>I05</Layer>\r\n  </Board>"}}));
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(board_->FindLayer(6)->m_layerType, kLayerTypeRouting);
    m_view.undo.Undo();
    EXPECT_EQ(Saved(), original_);

    // All twenty inner layers: Insert does nothing.
    std::string full = "<Project><Board>B<Layer>TOP</Layer><Layer>BOT</Layer>";
    for (int i = 1; i <= 20; ++i)
        full += "<Layer>I" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "</Layer>";
    Load(full + "</Board></Project>");
    Run([&](CStackup& d, List* list) {
        ClickButton(d, Id::kInsertLayer);
        EXPECT_EQ(list->GetItemCount(), 22);
        EXPECT_EQ(Saved(), original_);
        ClickButton(d, IDOK);
    });
}

// Deleting a layer that holds things asks first; Yes deletes them with it
// and the layers below move up with what lies on them.
TEST_F(StackupTest, DeleteTakesTheLayersThingsAndRenumbersTheRest) {
    CTreeNode* onI02 = board_->FindNet(L"GND")->GetChildren()[0];
    CTreeNode* onI03 = board_->FindNet(L"GND")->GetChildren()[1];
    CTreeNode* onI04 = board_->FindNet(L"N1")->GetChildren()[0];
    Run([&](CStackup& d, List* list) {
        ClickCell(list, 2, List::kColumnLayer);
        ui_.Answer({IDNO});
        ClickButton(d, Id::kDeleteLayer);
        ASSERT_EQ(ui_.messageBoxes.size(), 1u);
        EXPECT_EQ(ui_.messageBoxes[0].text,
                  L"Layer 'Inner 2' still holds conductors, areas or texts. Delete them with "
                  L"the layer?");
        EXPECT_EQ(ui_.messageBoxes[0].Buttons(), MB_YESNO);
        EXPECT_EQ(Saved(), original_);
        EXPECT_EQ(Rows(list), kFourInner);

        ui_.Answer({IDYES});
        ClickButton(d, Id::kDeleteLayer);
        EXPECT_EQ(Rows(list), (std::vector<std::wstring>{L"Top", L"Inner 1", L"Inner 2", L"Inner 3",
                                                         L"Bottom"}));
        EXPECT_EQ(Saved(),
                  Edited({{"    <Layer Net=\"GND\" Type=\"PLANE\">I02</Layer>\r\n"
                           "    <Layer>I03</Layer>\r\n    <Layer>I04</Layer>\r\n",
                           "    <Layer>I02</Layer>\r\n    <Layer>I03</Layer>\r\n"},
                          {"      <Conductor Layer=\"I02\">1.000,1.000 5.000,1.000</Conductor>\r\n"
                           "      <Conductor Layer=\"I03\">",
                           "      <Conductor Layer=\"I02\">"},
                          {"<Conductor Layer=\"I04\">", "<Conductor Layer=\"I03\">"},
                          {"<Text Layer=\"I04\"", "<Text Layer=\"I03\""},
                          {"    <Area Layer=\"I02\" Net=\"GND\">LIN0,0 LIN10,0 LIN10,10</Area>\r\n",
                           ""}}));
        // The board view's index follows the moved conductors.
        EXPECT_TRUE(m_view.index.Contains(onI03, 3));
        EXPECT_TRUE(m_view.index.Contains(onI04, 4));
        EXPECT_EQ(m_view.index.CountSetsHolding(onI04), 1u);
        EXPECT_EQ(m_view.index.CountSetsHolding(onI02), 0u);
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(Saved(), original_);
    EXPECT_TRUE(m_view.index.Contains(onI03, 4));
    EXPECT_TRUE(m_view.index.Contains(onI04, 5));
    EXPECT_TRUE(m_view.index.Contains(onI02, 3));

    // An empty layer goes without a question; with TOP selected nothing goes.
    ui_.Clear();
    Run([&](CStackup& d, List* list) {
        ClickCell(list, 1, List::kColumnLayer);
        ClickButton(d, Id::kDeleteLayer);
        EXPECT_TRUE(ui_.messageBoxes.empty());
        EXPECT_EQ(list->GetItemCount(), 5);
        ClickCell(list, 0, List::kColumnLayer);
        ClickButton(d, Id::kDeleteLayer);
        ASSERT_EQ(ui_.messageBoxes.size(), 1u);
        EXPECT_EQ(ui_.messageBoxes[0].text, L"No layer selected");
        EXPECT_EQ(ui_.messageBoxes[0].Icon(), MB_ICONEXCLAMATION);
        EXPECT_EQ(list->GetItemCount(), 5);
        ClickButton(d, IDOK);
    });
    const std::string saved = Saved();
    EXPECT_EQ(saved.find("I04"), std::string::npos);
    EXPECT_NE(saved.find("<Area Layer=\"I01\""), std::string::npos);
}

// Dragging an inner layer renumbers the layers between, with their things;
// the mark shows only where a drop changes something.
TEST_F(StackupTest, DraggingReordersInnerLayersWithTheirThings) {
    Run([&](CStackup& d, List* list) {
        // I04 onto I01: it becomes I01, I01..I03 become I02..I04.
        POINT p = CellCentre(list, 4, 0);
        SimulateMouse(list, WM_LBUTTONDOWN, p, MK_LBUTTON);
        SimulateMouse(list, WM_MOUSEMOVE, POINT{p.x, p.y - 8}, MK_LBUTTON);
        EXPECT_EQ(list->GetDragRow(), 4);
        SimulateMouse(list, WM_MOUSEMOVE, CellCentre(list, 5, 0), MK_LBUTTON);
        EXPECT_EQ(list->GetInsertMark(), -1); // just below: no change
        SimulateMouse(list, WM_MOUSEMOVE, CellCentre(list, 0, 0), MK_LBUTTON);
        EXPECT_EQ(list->GetInsertMark(), -1); // TOP
        SimulateMouse(list, WM_MOUSEMOVE, CellCentre(list, 1, 0), MK_LBUTTON);
        EXPECT_EQ(list->GetHoverRow(), 1);
        EXPECT_EQ(list->GetInsertMark(), 1);
        SimulateMouse(list, WM_LBUTTONUP, CellCentre(list, 1, 0));
        EXPECT_EQ(list->GetDragRow(), -1);
        EXPECT_EQ(list->GetInsertMark(), -1);
        EXPECT_EQ(PlatformWindow::GetCapture(), nullptr);
        EXPECT_EQ(list->GetSelectedIndex(), 1);
        EXPECT_EQ(list->GetItemCount(), 6);
        // (Replaced in an order in which no replacement is found again.)
        const std::string moved = Edited({{"<Layer>I04</Layer>", "<Layer>I01</Layer>"},
                                          {"<Layer>I01</Layer>", "<Layer>I02</Layer>"},
                                          {"PLANE\">I02", "PLANE\">I03"},
                                          {"<Layer>I03</Layer>", "<Layer>I04</Layer>"},
                                          {"\"I02\">1.000,1.000", "\"I03\">1.000,1.000"},
                                          {"\"I03\">2.000,2.000", "\"I04\">2.000,2.000"},
                                          {"\"I04\">1.000,3.000", "\"I01\">1.000,3.000"},
                                          {"Text Layer=\"I04\"", "Text Layer=\"I01\""},
                                          {"Area Layer=\"I02\"", "Area Layer=\"I03\""}});
        EXPECT_EQ(Saved(), moved);
        // Onto TOP, onto itself, or onto the row below it: nothing changes.
        Drag(list, 2, 0);
        Drag(list, 2, 2);
        Drag(list, 2, 3);
        EXPECT_EQ(Saved(), moved);
        // The new I01 dropped on BOT becomes the last inner layer again.
        Drag(list, 1, 5);
        EXPECT_EQ(list->GetSelectedIndex(), 4);
        EXPECT_EQ(Saved(), original_);
        // TOP and BOT do not move.
        Drag(list, 0, 3);
        Drag(list, 5, 2);
        EXPECT_EQ(Saved(), original_);
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(Saved(), original_);
}

// --- Type, net and thermal flag -----------------------------------------------

TEST_F(StackupTest, TypeListOffersTheTypesOfTheLayer) {
    Run([&](CStackup& d, List* list) {
        ClickCell(list, 0, List::kColumnType);
        ComboBoxControl* combo = list->GetCellCombo();
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->GetDlgCtrlID(), List::kTypeComboId);
        ASSERT_EQ(combo->GetCount(), 4);
        EXPECT_EQ(combo->GetLBText(3), L"Documentation");
        EXPECT_EQ(combo->GetItemData(3), kLayerTypeDoc);
        EXPECT_EQ(combo->GetCurSel(), 0);
        // OK with the list open only closes it.
        ClickButton(d, IDOK);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(list->GetCellEditor(), nullptr);

        // The plane I02 made a routing layer loses its net.
        ClickCell(list, 2, List::kColumnType);
        combo = list->GetCellCombo();
        ASSERT_NE(combo, nullptr);
        ASSERT_EQ(combo->GetCount(), 2);
        EXPECT_EQ(combo->GetCurSel(), 1);
        ChooseInCombo(combo, 0);
        EXPECT_EQ(list->GetCellEditor(), nullptr);
        EXPECT_EQ(board_->FindLayer(3)->m_net, L"");
        // (The file keeps the stale net text, which is read for planes only.)
        EXPECT_EQ(Saved(),
                  Edited({{"<Layer Net=\"GND\" Type=\"PLANE\">I02", "<Layer Net=\"GND\">I02"}}));
        // I01 made a plane.
        ClickCell(list, 1, List::kColumnType);
        ChooseInCombo(list->GetCellCombo(), 1);
        EXPECT_EQ(Saved(),
                  Edited({{"<Layer>I01", "<Layer Type=\"PLANE\">I01"},
                          {"<Layer Net=\"GND\" Type=\"PLANE\">I02", "<Layer Net=\"GND\">I02"}}));
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(Saved(), original_);
}

TEST_F(StackupTest, PlaneNetsAreCheckedAgainstTheBoard) {
    Run([&](CStackup& d, List* list) {
        // Routing layers have no net to edit.
        ClickCell(list, 1, List::kColumnNet);
        EXPECT_EQ(list->GetCellEditor(), nullptr);
        ClickCell(list, 2, List::kColumnNet);
        EditControl* edit = list->GetCellEdit();
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->GetDlgCtrlID(), List::kNetEditId);
        EXPECT_EQ(edit->GetWindowText(), L"GND");
        // A net typed and then left by a click elsewhere is dropped.
        TypeIntoCell(list, L"N1");
        ClickCell(list, 3, List::kColumnLayer);
        EXPECT_EQ(list->GetCellEditor(), nullptr);
        EXPECT_EQ(Saved(), original_);
        // An unknown net is refused with a message.
        ClickCell(list, 2, List::kColumnNet);
        TypeIntoCell(list, L"VCC");
        ClickButton(d, IDOK);
        EXPECT_FALSE(d.IsEnded());
        ASSERT_EQ(ui_.messageBoxes.size(), 1u);
        EXPECT_EQ(ui_.messageBoxes[0].text, L"Net 'VCC' not found");
        EXPECT_EQ(ui_.messageBoxes[0].Icon(), MB_ICONEXCLAMATION);
        EXPECT_EQ(Saved(), original_);
        // A known one is taken on OK (the dialog stays open); empty clears it.
        ClickCell(list, 2, List::kColumnNet);
        TypeIntoCell(list, L"N1");
        ClickButton(d, IDOK);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(Saved(), Edited({{"Net=\"GND\" Type=\"PLANE\"", "Net=\"N1\" Type=\"PLANE\""}}));
        ClickCell(list, 2, List::kColumnNet);
        TypeIntoCell(list, L"");
        ClickButton(d, IDCANCEL);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(Saved(),
                  Edited({{"<Layer Net=\"GND\" Type=\"PLANE\">", "<Layer Type=\"PLANE\">"}}));
        ClickButton(d, IDOK);
        EXPECT_TRUE(d.IsEnded());
    });
    m_view.undo.Undo();
    EXPECT_EQ(Saved(), original_);
}

TEST_F(StackupTest, ThermalFlagOfPlanesOnly) {
    Run([&](CStackup& d, List* list) {
        ClickCell(list, 1, List::kColumnNoThermal);
        EXPECT_EQ(Saved(), original_);
        ClickCell(list, 2, List::kColumnNoThermal);
        EXPECT_EQ(Saved(), Edited({{"Net=\"GND\" Type=\"PLANE\"",
                                    "Net=\"GND\" NoThermal=\"1\" Type=\"PLANE\""}}));
        ClickCell(list, 2, List::kColumnNoThermal);
        EXPECT_EQ(Saved(), original_);
        ClickCell(list, 2, List::kColumnNoThermal);
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(Saved(), original_);
}

// Random clicks, drags, keys, buttons and answers: nothing breaks, every
// conductor, area and text stays on a layer of the stackup, and Cancel
// gives back the original document.
TEST_F(StackupTest, RandomEditsCancelToTheOriginal) {
    const RandomSeed seed(20u);
    std::mt19937 random(seed.Value());
    for (int round = 0; round < 10; ++round) {
        Run([&](CStackup& d, List* list) {
            for (int step = 0; step < 100; ++step) {
                const int rows = list->GetItemCount();
                const int row = static_cast<int>(random() % static_cast<unsigned>(rows));
                switch (random() % 7) {
                case 0:
                case 1:
                    ClickCell(list, row, static_cast<int>(random() % List::kColumnCount));
                    break;
                case 2:
                    Drag(list, row, static_cast<int>(random() % static_cast<unsigned>(rows)));
                    break;
                case 3:
                    ui_.Answer({random() % 2 ? IDYES : IDNO});
                    ClickButton(d, random() % 2 ? Id::kInsertLayer : Id::kDeleteLayer);
                    break;
                case 4:
                    if (ComboBoxControl* combo = list->GetCellCombo())
                        ChooseInCombo(combo, static_cast<int>(random() % 2));
                    break;
                case 5:
                    if (list->GetCellEdit())
                        TypeIntoCell(list, random() % 2 ? L"N1" : L"GND");
                    break;
                default:
                    // With an editor open, OK and Cancel only finish it.
                    if (list->IsEditing())
                        ClickButton(d, random() % 2 ? IDOK : IDCANCEL);
                    break;
                }
                ASSERT_FALSE(d.IsEnded());
                std::set<int> ids;
                for (int r = 0; r < list->GetItemCount(); ++r)
                    ids.insert(list->GetRowLayer(r)->m_id);
                for (CTreeNode* net : board_->GetChildren()) {
                    for (CTreeNode* node : net->GetChildren()) {
                        if (node->GetType() == NodeType::Conductor) {
                            ASSERT_TRUE(ids.count(node->GetLayer())) << node->GetLayer();
                        }
                    }
                }
            }
            while (list->IsEditing())
                ClickButton(d, IDCANCEL);
            ClickButton(d, IDCANCEL);
        });
        ASSERT_EQ(Saved(), original_) << round;
    }
}

// The example board's stackup, for a person to look at; rows are drawn in
// their layer's colour with the thermal mark of planes.
TEST_F(StackupTest, Picture) {
    CRoot root;
    ASSERT_TRUE(
        CXmlFile(&root).Load((Utf8ToWide(VORPEL_SOURCE_DIR) + L"/examples/demo.circuit").c_str()));
    auto* board = static_cast<CBoard*>(root.GetChildren()[0]);
    CStackup dlg(board, &m_view.undo);
    ScopedModalDialogHook hook([&](PlatformDialog&) {
        List* list = dlg.GetList();
        EXPECT_EQ(Rows(list), kFourInner);
        EXPECT_EQ(list->GetItemText(4, 0), L"Inner 4");
        list->SelectItem(2);
        POINT p = CellCentre(list, 4, 0);
        SimulateMouse(list, WM_LBUTTONDOWN, p, MK_LBUTTON);
        SimulateMouse(list, WM_MOUSEMOVE, CellCentre(list, 3, 0), MK_LBUTTON);
        SimulateMouse(list, WM_MOUSEMOVE, CellCentre(list, 2, 0), MK_LBUTTON);
        EXPECT_EQ(list->GetInsertMark(), 2);
        WritePicture(dlg, "stackup");
        RECT rc;
        list->GetItemRect(1, &rc);
        auto image =
            PaintTarget::CreateImage(list->GetClientRect().right, list->GetClientRect().bottom);
        list->RenderTo(*image);
        EXPECT_EQ(image->PixelAt(rc.left + 60, rc.top + 3),
                  ColorRefToArgb(g_DefaultSettings.layerColors[2], 0xFF));
        SimulateMouse(list, WM_LBUTTONUP, CellCentre(list, 5, 0));
        ClickButton(dlg, IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

// The dialog on the screen through the changes that uncover or repaint parts
// of the list: each state shows as a full repaint would show it.
TEST_F(StackupTest, EveryStateRepaintsAsShown) {
    Run([&](CStackup& d, List* list) {
        CheckRepaint(d, "stackup-opened");
        ClickButton(d, Id::kInsertLayer);
        CheckRepaint(d, "stackup-row-added");
        ClickCell(list, 1, List::kColumnLayer); // Inner 1 holds nothing
        ClickButton(d, Id::kDeleteLayer);
        ASSERT_EQ(list->GetItemCount(), 6);
        CheckRepaint(d, "stackup-row-removed");
        // A routing layer made a plane: its row gets the plane's look.
        ClickCell(list, 3, List::kColumnType);
        ASSERT_NE(list->GetCellCombo(), nullptr);
        CheckRepaint(d, "stackup-type-list-open");
        ChooseInCombo(list->GetCellCombo(), 1);
        ASSERT_EQ(list->GetCellEditor(), nullptr);
        CheckRepaint(d, "stackup-type-changed");
        ClickCell(list, 5, List::kColumnLayer);
        CheckRepaint(d, "stackup-selection-moved");
        ClickCell(list, 0, List::kColumnLayer);
        CheckRepaint(d, "stackup-selection-moved-up");
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(Saved(), original_);
}

// The type and net of a row are as readable as its name: light text on dark
// layer colours ("Routing" on the bottom layer's blue), dark on light ones.
TEST_F(StackupTest, EveryTextOfARowStandsOutFromTheLayerColour) {
    CRoot root;
    ASSERT_TRUE(
        CXmlFile(&root).Load((Utf8ToWide(VORPEL_SOURCE_DIR) + L"/examples/demo.circuit").c_str()));
    auto* board = static_cast<CBoard*>(root.GetChildren()[0]);
    CStackup dlg(board, &m_view.undo);
    ScopedModalDialogHook hook([&](PlatformDialog&) {
        List* list = dlg.GetList();
        auto image =
            PaintTarget::CreateImage(list->GetClientRect().right, list->GetClientRect().bottom);
        list->RenderTo(*image);
        auto luminance = [](ARGB c) {
            return 0.299 * ((c >> 16) & 0xFF) + 0.587 * ((c >> 8) & 0xFF) + 0.114 * (c & 0xFF);
        };
        int dark = 0;
        for (int row = 0; row < list->GetItemCount(); ++row) {
            const CLayer* layer = list->GetRowLayer(row);
            ASSERT_NE(layer, nullptr);
            if (layer->m_layerType == 0)
                continue; // no type, no type name
            const bool darkRow =
                luminance(ColorRefToArgb(g_DefaultSettings.layerColors[layer->m_id], 0xFF)) <=
                127.5;
            RECT cell{};
            ASSERT_TRUE(list->GetSubItemRect(row, List::kColumnType, &cell));
            int readable = 0; // inside the grid lines
            for (int y = cell.top + 2; y < cell.bottom - 2; ++y)
                for (int x = cell.left + 2; x < cell.right - 2; ++x) {
                    const double l = luminance(image->PixelAt(x, y));
                    readable += darkRow ? (l > 200) : (l < 60);
                }
            EXPECT_GT(readable, 5) << WideToUtf8(list->GetItemText(row, 0));
            dark += darkRow ? 1 : 0;
        }
        EXPECT_GT(dark, 0) << "the example has a dark layer";
        ClickButton(dlg, IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

} // namespace
