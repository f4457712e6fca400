// Browse of a folder of 10,000 clips: our media server against MiniDLNA over
// the same folder (after its scan), both on 127.0.0.1. Run inside a network
// namespace (MiniDLNA announces itself by multicast):
//   scripts/netns-run build/bench/tv/bench_tv_browse [--quick] [work folder]
// (--quick: 300 clips, one run each; run by CTest)
#include "BenchRun.h"
#include "BrowseSoap.h"
#include "core/AppIdentity.h"
#include "library/LibraryLocation.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaModel.h"
#include "tv/MediaServer.h"
#include "tv/MetaDataGatherer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QSemaphore>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <functional>

namespace {

int folderSize = 10000;
int runs = 5;
constexpr int kFreshPages = 5;

QTextStream out(stdout);

double millis(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

double best(const std::function<void()> &work)
{
    double result = 1e9;
    for (int i = 0; i < runs; ++i)
        result = std::min(result, millis(work));
    return result;
}

int totalMatches(const QByteArray &answer)
{
    static const QRegularExpression total(QStringLiteral("<TotalMatches>(\\d+)</TotalMatches>"));
    return total.match(QString::fromUtf8(answer)).captured(1).toInt();
}

// Durations in an answer (escaped DIDL inside the SOAP body).
int durations(const QByteArray &answer)
{
    return int(answer.count("duration=&quot;") + answer.count("duration=\""));
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// The id of the container with the clips: MiniDLNA's folder view ("64")
// shows the one media folder's files directly.
QString containerWith(const QUrl &control, const QString &start)
{
    QString id = start;
    for (int depth = 0; depth < 3; ++depth) {
        const QByteArray answer = BrowseSoap::browse(control, id, 0, 0);
        if (totalMatches(answer) >= folderSize)
            return id;
        static const QRegularExpression child(
            QStringLiteral("&lt;container id=(?:&quot;|\")([^&\"]+)(?:&quot;|\")"));
        const QString next = child.match(QString::fromUtf8(answer)).captured(1);
        if (next.isEmpty())
            return QString();
        id = next;
    }
    return QString();
}

struct Timings
{
    double cold = 0;
    int coldDurations = 0;
    double fresh = 0; // median of pages never asked for before
    double freshWorst = 0;
    double warm = 0;
    double page = 0;
    double all = 0;
    // The first 100 with every property and with a narrow filter.
    qsizetype bytesAll = 0;
    qsizetype bytesNarrow = 0;
    double narrow = 0;
};

const QString kNarrowFilter = QStringLiteral("dc:title,res");
// "--dump FOLDER": the first 100 of each server, as answered, go there (to
// see what the bytes are spent on).
QString dumpFolder;

void dump(const QString &name, const QByteArray &answer)
{
    if (dumpFolder.isEmpty())
        return;
    QFile file(dumpFolder + QLatin1Char('/') + name);
    if (file.open(QIODevice::WriteOnly))
        file.write(answer);
}

// `afterCold` runs after the first answer (our server stops probing the rest
// of the folder there, so that the timings do not share the processor).
Timings measure(const QUrl &control, const QString &id, const std::function<void()> &afterCold)
{
    Timings t;
    QByteArray first;
    t.cold = millis([&] { first = BrowseSoap::browse(control, id, 0, 100); });
    t.coldDurations = durations(first);
    // One answer of a few ms is at the mercy of the scheduler: pages spread
    // over the folder, none asked for before, tell the same more surely.
    QList<double> fresh;
    for (int k = 1; k <= kFreshPages; ++k)
        fresh << millis([&] { BrowseSoap::browse(control, id, folderSize * k / 6, 100); });
    std::sort(fresh.begin(), fresh.end());
    t.fresh = fresh.at(fresh.size() / 2);
    t.freshWorst = fresh.constLast();
    afterCold();
    t.warm = best([&] { BrowseSoap::browse(control, id, 0, 100); });
    const QByteArray all = BrowseSoap::browse(control, id, 0, 100);
    const QByteArray narrow = BrowseSoap::browse(control, id, 0, 100, kNarrowFilter);
    t.bytesAll = all.size();
    t.bytesNarrow = narrow.size();
    const QString server = control.path().startsWith(QLatin1String("/ctl"))
                               ? QStringLiteral("minidlna")
                               : QStringLiteral("ours");
    dump(server + QStringLiteral("-all.xml"), all);
    dump(server + QStringLiteral("-narrow.xml"), narrow);
    t.narrow = best([&] { BrowseSoap::browse(control, id, 0, 100, kNarrowFilter); });
    BrowseSoap::browse(control, id, folderSize - 100, 100);
    t.page = best([&] { BrowseSoap::browse(control, id, folderSize - 100, 100); });
    t.all = best([&] { BrowseSoap::browse(control, id, 0, 0); });
    return t;
}

// The first page of the folder from a server started now (nothing listed,
// nothing probed), while the thread that made the server runs its event loop
// or is blocked for `busyMs` (a window's thread stuck in a long slot).
// Our server's probe results kept from earlier runs go.
void forgetProbeResults()
{
    QFile::remove(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                  QStringLiteral("/tv-probes.cache"));
}

// The ContentDirectory control address of our server.
QUrl controlOf(LumiqoTv &tv)
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(tv.server()->port()) +
                tv.server()->uuid + QStringLiteral("/ContentDirectory/control.xml"));
}

struct FreshPage
{
    double ms = 0;
    int total = 0;
};

FreshPage freshFirstPage(const QString &media, int busyMs)
{
    forgetProbeResults();
    LumiqoTv tv(QStringLiteral("LumiqoTV"), LibraryLocation::at(media), UpnpEngine::NoSsdp);
    tv.toggleServerStatus();
    const QUrl control = controlOf(tv);
    // The browsing client is a thread of its own in both cases, and has
    // asked for the root (which holds the one folder; its id without listing
    // the folder) before the clock starts: both answers then come over a
    // connection that is already open.
    static const QRegularExpression child(
        QStringLiteral("&lt;container id=(?:&quot;|\")([^&\"]+)(?:&quot;|\")"));
    QEventLoop ready;
    QEventLoop ended;
    QSemaphore go;
    FreshPage page;
    QByteArray answer;
    std::unique_ptr<QThread> client(QThread::create([&] {
        const QString id =
            child.match(QString::fromUtf8(BrowseSoap::browse(control, QStringLiteral("0"), 0, 0)))
                .captured(1);
        QMetaObject::invokeMethod(&ready, &QEventLoop::quit, Qt::QueuedConnection);
        go.acquire();
        page.ms = millis([&] { answer = BrowseSoap::browse(control, id, 0, 100); });
    }));
    QObject::connect(client.get(), &QThread::finished, &ended, &QEventLoop::quit);
    client->start();
    ready.exec(); // the owner's events run meanwhile, as before any Browse
    go.release();
    if (busyMs > 0)
        QThread::msleep(busyMs);
    else
        ended.exec();
    client->wait();
    page.total = totalMatches(answer);
    tv.model()->gatherer()->abort();
    tv.toggleServerStatus();
    return page;
}

// `rescan`: a scan of the folder from scratch; otherwise it serves what
// its database holds.
std::unique_ptr<QProcess> startMiniDlna(const QString &work, const QString &folder, quint16 port,
                                        bool rescan)
{
    const QString program =
        QStandardPaths::findExecutable(QStringLiteral("minidlnad"), {QStringLiteral("/usr/sbin")});
    if (program.isEmpty())
        return nullptr;
    QDir().mkpath(work + QStringLiteral("/minidlna"));
    QFile conf(work + QStringLiteral("/minidlna.conf"));
    conf.open(QIODevice::WriteOnly);
    QTextStream(&conf) << "media_dir=V," << folder << "\nport=" << port
                       << "\nnetwork_interface=lo\ndb_dir=" << work << "/minidlna\nlog_dir=" << work
                       << "/minidlna\ninotify=no\nfriendly_name=reference\n"
                       << "notify_interval=900\n";
    conf.close();
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments{QStringLiteral("-S"), QStringLiteral("-f"), conf.fileName(),
                          QStringLiteral("-P"), work + QStringLiteral("/minidlna.pid")};
    if (rescan)
        arguments << QStringLiteral("-R");
    process->start(program, arguments);
    process->waitForStarted();
    return process;
}

double slowest(const QList<double> &values)
{
    return *std::max_element(values.cbegin(), values.cend());
}

// The first page from a server of ours started anew with no probe result
// kept: the folder is listed, then its first page asked for while the
// files are probed.
double ourFirstRun(const QString &media)
{
    forgetProbeResults();
    LumiqoTv tv(QStringLiteral("LumiqoTV"), LibraryLocation::at(media), UpnpEngine::NoSsdp);
    tv.toggleServerStatus();
    const QUrl control = controlOf(tv);
    const QString id = containerWith(control, QStringLiteral("0"));
    const double ms = millis([&] { BrowseSoap::browse(control, id, 0, 100); });
    tv.model()->gatherer()->abort();
    tv.toggleServerStatus();
    return ms;
}

void row(const QString &measure, double ours, double theirs,
         const QString &unit = QStringLiteral("ms"))
{
    const int decimals = unit == QLatin1String("ms") ? 1 : 0;
    out << QStringLiteral("%1 | %2 | %3 | %4\n")
               .arg(measure, -42)
               .arg(QString::number(ours, 'f', decimals) + QLatin1Char(' ') + unit, 10)
               .arg(QString::number(theirs, 'f', decimals) + QLatin1Char(' ') + unit, 12)
               .arg(theirs > 0 ? ours / theirs : 0.0, 0, 'f', 2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_tv_browse"), app.arguments());
    folderSize = run.size(folderSize, 300);
    runs = run.size(runs, 1);
    const int freshRounds = run.size(3, 1);
    const int coldRounds = run.size(3, 1);
    const int busyMs = run.size(12000, 1000);
    AppIdentity::apply();
    QStandardPaths::setTestModeEnabled(true); // a probe cache of our own
    // "--no-reference" skips MiniDLNA (for quick runs while working on ours).
    QStringList arguments = app.arguments().mid(1);
    arguments.removeAll(QStringLiteral("--quick"));
    const bool reference = !arguments.removeAll(QStringLiteral("--no-reference"));
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--dump")); at >= 0) {
        dumpFolder = arguments.value(at + 1);
        arguments.remove(at, qMin(qsizetype(2), arguments.size() - at));
    }
    const QString base = arguments.value(0, QDir::currentPath());
    QTemporaryDir work(base + QStringLiteral("/bench-tv-browse-XXXXXX"));
    const QString media = work.filePath(QStringLiteral("media"));
    const QString folder = media + QStringLiteral("/many");
    QDir().mkpath(folder);
    out << "preparing " << folderSize << " clips in " << folder << " ...\n";
    out.flush();
    run.step(QStringLiteral("preparing the clips"));
    const QString clip = work.filePath(QStringLiteral("clip.mp4"));
    QProcess::execute(QStringLiteral("ffmpeg"),
                      {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                       QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                       QStringLiteral("testsrc=size=64x48:rate=10:duration=1"),
                       QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                       QStringLiteral("sine=duration=1"), QStringLiteral("-shortest"), clip});
    for (int i = 0; i < folderSize; ++i)
        QFile::copy(clip, folder + QStringLiteral("/clip-%1.mp4").arg(i, 5, 10, QLatin1Char('0')));

    // MiniDLNA first: its scan runs before any timing.
    run.step(QStringLiteral("MiniDLNA"), 15 * 60);
    const quint16 port = freePort();
    auto minidlna =
        reference ? startMiniDlna(work.path(), folder, port, true) : std::make_unique<QProcess>();
    if (!minidlna)
        run.fail(QStringLiteral("minidlnad is not installed (scripts/install-deps)"));
    const QUrl theirControl(QStringLiteral("http://127.0.0.1:%1/ctl/ContentDir").arg(port));
    QString theirId;
    QElapsedTimer scan;
    scan.start();
    while (reference && theirId.isEmpty() && scan.elapsed() < 600000) {
        QThread::msleep(500);
        theirId = containerWith(theirControl, QStringLiteral("64"));
    }
    if (reference && theirId.isEmpty())
        run.fail(QStringLiteral("MiniDLNA did not list the folder"));
    if (reference)
        out << "MiniDLNA scanned the folder in " << scan.elapsed() / 1000.0 << " s\n";
    const Timings theirs = reference ? measure(theirControl, theirId, [] {}) : Timings();
    // One answer of a couple of ms is at the mercy of the scheduler: the
    // cold first page is asked for of a few servers started anew, MiniDLNA
    // on the database of its scan.
    QList<double> theirColds{theirs.cold};
    for (int i = 1; reference && i < coldRounds; ++i) {
        minidlna->terminate();
        minidlna->waitForFinished(5000);
        minidlna = startMiniDlna(work.path(), folder, port, false);
        QString id;
        for (QElapsedTimer wait; id.isEmpty(); QThread::msleep(200)) {
            if (!wait.isValid())
                wait.start();
            else if (wait.elapsed() > 60000)
                run.fail(QStringLiteral("MiniDLNA did not come back"));
            id = containerWith(theirControl, QStringLiteral("64"));
        }
        theirColds << millis([&] { BrowseSoap::browse(theirControl, id, 0, 100); });
    }

    Timings first;
    Timings restarted;
    run.step(QStringLiteral("our server"));
    for (Timings *timings : {&first, &restarted}) {
        // The second server starts on the probe results the first one kept.
        LumiqoTv tv(QStringLiteral("LumiqoTV"), LibraryLocation::at(media), UpnpEngine::NoSsdp);
        tv.toggleServerStatus();
        const QUrl control = controlOf(tv);
        const QString id = containerWith(control, QStringLiteral("0"));
        *timings = measure(control, id, [&] { tv.model()->gatherer()->abort(); });
        tv.toggleServerStatus();
    }
    QList<double> ourColds{first.cold};
    for (int i = 1; i < coldRounds; ++i)
        ourColds << ourFirstRun(media);
    // Never listed, with the server's owner thread idle and blocked for 12 s;
    // the best of three fresh servers each.
    FreshPage idle;
    FreshPage busy;
    run.step(QStringLiteral("fresh servers"));
    for (int i = 0; i < freshRounds; ++i) {
        for (auto [page, blockMs] : {std::pair{&idle, 0}, std::pair{&busy, busyMs}}) {
            const FreshPage fresh = freshFirstPage(media, blockMs);
            if (i == 0 || fresh.ms < page->ms || fresh.total != folderSize)
                *page = fresh.total == folderSize || i == 0 ? fresh : *page;
            if (fresh.total != folderSize)
                page->total = fresh.total; // a wrong answer is never hidden
        }
    }

    out << QStringLiteral("%1 | %2 | %3 | ratio\n")
               .arg(QStringLiteral("Browse, %1 clips").arg(folderSize), -42)
               .arg(QStringLiteral("ours"), 10)
               .arg(QStringLiteral("MiniDLNA"), 12);
    out << QString(80, QLatin1Char('-')) << '\n';
    row(QStringLiteral("first 100, cold (probing), median of %1").arg(coldRounds),
        BenchRun::median(ourColds), BenchRun::median(theirColds));
    row(QStringLiteral("first 100, cold (probing), slowest of %1").arg(coldRounds),
        slowest(ourColds), slowest(theirColds));
    row(QStringLiteral("100 never asked, median of %1 (probing)").arg(kFreshPages), first.fresh,
        theirs.fresh);
    row(QStringLiteral("100 never asked, slowest of %1 (probing)").arg(kFreshPages),
        first.freshWorst, theirs.freshWorst);
    row(QStringLiteral("first 100, cold (after restart)"), restarted.cold, theirs.cold);
    row(QStringLiteral("first 100, warm"), restarted.warm, theirs.warm);
    row(QStringLiteral("first 100, warm, Filter %1").arg(kNarrowFilter), restarted.narrow,
        theirs.narrow);
    row(QStringLiteral("first 100, answer bytes, Filter *"), double(restarted.bytesAll),
        double(theirs.bytesAll), QStringLiteral("B"));
    row(QStringLiteral("first 100, answer bytes, Filter %1").arg(kNarrowFilter),
        double(restarted.bytesNarrow), double(theirs.bytesNarrow), QStringLiteral("B"));
    row(QStringLiteral("page at %1, warm").arg(folderSize - 100), restarted.page, theirs.page);
    row(QStringLiteral("all %1").arg(folderSize), restarted.all, theirs.all);
    out << QString(80, QLatin1Char('-')) << '\n';
    out << QStringLiteral("%1 | %2 | %3 | ratio\n")
               .arg(QStringLiteral("Browse, never listed, first 100"), -42)
               .arg(QStringLiteral("owner busy"), 10)
               .arg(QStringLiteral("owner idle"), 12);
    row(QStringLiteral("answer (%1 s block of the owner thread)").arg(busyMs / 1000), busy.ms,
        idle.ms);
    out << "TotalMatches: owner busy " << busy.total << ", owner idle " << idle.total << " of "
        << folderSize << "\n";
    const auto list = [](const QList<double> &values) {
        QStringList texts;
        for (double value : values)
            texts << QString::number(value, 'f', 1);
        return texts.join(QStringLiteral(", "));
    };
    out << "cold first pages, ms: ours " << list(ourColds) << "; MiniDLNA " << list(theirColds)
        << "\n";
    out << "durations in the first answer: ours " << first.coldDurations << " (after restart "
        << restarted.coldDurations << "), MiniDLNA " << theirs.coldDurations << " of 100\n";
    out.flush();
    minidlna->terminate();
    minidlna->waitForFinished(5000);
    if (busy.total != folderSize || idle.total != folderSize)
        run.fail(QStringLiteral("a fresh server did not report all %1 clips").arg(folderSize));
    return run.done();
}
