// The example library's two-unit gate in its symbol editor, written to
// pictures/symbol-view.png in the build folder for a person to look at.
#include "tests/views/symbol_view_fixture.h"

#include "core/default_settings.h"
#include "tests/dialog_fit.h"
#include "tests/screen_picture.h"
#include "views/part_board.h"

namespace {

ARGB ToArgb(COLORREF c) {
    return 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

bool ColourNear(const PaintTarget& image, POINT p, int r, ARGB colour) {
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            if (image.PixelAt(p.x + dx, p.y + dy) == colour)
                return true;
    return false;
}

} // namespace

TEST_F(SymbolViewTest, PictureOfTheGateSymbol) {
    LoadDemo();
    Open(L"NAND2");
    Tool(ID_TOOL_SELECT);
    Click(AtTenths(40, 20)); // on the output circle: it shows selected
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, L"symbol-view"));
    auto image = screen_picture::Grab(*view);
    ASSERT_NE(image, nullptr);
    ASSERT_TRUE(image->SavePng(PathJoin(screen_picture::PictureFolder(), L"symbol-view.png")));

    // The pin at the left side's first step is drawn in the symbol colour,
    // the selected circle in the selection colour, and the outline's
    // corner dashed in the symbol colour over the background.
    const ARGB symbol = ToArgb(g_DefaultSettings.colorSymbol);
    EXPECT_TRUE(ColourNear(*image, ClientOf(AtGrid(-0.5, 1)), 2, symbol));
    EXPECT_TRUE(
        ColourNear(*image, ClientOf(AtTenths(50, 20)), 2, ToArgb(g_DefaultSettings.colorSel)));
    int dashes = 0, gaps = 0;
    for (int i = 0; i <= 40; ++i) {
        const POINT p = ClientOf(AtGrid(1 + i / 20.0, 4));
        (ColourNear(*image, p, 1, symbol) ? dashes : gaps) += 1;
    }
    EXPECT_GT(dashes, 5) << "the top edge is dashed";
    EXPECT_GT(gaps, 5);
    EXPECT_TRUE(
        ColourNear(*image, ClientOf(AtGrid(2, 2.5)), 3, ToArgb(g_DefaultSettings.colorBkg)));
    // The unit bar sits centred at the top.
    const RECT bar = view->GetPartBoard()->GetRectInParent();
    EXPECT_EQ(bar.top, 0);
    EXPECT_NEAR((bar.left + bar.right) / 2, view->GetClientRect().right / 2, 1);
    EXPECT_EQ(view->GetPartBoard()->GetDlgItemText(CPartBoard::kNumber), L"1");
    dialog_fit::ExpectTextsFit(*view->GetPartBoard(), "part bar");
}
