// Gerber export of a generated board against writing the same number of
// bytes through a plain buffered file write.
#include "board/area.h"
#include "board/area_node.h"
#include "board/board.h"
#include "board/conductor.h"
#include "board/drill.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "cam/excellon_export.h"
#include "cam/gerber_export.h"
#include "core/vorpel_view.h"
#include "platform/text.h"
#include "schematic/net.h"
#include "schematic/package.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr float kPitch = 2.54f;

std::unique_ptr<CBoard> MakeBoard(int pads, int conductors, int segments, int areas) {
    auto board = std::make_unique<CBoard>();
    board->SetText(L"Bench");
    board->AddChild(new CLayer(0));
    board->AddChild(new CLayer(1));
    const int columns = static_cast<int>(std::ceil(std::sqrt(pads)));
    const float size = static_cast<float>(columns) * kPitch;
    AppendAreaNode(board->m_outline, new CAreaSegment(&g_pActiveView, -5, -5));
    AppendAreaNode(board->m_outline, new CAreaSegment(&g_pActiveView, size + 5, -5));
    AppendAreaNode(board->m_outline, new CAreaSegment(&g_pActiveView, size + 5, size + 5));
    AppendAreaNode(board->m_outline, new CAreaSegment(&g_pActiveView, -5, size + 5));
    int placed = 0, part = 0;
    while (placed < pads) {
        auto* package = static_cast<CPackage*>(board->AddChild(new CPackage()));
        auto* footprint = static_cast<CFootprint*>(package->AddChild(new CFootprint()));
        footprint->m_rotation = static_cast<float>((part++ % 4) * 90);
        const float fx = static_cast<float>(placed % columns) * kPitch;
        const float fy = static_cast<float>(placed / columns) * kPitch;
        footprint->m_boardPosition = PointF{fx, fy};
        auto* padstack = static_cast<CPadstack*>(footprint->AddChild(new CPadstack(L"P")));
        auto* layer = static_cast<CPadLayer*>(padstack->AddChild(new CPadLayer(kPadLayerTop)));
        layer->m_shape = part % 2 ? kPadShapeRound : kPadShapeRect;
        layer->m_width = 1.2f;
        layer->m_height = 1.6f;
        auto* drill = static_cast<CDrill*>(padstack->AddChild(new CDrill()));
        drill->m_diam = 0.6f + 0.1f * static_cast<float>(part % 3);
        for (int k = 0; k < 4 && placed < pads; ++k, ++placed) {
            auto* pad = static_cast<CPad*>(padstack->AddChild(new CPad()));
            pad->m_boardPosition = PointF{static_cast<float>(k) * kPitch, 0};
        }
    }
    for (int c = 0; c < conductors; ++c) {
        auto* net = static_cast<CNet*>(board->AddChild(new CNet()));
        net->SetText(L"N" + std::to_wstring(c));
        auto* cond = static_cast<CConductor*>(net->AddChild(new CConductor()));
        cond->m_layer = c % 2;
        cond->m_width = 0.2f + 0.05f * static_cast<float>(c % 3);
        const float y0 = std::fmod(static_cast<float>(c) * 0.37f, size);
        for (int v = 0; v <= segments; ++v) {
            ConductorVertex vx;
            vx.x = std::fmod(static_cast<float>(c * 7 + v) * 1.1f, size);
            vx.y = y0 + static_cast<float>(v % 2) * 0.5f;
            vx.corner = v % 3 == 0 ? 0.2f : 0;
            cond->m_vertices.push_back(vx);
        }
    }
    for (int a = 0; a < areas; ++a) {
        auto* area = static_cast<CArea*>(board->AddChild(new CArea()));
        area->m_layer = a % 2;
        area->m_net = L"N" + std::to_wstring(a);
        const float x0 = static_cast<float>(a / 2) * size / 10, x1 = x0 + size / 12;
        AppendAreaNode(area->m_outline, new CAreaSegment(&g_pActiveView, x0, 0));
        AppendAreaNode(area->m_outline, new CAreaSegment(&g_pActiveView, x1, 0));
        AppendAreaNode(area->m_outline, new CAreaSegment(&g_pActiveView, x1, size / 3));
        AppendAreaNode(area->m_outline, new CAreaSegment(&g_pActiveView, x0, size / 3));
    }
    return board;
}

long long FileSize(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
}

double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

} // namespace

int main() {
    std::string dir = "/tmp/vorpel-bench-cam-XXXXXX";
    if (!mkdtemp(dir.data()))
        return 1;
    std::unique_ptr<CBoard> board = MakeBoard(5000, 5000, 10, 20);
    LayerSelectEntry layers[kBoardLayerCount];
    LayerSelectEntry outline;
    SelectAllGerberLayers(board.get(), layers, outline);
    const std::wstring prefix = Utf8ToWide(dir) + L"/bench";
    double exportTime = 1e9, writeTime = 1e9;
    long long bytes = 0;
    for (int run = 0; run < 3; ++run) {
        const auto t0 = std::chrono::steady_clock::now();
        WriteGerberFiles(prefix, board.get(), layers, outline, CamSettings{});
        ExportExcellon(board.get(), prefix, 1);
        const auto t1 = std::chrono::steady_clock::now();
        exportTime = std::min(exportTime, Seconds(t0, t1));
        bytes = 0;
        for (int id = -1; id < kBoardLayerCount; ++id)
            bytes += FileSize(WideToUtf8(GerberFileName(prefix, board.get(), id)));
        for (int mode = 0; mode < 4; ++mode)
            bytes += FileSize(WideToUtf8(ExcellonFileName(prefix, board.get(), mode)));
        // The baseline: the same bytes as lines of 20 characters.
        const std::string line = "X123456Y654321D01*\r\n";
        const auto t2 = std::chrono::steady_clock::now();
        FILE* f = std::fopen((dir + "/plain.txt").c_str(), "wb");
        for (long long n = 0; n < bytes; n += static_cast<long long>(line.size()))
            std::fwrite(line.data(), 1, line.size(), f);
        std::fclose(f);
        const auto t3 = std::chrono::steady_clock::now();
        writeTime = std::min(writeTime, Seconds(t2, t3));
    }
    std::printf("gerber and drill export: %lld bytes in %.4f s\n", bytes, exportTime);
    std::printf("plain write:   %lld bytes in %.4f s\n", bytes, writeTime);
    std::string cleanup = "rm -rf '" + dir + "'";
    (void)std::system(cleanup.c_str());
    std::printf("RATIO cam_export_vs_write %.3f 10\n", exportTime / writeTime);
    return 0;
}
