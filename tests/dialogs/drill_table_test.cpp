// The drill table driven through the modal hook and simulated input: rows
// by kind and size from package footprints, vias and mounting footprints,
// counts, near-duplicate marks, the highlight of the current row, and size
// edits that change every padstack of a row; each checked against the
// saved document, Cancel against the bytes before the dialog.
#include "dialogs/drill_table.h"

#include "board/board.h"
#include "board/pad.h"
#include "core/undo_list.h"
#include "platform/bitmap.h"
#include "platform/system_colors.h"
#include "tests/board/board_fixture.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/random_seed.h"
#include "tests/ui_hooks_recorder.h"

#include <functional>
#include <iterator>
#include <random>

namespace {

using namespace dialog_driver;
using Id = CDrillTable::ControlId;

// Round plated holes of 0.8 (three pads, and one of 0.8004 which shares its
// row), 0.82 (two) and 0.3 (two vias); a slot 0.8 x 2; a non-plated 3.2
// and a custom outline in the mounting. A surface pad, a drill without a
// hole and a package without a footprint add nothing.
const char* const kBoard = R"(<Project>
  <Board Unit="1">Main
    <Layer>TOP</Layer>
    <Layer>BOT</Layer>
    <Package Footprint="DIP">
      <Footprint XY="10,10">DIP
        <Padstack>P080
          <PadLayer Size="1.6,1.6"/>
          <Drill Diam="0.8"/>
          <Pad Num="1" XY="0,0"/>
          <Pad Num="2" XY="2.54,0"/>
          <Pad Num="3" XY="5.08,0"/>
        </Padstack>
        <Padstack>P082
          <PadLayer Size="1.6,1.6"/>
          <Drill Diam="0.82"/>
          <Pad Num="4" XY="0,2.54"/>
          <Pad Num="5" XY="2.54,2.54"/>
        </Padstack>
        <Padstack>SLOT
          <PadLayer Size="1.6,3"/>
          <Drill Slot="0.8,2" Type="SLOT"/>
          <Pad Num="6" XY="8,0"/>
        </Padstack>
        <Padstack>SMD
          <PadLayer Shape="RECT" Size="1,1"/>
          <Pad Num="7" XY="8,4"/>
        </Padstack>
        <Padstack>NOHOLE
          <Drill Type="NONE"/>
          <Pad Num="8" XY="8,6"/>
        </Padstack>
      </Footprint>
    </Package>
    <Package Footprint="MISSING"/>
    <Net>N1
      <Padstack>VIA
        <PadLayer Size="0.6,0.6"/>
        <Drill Diam="0.3"/>
        <Pad XY="20,20"/>
        <Pad XY="22,20"/>
      </Padstack>
    </Net>
    <Mounting>
      <Footprint XY="5,5">HOLE
        <Padstack>H32
          <Drill Diam="3.2" NonPlated="1"/>
          <Pad/>
        </Padstack>
        <Padstack>P0804
          <Drill Diam="0.8004"/>
          <Pad XY="1,1"/>
        </Padstack>
        <Padstack>MILL
          <Drill Type="CUSTOM">LIN0,0 LIN3,0 LIN3,1</Drill>
          <Pad XY="2,2"/>
        </Padstack>
      </Footprint>
    </Mounting>
  </Board>
</Project>
)";

struct RowText {
    std::wstring kind;
    std::wstring diameter;
    std::wstring count;
};

class DrillTableTest : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        ASSERT_TRUE(LoadText(root_, XmlDoc(kBoard)));
        board_ = static_cast<CBoard*>(root_.GetChildren()[0]);
        original_ = SaveText(root_);
    }
    int Run(const std::function<void(CDrillTable&, ListViewControl*)>& drive) {
        CDrillTable dlg(board_, &m_view.undo);
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            ASSERT_EQ(&d, &dlg);
            drive(dlg, dlg.GetList());
        });
        return dlg.DoModal();
    }
    static std::vector<RowText> Rows(ListViewControl* list) {
        std::vector<RowText> out;
        for (int i = 0; i < list->GetItemCount(); ++i)
            out.push_back(
                {list->GetItemText(i, 0), list->GetItemText(i, 1), list->GetItemText(i, 2)});
        return out;
    }
    // The pads highlighted on the board.
    std::vector<CPad*> Highlighted() {
        std::vector<CPad*> out;
        Collect(board_, out);
        return out;
    }
    static void Collect(CTreeNode* node, std::vector<CPad*>& out) {
        for (CTreeNode* child : node->GetChildren()) {
            if (child->GetType() == NodeType::Pad && static_cast<CPad*>(child)->m_highlight)
                out.push_back(static_cast<CPad*>(child));
            Collect(child, out);
        }
    }
    std::string Saved() { return SaveText(root_); }
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

    CRoot root_;
    CBoard* board_ = nullptr;
    std::string original_;
    ScopedUiHooksRecorder ui_;
};

bool operator==(const RowText& a, const RowText& b) {
    return a.kind == b.kind && a.diameter == b.diameter && a.count == b.count;
}
void PrintTo(const RowText& r, std::ostream* os) {
    *os << WideToUtf8(r.kind) << " " << WideToUtf8(r.diameter) << " " << WideToUtf8(r.count);
}

const std::vector<RowText> kRows = {
    {L"Round non-plated", L"3.200", L"1"}, {L"Round plated", L"0.300", L"2"},
    {L"Round plated", L"0.800", L"4"},     {L"Round plated", L"0.820", L"2"},
    {L"Slot plated", L"0.800", L"1"},      {L"Custom plated", L"0.700", L"1"},
};

TEST_F(DrillTableTest, KeysRoundHalfAwayFromZero) {
    EXPECT_EQ(CDrillTable::DiameterKey(0.8f), 800);
    EXPECT_EQ(CDrillTable::DiameterKey(0.8004f), 800);
    EXPECT_EQ(CDrillTable::DiameterKey(0.8006f), 801);
    EXPECT_EQ(CDrillTable::DiameterKey(-0.8006f), -801);
    EXPECT_EQ(CDrillTable::DiameterKey(0), 0);
}

// --- Rows -----------------------------------------------------------------------

TEST_F(DrillTableTest, RowsByKindAndSizeWithCountsAndMarks) {
    Run([&](CDrillTable& d, ListViewControl* list) {
        EXPECT_EQ(d.GetDlgItemText(Id::kUnit), L"mm");
        EXPECT_EQ(Rows(list), kRows);
        const int kinds[] = {0, 1, 1, 1, 3, 5};
        for (int row = 0; row < 6; ++row) {
            EXPECT_EQ(list->GetItemImage(row), kinds[row]) << row;
            EXPECT_EQ(d.GetRowKind(row), kinds[row]) << row;
        }
        // The 0.8 row keeps the size of its first hole.
        EXPECT_FLOAT_EQ(d.GetRowEntry(2)->diameter, 0.8f);
        // 0.80 and 0.82 are marked; the slot of 0.8 is another kind.
        const bool marked[] = {false, false, true, true, false, false};
        for (int row = 0; row < 6; ++row)
            EXPECT_EQ(d.IsNearDuplicate(row), marked[row]) << row;
        auto image =
            PaintTarget::CreateImage(list->GetClientRect().right, list->GetClientRect().bottom);
        list->RenderTo(*image);
        const ARGB yellow = ColorRefToArgb(0x0080FFFF, 0xFF);
        auto cell = [&](int row, int column) {
            POINT p = CellCentre(list, row, column);
            RECT r;
            list->GetSubItemRect(row, column, &r);
            return image->PixelAt(r.right - 3, p.y);
        };
        EXPECT_EQ(cell(2, 1), yellow);
        EXPECT_EQ(cell(3, 2), yellow);
        EXPECT_NE(cell(3, 0), yellow);
        EXPECT_NE(cell(1, 1), yellow);
        EXPECT_NE(cell(4, 1), yellow);
        EXPECT_EQ(m_view.undo.UndoCount(), 1u);
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(Saved(), original_);
}

// The current row's holes are highlighted; the arrows move the row; closing
// clears every highlight.
TEST_F(DrillTableTest, CurrentRowHighlightsItsHoles) {
    Run([&](CDrillTable& d, ListViewControl* list) {
        EXPECT_EQ(d.GetCurrentRow(), -1);
        EXPECT_TRUE(Highlighted().empty());
        m_view.invalidations.clear();
        ClickCell(list, 2, 0);
        EXPECT_EQ(d.GetCurrentRow(), 2);
        std::vector<CPad*> expected = d.GetRowEntry(2)->pads;
        std::vector<CPad*> lit = Highlighted();
        std::sort(expected.begin(), expected.end());
        std::sort(lit.begin(), lit.end());
        EXPECT_EQ(lit.size(), 4u);
        EXPECT_EQ(lit, expected);
        EXPECT_FALSE(m_view.invalidations.empty());
        EXPECT_EQ(list->GetCellEditor(), nullptr);
        PressKey(list, VK_DOWN);
        EXPECT_EQ(d.GetCurrentRow(), 3);
        EXPECT_EQ(list->GetSelectedIndex(), 3);
        EXPECT_EQ(Highlighted().size(), 2u);
        for (int i = 0; i < 4; ++i)
            PressKey(list, VK_DOWN);
        EXPECT_EQ(d.GetCurrentRow(), 5);
        EXPECT_EQ(list->GetSelectedIndex(), 5);
        for (int i = 0; i < 7; ++i)
            PressKey(list, VK_UP);
        EXPECT_EQ(d.GetCurrentRow(), 0);
        EXPECT_EQ(list->GetSelectedIndex(), 0);
        EXPECT_EQ(Highlighted().size(), 1u);
        ClickButton(d, IDCANCEL);
    });
    EXPECT_TRUE(Highlighted().empty());
    EXPECT_EQ(Saved(), original_);
}

// --- Edits ----------------------------------------------------------------------

// Editing 0.82 to 0.8 merges the row into the 0.8 row, which stays current
// with all six holes highlighted.
TEST_F(DrillTableTest, EditMergesRowsAndTheCurrentRowFollows) {
    const std::string merged = Edited({{"<Drill Diam=\"0.82\"/>", "<Drill Diam=\"0.8\"/>"}});
    EXPECT_EQ(Run([&](CDrillTable& d, ListViewControl* list) {
                  EditCell(list, 3, CDrillTable::kColumnDiameter, L"0.8");
                  EXPECT_FALSE(d.IsEnded());
                  EXPECT_EQ(list->GetCellEditor(), nullptr);
                  std::vector<RowText> rows = kRows;
                  rows[2].count = L"6";
                  rows.erase(rows.begin() + 3);
                  EXPECT_EQ(Rows(list), rows);
                  EXPECT_EQ(d.GetCurrentRow(), 2);
                  EXPECT_EQ(list->GetSelectedIndex(), 2);
                  EXPECT_EQ(Highlighted().size(), 6u);
                  EXPECT_FALSE(d.IsNearDuplicate(2));
                  EXPECT_EQ(Saved(), merged);
                  ClickButton(d, IDOK);
              }),
              IDOK);
    EXPECT_EQ(Saved(), merged);
    EXPECT_TRUE(Highlighted().empty());
    m_view.undo.Undo();
    EXPECT_EQ(Saved(), original_);

    // The merged row edited again changes the 0.8004 hole's padstack too,
    // and a row that moves down keeps the highlight.
    Run([&](CDrillTable& d, ListViewControl* list) {
        EditCell(list, 2, CDrillTable::kColumnDiameter, L"0.9");
        EXPECT_EQ(Saved(), Edited({{"<Drill Diam=\"0.8\"/>", "<Drill Diam=\"0.9\"/>"},
                                   {"<Drill Diam=\"0.8004\"/>", "<Drill Diam=\"0.9\"/>"}}));
        EXPECT_EQ(list->GetItemText(3, 1), L"0.900");
        EXPECT_EQ(list->GetItemText(3, 2), L"4");
        EXPECT_EQ(d.GetCurrentRow(), 3);
        EXPECT_EQ(Highlighted().size(), 4u);
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(Saved(), original_);
}

// A slot's smaller side is its size; of equal sides the second changes.
TEST_F(DrillTableTest, SlotsChangeTheirSmallerSide) {
    Run([&](CDrillTable& d, ListViewControl* list) {
        EditCell(list, 4, CDrillTable::kColumnDiameter, L"0.6");
        EXPECT_EQ(Saved(), Edited({{"Slot=\"0.8,2\"", "Slot=\"0.6,2\""}}));
        EXPECT_EQ(list->GetItemText(4, 1), L"0.600");
        EditCell(list, 4, CDrillTable::kColumnDiameter, L"2");
        EXPECT_EQ(Saved(), Edited({{"Slot=\"0.8,2\"", "Slot=\"2,2\""}}));
        EditCell(list, 4, CDrillTable::kColumnDiameter, L"1.5");
        EXPECT_EQ(Saved(), Edited({{"Slot=\"0.8,2\"", "Slot=\"2,1.5\""}}));
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(Saved(), original_);
}

// Texts that are no size, and sizes not above zero, beep and change
// nothing; a cell left as shown changes nothing either.
TEST_F(DrillTableTest, BadSizesAreRefused) {
    Run([&](CDrillTable& d, ListViewControl* list) {
        for (const std::wstring text : {L"abc", L"-0.5", L"0", L"0,8", L""}) {
            ui_.beeps.clear();
            EditCell(list, 1, CDrillTable::kColumnDiameter, text);
            EXPECT_EQ(ui_.beeps.size(), 1u) << WideToUtf8(text);
            EXPECT_EQ(Rows(list), kRows);
        }
        ClickCell(list, 1, CDrillTable::kColumnDiameter);
        ClickCell(list, 2, CDrillTable::kColumnKind);
        EXPECT_EQ(d.GetCurrentRow(), 2);
        EXPECT_EQ(Saved(), original_);
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(Saved(), original_);
}

// The unit re-formats the sizes; an open edit is committed in its own
// unit first. OK with an open edit only commits it.
TEST_F(DrillTableTest, UnitChangeAndOkWithAnOpenEdit) {
    Run([&](CDrillTable& d, ListViewControl* list) {
        ClickCell(list, 1, CDrillTable::kColumnDiameter);
        TypeIntoCell(list, L"0.35");
        ChooseInCombo(d.GetDlgItemAs<ComboBoxControl>(Id::kUnit), kUnitMil);
        EXPECT_EQ(list->GetCellEditor(), nullptr);
        EXPECT_EQ(d.m_unit, kUnitMil);
        EXPECT_EQ(list->GetItemText(1, 1), L"13.8");
        EXPECT_EQ(list->GetItemText(0, 1), L"126.0");
        EXPECT_EQ(d.GetCurrentRow(), 1);
        ClickCell(list, 1, CDrillTable::kColumnDiameter);
        TypeIntoCell(list, L"16");
        ClickButton(d, IDOK);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(list->GetItemText(1, 1), L"16.0");
        ClickButton(d, IDOK);
        EXPECT_TRUE(d.IsEnded());
    });
    EXPECT_EQ(Saved(), Edited({{"<Drill Diam=\"0.3\"/>", "<Drill Diam=\"0.4064\"/>"}}));
    EXPECT_EQ(board_->m_unit, 1u);
}

// Random clicks, size edits, arrows and unit changes; the current row always
// names an existing row whose holes are the highlighted ones, and Cancel
// gives back the original document with no highlight left.
TEST_F(DrillTableTest, RandomEditsCancelToTheOriginal) {
    const RandomSeed seed(3u);
    std::mt19937 random(seed.Value());
    const wchar_t* sizes[] = {L"0.8", L"0.82", L"3.2", L"1", L"0.3", L"abc", L"0.05"};
    for (int round = 0; round < 8; ++round) {
        Run([&](CDrillTable& d, ListViewControl* list) {
            for (int step = 0; step < 60; ++step) {
                const int rows = list->GetItemCount();
                switch (random() % 5) {
                case 0:
                case 1:
                    ClickCell(list, static_cast<int>(random() % static_cast<unsigned>(rows)),
                              static_cast<int>(random() % 3));
                    break;
                case 2:
                    if (list->GetCellEdit()) {
                        TypeIntoCell(list, sizes[random() % std::size(sizes)]);
                        PressKey(list->GetCellEdit(), VK_RETURN);
                    }
                    break;
                case 3:
                    PressKey(list->GetCellEdit() ? list->GetCellEdit()
                                                 : static_cast<PlatformWindow*>(list),
                             random() % 2 ? VK_UP : VK_DOWN);
                    break;
                default:
                    ChooseInCombo(d.GetDlgItemAs<ComboBoxControl>(Id::kUnit),
                                  static_cast<int>(random() % 4));
                    break;
                }
                ASSERT_FALSE(d.IsEnded());
                const DrillTableEntry* entry = d.GetRowEntry(d.GetCurrentRow());
                ASSERT_EQ(Highlighted().size(), entry ? entry->pads.size() : 0u);
            }
            if (list->GetCellEdit())
                ClickButton(d, IDCANCEL);
            ClickButton(d, IDCANCEL);
        });
        ASSERT_EQ(Saved(), original_) << round;
        ASSERT_TRUE(Highlighted().empty());
    }
}

// The table on the screen, filled, with a size cell opened, typed into and
// ended (its rows merging), and the current row moved: each state as a full
// repaint shows it.
TEST_F(DrillTableTest, EveryStateRepaintsAsShown) {
    Run([&](CDrillTable& d, ListViewControl* list) {
        ASSERT_EQ(list->GetItemCount(), static_cast<int>(kRows.size()));
        CheckRepaint(d, "drill-table-filled");
        CheckRepaintsOfACellEdit(d, list, 3, CDrillTable::kColumnDiameter, L"0.8", "drill-table");
        ASSERT_EQ(list->GetItemCount(), static_cast<int>(kRows.size()) - 1);
        ClickCell(list, 0, 0);
        CheckRepaint(d, "drill-table-row-moved");
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(Saved(), original_);
}

// The example board's drill table, for a person to look at.
TEST_F(DrillTableTest, Picture) {
    CRoot root;
    ASSERT_TRUE(
        CXmlFile(&root).Load((Utf8ToWide(VORPEL_SOURCE_DIR) + L"/examples/demo.circuit").c_str()));
    auto* board = static_cast<CBoard*>(root.GetChildren()[0]);
    CDrillTable dlg(board, &m_view.undo);
    ScopedModalDialogHook hook([&](PlatformDialog&) {
        ListViewControl* list = dlg.GetList();
        // The example board is in inches: its via, its slot and its hole.
        EXPECT_EQ(Rows(list), (std::vector<RowText>{{L"Round non-plated", L"0.126", L"1"},
                                                    {L"Round plated", L"0.012", L"1"},
                                                    {L"Slot plated", L"0.016", L"1"}}));
        ClickCell(list, 1, 0);
        WritePicture(dlg, "drill-table");
        ClickButton(dlg, IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

} // namespace
