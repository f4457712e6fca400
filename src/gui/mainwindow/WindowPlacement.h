#pragma once

#include <QList>
#include <QRect>
#include <QSize>

// Where a window goes when its remembered place may no longer fit the screens.
class WindowPlacement
{
public:
    // `saved` moved and shrunk as little as needed to lie on one of `screens`
    // (available areas; the first is the primary one). The screen holding
    // most of `saved` keeps it; a window on no screen goes to the primary one.
    static QRect fit(const QRect &saved, const QList<QRect> &screens, const QSize &minimum = QSize());

private:
    WindowPlacement() = delete;
};
