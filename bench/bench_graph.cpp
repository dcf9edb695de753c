// The connection graph of one net with 1,000 and with 4,000 pins: one
// two-pad part per pin on a 2.54 mm grid, pad 1 on the net; a third of the
// neighbouring pads in each row are routed with a bent conductor, and every
// sixth routed run goes on to the next pad, so that conductors meet end to
// end. Prints both rebuild times (best of several) and, last, their ratio.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "board/board.h"
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "board/padstack.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/pin.h"

namespace {

constexpr float kPitch = 2.54f;

struct Board {
    CBoard board;
    CNet* net = nullptr;
};

void AddConductor(CNet* net, float x1, float y1, float x2, float y2) {
    auto* c = new CConductor;
    c->m_layer = 0;
    c->m_width = 0.25f;
    const float mid = (x1 + x2) / 2;
    for (const auto& p : {std::pair{x1, y1}, std::pair{mid, y1 + 0.8f}, std::pair{x2, y2}})
        c->m_vertices.push_back({p.first, p.second, 0, {}});
    net->AddChild(c);
}

void Build(Board& b, int pins) {
    b.net = new CNet(L"GND");
    b.board.AddChild(b.net);
    const int columns = static_cast<int>(std::ceil(std::sqrt(pins)));
    for (int k = 0; k < pins; ++k) {
        const float x = static_cast<float>(k % columns) * kPitch;
        const float y = static_cast<float>(k / columns) * kPitch * 2;
        auto* package = new CPackage;
        b.board.AddChild(package);
        auto* pin = new CPin;
        pin->SetPadNames(L"1");
        pin->m_pNet = b.net;
        package->AddChild(pin);
        b.net->m_pins.insert(pin);
        auto* footprint = new CFootprint;
        footprint->m_boardPosition = PointF{x, y};
        package->AddChild(footprint);
        auto* padstack = new CPadstack(L"R");
        footprint->AddChild(padstack);
        for (int n = 1; n <= 2; ++n) {
            auto* pad = new CPad;
            pad->m_num = std::to_wstring(n);
            pad->m_boardPosition = PointF{0, n == 1 ? 0.0f : kPitch};
            padstack->AddChild(pad);
        }
        const int column = k % columns;
        if (column + 1 < columns && k + 1 < pins && (k % 3 == 0 || k % 18 == 1))
            AddConductor(b.net, x, y, x + kPitch, y);
    }
}

double TimeRebuild(int pins, size_t* islands) {
    Board b;
    Build(b, pins);
    double best = 1e9;
    for (int run = 0; run < 7; ++run) {
        const auto t0 = std::chrono::steady_clock::now();
        b.net->BuildConnectionGraph(nullptr);
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
    }
    *islands = b.net->m_islands.size();
    return best;
}

} // namespace

int main() {
    size_t islands1 = 0, islands4 = 0;
    const double t1 = TimeRebuild(1000, &islands1);
    const double t4 = TimeRebuild(4000, &islands4);
    std::printf("connection graph, 1000 pins: %.4f s (%zu island)\n", t1, islands1);
    std::printf("connection graph, 4000 pins: %.4f s (%zu island)\n", t4, islands4);
    std::printf("RATIO graph_4k_vs_1k %.3f 20\n", t4 / t1);
    return 0;
}
