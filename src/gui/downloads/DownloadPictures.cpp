#include "gui/downloads/DownloadPictures.h"

#include <QFutureWatcher>
#include <QImage>
#include <QImageReader>
#include <QtConcurrent>

namespace {

// Decodes straight to about the size the card shows (a JPEG decoder skips
// most of the work then), then scales smoothly to fit.
QImage readScaled(const QString &path, const QSize &box)
{
    QImageReader reader(path);
    const QSize full = reader.size();
    if (full.isValid() && (full.width() > 2 * box.width() || full.height() > 2 * box.height()))
        reader.setScaledSize(full.scaled(box * 2, Qt::KeepAspectRatio));
    const QImage image = reader.read();
    if (image.isNull())
        return image;
    return image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

DownloadPictures::DownloadPictures(const QSize &box, const QPixmap &defaultPicture, QObject *parent)
    : QObject(parent), m_default(defaultPicture), m_box(box)
{
}

QPixmap DownloadPictures::picture(const QObject *download, const QString &path)
{
    const auto found = m_entries.constFind(download);
    if (found != m_entries.constEnd())
        return found->picture.isNull() ? m_default : found->picture;
    const quint64 serial = ++m_lastSerial;
    m_entries.insert(download, Entry{QPixmap(), serial});
    read(download, path, serial);
    return m_default;
}

void DownloadPictures::forget(const QObject *download)
{
    m_entries.remove(download);
}

void DownloadPictures::read(const QObject *download, const QString &path, quint64 serial)
{
    auto *watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, download, serial] {
        watcher->deleteLater();
        const auto entry = m_entries.find(download);
        // Forgotten meanwhile: a later ask reads the file again.
        if (entry == m_entries.end() || entry->reading != serial)
            return;
        entry->reading = 0;
        const QImage image = watcher->result();
        if (image.isNull())
            return;
        entry->picture = QPixmap::fromImage(image);
        emit pictureRead(download);
    });
    watcher->setFuture(QtConcurrent::run(readScaled, path, m_box));
}
