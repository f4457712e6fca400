#pragma once

#include <QString>

// Mouse and keyboard input on the X display through the XTEST extension, as
// if a user moved the mouse and typed: events reach whatever window is there.
class X11Input
{
public:
    X11Input();
    ~X11Input();
    X11Input(const X11Input &) = delete;
    X11Input &operator=(const X11Input &) = delete;

    bool isOpen() const;
    void moveTo(int x, int y);
    void click(int x, int y);
    // Turns the wheel over (x, y): positive steps scroll down.
    void wheel(int x, int y, int steps);
    // Types plain text (ASCII letters, digits and spaces).
    void type(const QString &text);
    // Presses one key by its X name ("Return", "Tab", "BackSpace"), with Control held
    // when `control` is set.
    void key(const char *name, bool control = false);

private:
    void sync();
    void tap(unsigned int keycode, bool shift);

    struct _XDisplay *m_display = nullptr;
};
