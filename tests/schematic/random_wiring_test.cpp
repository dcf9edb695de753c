// Random sequences of wire additions, deletions and renames on a generated
// sheet: membership stays consistent after every step, the plane and the
// area follow their net through renames and merges, undoing a whole
// sequence gives back the original file and redoing it the edited one.
#include "board/area.h"
#include "board/layer.h"
#include "tests/schematic/schematic_fixture.h"
#include "tests/ui_hooks_recorder.h"

#include <random>
#include <set>

namespace {

// Four resistors in a row (pins at y = 9), two GND symbols, a bus along
// y = 14, a plane and an area on nets of a wire each, and a resistor on a
// second sheet at the same coordinates as the first one on the main sheet.
std::string GeneratedSheet() {
    std::string body = "<Project><Board><Sheet>Main</Sheet><Sheet>Second</Sheet>";
    // A plane and an area naming nets that renames and merges take along.
    body += "<Layer Net=\"N1\" Type=\"PLANE\">I01</Layer>"
            "<Area Layer=\"TOP\" Net=\"N2\">LIN0,0 LIN5,0 LIN5,5</Area>"
            "<Net>N1<Wire SheetName=\"Second\">30,20,32,20</Wire></Net>"
            "<Net>N2<Wire SheetName=\"Second\">30,22,32,22</Wire></Net>";
    for (int i = 0; i < 4; ++i) {
        const int x = 4 + 8 * i;
        body += "<Package Footprint=\"R\"><Part Outline=\"4,2\" SheetName=\"Main\" XY=\"" +
                std::to_string(x) +
                ",8\"><Pin Num=\"1\">L1</Pin><Pin Num=\"2\">R1</Pin></Part>"
                "<Text Name=\"RefDes\">R" +
                std::to_string(i + 1) + "</Text></Package>";
    }
    for (int x : {6, 22})
        body += "<Package><Part Outline=\"2,2\" SheetName=\"Main\" XY=\"" + std::to_string(x) +
                ",3\"><Pin NetName=\"GND\">T1</Pin></Part></Package>";
    body += "<Package Footprint=\"R\"><Part Outline=\"4,2\" SheetName=\"Second\" XY=\"4,8\">"
            "<Pin Num=\"1\">L1</Pin><Pin Num=\"2\">R1</Pin></Part></Package>";
    body += "<Bus SheetName=\"Main\">0,14H40</Bus></Board></Project>";
    return body;
}

class RandomWiringTest : public SchematicFixture {
protected:
    // A plane's or an area's net name before a step, with the net of that
    // name and what the net held then.
    struct NetReference {
        const CTreeNode* owner;
        const std::wstring* name;
        std::wstring before;
        const CNet* net;
        std::vector<const CWire*> wires;
        std::vector<const CPin*> pins;
    };
    std::vector<NetReference> NetReferences() {
        std::vector<NetReference> references;
        for (CTreeNode* child : m_board->GetChildren()) {
            const std::wstring* name = nullptr;
            if (auto* layer = dynamic_cast<CLayer*>(child);
                layer && layer->m_layerType == kLayerTypePlane)
                name = &layer->m_net;
            else if (auto* area = dynamic_cast<CArea*>(child))
                name = &area->m_net;
            if (!name)
                continue;
            NetReference r{child, name, *name, m_board->FindNet(*name), {}, {}};
            if (r.net) {
                const std::vector<CWire*> wires = r.net->GetWires();
                r.wires.assign(wires.begin(), wires.end());
                r.pins.assign(r.net->m_pins.begin(), r.net->m_pins.end());
            }
            references.push_back(std::move(r));
        }
        return references;
    }
    // After a step: a plane or area whose net stayed names it by its name
    // now (renamed or not); one whose net went names the net that took its
    // wires and pins over (a merge), or keeps the name when the net was
    // deleted outright.
    void CheckNetReferences(const std::vector<NetReference>& before) {
        for (const NetReference& r : before) {
            const std::wstring& now = *r.name;
            const std::string what = WideToUtf8(r.owner->GetTagName()) + " of net " +
                                     WideToUtf8(r.before) + ", now " + WideToUtf8(now);
            // A net of the name may come and go within the step (a wire's
            // new net named after a symbol, and the wire deleted).
            if (!r.net)
                continue;
            if (r.net->GetParent() == m_board) {
                EXPECT_EQ(now, r.net->GetName())
                    << what << ": its net is " << WideToUtf8(r.net->GetName());
                continue;
            }
            std::set<std::wstring> into;
            for (const CWire* wire : r.wires)
                if (const CNet* net = wire->GetNet(); net && net->GetParent() == m_board)
                    into.insert(net->GetName());
            for (const CPin* pin : r.pins)
                if (pin->m_pNet && pin->m_pNet->GetParent() == m_board)
                    into.insert(pin->m_pNet->GetName());
            if (into.empty())
                EXPECT_EQ(now, r.before) << what << ": its net was deleted";
            else
                EXPECT_TRUE(into.count(now))
                    << what << ": its net went into " << WideToUtf8(*into.begin());
        }
    }

    std::vector<CWire*> AllWires() {
        std::vector<CWire*> wires;
        for (CNet* net : Nets())
            for (CWire* w : net->GetWires())
                wires.push_back(w);
        return wires;
    }

    // Points worth connecting: the pins and a few free points.
    POINT RandomPoint(std::mt19937& rng) {
        static const POINT points[] = {{3, 9},   {9, 9},   {11, 9}, {17, 9},  {19, 9}, {25, 9},
                                       {27, 9},  {33, 9},  {7, 6},  {23, 6},  {7, 12}, {14, 12},
                                       {19, 12}, {25, 12}, {7, 14}, {14, 14}, {25, 14}};
        return points[std::uniform_int_distribution<int>(0, std::size(points) - 1)(rng)];
    }

    void Step(std::mt19937& rng) {
        const int kind = std::uniform_int_distribution<int>(0, 9)(rng);
        std::vector<CWire*> wires = AllWires();
        if (kind <= 4 || wires.empty()) {
            const bool second = std::uniform_int_distribution<int>(0, 9)(rng) == 0;
            POINT a = RandomPoint(rng), b = RandomPoint(rng);
            // Straight wires only, as the wire tool draws them.
            if (std::uniform_int_distribution<int>(0, 1)(rng))
                b.y = a.y;
            else
                b.x = a.x;
            CWire* w = AddWire(Sheet(second ? L"Second" : L"Main"), a, b);
            // A wire ending on the bus gets a bus entry.
            if (w->GetParent() && b.y == 14 && SamePoint(w->GetEnd(), b)) {
                StartUndoGroup();
                PushUndo(new CUndoChangeWirePos(w));
                w->m_busEntry2 = 1;
            }
        } else if (kind <= 7) {
            CWire* w = wires[std::uniform_int_distribution<std::size_t>(0, wires.size() - 1)(rng)];
            DeleteWire(w);
        } else if (kind == 8) {
            static const wchar_t* names[] = {L"D0", L"D1", L"N2", L"GND"};
            CWire* w = wires[std::uniform_int_distribution<std::size_t>(0, wires.size() - 1)(rng)];
            StartUndoGroup();
            w->GetNet()->SplitAtWire(w, names[std::uniform_int_distribution<int>(0, 3)(rng)]);
        } else {
            static const wchar_t* names[] = {L"GND", L"VCC", L"AGND"};
            CPin* symbol = PinOf(4 + std::uniform_int_distribution<int>(0, 1)(rng), 0);
            m_grid.ShowProperties(symbol->GetPart());
            SetRowText(0, names[std::uniform_int_distribution<int>(0, 2)(rng)]);
            m_grid.ApplyRow(0);
        }
    }
};

TEST_F(RandomWiringTest, UndoAndRedoWholeSequences) {
    ScopedUiHooksRecorder ui;
    const std::string body = GeneratedSheet();
    for (unsigned seed = 1; seed <= 500; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        ResetModelCounters();
        Load(body);
        const std::string original = Save();
        const int steps = std::uniform_int_distribution<int>(3, 10)(rng);
        for (int i = 0; i < steps; ++i) {
            const std::vector<NetReference> references = NetReferences();
            Step(rng);
            CheckNets();
            CheckNetReferences(references);
            if (HasFatalFailure() || HasFailure())
                return;
        }
        const std::string edited = Save();
        UndoAll();
        CheckNets();
        ASSERT_EQ(Save(), original);
        RedoAll();
        CheckNets();
        ASSERT_EQ(Save(), edited);
        m_grid.ShowProperties(nullptr);
        m_view.undo.Clear();
    }
}

} // namespace
