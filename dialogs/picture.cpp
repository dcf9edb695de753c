#include "dialogs/picture.h"

#include "dialogs/color_page.h"

bool CPicture::ProcessWindowMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg == WM_ERASEBKGND) {
        result = 1; // the painter covers everything
        return true;
    }
    if (msg != WM_PAINT)
        return false;
    PaintStruct ps;
    if (PaintTarget* target = BeginPaint(&ps)) {
        if (page_)
            page_->PaintPreview(*target, GetClientRect());
        EndPaint(&ps);
    }
    result = 0;
    return true;
}
