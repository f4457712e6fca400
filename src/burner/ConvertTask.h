#pragma once

#include "burner/Task.h"
#include "burner/VideoClip.h"

#include <QElapsedTimer>

#include <memory>

class Project;

// Re-encodes one clip into an MPEG program stream for the project's disc type.
class ConvertTask : public Task
{
    Q_OBJECT

public:
    explicit ConvertTask(QObject *parent = nullptr);
    ~ConvertTask() override;

    // The conversion of the project's clip at `index` into file_<index>.mpg
    // of the project folder, with the disc type's encoder targets.
    static std::unique_ptr<ConvertTask> forProjectClip(const Project &project, int index,
                                                       QObject *parent = nullptr);

    QPixmap icon() const override;
    void exec() override;
    void cancel() override;

    void setArguments(const QString &pre, const QString &post);
    VideoClip clip() const { return m_clip; }
    void setClip(const VideoClip &clip) { m_clip = clip; }
    // The full command as it is logged.
    QString commandLine() const;

private slots:
    void checkProgress();
    void checkFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void checkError(QProcess::ProcessError error);

private:
    void handleOutput(const QString &text);
    void removePartialOutput();

    QString m_encoder;
    double m_duration = 0.0;
    double m_current = 0.0;
    QString m_preArguments;
    QString m_postArguments;
    QElapsedTimer m_clock;
    bool m_unsupported = false;
    VideoClip m_clip;
    QString m_pending; // an unfinished output line
    QByteArray m_errorLog;
};
