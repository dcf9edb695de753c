// The preview control of the colour pages: a static control whose whole
// client area its page paints.
#pragma once

#include "platform/static_control.h"

class CColorPage;

class CPicture : public StaticControl {
public:
    explicit CPicture(CColorPage* page) : page_(page) {}
    ~CPicture() override { DestroyWindow(); }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    CColorPage* page_;
};
