#include "library/ITunesExporter.h"

#include "core/Logging.h"
#include "core/M3uPlaylist.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

namespace {

QString musicFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
}

} // namespace

ITunesExporter::ITunesExporter(QObject *parent) : QObject(parent) {}

bool ITunesExporter::isInstalled()
{
    // The folder itself is made by the first export, unless a file is in its way.
    const QString folder = musicFolder();
    return !folder.isEmpty() && (QFileInfo(folder).isDir() || !QFileInfo::exists(folder));
}

QString ITunesExporter::playlistPath()
{
    return QDir(musicFolder()).filePath(QStringLiteral("Corvana ZELTA.m3u8"));
}

void ITunesExporter::exportFile(const QString &path, const QString &title, int seconds)
{
    if (!QDir().mkpath(musicFolder()))
        qCWarning(lcLibrary).noquote()
            << "ITunesExporter::exportFile cannot make the music folder" << musicFolder();
    M3uPlaylist playlist(playlistPath());
    const bool existed = QFileInfo::exists(playlist.path());
    QString error;
    switch (playlist.addFile(QDir::toNativeSeparators(path), title, seconds, &error)) {
    case M3uPlaylist::Added:
        if (!existed)
            qCDebug(lcLibrary) << "ITunesExporter::exportFile Had to create the playlist";
        break;
    case M3uPlaylist::AlreadyListed:
        qCDebug(lcLibrary) << "ITunesExporter::exportFile already in the playlist:" << path;
        break;
    case M3uPlaylist::Failed:
        qCWarning(lcLibrary) << "ITunesExporter::exportFile An unexpected error occurred."
                             << playlist.path() << error;
        break;
    }
    // The caller shows its status first; the add is already done.
    QTimer::singleShot(0, this, &ITunesExporter::finished);
}
