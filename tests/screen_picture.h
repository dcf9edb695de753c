// What the screen shows of a window, for the tests: pictures read back from
// the X server (not painted for the purpose), and the repaint check: what a
// user sees after a sequence of opening, switching and closing must equal
// what a full repaint of the window shows, pixel for pixel (up to a few
// steps of text edge blending). A difference is an area the window system
// exposed and nobody erased or painted.
#pragma once

#include "platform/file.h"
#include "platform/input_simulation.h"
#include "platform/message_loop.h"
#include "platform/paint_target.h"
#include "platform/text.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

namespace screen_picture {

inline std::wstring PictureFolder(const wchar_t* sub = nullptr) {
    std::wstring folder = PathJoin(Utf8ToWide(VORPEL_BINARY_DIR), L"pictures");
    if (sub)
        folder = PathJoin(folder, sub);
    CreateDirectories(folder);
    return folder;
}

// The window's top-level window shown (a modal dialog driven by a test hook
// is not shown by itself), then the screen read at the window's place.
inline std::unique_ptr<PaintTarget> Grab(PlatformWindow& w) {
    PlatformWindow* top = w.GetTopLevel();
    if (!top->IsWindowVisible())
        top->ShowWindow(true);
    if (!w.IsWindowVisible())
        w.ShowWindow(true);
    return w.GrabFromScreen();
}

// Every window of the tree invalidated with erase, as a user's "redraw all"
// would, and painted before returning.
inline void InvalidateTree(PlatformWindow& w) {
    w.InvalidateRect(nullptr, true);
    for (PlatformWindow* child : w.GetChildren())
        InvalidateTree(*child);
}

inline void FullRepaint(PlatformWindow& w) {
    InvalidateTree(*w.GetTopLevel());
    PumpPendingMessages();
}

// Writes what the screen shows of the window to build/pictures/<name>.png.
inline void WritePicture(PlatformWindow& w, const std::wstring& name) {
    auto shot = Grab(w);
    ASSERT_NE(shot, nullptr) << WideToUtf8(name) << ": no picture from the screen";
    EXPECT_TRUE(shot->SavePng(PathJoin(PictureFolder(), name + L".png")));
}

// The screen now against the screen after a full repaint; on a difference
// both are kept in build/pictures/repaint/ and the first differing pixel is
// named.
inline ::testing::AssertionResult SameAfterFullRepaint(PlatformWindow& w,
                                                       const std::wstring& name) {
    // An activation on its way from the X server arrives first (for
    // minutes on a busy machine): a window just shown draws its focus once
    // it has it.
    (void)KeyboardFocusWindow();
    auto before = Grab(w);
    if (!before)
        return ::testing::AssertionFailure() << WideToUtf8(name) << ": no picture from the screen";
    // The screen settles first: the window system hands a window that was
    // just shown its activation and focus a moment after the first paint (a
    // busy machine shows it), and an edit field then draws its focus frame.
    // Anything never erased stays put and is still caught below.
    for (int i = 0; i < 20; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PumpPendingMessages();
        auto again = w.GrabFromScreen();
        if (!again)
            break;
        bool same = again->Width() == before->Width() && again->Height() == before->Height();
        for (int y = 0; same && y < before->Height(); ++y)
            for (int x = 0; same && x < before->Width(); ++x)
                same = again->PixelAt(x, y) == before->PixelAt(x, y);
        before = std::move(again);
        if (same)
            break;
    }
    FullRepaint(w);
    auto after = w.GrabFromScreen();
    if (!after || after->Width() != before->Width() || after->Height() != before->Height())
        return ::testing::AssertionFailure() << WideToUtf8(name) << ": the window changed size";
    // The same text drawn through another clip may blend its edge pixels a
    // few steps apart (up to 8 seen); anything left behind or never erased
    // differs by far more.
    auto differs = [](ARGB a, ARGB b) {
        for (int shift = 0; shift < 24; shift += 8) {
            const int ca = static_cast<int>((a >> shift) & 0xFF);
            const int cb = static_cast<int>((b >> shift) & 0xFF);
            if (ca - cb > 12 || cb - ca > 12)
                return true;
        }
        return false;
    };
    int differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < before->Height(); ++y)
        for (int x = 0; x < before->Width(); ++x)
            if (differs(before->PixelAt(x, y), after->PixelAt(x, y))) {
                if (differing++ == 0) {
                    firstX = x;
                    firstY = y;
                }
            }
    if (differing == 0)
        return ::testing::AssertionSuccess();
    const std::wstring folder = PictureFolder(L"repaint");
    before->SavePng(PathJoin(folder, name + L"-seen.png"));
    after->SavePng(PathJoin(folder, name + L"-repainted.png"));
    std::ostringstream why;
    why << WideToUtf8(name) << ": " << differing << " pixels differ from a full repaint, first at ("
        << firstX << ", " << firstY << "): seen " << std::hex << before->PixelAt(firstX, firstY)
        << ", repainted " << after->PixelAt(firstX, firstY) << " (pictures in "
        << WideToUtf8(folder) << ")";
    return ::testing::AssertionFailure() << why.str();
}

// The repaint check, then the picture of what the screen shows.
inline void CheckAndWrite(PlatformWindow& w, const std::wstring& name) {
    EXPECT_TRUE(SameAfterFullRepaint(w, name));
    WritePicture(w, name);
}

} // namespace screen_picture
