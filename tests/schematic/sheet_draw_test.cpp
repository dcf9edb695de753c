// Drawing, bounds, hit tests and repainting of the schematic classes, on a
// recording device context prepared by the active view (grid step 250).
#include "core/default_settings.h"
#include "platform/bitmap.h"
#include "platform/dc_recorder.h"
#include "platform/device_context.h"
#include "platform/paint_target.h"
#include "schematic/bus.h"
#include "schematic/part_primitive.h"
#include "schematic/sheet_paint.h"
#include "schematic/text.h"
#include "tests/schematic/schematic_fixture.h"

#include <gtest/gtest.h>

namespace {

constexpr int g = 250;

class SheetDrawTest : public SchematicFixture {
protected:
    void SetUp() override {
        SchematicFixture::SetUp();
        Load(kTwoResistors);
        main = Sheet(L"Main");
        dc = std::make_unique<DeviceContext>(960, 960);
        dc->SetRecorder(&rec);
        m_view.PrepareDC(dc.get());
    }
    void TearDown() override {
        dc->SetRecorder(nullptr);
        SchematicFixture::TearDown();
    }
    CPart* PartOf(int k) { return PinOf(k, 0)->GetPart(); }
    void Zoom(int factor, int mode) {
        m_view.SetZoom(factor, mode);
        m_view.PrepareDC(dc.get());
    }
    // The one pin of a lone part on side 'L' at (10, 8) of outline 4 by 2.
    CPin* LonePin(int shape) {
        CPin* pin = PinOf(0, 0);
        pin->m_shape = shape;
        pin->m_name.clear();
        pin->m_numberHidden = true;
        return pin;
    }
    std::vector<std::pair<POINT, POINT>> Lines() const {
        std::vector<std::pair<POINT, POINT>> out;
        for (const DcRecord& r : rec.OfKind(DcOp::Line))
            out.push_back({r.logical.at(0), r.logical.at(1)});
        return out;
    }

    CSheet* main = nullptr;
    std::unique_ptr<DeviceContext> dc;
    DcRecorder rec;
};

bool Eq(POINT a, POINT b) {
    return a.x == b.x && a.y == b.y;
}

// Pin decorations on side 'L' at I = (2500, 2250), E = (2250, 2250); q = 62.
struct ShapeCase {
    int shape;
    size_t ellipses, polygons;
    POINT lastFrom; // the stub's start; the stub always ends at E
};

class PinShapeTest : public SheetDrawTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(PinShapeTest, DrawsStubAndDecoration) {
    const ShapeCase c = GetParam();
    CPin* pin = LonePin(c.shape);
    pin->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
    EXPECT_EQ(rec.Count(DcOp::Ellipse), c.ellipses);
    EXPECT_EQ(rec.Count(DcOp::Polygon), c.polygons);
    auto lines = Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(Eq(lines.back().first, c.lastFrom)) << lines.back().first.x;
    EXPECT_TRUE(Eq(lines.back().second, POINT{2250, 2250}));
    if (c.shape == 5 || c.shape == 6) { // apex inside the outline
        const auto poly = rec.OfKind(DcOp::Polygon).at(0).logical;
        EXPECT_TRUE(Eq(poly.at(2), POINT{2562, 2250}));
        EXPECT_TRUE(Eq(poly.at(0), POINT{2500, 2188}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllShapes, PinShapeTest,
    ::testing::Values(ShapeCase{0, 0, 0, {2500, 2250}}, ShapeCase{1, 0, 0, {2500, 2250}},
                      ShapeCase{2, 1, 0, {2438, 2250}}, ShapeCase{3, 0, 0, {2500, 2250}},
                      ShapeCase{4, 0, 0, {2500, 2250}}, ShapeCase{5, 0, 1, {2500, 2250}},
                      ShapeCase{6, 1, 1, {2376, 2250}}, ShapeCase{7, 0, 1, {2438, 2250}},
                      ShapeCase{8, 1, 1, {2438, 2250}}, ShapeCase{9, 0, 0, {2500, 2250}}));

// The picture of each shape in the panel's list (bitmap 272 + shape) is the
// pin as drawn on the right side of a part: the drawing, scaled so that one
// grid step is 20 pixels and its inner point falls on the picture's (11, 8),
// has a black pixel of the picture within a pixel of each of its own, and
// the other way round.
TEST_F(SheetDrawTest, ThePinShapeListShowsEachShapeAsDrawn) {
    auto dark = [](ARGB c) { return (c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF) < 384; };
    auto near = [](auto&& isDark, int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (isDark(x + dx, y + dy))
                    return true;
        return false;
    };
    CPin* pin = PinOf(0, 1); // side 'R'
    pin->m_name.clear();
    pin->m_numberHidden = true;
    const POINT I = pin->GetInnerPoint();
    for (int shape = 1; shape <= 8; ++shape) {
        pin->m_shape = shape;
        const auto picture = Bitmap::LoadResource(272u + static_cast<unsigned>(shape));
        ASSERT_TRUE(picture);
        const int w = picture->Width(), h = picture->Height();
        auto image = PaintTarget::CreateImage(w, h);
        DeviceContext drawn(*image);
        drawn.SetMapMode(MM_ANISOTROPIC);
        drawn.SetWindowExt(g, g);
        drawn.SetViewportExt(20, -20);
        drawn.SetWindowOrg(I.x, I.y);
        drawn.SetViewportOrg(11, 8);
        drawn.SelectPen(CreatePen(PS_SOLID, 0, 0));
        drawn.SelectBrush(GetStockBrush(NULL_BRUSH));
        pin->DrawOnSheet(&drawn, NodeFlags::SchematicView);
        auto inPicture = [&](int x, int y) { return picture->PixelAt(x, y) == 0xFF000000u; };
        auto inDrawing = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < w && y < h && dark(image->PixelAt(x, y));
        };
        int strays = 0, missing = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                strays += inDrawing(x, y) && !near(inPicture, x, y);
                missing += inPicture(x, y) && !near(inDrawing, x, y);
            }
        EXPECT_EQ(strays, 0) << "drawn but not in the picture, shape " << shape;
        EXPECT_EQ(missing, 0) << "in the picture but not drawn, shape " << shape;
    }
}

TEST_F(SheetDrawTest, PinNamesShowOverbars) {
    struct Case {
        const wchar_t* name;
        const wchar_t* shown;
        size_t bars;
    } cases[] = {{L"~RESET~", L"RESET", 1}, {L"A~~B", L"A~B", 0}, {L"~CS", L"CS", 1}};
    for (const Case& c : cases) {
        rec.Clear();
        CPin* pin = LonePin(1);
        pin->m_name = c.name;
        pin->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
        ASSERT_EQ(rec.Texts().size(), 1u);
        EXPECT_EQ(rec.Texts()[0], c.shown);
        EXPECT_EQ(rec.Count(DcOp::Line), 1 + c.bars) << WideToUtf8(c.name);
        if (c.bars) {
            const DcRecord bar = rec.OfKind(DcOp::Line).back();
            const SIZE whole = SheetPaint::Measure(dc.get(), m_view.GetFont(), c.shown);
            EXPECT_EQ(bar.logical[1].x - bar.logical[0].x, whole.cx);
        }
    }
}

TEST_F(SheetDrawTest, PinNumberUnlessHidden) {
    CPin* pin = PinOf(0, 1); // 'R', number "2"
    pin->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
    EXPECT_EQ(rec.Texts(), (std::vector<std::wstring>{L"B", L"2"}));
    const auto texts = rec.OfKind(DcOp::Text);
    EXPECT_EQ(texts[1].format, 0x920u);
    // The number stands beside the stub, q outside the outline.
    EXPECT_EQ(texts[1].logical[0].x, 14 * g + g / 4);
    rec.Clear();
    pin->m_numberHidden = true;
    pin->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
    EXPECT_EQ(rec.Texts(), (std::vector<std::wstring>{L"B"}));
}

TEST_F(SheetDrawTest, VerticalPinsUseTheTurnedFont) {
    CPin* pin = PinOf(0, 0);
    pin->m_side = L'T';
    pin->m_offset = 1;
    pin->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
    const auto texts = rec.OfKind(DcOp::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].font.lfEscapement, m_view.GetVerticalFont().lfEscapement);
    EXPECT_NE(texts[0].font.lfEscapement, 0);
    EXPECT_EQ(pin->GetConnectionPoint().y, 8 + 2 + 1);
}

TEST_F(SheetDrawTest, PartColoursFollowSelection) {
    CPart* part = PartOf(0);
    part->SetText(L"RC0,0,40,20");
    part->ReadPrimitives();
    part->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
    const auto rects = rec.OfKind(DcOp::Rectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].pen.color, g_DefaultSettings.colorSymbol);
    EXPECT_EQ(rects[0].pen.width, static_cast<int>(main->m_wireWidth));
    EXPECT_EQ(rects[0].logical[0].x, 10 * g);
    for (const DcRecord& r : rec.OfKind(DcOp::Text))
        EXPECT_EQ(r.color, g_DefaultSettings.colorSymbol);
    EXPECT_EQ(rec.Texts(), (std::vector<std::wstring>{L"A", L"1", L"B", L"2", L"R1"}));
    rec.Clear();
    part->m_selected = 1;
    part->SyncPinSelection();
    part->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
    EXPECT_EQ(rec.OfKind(DcOp::Rectangle)[0].pen.color, g_DefaultSettings.colorSel);
    for (const DcRecord& r : rec.OfKind(DcOp::Line))
        EXPECT_EQ(r.pen.color, g_DefaultSettings.colorSel);
    for (const DcRecord& r : rec.OfKind(DcOp::Text))
        EXPECT_EQ(r.color, g_DefaultSettings.colorSel);
}

TEST_F(SheetDrawTest, DrawingScalesWithZoom) {
    CPin* pin = LonePin(1);
    const std::pair<int, int> zooms[] = {{1, 1}, {2, 1}, {2, 0}};
    int lengths[3];
    for (int i = 0; i < 3; ++i) {
        rec.Clear();
        Zoom(zooms[i].first, zooms[i].second);
        pin->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
        const DcRecord line = rec.OfKind(DcOp::Line).at(0);
        EXPECT_TRUE(Eq(line.logical[0], POINT{2500, 2250}));
        lengths[i] = line.device[0].x - line.device[1].x;
    }
    EXPECT_GT(lengths[0], 0);
    EXPECT_NEAR(lengths[1], 2 * lengths[0], 1);
    EXPECT_NEAR(2 * lengths[2], lengths[0], 1);
}

TEST_F(SheetDrawTest, JunctionDotsWhereThreeMeet) {
    // R1.B (15,9) to R2.A (19,9): the pins are its only other items.
    CWire* w = AddWire(main, POINT{15, 9}, POINT{19, 9});
    w->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
    EXPECT_EQ(rec.Count(DcOp::Ellipse), 0u);
    const DcRecord line = rec.OfKind(DcOp::Line).at(0);
    EXPECT_EQ(line.pen.color, g_DefaultSettings.colorWire);
    EXPECT_TRUE(Eq(line.logical[0], POINT{15 * g, 9 * g}));
    // A T joint at (17,9): the split pieces meet a third wire there.
    AddWire(main, POINT{17, 9}, POINT{17, 12});
    int dots = 0;
    for (CWire* wire : w->GetNet()->GetWires()) {
        rec.Clear();
        wire->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
        for (const DcRecord& r : rec.OfKind(DcOp::Ellipse)) {
            ++dots;
            const int h = static_cast<int>(main->m_dotDiameter / 2);
            EXPECT_EQ(r.logical[0].x, 17 * g - h);
            EXPECT_EQ(r.logical[1].x, 17 * g + h);
            EXPECT_EQ(r.brush.color, g_DefaultSettings.colorWire);
        }
    }
    EXPECT_EQ(dots, 3); // each wire at the joint draws it
}

// The dots of the whole sheet, as the sheet draws them (one lookup for all
// its wires) and as each wire drawn on its own draws them: the centres in
// grid steps, one per wire that draws it, sorted.
TEST_F(SheetDrawTest, JunctionDotsFollowWiresAddedRemovedAndUndone) {
    const int h = static_cast<int>(main->m_dotDiameter / 2);
    auto dots = [&](bool wholeSheet) {
        rec.Clear();
        if (wholeSheet) {
            main->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
        } else {
            for (CSheetObject* object : main->m_objects)
                if (object->GetType() == NodeType::Wire)
                    object->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
        }
        std::vector<std::pair<int, int>> out;
        for (const DcRecord& r : rec.OfKind(DcOp::Ellipse))
            if (r.brush.color == g_DefaultSettings.colorWire &&
                r.logical[1].x - r.logical[0].x == 2 * h)
                out.push_back({(r.logical[0].x + h) / g, (r.logical[0].y - h) / g});
        std::sort(out.begin(), out.end());
        return out;
    };
    using Dots = std::vector<std::pair<int, int>>;
    auto expect = [&](const Dots& expected, const char* step) {
        SCOPED_TRACE(step);
        EXPECT_EQ(dots(true), expected);
        EXPECT_EQ(dots(false), expected);
    };
    // A wire between the pins of R1.B and R2.A has a pin at each end only.
    AddWire(main, POINT{15, 9}, POINT{19, 9});
    expect({}, "pin to pin");
    // A T joint: the split pieces and the new wire each draw its dot.
    CWire* stem = AddWire(main, POINT{17, 9}, POINT{17, 12});
    expect({{17, 9}, {17, 9}, {17, 9}}, "T joint");
    // A corner of two wires has no dot.
    AddWire(main, POINT{17, 12}, POINT{22, 12});
    expect({{17, 9}, {17, 9}, {17, 9}}, "corner");
    // At R2.A a pin and two wires meet: the pin counts for both wires.
    AddWire(main, POINT{19, 9}, POINT{19, 12});
    const Dots all = {{17, 9}, {17, 9}, {17, 9}, {19, 9}, {19, 9}, {19, 12}, {19, 12}, {19, 12}};
    // The last wire met the one along y = 12 halfway and split it too.
    expect(all, "pin and two wires");
    DeleteWire(stem);
    expect({{19, 9}, {19, 9}, {19, 12}, {19, 12}, {19, 12}}, "stem deleted");
    m_view.undo.Undo();
    expect(all, "delete undone");
    m_view.undo.Redo();
    m_view.undo.Undo();
    expect(all, "redone and undone again");
    // Wires the wiring rules would not leave: one with the same two ends as
    // another counts at the other's first end only; a wire of another net
    // counts where it ends, but a pin only for the wires of its own net.
    CNet* net = stem->GetNet();
    auto* twin = new CWire(POINT{19, 12}, POINT{17, 12});
    net->AddChild(twin);
    main->AddObject(twin);
    auto* foreign = new CWire(POINT{15, 9}, POINT{15, 12});
    m_board->FindOrAddNet(L"X")->AddChild(foreign);
    main->AddObject(foreign);
    expect({{15, 9},
            {17, 9},
            {17, 9},
            {17, 9},
            {17, 12},
            {17, 12},
            {19, 9},
            {19, 9},
            {19, 12},
            {19, 12},
            {19, 12},
            {19, 12}},
           "twin and foreign wire");
    // A zero-length wire counts once at its point.
    auto* joint = new CWire(POINT{15, 9}, POINT{15, 9});
    net->AddChild(joint);
    main->AddObject(joint);
    expect({{15, 9},
            {15, 9},
            {17, 9},
            {17, 9},
            {17, 9},
            {17, 12},
            {17, 12},
            {19, 9},
            {19, 9},
            {19, 12},
            {19, 12},
            {19, 12},
            {19, 12}},
           "zero-length joint");
}

TEST_F(SheetDrawTest, BusEntriesAndLabels) {
    CWire* w = AddWire(main, POINT{17, 9}, POINT{17, 14});
    w->m_busEntry2 = 1;
    w->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
    const auto lines = rec.OfKind(DcOp::Line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(Eq(lines[0].logical[1], POINT{17 * g, 13 * g})); // drawn end
    EXPECT_TRUE(Eq(lines[1].logical[1], POINT{17 * g + g / 2, 14 * g}));
    ASSERT_EQ(rec.Texts().size(), 1u);
    EXPECT_EQ(rec.Texts()[0], w->GetNet()->GetName());
    EXPECT_NE(rec.OfKind(DcOp::Text)[0].font.lfEscapement, 0); // vertical wire
    rec.Clear();
    w->m_selected = 4;
    w->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
    EXPECT_EQ(rec.OfKind(DcOp::Line)[0].pen.color, g_DefaultSettings.colorWire);
    EXPECT_EQ(rec.OfKind(DcOp::Line)[1].pen.color, g_DefaultSettings.colorSel);
    EXPECT_EQ(rec.OfKind(DcOp::Text)[0].color, g_DefaultSettings.colorSel);
}

TEST_F(SheetDrawTest, BusesAndFreeTexts) {
    auto* bus = static_cast<CBus*>(FindFirst(m_board, NodeType::Bus));
    bus->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
    const auto lines = rec.OfKind(DcOp::Line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].pen.color, g_DefaultSettings.colorBus);
    EXPECT_EQ(lines[0].pen.width, static_cast<int>(main->m_busWidth));
    EXPECT_TRUE(Eq(lines[0].logical[1], POINT{40 * g, 14 * g}));
    rec.Clear();
    bus->m_direction = L'N';
    bus->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
    EXPECT_EQ(rec.Size(), 0u);

    CText text(L"Note");
    text.m_position = POINT{20, 10};
    text.DrawOnSheet(dc.get(), NodeFlags::SchematicView);
    const auto texts = rec.OfKind(DcOp::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].color, g_DefaultSettings.colorComment);
    EXPECT_EQ(texts[0].format, 0x924u);
    EXPECT_EQ(texts[0].logical[0].x, 500);
}

TEST_F(SheetDrawTest, PowerLabelOnlyAtThePartHoldingThePin) {
    CPart* power = PinOf(2, 0)->GetPart();
    power->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
    auto texts = rec.OfKind(DcOp::Text);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back().text, L"GND");
    // Pin on 'L': the label stands right of the outline.
    EXPECT_EQ(texts.back().logical[0].x, (31 + 2) * g);
    const RECT bounds = power->GetBoundsOnSheet(dc.get());
    // Measured in the font the name is drawn in, not the context's.
    const LogFont old = dc->SelectFont(GetViewFont(false));
    const SIZE e = dc->GetTextExtentPoint32(L"GND");
    dc->SelectFont(old);
    EXPECT_EQ(bounds.right, (31 + 2) * g + g / 2 + static_cast<int>(main->m_wireWidth) + e.cx);
    // A second part of the power package holds no pin: no label, no crash.
    auto* second = new CPart;
    second->m_size = SIZE{2, 2};
    second->m_position = POINT{5, 5};
    power->GetPackage()->AddChild(second);
    second->m_pSheet = main;
    rec.Clear();
    second->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
    for (const std::wstring& t : rec.Texts())
        EXPECT_NE(t, L"GND");
    EXPECT_EQ(second->GetOwnPowerPin(), nullptr);
    EXPECT_EQ(CNet::GetDefaultColor(L"GND"), 0x00FFFF00u);
}

TEST_F(SheetDrawTest, RefDesOfMultiPartPackages) {
    CPackage* package = PinOf(0, 0)->GetPart()->GetPackage();
    package->m_partsPerPackage = 4;
    package->m_heterogeneous = 0;
    auto* second = static_cast<CPart*>(package->GetPart(0)->Clone());
    second->m_position = POINT{40, 40};
    package->InsertChildAt(1, second);
    second->m_pSheet = main;
    main->AddObject(second);
    auto* text = package->FindText(L"RefDes");
    EXPECT_EQ(text->GetDisplayString(package->GetPart(0)), L"R11");
    EXPECT_EQ(text->GetDisplayString(second), L"R12");
    second->m_position = POINT{14, 8}; // borders the first part
    EXPECT_EQ(text->GetDisplayString(second), L"");
    second->DrawOnSheet(dc.get(), NodeFlags::SchematicView);
    for (const std::wstring& t : rec.Texts())
        EXPECT_EQ(t.find(L"R1"), std::wstring::npos);
}

// --- Bounds, hit tests, repainting ----------------------------------------------

TEST_F(SheetDrawTest, BoundsOfEveryClass) {
    const int w = static_cast<int>(main->m_wireWidth);
    CPart* part = PartOf(0);
    RECT r = part->GetBoundsOnSheet(dc.get());
    EXPECT_EQ(r.left, 10 * g - g / 2 - w);
    EXPECT_EQ(r.top, 8 * g - g / 2 - w);
    EXPECT_EQ(r.right, 14 * g + g / 2 + w);
    EXPECT_EQ(r.bottom, 10 * g + g / 2 + w);
    r = PinOf(0, 0)->GetBoundsOnSheet(dc.get()); // 'L' at y 9
    EXPECT_EQ(r.left, 9 * g - g / 2);
    EXPECT_EQ(r.right, 10 * g + g / 2);
    EXPECT_EQ(r.top, 9 * g - g / 2);
    CWire wire(POINT{0, 0}, POINT{5, 0});
    r = wire.GetBoundsOnSheet(dc.get());
    EXPECT_EQ(r.left, -g / 3);
    EXPECT_EQ(r.right, 5 * g + g / 3);
    auto* bus = static_cast<CBus*>(FindFirst(m_board, NodeType::Bus));
    r = bus->GetBoundsOnSheet(dc.get());
    EXPECT_EQ(r.top, 14 * g - g / 5);
    EXPECT_EQ(r.right, 40 * g + g / 5);
}

TEST_F(SheetDrawTest, HitTests) {
    auto* bus = static_cast<CBus*>(FindFirst(m_board, NodeType::Bus));
    // Half a step rounds away from zero: y 14.5 rounds to 15.
    EXPECT_EQ(bus->HitTestOnSheet(dc.get(), 1000, 14 * g + g / 2 - 1), bus);
    EXPECT_EQ(bus->HitTestOnSheet(dc.get(), 1000, 14 * g + g / 2), nullptr);
    EXPECT_EQ(bus->HitTestOnSheet(dc.get(), 40 * g, 14 * g), bus);
    EXPECT_EQ(bus->HitTestOnSheet(dc.get(), 41 * g, 14 * g), nullptr);
    bus->m_direction = L'N';
    EXPECT_EQ(bus->HitTestOnSheet(dc.get(), 1000, 14 * g), nullptr);

    CPart* part = PartOf(0);
    EXPECT_EQ(part->HitTestOnSheet(dc.get(), 12 * g, 9 * g), part);
    auto* text = part->GetPackage()->FindText(L"RefDes");
    const RECT tr = text->GetDisplayRect(dc.get(), part);
    EXPECT_EQ(part->HitTestOnSheet(dc.get(), tr.left + 1, tr.top + 1), text);
    text->m_visible = false;
    EXPECT_EQ(text->HitTestOnSheet(dc.get(), tr.left + 1, tr.top + 1), nullptr);
    EXPECT_NE(part->HitTestOnSheet(dc.get(), tr.left + 1, tr.top + 1), text);
    // In the symbol editor the body is not hit, only pins.
    part->m_pSheet = nullptr;
    EXPECT_EQ(part->HitTestOnSheet(dc.get(), 12 * g, 9 * g), nullptr);
    EXPECT_EQ(part->HitTestOnSheet(dc.get(), 9 * g + 100, 9 * g), PinOf(0, 0));
    part->m_pSheet = main;

    CWire wire(POINT{0, 0}, POINT{5, 0});
    EXPECT_TRUE(wire.ContainsPoint(POINT{3, 0}, false));
    EXPECT_FALSE(wire.ContainsPoint(POINT{5, 0}, false));
    EXPECT_TRUE(wire.ContainsPoint(POINT{5, 0}, true));
    EXPECT_FALSE(wire.ContainsPoint(POINT{3, 1}, true));
    EXPECT_EQ(wire.HitTestOnSheet(dc.get(), 3 * g, g / 3), &wire);
    EXPECT_EQ(wire.HitTestOnSheet(dc.get(), 3 * g, g / 3 + 1), nullptr);
}

TEST_F(SheetDrawTest, RepaintRectangles) {
    m_view.invalidations.clear();
    CWire* w = AddWire(main, POINT{15, 9}, POINT{19, 9});
    m_view.invalidations.clear();
    w->InvalidateOnSheet(dc.get());
    ASSERT_EQ(m_view.invalidations.size(), 1u);
    RECT expected = SheetPaint::Grown(RECT{15 * g, 9 * g, 19 * g, 9 * g},
                                      static_cast<int>(main->m_dotDiameter / 2));
    dc->LPtoDP(&expected);
    expected = SheetPaint::Normalized(expected);
    EXPECT_EQ(m_view.invalidations[0].rect.left, expected.left);
    EXPECT_EQ(m_view.invalidations[0].rect.bottom, expected.bottom);
    EXPECT_TRUE(m_view.invalidations[0].erase);
    // A part repaints its bounds, its pins and its package's texts.
    m_view.invalidations.clear();
    PartOf(0)->InvalidateOnSheet(dc.get());
    EXPECT_EQ(m_view.invalidations.size(), 1u + 2 * 3 + 1);
    // Off the sheet nothing.
    m_view.invalidations.clear();
    w->m_pSheet = nullptr;
    w->InvalidateOnSheet(dc.get());
    EXPECT_TRUE(m_view.invalidations.empty());
    w->m_pSheet = main;
}

} // namespace
