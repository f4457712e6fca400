#include "burner/ConvertTask.h"
#include "core/Logging.h"

#include "burner/Project.h"
#include "media/EncoderOutput.h"
#include "media/EncoderRunner.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QtDebug>

namespace {
// The killed encoder may hold its output for a moment; give up after this.
constexpr int kRemoveAttempts = 40;
constexpr int kRemoveWaitMs = 50;
// Diagnostic output kept for the log of a failed conversion.
constexpr int kErrorLogLimit = 16 * 1024;
} // namespace

ConvertTask::ConvertTask(QObject *parent)
    : Task(parent), m_encoder(EncoderRunner::encoder(QStringLiteral("ConvertTask missing tool:")))
{
    connect(this, &QProcess::readyReadStandardError, this, &ConvertTask::checkProgress);
    connect(this, &QProcess::finished, this, &ConvertTask::checkFinished);
    connect(this, &QProcess::errorOccurred, this, &ConvertTask::checkError);
}

std::unique_ptr<ConvertTask> ConvertTask::forProjectClip(const Project &project, int index,
                                                         QObject *parent)
{
    const VideoClip clip = project.clips().value(index);
    auto task = std::make_unique<ConvertTask>(parent);
    task->setClip(clip);
    task->setName(QFileInfo(clip.path).completeBaseName());
    task->setDescription(tr("Converting to MPEG"));
    task->setSource(clip.path);
    task->setDestination(project.convertedFilePath(QStringLiteral("file_%1").arg(index)));
    task->setArguments(QString(), QStringLiteral("-threads %1 %2")
                                      .arg(QThread::idealThreadCount())
                                      .arg(project.encoderArguments(clip)));
    return task;
}

ConvertTask::~ConvertTask()
{
    if (state() != QProcess::NotRunning)
        cancel();
}

QPixmap ConvertTask::icon() const
{
    return QPixmap(QStringLiteral(":/new/new_images/refresh.png"));
}

void ConvertTask::setArguments(const QString &pre, const QString &post)
{
    m_preArguments = pre;
    m_postArguments = post;
}

QString ConvertTask::commandLine() const
{
    return QStringLiteral("\"%1\" -y %2 -i \"%3\" %4 \"%5\"")
        .arg(m_encoder, m_preArguments, source(), m_postArguments, destination());
}

void ConvertTask::exec()
{
    if (state() != QProcess::NotRunning) {
        qCDebug(lcBurner) << "ConvertTask::exec process already running!";
        return;
    }
    clearEnded();
    m_unsupported = false;
    m_pending.clear();
    m_errorLog.clear();
    // Paths go in as separate arguments, so no file name is ever re-parsed.
    QStringList args{QStringLiteral("-y")};
    args << QProcess::splitCommand(m_preArguments) << QStringLiteral("-i") << source()
         << QProcess::splitCommand(m_postArguments) << destination();
    qCDebug(lcBurner).noquote() << "ConvertTask::exec execString: " + commandLine();
    m_duration = 0.0;
    m_current = 0.0;
    m_clock.start();
    setProgram(m_encoder);
    QProcess::setArguments(args);
    start(QIODevice::ReadWrite);
    closeWriteChannel();
}

void ConvertTask::checkProgress()
{
    const QByteArray bytes = readAllStandardError();
    if (m_errorLog.size() < kErrorLogLimit)
        m_errorLog += bytes.left(kErrorLogLimit - m_errorLog.size());
    if (m_unsupported)
        return;
    // Progress lines end in '\r', information lines in '\n'; keep a partial
    // line for the next read.
    m_pending += QString::fromLocal8Bit(bytes);
    const qsizetype end = std::max(m_pending.lastIndexOf(QLatin1Char('\n')),
                                   m_pending.lastIndexOf(QLatin1Char('\r')));
    if (end < 0) {
        // Output without line ends is not what the encoder prints; don't hoard it.
        if (m_pending.size() > kErrorLogLimit)
            m_pending.clear();
        return;
    }
    const QString complete = m_pending.left(end + 1);
    m_pending.remove(0, end + 1);
    handleOutput(complete);
}

void ConvertTask::handleOutput(const QString &text)
{
    if (text.contains(QLatin1String("not found")) || text.contains(QLatin1String("Unsupported"))) {
        m_unsupported = true;
        reportFailure(tr("Unsupported format"),
                      tr("The file %1 contains a track with an unsupported format").arg(source()));
        return;
    }
    const double duration = EncoderOutput::duration(text);
    if (duration >= 0) {
        m_duration = duration;
        return;
    }
    const double time = EncoderOutput::lastTime(text);
    if (time < 0)
        return;
    m_current = time;
    const qreal fraction = m_duration > 0 ? qBound(0.0, m_current / m_duration, 1.0) : -1.0;
    emit progress(fraction, static_cast<qreal>(m_clock.elapsed()));
}

void ConvertTask::checkFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    if (!m_pending.isEmpty()) {
        handleOutput(m_pending);
        m_pending.clear();
    }
    if (exitCode >= 1 || exitStatus == QProcess::CrashExit) {
        m_errorLog += readAllStandardError();
        qCWarning(lcBurner).noquote() << "ConvertTask::checkFinished encoder output:"
                                      << QString::fromLocal8Bit(m_errorLog.right(4096));
        reportFailure(tr("Conversion Error"),
                      tr("The file %1 has failed conversion.").arg(source()));
        return;
    }
    if (m_unsupported)
        return;
    emit progress(1.0, static_cast<qreal>(m_clock.elapsed()));
    reportComplete();
}

void ConvertTask::checkError(QProcess::ProcessError error)
{
    if (error == QProcess::FailedToStart) {
        qCWarning(lcBurner).noquote()
            << "ConvertTask::exec could not start the encoder" << m_encoder;
        reportFailure(tr("Conversion Error"),
                      tr("The file %1 has failed conversion.").arg(source()));
    }
}

void ConvertTask::cancel()
{
    if (state() != QProcess::NotRunning) {
        // The outcome of a cancelled conversion is not reported.
        markEnded();
        disconnect(this, &QProcess::finished, this, &ConvertTask::checkFinished);
        kill();
        waitForFinished(5000);
        connect(this, &QProcess::finished, this, &ConvertTask::checkFinished);
    }
    removePartialOutput();
}

void ConvertTask::removePartialOutput()
{
    if (destination().isEmpty())
        return;
    for (int attempt = 0; attempt < kRemoveAttempts && QFile::exists(destination()); ++attempt) {
        if (QFile::remove(destination()))
            return;
        QThread::msleep(kRemoveWaitMs);
    }
    if (QFile::exists(destination()))
        qCWarning(lcBurner).noquote() << "ConvertTask::cancel could not remove" << destination();
}
