// Test stand-in for a schematic view on one board: the board fixture's view
// set to the schematic kind, a property panel, the program-wide counters set
// back, and the wiring gestures of the view (drawing and deleting a wire)
// built from the model's operations. CheckNets tests the membership rules
// that every step must keep.
#pragma once

#include "board/board.h"
#include "core/default_settings.h"
#include "core/node_type.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/pin.h"
#include "schematic/schematic_undo_records.h"
#include "schematic/sheet.h"
#include "schematic/wire.h"
#include "tests/board/board_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

class SchematicFixture : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        m_view.viewKind = kViewSchematic;
        ResetModelCounters();
        SetPropertyGrid(&m_grid);
    }
    void TearDown() override {
        m_grid.ShowProperties(nullptr);
        SetPropertyGrid(nullptr);
        BoardFixture::TearDown();
    }

    CBoard* Load(const std::string& body) {
        m_root = std::make_unique<CRoot>();
        EXPECT_TRUE(LoadText(*m_root, XmlDoc(body)));
        BuildBoardNetsInTree(m_root.get());
        m_board = static_cast<CBoard*>(FindFirst(m_root.get(), NodeType::Board));
        return m_board;
    }
    std::string Save() { return SaveText(*m_root); }

    static CTreeNode* FindFirst(CTreeNode* node, int type) {
        if (node->GetType() == type)
            return node;
        for (CTreeNode* child : node->GetChildren())
            if (CTreeNode* found = FindFirst(child, type))
                return found;
        return nullptr;
    }
    CSheet* Sheet(const wchar_t* name) { return FindSheetByName(m_board, name); }
    CNet* Net(const wchar_t* name) { return m_board->FindNet(name); }
    // Pin n (from 0) of the first part of package k (from 0, in board order).
    CPin* PinOf(int k, int n) {
        int seen = 0;
        for (CTreeNode* child : m_board->GetChildren())
            if (child->GetType() == NodeType::Package && seen++ == k)
                return static_cast<CPin*>(static_cast<CPackage*>(child)->GetPart(0)->GetChild(
                    static_cast<std::size_t>(n)));
        return nullptr;
    }
    std::vector<CNet*> Nets() {
        std::vector<CNet*> nets;
        for (CTreeNode* child : m_board->GetChildren())
            if (child->GetType() == NodeType::Net)
                nets.push_back(static_cast<CNet*>(child));
        return nets;
    }
    std::vector<std::wstring> NetNames() {
        std::vector<std::wstring> names;
        for (CNet* net : Nets())
            names.push_back(net->GetName());
        return names;
    }

    // Types a new value into a text row.
    void SetRowText(int row, const std::wstring& text) {
        auto* edit = dynamic_cast<CPropertyEdit*>(m_grid.GetItem(row));
        ASSERT_NE(edit, nullptr);
        edit->SetText(text);
    }

    // The wire tool: the new wire joins the net of what its ends touch (or
    // a new "N%d" net), the other nets touched are merged into it, pins at
    // its ends are connected and the net is tidied.
    CWire* AddWire(CSheet* sheet, POINT a, POINT b) {
        StartUndoGroup();
        auto* wire = new CWire(a, b);
        std::vector<CNet*> touching;
        auto touch = [&](CNet* net) {
            if (net && std::find(touching.begin(), touching.end(), net) == touching.end())
                touching.push_back(net);
        };
        for (CSheetObject* object : sheet->m_objects) {
            if (object->GetType() == NodeType::Wire) {
                auto* w = static_cast<CWire*>(object);
                if (w->ContainsPoint(a, true) || w->ContainsPoint(b, true) ||
                    wire->ContainsPoint(w->GetStart(), false) ||
                    wire->ContainsPoint(w->GetEnd(), false))
                    touch(w->GetNet());
            }
        }
        std::vector<CPin*> pins;
        sheet->CollectPinsAt(a, pins, nullptr);
        sheet->CollectPinsAt(b, pins, nullptr);
        for (CPin* pin : pins)
            touch(pin->m_pNet);
        CNet* net = touching.empty() ? m_board->FindOrAddNet(L"") : touching.front();
        wire->m_pSheet = sheet;
        net->AddChild(wire);
        PushUndo(new CUndoInsert(wire, nullptr));
        for (CNet* other : touching)
            if (other != net && other->GetParent())
                net->Merge(nullptr, other);
        for (CPin* pin : pins)
            if (pin->m_pNet != net)
                pin->Connect(nullptr);
        if (net->GetParent())
            net->NormalizeWires(nullptr);
        return wire;
    }
    // The Delete command on a selected wire.
    void DeleteWire(CWire* wire) {
        StartUndoGroup();
        CNet* net = wire->GetNet();
        PushUndo(new CUndoDelete(wire, nullptr));
        wire->RemoveFromParent();
        net->SplitDisconnected(nullptr);
    }
    void UndoAll() {
        while (m_view.undo.CanUndo())
            m_view.undo.Undo();
    }
    void RedoAll() {
        while (m_view.undo.CanRedo())
            m_view.undo.Redo();
    }

    // Membership rules: pin and net agree both ways, nets hold something,
    // fixed names are kept, sheets list exactly the objects that name them.
    void CheckNets() {
        for (CNet* net : Nets()) {
            EXPECT_TRUE(net->GetChildCount() != 0 || !net->m_pins.empty())
                << "empty net " << WideToUtf8(net->GetName());
            for (CPin* pin : net->m_pins)
                EXPECT_EQ(pin->m_pNet, net) << WideToUtf8(net->GetName());
            for (CWire* wire : net->GetWires()) {
                ASSERT_NE(wire->m_pSheet, nullptr);
                EXPECT_TRUE(wire->m_pSheet->HasObject(wire));
            }
        }
        for (CTreeNode* child : m_board->GetChildren()) {
            if (child->GetType() == NodeType::Sheet)
                for (CSheetObject* object : static_cast<CSheet*>(child)->m_objects) {
                    EXPECT_EQ(object->m_pSheet, child);
                    EXPECT_EQ(FindBoardAbove(object), m_board) << "object left the board";
                }
            if (child->GetType() != NodeType::Package)
                continue;
            for (CTreeNode* part : child->GetChildren())
                for (CTreeNode* p : part->GetChildren()) {
                    if (p->GetType() != NodeType::Pin)
                        continue;
                    auto* pin = static_cast<CPin*>(p);
                    if (!pin->m_pNet)
                        continue;
                    EXPECT_EQ(pin->m_pNet->GetParent(), m_board) << "pin on a deleted net";
                    EXPECT_EQ(pin->m_pNet->m_pins.count(pin), 1u);
                    if (!pin->m_fixedNetName.empty()) {
                        EXPECT_EQ(pin->m_pNet->GetName(), pin->m_fixedNetName);
                    }
                }
        }
    }

    CPropertyGrid m_grid;
    std::unique_ptr<CRoot> m_root;
    CBoard* m_board = nullptr;
};

// Resistors R1 at (10,8) and R2 at (20,8), outline 4 by 2, pins at (9,9) and
// (15,9), (19,9) and (25,9); a GND power symbol whose pin is at (30,9); a
// bus along y = 14; a second sheet.
inline const char* kTwoResistors = R"(<Project>
  <Board>
    <Sheet GridSize="2.54">Main</Sheet>
    <Sheet GridSize="2.54">Other</Sheet>
    <Package Footprint="R0805">
      <Part Outline="4,2" SheetName="Main" XY="10,8">
        <Pin Name="A" Num="1">L1</Pin>
        <Pin Name="B" Num="2">R1</Pin>
      </Part>
      <Text Name="RefDes">R1</Text>
    </Package>
    <Package Footprint="R0805">
      <Part Outline="4,2" SheetName="Main" XY="20,8">
        <Pin Name="A" Num="1">L1</Pin>
        <Pin Name="B" Num="2">R1</Pin>
      </Part>
      <Text Name="RefDes">R2</Text>
    </Package>
    <Package>
      <Part Outline="2,2" SheetName="Main" XY="31,8">
        <Pin Name="GND" NetName="GND">L1</Pin>
      </Part>
    </Package>
    <Bus SheetName="Main">0,14H40</Bus>
  </Board>
</Project>
)";
