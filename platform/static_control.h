// A static text ("STATIC"): one or more lines of text in the dialog colour,
// left, centred or right aligned (SS_ styles of dialog_template.h); "&"
// marks a mnemonic unless SS_NOPREFIX is set. Disabled labels are grey.
// Dialogs that draw a picture in a static replace it by a class deriving
// from this one that handles WM_PAINT.
#pragma once

#include "platform/window.h"

class StaticControl : public PlatformWindow {
public:
    ~StaticControl() override { DestroyWindow(); }

protected:
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
};
