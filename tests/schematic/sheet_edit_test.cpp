// Mouse editing of schematic objects on a sheet: selecting, dragging parts
// with their wires, wire segments and buses, deleting; every sequence is
// undone and redone back to the same saved file.
#include "board/conductor.h"
#include "board/padstack.h"
#include "core/undo_node_records.h"
#include "schematic/bus.h"
#include "schematic/text.h"
#include "tests/schematic/schematic_fixture.h"

#include <gtest/gtest.h>

namespace {

constexpr int g = 250;
constexpr uint32_t kLeft = NodeFlags::SchematicView | NodeFlags::LeftButton;

class SheetEditTest : public SchematicFixture {
protected:
    void SetUp() override {
        SchematicFixture::SetUp();
        Load(kTwoResistors);
        main = Sheet(L"Main");
        other = Sheet(L"Other");
    }
    // The view forwards each event to the objects of the shown sheet.
    std::vector<CSheetObject*> Targets() {
        return std::vector<CSheetObject*>(main->m_objects.begin(), main->m_objects.end());
    }
    // Returns the last node a press named, which the view shows.
    CTreeNode* Down(int x, int y, uint32_t flags = kLeft) {
        StartUndoGroup();
        CTreeNode* last = nullptr;
        for (CSheetObject* node : Targets())
            if (main->HasObject(node))
                if (CTreeNode* named = node->MouseDownOnSheet(nullptr, flags, x, y))
                    last = named;
        return last;
    }
    int Drag(int x, int y, uint32_t flags = kLeft) {
        int moved = 0;
        for (CSheetObject* node : Targets())
            if (main->HasObject(node))
                moved |= node->DragOnSheet(nullptr, flags, x, y);
        return moved;
    }
    void Up(int x, int y, uint32_t flags = NodeFlags::SchematicView) {
        for (CSheetObject* node : Targets())
            if (main->HasObject(node))
                node->MouseUpOnSheet(nullptr, flags, x, y);
    }
    void Delete() {
        StartUndoGroup();
        for (CSheetObject* node : Targets())
            if (main->HasObject(node))
                node->DeleteOnSheet(nullptr, NodeFlags::SchematicView);
    }
    // Undo of the last group gives before, redo gives after.
    void CheckUndoRedo(const std::string& before, const std::string& after) {
        ASSERT_TRUE(m_view.undo.CanUndo());
        m_view.undo.Undo();
        EXPECT_EQ(Save(), before);
        CheckNets();
        m_view.undo.Redo();
        EXPECT_EQ(Save(), after);
        CheckNets();
    }
    CPart* PartOf(int k) { return PinOf(k, 0)->GetPart(); }
    // True when a wire of the net has an end at p on sheet.
    static bool WireEndAt(CNet* net, POINT p, CSheet* sheet) {
        for (CWire* w : net->GetWires())
            if (w->m_pSheet == sheet && (SamePoint(w->GetStart(), p) || SamePoint(w->GetEnd(), p)))
                return true;
        return false;
    }
    CWire* AddWireOn(CNet* net, CSheet* sheet, POINT a, POINT b) {
        auto* w = new CWire(a, b);
        w->m_pSheet = sheet;
        net->AddChild(w);
        sheet->AddObject(w);
        return w;
    }

    CSheet* main = nullptr;
    CSheet* other = nullptr;
};

TEST_F(SheetEditTest, PartDragCarriesItsWires) {
    AddWire(main, POINT{15, 9}, POINT{19, 9});
    m_view.undo.Clear();
    const std::string before = Save();
    CPart* r1 = PartOf(0);
    Down(12 * g, 9 * g);
    ASSERT_TRUE(r1->IsSelected());
    EXPECT_TRUE(PinOf(0, 1)->IsSelected());
    EXPECT_EQ(Drag(12 * g + g - 1, 9 * g), 0); // below one step: nothing
    EXPECT_FALSE(m_view.undo.CanUndo());
    EXPECT_EQ(Drag(12 * g, 10 * g + 10), 1);
    EXPECT_EQ(Drag(12 * g, 11 * g + 20), 1);
    Up(12 * g, 11 * g);
    EXPECT_EQ(r1->m_position.y, 10);
    CNet* net = PinOf(0, 1)->m_pNet;
    ASSERT_NE(net, nullptr);
    EXPECT_EQ(PinOf(1, 0)->m_pNet, net);
    EXPECT_TRUE(WireEndAt(net, PinOf(0, 1)->GetConnectionPoint(), main));
    EXPECT_TRUE(WireEndAt(net, PinOf(1, 0)->GetConnectionPoint(), main));
    CheckNets();
    const std::string after = Save();
    CheckUndoRedo(before, after);
    // One position record for the part, however long the drag.
    m_view.undo.Undo();
    EXPECT_EQ(r1->m_position.y, 8);
}

TEST_F(SheetEditTest, StackedPinsAllKeepTheirWires) {
    // Two pins on the same side and offset, on two nets, each with a wire.
    CPin* a = PinOf(0, 0);
    CPin* b = PinOf(0, 1);
    b->m_side = L'L';
    b->m_offset = 1;
    CNet* na = m_board->FindOrAddNet(L"NA");
    CNet* nb = m_board->FindOrAddNet(L"NB");
    AddWireOn(na, main, POINT{9, 9}, POINT{5, 9});
    AddWireOn(nb, main, POINT{9, 9}, POINT{9, 4});
    a->AddToNet(nullptr, na);
    b->AddToNet(nullptr, nb);
    m_view.undo.Clear();
    const std::string before = Save();
    Down(12 * g, 9 * g);
    EXPECT_EQ(Drag(12 * g, 11 * g), 1);
    const POINT p = a->GetConnectionPoint();
    EXPECT_TRUE(SamePoint(p, b->GetConnectionPoint()));
    EXPECT_TRUE(WireEndAt(na, p, main));
    EXPECT_TRUE(WireEndAt(nb, p, main));
    Up(12 * g, 11 * g); // the pins connect there: the two nets join
    CheckUndoRedo(before, Save());
}

TEST_F(SheetEditTest, WireSegmentDragKeepsConnectionsOnItsSheetOnly) {
    AddWire(main, POINT{5, 2}, POINT{5, 5});
    CWire* h = AddWire(main, POINT{5, 5}, POINT{8, 5});
    AddWire(main, POINT{8, 5}, POINT{8, 2});
    CNet* net = h->GetNet();
    // The same coordinates on another sheet belong to that sheet alone.
    CWire* far = AddWireOn(net, other, POINT{8, 5}, POINT{8, 9});
    m_view.undo.Clear();
    const std::string before = Save();
    Down(6 * g, 5 * g);
    EXPECT_EQ(h->m_selected, 1);
    EXPECT_EQ(Drag(6 * g, 7 * g), 1);
    Up(6 * g, 7 * g);
    EXPECT_EQ(h->GetStart().y, 7);
    EXPECT_EQ(h->GetEnd().y, 7);
    EXPECT_TRUE(WireEndAt(net, POINT{5, 7}, main));
    EXPECT_TRUE(WireEndAt(net, POINT{8, 7}, main));
    EXPECT_TRUE(SamePoint(far->GetStart(), POINT{8, 5}));
    CheckUndoRedo(before, Save());
}

TEST_F(SheetEditTest, ClicksSelectAndCtrlToggles) {
    CWire* w = AddWire(main, POINT{15, 9}, POINT{19, 9});
    Down(17 * g, 9 * g);
    EXPECT_EQ(w->m_selected, 1);
    Up(17 * g, 9 * g);
    EXPECT_EQ(w->m_selected, 1);
    Down(17 * g, 9 * g, kLeft | NodeFlags::Control);
    EXPECT_EQ(w->m_selected, 0);
    Down(17 * g, 9 * g);
    Down(2 * g, 2 * g, kLeft | NodeFlags::Control); // empty space keeps it
    EXPECT_EQ(w->m_selected, 1);
    Down(2 * g, 2 * g);
    EXPECT_EQ(w->m_selected, 0);
    // A release away from a selected part deselects it.
    Down(12 * g, 9 * g);
    EXPECT_TRUE(PartOf(0)->IsSelected());
    Up(30 * g, 30 * g);
    EXPECT_FALSE(PartOf(0)->IsSelected());
}

// The first click on a bus entry's net-name label selects it, the second
// opens the in-place editor over it; Ctrl toggles the label instead.
TEST_F(SheetEditTest, SecondClickOnASelectedLabelEditsTheNetName) {
    CWire* w = AddWire(main, POINT{2, 20}, POINT{8, 20});
    w->m_busEntry1 = 1;
    RECT label = w->GetBusEntryLabelRect(nullptr, 1);
    label = RECT{std::min(label.left, label.right), std::min(label.top, label.bottom),
                 std::max(label.left, label.right), std::max(label.top, label.bottom)};
    ASSERT_LT(label.left, label.right);
    const int x = (label.left + label.right) / 2, y = (label.top + label.bottom) / 2;
    Down(x, y);
    Up(x, y);
    EXPECT_EQ(w->m_selected & 2, 2);
    EXPECT_TRUE(m_view.inPlaceEdits.empty()) << "the first click only selects";
    Down(x, y);
    EXPECT_EQ(w->m_selected & 2, 2);
    ASSERT_EQ(m_view.inPlaceEdits.size(), 1u);
    EXPECT_EQ(m_view.inPlaceEdits[0].object, w);
    EXPECT_EQ(m_view.inPlaceEdits[0].rect.left, label.left);
    EXPECT_EQ(m_view.inPlaceEdits[0].rect.top, label.top);
    EXPECT_EQ(m_view.inPlaceEdits[0].rect.right, label.right);
    EXPECT_EQ(m_view.inPlaceEdits[0].rect.bottom, label.bottom);
    Up(x, y);
    Down(x, y, kLeft | NodeFlags::Control);
    EXPECT_EQ(w->m_selected & 2, 0) << "Ctrl deselects the label";
    EXPECT_EQ(m_view.inPlaceEdits.size(), 1u);
}

// A press names the node it selected: the part, the wire, the bus, the
// package's part or text, the net's wire; nothing on a miss.
TEST_F(SheetEditTest, MouseDownNamesTheSelectedNode) {
    CWire* w = AddWire(main, POINT{15, 9}, POINT{19, 9});
    auto* bus = static_cast<CBus*>(FindFirst(m_board, NodeType::Bus));
    CPart* r1 = PartOf(0);
    EXPECT_EQ(Down(12 * g, 9 * g), r1);
    EXPECT_EQ(Down(17 * g, 9 * g), w);
    EXPECT_EQ(Down(20 * g, 14 * g), bus);
    EXPECT_EQ(Down(2 * g, 30 * g), nullptr);
    EXPECT_EQ(Down(12 * g, 9 * g, kLeft | NodeFlags::Control), r1);
    EXPECT_EQ(Down(12 * g, 9 * g, kLeft | NodeFlags::Control), nullptr) << "toggled off";
    EXPECT_EQ(r1->GetPackage()->MouseDownOnSheet(nullptr, kLeft, 12 * g, 9 * g), r1);
    EXPECT_TRUE(r1->GetPackage()->IsSelected());
    EXPECT_EQ(w->GetNet()->MouseDownOnSheet(nullptr, kLeft, 17 * g, 9 * g), w);
    EXPECT_EQ(w->GetNet()->MouseDownOnSheet(nullptr, kLeft, 2 * g, 30 * g), nullptr);
}

// A net counts as selected on a sheet by its wires alone: a conductor or a
// via selected on the board does not select it.
TEST_F(SheetEditTest, BoardSelectionLeavesTheNetUnselectedOnTheSheet) {
    CWire* w = AddWire(main, POINT{15, 9}, POINT{19, 9});
    CNet* net = w->GetNet();
    auto* conductor = static_cast<CConductor*>(net->AddChild(new CConductor));
    conductor->m_layer = 0;
    conductor->m_width = 0.3f;
    conductor->m_vertices = {{0, 0, 0, {}}, {10, 0, 0, {}}};
    conductor->m_selected = 1;
    CTreeNode* via = net->AddChild(new CPadstack(L"Via"));
    via->m_selected = 1;
    EXPECT_EQ(net->MouseDownOnSheet(nullptr, kLeft, 2 * g, 30 * g), nullptr);
    EXPECT_EQ(net->m_selected, 0);
    net->RightClickOnSheet(nullptr, NodeFlags::SchematicView, 2 * g, 30 * g);
    EXPECT_EQ(net->m_selected, 0);
    EXPECT_EQ(conductor->m_selected, 1) << "the board keeps its selection";
    EXPECT_EQ(via->m_selected, 1);
    EXPECT_EQ(net->MouseDownOnSheet(nullptr, kLeft, 17 * g, 9 * g), w);
    EXPECT_EQ(net->m_selected, 1);
}

TEST_F(SheetEditTest, BusDragCarriesEntriesAndCrossingBusesOnItsSheet) {
    auto* bus = static_cast<CBus*>(FindFirst(m_board, NodeType::Bus));
    CWire* w = AddWire(main, POINT{17, 9}, POINT{17, 14});
    w->m_busEntry2 = 1;
    auto* crossing = new CBus;
    crossing->m_position = POINT{30, 14};
    crossing->m_direction = L'V';
    crossing->m_length = -5;
    crossing->m_pSheet = main;
    m_board->AddChild(crossing);
    main->AddObject(crossing);
    // A twin of the bus and its entry on the other sheet.
    auto* twin = static_cast<CBus*>(bus->Clone());
    twin->m_pSheet = other;
    m_board->AddChild(twin);
    other->AddObject(twin);
    CWire* twinWire = AddWireOn(w->GetNet(), other, POINT{17, 9}, POINT{17, 14});
    twinWire->m_busEntry2 = 1;
    m_view.undo.Clear();
    const std::string before = Save();
    Down(20 * g, 14 * g);
    ASSERT_TRUE(bus->IsSelected());
    EXPECT_EQ(Drag(20 * g + 30, 12 * g), 1);
    Up(20 * g, 12 * g);
    EXPECT_EQ(bus->GetStart().y, 12);
    EXPECT_EQ(bus->GetStart().x, 0); // the part along the bus is dropped
    EXPECT_TRUE(SamePoint(w->GetEnd(), POINT{17, 12}));
    EXPECT_TRUE(SamePoint(crossing->GetStart(), POINT{30, 12}));
    EXPECT_TRUE(SamePoint(crossing->GetEnd(), POINT{30, 9})); // far end stays
    EXPECT_EQ(twin->GetStart().y, 14);
    EXPECT_TRUE(SamePoint(twinWire->GetEnd(), POINT{17, 14}));
    CheckUndoRedo(before, Save());
}

TEST_F(SheetEditTest, BusHeldAtBothEndsDoesNotSlide) {
    auto* bus = static_cast<CBus*>(FindFirst(m_board, NodeType::Bus));
    auto* crossing = new CBus;
    crossing->m_position = POINT{0, 10};
    crossing->m_direction = L'V';
    crossing->m_length = 8;
    crossing->m_pSheet = main;
    m_board->AddChild(crossing);
    main->AddObject(crossing);
    CWire* w = AddWire(main, POINT{40, 9}, POINT{40, 14});
    w->m_busEntry2 = 1;
    m_view.undo.Clear();
    Down(20 * g, 14 * g);
    Drag(23 * g, 14 * g);
    EXPECT_EQ(bus->GetStart().x, 0);
    EXPECT_EQ(bus->m_length, 40);
    EXPECT_FALSE(m_view.undo.CanUndo());
    // With the wire gone the end is free: the bus grows toward it.
    w->m_busEntry2 = 0;
    Drag(25 * g, 14 * g);
    EXPECT_EQ(bus->GetStart().x, 0);
    EXPECT_EQ(bus->m_length, 42);
}

TEST_F(SheetEditTest, DeletingPartsAndTheirPackage) {
    AddWire(main, POINT{15, 9}, POINT{19, 9});
    CPart* r1 = PartOf(0);
    CPackage* package = r1->GetPackage();
    // A package-level pin on a net leaves it with the package.
    auto* gndPin = new CPin;
    gndPin->m_fixedNetName = L"GND";
    package->AddChild(gndPin);
    CNet* gnd = PinOf(2, 0)->m_pNet ? PinOf(2, 0)->m_pNet : m_board->FindOrAddNet(L"GND");
    gndPin->AddToNet(nullptr, gnd);
    m_view.undo.Clear();
    const std::string before = Save();
    Down(12 * g, 9 * g);
    Delete();
    EXPECT_EQ(package->GetParent(), nullptr);
    EXPECT_EQ(Net(L"GND"), nullptr); // emptied by the package's pin
    EXPECT_FALSE(main->HasObject(r1));
    EXPECT_EQ(gnd->m_pins.count(gndPin), 0u);
    EXPECT_EQ(gndPin->m_pNet, nullptr);
    EXPECT_EQ(PinOf(0, 1)->m_pNet, nullptr);
    CheckUndoRedo(before, Save());
    m_view.undo.Undo();
    EXPECT_EQ(gndPin->m_pNet, gnd);
    EXPECT_TRUE(main->HasObject(PartOf(0)));
}

TEST_F(SheetEditTest, DeletingOnePartOfTwoKeepsThePackage) {
    CPackage* package = PartOf(0)->GetPackage();
    package->m_partsPerPackage = 2;
    auto* second = static_cast<CPart*>(package->GetPart(0)->Clone());
    second->m_position = POINT{40, 40};
    package->InsertChildAt(1, second);
    second->m_pSheet = main;
    main->AddObject(second);
    m_view.undo.Clear();
    const std::string before = Save();
    Down(12 * g, 9 * g);
    Delete();
    EXPECT_EQ(package->GetParent(), m_board);
    EXPECT_FALSE(PartOf(0)->IsOnSheet());
    EXPECT_TRUE(second->IsOnSheet());
    CheckUndoRedo(before, Save());
}

TEST_F(SheetEditTest, DeletedNetTakesItsWiresOffTheSheet) {
    CWire* w = AddWire(main, POINT{15, 9}, POINT{19, 9});
    CNet* net = w->GetNet();
    StartUndoGroup();
    PushUndo(new CUndoDelete(net, nullptr));
    net->RemoveFromParent();
    EXPECT_FALSE(main->HasObject(w));
    m_view.undo.Undo();
    EXPECT_TRUE(main->HasObject(w));
    EXPECT_EQ(w->m_pSheet, main);
    m_view.undo.Redo();
    EXPECT_FALSE(main->HasObject(w));
    m_view.undo.Undo();
    CheckNets();
}

TEST_F(SheetEditTest, WireDeleteSplitsItsNet) {
    AddWire(main, POINT{15, 9}, POINT{17, 9});
    AddWire(main, POINT{17, 9}, POINT{19, 9});
    AddWire(main, POINT{17, 9}, POINT{17, 12});
    CWire* mid = main->FindWireAt(POINT{18, 9}, nullptr);
    ASSERT_NE(mid, nullptr);
    m_view.undo.Clear();
    const std::string before = Save();
    Down(18 * g, 9 * g);
    ASSERT_EQ(mid->m_selected, 1);
    Delete();
    EXPECT_NE(PinOf(0, 1)->m_pNet, PinOf(1, 0)->m_pNet);
    CheckNets();
    CheckUndoRedo(before, Save());
}

TEST_F(SheetEditTest, PackageTextsDragAndHide) {
    CPart* r1 = PartOf(0);
    CPackage* package = r1->GetPackage();
    auto* text = package->FindText(L"RefDes");
    text->m_position = POINT{0, -20}; // below the outline
    const RECT r = text->GetDisplayRect(nullptr, r1);
    m_view.undo.Clear();
    const std::string before = Save();
    // Package texts are reached through their package.
    StartUndoGroup();
    EXPECT_EQ(package->MouseDownOnSheet(nullptr, kLeft, r.left + 5, r.top + 5), text);
    ASSERT_TRUE(text->IsSelected());
    EXPECT_TRUE(package->IsSelected());
    EXPECT_FALSE(r1->IsSelected());
    EXPECT_EQ(package->DragOnSheet(nullptr, kLeft, r.left + 5 + 60, r.top + 5 - 30), 1);
    package->MouseUpOnSheet(nullptr, NodeFlags::SchematicView, r.left + 65, r.top - 25);
    EXPECT_EQ(text->m_position.x, 2);   // 50 of 60 in steps of 25
    EXPECT_EQ(text->m_position.y, -21); // -25 of -30
    CheckUndoRedo(before, Save());
    const std::string shown = Save();
    StartUndoGroup();
    EXPECT_EQ(text->DeleteOnSheet(nullptr, NodeFlags::SchematicView), 1);
    EXPECT_FALSE(text->m_visible);
    EXPECT_EQ(text->GetParent(), package);
    CheckUndoRedo(shown, Save());
}

} // namespace

namespace {

TEST_F(SheetEditTest, SymbolEditorPinsSlideRoundTheOutline) {
    CPart* part = PartOf(0); // outline 4 by 2
    CPin* pin = PinOf(0, 0); // 'L' offset 1
    part->m_pSheet = nullptr;
    const uint32_t sym = NodeFlags::SymbolView | NodeFlags::LeftButton;
    EXPECT_EQ(pin->OutlinePerimeterPos(), 1);
    m_view.undo.Clear();
    const std::string before = Save();
    StartUndoGroup();
    ASSERT_EQ(pin->MouseDownOnSheet(nullptr, sym, 10 * g - 50, 9 * g), pin);
    EXPECT_EQ(pin->DragOnSheet(nullptr, sym, 10 * g - 50, 9 * g - 100), 0); // under half a step
    EXPECT_EQ(pin->DragOnSheet(nullptr, sym, 10 * g, 8 * g), 1);
    EXPECT_EQ(pin->m_side, L'L');
    EXPECT_EQ(pin->m_offset, 0);
    EXPECT_EQ(pin->DragOnSheet(nullptr, sym, 12 * g, 10 * g + 10), 1);
    EXPECT_EQ(pin->m_side, L'T');
    EXPECT_EQ(pin->m_offset, 2);
    EXPECT_EQ(pin->OutlinePerimeterPos(), 2 + 1 + 2);
    EXPECT_EQ(pin->DragOnSheet(nullptr, sym, 14 * g, 8 * g), 1); // bottom-right corner
    EXPECT_EQ(pin->m_side, L'R');
    EXPECT_EQ(pin->m_offset, 0);
    EXPECT_EQ(pin->OutlinePerimeterPos(), 4 + 2 * 2 + 2);
    pin->MouseUpOnSheet(nullptr, NodeFlags::SymbolView, 14 * g, 8 * g);
    const std::string after = Save();
    m_view.undo.Undo(); // one record for the whole slide
    EXPECT_EQ(Save(), before);
    m_view.undo.Redo();
    EXPECT_EQ(Save(), after);
}

} // namespace
