#include "tv/MetaDataGatherer.h"
#include "core/Logging.h"

#include "core/Platform.h"

#include <QDebug>
#include <QImage>
#include <QMutexLocker>
#include <QRecursiveMutex>
#include <QRegularExpression>

namespace {
constexpr qsizetype maxOutput = 16 * 1024 * 1024;
}

MetaDataGatherer::MetaDataGatherer(QRecursiveMutex *treeLock, QObject *parent)
    : QObject(parent), m_treeLock(treeLock)
{
}

MetaDataGatherer::~MetaDataGatherer()
{
    abort();
}

void MetaDataGatherer::gather(MediaNode *node)
{
    if (!node || node->isFolder() || node->hasMetaData())
        return;
    m_queue.enqueue(node);
    QMetaObject::invokeMethod(this, &MetaDataGatherer::processNextNode, Qt::QueuedConnection);
}

void MetaDataGatherer::cancel(MediaNode *node)
{
    m_queue.removeAll(node);
}

void MetaDataGatherer::abort()
{
    m_queue.clear();
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(3000);
        delete m_process;
        m_process = nullptr;
    }
    m_current = nullptr;
    m_busy = false;
    m_imageData.clear();
    m_report.clear();
}

void MetaDataGatherer::processNextNode()
{
    if (m_busy || m_queue.isEmpty())
        return;
    const QString encoder = Platform::binaryPath(
        QStringLiteral("encoder"), QStringLiteral("MetaDataGatherer::updateMetaData can't find"));
    if (encoder.isEmpty()) {
        m_queue.clear();
        return;
    }
    m_current = m_queue.dequeue();
    m_busy = true;
    m_process = new QProcess(this);
    connect(m_process, &QProcess::readyReadStandardOutput, this, &MetaDataGatherer::readImageData);
    connect(m_process, &QProcess::readyReadStandardError, this, &MetaDataGatherer::readMetaData);
    connect(m_process, &QProcess::finished, this, &MetaDataGatherer::processData);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            processData(-1, QProcess::CrashExit);
    });
    const QStringList args = {QStringLiteral("-y"),    QStringLiteral("-i"),
                              m_current->path(),       QStringLiteral("-f"),
                              QStringLiteral("mjpeg"), QStringLiteral("-ss"),
                              QStringLiteral("10"),    QStringLiteral("-vframes"),
                              QStringLiteral("1"),     QStringLiteral("-")};
    m_process->start(encoder, args, QIODevice::ReadOnly);
}

void MetaDataGatherer::readImageData()
{
    if (!m_process)
        return;
    const QByteArray data = m_process->readAllStandardOutput();
    if (m_imageData.size() + data.size() <= maxOutput)
        m_imageData += data;
}

void MetaDataGatherer::readMetaData()
{
    if (!m_process)
        return;
    const QByteArray data = m_process->readAllStandardError();
    if (m_report.size() + data.size() <= maxOutput)
        m_report += data;
}

void MetaDataGatherer::parseReport(const QString &report, MediaNode *node)
{
    static const QRegularExpression duration(
        QStringLiteral("Duration: ([0-9]*:[0-9]*:[0-9]*.[0-9]*)"));
    static const QRegularExpression video(
        QStringLiteral("Video: ([a-zA-Z0-9]*), ([a-zA-Z0-9]*), ([0-9]*)x([0-9]*)"));
    static const QRegularExpression input(QStringLiteral("Input #0, ([a-zA-Z0-9]*)"));
    const QRegularExpressionMatch durationMatch = duration.match(report);
    if (durationMatch.hasMatch()) {
        QString text = durationMatch.captured(1);
        // "hh:mm:ss.cc": QTime wants milliseconds.
        const qsizetype dot = text.indexOf(QLatin1Char('.'));
        if (dot >= 0)
            text =
                text.left(dot + 1) + text.mid(dot + 1).leftJustified(3, QLatin1Char('0')).left(3);
        node->duration = QTime::fromString(text, QStringLiteral("hh:mm:ss.zzz"));
    }
    const QRegularExpressionMatch videoMatch = video.match(report);
    if (videoMatch.hasMatch())
        node->codec = videoMatch.captured(0).mid(7);
    const QRegularExpressionMatch inputMatch = input.match(report);
    if (inputMatch.hasMatch())
        node->format = inputMatch.captured(1);
}

void MetaDataGatherer::processData(int, QProcess::ExitStatus status)
{
    if (!m_process)
        return;
    readImageData();
    readMetaData();
    if (status == QProcess::CrashExit || !m_current) {
        qCWarning(lcTv).noquote() << "MetaDataGatherer::processData error processing data";
    } else {
        const QImage image = QImage::fromData(m_imageData);
        QMutexLocker locker(m_treeLock);
        m_current->image = image;
        parseReport(QString::fromUtf8(m_report), m_current);
    }
    m_imageData.clear();
    m_report.clear();
    m_process->disconnect(this);
    m_process->deleteLater();
    m_process = nullptr;
    m_current = nullptr;
    m_busy = false;
    emit gathered();
    QMetaObject::invokeMethod(this, &MetaDataGatherer::processNextNode, Qt::QueuedConnection);
}
