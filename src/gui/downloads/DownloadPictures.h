#pragma once

#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QSize>

// The pictures of the download cards: each download's thumbnail, read and
// scaled off the window's thread the first time its card asks for it, so a
// long restored queue reads nothing at start and a card on screen never
// waits for a file. Until its thumbnail is read (or when it has none that
// can be read) a card gets the default picture.
class DownloadPictures : public QObject
{
    Q_OBJECT

public:
    // Thumbnails are scaled to fit `box`.
    DownloadPictures(const QSize &box, const QPixmap &defaultPicture, QObject *parent = nullptr);

    // The picture for `download`; the first ask starts reading `path`.
    QPixmap picture(const QObject *download, const QString &path);
    // The picture is read again at the next ask (a new thumbnail, or the
    // download went).
    void forget(const QObject *download);
    const QPixmap &defaultPicture() const { return m_default; }

signals:
    // `download`'s thumbnail was read: its card may draw it now.
    void pictureRead(const QObject *download);

private:
    struct Entry
    {
        QPixmap picture;     // null while reading, or when unreadable
        quint64 reading = 0; // the read under way, 0 once done
    };

    void read(const QObject *download, const QString &path, quint64 serial);

    QPixmap m_default;
    QSize m_box;
    QHash<const QObject *, Entry> m_entries;
    quint64 m_lastSerial = 0;
};
