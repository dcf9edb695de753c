// Every dialog and property-sheet page on the screen, with the fonts the
// desktop has: each label, button, check box, radio button, group box title,
// list header and drop-down entry shows its text whole, and no control
// crosses a group box's frame.
#include "board/board.h"
#include "board/footprint.h"
#include "cam/cam_settings.h"
#include "cam/layer_select.h"
#include "cam/settings.h"
#include "core/length_unit.h"
#include "core/root.h"
#include "core/undo_list.h"
#include "core/xml_file.h"
#include "dialogs/about_dlg.h"
#include "dialogs/add_power_pin.h"
#include "dialogs/board_dialog.h"
#include "dialogs/cond_width.h"
#include "dialogs/directories.h"
#include "dialogs/drill_table.h"
#include "dialogs/footprint_generator.h"
#include "dialogs/load_footprint.h"
#include "dialogs/package_picture.h"
#include "dialogs/padstack_sheet.h"
#include "dialogs/sel_part.h"
#include "dialogs/settings_commands.h"
#include "dialogs/stackup.h"
#include "platform/file.h"
#include "platform/graphics.h"
#include "platform/graphics_recorder.h"
#include "platform/input_simulation.h"
#include "platform/paint_target.h"
#include "platform/property_sheet.h"
#include "platform/settings_store.h"
#include "tests/dialog_fit.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

namespace {

std::wstring Example(const wchar_t* name) {
    return PathJoin(PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples"), name);
}

class DialogFit : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsStore::Reset();
        ASSERT_TRUE(CXmlFile(&root_).Load(Example(L"demo.circuit").c_str()));
        board_ = static_cast<CBoard*>(root_.GetChildren()[0]);
    }
    void TearDown() override {
        SettingsStore::Reset();
        PumpPendingMessages();
    }

    // What the window shows now, every page of a property sheet in turn.
    void Look(PlatformDialog& d) {
        PumpPendingMessages();
        ++looked_;
        auto* sheet = dynamic_cast<PropertySheet*>(&d);
        for (int page = 0; page < (sheet ? sheet->GetPageCount() : 1); ++page) {
            if (sheet) {
                ASSERT_TRUE(sheet->SetActivePage(page)) << page;
                PumpPendingMessages();
            }
            const std::vector<std::string> found = dialog_fit::Problems(d);
            problems_.insert(found.begin(), found.end());
            controls_ += d.GetChildren().size();
        }
    }
    // Runs a modal dialog through run, looks at it and cancels it.
    void LookAtModal(const std::function<void()>& run) {
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            Look(d);
            d.EndDialog(IDCANCEL);
        });
        run();
    }

    CRoot root_;
    CBoard* board_ = nullptr;
    CUndoList undo_;
    ScopedUiHooksRecorder ui_;
    std::set<std::string> problems_;
    int looked_ = 0;
    size_t controls_ = 0;
};

struct Case {
    const char* name;
    std::function<void(CBoard*, CUndoList*)> run; // opens the dialog modally
};

const Case kCases[] = {
    {"Options", [](CBoard*, CUndoList*) { RunOptionsSheet(nullptr); }},
    {"Board settings",
     [](CBoard* b, CUndoList* u) {
         CBoardDialog(CBoardDialog::PrepareProperties(b, u), u).DoModal();
     }},
    {"Stackup", [](CBoard* b, CUndoList* u) { CStackup(b, u).DoModal(); }},
    {"Drill table", [](CBoard* b, CUndoList* u) { CDrillTable(b, u).DoModal(); }},
    {"Directories",
     [](CBoard*, CUndoList*) {
         CDirectories(DirectorySet{L"/home/user/Documents/Vorpel/Project/",
                                   L"/home/user/Documents/Vorpel/Lib/Symbol/",
                                   L"/home/user/Documents/Vorpel/Lib/Footprint/"})
             .DoModal();
     }},
    {"Select Part",
     [](CBoard*, CUndoList*) { CSelPart(L"/nonexistent/", L"/nonexistent").DoModal(); }},
    {"Load Footprint",
     [](CBoard*, CUndoList*) {
         CLoadFootprint(nullptr, L"/nonexistent/", L"/nonexistent").DoModal();
     }},
    {"Select padstack",
     [](CBoard*, CUndoList*) {
         CPadstackSheet(L"Select padstack")
             .Run(nullptr, CPadstackSheet::kLoadPage, Example(L"demo.footprint"), L"/tmp/",
                  kUnitMm);
     }},
    {"New SOIC", [](CBoard*, CUndoList*) { RunFootprintGenerator(PackageKind::Soic, nullptr); }},
    {"New QFP", [](CBoard*, CUndoList*) { RunFootprintGenerator(PackageKind::Qfp, nullptr); }},
    {"New BGA", [](CBoard*, CUndoList*) { RunFootprintGenerator(PackageKind::Bga, nullptr); }},
    {"New DIP", [](CBoard*, CUndoList*) { RunFootprintGenerator(PackageKind::Dip, nullptr); }},
    {"About", [](CBoard*, CUndoList*) { CAboutDlg().DoModal(); }},
    {"Add power pin", [](CBoard*, CUndoList*) { CAddPowerPin(L"VCC", L"7").DoModal(); }},
    {"Conductor width", [](CBoard*, CUndoList*) { CCondWidth(0.25f, kUnitMm).DoModal(); }},
    {"Gerber settings", [](CBoard*, CUndoList*) { CSettings(CamSettings{}).DoModal(); }},
    {"Select Layers", [](CBoard* b, CUndoList*) { CLayerSelect(b).DoModal(); }},
};

TEST_F(DialogFit, EveryTextShowsWholeAndNothingCrossesAGroupFrame) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        problems_.clear();
        looked_ = 0;
        controls_ = 0;
        LookAtModal([&] { c.run(board_, &undo_); });
        EXPECT_EQ(looked_, 1) << "the dialog did not open";
        EXPECT_GT(controls_, 2u);
        for (const std::string& p : problems_)
            ADD_FAILURE() << c.name << ": " << p;
    }
}

// The generators' pictures as their dialogs show them: every dimension
// letter lies whole inside the picture's frame.
TEST_F(DialogFit, EveryLetterOfAPackagePictureLiesInsideIt) {
    const struct {
        const char* name;
        PackageKind kind;
    } kinds[] = {{"SOIC", PackageKind::Soic},
                 {"QFP", PackageKind::Qfp},
                 {"BGA", PackageKind::Bga},
                 {"DIP", PackageKind::Dip}};
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.name);
        RECT client{};
        {
            ScopedModalDialogHook hook([&](PlatformDialog& d) {
                PumpPendingMessages();
                for (PlatformWindow* w : d.GetChildren())
                    if (dynamic_cast<CPackagePicture*>(w))
                        client = w->GetClientRect();
                d.EndDialog(IDCANCEL);
            });
            RunFootprintGenerator(k.kind, nullptr);
        }
        ASSERT_GT(client.right, 20) << "no picture";
        ASSERT_GT(client.bottom, 20) << "no picture";
        auto image = PaintTarget::CreateImage(client.right, client.bottom);
        GraphicsRecorder recorder;
        {
            Graphics g(image.get());
            g.SetRecorder(&recorder);
            CPackagePicture::Draw(g, k.kind, client.right, client.bottom);
        }
        int letters = 0;
        for (const DrawRecord& r : recorder.records) {
            if (r.op != DrawOp::String)
                continue;
            ++letters;
            // The glyph outlines, in the control's pixels, within the frame.
            float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
            for (const PointF& p : r.points) {
                left = std::min(left, p.X);
                top = std::min(top, p.Y);
                right = std::max(right, p.X);
                bottom = std::max(bottom, p.Y);
            }
            EXPECT_FALSE(r.points.empty()) << WideToUtf8(r.text);
            EXPECT_TRUE(left >= 1 && top >= 1 && right <= static_cast<float>(client.right - 1) &&
                        bottom <= static_cast<float>(client.bottom - 1))
                << "\"" << WideToUtf8(r.text) << "\" spans " << left << "," << top << " to "
                << right << "," << bottom << " in a picture of " << client.right << " x "
                << client.bottom;
        }
        EXPECT_GE(letters, 3); // "1", "e" and "C" at least
    }
}

} // namespace
