#pragma once

#include <QPixmap>
#include <QString>

// Pictures of the resource file. Each is kept at 1x and 2x ("name@2x.png");
// the sharper one is chosen for the screen's scale.
class Artwork
{
public:
    static QPixmap pixmap(const QString &path, qreal devicePixelRatio = 0);

private:
    Artwork() = delete;
};
