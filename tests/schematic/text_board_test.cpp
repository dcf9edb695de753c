// Texts on the board: picking through the position, mirror and rotation,
// dragging with grid snapping and undo, and a missing font reported in the
// status bar instead of drawn.
#include "core/undo_node_records.h"
#include "platform/graphics.h"
#include "platform/paint_target.h"
#include "schematic/text.h"
#include "tests/schematic/schematic_fixture.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

namespace {

class TextBoardTest : public SchematicFixture {
protected:
    void SetUp() override {
        SchematicFixture::SetUp();
        Load(kTwoResistors);
        image = PaintTarget::CreateImage(200, 200);
        g = std::make_unique<Graphics>(image.get());
        text = new CText(L"HELLO");
        text->m_layer = 22; // top silkscreen
        text->m_font = L"Arial";
        text->m_fontSize = 2.0f;
        text->m_boardPosition = PointF{10, 10};
        m_board->AddChild(text);
    }
    std::unique_ptr<PaintTarget> image;
    std::unique_ptr<Graphics> g;
    CText* text = nullptr;
};

TEST_F(TextBoardTest, HitTestsThroughMirrorAndRotation) {
    RectF box;
    ASSERT_TRUE(text->GetBoundsOnBoard(g.get(), box));
    ASSERT_GT(box.Width, 1.0f);
    const float mx = box.X + box.Width / 2, my = box.Y + box.Height / 2;
    // Top side, no rotation: text runs to +x, its box below y flipped.
    EXPECT_EQ(text->HitTestOnBoard(g.get(), 10 + mx, 10 - my), text);
    EXPECT_EQ(text->HitTestOnBoard(g.get(), 10 - mx, 10 - my), nullptr);
    // Bottom side: mirrored in x.
    text->m_layer = 23;
    EXPECT_EQ(text->HitTestOnBoard(g.get(), 10 - mx, 10 - my), text);
    EXPECT_EQ(text->HitTestOnBoard(g.get(), 10 + mx, 10 - my), nullptr);
    // Turned by 90 degrees (top side): the text runs to -y, as drawn.
    text->m_layer = 22;
    text->m_rotation = 90;
    EXPECT_EQ(text->HitTestOnBoard(g.get(), 10 - my, 10 - mx), text);
    EXPECT_EQ(text->HitTestOnBoard(g.get(), 10 + mx, 10 - my), nullptr);
    // A text without a board position is hit where it shows, at XY / 5;
    // the test stores nothing (a save afterwards writes no place the user
    // never gave, outside the undo history).
    text->m_rotation = 0;
    text->m_boardPosition = PointF{0, 0};
    text->m_position = POINT{50, 25};
    EXPECT_EQ(text->HitTestOnBoard(g.get(), 10 + mx, 5 - my), text);
    EXPECT_FLOAT_EQ(text->m_boardPosition.X, 0.0f);
    EXPECT_FLOAT_EQ(text->m_boardPosition.Y, 0.0f);
}

TEST_F(TextBoardTest, DragSnapsAndUndoes) {
    m_view.SetGrid(0.5f, 0.5f);
    m_view.SetSnap(true);
    m_view.undo.Clear();
    const std::string before = Save();
    RectF box;
    text->GetBoundsOnBoard(g.get(), box);
    const float x = 10 + box.X + 0.5f, y = 10 - box.Y - 0.5f;
    StartUndoGroup();
    text->MouseDownOnBoard(g.get(), NodeFlags::LeftButton, x, y);
    ASSERT_TRUE(text->IsSelected());
    EXPECT_EQ(text->DragOnBoard(g.get(), NodeFlags::LeftButton, x + 0.1f, y), 0);
    EXPECT_EQ(text->DragOnBoard(g.get(), NodeFlags::LeftButton, x + 1.3f, y - 0.6f), 1);
    EXPECT_FLOAT_EQ(text->m_boardPosition.X, 11.5f);
    EXPECT_FLOAT_EQ(text->m_boardPosition.Y, 9.5f);
    text->MouseUpOnBoard(g.get(), 0, x + 1.3f, y - 0.6f);
    EXPECT_TRUE(text->IsSelected()); // the press dragged
    const std::string after = Save();
    m_view.undo.Undo();
    EXPECT_EQ(Save(), before);
    m_view.undo.Redo();
    EXPECT_EQ(Save(), after);
    // A click away deselects on release.
    text->MouseDownOnBoard(g.get(), NodeFlags::LeftButton | NodeFlags::KeepSelection, 90, 90);
    EXPECT_TRUE(text->IsSelected());
    text->MouseUpOnBoard(g.get(), 0, 90, 90);
    EXPECT_FALSE(text->IsSelected());
}

TEST_F(TextBoardTest, MissingFontIsReportedNotDrawn) {
    ScopedUiHooksRecorder hooks;
    text->m_font = L"No Such Face 12345";
    text->m_boardPosition = PointF{1, 1};
    text->DrawOnBoard(g.get(), NodeFlags::BoardView);
    ASSERT_EQ(hooks.statusTexts.size(), 1u);
    EXPECT_EQ(hooks.statusTexts[0].second, L"Font 'No Such Face 12345' not found!");
    // Hidden on the board: nothing at all.
    hooks.statusTexts.clear();
    text->m_boardVisible = false;
    text->DrawOnBoard(g.get(), NodeFlags::BoardView);
    EXPECT_TRUE(hooks.statusTexts.empty());
}

// In a board view: a rotation that is no number is refused with a beep and
// the row shows the rotation kept; the font size alike.
TEST_F(TextBoardTest, ARowThatIsNoNumberIsRefusedVisibly) {
    m_view.viewKind = kViewBoard;
    text->m_rotation = 90;
    m_grid.ShowProperties(text);
    const std::string before = Save();
    ScopedUiHooksRecorder ui;
    // Value, font name, font size, position, rotation, layer.
    for (const auto& [row, shown] : {std::pair<int, const wchar_t*>{4, L"90"}, {2, L"2.000"}}) {
        SetRowText(row, L"left");
        m_grid.ApplyRow(row);
        auto* edit = dynamic_cast<CPropertyEdit*>(m_grid.GetItem(row));
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->GetText(), shown);
    }
    EXPECT_EQ(ui.beeps.size(), 2u);
    EXPECT_EQ(text->m_rotation, 90.0f);
    EXPECT_EQ(Save(), before);
}

} // namespace
