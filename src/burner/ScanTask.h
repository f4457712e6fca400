#pragma once

#include "burner/Task.h"

class Project;

// Reads a video's play length, bitrate and frame size with the encoder and
// adds the clip to the project it is given (not owned; it must outlive the task). A scan never
// fails: an unreadable file becomes a clip with zeros.
class ScanTask : public Task
{
    Q_OBJECT

public:
    explicit ScanTask(Project *project);

    void exec() override;
    void cancel() override;
    // The scan found no video in the file: it was not added.
    bool isRefused() const { return m_refused; }

private slots:
    void checkOutput(int exitCode, QProcess::ExitStatus status);
    void startFailed(QProcess::ProcessError error);

private:
    Project *m_project;
    bool m_refused = false;
};
