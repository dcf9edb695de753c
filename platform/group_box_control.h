// A group box: an etched frame around related controls with its title in
// the top edge. It takes no input.
#pragma once

#include "platform/window.h"

class GroupBoxControl : public PlatformWindow {
public:
    ~GroupBoxControl() override { DestroyWindow(); }

protected:
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
};
