// A start with a long stored download queue: engines and main window built
// and shown (offscreen), each start a fresh process of bench_startup_parts,
// with 200 stored downloads (records and partial files made through the
// download records) against an empty queue, alternating, 15 of each. The
// ratio is the median of the ratios of each pair of starts (a start with the
// queue against the empty start just before it), so that a slow spell of the
// machine counts for both sides; the ratio of the medians and the CPU time the
// window's thread spent until the window was shown are printed beside it.
// Also checks that every restored download is in the list with its title
// when the window is first on screen.
//
//   bench_restoredqueue [--quick]     (--quick: 20 downloads, one start each)
#include "BenchRun.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

namespace {

BenchRun *g_run = nullptr;

QProcessEnvironment environmentFor(const QString &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

// The figures one part printed on its line.
QList<double> runPart(const QString &home, const QStringList &args)
{
    QProcess parts;
    parts.setProcessEnvironment(environmentFor(home));
    parts.setStandardErrorFile(QProcess::nullDevice());
    parts.start(QStringLiteral(ZELTA_PARTS), args);
    if (!parts.waitForFinished(120000) || parts.exitStatus() != QProcess::NormalExit ||
        parts.exitCode() != 0)
        g_run->fail(QStringLiteral("bench_startup_parts %1 failed").arg(args.join(' ')));
    QList<double> figures;
    const QList<QByteArray> words = parts.readAllStandardOutput().simplified().split(' ');
    for (const QByteArray &word : words)
        figures << word.toDouble();
    return figures;
}

struct Start
{
    double ms = 0;
    int rows = 0;
    int titled = 0;
    double cpuMs = 0;
};

Start start(const QString &home)
{
    const QList<double> figures = runPart(home, {QStringLiteral("queue")});
    if (figures.size() != 4)
        g_run->fail(QStringLiteral("bench_startup_parts queue printed no figures"));
    return Start{figures.at(0), int(figures.at(1)), int(figures.at(2)), figures.at(3)};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_restoredqueue"), app.arguments());
    g_run = &run;
    const int stored = run.size(200, 20);
    const int runs = run.size(15, 1);
    QTextStream out(stdout);

    QTemporaryDir emptyHome, queueHome;
    run.step(QStringLiteral("storing %1 downloads").arg(stored), 300);
    runPart(queueHome.path(), {QStringLiteral("queue-fill"), QString::number(stored)});
    // The empty home gets its database from a first start, outside the figures.
    start(emptyHome.path());

    QList<double> empty, queue, pairRatios, emptyCpu, queueCpu;
    int leastTitled = stored;
    for (int i = 0; i < runs; ++i) {
        run.step(QStringLiteral("start %1 of %2").arg(i + 1).arg(runs), 300);
        const Start bare = start(emptyHome.path());
        if (bare.rows != 0)
            run.fail(QStringLiteral("the empty queue listed %1 downloads").arg(bare.rows));
        empty << bare.ms;
        emptyCpu << bare.cpuMs;
        const Start full = start(queueHome.path());
        if (full.rows != stored)
            run.fail(QStringLiteral("%1 of %2 stored downloads listed at the first show")
                         .arg(full.rows)
                         .arg(stored));
        leastTitled = std::min(leastTitled, full.titled);
        queue << full.ms;
        queueCpu << full.cpuMs;
        pairRatios << full.ms / std::max(bare.ms, 0.001);
    }

    const auto ratioText = [](double ratio) { return QString::number(ratio, 'f', 3) + 'x'; };
    const double ratio = BenchRun::median(pairRatios);
    const double ofMedians = BenchRun::median(queue) / std::max(BenchRun::median(empty), 0.001);
    const double cpuRatio =
        BenchRun::median(queueCpu) / std::max(BenchRun::median(emptyCpu), 0.001);
    out << "Start with a stored download queue, window shown offscreen (" << runs
        << " starts each, alternating; fresh process each)" << (run.quick() ? " -- quick mode" : "")
        << '\n';
    out << "| case | median ms | ratio (median of pairs) | ratio of medians "
           "| window thread CPU ms | CPU ratio | listed with title at first show |\n";
    out << "|---|---:|---:|---:|---:|---:|---:|\n";
    out << "| empty queue | " << BenchRun::median(empty) << " | 1.00x | 1.00x | "
        << BenchRun::median(emptyCpu) << " | 1.00x | - |\n";
    out << "| " << stored << " stored downloads | " << BenchRun::median(queue) << " | "
        << ratioText(ratio) << " | " << ratioText(ofMedians) << " | " << BenchRun::median(queueCpu)
        << " | " << ratioText(cpuRatio) << " | " << leastTitled << " of " << stored << " |\n";
    out << "targets: ratio <= 1.05, every stored download listed with its title\n";
    out << "all starts (ms): empty";
    for (double ms : empty)
        out << ' ' << qRound(ms);
    out << "; " << stored << " stored";
    for (double ms : queue)
        out << ' ' << qRound(ms);
    out << '\n';
    out.flush();
    if (leastTitled != stored)
        run.fail(QStringLiteral("%1 of %2 restored downloads had no title at the first show")
                     .arg(stored - leastTitled)
                     .arg(stored));
    return run.done();
}
