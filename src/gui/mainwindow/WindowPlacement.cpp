#include "gui/mainwindow/WindowPlacement.h"

#include <algorithm>

namespace {

qint64 area(const QRect &rect)
{
    return rect.isValid() ? qint64(rect.width()) * rect.height() : 0;
}

} // namespace

QRect WindowPlacement::fit(const QRect &saved, const QList<QRect> &screens, const QSize &minimum)
{
    if (screens.isEmpty())
        return saved;
    QRect screen = screens.first();
    qint64 best = 0;
    for (const QRect &candidate : screens) {
        const qint64 shared = area(candidate.intersected(saved));
        if (shared > best) {
            best = shared;
            screen = candidate;
        }
    }
    QSize size = saved.size().boundedTo(screen.size()).expandedTo(minimum.boundedTo(screen.size()));
    if (best == 0) // nowhere to be seen: centre it on the primary screen
        return QRect(screen.center() - QPoint(size.width() / 2, size.height() / 2), size);
    const int x = std::clamp(saved.x(), screen.left(), screen.left() + screen.width() - size.width());
    const int y = std::clamp(saved.y(), screen.top(), screen.top() + screen.height() - size.height());
    return QRect(QPoint(x, y), size);
}
