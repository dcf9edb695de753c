// How reading, opening and writing grow with the size of a document: an
// area of many vertices (read and saved), a footprint of many pads (read,
// then what opening it in the editor asks: the footprint's bounds for Zoom
// All and each pad's bounds), and a project
// of many parts (read, nets built, then the manufacturing files and the bill
// of materials written), a board of many copper areas (read, then the
// Gerber files written), a sheet of many wires (read, opened in its editor,
// Zoom All and painted) and a board of many parts under a copper pour
// (read, opened in its editor, Zoom All, painted and panned). Each is timed
// at n and at 10 n objects; the goal is at most about 12 times the time for
// 10 times the objects.
//
// Each time is the best of three runs in processor time (user and system,
// all threads), so that a shared machine's load weighs little; the files go
// to /dev/shm where there is one, as saving waits for the disk. The heap
// keeps what a run frees for the next: otherwise a large document's runs
// each fault in fresh pages (the heap gives back a large free top) while a
// small one's reuse theirs, and the ratio would measure the kernel.
#include "bench/processor_time.h"
#include "board/board.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "cam/bill_of_materials.h"
#include "cam/cam_settings.h"
#include "cam/excellon_export.h"
#include "cam/gerber_export.h"
#include "core/node_type.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/application.h"
#include "platform/file.h"
#include "platform/graphics.h"
#include "platform/message_loop.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "schematic/sheet.h"
#include "views/board_view.h"
#include "views/schematic_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <malloc.h>
#include <string>
#include <unistd.h>

namespace {

constexpr double kPi = 3.14159265358979;
const char* kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n";

double BestOfThree(const std::function<void()>& f) {
    double best = 1e30;
    for (int run = 0; run < 3; ++run)
        best = std::min(best, ProcessorTime(f));
    return best;
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
// GND over the whole board.
std::string PourDocument(int parts) {
    const int columns = 50, rows = (parts + columns - 1) / columns;
    const std::string width = std::to_string(columns * 8 + 10);
    const std::string height = std::to_string(rows * 8 + 10);
    std::string xml = std::string(kHeader) + "<Project>Growth\r\n  <Board Outline=\"LIN0,0 LIN" +
                      width + ",0 LIN" + width + "," + height + " LIN0," + height +
                      "\">B\r\n    <Layer>TOP</Layer>\r\n    <Layer>BOT</Layer>\r\n"
                      "    <Area Layer=\"TOP\" Net=\"GND\">LIN1,1 LIN" +
                      std::to_string(columns * 8 + 9) + ",1 LIN" + std::to_string(columns * 8 + 9) +
                      "," + std::to_string(rows * 8 + 9) + " LIN1," + std::to_string(rows * 8 + 9) +
                      "</Area>\r\n";
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

struct Growth {
    const char* name;
    int n;
    std::function<std::string(int)> document;
    const wchar_t* file;
    std::function<void(const std::wstring&)> run; // reads the file and goes on
};

} // namespace

int main(int argc, char** argv) {
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
        {"area_vertices", 20000, AreaDocument, L"area.circuit",
         [&](const std::wstring& path) {
             CRoot root;
             if (!Load(root, L"Project", path) || !CXmlFile(&root).Save(saved.c_str()))
                 Fail("area read and save");
         }},
        {"footprint_pads", 20000, FootprintDocument, L"pads.footprint",
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
        {"sheet_wires", 10000, WiresDocument, L"wires.circuit",
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
        {"poured_board", 100, PourDocument, L"pour.circuit",
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
    for (const Growth& growth : growths) {
        if (only && std::string(only) != growth.name)
            continue;
        double times[2] = {0, 0};
        for (int k = 0; k < 2; ++k) {
            const int n = growth.n * (k ? 10 : 1);
            const std::wstring path = PathJoin(dir, growth.file);
            if (!WriteWholeFile(path, growth.document(n)))
                Fail("writing the document");
            times[k] = BestOfThree([&] { growth.run(path); });
            std::printf("%s: %d in %.3f s\n", growth.name, n, times[k]);
        }
        char line[128];
        std::snprintf(line, sizeof line, "RATIO %s_growth %.3f 12\n", growth.name,
                      times[1] / times[0]);
        ratios += line;
    }
    std::string cleanup = "rm -rf '" + dirName + "'";
    (void)std::system(cleanup.c_str());
    std::fputs(ratios.c_str(), stdout);
    PlatformShutdownApplication();
    return 0;
}
