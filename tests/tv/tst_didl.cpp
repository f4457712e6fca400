// What a strict control point reads from the media server, inside a private
// network namespace: the DIDL-Lite of the very first Browse and Search of a
// folder of MP4, FLV, AVI, MPEG and picture files, the headers of every
// resource against its announced protocol info, HEAD and GET on one
// connection, the transcoded stream against its announced profile and
// attributes, time seeking, and the addresses offered to each client.
#include "TestSupport.h"
#include "TvTestHttp.h"
#include "core/AppIdentity.h"
#include "library/LibraryLocation.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaModel.h"
#include "tv/MediaServer.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace TvTestHttp;

namespace {

struct Resource
{
    QString protocolInfo;
    QString url;
    QXmlStreamAttributes attributes;
};

struct Object
{
    bool container = false;
    QString id;
    QString title;
    QString date;
    QString albumArt;
    QString albumArtProfile;
    int childCount = -1;
    QList<Resource> resources;
};

const QString didlNs = QStringLiteral("urn:schemas-upnp-org:metadata-1-0/DIDL-Lite/");
const QString dcNs = QStringLiteral("http://purl.org/dc/elements/1.1/");
const QString upnpNs = QStringLiteral("urn:schemas-upnp-org:metadata-1-0/upnp/");
const QString dlnaNs = QStringLiteral("urn:schemas-dlna-org:metadata-1-0/");

// Reads a DIDL-Lite document as a validating client does: namespaces, one
// title and class per object, well-formed protocol infos, dates and times.
QList<Object> readStrictly(const QString &didl, QString *error)
{
    QList<Object> objects;
    QXmlStreamReader xml(didl);
    Object current;
    auto fail = [&](const QString &why) {
        if (error->isEmpty())
            *error = why;
    };
    static const QRegularExpression date(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d(T\\d\\d:\\d\\d:\\d\\d)?$"));
    static const QRegularExpression duration(QStringLiteral("^\\d+:\\d\\d:\\d\\d(\\.\\d{1,3})?$"));
    static const QRegularExpression parameter(
        QStringLiteral("^DLNA\\.ORG_(PN=[A-Z0-9_]+|OP=[01]{2}|CI=[01]|FLAGS=[0-9A-F]{32})$"));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        const QString ns = xml.namespaceUri().toString();
        if (name == u"item" || name == u"container") {
            if (ns != didlNs)
                fail(QStringLiteral("object outside DIDL-Lite"));
            current = Object();
            current.container = name == u"container";
            current.id = xml.attributes().value(QStringLiteral("id")).toString();
            const QString count = xml.attributes().value(QStringLiteral("childCount")).toString();
            current.childCount = count.isEmpty() ? -1 : count.toInt();
            objects.append(current);
        } else if (objects.isEmpty()) {
            continue;
        } else if (name == u"title" && ns == dcNs) {
            objects.last().title = xml.readElementText();
        } else if (name == u"date" && ns == dcNs) {
            objects.last().date = xml.readElementText();
            if (!date.match(objects.last().date).hasMatch())
                fail(QStringLiteral("date ") + objects.last().date);
        } else if (name == u"albumArtURI" && ns == upnpNs) {
            objects.last().albumArtProfile =
                xml.attributes().value(dlnaNs, QStringLiteral("profileID")).toString();
            objects.last().albumArt = xml.readElementText();
        } else if (name == u"res" && ns == didlNs) {
            Resource res;
            res.attributes = xml.attributes();
            res.protocolInfo = res.attributes.value(QStringLiteral("protocolInfo")).toString();
            res.url = xml.readElementText();
            const QStringList fields = res.protocolInfo.split(QLatin1Char(':'));
            if (fields.size() != 4 || fields.at(0) != QLatin1String("http-get"))
                fail(QStringLiteral("protocol info ") + res.protocolInfo);
            else if (fields.at(3) != QLatin1String("*")) {
                for (const QString &p : fields.at(3).split(QLatin1Char(';'))) {
                    if (!parameter.match(p).hasMatch())
                        fail(QStringLiteral("DLNA parameter ") + p);
                }
            }
            const QString time = res.attributes.value(QStringLiteral("duration")).toString();
            if (!time.isEmpty() && !duration.match(time).hasMatch())
                fail(QStringLiteral("duration ") + time);
            objects.last().resources.append(res);
        }
    }
    if (xml.hasError())
        fail(xml.errorString());
    return objects;
}

QString fourth(const QString &protocolInfo)
{
    return protocolInfo.section(QLatin1Char(':'), 3);
}

QString profileOf(const QString &protocolInfo)
{
    static const QRegularExpression pn(QStringLiteral("DLNA\\.ORG_PN=([A-Z0-9_]+)"));
    return pn.match(protocolInfo).captured(1);
}

QJsonObject probeJson(const QString &path)
{
    QByteArray out;
    TestSupport::run(QStringLiteral("ffprobe"),
                     {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_format"),
                      QStringLiteral("-show_streams"), QStringLiteral("-of"),
                      QStringLiteral("json"), path},
                     &out);
    return QJsonDocument::fromJson(out).object();
}

QJsonObject streamOf(const QJsonObject &probe, const QString &type)
{
    for (const QJsonValue &stream : probe.value(QStringLiteral("streams")).toArray()) {
        if (stream.toObject().value(QStringLiteral("codec_type")).toString() == type)
            return stream.toObject();
    }
    return {};
}

// Reads one answer's status line and headers from a kept-alive connection.
QByteArray readHead(QTcpSocket &socket)
{
    QByteArray data;
    while (!data.contains("\r\n\r\n")) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(30000))
            return data;
        data += socket.read(1);
    }
    return data;
}

QByteArray headerOf(const QByteArray &head, const QByteArray &name)
{
    for (const QByteArray &line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

} // namespace

class TestDidl : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<LumiqoTv> m_tv;
    QHash<QString, Object> m_first; // the first Browse answer, by title

    QUrl control() const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_tv->server()->port()) +
                    m_tv->server()->uuid + QStringLiteral("/ContentDirectory/control.xml"));
    }
    QString result(const QString &action, const QList<QPair<QString, QString>> &arguments)
    {
        const Reply reply =
            soap(control(), QString::fromLatin1(contentDirectory), action, arguments);
        return soapArguments(reply.body).value(QStringLiteral("Result"));
    }
    QString browseRoot()
    {
        return result(QStringLiteral("Browse"), {{"ObjectID", "0"},
                                                 {"BrowseFlag", "BrowseDirectChildren"},
                                                 {"Filter", "*"},
                                                 {"StartingIndex", "0"},
                                                 {"RequestedCount", "0"},
                                                 {"SortCriteria", ""}});
    }

private Q_SLOTS:
    void initTestCase()
    {
        AppIdentity::apply();
        QVERIFY(m_dir.isValid());
        const QStringList h264 = {"-c:v", "libx264", "-profile:v", "main",  "-pix_fmt", "yuv420p",
                                  "-c:a", "aac",     "-ar",        "48000", "-ac",      "2"};
        const QList<QPair<QString, QString>> clips = {
            {TestSupport::sampleClip(QStringLiteral("didl-main.mp4"), 12, h264), "clip.mp4"},
            {TestSupport::sampleClip(QStringLiteral("didl-show.flv"), 30), "show.flv"},
            {TestSupport::sampleClip(QStringLiteral("didl-movie.avi"), 3,
                                     {"-c:v", "mpeg4", "-c:a", "libmp3lame"}),
             "movie.avi"},
            {TestSupport::sampleClip(
                 QStringLiteral("didl-pal.mpg"), 3,
                 {"-c:v", "mpeg2video", "-s", "720x576", "-c:a", "mp2", "-ar", "48000"}),
             "film.mpg"},
            {TestSupport::sampleClip(QStringLiteral("didl-sub.mp4"), 2), "sub/inside.mp4"}};
        for (const auto &clip : clips) {
            QVERIFY2(!clip.first.isEmpty(), qPrintable(clip.second));
            QDir().mkpath(QFileInfo(m_dir.filePath(clip.second)).absolutePath());
            QVERIFY(QFile::copy(clip.first, m_dir.filePath(clip.second)));
        }
        QImage picture(800, 600, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        for (const char *name : {"photo.jpg", "clip-thumb.jpg", "clip.mp4-thumb.jpg",
                                 "clip-cover.jpg", "other-thumb.jpg"})
            QVERIFY(picture.save(m_dir.filePath(QString::fromLatin1(name)), "JPEG"));
        m_tv = std::make_unique<LumiqoTv>(QStringLiteral("LumiqoTV"),
                                          LibraryLocation::at(m_dir.path()), UpnpEngine::NoSsdp);
        m_tv->model()->setProbeBudget(60000);
        m_tv->toggleServerStatus();
        // The very first listing, before any probe was waited for.
        QString error;
        const QList<Object> objects = readStrictly(browseRoot(), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        for (const Object &object : objects)
            m_first.insert(object.title, object);
    }

    void cleanupTestCase() { m_tv.reset(); }

    // The library's own pictures of a video are not listed; other pictures are.
    void listing()
    {
        QStringList titles = m_first.keys();
        titles.sort();
        QCOMPARE(titles,
                 QStringList({"clip", "film", "movie", "other-thumb", "photo", "show", "sub"}));
        QCOMPARE(m_first.value("sub").childCount, 1);
    }

    void firstListing_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("mime");
        QTest::addColumn<QString>("profile");
        QTest::addColumn<bool>("timed");
        QTest::newRow("h264 mp4") << "clip"
                                  << "video/mp4"
                                  << "AVC_MP4_MP_SD_AAC_MULT5" << true;
        QTest::newRow("flv, transcoded") << "show"
                                         << "video/mpeg"
                                         << "MPEG_TS_SD_KO_ISO" << true;
        QTest::newRow("mpeg4 avi") << "movie"
                                   << "video/x-msvideo"
                                   << "" << true;
        QTest::newRow("PAL program stream") << "film"
                                            << "video/mpeg"
                                            << "MPEG_PS_PAL" << true;
        QTest::newRow("picture") << "photo"
                                 << "image/jpeg"
                                 << "JPEG_MED" << false;
    }

    // Every item of the first answer carries what the probe knows.
    void firstListing()
    {
        QFETCH(QString, title);
        QFETCH(QString, mime);
        QFETCH(QString, profile);
        QFETCH(bool, timed);
        const Object object = m_first.value(title);
        QVERIFY(!object.resources.isEmpty());
        const Resource &main = object.resources.first();
        QCOMPARE(main.protocolInfo.section(QLatin1Char(':'), 2, 2), mime);
        QCOMPARE(profileOf(main.protocolInfo), profile);
        QCOMPARE(!main.attributes.value(QStringLiteral("duration")).isEmpty(), timed);
        QVERIFY(!object.date.isEmpty());
        const bool transcoded = title == QLatin1String("show");
        QCOMPARE(main.attributes.hasAttribute(QStringLiteral("size")), !transcoded);
        QVERIFY(fourth(main.protocolInfo).contains(transcoded ? "DLNA.ORG_CI=1" : "DLNA.ORG_CI=0"));
        QVERIFY(!main.attributes.value(QStringLiteral("resolution")).isEmpty());
        if (!timed)
            return;
        // Videos: a thumbnail, as album art and as a resource of its own.
        QCOMPARE(object.albumArtProfile, QStringLiteral("JPEG_TN"));
        QVERIFY(!object.albumArt.isEmpty());
        bool thumbnail = false;
        for (const Resource &res : object.resources)
            thumbnail = thumbnail || profileOf(res.protocolInfo) == QLatin1String("JPEG_TN");
        QVERIFY(thumbnail);
        if (!transcoded)
            QVERIFY(main.attributes.value(QStringLiteral("sampleFrequency")) ==
                        QLatin1String("48000") ||
                    title == QLatin1String("movie"));
    }

    void searchIsStrictToo()
    {
        const QString didl =
            result(QStringLiteral("Search"),
                   {{"ContainerID", "0"},
                    {"SearchCriteria", "upnp:class derivedfrom \"object.item.videoItem\""},
                    {"Filter", "*"},
                    {"StartingIndex", "0"},
                    {"RequestedCount", "0"},
                    {"SortCriteria", ""}});
        QString error;
        const QList<Object> objects = readStrictly(didl, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(objects.size(), 5); // four videos here, one in "sub"
        for (const Object &object : objects)
            QVERIFY2(object.resources.value(0).attributes.hasAttribute(QStringLiteral("duration")),
                     qPrintable(object.title));
    }

    void headersMatchAnnouncement_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QByteArray>("method");
        for (const char *title : {"clip", "show", "movie", "film", "photo"}) {
            for (const char *method : {"GET", "HEAD"})
                QTest::addRow("%s %s", title, method)
                    << QString::fromLatin1(title) << QByteArray(method);
        }
    }

    void headersMatchAnnouncement()
    {
        QFETCH(QString, title);
        QFETCH(QByteArray, method);
        const Object object = m_first.value(title);
        for (const Resource &res : object.resources) {
            const Reply reply = request(method, QUrl(res.url), {{"Range", "bytes=0-99"}});
            QVERIFY2(reply.status == 200 || reply.status == 206, qPrintable(res.url));
            QCOMPARE(QString::fromLatin1(reply.header("Content-Type")),
                     res.protocolInfo.section(QLatin1Char(':'), 2, 2));
            QCOMPARE(QString::fromLatin1(reply.header("contentFeatures.dlna.org")),
                     fourth(res.protocolInfo));
            const QString size = res.attributes.value(QStringLiteral("size")).toString();
            if (method == "HEAD")
                QVERIFY(reply.body.isEmpty());
            // A stream has no length; its HEAD tells an estimate (which keeps
            // the connection open, see headThenGetOnOneConnection).
            if (size.isEmpty() &&
                !profileOf(res.protocolInfo).startsWith(QLatin1String("JPEG_TN")) &&
                method == "GET")
                QCOMPARE(reply.header("Content-Length"), QByteArray());
        }
    }

    void transcodedStreamIsItsProfile_data()
    {
        QTest::addColumn<QByteArray>("seek");
        QTest::addColumn<double>("seconds");
        QTest::newRow("whole") << QByteArray() << 30.0;
        QTest::newRow("from 20 s") << QByteArray("npt=20-") << 10.0;
        QTest::newRow("clock form") << QByteArray("npt=0:00:25.000-") << 5.0;
        QTest::newRow("from 5 s to 15 s") << QByteArray("npt=5-15") << 10.0;
        QTest::newRow("end past the file's") << QByteArray("npt=25-90") << 5.0;
    }

    void transcodedStreamIsItsProfile()
    {
        QFETCH(QByteArray, seek);
        QFETCH(double, seconds);
        const Resource res = m_first.value(QStringLiteral("show")).resources.first();
        Headers headers;
        if (!seek.isEmpty())
            headers.append({"TimeSeekRange.dlna.org", seek});
        const Reply reply = request("GET", QUrl(res.url), headers);
        QCOMPARE(reply.status, 200);
        if (!seek.isEmpty()) {
            // What is sent: from the start asked for, as long as measured below.
            const QByteArray answered = reply.header("TimeSeekRange.dlna.org");
            static const QRegularExpression range(
                QStringLiteral("^npt=([0-9.]+)-([0-9.]+)/([0-9.]+)$"));
            const QRegularExpressionMatch match = range.match(QString::fromLatin1(answered));
            QVERIFY2(match.hasMatch(), answered.constData());
            QVERIFY(qAbs(match.captured(2).toDouble() - match.captured(1).toDouble() - seconds) <=
                    0.1);
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("stream.ts"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(reply.body);
        file.close();
        const QJsonObject probe = probeJson(path);
        const QJsonObject format = probe.value(QStringLiteral("format")).toObject();
        QCOMPARE(format.value(QStringLiteral("format_name")).toString(), QStringLiteral("mpegts"));
        QVERIFY2(qAbs(format.value(QStringLiteral("duration")).toString().toDouble() - seconds) <=
                     1.0,
                 qPrintable(format.value(QStringLiteral("duration")).toString()));
        const QJsonObject video = streamOf(probe, QStringLiteral("video"));
        QCOMPARE(video.value(QStringLiteral("codec_name")).toString(),
                 QStringLiteral("mpeg2video"));
        QCOMPARE(video.value(QStringLiteral("width")).toInt(), 720);
        QCOMPARE(video.value(QStringLiteral("height")).toInt(), 480);
        QCOMPARE(video.value(QStringLiteral("r_frame_rate")).toString(),
                 QStringLiteral("30000/1001"));
        const QJsonObject audio = streamOf(probe, QStringLiteral("audio"));
        QCOMPARE(audio.value(QStringLiteral("codec_name")).toString(), QStringLiteral("ac3"));
        QCOMPARE(audio.value(QStringLiteral("sample_rate")).toString(), QStringLiteral("48000"));
        // The announcement describes this stream, not the file it is made from.
        QCOMPARE(res.attributes.value(QStringLiteral("resolution")).toString(),
                 QStringLiteral("%1x%2")
                     .arg(video.value(QStringLiteral("width")).toInt())
                     .arg(video.value(QStringLiteral("height")).toInt()));
        QCOMPARE(res.attributes.value(QStringLiteral("sampleFrequency")).toString(),
                 audio.value(QStringLiteral("sample_rate")).toString());
        QCOMPARE(res.attributes.value(QStringLiteral("nrAudioChannels")).toInt(),
                 audio.value(QStringLiteral("channels")).toInt());
        QVERIFY(res.attributes.value(QStringLiteral("bitrate")).toInt() > 0);
    }

    // A HEAD answer is headers only, whatever it is for: the next answer on
    // the connection starts right after them. A converted stream's HEAD
    // announces the length its bit rate and play length come to, and keeps
    // the connection for the next request.
    void headThenGetOnOneConnection_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("stream");
        const Object clip = m_first.value(QStringLiteral("clip"));
        const QString thumbnail = clip.albumArt;
        QTest::newRow("file") << QUrl(clip.resources.first().url).path() << false;
        QTest::newRow("thumbnail") << QUrl(thumbnail).path() << false;
        QTest::newRow("description") << QStringLiteral("/DeviceDescription.xml") << false;
        QTest::newRow("icon") << QStringLiteral("/images/lumiqotv-48x48.png") << false;
        QTest::newRow("converted")
            << QUrl(m_first.value(QStringLiteral("show")).resources.first().url).path() << true;
    }

    void headThenGetOnOneConnection()
    {
        QFETCH(QString, path);
        QFETCH(bool, stream);
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(m_tv->server()->port()));
        QVERIFY(socket.waitForConnected(10000));
        const QByteArray target = QUrl(path).toEncoded(QUrl::FullyEncoded);
        socket.write("HEAD " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        const QByteArray head = readHead(socket);
        QVERIFY2(head.startsWith("HTTP/1.") && head.contains(" 200 "), head.constData());
        if (stream) {
            QVERIFY2(head.startsWith("HTTP/1.1 200 "), head.constData());
            QVERIFY(headerOf(head, "Content-Length").toLongLong() > 0);
            QVERIFY(headerOf(head, "Transfer-Encoding").isEmpty());
            QVERIFY(headerOf(head, "Connection").compare("close", Qt::CaseInsensitive) != 0);
            // The same socket carries the next request, and nothing of the
            // HEAD answer is left before the next answer.
            socket.write("GET /DeviceDescription.xml HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
            const QByteArray next = readHead(socket);
            QVERIFY2(next.startsWith("HTTP/1.1 200 "), next.left(64).constData());
            QVERIFY(socket.state() == QAbstractSocket::ConnectedState);
            return;
        }
        const qint64 length = headerOf(head, "Content-Length").toLongLong();
        QVERIFY(length > 0);
        socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        const QByteArray get = readHead(socket);
        QVERIFY2(get.startsWith("HTTP/1.1 200 "), get.left(64).constData());
        QCOMPARE(headerOf(get, "Content-Length").toLongLong(), length);
        QByteArray body;
        while (body.size() < length &&
               (socket.bytesAvailable() > 0 || socket.waitForReadyRead(30000)))
            body += socket.read(length - body.size());
        QCOMPARE(body.size(), length);
    }

    // Only converted streams offer time seeking (DLNA.ORG_OP=10); the others
    // refuse a time range instead of sending the whole file.
    void timeSeekWithoutTimeSeekingIsNotAcceptable()
    {
        const Object clip = m_first.value(QStringLiteral("clip"));
        QVERIFY(fourth(clip.resources.first().protocolInfo).contains("DLNA.ORG_OP=01"));
        for (const QString &url : {clip.resources.first().url, clip.albumArt}) {
            const Reply reply = request("GET", QUrl(url), {{"TimeSeekRange.dlna.org", "npt=1-2"}});
            QCOMPARE(reply.status, 406);
        }
    }

    // Every address offered is the one the client reached: a client on
    // another address of the host gets that one only, once per resource.
    void addressesOfTheClientsInterfaceOnly_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("127.0.0.1") << QStringLiteral("127.0.0.1");
        QTest::newRow("127.0.0.2") << QStringLiteral("127.0.0.2");
    }

    void addressesOfTheClientsInterfaceOnly()
    {
        QFETCH(QString, address);
        QUrl control = this->control();
        control.setHost(address);
        const Reply reply =
            soap(control, QString::fromLatin1(contentDirectory), QStringLiteral("Browse"),
                 {{"ObjectID", "0"},
                  {"BrowseFlag", "BrowseDirectChildren"},
                  {"Filter", "*"},
                  {"StartingIndex", "0"},
                  {"RequestedCount", "0"},
                  {"SortCriteria", ""}});
        QString error;
        const QList<Object> objects =
            readStrictly(soapArguments(reply.body).value(QStringLiteral("Result")), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(objects.size() >= 5);
        for (const Object &object : objects) {
            QStringList formats;
            for (const Resource &res : object.resources) {
                QCOMPARE(QUrl(res.url).host(), address);
                QVERIFY2(!formats.contains(res.protocolInfo), qPrintable(object.title));
                formats << res.protocolInfo;
            }
            if (!object.albumArt.isEmpty())
                QCOMPARE(QUrl(object.albumArt).host(), address);
        }
    }

    // A filter trims what it does not name (the required properties stay),
    // and the answer still reads strictly. The item's picture, a JPEG_TN
    // resource beside its album art, goes to clients that ask for pictures.
    void filterTrimsTheAnswer_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("optional");
        QTest::addColumn<bool>("pictures");
        QTest::newRow("*") << "*" << true << true;
        QTest::newRow("title and resources") << "dc:title,res" << false << false;
        QTest::newRow("with album art") << "dc:title,res,upnp:albumArtURI" << false << true;
    }

    void filterTrimsTheAnswer()
    {
        QFETCH(QString, filter);
        QFETCH(bool, optional);
        QFETCH(bool, pictures);
        const Reply reply =
            soap(control(), QString::fromLatin1(contentDirectory), QStringLiteral("Browse"),
                 {{"ObjectID", "0"},
                  {"BrowseFlag", "BrowseDirectChildren"},
                  {"Filter", filter},
                  {"StartingIndex", "0"},
                  {"RequestedCount", "0"},
                  {"SortCriteria", ""}});
        QString error;
        const QList<Object> objects =
            readStrictly(soapArguments(reply.body).value(QStringLiteral("Result")), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const Object clip = [&] {
            for (const Object &object : objects) {
                if (object.title == QLatin1String("clip"))
                    return object;
            }
            return Object();
        }();
        QVERIFY(!clip.resources.isEmpty());
        QCOMPARE(!clip.date.isEmpty(), optional);
        QCOMPARE(clip.resources.first().attributes.hasAttribute(QStringLiteral("size")), optional);
        QCOMPARE(!clip.albumArt.isEmpty(), pictures);
        bool thumbnail = false;
        for (const Resource &res : clip.resources)
            thumbnail = thumbnail || profileOf(res.protocolInfo) == QLatin1String("JPEG_TN");
        QCOMPARE(thumbnail, pictures);
    }

    void seekPastTheEndIsRefused()
    {
        const Resource res = m_first.value(QStringLiteral("show")).resources.first();
        QCOMPARE(request("GET", QUrl(res.url), {{"TimeSeekRange.dlna.org", "npt=99-"}}).status,
                 416);
        QCOMPARE(request("GET", QUrl(res.url), {{"TimeSeekRange.dlna.org", "npt=x-"}}).status, 416);
    }
};

QTEST_GUILESS_MAIN(TestDidl)
#include "tst_didl.moc"
