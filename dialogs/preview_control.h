// The preview of the library browsers: a static control whose picture its
// dialog draws, given the paint target and the control's client size.
#pragma once

#include "platform/static_control.h"

#include <functional>

class PaintTarget;

class CPreviewControl : public StaticControl {
public:
    using Draw = std::function<void(PaintTarget* target, int width, int height)>;

    explicit CPreviewControl(Draw draw);
    ~CPreviewControl() override;

protected:
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    Draw m_draw;
};
