// Thousands of random user actions on the example library in three symbol
// editors at once: clicks, drags, keys, tool changes, menu picks, rows of
// the property panel, the unit bar, the clipboard, power pins, zoom, pan,
// undo and redo. Nothing may crash or touch freed memory (the sanitizers
// watch), and undoing everything in every view gives the original bytes,
// redoing everything the bytes before the undoing.
#include "tests/views/half_made_check.h"
#include "tests/views/symbol_view_fixture.h"

#include "core/property_edit.h"
#include "dialogs/add_power_pin.h"
#include "tests/random_seed.h"
#include "views/part_board.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <set>

namespace {

constexpr int kTools[] = {ID_TOOL_SELECT,   ID_SYM_SELECT_OUTLINE, ID_SYM_SELECT_PIN,
                          ID_SYM_PLACE_PIN, ID_DRAW_LINE,          ID_DRAW_RECTANGLE,
                          ID_DRAW_POLYGON,  ID_DRAW_ELLIPSE,       ID_DRAW_ARC,
                          ID_DRAW_CURVE,    ID_DRAW_TEXT};
const wchar_t* const kTexts[] = {L"",  L"A",      L"D12", L"3", L"0", L"7,8",
                                 L"x", L"Gate 1", L"-2",  L"2", L"1", L"VCC"};
constexpr UINT kMenuAnswers[] = {0, 32860, 32861, 32862, ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE};

class RandomSession : public SymbolViewTest {
protected:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    POINT RandomPoint() { return AtTenths(Pick(130) - 40, Pick(100) - 40); }

    // A row of whatever the panel shows gets a new value, as typed or
    // chosen; rows of other kinds are left alone.
    void RandomRow() {
        CPropertyGrid& panel = Panel();
        if (panel.GetRowCount() == 0 || panel.IsEditing())
            return;
        const int row = Pick(panel.GetRowCount());
        CPropertyItem* item = panel.GetItem(row);
        if (auto* combo = dynamic_cast<CPropertyComboBase*>(item)) {
            panel.BeginEditRow(row);
            if (combo->GetEditor() && combo->GetEditor()->GetCount() > 0)
                combo->GetEditor()->SetCurSel(Pick(combo->GetEditor()->GetCount()));
        } else if (auto* edit = dynamic_cast<CPropertyEdit*>(item)) {
            panel.BeginEditRow(row);
            if (edit->GetEditor())
                edit->GetEditor()->SetWindowText(kTexts[Pick(std::size(kTexts))]);
        }
        if (PlatformWindow::GetFocus() && panel.IsEditing())
            PressInFocus(VK_RETURN);
    }

    void RandomKey() {
        switch (Pick(12)) {
        case 0:
            Key(VK_ESCAPE);
            break;
        case 1:
            Key(VK_DELETE);
            break;
        case 2:
            Key('H');
            break;
        case 3:
            Key('V');
            break;
        case 4:
            SetKeyState(VK_SHIFT, Pick(2) == 0);
            Key('R', IsKeyDown(VK_SHIFT) ? MK_SHIFT : 0);
            SetKeyState(VK_SHIFT, false);
            break;
        case 5:
            Key(VK_LEFT + Pick(4));
            break;
        case 6:
            Key(Pick(2) ? VK_LEFT : VK_RIGHT, 0, true); // units
            break;
        case 7:
            Key(VK_RETURN);
            if (Panel().IsEditing()) {
                SimulateTyping(PlatformWindow::GetFocus(), L"N7");
                PressInFocus(Pick(2) ? VK_RETURN : VK_ESCAPE);
            }
            break;
        case 8:
            Key('C', MK_CONTROL);
            break;
        case 9:
            Key('X', MK_CONTROL);
            break;
        case 10:
            Key('V', MK_CONTROL);
            break;
        default:
            Key('A' + Pick(26), 0, true); // the tools' Alt letters
            break;
        }
    }

    void RandomEvent() {
        switch (Pick(16)) {
        case 0:
            Tool(kTools[Pick(std::size(kTools))]);
            break;
        case 1:
        case 2:
            Click(RandomPoint(), Pick(4) == 0 ? MK_CONTROL : 0);
            break;
        case 3:
        case 4:
            Drag(RandomPoint(), RandomPoint(), 1 + Pick(5));
            break;
        case 5:
            Move(RandomPoint());
            break;
        case 6:
        case 7:
            RandomKey();
            break;
        case 8: {
            std::vector<UINT> answers;
            for (int i = 0; i < 2; ++i)
                answers.push_back(kMenuAnswers[Pick(std::size(kMenuAnswers))]);
            AnswerMenus(answers);
            RightClick(RandomPoint());
            break;
        }
        case 9:
            RandomRow();
            break;
        case 10:
            if (CPartBoard* bar = view->GetPartBoard(); bar && bar->IsWindowVisible()) {
                PlatformWindow* button =
                    bar->GetDlgItem(Pick(2) ? CPartBoard::kNext : CPartBoard::kPrevious);
                SimulateMouse(button, WM_LBUTTONDOWN, POINT{3, 3}, MK_LBUTTON);
                SimulateMouse(button, WM_LBUTTONUP, POINT{3, 3});
                PumpPendingMessages();
            }
            break;
        case 11:
            undone = true;
            if (Pick(3) == 0)
                Redo();
            else
                Undo();
            break;
        case 12:
            Command(std::array<int, 5>{ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_ZOOM_ALL,
                                       ID_VIEW_ZOOM_IN_AT_CURSOR,
                                       ID_VIEW_ZOOM_OUT_AT_CURSOR}[Pick(5)]);
            break;
        case 13:
            if (Panel().GetShownObject() == static_cast<CProperty*>(view)) {
                const int rows = Panel().GetRowCount();
                const int row = Pick(2) ? CSymbolView::kRowPowerPins : Pick(std::max(rows, 1));
                if (dynamic_cast<CPropertyEditAndButton*>(Panel().GetItem(row)))
                    ClickRowButton(row);
            }
            break;
        case 14:
            views[static_cast<size_t>(Pick(static_cast<int>(views.size())))] =
                Open(names[static_cast<size_t>(Pick(static_cast<int>(names.size())))]);
            break;
        default: {
            const POINT a = ClientOf(RandomPoint()), b = ClientOf(RandomPoint());
            SimulateMouse(view, WM_MBUTTONDOWN, a, MK_MBUTTON);
            SimulateMouse(view, WM_MOUSEMOVE, b, MK_MBUTTON);
            SimulateMouse(view, WM_MBUTTONUP, b);
            break;
        }
        }
        if (Pick(200) == 0) {
            // The shown tab closes in the middle of whatever is under way;
            // No takes its package back to where it was saved.
            const auto shown = std::find(views.begin(), views.end(), view);
            if (shown != views.end()) {
                ui.Answer({IDNO});
                Command(ID_WINDOW_CLOSE);
                ui.DropAnswers();
                const size_t i = static_cast<size_t>(shown - views.begin());
                views[i] = Open(names[i]);
            }
        }
        // The texts still being typed in any of the views are under way.
        // An undo may give back a text as it was while it floated (one
        // dropped after its value was edited): the events are checked
        // until the first undo.
        std::set<const CTreeNode*> typing;
        for (CVorpelView* v : g_MainFrame.m_tabWindow.GetViews())
            if (auto* symbols = dynamic_cast<CSymbolView*>(v))
                typing.insert(symbols->GetFloatingText());
        if (!undone)
            ExpectNoEmptyTexts(&Library(), "event", typing);
        if (Pick(20) == 0) {
            // Now and then the view is painted, with whatever is under way.
            auto image = PaintTarget::CreateImage(320, 240);
            view->RenderTo(*image);
        }
    }

    // VORPEL_RANDOM_SEED replays another walk.
    RandomSeed seed{20261207u};
    std::mt19937 rng{seed.Value()};
    bool undone = false;
    std::vector<std::wstring> names{L"RES", L"NAND2", L"GND"};
    std::vector<CSymbolView*> views{nullptr, nullptr, nullptr};
};

} // namespace

TEST_F(RandomSession, ThousandsOfRandomEventsEndInUndoToTheOriginalBytes) {
    LoadDemo();
    const std::string original = Save();
    ScopedModalDialogHook hook([this](PlatformDialog& d) {
        if (Pick(3) == 0) {
            d.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return;
        }
        d.SetDlgItemText(CAddPowerPin::kNetName, kTexts[Pick(std::size(kTexts))]);
        d.SetDlgItemText(CAddPowerPin::kPinNumbers, kTexts[Pick(std::size(kTexts))]);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        if (!d.IsEnded()) // an empty net name keeps the dialog open
            d.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    // Menus opened by Alt and a letter are answered too.
    AnswerMenus({});
    for (size_t i = 0; i < names.size(); ++i)
        views[i] = Open(names[i]);
    constexpr int kEvents = 3000;
    for (int i = 0; i < kEvents && !HasFailure(); ++i)
        RandomEvent();
    // Every view ends what it has under way and undoes its whole history,
    // then redoes it.
    for (const std::wstring& name : names) {
        Open(name);
        for (int i = 0; i < 3; ++i)
            Key(VK_ESCAPE);
        Tool(ID_TOOL_SELECT);
    }
    const std::string worked = Save();
    std::vector<size_t> undone;
    for (const std::wstring& name : names) {
        Open(name);
        // Each step stops at one that does nothing (the view refusing).
        size_t steps = 0;
        for (size_t n = view->GetUndoList().UndoCount(); n > 0;
             n = view->GetUndoList().UndoCount(), ++steps) {
            Undo();
            if (view->GetUndoList().UndoCount() == n)
                break;
        }
        EXPECT_FALSE(view->GetUndoList().CanUndo()) << WideToUtf8(name);
        undone.push_back(steps);
    }
    EXPECT_EQ(Save(), original);
    // As many steps as were undone: undos of the walk may have left more.
    for (size_t i = 0; i < names.size(); ++i) {
        Open(names[i]);
        for (size_t n = 0; n < undone[i]; ++n)
            Redo();
    }
    EXPECT_EQ(Save(), worked);
}
