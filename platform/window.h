// The window layer: a window object with a message map, child windows,
// painting, focus, mouse capture, timers and cursors. Qt events reach a
// window as messages (see messages.h); nothing above the platform layer sees
// a Qt type. Editors, panels, the shell and dialogs derive from
// PlatformWindow and override ProcessWindowMessage; controls (edit, combo
// box, list view, button) derive from it too and implement their behaviour
// as their default message handling, so a class derived from a control sees
// every message first and passes on what it does not handle.
#pragma once

#include "platform/messages.h"
#include "platform/types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Bitmap;
class PaintTarget;
struct WindowImpl;

// Hook run on queued messages (posted messages and input) before they are
// dispatched; returning true swallows the message. Filters run newest first.
class MessageFilter {
public:
    virtual ~MessageFilter() = default;
    virtual bool PreTranslateMessage(Message* msg) = 0;
};
void AddMessageFilter(MessageFilter* filter);
void RemoveMessageFilter(MessageFilter* filter);

// What the message queue does with each queued message: the filters, then
// the window's own handling.
void DispatchQueuedMessage(const Message& msg);

// Delivers every posted message and pending event (tests, modal loops).
void PumpPendingMessages();

enum class CursorShape { Arrow, IBeam, Wait, Cross, SizeWE, SizeNS, SizeAll, Hand, No };

// Sets the mouse cursor of the window under the mouse; returns the previous.
CursorShape SetCursor(CursorShape shape);
CursorShape GetCursor();
// The cursor of a program resource (258: the divider's resize cursor; 220,
// 222, 224: the cross of the schematic's bus, part and wire tools; the
// footprint and padstack editors' drawing tools; 391: the text tools).
CursorShape LoadCursorResource(unsigned id);
POINT GetCursorPos();
void SetCursorPos(POINT screen);

// A window's font: face name as documents and settings name it (resolved
// through the font table when drawing), height in pixels.
struct WindowFont {
    std::wstring face = L"Tahoma";
    int height = 11;
    int weight = 400;
    bool italic = false;
};
bool operator==(const WindowFont& a, const WindowFont& b);

// What WM_CREATE receives in lParam.
struct CREATESTRUCT {
    PlatformWindow* parent = nullptr;
    RECT rect;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int id = 0;
    const wchar_t* text = L"";
};

// BeginPaint's answer: the target to draw on for this paint, the update
// rectangle in client coordinates, and whether the background was to be erased.
struct PaintStruct {
    PaintTarget* target = nullptr;
    RECT rcPaint;
    bool erase = false;
};

class PlatformWindow : public MessageFilter {
public:
    PlatformWindow();
    // Destroys a window still created; handlers of a derived class no longer
    // run then, so owners destroy their windows before deleting them.
    ~PlatformWindow() override;
    PlatformWindow(const PlatformWindow&) = delete;
    PlatformWindow& operator=(const PlatformWindow&) = delete;

    // Creates the window as a child of parent (WS_CHILD) at rect in the
    // parent's client coordinates, or as a top-level window (parent null or
    // WS_POPUP; rect in screen coordinates). Sends WM_CREATE, then WM_SIZE;
    // WM_CREATE answering -1 destroys the window again and fails.
    bool Create(PlatformWindow* parent, const RECT& rect, const std::wstring& text = L"",
                uint32_t style = WS_CHILD | WS_VISIBLE, uint32_t exStyle = 0, int id = 0);
    // Sends WM_KILLFOCUS when the focus is inside, WM_DESTROY to this window
    // and then to its children (top down), and releases everything.
    bool DestroyWindow();
    bool IsWindow() const;

    PlatformWindow* GetParent() const { return parent_; }
    std::vector<PlatformWindow*> GetChildren() const { return children_; }
    bool IsChild(const PlatformWindow* w) const; // any descendant
    PlatformWindow* GetTopLevel();
    int GetDlgCtrlID() const { return id_; }
    void SetDlgCtrlID(int id) { id_ = id; }
    PlatformWindow* GetDlgItem(int id) const;
    uint32_t GetStyle() const { return style_; }
    uint32_t GetExStyle() const { return exStyle_; }
    void ModifyStyle(uint32_t remove, uint32_t add) { style_ = (style_ & ~remove) | add; }

    // Synchronous: runs the window's handlers now and returns their answer.
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Queued: delivered later by the event loop, through the message filters.
    bool PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Sends WM_COMMAND / WM_NOTIFY to the parent on behalf of this control.
    LRESULT NotifyParentCommand(int code);
    LRESULT NotifyParent(NMHDR* hdr);

    bool PreTranslateMessage(Message*) override { return false; }

    // Shows or hides the window; when that changes its state, sends it
    // WM_SHOWWINDOW (wParam 1 shown, 0 hidden).
    void ShowWindow(bool show);
    bool IsWindowVisible() const;
    // Top-level windows: shows the window filling the screen's work area.
    void ShowMaximized();
    bool IsMaximized() const;
    // Puts the window above its siblings.
    void BringToTop();
    // The icon of a top-level window (its title bar and the task bar).
    void SetIcon(const Bitmap& icon);
    // Offers a message to the window's message map only (no default
    // handling); a container passes on what it does not handle itself.
    bool OfferToMessageMap(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return ProcessWindowMessage(msg, wParam, lParam, result);
    }
    // Moves a child window under another parent, keeping its position in
    // client coordinates; false for a top-level window or a null parent.
    bool SetParent(PlatformWindow* newParent);
    // True once the window, or a child covering it, has been painted on its
    // screen (not by RenderTo).
    bool HasBeenPainted() const;
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const;
    // Position in the parent's client coordinates (screen for top level).
    void MoveWindow(const RECT& rect, bool repaint = true);
    RECT GetWindowRect() const; // screen coordinates
    RECT GetRectInParent() const;
    RECT GetClientRect() const;
    POINT ClientToScreen(POINT p) const;
    POINT ScreenToClient(POINT p) const;

    void SetWindowText(const std::wstring& text);
    std::wstring GetWindowText();

    void SetFont(const WindowFont& font, bool redraw = true);
    const WindowFont& GetFont() const { return font_; }
    // Size of a one-line text in the window's font, pixels.
    SIZE MeasureText(const std::wstring& text) const;
    // Height of one line of text in the window's font.
    int GetLineHeight() const;

    // Painting: marks a rectangle (null = the whole client area) for the
    // next WM_PAINT, optionally with WM_ERASEBKGND first.
    void InvalidateRect(const RECT* rect, bool erase);
    void Invalidate(bool erase = true) { InvalidateRect(nullptr, erase); }
    // Paints the invalid part now when the window is shown.
    void UpdateWindow();
    // The pending invalid rectangle (empty when none) and its erase flag.
    RECT GetUpdateRect() const;
    bool GetUpdateErase() const;
    // Inside WM_PAINT: the target and update rectangle of this paint.
    PaintTarget* BeginPaint(PaintStruct* ps);
    void EndPaint(const PaintStruct* ps);
    // Paints the whole window with its children into an image target (the
    // background erased first); tests and previews read the pixels.
    void RenderTo(PaintTarget& target);
    // What the window system shows of the window's client area once every
    // pending paint has reached the screen: the pixels read back from the
    // screen, with whatever covers the window. Unlike RenderTo nothing is
    // painted for it, so areas the window left unpainted show as they are.
    // Null when the window is not shown.
    std::unique_ptr<PaintTarget> GrabFromScreen();
    // Background drawn on WM_ERASEBKGND; none leaves the area untouched.
    void SetBackgroundColor(COLORREF color);
    void SetNoBackground();
    // Fills a client rectangle of the target being painted (ERASEBKGND and
    // control painting helpers); nothing outside a paint.
    void FillPaintRect(PaintTarget* target, const RECT& rect, COLORREF color) const;

    // Keyboard focus. SetFocus sends WM_KILLFOCUS (wParam = the window
    // getting the focus) to the old one and WM_SETFOCUS (wParam = the old
    // one) to this; returns the previous focus window.
    PlatformWindow* SetFocus();
    static PlatformWindow* SetFocusTo(PlatformWindow* window); // null = none
    static PlatformWindow* GetFocus();

    // Mouse capture: while set, every mouse message goes to this window.
    PlatformWindow* SetCapture();
    static bool ReleaseCapture();
    static PlatformWindow* GetCapture();

    // WM_TIMER (wParam = id) every ms milliseconds until killed; setting an
    // id again restarts it.
    bool SetTimer(uint64_t id, unsigned ms);
    bool KillTimer(uint64_t id);
    bool HasTimer(uint64_t id) const;

    // The cursor set on WM_SETCURSOR when no handler answers it.
    void SetClassCursor(CursorShape shape) { classCursor_ = shape; }

    // A polygon clipping the window (client coordinates); empty = none.
    void SetWindowRegion(const std::vector<POINT>& polygon);
    const std::vector<POINT>& GetWindowRegion() const { return region_; }
    bool PtInWindowRegion(POINT client) const;

    // Sends notifications of child controls (WM_COMMAND, WM_NOTIFY,
    // WM_DRAWITEM, WM_MEASUREITEM, WM_PARENTNOTIFY, control-colour and
    // scroll messages) back to the child as message + OCM_BASE. A window
    // calls it from its ProcessWindowMessage; true when reflected.
    bool ReflectNotifications(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Stays true while this window lives; a handler that sends notifications
    // whose answer may destroy (or delete) the window checks it afterwards
    // before touching the window again.
    std::shared_ptr<const bool> LifeToken() const;

    WindowImpl* Impl() const { return impl_.get(); }
    // The message handling entry: the map, then the default handling.
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    // The message map: handle a message and return true, or return false to
    // pass it on to DefWindowProc.
    virtual bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Default handling; controls implement their behaviour here.
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // After the window is gone (after WM_NCDESTROY); the object may delete itself.
    virtual void OnFinalMessage() {}
    // Makes the native side; controls that host a native widget override it.
    virtual void CreateNativeWidget(WindowImpl& impl);

    // Default handling of input messages on a control hosting a native widget.
    LRESULT ForwardToNative(UINT msg, WPARAM wParam, LPARAM lParam);
    // The text given at creation or last set through the base handling.
    const std::wstring& StoredText() const { return text_; }

private:
    // Makes the top-level window that owns this one active again (used when
    // an active window is hidden or destroyed).
    void ActivateOwner();
    friend struct WindowImpl;
    void DestroyTree();
    void ReleaseTree();

    std::unique_ptr<WindowImpl> impl_;
    PlatformWindow* parent_ = nullptr;
    std::vector<PlatformWindow*> children_;
    std::wstring text_;
    WindowFont font_;
    uint32_t style_ = 0;
    uint32_t exStyle_ = 0;
    int id_ = 0;
    bool enabled_ = true;
    bool destroying_ = false;
    CursorShape classCursor_ = CursorShape::Arrow;
    std::vector<POINT> region_;
};

inline PlatformWindow* WindowFromLParam(LPARAM l) {
    return LParamToPtr<PlatformWindow>(l);
}
