// Dragging a footprint in the board editor on a generated board of 10,000
// objects (2,000 footprints, each with two pads, a silkscreen marking and
// a reference text, and 2,000 tracks joining neighbouring pads): one mouse
// move of the drag, with the repaint of what it changed, against a full
// repaint of the view.
#include "board/board.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "core/root.h"
#include "core/vorpel_view.h"
#include "core/xml_file.h"
#include "platform/application.h"
#include "platform/file.h"
#include "platform/input_simulation.h"
#include "platform/message_loop.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "schematic/package.h"
#include "views/board_view.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kColumns = 50;
constexpr int kRows = 40;
constexpr int kPitch = 8; // mm between footprints

std::string MakeProject() {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Project>\n";
    const int width = kColumns * kPitch + 10, height = kRows * kPitch + 10;
    xml += "  <Board Grid=\"1,1\" Outline=\"LIN0,0 LIN" + std::to_string(width) + ",0 LIN" +
           std::to_string(width) + "," + std::to_string(height) + " LIN0," +
           std::to_string(height) + "\">Generated\n";
    xml += "    <Layer>TOP</Layer>\n    <Layer>BOT</Layer>\n    <Layer Type=\"DOC\">SST</Layer>\n";
    xml += "    <Properties ConductorSpacing=\"0.2\" ConductorWidth=\"0.3\" IsolationWidth=\"0.3\""
           " SpokeWidth=\"0.3\">\n      <Thermal Isolation=\"0.3\" Spoke=\"0.3\"/>\n"
           "    </Properties>\n";
    std::string nets;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            const int i = r * kColumns + c;
            const int x = 8 + c * kPitch, y = 8 + r * kPitch;
            xml += "    <Package>\n";
            xml += "      <Pin NetName=\"N" + std::to_string(i) + "a\" Num=\"1\"/>\n";
            xml += "      <Pin NetName=\"N" + std::to_string(i + 1) + "a\" Num=\"2\"/>\n";
            xml += "      <Text Layer=\"SST\" Name=\"RefDes\" Pos=\"-1,1.5\">R" +
                   std::to_string(i + 1) + "</Text>\n";
            xml += "      <Footprint XY=\"" + std::to_string(x) + "," + std::to_string(y) +
                   "\">R0805\n        <Padstack>PAD\n"
                   "          <PadLayer Shape=\"RECT\" Size=\"1.2,1.4\"/>\n"
                   "          <Pad Num=\"1\" XY=\"-1,0\"/>\n          <Pad Num=\"2\" XY=\"1,0\"/>\n"
                   "        </Padstack>\n"
                   "        <Marking Layer=\"SST\">L-2,-1,2,-1W0.15 L-2,1,2,1W0.15</Marking>\n"
                   "      </Footprint>\n    </Package>\n";
            // The track from pad 2 of this footprint to pad 1 of the next.
            nets += "    <Net>N" + std::to_string(i + 1) + "a\n";
            nets += "      <Conductor Layer=\"TOP\" Width=\"0.3\">" + std::to_string(x + 1) +
                    ".000," + std::to_string(y) + ".000 " + std::to_string(x + kPitch - 1) +
                    ".000," + std::to_string(y) + ".000</Conductor>\n    </Net>\n";
        }
    xml += nets + "  </Board>\n</Project>\n";
    return xml;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    PlatformInitApplication(argc, argv);
    UiHooks hooks;
    hooks.messageBox = [](const MessageBoxRequest& r) { return DefaultMessageBoxAnswer(r.style); };
    hooks.statusText = [](int, const std::wstring&) {};
    SetUiHooks(hooks);

    std::string dir = "/tmp/vorpel-bench-board-XXXXXX";
    if (!mkdtemp(dir.data()))
        return 1;
    const std::wstring path = Utf8ToWide(dir + "/generated.circuit");
    if (!WriteWholeFile(path, MakeProject()))
        return 1;
    CRoot root;
    root.SetRootTag(L"Project");
    {
        CXmlFile file(&root);
        if (!file.Load(path.c_str()))
            return 1;
    }
    (void)std::system(("rm -rf '" + dir + "'").c_str());
    auto* board = static_cast<CBoard*>(root.GetChild(0));
    board->BuildNets();

    auto* view = new CBoardView(board);
    g_pActiveView = view;
    if (!view->Create(nullptr, RECT{0, 0, 1280, 800}, L"Board", WS_POPUP | WS_VISIBLE))
        return 1;
    view->ShowWindow(true);
    view->ZoomAll();
    view->UpdateWindow();
    PumpPendingMessages();

    using Clock = std::chrono::steady_clock;
    auto seconds = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double>(b - a).count();
    };

    std::vector<double> full;
    for (int i = 0; i < 15; ++i) {
        view->InvalidateRect(nullptr, false);
        const auto t0 = Clock::now();
        view->UpdateWindow();
        full.push_back(seconds(t0, Clock::now()));
    }

    // Pick the footprint in the middle by its pad 1 and drag it to and fro.
    view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_BRD_MOVE_COMPONENT, 0), 0);
    auto* package =
        static_cast<CPackage*>(board->GetChild(4 + kRows / 2 * kColumns + kColumns / 2));
    CFootprint* footprint = package->GetFootprint();
    const PointF pad = footprint->FindPadByNumber(L"1")->GetBoardPosition();
    const double scale = view->GetDpi() * view->GetZoomScale() / 25.4;
    auto client = [&](float x, float y) {
        return POINT{static_cast<int>(x * scale) + view->GetScrollOffset().x,
                     static_cast<int>(-y * scale) + view->GetScrollOffset().y};
    };
    SimulateMouse(view, WM_LBUTTONDOWN, client(pad.X, pad.Y), MK_LBUTTON);
    SimulateMouse(view, WM_MOUSEMOVE, client(pad.X, pad.Y), MK_LBUTTON);
    view->UpdateWindow();
    std::vector<double> steps;
    for (int i = 0; i < 40; ++i) {
        const float dx = (i % 2 == 0) ? 1.0f : 0.0f;
        const auto t0 = Clock::now();
        SimulateMouse(view, WM_MOUSEMOVE, client(pad.X + dx, pad.Y), MK_LBUTTON);
        if (std::getenv("VORPEL_BENCH_DEBUG")) {
            const RECT u = view->GetUpdateRect();
            std::printf("update %d %d %d %d\n", u.left, u.top, u.right, u.bottom);
        }
        view->UpdateWindow();
        steps.push_back(seconds(t0, Clock::now()));
    }
    const bool moved = footprint->m_dragRecorded != 0;
    SimulateMouse(view, WM_LBUTTONUP, client(pad.X, pad.Y), 0);

    const double fullPaint = Median(full), dragStep = Median(steps);
    std::printf("board of %d footprints: full repaint %.2f ms, drag step %.2f ms%s\n",
                kRows * kColumns, fullPaint * 1e3, dragStep * 1e3,
                moved ? "" : " (the footprint did not move!)");
    view->DestroyWindow();
    delete view;
    g_pActiveView = nullptr;
    PlatformShutdownApplication();
    std::printf("RATIO board_drag_step_vs_full_paint %.3f 0.25\n", dragStep / fullPaint);
    return moved ? 0 : 1;
}
