// The part-stepping bar of the symbol editor (dialog 267): a caption-less
// child of the view with "<<", the number of the shown part and ">>". It
// steps the view's shown part within the package's parts.
#pragma once

#include "platform/dialog.h"

#include <cstdint>

class CPackage;
class CSymbolView;

class CPartBoard : public PlatformDialog {
public:
    enum ControlId : int { kPrevious = 1020, kNext = 1022, kNumber = 1023 };
    static const DialogTemplate& Resource();

    explicit CPartBoard(CSymbolView* view);
    ~CPartBoard() override { DestroyWindow(); }

    // Writes the number of the shown part (from 1) into the field; empty
    // when the package has no part.
    void ShowPart();
    // "<<" (-1) or ">>" (+1), as a press of the button does it.
    void Step(int delta);

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    CSymbolView* m_pView; // not owned
    uint32_t* m_pIndex;   // the view's shown part
    CPackage* m_pPackage; // the view's document
};
