// Window messages, their parameter types and the codes carried with them.
// The numbers are the ones the desktop program used, so that code written
// against them (and the numbers quoted in comments and tests) stay valid.
#pragma once

#include "platform/types.h"

#include <cstdint>

class PlatformWindow;
class PaintTarget;

// Message parameters are 64 bits wide so that a pointer travels in them
// unchanged; never narrow one to int.
using UINT = uint32_t;
using WPARAM = uint64_t;
using LPARAM = int64_t;
using LRESULT = int64_t;

// A message as it travels through the queue and the pre-translation hooks.
struct Message {
    PlatformWindow* window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Window lifetime and painting.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_DRAWITEM = 0x002B;
constexpr UINT WM_MEASUREITEM = 0x002C;
// WM_SETFONT: wParam = const WindowFont* (copied), LOWORD(lParam) = redraw.
// WM_GETFONT answers a const WindowFont* of the window.
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_CONTEXTMENU = 0x007B;
constexpr UINT WM_NCDESTROY = 0x0082;

// Keyboard.
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;

constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
// wParam: the PopupMenu about to open (PopupMenu*), lParam: its index in
// the menu bar. Sent to the menu's owner so that it can enable and check items.
constexpr UINT WM_INITMENUPOPUP = 0x0117;
// WM_MENUSELECT: LOWORD(wParam) the highlighted command; 0 with 0xFFFF in
// the high word when the menu closed.
constexpr UINT WM_MENUSELECT = 0x011F;
constexpr UINT WM_CTLCOLOREDIT = 0x0133;

// Mouse. lParam holds the client point (x low, y high, signed 16 bits each),
// wParam the MK_ flags; WM_MOUSEWHEEL carries the delta in the high word of
// wParam and a screen point.
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_PARENTNOTIFY = 0x0210;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_MOUSELEAVE = 0x02A3;

// Edit messages: sent to the window with the keyboard focus.
constexpr UINT WM_CUT = 0x0300;
constexpr UINT WM_COPY = 0x0301;
constexpr UINT WM_PASTE = 0x0302;
constexpr UINT WM_UNDO = 0x0304;
// Non-zero when the window can undo its last change.
constexpr UINT EM_CANUNDO = 0x00C6;

constexpr UINT WM_USER = 0x0400;
// Posted by the property panel and its tab to their parent: lay the panel
// out again (wParam = expanded flag, lParam = 1 when rows or caption changed).
constexpr UINT WM_PROPERTY_LAYOUT = WM_USER + 24; // 1048
// Sent by the property list to the panel: wParam = index of a changed row.
constexpr UINT WM_PROPERTY_ROW_CHANGED = WM_USER + 25; // 1049
// Sent by the property panel to its parent when Enter (wParam 1) or Esc
// (wParam 0) has closed a row's editor; the tab window passes it to the view.
constexpr UINT WM_PROPERTY_EDIT_ENDED = WM_USER + 28; // 1052
// The status bar's text message (pane in wParam, const wchar_t* in lParam).
constexpr UINT SB_SETTEXTW = WM_USER + 11; // 1035
// Reflected notifications come back to the child as the message plus this.
constexpr UINT OCM_BASE = WM_USER + 0x1C00; // 0x2000

// MK_ flags of mouse messages.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;
constexpr int WHEEL_DELTA = 120;

// WM_SIZE kinds.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;
// WM_SETCURSOR hit-test code.
constexpr int HTCLIENT = 1;

// Virtual key codes.
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
// '0'..'9' and 'A'..'Z' are their own codes.
constexpr int VK_ADD = 0x6B;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_F1 = 0x70;
constexpr int VK_F2 = 0x71;
constexpr int VK_F3 = 0x72;
constexpr int VK_F4 = 0x73;
constexpr int VK_F5 = 0x74;
constexpr int VK_F6 = 0x75;
constexpr int VK_F12 = 0x7B;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;
constexpr int VK_OEM_PLUS = 0xBB;
constexpr int VK_OEM_MINUS = 0xBD;

// WM_COMMAND: wParam = MAKEWPARAM(control id, notification code),
// lParam = the control's PlatformWindow* (0 for menus and accelerators).
constexpr int BN_CLICKED = 0;
constexpr int EN_SETFOCUS = 0x0100;
constexpr int EN_KILLFOCUS = 0x0200;
constexpr int EN_CHANGE = 0x0300;
constexpr int CBN_SELCHANGE = 1;
constexpr int CBN_DBLCLK = 2;
constexpr int CBN_SETFOCUS = 3;
constexpr int CBN_KILLFOCUS = 4;
constexpr int CBN_EDITCHANGE = 5;
constexpr int CBN_DROPDOWN = 7;
constexpr int CBN_CLOSEUP = 8;
constexpr int CBN_SELENDOK = 9;
constexpr int CBN_SELENDCANCEL = 10;

// WM_NOTIFY: lParam points at an NMHDR (or a record starting with one).
struct NMHDR {
    PlatformWindow* hwndFrom = nullptr;
    uint64_t idFrom = 0;
    UINT code = 0;
};
constexpr UINT NM_CLICK = static_cast<UINT>(-2);
constexpr UINT NM_DBLCLK = static_cast<UINT>(-3);
constexpr UINT NM_RCLICK = static_cast<UINT>(-5);
constexpr UINT NM_SETFOCUS = static_cast<UINT>(-7);
constexpr UINT NM_KILLFOCUS = static_cast<UINT>(-8);
constexpr UINT LVN_ITEMCHANGED = static_cast<UINT>(-101);

// NM_CLICK of a list view: the item under the click (-1 for none).
struct NMITEMACTIVATE {
    NMHDR hdr;
    int iItem = -1;
    int iSubItem = 0;
    POINT ptAction;
    UINT uKeyFlags = 0;
};

// Owner drawing. The target is the painting window's target for the time
// of the message; the rectangle is in that window's client coordinates.
constexpr UINT ODT_MENU = 1;
constexpr UINT ODT_LISTBOX = 2;
constexpr UINT ODT_COMBOBOX = 3;
constexpr UINT ODT_BUTTON = 4;
constexpr UINT ODT_LISTVIEW = 102;
constexpr UINT ODA_DRAWENTIRE = 1;
constexpr UINT ODA_SELECT = 2;
constexpr UINT ODA_FOCUS = 4;
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_FOCUS = 0x0010;
constexpr UINT ODS_COMBOBOXEDIT = 0x1000;

struct DRAWITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    int itemID = -1;
    UINT itemAction = ODA_DRAWENTIRE;
    UINT itemState = 0;
    PlatformWindow* hwndItem = nullptr;
    PaintTarget* target = nullptr;
    RECT rcItem;
    LPARAM itemData = 0;
};

struct MEASUREITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    int itemID = -1;
    UINT itemWidth = 0;
    UINT itemHeight = 0;
    LPARAM itemData = 0;
};

// Window styles (the ones the controls read).
constexpr uint32_t WS_CHILD = 0x40000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr uint32_t WS_DISABLED = 0x08000000;
constexpr uint32_t WS_VSCROLL = 0x00200000;
constexpr uint32_t WS_HSCROLL = 0x00100000;
constexpr uint32_t WS_BORDER = 0x00800000;
constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_CLIPSIBLINGS = 0x04000000;
constexpr uint32_t WS_CLIPCHILDREN = 0x02000000;
constexpr uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr uint32_t WS_EX_CLIENTEDGE = 0x00000200;
constexpr uint32_t WS_EX_WINDOWEDGE = 0x00000100;
constexpr uint32_t WS_EX_APPWINDOW = 0x00040000;

// Packing helpers.
constexpr WPARAM MAKEWPARAM(unsigned low, unsigned high) {
    return static_cast<WPARAM>((low & 0xFFFF) | ((high & 0xFFFF) << 16));
}
constexpr LPARAM MAKELPARAM(int low, int high) {
    return static_cast<LPARAM>(static_cast<uint32_t>((low & 0xFFFF) | ((high & 0xFFFF) << 16)));
}
constexpr unsigned LOWORD(uint64_t v) {
    return static_cast<unsigned>(v & 0xFFFF);
}
constexpr unsigned HIWORD(uint64_t v) {
    return static_cast<unsigned>((v >> 16) & 0xFFFF);
}
constexpr int GET_X_LPARAM(LPARAM l) {
    return static_cast<int16_t>(l & 0xFFFF);
}
constexpr int GET_Y_LPARAM(LPARAM l) {
    return static_cast<int16_t>((l >> 16) & 0xFFFF);
}
constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM w) {
    return static_cast<int16_t>((w >> 16) & 0xFFFF);
}
constexpr unsigned GET_KEYSTATE_WPARAM(WPARAM w) {
    return static_cast<unsigned>(w & 0xFFFF);
}

template <class T> inline LPARAM PtrToLParam(T* p) {
    return reinterpret_cast<LPARAM>(p);
}
template <class T> inline T* LParamToPtr(LPARAM l) {
    return reinterpret_cast<T*>(l);
}
template <class T> inline WPARAM PtrToWParam(T* p) {
    return reinterpret_cast<WPARAM>(p);
}
template <class T> inline T* WParamToPtr(WPARAM w) {
    return reinterpret_cast<T*>(w);
}
