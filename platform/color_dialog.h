// The colour picker. The caller's custom colours (16) are shown and take
// back what the user changed; ProcessCustomColors keeps one such set for the
// whole process. Tests answer through a hook.
#pragma once

#include "platform/messages.h"

#include <functional>

constexpr UINT CC_RGBINIT = 0x0001;
constexpr UINT CC_FULLOPEN = 0x0002;

struct ChooseColorRequest {
    PlatformWindow* owner = nullptr;
    // In: the initial colour when CC_RGBINIT is set; out: the chosen colour.
    COLORREF rgbResult = 0;
    // 16 colours read and written back; null for none.
    COLORREF* customColors = nullptr;
    UINT flags = 0;
};

// True when the user confirmed; rgbResult then holds the colour.
bool ChooseColor(ChooseColorRequest* request);

// The process-wide custom colours, kept between dialogs (all white at start).
COLORREF* ProcessCustomColors();

using ChooseColorHook = std::function<bool(ChooseColorRequest& request)>;
void SetChooseColorHook(ChooseColorHook hook);
