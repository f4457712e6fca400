#include "burner/ScanTask.h"
#include "core/Logging.h"

#include "burner/Project.h"
#include "burner/VideoClip.h"
#include "media/EncoderOutput.h"
#include "media/EncoderRunner.h"

#include <QtDebug>

ScanTask::ScanTask(Project *project) : Task(nullptr), m_project(project)
{
    connect(this, &QProcess::finished, this, &ScanTask::checkOutput);
    connect(this, &QProcess::errorOccurred, this, &ScanTask::startFailed);
}

void ScanTask::exec()
{
    if (state() != QProcess::NotRunning) {
        qCDebug(lcBurner) << "ScanTask::exec process already running";
        return;
    }
    clearEnded();
    const QString encoder = EncoderRunner::encoder(QStringLiteral("ScanTask::exec missing tool:"));
    setProgram(encoder);
    setArguments({QStringLiteral("-hide_banner"), QStringLiteral("-i"), source()});
    start(QIODevice::ReadWrite);
    closeWriteChannel();
}

void ScanTask::cancel()
{
    if (state() != QProcess::NotRunning) {
        kill();
        waitForFinished(5000);
    }
}

void ScanTask::checkOutput(int, QProcess::ExitStatus)
{
    const QString text = QString::fromLocal8Bit(readAllStandardError());
    const MediaInfo info = EncoderOutput::parse(text);
    if (!info.hasVideo()) {
        // The encoder read the file and found no picture: not for a disc.
        qCWarning(lcBurner).noquote() << "ScanTask::checkOutput no video in" << source();
        m_refused = true;
        reportComplete();
        return;
    }
    VideoClip clip(source(), qMax(info.durationSeconds(), 0), info.bitrate,
                   qMax(info.frameSize.width(), 0), qMax(info.frameSize.height(), 0));
    clip.subtitles = SubtitleFile::besideVideo(source());
    m_project->addClip(clip);
    reportComplete();
}

void ScanTask::startFailed(QProcess::ProcessError error)
{
    // Without the encoder the file still joins the project, with zeros.
    if (error == QProcess::FailedToStart) {
        qCWarning(lcBurner).noquote()
            << "ScanTask::exec could not start the encoder for" << source();
        VideoClip clip(source(), 0, 0, 0, 0);
        clip.subtitles = SubtitleFile::besideVideo(source());
        m_project->addClip(clip);
        reportComplete();
    }
}
