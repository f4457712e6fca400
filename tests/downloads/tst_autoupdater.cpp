// The update check: version ranges, the first matching entry, the installer
// download and launch, and the search suggestions.
#include "downloads/Autoupdater.h"
#include "core/Version.h"
#include "DemoSiteProcess.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "library/Library.h"
#include "ScriptedPrompt.h"
#include "web/SignInState.h"
#include "core/SiteConfig.h"
#include "web/Suggestions.h"
#include "TestSupport.h"

#include <QDomDocument>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
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

} // namespace

class TestAutoupdater : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    ScriptedPrompt m_prompt;

private Q_SLOTS:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("CorvanaZELTA"));
        QCoreApplication::setApplicationName(QStringLiteral("CorvanaZELTA"));
        Library::setupPaths(m_home.path());
        QVERIFY(Library::initDatabase(QString()));
        UserPrompt::install(&m_prompt);
        SignInState::login(QStringLiteral("demo"), QStringLiteral("demo"));
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
            << entry("3.0.0," ZELTA_VERSION, "http://a/1") + entry(ZELTA_VERSION, "http://a/2") << QByteArray()
            << QUrl("http://a/1");
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
        DemoSiteProcess site;
        QVERIFY(site.isRunning());
        SiteConfig::setValue(QStringLiteral("updateUrl"), site.url());
        SiteConfig::setValue(QStringLiteral("updatePlainUrl"), site.url());
        const QByteArray link = site.url("/files/CorvanaZELTAUpdate-3.2.0.sh").toEncoded();
        QFile stored(site.dataDir() + QStringLiteral("/update.xml"));
        QVERIFY(stored.open(QIODevice::WriteOnly));
        stored.write("<zelta><suggestionsVersion>3</suggestionsVersion><linux>" +
                     entry("3.0.0", site.url("/files/wrong.sh").toEncoded()) +
                     entry("3.2.0-3.1.0", link) +
                     entry(ZELTA_VERSION, site.url("/files/second.sh").toEncoded()) + "</linux></zelta>");
        stored.close();
        // An installer left from an earlier run goes first.
        QFile old(Library::libraryPath() + QStringLiteral("/CorvanaZELTAUpdate-old.sh"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.close();
        QFile::remove(Suggestions::filePath());

        Autoupdater updater;
        QStringList launched;
        updater.setLauncher([&](const QString &path) {
            launched << path;
            return true;
        });
        QSignalSpy suggestions(&updater, &Autoupdater::suggestionsUpdated);
        updater.start();
        QVERIFY(!old.exists());

        // A finished download of another file launches nothing.
        Download other(site.url("/files/other.mp4"), nullptr, true);
        updater.downloadFinished(&other);

        QTRY_COMPARE_WITH_TIMEOUT(launched.size(), 1, 15000);
        QCOMPARE(launched.first(),
                 Library::libraryPath() + QStringLiteral("/CorvanaZELTAUpdate-3.2.0.sh"));
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

    // A self-signed (forged) certificate on the update host: nothing is asked,
    // nothing is downloaded, nothing is launched.
    void forgedCertificateNeverFetchesInstaller()
    {
        QTemporaryDir keys;
        const QString key = keys.filePath(QStringLiteral("key.pem"));
        const QString cert = keys.filePath(QStringLiteral("cert.pem"));
        QCOMPARE(TestSupport::run(QStringLiteral("openssl"),
                                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                                   "-out", cert, "-days", "2", "-subj", "/CN=127.0.0.1"}),
                 0);
        DemoSiteProcess site({"--no-media", "--tls-cert", cert, "--tls-key", key});
        QVERIFY(site.isRunning());
        QFile stored(site.dataDir() + QStringLiteral("/update.xml"));
        QVERIFY(stored.open(QIODevice::WriteOnly));
        stored.write("<zelta><linux>" +
                     entry(ZELTA_VERSION, site.tlsUrl("/files/CorvanaZELTAUpdate-9.sh").toEncoded()) +
                     "</linux></zelta>");
        stored.close();
        SiteConfig::setValue(QStringLiteral("updateUrl"), site.tlsUrl());
        SiteConfig::setValue(QStringLiteral("updatePlainUrl"), site.url());
        m_prompt.messages.clear();

        Autoupdater updater;
        QStringList launched;
        updater.setLauncher([&](const QString &path) {
            launched << path;
            return true;
        });
        QSignalSpy finished(&updater, &Autoupdater::checkFinished);
        updater.start();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        QCOMPARE(finished.first().first().toBool(), false);
        QTest::qWait(300);
        QVERIFY(launched.isEmpty());
        QVERIFY(m_prompt.messages.isEmpty());
        QVERIFY(site.requests().filter(QStringLiteral("/files/")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAutoupdater)
#include "tst_autoupdater.moc"
