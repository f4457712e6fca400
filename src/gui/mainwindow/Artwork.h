#pragma once

#include <QMargins>
#include <QPixmap>
#include <QString>

class QPainter;
class QRect;

// Pictures of the resource file. Each is kept at 1x and 2x ("name@2x.png");
// the sharper one is chosen for the screen's scale.
class Artwork
{
public:
    static QPixmap pixmap(const QString &path, qreal devicePixelRatio = 0);
    // Draws `pixmap` over `target` as nine pieces: the borders given by `cuts`
    // (in device-independent pixels) keep their size, the middle stretches; a
    // side whose cut is 0 is scaled with the middle. Works from the picture's
    // own pixels at every scale (a style sheet's border-image reads the cuts
    // of a 2x picture as 1x pixels and draws it broken).
    static void drawStretched(QPainter &painter, const QRect &target, const QPixmap &pixmap,
                              const QMargins &cuts);

private:
    Artwork() = delete;
};
