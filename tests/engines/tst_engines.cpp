// The wiring object: one per process, and a teardown in order while a
// download runs and the media server serves.
#include "ScriptedPrompt.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadRecords.h"
#include "engines/Engines.h"
#include "library/Library.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaServer.h"
#include "web/SignInState.h"

#include <QDir>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <memory>

namespace {

// A media server on 127.0.0.1 that sends the start of a large file and then
// nothing more, so a download stays running.
class StallingServer : public QTcpServer
{
public:
    StallingServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    if (!socket->readAll().contains("\r\n\r\n") ||
                        socket->property("sent").toBool())
                        return;
                    socket->setProperty("sent", true);
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: video/mp4\r\n"
                                  "Content-Length: 100000000\r\n\r\n");
                    socket->write(QByteArray(256 * 1024, 'v'));
                });
            }
        });
    }
};

bool portAnswers(const QString &url)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(QUrl(url).port()));
    return socket.waitForConnected(2000);
}

} // namespace

class TestEngines : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        static ScriptedPrompt prompt;
        UserPrompt::install(&prompt);
        SignInState::login(QStringLiteral("demo"), QStringLiteral("demo"));
    }

    void oneInstancePerProcess()
    {
        QCOMPARE(Engines::instance(), nullptr);
        {
            Engines first;
            QCOMPARE(Engines::instance(), &first);
            {
                Engines second;
                QCOMPARE(Engines::instance(), &first);
            }
            QCOMPARE(Engines::instance(), &first);
        }
        QCOMPARE(Engines::instance(), nullptr);
    }

    // Everything is torn down with a download receiving and the server up:
    // the server's port closes, the download stays queued for the next run
    // with its partial file, and nothing half-done reaches the library.
    void teardownWithRunningDownloadAndServer()
    {
        StallingServer media;
        QVERIFY(media.listen(QHostAddress::LocalHost));
        const QUrl url(
            QStringLiteral("http://127.0.0.1:%1/video/clip.mp4").arg(media.serverPort()));

        auto engines = std::make_unique<Engines>();
        QVERIFY(engines->openDatabase());
        Library *library = engines->library();
        QCOMPARE(library->rowCount(), 0);

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
        QCOMPARE(DownloadRecords::storedUrls().size(), 1);
        QVERIFY2(QFileInfo(partial).size() > 0, qPrintable(partial));

        // The next run finds the download again, and an empty library.
        Engines next;
        QVERIFY(next.openDatabase());
        QCOMPARE(next.downloadManager()->rowCount(), 1);
        QCOMPARE(next.library()->rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestEngines)
#include "tst_engines.moc"
