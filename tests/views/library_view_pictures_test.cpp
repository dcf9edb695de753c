// Pictures of the footprint and padstack editors with the example library,
// written to build/pictures/ for a person to look at.
#include "core/default_settings.h"
#include "platform/paint_target.h"
#include "tests/screen_picture.h"
#include "tests/views/library_view_fixture.h"

#include <cwchar>

namespace {

class LibraryViewPictures : public LibraryViewTest {
protected:
    std::unique_ptr<PaintTarget> Render(const wchar_t* name) {
        RunIdleHandlers();
        PumpPendingMessages();
        const std::wstring base(name, std::wcslen(name) - 4); // without ".png"
        EXPECT_TRUE(screen_picture::SameAfterFullRepaint(g_MainFrame, base));
        auto image = screen_picture::Grab(g_MainFrame);
        EXPECT_NE(image, nullptr);
        if (image) {
            EXPECT_TRUE(image->SavePng(PathJoin(screen_picture::PictureFolder(), name)));
        }
        return image;
    }
    // The picture's pixel at a model point of the view.
    static ARGB PixelAt(const PaintTarget& image, CLibraryEditorView* view, float x, float y) {
        const POINT client = At(view, x, y);
        const POINT screen = view->ClientToScreen(client);
        const POINT frame = g_MainFrame.ScreenToClient(screen);
        return image.PixelAt(frame.x, frame.y);
    }
};

TEST_F(LibraryViewPictures, FootprintView) {
    CFootprintView* view = OpenFootprint(L"SHAPES");
    ASSERT_NE(view, nullptr);
    Key('1', MK_SHIFT);
    Click(view, 4.9f, 0); // the filled rectangle's edge
    auto image = Render(L"footprint-view.png");
    EXPECT_TRUE(g_MainFrame.m_rebar.IsBandVisible(kBandFootprint));
    // The pad at A is drawn over the background.
    const ARGB background = ColorRefToArgb(g_DefaultSettings.colorBoard, 0xFF);
    EXPECT_NE(PixelAt(*image, view, -3, -0.5f), background);
}

TEST_F(LibraryViewPictures, PadstackView) {
    CPadstackView* view = OpenPadstack(L"ROUND1.6D0.8");
    ASSERT_NE(view, nullptr);
    Key('4');
    Command(ID_PS_SHOW_THERMAL);
    Key('1');
    Command(ID_PS_SHOW_THERMAL);
    auto image = Render(L"padstack-view.png");
    EXPECT_TRUE(g_MainFrame.m_rebar.IsBandVisible(kBandPadstack));
    const ARGB background = ColorRefToArgb(g_DefaultSettings.colorBoard, 0xFF);
    EXPECT_NE(PixelAt(*image, view, 0.75f, 0), background);
}

} // namespace
