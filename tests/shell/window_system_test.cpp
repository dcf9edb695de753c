// The main window and its dialogs as the desktop's window system treats
// them. The program runs twice: on a bare X server, and under a window
// manager (VORPEL_WINDOW_MANAGER, started by scripts/on_x_server.sh), where
// the user restores the maximised main window and drags at a dialog's frame.
// Where no window manager runs, the checks of what one does are skipped.
#include "core/node_type.h"
#include "core/subtree_walk.h"
#include "dialogs/options.h"
#include "dialogs/sel_part.h"
#include "dialogs/settings_commands.h"
#include "platform/command_bar.h"
#include "platform/dialog.h"
#include "platform/monitors.h"
#include "platform/window_manager.h"
#include "schematic/package.h"
#include "shell/left_tab_view.h"
#include "tests/dialogs/options_test_util.h"
#include "tests/focus_input.h"
#include "tests/screen_user.h"
#include "tests/shell/frame_fixture.h"

#include <cstdlib>
#include <functional>
#include <memory>

namespace {

using options_test::ClickListEntry;
using options_test::ClickTab;

constexpr int kSchematicColorsTab = 1;

bool UnderWindowManager() {
    return std::getenv("VORPEL_WINDOW_MANAGER") != nullptr;
}

class WindowSystemTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        if (UnderWindowManager())
            ASSERT_TRUE(ProcessEventsUntil([] { return WindowManagerRunning(); }))
                << "the window manager never took the screen";
        else
            ASSERT_FALSE(WindowManagerRunning());
    }
    static RECT WorkArea() {
        const std::vector<MonitorInfo> monitors = GetMonitors();
        return monitors.empty() ? RECT{} : monitors.front().work;
    }
    static int Width(const RECT& r) { return r.right - r.left; }
    static int Height(const RECT& r) { return r.bottom - r.top; }
};

// Restoring the main window, maximised at the start as the program starts,
// gives it a normal place inside the working area: smaller than the screen
// and with the window manager's title bar on it.
TEST_F(WindowSystemTest, TheMaximisedMainWindowRestoresInsideTheWorkArea) {
    ASSERT_TRUE(g_MainFrame.CreateFrame(L"", RECT{0, 0, 1280, 800}));
    g_MainFrame.ShowMaximized();
    const RECT area = WorkArea();
    ASSERT_TRUE(ProcessEventsUntil([&] {
        const RECT r = g_MainFrame.GetWindowRect();
        return g_MainFrame.IsMaximized() && Width(r) > 1280 && Height(r) > 800;
    })) << "never maximised";
    const RECT maximised = FrameOnScreen(g_MainFrame);
    EXPECT_EQ(Width(maximised), Width(area));
    EXPECT_EQ(Height(maximised), Height(area));
    if (!WindowManagerRunning())
        GTEST_SKIP() << "restoring is the window manager's";

    RequestRestoreFromWindowManager(&g_MainFrame);
    ASSERT_TRUE(ProcessEventsUntil([&] {
        const RECT r = g_MainFrame.GetWindowRect();
        return !g_MainFrame.IsMaximized() && Width(r) < Width(area) && Height(r) < Height(area);
    })) << "never restored";
    PumpPendingMessages();
    const RECT frame = FrameOnScreen(g_MainFrame);
    const RECT client = g_MainFrame.GetWindowRect();
    // The title bar lies above the window, on the screen.
    EXPECT_LT(frame.top, client.top);
    EXPECT_GE(frame.left, area.left);
    EXPECT_GE(frame.top, area.top);
    EXPECT_LE(frame.right, area.right);
    EXPECT_LE(frame.bottom, area.bottom);
    EXPECT_LT(Width(frame), Width(area));
    EXPECT_LT(Height(frame), Height(area));
}

// The dialogs stand as laid out: a drag at the frame that would shrink or
// enlarge one (hiding OK and Cancel, or leaving empty space) leaves it as it
// is.
TEST_F(WindowSystemTest, DialogsKeepTheSizeTheyAreLaidOutAt) {
    if (!WindowManagerRunning())
        GTEST_SKIP() << "resizing by the frame is the window manager's";
    StartFrame();
    struct Case {
        const char* name;
        std::function<void()> run;
    };
    const Case cases[] = {
        {"Select Part",
         [] {
             std::unique_ptr<CPackage> package;
             int part = 0;
             RunSelPart(L"", L"", &g_MainFrame, &package, &part);
         }},
        {"Options", [] { RunOptionsSheet(&g_MainFrame); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            d.ShowWindow(true);
            // Shown once the window manager has framed it.
            ASSERT_TRUE(ProcessEventsUntil([&] {
                const RECT f = FrameOnScreen(d);
                return d.IsWindowVisible() && Height(f) > Height(d.GetWindowRect());
            })) << "never framed";
            const RECT laidOut = d.GetWindowRect();
            for (const SIZE to : {SIZE{Width(laidOut) / 2, Height(laidOut) / 2},
                                  SIZE{Width(laidOut) + 200, Height(laidOut) + 150}}) {
                RequestResizeFromWindowManager(&d, to);
                const bool changed = ProcessEventsUntil(
                    [&] {
                        const RECT now = d.GetWindowRect();
                        return Width(now) != Width(laidOut) || Height(now) != Height(laidOut);
                    },
                    1500);
                EXPECT_FALSE(changed) << "resized to " << Width(d.GetWindowRect()) << "x"
                                      << Height(d.GetWindowRect());
            }
            d.EndDialog(IDCANCEL);
        });
        c.run();
    }
}

// Runs a piece of the test from the program's own event loop once it runs,
// so that a modal dialog is driven while it waits as it does for a user.
class LaterInTheLoop : public PlatformWindow {
public:
    explicit LaterInTheLoop(std::function<void()> run) : run_(std::move(run)) {
        Create(nullptr, RECT{0, 0, 10, 10}, L"", WS_POPUP);
        SetTimer(1, 50);
    }
    ~LaterInTheLoop() override { DestroyWindow(); }
    bool ran = false;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (msg != WM_TIMER || wParam != 1)
            return PlatformWindow::ProcessWindowMessage(msg, wParam, lParam, result);
        KillTimer(1);
        ran = true;
        run_();
        result = 0;
        return true;
    }

private:
    std::function<void()> run_;
};

// After the colour chooser of the Options and the Options themselves are
// left with Esc, the keys go to the view that had them: Undo is enabled
// again and Ctrl+Z undoes the view's change.
TEST_F(WindowSystemTest, TheViewHasTheKeysBackAfterTheColourChooserAndTheOptions) {
    StartFrame();
    Command(ID_NEW_PROJECT);
    CTreeNode* node = AddNode(g_MainFrame.GetRoot(0), L"Block", L"A");
    CRecordingView* view = OpenView(node, kViewSchematic, kDocumentProject);
    Rename(view, node, L"B");
    g_MainFrame.m_tabWindow.SetFocus();
    ASSERT_TRUE(ProcessEventsUntil([] { return KeyboardFocusWindow() != nullptr; }));
    RunIdleHandlers();
    ASSERT_TRUE(g_MainFrame.UIIsEnabled(ID_EDIT_UNDO));

    bool chooserShown = false;
    auto drive = [&] {
        // The Options wait for the user, with the keyboard.
        PlatformWindow* focus = PlatformWindow::GetFocus();
        auto* sheet = focus ? dynamic_cast<COptions*>(focus->GetTopLevel()) : nullptr;
        ASSERT_NE(sheet, nullptr);
        // Whatever fails, the Options close and the test goes on.
        struct Closer {
            COptions* sheet;
            ~Closer() {
                if (sheet->IsWindow())
                    sheet->EndDialog(IDCANCEL);
            }
        } closer{sheet};
        ASSERT_TRUE(ProcessEventsUntil([&] {
            PlatformWindow* keys = KeyboardFocusWindow();
            return keys && keys->GetTopLevel() == sheet;
        })) << "the Options never had the keys";
        ClickTab(*sheet, kSchematicColorsTab);
        {
            // The real colour chooser, left with Esc.
            ScopedKeyPresser esc("Escape");
            ClickListEntry(sheet->m_schematicColors, CColorPage::kList, 6, true);
            chooserShown = true;
        }
        ASSERT_TRUE(ProcessEventsUntil([&] {
            PlatformWindow* focus = KeyboardFocusWindow();
            return !sheet->IsWindow() || (focus && focus->GetTopLevel() == sheet);
        })) << "the Options never had the keys back";
        PressKeyAtFocus(VK_ESCAPE);
    };
    // The command from the program's own loop, as the menu gives it.
    bool ran = false;
    LaterInTheLoop menu([&] {
        LaterInTheLoop user(drive);
        Command(ID_OPTIONS_OPTIONS);
        ran = user.ran;
        PostQuitMessage(0);
    });
    RunMessageLoop();
    ASSERT_TRUE(ran);
    ASSERT_TRUE(chooserShown);
    ProcessEventsUntil([] {
        PlatformWindow* focus = KeyboardFocusWindow();
        return focus && focus->GetTopLevel() == &g_MainFrame;
    });
    EXPECT_EQ(PlatformWindow::GetFocus(), &g_MainFrame.m_tabWindow);
    RunIdleHandlers();
    EXPECT_TRUE(g_MainFrame.UIIsEnabled(ID_EDIT_UNDO));
    PressKeyAtFocus('Z', MK_CONTROL);
    EXPECT_EQ(node->GetText(), L"A");
}

// A row of the project tree clicked and Esc pressed: the keys are the
// tree's, and the frame's accelerators are not translated there (Ctrl+S
// saves nothing), but Alt with a menu's letter opens that menu of the menu
// bar as it does everywhere else, at the focus and from the keyboard of the
// X server alike.
TEST_F(WindowSystemTest, AltWithAMenusLetterOpensItWhileATreeHasTheFocus) {
    StartFrame();
    std::string demo;
    ASSERT_TRUE(ReadWholeFile(
        PathJoin(PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples"), L"demo.circuit"), demo));
    const std::wstring path = WriteFile(L"demo.circuit", demo);
    ASSERT_TRUE(g_MainFrame.Open(path, 0));
    const std::wstring saved = PathJoin(scratch, L"k.circuit");
    g_MainFrame.GetRoot(0).SetFilePath(saved);
    const CTreeNode* main = nullptr;
    ForEachInSubtree(static_cast<const CTreeNode*>(&g_MainFrame.GetRoot(0)),
                     [&](const CTreeNode* node) {
                         if (node->GetType() == NodeType::Sheet && node->GetText() == L"Main")
                             main = node;
                         return !main;
                     });
    ASSERT_NE(main, nullptr);
    g_MainFrame.m_leftPane.SelectTab(0);
    CLeftTabView& tree = *g_MainFrame.m_leftPane.GetTree(0);
    const HTREEITEM item = tree.FindItem(main);
    ASSERT_NE(item, nullptr);
    tree.EnsureVisible(item);
    RECT r{};
    ASSERT_TRUE(tree.GetItemRect(item, &r, true));
    ClickAt(&tree, POINT{r.left - 8, (r.top + r.bottom) / 2});
    tree.KillTimer(TreeViewControl::kEditTimerId);
    ASSERT_TRUE(ProcessEventsUntil([&] { return KeyboardFocusWindow() == &tree; }));
    PressKeyAtFocus(VK_ESCAPE);
    std::vector<const PopupMenu*> shown;
    SetPopupMenuHook([&](const PopupMenu& menu, POINT) -> UINT {
        shown.push_back(&menu);
        return 0;
    });
    PressKeyAtFocus('S', MK_CONTROL);
    EXPECT_FALSE(FileExists(saved)) << "Ctrl+S saved from the tree";
    CommandBarControl& bar = g_MainFrame.m_commandBar;
    ASSERT_EQ(bar.GetMenuText(2), L"View");
    PressKeyAtFocus('V', 0, true);
    ASSERT_EQ(shown.size(), 1u) << "Alt+V opened no menu";
    EXPECT_EQ(shown[0], bar.GetMenu(2));
    if (OnRealDisplay()) {
        // The server's keyboard types into the window that has the server's
        // focus: the main window has it first, the tree still the keys
        // inside (a window manager on a busy machine may hand it over late,
        // or once more elsewhere: it is asked again then).
        const auto focused = [&] {
            return HasServerFocus(g_MainFrame) && KeyboardFocusWindow() == &tree;
        };
        for (int attempt = 0; attempt < 3 && shown.size() < 2; ++attempt) {
            if (!focused())
                RequestActivationFromWindowManager(&g_MainFrame);
            ASSERT_TRUE(ProcessEventsUntil(focused))
                << "the main window never had the keyboard focus of the X server";
            ASSERT_EQ(std::system("xdotool key alt+v"), 0);
            ProcessEventsUntil([&] { return shown.size() > 1 || !HasServerFocus(g_MainFrame); });
        }
        ASSERT_GT(shown.size(), 1u) << "Alt+V on the keyboard opened no menu";
        EXPECT_EQ(shown.back(), bar.GetMenu(2));
    }
    EXPECT_EQ(KeyboardFocusWindow(), &tree);
    EXPECT_FALSE(FileExists(saved));
}

} // namespace
