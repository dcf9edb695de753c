// Importing a DXF board outline of 10,000 and of 40,000 lines: the corners of
// a circle-like polygon, the lines in shuffled order and every other one
// drawn the other way, in a drawing with a header and the entities section.
// Prints both import times and, last, their ratio: joining the lines must not
// grow with the square of their count. Each size's best of nine runs in
// processor time, the two sizes' runs alternating, so that a shared
// machine's load falls on both alike; the files are in the page cache.
#include "board/area_node.h"
#include "board/board.h"
#include "core/model_services.h"
#include "platform/file.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "views/dxf_import.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>
#include <string>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

std::string Pair(int code, const std::string& value) {
    std::string c = std::to_string(code);
    if (c.size() < 3)
        c.insert(0, 3 - c.size(), ' ');
    return c + "\n" + value + "\n";
}

std::string Num(double v) {
    return WideToUtf8(FormatGeneral(v, 12));
}

std::string MakeDrawing(int lines) {
    std::vector<int> order(lines);
    for (int k = 0; k < lines; ++k)
        order[k] = k;
    std::mt19937 random(42);
    std::shuffle(order.begin(), order.end(), random);
    auto corner = [lines](int k, double& x, double& y) {
        const double a = 2 * std::numbers::pi * (k % lines) / lines;
        x = 80 + 75 * std::cos(a);
        y = 60 + 55 * std::sin(a);
    };
    std::string out = Pair(0, "SECTION") + Pair(2, "HEADER") + Pair(9, "$ACADVER") +
                      Pair(1, "AC1015") + Pair(9, "$MEASUREMENT") + Pair(70, "1") +
                      Pair(0, "ENDSEC") + Pair(0, "SECTION") + Pair(2, "ENTITIES");
    for (int i = 0; i < lines; ++i) {
        double x1, y1, x2, y2;
        corner(order[i], x1, y1);
        corner(order[i] + 1, x2, y2);
        if (i % 2)
            std::swap(x1, x2), std::swap(y1, y2);
        out += Pair(0, "LINE") + Pair(5, std::to_string(i + 100)) + Pair(8, "0") +
               Pair(10, Num(x1)) + Pair(20, Num(y1)) + Pair(30, "0.0") + Pair(11, Num(x2)) +
               Pair(21, Num(y2)) + Pair(31, "0.0");
    }
    return out + Pair(0, "ENDSEC") + Pair(0, "EOF");
}

// Deletes the outline node by node (the list operations would walk the
// whole list for each node).
void FreeOutline(CBoard& board) {
    for (CAreaNode* n = board.m_outline; n;) {
        CAreaNode* next = n->m_next;
        delete n;
        n = next;
    }
    board.m_outline = nullptr;
}

double ProcessorSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double TimeImport(const std::wstring& path, int lines) {
    CBoard board;
    const double t0 = ProcessorSeconds();
    const bool ok = ImportDxfOutline(&board, path);
    const double t1 = ProcessorSeconds();
    if (!ok || CountAreaNodes(board.m_outline) != lines) {
        std::fprintf(stderr, "import of %d lines failed\n", lines);
        std::exit(1);
    }
    FreeOutline(board);
    DiscardOrphanUndoRecords();
    return t1 - t0;
}

} // namespace

int main() {
    UiHooks hooks;
    hooks.messageBox = [](const MessageBoxRequest& r) {
        std::fprintf(stderr, "%s\n", WideToUtf8(r.text).c_str());
        return DefaultMessageBoxAnswer(r.style);
    };
    hooks.statusText = [](int, const std::wstring&) {};
    SetUiHooks(hooks);

    std::string dir = "/tmp/vorpel-bench-dxf-XXXXXX";
    if (!mkdtemp(dir.data()))
        return 1;
    const std::wstring small = Utf8ToWide(dir + "/10k.dxf");
    const std::wstring large = Utf8ToWide(dir + "/40k.dxf");
    if (!WriteWholeFile(small, MakeDrawing(10000)) || !WriteWholeFile(large, MakeDrawing(40000)))
        return 1;
    double t10 = 1e9, t40 = 1e9;
    for (int run = 0; run < 9; ++run) {
        t10 = std::min(t10, TimeImport(small, 10000));
        t40 = std::min(t40, TimeImport(large, 40000));
    }
    (void)std::system(("rm -rf '" + dir + "'").c_str());
    std::printf("dxf import, 10000 lines: %.4f s\n", t10);
    std::printf("dxf import, 40000 lines: %.4f s\n", t40);
    std::printf("RATIO dxf_import_40k_vs_10k %.3f 5\n", t40 / t10);
    return 0;
}
