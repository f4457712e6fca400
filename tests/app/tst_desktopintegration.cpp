// The program at home on the desktop: descriptors handed over by a second
// start, and notifications on a private session bus with a stand-in service.
#include "NotificationService.h"

#include "DemoSiteProcess.h"
#include "TestSupport.h"
#include "app/DescriptorOpener.h"
#include "app/DesktopNotifier.h"
#include "app/MprisService.h"
#include "core/SingleInstanceGuard.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "engines/Engines.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <future>

namespace {

// A session bus of the test's own, so nothing reaches the user's desktop.
QProcess *g_bus = nullptr;

bool startPrivateBus()
{
    g_bus = new QProcess;
    g_bus->start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--session"), QStringLiteral("--nofork"),
                  QStringLiteral("--print-address=1")});
    if (!g_bus->waitForStarted(10000) || !g_bus->waitForReadyRead(10000))
        return false;
    const QByteArray address = g_bus->readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    return !address.isEmpty();
}

QString writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(content);
    return path;
}

} // namespace

class TestDesktopIntegration : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DemoSiteProcess> m_site;
    QTemporaryDir m_files;

    // A descriptor of the demo site saved as a file, as a browser would.
    QString savedDescriptor(const QString &tag)
    {
        QNetworkAccessManager network;
        QNetworkRequest request(m_site->url(
            QStringLiteral("/members/synthetic.corvana?count=1&bytes=4096&tag=%1").arg(tag)));
        request.setRawHeader("Authorization", "Basic " + QByteArray("demo:demo").toBase64());
        QNetworkReply *reply = network.get(request);
        if (!QTest::qWaitFor([reply] { return reply->isFinished(); }, 20000))
            return QString();
        reply->deleteLater();
        if (reply->error() != QNetworkReply::NoError)
            return QString();
        return writeFile(m_files.filePath(tag + QStringLiteral(".corvana")), reply->readAll());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_files.isValid());
        m_site = std::make_unique<DemoSiteProcess>();
        QVERIFY(m_site->isRunning());
        QSettings settings;
        settings.setValue(QStringLiteral("site/membersUrl"), m_site->url().toString());
        settings.setValue(QStringLiteral("site/secureMembersUrl"), m_site->url().toString());
    }

    void argumentsBecomeDescriptors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected");
        writeFile(m_files.filePath(QStringLiteral("a.corvana")), "<rss/>");
        const QString local =
            QUrl::fromLocalFile(m_files.filePath(QStringLiteral("a.corvana"))).toString();
        QTest::newRow("relative file") << QStringList{"a.corvana"} << QStringList{local};
        QTest::newRow("file url") << QStringList{local} << QStringList{local};
        QTest::newRow("web address") << QStringList{"https://corvana.example/x.corvana?id=1"}
                                     << QStringList{"https://corvana.example/x.corvana?id=1"};
        QTest::newRow("missing file") << QStringList{"missing.corvana"} << QStringList{};
        QTest::newRow("other schemes")
            << QStringList{"ftp://host/x.corvana", "javascript:alert(1)", "mailto:a@b"}
            << QStringList{};
        QTest::newRow("folder") << QStringList{"."} << QStringList{};
    }

    void argumentsBecomeDescriptors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        const QList<QUrl> urls = DescriptorOpener::urlsFromArguments(arguments, m_files.path());
        QStringList texts;
        for (const QUrl &url : urls)
            texts << url.toString();
        QCOMPARE(texts, expected);
        // What a second start sends is what the running copy reads.
        QCOMPARE(DescriptorOpener::decode(DescriptorOpener::encode(urls)), urls);
    }

    void foreignMessagesAreIgnored()
    {
        QVERIFY(DescriptorOpener::decode("file:///etc/passwd\n").isEmpty());
        QVERIFY(DescriptorOpener::decode(QByteArray()).isEmpty());
        const QList<QUrl> urls = DescriptorOpener::decode(
            "corvana-zelta-open\njavascript:alert(1)\nhttp://127.0.0.1/x.corvana\n");
        QCOMPARE(urls, QList<QUrl>{QUrl(QStringLiteral("http://127.0.0.1/x.corvana"))});
    }

    void secondStartHandsItsMessageOver()
    {
        SingleInstanceGuard first(QStringLiteral("handover-test"));
        QVERIFY(!first.isRunning());
        SingleInstanceGuard second(QStringLiteral("handover-test"));
        QVERIFY(second.isRunning());
        QSignalSpy received(&first, &SingleInstanceGuard::messageReceived);

        const QByteArray message = DescriptorOpener::encode({QUrl("http://127.0.0.1/v.corvana")});
        // Sent from another thread: the sender waits for this one's answer.
        auto sent = std::async(std::launch::async,
                               [&second, message] { return second.sendMessage(message); });
        QTRY_VERIFY_WITH_TIMEOUT(sent.wait_for(std::chrono::seconds(0)) ==
                                     std::future_status::ready,
                                 TestSupport::SlowWaitMs);
        QVERIFY(sent.get());
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(received.at(0).at(0).toByteArray(), message);

        // An oversized message is dropped, not buffered for ever.
        QVERIFY(!second.sendMessage(QByteArray(SingleInstanceGuard::MaxMessageBytes + 1, 'x')));
        QVERIFY(!first.sendMessage(message)); // only a second start sends
        // A message sent after them is the next one that comes.
        const QByteArray marker =
            DescriptorOpener::encode({QUrl("http://127.0.0.1/marker.corvana")});
        auto markerSent = std::async(std::launch::async,
                                     [&second, marker] { return second.sendMessage(marker); });
        QTRY_VERIFY_WITH_TIMEOUT(markerSent.wait_for(std::chrono::seconds(0)) ==
                                     std::future_status::ready,
                                 TestSupport::SlowWaitMs);
        QVERIFY(markerSent.get());
        QTRY_VERIFY_WITH_TIMEOUT(received.size() >= 2, TestSupport::SlowWaitMs);
        QCOMPARE(received.size(), 2);
        QCOMPARE(received.at(1).at(0).toByteArray(), marker);
    }

    // Another local process may send anything: only regular files are taken,
    // never a device that never ends or a FIFO that blocks its reader.
    void handedOverFilesMustBeRegular()
    {
        const QString fifo = m_files.filePath(QStringLiteral("pipe.corvana"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString regular = writeFile(m_files.filePath(QStringLiteral("r.corvana")), "<rss/>");
        const QUrl file = QUrl::fromLocalFile(regular);
        const QByteArray message =
            "corvana-zelta-open\nfile:///dev/zero\n" + QUrl::fromLocalFile(fifo).toEncoded() +
            '\n' + QUrl::fromLocalFile(m_files.path()).toEncoded() + '\n' + file.toEncoded() + '\n';
        QCOMPARE(DescriptorOpener::decode(message), QList<QUrl>{file});
    }

    // "OpenUri" plays what holds audio or video, whatever its name says.
    void mprisOpensOnlyMediaFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("media");
        const QString clip = TestSupport::sampleClip(QStringLiteral("mpris.mp4"), 1.0);
        QVERIFY(!clip.isEmpty());
        QTest::newRow("a real clip") << clip << true;
        QFile::copy(clip, m_files.filePath(QStringLiteral("renamed.txt")));
        QTest::newRow("a clip under another name") << m_files.filePath("renamed.txt") << true;
        QTest::newRow("text named like a clip")
            << writeFile(m_files.filePath(QStringLiteral("passwd.mp4")), "root:x:0:0:root:/root\n")
            << false;
        QTest::newRow("system file") << QStringLiteral("/etc/passwd") << false;
        QTest::newRow("process environment") << QStringLiteral("/proc/self/environ") << false;
        QTest::newRow("device") << QStringLiteral("/dev/zero") << false;
    }

    void mprisOpensOnlyMediaFiles()
    {
        QFETCH(QString, path);
        QFETCH(bool, media);
        QCOMPARE(MprisService::isMediaFile(path), media);
    }

    // Servers that show bodies as plain text get them unescaped; those that
    // read markup get "&" as "&amp;".
    void notificationBodiesFollowTheServer_data()
    {
        QTest::addColumn<bool>("markup");
        QTest::addColumn<QString>("body");
        QTest::newRow("plain text server") << false << QStringLiteral("Tom & Jerry <live>");
        QTest::newRow("markup server") << true << QStringLiteral("Tom &amp; Jerry &lt;live&gt;");
    }

    void notificationBodiesFollowTheServer()
    {
        QFETCH(bool, markup);
        QFETCH(QString, body);
        NotificationService service;
        if (markup)
            service.capabilities << QStringLiteral("body-markup");
        QVERIFY(service.registerOnBus());
        DesktopNotifier notifier;
        notifier.notify(QStringLiteral("Download finished"), QStringLiteral("Tom & Jerry <live>"),
                        QString(), DesktopNotifier::Library);
        QTRY_COMPARE_WITH_TIMEOUT(service.shown.size(), 1, 10000);
        QCOMPARE(service.shown.at(0).body, body);
        QVERIFY(service.capabilitiesAsked > 0);
    }

    void signalsAheadOfTheReply_data()
    {
        QTest::addColumn<QStringList>("early");
        QTest::addColumn<bool>("activates");
        QTest::addColumn<bool>("stillOpen");
        QTest::newRow("clicked") << QStringList{"click", "close"} << true << false;
        QTest::newRow("clicked, left open") << QStringList{"click"} << true << true;
        QTest::newRow("closed") << QStringList{"close"} << false << false;
        QTest::newRow("clicked once closed") << QStringList{"close", "click"} << false << false;
        QTest::newRow("another program's")
            << QStringList{"close other", "click other"} << false << true;
    }

    // The service's signals about a notification can reach us before its
    // answer to Notify does: the click still counts, a closed one stays closed.
    void signalsAheadOfTheReply()
    {
        QFETCH(QStringList, early);
        QFETCH(bool, activates);
        QFETCH(bool, stillOpen);
        NotificationService service;
        service.holdReplies = true;
        QVERIFY(service.registerOnBus());
        DesktopNotifier notifier;
        QSignalSpy activated(&notifier, &DesktopNotifier::activated);
        notifier.notify(QStringLiteral("Download finished"), QStringLiteral("first"), QString(),
                        DesktopNotifier::Library);
        QTRY_COMPARE_WITH_TIMEOUT(service.shown.size(), 1, 10000);
        for (const QString &signal : std::as_const(early)) {
            const uint id = signal.endsWith(QLatin1String("other")) ? 7 : 1;
            if (signal.startsWith(QLatin1String("click")))
                QMetaObject::invokeMethod(&notifier, "actionInvoked", Q_ARG(uint, id),
                                          Q_ARG(QString, QStringLiteral("default")));
            else
                QMetaObject::invokeMethod(&notifier, "notificationClosed", Q_ARG(uint, id),
                                          Q_ARG(uint, 1));
        }
        QVERIFY(activated.isEmpty());
        service.holdReplies = false;
        service.releaseReplies();
        // Replies come in order: once the second one is clickable the first
        // one's reply has been handled too.
        notifier.notify(QStringLiteral("Download failed"), QStringLiteral("second"), QString(),
                        DesktopNotifier::Downloads);
        QTRY_COMPARE_WITH_TIMEOUT(service.shown.size(), 2, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                Q_EMIT service.ActionInvoked(2, QStringLiteral("default"));
                QCoreApplication::processEvents();
                return !activated.isEmpty() &&
                       activated.last().at(0).value<DesktopNotifier::Target>() ==
                           DesktopNotifier::Downloads;
            }(),
            10000);
        const auto libraryClicks = [&] {
            return int(std::count_if(activated.cbegin(), activated.cend(), [](const auto &signal) {
                return signal.at(0).template value<DesktopNotifier::Target>() ==
                       DesktopNotifier::Library;
            }));
        };
        QCOMPARE(libraryClicks(), activates ? 1 : 0);
        // A click now shows the library only if the first one is still open.
        QMetaObject::invokeMethod(&notifier, "actionInvoked", Q_ARG(uint, 1),
                                  Q_ARG(QString, QStringLiteral("default")));
        QCOMPARE(libraryClicks(), (activates ? 1 : 0) + (stillOpen ? 1 : 0));
    }

    // Descriptors opened before the member signed in wait for the sign-in.
    void descriptorsWaitForSignIn()
    {
        Engines engines;
        QVERIFY(engines.openDatabase());
        DescriptorOpener opener(&engines);
        const QString descriptor = savedDescriptor(QStringLiteral("waiting"));
        QVERIFY(!descriptor.isEmpty());
        opener.open({QUrl::fromLocalFile(descriptor)});
        QCOMPARE(opener.pendingCount(), 1);
        QCOMPARE(engines.downloadManager()->rowCount(), 0);

        QSignalSpy added(engines.downloadManager(), &DownloadManager::added);
        engines.signIn(QStringLiteral("demo"), QStringLiteral("demo"));
        QCOMPARE(opener.pendingCount(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(added.size(), 1, 20000);
        // Cancelled, so its stored record does not come back in the next case.
        const QList<Download *> downloads = engines.downloadManager()->activeDownloads();
        for (Download *download : downloads)
            download->cancel();
        QTRY_COMPARE_WITH_TIMEOUT(engines.downloadManager()->rowCount(), 0,
                                  TestSupport::SlowWaitMs);
    }

    void notificationsReachTheDesktop()
    {
        NotificationService service;
        QVERIFY(service.registerOnBus());
        Engines engines;
        QVERIFY(engines.openDatabase());
        engines.signIn(QStringLiteral("demo"), QStringLiteral("demo"));
        DesktopNotifier notifier;
        QVERIFY(notifier.isAvailable());
        notifier.followDownloads(engines.downloadManager());
        QSignalSpy activated(&notifier, &DesktopNotifier::activated);

        engines.downloadManager()->initializeDownload(
            m_site->url(QStringLiteral("/members/synthetic.corvana?count=1&bytes=8192&tag=told")));
        QTRY_COMPARE_WITH_TIMEOUT(service.shown.size(), 1, 30000);
        QCOMPARE(service.shown.at(0).summary, QStringLiteral("Download finished"));
        QCOMPARE(service.shown.at(0).body, QStringLiteral("told 1"));
        QVERIFY(service.shown.at(0).actions.contains(QStringLiteral("default")));

        // Clicking it shows the library.
        Q_EMIT service.ActionInvoked(1, QStringLiteral("default"));
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(activated.at(0).at(0).value<DesktopNotifier::Target>(), DesktopNotifier::Library);

        // A descriptor that cannot be read is a failure the desktop hears of.
        engines.downloadManager()->initializeLocalDownload(
            m_files.filePath(QStringLiteral("gone")));
        QTRY_COMPARE_WITH_TIMEOUT(service.shown.size(), 2, TestSupport::SlowWaitMs);
        QCOMPARE(service.shown.at(1).summary, QStringLiteral("Download failed"));
        // A click on a notification closed since does nothing.
        Q_EMIT service.NotificationClosed(2, 1);
        Q_EMIT service.ActionInvoked(2, QStringLiteral("default"));
        // The first one, still open, clicked again after it: the next (and
        // only other) activation is its own.
        Q_EMIT service.ActionInvoked(1, QStringLiteral("default"));
        QTRY_VERIFY_WITH_TIMEOUT(activated.size() >= 2, TestSupport::SlowWaitMs);
        QCOMPARE(activated.size(), 2);
        QCOMPARE(activated.at(1).at(0).value<DesktopNotifier::Target>(), DesktopNotifier::Library);
    }

    // The real program: a second start with a descriptor hands it over and
    // leaves at once, without the "Multiple Instances" box.
    void secondProgramStartHandsOver()
    {
        const QString descriptor = savedDescriptor(QStringLiteral("second"));
        QVERIFY(!descriptor.isEmpty());
        const QString program = TestSupport::builtProgram(QStringLiteral("corvana-zelta"));
        const QString log = QDir::home().filePath(QStringLiteral("CorvanaZELTA.log"));
        QFile::remove(log);
        QProcess first;
        first.setProcessChannelMode(QProcess::ForwardedChannels);
        first.start(program, {});
        QVERIFY(first.waitForStarted());
        QVERIFY(QTest::qWaitFor(
            [&] { return TestSupport::readFile(log).contains("built with Qt"); }, 60000));
        QVERIFY(QTest::qWaitFor(
            [&] { return QFile::exists(SingleInstanceGuard::lockFilePath("CorvanaZELTA")); },
            10000));

        QByteArray out;
        QByteArray err;
        QCOMPARE(TestSupport::run(program, {descriptor}, &out, &err, 30000), 0);
        QVERIFY(QTest::qWaitFor(
            [&] {
                return TestSupport::readFile(log).contains("waiting for sign-in with 1 descriptor");
            },
            10000));
        first.terminate();
        QVERIFY(first.waitForFinished(30000));
    }

    void cleanupTestCase()
    {
        m_site.reset();
        if (g_bus) {
            g_bus->kill();
            g_bus->waitForFinished();
            delete g_bus;
        }
    }
};

int main(int argc, char **argv)
{
    if (!startPrivateBus()) {
        fprintf(stderr, "cannot start a private dbus-daemon\n");
        return 1;
    }
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("CorvanaZELTA"));
    QCoreApplication::setApplicationName(QStringLiteral("CorvanaZELTA"));
    TestDesktopIntegration test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desktopintegration.moc"
