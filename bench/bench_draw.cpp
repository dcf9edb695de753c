// Drawing through Graphics against QPainter directly: the same board-like
// geometry (line segments, pads, copper polygons with holes) into a
// 1920 x 1080 image under a board view transform.
#include "platform/draw_baseline.h"
#include "platform/graphics.h"
#include "platform/paint_target.h"

#include "platform/application.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace {

using Scene = BaselineScene;

Scene MakeScene() {
    Scene s;
    std::mt19937 rng(42);
    std::uniform_real_distribution<float> x(0, 500), y(0, 280), d(-3, 3);
    for (int i = 0; i < 50000; ++i) {
        const float ax = x(rng), ay = y(rng);
        s.lines.push_back({ax, ay});
        s.lines.push_back({ax + d(rng), ay + d(rng)});
    }
    for (int i = 0; i < 10000; ++i)
        s.pads.push_back({x(rng), y(rng), i % 3});
    for (int i = 0; i < 1000; ++i) {
        const float cx = x(rng), cy = y(rng);
        s.polygons.push_back({{cx - 6, cy - 4},
                              {cx + 6, cy - 4},
                              {cx + 8, cy},
                              {cx + 6, cy + 4},
                              {cx - 6, cy + 4},
                              {cx - 8, cy}});
        s.polygons.push_back(
            {{cx - 2, cy - 1}, {cx - 2, cy + 1}, {cx + 2, cy + 1}, {cx + 2, cy - 1}});
    }
    return s;
}

const float kZoom = 1.0f;

void Prepare(Graphics* g) {
    const float sx = 96 * kZoom / 25.4f;
    g->ScaleTransform(sx, -sx);
    g->TranslateTransform(10 / sx, -1070 / sx);
    g->SetSmoothingMode(SmoothingModeAntiAlias);
}

double DrawGraphics(const Scene& s) {
    auto target = PaintTarget::CreateImage(1920, 1080);
    const auto t0 = std::chrono::steady_clock::now();
    {
        Graphics g(target.get());
        Prepare(&g);
        Pen pen(Color(0xFF00A000), 0.25f);
        pen.SetLineCap(LineCapRound, LineCapRound);
        for (size_t i = 0; i < s.lines.size(); i += 2)
            g.DrawLine(&pen, s.lines[i], s.lines[i + 1]);
        // Pad shapes built once in padstack coordinates, placed by translation.
        GraphicsPath shapes[3];
        shapes[0].AddArc(-1, -0.6f, 0.4f, 0.4f, 180, 90);
        shapes[0].AddArc(0.6f, -0.6f, 0.4f, 0.4f, 270, 90);
        shapes[0].AddArc(0.6f, 0.2f, 0.4f, 0.4f, 0, 90);
        shapes[0].AddArc(-1, 0.2f, 0.4f, 0.4f, 90, 90);
        shapes[0].CloseFigure();
        shapes[1].AddArc(-1, -0.5f, 1, 1, 90, 180);
        shapes[1].AddArc(0, -0.5f, 1, 1, 270, 180);
        shapes[1].CloseFigure();
        shapes[2].AddEllipse(-0.8f, -0.8f, 1.6f, 1.6f);
        SolidBrush pad(Color(0xFFC00000));
        for (const BaselineScene::Pad& p : s.pads) {
            const GraphicsState st = g.Save();
            g.TranslateTransform(p.x, p.y);
            g.FillPath(&pad, &shapes[p.shape]);
            g.Restore(st);
        }
        SolidBrush copper(Color(0xFF0000C0));
        for (size_t i = 0; i < s.polygons.size(); i += 2) {
            GraphicsPath poly;
            poly.AddPolygon(s.polygons[i].data(), static_cast<int>(s.polygons[i].size()));
            poly.AddPolygon(s.polygons[i + 1].data(), static_cast<int>(s.polygons[i + 1].size()));
            g.FillPath(&copper, &poly);
        }
        g.Flush();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

} // namespace

int main(int argc, char** argv) {
    PlatformInitApplication(argc, argv);
    const Scene scene = MakeScene();
    DrawGraphics(scene); // warm-up (fonts, caches, page faults)
    DrawSceneWithQPainter(scene, kZoom);
    double best[2] = {1e9, 1e9};
    for (int round = 0; round < 3; ++round) {
        best[0] = std::min(best[0], DrawGraphics(scene));
        best[1] = std::min(best[1], DrawSceneWithQPainter(scene, kZoom));
    }
    std::printf("Graphics: %.1f ms\n", best[0] * 1000);
    std::printf("QPainter: %.1f ms\n", best[1] * 1000);
    std::printf("RATIO draw_vs_qpainter %.3f 1.3\n", best[0] / best[1]);
    PlatformShutdownApplication();
    return 0;
}
