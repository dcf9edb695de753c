#include "platform/font_table.h"
#include "platform/paint_target.h"

#include <gtest/gtest.h>

TEST(FontTable, WindowsFacesMapToInstalledFreeFaces) {
    EXPECT_EQ(ResolveFontFamily(L"Tahoma"), L"DejaVu Sans");
    EXPECT_EQ(ResolveFontFamily(L"Arial"), L"Liberation Sans");
    EXPECT_EQ(ResolveFontFamily(L"Courier New"), L"Liberation Mono");
    EXPECT_EQ(ResolveFontFamily(L"DejaVu Sans"), L"DejaVu Sans");
    EXPECT_TRUE(ResolveFontFamily(L"No Such Face 123").empty());
    EXPECT_FALSE(IsFontFamilyAvailable(L""));
}

TEST(PaintTarget, ImageHoldsItsFillAndSize) {
    auto t = PaintTarget::CreateImage(20, 10, 0xFF102030);
    EXPECT_EQ(t->Width(), 20);
    EXPECT_EQ(t->Height(), 10);
    EXPECT_EQ(t->DpiX(), 96);
    EXPECT_EQ(t->PixelAt(19, 9), 0xFF102030u);
    EXPECT_EQ(t->PixelAt(20, 0), 0u);
}
