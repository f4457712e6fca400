// The media server under hostile load: median latency of a normal Browse and
// of a file GET, and the server's memory, while 110 connections from one host
// trickle their requests and 8 clients of transcoded answers stall, against
// the same measures on the idle server. Needs 127.0.0.2 and up, so run it in
// a private network namespace:
//     scripts/netns-run build/bench/tv/bench_tv_load [--quick] [work folder]
// (--quick: a few samples, connections and seconds; run by CTest)
#include "BenchRun.h"
#include "BrowseSoap.h"
#include "core/AppIdentity.h"
#include "library/LibraryLocation.h"
#include "tv/FileStamp.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaModel.h"
#include "tv/MediaServer.h"
#include "tv/MetaDataGatherer.h"
#include "tv/ProbeCache.h"
#include "tv/TranscodeStream.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

int samples = 30;
int slowConnections = 110;
int stalledTranscodes = 8;
constexpr qint64 fileSize = 4 << 20;

QTextStream out(stdout);

struct Sample
{
    double medianMs = -1;
    int answered = 0;
};

// The answer's status and wall time; the event loop runs meanwhile, so the
// load keeps going.
int timedRequest(const QNetworkRequest &request, const QByteArray &soapBody, double *ms,
                 QByteArray *data = nullptr)
{
    static QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    QElapsedTimer timer;
    timer.start();
    QNetworkReply *reply =
        soapBody.isEmpty() ? manager.get(request) : manager.post(request, soapBody);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    const QByteArray body = reply->readAll();
    if (data)
        *data = body;
    *ms = timer.nsecsElapsed() / 1e6;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    reply->abort();
    reply->deleteLater();
    return status;
}

Sample measure(const QNetworkRequest &request, const QByteArray &soapBody)
{
    QList<double> times;
    Sample sample;
    for (int i = 0; i < samples; ++i) {
        double ms = 0;
        const int status = timedRequest(request, soapBody, &ms);
        if (status == 200) {
            ++sample.answered;
            times << ms;
        }
    }
    std::sort(times.begin(), times.end());
    if (!times.isEmpty())
        sample.medianMs = times.at(times.size() / 2);
    return sample;
}

qint64 residentKiB(const QString &pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    return QRegularExpression(QStringLiteral("VmRSS:\\s+(\\d+)"))
        .match(QString::fromLatin1(status.readAll()))
        .captured(1)
        .toLongLong();
}

// This process (the server) and its encoder children, in MiB.
void serverMemory(double *serverMiB, double *encodersMiB)
{
    const QString self = QString::number(getpid());
    qint64 children = 0;
    QDirIterator it(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString pid = QFileInfo(it.next()).fileName();
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const qsizetype close = text.lastIndexOf(')');
        const QList<QByteArray> fields = text.mid(close + 2).split(' ');
        if (close > 0 && fields.size() > 1 && fields.at(1) == self.toLatin1())
            children += residentKiB(pid);
    }
    *serverMiB = residentKiB(self) / 1024.0;
    *encodersMiB = children / 1024.0;
}

// Connections that send their request a byte at a time and come back when
// the server closes them, all from one address.
class Trickler : public QObject
{
public:
    Trickler(quint16 port) : m_port(port)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
        m_sockets.resize(slowConnections);
        m_timer.start(1000);
        tick();
    }
    int connected() const
    {
        int n = 0;
        for (const auto &socket : m_sockets)
            n += socket && socket->state() == QAbstractSocket::ConnectedState ? 1 : 0;
        return n;
    }

private:
    void tick()
    {
        for (auto &socket : m_sockets) {
            if (socket && socket->state() != QAbstractSocket::UnconnectedState) {
                socket->write("a");
                continue;
            }
            socket = std::make_unique<QTcpSocket>();
            socket->bind(QHostAddress(QStringLiteral("127.0.0.3")));
            socket->connectToHost(QHostAddress::LocalHost, m_port);
            connect(socket.get(), &QTcpSocket::connected, socket.get(),
                    [s = socket.get()] { s->write("GET /"); });
        }
    }

    quint16 m_port;
    QTimer m_timer;
    std::vector<std::unique_ptr<QTcpSocket>> m_sockets;
};

// Clients of a transcoded answer that read the status line and then stop
// reading; each from its own address. Returns how many were answered 200.
int stallTranscodes(quint16 port, const QByteArray &path,
                    std::vector<std::unique_ptr<QTcpSocket>> *clients)
{
    int streaming = 0;
    for (int i = 0; i < stalledTranscodes; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->setReadBufferSize(16 * 1024);
        socket->bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(10 + i)));
        socket->connectToHost(QHostAddress::LocalHost, port);
        if (!socket->waitForConnected(5000))
            continue;
        socket->write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        while (!socket->canReadLine() && socket->waitForReadyRead(30000)) {
        }
        streaming += socket->readLine().contains(" 200 ") ? 1 : 0;
        clients->push_back(std::move(socket));
    }
    return streaming;
}

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Until the media tree has probed every file it listed: a Browse of files
// not probed yet waits for their probes (up to the server's probe budget),
// which is the encoder's time, not the server's. The step's time limit ends
// a run whose probes never finish.
void waitForProbes(LumiqoTv &tv)
{
    const MetaDataGatherer *gatherer = tv.model()->gatherer();
    while (gatherer->isBusy() || gatherer->queued() > 0)
        waitMs(20);
}

QString cell(const Sample &sample)
{
    return QStringLiteral("%1 ms (%2/%3)")
        .arg(sample.medianMs, 0, 'f', 1)
        .arg(sample.answered)
        .arg(samples);
}

void printRow(const QString &measure, const QString &loaded, const QString &idle, double ratio)
{
    out << QStringLiteral("%1 | %2 | %3 | %4\n")
               .arg(measure, -40)
               .arg(loaded, -22)
               .arg(idle, -22)
               .arg(ratio, 0, 'f', 2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_tv_load"), app.arguments());
    samples = run.size(samples, 2);
    slowConnections = run.size(slowConnections, 20);
    stalledTranscodes = run.size(stalledTranscodes, 2);
    const int clipSeconds = run.size(300, 5);
    const int settleMs = run.size(8000, 1000);
    constexpr int manyFiles = 200;
    AppIdentity::apply();
    QLoggingCategory::setFilterRules(QStringLiteral("zelta.*=false"));
    QStringList arguments = app.arguments().mid(1);
    arguments.removeAll(QStringLiteral("--quick"));
    const QString base = arguments.isEmpty() ? QDir::currentPath() : arguments.first();
    run.step(QStringLiteral("preparing the media"));
    QTemporaryDir work(base + QStringLiteral("/bench-tv-load-XXXXXX"));
    const QString media = work.filePath(QStringLiteral("media"));
    QDir().mkpath(media + QStringLiteral("/many"));
    for (int i = 0; i < manyFiles; ++i) {
        QFile file(media + QStringLiteral("/many/clip-%1.mp4").arg(i, 3, 10, QLatin1Char('0')));
        file.open(QIODevice::WriteOnly);
        file.write("x");
    }
    QFile big(media + QStringLiteral("/file.mp4"));
    big.open(QIODevice::WriteOnly);
    big.write(QByteArray(fileSize, 'v'));
    big.close();
    out << "preparing a transcode source ...\n";
    out.flush();
    QProcess::execute(QStringLiteral("ffmpeg"),
                      {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                       QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                       QStringLiteral("testsrc=size=640x480:rate=25:duration=%1").arg(clipSeconds),
                       QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                       QStringLiteral("sine=duration=%1").arg(clipSeconds),
                       media + QStringLiteral("/show.flv")});
    run.step(QStringLiteral("starting the server"));

    LumiqoTv tv(QStringLiteral("LumiqoTV"), LibraryLocation::at(media), UpnpEngine::NoSsdp);
    // The folder's files as an earlier run probed them (the probe cache keeps
    // results across runs): one-byte files that the encoder cannot read, so
    // empty results. Probing them here would cost an encoder run each before
    // the first measurement.
    for (int i = 0; i < manyFiles; ++i) {
        const QString path =
            media + QStringLiteral("/many/clip-%1.mp4").arg(i, 3, 10, QLatin1Char('0'));
        const FileStamp stamp = FileStamp::of(path);
        ProbeCache::Entry probed;
        probed.size = stamp.size;
        probed.modified = stamp.modifiedMs();
        tv.model()->gatherer()->cache()->insert(path, probed);
    }
    tv.toggleServerStatus();
    tv.model()->gatherer()->abort();
    const quint16 port = quint16(tv.server()->port());
    const QString server = QStringLiteral("http://127.0.0.1:%1").arg(port);
    const QNetworkRequest browse =
        BrowseSoap::request(QUrl(server + QLatin1Char('/') + tv.server()->uuid +
                                 QStringLiteral("/ContentDirectory/control.xml")));
    double ignored = 0;
    QByteArray rootAnswer;
    timedRequest(browse, BrowseSoap::body(QStringLiteral("0"), 0, 50), &ignored, &rootAnswer);
    const QString root = QString::fromUtf8(rootAnswer);
    // The object whose title is `title`, in the escaped DIDL of the answer.
    const auto idOf = [&root](const QString &title) {
        const QString didl = QString(root)
                                 .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
                                 .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
                                 .replace(QStringLiteral("&quot;"), QStringLiteral("\""));
        return QRegularExpression(QStringLiteral("<(?:item|container) id=\"(\\d+)\"[^>]*>"
                                                 "<dc:title>") +
                                  title + QStringLiteral("<"))
            .match(didl)
            .captured(1);
    };
    const QString manyId = idOf(QStringLiteral("many"));
    const QString fileId = idOf(QStringLiteral("file"));
    const QString flvId = idOf(QStringLiteral("show"));
    if (manyId.isEmpty() || fileId.isEmpty() || flvId.isEmpty())
        run.fail(QStringLiteral("could not find the media in the root listing"));
    const QByteArray browseMany = BrowseSoap::body(manyId, 0, 50);
    const QNetworkRequest file(QUrl(server + QStringLiteral("/%25/") + fileId));
    timedRequest(browse, browseMany, &ignored); // lists the folder once
    run.step(QStringLiteral("probing the listed files"));
    waitForProbes(tv);
    run.step(QStringLiteral("the idle server"));

    // Reference: the idle server.
    const Sample idleBrowse = measure(browse, browseMany);
    const Sample idleFile = measure(file, {});
    double idleServer = 0;
    double idleEncoders = 0;
    serverMemory(&idleServer, &idleEncoders);

    // Load: trickling connections and stalled transcodes, given time to settle.
    out << "loading: " << slowConnections << " trickling connections, " << stalledTranscodes
        << " stalled transcodes ...\n";
    out.flush();
    run.step(QStringLiteral("the server under load"));
    Trickler trickler(port);
    std::vector<std::unique_ptr<QTcpSocket>> stalled;
    const int streaming = stallTranscodes(port, "/%25/" + flvId.toUtf8(), &stalled);
    waitMs(settleMs);
    const int held = trickler.connected();
    const Sample loadedBrowse = measure(browse, browseMany);
    const Sample loadedFile = measure(file, {});
    double loadedServer = 0;
    double loadedEncoders = 0;
    serverMemory(&loadedServer, &loadedEncoders);

    out << QStringLiteral("%1 | %2 | %3 | %4\n")
               .arg(QStringLiteral("measure"), -40)
               .arg(QStringLiteral("under load"), -22)
               .arg(QStringLiteral("idle server"), -22)
               .arg(QStringLiteral("ratio"));
    out << QString(96, QLatin1Char('-')) << '\n';
    printRow(QStringLiteral("Browse 50 of %1, median (answered)").arg(manyFiles),
             cell(loadedBrowse), cell(idleBrowse), loadedBrowse.medianMs / idleBrowse.medianMs);
    printRow(QStringLiteral("GET 4 MiB file, median (answered)"), cell(loadedFile), cell(idleFile),
             loadedFile.medianMs / idleFile.medianMs);
    printRow(QStringLiteral("server memory (RSS)"),
             QStringLiteral("%1 MiB").arg(loadedServer, 0, 'f', 1),
             QStringLiteral("%1 MiB").arg(idleServer, 0, 'f', 1), loadedServer / idleServer);
    printRow(QStringLiteral("encoder processes (RSS)"),
             QStringLiteral("%1 MiB").arg(loadedEncoders, 0, 'f', 1),
             QStringLiteral("%1 MiB").arg(idleEncoders, 0, 'f', 1),
             idleEncoders > 0 ? loadedEncoders / idleEncoders : 0);
    out << "target: median under 100 ms, every request answered\n";
    out << "trickling connections held by the server: " << held << " of " << slowConnections
        << "; transcodes streaming: " << streaming << " of " << stalledTranscodes << " (cap "
        << TranscodeStream::maxConcurrent << ", ring buffer "
        << TranscodeStream::bufferSize / 1048576 << " MiB each)\n";
    out.flush();
    stalled.clear();
    if (idleBrowse.answered == 0 || idleFile.answered == 0)
        run.fail(QStringLiteral("the idle server answered no request"));
    return run.done();
}
