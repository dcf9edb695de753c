// The font picker working on a logical-font record. The record's height is
// read and written as the screen's logical units at 96 dots per inch: a
// negative height is the em height in pixels (-(points x 4 / 3)). With
// CF_LIMITSIZE the chosen size is kept within sizeMin..sizeMax points.
// Tests answer through a hook; otherwise a Qt font dialog asks the user.
#pragma once

#include "platform/logical_font.h"
#include "platform/messages.h"

#include <functional>

constexpr UINT CF_SCREENFONTS = 0x00000001;
constexpr UINT CF_INITTOLOGFONTSTRUCT = 0x00000040;
constexpr UINT CF_LIMITSIZE = 0x00002000;

struct ChooseFontRequest {
    PlatformWindow* owner = nullptr;
    // In (with CF_INITTOLOGFONTSTRUCT): the font shown first. Out: the
    // chosen face, height, weight and styles; the rest is kept.
    LogFont* logFont = nullptr;
    // Out: the chosen size in tenths of a point.
    int pointSize = 0;
    UINT flags = 0;
    int sizeMin = 0; // points, with CF_LIMITSIZE
    int sizeMax = 0;
};

// True when the user confirmed; the record then holds the choice.
bool ChooseFont(ChooseFontRequest* request);

// Answers in place of the dialog: returns true after changing
// *request.logFont (and pointSize) as a user's choice would, or false for
// Cancel. The size limit is applied to a hook's answer too. Returns the hook
// in force before.
using ChooseFontHook = std::function<bool(ChooseFontRequest& request)>;
ChooseFontHook SetChooseFontHook(ChooseFontHook hook);
