// What the error report may send: the log with addresses, cookies,
// credentials and the home folder taken out.
#include "core/LogRedactor.h"

#include <QTest>

class TestLogRedactor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void redacts_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");

        QTest::newRow("query values of a media address")
            << "url = QUrl(\"https://cdn.example/v/a.mp4?token=abc123&session=s9&sig=ff&n=2\")"
            << "url = QUrl(\"https://cdn.example/v/a.mp4?token=********&session=********"
               "&sig=********&n=********\")";
        QTest::newRow("fragment and user information")
            << "loading: http://ann:pw@members.example:8080/a/b#secret-part done"
            << "loading: http://members.example:8080/a/b done";
        QTest::newRow("cookie header") << "Cookie: PHPSESSID=deadbeef; remember=1"
                                       << "Cookie: ********";
        QTest::newRow("set-cookie header") << "Set-Cookie: sid=42; Path=/; HttpOnly"
                                           << "Set-Cookie: ********";
        QTest::newRow("authorization header") << "Authorization: Basic ZGVtbzpkZW1v"
                                              << "Authorization: ********";
        QTest::newRow("secret outside an address")
            << "SignInState: password: hunter2 token=t0k3n"
            << "SignInState: password: ******** token=********";
        QTest::newRow("cookie dump") << "cookies: QNetworkCookie(\"sid=1; domain=x\")"
                                     << "cookies: QNetworkCookie(********)";
        QTest::newRow("home folder") << "Library path: /home/ann/My Library/Clip.mp4"
                                     << "Library path: ~/My Library/Clip.mp4";
        QTest::newRow("home folder alone") << "home is /home/ann"
                                           << "home is ~";
        QTest::newRow("another user's folder that starts the same") << "copied to /home/anna/x"
                                                                    << "copied to /home/anna/x";
        QTest::newRow("home folder in a file address") << "open file:///home/ann/a%20b.corvana"
                                                       << "open file://~/a%20b.corvana";
        QTest::newRow("quoted JSON secrets")
            << "reply: {\"user\":\"ann2\",\"password\":\"hunter 2\",\"sessionId\": "
               "\"s\\\"9\",\"n\":1}"
            << "reply: {\"user\":\"********\",\"password\":\"********\",\"sessionId\": "
               "\"********\",\"n\":1}";
        QTest::newRow("quoted XML attributes") << "<session token=\"abc\" id='7' key='k 1'/>"
                                               << "<session token=\"********\" id='7' "
                                                  "key='********'/>";
        QTest::newRow("percent-encoded home folder")
            << "GET /open?path=%2Fhome%2Fann%2FMy%20Library and %2fhome%2fann%2fx"
            << "GET /open?path=~%2FMy%20Library and ~%2fx";
        QTest::newRow("ordinary line") << "[debug]: Channels parsed (12)"
                                       << "[debug]: Channels parsed (12)";
        QTest::newRow("class and method names") << "WebWidget::loginComplete invalid sender"
                                                << "WebWidget::loginComplete invalid sender";
    }

    void redacts()
    {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QCOMPARE(LogRedactor::redact(line, QStringLiteral("/home/ann")), expected);
    }

    // The member's name never leaves the machine, however it was written.
    void masksTheUserName()
    {
        const QString line =
            QStringLiteral("WebBridge::login Zoë Q ok; asked /login?u=Zo%C3%AB%20Q; zoë q again");
        QCOMPARE(LogRedactor::redact(line, QStringLiteral("/home/ann"), QStringLiteral("Zoë Q")),
                 QStringLiteral("WebBridge::login ******** ok; asked /login?u=********; "
                                "******** again"));
        // A one-letter name is left alone (it would mask every such letter).
        QCOMPARE(LogRedactor::redact(QStringLiteral("a b"), QString(), QStringLiteral("a")),
                 QStringLiteral("a b"));
    }

    void bytesStayWholeLines()
    {
        const QByteArray log = "[a][debug]: first http://x.example/?q=1\n"
                               "[b][warning]: Brûlé /home/ann/x\n";
        QCOMPARE(LogRedactor::redact(log, QStringLiteral("/home/ann/")),
                 QByteArray("[a][debug]: first http://x.example/?q=********\n"
                            "[b][warning]: Brûlé ~/x\n"));
    }
};

QTEST_GUILESS_MAIN(TestLogRedactor)
#include "tst_logredactor.moc"
