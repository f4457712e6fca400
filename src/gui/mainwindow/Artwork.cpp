#include "gui/mainwindow/Artwork.h"

#include <QFileInfo>
#include <QGuiApplication>

QPixmap Artwork::pixmap(const QString &path, qreal devicePixelRatio)
{
    if (devicePixelRatio <= 0)
        devicePixelRatio = qApp ? qApp->devicePixelRatio() : 1.0;
    if (devicePixelRatio > 1.0) {
        const QFileInfo info(path);
        const QString sharp =
            info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("@2x.") + info.suffix();
        QPixmap pixmap(sharp);
        if (!pixmap.isNull()) {
            pixmap.setDevicePixelRatio(2.0);
            return pixmap;
        }
    }
    return QPixmap(path);
}
