#include "X11Windows.h"

#include <QElapsedTimer>
#include <QThread>

#include <X11/Xlib.h>

#include <functional>

struct X11Windows::Private {
    Display *display = nullptr;

    void walk(Window w, const std::function<bool(Window)> &visit)
    {
        if (visit(w))
            return;
        Window root, parent, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, w, &root, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count; ++i)
                walk(children[i], visit);
            if (children)
                XFree(children);
        }
    }
};

X11Windows::X11Windows()
    : d(std::make_unique<Private>())
{
    d->display = XOpenDisplay(nullptr);
    // Windows of other processes come and go while we walk the tree: a
    // vanished window is not an error here.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
}

X11Windows::~X11Windows()
{
    if (d->display)
        XCloseDisplay(d->display);
}

bool X11Windows::isOpen() const
{
    return d->display != nullptr;
}

X11Windows::WindowId X11Windows::find(const QString &title)
{
    if (!d->display)
        return 0;
    Window found = 0;
    d->walk(DefaultRootWindow(d->display), [&](Window w) {
        char *name = nullptr;
        if (!found && XFetchName(d->display, w, &name) && name) {
            if (QString::fromUtf8(name).contains(title))
                found = w;
            XFree(name);
        }
        return found != 0;
    });
    return found;
}

X11Windows::WindowId X11Windows::waitFor(const QString &title, int timeoutMs, int pollMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (WindowId w = find(title))
            return w;
        QThread::msleep(pollMs);
    }
    return 0;
}

void X11Windows::requestClose(WindowId window)
{
    if (!d->display)
        return;
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(d->display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(d->display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d->display, window, False, NoEventMask, &event);
    XFlush(d->display);
}
