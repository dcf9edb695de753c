// A radio button: a click, Space or BM_CLICK checks it and clears every
// other radio button of its group (see GetDlgGroupOf), then WM_COMMAND (id,
// BN_CLICKED) goes to the parent, also when it was checked already.
#pragma once

#include "platform/check_box_control.h"

class RadioButtonControl : public CheckBoxControl {
public:
    ~RadioButtonControl() override { DestroyWindow(); }

protected:
    void ClickState() override;
    void PaintMark(PaintTarget* target, const RECT& box) const override;
};
