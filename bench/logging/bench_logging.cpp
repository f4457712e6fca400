// Times the log file's message handler: debug lines from two threads into the
// log file in a temporary home, against the same bytes written line by line
// to /dev/null through a plain QFile (write and flush per line).
//
// The last row writes past a small size limit, so the file is moved aside
// several times per run.
//
//   bench_logging           100,000 lines per run, the median of 5 runs
//   bench_logging --quick   2,000 lines, one run (run by CTest)
#include "BenchRun.h"
#include "core/AppIdentity.h"
#include "core/LogFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kThreads = 2;

// A typical line of a large library's start: a path of about 80 characters.
QString lineText(int thread, int i)
{
    return QStringLiteral("Library: This file skipped /home/user/My Library/Channel %1/clip "
                          "number %2 of the channel.mp4")
        .arg(thread)
        .arg(i);
}

// Runs `perThread(t)` on kThreads threads at once; the wall time in ns.
qint64 onThreads(const std::function<void(int)> &perThread)
{
    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(QThread::create(perThread, t));
    QElapsedTimer timer;
    timer.start();
    for (auto &thread : threads)
        thread->start();
    for (auto &thread : threads)
        thread->wait();
    return timer.nsecsElapsed();
}

// The same bytes through a plain QFile, under a lock, one write and a flush
// per line.
qint64 plainFile(const QString &path, int lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    QMutex mutex;
    const QByteArray stamp = "[Tue Dec 8 05:25:19 2026][debug]: ";
    return onThreads([&](int t) {
        for (int i = 0; i < lines / kThreads; ++i) {
            const QByteArray line = stamp + lineText(t, i).toUtf8() + '\n';
            QMutexLocker lock(&mutex);
            file.write(line);
            file.flush();
        }
    });
}

qint64 handler(int lines)
{
    QFile::remove(QDir::home().filePath(QStringLiteral("CorvanaZELTA.log")));
    ZR::LogFile::init(true);
    const qint64 ns = onThreads([&](int t) {
        for (int i = 0; i < lines / kThreads; ++i)
            qDebug().noquote() << lineText(t, i);
    });
    ZR::LogFile::close();
    return ns;
}

double medianNsPerLine(const std::function<qint64(int)> &work, int lines, int runs)
{
    QList<double> perLine;
    for (int r = 0; r < runs; ++r)
        perLine << double(work(lines)) / lines;
    std::sort(perLine.begin(), perLine.end());
    return perLine.at(perLine.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    QCoreApplication app(argc, argv);
    AppIdentity::apply();
    BenchRun run(QStringLiteral("bench_logging"), QCoreApplication::arguments());
    const int lines = run.size(100000, 2000);
    const int runs = run.size(5, 1);

    QTextStream out(stdout);
    out << QStringLiteral("%1 debug lines from %2 threads, median of %3 runs\n\n")
               .arg(lines)
               .arg(kThreads)
               .arg(runs);
    out << QStringLiteral("%1 %2 %3\n")
               .arg(QStringLiteral("what"), -52)
               .arg(QStringLiteral("ns/line"), 9)
               .arg(QStringLiteral("ratio"), 7);

    run.step(QStringLiteral("plain QFile to /dev/null"));
    const double reference = medianNsPerLine(
        [](int n) { return plainFile(QStringLiteral("/dev/null"), n); }, lines, runs);
    const auto row = [&](const QString &what, double ns) {
        out << QStringLiteral("%1 %2 %3\n")
                   .arg(what, -52)
                   .arg(ns, 9, 'f', 0)
                   .arg(ns / reference, 7, 'f', 2);
        out.flush();
    };
    row(QStringLiteral("reference: plain QFile to /dev/null, flush per line"), reference);

    run.step(QStringLiteral("plain QFile to a file"));
    const QString plainPath = QDir::home().filePath(QStringLiteral("plain.log"));
    row(QStringLiteral("plain QFile to a file in the home folder"),
        medianNsPerLine([&](int n) { return plainFile(plainPath, n); }, lines, runs));
    QFile::remove(plainPath);

    run.step(QStringLiteral("message handler"));
    row(QStringLiteral("message handler into the log file"), medianNsPerLine(handler, lines, runs));

    // Moving the file aside costs a rename and an open now and then; the
    // running count spares a look at the file per line.
    run.step(QStringLiteral("message handler, moving the file aside"));
    ZR::LogFile::setMaxBytes(1024 * 1024);
    row(QStringLiteral("message handler, file moved aside every 1 MiB"),
        medianNsPerLine(handler, lines, runs));
    return run.done();
}
