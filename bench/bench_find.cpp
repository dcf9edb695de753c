// A schematic search that visits every object of a project with 10,000 and
// with 40,000 parts: a text that matches nothing, every kind of object
// compared (designators with their unit suffix, pin numbers and names, nets,
// comments, part numbers and values). Prints both times and, last, their
// ratio: the search must grow with the project, not with its square. Each
// size's best of nine runs in processor time, the sizes alternating.
#include "board/board.h"
#include "core/model_services.h"
#include "core/root.h"
#include "platform/text.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/pin.h"
#include "schematic/sheet.h"
#include "schematic/text.h"
#include "schematic/wire.h"
#include "views/schematic_find.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <time.h>

namespace {

// A project of one board with two sheets: parts of two units in packages
// of their own (every fourth one a two-unit package), each unit with two
// pins, designator and value texts, and a net of two wires for every two
// parts.
std::unique_ptr<CRoot> MakeProject(int parts) {
    auto root = std::make_unique<CRoot>();
    root->SetRootTag(L"Project");
    auto* board = static_cast<CBoard*>(root->AddChild(new CBoard()));
    board->SetText(L"Bench");
    CSheet* sheets[2] = {static_cast<CSheet*>(board->AddChild(new CSheet(L"Main"))),
                         static_cast<CSheet*>(board->AddChild(new CSheet(L"Second")))};
    int made = 0;
    for (int i = 0; made < parts; ++i) {
        auto* package = static_cast<CPackage*>(board->AddChild(new CPackage()));
        const int units = i % 4 == 0 ? 2 : 1;
        package->m_partsPerPackage = static_cast<uint32_t>(units);
        for (int u = 0; u < units && made < parts; ++u, ++made) {
            auto* part = static_cast<CPart*>(package->AddChild(new CPart()));
            part->m_position = POINT{(made % 100) * 6, (made / 100) * 4};
            part->m_size = SIZE{4, 2};
            sheets[made % 2]->AddObject(part);
            for (int p = 0; p < 2; ++p) {
                auto* pin = static_cast<CPin*>(part->AddChild(new CPin()));
                pin->m_side = p ? L'R' : L'L';
                pin->m_offset = 1;
                pin->m_name = p ? L"B" : L"A";
                pin->SetPadNames(std::to_wstring(p + 1));
            }
        }
        auto* refDes = static_cast<CText*>(
            package->AddChild(new CText((L"R" + std::to_wstring(i + 1)).c_str())));
        refDes->m_name = L"RefDes";
        auto* value = static_cast<CText*>(package->AddChild(new CText(L"10k")));
        value->m_name = L"Value";
    }
    for (int n = 0; n < parts / 2; ++n) {
        auto* net =
            static_cast<CNet*>(board->AddChild(new CNet((L"N" + std::to_wstring(n + 1)).c_str())));
        for (int w = 0; w < 2; ++w) {
            auto* wire =
                static_cast<CWire*>(net->AddChild(new CWire(POINT{n, w}, POINT{n + 1, w})));
            sheets[n % 2]->AddObject(wire);
        }
    }
    auto* comment = static_cast<CText*>(board->AddChild(new CText(L"Bench board")));
    sheets[0]->AddObject(comment);
    return root;
}

double ProcessorSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double TimeSearch(CRoot& root) {
    FindSettings s;
    s.text = L"no such thing";
    s.net = s.pinNumber = s.pinName = s.comment = s.partRefDes = s.partNumber = s.partValue = true;
    s.scope = &root;
    const CTreeNode* sheet = root.GetChild(0)->GetChild(0);
    const double t0 = ProcessorSeconds();
    CTreeNode* hit = RunSearch(s, sheet);
    const double t1 = ProcessorSeconds();
    if (hit) {
        std::fprintf(stderr, "the search found something\n");
        std::exit(1);
    }
    return t1 - t0;
}

} // namespace

int main() {
    std::unique_ptr<CRoot> small = MakeProject(10000);
    std::unique_ptr<CRoot> large = MakeProject(40000);
    double t10 = 1e9, t40 = 1e9;
    for (int run = 0; run < 9; ++run) {
        t10 = std::min(t10, TimeSearch(*small));
        t40 = std::min(t40, TimeSearch(*large));
    }
    std::printf("find over 10000 parts: %.4f s\n", t10);
    std::printf("find over 40000 parts: %.4f s\n", t40);
    std::printf("RATIO find_40k_vs_10k %.3f 5\n", t40 / t10);
    DiscardOrphanUndoRecords();
    return 0;
}
