#include "gui/mainwindow/Artwork.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>

QPixmap Artwork::pixmap(const QString &path, qreal devicePixelRatio)
{
    if (devicePixelRatio <= 0)
        devicePixelRatio = qApp ? qApp->devicePixelRatio() : 1.0;
    if (devicePixelRatio > 1.0) {
        const QFileInfo info(path);
        const QString sharp = info.path() + QLatin1Char('/') + info.completeBaseName() +
                              QStringLiteral("@2x.") + info.suffix();
        QPixmap pixmap(sharp);
        if (!pixmap.isNull()) {
            pixmap.setDevicePixelRatio(2.0);
            return pixmap;
        }
    }
    return QPixmap(path);
}

void Artwork::drawStretched(QPainter &painter, const QRect &target, const QPixmap &pixmap,
                            const QMargins &cuts)
{
    if (pixmap.isNull() || target.isEmpty())
        return;
    const qreal ratio = pixmap.devicePixelRatio();
    // Target edges and source edges of the three columns and three rows; no
    // border takes more than half of the target or of the picture.
    const auto edges = [ratio](qreal start, qreal length, qreal sourceLength, int first, int last,
                               qreal *target, qreal *source) {
        const qreal a = qMin<qreal>(first, length / 2);
        const qreal b = qMin<qreal>(last, length / 2);
        target[0] = start;
        target[1] = start + a;
        target[2] = start + length - b;
        target[3] = start + length;
        source[0] = 0;
        source[1] = qMin(a * ratio, sourceLength / 2);
        source[2] = sourceLength - qMin(b * ratio, sourceLength / 2);
        source[3] = sourceLength;
    };
    qreal tx[4], sx[4], ty[4], sy[4];
    edges(target.left(), target.width(), pixmap.width(), cuts.left(), cuts.right(), tx, sx);
    edges(target.top(), target.height(), pixmap.height(), cuts.top(), cuts.bottom(), ty, sy);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QRectF to(QPointF(tx[column], ty[row]), QPointF(tx[column + 1], ty[row + 1]));
            const QRectF from(QPointF(sx[column], sy[row]), QPointF(sx[column + 1], sy[row + 1]));
            if (!to.isEmpty() && !from.isEmpty())
                painter.drawPixmap(to, pixmap, from);
        }
    }
    painter.restore();
}
