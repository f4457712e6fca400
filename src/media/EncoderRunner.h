#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>

// The outcome of one encoder run.
struct EncoderRun
{
    bool started = false;
    bool timedOut = false;
    bool cancelled = false;
    bool crashed = false;
    int exitCode = -1;
    QByteArray output; // standard output (a picture written to "-")
    QByteArray report; // standard error: the encoder's report
    QString error;     // why it did not start

    // Started, ran to its end and exited with 0.
    bool succeeded() const
    {
        return started && !timedOut && !cancelled && !crashed && exitCode == 0;
    }
};

// Runs the encoder (or another media tool) to its end in the calling thread.
class EncoderRunner
{
public:
    static constexpr int defaultTimeoutMs = 30000;
    // Work the user waits for but does not watch (an import's thumbnails)
    // runs a little lower, so that the window's thread gets a core as soon
    // as it wakes while the work keeps a fair share against other programs.
    // Background work (probing a folder nobody waits for) runs lower still,
    // so that it does not slow the program's own answers.
    enum class Priority
    {
        Normal,
        Lower,
        Background
    };
    // Output kept of each channel; the rest is read and dropped.
    static constexpr qsizetype maxOutput = 16 * 1024 * 1024;

    // The encoder's path; empty (and `missingMessage` logged) when it is absent.
    static QString encoder(const QString &missingMessage = QString());

    // Runs `program` with `args` and no standard input. Kills it after
    // `timeoutMs`, or soon after `*cancel` becomes true.
    static EncoderRun run(const QString &program, const QStringList &args,
                          int timeoutMs = defaultTimeoutMs,
                          const std::atomic<bool> *cancel = nullptr,
                          Priority priority = Priority::Normal);
};
