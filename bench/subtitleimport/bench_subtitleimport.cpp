// A 200 MiB subtitle beside a video (--quick: 20 MiB), next to a normal
// 100 kB one, in the same run: the time of the import's listing (which reads
// and judges every subtitle) and of the subtitle copy into the library, and
// how much the process grew (resident set and its peak).
#include "BenchRun.h"
#include "library/CopyRequest.h"
#include "library/FileCopier.h"
#include "library/ImportSession.h"
#include "library/Library.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// VmRSS or VmHWM of this process, in kB.
qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field) + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

bool writeSubtitle(const QString &path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block;
    for (int i = 0; block.size() < 1024 * 1024; ++i)
        block += QByteArray::number(i) + "\n00:00:01,000 --> 00:00:02,000\nSome line of text\n\n";
    for (qint64 written = 0; written < bytes; written += block.size())
        file.write(block.left(qMin<qint64>(block.size(), bytes - written)));
    return true;
}

struct Row
{
    QString name;
    double listMs = 0;
    double copyMs = 0;
    qint64 rssGrowthKb = 0;
    qint64 peakGrowthKb = 0;
    QString outcome;
};

Row measure(const QString &name, const QString &folder, const LibraryLocation &library)
{
    Row row;
    row.name = name;
    const qint64 rss = statusKb("VmRSS:");
    const qint64 peak = statusKb("VmHWM:");
    QElapsedTimer timer;
    timer.start();
    const ImportSession::Listing listing = ImportSession::list(library, {folder});
    row.listMs = timer.nsecsElapsed() / 1e6;
    const int kept = int(listing.subtitles.value(folder + QStringLiteral("/clip.mp4")).size());
    row.outcome = kept == 1 ? QStringLiteral("kept") : listing.report.details().join(u"; ");

    FileCopier copier(library);
    QSignalSpy done(&copier, &FileCopier::done);
    QSignalSpy errors(&copier, &FileCopier::error);
    timer.restart();
    copier.copy(folder + QStringLiteral("/clip.srt"),
                library.folder() + QStringLiteral("/clip.srt"), CopyRequest::RewriteSubtitle);
    done.wait(600000);
    row.copyMs = timer.nsecsElapsed() / 1e6;
    if (!errors.isEmpty())
        row.outcome += QStringLiteral(" / copy error %1")
                           .arg(int(errors.first().at(1).value<FileCopier::Error>()));
    QFile::remove(library.folder() + QStringLiteral("/clip.srt"));
    row.rssGrowthKb = statusKb("VmRSS:") - rss;
    row.peakGrowthKb = statusKb("VmHWM:") - peak;
    return row;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_subtitleimport"), app.arguments());
    QTemporaryDir dir;
    const LibraryLocation library = LibraryLocation::setUp(dir.path());

    const qint64 hugeBytes = run.size<qint64>(200, 20) * 1024 * 1024;
    QList<Row> rows;
    for (const auto &[name, bytes] :
         {std::pair{QStringLiteral("normal, 100 kB"), qint64(100 * 1024)},
          std::pair{QStringLiteral("huge, %1 MiB").arg(hugeBytes >> 20), hugeBytes}}) {
        run.step(QStringLiteral("write ") + name, 120);
        const QString folder = dir.filePath(QStringLiteral("source-%1").arg(rows.size()));
        QDir().mkpath(folder);
        QFile video(folder + QStringLiteral("/clip.mp4"));
        if (!video.open(QIODevice::WriteOnly) || video.write("video") != 5 ||
            !writeSubtitle(folder + QStringLiteral("/clip.srt"), bytes))
            run.fail(QStringLiteral("cannot write the files"));
        video.close();
        run.step(QStringLiteral("import ") + name, 300);
        rows << measure(name, folder, library);
    }
    std::printf("%-18s %10s %10s %12s %12s  %s\n", "subtitle", "list ms", "copy ms", "RSS +kB",
                "peak +kB", "outcome");
    for (const Row &row : rows)
        std::printf("%-18s %10.1f %10.1f %12lld %12lld  %s\n", qPrintable(row.name), row.listMs,
                    row.copyMs, row.rssGrowthKb, row.peakGrowthKb, qPrintable(row.outcome));
    std::printf("huge/normal list time: %.2fx\n", rows[1].listMs / qMax(0.001, rows[0].listMs));
    if (!rows[1].outcome.contains(QStringLiteral("over")))
        run.fail(QStringLiteral("the huge subtitle was not refused"));
    return run.done();
}
