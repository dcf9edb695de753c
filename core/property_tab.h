// The small tab-shaped window under the property panel that collapses and
// expands it.
#pragma once

#include "platform/window.h"

class CPropertyTab : public PlatformWindow {
public:
    static constexpr int kWidth = 200;
    static constexpr int kHeight = 12;

    bool IsExpanded() const { return expanded_; }
    void SetExpanded(bool expanded);

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnPaint();
    bool expanded_ = true;
};
