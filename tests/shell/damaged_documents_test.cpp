// Documents edited by hand or damaged: the examples with a value no user
// would draw (not-a-number, infinity, 1e30, the 32-bit limits, a huge part
// count). Each either fails to read with a message, reads repaired, or (a
// value the editor can write) reads as written and is saved back byte for
// byte; what reads opens in its editors, zooms, takes a click, saves and
// reads again, and the manufacturing files of a project hold only numbers a
// board maker reads (or are refused with a message and exit 1). The
// sanitizers, the test's time limit and its memory cap watch for the rest.
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/xml_file.h"
#include "platform/device_context.h"
#include "schematic/part.h"
#include "schematic/sheet.h"
#include "tests/run_command.h"
#include "tests/shell/frame_fixture.h"
#include "views/editor_views.h"
#include "views/schematic_view.h"

#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <regex>
#include <thread>
#include <vector>

namespace {

// A document that makes the program run away with memory or time ends the
// test at once, with the case named, before it starves the machine's other
// work. Time is the process's own processor time, which a busy machine does
// not stretch: a case takes a second or less of it, the 100,000-wire sheet
// about a minute (its threads counted together). The resident size is watched rather than the
// address space, which the address sanitizer reserves by the terabyte.
constexpr long kResidentCapMb = 3072;
constexpr int kCpuSecondsPerCase = 600;
// The command-line tool's wall time, for a tool that waits on nothing and
// does not end: far beyond what its processor time allows on any machine.
constexpr int kToolWallSeconds = 3600;

class Watchdog {
public:
    Watchdog() : m_thread([this] { Watch(); }) {}
    ~Watchdog() {
        m_stop = true;
        m_thread.join();
    }
    // The case now running (a string that outlives it).
    void Start(const char* what) {
        m_started = CpuSeconds();
        m_what = what;
    }

private:
    // Processor time of every thread of the process, in seconds.
    static double CpuSeconds() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    }
    static long ResidentMb() {
        long pages = 0, resident = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
                resident = 0;
            std::fclose(f);
        }
        return resident * (sysconf(_SC_PAGESIZE) / 1024) / 1024;
    }
    void Watch() {
        while (!m_stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const long mb = ResidentMb();
            const double seconds = CpuSeconds() - m_started;
            if (mb > kResidentCapMb || (m_what && seconds > kCpuSecondsPerCase)) {
                std::fprintf(stderr,
                             "damaged document %.300s: %ld MB resident after %.0f s of "
                             "processor time\n",
                             m_what ? m_what.load() : "(none yet)", mb, seconds);
                std::_Exit(3);
            }
        }
    }
    std::atomic<bool> m_stop{false};
    std::atomic<const char*> m_what{nullptr};
    std::atomic<double> m_started{CpuSeconds()};
    std::thread m_thread;
};

// The command-line tool under the same caps: stopped when its processor
// time runs out, refused memory beyond the cap (through the sanitizer where
// it runs, which reserves address space far beyond what it uses).
std::string Capped(const std::string& command) {
    std::string prefix = "ulimit -t " + std::to_string(kCpuSecondsPerCase) + "; ";
#if defined(__SANITIZE_ADDRESS__)
    prefix +=
        "ASAN_OPTIONS=\"$ASAN_OPTIONS:hard_rss_limit_mb=" + std::to_string(kResidentCapMb) + "\" ";
#else
    prefix += "ulimit -v " + std::to_string(kResidentCapMb * 1024) + "; ";
#endif
    return prefix + "timeout -s KILL " + std::to_string(kToolWallSeconds) + " " + command;
}

// A stackup of 40 copper layers: the example's four inner layers and I05 to
// I38, of which the layers from I21 on name no layer a board can have.
const std::string kFortyLayers = [] {
    std::string layers = "<Layer>SMT</Layer>";
    for (int i = 5; i <= 38; ++i)
        layers +=
            "\r\n    <Layer>I" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "</Layer>";
    return layers;
}();

// A net of a hundred thousand wires on the sheet Main, beside the drawing:
// a grid of 250 by 200 steps, each step a horizontal and a vertical wire, so
// that four wires meet (and a junction dot is drawn) at nearly every point.
const std::string kManyWires = [] {
    std::string net = "<Net AirwireColor=\"65535\">MANY";
    for (int row = 0; row < 200; ++row)
        for (int column = 0; column < 250; ++column) {
            const std::string x = std::to_string(200 + column), y = std::to_string(200 + row);
            const std::string right = std::to_string(201 + column), up = std::to_string(201 + row);
            net += "\r\n      <Wire SheetName=\"Main\">" + x + "," + y + "," + right + "," + y +
                   "</Wire>\r\n      <Wire SheetName=\"Main\">" + x + "," + y + "," + x + "," + up +
                   "</Wire>";
        }
    return net + "\r\n    </Net>\r\n    <Net AirwireColor=\"16711680\">DATA";
}();

// saved of a document that comes back as it was written.
const char* const kAsWritten = "(as written)";

struct DamagedCase {
    int kind; // document kind: 0 project, 1 symbols, 2 footprints
    // Texts of the example and what replaces them, several separated by '|'.
    const char* from;
    const char* to;
    // Text the saved document holds (the repair), kAsWritten when it is
    // saved back byte for byte, or null.
    const char* saved = nullptr;
    // A project's manufacturing files are refused (a size or position
    // beyond any board).
    bool refused = false;
    // Text the saved document must not hold, or null.
    const char* absent = nullptr;
    // Text of the one message shown while the document is read, or null
    // for none.
    const char* message = nullptr;
    // Text the manufacturing tool reports about a fault in a file it wrote
    // (it exits 1), or null.
    const char* camFault = nullptr;
    // A folder made in the output folder before the tool runs, or null.
    const char* outFolder = nullptr;
    // A file the tool must have written there, or null.
    const char* camFile = nullptr;
    // The document's file name without its extension, "d" when null.
    const char* document = nullptr;
};

const DamagedCase kCases[] = {
    {0, "XY=\"10,8\">RC", "XY=\"100000000,8\">RC", kAsWritten},
    {0, "XY=\"20,8\">RC", "XY=\"2147483647,-2147483648\">RC", kAsWritten},
    {0, "Outline=\"4,2\" SheetName=\"Main\" XY=\"10,8\"",
     "Outline=\"100000000,2\" SheetName=\"Main\" XY=\"10,8\"", kAsWritten},
    {0, "Outline=\"2,2\" SheetName=\"Main\" XY=\"30,14\"",
     "Outline=\"-2147483648,2\" SheetName=\"Main\" XY=\"30,14\"", kAsWritten},
    // The click on the view tidies the wires this one runs over.
    {0, ">15,9,17,9<", ">15,9,100000000,9<", ",100000000,9<"},
    {0, ">12,12H25<", ">12,12H2147483647<", kAsWritten},
    {0, ">3,2V10<", ">-2147483648,2V-2147483648<", kAsWritten},
    {0, "be2=\"1\">17,9,17,12", "be2=\"2147483647\">17,9,17,12", kAsWritten},
    {0, "Unit=\"0\">Mainboard", "Unit=\"4000000000\">Mainboard"},
    {0, "<Pin Name=\"A\" Num=\"1\">L1<", "<Pin Name=\"A\" Num=\"1\">T-2147483648<", kAsWritten},
    {0, "XY=\"2,2\">Demo", "XY=\"2147483647,2\">Demo", kAsWritten},
    {0, "PartPerPackage=\"2\"", "PartPerPackage=\"4000000000\"", "PartPerPackage=\"999\""},
    {0, "GridSize=\"2.54\"", "GridSize=\"1e30\"", "GridSize=\"10000\""},
    // The 32-bit extremes under the finest and the coarsest grid a sheet
    // takes, each as the editor writes it.
    {0, "GridSize=\"2.54\"|>15,9,17,9<", "GridSize=\"10000\"|>-2147483648,9,2147483647,9<",
     kAsWritten},
    {0, "GridSize=\"2.54\"|>15,9,17,9<", "GridSize=\"0.11\"|>-2147483648,9,2147483647,9<",
     kAsWritten},
    {0, "GridSize=\"2.54\"|Outline=\"4,2\" SheetName=\"Main\" XY=\"10,8\"|>L1<",
     "GridSize=\"10000\"|Outline=\"2147483647,2147483647\" SheetName=\"Main\" "
     "XY=\"-2147483648,-2147483648\"|>T2147483647<",
     kAsWritten},
    {0, "GridSize=\"2.54\"|XY=\"0,-10\">R1|XY=\"2,2\">Demo|>12,12H25<|be2=\"1\">17,9,17,12",
     "GridSize=\"10000\"|XY=\"-2147483648,2147483647\">R1|XY=\"-2147483648,-2147483648\">Demo|"
     ">2147483647,-2147483648V-2147483648<|be2=\"-2147483648\">17,9,17,12",
     kAsWritten},
    {0, "LIN60,0 LIN60,40", "LINnan,0 LIN60,inf", "Outline=\"LIN0,0\" "},
    {0, "Outline=\"LIN0,0 LIN60,0 LIN60,40", "Outline=\"LIN0,0 LIN1e30,0 LIN1e30,1e30", nullptr,
     true},
    {0, "<Footprint XY=\"12.5,12\">", "<Footprint Rotation=\"nan\" XY=\"12.5,12\">"},
    {0, "Rotation=\"90\" XY=\"22.5,12\"", "Rotation=\"1e30\" XY=\"inf,-inf\""},
    {0, "CIRC-2,-2,2,2W0.2", "CIRC-1e30,-1e30,1e30,1e30W0.2", nullptr, true},
    {0, "L-2,-1,2,-1W0.15", "L-2,-1,1e30,-1W1e30", nullptr, true},
    {0, "Size=\"1.2,1.4\"", "Size=\"1e30,1.4\"", nullptr, true},
    {0, "13.500,12.000 18.000,12.000,0.500", "13.500,12.000 1e30,12.000,0.500 nan,1", nullptr,
     true},
    {0, "13.500,12.000 18.000,12.000,0.500", "13.500,12.000 18.000,12.000,nan", ">13.500,12.000<"},
    {0, "L-2,-1,2,-1W0.15 L-2,1,2,1W0.15", "L-2,-1,2,-1W0.15 Lnan,1,2,1W0.15",
     ">L-2,-1,2,-1W0.15<"},
    {0, "Width=\"0.3\">13.5", "Width=\"inf\">13.5"},
    {0, "LIN1,1 LIN59,1", "LIN1,1 LINnan,1e30", ">LIN1,1<"},
    {0, "LIN40,2 LIN55,2", "LIN40,2 LIN1e30,-1e30", nullptr, true},
    {0, "ARC55,12,-2.5", "ARC55,12,1e30", nullptr, true},
    {0, "Diam=\"3.2\" NonPlated", "Diam=\"1e30\" NonPlated", nullptr, true},
    {0, "<Pad XY=\"18,12\"/>", "<Pad XY=\"1e30,-1e30\"/>", nullptr, true},
    {0, "FontSize=\"1.2\"", "FontSize=\"1e30\""},
    {0, "Pos=\"2,38\"", "Pos=\"nan,1e30\""},
    {0, "Grid=\"1.27,1.27\"", "Grid=\"nan,1e30\""},
    {1, "<Part Outline=\"4,2\">RC", "<Part Outline=\"4,2\" XY=\"2147483647,0\">RC", kAsWritten},
    {1, "Outline=\"2,2\">L0", "Outline=\"2147483647,-2147483648\">L0", kAsWritten},
    {1, "<Text Name=\"RefDes\" XY=\"0,-10\">R?", "<Text Name=\"RefDes\" XY=\"2147483647,-10\">R?",
     kAsWritten},
    {1, "<Pin Name=\"B\" Num=\"2\">R1<", "<Pin Name=\"B\" Num=\"2\">R-2147483648<", kAsWritten},
    {1, "PartPerPackage=\"4\"", "PartPerPackage=\"4000000000\"", "PartPerPackage=\"999\""},
    {1, "RC0,0,40,20 L-10", "RC0,0,2147483647,20 L-10", kAsWritten},
    {1, "<Part Outline=\"4,2\">RC0,0,40,20 L-10,10,0,10 L40,10,50,10 TEXTR12,-4:R",
     // A long text is written in lines, as here.
     "<Part Outline=\"4,2\" XY=\"-2147483648,2147483647\">RC-2147483648,-2147483648,2147483647,"
     "2147483647 L-2147483648,2147483647,2147483647,-2147483648\r\n      L40,10,50,10 "
     "TEXTR2147483647,-2147483648:R",
     kAsWritten},
    {1, "ARC-20,0,20,40,0,40,0,0 L0,0,0,40 CIRC40,15,50,25 TEXTR5,15",
     "ARC-2147483648,0,2147483647,40,0,2147483647,0,-2147483648 L0,0,0,40 "
     "CIRC-2147483648,-2147483648,2147483647,2147483647\r\n      TEXTR5,15",
     kAsWritten},
    {2, "<Padstack Grid=\"0.05,0.05\">RECT", "<Padstack Grid=\"nan,inf\" Unit=\"9\">RECT"},
    {2, "<Footprint Grid=\"0.05,0.05\">R0805", "<Footprint Grid=\"1e30,1e-30\" Unit=\"-1\">R0805"},
    {2, "<Pad Num=\"1\" XY=\"-1,0\"/>", "<Pad Num=\"1\" XY=\"-inf,1e30\"/>"},
    {2, "TXT0,1.5,0,1:R?", "TXT0,1.5,0,1e30:R?"},
    {2, "LIN-1,-1 LIN1,-1 ARC1,1,0.5", "LIN-1,-1 LIN1e30,-1 ARC1,1,1e30"},
    // A surrogate on its own is no character: its bytes read as U+FFFD.
    {0, "AirwireColor=\"16711680\">DATA", "AirwireColor=\"16711680\">D\xED\xA0\x80TA",
     ">D\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDTA", false, "\xED"},
    {0, "<Layer>SMT</Layer>", kFortyLayers.c_str(), "<Layer>I20</Layer>", false, "<Layer/>",
     "'I21', 'I22', 'I23', 'I24', 'I25', 'I26', 'I27', 'I28', ..."},
    // Controls XML cannot hold, as bytes and as references, read as U+FFFD.
    {0, ">Demo board &amp; friends<|Font=\"Arial\" FontSize",
     ">Demo\x01 board\x1B &amp;&#27; friends&#x1;<|Font=\"Ari\x1B&#1;al\" FontSize",
     ">Demo\xEF\xBF\xBD board\xEF\xBF\xBD &amp;\xEF\xBF\xBD friends\xEF\xBF\xBD<", false, "&#"},
    // Two parts named R1: the bill of materials lists the first only.
    {0, "Pos=\"22.5,10\" XY=\"0,-10\">R2", "Pos=\"22.5,10\" XY=\"0,-10\">R1", kAsWritten, false,
     nullptr, nullptr,
     "vorpel-cam: Duplicate RefDes: Sheet 'Main' at [10, 8]; Sheet 'Main' at [20, 8]"},
    // Opened, drawn and saved in time linear in its wires.
    {0, "<Net AirwireColor=\"16711680\">DATA", kManyWires.c_str(), kAsWritten},
    // Board names that are no file names: the files stay in the output
    // folder under one name part each, and a second board of a name already
    // written is refused, the first's files kept.
    {0, "Unit=\"0\">Mainboard", "Unit=\"0\">x/../../escaped", nullptr, false, nullptr, nullptr,
     nullptr, "d.x", "d.x_.._.._escaped.TOP.gbr"},
    {0, "Unit=\"0\">Mainboard", "Unit=\"0\">Main&#10;board", nullptr, false, nullptr, nullptr,
     nullptr, nullptr, "d.Main_board.drill.plated.drl"},
    {0, "</Board>\r\n  <Block>", "</Board>\r\n  <Board>Mainboard</Board>\r\n  <Block>", nullptr,
     true, nullptr, nullptr,
     "vorpel-cam: Board 'Mainboard' would write over the files of board 'Mainboard' and is not "
     "written: '",
     nullptr, "d.Mainboard.drill.plated.drl"},
    // A layer named twice: the first is the board's, the user is told.
    {0, "<Layer>I01</Layer>", "<Layer>I02</Layer>", "<Layer>I02</Layer>", false,
     "Net=\"N1\" NoThermal=\"1\" Type=\"PLANE\">I02", "others were left out: 'I02'"},
    // Thermal reliefs that clear nothing or have spokes narrower than
    // nothing, the board's and a pad's: given their defaults, and the user
    // is told of each value once.
    {0, "<Thermal Isolation=\"0.35\" Spoke=\"0.4\">", "<Thermal Isolation=\"-5\" Spoke=\"-1\">",
     "<Thermal>LIN-1,-1 ", false, "Isolation=\"-5\"", "0.3 mm: Isolation=\"-5\", Spoke=\"-1\""},
    {0, "<Thermal Isolation=\"0.2\" Spoke=\"0.25\"/>", "<Thermal Isolation=\"0\" Spoke=\"0.25\"/>",
     "<Thermal Spoke=\"0.25\"/>", false, nullptr, "0.3 mm: Isolation=\"0\""},
    {2, "<Thermal Isolation=\"0.25\" Spoke=\"0.35\">",
     "<Thermal Isolation=\"-1e-30\" Spoke=\"0.35\">", "<Thermal Spoke=\"0.35\">", false, nullptr,
     "0.3 mm: Isolation=\"-1e-30\""},
    // A project file name holding a line end: the output files' names do
    // not.
    {0, "Unit=\"0\">Mainboard", "Unit=\"0\">Mainboard", kAsWritten, false, nullptr, nullptr,
     nullptr, nullptr, "d_x.Mainboard.drill.plated.drl", "d\nx"},
    // Drawn and written within one turn.
    {0, "Rotation=\"90\" XY=\"22.5,12\"", "Rotation=\"-1e9\" XY=\"22.5,12\"",
     "Rotation=\"-1e+09\""},
};

const wchar_t* const kExamples[] = {L"demo.circuit", L"demo.symbol", L"demo.footprint"};

int RunCam(const std::string& project, const std::string& out, std::string* messages) {
    return RunCommand(
        Capped(std::string(VORPEL_BINARY_DIR "/bin/vorpel-cam '") + project + "' '" + out + "'"),
        messages);
}

// What no manufacturing file may hold: not-a-number, infinity, or a number
// of more integer digits than the format's three plus its three decimals.
std::string NonsenseIn(const std::string& folder) {
    static const std::regex bad("[^A-Za-z](nan|inf)|[0-9]{7}", std::regex::icase);
    std::string found;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return found;
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.')
            continue;
        std::string bytes;
        ReadWholeFile(Utf8ToWide(folder + "/" + e->d_name), bytes);
        // The first line names the file.
        const size_t body = bytes.find('\n');
        std::smatch m;
        const std::string rest = body == std::string::npos ? "" : bytes.substr(body);
        if (rest.size() > 4000000 || std::regex_search(rest, m, bad))
            found += std::string(e->d_name) + ": " + (m.empty() ? "too large" : m.str()) + "; ";
    }
    closedir(dir);
    return found;
}

// Output file names and bytes that are control characters other than the
// CR LF ending each line.
std::string ControlsIn(const std::string& folder) {
    std::string found;
    for (const std::wstring& name : ListDirectory(Utf8ToWide(folder))) {
        const std::string n = WideToUtf8(name);
        std::string bytes;
        ReadWholeFile(Utf8ToWide(folder + "/" + n), bytes);
        bool bad = std::any_of(n.begin(), n.end(), [](char c) { return c >= 0 && c < 0x20; });
        for (size_t i = 0; i < bytes.size() && !bad; ++i) {
            const char c = bytes[i];
            bad = c >= 0 && c < 0x20 &&
                  !(c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') &&
                  !(c == '\n' && i > 0 && bytes[i - 1] == '\r');
        }
        if (bad)
            found += n + "; ";
    }
    return found;
}

// The first line where two documents differ, for messages.
std::string FirstDifference(const std::string& a, const std::string& b) {
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        ++at;
    const size_t from = a.rfind('\n', at) == std::string::npos ? 0 : a.rfind('\n', at) + 1;
    return "expected: " + a.substr(from, a.find('\n', at) - from) +
           "\nsaved:    " + b.substr(from, b.find('\n', at) - from);
}

class DamagedDocumentsTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        RegisterEditorViews();
        StartFrame();
    }

    // Every board, sheet, symbol, footprint and padstack of the document in
    // its editor: Zoom All, a click in the middle and on each part shown.
    void OpenEveryEditor(CTreeNode* node) {
        for (CTreeNode* child : node->GetChildren()) {
            const int t = child->GetType();
            if (t == NodeType::Board || t == NodeType::Sheet || t == NodeType::Package ||
                t == NodeType::Footprint || (t == NodeType::Padstack && node->GetType() == 4)) {
                if (t == NodeType::Package && node->GetType() != NodeType::SymbolFolder)
                    continue;
                CVorpelView* view = g_MainFrame.OpenNodeView(child);
                ASSERT_NE(view, nullptr);
                PumpPendingMessages();
                Command(ID_VIEW_ZOOM_ALL);
                const RECT r = view->GetClientRect();
                ClickAt(view, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
                if (auto* sheetView = dynamic_cast<CSchematicView*>(view))
                    ClickParts(sheetView, static_cast<CSheet*>(child));
                PumpPendingMessages();
            }
            if (t != NodeType::Sheet && t != NodeType::Package && t != NodeType::Footprint)
                OpenEveryEditor(child);
        }
    }
    void ClickParts(CSchematicView* view, CSheet* sheet) {
        const int64_t g = view->GetGrid();
        for (CTreeNode* package : sheet->GetParent()->GetChildren())
            for (CTreeNode* child : package->GetChildren()) {
                auto* part = dynamic_cast<CPart*>(child);
                if (!part || part->m_pSheet != sheet)
                    continue;
                const int64_t x = (int64_t{part->m_position.x} * 2 + part->m_size.cx) * g / 2;
                const int64_t y = (int64_t{part->m_position.y} * 2 + part->m_size.cy) * g / 2;
                if (std::llabs(x) > 100000000 || std::llabs(y) > 100000000)
                    continue;
                std::unique_ptr<DeviceContext> dc = view->MakeDC();
                ClickAt(view, view->LogicalToClient(dc.get(), POINT{int(x), int(y)}));
            }
    }
};

TEST_F(DamagedDocumentsTest, ReadRepairedOrRefusedDrawnSavedAndWrittenSanely) {
    Watchdog watchdog;
    for (const DamagedCase& c : kCases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + std::string(c.to).substr(0, 300));
        watchdog.Start(c.to);
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile(
            PathJoin(PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples"), kExamples[c.kind]),
            bytes));
        auto pieces = [](const std::string& all) {
            std::vector<std::string> out;
            size_t begin = 0;
            for (size_t bar; (bar = all.find('|', begin)) != std::string::npos; begin = bar + 1)
                out.push_back(all.substr(begin, bar - begin));
            out.push_back(all.substr(begin));
            return out;
        };
        const std::vector<std::string> from = pieces(c.from), to = pieces(c.to);
        ASSERT_EQ(from.size(), to.size());
        for (size_t i = 0; i < from.size(); ++i) {
            const size_t at = bytes.find(from[i]);
            ASSERT_NE(at, std::string::npos) << from[i];
            bytes.replace(at, from[i].size(), to[i]);
        }
        const std::wstring name =
            Utf8ToWide(c.document ? c.document : "d") + wcsrchr(kExamples[c.kind], L'.');
        const std::wstring path = WriteFile(name, bytes);
        ui.Clear();
        if (!g_MainFrame.Open(path, c.kind)) {
            EXPECT_EQ(ui.messageBoxes.size(), 1u);
            continue;
        }
        if (c.message) {
            ASSERT_EQ(ui.messageBoxes.size(), 1u);
            EXPECT_NE(ui.messageBoxes[0].text.find(Utf8ToWide(c.message)), std::wstring::npos)
                << WideToUtf8(ui.messageBoxes[0].text);
        }
        OpenEveryEditor(&g_MainFrame.GetRoot(c.kind));
        ASSERT_TRUE(g_MainFrame.Save(c.kind));
        const std::string saved = ReadFile(path);
        EXPECT_FALSE(std::regex_search(saved, std::regex("[^A-Za-z](nan|inf)[^A-Za-z]")));
        if (c.saved == kAsWritten) {
            EXPECT_TRUE(saved == bytes) << FirstDifference(bytes, saved);
        } else if (c.saved) {
            EXPECT_NE(saved.find(c.saved), std::string::npos) << saved;
        }
        if (c.absent) {
            EXPECT_EQ(saved.find(c.absent), std::string::npos) << saved;
        }
        // What is saved is XML to any conforming reader.
        std::string lint;
        EXPECT_EQ(RunCommand("xmllint --noout '" + PathToNative(path) + "'", &lint), 0) << lint;
        CRoot again;
        EXPECT_TRUE(CXmlFile(&again).Load(path.c_str()));
        Command(ID_WINDOW_CLOSE_ALL);
        if (c.kind != 0)
            continue;
        const std::string out = PathToNative(PathJoin(scratch, L"out"));
        (void)std::system(("rm -rf '" + out + "'").c_str());
        const std::vector<std::wstring> beside = ListDirectory(scratch);
        if (c.outFolder) {
            ASSERT_TRUE(CreateDirectories(Utf8ToWide(out + "/" + c.outFolder)));
        }
        std::string messages;
        const int rc = RunCam(PathToNative(path), out, &messages);
        // Every file goes into the output folder.
        std::vector<std::wstring> after = ListDirectory(scratch);
        std::erase(after, std::wstring(L"out"));
        EXPECT_EQ(after, beside) << messages;
        EXPECT_EQ(ControlsIn(out), "") << messages;
        if (c.camFile) {
            EXPECT_TRUE(FileExists(Utf8ToWide(out + "/" + c.camFile))) << c.camFile << messages;
        }
        EXPECT_EQ(rc, c.refused || c.camFault ? 1 : 0) << messages;
        // A refused file is reported by name as not written.
        EXPECT_EQ(messages.find("not written") != std::string::npos, c.refused) << messages;
        if (c.camFault) {
            EXPECT_NE(messages.find(c.camFault), std::string::npos) << messages;
        }
        EXPECT_EQ(NonsenseIn(out), "") << messages;
    }
}

} // namespace
