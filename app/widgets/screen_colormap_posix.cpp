#include "app/widgets/screen_colormap.h"

#include <QtGui/qtguiglobal.h>

#if QT_CONFIG(xcb)
#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#endif

namespace hz {

#if QT_CONFIG(xcb)
namespace {

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

const xcb_screen_t* ScreenOfRoot(xcb_connection_t* connection, xcb_window_t root) {
    for (xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(connection)); screen.rem > 0;
         xcb_screen_next(&screen)) {
        if (screen.data->root == root) {
            return screen.data;
        }
    }
    return nullptr;
}

void UseScreenColormap(xcb_connection_t* connection, xcb_window_t window) {
    const xcb_get_window_attributes_cookie_t attributesAsked = xcb_get_window_attributes(connection, window);
    const xcb_get_geometry_cookie_t geometryAsked = xcb_get_geometry(connection, window);
    const ReplyPtr<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection, attributesAsked, nullptr), &std::free);
    const ReplyPtr<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(connection, geometryAsked, nullptr),
                                                      &std::free);
    if (!attributes || !geometry) {
        return; // the window is gone already
    }
    const xcb_screen_t* screen = ScreenOfRoot(connection, geometry->root);
    // A window of another visual (one with an alpha channel, say) needs a colormap of its own visual.
    if (screen == nullptr || attributes->visual != screen->root_visual ||
        attributes->colormap == screen->default_colormap) {
        return;
    }
    const quint32 colormap = screen->default_colormap;
    xcb_change_window_attributes(connection, window, XCB_CW_COLORMAP, &colormap);
}

class ScreenColormapFilter final : public QObject {
public:
    ScreenColormapFilter(xcb_connection_t* connection, QObject* parent) : QObject(parent), connection(connection) {}

    // Each native window as Qt creates it, before it is first shown.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PlatformSurface && watched->isWindowType() &&
            static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() == QPlatformSurfaceEvent::SurfaceCreated) {
            UseScreenColormap(connection, static_cast<QWindow*>(watched)->winId());
        }
        return false;
    }

private:
    xcb_connection_t* connection;
};

} // namespace

void UseScreenColormapForWindows() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr) {
        return; // the offscreen platform or Wayland
    }
    qGuiApp->installEventFilter(new ScreenColormapFilter(x11->connection(), qGuiApp));
}
#else
void UseScreenColormapForWindows() {}
#endif

} // namespace hz
