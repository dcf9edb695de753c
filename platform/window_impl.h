// Qt side of PlatformWindow. Included only by the platform layer's sources.
#pragma once

#include "platform/window.h"

#include <QEvent>
#include <QPaintEvent>
#include <QRect>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>

// A message posted to a window, carried through Qt's event queue.
class PostedMessageEvent : public QEvent {
public:
    static QEvent::Type EventType();
    explicit PostedMessageEvent(const Message& m) : QEvent(EventType()), msg(m) {}
    Message msg;
};

struct WindowImpl {
    PlatformWindow* owner = nullptr;
    QWidget* widget = nullptr;
    // The widget is a native control (line edit): input the handlers pass
    // on reaches its own Qt handling.
    bool native = false;
    // Set while an event is handed to the native widget unchanged.
    bool passthrough = false;
    // The Qt event being translated, and whether the default handling asked
    // for it to reach the native widget.
    QEvent* currentNative = nullptr;
    UINT currentNativeMessage = 0;
    bool nativeWanted = false;
    // Pending invalid area and erase flag; the paint in progress.
    QRect invalid;
    bool erase = false;
    bool renderAll = false;
    PaintTarget* paintTarget = nullptr;
    QRect paintRect;
    bool paintErase = false;
    std::map<int, uint64_t> timerByQtId;
    std::map<uint64_t, int> qtIdByTimer;
    QSize lastSize{-1, -1};
    // Cleared when the window is released; handlers still on the stack check
    // it before touching the window again.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
    // Cuts the widget's link back to this record.
    std::function<void()> detach;
    // Painted on its screen at least once (not counting RenderTo).
    bool painted = false;
    bool hasBackground = true;
    COLORREF background = 0xFFFFFF;

    // Qt event entry of the host widget; base handles what passes through.
    bool HandleEvent(QEvent* e, const std::function<bool(QEvent*)>& base);
    void Paint(QPaintEvent* e);
};

// What every host widget answers, whatever its Qt class.
class HostWidgetLink {
public:
    virtual WindowImpl* impl() const = 0;

protected:
    ~HostWidgetLink() = default;
};

// The widget behind a window: Base is QWidget or a native control class.
template <class Base> class HostWidget : public Base, public HostWidgetLink {
public:
    template <class... A>
    explicit HostWidget(WindowImpl* impl, A&&... args)
        : Base(std::forward<A>(args)...), impl_(impl) {}
    void Detach() { impl_ = nullptr; }
    WindowImpl* impl() const override { return impl_; }

protected:
    bool event(QEvent* e) override {
        if (!impl_ || !impl_->owner || impl_->passthrough)
            return Base::event(e);
        return impl_->HandleEvent(e, [this](QEvent* ev) { return Base::event(ev); });
    }
    void paintEvent(QPaintEvent* e) override {
        if (!impl_ || !impl_->owner)
            return;
        if (impl_->native) {
            Base::paintEvent(e);
            return;
        }
        impl_->Paint(e);
    }

private:
    WindowImpl* impl_;
};

// Makes the host widget of a window and links it to the window record.
template <class Base, class... A> HostWidget<Base>* MakeHostWidget(WindowImpl& impl, A&&... args) {
    auto* w = new HostWidget<Base>(&impl, std::forward<A>(args)...);
    impl.widget = w;
    impl.detach = [w] { w->Detach(); };
    return w;
}

// The window whose widget w is (null for other widgets and released windows).
PlatformWindow* WindowOfWidget(const QWidget* w);
// True while a window asked to become active has not been reported active
// by the window system yet.
bool IsActivationPending();
// Held around a modal dialog of the toolkit's own (colour, font, file,
// folder, print, message box): when it closes, the window that had the
// keyboard focus gets it back and its top-level becomes active again, as the
// desktop hands them back to the owner of a closed dialog. A bare X server
// hands them to nobody, and the keys would go nowhere.
class ToolkitModalScope {
public:
    ToolkitModalScope();
    ~ToolkitModalScope();
    ToolkitModalScope(const ToolkitModalScope&) = delete;
    ToolkitModalScope& operator=(const ToolkitModalScope&) = delete;

private:
    PlatformWindow* focus_;
    std::shared_ptr<const bool> alive_;
};
// Sends a Qt event to a window's native widget without translating it.
bool SendNativeEvent(WindowImpl& impl, QEvent* e);
QFont MakeQFont(const WindowFont& f);
// Applies a cursor shape to a widget.
void ApplyCursor(QWidget* w, CursorShape shape);
// Incremented while Qt events are being handled; widgets are deleted later
// while it is non-zero.
extern int g_windowDispatchDepth;
