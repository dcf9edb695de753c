// A part's symbol primitives as part of the document: parsed from and
// written to the part's element text, copied with the part, shared by the
// parts of a homogeneous package, drawn by selection, transformed and
// inserted with undo back to the same saved file.
#include "platform/dc_recorder.h"
#include "platform/device_context.h"
#include "schematic/part_primitive_list.h"
#include "schematic/undo_part_primitive.h"
#include "tests/schematic/schematic_fixture.h"

#include <gtest/gtest.h>

namespace {

constexpr const wchar_t* kSymbol =
    L"L0,0,40,-20 RCFO-20,-20,20,20 POLYC0,0,10,0,10,10 CIRCF-5,-5,5,5 "
    L"ARC-10,-10,10,10,10,0,-10,0 CURVE0,0,10,20,30,20,40,0 TEXTR12,-4:Gate_A";

class PartSymbolTest : public SchematicFixture {
protected:
    void SetUp() override {
        SchematicFixture::SetUp();
        Load(kTwoResistors);
        part = PinOf(0, 0)->GetPart();
        part->SetText(kSymbol);
        part->ReadPrimitives();
        m_view.undo.Clear();
    }
    CPart* part = nullptr;
};

TEST_F(PartSymbolTest, TextRoundTripsThroughThePrimitives) {
    ASSERT_EQ(part->m_primitives.size(), 7u);
    for (CPartPrimitive* p : part->m_primitives)
        EXPECT_EQ(p->GetOwner(), part);
    part->SetText(L"");
    part->WriteAttributes();
    EXPECT_EQ(part->GetText(), kSymbol);
    std::unique_ptr<CPart> copy(static_cast<CPart*>(part->Clone()));
    ASSERT_EQ(copy->m_primitives.size(), 7u);
    EXPECT_EQ(copy->m_primitives[0]->GetOwner(), copy.get());
    EXPECT_FALSE(PartPrimitivesDiffer(copy->m_primitives, part->m_primitives));
    EXPECT_EQ(&part->GetOwnPrimitives(), &part->m_primitives);
}

TEST_F(PartSymbolTest, HomogeneousPackagesShareTheFirstPartsDrawing) {
    CPackage* package = part->GetPackage();
    auto* second = new CPart;
    second->m_position = POINT{40, 40};
    package->InsertChildAt(1, second);
    EXPECT_EQ(&second->GetDrawnPrimitives(), &part->m_primitives);
    package->MakeHeterogeneous();
    ASSERT_EQ(second->m_primitives.size(), 7u);
    EXPECT_EQ(&second->GetDrawnPrimitives(), &second->m_primitives);
    EXPECT_EQ(second->m_primitives[0]->GetOwner(), second);
    package->TryMakeHomogeneous();
    EXPECT_EQ(package->m_heterogeneous, 0u);
    EXPECT_TRUE(second->m_primitives.empty());
    package->MakeHeterogeneous();
    second->m_primitives[0]->Move(1, 0);
    package->TryMakeHomogeneous();
    EXPECT_EQ(package->m_heterogeneous, 1u); // the drawings differ
}

TEST_F(PartSymbolTest, SymbolEditorPensFollowEachPrimitive) {
    DeviceContext dc(960, 960);
    DcRecorder rec;
    dc.SetRecorder(&rec);
    m_view.PrepareDC(&dc);
    part->SetText(L"L0,0,40,0 L0,10,40,10");
    part->ReadPrimitives();
    part->m_primitives[1]->SetSelected(true);
    part->m_pSheet = nullptr;
    part->DrawOnSheet(&dc, NodeFlags::SymbolView);
    auto lines = rec.OfKind(DcOp::Line);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].pen.color, g_DefaultSettings.colorSymbol);
    EXPECT_EQ(lines[1].pen.color, g_DefaultSettings.colorSel);
    EXPECT_EQ(lines[0].pen.width, 15); // default wire width 0.15 mm
    // On a sheet every primitive follows the part.
    part->m_pSheet = Sheet(L"Main");
    rec.Clear();
    part->DrawOnSheet(&dc, NodeFlags::SchematicView);
    lines = rec.OfKind(DcOp::Line);
    EXPECT_EQ(lines[1].pen.color, g_DefaultSettings.colorSymbol);
    EXPECT_FALSE(part->m_primitives[1]->IsSelected());
    EXPECT_EQ(lines[0].logical[0].x, 10 * 250); // at the part's corner
    dc.SetRecorder(nullptr);
}

TEST_F(PartSymbolTest, TransformsAboutThePivotUndoToTheSameFile) {
    const std::string before = Save();
    StartUndoGroup();
    g_TransformPivot = POINT{10, 0};
    for (CPartPrimitive* p : part->m_primitives) {
        PushUndo(new CUndoPartPrimitiveChange(p));
        p->TransformByKey('H');
    }
    const std::string mirrored = Save();
    EXPECT_NE(mirrored, before);
    EXPECT_EQ(part->m_primitives[0]->ToString(), L"L20,0,-20,-20"); // x' = 20 - x
    for (int key : {'V', 'R'}) {
        StartUndoGroup();
        for (CPartPrimitive* p : part->m_primitives) {
            PushUndo(new CUndoPartPrimitiveChange(p));
            p->TransformByKey(key);
        }
    }
    const std::string turned = Save();
    m_view.undo.Undo();
    m_view.undo.Undo();
    EXPECT_EQ(Save(), mirrored);
    m_view.undo.Undo();
    EXPECT_EQ(Save(), before);
    RedoAll();
    EXPECT_EQ(Save(), turned);
}

TEST_F(PartSymbolTest, InsertedPrimitiveUndoesToTheSameFile) {
    const std::string before = Save();
    StartUndoGroup();
    CPartPrimitive* line = CreatePartPrimitive(part, L"L5,5,15,5");
    part->m_primitives.push_back(line);
    PushUndo(new CUndoPartPrimitiveInsert(part, 7));
    const std::string after = Save();
    EXPECT_NE(after.find("L5,5,15,5"), std::string::npos);
    m_view.undo.Undo();
    EXPECT_EQ(Save(), before);
    m_view.undo.Redo();
    EXPECT_EQ(Save(), after);
}

} // namespace
