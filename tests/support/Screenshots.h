#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QString>
#include <QWidget>

// Pictures of what a test built, for a person to look at: kept only when
// asked for (ZELTA_SCREENSHOTS=folder), never compared.
namespace Screenshots {

// The folder pictures go to; empty when none were asked for.
inline QString folder()
{
    return qEnvironmentVariable("ZELTA_SCREENSHOTS");
}

// Saves `image` as `name` (".png" is added to a name without a suffix).
inline void keep(const QImage &image, const QString &name)
{
    const QString where = folder();
    if (where.isEmpty())
        return;
    QDir().mkpath(where);
    const QString file = name.contains(QLatin1Char('.')) ? name : name + QStringLiteral(".png");
    image.save(QDir(where).filePath(file));
}

// Saves what `widget` draws now, after the events still waiting are taken.
inline void keep(QWidget *widget, const QString &name)
{
    if (folder().isEmpty() || !widget)
        return;
    QCoreApplication::processEvents();
    keep(widget->grab().toImage(), name);
}

} // namespace Screenshots
