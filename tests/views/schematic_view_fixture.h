// Shared set-up of the schematic editor tests: the program's frame on the
// offscreen platform with a scratch profile, a project loaded from a file
// (the example, or one written by the test), its sheet opened in the
// schematic view, and the user's gestures on that view: clicks, moves and
// drags at grid points, keys through the tab window that holds the focus,
// commands through the frame, menu choices and message boxes answered by
// hooks. Save() gives the document as the writer writes it.
#pragma once

#include "board/board.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/device_context.h"
#include "platform/file.h"
#include "platform/input_simulation.h"
#include "platform/key_state.h"
#include "platform/message_loop.h"
#include "platform/popup_menu.h"
#include "platform/settings_store.h"
#include "platform/text.h"
#include "resources/command_ids.h"
#include "schematic/bus.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/pin.h"
#include "schematic/sheet.h"
#include "schematic/text.h"
#include "schematic/wire.h"
#include "shell/main_frame.h"
#include "tests/focus_input.h"
#include "tests/pointer_input.h"
#include "tests/ui_hooks_recorder.h"
#include "views/editor_views.h"
#include "views/schematic_find.h"
#include "views/schematic_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class SchematicViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsStore::Reset();
        std::string dir = "/tmp/vorpel-schview-XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        scratch = PathFromNative(dir);
        ASSERT_TRUE(CreateDirectories(PathJoin(scratch, L"Documents")));
        setenv("VORPEL_DOCUMENTS_HOME", PathToNative(PathJoin(scratch, L"Documents")).c_str(), 1);
        ResetModelCounters();
        GetFindSettings() = FindSettings{};
        RegisterEditorViews();
        ASSERT_TRUE(g_MainFrame.CreateFrame(L"", RECT{0, 0, 1280, 800}));
        g_MainFrame.ShowWindow(true);
        PumpPendingMessages();
        SetPopupMenuHook([this](const PopupMenu& menu, POINT) -> UINT {
            menus.push_back(&menu);
            lastMenuItems.clear();
            for (const PopupMenu::Item& item : menu.Items())
                lastMenuItems.push_back(item);
            if (menuAnswers.empty())
                return 0;
            UINT id = menuAnswers.front();
            menuAnswers.pop_front();
            return id;
        });
    }
    void TearDown() override {
        if (g_MainFrame.IsWindow())
            g_MainFrame.DestroyWindow();
        PumpPendingMessages();
        SetPopupMenuHook(nullptr);
        ResetKeyState();
        GetFindSettings() = FindSettings{};
        unsetenv("VORPEL_DOCUMENTS_HOME");
        std::string cmd = "rm -rf '" + PathToNative(scratch) + "'";
        (void)std::system(cmd.c_str());
        SettingsStore::Reset();
    }

    static std::wstring ExamplePath() {
        return PathJoin(PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples"), L"demo.circuit");
    }
    // A project document around a board body.
    static std::string Project(const std::string& board) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Project>\r\n" + board +
               "</Project>\r\n";
    }

    // Loads the project at path into the frame and opens the sheet's view.
    CSchematicView* OpenProject(const std::wstring& path, const std::wstring& sheet = L"Main") {
        EXPECT_TRUE(g_MainFrame.Open(path, kDocumentProject));
        original = Save();
        board = static_cast<CBoard*>(FindFirst(&Root(), NodeType::Board));
        EXPECT_NE(board, nullptr);
        if (!board)
            return nullptr;
        return OpenSheet(sheet);
    }
    CSchematicView* OpenText(const std::string& xml, const std::wstring& sheet = L"Main") {
        const std::wstring path =
            PathJoin(scratch, L"test_" + std::to_wstring(++files) + L".circuit");
        EXPECT_TRUE(WriteWholeFile(path, xml));
        return OpenProject(path, sheet);
    }
    CSchematicView* OpenSheet(const std::wstring& name) {
        CSheet* sheet = FindSheetByName(board, name);
        EXPECT_NE(sheet, nullptr);
        view = OpenSchematicView(sheet);
        EXPECT_NE(view, nullptr);
        PumpPendingMessages();
        if (view) {
            // A zoom at which every grid point has pixels of its own.
            view->SetZoom(2, 1);
            view->SetScrollOffset(POINT{10, 10});
        }
        return view;
    }

    CRoot& Root() { return g_MainFrame.GetRoot(kDocumentProject); }
    std::string Save() {
        const std::wstring path = PathJoin(scratch, L"out_" + std::to_wstring(++files) + L".xml");
        CXmlFile file(&Root());
        EXPECT_TRUE(file.Save(path.c_str()));
        std::string bytes;
        EXPECT_TRUE(ReadWholeFile(path, bytes));
        return bytes;
    }

    static CTreeNode* FindFirst(CTreeNode* node, int type) {
        if (node->GetType() == type)
            return node;
        for (CTreeNode* child : node->GetChildren())
            if (CTreeNode* found = FindFirst(child, type))
                return found;
        return nullptr;
    }
    CSheet* Sheet() const { return view ? view->GetSheet() : nullptr; }
    CNet* Net(const std::wstring& name) const { return board->FindNet(name); }
    std::vector<CNet*> Nets() const {
        std::vector<CNet*> nets;
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Net)
                nets.push_back(static_cast<CNet*>(child));
        return nets;
    }
    std::vector<CPackage*> Packages() const {
        std::vector<CPackage*> packages;
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Package)
                packages.push_back(static_cast<CPackage*>(child));
        return packages;
    }
    CPackage* PackageByRefDes(const std::wstring& refDes) const {
        for (CPackage* package : Packages())
            if (CText* t = package->FindText(L"RefDes"); t && t->GetText() == refDes)
                return package;
        return nullptr;
    }
    // Wires of the shown sheet as "net:x1,y1,x2,y2" in set order.
    std::vector<std::wstring> WiresOnSheet() const {
        std::vector<std::wstring> out;
        for (CSheetObject* object : Sheet()->m_objects)
            if (object->GetType() == NodeType::Wire) {
                auto* w = static_cast<CWire*>(object);
                out.push_back((w->GetNet() ? w->GetNet()->GetName() : L"?") + L":" +
                              StrPrintf(L"%d,%d,%d,%d", w->GetStart().x, w->GetStart().y,
                                        w->GetEnd().x, w->GetEnd().y));
            }
        std::sort(out.begin(), out.end());
        return out;
    }

    // The netlist: each net's name with its pins (designator and pad names),
    // sorted.
    std::string Netlist() const {
        std::vector<std::string> lines;
        for (CNet* net : Nets()) {
            std::vector<std::string> pins;
            for (CPin* pin : net->m_pins) {
                CPackage* package = pin->GetPackage();
                CText* refDes = package ? package->FindText(L"RefDes") : nullptr;
                pins.push_back(WideToUtf8((refDes ? refDes->GetText() : L"?") + L"." +
                                          pin->GetPadNames() + L"/" + pin->m_name));
            }
            std::sort(pins.begin(), pins.end());
            std::string line = WideToUtf8(net->GetName()) + ":";
            for (const std::string& p : pins)
                line += " " + p;
            lines.push_back(line);
        }
        std::sort(lines.begin(), lines.end());
        std::string out;
        for (const std::string& l : lines)
            out += l + "\n";
        return out;
    }

    // Every wire end and pin of the shown sheet that meet, and every pin on
    // a wire, are in one net: the drawing and the netlist agree.
    void ExpectDrawingAgreesWithNets() const {
        for (CSheetObject* object : Sheet()->m_objects) {
            if (object->GetType() != NodeType::Part)
                continue;
            for (CTreeNode* child : object->GetChildren()) {
                if (child->GetType() != NodeType::Pin)
                    continue;
                auto* pin = static_cast<CPin*>(child);
                const POINT p = pin->GetConnectionPoint();
                for (CSheetObject* other : Sheet()->m_objects) {
                    if (other->GetType() != NodeType::Wire)
                        continue;
                    auto* wire = static_cast<CWire*>(other);
                    if (wire->ContainsPoint(p, true)) {
                        EXPECT_EQ(pin->m_pNet, wire->GetNet())
                            << "pin " << WideToUtf8(pin->m_name) << " at " << p.x << "," << p.y;
                    }
                }
            }
        }
    }

    // --- Gestures. -------------------------------------------------------
    POINT ClientAtLogical(POINT logical) const {
        std::unique_ptr<DeviceContext> dc = view->MakeDC();
        return view->LogicalToClient(dc.get(), logical);
    }
    POINT ClientAt(POINT grid) const {
        const int g = view->GetGrid();
        return ClientAtLogical(POINT{grid.x * g, grid.y * g});
    }
    // The view scrolled to show the grid point in its middle, and painted.
    void ShowInTheMiddle(POINT grid) {
        const RECT client = view->GetClientRect();
        const POINT at = ClientAt(grid);
        const POINT scroll = view->GetScrollOffset();
        view->SetScrollOffset(
            POINT{scroll.x + client.right / 2 - at.x, scroll.y + client.bottom / 2 - at.y});
        view->InvalidateRect(nullptr, true);
        PumpPendingMessages();
    }
    void MoveTo(POINT grid, WPARAM mk = 0) {
        MouseAt(view, WM_MOUSEMOVE, ClientAt(grid), mk);
        PumpPendingMessages();
    }
    void Click(POINT grid, WPARAM mk = 0) {
        MoveTo(grid, mk);
        MouseAt(view, WM_LBUTTONDOWN, ClientAt(grid), MK_LBUTTON | mk);
        MouseAt(view, WM_LBUTTONUP, ClientAt(grid), mk);
        PumpPendingMessages();
    }
    void DoubleClick(POINT grid, WPARAM mk = 0) {
        MoveTo(grid, mk);
        DoubleClickAt(view, ClientAt(grid), mk);
        PumpPendingMessages();
    }
    void Drag(POINT from, POINT to, WPARAM mk = 0) {
        MoveTo(from, mk);
        MouseAt(view, WM_LBUTTONDOWN, ClientAt(from), MK_LBUTTON | mk);
        MouseAt(view, WM_MOUSEMOVE, ClientAt(to), MK_LBUTTON | mk);
        MouseAt(view, WM_LBUTTONUP, ClientAt(to), mk);
        PumpPendingMessages();
    }
    // Right click with the menu answered by command (0: dismissed).
    void RightClick(POINT grid, UINT command) {
        menuAnswers.push_back(command);
        MoveTo(grid);
        MouseAt(view, WM_RBUTTONDOWN, ClientAt(grid), MK_RBUTTON);
        MouseAt(view, WM_RBUTTONUP, ClientAt(grid), 0);
        PumpPendingMessages();
        menuAnswers.clear();
    }
    // A key pressed on the keyboard: it goes wherever the focus is (the tab
    // window keeps it while the sheet is edited).
    void Key(int vk, WPARAM mk = 0, bool alt = false) {
        PressKeyAtFocus(vk, mk, alt);
        ResetKeyState();
    }
    // A command as a menu, toolbar button or accelerator sends it.
    void Command(int id) {
        g_MainFrame.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), 0), 0);
        PumpPendingMessages();
    }
    void Undo() { Command(ID_EDIT_UNDO); }
    void Redo() { Command(ID_EDIT_REDO); }

    // Do, undo, redo: after the action the document is saved as done; undo
    // (as many groups as the action made) gives the original bytes back and
    // redo the done ones.
    std::string DoUndoRedo(const std::function<void()>& action, int groups = 1) {
        const std::string before = Save();
        const size_t depth = view->GetUndoList().UndoCount();
        action();
        const std::string done = Save();
        EXPECT_TRUE(done != before) << "the action changed nothing";
        for (int i = 0; i < groups; ++i)
            Undo();
        const std::string undone = Save();
        EXPECT_TRUE(undone == before) << "undo leaves the document as it was:\n"
                                      << Difference(before, undone);
        EXPECT_EQ(view->GetUndoList().UndoCount(), depth);
        for (int i = 0; i < groups; ++i)
            Redo();
        const std::string redone = Save();
        EXPECT_TRUE(redone == done) << "redo gives the action's result again:\n"
                                    << Difference(done, redone);
        return done;
    }

    // The lines where two documents differ (for messages).
    static std::string Difference(const std::string& expected, const std::string& actual) {
        auto lines = [](const std::string& text) {
            std::vector<std::string> out;
            size_t at = 0;
            while (at < text.size()) {
                size_t end = text.find('\n', at);
                if (end == std::string::npos)
                    end = text.size();
                out.push_back(text.substr(at, end - at));
                at = end + 1;
            }
            return out;
        };
        const std::vector<std::string> a = lines(expected), b = lines(actual);
        std::string out;
        int shown = 0;
        for (size_t i = 0; i < std::max(a.size(), b.size()) && shown < 8; ++i) {
            const std::string x = i < a.size() ? a[i] : "(none)";
            const std::string y = i < b.size() ? b[i] : "(none)";
            if (x == y)
                continue;
            out += "  line " + std::to_string(i + 1) + ": expected " + x +
                   "\n           actual   " + y + "\n";
            ++shown;
        }
        return out;
    }
    void ExpectSame(const std::string& expected, const std::string& actual, const char* what = "") {
        EXPECT_TRUE(expected == actual) << what << "\n" << Difference(expected, actual);
    }

    // A line of a saved document, trimmed of its indent and line end.
    static bool HasLine(const std::string& xml, const std::string& line) {
        size_t at = 0;
        while ((at = xml.find(line, at)) != std::string::npos) {
            const size_t end = at + line.size();
            const bool startOk = at == 0 || xml[at - 1] == ' ' || xml[at - 1] == '\n';
            const bool endOk = end == xml.size() || xml[end] == '\r' || xml[end] == '\n';
            if (startOk && endOk)
                return true;
            at = end;
        }
        return false;
    }

    std::wstring scratch;
    std::string original;
    CBoard* board = nullptr;
    CSchematicView* view = nullptr;
    int files = 0;
    std::deque<UINT> menuAnswers;
    std::vector<const PopupMenu*> menus;
    std::vector<PopupMenu::Item> lastMenuItems;
    ScopedUiHooksRecorder ui;
};
