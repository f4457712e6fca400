#pragma once

#include <QString>

#include <memory>

// Finds and closes top-level windows of other processes on the X display,
// the way a window manager would.
class X11Windows
{
public:
    using WindowId = unsigned long;

    X11Windows();
    ~X11Windows();

    bool isOpen() const;
    // A window whose name contains `title`, or 0.
    WindowId find(const QString &title);
    // Polls until such a window exists (0 on time-out).
    WindowId waitFor(const QString &title, int timeoutMs = 30000, int pollMs = 100);
    // Sends WM_DELETE_WINDOW, as a window manager's close button does.
    void requestClose(WindowId window);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
