// Serving media over HTTP on 127.0.0.1: plain files with ranges, DLNA
// headers per client, thumbnails, and transcoded answers through the encoder.
#include "TestSupport.h"
#include "TvTestHttp.h"
#include "core/AppIdentity.h"
#include "core/Platform.h"
#include "library/LibraryLocation.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaModel.h"
#include "tv/MediaServer.h"
#include "tv/MetaDataGatherer.h"
#include "tv/TranscodeHelper.h"
#include "tv/TranscodeStream.h"

#include <QDirIterator>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace TvTestHttp;

namespace {

const QByteArray ps3Info = "av=5.0; cn=\"Sony Computer Entertainment Inc.\"; mn=\"PLAYSTATION 3\"";

Headers clientHeaders(const QString &client)
{
    if (client == QLatin1String("xbox"))
        return {{"User-Agent", "Xbox/2.0.4548.0 UPnP/1.0 Xbox/2.0.4548.0"}};
    if (client == QLatin1String("ps3"))
        return {{"User-Agent", "UPnP/1.0 DLNADOC/1.50"}, {"X-AV-Client-Info", ps3Info}};
    if (client == QLatin1String("wmp"))
        return {{"User-Agent", "Windows-Media-Player/12.0.7601.17514"}};
    return {{"User-Agent", "VLC/3.0.18 LibVLC/3.0.18"}};
}

// Encoder processes started by this test process.
int encoderChildren()
{
    int count = 0;
    QDirIterator it(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString stat =
            QString::fromLatin1(TestSupport::readFile(it.next() + QStringLiteral("/stat")));
        const qsizetype close = stat.lastIndexOf(QLatin1Char(')'));
        if (close < 0)
            continue;
        const QStringList fields = stat.mid(close + 2).split(QLatin1Char(' '));
        const QString name = stat.mid(stat.indexOf(QLatin1Char('(')) + 1,
                                      close - stat.indexOf(QLatin1Char('(')) - 1);
        if (fields.size() > 1 && fields.at(1).toInt() == getpid() &&
            (name == QLatin1String("ffmpeg") || name == QLatin1String("mencoder")))
            ++count;
    }
    return count;
}

} // namespace

class TestServing : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<LumiqoTv> m_tv;
    QString m_base;
    QHash<QString, DidlEntry> m_items; // by title

    QUrl control() const
    {
        return QUrl(m_base + QLatin1Char('/') + m_tv->server()->uuid +
                    QStringLiteral("/ContentDirectory/control.xml"));
    }
    QHash<QString, DidlEntry> items(const Headers &headers = {}) const
    {
        QHash<QString, DidlEntry> byTitle;
        for (const DidlEntry &entry : browse(control(), QStringLiteral("0"),
                                             QStringLiteral("BrowseDirectChildren"), 0, 0, headers))
            byTitle.insert(entry.title, entry);
        return byTitle;
    }
    QUrl resource(const QString &title) const { return QUrl(m_items.value(title).urls.value(0)); }

private Q_SLOTS:
    void initTestCase()
    {
        AppIdentity::apply();
        QVERIFY(m_dir.isValid());
        const QString clip = TestSupport::sampleClip(QStringLiteral("tv-serve.mp4"), 2);
        const QString flv = TestSupport::sampleClip(QStringLiteral("tv-serve.flv"), 2);
        const QString thumb = TestSupport::sampleClip(QStringLiteral("tv-thumb.mp4"), 11);
        const QString longFlv = TestSupport::sampleClip(QStringLiteral("tv-long.flv"), 300);
        QVERIFY(!clip.isEmpty() && !flv.isEmpty() && !thumb.isEmpty() && !longFlv.isEmpty());
        QVERIFY(QFile::copy(clip, m_dir.filePath(QStringLiteral("clip.mp4"))));
        QVERIFY(QFile::copy(clip, m_dir.filePath(QStringLiteral("movie.avi"))));
        QVERIFY(QFile::copy(flv, m_dir.filePath(QStringLiteral("show.flv"))));
        QVERIFY(QFile::copy(thumb, m_dir.filePath(QStringLiteral("thumb.mp4"))));
        QVERIFY(QFile::copy(longFlv, m_dir.filePath(QStringLiteral("long.flv"))));
        m_tv = std::make_unique<LumiqoTv>(QStringLiteral("LumiqoTV"),
                                          LibraryLocation::at(m_dir.path()), UpnpEngine::NoSsdp);
        QSignalSpy probed(m_tv->model()->gatherer(), &MetaDataGatherer::gathered);
        QTRY_COMPARE_WITH_TIMEOUT(probed.count(), 5, 120000);
        m_tv->toggleServerStatus();
        m_base = QStringLiteral("http://127.0.0.1:%1").arg(m_tv->server()->port());
        m_items = items();
        QCOMPARE(m_items.size(), 5);
        QVERIFY(resource(QStringLiteral("clip"))
                    .toString()
                    .startsWith(m_base + QStringLiteral("/%25/")));
    }

    void cleanupTestCase() { m_tv.reset(); }

    void plainFileByRange_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("range");
        QTest::addColumn<int>("status");
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("length"); // -1: to the end
        QTest::newRow("GET") << QByteArray("GET") << QByteArray() << 200 << qint64(0) << qint64(-1);
        QTest::newRow("HEAD") << QByteArray("HEAD") << QByteArray() << 200 << qint64(0)
                              << qint64(-1);
        QTest::newRow("first bytes")
            << QByteArray("GET") << QByteArray("bytes=0-99") << 206 << qint64(0) << qint64(100);
        QTest::newRow("open end") << QByteArray("GET") << QByteArray("bytes=1000-") << 206
                                  << qint64(1000) << qint64(-1);
        QTest::newRow("suffix") << QByteArray("GET") << QByteArray("bytes=-50") << 206
                                << qint64(-50) << qint64(50);
        QTest::newRow("last past the end") << QByteArray("GET") << QByteArray("bytes=10-99999999")
                                           << 206 << qint64(10) << qint64(-1);
        QTest::newRow("after the end")
            << QByteArray("GET") << QByteArray("bytes=99999999-") << 416 << qint64(0) << qint64(0);
        QTest::newRow("reversed") << QByteArray("GET") << QByteArray("bytes=9-3") << 416
                                  << qint64(0) << qint64(0);
        QTest::newRow("garbage") << QByteArray("GET") << QByteArray("bytes=abc") << 416 << qint64(0)
                                 << qint64(0);
        // Ignored Range: the whole file.
        QTest::newRow("several") << QByteArray("GET") << QByteArray("bytes=0-1,5-6") << 200
                                 << qint64(0) << qint64(-1);
        QTest::newRow("other unit")
            << QByteArray("GET") << QByteArray("items=0-9") << 200 << qint64(0) << qint64(-1);
    }

    void plainFileByRange()
    {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, range);
        QFETCH(int, status);
        QFETCH(qint64, first);
        QFETCH(qint64, length);
        const QByteArray file = TestSupport::readFile(m_dir.filePath(QStringLiteral("clip.mp4")));
        Headers headers;
        if (!range.isEmpty())
            headers.append({"Range", range});
        const Reply reply = request(method, resource(QStringLiteral("clip")), headers);
        QCOMPARE(reply.status, status);
        if (status == 416) {
            QCOMPARE(reply.header("Content-Range"), "bytes */" + QByteArray::number(file.size()));
            return;
        }
        if (first < 0)
            first += file.size();
        const QByteArray expected = file.mid(first, length < 0 ? -1 : length);
        QCOMPARE(reply.header("Content-Length").toLongLong(), qint64(expected.size()));
        QCOMPARE(reply.header("Content-Type"), QByteArray("video/mp4"));
        if (method == "HEAD")
            QVERIFY(reply.body.isEmpty());
        else
            QVERIFY(reply.body == expected);
        if (status == 206) {
            QCOMPARE(reply.header("Content-Range"),
                     "bytes " + QByteArray::number(first) + '-' +
                         QByteArray::number(first + expected.size() - 1) + '/' +
                         QByteArray::number(file.size()));
        }
    }

    void dlnaHeadersPerClient_data()
    {
        QTest::addColumn<QString>("client");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("features");
        QTest::addColumn<QString>("protocolInfo");
        // The sample clip's H.264 profile (High 4:4:4) fits no DLNA profile name.
        const QString flags = QStringLiteral("DLNA.ORG_FLAGS=01700000000000000000000000000000");
        const QString plain = QStringLiteral("DLNA.ORG_OP=01;DLNA.ORG_CI=0");
        QTest::newRow("other mp4")
            << "other"
            << "clip" << QByteArray("video/mp4") << (plain + ';' + flags).toLatin1()
            << "http-get:*:video/mp4:" + plain + ';' + flags;
        QTest::newRow("xbox mp4") << "xbox"
                                  << "clip" << QByteArray("video/mp4") << QByteArray()
                                  << "http-get:*:video/mp4:" + plain + ';' + flags;
        QTest::newRow("ps3 mp4") << "ps3"
                                 << "clip" << QByteArray("video/mp4") << QByteArray()
                                 << "http-get:*:video/mp4:" + plain;
        QTest::newRow("wmp mp4") << "wmp"
                                 << "clip" << QByteArray("video/mp4") << QByteArray()
                                 << "http-get:*:video/mp4:" + plain + ';' + flags;
    }

    void dlnaHeadersPerClient()
    {
        QFETCH(QString, client);
        QFETCH(QString, title);
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, features);
        QFETCH(QString, protocolInfo);
        const auto seen = items(clientHeaders(client));
        QCOMPARE(seen.value(title).protocolInfos.value(0), protocolInfo);
        const Reply reply = request("HEAD", resource(title), clientHeaders(client));
        QCOMPARE(reply.status, 200);
        QCOMPARE(reply.header("Content-Type"), contentType);
        QCOMPARE(reply.header("contentFeatures.dlna.org"), features);
    }

    void aviTypePerClient_data()
    {
        QTest::addColumn<QString>("client");
        QTest::addColumn<QByteArray>("contentType");
        QTest::newRow("other") << "other" << QByteArray("video/x-msvideo");
        QTest::newRow("wmp") << "wmp" << QByteArray("video/avi");
        QTest::newRow("ps3") << "ps3" << QByteArray("video/x-msvideo");
    }

    void aviTypePerClient()
    {
        QFETCH(QString, client);
        QFETCH(QByteArray, contentType);
        const DidlEntry movie = items(clientHeaders(client)).value(QStringLiteral("movie"));
        QVERIFY(movie.protocolInfos.value(0).contains(QString::fromLatin1(contentType)));
        const QString url = movie.urls.value(0);
        const Reply reply = request("HEAD", QUrl(url), clientHeaders(client));
        QCOMPARE(reply.header("Content-Type"), contentType);
    }

    void thumbnailAndDuration()
    {
        const DidlEntry item = m_items.value(QStringLiteral("thumb"));
        QString thumbnailUrl;
        for (qsizetype i = 0; i < item.protocolInfos.size(); ++i) {
            if (item.protocolInfos.at(i).contains(QLatin1String("JPEG_TN")))
                thumbnailUrl = item.urls.at(i);
        }
        QVERIFY(thumbnailUrl.contains(QLatin1String("IMAGES")));
        const Reply thumbnail = request("GET", QUrl(thumbnailUrl));
        QCOMPARE(thumbnail.status, 200);
        QCOMPARE(thumbnail.header("Content-Type"), QByteArray("image/jpeg"));
        QCOMPARE(QImage::fromData(thumbnail.body).size(), QSize(160, 120)); // thumbnail size
        const Reply head = request("HEAD", resource(QStringLiteral("thumb")));
        QCOMPARE(head.header("MediaInfo.sec"), QByteArray("SEC_Duration=11"));
        // A clip shorter than 10 s has one too (its middle frame).
        QCOMPARE(m_items.value(QStringLiteral("clip")).urls.size(), item.urls.size());
    }

    void transcodedAnswer_data()
    {
        QTest::addColumn<QString>("client");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("features");
        const QByteArray seekable =
            "DLNA.ORG_OP=10;DLNA.ORG_CI=1;DLNA.ORG_FLAGS=01500000000000000000000000000000";
        QTest::newRow("other") << "other" << 0 << QByteArray("video/mpeg")
                               << "DLNA.ORG_PN=MPEG_TS_SD_KO_ISO;" + seekable;
        QTest::newRow("xbox") << "xbox" << 1 << QByteArray("video/x-ms-asf") << seekable;
        QTest::newRow("ps3") << "ps3" << 2 << QByteArray("video/mpeg")
                             << "DLNA.ORG_PN=MPEG_PS_PAL;" + seekable;
    }

    void transcodedAnswer()
    {
        QFETCH(QString, client);
        QFETCH(int, mode);
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, features);
        const DidlEntry item = items(clientHeaders(client)).value(QStringLiteral("show"));
        QCOMPARE(item.protocolInfos.value(0),
                 QStringLiteral("http-get:*:") + contentType + ':' + features);
        const QString path = m_dir.filePath(QStringLiteral("show.flv"));
        QByteArray expected;
        QCOMPARE(TestSupport::run(Platform::binaryPath(TranscodeHelper::programFor(mode)),
                                  TranscodeHelper::argumentsFor(mode, path), &expected),
                 0);
        QVERIFY(expected.size() > 10000);

        const Reply reply = request("GET", QUrl(item.urls.value(0)), clientHeaders(client));
        QCOMPARE(reply.status, 200);
        QCOMPARE(reply.header("transferMode.dlna.org"), QByteArray("Streaming"));
        QCOMPARE(reply.header("contentFeatures.dlna.org"), features);
        QCOMPARE(reply.header("Content-Type"), contentType);
        QCOMPARE(reply.header("Content-Length"), QByteArray());
        QCOMPARE(reply.body.size(), expected.size());
        QVERIFY(reply.body == expected);
        QTRY_COMPARE_WITH_TIMEOUT(TranscodeStream::liveCount(), 0, 10000);
    }

    void clientDisconnectStopsEncoder()
    {
        const QUrl url = resource(QStringLiteral("long"));
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(url.port()));
        QVERIFY(socket.waitForConnected(5000));
        socket.write("GET " + url.path(QUrl::FullyEncoded).toUtf8() +
                     " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        QByteArray received;
        while (received.size() < 256 * 1024 && socket.waitForReadyRead(20000))
            received += socket.readAll();
        QVERIFY(received.startsWith("HTTP/1.1 200"));
        QCOMPARE(TranscodeStream::liveCount(), 1);
        QCOMPARE(encoderChildren(), 1);
        socket.abort();
        QTRY_COMPARE_WITH_TIMEOUT(TranscodeStream::liveCount(), 0, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(encoderChildren(), 0, 10000);
    }

    void xboxWithoutMencoderGetsAsfFromEncoder()
    {
        QTemporaryDir tools;
        QVERIFY(QFile::link(Platform::binaryPath(QStringLiteral("encoder")),
                            tools.filePath(QStringLiteral("ffmpeg"))));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", tools.path().toLocal8Bit());
        const Reply reply =
            request("GET", resource(QStringLiteral("show")), clientHeaders(QStringLiteral("xbox")));
        qputenv("PATH", path);
        QCOMPARE(reply.header("Content-Type"), QByteArray("video/x-ms-asf"));
        // The ASF header object comes first.
        QVERIFY(reply.body.startsWith(QByteArray::fromHex("3026b2758e66cf11a6d900aa0062ce6c")));
        QVERIFY(reply.body.size() > 10000);
    }

    void missingEncoderEndsAnswer()
    {
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent");
        const Reply reply = request("GET", resource(QStringLiteral("show")));
        qputenv("PATH", path);
        QCOMPARE(reply.status, 200);
        QVERIFY(reply.body.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(TranscodeStream::liveCount(), 0, 10000);
    }
};

QTEST_GUILESS_MAIN(TestServing)
#include "tst_serving.moc"
