#include "platform/window_manager.h"

#include "platform/window.h"
#include "platform/window_impl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {
xcb_connection_t* Connection() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

xcb_window_t Root(xcb_connection_t* c) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (!setup)
        return XCB_WINDOW_NONE;
    return xcb_setup_roots_iterator(setup).data->root;
}

// The window a window's property names, or none.
xcb_window_t WindowProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, property, XCB_ATOM_WINDOW, 0, 1), nullptr);
    xcb_window_t named = XCB_WINDOW_NONE;
    if (reply && reply->type == XCB_ATOM_WINDOW && reply->format == 32 &&
        xcb_get_property_value_length(reply) >= 4)
        std::memcpy(&named, xcb_get_property_value(reply), sizeof named);
    std::free(reply);
    return named;
}

xcb_window_t NativeWindow(PlatformWindow* window) {
    if (!window || !window->Impl())
        return XCB_WINDOW_NONE;
    return static_cast<xcb_window_t>(window->Impl()->widget->window()->winId());
}

void SendToRoot(xcb_connection_t* c, xcb_window_t window, xcb_atom_t type,
                const uint32_t (&data)[5]) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::memcpy(event.data.data32, data, sizeof data);
    xcb_send_event(c, 0, Root(c),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
}
} // namespace

bool WindowManagerRunning() {
    xcb_connection_t* c = Connection();
    if (!c)
        return false;
    // The manager names a window of its own on the root window and on that
    // window itself; a name left behind by one that quit does not repeat.
    const xcb_atom_t check = Atom(c, "_NET_SUPPORTING_WM_CHECK");
    if (check == XCB_ATOM_NONE)
        return false;
    const xcb_window_t own = WindowProperty(c, Root(c), check);
    return own != XCB_WINDOW_NONE && WindowProperty(c, own, check) == own;
}

void RequestRestoreFromWindowManager(PlatformWindow* topLevel) {
    xcb_connection_t* c = Connection();
    const xcb_window_t w = NativeWindow(topLevel);
    if (!c || w == XCB_WINDOW_NONE)
        return;
    constexpr uint32_t kRemove = 0;
    const uint32_t data[5] = {kRemove, Atom(c, "_NET_WM_STATE_MAXIMIZED_VERT"),
                              Atom(c, "_NET_WM_STATE_MAXIMIZED_HORZ"), 2, 0};
    SendToRoot(c, w, Atom(c, "_NET_WM_STATE"), data);
}

void RequestResizeFromWindowManager(PlatformWindow* topLevel, SIZE size) {
    xcb_connection_t* c = Connection();
    const xcb_window_t w = NativeWindow(topLevel);
    if (!c || w == XCB_WINDOW_NONE)
        return;
    // A move-resize of width and height only, from a pager or the like.
    constexpr uint32_t kWidthAndHeight = (1u << 10) | (1u << 11);
    constexpr uint32_t kFromUser = 2u << 12;
    const uint32_t data[5] = {kWidthAndHeight | kFromUser, 0, 0, static_cast<uint32_t>(size.cx),
                              static_cast<uint32_t>(size.cy)};
    SendToRoot(c, w, Atom(c, "_NET_MOVERESIZE_WINDOW"), data);
}

void RequestActivationFromWindowManager(PlatformWindow* topLevel) {
    xcb_connection_t* c = Connection();
    const xcb_window_t w = NativeWindow(topLevel);
    if (!c || w == XCB_WINDOW_NONE)
        return;
    if (WindowManagerRunning()) {
        // As a pager asks it, for the user: the manager does not weigh it
        // as an application taking the focus.
        constexpr uint32_t kFromUser = 2;
        const uint32_t data[5] = {kFromUser, XCB_CURRENT_TIME, 0, 0, 0};
        SendToRoot(c, w, Atom(c, "_NET_ACTIVE_WINDOW"), data);
        return;
    }
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
    xcb_flush(c);
}

bool HasServerFocus(const PlatformWindow& topLevel) {
    xcb_connection_t* c = Connection();
    if (!c || !topLevel.Impl())
        return false;
    const auto w = static_cast<xcb_window_t>(topLevel.Impl()->widget->window()->winId());
    xcb_get_input_focus_reply_t* reply =
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    if (!reply)
        return false;
    xcb_window_t focus = reply->focus;
    std::free(reply);
    // The focus on the window or on one inside it.
    const xcb_window_t root = Root(c);
    while (focus != XCB_WINDOW_NONE && focus != XCB_INPUT_FOCUS_POINTER_ROOT && focus != root) {
        if (focus == w)
            return true;
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, focus), nullptr);
        if (!tree)
            return false;
        focus = tree->parent;
        std::free(tree);
    }
    return false;
}

RECT FrameOnScreen(const PlatformWindow& topLevel) {
    if (!topLevel.Impl())
        return RECT{};
    const QRect f = topLevel.Impl()->widget->window()->frameGeometry();
    return RECT{f.left(), f.top(), f.left() + f.width(), f.top() + f.height()};
}

bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (done())
            return true;
        if (timer.elapsed() >= timeoutMs)
            return false;
        QThread::msleep(10);
    }
}
