// The board layer index kept in step with the board through inserts,
// deletes, layer changes and footprint flips, with undo and redo.
#include "board/board.h"
#include "board/board_layer_index.h"
#include "board/board_properties.h"
#include "board/board_undo_records.h"
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/marking.h"
#include "board/mounting.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/undo_node_records.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/text.h"
#include "tests/board/board_fixture.h"

namespace {

const char* kBoard =
    "<Project>\r\n"
    "  <Board>\r\n"
    "    <Layer>TOP</Layer>\r\n"
    "    <Layer>BOT</Layer>\r\n"
    "    <Layer>I01</Layer>\r\n"
    "    <Layer Type=\"PLANE\">I02</Layer>\r\n"
    "    <Layer Type=\"JUMPER\">I03</Layer>\r\n"
    "    <Layer Type=\"DOC\">I05</Layer>\r\n"
    "    <Package>\r\n"
    "      <Text Layer=\"SST\">R1</Text>\r\n"
    "      <Footprint XY=\"20,10\">R\r\n"
    "        <Padstack>P\r\n"
    "          <PadLayer Size=\"1,1\"/>\r\n"
    "          <PadLayer Layer=\"SMT\" Size=\"1,1\"/>\r\n"
    "          <Marking Layer=\"AST\">L0,0,1,1W0.1</Marking>\r\n"
    "          <Pad Num=\"1\"/>\r\n"
    "        </Padstack>\r\n"
    "        <Marking Layer=\"SST\">L0,0,1,1W0.1</Marking>\r\n"
    "      </Footprint>\r\n"
    "    </Package>\r\n"
    "    <Net>A\r\n"
    "      <Conductor Layer=\"BOT\" Width=\"0.3\">1.000,1.000 2.000,2.000</Conductor>\r\n"
    "      <Padstack>V\r\n"
    "        <PadLayer Size=\"0.6,0.6\"/>\r\n"
    "        <PadLayer Layer=\"INR\" Size=\"0.6,0.6\"/>\r\n"
    "        <PadLayer Layer=\"PLN\" Size=\"0.8,0.8\"/>\r\n"
    "        <Pad XY=\"5,5\"/>\r\n"
    "      </Padstack>\r\n"
    "    </Net>\r\n"
    "    <Area Layer=\"TOP\">LIN0,0 LIN1,0 LIN1,1</Area>\r\n"
    "    <Text Layer=\"SSB\">T</Text>\r\n"
    "    <Text>no layer</Text>\r\n"
    "    <Mounting>\r\n"
    "      <Footprint XY=\"40,10\">LOGO\r\n"
    "        <Marking Layer=\"SST\">L0,0,1,1W0.1</Marking>\r\n"
    "        <Padstack>H\r\n"
    "          <PadLayer Size=\"3,3\"/>\r\n"
    "        </Padstack>\r\n"
    "      </Footprint>\r\n"
    "    </Mounting>\r\n"
    "  </Board>\r\n"
    "</Project>\r\n";

} // namespace

class LayerIndexTest : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        ASSERT_TRUE(LoadText(m_root, XmlDoc(kBoard)));
        m_board = static_cast<CBoard*>(m_root.GetChild(0));
        m_view.board = m_board;
        m_view.index.Build(m_board);
        m_package = static_cast<CPackage*>(m_board->GetChild(6));
        m_net = static_cast<CNet*>(m_board->GetChild(7));
        m_saved = SaveText(m_root);
    }
    // The index of a fresh build of the board as it is now.
    void ExpectIndexAsBuilt() {
        CBoardLayerIndex fresh;
        fresh.Build(m_board);
        for (int s = 0; s < CBoardLayerIndex::kSetCount; ++s) {
            SCOPED_TRACE(s);
            EXPECT_EQ(m_view.index.GetSet(s), fresh.GetSet(s));
        }
    }
    CRoot m_root;
    CBoard* m_board = nullptr;
    CPackage* m_package = nullptr;
    CNet* m_net = nullptr;
    std::string m_saved;
};

TEST_F(LayerIndexTest, BuildPlacesEveryDrawableObject) {
    const auto& idx = m_view.index;
    CFootprint* footprint = m_package->GetFootprint();
    auto* padstack = static_cast<CPadstack*>(footprint->GetChild(0));
    EXPECT_TRUE(idx.Contains(m_package->GetChild(0), 22));
    EXPECT_TRUE(idx.Contains(padstack, 32));
    EXPECT_TRUE(idx.Contains(padstack->GetChild(0), 0));
    EXPECT_TRUE(idx.Contains(padstack->GetChild(1), 26));
    EXPECT_TRUE(idx.Contains(padstack->GetChild(2), 24));
    EXPECT_TRUE(idx.Contains(footprint->GetChild(1), 22));
    EXPECT_TRUE(idx.Contains(m_net, 32));
    EXPECT_EQ(idx.CountSetsHolding(m_net), 1u);
    EXPECT_TRUE(idx.Contains(m_net->GetChild(0), 1));
    // The via: INR on I01 (routing) and I03 (jumper), PLN on I02 (plane);
    // I05 is a documentation layer, the missing ids are passed over.
    auto* via = m_net->GetChild(1);
    EXPECT_TRUE(idx.Contains(via, 32));
    CTreeNode* inr = via->GetChild(1);
    CTreeNode* pln = via->GetChild(2);
    EXPECT_TRUE(idx.Contains(inr, 2));
    EXPECT_TRUE(idx.Contains(inr, 4));
    EXPECT_EQ(idx.CountSetsHolding(inr), 2u);
    EXPECT_TRUE(idx.Contains(pln, 3));
    EXPECT_EQ(idx.CountSetsHolding(pln), 1u);
    EXPECT_TRUE(idx.Contains(m_board->GetChild(8), 0));
    EXPECT_TRUE(idx.Contains(m_board->GetChild(9), 23));
    EXPECT_EQ(idx.CountSetsHolding(m_board->GetChild(10)), 0u) << "a text without layer";
}

TEST_F(LayerIndexTest, FreeFootprintMarkingsAreIndexed) {
    CTreeNode* logo = m_board->FindMounting()->GetChild(0);
    EXPECT_TRUE(m_view.index.Contains(logo->GetChild(0), 22))
        << "silkscreen of a free footprint is drawn after reopening too";
    EXPECT_TRUE(m_view.index.Contains(logo->GetChild(1), 32));
    EXPECT_TRUE(m_view.index.Contains(logo->GetChild(1)->GetChild(0), 0));
}

TEST_F(LayerIndexTest, SetsAreOrderedByCreation) {
    // Two conductors made in order appear in that order whatever their
    // addresses.
    auto* late = new CConductor();
    late->m_layer = 1;
    auto* early = static_cast<CConductor*>(m_net->GetChild(0));
    m_net->AddChild(late);
    m_view.index.Add(late);
    const auto& set = m_view.index.GetSet(1);
    ASSERT_EQ(set.size(), 2u);
    EXPECT_EQ(*set.begin(), early);
    EXPECT_EQ(*set.rbegin(), late);
}

TEST_F(LayerIndexTest, DeleteAndInsertOfAPackageWithUndoAndRedo) {
    CTreeNode* text = m_package->GetChild(0);
    CFootprint* footprint = m_package->GetFootprint();
    CTreeNode* padstack = footprint->GetChild(0);
    m_view.undo.SetStartNewGroup(true);
    m_view.undo.AddUndo(new CUndoDelete(m_package, nullptr));
    m_package->RemoveFromParent();
    EXPECT_EQ(m_view.index.CountSetsHolding(text), 0u);
    EXPECT_EQ(m_view.index.CountSetsHolding(padstack), 0u);
    EXPECT_EQ(m_view.index.CountSetsHolding(footprint->GetChild(1)), 0u);
    ExpectIndexAsBuilt();
    m_view.undo.Undo();
    EXPECT_EQ(m_board->GetChild(6), m_package) << "back at its former position";
    EXPECT_TRUE(m_view.index.Contains(text, 22));
    EXPECT_EQ(m_package->GetFootprint(), footprint);
    ExpectIndexAsBuilt();
    EXPECT_EQ(SaveText(m_root), m_saved);
    m_view.undo.Redo();
    ExpectIndexAsBuilt();
    m_view.undo.Undo();
    ExpectIndexAsBuilt();
}

TEST_F(LayerIndexTest, NetGoesToTheTopSetOnly) {
    auto* net = new CNet(L"B");
    auto* conductor = new CConductor();
    conductor->m_layer = 0;
    net->AddChild(conductor);
    m_board->AddChild(net);
    m_view.undo.AddUndo(new CUndoInsert(net, nullptr));
    EXPECT_TRUE(m_view.index.Contains(net, 32));
    EXPECT_EQ(m_view.index.CountSetsHolding(net), 1u);
    EXPECT_EQ(m_view.index.CountSetsHolding(conductor), 0u) << "indexed by its own record";
    m_view.undo.AddUndo(new CUndoConductorInsert(conductor, &m_view.index));
    ExpectIndexAsBuilt();
    m_view.undo.Undo();
    m_view.undo.Undo();
    EXPECT_EQ(m_view.index.CountSetsHolding(net), 0u);
    ExpectIndexAsBuilt();
}

// A net taken away whole (a sheet's undo, a merge) takes its tracks and
// vias out of the index with it: the record holding them may free them.
TEST_F(LayerIndexTest, ANetLeavingTakesItsTracksAndViasOut) {
    m_view.undo.AddUndo(new CUndoDelete(m_net, nullptr));
    m_net->RemoveFromParent();
    for (const CTreeNode* child : m_net->GetChildren())
        EXPECT_EQ(m_view.index.CountSetsHolding(child), 0u) << WideToUtf8(child->GetTagName());
    EXPECT_EQ(m_view.index.CountSetsHolding(m_net->GetChild(1)->GetChild(1)), 0u) << "a pad layer";
    ExpectIndexAsBuilt();
}

// Routing a via on a board that has no via yet adds the board's settings
// and a via definition in them: neither is drawn, so neither is indexed.
TEST_F(LayerIndexTest, AViaDefinitionAddedToTheSettingsIsNotIndexed) {
    auto* settings = new CBoardProperties();
    m_board->AddChild(settings);
    m_view.undo.SetStartNewGroup(true);
    m_view.undo.AddUndo(new CUndoInsert(settings, nullptr));
    CTreeNode* definition = m_net->GetChild(1)->Clone();
    settings->AddChild(definition);
    m_view.undo.AddUndo(new CUndoInsert(definition, nullptr));
    ExpectIndexAsBuilt();
    m_view.undo.Undo();
    ExpectIndexAsBuilt();
    EXPECT_EQ(SaveText(m_root), m_saved);
    m_view.undo.Redo();
    ExpectIndexAsBuilt();
}

TEST_F(LayerIndexTest, LayerChangeOfAConductorAndAText) {
    auto* conductor = static_cast<CConductor*>(m_net->GetChild(0));
    m_view.undo.SetStartNewGroup(true);
    m_view.undo.AddUndo(new CUndoChangeLayer(conductor, 0, &m_view.index));
    conductor->SetLayer(0);
    ExpectIndexAsBuilt();
    CTreeNode* text = m_board->GetChild(9);
    m_view.undo.SetStartNewGroup(true);
    m_view.undo.AddUndo(
        new CUndoChangeBoardVisible(static_cast<CText*>(text), false, &m_view.index));
    static_cast<CText*>(text)->m_boardVisible = false;
    // Hidden on the board, the text stays indexed as a fresh index has it.
    ExpectIndexAsBuilt();
    m_view.undo.Undo();
    EXPECT_TRUE(m_view.index.Contains(text, 23));
    ExpectIndexAsBuilt();
    m_view.undo.Undo();
    EXPECT_EQ(conductor->m_layer, 1);
    ExpectIndexAsBuilt();
    EXPECT_EQ(SaveText(m_root), m_saved);
    m_view.undo.Redo();
    EXPECT_EQ(conductor->m_layer, 0);
    ExpectIndexAsBuilt();
}

TEST_F(LayerIndexTest, FlipWithUndoAndRedoKeepsEveryObjectInOneSet) {
    CFootprint* footprint = m_package->GetFootprint();
    m_view.undo.SetStartNewGroup(true);
    footprint->SetPlace(kPlaceBottom, &m_view.index);
    ExpectIndexAsBuilt();
    EXPECT_TRUE(m_view.index.Contains(m_package->GetChild(0), 23));
    EXPECT_EQ(m_view.index.CountSetsHolding(m_package->GetChild(0)), 1u);
    EXPECT_TRUE(m_view.index.Contains(footprint->GetChild(0)->GetChild(1), 27));
    const std::string flipped = SaveText(m_root);
    m_view.undo.Undo();
    ExpectIndexAsBuilt();
    EXPECT_EQ(SaveText(m_root), m_saved);
    m_view.undo.Redo();
    ExpectIndexAsBuilt();
    EXPECT_EQ(SaveText(m_root), flipped);
    m_view.undo.Undo();
    EXPECT_EQ(SaveText(m_root), m_saved);
}

TEST_F(LayerIndexTest, NoIndexWhenNoBoardViewShowsTheBoard) {
    m_view.indexOpen = false;
    CTreeNode* area = m_board->GetChild(8);
    m_view.undo.AddUndo(new CUndoDelete(area, nullptr));
    area->RemoveFromParent();
    EXPECT_TRUE(m_view.index.Contains(area, 0)) << "untouched";
    m_view.undo.Undo();
    EXPECT_EQ(m_board->GetChild(8), area);
    EXPECT_EQ(SaveText(m_root), m_saved);
}

TEST_F(LayerIndexTest, UnlayeredNodesAreNeverIndexed) {
    CTreeNode* text = m_board->GetChild(10);
    m_view.index.Add(text);
    m_view.index.Remove(text);
    m_view.index.RemoveFromSet(text, 5);
    EXPECT_EQ(m_view.index.CountSetsHolding(text), 0u);
    ExpectIndexAsBuilt();
}
