// The copper fill of one area on a board with 1,000 and with 4,000 pads of
// no net (each cleared by its isolation), laid out on a 2.54 mm grid inside
// the area. Prints both times and, last, the ratio line: the fill of four
// times the pads may take at most five times as long.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "board/area.h"
#include "board/area_fill.h"
#include "board/area_node.h"
#include "board/board.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/vorpel_view.h"
#include "schematic/package.h"

namespace {

constexpr float kPitch = 2.54f;

// A board with `pads` round pads in footprints of four, and one TOP area
// around all of them.
std::unique_ptr<CBoard> MakeBoard(int pads, CArea** area) {
    auto board = std::make_unique<CBoard>();
    const int columns = static_cast<int>(std::ceil(std::sqrt(pads)));
    const int rows = (pads + columns - 1) / columns;
    int placed = 0;
    while (placed < pads) {
        auto* package = static_cast<CPackage*>(board->AddChild(new CPackage()));
        auto* footprint = static_cast<CFootprint*>(package->AddChild(new CFootprint()));
        auto* padstack = static_cast<CPadstack*>(footprint->AddChild(new CPadstack(L"P")));
        auto* layer = static_cast<CPadLayer*>(padstack->AddChild(new CPadLayer(kPadLayerTop)));
        layer->m_shape = kPadShapeRound;
        layer->m_width = layer->m_height = 1.6f;
        for (int k = 0; k < 4 && placed < pads; ++k, ++placed) {
            auto* pad = static_cast<CPad*>(padstack->AddChild(new CPad()));
            pad->m_boardPosition = PointF{static_cast<float>(placed % columns) * kPitch,
                                          static_cast<float>(placed / columns) * kPitch};
        }
    }
    auto* a = static_cast<CArea*>(board->AddChild(new CArea()));
    a->m_layer = 0;
    const float right = static_cast<float>(columns) * kPitch,
                top = static_cast<float>(rows) * kPitch;
    const float pts[4][2] = {{-kPitch, -kPitch}, {right, -kPitch}, {right, top}, {-kPitch, top}};
    for (const auto& p : pts)
        AppendAreaNode(a->m_outline, new CAreaSegment(&g_pActiveView, p[0], p[1]));
    *area = a;
    return board;
}

// One fill of the area, in seconds.
double TimeOneFill(CArea* area, int pads) {
    const auto start = std::chrono::steady_clock::now();
    CAreaFill fill(area);
    fill.Compute();
    const auto end = std::chrono::steady_clock::now();
    if (fill.GetFill().GetContourCount() < pads)
        std::printf("unexpected fill: %d contours\n", fill.GetFill().GetContourCount());
    return std::chrono::duration<double>(end - start).count();
}

} // namespace

int main() {
    // The best of several runs of each, the two sizes alternating, so that
    // a shared machine's load falls on both alike (a fill of 1,000 pads takes
    // a few milliseconds only).
    CArea* area1 = nullptr;
    CArea* area4 = nullptr;
    std::unique_ptr<CBoard> board1 = MakeBoard(1000, &area1);
    std::unique_ptr<CBoard> board4 = MakeBoard(4000, &area4);
    double t1 = 1e9, t4 = 1e9;
    for (int i = 0; i < 15; ++i) {
        t1 = std::min(t1, TimeOneFill(area1, 1000));
        t4 = std::min(t4, TimeOneFill(area4, 4000));
    }
    std::printf("fill with 1000 pads: %.4f s\n", t1);
    std::printf("fill with 4000 pads: %.4f s\n", t4);
    std::printf("RATIO fill_4k_vs_1k %.3f 5\n", t4 / t1);
    return 0;
}
