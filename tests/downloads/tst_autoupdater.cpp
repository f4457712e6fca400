// The update check: version ranges, the first matching entry, the installer
// download (over HTTPS only) and launch, and the search suggestions.
#include "DemoSiteProcess.h"
#include "ScriptedHttpServer.h"
#include "ScriptedPrompt.h"
#include "TestDatabase.h"
#include "TestSupport.h"
#include "core/SiteConfig.h"
#include "core/Version.h"
#include "downloads/Autoupdater.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadRecords.h"
#include "library/Library.h"
#include "library/LibraryStore.h"
#include "web/Account.h"
#include "web/NetworkManager.h"
#include "web/Suggestions.h"

#include <QDomDocument>
#include <QFile>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

namespace {

QDomDocument feed(const QByteArray &linuxEntries, const QByteArray &windowsEntries = {})
{
    QDomDocument document;
    document.setContent("<zelta><suggestionsVersion>3</suggestionsVersion><windows>" +
                        windowsEntries + "</windows><linux>" + linuxEntries + "</linux></zelta>");
    return document;
}

QByteArray entry(const QByteArray &versions, const QByteArray &link)
{
    return "<entry><targetVersion>" + versions + "</targetVersion><link>" + link +
           "</link></entry>";
}

// A self-signed certificate for 127.0.0.1 in `dir`; trusted by this process when asked.
bool makeCertificate(const QTemporaryDir &dir, bool trusted)
{
    const QString key = dir.filePath(QStringLiteral("key.pem"));
    const QString cert = dir.filePath(QStringLiteral("cert.pem"));
    if (TestSupport::run(QStringLiteral("openssl"),
                         {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out",
                          cert, "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
                          "subjectAltName=IP:127.0.0.1"}) != 0)
        return false;
    if (trusted) {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.addCaCertificates(cert);
        QSslConfiguration::setDefaultConfiguration(configuration);
    }
    return true;
}

QStringList tlsArgs(const QTemporaryDir &dir)
{
    return {"--no-media", "--tls-cert", dir.filePath(QStringLiteral("cert.pem")), "--tls-key",
            dir.filePath(QStringLiteral("key.pem"))};
}

void writeFeed(const DemoSiteProcess &site, const QByteArray &entries)
{
    QFile stored(site.dataDir() + QStringLiteral("/update.xml"));
    stored.open(QIODevice::WriteOnly);
    stored.write("<zelta><suggestionsVersion>3</suggestionsVersion><linux>" + entries +
                 "</linux></zelta>");
}

// Records on which thread each question is asked.
class ThreadRecordingPrompt : public ScriptedPrompt
{
public:
    Button question(const QString &title, const QString &text, Buttons buttons,
                    Button defaultButton) override
    {
        threads << QThread::currentThread();
        return ScriptedPrompt::question(title, text, buttons, defaultButton);
    }

    QList<QThread *> threads;
};

} // namespace

class TestAutoupdater : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    LibraryLocation m_location;
    ScriptedPrompt m_prompt;
    Account m_account;
    std::unique_ptr<NetworkManager> m_network;
    // Made once the database is open.
    std::unique_ptr<LibraryStore> m_store;
    std::unique_ptr<DownloadRecords> m_records;
    std::unique_ptr<DownloadManager> m_downloads;

    static void recordLaunches(Autoupdater &updater, QStringList *launched)
    {
        updater.setLauncher([launched](const QString &path) {
            *launched << path;
            return true;
        });
    }
    // One update check with launches recorded: what it reported (1 or 0), or
    // -1 when it did not finish.
    static int checkOnce(Autoupdater &updater, QStringList *launched)
    {
        recordLaunches(updater, launched);
        QSignalSpy finished(&updater, &Autoupdater::checkFinished);
        updater.start();
        if (!QTest::qWaitFor([&] { return !finished.isEmpty(); }, 15000))
            return -1;
        return finished.first().first().toBool() ? 1 : 0;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("CorvanaZELTA"));
        QCoreApplication::setApplicationName(QStringLiteral("CorvanaZELTA"));
        m_location = TestDatabase::setUpHome(m_home.path());
        QVERIFY(!m_location.isEmpty());
        m_account.login(QStringLiteral("demo"), QStringLiteral("demo"));
        m_network = std::make_unique<NetworkManager>(&m_account, &m_prompt);
        m_store = std::make_unique<LibraryStore>(m_location.databaseFile());
        m_records = std::make_unique<DownloadRecords>(m_store.get(), m_location);
        m_downloads =
            std::make_unique<DownloadManager>(m_network.get(), m_records.get(), &m_prompt);
    }

    void versionItems_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("matches");
        QTest::newRow("same version") << ZELTA_VERSION << true;
        QTest::newRow("newer single") << "3.1.4" << false;
        QTest::newRow("older single") << "3.1.2" << false;
        QTest::newRow("range high first") << "3.2.0-3.0.0" << true;
        QTest::newRow("range low first") << "3.0.0-3.2.0" << false;
        QTest::newRow("range ending here") << "4.0.0-" ZELTA_VERSION << true;
        QTest::newRow("range below") << "3.1.2-3.0.0" << false;
        QTest::newRow("two numbers") << "3.1" << false;
        QTest::newRow("spaces") << " " ZELTA_VERSION " " << true;
        QTest::newRow("not numbers") << "a.b.c" << false;
    }
    void versionItems()
    {
        QFETCH(QString, item);
        QFETCH(bool, matches);
        QCOMPARE(Autoupdater::versionItemMatches(item), matches);
    }

    void firstMatchingEntryOfThisPlatform_data()
    {
        QTest::addColumn<QByteArray>("linuxEntries");
        QTest::addColumn<QByteArray>("windowsEntries");
        QTest::addColumn<QUrl>("installer");
        QTest::newRow("first of two")
            << entry("3.0.0," ZELTA_VERSION, "http://a/1") + entry(ZELTA_VERSION, "http://a/2")
            << QByteArray() << QUrl("http://a/1");
        QTest::newRow("skips non-matching")
            << entry("3.1.4", "http://a/1") + entry("3.5.0-3.1.0", "http://a/2") << QByteArray()
            << QUrl("http://a/2");
        QTest::newRow("other platform ignored")
            << entry("1.0.0", "http://a/1") << entry(ZELTA_VERSION, "http://w/1") << QUrl();
        QTest::newRow("none") << QByteArray() << QByteArray() << QUrl();
    }
    void firstMatchingEntryOfThisPlatform()
    {
        QFETCH(QByteArray, linuxEntries);
        QFETCH(QByteArray, windowsEntries);
        QFETCH(QUrl, installer);
        QCOMPARE(Autoupdater::findInstaller(feed(linuxEntries, windowsEntries)), installer);
    }

    void downloadsAndLaunchesInstallerAndFetchesSuggestions()
    {
        QTemporaryDir keys;
        QVERIFY(makeCertificate(keys, true));
        DemoSiteProcess site(tlsArgs(keys));
        QVERIFY(site.isRunning());
        SiteConfig::setValue(QStringLiteral("updateUrl"), site.url());
        SiteConfig::setValue(QStringLiteral("updatePlainUrl"), site.url());
        const QByteArray link = site.tlsUrl("/files/CorvanaZELTAUpdate-3.2.0.sh").toEncoded();
        writeFeed(site, entry("3.0.0", site.tlsUrl("/files/wrong.sh").toEncoded()) +
                            entry("3.2.0-3.1.0", link) +
                            entry(ZELTA_VERSION, site.tlsUrl("/files/second.sh").toEncoded()));
        // An installer left from an earlier run goes first.
        QFile old(m_location.folder() + QStringLiteral("/CorvanaZELTAUpdate-old.sh"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.close();
        QFile::remove(Suggestions::filePath());

        Autoupdater updater(m_network.get(), m_downloads.get());
        QStringList launched;
        recordLaunches(updater, &launched);
        QSignalSpy suggestions(&updater, &Autoupdater::suggestionsUpdated);
        updater.start();
        QVERIFY(!old.exists());

        // A finished download of another file launches nothing.
        Download other(m_network.get(), nullptr, m_location, site.tlsUrl("/files/other.mp4"), true);
        updater.downloadFinished(&other);

        QTRY_COMPARE_WITH_TIMEOUT(launched.size(), 1, 15000);
        QCOMPARE(launched.first(),
                 m_location.folder() + QStringLiteral("/CorvanaZELTAUpdate-3.2.0.sh"));
        QVERIFY(QFile::exists(launched.first()));
        QCOMPARE(updater.installerUrl(), QUrl(QString::fromLatin1(link)));

        QTRY_COMPARE_WITH_TIMEOUT(suggestions.size(), 1, 15000);
        QVERIFY(QFile::exists(Suggestions::filePath()));
        QCOMPARE(Suggestions::version(), 2);
        const QStringList requests = site.requests();
        QCOMPARE(requests.filter(QStringLiteral("/zelta/suggest.php")).size(), 1);
        // Without a suggestions file the version is not asked for first.
        QCOMPARE(requests.filter(QStringLiteral("/zelta/update.xml")).size(), 1);
        QVERIFY(requests.filter(QStringLiteral("wrong.sh")).isEmpty());
        QVERIFY(requests.filter(QStringLiteral("second.sh")).isEmpty());
    }

    // The installer is fetched over HTTPS only, never through a redirect to
    // plain HTTP, and opened only when it is of an installer's file type.
    void installerOnlyOverHttps_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("plain http link") << "http";
        QTest::newRow("https redirected to http") << "redirect";
        QTest::newRow("not an installer type") << "desktop";
    }
    void installerOnlyOverHttps()
    {
        QFETCH(QString, kind);
        QTemporaryDir keys;
        QVERIFY(makeCertificate(keys, true));
        DemoSiteProcess site(tlsArgs(keys));
        QVERIFY(site.isRunning());
        ScriptedHttpServer plainHost{QHostAddress(QStringLiteral("127.0.0.2"))};
        plainHost.setResponse(ScriptedHttpServer::answer(200, {}, "#!/bin/sh\nexit 0\n"));
        QVERIFY(plainHost.listen());
        ScriptedHttpServer redirector{QHostAddress::LocalHost};
        redirector.useTls(keys.filePath(QStringLiteral("cert.pem")),
                          keys.filePath(QStringLiteral("key.pem")));
        const QUrl plainInstaller = plainHost.url(QStringLiteral("/files/CorvanaZELTAUpdate-4.sh"));
        redirector.setResponse(
            ScriptedHttpServer::answer(302, "Location: " + plainInstaller.toEncoded() + "\r\n"));
        QVERIFY(redirector.listen());

        QUrl link = site.tlsUrl(QStringLiteral("/files/CorvanaZELTAUpdate-4.desktop"));
        if (kind == QLatin1String("http"))
            link = site.url(QStringLiteral("/files/CorvanaZELTAUpdate-4.sh"));
        else if (kind == QLatin1String("redirect"))
            link = redirector.url(QStringLiteral("/files/CorvanaZELTAUpdate-4.sh"));
        writeFeed(site, entry(ZELTA_VERSION, link.toEncoded()));
        SiteConfig::setValue(QStringLiteral("updateUrl"), site.url());
        SiteConfig::setValue(QStringLiteral("updatePlainUrl"), site.url());
        m_prompt.messages.clear();

        Autoupdater updater(m_network.get(), m_downloads.get());
        QStringList launched;
        recordLaunches(updater, &launched);
        QSignalSpy finished(&updater, &Autoupdater::checkFinished);
        QSignalSpy downloaded(m_downloads.get(), &DownloadManager::finished);
        QSignalSpy failed(m_downloads.get(), &DownloadManager::error);
        updater.start();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        if (kind == QLatin1String("http")) {
            QCOMPARE(finished.first().first().toBool(), false);
            QVERIFY(site.requests().filter(QStringLiteral("/files/")).isEmpty());
        } else if (kind == QLatin1String("redirect")) {
            // The refused redirect fails the download.
            QTRY_VERIFY_WITH_TIMEOUT(!failed.isEmpty(), 15000);
            QCOMPARE(redirector.requests().size(), 1);
            QVERIFY(plainHost.requests().isEmpty());
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(downloaded.size(), 1, 15000);
        }
        QVERIFY(launched.isEmpty());
    }

    // A feed nested deeper than any real one is refused before the tree
    // parser, which takes minutes and overflows the stack on deep documents.
    void deeplyNestedFeedIsRefused_data()
    {
        QTest::addColumn<int>("levels");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("shallow") << 8 << true;
        QTest::newRow("nested too deep") << 70 << false;
    }
    void deeplyNestedFeedIsRefused()
    {
        QFETCH(int, levels);
        QFETCH(bool, accepted);
        DemoSiteProcess site({"--no-media"});
        QVERIFY(site.isRunning());
        writeFeed(site, entry(ZELTA_VERSION, "https://127.0.0.1:1/files/CorvanaZELTAUpdate-5.sh") +
                            QByteArray("<x>").repeated(levels) +
                            QByteArray("</x>").repeated(levels));
        SiteConfig::setValue(QStringLiteral("updateUrl"), site.url());
        SiteConfig::setValue(QStringLiteral("updatePlainUrl"), site.url());

        Autoupdater updater(m_network.get(), m_downloads.get());
        QStringList launched;
        QCOMPARE(checkOnce(updater, &launched), int(accepted));
        QVERIFY(launched.isEmpty());
    }

    void installerFileTypes_data()
    {
        QByteArray elf("\x7f"
                       "ELF\x02\x01\x01",
                       7);
        elf.append(QByteArray(9, '\0')).append(QByteArray("\x02\x00\x3e\x00", 4));
        elf.append(QByteArray(44, '\0'));
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("installer");
        QTest::newRow("script") << "CorvanaZELTAUpdate.sh" << QByteArray("#!/bin/sh\nexit 0\n")
                                << true;
        QTest::newRow("debian package")
            << "CorvanaZELTAUpdate.deb" << QByteArray("!<arch>\ndebian-binary   ") << true;
        QTest::newRow("rpm package")
            << "CorvanaZELTAUpdate.rpm" << QByteArray("\xed\xab\xee\xdb\x03\x00", 6) << true;
        QTest::newRow("bare program") << "CorvanaZELTAUpdate" << elf << false;
        QTest::newRow("program named as script") << "CorvanaZELTAUpdate.sh" << elf << false;
        QTest::newRow("desktop launcher")
            << "CorvanaZELTAUpdate.desktop"
            << QByteArray("[Desktop Entry]\nType=Application\nExec=sh -c id\n") << false;
        QTest::newRow("windows program")
            << "CorvanaZELTAUpdate.exe" << QByteArray("MZ\x90\0", 4) << false;
        QTest::newRow("web page") << "CorvanaZELTAUpdate.html"
                                  << QByteArray("<html><body>x</body></html>") << false;
    }
    void installerFileTypes()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, installer);
        QTemporaryDir dir;
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QCOMPARE(Autoupdater::isInstallerFile(file.fileName()), installer);
    }

    // Videos are fetched on transfer threads, but a certificate the system
    // does not trust is still asked about on the window's thread, once per
    // host (installers never ask): Yes fetches the file (and the next one without asking again), No
    // refuses it and fails the download.
    void untrustedCertificateIsAskedOnTheWindowThread_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("accepted") << true;
        QTest::newRow("refused") << false;
    }
    void untrustedCertificateIsAskedOnTheWindowThread()
    {
        QFETCH(bool, yes);
        QTemporaryDir keys;
        QVERIFY(makeCertificate(keys, false));
        ScriptedHttpServer host{QHostAddress::LocalHost};
        host.useTls(keys.filePath(QStringLiteral("cert.pem")),
                    keys.filePath(QStringLiteral("key.pem")));
        const QByteArray body(70000, 'z');
        host.setResponse(ScriptedHttpServer::answer(
            200, "Content-Length: " + QByteArray::number(body.size()) + "\r\n", body));
        QVERIFY(host.listen());
        ThreadRecordingPrompt prompt;
        prompt.answers << (yes ? UserPrompt::Yes : UserPrompt::No);
        NetworkManager network(&m_account, &prompt);
        DownloadManager downloads(&network, m_records.get(), &prompt);
        QSignalSpy finished(&downloads, &DownloadManager::finished);
        QSignalSpy failed(&downloads, &DownloadManager::error);
        const QString tag = yes ? QStringLiteral("yes") : QStringLiteral("no");

        downloads.initializeDirectDownload(host.url(QStringLiteral("/files/%1-1.mp4").arg(tag)));
        if (yes) {
            QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
            auto *download = finished.first().first().value<Download *>();
            QFile file(download->mediaPath());
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), body);
            // The host is accepted for this run: the next file is not asked about.
            downloads.initializeDirectDownload(
                host.url(QStringLiteral("/files/%1-2.mp4").arg(tag)));
            QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 15000);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(!failed.isEmpty(), 15000);
            QVERIFY(finished.isEmpty());
            // The card says what went wrong, not a bare error number.
            const QString reason = failed.first().first().toString();
            QVERIFY2(reason.contains(QLatin1String("certificate")), qPrintable(reason));
        }
        QCOMPARE(prompt.threads.size(), 1);
        QCOMPARE(prompt.threads.first(), QThread::currentThread());
        QVERIFY(prompt.messages.first().text.contains(QLatin1String("SSL Errors")));
        QVERIFY(failed.isEmpty() == yes);
    }

    // A self-signed (forged) certificate on the update host: nothing is asked,
    // nothing is downloaded, nothing is launched.
    void forgedCertificateNeverFetchesInstaller()
    {
        QTemporaryDir keys;
        QVERIFY(makeCertificate(keys, false));
        DemoSiteProcess site(tlsArgs(keys));
        QVERIFY(site.isRunning());
        writeFeed(site,
                  entry(ZELTA_VERSION, site.tlsUrl("/files/CorvanaZELTAUpdate-9.sh").toEncoded()));
        SiteConfig::setValue(QStringLiteral("updateUrl"), site.tlsUrl());
        SiteConfig::setValue(QStringLiteral("updatePlainUrl"), site.url());
        m_prompt.messages.clear();

        // Both fetches of the check go through the shared manager: the feed
        // (on its second try) and the suggestions (their version from the
        // same host, or the list itself from the plain one).
        QStringList answered;
        {
            QObject listening;
            connect(m_network.get(), &QNetworkAccessManager::finished, &listening,
                    [&answered](QNetworkReply *reply) { answered << reply->url().path(); });
            Autoupdater updater(m_network.get(), m_downloads.get());
            QStringList launched;
            QCOMPARE(checkOnce(updater, &launched), 0);
            const auto checkFetches = [&answered] {
                return answered.count(QStringLiteral("/zelta/update.xml")) +
                           answered.count(QStringLiteral("/zelta/suggest.php")) >=
                       2;
            };
            QVERIFY(QTest::qWaitFor(checkFetches, TestSupport::SlowWaitMs));
            QVERIFY(launched.isEmpty());
        }
        QVERIFY(m_prompt.messages.isEmpty());
        QVERIFY(site.requests().filter(QStringLiteral("/files/")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAutoupdater)
#include "tst_autoupdater.moc"
