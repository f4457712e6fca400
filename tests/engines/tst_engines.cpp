// The wiring object: engines of their own for each owner, and a teardown in
// order while a download runs and the media server serves.
#include "ScriptedHttpServer.h"
#include "ScriptedPrompt.h"
#include "TestSupport.h"
#include "burner/Project.h"
#include "core/SiteConfig.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadRecords.h"
#include "engines/Engines.h"
#include "library/Library.h"
#include "library/LibraryEdits.h"
#include "library/LibraryModel.h"
#include "library/LibraryStore.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaServer.h"
#include "web/Account.h"
#include "web/NetworkManager.h"

#include <QDir>
#include <QHostAddress>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QtTest>

#include <memory>

namespace {

bool portAnswers(const QString &url)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(QUrl(url).port()));
    return socket.waitForConnected(2000);
}

// The start of a large video (`bytes` of it), then nothing more: a download
// from `server` stays running.
void stallAfterStart(ScriptedHttpServer &server, int bytes)
{
    server.setResponse("HTTP/1.1 200 OK\r\nContent-Type: video/mp4\r\n"
                       "Content-Length: 100000000\r\n\r\n" +
                       QByteArray(bytes, 'v'));
    server.setKeepOpen(true);
}

} // namespace

class TestEngines : public QObject
{
    Q_OBJECT

private:
    // What the engines of these tests have to ask is answered with the default.
    ScriptedPrompt m_prompt;

private Q_SLOTS:
    // Nothing is shared through the process: a burn set up or a member
    // signed in through one owner's engines leaves another's alone, and each
    // owner keeps its engines.
    void enginesBelongToTheirOwner()
    {
        Engines first(&m_prompt);
        Engines second(&m_prompt);
        first.account()->login(QStringLiteral("demo"), QStringLiteral("demo"));
        QVERIFY(first.account()->isLoggedIn());
        QVERIFY(!second.account()->isLoggedIn());
        QVERIFY(!second.account()->hasCredentials());
        QCOMPARE(first.networkManager()->account(), first.account());
        QCOMPARE(second.networkManager()->account(), second.account());
        first.project()->setTitle(QStringLiteral("First Disc"));
        first.project()->setDiscType(DiscType::Vcd);
        QCOMPARE(second.project()->title(), QStringLiteral("Untitled"));
        QCOMPARE(second.project()->discType(), DiscType::Dvd);
        QCOMPARE(first.project()->title(), QStringLiteral("First Disc"));
        QVERIFY(first.networkManager() != second.networkManager());
    }

    // A stored edit goes to the site's report address as a form, the member first.
    void editIsReportedToTheSite()
    {
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        ScriptedHttpServer site(QHostAddress::LocalHost);
        site.setResponse(ScriptedHttpServer::answer(200, {}, "ok"));
        QVERIFY(site.listen());
        QUrl members = site.url();
        members.setPath(QString());
        SiteConfig::setValue(QStringLiteral("secureMembersUrl"), members);
        Engines engines(&m_prompt);
        engines.account()->login(QStringLiteral("demo"), QStringLiteral("demo"));
        QVERIFY(engines.openDatabase());
        Library *library = engines.library();
        LibraryItem item;
        item.title(QStringLiteral("Old title"));
        item.videoPath(
            QDir(engines.location().folder()).absoluteFilePath(QStringLiteral("Old title.mp4")));
        item.sizeInBytes(10);
        item.creationDate(1000);
        item.guid(QStringLiteral("scene-7"));
        item.categories(QStringLiteral("A"));
        LibraryStore *store = library->store();
        QCOMPARE(store->call([&] { return store->insertItems({item}); }).size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(library->model()->rowCount(), 1, TestSupport::SlowWaitMs);
        QVERIFY(library->edits()->updateItem(0, QStringLiteral("New 'title' & more"),
                                             QStringLiteral("50% off"), QStringLiteral("A, B"),
                                             QStringLiteral("Ann")));

        QTRY_COMPARE_WITH_TIMEOUT(site.requests().size(), 1, 10000);
        const QByteArray request = site.requests().constFirst();
        QVERIFY(request.startsWith("POST /zelta/postback.php "));
        QVERIFY(request.toLower().contains("content-type: application/x-www-form-urlencoded"));
        const QUrlQuery form(QString::fromUtf8(site.bodies().constFirst()));
        const auto value = [&form](const char *key) {
            return form.queryItemValue(QLatin1String(key), QUrl::FullyDecoded);
        };
        QCOMPARE(value("fileName"), QStringLiteral("Old title.mp4"));
        QCOMPARE(value("scene_id"), QStringLiteral("scene-7"));
        QCOMPARE(value("oldTitle"), QStringLiteral("Old title"));
        QCOMPARE(value("oldTags"), QStringLiteral("A"));
        QCOMPARE(value("title"), QStringLiteral("New 'title' & more"));
        QCOMPARE(value("description"), QStringLiteral("50% off"));
        QCOMPARE(value("tags"), QStringLiteral("A, B"));
        QCOMPARE(value("cast"), QStringLiteral("Ann"));
        const QStringList keys = [&form] {
            QStringList k;
            for (const auto &pair : form.queryItems())
                k << pair.first;
            return k;
        }();
        QCOMPARE(keys,
                 (QStringList{"member_id", "fileName", "scene_id", "oldTitle", "oldDescription",
                              "oldTags", "oldCast", "title", "description", "tags", "cast"}));
        QCOMPARE(value("member_id"), QStringLiteral("demo"));
    }

    // Everything is torn down with a download receiving and the server up:
    // the server's port closes, the download stays queued for the next run
    // with its partial file, and nothing half-done reaches the library.
    void teardownWithRunningDownloadAndServer()
    {
        ScriptedHttpServer media(QHostAddress::LocalHost);
        stallAfterStart(media, 256 * 1024);
        QVERIFY(media.listen());
        const QUrl url = media.url(QStringLiteral("/video/clip.mp4"));

        auto engines = std::make_unique<Engines>(&m_prompt);
        engines->account()->login(QStringLiteral("demo"), QStringLiteral("demo"));
        QVERIFY(engines->openDatabase());
        Library *library = engines->library();
        QCOMPARE(library->model()->rowCount(), 0);

        LumiqoTv *tv = engines->tv(QStringLiteral("Engines Test"), UpnpEngine::NoSsdp);
        tv->toggleServerStatus();
        QVERIFY(tv->server()->isRunning());
        const QString description = tv->server()->descriptionUrl(QHostAddress::LocalHost);
        QVERIFY(portAnswers(description));

        DownloadManager *downloads = engines->downloadManager();
        downloads->initializeDirectDownload(url, true);
        QTRY_COMPARE_WITH_TIMEOUT(downloads->rowCount(), 1, 10000);
        QPointer<Download> download = downloads->activeDownloads().value(0);
        QVERIFY(download);
        const QString partial = download->mediaPath();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(partial).size() > 0, 10000);
        QCOMPARE(download->state(), Download::Downloading);

        engines.reset();
        QVERIFY(download.isNull());
        QVERIFY(!portAnswers(description));
        QVERIFY2(QFileInfo(partial).size() > 0, qPrintable(partial));

        // The next run finds the download again, and an empty library.
        Engines next(&m_prompt);
        QVERIFY(next.openDatabase());
        QCOMPARE(next.downloadRecords()->storedUrls().size(), 1);
        QCOMPARE(next.downloadManager()->rowCount(), 1);
        QCOMPARE(next.library()->model()->rowCount(), 0);
    }

    // The download manager the engines build asks through the prompt the
    // engines were given; without one, questions take their default answer
    // (No: the downloads stay).
    void questionsGoThroughTheEnginesPrompt_data()
    {
        QTest::addColumn<bool>("given");
        QTest::newRow("prompt given, answered Yes") << true;
        QTest::newRow("no prompt") << false;
    }
    void questionsGoThroughTheEnginesPrompt()
    {
        QFETCH(bool, given);
        ScriptedHttpServer media(QHostAddress::LocalHost);
        stallAfterStart(media, 64 * 1024);
        QVERIFY(media.listen());

        ScriptedPrompt prompt;
        prompt.answers = {UserPrompt::Yes};
        Engines engines(given ? &prompt : nullptr);
        engines.account()->login(QStringLiteral("demo"), QStringLiteral("demo"));
        QVERIFY(engines.prompt() != nullptr);
        QVERIFY(engines.openDatabase());
        DownloadManager *downloads = engines.downloadManager();
        const int stored = downloads->rowCount(); // left by an earlier case
        downloads->initializeDirectDownload(media.url(QStringLiteral("/video/asked.mp4")), false);
        QTRY_COMPARE_WITH_TIMEOUT(downloads->rowCount(), stored + 1, 10000);

        downloads->removeAll();
        if (given) {
            QCOMPARE(prompt.messages.size(), 1);
            QCOMPARE(prompt.messages.first().kind, QStringLiteral("question"));
            QCOMPARE(prompt.messages.first().title, QStringLiteral("Are you sure?"));
            QTRY_COMPARE_WITH_TIMEOUT(downloads->rowCount(), 0, 10000);
        } else {
            QVERIFY(prompt.messages.isEmpty());
            QCOMPARE(downloads->rowCount(), stored + 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestEngines)
#include "tst_engines.moc"
