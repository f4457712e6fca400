#pragma once

#include "burner/Task.h"

// Reads a video's play length, bitrate and frame size with the encoder and
// adds the clip to the project. A scan never fails: an unreadable file
// becomes a clip with zeros.
class ScanTask : public Task
{
    Q_OBJECT

public:
    ScanTask();

    void exec() override;
    void cancel() override;

private slots:
    void checkOutput(int exitCode, QProcess::ExitStatus status);
    void startFailed(QProcess::ProcessError error);
};
