#include "X11Input.h"

#include <QThread>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

X11Input::X11Input() : m_display(XOpenDisplay(nullptr)) {}

X11Input::~X11Input()
{
    if (m_display)
        XCloseDisplay(m_display);
}

bool X11Input::isOpen() const
{
    int event, error, major, minor;
    return m_display && XTestQueryExtension(m_display, &event, &error, &major, &minor);
}

void X11Input::sync()
{
    XSync(m_display, False);
    // Lets the receiving program see one event before the next arrives, as
    // with a person's hand.
    QThread::msleep(20);
}

void X11Input::moveTo(int x, int y)
{
    XTestFakeMotionEvent(m_display, -1, x, y, CurrentTime);
    sync();
}

void X11Input::click(int x, int y)
{
    moveTo(x, y);
    XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
    sync();
    XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
    sync();
}

void X11Input::wheel(int x, int y, int steps)
{
    moveTo(x, y);
    const unsigned int button = steps > 0 ? 5 : 4;
    for (int i = 0; i < qAbs(steps); ++i) {
        XTestFakeButtonEvent(m_display, button, True, CurrentTime);
        XTestFakeButtonEvent(m_display, button, False, CurrentTime);
        sync();
    }
}

void X11Input::tap(unsigned int keycode, bool shift)
{
    const KeyCode shiftCode = XKeysymToKeycode(m_display, XK_Shift_L);
    if (shift)
        XTestFakeKeyEvent(m_display, shiftCode, True, CurrentTime);
    XTestFakeKeyEvent(m_display, keycode, True, CurrentTime);
    XTestFakeKeyEvent(m_display, keycode, False, CurrentTime);
    if (shift)
        XTestFakeKeyEvent(m_display, shiftCode, False, CurrentTime);
    sync();
}

void X11Input::type(const QString &text)
{
    for (const QChar c : text) {
        // Printable ASCII keysyms are the characters' own codes ("/" is
        // "slash" by name, which XStringToKeysym("/") does not know).
        const KeySym symbol = c.unicode() >= 0x20 && c.unicode() < 0x7f
                                  ? KeySym(c.unicode())
                                  : XStringToKeysym(QByteArray(1, c.toLatin1()).constData());
        const KeyCode code = XKeysymToKeycode(m_display, symbol);
        if (!code)
            continue;
        // Upper-case letters and the like sit on the shifted level of their key.
        tap(code, XkbKeycodeToKeysym(m_display, code, 0, 0) != symbol);
    }
}

void X11Input::key(const char *name, bool control)
{
    const KeyCode code = XKeysymToKeycode(m_display, XStringToKeysym(name));
    const KeyCode controlCode = XKeysymToKeycode(m_display, XK_Control_L);
    if (control)
        XTestFakeKeyEvent(m_display, controlCode, True, CurrentTime);
    tap(code, false);
    if (control) {
        XTestFakeKeyEvent(m_display, controlCode, False, CurrentTime);
        sync();
    }
}
