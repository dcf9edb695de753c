// The board side and the sheet side draw on one window in the views; neither
// may leave its transform or clip behind for the other.
#include "platform/device_context.h"
#include "platform/graphics.h"
#include "platform/paint_target.h"
#include "platform/pen.h"

#include <gtest/gtest.h>

TEST(SharedTarget, DeviceContextIgnoresTheBoardTransform) {
    auto target = PaintTarget::CreateImage(100, 100, 0xFFFFFFFF);
    Graphics g(target.get());
    g.ScaleTransform(10.0f, 10.0f);
    g.TranslateTransform(5.0f, 5.0f);
    Pen red(Color(255, 255, 0, 0), 0.0f);
    g.DrawLine(&red, 0.0f, 0.0f, 1.0f, 0.0f); // device (50,50)-(60,50)

    DeviceContext dc(*target);
    dc.SelectPen(CreatePen(PS_SOLID, 0, MakeColorRef(0, 0, 255)));
    dc.MoveTo(10, 80);
    dc.LineTo(30, 80); // MM_TEXT: device pixels, untouched by the board transform

    EXPECT_EQ(target->PixelAt(20, 80) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(target->PixelAt(55, 50) & 0xFFFFFF, 0xFF0000u);
    // Nothing was drawn where the sheet line would land under the board transform.
    EXPECT_EQ(target->PixelAt(99, 99) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(SharedTarget, BoardSurfaceDrawsAfterTheSheetSurface) {
    auto target = PaintTarget::CreateImage(100, 100, 0xFFFFFFFF);
    DeviceContext dc(*target);
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(1, 1);
    dc.SetViewportExt(4, 4);
    dc.SelectPen(CreatePen(PS_SOLID, 0, MakeColorRef(0, 0, 255)));
    dc.MoveTo(1, 1);
    dc.LineTo(5, 1); // device (4,4)-(20,4)

    Graphics g(target.get());
    Pen red(Color(255, 255, 0, 0), 0.0f);
    g.DrawLine(&red, 10.0f, 60.0f, 30.0f, 60.0f); // identity transform
    target->Flush();
    EXPECT_EQ(target->PixelAt(20, 60) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(target->PixelAt(10, 4) & 0xFFFFFF, 0x0000FFu);
}
