// The first sheet of the example project painted as the schematic view
// paints it, written to pictures/sheet.png in the build folder.
#include "board/board.h"
#include "core/default_settings.h"
#include "core/node_type.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/device_context.h"
#include "platform/file.h"
#include "platform/paint_target.h"
#include "platform/text.h"
#include "schematic/sheet.h"
#include "tests/core/test_view.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

ARGB ToArgb(COLORREF c) {
    return 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

// True when a pixel of the colour lies within r pixels of (x, y).
bool ColourNear(const PaintTarget& image, int x, int y, int r, ARGB colour) {
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            if (image.PixelAt(x + dx, y + dy) == colour)
                return true;
    return false;
}

CTreeNode* FirstOfType(CTreeNode* node, int type) {
    if (node->GetType() == type)
        return node;
    for (CTreeNode* child : node->GetChildren())
        if (CTreeNode* found = FirstOfType(child, type))
            return found;
    return nullptr;
}

TEST(SheetPicture, DemoSheetPaints) {
    CRoot root;
    CXmlFile file(&root);
    const std::wstring path =
        PathJoin(PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples"), L"demo.circuit");
    ASSERT_TRUE(file.Load(path.c_str()));
    BuildBoardNetsInTree(&root);
    auto* sheet = static_cast<CSheet*>(FirstOfType(&root, NodeType::Sheet));
    ASSERT_NE(sheet, nullptr);
    ASSERT_EQ(sheet->GetName(), L"Main");

    CTestView view(sheet, kViewSchematic);
    ScopedActiveView active(&view);
    auto image = PaintTarget::CreateImage(1124, 794, ToArgb(g_DefaultSettings.colorBkg));
    {
        DeviceContext dc(*image);
        view.PrepareDC(&dc);
        dc.SelectFont(view.GetFont());
        dc.SetBkMode(TRANSPARENT);
        sheet->DrawOnSheet(&dc, NodeFlags::SchematicView);
    }
    image->Flush();
    const std::string dir = std::string(VORPEL_BINARY_DIR) + "/pictures";
    mkdir(dir.c_str(), 0755);
    ASSERT_TRUE(image->SavePng(Utf8ToWide(dir + "/sheet.png")));

    // Logical (x, y) to pixels: 0.01 mm units at 96 dpi, y up from the
    // sheet's top edge.
    auto px = [&](int x) { return static_cast<int>(x * 96.0 / 2540.0); };
    auto py = [&](int y) { return static_cast<int>((sheet->m_size.cy - y) * 96.0 / 2540.0); };
    const int g = view.GetTextHeight();
    EXPECT_EQ(image->PixelAt(2, 2), ToArgb(g_DefaultSettings.colorBkg));
    // The wire 15,9 - 17,9 of net N1.
    EXPECT_TRUE(ColourNear(*image, px(16 * g), py(9 * g), 2, ToArgb(g_DefaultSettings.colorWire)));
    // The first resistor's outline (10,8)-(14,10) is drawn in symbol ink.
    EXPECT_TRUE(
        ColourNear(*image, px(12 * g), py(8 * g), 2, ToArgb(g_DefaultSettings.colorSymbol)));
    int ink = 0;
    for (int y = 0; y < image->Height(); y += 2)
        for (int x = 0; x < image->Width(); x += 2)
            ink += image->PixelAt(x, y) == ToArgb(g_DefaultSettings.colorSymbol);
    EXPECT_GT(ink, 20);
}

} // namespace
