// The example board painted as the board view paints it: every layer of the
// draw order back to front in its colour, copper areas filled with their
// thermals and clearances, pads, drills, airwires and vias, then the board
// outline. The picture is written to pictures/board.png in the build folder
// for a reader to look at; a few pixels are checked.
#include "board/board.h"
#include "board/board_layer_index.h"
#include "board/layer.h"
#include "board/pad_layer.h"
#include "core/default_settings.h"
#include "core/node_type.h"
#include "platform/file.h"
#include "platform/graphics.h"
#include "platform/paint_target.h"
#include "schematic/net.h"
#include "tests/board/board_fixture.h"

#include <sys/stat.h>

namespace {

class BoardPictureTest : public BoardFixture {
protected:
    // The board view's paint loop with TOP as the front layer.
    void Paint(CBoard* board, Graphics* g) {
        const uint32_t flags = 0u << 24 | 0x80000;
        std::vector<int> order = m_view.GetDrawOrder();
        if (order.empty()) {
            // Bottom side first, then the inner layers, the top side last.
            order = {31, 29, 27, 25, 23, 1};
            for (int id = 21; id >= 2; --id)
                order.push_back(id);
            for (int id : {0, 22, 24, 26, 28, 30})
                order.push_back(id);
        }
        for (int id : order) {
            if (!m_view.IsLayerVisible(id))
                continue;
            CLayer* layer = board->FindLayer(id);
            if (id >= 2 && id <= 21 && !layer)
                continue;
            for (CTreeNode* node : m_view.index.GetSet(id)) {
                if (node->GetType() == NodeType::PadLayer)
                    static_cast<CPadLayer*>(node)->m_pDrawnLayer = layer;
                node->DrawOnBoard(g, flags);
            }
        }
        for (CTreeNode* node : m_view.index.GetSet(32))
            node->DrawOnBoard(g, flags);
        board->DrawOutline(g);
    }
    // The pixel over a board point.
    ARGB PixelAt(Graphics* g, PaintTarget* target, float x, float y) {
        PointF p{x, y};
        g->TransformPoints(CoordinateSpaceDevice, CoordinateSpaceWorld, &p, 1);
        return target->PixelAt(static_cast<int>(p.X), static_cast<int>(p.Y));
    }
};

TEST_F(BoardPictureTest, ExampleBoard) {
    CRoot root;
    ASSERT_TRUE(
        CXmlFile(&root).Load((Utf8ToWide(VORPEL_SOURCE_DIR) + L"/examples/demo.circuit").c_str()));
    BuildBoardNetsInTree(&root);
    CBoard* board = nullptr;
    for (CTreeNode* child : root.GetChildren())
        if (child->GetType() == NodeType::Board)
            board = static_cast<CBoard*>(child);
    ASSERT_NE(board, nullptr);
    m_view.board = board;
    m_view.index.Build(board);
    m_view.SetZoom(4, 1);
    const float scale = 96 * 4 / 25.4f;
    const int width = static_cast<int>(60 * scale) + 40;
    const int height = static_cast<int>(40 * scale) + 40;
    m_view.SetScrollOffset(POINT{20, height - 20});
    auto target =
        PaintTarget::CreateImage(width, height, ColorRefToArgb(g_DefaultSettings.colorBoard, 0xFF));
    target->SetDpi(96, 96);
    {
        Graphics g(target.get());
        m_view.PrepareGraphics(&g);
        Paint(board, &g);
        g.Flush();
        const std::string dir = std::string(VORPEL_BINARY_DIR) + "/pictures";
        mkdir(dir.c_str(), 0755);
        EXPECT_TRUE(target->SavePng(Utf8ToWide(dir) + L"/board.png"));

        const ARGB bot = ColorRefToArgb(g_DefaultSettings.layerColors[1], 0xFF);
        const ARGB background = ColorRefToArgb(g_DefaultSettings.colorBoard, 0xFF);
        // Inside the bottom GND area, away from everything else.
        EXPECT_EQ(PixelAt(&g, target.get(), 45, 30), bot);
        // Outside the board: background.
        EXPECT_EQ(PixelAt(&g, target.get(), 61, 20), background);
    }
    // The bottom area alone: the N1 via at (18, 12) is cleared (on the plane
    // layer the view covers that clearance with the via's own clearance
    // shape in the layer colour), the GND via at (30, 12) is joined by spokes.
    CTreeNode* area = nullptr;
    for (CTreeNode* child : board->GetChildren())
        if (child->GetType() == NodeType::Area && child->GetLayer() == 1)
            area = child;
    ASSERT_NE(area, nullptr);
    target->Fill(ColorRefToArgb(g_DefaultSettings.colorBoard, 0xFF));
    Graphics g(target.get());
    m_view.PrepareGraphics(&g);
    area->DrawOnBoard(&g, 0x80000);
    g.Flush();
    const ARGB bot = ColorRefToArgb(g_DefaultSettings.layerColors[1], 0xFF);
    const ARGB background = ColorRefToArgb(g_DefaultSettings.colorBoard, 0xFF);
    EXPECT_EQ(PixelAt(&g, target.get(), 45, 30), bot);
    EXPECT_EQ(PixelAt(&g, target.get(), 18, 11.5f), background);
    EXPECT_EQ(PixelAt(&g, target.get(), 18.5f, 12), background);
    EXPECT_EQ(PixelAt(&g, target.get(), 18, 10.5f), bot);
}

} // namespace
