#include "core/M3uPlaylist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

namespace {

const QString header = QStringLiteral("#EXTM3U");

bool isEntry(const QByteArray &line)
{
    const QByteArray trimmed = line.trimmed();
    return !trimmed.isEmpty() && !trimmed.startsWith('#');
}

// Lines ended by LF, CRLF or a lone CR, each kept as the bytes it holds.
QList<QByteArray> splitLines(const QByteArray &content)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < content.size(); ++i) {
        const char c = content.at(i);
        if (c != '\n' && c != '\r')
            continue;
        lines << content.mid(start, i - start);
        if (c == '\r' && i + 1 < content.size() && content.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < content.size())
        lines << content.mid(start);
    return lines;
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

QString M3uPlaylist::resolved(const QByteArray &line) const
{
    const QString entry = QString::fromUtf8(line.trimmed());
    const QString local = entry.startsWith(QLatin1String("file://"))
                              ? QUrl(entry).toLocalFile()
                              : entry;
    return QDir::cleanPath(QFileInfo(m_path).absoluteDir().absoluteFilePath(local));
}

QList<QByteArray> M3uPlaylist::readLines(bool *ok, QString *error) const
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
    QList<QByteArray> lines = splitLines(file.readAll());
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList M3uPlaylist::files() const
{
    bool ok = false;
    QStringList files;
    for (const QByteArray &line : readLines(&ok, nullptr)) {
        if (isEntry(line))
            files << resolved(line);
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
    QList<QByteArray> lines = readLines(&ok, error);
    if (!ok)
        return Failed;
    for (const QByteArray &line : std::as_const(lines)) {
        if (isEntry(line) && resolved(line) == path)
            return AlreadyListed;
    }
    if (lines.isEmpty() || lines.first().trimmed() != header.toUtf8())
        lines.prepend(header.toUtf8());
    const QString name = singleLine(title.isEmpty() ? QFileInfo(path).completeBaseName() : title);
    lines << QStringLiteral("#EXTINF:%1,%2").arg(seconds < 0 ? -1 : seconds).arg(name).toUtf8()
          << path.toUtf8();

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
    // Lines already there are written back as the bytes they were.
    const QByteArray content = lines.join('\n') + '\n';
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
