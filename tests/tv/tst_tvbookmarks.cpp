// Play positions shared with TVs, inside a private network namespace: a
// Samsung-like client reads each item's place (BM=) and keeps its own there
// with X_SetBookmark; the library, where the desktop player resumes from,
// holds the same place. Other clients see none of it.
#include "TestSupport.h"
#include "TvTestHttp.h"
#include "core/AppIdentity.h"
#include "engines/Engines.h"
#include "library/Library.h"
#include "library/LibraryModel.h"
#include "library/LibraryStore.h"
#include "library/PlayPositions.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaServer.h"
#include "tv/ServerDelegate.h"
#include "tv/TvBookmarks.h"
#include "tv/upnp/UpnpClientSignature.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

namespace {

const TvTestHttp::Headers kSamsung = {
    {"User-Agent", "DLNADOC/1.50 SEC_HHP_[TV] UE40ES6100/1.0 UPnP/1.0"}};
const TvTestHttp::Headers kOther = {{"User-Agent", "VLC/3.0.18 LibVLC/3.0.18"}};
// Two more Samsung sets, each with its own allowance of writes.
const TvTestHttp::Headers kFlooder = {
    {"User-Agent", "DLNADOC/1.50 SEC_HHP_[TV] UE55KS7000/1.0 UPnP/1.0"}};
const TvTestHttp::Headers kBedroom = {
    {"User-Agent", "DLNADOC/1.50 SEC_HHP_[TV] UE32F5000/1.0 UPnP/1.0"}};

// Refused bookmark writes logged, from every thread.
QAtomicInt s_refusalsLogged;
QtMessageHandler s_previousHandler = nullptr;

void countRefusals(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("TvBookmarks: refused")))
        s_refusalsLogged.ref();
    if (s_previousHandler)
        s_previousHandler(type, context, message);
}

} // namespace

class TestTvBookmarks : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Engines> m_engines;
    QUrl m_control;
    QString m_base;
    qlonglong m_id = -1;
    QString m_itemId;
    QUrl m_videoUrl;

    // The raw DIDL-Lite of a Browse of the library folder's children.
    QString browseRoot(const TvTestHttp::Headers &headers, QList<TvTestHttp::DidlEntry> *items)
    {
        QHash<QString, QString> arguments;
        *items =
            TvTestHttp::browse(m_control, QStringLiteral("0"),
                               QStringLiteral("BrowseDirectChildren"), 0, 0, headers, &arguments);
        return arguments.value(QStringLiteral("Result"));
    }

    int setBookmark(const QList<QPair<QString, QString>> &arguments,
                    const TvTestHttp::Headers &headers = kSamsung)
    {
        const TvTestHttp::Reply reply =
            TvTestHttp::soap(m_control, QString::fromLatin1(TvTestHttp::contentDirectory),
                             QStringLiteral("X_SetBookmark"), arguments, headers);
        if (reply.status == 200)
            return 0;
        return TvTestHttp::upnpError(reply.body);
    }

    // Sends the end place once the client's allowance has room for it again.
    bool endOnceAllowed(const TvTestHttp::Headers &headers)
    {
        QByteArray userAgent;
        for (const auto &[name, value] : headers) {
            if (name == "User-Agent")
                userAgent = value;
        }
        const QString client =
            UpnpClientSignature::clientKey(QHostAddress(QHostAddress::LocalHost), userAgent);
        TvBookmarks *bookmarks = m_engines->tv()->delegate()->bookmarks();
        if (!QTest::qWaitFor([&] { return bookmarks->tokensOf(client) >= 1; },
                             int(2 * TvBookmarks::kRefillMs) + TestSupport::SlowWaitMs))
            return false;
        return setBookmark({{"ObjectID", m_itemId}, {"PosSecond", "60"}}, headers) == 0;
    }

    qint64 storedPosition()
    {
        LibraryStore *store = m_engines->library()->store();
        return store->call([store, id = m_id] { return store->playPosition(id); });
    }

private Q_SLOTS:
    void initTestCase()
    {
        AppIdentity::apply();
        s_previousHandler = qInstallMessageHandler(countRefusals);
        m_engines = std::make_unique<Engines>();
        QVERIFY(m_engines->openDatabase());
        const QString clip = TestSupport::sampleClip(QStringLiteral("bookmarks-60s.mp4"), 60,
                                                     {QStringLiteral("-r"), QStringLiteral("5")});
        QVERIFY(!clip.isEmpty());
        const QString video = QDir(m_engines->location().folder())
                                  .absoluteFilePath(QStringLiteral("Evening walk.mp4"));
        QVERIFY(QFile::copy(clip, video));
        Library *library = m_engines->library();
        QTRY_VERIFY_WITH_TIMEOUT(library->model()->isLoaded(), TestSupport::SlowWaitMs);
        LibraryItem item = LibraryItem::fromFile(video);
        item.mediaLengthInSecs(60);
        LibraryStore *store = library->store();
        QCOMPARE(store->call([&] { return store->insertItems({item}); }).size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT((m_id = library->model()->idOfVideo(video)) >= 0,
                                 TestSupport::SlowWaitMs);

        LumiqoTv *tv = m_engines->tv();
        tv->toggleServerStatus();
        QVERIFY(tv->isRunning());
        m_base = QStringLiteral("http://127.0.0.1:%1/").arg(tv->server()->port());
        m_control =
            QUrl(m_base + tv->server()->uuid + QStringLiteral("/ContentDirectory/control.xml"));
        QList<TvTestHttp::DidlEntry> items;
        browseRoot(kOther, &items);
        QCOMPARE(items.size(), 1);
        m_itemId = items.first().id;
        m_videoUrl = QUrl(items.first().urls.first());
    }

    void cleanupTestCase()
    {
        m_engines.reset();
        qInstallMessageHandler(s_previousHandler);
    }

    void bookmarkActionOnlyDescribedForBookmarkClients()
    {
        const QUrl scpd(m_base + m_engines->tv()->server()->uuid +
                        QStringLiteral("/ContentDirectory/scpd.xml"));
        const TvTestHttp::Reply samsung = TvTestHttp::request("GET", scpd, kSamsung);
        QCOMPARE(samsung.status, 200);
        QVERIFY(samsung.body.contains("<name>X_SetBookmark</name>"));
        QVERIFY(samsung.body.contains("<name>PosSecond</name>"));
        const TvTestHttp::Reply other = TvTestHttp::request("GET", scpd, kOther);
        QCOMPARE(other.status, 200);
        QVERIFY(other.body.contains("<name>Browse</name>"));
        QVERIFY(!other.body.contains("X_SetBookmark"));
    }

    void tvPlaceReachesTheLibrary()
    {
        QCOMPARE(
            setBookmark(
                {{"CategoryType", "1"}, {"RID", "0"}, {"ObjectID", m_itemId}, {"PosSecond", "20"}}),
            0);
        QCOMPARE(storedPosition(), 20000);
        // The window's rows follow: the player opens the video at 0:20.
        QTRY_COMPARE_WITH_TIMEOUT(m_engines->library()->model()->playPosition(m_id), 20000,
                                  TestSupport::SlowWaitMs);

        QList<TvTestHttp::DidlEntry> items;
        const QString samsung = browseRoot(kSamsung, &items);
        QCOMPARE(items.size(), 1);
        QVERIFY2(samsung.contains(QStringLiteral("BM=20<")), qPrintable(samsung));
        const QString other = browseRoot(kOther, &items);
        QCOMPARE(items.size(), 1);
        QVERIFY(!other.contains(QStringLiteral("dcmInfo")));
        QVERIFY(!other.contains(QStringLiteral("BM=")));

        // A place saved by the desktop player is what the TV is told next.
        m_engines->library()->positions()->savePlayPosition(m_id, 33500);
        QTRY_COMPARE_WITH_TIMEOUT(storedPosition(), 33500, TestSupport::SlowWaitMs);
        QHash<QString, QString> arguments;
        TvTestHttp::browse(m_control, m_itemId, QStringLiteral("BrowseMetadata"), 0, 0, kSamsung,
                           &arguments);
        QVERIFY(arguments.value(QStringLiteral("Result")).contains(QStringLiteral("BM=33<")));
    }

    void badBookmarks_data()
    {
        QTest::addColumn<QString>("objectId");
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<int>("error");
        QTest::addColumn<qint64>("stored"); // -1: unchanged
        // "item" stands for the video's object id.
        const QString item = QStringLiteral("item");
        QTest::newRow("unknown object") << QStringLiteral("no-such-id") << "5" << 701 << -1LL;
        QTest::newRow("the folder") << QStringLiteral("0") << "5" << 701 << -1LL;
        QTest::newRow("no object") << QString() << "5" << 402 << -1LL;
        QTest::newRow("not a number") << item << "soon" << 402 << -1LL;
        QTest::newRow("negative") << item << "-4" << 402 << -1LL;
        QTest::newRow("no position") << item << QString() << 402 << -1LL;
        QTest::newRow("within") << item << "42" << 0 << 42000LL;
        // Beyond the end: kept at the end, which counts as watched to the end.
        QTest::newRow("beyond the length") << item << "99999" << 0 << 0LL;
    }

    void badBookmarks()
    {
        QFETCH(QString, objectId);
        QFETCH(QString, seconds);
        QFETCH(int, error);
        QFETCH(qint64, stored);
        const int watched = m_engines->library()->model()->watchedCount(m_id);
        m_engines->library()->positions()->savePlayPosition(m_id, 12000);
        QTRY_COMPARE_WITH_TIMEOUT(storedPosition(), 12000, TestSupport::SlowWaitMs);
        QList<QPair<QString, QString>> arguments = {{"CategoryType", "1"}, {"RID", "0"}};
        if (!objectId.isEmpty())
            arguments.append({QStringLiteral("ObjectID"),
                              objectId == QLatin1String("item") ? m_itemId : objectId});
        if (!seconds.isNull())
            arguments.append({QStringLiteral("PosSecond"), seconds});
        QCOMPARE(setBookmark(arguments), error);
        QCOMPARE(storedPosition(), stored < 0 ? 12000 : stored);
        if (QByteArrayView(QTest::currentDataTag()) == "beyond the length")
            QTRY_COMPARE_WITH_TIMEOUT(m_engines->library()->model()->watchedCount(m_id),
                                      watched + 1, TestSupport::SlowWaitMs);
    }
    void otherClientsWriteNothing()
    {
        const int watched = m_engines->library()->model()->watchedCount(m_id);
        m_engines->library()->positions()->savePlayPosition(m_id, 7000);
        QTRY_COMPARE_WITH_TIMEOUT(storedPosition(), 7000, TestSupport::SlowWaitMs);
        const int logged = s_refusalsLogged.loadAcquire();
        for (const char *seconds : {"25", "59", "30"}) {
            QCOMPARE(setBookmark({{"ObjectID", m_itemId}, {"PosSecond", seconds}}, kOther), 401);
        }
        QCOMPARE(storedPosition(), 7000);
        QCOMPARE(m_engines->library()->model()->watchedCount(m_id), watched);
        // Refused three times, logged once.
        QCOMPARE(s_refusalsLogged.loadAcquire(), logged + 1);
    }

    // A set that sends its end place over and over counts one viewing per
    // play, and its writes are throttled; a new play (a request for the
    // file from its start) may count again.
    void floodCountsOncePerPlay()
    {
        const int watched = m_engines->library()->model()->watchedCount(m_id);
        const int logged = s_refusalsLogged.loadAcquire();
        QElapsedTimer elapsed;
        elapsed.start();
        int accepted = 0;
        for (int i = 0; i < 2000; ++i) {
            const int error = setBookmark({{"ObjectID", m_itemId}, {"PosSecond", "60"}}, kFlooder);
            QVERIFY(error == 0 || error == 501);
            if (error == 0)
                ++accepted;
        }
        QVERIFY(accepted >= 1);
        // The allowance, and one more write per interval that passed.
        const qint64 allowed = 5 + elapsed.elapsed() / 10000 + 1;
        QVERIFY2(accepted <= allowed, qPrintable(QString::number(accepted)));
        QTRY_COMPARE_WITH_TIMEOUT(m_engines->library()->model()->watchedCount(m_id), watched + 1,
                                  TestSupport::SlowWaitMs);
        QCOMPARE(s_refusalsLogged.loadAcquire(), logged + 1);

        // A new play of the same set; its end counts once more.
        const TvTestHttp::Reply play =
            TvTestHttp::request("GET", m_videoUrl,
                                TvTestHttp::Headers(kFlooder)
                                    << qMakePair(QByteArray("Range"), QByteArray("bytes=0-0")));
        QCOMPARE(play.status, 206);
        QVERIFY(endOnceAllowed(kFlooder));
        QTRY_COMPARE_WITH_TIMEOUT(m_engines->library()->model()->watchedCount(m_id), watched + 2,
                                  TestSupport::SlowWaitMs);
        // Seeking within a play (a later range) is no new play.
        const TvTestHttp::Reply seek =
            TvTestHttp::request("GET", m_videoUrl,
                                TvTestHttp::Headers(kFlooder)
                                    << qMakePair(QByteArray("Range"), QByteArray("bytes=100-200")));
        QCOMPARE(seek.status, 206);
        QVERIFY(endOnceAllowed(kFlooder));
        QCOMPARE(m_engines->library()->model()->watchedCount(m_id), watched + 2);
    }

    // A served file the library does not hold keeps its place too (in the
    // server's own store), and Browse tells it back.
    void placeOfAFileOutsideTheLibrary()
    {
        const QString clip = TestSupport::sampleClip(QStringLiteral("bookmarks-60s.mp4"), 60,
                                                     {QStringLiteral("-r"), QStringLiteral("5")});
        const QString loose =
            QDir(m_engines->location().folder()).absoluteFilePath(QStringLiteral("Loose clip.mp4"));
        QVERIFY(QFile::copy(clip, loose));
        QString looseId;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                QList<TvTestHttp::DidlEntry> items;
                browseRoot(kOther, &items);
                for (const auto &item : items) {
                    if (item.title == QLatin1String("Loose clip"))
                        looseId = item.id;
                }
                return !looseId.isEmpty();
            }(),
            TestSupport::SlowWaitMs);
        QCOMPARE(setBookmark({{"ObjectID", looseId}, {"PosSecond", "17"}}, kBedroom), 0);
        QHash<QString, QString> arguments;
        TvTestHttp::browse(m_control, looseId, QStringLiteral("BrowseMetadata"), 0, 0, kBedroom,
                           &arguments);
        QVERIFY2(arguments.value(QStringLiteral("Result")).contains(QStringLiteral("BM=17<")),
                 qPrintable(arguments.value(QStringLiteral("Result"))));
        QCOMPARE(m_engines->library()->model()->idOfVideo(loose), -1);
    }
};

QTEST_GUILESS_MAIN(TestTvBookmarks)
#include "tst_tvbookmarks.moc"
