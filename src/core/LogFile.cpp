#include "core/LogFile.h"

#include "core/Platform.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QtDebug>

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace ZR {

namespace {

// Everything the handler touches, guarded by `mutex`.
struct LogState
{
    QMutex mutex;
    std::unique_ptr<QFile> file;
    qint64 maxBytes = LogFile::DefaultMaxBytes;
    qint64 written = 0; // bytes in the open file, counted as they are written
    qint64 stampSecond = std::numeric_limits<qint64>::min();
    QByteArray stamp; // "[<date and time>]" of stampSecond
};

LogState &state()
{
    static LogState s;
    return s;
}

QString &platformText()
{
    static QString text;
    return text;
}

const char *levelTag(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
    case QtInfoMsg:
        return "[debug]: ";
    case QtWarningMsg:
        return "[warning]: ";
    case QtCriticalMsg:
        return "[critical]: ";
    case QtFatalMsg:
        return "[fatal]: ";
    }
    return "[debug]: ";
}

// The time stamp has whole seconds: it is formatted once per second.
const QByteArray &timeStamp(LogState &s)
{
    const qint64 second = QDateTime::currentSecsSinceEpoch();
    if (second != s.stampSecond) {
        s.stampSecond = second;
        s.stamp = '[' + QDateTime::fromSecsSinceEpoch(second).toString(Qt::TextDate).toUtf8() + ']';
    }
    return s.stamp;
}

// The start of `text` of at most `bytes` bytes, never cutting a UTF-8
// sequence in two.
QByteArray utf8Start(const QByteArray &text, qsizetype bytes)
{
    while (bytes > 0 && (uchar(text.at(bytes)) & 0xc0) == 0x80)
        --bytes;
    return text.left(bytes);
}

QByteArray cut(const QByteArray &text, qsizetype bound)
{
    if (text.size() <= bound)
        return text;
    const QByteArray kept = utf8Start(text, bound);
    return kept + "[... " + QByteArray::number(text.size() - kept.size()) + " bytes cut]";
}

// A message as it is written: every line, and the message as a whole, cut at
// a bound with a marker, so that one huge text (a user name, a page) neither
// fills the log nor pushes the earlier lines out of it.
QByteArray boundedMessage(const QString &message)
{
    QByteArray text = message.toUtf8();
    if (text.size() <= LogFile::MaxLineBytes)
        return text;
    text = cut(text, LogFile::MaxMessageBytes);
    QList<QByteArray> lines = text.split('\n');
    for (QByteArray &line : lines)
        line = cut(line, LogFile::MaxLineBytes);
    return lines.join('\n');
}

QByteArray logLine(LogState &s, QtMsgType type, const QString &message)
{
    return timeStamp(s) + levelTag(type) + boundedMessage(message) + '\n';
}

// One write and a flush per line: whatever was logged before a crash is in
// the file.
void writeLine(LogState &s, const QByteArray &line)
{
    // A closed file would complain through the handler, which holds the lock.
    if (!s.file->isOpen())
        return;
    s.file->write(line);
    s.file->flush();
    s.written += line.size();
}

bool openForAppending(QFile &file)
{
    return file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

// Whether `file` still is the file at its path: another process of ours
// (the command line tool logs into the same file) may have moved it aside.
bool stillAtItsPath(QFile &file)
{
#ifdef Q_OS_UNIX
    struct stat opened = {};
    struct stat named = {};
    if (::fstat(file.handle(), &opened) != 0)
        return false;
    if (::stat(QFile::encodeName(file.fileName()).constData(), &named) != 0)
        return false;
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
#else
    Q_UNUSED(file);
    return true;
#endif
}

// Moves the log file to its ".1" name, replacing an older one in one step.
bool moveAside(const QString &path)
{
    const QString older = LogFile::previousLogFilePath(path);
    if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(older).constData()) == 0)
        return true;
    // Where renaming does not replace, the older file goes first.
    QFile::remove(older);
    return QFile::rename(path, older);
}

// Begins a fresh log file; the earlier lines stay in the ".1" file. When the
// file cannot be moved, writing goes on at its end, and the next attempt
// waits for another limit's worth of lines: nothing is dropped.
void startFresh(LogState &s)
{
    QFile &file = *s.file;
    const QString path = file.fileName();
    file.close();
    s.written = 0;
    if (!moveAside(path)) {
        openForAppending(file);
        return;
    }
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        // No fresh file: the earlier one goes back and writing goes on there.
        std::rename(QFile::encodeName(LogFile::previousLogFilePath(path)).constData(),
                    QFile::encodeName(path).constData());
        openForAppending(file);
        return;
    }
    writeLine(s, logLine(s, QtDebugMsg,
                         QStringLiteral("Earlier lines of this log are in %1")
                             .arg(QFileInfo(LogFile::previousLogFilePath(path)).fileName())));
}

// Makes room for `bytes` more. Checked against the running count; the file
// itself is looked at only when the count says it is full.
void makeRoom(LogState &s, qint64 bytes)
{
    if (s.written == 0 || s.written + bytes <= s.maxBytes)
        return;
    if (!stillAtItsPath(*s.file)) {
        s.file->close();
        openForAppending(*s.file);
        s.written = s.file->size();
        if (s.written == 0 || s.written + bytes <= s.maxBytes)
            return;
    }
    startFresh(s);
}

} // namespace

void LogFile::init(bool installHandler)
{
    QString openFailure;
    QString absolutePath;
    {
        LogState &s = state();
        QMutexLocker lock(&s.mutex);
        if (s.file)
            return;
        const QString path =
            QDir(QDir::homePath())
                .filePath(QStringLiteral("%1.log").arg(QCoreApplication::applicationName()));
        s.file = std::make_unique<QFile>(path);
        QFile &file = *s.file;
        absolutePath = QFileInfo(file).absoluteFilePath();
        if (file.exists()) {
            if (openForAppending(file)) {
                s.written = file.size();
                makeRoom(s, 1);
            } else {
                openFailure = QStringLiteral("Can't open log file for appending");
            }
        } else if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
            openFailure = QStringLiteral("Can't create log file for writing");
        } else {
            s.written = 0;
        }
    }
    // These go to the default output: the handler is not installed yet.
    qDebug().noquote() << absolutePath;
    if (!openFailure.isEmpty())
        qDebug().noquote() << openFailure;
    if (installHandler)
        qInstallMessageHandler(&LogFile::messageHandler);

    platformText() = QStringLiteral("   running on ") + Platform::osDescription();
    qDebug().noquote() << QString(95, QLatin1Char('-'));
    qDebug().noquote() << QCoreApplication::applicationName() + QLatin1Char(' ') +
                              QCoreApplication::applicationVersion() +
                              QStringLiteral(" built with Qt ") + QString::fromLatin1(qVersion());
    qDebug().noquote() << platformText();
}

void LogFile::close()
{
    qInstallMessageHandler(nullptr);
    LogState &s = state();
    QMutexLocker lock(&s.mutex);
    if (s.file) {
        s.file->close();
        s.file.reset();
    }
    s.written = 0;
}

QString LogFile::logFilePath()
{
    LogState &s = state();
    QMutexLocker lock(&s.mutex);
    return s.file ? QFileInfo(*s.file).absoluteFilePath() : QString();
}

QString LogFile::previousLogFilePath(const QString &logFilePath)
{
    return logFilePath + QStringLiteral(".1");
}

QString LogFile::platformDescription()
{
    return platformText();
}

void LogFile::setMaxBytes(qint64 bytes)
{
    LogState &s = state();
    QMutexLocker lock(&s.mutex);
    s.maxBytes = qMax<qint64>(1, bytes);
}

qint64 LogFile::maxBytes()
{
    LogState &s = state();
    QMutexLocker lock(&s.mutex);
    return s.maxBytes;
}

void LogFile::messageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    {
        LogState &s = state();
        QMutexLocker lock(&s.mutex);
        if (s.file && s.file->isOpen()) {
            // One write per message keeps lines from different threads whole,
            // and the file is changed only here, under the lock.
            const QByteArray line = logLine(s, type, message);
            makeRoom(s, line.size());
            writeLine(s, line);
        }
    }
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace ZR
