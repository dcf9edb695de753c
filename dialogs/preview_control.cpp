#include "dialogs/preview_control.h"

#include "platform/paint_target.h"

#include <utility>

CPreviewControl::CPreviewControl(Draw draw) : m_draw(std::move(draw)) {}

CPreviewControl::~CPreviewControl() {
    DestroyWindow();
}

LRESULT CPreviewControl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT)
        return StaticControl::DefWindowProc(msg, wParam, lParam);
    PaintStruct ps;
    if (PaintTarget* t = BeginPaint(&ps)) {
        const RECT rc = GetClientRect();
        m_draw(t, rc.right, rc.bottom);
        EndPaint(&ps);
    }
    return 0;
}
