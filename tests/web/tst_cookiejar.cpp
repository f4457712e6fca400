// The cookie store: domain rules, exceptions, policies, persistence and the
// batching of saves.
#include "web/AutoSaver.h"
#include "web/CookieJar.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

namespace {

QNetworkCookie cookie(const QByteArray &name, const QString &domain = QString(),
                      const QString &path = QString(), int expiresInDays = 0)
{
    QNetworkCookie c(name, "v");
    if (!domain.isEmpty())
        c.setDomain(domain);
    if (!path.isEmpty())
        c.setPath(path);
    if (expiresInDays != 0)
        c.setExpirationDate(QDateTime::currentDateTime().addDays(expiresInDays));
    return c;
}

QStringList names(const QList<QNetworkCookie> &cookies)
{
    QStringList list;
    for (const QNetworkCookie &c : cookies)
        list << QString::fromLatin1(c.name());
    return list;
}

// Counts the saves the auto saver asks for.
class SaveCounter : public QObject
{
    Q_OBJECT
public:
    int saves = 0;
public Q_SLOTS:
    void save() { ++saves; }
};

} // namespace

class TestCookieJar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("CorvanaZELTA"));
        QCoreApplication::setApplicationName(QStringLiteral("CorvanaZELTA"));
    }

    void init()
    {
        QFile::remove(CookieJar::cookieFilePath());
        QSettings().remove(QStringLiteral("cookies"));
    }

    void domainRule_data()
    {
        QTest::addColumn<QString>("domain");
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("own host") << "site.test"
                                  << "http://site.test/" << true;
        QTest::newRow("parent of host") << ".site.test"
                                        << "http://www.site.test/" << true;
        QTest::newRow("other site") << "other.test"
                                    << "http://site.test/" << false;
        QTest::newRow("suffix only") << "site.test"
                                     << "http://badsite.test/" << false;
        QTest::newRow("co.uk refused") << ".co.uk"
                                       << "http://shop.co.uk/" << false;
        QTest::newRow("com.au allowed") << "com.au"
                                        << "http://shop.com.au/" << true;
        QTest::newRow("one label") << "test"
                                   << "http://site.test/" << false;
        QTest::newRow("localhost file") << "localhost"
                                        << "file:///tmp/a.html" << true;
        QTest::newRow("localhost http") << "localhost"
                                        << "http://localhost/" << true;
        QTest::newRow("spaces and case") << " Site . Test "
                                         << "http://a.site.test/" << true;
        QTest::newRow("no labels") << "..."
                                   << "http://site.test/" << false;
        QTest::newRow("deeper than host") << "a.b.site.test"
                                          << "http://b.site.test/" << false;
    }
    void domainRule()
    {
        QFETCH(QString, domain);
        QFETCH(QString, url);
        QFETCH(bool, accepted);
        QCOMPARE(NetworkCookieJar::domainAcceptable(domain, QUrl(url)), accepted);
    }

    void pathMatch_data()
    {
        QTest::addColumn<QString>("cookiePath");
        QTest::addColumn<QString>("urlPath");
        QTest::addColumn<bool>("matches");
        QTest::newRow("same") << "/shop"
                              << "/shop" << true;
        QTest::newRow("below") << "/shop"
                               << "/shop/cart" << true;
        QTest::newRow("prefix only") << "/shop"
                                     << "/shopping" << false;
        QTest::newRow("case") << "/Shop"
                              << "/shop" << false;
        QTest::newRow("root") << "/"
                              << "/anything" << true;
    }
    void pathMatch()
    {
        QFETCH(QString, cookiePath);
        QFETCH(QString, urlPath);
        QFETCH(bool, matches);
        QCOMPARE(NetworkCookieJar::pathMatches(cookiePath, urlPath), matches);
    }

    void exceptionRules_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("matches");
        QTest::newRow("sub matches plain") << "site.test"
                                           << "sub.site.test" << true;
        QTest::newRow("sub matches dotted") << ".site.test"
                                            << "sub.site.test" << true;
        QTest::newRow("dotted matches bare") << ".site.test"
                                             << "site.test" << true;
        QTest::newRow("bad plain") << "site.test"
                                   << "badsite.test" << false;
        QTest::newRow("bad dotted") << ".site.test"
                                    << "badsite.test" << false;
    }
    void exceptionRules()
    {
        QFETCH(QString, rule);
        QFETCH(QString, host);
        QFETCH(bool, matches);
        QCOMPARE(CookieJar::isOnDomainList({rule}, host), matches);
    }

    void cookiesForUrlSelectsAndOrders()
    {
        NetworkCookieJar jar;
        const QUrl url(QStringLiteral("http://www.site.test/shop/cart"));
        QVERIFY(jar.setCookiesFromUrl(
            {cookie("root", QString(), "/"), cookie("shop", QString(), "/shop"),
             cookie("parent", ".site.test", "/"), cookie("other", QString(), "/shopping")},
            url));
        QNetworkCookie secure = cookie("secure", QString(), "/");
        secure.setSecure(true);
        jar.setCookiesFromUrl({secure}, url);
        const QStringList plain = names(jar.cookiesForUrl(url));
        QCOMPARE(plain.first(), QStringLiteral("shop")); // longest path first
        QVERIFY(plain.contains("root") && plain.contains("parent"));
        QVERIFY(!plain.contains("other") && !plain.contains("secure"));
        QVERIFY(names(jar.cookiesForUrl(QUrl("https://www.site.test/shop"))).contains("secure"));
        QVERIFY(!names(jar.cookiesForUrl(QUrl("http://other.test/"))).contains("root"));
    }

    void expiredCookieReplacesAndRemoves()
    {
        NetworkCookieJar jar;
        const QUrl url(QStringLiteral("http://site.test/"));
        jar.setCookiesFromUrl({cookie("a", QString(), "/", 5)}, url);
        QCOMPARE(jar.allCookies().size(), 1);
        QVERIFY(!jar.setCookiesFromUrl({cookie("a", QString(), "/", -1)}, url));
        QCOMPARE(jar.allCookies().size(), 0);
    }

    void saveAndReloadKeepsOnlyPersistent()
    {
        {
            CookieJar jar;
            jar.setAcceptPolicy(CookieJar::AcceptAlways);
            jar.setCookiesFromUrl({cookie("persistent", QString(), "/", 10), cookie("session")},
                                  QUrl("http://site.test/"));
            jar.setBlockedCookies({"z.test", "a.test"});
            jar.saveNow();
        }
        CookieJar jar;
        QCOMPARE(names(jar.cookiesForUrl(QUrl("http://site.test/"))), QStringList{"persistent"});
        QCOMPARE(jar.blockedCookies(), (QStringList{"a.test", "z.test"}));
        QCOMPARE(jar.acceptPolicy(), CookieJar::AcceptAlways);
        QCOMPARE(QSettings().value("cookies/acceptCookies").toString(),
                 QStringLiteral("AcceptAlways"));
    }

    void keepUntilExitDiscardsLoadedCookies()
    {
        {
            CookieJar jar;
            jar.setCookiesFromUrl({cookie("persistent", QString(), "/", 10)},
                                  QUrl("http://site.test/"));
            jar.saveNow();
        }
        QSettings().setValue("cookies/keepCookiesUntil", "KeepUntilExit");
        CookieJar jar;
        QVERIFY(jar.allCookies().isEmpty());
        QCOMPARE(jar.keepPolicy(), CookieJar::KeepUntilExit);
    }

    void unreadableStoredCookieIsSkipped()
    {
        QList<QNetworkCookie> cookies{cookie("good", "site.test", "/", 10)};
        QByteArray data = CookieJar::encodeCookies(cookies);
        QCOMPARE(CookieJar::decodeCookies(data).size(), 1);
        data[3] = 24; // another stream version
        QVERIFY(CookieJar::decodeCookies(data).isEmpty());
        QVERIFY(CookieJar::decodeCookies("garbage").isEmpty());
    }

    void policiesAndExceptions_data()
    {
        QTest::addColumn<int>("accept");
        QTest::addColumn<QStringList>("block");
        QTest::addColumn<QStringList>("allow");
        QTest::addColumn<QStringList>("session");
        QTest::addColumn<bool>("filterTracking");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("stored"); // "", "persistent" or "session"
        const QStringList none;
        QTest::newRow("blocked") << 0 << QStringList{"site.test"} << none << none << false
                                 << QByteArray("a") << "";
        QTest::newRow("never") << 1 << none << none << none << false << QByteArray("a") << "";
        QTest::newRow("never but allowed") << 1 << none << QStringList{".site.test"} << none
                                           << false << QByteArray("a") << "persistent";
        QTest::newRow("session only") << 0 << none << none << QStringList{"site.test"} << false
                                      << QByteArray("a") << "session";
        QTest::newRow("utma kept")
            << 0 << none << none << none << false << QByteArray("__utma") << "persistent";
        QTest::newRow("utma filtered")
            << 0 << none << none << none << true << QByteArray("__utma") << "";
    }
    void policiesAndExceptions()
    {
        QFETCH(int, accept);
        QFETCH(QStringList, block);
        QFETCH(QStringList, allow);
        QFETCH(QStringList, session);
        QFETCH(bool, filterTracking);
        QFETCH(QByteArray, name);
        QFETCH(QString, stored);
        QSettings().setValue("cookies/filterTrackingCookies", filterTracking);
        CookieJar jar;
        jar.setAcceptPolicy(CookieJar::AcceptPolicy(accept));
        jar.setBlockedCookies(block);
        jar.setAllowedCookies(allow);
        jar.setAllowForSessionCookies(session);
        jar.setCookiesFromUrl({cookie(name, QString(), "/", 10)}, QUrl("http://www.site.test/"));
        const QList<QNetworkCookie> all = jar.allCookies();
        if (stored.isEmpty()) {
            QVERIFY(all.isEmpty());
        } else {
            QCOMPARE(all.size(), 1);
            QCOMPARE(all.first().isSessionCookie(), stored == QLatin1String("session"));
        }
    }

    void keepUntilTimeLimitCapsExpiry()
    {
        CookieJar jar;
        jar.setKeepPolicy(CookieJar::KeepUntilTimeLimit);
        jar.setCookiesFromUrl({cookie("long", QString(), "/", 400)}, QUrl("http://site.test/"));
        QVERIFY(jar.allCookies().first().expirationDate() <=
                QDateTime::currentDateTime().addDays(90).addSecs(5));
    }

    // The domain rule holds under every accept policy: a host never sets a
    // cookie for another domain, not even with AcceptAlways.
    void refusedDomainDroppedUnderEveryPolicy_data()
    {
        QTest::addColumn<int>("policy");
        QTest::addColumn<QString>("domain");
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("stored");
        const QList<int> policies = {CookieJar::AcceptAlways,
                                     CookieJar::AcceptOnlyFromSitesNavigatedTo};
        for (int policy : policies) {
            const QByteArray p = QByteArray::number(policy);
            QTest::newRow("localhost from a site " + p) << policy << "localhost"
                                                        << "http://site.test/" << false;
            QTest::newRow("other domain " + p) << policy << "example.com"
                                               << "http://site.test/" << false;
            QTest::newRow("co.uk " + p) << policy << ".co.uk"
                                        << "http://a.co.uk/" << false;
            QTest::newRow("child of host " + p) << policy << "a.site.test"
                                                << "http://site.test/" << false;
            QTest::newRow("parent domain " + p) << policy << ".site.test"
                                                << "http://a.site.test/" << true;
            QTest::newRow("own host " + p) << policy << ""
                                           << "http://site.test/" << true;
        }
    }
    void refusedDomainDroppedUnderEveryPolicy()
    {
        QFETCH(int, policy);
        QFETCH(QString, domain);
        QFETCH(QString, url);
        QFETCH(bool, stored);
        CookieJar jar;
        jar.setAcceptPolicy(CookieJar::AcceptPolicy(policy));
        QSignalSpy changed(&jar, &CookieJar::cookiesChanged);
        QCOMPARE(jar.setCookiesFromUrl({cookie("session", domain)}, QUrl(url)), stored);
        QCOMPARE(jar.allCookies().size(), stored ? 1 : 0);
        QCOMPARE(changed.size(), stored ? 1 : 0);
        QCOMPARE(jar.cookiesForUrl(QUrl("http://localhost/")).size(), 0);
        QCOMPARE(jar.cookiesForUrl(QUrl("http://example.com/")).size(), 0);
    }

    // A burst is saved once, a quiet interval after its last change.
    void burstSavedOnceAfterQuiet()
    {
        SaveCounter parent;
        auto *saver = new AutoSaver(&parent);
        saver->setIntervals(300, 60000);
        // Ten changes, the event loop running between them.
        int changes = 0;
        QElapsedTimer sinceLast;
        QVERIFY(QTest::qWaitFor([&] {
            saver->changeOccurred();
            sinceLast.start();
            return ++changes == 10;
        }));
        QCOMPARE(parent.saves, 0);
        QTRY_COMPARE_WITH_TIMEOUT(parent.saves, 1, 5000);
        QVERIFY2(sinceLast.elapsed() >= 280, qPrintable(QString::number(sinceLast.elapsed())));
        // Nothing is pending any more, so no second save can follow.
        saver->saveIfNeccessary();
        QCOMPARE(parent.saves, 1);
    }

    // Continuous changes (never quiet long enough) are still saved once the
    // longest wait since the first change has passed, and not before.
    void continuousChangesSavedAfterLongestWait()
    {
        SaveCounter parent;
        AutoSaver saver(&parent);
        saver.setIntervals(60000, 400);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(QTest::qWaitFor(
            [&] {
                saver.changeOccurred();
                return parent.saves > 0;
            },
            10000));
        QCOMPARE(parent.saves, 1);
        QVERIFY2(clock.elapsed() >= 400, qPrintable(QString::number(clock.elapsed())));
        // The next burst starts a new wait.
        saver.changeOccurred();
        QCOMPARE(parent.saves, 1);
        saver.saveIfNeccessary();
        QCOMPARE(parent.saves, 2);
    }
};

QTEST_GUILESS_MAIN(TestCookieJar)
#include "tst_cookiejar.moc"
