// How reading, opening and writing grow with the size of a document: an
// area of many vertices (read and saved), a footprint of many pads (read,
// then what opening it in the editor asks: the footprint's bounds for Zoom
// All and each pad's bounds), and a project
// of many parts (read, nets built, then the manufacturing files and the bill
// of materials written), a board of many copper areas (read, then the
// Gerber files written), a sheet of many wires (read, opened in its editor,
// Zoom All and painted) and a board of many parts under a copper pour
// (read, opened in its editor, Zoom All, painted and panned), the same board
// opened (its first paint, the pour's fill included) and a board of
// overlapping areas of different nets opened. Each is timed
// at n and at 10 n objects; the goal is at most about 12 times the time for
// 10 times the objects. Then what one edit costs: a click on a wire of a
// net of n and of 10 n chained wires (the net tidied, goal 12); k and 10 k
// footprints of one net rotated together on boards of 10 k and 100 k parts
// (goal 12); and a step of a session with two editors and the trees open
// (an action, its Undo and Redo), the 4,000 from its 100th against the
// 4,000 from its 10,000th (goal 2). And what panning a board under a
// copper pour costs: four arrow-key pans of a board of n and of 10 n parts
// (goal 12), and a pan of it against a pan of the same board without the
// pour (goal 1.5); opening a board of 3,000 parts under a pour against the
// bare board (goal 5); and the union of n and of 10 n separate capsules
// (goal 12).
//
// Each time is the best of three in processor time (user and system, all
// threads), so that a shared machine's load weighs little; each of the
// three repeats the run until it took at least a quarter of a second, as
// shorter timings vary by more than the ratios measure. A case that runs
// out of its budget of processor time prints a failing RATIO line with the
// ones before it and ends the program. The files go
// to /dev/shm where there is one, as saving waits for the disk. The heap
// keeps what a run frees for the next: otherwise a large document's runs
// each fault in fresh pages (the heap gives back a large free top) while a
// small one's reuse theirs, and the ratio would measure the kernel.
#include "bench/processor_time.h"
#include "board/board.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "board/polygon_union.h"
#include "cam/bill_of_materials.h"
#include "cam/cam_settings.h"
#include "cam/excellon_export.h"
#include "cam/gerber_export.h"
#include "core/node_type.h"
#include "core/root.h"
#include "core/undo_node_records.h"
#include "core/xml_file.h"
#include "platform/application.h"
#include "platform/file.h"
#include "platform/graphics.h"
#include "platform/message_loop.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "schematic/net.h"
#include "schematic/sheet.h"
#include "schematic/wire.h"
#include "shell/main_frame.h"
#include "views/board_view.h"
#include "views/editor_views.h"
#include "views/schematic_view.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <malloc.h>
#include <string>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979;
const char* kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n";

// The time of one run of f: f repeated until the runs took a quarter of a
// second, the best of three such.
double BestOfThree(const std::function<void()>& f) {
    double best = 1e30;
    for (int round = 0; round < 3; ++round) {
        int runs = 0;
        double total = 0;
        while (total < 0.25) {
            total += ProcessorTime(f);
            ++runs;
        }
        best = std::min(best, total / runs);
    }
    return best;
}

// The RATIO lines so far and the failing one of the case under way, written
// when the case runs out of its processor time.
char g_outOfTime[8192];

void OutOfTime(int) {
    const ssize_t written = write(1, g_outOfTime, std::strlen(g_outOfTime));
    (void)written;
    _exit(1);
}

void SetBudget(const std::string& ratios, const char* name, const char* goal, int seconds) {
    std::snprintf(g_outOfTime, sizeof g_outOfTime, "%s: out of its time\n%sRATIO %s 999.000 %s\n",
                  name, ratios.c_str(), name, goal);
    std::signal(SIGPROF, OutOfTime);
    itimerval timer{};
    timer.it_value.tv_sec = seconds;
    setitimer(ITIMER_PROF, &timer, nullptr);
}

void ClearBudget() {
    itimerval timer{};
    setitimer(ITIMER_PROF, &timer, nullptr);
}

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", v);
    return text;
}

// A board whose one area has the given number of vertices, on a wavy circle.
std::string AreaDocument(int vertices) {
    std::string xml = std::string(kHeader) +
                      "<Project>Growth\r\n  <Board Outline=\"LIN0,0 LIN200,0 LIN200,200 "
                      "LIN0,200\">B\r\n    <Layer>TOP</Layer>\r\n    <Area Layer=\"TOP\">";
    for (int i = 0; i < vertices; ++i) {
        const double a = 2 * kPi * i / vertices, r = i % 2 ? 85 : 80;
        xml += (i ? " LIN" : "LIN") + Number(100 + r * std::cos(a)) + "," +
               Number(100 + r * std::sin(a));
    }
    return xml + "</Area>\r\n  </Board>\r\n</Project>\r\n";
}

// A library footprint of the given number of pads of one padstack.
std::string FootprintDocument(int pads) {
    std::string xml = std::string(kHeader) +
                      "<FootprintLib>Growth\r\n  <FootprintFolder>F\r\n    <Footprint>BIG\r\n"
                      "      <Padstack>P\r\n        <PadLayer Size=\"0.5,0.5\"/>\r\n"
                      "        <PadLayer Layer=\"BOT\" Size=\"0.5,0.5\"/>\r\n"
                      "        <Drill Diam=\"0.2\"/>\r\n";
    const int side = static_cast<int>(std::sqrt(pads)) + 1;
    for (int i = 0; i < pads; ++i)
        xml += "        <Pad Num=\"" + std::to_string(i + 1) + "\" XY=\"" +
               std::to_string(i % side) + "," + std::to_string(i / side) + "\"/>\r\n";
    return xml + "      </Padstack>\r\n    </Footprint>\r\n  </FootprintFolder>\r\n"
                 "</FootprintLib>\r\n";
}

// A project of the given number of two-pin parts in rows of 100 on one
// sheet, each pin wired to the next part's and each pad tracked to the next
// footprint's; a third pin of every package is on GND, whose tracks and vias
// run along all of them. Designators R1..Rn with a hundred different values.
std::string ProjectDocument(int parts) {
    std::string xml = std::string(kHeader) +
                      "<Project>Growth\r\n  <Board Outline=\"LIN-5,-5 LIN999,-5 LIN999,999 "
                      "LIN-5,999\">B\r\n    <Layer>TOP</Layer>\r\n    <Layer>BOT</Layer>\r\n"
                      "    <Sheet>Main</Sheet>\r\n";
    auto at = [](int i, int& x, int& y, double& fx, double& fy) {
        x = i % 100 * 60;
        y = i / 100 * 50;
        fx = i % 200 * 5.0;
        fy = i / 200 * 5.0;
    };
    for (int i = 0; i < parts; ++i) {
        int x, y;
        double fx, fy;
        at(i, x, y, fx, fy);
        xml += "    <Package Footprint=\"TH2\">\r\n      <Part Outline=\"4,2\" SheetName=\"Main\" "
               "XY=\"" +
               std::to_string(x) + "," + std::to_string(y) +
               "\">RC0,0,40,20\r\n        <Pin Name=\"A\" Num=\"1\">L1</Pin>\r\n"
               "        <Pin Name=\"B\" Num=\"2\">R1</Pin>\r\n      </Part>\r\n"
               "      <Pin Name=\"G\" NetName=\"GND\" Num=\"3\"/>\r\n"
               "      <Text BrdVisible=\"0\" Name=\"RefDes\">R" +
               std::to_string(i + 1) + "</Text>\r\n      <Text BrdVisible=\"0\" Name=\"Value\">" +
               std::to_string(i % 100) + "k</Text>\r\n      <Footprint XY=\"" + Number(fx) + "," +
               Number(fy) +
               "\">TH2\r\n        <Padstack>TH\r\n          <PadLayer Size=\"1.2,1.2\"/>\r\n"
               "          <PadLayer Layer=\"BOT\" Size=\"1.2,1.2\"/>\r\n"
               "          <Drill Diam=\"0.6\"/>\r\n          <Pad Num=\"1\" XY=\"-1,0\"/>\r\n"
               "          <Pad Num=\"2\" XY=\"1,0\"/>\r\n        </Padstack>\r\n"
               "        <Padstack>SMD\r\n          <PadLayer Shape=\"RECT\" Size=\"1,1\"/>\r\n"
               "          <Pad Num=\"3\" XY=\"0,1.5\"/>\r\n        </Padstack>\r\n"
               "      </Footprint>\r\n    </Package>\r\n";
    }
    for (int i = 0; i + 1 < parts; ++i) {
        if (i % 100 == 99 || i % 200 == 199)
            continue;
        int x, y, x2, y2;
        double fx, fy, fx2, fy2;
        at(i, x, y, fx, fy);
        at(i + 1, x2, y2, fx2, fy2);
        xml += "    <Net>N" + std::to_string(i) + "\r\n      <Wire SheetName=\"Main\">" +
               std::to_string(x + 5) + "," + std::to_string(y + 1) + "," + std::to_string(x2 - 1) +
               "," + std::to_string(y2 + 1) +
               "</Wire>\r\n      <Conductor Layer=\"TOP\" Width=\"0.3\">" + Number(fx + 1) + "," +
               Number(fy) + " " + Number(fx2 - 1) + "," + Number(fy2) +
               "</Conductor>\r\n    </Net>\r\n";
    }
    xml += "    <Net>GND\r\n";
    for (int i = 0; i < parts; ++i) {
        int x, y;
        double fx, fy;
        at(i, x, y, fx, fy);
        xml += "      <Conductor Layer=\"BOT\" Width=\"0.3\">" + Number(fx) + "," +
               Number(fy + 1.5) + " " + Number(fx + 2.5) + "," + Number(fy + 1.5) +
               "</Conductor>\r\n";
    }
    xml +=
        "      <Padstack>V\r\n        <PadLayer Size=\"0.6,0.6\"/>\r\n"
        "        <PadLayer Layer=\"BOT\" Size=\"0.6,0.6\"/>\r\n        <Drill Diam=\"0.3\"/>\r\n";
    for (int i = 0; i < parts; ++i) {
        int x, y;
        double fx, fy;
        at(i, x, y, fx, fy);
        xml += "        <Pad XY=\"" + Number(fx + 2.5) + "," + Number(fy + 1.5) + "\"/>\r\n";
    }
    return xml + "      </Padstack>\r\n    </Net>\r\n  </Board>\r\n</Project>\r\n";
}

// A board of the given number of small GND copper areas on TOP in rows,
// each crossed by a track of another net and holding a via of it.
std::string AreasDocument(int areas) {
    const int side = static_cast<int>(std::sqrt(areas)) + 1;
    const std::string edge = std::to_string(side * 5 + 5);
    std::string xml = std::string(kHeader) + "<Project>Growth\r\n  <Board Outline=\"LIN0,0 LIN" +
                      edge + ",0 LIN" + edge + "," + edge + " LIN0," + edge +
                      "\">B\r\n    <Layer>TOP</Layer>\r\n    <Layer>BOT</Layer>\r\n";
    std::string tracks, vias;
    for (int i = 0; i < areas; ++i) {
        const double x = 5 + i % side * 5.0, y = 5 + i / side * 5.0;
        xml += "    <Area Layer=\"TOP\" Net=\"GND\">LIN" + Number(x) + "," + Number(y) + " LIN" +
               Number(x + 3) + "," + Number(y) + " LIN" + Number(x + 3) + "," + Number(y + 3) +
               " LIN" + Number(x) + "," + Number(y + 3) + "</Area>\r\n";
        tracks += "      <Conductor Layer=\"TOP\" Width=\"0.3\">" + Number(x - 1) + "," +
                  Number(y + 1) + " " + Number(x + 4) + "," + Number(y + 1) + "</Conductor>\r\n";
        vias += "        <Pad XY=\"" + Number(x + 1.5) + "," + Number(y + 2) + "\"/>\r\n";
    }
    return xml + "    <Net>SIG\r\n" + tracks +
           "      <Padstack>V\r\n        <PadLayer Size=\"0.6,0.6\"/>\r\n"
           "        <PadLayer Layer=\"BOT\" Size=\"0.6,0.6\"/>\r\n"
           "        <Drill Diam=\"0.3\"/>\r\n" +
           vias + "      </Padstack>\r\n    </Net>\r\n  </Board>\r\n</Project>\r\n";
}

// A sheet of about the given number of wires of one net: a grid of steps,
// each a horizontal and a vertical wire, four wires meeting at nearly every
// point (a junction dot each).
std::string WiresDocument(int wires) {
    std::string xml = std::string(kHeader) +
                      "<Project>Growth\r\n  <Board>B\r\n    <Sheet GridSize=\"2.54\" "
                      "SheetSize=\"297,210\">Main</Sheet>\r\n    <Net>W\r\n";
    const int columns = 250;
    for (int i = 0; i < wires / 2; ++i) {
        const std::string x = std::to_string(i % columns), y = std::to_string(i / columns);
        const std::string right = std::to_string(i % columns + 1);
        const std::string up = std::to_string(i / columns + 1);
        xml += "      <Wire SheetName=\"Main\">" + x + "," + y + "," + right + "," + y +
               "</Wire>\r\n      <Wire SheetName=\"Main\">" + x + "," + y + "," + x + "," + up +
               "</Wire>\r\n";
    }
    return xml + "    </Net>\r\n  </Board>\r\n</Project>\r\n";
}

// A board of the given number of R0805 parts in rows of 50, each pad 2
// tracked by a 10-segment zigzag of its own net, all under one TOP area of
// GND over the whole board (or the same board bare).
std::string PourDocument(int parts, bool poured = true) {
    const int columns = 50, rows = (parts + columns - 1) / columns;
    const std::string width = std::to_string(columns * 8 + 10);
    const std::string height = std::to_string(rows * 8 + 10);
    std::string xml = std::string(kHeader) + "<Project>Growth\r\n  <Board Outline=\"LIN0,0 LIN" +
                      width + ",0 LIN" + width + "," + height + " LIN0," + height +
                      "\">B\r\n    <Layer>TOP</Layer>\r\n    <Layer>BOT</Layer>\r\n";
    if (poured)
        xml += "    <Area Layer=\"TOP\" Net=\"GND\">LIN1,1 LIN" + std::to_string(columns * 8 + 9) +
               ",1 LIN" + std::to_string(columns * 8 + 9) + "," + std::to_string(rows * 8 + 9) +
               " LIN1," + std::to_string(rows * 8 + 9) + "</Area>\r\n";
    std::string nets;
    for (int i = 0; i < parts; ++i) {
        const int x = 8 + i % columns * 8, y = 8 + i / columns * 8;
        std::string net = "S";
        net += std::to_string(i);
        xml += "    <Package>\r\n      <Pin NetName=\"GND\" Num=\"1\"/>\r\n"
               "      <Pin NetName=\"" +
               net + "\" Num=\"2\"/>\r\n      <Footprint XY=\"" + std::to_string(x) + "," +
               std::to_string(y) +
               "\">R0805\r\n        <Padstack>PAD\r\n"
               "          <PadLayer Shape=\"RECT\" Size=\"1.2,1.4\"/>\r\n"
               "          <Pad Num=\"1\" XY=\"-1,0\"/>\r\n          <Pad Num=\"2\" "
               "XY=\"1,0\"/>\r\n        </Padstack>\r\n      </Footprint>\r\n    </Package>\r\n";
        nets += "    <Net>" + net + "\r\n      <Conductor Layer=\"TOP\" Width=\"0.3\">";
        for (int k = 0; k <= 10; ++k) {
            if (k)
                nets += ' ';
            nets += Number(x + 1 + 0.5 * k);
            nets += ',';
            nets += Number(y + (k % 2 ? 1.5 : 0));
        }
        nets += "</Conductor>\r\n    </Net>\r\n";
    }
    return xml + nets + "  </Board>\r\n</Project>\r\n";
}

// A board of the given number of TOP areas in rows, each of a net of its
// own and overlapping its neighbours on every side, so that each is
// cleared around the later ones it meets.
std::string OverlapDocument(int areas) {
    const int side = static_cast<int>(std::sqrt(areas)) + 1;
    const std::string edge = std::to_string(side * 5 + 10);
    std::string xml = std::string(kHeader) + "<Project>Growth\r\n  <Board Outline=\"LIN0,0 LIN" +
                      edge + ",0 LIN" + edge + "," + edge + " LIN0," + edge +
                      "\">B\r\n    <Layer>TOP</Layer>\r\n    <Layer>BOT</Layer>\r\n";
    for (int i = 0; i < areas; ++i) {
        const double x = 5 + i % side * 5.0, y = 5 + i / side * 5.0;
        xml += "    <Area Layer=\"TOP\" Net=\"A" + std::to_string(i) + "\">LIN" + Number(x) + "," +
               Number(y) + " LIN" + Number(x + 6) + "," + Number(y) + " LIN" + Number(x + 6) + "," +
               Number(y + 6) + " LIN" + Number(x) + "," + Number(y + 6) + "</Area>\r\n";
    }
    return xml + "  </Board>\r\n</Project>\r\n";
}

// The given number of capsules (0.4 mm wide, 2 mm long at 45 degrees) in
// rows, none touching another, though each one's bounds meet its
// neighbours' on every side.
std::vector<CClipPolygon> Capsules(int count) {
    const int side = static_cast<int>(std::sqrt(count)) + 1;
    constexpr int kArc = 8;
    constexpr float kRadius = 0.2f;
    std::vector<CClipPolygon> capsules;
    std::vector<PointF> points;
    for (int i = 0; i < count; ++i) {
        const float x = static_cast<float>(i % side) * 1.5f;
        const float y = static_cast<float>(i / side) * 2.25f;
        points.clear();
        for (int end = 0; end < 2; ++end) {
            const float cx = x + 2.0f * static_cast<float>(end);
            const float cy = y + 2.0f * static_cast<float>(end);
            for (int k = 0; k <= kArc; ++k) {
                const double a = kPi * (0.75 + end + static_cast<double>(k) / kArc);
                points.push_back({cx + kRadius * static_cast<float>(std::cos(a)),
                                  cy + kRadius * static_cast<float>(std::sin(a))});
            }
        }
        CClipPolygon capsule;
        capsule.AddContour(points.data(), static_cast<int>(points.size()), 0);
        capsules.push_back(std::move(capsule));
    }
    return capsules;
}

// A sheet Main holding net N1 of the given number of wires chained as a
// staircase (each end meets the next wire's start at a corner) and a
// hundred short nets of two wires beside it.
std::string ChainDocument(int wires) {
    std::string xml = std::string(kHeader) +
                      "<Project>Growth\r\n  <Board>B\r\n    <Sheet GridSize=\"2.54\" "
                      "SheetSize=\"297,210\">Main</Sheet>\r\n    <Net>N1\r\n";
    int x = 0, y = 0;
    for (int i = 0; i < wires; ++i) {
        const int nx = i % 2 ? x : x + 2, ny = i % 2 ? y + 2 : y;
        xml += "      <Wire SheetName=\"Main\">" + std::to_string(x) + "," + std::to_string(y) +
               "," + std::to_string(nx) + "," + std::to_string(ny) + "</Wire>\r\n";
        x = nx;
        y = ny;
    }
    xml += "    </Net>\r\n";
    for (int i = 0; i < 100; ++i)
        xml += "    <Net>S" + std::to_string(i) + "\r\n      <Wire SheetName=\"Main\">-10," +
               std::to_string(i * 3) + ",-5," + std::to_string(i * 3) +
               "</Wire>\r\n      <Wire SheetName=\"Main\">-5," + std::to_string(i * 3) + ",-5," +
               std::to_string(i * 3 + 1) + "</Wire>\r\n    </Net>\r\n";
    return xml + "  </Board>\r\n</Project>\r\n";
}

// A sheet Main and nets of nothing yet, for a session's steps.
std::string SessionDocument(int nets) {
    std::string xml = std::string(kHeader) +
                      "<Project>Growth\r\n  <Board>B\r\n    <Sheet GridSize=\"2.54\" "
                      "SheetSize=\"297,210\">Main</Sheet>\r\n";
    for (int i = 0; i < nets; ++i)
        xml += "    <Net>S" + std::to_string(i) + "</Net>\r\n";
    return xml + "  </Board>\r\n</Project>\r\n";
}

// A view opened on the node at a screen's size, Zoom All, painted.
template <class View, class Node> View* OpenView(Node* node) {
    auto* view = new View(node);
    g_pActiveView = view;
    if (!view->Create(nullptr, RECT{0, 0, 1280, 800}, L"Growth", WS_POPUP | WS_VISIBLE))
        return nullptr;
    view->ShowWindow(true);
    view->ZoomAll();
    view->UpdateWindow();
    PumpPendingMessages();
    return view;
}

template <class View> void CloseView(View* view) {
    view->DestroyWindow();
    delete view;
    g_pActiveView = nullptr;
}

bool Load(CRoot& root, const wchar_t* tag, const std::wstring& path) {
    root.SetRootTag(tag);
    return CXmlFile(&root).Load(path.c_str());
}

void Fail(const char* what) {
    std::fprintf(stderr, "bench_growth: %s failed\n", what);
    std::exit(1);
}

// A board read and opened in its editor: nets built, Zoom All and the
// first paint, copper fills included.
void OpenBoard(const std::wstring& path) {
    CRoot root;
    if (!Load(root, L"Project", path))
        Fail("board read");
    auto* board = static_cast<CBoard*>(root.GetChild(0));
    board->BuildNets();
    CBoardView* view = OpenView<CBoardView>(board);
    if (!view)
        Fail("board view");
    CloseView(view);
}

struct Growth {
    const char* name;
    int n;
    std::function<std::string(int)> document;
    const wchar_t* file;
    std::function<void(const std::wstring&)> run; // reads the file and goes on
};

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    PlatformInitApplication(argc, argv);
    UiHooks hooks;
    hooks.messageBox = [](const MessageBoxRequest& r) { return DefaultMessageBoxAnswer(r.style); };
    hooks.statusText = [](int, const std::wstring&) {};
    SetUiHooks(hooks);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    std::string dirName = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                          "/vorpel-bench-growth-XXXXXX";
    if (!mkdtemp(dirName.data()))
        return 1;
    const std::wstring dir = PathFromNative(dirName);
    const std::wstring saved = PathJoin(dir, L"saved.circuit");
    const std::wstring prefix = PathJoin(dir, L"cam");
    LoadGerberSettings(g_CamSettings);

    const Growth growths[] = {
        {"area_vertices", 100000, AreaDocument, L"area.circuit",
         [&](const std::wstring& path) {
             CRoot root;
             if (!Load(root, L"Project", path) || !CXmlFile(&root).Save(saved.c_str()))
                 Fail("area read and save");
         }},
        {"footprint_pads", 100000, FootprintDocument, L"pads.footprint",
         [&](const std::wstring& path) {
             CRoot root;
             if (!Load(root, L"FootprintLib", path))
                 Fail("footprint read");
             auto* footprint = static_cast<CFootprint*>(root.GetChild(0)->GetChild(0));
             Graphics g(nullptr);
             RectF bounds;
             if (!footprint->GetBoundsOnBoard(&g, bounds))
                 Fail("footprint bounds");
             for (CTreeNode* pad : footprint->GetChild(0)->GetChildren())
                 if (pad->GetType() == NodeType::Pad && !pad->GetBoundsOnBoard(&g, bounds))
                     Fail("pad bounds");
         }},
        {"project_parts", 4000, ProjectDocument, L"parts.circuit",
         [&](const std::wstring& path) {
             CRoot root;
             if (!Load(root, L"Project", path))
                 Fail("project read");
             BuildBoardNetsInTree(&root);
             auto* board = static_cast<CBoard*>(root.GetChild(0));
             LayerSelectEntry layers[kBoardLayerCount];
             LayerSelectEntry outline;
             SelectAllGerberLayers(board, layers, outline);
             if (!WriteGerberFiles(prefix, board, layers, outline, g_CamSettings) ||
                 !ExportExcellon(board, prefix, g_CamSettings.unit) ||
                 !ExportBillOfMaterials(board, prefix))
                 Fail("manufacturing files");
         }},
        {"copper_areas", 2000, AreasDocument, L"areas.circuit",
         [&](const std::wstring& path) {
             CRoot root;
             if (!Load(root, L"Project", path))
                 Fail("areas read");
             BuildBoardNetsInTree(&root);
             auto* board = static_cast<CBoard*>(root.GetChild(0));
             LayerSelectEntry layers[kBoardLayerCount];
             LayerSelectEntry outline;
             SelectAllGerberLayers(board, layers, outline);
             if (!WriteGerberFiles(prefix, board, layers, outline, g_CamSettings))
                 Fail("areas output");
         }},
        {"sheet_wires", 20000, WiresDocument, L"wires.circuit",
         [&](const std::wstring& path) {
             CRoot root;
             if (!Load(root, L"Project", path))
                 Fail("sheet read");
             auto* sheet = static_cast<CSheet*>(root.GetChild(0)->GetChild(0));
             CSchematicView* view = OpenView<CSchematicView>(sheet);
             if (!view)
                 Fail("sheet view");
             // Zoomed in and painted again.
             view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_VIEW_ZOOM_IN, 0), 0);
             view->UpdateWindow();
             CloseView(view);
         }},
        {"poured_open", 300, [](int parts) { return PourDocument(parts); }, L"open.circuit",
         [&](const std::wstring& path) { OpenBoard(path); }},
        {"overlapping_areas", 150, OverlapDocument, L"overlap.circuit",
         [&](const std::wstring& path) { OpenBoard(path); }},
        {"poured_board", 100, [](int parts) { return PourDocument(parts); }, L"pour.circuit",
         [&](const std::wstring& path) {
             CRoot root;
             if (!Load(root, L"Project", path))
                 Fail("board read");
             auto* board = static_cast<CBoard*>(root.GetChild(0));
             board->BuildNets();
             CBoardView* view = OpenView<CBoardView>(board);
             if (!view)
                 Fail("board view");
             // Panned by arrow keys, each step painted.
             for (int i = 0; i < 4; ++i) {
                 view->SendMessage(WM_KEYDOWN, i % 2 ? VK_LEFT : VK_RIGHT, 0);
                 view->UpdateWindow();
             }
             CloseView(view);
         }},
    };

    std::string ratios;
    // VORPEL_GROWTH_ONLY=name times that growth alone.
    const char* only = std::getenv("VORPEL_GROWTH_ONLY");
    auto addRatio = [&ratios](const std::string& name, double ratio, const char* goal) {
        char line[160];
        std::snprintf(line, sizeof line, "RATIO %s %.3f %s\n", name.c_str(), ratio, goal);
        ratios += line;
    };
    for (const Growth& growth : growths) {
        if (only && std::string(only) != growth.name)
            continue;
        const std::string name = std::string(growth.name) + "_growth";
        SetBudget(ratios, name.c_str(), "12", 300);
        double times[2] = {0, 0};
        for (int k = 0; k < 2; ++k) {
            const int n = growth.n * (k ? 10 : 1);
            const std::wstring path = PathJoin(dir, growth.file);
            if (!WriteWholeFile(path, growth.document(n)))
                Fail("writing the document");
            times[k] = BestOfThree([&] { growth.run(path); });
            std::printf("%s: %d in %.4f s\n", growth.name, n, times[k]);
        }
        ClearBudget();
        addRatio(name, times[1] / times[0], "12");
    }

    // Opening a board of parts under a pour against opening the same board
    // without it.
    if (!only || std::string(only) == "poured_open_vs_bare") {
        SetBudget(ratios, "poured_open_vs_bare", "5", 300);
        const int n = 3000;
        double times[2] = {0, 0};
        for (int k = 0; k < 2; ++k) {
            const std::wstring path = PathJoin(dir, L"open.circuit");
            if (!WriteWholeFile(path, PourDocument(n, k == 0)))
                Fail("writing the document");
            times[k] = BestOfThree([&] { OpenBoard(path); });
        }
        std::printf("poured_open_vs_bare: %d parts opened in %.4f s poured, %.4f s bare\n", n,
                    times[0], times[1]);
        ClearBudget();
        addRatio("poured_open_vs_bare", times[0] / times[1], "5");
    }

    // The union of n and of 10 n capsules that touch nothing, though their
    // bounds meet.
    if (!only || std::string(only) == "capsule_union") {
        SetBudget(ratios, "capsule_union_growth", "12", 300);
        double times[2] = {0, 0};
        for (int k = 0; k < 2; ++k) {
            const int n = 2000 * (k ? 10 : 1);
            const std::vector<CClipPolygon> capsules = Capsules(n);
            CClipPolygon united;
            times[k] = BestOfThree([&] { united = UniteClipPolygons(capsules); });
            if (united.GetContourCount() != n)
                Fail("the capsules' union");
            std::printf("capsule_union: %d capsules in %.4f s\n", n, times[k]);
        }
        ClearBudget();
        addRatio("capsule_union_growth", times[1] / times[0], "12");
    }

    // Arrow-key pans of a board of parts under a pour, each painted, as the
    // view's key handling sees them; the view opened, Zoom All and painted
    // before the timing. The pans go round a square, so that the repeats
    // see the same pictures.
    auto timePans = [&](const std::string& xml, int pans) {
        const std::wstring path = PathJoin(dir, L"pan.circuit");
        if (!WriteWholeFile(path, xml))
            Fail("writing the document");
        CRoot root;
        if (!Load(root, L"Project", path))
            Fail("pan board read");
        auto* board = static_cast<CBoard*>(root.GetChild(0));
        board->BuildNets();
        CBoardView* view = OpenView<CBoardView>(board);
        if (!view)
            Fail("pan view");
        const UINT keys[4] = {VK_RIGHT, VK_DOWN, VK_LEFT, VK_UP};
        int step = 0;
        const POINT start = view->GetScrollOffset();
        const double time = BestOfThree([&] {
            for (int i = 0; i < pans; ++i) {
                Message key{view, WM_KEYDOWN, keys[step++ % 4], 0};
                view->PreTranslateMessage(&key);
                view->UpdateWindow();
            }
        });
        const POINT end = view->GetScrollOffset();
        if (step % 4 == 0 && (end.x != start.x || end.y != start.y))
            Fail("the pans");
        if (step % 4 != 0 && end.x == start.x && end.y == start.y)
            Fail("the pans");
        CloseView(view);
        return time;
    };
    // Four pans of a poured board of n and of 10 n parts.
    if (!only || std::string(only) == "pan_poured") {
        SetBudget(ratios, "pan_poured_growth", "12", 300);
        double times[2] = {0, 0};
        for (int k = 0; k < 2; ++k) {
            const int n = 2000 * (k ? 10 : 1);
            times[k] = timePans(PourDocument(n), 4);
            std::printf("pan_poured: 4 pans of %d parts in %.4f s\n", n, times[k]);
        }
        ClearBudget();
        addRatio("pan_poured_growth", times[1] / times[0], "12");
    }
    // One pan of a board of parts under its pour against the same board
    // without the pour.
    if (!only || std::string(only) == "pan_poured_vs_bare") {
        SetBudget(ratios, "pan_poured_vs_bare", "1.5", 300);
        const int n = 10000;
        const double poured = timePans(PourDocument(n), 1);
        const double bare = timePans(PourDocument(n, false), 1);
        std::printf("pan_poured_vs_bare: a pan of %d parts in %.4f s poured, %.4f s bare\n", n,
                    poured, bare);
        ClearBudget();
        addRatio("pan_poured_vs_bare", poured / bare, "1.5");
    }

    // A click on a wire of N1: the net tidied with the sheet's editor open.
    if (!only || std::string(only) == "wire_click") {
        SetBudget(ratios, "wire_click_growth", "12", 300);
        double times[2] = {0, 0};
        for (int k = 0; k < 2; ++k) {
            const int n = 350000 * (k ? 10 : 1);
            const std::wstring path = PathJoin(dir, L"chain.circuit");
            if (!WriteWholeFile(path, ChainDocument(n)))
                Fail("writing the document");
            CRoot root;
            if (!Load(root, L"Project", path))
                Fail("chain read");
            auto* board = static_cast<CBoard*>(root.GetChild(0));
            auto* sheet = static_cast<CSheet*>(board->GetChild(0));
            CNet* net = board->FindNet(L"N1");
            CSchematicView* view = OpenView<CSchematicView>(sheet);
            if (!view || !net)
                Fail("chain view");
            times[k] = BestOfThree([&] {
                view->GetUndoList().SetStartNewGroup(true);
                net->NormalizeWires(nullptr);
            });
            if (net->GetWires().size() != static_cast<size_t>(n))
                Fail("the chain's tidying");
            std::printf("wire_click: %d wires in %.4f s\n", n, times[k]);
            CloseView(view);
        }
        ClearBudget();
        addRatio("wire_click_growth", times[1] / times[0], "12");
    }

    // 'R' on k selected footprints of one net (GND) on a board of 10 k parts.
    if (!only || std::string(only) == "footprints_rotated") {
        SetBudget(ratios, "footprints_rotated_growth", "12", 300);
        double times[2] = {0, 0};
        for (int k = 0; k < 2; ++k) {
            const int count = 1000 * (k ? 10 : 1);
            const std::wstring path = PathJoin(dir, L"rotate.circuit");
            if (!WriteWholeFile(path, ProjectDocument(count * 10)))
                Fail("writing the document");
            CRoot root;
            if (!Load(root, L"Project", path))
                Fail("rotation read");
            BuildBoardNetsInTree(&root);
            auto* board = static_cast<CBoard*>(root.GetChild(0));
            CBoardView* view = OpenView<CBoardView>(board);
            if (!view)
                Fail("rotation view");
            view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_BRD_MOVE_COMPONENT, 0), 0);
            int selected = 0;
            for (CTreeNode* package : board->GetChildren())
                for (CTreeNode* child : package->GetChildren())
                    if (child->GetType() == NodeType::Footprint && selected < count) {
                        child->SetSelected(true);
                        ++selected;
                    }
            CNet* gnd = board->FindNet(L"GND");
            const int builds = gnd ? gnd->m_graphBuilds : 0;
            times[k] = BestOfThree([&] { view->SendMessage(WM_KEYDOWN, 'R', 0); });
            if (!gnd || gnd->m_graphBuilds == builds)
                Fail("the rotation");
            std::printf("footprints_rotated: %d of %d in %.4f s\n", count, count * 10, times[k]);
            CloseView(view);
        }
        ClearBudget();
        addRatio("footprints_rotated_growth", times[1] / times[0], "12");
    }

    // A step of a session: a net's colour changed in the sheet's editor and
    // another's in the board's, each its own action, the histories settled
    // after each; at the 100th step and at the 10,000th.
    if (!only || std::string(only) == "session_steps") {
        SetBudget(ratios, "session_step_growth", "2", 600);
        RegisterEditorViews();
        const std::wstring path = PathJoin(dir, L"session.circuit");
        if (!WriteWholeFile(path, SessionDocument(2000)))
            Fail("writing the document");
        // The steps timed from the 100th and from the 10,000th.
        constexpr int kWindow = 4000;
        double times[2] = {1e30, 1e30};
        for (int round = 0; round < 3; ++round) {
            if (!g_MainFrame.CreateFrame(L"", RECT{0, 0, 1280, 800}) || !g_MainFrame.Open(path, 0))
                Fail("session frame");
            PumpPendingMessages();
            auto* board = static_cast<CBoard*>(g_MainFrame.GetRoot(0).GetChild(0));
            auto* sheet = static_cast<CSheet*>(board->GetChild(0));
            CVorpelView* sheetView = g_MainFrame.OpenNodeView(sheet);
            CVorpelView* boardView = g_MainFrame.OpenNodeView(board);
            PumpPendingMessages();
            std::vector<CNet*> nets;
            for (CTreeNode* child : board->GetChildren())
                if (child->GetType() == NodeType::Net)
                    nets.push_back(static_cast<CNet*>(child));
            if (!sheetView || !boardView || nets.size() < 2000) {
                std::fprintf(stderr, "sheet view %p, board view %p, %zu nets\n",
                             static_cast<void*>(sheetView), static_cast<void*>(boardView),
                             nets.size());
                Fail("session views");
            }
            int step = 0;
            auto steps = [&](int count) {
                for (int i = 0; i < count; ++i, ++step) {
                    CVorpelView* view = step % 2 ? boardView : sheetView;
                    // Each editor its own nets, a thousand each in turn: no
                    // step of one changes what a step of the other changed,
                    // so both histories grow.
                    CNet* net = nets[static_cast<size_t>(step / 2 % 1000 * 2 + step % 2)];
                    g_pActiveView = view;
                    view->GetUndoList().SetStartNewGroup(true);
                    view->GetUndoList().AddUndo(new CUndoChangeNodeAttribute(net, nullptr));
                    net->m_airwireColor ^= 0x10;
                    PumpPendingMessages();
                    // Taken back and done again.
                    view->Undo();
                    PumpPendingMessages();
                    view->Redo();
                    PumpPendingMessages();
                }
            };
            steps(100);
            times[0] = std::min(times[0], ProcessorTime([&] { steps(kWindow); }));
            steps(10000 - step);
            times[1] = std::min(times[1], ProcessorTime([&] { steps(kWindow); }));
            if (sheetView->GetUndoList().UndoCount() + boardView->GetUndoList().UndoCount() <
                static_cast<size_t>(step))
                Fail("the session's histories");
            g_MainFrame.DestroyWindow();
            PumpPendingMessages();
        }
        std::printf(
            "session_steps: %d steps from the 100th in %.4f s, from the 10,000th in %.4f s\n",
            kWindow, times[0], times[1]);
        ClearBudget();
        addRatio("session_step_growth", times[1] / times[0], "2");
    }
    std::string cleanup = "rm -rf '" + dirName + "'";
    (void)std::system(cleanup.c_str());
    std::fputs(ratios.c_str(), stdout);
    PlatformShutdownApplication();
    return 0;
}
