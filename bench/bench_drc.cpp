// The conductor check of the board editor on generated boards of 1,000 and
// 4,000 objects on the checked conductor's layer (short tracks of their own
// nets, in a grid, the checked track crossing a row of them): the median
// time of one check on each. The check compares with every object of the
// layer, so four times the objects should cost about four times the time.
#include "board/board.h"
#include "board/conductor.h"
#include "core/root.h"
#include "core/vorpel_view.h"
#include "core/xml_file.h"
#include "platform/application.h"
#include "platform/file.h"
#include "platform/graphics.h"
#include "platform/message_loop.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "schematic/net.h"
#include "views/board_view.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// objects tracks in a square grid at 4 mm pitch, plus the checked track of
// net X along the first row.
std::string MakeProject(int objects) {
    int side = 1;
    while (side * side < objects)
        ++side;
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Project>\n";
    const int size = side * 4 + 10;
    xml += "  <Board Grid=\"1,1\" Outline=\"LIN0,0 LIN" + std::to_string(size) + ",0 LIN" +
           std::to_string(size) + "," + std::to_string(size) + " LIN0," + std::to_string(size) +
           "\">Generated\n    <Layer>TOP</Layer>\n    <Layer>BOT</Layer>\n";
    xml += "    <Net>X\n      <Conductor Layer=\"TOP\" Width=\"0.3\">2.000,5.000 " +
           std::to_string(size - 2) + ".000,5.000</Conductor>\n    </Net>\n";
    for (int i = 0; i < objects; ++i) {
        const int x = 5 + (i % side) * 4, y = 5 + (i / side) * 4;
        xml += "    <Net>N" + std::to_string(i) +
               "\n      <Conductor Layer=\"TOP\" Width=\"0.3\">" + std::to_string(x) + ".000," +
               std::to_string(y - 1) + ".000 " + std::to_string(x) + ".000," +
               std::to_string(y + 1) + ".000</Conductor>\n    </Net>\n";
    }
    return xml + "  </Board>\n</Project>\n";
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The median time of one check of net X's track, and the marks it left.
double TimeCheck(int objects, size_t& marks) {
    std::string dir = "/tmp/vorpel-bench-drc-XXXXXX";
    if (!mkdtemp(dir.data()))
        return 0;
    const std::wstring path = Utf8ToWide(dir + "/generated.circuit");
    WriteWholeFile(path, MakeProject(objects));
    CRoot root;
    root.SetRootTag(L"Project");
    {
        CXmlFile file(&root);
        if (!file.Load(path.c_str()))
            return 0;
    }
    (void)std::system(("rm -rf '" + dir + "'").c_str());
    auto* board = static_cast<CBoard*>(root.GetChild(0));
    board->BuildNets();
    auto* view = new CBoardView(board);
    g_pActiveView = view;
    view->Create(nullptr, RECT{0, 0, 800, 600}, L"Board", WS_POPUP | WS_VISIBLE);
    view->ShowWindow(true);
    PumpPendingMessages();
    auto* conductor = static_cast<CConductor*>(board->FindNet(L"X")->GetChild(0));
    auto g = view->MakeGraphics();
    using Clock = std::chrono::steady_clock;
    std::vector<double> times;
    for (int i = 0; i < 9; ++i) {
        const auto t0 = Clock::now();
        view->CheckConductor(g.get(), conductor);
        times.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
    }
    marks = view->GetViolations(2).size();
    g.reset();
    view->DestroyWindow();
    delete view;
    g_pActiveView = nullptr;
    return Median(times);
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
    size_t marks1k = 0, marks4k = 0;
    const double t1k = TimeCheck(1000, marks1k);
    const double t4k = TimeCheck(4000, marks4k);
    std::printf("conductor check: 1,000 objects %.3f ms (%zu marks), 4,000 objects %.3f ms "
                "(%zu marks)\n",
                t1k * 1e3, marks1k, t4k * 1e3, marks4k);
    PlatformShutdownApplication();
    std::printf("RATIO drc_4k_vs_1k %.3f 5\n", t1k > 0 ? t4k / t1k : 0.0);
    return t1k > 0 && marks1k > 0 ? 0 : 1;
}
