// Measures the media server on 127.0.0.1 (no SSDP): serving a 1 GiB file
// whole and as 16 parallel ranges against nginx serving the same file, Browse
// of a folder of 10,000 files, and the first byte and memory of a transcoded
// FLV answer. Usage: bench_tv [--quick] [work folder]
// (--quick: an 8 MiB file, 200 files, one run each; run by CTest)
#include "BenchRun.h"
#include "BrowseSoap.h"
#include "core/AppIdentity.h"
#include "core/Platform.h"
#include "library/LibraryLocation.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaModel.h"
#include "tv/MediaServer.h"
#include "tv/MetaDataGatherer.h"
#include "tv/TranscodeHelper.h"
#include "tv/TranscodeStream.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>

namespace {

qint64 bigSize = qint64(1) << 30;
int folderSize = 10000;
int runs = 3;

QTextStream out(stdout);

struct Row
{
    QString measure;
    double value;
    QString unit;
    QString reference;
    double referenceValue;
};

void writeBigFile(const QString &path)
{
    QFile file(path);
    if (file.size() == bigSize || !file.open(QIODevice::WriteOnly))
        return;
    QByteArray block(qMin<qint64>(8 << 20, bigSize), Qt::Uninitialized);
    for (qsizetype i = 0; i < block.size(); ++i)
        block[i] = char((i * 131) ^ (i >> 9));
    for (qint64 written = 0; written < bigSize; written += block.size())
        file.write(block);
}

// Wall time of curl processes run in parallel, each fetching one range (or all).
double curlSeconds(const QString &url, int parts)
{
    QList<QProcess *> processes;
    QElapsedTimer timer;
    timer.start();
    const qint64 part = bigSize / parts;
    for (int i = 0; i < parts; ++i) {
        auto *curl = new QProcess;
        QStringList args = {QStringLiteral("-s"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                            QStringLiteral("--fail")};
        if (parts > 1) {
            const qint64 last = i == parts - 1 ? bigSize - 1 : (i + 1) * part - 1;
            args << QStringLiteral("-r") << QStringLiteral("%1-%2").arg(i * part).arg(last);
        }
        curl->start(QStringLiteral("curl"), args << url);
        processes.append(curl);
    }
    bool ok = true;
    for (QProcess *curl : processes) {
        curl->waitForFinished(-1); // the watchdog limits the wait
        ok = ok && curl->exitCode() == 0;
        delete curl;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    return ok ? seconds : -1;
}

// -1 when any run failed (a refused connection, a short answer): a failure
// is reported as one, never as a figure.
double bestMiBps(const QString &url, int parts)
{
    double best = 0;
    for (int i = 0; i < runs; ++i) {
        const double seconds = curlSeconds(url, parts);
        if (seconds <= 0)
            return -1;
        best = std::max(best, bigSize / 1048576.0 / seconds);
    }
    return best;
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

std::unique_ptr<QProcess> startNginx(const QString &work, const QString &root, quint16 port)
{
    QFile conf(work + QStringLiteral("/nginx.conf"));
    conf.open(QIODevice::WriteOnly);
    QTextStream(&conf) << "daemon off;\nworker_processes 2;\n"
                       << (getuid() == 0 ? "user root;\n" : "") << "error_log " << work
                       << "/nginx-error.log;\npid " << work
                       << "/nginx.pid;\nevents { worker_connections 256; }\nhttp {\n"
                       << "  access_log off; sendfile on; tcp_nopush on;\n"
                       << "  client_body_temp_path " << work << "/nginx-body;\n"
                       << "  proxy_temp_path " << work << "/nginx-proxy;\n"
                       << "  fastcgi_temp_path " << work << "/nginx-fastcgi;\n"
                       << "  uwsgi_temp_path " << work << "/nginx-uwsgi;\n"
                       << "  scgi_temp_path " << work << "/nginx-scgi;\n"
                       << "  server { listen 127.0.0.1:" << port << "; root " << root << "; }\n}\n";
    conf.close();
    auto nginx = std::make_unique<QProcess>();
    nginx->start(QStringLiteral("nginx"),
                 {QStringLiteral("-c"), conf.fileName(), QStringLiteral("-p"), work});
    nginx->waitForStarted();
    for (int i = 0; i < 50; ++i) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (socket.waitForConnected(100))
            break;
        QThread::msleep(100);
    }
    return nginx;
}

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    const QString text = QString::fromLatin1(status.readAll());
    return QRegularExpression(QStringLiteral("VmRSS:\\s+(\\d+)"))
        .match(text)
        .captured(1)
        .toLongLong();
}

// Milliseconds until the first body byte; keeps the socket open (not reading)
// for `holdMs` and reports the largest growth of the resident set meanwhile.
double transcodedFirstByte(const QUrl &url, int holdMs, double *growthMiB)
{
    const qint64 baseline = residentKiB();
    QTcpSocket socket;
    socket.setReadBufferSize(64 * 1024);
    QElapsedTimer timer;
    timer.start();
    socket.connectToHost(QHostAddress::LocalHost, quint16(url.port()));
    socket.waitForConnected(5000);
    socket.write("GET " + url.path(QUrl::FullyEncoded).toUtf8() +
                 " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray data;
    double firstByte = -1;
    while (firstByte < 0 && socket.waitForReadyRead(30000)) {
        data += socket.read(64 * 1024);
        const qsizetype end = data.indexOf("\r\n\r\n");
        if (end >= 0 && data.size() > end + 4)
            firstByte = timer.nsecsElapsed() / 1e6;
    }
    qint64 peak = baseline;
    QElapsedTimer hold;
    hold.start();
    while (hold.elapsed() < holdMs) {
        QThread::msleep(100);
        peak = std::max(peak, residentKiB());
    }
    socket.abort();
    *growthMiB = (peak - baseline) / 1024.0;
    return firstByte;
}

double encoderFirstByte(const QString &path)
{
    QProcess encoder;
    QElapsedTimer timer;
    timer.start();
    encoder.start(Platform::binaryPath(TranscodeHelper::programFor(0)),
                  TranscodeHelper::argumentsFor(0, path));
    encoder.waitForReadyRead(30000);
    const double ms = timer.nsecsElapsed() / 1e6;
    encoder.kill();
    encoder.waitForFinished();
    return ms;
}

double millis(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

void printTable(const QList<Row> &rows)
{
    out << QStringLiteral("%1 | %2 | %3 | %4\n")
               .arg(QStringLiteral("measure"), -44)
               .arg(QStringLiteral("value"), 14)
               .arg(QStringLiteral("reference"), -30)
               .arg(QStringLiteral("ratio"));
    out << QString(100, QLatin1Char('-')) << '\n';
    auto figure = [](double value, const QString &unit) {
        return value < 0 ? QStringLiteral("FAILED")
                         : QString::number(value, 'f', 1) + QLatin1Char(' ') + unit;
    };
    for (const Row &row : rows) {
        const bool failed = row.value < 0 || row.referenceValue < 0;
        out << QStringLiteral("%1 | %2 | %3 | %4\n")
                   .arg(row.measure, -44)
                   .arg(figure(row.value, row.unit), 14)
                   .arg(row.reference + QStringLiteral(" ") + figure(row.referenceValue, QString()),
                        -30)
                   .arg(failed ? QStringLiteral("-")
                        : row.referenceValue > 0
                            ? QString::number(row.value / row.referenceValue, 'f', 2)
                            : QStringLiteral("0.00"));
    }
    out.flush();
}

bool anyFailed(const QList<Row> &rows)
{
    return std::any_of(rows.cbegin(), rows.cend(),
                       [](const Row &row) { return row.value < 0 || row.referenceValue < 0; });
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_tv"), app.arguments());
    bigSize = run.size(bigSize, qint64(8) << 20);
    // Quick: still a folder larger than the server waits for probes of (200
    // files), so that its first Browse takes the full run's path.
    folderSize = run.size(folderSize, 300);
    runs = run.size(runs, 1);
    const int clipSeconds = run.size(120, 3);
    const int stallMs = run.size(15000, 1000);
    AppIdentity::apply();
    QStringList arguments = app.arguments().mid(1);
    arguments.removeAll(QStringLiteral("--quick"));
    const QString base = arguments.isEmpty() ? QDir::currentPath() : arguments.first();
    run.step(QStringLiteral("preparing the media"));
    QTemporaryDir work(base + QStringLiteral("/bench-tv-XXXXXX"));
    const QString media = work.filePath(QStringLiteral("media"));
    QDir().mkpath(media + QStringLiteral("/many"));
    out << "preparing media in " << media << " ...\n";
    out.flush();
    writeBigFile(media + QStringLiteral("/big.mp4"));
    for (int i = 0; i < folderSize; ++i) {
        QFile file(media + QStringLiteral("/many/clip-%1.mp4").arg(i, 5, 10, QLatin1Char('0')));
        file.open(QIODevice::WriteOnly);
        file.write("x");
    }
    const QString flv = media + QStringLiteral("/show.flv");
    QProcess::execute(QStringLiteral("ffmpeg"),
                      {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                       QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                       QStringLiteral("testsrc=size=640x480:rate=25:duration=%1").arg(clipSeconds),
                       QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                       QStringLiteral("sine=duration=%1").arg(clipSeconds), flv});
    run.step(QStringLiteral("starting the server"));

    LumiqoTv tv(QStringLiteral("LumiqoTV"), LibraryLocation::at(media), UpnpEngine::NoSsdp);
    tv.toggleServerStatus();
    const QString server = QStringLiteral("http://127.0.0.1:%1").arg(tv.server()->port());
    const QUrl control(server + QLatin1Char('/') + tv.server()->uuid +
                       QStringLiteral("/ContentDirectory/control.xml"));
    // Quotes in the answer's text may come escaped or not.
    const QString root = QString::fromUtf8(BrowseSoap::browse(control, QStringLiteral("0"), 0, 0))
                             .replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    auto idOf = [&](const QString &title) {
        const QRegularExpression pattern(
            QStringLiteral("id=\"(\\d+)\"[^&]*\"[^&]*\"[^&]*\"1\"(?: "
                           "childCount=\"\\d+\")?&gt;&lt;dc:title&gt;") +
            title + QStringLiteral("&lt;"));
        return pattern.match(root).captured(1);
    };
    const QString bigId = idOf(QStringLiteral("big"));
    const QString manyId = idOf(QStringLiteral("many"));
    const QString flvId = idOf(QStringLiteral("show"));
    if (bigId.isEmpty() || manyId.isEmpty() || flvId.isEmpty())
        run.fail(QStringLiteral("could not find the media in the root listing"));
    QList<Row> rows;

    // (1) File serving against nginx.
    run.step(QStringLiteral("file serving against nginx"));
    const quint16 nginxPort = freePort();
    auto nginx = startNginx(work.path(), media, nginxPort);
    const QString ours = server + QStringLiteral("/%25/") + bigId;
    const QString theirs = QStringLiteral("http://127.0.0.1:%1/big.mp4").arg(nginxPort);
    curlSeconds(ours, 1); // warm the page cache
    const QString fileName = bigSize >= (qint64(1) << 30)
                                 ? QStringLiteral("%1 GiB").arg(bigSize >> 30)
                                 : QStringLiteral("%1 MiB").arg(bigSize >> 20);
    rows.append({QStringLiteral("GET %1 file (best of %2)").arg(fileName).arg(runs),
                 bestMiBps(ours, 1), QStringLiteral("MiB/s"), QStringLiteral("nginx MiB/s"),
                 bestMiBps(theirs, 1)});
    rows.append({QStringLiteral("16 parallel ranges of %1 (best of %2)").arg(fileName).arg(runs),
                 bestMiBps(ours, 16), QStringLiteral("MiB/s"), QStringLiteral("nginx MiB/s"),
                 bestMiBps(theirs, 16)});
    nginx->terminate();
    nginx->waitForFinished();

    // (2) Browse of a folder of 10,000 files.
    run.step(QStringLiteral("Browse"));
    QByteArray first;
    const double cold = millis([&] { first = BrowseSoap::browse(control, manyId, 0, 100); });
    tv.model()->gatherer()->abort(); // no probing of 10,000 files during the timings
    double warm = 1e9;
    double whole = 1e9;
    for (int i = 0; i < runs; ++i) {
        warm = std::min(warm, millis([&] { BrowseSoap::browse(control, manyId, 0, 100); }));
        whole = std::min(whole, millis([&] { BrowseSoap::browse(control, manyId, 0, 0); }));
    }
    const double listing = millis(
        [&] { QDir(media + QStringLiteral("/many")).entryInfoList(QDir::Files, QDir::Name); });
    const bool complete =
        first.contains("<TotalMatches>" + QByteArray::number(folderSize) + "</TotalMatches>");
    const QString folder = QStringLiteral("Browse %1 folder").arg(folderSize);
    // A never-listed folder answers its first page from the file names
    // alone, within 300 ms.
    rows.append({folder + QStringLiteral(", first 100, first time"), cold, QStringLiteral("ms"),
                 QStringLiteral("target ms"), 300});
    rows.append({folder + QStringLiteral(", first 100, again"), warm, QStringLiteral("ms"),
                 QStringLiteral("target ms"), 100});
    rows.append({folder + QStringLiteral(", all"), whole, QStringLiteral("ms"),
                 QStringLiteral("QDir listing ms"), listing});

    // (3) Transcoded answer: first byte, and memory while the client stalls.
    run.step(QStringLiteral("transcoded answer"));
    double growth = 0;
    const double ttfb =
        transcodedFirstByte(QUrl(server + QStringLiteral("/%25/") + flvId), stallMs, &growth);
    rows.append({QStringLiteral("transcoded FLV, time to first byte"), ttfb, QStringLiteral("ms"),
                 QStringLiteral("encoder alone ms"), encoderFirstByte(flv)});
    rows.append({QStringLiteral("transcoded FLV, memory growth, client stalled"), growth,
                 QStringLiteral("MiB"), QStringLiteral("ring buffer MiB"),
                 TranscodeStream::bufferSize / 1048576.0});
    printTable(rows);
    if (!complete)
        run.fail(QStringLiteral("the Browse answer did not report %1 matches").arg(folderSize));
    if (anyFailed(rows))
        run.fail(QStringLiteral("a run failed: the benchmark fails"));
    return run.done();
}
