// The shared network manager against the demo site: HTTP authentication from
// the sign-in state (for the site's own addresses only), and certificate
// errors of a self-signed HTTPS server, and addresses in the log file.
#include "DemoSiteProcess.h"
#include "ScriptedHttpServer.h"
#include "ScriptedPrompt.h"
#include "TestSupport.h"
#include "core/LogFile.h"
#include "core/SiteConfig.h"
#include "web/Account.h"
#include "web/NetworkManager.h"
#include "web/WebAddress.h"

#include <QCryptographicHash>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestNetworkManager : public QObject
{
    Q_OBJECT

private:
    QNetworkReply::NetworkError fetch(const QUrl &url, QByteArray *body = nullptr,
                                      bool strict = false)
    {
        QNetworkRequest request(url);
        if (strict)
            request.setAttribute(NetworkManager::StrictTlsAttribute, true);
        std::unique_ptr<QNetworkReply> reply(m_network->get(request));
        QSignalSpy finished(reply.get(), &QNetworkReply::finished);
        if (!finished.wait(15000))
            return QNetworkReply::TimeoutError;
        if (body)
            *body = reply->readAll();
        return reply->error();
    }
    int questions() const
    {
        int n = 0;
        for (const auto &m : m_prompt.messages)
            n += m.kind == QLatin1String("question") ? 1 : 0;
        return n;
    }

    QTemporaryDir m_keys;
    std::unique_ptr<DemoSiteProcess> m_site;
    ScriptedPrompt m_prompt;
    Account m_account;
    std::unique_ptr<NetworkManager> m_network; // made once the test's settings are in place

private Q_SLOTS:
    void initTestCase()
    {
        const QString key = m_keys.filePath(QStringLiteral("key.pem"));
        const QString cert = m_keys.filePath(QStringLiteral("cert.pem"));
        QCOMPARE(TestSupport::run(QStringLiteral("openssl"),
                                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                                   "-out", cert, "-days", "2", "-subj", "/CN=127.0.0.1"}),
                 0);
        m_site = std::make_unique<DemoSiteProcess>(
            QStringList{"--no-media", "--tls-cert", cert, "--tls-key", key});
        QVERIFY(m_site->isRunning());
        QVERIFY(m_site->tlsUrl().isValid());
        SiteConfig::setValue(QStringLiteral("membersUrl"), m_site->url());
        SiteConfig::setValue(QStringLiteral("secureMembersUrl"), m_site->tlsUrl());
        m_network = std::make_unique<NetworkManager>(&m_account, &m_prompt);
    }

    void challengeWhileSignedOutIsAborted()
    {
        QVERIFY(!m_account.hasCredentials());
        QCOMPARE(fetch(m_site->url("/members/index.php")), QNetworkReply::OperationCanceledError);
        QCOMPARE(questions(), 0);
    }

    void challengeAfterSignInIsAnswered()
    {
        m_account.login(QStringLiteral("demo"), QStringLiteral("demo"));
        QByteArray body;
        QCOMPARE(fetch(m_site->url("/members/index.php"), &body), QNetworkReply::NoError);
        QVERIFY(body.contains("Welcome back"));
        QCOMPARE(m_prompt.messages.size(), 0);
    }

    // A host outside the site that asks for authentication never sees the
    // member's credentials: another address, another port of the site's
    // address, or plain HTTP where the site is configured for HTTPS.
    void credentialsOnlyForTheSite_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("configuredAsHttps");
        QTest::newRow("other address") << "127.0.0.2" << false;
        QTest::newRow("site address, other port") << "127.0.0.1" << false;
        QTest::newRow("plain http to an https host") << "127.0.0.2" << true;
    }
    void credentialsOnlyForTheSite()
    {
        QFETCH(QString, address);
        QFETCH(bool, configuredAsHttps);
        QVERIFY(m_account.hasCredentials());
        ScriptedHttpServer host{QHostAddress(address)};
        host.setResponse(ScriptedHttpServer::answer(
            401, "WWW-Authenticate: Basic realm=\"Corvana members\"\r\n", "Sign in first\n"));
        QVERIFY(host.listen());
        const QUrl secure = SiteConfig::secureMembersUrl();
        if (configuredAsHttps) {
            QUrl https = host.url();
            https.setScheme(QStringLiteral("https"));
            SiteConfig::setValue(QStringLiteral("secureMembersUrl"),
                                 https.adjusted(QUrl::RemovePath));
        }
        const QUrl url = host.url(QStringLiteral("/media/clip.mp4"));
        QCOMPARE(WebAddress::mayReceiveCredentials(url), false);
        QCOMPARE(fetch(url), QNetworkReply::AuthenticationRequiredError);
        SiteConfig::setValue(QStringLiteral("secureMembersUrl"), secure);
        QVERIFY(!host.requests().isEmpty());
        for (const QByteArray &head : host.requests())
            QVERIFY2(!head.toLower().contains("authorization:"), head.constData());
        // The site itself is still answered.
        QVERIFY(WebAddress::mayReceiveCredentials(m_site->url("/members/index.php")));
        QVERIFY(WebAddress::mayReceiveCredentials(m_site->tlsUrl("/members/index.php")));
        QVERIFY(!WebAddress::mayReceiveCredentials(QUrl("file:///etc/passwd")));
    }

    void selfSignedHostAsksUntilAccepted()
    {
        const QUrl url = m_site->tlsUrl("/start/index.php");
        m_prompt.answers = {UserPrompt::No};
        QCOMPARE(fetch(url), QNetworkReply::SslHandshakeFailedError);
        QCOMPARE(questions(), 1);
        QCOMPARE(m_prompt.messages.last().title, QCoreApplication::applicationName());
        QVERIFY(m_prompt.messages.last().text.startsWith(QStringLiteral("SSL Errors:\n\n") +
                                                         url.toString()));

        m_network->clearConnectionCache();
        m_prompt.answers = {UserPrompt::Yes};
        QCOMPARE(fetch(url), QNetworkReply::NoError);
        QCOMPARE(questions(), 2);
        QVERIFY(m_network->isAccepted(url.host(), url.port()));

        m_network->clearConnectionCache();
        QCOMPARE(fetch(m_site->tlsUrl("/zelta/update.xml")), QNetworkReply::NoError);
        QCOMPARE(questions(), 2); // remembered for this host and port
    }

    void strictRequestNeverIgnoresErrors()
    {
        m_network->clearConnectionCache();
        const int before = questions();
        QCOMPARE(fetch(m_site->tlsUrl("/zelta/update.xml"), nullptr, true),
                 QNetworkReply::SslHandshakeFailedError);
        QCOMPARE(questions(), before);
    }

    void loggedHeadersCarryNoSecrets()
    {
        QNetworkRequest request(QUrl("http://127.0.0.1/"));
        request.setRawHeader("Authorization", "Basic ZGVtbzpzZWNyZXQ=");
        request.setRawHeader("User-Agent", "Corvana ZELTA");
        const QString logged = NetworkManager::loggableHeaders(request);
        QVERIFY(!logged.contains(QStringLiteral("ZGVtbzpzZWNyZXQ=")));
        QVERIFY(logged.contains(QStringLiteral("User-Agent: Corvana ZELTA")));
    }

    void loggedAddressesCarryNoSecrets_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("logged");
        QTest::newRow("channel request")
            << "http://127.0.0.1/"
               "sidebar.php?username=demo&password=89e495e7941cf9e40e6980d14a16bf023ccd4c91"
            << "http://127.0.0.1/sidebar.php?username=demo&password=********";
        QTest::newRow("token-like keys, any case")
            << "https://h/a?id=7&Session_Token=abc&apikey=k&sig=s&format=xml"
            << "https://h/a?id=7&Session_Token=********&apikey=********&sig=********&format=xml";
        QTest::newRow("encoded key, key without value")
            << "http://h/a?my%20token=x&hash&q=a%26b"
            << "http://h/a?my%20token=********&hash=********&q=a%26b";
        QTest::newRow("password in the user info, fragment")
            << "http://demo:secret@h/a#access_token=t"
            << "http://demo@h/a";
        QTest::newRow("nothing secret") << "http://h/media/clip.mp4?part=2"
                                        << "http://h/media/clip.mp4?part=2";
    }
    void loggedAddressesCarryNoSecrets()
    {
        QFETCH(QString, address);
        QFETCH(QString, logged);
        QCOMPARE(NetworkManager::loggableUrl(QUrl(address)).toString(QUrl::FullyEncoded), logged);
    }

    // The channel request carries the member's password hash in its query:
    // neither a refused oversized answer nor a failed one writes it to the log.
    void failedRequestLeavesNoHashInTheLog_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("bodySize");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("answer too large")
            << 200 << 4096 << QByteArray("answer larger than 64 bytes refused");
        QTest::newRow("not found") << 404 << 10 << QByteArray("Channel request failed");
    }
    void failedRequestLeavesNoHashInTheLog()
    {
        QFETCH(int, status);
        QFETCH(int, bodySize);
        QFETCH(QByteArray, expected);
        const QByteArray hash = QCryptographicHash::hash("demo", QCryptographicHash::Sha1).toHex();
        ScriptedHttpServer server{QHostAddress::LocalHost};
        server.setResponse(ScriptedHttpServer::answer(status, {}, QByteArray(bodySize, 'x')));
        QVERIFY(server.listen());
        QUrl url = server.url(QStringLiteral("/sidebar.php"));
        url.setQuery(QStringLiteral("username=demo&password=") + QString::fromLatin1(hash));

        const QtMessageHandler testHandler = qInstallMessageHandler(nullptr);
        qInstallMessageHandler(testHandler);
        ZR::LogFile::init(true);
        const QString logPath = ZR::LogFile::logFilePath();
        std::unique_ptr<QNetworkReply> reply(m_network->get(QNetworkRequest(url)));
        NetworkManager::limitBody(reply.get(), 64);
        QSignalSpy finished(reply.get(), &QNetworkReply::finished);
        const bool done = finished.wait(15000);
        qWarning().noquote() << "Channel request failed: " +
                                    NetworkManager::loggableError(reply.get());
        ZR::LogFile::close();
        qInstallMessageHandler(testHandler);
        QVERIFY(done);
        QVERIFY(reply->error() != QNetworkReply::NoError);
        QVERIFY(reply->errorString().contains(QString::fromLatin1(hash)) == (status == 404));

        const QByteArray log = TestSupport::readFile(logPath);
        QVERIFY2(log.contains(expected), log.constData());
        QVERIFY2(log.contains("/sidebar.php?username=demo&password=********"), log.constData());
        QVERIFY2(!log.contains(hash), log.constData());
        QVERIFY(QFile::remove(logPath));
    }
};

QTEST_GUILESS_MAIN(TestNetworkManager)
#include "tst_networkmanager.moc"
