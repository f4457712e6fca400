#include "media/EncoderRunner.h"

#include "core/Platform.h"

#include <QDeadlineTimer>
#include <QProcess>

#include <sys/resource.h>

namespace {

constexpr int kPollMs = 50;
// How much lower runs are than the thread that starts them. Background
// runs take the processor when the program's own threads leave it.
constexpr int kLowerNice = 5;
constexpr int kBackgroundNice = 10;

int niceOffset(EncoderRunner::Priority priority)
{
    switch (priority) {
    case EncoderRunner::Priority::Lower:
        return kLowerNice;
    case EncoderRunner::Priority::Background:
        return kBackgroundNice;
    case EncoderRunner::Priority::Normal:
        break;
    }
    return 0;
}

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
                              const std::atomic<bool> *cancel, Priority priority)
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
    // Set from here rather than in the child: a child process modifier
    // would make the process start with a full fork() of this one.
    // (A process id of 0 would lower this thread instead.)
    const qint64 pid = process.processId();
    if (niceOffset(priority) > 0 && pid > 0) {
        const int own = getpriority(PRIO_PROCESS, 0); // this thread's
        setpriority(PRIO_PROCESS, id_t(pid), qMin(19, own + niceOffset(priority)));
    }
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
