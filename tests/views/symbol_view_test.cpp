// The symbol editor driven as a user drives it: each scenario compares the
// saved library after the gestures, after undoing everything (the original
// bytes) and after redoing everything.
#include "tests/views/symbol_view_fixture.h"

#include "dialogs/add_power_pin.h"
#include "platform/button_control.h"
#include "platform/dc_recorder.h"
#include "platform/device_context.h"
#include "resources/menus_symbol.h"
#include "schematic/text.h"
#include "views/part_board.h"

#include <cmath>
#include <cstdint>

namespace {

// A package of one part, outline w by h, with the given pins and drawing.
std::string OnePart(const std::string& name, const std::string& outline, const std::string& drawing,
                    const std::string& pins) {
    return "  <SymbolFolder>Test\n    <Package>" + name + "\n      <Part Outline=\"" + outline +
           "\">" + drawing + "\n" + pins + "      </Part>\n    </Package>\n  </SymbolFolder>\n";
}

std::string PinLine(const std::string& attributes, const std::string& place) {
    return "        <Pin " + attributes + ">" + place + "</Pin>\n";
}

} // namespace

// --- Pins ---------------------------------------------------------------------------------

namespace {

// The device box of everything the view's drawing code draws, as shown in
// its window (texts by the corners of their cells, turned as drawn); texts
// counts the texts.
RECT DrawnBox(CSymbolView* view, int* texts) {
    auto dc = view->MakeDC();
    dc->SetViewportOrg(view->GetScrollOffset().x, view->GetScrollOffset().y);
    DcRecorder recorder;
    dc->SetRecorder(&recorder);
    view->Draw(dc.get());
    std::vector<POINT> points;
    for (const DcRecord& r : recorder.Records()) {
        if (r.op != DcOp::Text) {
            points.insert(points.end(), r.device.begin(), r.device.end());
            continue;
        }
        ++*texts;
        const double a = r.font.lfEscapement / 10.0 * 3.14159265358979 / 180.0;
        const double w = r.textCell.right - r.textCell.left;
        const double h = r.textCell.bottom - r.textCell.top;
        for (const auto& [dx, dy] : {std::pair{0.0, 0.0}, {w, 0.0}, {0.0, h}, {w, h}})
            points.push_back(POINT{
                r.textOrigin.x + static_cast<int>(std::lround(dx * std::cos(a) + dy * std::sin(a))),
                r.textOrigin.y +
                    static_cast<int>(std::lround(-dx * std::sin(a) + dy * std::cos(a)))});
    }
    RECT box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (const POINT p : points) {
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x);
        box.bottom = std::max(box.bottom, p.y);
    }
    return box;
}

} // namespace

TEST_F(SymbolViewTest, PinsGoOnEachSideAndCountOnFromTheLastPin) {
    LoadText(OnePart("CHIP", "4,4", "", PinLine("Name=\"D0\" Num=\"1\"", "L0")));
    const std::string original = Save();
    Open(L"CHIP");
    Tool(ID_SYM_PLACE_PIN);
    EXPECT_EQ(g_MainFrame.UIGetCheck(ID_SYM_PLACE_PIN), 1);
    EXPECT_EQ(g_MainFrame.UIGetCheck(ID_SYM_SELECT_PIN), 0);
    ASSERT_NE(view->GetFloatingPin(), nullptr);
    EXPECT_EQ(Panel().GetShownObject(), static_cast<CProperty*>(view->GetFloatingPin()));

    Click(AtGrid(-1, 2)); // left of the outline
    Click(AtGrid(1, 5));  // above it
    Click(AtGrid(5, 3));  // right of it
    Click(AtGrid(3, -1)); // below it
    Click(AtGrid(-3, 9)); // left and far above: clamped to the top corner
    Move(AtGrid(2, 2));   // inside the outline the floating pin stays put
    EXPECT_EQ(view->GetFloatingPin()->m_side, L'L');
    EXPECT_EQ(view->GetFloatingPin()->m_offset, 4);
    Key(VK_ESCAPE);
    EXPECT_EQ(view->GetFloatingPin(), nullptr);
    EXPECT_EQ(view->GetCurrentTool(), ID_SYM_SELECT_PIN);

    const std::string expected = Replaced(
        original, PinLine("Name=\"D0\" Num=\"1\"", "L0"),
        PinLine("Name=\"D0\" Num=\"1\"", "L0") + PinLine("Name=\"D1\" Num=\"2\"", "L2") +
            PinLine("Name=\"D2\" Num=\"3\"", "T1") + PinLine("Name=\"D3\" Num=\"4\"", "R3") +
            PinLine("Name=\"D4\" Num=\"5\"", "B3") + PinLine("Name=\"D5\" Num=\"6\"", "L4"));
    ExpectUndoRedo(original, expected);
}

// A click on an edge, or just inside it, puts the pin on that edge; a
// corner takes the side edge.
TEST_F(SymbolViewTest, APinClickedOnAnEdgeGoesOnThatEdge) {
    LoadText(OnePart("CHIP", "4,4", "", PinLine("Name=\"D0\" Num=\"1\"", "L3")));
    const std::string original = Save();
    Open(L"CHIP");
    Tool(ID_SYM_PLACE_PIN);
    const struct {
        double x, y;
        const char* place;
    } clicks[] = {{0, 1, "L1"}, {2, 3.8, "T2"}, {4, 3, "R3"}, {1.2, 0.1, "B1"}, {0.1, 0.2, "L0"}};
    std::string pins = PinLine("Name=\"D0\" Num=\"1\"", "L3");
    for (const auto& c : clicks) {
        Click(AtGrid(c.x, c.y));
        const int n = static_cast<int>(&c - clicks) + 1;
        pins += PinLine("Name=\"D" + std::to_string(n) + "\" Num=\"" + std::to_string(n + 1) + "\"",
                        c.place);
    }
    Key(VK_ESCAPE);
    ExpectUndoRedo(original, Replaced(original, PinLine("Name=\"D0\" Num=\"1\"", "L3"), pins));
}

TEST_F(SymbolViewTest, APinOnAnotherPinsPlaceIsRefusedAndKeepsFloating) {
    LoadText(
        OnePart("CHIP", "4,4", "",
                PinLine("Name=\"D7\" Num=\"8\"", "L0") + PinLine("Name=\"X\" Num=\"3,9\"", "R1")));
    const std::string original = Save();
    Open(L"CHIP");
    Tool(ID_SYM_PLACE_PIN);
    // The next pin after X (pads 3 and 9) takes number 10 and no name.
    EXPECT_EQ(view->GetFloatingPin()->GetPadNames(), L"10");
    EXPECT_EQ(view->GetFloatingPin()->m_name, L"");
    Click(AtGrid(-1, 0));
    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].text, L"Overlayed pins!");
    EXPECT_EQ(ui.messageBoxes[0].caption, L"Vorpel");
    EXPECT_EQ(ui.messageBoxes[0].Icon(), MB_ICONSTOP);
    ASSERT_NE(view->GetFloatingPin(), nullptr);
    EXPECT_EQ(view->GetFloatingPin()->m_side, L'L');
    EXPECT_EQ(view->GetFloatingPin()->m_offset, 0);
    // Undo waits while a pin floats.
    Undo();
    EXPECT_NE(view->GetFloatingPin(), nullptr);
    Key(VK_ESCAPE);
    EXPECT_EQ(Save(), original);
    EXPECT_TRUE(view->GetUndoList().IsAtSavedState()) << "nothing is left to undo";
}

TEST_F(SymbolViewTest, SelectedPinsSlideAlongTheOutlineAndAreDeleted) {
    LoadText(OnePart("CHIP", "4,4", "",
                     PinLine("Name=\"A\" Num=\"1\"", "L1") + PinLine("Name=\"B\" Num=\"2\"", "L3") +
                         PinLine("Name=\"C\" Num=\"3\"", "R2")));
    const std::string original = Save();
    Open(L"CHIP");
    EXPECT_EQ(view->GetCurrentTool(), ID_SYM_SELECT_PIN);
    // Drag pin A from L1 down the left side to the corner, then round it.
    Drag(AtGrid(-0.5, 1), AtGrid(-0.5, 0));
    const std::string slid = Replaced(original, PinLine("Name=\"A\" Num=\"1\"", "L1"),
                                      PinLine("Name=\"A\" Num=\"1\"", "L0"));
    EXPECT_EQ(Save(), slid);
    // A band round both left pins selects them; Enter edits a single pin
    // only, so it does nothing here; Delete takes both.
    Drag(AtGrid(-3, -0.5), AtGrid(-0.5, 3.5));
    CPart* part = view->GetShownPart();
    EXPECT_TRUE(part->GetChild(0)->IsSelected());
    EXPECT_TRUE(part->GetChild(1)->IsSelected());
    EXPECT_FALSE(part->GetChild(2)->IsSelected());
    Key(VK_DELETE);
    const std::string deleted = Replaced(Replaced(slid, PinLine("Name=\"A\" Num=\"1\"", "L0"), ""),
                                         PinLine("Name=\"B\" Num=\"2\"", "L3"), "");
    EXPECT_EQ(Save(), deleted);
    // Enter opens the name of the one selected pin.
    Click(AtGrid(4.5, 2));
    Key(VK_RETURN);
    EXPECT_TRUE(Panel().IsEditing());
    EXPECT_EQ(Panel().GetShownObject(),
              static_cast<CProperty*>(static_cast<CPin*>(part->GetChild(0))));
    PressInFocus(VK_ESCAPE);
    ExpectUndoRedo(original, deleted);
}

// A pin renamed in its row with Enter hands the keyboard back to the view:
// Undo is offered at once and Ctrl+Z and Ctrl+Y take the rename back and
// forth.
TEST_F(SymbolViewTest, AfterAPinsRowIsTakenCtrlZUndoesIt) {
    LoadText(OnePart("CHIP", "4,4", "", PinLine("Name=\"A\" Num=\"1\"", "L1")));
    const std::string original = Save();
    Open(L"CHIP");
    Click(AtGrid(-0.5, 1));
    Key(VK_RETURN);
    ASSERT_TRUE(Panel().IsEditing());
    TypeAtFocus(L"CLK");
    Key(VK_RETURN);
    const std::string renamed = Replaced(original, PinLine("Name=\"A\" Num=\"1\"", "L1"),
                                         PinLine("Name=\"CLK\" Num=\"1\"", "L1"));
    EXPECT_EQ(Save(), renamed);
    RunIdleHandlers();
    EXPECT_TRUE(g_MainFrame.UIIsEnabled(ID_EDIT_UNDO));
    Key('Z', MK_CONTROL);
    EXPECT_EQ(Save(), original);
    Key('Y', MK_CONTROL);
    EXPECT_EQ(Save(), renamed);
}

// --- Outline --------------------------------------------------------------------------------

TEST_F(SymbolViewTest, TheLeftEdgeShrinksWithTheDrawingKeptInPlace) {
    LoadDemo();
    const std::string original = Save();
    Open(L"RES");
    Tool(ID_SYM_SELECT_OUTLINE);
    CPart* part = view->GetShownPart();
    CPin* right = static_cast<CPin*>(part->GetChild(1));
    const POINT before = ClientOf(POINT{right->GetConnectionPoint().x * G(), G()});
    Drag(AtGrid(0, 1), AtGrid(1, 1));
    const POINT after = ClientOf(POINT{right->GetConnectionPoint().x * G(), G()});
    EXPECT_NEAR(after.x, before.x, 1) << "the drawing keeps its place on the screen";
    EXPECT_NEAR(after.y, before.y, 1);
    const std::string expected = Replaced(
        original, "<Part Outline=\"4,2\">RC0,0,40,20 L-10,10,0,10 L40,10,50,10 TEXTR12,-4:R",
        "<Part Outline=\"3,2\">RC-10,0,30,20 L-20,10,-10,10 L30,10,40,10 TEXTR2,-4:R");
    ExpectUndoRedo(original, expected);
}

TEST_F(SymbolViewTest, TheBottomEdgeShiftsTheSidePinsAndTheTopEdgeGrows) {
    LoadDemo();
    const std::string original = Save();
    Open(L"RES");
    Tool(ID_SYM_SELECT_OUTLINE);
    Drag(AtGrid(2, 0), AtGrid(2, 1));
    // The pins at offset 1 of a height of 1 now sit at 0; one more step up
    // would leave them below the outline (and the outline without height).
    Drag(AtGrid(2, 0), AtGrid(2, 1));
    std::string expected = Replaced(
        original, "<Part Outline=\"4,2\">RC0,0,40,20 L-10,10,0,10 L40,10,50,10 TEXTR12,-4:R",
        "<Part Outline=\"4,1\">RC0,-10,40,10 L-10,0,0,0 L40,0,50,0 TEXTR12,-14:R");
    expected = Replaced(expected, "<Pin Name=\"A\" Num=\"1\">L1</Pin>",
                        "<Pin Name=\"A\" Num=\"1\">L0</Pin>");
    expected = Replaced(expected, "<Pin Name=\"B\" Num=\"2\">R1</Pin>",
                        "<Pin Name=\"B\" Num=\"2\">R0</Pin>");
    EXPECT_EQ(Save(), expected);
    // The top edge goes up two steps; what is drawn does not move.
    CPin* left = static_cast<CPin*>(view->GetShownPart()->GetChild(0));
    const POINT before = ClientOf(POINT{-G(), left->GetConnectionPoint().y * G()});
    Drag(AtGrid(2, 1), AtGrid(2, 3));
    const POINT after = ClientOf(POINT{-G(), left->GetConnectionPoint().y * G()});
    EXPECT_NEAR(after.y, before.y, 1);
    expected = Replaced(expected, "<Part Outline=\"4,1\">", "<Part Outline=\"4,3\">");
    ExpectUndoRedo(original, expected);
}

// Moving the left or the top edge out moves the view's origin with it.
// Undo puts the outline back where it was on the screen as well as in the
// file, and Redo where the drag left it.
TEST_F(SymbolViewTest, UndoAndRedoOfTheLeftAndTopEdgesKeepTheOutlineOnTheScreen) {
    const std::string kRes =
        "<Part Outline=\"4,2\">RC0,0,40,20 L-10,10,0,10 L40,10,50,10 TEXTR12,-4:R";
    struct Case {
        const char* edge;
        POINT from, to; // grid points of the part
        const char* part;
    };
    const Case cases[] = {
        {"left",
         {0, 1},
         {-1, 1},
         "<Part Outline=\"5,2\">RC10,0,50,20 L0,10,10,10 L50,10,60,10 TEXTR22,-4:R"},
        {"top",
         {2, 2},
         {2, 3},
         "<Part Outline=\"4,3\">RC0,0,40,20 L-10,10,0,10 L40,10,50,10 TEXTR12,-4:R"},
    };
    LoadDemo();
    const std::string original = Save();
    Open(L"RES");
    Tool(ID_SYM_SELECT_OUTLINE);
    CPart* part = view->GetShownPart();
    // The outline's bottom left and top right corners in the window.
    auto corners = [&] {
        const POINT a = ClientOf(AtGrid(0, 0));
        const POINT b = ClientOf(AtGrid(part->m_size.cx, part->m_size.cy));
        return std::vector<int>{a.x, a.y, b.x, b.y};
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edge);
        const std::vector<int> before = corners();
        Drag(AtGrid(c.from.x, c.from.y), AtGrid(c.to.x, c.to.y));
        const std::string expected = Replaced(original, kRes, c.part);
        ASSERT_EQ(Save(), expected);
        const std::vector<int> dragged = corners();
        Key('Z', MK_CONTROL);
        EXPECT_EQ(Save(), original);
        EXPECT_EQ(corners(), before);
        Key('Y', MK_CONTROL);
        EXPECT_EQ(Save(), expected);
        EXPECT_EQ(corners(), dragged);
        Key('Z', MK_CONTROL); // the next edge starts from the original
    }
}

TEST_F(SymbolViewTest, EdgesStopAtPinsAndAtTheOppositeEdge) {
    LoadText(OnePart("CHIP", "4,2", "L0,0,40,20", PinLine("Name=\"T\" Num=\"1\"", "T4")) +
             OnePart("BARE", "2,2", "", ""));
    const std::string original = Save();
    Open(L"CHIP");
    Tool(ID_SYM_SELECT_OUTLINE);
    // Moving the right edge left past the top pin in its corner is refused.
    Drag(AtGrid(4, 1), AtGrid(2, 1));
    EXPECT_EQ(Save(), original);
    EXPECT_EQ(view->GetUndoList().UndoCount(), 0u) << "a refused change records nothing";
    EXPECT_TRUE(view->GetShownPart()->IsSelected()) << "the grabbed outline shows selected";

    // Without pins the right edge still stops one step short of the left.
    Open(L"BARE");
    Tool(ID_SYM_SELECT_OUTLINE);
    Drag(AtGrid(2, 1), AtGrid(-1, 1), 1);
    EXPECT_EQ(Save(), original);
    Drag(AtGrid(2, 1), AtGrid(1, 1));
    Drag(AtGrid(1, 1), AtGrid(0, 1));        // no outline of width 0
    Drag(AtGrid(0, 0.5), AtGrid(2, 0.5), 1); // the left edge past the right one
    const std::string expected = Replaced(original, "<Package>BARE\n      <Part Outline=\"2,2\"/>",
                                          "<Package>BARE\n      <Part Outline=\"1,2\"/>");
    ExpectUndoRedo(original, expected);
}

// --- Drawing tools ---------------------------------------------------------------------------

TEST_F(SymbolViewTest, EachDrawingToolMakesItsPrimitive) {
    LoadText(OnePart("CHIP", "4,4", "", ""));
    const std::string original = Save();
    Open(L"CHIP");
    Tool(ID_DRAW_LINE);
    EXPECT_EQ(g_MainFrame.UIGetCheck(ID_DRAW_LINE), 1);
    Click(AtTenths(5, 5));
    Click(AtTenths(25, 15));
    Tool(ID_DRAW_RECTANGLE);
    Click(AtTenths(0, 0));
    Click(AtTenths(20, 10));
    Tool(ID_DRAW_POLYGON);
    Click(AtTenths(0, 0));
    Click(AtTenths(20, 0));
    Click(AtTenths(20, 20));
    Click(AtTenths(0, 0)); // back on the first vertex closes it
    Click(AtTenths(30, 0));
    Click(AtTenths(40, 10));
    Tool(ID_DRAW_ELLIPSE); // ends the second polygon with its two points
    Click(AtTenths(10, 10));
    Click(AtTenths(30, 30));
    Tool(ID_DRAW_ARC);
    Click(AtTenths(0, 0));
    Click(AtTenths(20, 20));
    Click(AtTenths(20, 10));
    Click(AtTenths(10, 20));
    Tool(ID_DRAW_CURVE);
    Drag(AtTenths(0, 0), AtTenths(10, 20));
    Move(AtTenths(40, 0));
    Press(AtTenths(40, 0));
    Move(AtTenths(30, 20), MK_LBUTTON);
    Release(AtTenths(30, 20));
    Key(VK_ESCAPE);
    EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
    EXPECT_EQ(view->GetPrimitiveInProgress(), nullptr);
    // The writer wraps the long drawing at a blank.
    const std::string expected = Replaced(
        original, "<Part Outline=\"4,4\"/>",
        "<Part Outline=\"4,4\">L5,5,25,15 RCO0,0,20,10 POLYOC0,0,20,0,20,20 POLYOC30,0,40,10 "
        "CIRCO10,10,30,30 ARC0,0,20,20,20,10,10,20\n      CURVE0,0,10,20,30,20,40,0\n      "
        "</Part>");
    ExpectUndoRedo(original, expected);
}

TEST_F(SymbolViewTest, TheTextToolDrawsInsideAndLeavesPackageTextsOutside) {
    LoadText(OnePart("CHIP", "4,4", "", ""));
    const std::string original = Save();
    Open(L"CHIP");
    Tool(ID_DRAW_TEXT);
    ASSERT_NE(view->GetFloatingText(), nullptr);
    ASSERT_TRUE(Panel().IsEditing()) << "the value row opens at once";
    SimulateTyping(PlatformWindow::GetFocus(), L"Q1");
    Click(AtTenths(10, 10));
    const int raise = view->MakeDC()->GetTextExtentPoint32(L"Q1").cy * 10 / G();
    ASSERT_NE(view->GetFloatingText(), nullptr) << "the text stays for more";
    // Texts of the package follow the pointer in tenths, unsnapped: the
    // point is the middle of a tenth.
    Click(AtGrid(6.05, 1.05));
    ASSERT_NE(view->GetFloatingText(), nullptr) << "a new text follows";
    EXPECT_TRUE(Panel().IsEditing());
    Key(VK_ESCAPE); // closes the value's editor
    Key(VK_ESCAPE); // ends the tool
    const std::string expected =
        Replaced(original, "<Part Outline=\"4,4\"/>\n",
                 "<Part Outline=\"4,4\">TEXTR10," + std::to_string(10 + raise) +
                     ":Q1</Part>\n      <Text XY=\"60,10\">Q1</Text>\n");
    ExpectUndoRedo(original, expected);
}

// A text left outside the outline and the value typed while it floated
// are one action: no undo leaves an empty text, which no one could see or
// pick again.
TEST_F(SymbolViewTest, APackageTextAndItsValueAreUndoneTogether) {
    LoadText(OnePart("CHIP", "4,4", "", ""));
    const std::string original = Save();
    Open(L"CHIP");
    Tool(ID_DRAW_TEXT);
    SimulateTyping(PlatformWindow::GetFocus(), L"Q1");
    Click(AtGrid(6.05, 1.05));
    Key(VK_ESCAPE);
    Key(VK_ESCAPE);
    const std::string placed = Save();
    ASSERT_NE(placed.find("<Text XY=\"60,10\">Q1</Text>"), std::string::npos) << placed;
    // Picked again, it keeps its value when the row is emptied.
    Tool(ID_TOOL_SELECT);
    Click(AtGrid(6.5, 1.3));
    ASSERT_NE(dynamic_cast<CText*>(Panel().GetShownObject()), nullptr);
    EditRow(0, L"");
    EXPECT_EQ(Save(), placed);
    Undo();
    EXPECT_EQ(Save(), original);
    Redo();
    EXPECT_EQ(Save(), placed);
}

// The package's texts are picked in the symbol editor by a click or a band
// of Select object and edited in their rows; the other select tools keep to
// pins and the outline.
TEST_F(SymbolViewTest, PackageTextsArePickedByClickAndBandAndEdited) {
    LoadDemo();
    const std::string original = Save();
    Open(L"RES");
    CPackage* package = Package(L"RES");
    auto text = [&](int i) { return static_cast<CText*>(package->GetChild(i)); };
    CText* refDes = text(1);
    CText* value = text(2);
    ASSERT_EQ(refDes->GetText(), L"R?");
    ASSERT_EQ(value->GetText(), L"10k");
    const RECT r = refDes->GetDisplayRect(view->MakeDC().get(), view->GetShownPart());
    const POINT onRefDes{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    Click(onRefDes);
    Tool(ID_SYM_SELECT_OUTLINE);
    Click(onRefDes);
    EXPECT_FALSE(refDes->IsSelected()) << "pins and the outline only";
    Tool(ID_TOOL_SELECT);
    Click(onRefDes);
    ASSERT_TRUE(refDes->IsSelected());
    EXPECT_EQ(Panel().GetShownObject(), static_cast<CProperty*>(refDes));
    EditRow(0, L"RN?");
    // A band from the left of the value into it picks it alone.
    const RECT v = value->GetDisplayRect(view->MakeDC().get(), view->GetShownPart());
    const int y = (v.top + v.bottom) / 2;
    Drag(POINT{v.left - 2 * G(), y}, POINT{v.left + G() / 2, y + 1});
    EXPECT_TRUE(value->IsSelected());
    EXPECT_FALSE(refDes->IsSelected());
    Key(VK_RETURN);
    ASSERT_TRUE(Panel().IsEditing());
    TypeAtFocus(L"4k7");
    Key(VK_RETURN);
    ExpectUndoRedo(original, Replaced(Replaced(original, ">R?</Text>", ">RN?</Text>"),
                                      "\">10k</Text>", "\">4k7</Text>"));
}

// --- Selection and transforms ----------------------------------------------------------------

TEST_F(SymbolViewTest, TransformsTurnTheSelectionAboutTheMeanOfItsBoxCentres) {
    LoadText(OnePart("CHIP", "6,4", "L0,0,20,0 RC30,0,40,10 L0,30,10,30", ""));
    const std::string original = Save();
    Open(L"CHIP");
    Tool(ID_TOOL_SELECT);
    // A band round the first two primitives.
    Drag(AtTenths(-5, -5), AtTenths(45, 15));
    EXPECT_FALSE(view->HasRubberBand());
    Key('H');
    AnswerMenus({ID_SYM_MIRROR_VERTICALLY, ID_SYM_ROTATE});
    RightClick(AtTenths(34, 4));
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].FindItem(ID_EDIT_PASTE)->flags & MF_GRAYED, MF_GRAYED)
        << "nothing to paste yet";
    EXPECT_EQ(menus[0].FindItem(ID_SYM_ROTATE)->flags & MF_GRAYED, 0u);
    EXPECT_EQ(PlatformWindow::GetCapture(), nullptr) << "the right button's capture is released";
    RightClick(AtTenths(34, 4));
    std::string expected =
        Replaced(original, "L0,0,20,0 RC30,0,40,10", "L24,-22,24,-2 RC24,8,14,18");
    ExpectUndoRedo(original, expected);
    // Clicking one primitive selects it alone; a vertex drags on its own.
    Click(AtTenths(5, 30));
    Drag(AtTenths(10, 30), AtTenths(10, 40));
    EXPECT_EQ(Save(), Replaced(expected, "L0,30,10,30", "L0,30,10,40"));
    Undo();
    // Delete takes the one selected primitive.
    Key(VK_DELETE);
    EXPECT_EQ(Save(), Replaced(expected, " L0,30,10,30", ""));
}

TEST_F(SymbolViewTest, CopyInOneViewPastesInAnotherAndUndoRemovesOnlyThePaste) {
    LoadText(OnePart("ONE", "6,4", "L0,0,20,0 RC30,0,40,10", "") +
             OnePart("TWO", "4,4", "L0,0,0,40", ""));
    const std::string original = Save();
    CSymbolView* first = Open(L"ONE");
    Tool(ID_TOOL_SELECT);
    Click(AtTenths(30, 5)); // on the rectangle's left edge
    Key('C', MK_CONTROL);
    ASSERT_EQ(SymbolClipboard().size(), 1u);
    Open(L"TWO");
    ASSERT_NE(view, first);
    Tool(ID_TOOL_SELECT);
    Move(AtTenths(10, 10));
    Key('V', MK_CONTROL);
    const std::string expected = Replaced(original, "L0,0,0,40", "L0,0,0,40 RC10,10,20,20");
    EXPECT_EQ(Save(), expected);
    Undo();
    EXPECT_EQ(Save(), original) << "the copy itself changed nothing";
    Redo();
    // Cut takes the pasted rectangle again; paste puts it back elsewhere.
    Key('X', MK_CONTROL);
    EXPECT_EQ(Save(), original);
    Move(AtTenths(0, 20));
    Key('V', MK_CONTROL);
    ExpectUndoRedo(original, Replaced(original, "L0,0,0,40", "L0,0,0,40 RC0,20,10,30"));
}

// --- Units and the package rows -----------------------------------------------------------------

namespace {
std::string UnitText(int i) {
    return "      <Part Outline=\"" + std::to_string(2 + i) + ",2\">L0,0," +
           std::to_string(10 * i) + ",0\n" +
           PinLine("Name=\"P\" Num=\"" + std::to_string(i + 1) + "\"", "L1") + "      </Part>\n";
}
std::string FourUnits(const std::string& attributes) {
    std::string parts;
    for (int i = 0; i < 4; ++i)
        parts += UnitText(i);
    return "  <SymbolFolder>Test\n    <Package" + attributes + ">QUAD\n" + parts +
           "      <Text Name=\"RefDes\" XY=\"0,-10\">U?</Text>\n    </Package>\n  "
           "</SymbolFolder>\n";
}
} // namespace

TEST_F(SymbolViewTest, TheBarStepsThroughTheUnitsWithoutChangingTheFile) {
    LoadText(FourUnits(" Heterogeneous=\"1\" PartPerPackage=\"4\""));
    const std::string original = Save();
    Open(L"QUAD");
    CPartBoard* bar = view->GetPartBoard();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->IsWindowVisible());
    EXPECT_EQ(bar->GetDlgItemText(CPartBoard::kNumber), L"1");
    const SIZE packageSize = Package(L"QUAD")->m_size;
    auto press = [&](int id) {
        SimulateMouse(bar->GetDlgItem(id), WM_LBUTTONDOWN, POINT{3, 3}, MK_LBUTTON);
        SimulateMouse(bar->GetDlgItem(id), WM_LBUTTONUP, POINT{3, 3});
        PumpPendingMessages();
    };
    press(CPartBoard::kPrevious);
    EXPECT_EQ(bar->GetDlgItemText(CPartBoard::kNumber), L"1");
    for (int i = 0; i < 4; ++i)
        press(CPartBoard::kNext);
    EXPECT_EQ(bar->GetDlgItemText(CPartBoard::kNumber), L"4");
    EXPECT_EQ(view->GetShownUnit(), 3);
    EXPECT_EQ(view->GetDocumentExtent().cx, 5 * G()) << "the fourth unit is 5 wide";
    Key(VK_LEFT, 0, true); // Alt+Left
    EXPECT_EQ(view->GetShownUnit(), 2);
    Key(VK_RIGHT, 0, true);
    EXPECT_EQ(view->GetShownUnit(), 3);
    EXPECT_EQ(Save(), original) << "stepping is no change of the library";
    EXPECT_EQ(Package(L"QUAD")->m_size.cx, packageSize.cx);
    EXPECT_TRUE(view->GetUndoList().IsAtSavedState());

    // Stepping while a line is being drawn abandons the line.
    Tool(ID_DRAW_LINE);
    Click(AtTenths(0, 0));
    Move(AtTenths(10, 10));
    press(CPartBoard::kPrevious);
    EXPECT_EQ(view->GetPrimitiveInProgress(), nullptr);
    EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
    EXPECT_EQ(view->GetShownUnit(), 2);
    EXPECT_EQ(Save(), original);
}

TEST_F(SymbolViewTest, PartsPerPackageGrowsShrinksAndRefusesLessThanOne) {
    LoadText(FourUnits(" PartPerPackage=\"4\""));
    const std::string original = Save();
    Open(L"QUAD");
    ASSERT_EQ(Panel().GetShownObject(), static_cast<CProperty*>(view));
    ASSERT_EQ(Panel().GetTitle(), L"Package Properties");
    view->StepUnit(3);
    EditRow(CSymbolView::kRowPartsPerPackage, L"2");
    EXPECT_EQ(view->GetShownUnit(), 1) << "the shown unit was taken away";
    EXPECT_EQ(view->GetPartBoard()->GetDlgItemText(CPartBoard::kNumber), L"2");
    EXPECT_TRUE(view->GetPartBoard()->IsWindowVisible());
    EditRow(CSymbolView::kRowPartsPerPackage, L"0");
    EditRow(CSymbolView::kRowPartsPerPackage, L"two");
    EXPECT_EQ(ui.beeps.size(), 2u);
    EXPECT_EQ(Package(L"QUAD")->GetPartCount(), 2);
    EditRow(CSymbolView::kRowPartsPerPackage, L"1");
    EXPECT_FALSE(view->GetPartBoard()->IsWindowVisible());
    EXPECT_EQ(view->GetShownUnit(), 0);
    std::string one = original;
    one = Replaced(one, " PartPerPackage=\"4\"", "");
    for (int i = 1; i < 4; ++i)
        one = Replaced(one, UnitText(i), "");
    EXPECT_EQ(Save(), one);
    // Growing adds empty parts of the first part's outline after the last.
    EditRow(CSymbolView::kRowPartsPerPackage, L"3");
    const std::string three = Replaced(
        Replaced(one, "<Package>QUAD", "<Package PartPerPackage=\"3\">QUAD"), "      </Part>\n",
        "      </Part>\n      <Part Outline=\"2,2\"/>\n      <Part Outline=\"2,2\"/>\n");
    ExpectUndoRedo(original, three);
}

TEST_F(SymbolViewTest, ImageSwitchesBetweenSharedAndOwnDrawings) {
    LoadDemo();
    const std::string original = Save();
    Open(L"NAND2");
    ChooseRow(CSymbolView::kRowImage, 0); // Homogeneous
    std::string shared = Replaced(original, " Heterogeneous=\"1\"", "");
    shared = Replaced(shared, "<Part Outline=\"4,4\">ARC-20,0,20,40,0,40,0,0 L0,0,0,40\n",
                      "<Part Outline=\"4,4\">\n");
    EXPECT_EQ(Save(), shared);
    ChooseRow(CSymbolView::kRowImage, 1); // each part its own copy again
    const std::string own =
        Replaced(original, "<Part Outline=\"4,4\">ARC-20,0,20,40,0,40,0,0 L0,0,0,40\n",
                 "<Part Outline=\"4,4\">ARC-20,0,20,40,0,40,0,0 L0,0,0,40 CIRC40,15,50,25 "
                 "TEXTR5,15:&amp;\n");
    ExpectUndoRedo(original, own);
    // The footprint row renames the default footprint.
    EditRow(CSymbolView::kRowFootprint, L"DIP14");
    EXPECT_EQ(Save(), Replaced(own, "Footprint=\"SO14\"", "Footprint=\"DIP14\""));
}

TEST_F(SymbolViewTest, PowerPinsAreAddedEditedAndDeletedFromTheirRows) {
    LoadDemo();
    const std::string original = Save();
    Open(L"RES");
    {
        ScopedModalDialogHook hook([](PlatformDialog& d) {
            d.SetDlgItemText(CAddPowerPin::kNetName, L"VDD");
            d.SetDlgItemText(CAddPowerPin::kPinNumbers, L"8,16");
            d.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        ClickRowButton(CSymbolView::kRowPowerPins);
    }
    const std::string texts =
        "      <Text BrdVisible=\"0\" Layer=\"AST\" Name=\"PartNum\" Pos=\"0,1.5\" "
        "Visible=\"0\">RC0805</Text>\n";
    std::string expected =
        Replaced(original, texts, texts + "      <Pin NetName=\"VDD\" Num=\"8,16\"/>\n");
    EXPECT_EQ(Save(), expected);
    ASSERT_EQ(Panel().GetRowCount(), 5);
    EXPECT_EQ(Panel().GetItem(4)->GetName(), L"VDD");
    {
        // Cancel adds nothing.
        ScopedModalDialogHook hook([](PlatformDialog& d) {
            d.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        ClickRowButton(CSymbolView::kRowPowerPins);
    }
    EditRow(4, L"8");
    expected = Replaced(expected, "Num=\"8,16\"", "Num=\"8\"");
    EXPECT_EQ(Save(), expected);
    ClickRowButton(4);
    EXPECT_EQ(Panel().GetRowCount(), 4);
    ExpectUndoRedo(original, original);
    Undo();
    EXPECT_EQ(Save(), expected);
}

// --- Faults found and mended
// ----------------------------------------------------------

TEST_F(SymbolViewTest, APackageWithoutPartsDrawsNothingAndItsBarIsInert) {
    LoadText("  <SymbolFolder>Test\n    <Package>EMPTY\n    </Package>\n  </SymbolFolder>\n");
    const std::string original = Save();
    Open(L"EMPTY");
    EXPECT_EQ(view->GetShownPart(), nullptr);
    EXPECT_EQ(view->GetShownUnit(), 0);
    EXPECT_FALSE(view->GetPartBoard()->IsWindowVisible());
    EXPECT_EQ(view->GetPartBoard()->GetDlgItemText(CPartBoard::kNumber), L"");
    view->GetPartBoard()->Step(1);
    view->GetPartBoard()->Step(-1);
    EXPECT_EQ(view->GetShownUnit(), 0);
    for (int tool :
         {ID_SYM_PLACE_PIN, ID_DRAW_LINE, ID_DRAW_TEXT, ID_SYM_SELECT_OUTLINE, ID_TOOL_SELECT}) {
        Tool(tool);
        Click(AtGrid(1, 1));
        Drag(AtGrid(0, 0), AtGrid(2, 2));
    }
    Key(VK_ESCAPE);
    auto image = PaintTarget::CreateImage(400, 300);
    view->RenderTo(*image);
    EXPECT_EQ(Save(), original);
}

TEST_F(SymbolViewTest, ZoomAllFitsTheOutlineWithItsPinsAndStopsAtTheSmallestScale) {
    LoadDemo();
    Open(L"RES");
    const RECT c = view->GetClientRect();
    Command(ID_VIEW_ZOOM_ALL);
    const POINT a = ClientOf(AtGrid(-1, -1)), z = ClientOf(AtGrid(5, 3));
    EXPECT_GE(std::min(a.x, z.x), 0);
    EXPECT_LE(std::max(a.x, z.x), c.right);
    EXPECT_GE(std::min(a.y, z.y), 0);
    EXPECT_LE(std::max(a.y, z.y), c.bottom);
    EXPECT_NEAR((a.x + z.x) / 2, c.right / 2, 2) << "centred";
    // One step closer and what is drawn would not fit any more.
    const int factor = view->GetZoomFactor(), mode = view->GetZoomMode();
    view->SetZoom(mode ? factor * 2 : factor / 2, mode ? 1 : factor / 2 > 1 ? 0 : 1);
    int texts = 0;
    const RECT closer = DrawnBox(view, &texts);
    EXPECT_TRUE(closer.right - closer.left > c.right || closer.bottom - closer.top > c.bottom);

    // A window without room keeps its zoom.
    view->SetZoom(8, 1);
    view->MoveWindow(RECT{0, 0, 0, 0});
    view->ZoomAll();
    EXPECT_EQ(view->GetZoomFactor(), 8);
    EXPECT_EQ(view->GetZoomMode(), 1);
}

// Zoom All fits everything the view draws of a demo symbol: the drawing
// and its texts, the pins with their names and numbers, the package's texts
// ("10k" above the resistor) and a power symbol's net name.
TEST_F(SymbolViewTest, ZoomAllFitsEverythingDrawnWithTheTexts) {
    LoadDemo();
    for (const wchar_t* name : {L"RES", L"NAND2", L"GND"}) {
        SCOPED_TRACE(WideToUtf8(name));
        Open(name);
        Command(ID_VIEW_ZOOM_ALL);
        const RECT c = view->GetClientRect();
        int texts = 0;
        const RECT box = DrawnBox(view, &texts);
        EXPECT_GE(texts, 2);
        EXPECT_GE(box.left, 0);
        EXPECT_GE(box.top, 0);
        EXPECT_LE(box.right, c.right);
        EXPECT_LE(box.bottom, c.bottom);
    }
}

TEST_F(SymbolViewTest, ZoomAllOfAnOutlineTooLargeForAnyScaleEndsAtTheSmallest) {
    LoadText(OnePart("HUGE", "20000,20000", "", ""));
    Open(L"HUGE");
    // No file gives one this large (the reader keeps an outline within
    // 20000 grid steps): it is made larger in the model.
    view->GetShownPart()->m_size = SIZE{3000000, 3000000};
    Command(ID_VIEW_ZOOM_ALL);
    EXPECT_EQ(view->GetZoomFactor(), CVorpelView::kMaxZoomFactor);
    EXPECT_EQ(view->GetZoomMode(), 0);
}

TEST_F(SymbolViewTest, WorkUnderWayIsNeverDeletedHalfDoneOrLeftBehind) {
    LoadDemo();
    const std::string original = Save();
    Open(L"RES");
    // A polygon of a single point is not kept.
    Tool(ID_DRAW_POLYGON);
    Click(AtTenths(5, 5));
    Key(VK_ESCAPE);
    EXPECT_EQ(Save(), original);
    // A text without a value is placed nowhere.
    Tool(ID_DRAW_TEXT);
    Key(VK_ESCAPE); // the value's editor
    Click(AtTenths(10, 10));
    EXPECT_EQ(ui.beeps.size(), 1u);
    Key(VK_ESCAPE);
    EXPECT_EQ(Save(), original);
    // Delete leaves the line being drawn alone; Esc then drops it.
    Tool(ID_DRAW_LINE);
    Click(AtTenths(0, 0));
    Key(VK_DELETE);
    ASSERT_NE(view->GetPrimitiveInProgress(), nullptr);
    Key(VK_ESCAPE);
    EXPECT_EQ(Save(), original);
    // A floating pin whose name was typed goes with a record of its own.
    Tool(ID_SYM_PLACE_PIN);
    Move(AtGrid(2, 3));
    EditRow(0, L"EN");
    Key(VK_ESCAPE);
    EXPECT_EQ(view->GetFloatingPin(), nullptr);
    EXPECT_EQ(Save(), original);
    UndoAll();
    EXPECT_EQ(Save(), original);
    // A view closed while a pin floats takes the pin with it.
    Tool(ID_SYM_PLACE_PIN);
    Move(AtGrid(2, 3));
    ASSERT_TRUE(g_MainFrame.m_tabWindow.CloseTab(g_MainFrame.m_tabWindow.FindTab(view), false));
    view = nullptr;
    EXPECT_EQ(Save(), original);
}

TEST_F(SymbolViewTest, APackageOfOnePartKeepsItsBarHiddenAtOne) {
    LoadDemo();
    Open(L"RES");
    CPartBoard* bar = view->GetPartBoard();
    EXPECT_FALSE(bar->IsWindowVisible());
    bar->Step(1);
    bar->Step(-1);
    EXPECT_EQ(bar->GetDlgItemText(CPartBoard::kNumber), L"1");
    EXPECT_EQ(view->GetShownUnit(), 0);
}
