// The device host over HTTP on 127.0.0.1 (no SSDP): description per client,
// service descriptions, SOAP control and its errors, GENA eventing.
#include "TvNotifyListener.h"
#include "TvTestHttp.h"
#include "core/AppIdentity.h"
#include "core/Version.h"
#include "library/LibraryLocation.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaModel.h"
#include "tv/MediaServer.h"
#include "tv/upnp/UpnpEventNotifier.h"
#include "tv/upnp/UpnpSoap.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace TvTestHttp;

namespace {

void writeFile(const QString &path, const QByteArray &data = QByteArray(64, 'x'))
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QString firstMatch(const QByteArray &text, const QString &pattern)
{
    return QRegularExpression(pattern).match(QString::fromUtf8(text)).captured(1);
}

} // namespace

class TestUpnpHost : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<LumiqoTv> m_tv;
    QString m_base;

    QUrl url(const QString &path) const { return QUrl(m_base + path); }
    QUrl serviceUrl(const QString &service, const QString &leaf) const
    {
        return url(QLatin1Char('/') + m_tv->server()->uuid + QLatin1Char('/') + service +
                   QLatin1Char('/') + leaf);
    }
    QUrl control() const
    {
        return serviceUrl(QStringLiteral("ContentDirectory"), QStringLiteral("control.xml"));
    }
    QString idOf(const QString &name, const QString &parent = QStringLiteral("0")) const
    {
        for (const DidlEntry &entry :
             browse(control(), parent, QStringLiteral("BrowseDirectChildren"))) {
            if (entry.title == name)
                return entry.id;
        }
        return QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        AppIdentity::apply();
        QVERIFY(m_dir.isValid());
        for (const char *name : {"a.mp4", "b.mp4", "c.mp3", "d.mp4", "e.jpg"})
            writeFile(m_dir.filePath(QStringLiteral("paging/") + QLatin1String(name)));
        writeFile(m_dir.filePath(QStringLiteral("movie.mp4")));
        writeFile(m_dir.filePath(QStringLiteral("notes.txt")));
        m_tv = std::make_unique<LumiqoTv>(QStringLiteral("LumiqoTV"),
                                          LibraryLocation::at(m_dir.path()), UpnpEngine::NoSsdp);
        m_tv->toggleServerStatus();
        QVERIFY(m_tv->server()->isRunning());
        m_base = QStringLiteral("http://127.0.0.1:%1").arg(m_tv->server()->port());
    }

    void cleanupTestCase() { m_tv.reset(); }

    void descriptionPerClient_data()
    {
        QTest::addColumn<QByteArray>("userAgent");
        QTest::addColumn<QByteArray>("clientInfo");
        QTest::addColumn<QString>("friendlyName");
        QTest::addColumn<QString>("modelName");
        QTest::addColumn<QString>("dlnaCap");
        QTest::newRow("xbox") << QByteArray("Xbox/2.0.4548.0 UPnP/1.0 Xbox/2.0.4548.0")
                              << QByteArray() << "LumiqoTV: 1"
                              << "Windows Media Player Sharing"
                              << "";
        QTest::newRow("xenon") << QByteArray("Xenon") << QByteArray() << "LumiqoTV: 1"
                               << "Windows Media Player Sharing"
                               << "";
        QTest::newRow("ps3") << QByteArray("UPnP/1.0")
                             << QByteArray("av=5.0; cn=\"Sony\"; mn=\"PLAYSTATION 3\"")
                             << "LumiqoTV"
                             << "Lumiqo.TV"
                             << "av-upload,image-upload,audio-upload";
        QTest::newRow("wmp") << QByteArray("Windows-Media-Player/12.0.7601") << QByteArray()
                             << "LumiqoTV"
                             << "Windows Media Player Sharing"
                             << "";
        QTest::newRow("other") << QByteArray("VLC/3.0") << QByteArray() << "LumiqoTV"
                               << "Lumiqo.TV"
                               << "";
    }

    void descriptionPerClient()
    {
        QFETCH(QByteArray, userAgent);
        QFETCH(QByteArray, clientInfo);
        QFETCH(QString, friendlyName);
        QFETCH(QString, modelName);
        QFETCH(QString, dlnaCap);
        Headers headers = {{"User-Agent", userAgent}};
        if (!clientInfo.isEmpty())
            headers.append({"X-AV-Client-Info", clientInfo});
        const Reply reply = request("GET", url(QStringLiteral("/DeviceDescription.xml")), headers);
        QCOMPARE(reply.status, 200);
        QCOMPARE(reply.header("Content-Type"), QByteArray("text/xml; charset=\"utf-8\""));
        QCOMPARE(firstMatch(reply.body, QStringLiteral("<friendlyName>([^<]*)<")), friendlyName);
        QCOMPARE(firstMatch(reply.body, QStringLiteral("<modelName>([^<]*)<")), modelName);
        QCOMPARE(firstMatch(reply.body, QStringLiteral("<dlna:X_DLNACAP>([^<]*)<")), dlnaCap);
        QCOMPARE(firstMatch(reply.body, QStringLiteral("<dlna:X_DLNADOC>([^<]*)<")),
                 QStringLiteral("DMS-1.50"));

        // The next client sees the device's own fields again.
        const Reply plain = request("GET", url(QStringLiteral("/DeviceDescription.xml")));
        QCOMPARE(firstMatch(plain.body, QStringLiteral("<friendlyName>([^<]*)<")),
                 QStringLiteral("LumiqoTV"));
        QCOMPARE(firstMatch(plain.body, QStringLiteral("<manufacturer>([^<]*)<")),
                 QStringLiteral("ZR Productions LLC"));
        QCOMPARE(firstMatch(plain.body, QStringLiteral("<modelNumber>([^<]*)<")),
                 QStringLiteral(ZELTA_VERSION));
    }

    void serviceDescriptionsAndIconsParse()
    {
        const Reply description = request("GET", url(QStringLiteral("/DeviceDescription.xml")));
        QXmlStreamReader xml(description.body);
        QStringList scpds;
        QStringList icons;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("SCPDURL"))
                scpds << xml.readElementText();
            else if (xml.isStartElement() && xml.name() == QLatin1String("url"))
                icons << xml.readElementText();
        }
        QVERIFY(!xml.hasError());
        QCOMPARE(scpds.size(), 3);
        for (const QString &path : scpds) {
            const Reply scpd = request("GET", url(path));
            QCOMPARE(scpd.status, 200);
            QXmlStreamReader reader(scpd.body);
            int actions = 0;
            while (!reader.atEnd()) {
                reader.readNext();
                actions += reader.isStartElement() && reader.name() == QLatin1String("action");
            }
            QVERIFY2(!reader.hasError(), qPrintable(path + reader.errorString()));
            QVERIFY(actions >= 3);
        }
        QCOMPARE(icons.size(), 4);
        for (const QString &path : icons) {
            const Reply icon = request("GET", url(path));
            QCOMPARE(icon.status, 200);
            QVERIFY(!QImage::fromData(icon.body).isNull());
            QVERIFY(icon.header("Content-Type").startsWith("image/"));
        }
    }

    void browseRootAliasesAndContainerId_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("argument");
        for (const char *id : {"0", "15", "16", "13", "4"})
            QTest::newRow(id) << QString::fromLatin1(id) << QStringLiteral("ObjectID");
        QTest::newRow("ContainerID") << QStringLiteral("0") << QStringLiteral("ContainerID");
    }

    void browseRootAliasesAndContainerId()
    {
        QFETCH(QString, id);
        QFETCH(QString, argument);
        const Reply reply =
            soap(control(), QString::fromLatin1(contentDirectory), QStringLiteral("Browse"),
                 {{argument, id},
                  {QStringLiteral("BrowseFlag"), QStringLiteral("BrowseDirectChildren")},
                  {QStringLiteral("Filter"), QStringLiteral("*")},
                  {QStringLiteral("StartingIndex"), QStringLiteral("0")},
                  {QStringLiteral("RequestedCount"), QStringLiteral("0")},
                  {QStringLiteral("SortCriteria"), QString()}});
        QCOMPARE(reply.status, 200);
        const auto arguments = soapArguments(reply.body);
        bool ok = false;
        const QList<DidlEntry> entries = parseDidl(arguments.value(QStringLiteral("Result")), &ok);
        QVERIFY(ok);
        QStringList titles;
        for (const DidlEntry &entry : entries) {
            titles << entry.title;
            QCOMPARE(entry.parentId, QStringLiteral("0"));
        }
        // Folders first, then files; the text file is not offered.
        QCOMPARE(titles, QStringList({QStringLiteral("paging"), QStringLiteral("movie")}));
        QCOMPARE(arguments.value(QStringLiteral("TotalMatches")), QStringLiteral("2"));
        QVERIFY(!arguments.value(QStringLiteral("UpdateID")).isEmpty());
    }

    void browseMetadataOfRoot()
    {
        QHash<QString, QString> arguments;
        const auto entries = browse(control(), QStringLiteral("0"),
                                    QStringLiteral("BrowseMetadata"), 0, 0, {}, &arguments);
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().title, QStringLiteral("root"));
        QVERIFY(entries.first().container);
        QCOMPARE(arguments.value(QStringLiteral("NumberReturned")), QStringLiteral("1"));
    }

    void controlErrors_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("objectId");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("error");
        QTest::newRow("unknown object") << "Browse"
                                        << "123456789"
                                        << "BrowseMetadata"
                                        << "0" << 701;
        QTest::newRow("not a number") << "Browse"
                                      << "../etc"
                                      << "BrowseDirectChildren"
                                      << "0" << 701;
        QTest::newRow("children of an item") << "Browse"
                                             << "movie.mp4"
                                             << "BrowseDirectChildren"
                                             << "0" << 710;
        QTest::newRow("unknown action") << "Frobnicate"
                                        << "0"
                                        << "BrowseMetadata"
                                        << "0" << 401;
        QTest::newRow("bad flag") << "Browse"
                                  << "0"
                                  << "BrowseEverything"
                                  << "0" << 402;
        QTest::newRow("bad index") << "Browse"
                                   << "0"
                                   << "BrowseDirectChildren"
                                   << "-x" << 402;
        QTest::newRow("missing object") << "Browse"
                                        << ""
                                        << "BrowseDirectChildren"
                                        << "0" << 402;
    }

    void controlErrors()
    {
        QFETCH(QString, action);
        QFETCH(QString, objectId);
        QFETCH(QString, flag);
        QFETCH(QString, start);
        QFETCH(int, error);
        if (objectId == QLatin1String("movie.mp4"))
            objectId = idOf(QStringLiteral("movie"));
        QList<QPair<QString, QString>> arguments = {
            {QStringLiteral("BrowseFlag"), flag},
            {QStringLiteral("StartingIndex"), start},
            {QStringLiteral("RequestedCount"), QStringLiteral("0")}};
        if (!objectId.isEmpty())
            arguments.prepend({QStringLiteral("ObjectID"), objectId});
        const Reply reply =
            soap(control(), QString::fromLatin1(contentDirectory), action, arguments);
        QCOMPARE(reply.status, 500);
        QCOMPARE(upnpError(reply.body), error);
        QVERIFY(reply.body.contains("<faultstring>UPnPError</faultstring>"));
    }

    void malformedEnvelopeIsRefused()
    {
        const Reply reply =
            request("POST", control(),
                    {{"SOAPAction", "\"urn:schemas-upnp-org:service:ContentDirectory:1#Browse\""},
                     {"Content-Type", "text/xml"}},
                    "<s:Envelope><s:Body><u:Browse>");
        QCOMPARE(reply.status, 500);
        QCOMPARE(upnpError(reply.body), 402);
    }

    void oversizedBodyIsRefused()
    {
        // The refusal names the sender, and the server goes on answering.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "body too large from 127\\.0\\.0\\.1$")));
        const Reply reply =
            request("POST", control(),
                    {{"SOAPAction", "\"urn:schemas-upnp-org:service:ContentDirectory:1#Browse\""},
                     {"Content-Type", "text/xml"}},
                    QByteArray((1 << 20) + 1, ' '));
        QCOMPARE(reply.status, 413);
        QCOMPARE(browse(control(), QStringLiteral("0"), QStringLiteral("BrowseMetadata")).size(),
                 1);
    }

    void paging_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("returned");
        QTest::newRow("all") << 0 << 0 << 5;
        QTest::newRow("first two") << 0 << 2 << 2;
        QTest::newRow("middle") << 2 << 2 << 2;
        QTest::newRow("tail") << 3 << 10 << 2;
        QTest::newRow("past the end") << 7 << 2 << 0;
    }

    void paging()
    {
        QFETCH(int, start);
        QFETCH(int, count);
        QFETCH(int, returned);
        const QString folder = idOf(QStringLiteral("paging"));
        QVERIFY(!folder.isEmpty());
        const auto all = browse(control(), folder, QStringLiteral("BrowseDirectChildren"));
        QCOMPARE(all.size(), 5);
        QHash<QString, QString> arguments;
        const auto page = browse(control(), folder, QStringLiteral("BrowseDirectChildren"), start,
                                 count, {}, &arguments);
        QCOMPARE(page.size(), returned);
        QCOMPARE(arguments.value(QStringLiteral("NumberReturned")).toInt(), returned);
        QCOMPARE(arguments.value(QStringLiteral("TotalMatches")).toInt(), 5);
        for (int i = 0; i < page.size(); ++i)
            QCOMPARE(page.at(i).id, all.at(start + i).id);
    }

    void pagingSkipsVanishedFiles_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("all") << 0 << 0 << QStringList{"a", "c"};
        QTest::newRow("first") << 0 << 1 << QStringList{"a"};
        QTest::newRow("second") << 1 << 1 << QStringList{"c"};
        QTest::newRow("past the end") << 2 << 1 << QStringList{};
    }

    void pagingSkipsVanishedFiles()
    {
        QFETCH(int, start);
        QFETCH(int, count);
        QFETCH(QStringList, titles);
        // b.mp4 is listed, then deleted: no page may count it.
        QTemporaryDir dir;
        for (const char *name : {"a.mp4", "b.mp4", "c.mp4"})
            writeFile(dir.filePath(QLatin1String(name)));
        LumiqoTv tv(QStringLiteral("LumiqoTV"), LibraryLocation::at(dir.path()),
                    UpnpEngine::NoSsdp);
        tv.toggleServerStatus();
        QVERIFY(tv.server()->isRunning());
        const QUrl control(QStringLiteral("http://127.0.0.1:%1/%2/ContentDirectory/control.xml")
                               .arg(tv.server()->port())
                               .arg(tv.server()->uuid));
        QCOMPARE(
            browse(control, QStringLiteral("0"), QStringLiteral("BrowseDirectChildren")).size(), 3);
        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("b.mp4"))));
        QHash<QString, QString> arguments;
        QStringList got;
        for (const DidlEntry &entry :
             browse(control, QStringLiteral("0"), QStringLiteral("BrowseDirectChildren"), start,
                    count, {}, &arguments))
            got.append(entry.title);
        QCOMPARE(got, titles);
        QCOMPARE(arguments.value(QStringLiteral("TotalMatches")).toInt(), 2);
    }

    void search_data()
    {
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<int>("matches"); // -1: refused
        QTest::newRow("videos") << "upnp:class derivedfrom \"object.item.videoItem\"" << 4;
        QTest::newRow("music") << "upnp:class = \"object.item.audioItem.musicTrack\"" << 1;
        QTest::newRow("pictures, console form")
            << "(upnp:class derivedfrom \"object.item.imageItem\") and @refID exists false" << 1;
        QTest::newRow("everything") << "*" << 6;
        QTest::newRow("title search") << "dc:title contains \"movie\"" << -1;
        QTest::newRow("injection") << "upnp:class derivedfrom \"object\" or 1=1" << -1;
    }

    void search()
    {
        QFETCH(QString, criteria);
        QFETCH(int, matches);
        const Reply reply =
            soap(control(), QString::fromLatin1(contentDirectory), QStringLiteral("Search"),
                 {{QStringLiteral("ContainerID"), QStringLiteral("15")},
                  {QStringLiteral("SearchCriteria"), criteria},
                  {QStringLiteral("Filter"), QStringLiteral("*")},
                  {QStringLiteral("StartingIndex"), QStringLiteral("0")},
                  {QStringLiteral("RequestedCount"), QStringLiteral("0")},
                  {QStringLiteral("SortCriteria"), QString()}});
        if (matches < 0) {
            QCOMPARE(reply.status, 500);
            QCOMPARE(upnpError(reply.body), 708);
            QVERIFY(reply.body.contains("Unsupported or invalid search criteria"));
            return;
        }
        QCOMPARE(reply.status, 200);
        const auto arguments = soapArguments(reply.body);
        QCOMPARE(arguments.value(QStringLiteral("TotalMatches")).toInt(), matches);
        QCOMPARE(parseDidl(arguments.value(QStringLiteral("Result"))).size(), matches);
    }

    void httpErrors_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");
        QTest::newRow("unknown path") << QByteArray("GET") << "/nothing/here" << 404;
        QTest::newRow("unknown object") << QByteArray("GET") << "/%25/987654321" << 404;
        QTest::newRow("traversal") << QByteArray("GET") << "/%25/..%2F..%2Fetc%2Fpasswd" << 404;
        QTest::newRow("folder") << QByteArray("GET") << "/%25/0" << 404;
        QTest::newRow("PUT") << QByteArray("PUT") << "/DeviceDescription.xml" << 400;
        QTest::newRow("DELETE") << QByteArray("DELETE") << "/%25/0" << 400;
    }

    void httpErrors()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        QFETCH(int, status);
        const Reply reply = request(method, QUrl(m_base + path, QUrl::StrictMode));
        QCOMPARE(reply.status, status);
        if (status == 404)
            QVERIFY(reply.body.contains("<h1>Not Found</h1>"));
    }

    void eventSubscription()
    {
        TvNotifyListener listener;
        const QUrl events =
            serviceUrl(QStringLiteral("ContentDirectory"), QStringLiteral("event.xml"));
        const Reply subscribed = request("SUBSCRIBE", events,
                                         {{"CALLBACK", '<' + listener.callback().toEncoded() + '>'},
                                          {"NT", "upnp:event"},
                                          {"TIMEOUT", "Second-300"}});
        QCOMPARE(subscribed.status, 200);
        const QByteArray sid = subscribed.header("SID");
        QVERIFY(sid.startsWith("uuid:"));
        QCOMPARE(subscribed.header("TIMEOUT"), QByteArray("Second-300"));

        // The initial event carries every evented variable.
        QTRY_COMPARE_WITH_TIMEOUT(listener.messages.size(), 1, 10000);
        const QByteArray notify = listener.messages.first();
        QVERIFY(notify.startsWith("NOTIFY /events HTTP/1.1"));
        QVERIFY(notify.contains("SID: " + sid));
        QVERIFY(notify.contains("SEQ: 0"));
        QVERIFY(notify.contains("NTS: upnp:propchange"));
        QVERIFY(notify.contains("urn:schemas-upnp-org:event-1-0"));
        QVERIFY(notify.contains("<SystemUpdateID>"));

        // A change reaches the subscriber with the next sequence number.
        m_tv->server()->setEventedVariable(QStringLiteral("ContentDirectory"),
                                           QStringLiteral("SystemUpdateID"), QStringLiteral("7"));
        QTRY_COMPARE_WITH_TIMEOUT(listener.messages.size(), 2, 10000);
        QVERIFY(listener.messages.at(1).contains("SEQ: 1"));
        QVERIFY(listener.messages.at(1).contains("<SystemUpdateID>7</SystemUpdateID>"));

        const Reply renewed =
            request("SUBSCRIBE", events, {{"SID", sid}, {"TIMEOUT", "Second-infinite"}});
        QCOMPARE(renewed.status, 200);
        QCOMPARE(renewed.header("SID"), sid);
        QCOMPARE(request("UNSUBSCRIBE", events, {{"SID", sid}}).status, 200);
        QCOMPARE(request("SUBSCRIBE", events, {{"SID", sid}}).status, 412);
    }

    void subscriptionRefused_data()
    {
        QTest::addColumn<QByteArray>("callback");
        QTest::addColumn<QByteArray>("nt");
        QTest::newRow("foreign host")
            << QByteArray("<http://192.0.2.10:8080/attack>") << QByteArray("upnp:event");
        QTest::newRow("no callback") << QByteArray() << QByteArray("upnp:event");
        QTest::newRow("not http") << QByteArray("<ftp://127.0.0.1/x>") << QByteArray("upnp:event");
        QTest::newRow("wrong NT") << QByteArray("<http://127.0.0.1:9/x>")
                                  << QByteArray("upnp:other");
    }

    void subscriptionRefused()
    {
        QFETCH(QByteArray, callback);
        QFETCH(QByteArray, nt);
        const int before = m_tv->server()->subscriberCount();
        Headers headers = {{"NT", nt}};
        if (!callback.isEmpty())
            headers.append({"CALLBACK", callback});
        const Reply reply = request(
            "SUBSCRIBE",
            serviceUrl(QStringLiteral("ContentDirectory"), QStringLiteral("event.xml")), headers);
        QCOMPARE(reply.status, 412);
        QCOMPARE(m_tv->server()->subscriberCount(), before);
    }

    void subscriberExpires()
    {
        TvNotifyListener listener;
        const int before = m_tv->server()->subscriberCount();
        const Reply reply =
            request("SUBSCRIBE",
                    serviceUrl(QStringLiteral("ConnectionManager"), QStringLiteral("event.xml")),
                    {{"CALLBACK", '<' + listener.callback().toEncoded() + '>'},
                     {"NT", "upnp:event"},
                     {"TIMEOUT", "Second-1"}});
        QCOMPARE(reply.status, 200);
        QCOMPARE(m_tv->server()->subscriberCount(), before + 1);
        QTRY_VERIFY_WITH_TIMEOUT(!listener.messages.isEmpty(), 10000);
        QVERIFY(listener.messages.first().contains("<SourceProtocolInfo>http-get:*:*:*<"));
        // Not renewed: dropped once its second is over.
        QTRY_COMPARE_WITH_TIMEOUT(m_tv->server()->subscriberCount(), before, 10000);
        const QByteArray sid = reply.header("SID");
        QCOMPARE(
            request("SUBSCRIBE",
                    serviceUrl(QStringLiteral("ConnectionManager"), QStringLiteral("event.xml")),
                    {{"SID", sid}})
                .status,
            412);
    }

    // A server stopped and started again (the user's toggle) sends events
    // again; a stop forgets the subscribers and never waits long for a
    // callback that does not answer.
    void notifierStartsAgainAfterAStop()
    {
        TvNotifyListener listener;
        QTcpServer silent; // takes the connection and never answers
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        const QUrl hanging(QStringLiteral("http://127.0.0.1:%1/events").arg(silent.serverPort()));
        const QHostAddress host(QHostAddress::LocalHost);
        const UpnpEventNotifier::Variables variables = {{"SystemUpdateID", "3"}};

        UpnpEventNotifier notifier;
        for (int round = 0; round < 3; ++round) {
            notifier.start();
            const qsizetype before = listener.messages.size();
            QVERIFY(
                !notifier.subscribe("ContentDirectory", {listener.callback()}, 300, variables, host)
                     .isEmpty());
            QVERIFY(
                !notifier.subscribe("ContentDirectory", {hanging}, 300, variables, host).isEmpty());
            QTRY_COMPARE_WITH_TIMEOUT(listener.messages.size(), before + 1, 10000);
            QVERIFY(listener.messages.last().contains("SEQ: 0"));
            QVERIFY(listener.messages.last().contains("<SystemUpdateID>3</SystemUpdateID>"));
            QTRY_VERIFY_WITH_TIMEOUT(silent.hasPendingConnections(), 10000);
            notifier.stopNotifier();
            QCOMPARE(notifier.subscriberCount(), 0);
            // Changes while stopped go nowhere.
            notifier.notify("ContentDirectory", variables);
        }
    }

    void escapedTextReadsBack_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("read"); // what an XML reader gets back
        QTest::newRow("plain") << u"Plain title 1080p"_qs << u"Plain title 1080p"_qs;
        QTest::newRow("markup") << u"a&b <c> \"d\" 'e'"_qs << u"a&b <c> \"d\" 'e'"_qs;
        QTest::newRow("kept whitespace") << u"a\tb\nc"_qs << u"a\tb\nc"_qs;
        QTest::newRow("control characters dropped")
            << (u"a"_qs + QChar(0x01) + u"b"_qs + QChar(0x1f) + u"&"_qs) << u"ab&"_qs;
        QTest::newRow("surrogate pair kept") << u"x\U0001F600y"_qs << u"x\U0001F600y"_qs;
        QTest::newRow("lone surrogates dropped")
            << (u"a"_qs + QChar(0xD800) + u"b"_qs + QChar(0xDC00) + u"<"_qs) << u"ab<"_qs;
        QTest::newRow("non-characters dropped")
            << (QChar(0xFFFE) + u"\u00e9t\u00e9"_qs + QChar(0xFFFF)) << u"\u00e9t\u00e9"_qs;
    }

    // Whatever a file or folder name holds, the SOAP answer stays readable
    // and tells the name (less what XML cannot carry).
    void escapedTextReadsBack()
    {
        QFETCH(QString, text);
        QFETCH(QString, read);
        UpnpActionResponse answer;
        answer.add(QStringLiteral("Result"), text);
        const QByteArray envelope = UpnpSoap::response(QString::fromLatin1(contentDirectory),
                                                       QStringLiteral("Browse"), answer);
        QCOMPARE(soapArguments(envelope).value(QStringLiteral("Result")), read);
    }
};

QTEST_MAIN(TestUpnpHost)
#include "tst_upnphost.moc"
