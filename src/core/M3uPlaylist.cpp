#include "core/M3uPlaylist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

namespace {

const QString header = QStringLiteral("#EXTM3U");

bool isEntry(const QString &line)
{
    return !line.isEmpty() && !line.startsWith(QLatin1Char('#'));
}

// A title on one line, without the characters that end an #EXTINF line.
QString singleLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.trimmed();
}

} // namespace

M3uPlaylist::M3uPlaylist(const QString &path) : m_path(path) {}

QString M3uPlaylist::resolved(const QString &entry) const
{
    const QString local = entry.startsWith(QLatin1String("file://"))
                              ? QUrl(entry).toLocalFile()
                              : entry;
    return QDir::cleanPath(QFileInfo(m_path).absoluteDir().absoluteFilePath(local));
}

QStringList M3uPlaylist::readLines(bool *ok, QString *error) const
{
    *ok = true;
    QFile file(m_path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        *ok = false;
        if (error)
            *error = file.errorString();
        return {};
    }
    QStringList lines;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        QString line = QString::fromUtf8(raw);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        lines << line;
    }
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList M3uPlaylist::files() const
{
    bool ok = false;
    QStringList files;
    for (const QString &line : readLines(&ok, nullptr)) {
        if (isEntry(line.trimmed()))
            files << resolved(line.trimmed());
    }
    return files;
}

M3uPlaylist::Result M3uPlaylist::addFile(const QString &file, const QString &title, int seconds,
                                         QString *error)
{
    const QString path = QDir::cleanPath(QFileInfo(file).absoluteFilePath());
    if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r'))) {
        if (error)
            *error = QStringLiteral("a line break in the file name cannot be listed");
        return Failed;
    }
    bool ok = false;
    QStringList lines = readLines(&ok, error);
    if (!ok)
        return Failed;
    for (const QString &line : std::as_const(lines)) {
        if (isEntry(line.trimmed()) && resolved(line.trimmed()) == path)
            return AlreadyListed;
    }
    if (lines.isEmpty() || lines.first().trimmed() != header)
        lines.prepend(header);
    const QString name = singleLine(title.isEmpty() ? QFileInfo(path).completeBaseName() : title);
    lines << QStringLiteral("#EXTINF:%1,%2").arg(seconds < 0 ? -1 : seconds).arg(name) << path;

    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        if (error)
            *error = QStringLiteral("cannot create the folder");
        return Failed;
    }
    QSaveFile out(m_path);
    // Unbuffered, so a short write shows in write()'s result rather than being lost in flush.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = out.errorString();
        return Failed;
    }
    // A short write (disk full, size limit) is not an error to QIODevice: check it.
    const QByteArray content = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    if (out.write(content) != content.size()) {
        if (error)
            *error = QStringLiteral("the playlist could not be written in full");
        out.cancelWriting();
        return Failed;
    }
    if (!out.commit()) {
        if (error)
            *error = out.errorString();
        return Failed;
    }
    return Added;
}
