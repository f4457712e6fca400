#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>

// Gui and widget parts only where the test links them (a tool test may have
// neither and still want a folder to write its own pictures to).
#if __has_include(<QImage>)
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QScreen>
#include <QTest>
#include <QWindow>
#endif
#if __has_include(<QWidget>)
#include <QCoreApplication>
#include <QWidget>
#endif

// Pictures of what a test built, for a person to look at: kept only when
// asked for (ZELTA_SCREENSHOTS=folder), never compared. Nothing here does any
// work, or waits, when none were asked for.
namespace Screenshots {

// The folder pictures go to; empty when none were asked for.
inline QString folder()
{
    return qEnvironmentVariable("ZELTA_SCREENSHOTS");
}

inline bool wanted()
{
    return !folder().isEmpty();
}

// The file a picture called `name` is written to, its folder made; `name` may
// hold a subfolder ("player/bar"). ".png" is added to a name without a
// picture suffix. Empty when no pictures were asked for.
inline QString path(const QString &name)
{
    const QString where = folder();
    if (where.isEmpty())
        return {};
    QString file = name;
#if __has_include(<QImage>)
    const QByteArray suffix = QFileInfo(name).suffix().toLower().toLatin1();
    if (suffix.isEmpty() || !QImageWriter::supportedImageFormats().contains(suffix))
#else
    if (!name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
#endif
        file += QStringLiteral(".png");
    file = QDir(where).filePath(file);
    QDir().mkpath(QFileInfo(file).absolutePath());
    return file;
}

#if __has_include(<QImage>)
// Saves `image` as `name` (see path()).
inline void keep(const QImage &image, const QString &name)
{
    const QString file = path(name);
    if (!file.isEmpty())
        image.save(file);
}

// Saves the whole of `screen` (the primary one by default) as a person sees
// it, windows of their own over others included (an X display and offscreen
// both put the shown windows together). Once the shown windows are exposed it
// lets the last frame of what plays or loads in them (a video, a web page) be
// drawn, for which there is no state to wait on.
inline void keepScreen(const QString &name, QScreen *screen = nullptr)
{
    if (!wanted())
        return;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible())
            (void)QTest::qWaitForWindowExposed(window);
    }
    QTest::qWait(1500);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QImage picture = screen->grabWindow(0).toImage();
    if (!picture.isNull())
        keep(picture, name);
}
#endif

#if __has_include(<QWidget>)
// Saves what `widget` draws now, after the events still waiting are taken.
inline void keep(QWidget *widget, const QString &name)
{
    if (!wanted() || !widget)
        return;
    QCoreApplication::processEvents();
    keep(widget->grab().toImage(), name);
}
#endif

} // namespace Screenshots
