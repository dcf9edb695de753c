// Every undo record of the tree and of the board geometry: the change, its
// undo and its redo give back the same saved file each time.
#include "board/area.h"
#include "board/area_node.h"
#include "board/board.h"
#include "board/board_undo_records.h"
#include "board/conductor.h"
#include "board/drill.h"
#include "board/footprint.h"
#include "board/marking.h"
#include "board/marking_primitive.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "core/undo_node_records.h"
#include "platform/text.h"
#include "schematic/bus.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/pin.h"
#include "schematic/schematic_undo_records.h"
#include "schematic/text.h"
#include "schematic/wire.h"
#include "tests/board/board_fixture.h"

#include <functional>

namespace {

// A marking primitive standing in for the real kinds: token "T<x>,<y>".
class TestPrimitive : public CMarkingPrimitive {
public:
    TestPrimitive(CMarking* marking, float x, float y) : CMarkingPrimitive(marking), x(x), y(y) {}
    CMarkingPrimitive* Clone() const override { return new TestPrimitive(*this); }
    int GetKind() const override { return MARKING_LINE; }
    void CopyFrom(const CMarkingPrimitive* other) override {
        x = static_cast<const TestPrimitive*>(other)->x;
        y = static_cast<const TestPrimitive*>(other)->y;
    }
    std::wstring ToString() const override {
        return L"T" + FormatGeneral(x, 6) + L"," + FormatGeneral(y, 6);
    }
    void TransformByKey(wchar_t key, bool) override {
        if (key == L'H')
            x = -x;
    }
    void Move(float dx, float dy) override {
        x += dx;
        y += dy;
    }
    float x, y;
};

CMarkingPrimitive* ParseTestToken(CMarking* marking, const std::wstring& token) {
    if (token.empty() || token[0] != L'T')
        return nullptr;
    const wchar_t* end = nullptr;
    float x = static_cast<float>(ParseDouble(token.c_str() + 1, &end));
    float y = *end == L',' ? static_cast<float>(ParseDouble(end + 1)) : 0;
    return new TestPrimitive(marking, x, y);
}

const char* kBoard =
    "<Project>\r\n"
    "  <Board Outline=\"LIN0,0 LIN50,0 LIN50,30 LIN0,30\">\r\n"
    "    <Layer>TOP</Layer>\r\n"
    "    <Package>\r\n"
    "      <Text BrdVisible=\"1\" Layer=\"SST\">R1</Text>\r\n"
    "      <Footprint XY=\"20,10\">R\r\n"
    "        <Padstack>P\r\n"
    "          <PadLayer Size=\"1,1\"/>\r\n"
    "          <Pad Num=\"1\"/>\r\n"
    "        </Padstack>\r\n"
    "        <Marking Layer=\"SST\">T1,2 T3,4</Marking>\r\n"
    "      </Footprint>\r\n"
    "    </Package>\r\n"
    "    <Net>A\r\n"
    "      <Conductor Layer=\"TOP\" Width=\"0.3\">1.000,1.000 2.000,2.000,0.500 "
    "3.000,1.000</Conductor>\r\n"
    "    </Net>\r\n"
    "    <Net>B</Net>\r\n"
    "    <Area Layer=\"TOP\" Net=\"A\">LIN0,0 LIN10,0 ARC10,10,2 LIN0,10</Area>\r\n"
    "  </Board>\r\n"
    "</Project>\r\n";

} // namespace

class UndoRecordsTest : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        SetMarkingTokenParser(ParseTestToken);
        Load();
    }
    // The board read again, its index built anew.
    void Load() {
        ASSERT_TRUE(LoadText(m_root, XmlDoc(kBoard)));
        m_board = static_cast<CBoard*>(m_root.GetChild(0));
        m_view.board = m_board;
        m_view.index.Clear();
        m_view.index.Build(m_board);
        m_package = static_cast<CPackage*>(m_board->GetChild(1));
        m_footprint = m_package->GetFootprint();
        m_netA = static_cast<CNet*>(m_board->GetChild(2));
        m_netB = static_cast<CNet*>(m_board->GetChild(3));
        m_conductor = static_cast<CConductor*>(m_netA->GetChild(0));
        m_area = static_cast<CArea*>(m_board->GetChild(4));
        m_marking = static_cast<CMarking*>(m_footprint->GetChild(1));
    }
    void TearDown() override {
        BoardFixture::TearDown();
        SetMarkingTokenParser(nullptr);
    }

    // A record of a value: the step's change, another history's change of
    // the same node since, and whether each is in the node.
    struct ValueCase {
        const char* name;
        std::function<CUndoItem*()> record;
        std::function<void(bool)> own;  // the step's change, or put back
        std::function<void()> other;    // another history's change since
        std::function<bool()> ownIsSet; // the step's change is in the node
        std::function<bool()> otherIsSet;
    };
    // Each case on the board as read (setUp adds to it): the step pushed
    // and made, another history's change of the node, the step's Undo and
    // Redo, then another history taking the step's change back.
    template <std::size_t N>
    void RunValueCases(const ValueCase (&cases)[N], const std::function<void()>& setUp = {});

    // Runs the change as one user action, then undo, redo and undo again;
    // each step must save exactly as the state it returns to.
    void CheckRoundTrip(const std::function<void()>& change) {
        const std::string before = SaveText(m_root);
        m_view.undo.SetStartNewGroup(true);
        change();
        const std::string after = SaveText(m_root);
        EXPECT_NE(after, before) << "the change shows in the file";
        ASSERT_TRUE(m_view.undo.CanUndo());
        m_view.undo.Undo();
        EXPECT_EQ(SaveText(m_root), before);
        m_view.undo.Redo();
        EXPECT_EQ(SaveText(m_root), after);
        m_view.undo.Undo();
        EXPECT_EQ(SaveText(m_root), before);
        CBoardLayerIndex fresh;
        fresh.Build(m_board);
        for (int s = 0; s < CBoardLayerIndex::kSetCount; ++s)
            EXPECT_EQ(m_view.index.GetSet(s), fresh.GetSet(s)) << "set " << s;
    }
    void Push(CUndoItem* item) { m_view.undo.AddUndo(item); }

    CRoot m_root;
    CBoard* m_board = nullptr;
    CPackage* m_package = nullptr;
    CFootprint* m_footprint = nullptr;
    CNet* m_netA = nullptr;
    CNet* m_netB = nullptr;
    CConductor* m_conductor = nullptr;
    CArea* m_area = nullptr;
    CMarking* m_marking = nullptr;
};

TEST_F(UndoRecordsTest, InsertAndDeleteOfNodes) {
    CheckRoundTrip([&] {
        auto* text = new CText(L"new");
        text->m_layer = 0;
        m_board->AddChild(text);
        Push(new CUndoInsert(text, nullptr));
    });
    CheckRoundTrip([&] {
        Push(new CUndoDelete(m_area, nullptr));
        m_area->RemoveFromParent();
    });
    CheckRoundTrip([&] {
        Push(new CUndoDelete(m_footprint, nullptr));
        m_footprint->RemoveFromParent();
        EXPECT_EQ(m_package->GetFootprint(), nullptr) << "the cached footprint is dropped";
    });
    EXPECT_EQ(m_package->GetFootprint(), m_footprint);
}

TEST_F(UndoRecordsTest, AttributeChangeParentChangeAndMove) {
    CheckRoundTrip([&] {
        Push(new CUndoChangeNodeAttribute(m_conductor, nullptr));
        m_conductor->m_width = 1.5f;
    });
    CheckRoundTrip([&] {
        Push(new CUndoChangeParent(m_conductor, nullptr));
        m_conductor->RemoveFromParent();
        m_netB->AddChild(m_conductor);
    });
    CheckRoundTrip([&] {
        Push(new CUndoMove(m_area));
        m_area->RemoveFromParent();
        m_board->InsertChildAt(0, m_area);
    });
}

TEST_F(UndoRecordsTest, PointerChange) {
    CTreeNode* field = m_netA;
    m_view.undo.AddUndo(new CUndoChangePointer(&field));
    field = m_netB;
    m_view.undo.Undo();
    EXPECT_EQ(field, m_netA);
    m_view.undo.Redo();
    EXPECT_EQ(field, m_netB);
}

TEST_F(UndoRecordsTest, AreaRecordsRebuildBothNets) {
    CheckRoundTrip([&] {
        Push(new CUndoAreaChange(m_area, nullptr));
        m_area->m_net = L"B";
        m_area->m_noThermal = true;
    });
    const int a = m_netA->m_graphBuilds, b = m_netB->m_graphBuilds;
    Push(new CUndoAreaChange(m_area, nullptr));
    m_area->m_net = L"B";
    m_view.undo.Undo();
    EXPECT_EQ(m_area->m_net, L"A");
    EXPECT_EQ(m_netA->m_graphBuilds, a + 1);
    EXPECT_EQ(m_netB->m_graphBuilds, b + 1);
}

TEST_F(UndoRecordsTest, OutlineNodeRecords) {
    CheckRoundTrip([&] {
        Push(new CUndoAreaNodeChange(m_area->m_outline->m_next));
        m_area->m_outline->m_next->m_x = 12;
    });
    // Deleting the first node: its successor becomes the head; the head
    // record of the same group puts the area's field back.
    CheckRoundTrip([&] {
        CAreaNode* first = m_area->m_outline;
        Push(new CUndoAreaChangeHead(&m_area->m_outline));
        Push(new CUndoAreaNodeDelete(first));
        m_area->m_outline = first->Unlink();
    });
    EXPECT_EQ(m_area->m_outline->m_first, m_area->m_outline);
    // Deleting the last node makes it the tail again on undo.
    CheckRoundTrip([&] {
        CAreaNode* last = m_area->m_outline->m_last;
        Push(new CUndoAreaNodeDelete(last));
        last->Unlink();
    });
    EXPECT_EQ(m_area->m_outline->m_next->m_next->m_next->m_last,
              m_area->m_outline->m_next->m_next->m_next);
    CheckRoundTrip([&] {
        auto* node = new CAreaSegment(&g_pActiveView, 5, 5);
        m_area->m_outline->m_next->InsertAfter(node);
        Push(new CUndoAreaNodeInsert(node));
    });
    CheckRoundTrip([&] {
        Push(new CUndoAreaSwap(&m_board->m_outline));
        m_board->m_outline = ParseAreaOutline(L"LIN0,0 LIN9,0 LIN9,9", &g_pActiveView);
    });
}

// Undo and redo of an attribute change read the node's attributes again.
// A custom pad, drill or relief keeps the very nodes of its outline (the
// property panel and older records hold them): a point moved before the
// change, the shape or type changed away and back, each is undone and
// redone through the same nodes.
TEST_F(UndoRecordsTest, AttributeUndoKeepsTheNodesOfCustomOutlines) {
    CRoot root;
    ASSERT_TRUE(
        LoadText(root, XmlDoc("<Padstack>S\r\n"
                              "  <PadLayer Shape=\"CUSTOM\">LIN-1,-1 LIN1,-1 ARC1,1,0.5 "
                              "CRV-1,1,-1.5,0.5,-1.5,-0.5\r\n"
                              "    <Thermal>LIN-2,-2 LIN2,-2 ARC2,2,0.4 LIN-2,2</Thermal>\r\n"
                              "  </PadLayer>\r\n"
                              "  <Drill Type=\"CUSTOM\">LIN-0.6,-0.3 LIN0.6,-0.3 "
                              "LIN0.6,0.3</Drill>\r\n"
                              "</Padstack>\r\n")));
    // The root takes the padstack element: the pad layer and the drill are
    // its children.
    ASSERT_EQ(root.GetChildCount(), 2u);
    ASSERT_EQ(root.GetChild(0)->GetType(), NodeType::PadLayer);
    ASSERT_EQ(root.GetChild(1)->GetType(), NodeType::Drill);
    auto* pad = static_cast<CPadLayer*>(root.GetChild(0));
    auto* drill = static_cast<CDrill*>(root.GetChild(1));
    CThermalRelief* relief = pad->FindThermalRelief();
    ASSERT_NE(relief, nullptr);
    struct Case {
        const char* what;
        CTreeNode* node;
        CAreaNode** outline;
        std::function<void()> change;
    };
    const Case cases[] = {
        {"pad layer moved", pad, &pad->m_outline, [&] { pad->m_layer = kPadLayerBottom; }},
        {"pad made round", pad, &pad->m_outline,
         [&] {
             pad->m_shape = kPadShapeRound;
             pad->m_width = pad->m_height = 1;
         }},
        {"drill diameter", drill, &drill->m_outline, [&] { drill->m_diam = 2; }},
        {"drill made a slot", drill, &drill->m_outline, [&] { drill->m_drillType = kDrillSlot; }},
        {"relief isolation", relief, &relief->m_outline, [&] { relief->m_isolation = 1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string original = SaveText(root);
        std::vector<CAreaNode*> nodes;
        for (CAreaNode* n = *c.outline; n; n = n->m_next)
            nodes.push_back(n);
        m_view.undo.SetStartNewGroup(true);
        Push(new CUndoAreaNodeChange(nodes[1]));
        nodes[1]->m_x = 3;
        m_view.undo.SetStartNewGroup(true);
        Push(new CUndoChangeNodeAttribute(c.node, nullptr));
        c.change();
        const std::string changed = SaveText(root);
        for (int round = 0; round < 2; ++round) {
            m_view.undo.Undo();
            m_view.undo.Undo();
            EXPECT_EQ(SaveText(root), original);
            m_view.undo.Redo();
            m_view.undo.Redo();
            EXPECT_EQ(SaveText(root), changed);
            std::vector<CAreaNode*> now;
            for (CAreaNode* n = *c.outline; n; n = n->m_next)
                now.push_back(n);
            EXPECT_EQ(now, nodes);
        }
        m_view.undo.Undo();
        m_view.undo.Undo();
        EXPECT_EQ(SaveText(root), original);
        m_view.undo.Clear();
    }
}

TEST_F(UndoRecordsTest, ConductorRecords) {
    CheckRoundTrip([&] {
        Push(new CUndoChangeConductor(m_conductor));
        m_conductor->m_vertices.push_back({9, 9, 0, {}});
        m_conductor->m_width = 0.8f;
    });
    CheckRoundTrip([&] {
        Push(new CUndoConductorNodeChange(m_conductor, 1));
        m_conductor->m_vertices[1].corner = 0;
    });
    CheckRoundTrip([&] {
        Push(new CUndoConductorNodeDelete(m_conductor, 0));
        m_conductor->m_vertices.erase(m_conductor->m_vertices.begin());
    });
    CheckRoundTrip([&] {
        m_conductor->m_vertices.insert(m_conductor->m_vertices.begin() + 1, {1.5f, 1, 0, {}});
        Push(new CUndoConductorNodeInsert(m_conductor, 1));
    });
    CheckRoundTrip([&] {
        Push(new CUndoConductorDelete(m_conductor, &m_view.index));
        m_conductor->RemoveFromParent();
    });
    CheckRoundTrip([&] {
        auto* c = new CConductor();
        c->m_layer = 0;
        c->m_vertices = {{0, 0, 0, {}}, {1, 0, 0, {}}};
        m_netB->AddChild(c);
        Push(new CUndoConductorInsert(c, &m_view.index));
    });
    // A vertex restored by undo takes its former index.
    Push(new CUndoConductorNodeDelete(m_conductor, 1));
    m_conductor->m_vertices.erase(m_conductor->m_vertices.begin() + 1);
    m_view.undo.Undo();
    EXPECT_FLOAT_EQ(m_conductor->m_vertices[1].corner, 0.5f);
    EXPECT_FLOAT_EQ(m_conductor->m_vertices[2].x, 3);
}

// A record keeping vertices tied to a pad lets go of the tie once the pad
// is to be freed: it no longer names the pad, and its Undo puts the vertex
// back untied; a pin's record lets go of a freed net the same way. A tie
// its values take on later is indexed, so that the history finds the
// record when that pad leaves.
TEST_F(UndoRecordsTest, KeptTiesLetGoOfWhatIsFreedAndNewOnesAreIndexed) {
    auto isRoot = [this](const CTreeNode* node) { return node == &m_root; };
    auto names = [](const CUndoItem& item, const CTreeNode* node) {
        bool found = false;
        item.ForEachNamedNode([&](const CTreeNode* named) { found = found || named == node; });
        return found;
    };
    auto padOf = [this] { return static_cast<CPad*>(m_footprint->GetChild(0)->GetChild(1)); };
    // The first vertex tied to the pad, the pad to let go of.
    auto tieFirstVertex = [&]() -> const CTreeNode* {
        EXPECT_EQ(padOf()->GetType(), NodeType::Pad);
        m_conductor->m_vertices[0].tie = VertexTie::ToPad(padOf());
        return padOf();
    };
    auto firstVertexPutBackUntied = [&] {
        return m_conductor->m_vertices[0].tie.IsNone() && m_conductor->m_vertices[0].x == 1;
    };
    CPin* pin = nullptr;
    auto movePin = [&](CNet* from, CNet* to) {
        from->m_pins.erase(pin);
        pin->m_pNet = to;
        to->m_pins.insert(pin);
    };
    const struct {
        const char* name;
        std::function<const CTreeNode*()> prepare; // the node the step keeps
        std::function<CUndoItem*()> record;
        std::function<void()> change;
        std::function<bool()> putBackWithout; // after the Undo
    } cases[] = {
        {"conductor", tieFirstVertex, [&] { return new CUndoChangeConductor(m_conductor); },
         [&] { m_conductor->m_vertices[0].x = 7; }, firstVertexPutBackUntied},
        {"vertex", tieFirstVertex, [&] { return new CUndoConductorNodeChange(m_conductor, 0); },
         [&] { m_conductor->m_vertices[0].x = 7; }, firstVertexPutBackUntied},
        {"vertex deleted", tieFirstVertex,
         [&] { return new CUndoConductorNodeDelete(m_conductor, 0); },
         [&] { m_conductor->m_vertices.erase(m_conductor->m_vertices.begin()); },
         firstVertexPutBackUntied},
        {"pin",
         [&]() -> const CTreeNode* {
             pin = new CPin();
             m_package->AddChild(pin);
             pin->m_pNet = m_netA;
             m_netA->m_pins.insert(pin);
             return m_netA;
         },
         [&] { return new CUndoChangeNetOfPin(pin); }, [&] { movePin(m_netA, m_netB); },
         [&] { return pin->m_pNet == nullptr && !m_netB->m_pins.count(pin); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Load();
        const CTreeNode* kept = c.prepare();
        m_view.undo.SetStartNewGroup(true);
        Push(c.record());
        c.change();
        m_view.undo.TakeCurrentValues(isRoot);
        const CUndoItem& item = *m_view.undo.UndoItemAt(0);
        ASSERT_TRUE(names(item, kept));
        m_view.undo.ForEachItemNaming({kept}, [&](CUndoItem& i) { i.LetGoOfTies({kept}); });
        EXPECT_FALSE(names(item, kept));
        m_view.undo.Undo();
        EXPECT_TRUE(c.putBackWithout());
        m_view.undo.Clear();
    }
    // A width step; another history ties the vertex the step left alone,
    // then the step's own history moves the vertex.
    Load();
    const CPad* pad = padOf();
    Push(new CUndoChangeConductor(m_conductor));
    m_conductor->m_width = 0.8f;
    m_view.undo.TakeCurrentValues(isRoot);
    m_conductor->m_vertices[0].tie = VertexTie::ToPad(padOf());
    m_view.undo.TakeOthersValues(isRoot);
    m_conductor->m_vertices[0].x = 7;
    m_view.undo.TakeCurrentValues(isRoot);
    EXPECT_EQ(m_view.undo.FindUnindexedName(), nullptr);
    EXPECT_TRUE(m_view.undo.NamesNode(pad));
    m_view.undo.Clear();
}

TEST_F(UndoRecordsTest, FootprintAndLayerRecords) {
    CheckRoundTrip([&] {
        Push(new CUndoChangeFootprintPos(m_footprint));
        m_footprint->m_boardPosition = PointF{30, 15};
        m_footprint->m_rotation = 45;
    });
    CheckRoundTrip([&] {
        Push(new CUndoChangeLayer(m_marking, 23, &m_view.index));
        m_marking->SetLayer(23);
    });
    CheckRoundTrip([&] {
        auto* padLayer = static_cast<CPadLayer*>(m_footprint->GetChild(0)->GetChild(0));
        Push(new CUndoChangePadLayer(padLayer, 1, &m_view.index));
        padLayer->m_layer = 1;
    });
    CheckRoundTrip([&] {
        auto* text = static_cast<CText*>(m_package->GetChild(0));
        Push(new CUndoChangeBoardVisible(text, false, &m_view.index));
        text->m_boardVisible = false;
    });
    // Without a board view the layer still comes back.
    Push(new CUndoChangeLayer(m_marking, 23, nullptr));
    m_marking->SetLayer(23);
    m_view.undo.Undo();
    EXPECT_EQ(m_marking->m_layer, 22);
}

TEST_F(UndoRecordsTest, MarkingPrimitiveRecordsKeepIdentity) {
    CMarkingPrimitive* second = m_marking->m_primitives[1];
    CheckRoundTrip([&] {
        Push(new CUndoMarkingPrimitiveChange(second));
        second->Move(1, 1);
    });
    EXPECT_EQ(m_marking->m_primitives[1], second);
    CheckRoundTrip([&] {
        Push(new CUndoMarkingPrimitiveDelete(m_marking, 0));
        m_marking->m_primitives.erase(m_marking->m_primitives.begin());
    });
    CheckRoundTrip([&] {
        m_marking->m_primitives.insert(m_marking->m_primitives.begin() + 1,
                                       new TestPrimitive(m_marking, 7, 7));
        Push(new CUndoMarkingPrimitiveInsert(m_marking, 1));
    });
    EXPECT_EQ(m_marking->m_primitives.size(), 2u);
}

TEST_F(UndoRecordsTest, WithoutAnActiveViewNothingIsRepaintedOrRecorded) {
    g_pActiveView = nullptr;
    auto* text = new CText(L"x");
    m_board->AddChild(text);
    PushUndo(new CUndoInsert(text, nullptr)); // kept aside, never undone
    EXPECT_EQ(m_view.undo.UndoCount(), 0u);
    CUndoItem* record = new CUndoDelete(text, nullptr);
    text->RemoveFromParent();
    CUndoItem* inverse = record->Undo();
    EXPECT_EQ(text->GetParent(), m_board);
    delete record;
    delete inverse;
    EXPECT_TRUE(m_view.invalidations.empty());
    g_pActiveView = &m_view;
}

// An attribute record keeps what its step changed: another history's change
// of the node since (taken by the record as the gate between histories
// hands it over) stays through its Undo and Redo, an attribute the step
// added goes again, and once another history changes what the step changed
// the step no longer finds it as it left it and its history lets it go.
TEST_F(UndoRecordsTest, AttributeRecordsPutBackOnlyWhatTheirStepChanged) {
    using Case = ValueCase;
    const Case cases[] = {
        {"node attribute", [&] { return new CUndoChangeNodeAttribute(m_area, nullptr); },
         [&](bool on) { m_area->m_noThermal = on; }, [&] { m_area->m_net = L"B"; },
         [&] { return m_area->m_noThermal; }, [&] { return m_area->m_net == L"B"; }},
        {"area", [&] { return new CUndoAreaChange(m_area, nullptr); },
         [&](bool on) { m_area->m_noThermal = on; }, [&] { m_area->m_net = L"B"; },
         [&] { return m_area->m_noThermal; }, [&] { return m_area->m_net == L"B"; }},
        // The sketch drawing is in no file, yet its record keeps it the same way.
        {"area sketch", [&] { return new CUndoAreaChange(m_area, nullptr); },
         [&](bool on) { m_area->m_drawSketch = on; }, [&] { m_area->m_net = L"B"; },
         [&] { return m_area->m_drawSketch; }, [&] { return m_area->m_net == L"B"; }},
        {"area, sketched meanwhile", [&] { return new CUndoAreaChange(m_area, nullptr); },
         [&](bool on) { m_area->m_noThermal = on; }, [&] { m_area->m_drawSketch = true; },
         [&] { return m_area->m_noThermal; }, [&] { return m_area->m_drawSketch; }},
        {"footprint", [&] { return new CUndoChangeFootprintPos(m_footprint); },
         [&](bool on) { m_footprint->m_rotation = on ? 45 : 0; },
         [&] {
             m_footprint->m_boardPosition = PointF{30, 15};
         },
         [&] { return m_footprint->m_rotation == 45; },
         [&] { return m_footprint->m_boardPosition.X == 30; }},
    };
    RunValueCases(cases);
}

// Every other record of a value keeps to its step as the attribute records
// do: what another history changed since on the same node stays through
// its Undo and Redo, and once another history takes back what its step
// changed (a package text moved from another sheet, shown or hidden on the
// board from a sheet, put on the other side by a sheet's footprint change)
// the history lets it go.
TEST_F(UndoRecordsTest, ValueRecordsPutBackOnlyWhatTheirStepChanged) {
    CText* text = nullptr;
    CPadLayer* padLayer = nullptr;
    CWire* wire = nullptr;
    CBus* bus = nullptr;
    CPin* pin = nullptr;
    int layer = 0;   // the text's as read
    int padSide = 0; // the pad layer's as read
    // The nodes the cases change, in the board as read: a package text and
    // a pad layer, a wire of net A, a bus, a pin in net A.
    auto setUp = [&] {
        text = static_cast<CText*>(m_package->GetChild(0));
        padLayer = static_cast<CPadLayer*>(m_footprint->GetChild(0)->GetChild(0));
        layer = text->GetLayer();
        padSide = padLayer->m_layer;
        wire = new CWire(POINT{0, 0}, POINT{10, 0});
        m_netA->AddChild(wire);
        bus = new CBus();
        m_board->AddChild(bus);
        pin = new CPin();
        m_package->AddChild(pin);
        pin->m_pNet = m_netA;
        m_netA->m_pins.insert(pin);
    };
    auto movePin = [&](CNet* to) {
        if (pin->m_pNet)
            pin->m_pNet->m_pins.erase(pin);
        pin->m_pNet = to;
        if (to)
            to->m_pins.insert(pin);
    };
    auto moveTo = [](CTreeNode* node, CTreeNode* parent) {
        node->RemoveFromParent();
        parent->AddChild(node);
    };
    auto primitive = [this](std::size_t i) {
        return static_cast<TestPrimitive*>(m_marking->m_primitives[i]);
    };
    const ValueCase cases[] = {
        {"package text moved on a sheet", [&] { return new CUndoChangePos(text); },
         [&](bool on) {
             text->m_position = on ? POINT{13, 40} : POINT{0, 0};
         },
         [&] { text->m_boardVisible = false; },
         [&] {
             return text->m_position == POINT{13, 40};
         },
         [&] { return !text->m_boardVisible; }},
        {"package text hidden on the board",
         [&] { return new CUndoChangeBoardVisible(text, false, &m_view.index); },
         [&](bool on) { text->m_boardVisible = !on; },
         [&] {
             text->m_position = POINT{5, 5};
         },
         [&] { return !text->m_boardVisible; },
         [&] {
             return text->m_position == POINT{5, 5};
         }},
        {"package text on the other side",
         [&] { return new CUndoChangeLayer(text, layer ^ 1, &m_view.index); },
         [&](bool on) { text->SetLayer(on ? layer ^ 1 : layer); },
         [&] {
             text->m_position = POINT{5, 5};
         },
         [&] { return text->GetLayer() != layer; },
         [&] {
             return text->m_position == POINT{5, 5};
         }},
        {"pad layer on the other side",
         [&] { return new CUndoChangePadLayer(padLayer, padSide ^ 1, &m_view.index); },
         [&](bool on) { padLayer->m_layer = on ? padSide ^ 1 : padSide; },
         [&] { m_footprint->m_rotation = 90; }, [&] { return padLayer->m_layer != padSide; },
         [&] { return m_footprint->m_rotation == 90; }},
        {"conductor", [&] { return new CUndoChangeConductor(m_conductor); },
         [&](bool on) { m_conductor->m_width = on ? 0.5f : 0.3f; },
         [&] { m_conductor->m_vertices[0].x = 7; }, [&] { return m_conductor->m_width == 0.5f; },
         [&] { return m_conductor->m_vertices[0].x == 7; }},
        {"conductor vertex", [&] { return new CUndoConductorNodeChange(m_conductor, 1); },
         [&](bool on) { m_conductor->m_vertices[1].x = on ? 9.0f : 2.0f; },
         [&] { m_conductor->m_width = 0.8f; }, [&] { return m_conductor->m_vertices[1].x == 9; },
         [&] { return m_conductor->m_width == 0.8f; }},
        {"marking primitive", [&] { return new CUndoMarkingPrimitiveChange(primitive(0)); },
         [&](bool on) { primitive(0)->x = on ? 5.0f : 1.0f; }, [&] { primitive(1)->y = 9; },
         [&] { return primitive(0)->x == 5; }, [&] { return primitive(1)->y == 9; }},
        {"conductor to another net", [&] { return new CUndoChangeParent(m_conductor, nullptr); },
         [&](bool on) { moveTo(m_conductor, on ? m_netB : m_netA); },
         [&] { m_conductor->m_width = 0.8f; }, [&] { return m_conductor->GetParent() == m_netB; },
         [&] { return m_conductor->m_width == 0.8f; }},
        {"conductor dragged in a tree", [&] { return new CUndoMove(m_conductor); },
         [&](bool on) { moveTo(m_conductor, on ? m_netB : m_netA); },
         [&] { m_conductor->m_width = 0.8f; }, [&] { return m_conductor->GetParent() == m_netB; },
         [&] { return m_conductor->m_width == 0.8f; }},
        {"wire to another net", [&] { return new CUndoChangeNetOfWire(wire); },
         [&](bool on) { moveTo(wire, on ? m_netB : m_netA); },
         [&] {
             wire->m_end = POINT{20, 0};
         },
         [&] { return wire->GetParent() == m_netB; },
         [&] {
             return wire->m_end == POINT{20, 0};
         }},
        {"wire moved", [&] { return new CUndoChangeWirePos(wire); },
         [&](bool on) {
             wire->m_position = on ? POINT{0, 5} : POINT{0, 0};
         },
         [&] {
             wire->m_end = POINT{20, 0};
         },
         [&] {
             return wire->m_position == POINT{0, 5};
         },
         [&] {
             return wire->m_end == POINT{20, 0};
         }},
        {"bus entry", [&] { return new CUndoChangeBusEntry(wire); },
         [&](bool on) { wire->m_busEntry1 = on ? 3 : 0; }, [&] { wire->m_busEntry2 = 4; },
         [&] { return wire->m_busEntry1 == 3; }, [&] { return wire->m_busEntry2 == 4; }},
        {"bus", [&] { return new CUndoChangeBusPos(bus); },
         [&](bool on) { bus->m_length = on ? 8 : 0; }, [&] { bus->m_direction = L'E'; },
         [&] { return bus->m_length == 8; }, [&] { return bus->m_direction == L'E'; }},
        {"pin to another net", [&] { return new CUndoChangeNetOfPin(pin); },
         [&](bool on) { movePin(on ? m_netB : m_netA); }, [&] { pin->m_offset = 5; },
         [&] { return pin->m_pNet == m_netB && m_netB->m_pins.count(pin); },
         [&] { return pin->m_offset == 5; }},
        {"pin put into a net", [&] { return new CUndoAddPinToNet(pin, pin->m_pNet); },
         [&](bool on) { movePin(on ? m_netB : m_netA); }, [&] { pin->m_offset = 5; },
         [&] { return pin->m_pNet == m_netB; }, [&] { return pin->m_offset == 5; }},
        {"pin taken out of its net", [&] { return new CUndoRemovePinFromNet(pin, pin->m_pNet); },
         [&](bool on) { movePin(on ? nullptr : m_netA); }, [&] { pin->m_offset = 5; },
         [&] { return pin->m_pNet == nullptr; }, [&] { return pin->m_offset == 5; }},
    };
    RunValueCases(cases, setUp);
}

template <std::size_t N>
void UndoRecordsTest::RunValueCases(const ValueCase (&cases)[N],
                                    const std::function<void()>& setUp) {
    auto isRoot = [this](const CTreeNode* node) { return node == &m_root; };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.name);
        Load();
        if (setUp)
            setUp();
        ASSERT_FALSE(c.ownIsSet() || c.otherIsSet());
        m_view.undo.SetStartNewGroup(true);
        Push(c.record());
        c.own(true);
        m_view.undo.TakeCurrentValues(isRoot);
        c.other();
        m_view.undo.TakeOthersValues(isRoot);
        EXPECT_TRUE(m_view.undo.PlanDepartedSteps(isRoot, true).IsEmpty());
        m_view.undo.Undo();
        EXPECT_FALSE(c.ownIsSet());
        EXPECT_TRUE(c.otherIsSet()) << "the undo put back another history's change";
        m_view.undo.Redo();
        EXPECT_TRUE(c.ownIsSet() && c.otherIsSet());
        // Another history takes the step's change back: the step is gone.
        c.own(false);
        m_view.undo.TakeOthersValues(isRoot);
        EXPECT_EQ(m_view.undo.PlanDepartedSteps(isRoot, true).undo.size(), 1u);
        m_view.undo.Clear();
    }
}
