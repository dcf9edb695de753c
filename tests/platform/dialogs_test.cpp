// Popup menus, the colour dialog and the bitmap resources, answered by the
// hooks tests install in place of the real dialogs.
#include "platform/bitmap.h"
#include "platform/color_dialog.h"
#include "platform/paint_target.h"
#include "platform/popup_menu.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

class CommandLog : public PlatformWindow {
public:
    ~CommandLog() override { DestroyWindow(); }
    std::vector<WPARAM> commands;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM w, LPARAM, LRESULT&) override {
        if (msg != WM_COMMAND)
            return false;
        commands.push_back(w);
        return true;
    }
};

struct MenuHookGuard {
    explicit MenuHookGuard(PopupMenuHook h) { SetPopupMenuHook(std::move(h)); }
    ~MenuHookGuard() { SetPopupMenuHook(nullptr); }
};

TEST(PopupMenu, HookAnswersWithTheChosenCommand) {
    PopupMenu menu;
    menu.AppendItem(32790, L"Zoom In");
    menu.AppendSeparator();
    menu.AppendItem(32791, L"Zoom Out", MF_GRAYED);
    auto sub = std::make_shared<PopupMenu>();
    sub->AppendItem(33118, L"Move Origin", MF_CHECKED);
    menu.AppendSubMenu(L"More", sub);
    POINT shownAt;
    UINT answer = 32790;
    MenuHookGuard guard([&](const PopupMenu& m, POINT p) {
        shownAt = p;
        EXPECT_EQ(m.Items().size(), 4u);
        return answer;
    });
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 40, 50, nullptr), 32790);
    EXPECT_EQ(shownAt, (POINT{40, 50}));
    answer = 33118; // in the sub-menu
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, nullptr), 33118);
    answer = 32791; // grayed: cannot be chosen
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, nullptr), 0);
    answer = 0; // dismissed
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, nullptr), 0);
    EXPECT_TRUE(menu.EnableItem(32791, true));
    answer = 32791;
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, nullptr), 32791);
    EXPECT_FALSE(menu.CheckItem(1, true));
}

TEST(PopupMenu, WithoutReturnCmdTheOwnerGetsAPostedCommand) {
    CommandLog owner;
    ASSERT_TRUE(owner.Create(nullptr, RECT{0, 0, 10, 10}, L"", 0));
    PopupMenu menu;
    menu.AppendItem(32827, L"Show thermal relief");
    MenuHookGuard guard([](const PopupMenu&, POINT) { return 32827u; });
    EXPECT_EQ(TrackPopupMenu(menu, TPM_LEFTALIGN, 0, 0, &owner), 1);
    EXPECT_TRUE(owner.commands.empty());
    PumpPendingMessages();
    EXPECT_EQ(owner.commands, std::vector<WPARAM>{MAKEWPARAM(32827, 0)});
}

struct ColorHookGuard {
    explicit ColorHookGuard(ChooseColorHook h) { SetChooseColorHook(std::move(h)); }
    ~ColorHookGuard() { SetChooseColorHook(nullptr); }
};

TEST(ColorDialog, CustomColoursAreKeptBetweenCalls) {
    std::vector<ChooseColorRequest> seen;
    bool confirm = true;
    ColorHookGuard guard([&](ChooseColorRequest& r) {
        seen.push_back(r);
        // The user defines a custom colour and picks it.
        r.customColors[3] = 0x123456;
        r.rgbResult = 0x123456;
        return confirm;
    });
    ChooseColorRequest req;
    req.rgbResult = 0x00FF00;
    req.customColors = ProcessCustomColors();
    req.flags = CC_FULLOPEN | CC_RGBINIT;
    ASSERT_TRUE(ChooseColor(&req));
    EXPECT_EQ(req.rgbResult, 0x123456u);
    EXPECT_EQ(seen[0].rgbResult, 0x00FF00u);
    EXPECT_EQ(seen[0].flags, CC_FULLOPEN | CC_RGBINIT);
    // A later dialog starts with the colours the first one left.
    ChooseColorRequest again;
    again.customColors = ProcessCustomColors();
    confirm = false;
    ProcessCustomColors()[3] = 0x123456;
    EXPECT_FALSE(ChooseColor(&again));
    EXPECT_EQ(ProcessCustomColors()[3], 0x123456u);
    EXPECT_EQ(ProcessCustomColors()[0], 0xFFFFFFu);
}

TEST(BitmapResources, CheckBoxStripIsTwoMaskedImages) {
    auto boxes = ImageList::FromResource(257, 16, 0xFF00FF);
    ASSERT_TRUE(boxes);
    EXPECT_EQ(boxes->Count(), 2);
    EXPECT_EQ(boxes->ImageHeight(), 16);
    auto image = PaintTarget::CreateImage(40, 20, 0xFF00FF00);
    boxes->Draw(image.get(), 0, 0, 0);
    boxes->Draw(image.get(), 1, 20, 0);
    // Magenta corners are left out; box interiors are drawn; only the ticked
    // box has black pixels.
    EXPECT_EQ(image->PixelAt(0, 0), 0xFF00FF00u);
    EXPECT_EQ(image->PixelAt(8, 4), 0xFFFFFFFFu);
    int black0 = 0, black1 = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            black0 += image->PixelAt(x, y) == 0xFF000000u;
            black1 += image->PixelAt(20 + x, y) == 0xFF000000u;
        }
    EXPECT_EQ(black0, 0);
    EXPECT_GT(black1, 8);
}

TEST(BitmapResources, PinShapesAreEightDistinctPictures) {
    std::set<std::vector<ARGB>> pictures;
    for (unsigned id = 273; id <= 280; ++id) {
        auto b = Bitmap::LoadResource(id);
        ASSERT_TRUE(b) << id;
        std::vector<ARGB> px;
        for (int y = 0; y < b->Height(); ++y)
            for (int x = 0; x < b->Width(); ++x)
                px.push_back(b->PixelAt(x, y));
        pictures.insert(px);
    }
    EXPECT_EQ(pictures.size(), 8u);
    EXPECT_FALSE(Bitmap::LoadResource(272));
    EXPECT_FALSE(Bitmap::LoadResource(281));
}

} // namespace
