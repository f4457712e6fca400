#include "media/EncoderRunner.h"

#include "core/Platform.h"

#include <QDeadlineTimer>
#include <QProcess>

namespace {

constexpr int kPollMs = 50;

void append(QByteArray *kept, const QByteArray &data)
{
    if (kept->size() < EncoderRunner::maxOutput)
        kept->append(data.left(EncoderRunner::maxOutput - kept->size()));
}

} // namespace

QString EncoderRunner::encoder(const QString &missingMessage)
{
    return Platform::binaryPath(QStringLiteral("encoder"), missingMessage);
}

EncoderRun EncoderRunner::run(const QString &program, const QStringList &args, int timeoutMs,
                              const std::atomic<bool> *cancel)
{
    EncoderRun result;
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, args, QIODevice::ReadOnly);
    if (!process.waitForStarted(timeoutMs)) {
        result.error = process.errorString();
        return result;
    }
    result.started = true;
    const QDeadlineTimer deadline(timeoutMs);
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired() || (cancel && cancel->load())) {
            result.timedOut = deadline.hasExpired();
            result.cancelled = !result.timedOut;
            process.kill();
            process.waitForFinished(-1);
            break;
        }
        process.waitForFinished(kPollMs);
        append(&result.output, process.readAllStandardOutput());
        append(&result.report, process.readAllStandardError());
    }
    append(&result.output, process.readAllStandardOutput());
    append(&result.report, process.readAllStandardError());
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = result.crashed ? -1 : process.exitCode();
    return result;
}
