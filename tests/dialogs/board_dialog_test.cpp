// The board settings dialog driven through the modal hook and simulated
// input: the via table (default via, insert, delete, each column's edit),
// the four length fields, the unit, OK and Cancel; each checked against the
// saved document, Cancel against the bytes before the dialog.
#include "dialogs/board_dialog.h"

#include "board/board.h"
#include "board/board_properties.h"
#include "core/undo_list.h"
#include "dialogs/board_class_settings.h"
#include "dialogs/via_list_ctrl.h"
#include "platform/settings_store.h"
#include "tests/board/board_fixture.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/random_seed.h"
#include "tests/ui_hooks_recorder.h"

#include <functional>
#include <iterator>
#include <random>

namespace {

using namespace dialog_driver;
using Id = CBoardDialog::ControlId;
using Row = std::vector<std::wstring>;

// Name and the four diameters of a via row.
Row Texts(CViaListCtrl* list, int row) {
    return RowTexts(list, row, CViaListCtrl::kColumnName, CViaListCtrl::kColumnMask);
}

// Two vias: V1 the default with a TOP pad and a drill, V2 with only a TOP
// pad. The relief matches the node's widths.
const char* const kBoard = R"(<Project>
  <Board>Main
    <Layer>TOP</Layer>
    <Layer>BOT</Layer>
    <Properties ConductorSpacing="0.25" ConductorWidth="0.3" DefaultVia="V1" IsolationWidth="0.4" SpokeWidth="0.35">
      <Thermal Isolation="0.4" Spoke="0.35"/>
      <Padstack>V1
        <PadLayer Size="1,1"/>
        <Drill Diam="0.5"/>
      </Padstack>
      <Padstack>V2
        <PadLayer Size="1.2,1.2"/>
      </Padstack>
    </Properties>
  </Board>
</Project>
)";

class BoardDialogTest : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        SettingsStore::Reset();
        ASSERT_TRUE(LoadText(root_, XmlDoc(kBoard)));
        board_ = static_cast<CBoard*>(root_.GetChildren()[0]);
        original_ = SaveText(root_);
    }
    void TearDown() override {
        SettingsStore::Reset();
        BoardFixture::TearDown();
    }

    // Runs the dialog on the board with the view's history as the caller's;
    // drive acts as the user. Answers the dialog's result.
    int Run(const std::function<void(CBoardDialog&, CViaListCtrl*)>& drive) {
        CBoardProperties* properties = CBoardDialog::PrepareProperties(board_, &m_view.undo);
        EXPECT_NE(properties, nullptr);
        CBoardDialog dlg(properties, &m_view.undo);
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            ASSERT_EQ(&d, &dlg);
            drive(dlg, dlg.GetViaList());
        });
        return dlg.DoModal();
    }
    // The saved document with one piece of the original replaced.
    std::string Original(const std::string& from, const std::string& to) const {
        std::string s = original_;
        size_t at = s.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos)
            s.replace(at, from.size(), to);
        return s;
    }
    std::string Saved() { return SaveText(root_); }

    CRoot root_;
    CBoard* board_ = nullptr;
    std::string original_;
    ScopedUiHooksRecorder ui_;
};

// --- Opening -----------------------------------------------------------------

TEST_F(BoardDialogTest, OpensOnTheNodeWithItsViasAndLengths) {
    int result = Run([&](CBoardDialog& d, CViaListCtrl* list) {
        EXPECT_EQ(d.GetDlgItemText(Id::kUnit), L"mm");
        EXPECT_EQ(d.GetDlgItemText(Id::kSpacing), L"0.250");
        EXPECT_EQ(d.GetDlgItemText(Id::kSpoke), L"0.350");
        ASSERT_EQ(list->GetItemCount(), 2);
        EXPECT_EQ(Texts(list, 0), (Row{L"V1", L"1.000", L"0.000", L"0.500", L"1.000"}));
        EXPECT_EQ(Texts(list, 1), (Row{L"V2", L"1.200", L"0.000", L"0.000", L"1.200"}));
        // The dialog's group so far: the node's snapshot alone.
        EXPECT_EQ(m_view.undo.UndoCount(), 1u);
        EXPECT_TRUE(m_view.undo.UndoItemAt(0)->IsGroupHead());
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    // Nothing was changed: OK keeps the exact lengths and the file.
    EXPECT_EQ(Saved(), original_);
}

// A board without a design-rule node gets one from the board class, with a
// relief and "Via 1", in the dialog's group: Cancel takes it away again.
TEST_F(BoardDialogTest, NodeMadeForTheDialogGoesWithCancel) {
    CRoot root;
    ASSERT_TRUE(LoadText(root, XmlDoc("<Project><Board>B</Board></Project>")));
    auto* board = static_cast<CBoard*>(root.GetChildren()[0]);
    const std::string before = SaveText(root);
    CBoardProperties* p = CBoardDialog::PrepareProperties(board, &m_view.undo);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->GetParent(), board);
    CBoardDialog dlg(p, &m_view.undo);
    ScopedModalDialogHook hook([&](PlatformDialog&) {
        CViaListCtrl* list = dlg.GetViaList();
        ASSERT_EQ(list->GetItemCount(), 1);
        EXPECT_EQ(list->GetItemText(0, 1), L"Via 1");
        EXPECT_EQ(list->GetItemText(0, 2), L"1.300");
        EXPECT_EQ(dlg.GetDlgItemText(Id::kConductorWidth), L"0.250");
        ClickButton(dlg, IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(SaveText(root), before);
    EXPECT_EQ(m_view.undo.UndoCount(), 0u);
    EXPECT_EQ(m_view.undo.RedoCount(), 0u);
}

// --- The via table -------------------------------------------------------------

TEST_F(BoardDialogTest, DefaultViaByItsColumnAndCancel) {
    EXPECT_EQ(Run([&](CBoardDialog& d, CViaListCtrl* list) {
                  ClickCell(list, 1, CViaListCtrl::kColumnDefault);
                  EXPECT_EQ(Saved(), Original("DefaultVia=\"V1\"", "DefaultVia=\"V2\""));
                  EXPECT_EQ(list->GetCellEditor(), nullptr);
                  ClickButton(d, IDCANCEL);
              }),
              IDCANCEL);
    EXPECT_EQ(Saved(), original_);
    EXPECT_EQ(m_view.undo.UndoCount(), 0u);

    EXPECT_EQ(Run([&](CBoardDialog& d, CViaListCtrl* list) {
                  ClickCell(list, 1, CViaListCtrl::kColumnDefault);
                  ClickButton(d, IDOK);
              }),
              IDOK);
    const std::string changed = Original("DefaultVia=\"V1\"", "DefaultVia=\"V2\"");
    EXPECT_EQ(Saved(), changed);
    // The whole dialog is one step of the caller's history.
    m_view.undo.Undo();
    EXPECT_EQ(Saved(), original_);
    m_view.undo.Redo();
    EXPECT_EQ(Saved(), changed);
}

TEST_F(BoardDialogTest, InsertCloneOrDefaultAndDelete) {
    BoardClassSettings::WriteCurrentClass(2);
    Run([&](CBoardDialog& d, CViaListCtrl* list) {
        // A copy of the selected via, at its row, the model's last child.
        ClickCell(list, 1, CViaListCtrl::kColumnDefault);
        ClickButton(d, Id::kInsertVia);
        ASSERT_EQ(list->GetItemCount(), 3);
        EXPECT_EQ(list->GetSelectedIndex(), 1);
        EXPECT_EQ(list->GetItemText(1, 1), L"V2");
        EXPECT_NE(list->GetRowVia(1), list->GetRowVia(2));
        const std::string v2 = "      <Padstack>V2\r\n        <PadLayer Size=\"1.2,1.2\"/>\r\n"
                               "      </Padstack>\r\n";
        EXPECT_EQ(Saved(),
                  Original(v2, v2 + v2)
                      .replace(original_.find("DefaultVia=\"V1\""), 15, "DefaultVia=\"V2\""));
        // Nothing selected: "Via 1" of the current board class, at the end.
        list->SetItemState(-1, 0, LVIS_SELECTED);
        ClickButton(d, Id::kInsertVia);
        ASSERT_EQ(list->GetItemCount(), 4);
        EXPECT_EQ(list->GetSelectedIndex(), 3);
        EXPECT_EQ(Texts(list, 3), (Row{L"Via 1", L"0.600", L"0.900", L"0.300", L"0.000"}));
        // Delete takes the selected row's via out of the node.
        ClickCell(list, 0, CViaListCtrl::kColumnName);
        ClickButton(d, Id::kDeleteVia);
        EXPECT_EQ(list->GetCellEditor(), nullptr);
        ASSERT_EQ(list->GetItemCount(), 3);
        EXPECT_EQ(list->GetItemText(0, 1), L"V2");
        const std::string saved = Saved();
        EXPECT_EQ(saved.find(">V1"), std::string::npos);
        EXPECT_NE(saved.find(">Via 1"), std::string::npos);
        // Delete with nothing selected does nothing.
        list->SetItemState(-1, 0, LVIS_SELECTED);
        ClickButton(d, Id::kDeleteVia);
        EXPECT_EQ(list->GetItemCount(), 3);
        EXPECT_EQ(Saved(), saved);
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(Saved(), original_);
}

// Each length column sets its pad layers (creating the missing ones round)
// or the drill; the row shows the model afterwards.
TEST_F(BoardDialogTest, EachColumnEditsItsPadLayersAndDrill) {
    struct Case {
        int column;
        std::wstring typed;
        std::string via2; // V2's children after the edit
        Row row;
    };
    const std::string top = "        <PadLayer Size=\"1.2,1.2\"/>\r\n";
    const std::vector<Case> cases = {
        {CViaListCtrl::kColumnRouting,
         L"0.8",
         "        <PadLayer Size=\"0.8,0.8\"/>\r\n"
         "        <PadLayer Layer=\"BOT\" Size=\"0.8,0.8\"/>\r\n"
         "        <PadLayer Layer=\"INR\" Size=\"0.8,0.8\"/>\r\n",
         {L"V2", L"0.800", L"0.000", L"0.000", L"0.800"}},
        {CViaListCtrl::kColumnPlane,
         L"2",
         top + "        <PadLayer Layer=\"PLN\" Size=\"2,2\"/>\r\n",
         {L"V2", L"1.200", L"2.000", L"0.000", L"1.200"}},
        {CViaListCtrl::kColumnDrill,
         L" 0.45\t",
         top + "        <Drill Diam=\"0.45\"/>\r\n",
         {L"V2", L"1.200", L"0.000", L"0.450", L"1.200"}},
        {CViaListCtrl::kColumnMask,
         L"1.4",
         top + "        <PadLayer Layer=\"SMT\" Size=\"1.4,1.4\"/>\r\n"
               "        <PadLayer Layer=\"SMB\" Size=\"1.4,1.4\"/>\r\n",
         {L"V2", L"1.200", L"0.000", L"0.000", L"1.400"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        const std::string expected = Original(top + "      </Padstack>\r\n    </Properties>",
                                              c.via2 + "      </Padstack>\r\n    </Properties>");
        EXPECT_EQ(Run([&](CBoardDialog& d, CViaListCtrl* list) {
                      EditCell(list, 1, c.column, c.typed);
                      EXPECT_FALSE(d.IsEnded());
                      EXPECT_EQ(list->GetCellEditor(), nullptr);
                      EXPECT_EQ(Texts(list, 1), c.row);
                      EXPECT_EQ(Saved(), expected);
                      ClickButton(d, IDOK);
                  }),
                  IDOK);
        EXPECT_EQ(Saved(), expected);
        m_view.undo.Undo();
        EXPECT_EQ(Saved(), original_);
    }
    // The existing TOP pad and drill of V1 are changed in place.
    Run([&](CBoardDialog& d, CViaListCtrl* list) {
        EditCell(list, 0, CViaListCtrl::kColumnDrill, L"0.6");
        EditCell(list, 0, CViaListCtrl::kColumnRouting, L"1.1");
        const std::string expected =
            Original("        <PadLayer Size=\"1,1\"/>\r\n        <Drill Diam=\"0.5\"/>\r\n",
                     "        <PadLayer Size=\"1.1,1.1\"/>\r\n        <Drill Diam=\"0.6\"/>\r\n"
                     "        <PadLayer Layer=\"BOT\" Size=\"1.1,1.1\"/>\r\n"
                     "        <PadLayer Layer=\"INR\" Size=\"1.1,1.1\"/>\r\n");
        EXPECT_EQ(Saved(), expected);
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(Saved(), original_);
}

// Typing the very text a cell shows applies it: the mask cell of a via
// without mask pads shows its TOP pad, and retyping that makes the mask
// pads; retyping the routing cell makes the pads the TOP pad stands for.
TEST_F(BoardDialogTest, RetypingTheShownTextAppliesIt) {
    const std::string top = "        <PadLayer Size=\"1.2,1.2\"/>\r\n";
    const struct {
        int column;
        std::string added;
    } cases[] = {
        {CViaListCtrl::kColumnMask, "        <PadLayer Layer=\"SMT\" Size=\"1.2,1.2\"/>\r\n"
                                    "        <PadLayer Layer=\"SMB\" Size=\"1.2,1.2\"/>\r\n"},
        {CViaListCtrl::kColumnRouting, "        <PadLayer Layer=\"BOT\" Size=\"1.2,1.2\"/>\r\n"
                                       "        <PadLayer Layer=\"INR\" Size=\"1.2,1.2\"/>\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column);
        Run([&](CBoardDialog& d, CViaListCtrl* list) {
            ASSERT_EQ(list->GetItemText(1, c.column), L"1.200");
            EditCell(list, 1, c.column, L"1.200");
            EXPECT_EQ(Saved(), Original(top + "      </Padstack>\r\n    </Properties>",
                                        top + c.added + "      </Padstack>\r\n    </Properties>"));
            ClickButton(d, IDCANCEL);
        });
        EXPECT_EQ(Saved(), original_);
    }
}

// A cell that is not a length, or a negative one, beeps and changes
// nothing; so does a drill of zero. A cell left as shown changes nothing.
TEST_F(BoardDialogTest, BadCellTextsAreRefused) {
    Run([&](CBoardDialog& d, CViaListCtrl* list) {
        const std::vector<std::pair<int, std::wstring>> bad = {
            {CViaListCtrl::kColumnRouting, L"abc"}, {CViaListCtrl::kColumnRouting, L"1,5"},
            {CViaListCtrl::kColumnPlane, L"-1"},    {CViaListCtrl::kColumnMask, L""},
            {CViaListCtrl::kColumnDrill, L"0"},     {CViaListCtrl::kColumnDrill, L"1e999"},
            {CViaListCtrl::kColumnMask, L"2mm"},
        };
        for (const auto& [column, text] : bad) {
            ui_.beeps.clear();
            EditCell(list, 1, column, text);
            EXPECT_EQ(ui_.beeps.size(), 1u) << column << " " << WideToUtf8(text);
            EXPECT_EQ(Saved(), original_);
        }
        EXPECT_EQ(list->GetItemText(1, CViaListCtrl::kColumnRouting), L"1.200");
        // Clicking the plane cell (showing 0) and leaving it creates nothing.
        ClickCell(list, 1, CViaListCtrl::kColumnPlane);
        ClickCell(list, 0, CViaListCtrl::kColumnPlane);
        ClickButton(d, IDOK);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(Saved(), original_);
        ClickButton(d, IDOK);
        EXPECT_TRUE(d.IsEnded());
    });
    EXPECT_EQ(Saved(), original_);
}

// Renaming the default via renames the default with it; renaming another
// via leaves the default alone.
TEST_F(BoardDialogTest, RenamingTheDefaultViaKeepsItTheDefault) {
    Run([&](CBoardDialog& d, CViaListCtrl* list) {
        EditCell(list, 0, CViaListCtrl::kColumnName, L"VIA 0.5");
        std::string expected = Original("DefaultVia=\"V1\"", "DefaultVia=\"VIA 0.5\"");
        expected.replace(expected.find(">V1\r\n"), 5, ">VIA 0.5\r\n");
        EXPECT_EQ(Saved(), expected);
        EditCell(list, 1, CViaListCtrl::kColumnName, L"Small");
        expected.replace(expected.find(">V2\r\n"), 5, ">Small\r\n");
        EXPECT_EQ(Saved(), expected);
        ClickButton(d, IDOK);
    });
    m_view.undo.Undo();
    EXPECT_EQ(Saved(), original_);
}

// --- Units and the four fields ----------------------------------------------

// The unit re-formats the fields and the rows without touching the model;
// an open cell is committed in the unit it was typed in.
TEST_F(BoardDialogTest, UnitChangeCommitsTheOpenCellFirst) {
    Run([&](CBoardDialog& d, CViaListCtrl* list) {
        ClickCell(list, 0, CViaListCtrl::kColumnDrill);
        TypeIntoCell(list, L"0.700");
        ChooseInCombo(d.GetDlgItemAs<ComboBoxControl>(Id::kUnit), kUnitMil);
        EXPECT_EQ(list->GetCellEditor(), nullptr);
        EXPECT_EQ(d.m_unit, kUnitMil);
        EXPECT_EQ(Saved(), Original("<Drill Diam=\"0.5\"/>", "<Drill/>"));
        EXPECT_EQ(Texts(list, 0), (Row{L"V1", L"39.4", L"0.0", L"27.6", L"39.4"}));
        EXPECT_EQ(d.GetDlgItemText(Id::kConductorWidth), L"11.8");
        EXPECT_EQ(d.GetDlgItemText(Id::kSpoke), L"13.8");
        // A typed field is read in the unit it was typed in.
        d.SetDlgItemText(Id::kSpacing, L"1");
        ChooseInCombo(d.GetDlgItemAs<ComboBoxControl>(Id::kUnit), kUnitInch);
        EXPECT_EQ(d.GetDlgItemText(Id::kSpacing), L"0.001");
        EXPECT_EQ(d.GetDlgItemText(Id::kConductorWidth), L"0.012");
        ClickButton(d, IDOK);
    });
    // Untouched lengths come back exactly; the typed spacing is 1 mil.
    std::string expected = Original("<Drill Diam=\"0.5\"/>", "<Drill/>");
    expected.replace(expected.find("<Properties "), 12, "<Properties ConductorSpacing=\"0.0254\" ");
    EXPECT_EQ(Saved(), expected);
    EXPECT_EQ(BoardClassSettings::ReadUnit(), kUnitInch);
}

// OK reads the fields; a rejected one keeps the dialog open with the focus
// in it, and nothing of it is stored.
TEST_F(BoardDialogTest, OkRefusesToCloseOnARejectedField) {
    int result = Run([&](CBoardDialog& d, CViaListCtrl*) {
        d.SetDlgItemText(Id::kConductorWidth, L"0.2");
        d.SetDlgItemText(Id::kSpacing, L"wide");
        d.SetDlgItemText(Id::kIsolation, L"0.5");
        ClickButton(d, IDOK);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(ui_.beeps, std::vector<unsigned>{kSimpleBeep});
        EXPECT_EQ(PlatformWindow::GetFocus(), d.GetDlgItem(Id::kSpacing));
        EXPECT_EQ(Saved(), original_);
        TypeIntoField(d, Id::kSpacing, L"0.2");
        ClickButton(d, IDOK);
        EXPECT_TRUE(d.IsEnded());
    });
    EXPECT_EQ(result, IDOK);
    // 0.25 is the spacing's default, which the file leaves out.
    std::string expected = Original("<Properties ConductorWidth=\"0.3\"",
                                    "<Properties ConductorSpacing=\"0.2\" ConductorWidth=\"0.2\"");
    expected.replace(expected.find("IsolationWidth=\"0.4\""), 20, "IsolationWidth=\"0.5\"");
    expected.replace(expected.find("Isolation=\"0.4\""), 15, "Isolation=\"0.5\"");
    EXPECT_EQ(Saved(), expected);
}

// Negative lengths are refused in each of the four fields as the board page
// refuses them: a beep, the focus back in the field, nothing stored; 0 is
// a width like any other, but no isolation, which must clear copper.
TEST_F(BoardDialogTest, NegativeLengthsAreRefused) {
    const Id fields[] = {Id::kConductorWidth, Id::kSpacing, Id::kIsolation, Id::kSpoke};
    int result = Run([&](CBoardDialog& d, CViaListCtrl*) {
        size_t beeps = 0;
        for (Id field : fields) {
            std::vector<const wchar_t*> refused = {L"-1", L"-0.5", L"-0.001"};
            if (field == Id::kIsolation)
                refused.push_back(L"0");
            for (const wchar_t* text : refused) {
                TypeIntoField(d, field, text);
                ClickButton(d, IDOK);
                EXPECT_FALSE(d.IsEnded()) << text;
                EXPECT_EQ(ui_.beeps.size(), ++beeps) << text;
                EXPECT_EQ(PlatformWindow::GetFocus(), d.GetDlgItem(field)) << text;
                EXPECT_EQ(Saved(), original_) << text;
            }
            TypeIntoField(d, field, field == Id::kIsolation ? L"0.01" : L"0");
        }
        // A negative entry left behind by a change of unit is refused too.
        TypeIntoField(d, Id::kSpoke, L"-0.2");
        ChooseInCombo(d.GetDlgItemAs<ComboBoxControl>(Id::kUnit), kUnitMil);
        EXPECT_EQ(ui_.beeps.size(), beeps + 1);
        TypeIntoField(d, Id::kSpoke, L"0");
        ClickButton(d, IDOK);
        EXPECT_TRUE(d.IsEnded());
    });
    EXPECT_EQ(result, IDOK);
    const std::string saved = Saved();
    EXPECT_EQ(saved.find("=\"-"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<Thermal Isolation=\"0.01\" Spoke=\"0\"/>"), std::string::npos)
        << saved;
}

// Cancel with an open cell only commits it; Esc is Cancel.
TEST_F(BoardDialogTest, CancelWithAnOpenCellCommitsIt) {
    EXPECT_EQ(Run([&](CBoardDialog& d, CViaListCtrl* list) {
                  ClickCell(list, 1, CViaListCtrl::kColumnName);
                  TypeIntoCell(list, L"W");
                  ClickButton(d, IDCANCEL);
                  EXPECT_FALSE(d.IsEnded());
                  EXPECT_NE(Saved().find(">W\r\n"), std::string::npos);
                  PressKey(list, VK_ESCAPE);
              }),
              IDCANCEL);
    EXPECT_EQ(Saved(), original_);
}

// Random cell edits, insertions, deletions, unit changes and default vias
// under the sanitizers; Cancel gives back the original document.
TEST_F(BoardDialogTest, RandomEditsCancelToTheOriginal) {
    const RandomSeed seed(7u);
    std::mt19937 random(seed.Value());
    const wchar_t* texts[] = {L"0.5", L"12", L"x", L"-1", L"0", L"V9", L""};
    for (int round = 0; round < 8; ++round) {
        Run([&](CBoardDialog& d, CViaListCtrl* list) {
            for (int step = 0; step < 80; ++step) {
                const int rows = list->GetItemCount();
                switch (random() % 6) {
                case 0:
                case 1:
                    if (rows > 0)
                        ClickCell(list, static_cast<int>(random() % static_cast<unsigned>(rows)),
                                  static_cast<int>(random() % CViaListCtrl::kColumnCount));
                    break;
                case 2:
                    if (list->IsEditing())
                        TypeIntoCell(list, texts[random() % std::size(texts)]);
                    break;
                case 3:
                    ClickButton(d, random() % 3 ? Id::kInsertVia : Id::kDeleteVia);
                    break;
                case 4:
                    ChooseInCombo(d.GetDlgItemAs<ComboBoxControl>(Id::kUnit),
                                  static_cast<int>(random() % 4));
                    break;
                default:
                    if (list->IsEditing())
                        ClickButton(d, random() % 2 ? IDOK : IDCANCEL);
                    break;
                }
                ASSERT_FALSE(d.IsEnded());
            }
            if (list->IsEditing())
                ClickButton(d, IDCANCEL);
            ClickButton(d, IDCANCEL);
        });
        ASSERT_EQ(Saved(), original_) << round;
    }
}

// The dialog on the screen with its via list grown, a cell being edited and
// ended, a via taken away and the selection moved: each state as a full
// repaint shows it.
TEST_F(BoardDialogTest, EveryStateRepaintsAsShown) {
    Run([&](CBoardDialog& d, CViaListCtrl* list) {
        CheckRepaint(d, "board-settings-opened");
        ClickButton(d, Id::kInsertVia);
        ClickButton(d, Id::kInsertVia);
        ASSERT_EQ(list->GetItemCount(), 4);
        CheckRepaint(d, "board-settings-rows-added");
        CheckRepaintsOfACellEdit(d, list, 1, CViaListCtrl::kColumnDrill, L"0.45", "board-settings");
        ClickCell(list, 3, CViaListCtrl::kColumnName);
        ClickButton(d, Id::kDeleteVia);
        ASSERT_EQ(list->GetItemCount(), 3);
        CheckRepaint(d, "board-settings-row-removed");
        ClickCell(list, 0, CViaListCtrl::kColumnName); // opens its name for typing
        CheckRepaint(d, "board-settings-selection-moved");
        ClickButton(d, IDCANCEL); // closes the cell
        CheckRepaint(d, "board-settings-name-closed");
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(Saved(), original_);
}

// The example board's dialog, for a person to look at.
TEST_F(BoardDialogTest, Picture) {
    CRoot root;
    ASSERT_TRUE(
        CXmlFile(&root).Load((Utf8ToWide(VORPEL_SOURCE_DIR) + L"/examples/demo.circuit").c_str()));
    auto* board = static_cast<CBoard*>(root.GetChildren()[0]);
    CBoardProperties* p = CBoardDialog::PrepareProperties(board, &m_view.undo);
    CBoardDialog dlg(p, &m_view.undo);
    ScopedModalDialogHook hook([&](PlatformDialog&) {
        CViaListCtrl* list = dlg.GetViaList();
        ASSERT_EQ(list->GetItemCount(), 1);
        ClickButton(dlg, CBoardDialog::kInsertVia);
        list->SelectItem(1);
        WritePicture(dlg, "board-settings");
        ClickButton(dlg, IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

} // namespace
