// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/x11_frame.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <cstdlib>
#include <cstring>

namespace tk::qt {

namespace {

template <class T>
struct Free {
    void operator()(T* p) const { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, Free<T>>;

xcb_atom_t intern(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

}  // namespace

struct X11Frame::Connection {
    xcb_connection_t* xcb = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE;
    xcb_atom_t wmState = XCB_ATOM_NONE;
    xcb_atom_t frameExtents = XCB_ATOM_NONE;
    xcb_atom_t requestFrameExtents = XCB_ATOM_NONE;
    xcb_atom_t supportingWmCheck = XCB_ATOM_NONE;
    xcb_atom_t netWmState = XCB_ATOM_NONE;
    xcb_atom_t busyStates[4] = {};

    Reply<xcb_get_property_reply_t> property(xcb_window_t w, xcb_atom_t a, xcb_atom_t type,
                                             std::uint32_t length) const {
        return Reply<xcb_get_property_reply_t>(
            xcb_get_property_reply(xcb, xcb_get_property(xcb, 0, w, a, type, 0, length), nullptr));
    }
};

std::unique_ptr<X11Frame> X11Frame::create(QWidget& window, std::function<void()> changed) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return nullptr;
    auto c = std::make_unique<Connection>();
    c->xcb = x11->connection();
    c->root = xcb_setup_roots_iterator(xcb_get_setup(c->xcb)).data->root;
    c->wmState = intern(c->xcb, "WM_STATE");
    c->frameExtents = intern(c->xcb, "_NET_FRAME_EXTENTS");
    c->requestFrameExtents = intern(c->xcb, "_NET_REQUEST_FRAME_EXTENTS");
    c->supportingWmCheck = intern(c->xcb, "_NET_SUPPORTING_WM_CHECK");
    c->netWmState = intern(c->xcb, "_NET_WM_STATE");
    const char* busy[] = {"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ",
                          "_NET_WM_STATE_FULLSCREEN", "_NET_WM_STATE_HIDDEN"};
    for (int i = 0; i < 4; ++i) c->busyStates[i] = intern(c->xcb, busy[i]);
    return std::unique_ptr<X11Frame>(new X11Frame(window, std::move(c), std::move(changed)));
}

X11Frame::X11Frame(QWidget& window, std::unique_ptr<Connection> c, std::function<void()> changed)
    : window_(window), c_(std::move(c)), changed_(std::move(changed)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11Frame::~X11Frame() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
}

std::uint32_t X11Frame::id() const {
    return std::uint32_t(window_.internalWinId());
}

bool X11Frame::wmRunning() const {
    auto r = c_->property(c_->root, c_->supportingWmCheck, XCB_ATOM_WINDOW, 1);
    return r && r->type == XCB_ATOM_WINDOW && xcb_get_property_value_length(r.get()) >= 4;
}

WmState X11Frame::state() const {
    auto r = c_->property(id(), c_->wmState, c_->wmState, 2);
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 4) return WmState::None;
    switch (*static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()))) {
        case 0:
            return WmState::Withdrawn;
        case 1:
            return WmState::Normal;
        case 3:
            return WmState::Iconic;
        default:
            return WmState::None;
    }
}

bool X11Frame::maximisedOrHidden() const {
    auto r = c_->property(id(), c_->netWmState, XCB_ATOM_ATOM, 32);
    if (!r || r->format != 32) return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(r.get()));
    const int n = xcb_get_property_value_length(r.get()) / 4;
    for (int i = 0; i < n; ++i)
        for (xcb_atom_t busy : c_->busyStates)
            if (atoms[i] == busy) return true;
    return false;
}

bool X11Frame::managed() const {
    const WmState s = state();
    return s == WmState::Normal || s == WmState::Iconic;
}

bool X11Frame::withdrawn() const {
    const WmState s = state();
    return s == WmState::None || s == WmState::Withdrawn;
}

bool X11Frame::reparented() const {
    Reply<xcb_query_tree_reply_t> r(
        xcb_query_tree_reply(c_->xcb, xcb_query_tree(c_->xcb, id()), nullptr));
    return r && r->parent != r->root;
}

std::optional<FrameExtents> X11Frame::extents() const {
    auto r = c_->property(id(), c_->frameExtents, XCB_ATOM_CARDINAL, 4);
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 16) return std::nullopt;
    // metacity leaves the extents of a window's old frame on it when it manages the
    // window again without decorations, and then does not put it into a frame window.
    if (managed() && !reparented()) return FrameExtents{};
    const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
    // The property's order is left, right, top, bottom.
    return FrameExtents{int(v[0]), int(v[2]), int(v[1]), int(v[3])};
}

void X11Frame::sendToRoot(std::uint32_t type, const std::uint32_t (&data)[5]) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id();
    event.type = type;
    std::memcpy(event.data.data32, data, sizeof data);
    xcb_send_event(c_->xcb, 0, c_->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c_->xcb);
}

void X11Frame::requestExtents() {
    sendToRoot(c_->requestFrameExtents, {0, 0, 0, 0, 0});
}

void X11Frame::clearExtents() {
    xcb_delete_property(c_->xcb, id(), c_->frameExtents);
    xcb_flush(c_->xcb);
}

bool X11Frame::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
    if (type != "xcb_generic_event_t" || id() == 0) return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    bool ours = false;
    switch (event->response_type & 0x7f) {
        case XCB_PROPERTY_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            ours = e->window == id() && (e->atom == c_->wmState || e->atom == c_->frameExtents);
            break;
        }
        case XCB_REPARENT_NOTIFY:
            ours = reinterpret_cast<const xcb_reparent_notify_event_t*>(event)->window == id();
            break;
        default:
            break;
    }
    // Qt is in the middle of its event handling here: the host hears of it afterwards.
    if (ours && !notifyQueued_) {
        notifyQueued_ = true;
        QTimer::singleShot(0, &queue_, [this] {
            notifyQueued_ = false;
            if (changed_) changed_();
        });
    }
    return false;
}

}  // namespace tk::qt
