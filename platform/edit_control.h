// A single-line text field ("EDIT"): text, selection, a length limit, and
// EN_SETFOCUS / EN_KILLFOCUS / EN_CHANGE notifications to its parent.
// WM_CHAR types a printable character; WM_KEYDOWN handles the editing and
// moving keys (Backspace, Delete, arrows, Home, End).
#pragma once

#include "platform/window.h"

constexpr uint32_t ES_LEFT = 0x0000;
constexpr uint32_t ES_CENTER = 0x0001;
constexpr uint32_t ES_AUTOHSCROLL = 0x0080;
constexpr uint32_t ES_READONLY = 0x0800;

constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_SCROLLCARET = 0x00B7;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT EM_SETREADONLY = 0x00CF;
constexpr UINT EM_GETLIMITTEXT = 0x00D5;

class EditControl : public PlatformWindow {
public:
    ~EditControl() override { DestroyWindow(); }
    // start..end (end -1: to the end of the text; start -1: no selection).
    void SetSel(int start, int end) { SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end); }
    void GetSel(int* start, int* end);
    void LimitText(int maxChars) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0); }
    int GetLimitText() { return static_cast<int>(SendMessage(EM_GETLIMITTEXT)); }
    void ReplaceSel(const std::wstring& text) {
        SendMessage(EM_REPLACESEL, 0, PtrToLParam(text.c_str()));
    }
    void ScrollCaret() { SendMessage(EM_SCROLLCARET); }

protected:
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void CreateNativeWidget(WindowImpl& impl) override;
};
