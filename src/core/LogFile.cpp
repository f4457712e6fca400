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

#include <cstdlib>
#include <memory>

namespace ZR {

namespace {

QMutex &logMutex()
{
    static QMutex mutex;
    return mutex;
}

std::unique_ptr<QFile> &logFile()
{
    static std::unique_ptr<QFile> file;
    return file;
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

} // namespace

void LogFile::init(bool installHandler)
{
    QString openFailure;
    QString absolutePath;
    {
        QMutexLocker lock(&logMutex());
        if (logFile())
            return;
        const QString path = QDir(QDir::homePath())
                                 .filePath(QStringLiteral("%1.log").arg(
                                     QCoreApplication::applicationName()));
        logFile() = std::make_unique<QFile>(path);
        QFile &file = *logFile();
        absolutePath = QFileInfo(file).absoluteFilePath();
        if (file.exists()) {
            if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
                openFailure = QStringLiteral("Can't open log file for appending");
        } else if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
            openFailure = QStringLiteral("Can't create log file for writing");
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
    QMutexLocker lock(&logMutex());
    if (logFile()) {
        logFile()->close();
        logFile().reset();
    }
}

QString LogFile::logFilePath()
{
    QMutexLocker lock(&logMutex());
    return logFile() ? QFileInfo(*logFile()).absoluteFilePath() : QString();
}

QString LogFile::platformDescription()
{
    return platformText();
}

void LogFile::messageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    {
        QMutexLocker lock(&logMutex());
        QFile *file = logFile().get();
        if (file && file->isOpen()) {
            // One write per message keeps lines from different threads whole.
            const QByteArray line =
                '[' + QDateTime::currentDateTime().toString(Qt::TextDate).toUtf8() + ']' +
                levelTag(type) + message.toUtf8() + '\n';
            file->write(line);
            file->flush();
        }
    }
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace ZR
