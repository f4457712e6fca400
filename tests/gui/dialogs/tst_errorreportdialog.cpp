// The error report dialog against the demo site and a server that never answers.
#include "DemoSiteProcess.h"
#include "Screenshots.h"
#include "ScriptedHttpServer.h"
#include "TestSupport.h"

#include "core/SiteConfig.h"
#include "gui/dialogs/ErrorReportDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QByteArray kLog = "[2026-12-07 00:00:00][debug]: first line\n"
                        "[2026-12-07 00:00:01][warning]: second line\n";

// multipart/form-data as RFC 7578 has it: CRLF line ends, a closing delimiter.
QByteArray expectedBody(const QByteArray &details, const QByteArray &log)
{
    return "--AaB03x\r\n"
           "Content-Disposition: form-data; name=\"details\"\r\n"
           "\r\n" +
           details +
           "\r\n"
           "--AaB03x\r\n"
           "Content-Disposition: form-data; name=\"report\"; filename=\"report.txt\"\r\n"
           "Content-Type: text/plain\r\n"
           "\r\n" +
           log + "\r\n--AaB03x--\r\n";
}

// The names of the parts a standard multipart reader (Python's email package)
// finds in `body`; its complaints (a missing closing delimiter) instead.
QStringList partsReadBack(const QByteArray &body)
{
    QProcess python;
    python.start(
        QStringLiteral("python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import sys, email, email.policy\n"
                        "raw = b'Content-Type: multipart/form-data; boundary=AaB03x\\r\\n"
                        "\\r\\n' + sys.stdin.buffer.read()\n"
                        "m = email.message_from_bytes(raw, policy=email.policy.HTTP)\n"
                        "assert not m.defects, m.defects\n"
                        "for p in m.iter_parts():\n"
                        "    print(p.get_param('name', header='content-disposition'))\n")});
    python.write(body);
    python.closeWriteChannel();
    if (!python.waitForFinished(30000) || python.exitCode() != 0)
        return {QString::fromUtf8(python.readAllStandardError())};
    return QString::fromUtf8(python.readAllStandardOutput())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class TestErrorReportDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DemoSiteProcess> m_site;
    QTemporaryDir m_dir;
    QString m_logPath;

    QStringList reports(const QString &suffix) const
    {
        QDir dir(m_site->dataDir() + QStringLiteral("/reports"));
        return dir.entryList({QStringLiteral("error-*") + suffix}, QDir::Files, QDir::Name);
    }

    void clearReports() const
    {
        QDir dir(m_site->dataDir() + QStringLiteral("/reports"));
        for (const QString &name : dir.entryList(QDir::Files))
            dir.remove(name);
    }

    static void send(ZR::ErrorReportDialog &dialog, const QString &description)
    {
        dialog.findChild<QPlainTextEdit *>(QStringLiteral("detailEdit"))->setPlainText(description);
        dialog.show();
        dialog.findChild<QPushButton *>(QStringLiteral("sendButton"))->click();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_site = std::make_unique<DemoSiteProcess>();
        QVERIFY(m_site->isRunning());
        SiteConfig::setValue(QStringLiteral("errorReportUrl"), m_site->url());
        m_logPath = m_dir.filePath(QStringLiteral("CorvanaZELTA.log"));
        QFile log(m_logPath);
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(kLog);
    }

    void postsTheReport_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("platform");

        QTest::newRow("empty description")
            << QString() << QStringLiteral("burn failed") << QStringLiteral("Linux");
        QTest::newRow("spaces and ampersands")
            << QStringLiteral("I was burning\ntwo clips")
            << QStringLiteral("convert failed & disc ejected = 100% bad+worse")
            << QStringLiteral("Debian GNU/Linux 13 (x86_64) & Qt 6");
        QTest::newRow("non-ASCII") << QStringLiteral("Brûlé") << QStringLiteral("Fehler: ä ö ü")
                                   << QStringLiteral("Linux");
    }

    void postsTheReport()
    {
        QFETCH(QString, description);
        QFETCH(QString, error);
        QFETCH(QString, platform);
        clearReports();

        ZR::ErrorReportDialog dialog(ZR::ErrorReportDialog::burnerReportUrl());
        dialog.setVersion(QStringLiteral("1.2 beta"));
        dialog.setPlatform(platform);
        dialog.setError(error);
        dialog.setLogFilePath(m_logPath);
        QSignalSpy finished(&dialog, &QDialog::finished);
        send(dialog, description);
        QVERIFY(QApplication::overrideCursor());
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
        QVERIFY(!QApplication::overrideCursor());

        const QStringList bodies = reports(QStringLiteral(".txt"));
        QCOMPARE(bodies.size(), 1);
        const QString base = m_site->dataDir() + QStringLiteral("/reports/");
        const QByteArray body = TestSupport::readFile(base + bodies.first());
        QCOMPARE(body, expectedBody(description.toUtf8(), kLog));
        QCOMPARE(partsReadBack(body),
                 (QStringList{QStringLiteral("details"), QStringLiteral("report")}));

        const QStringList queries = reports(QStringLiteral(".query"));
        QCOMPARE(queries.size(), 1);
        const QStringList items = QString::fromUtf8(TestSupport::readFile(base + queries.first()))
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(
            items,
            (QStringList{QStringLiteral("version=1.2 beta"), QStringLiteral("platform=") + platform,
                         QStringLiteral("error=") + error, QStringLiteral("email=Anonymous")}));
    }

    // The report leaves the machine: addresses keep no query values or
    // fragments, cookies and credentials are masked, the home folder is "~",
    // the member's user name is masked, and the details view shows the very
    // bytes that are posted.
    void reportIsRedactedAndShownAsSent()
    {
        clearReports();
        const QString home = QDir::homePath();
        const QByteArray secretLog =
            "[t][debug]: url = https://cdn.example/m/clip.mp4?token=T0K&session=S3S&sig=51G#frag\n"
            "[t][debug]: Cookie: PHPSESSID=c00kie\n"
            "[t][debug]: Authorization: Basic ZGVtbzpkZW1v\n"
            "[t][debug]: WebWidget: sign-in offered for \"ann.member\"\n"
            "[t][debug]: Library: " +
            home.toUtf8() + "/My Library/Secret Title.mp4\n";
        const QString path = m_dir.filePath(QStringLiteral("secret.log"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(secretLog);
        file.close();

        ZR::ErrorReportDialog dialog(ZR::ErrorReportDialog::burnerReportUrl());
        dialog.setError(QStringLiteral("cannot open ") + home +
                        QStringLiteral("/x.iso for ann.member"));
        dialog.setLogFilePath(path);
        dialog.setUserName(QStringLiteral("ann.member"));
        dialog.show();
        auto *details = dialog.findChild<QPushButton *>(QStringLiteral("detailsButton"));
        auto *view = dialog.findChild<QPlainTextEdit *>(QStringLiteral("reportView"));
        QVERIFY(details && view);
        QVERIFY(!view->isVisible());
        details->click();
        QVERIFY(view->isVisible());
        dialog.findChild<QPlainTextEdit *>(QStringLiteral("detailEdit"))
            ->setPlainText(QStringLiteral("it broke"));
        const QString shown = view->toPlainText();

        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.findChild<QPushButton *>(QStringLiteral("sendButton"))->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        const QString base = m_site->dataDir() + QStringLiteral("/reports/");
        const QStringList bodies = reports(QStringLiteral(".txt"));
        QCOMPARE(bodies.size(), 1);
        const QByteArray body = TestSupport::readFile(base + bodies.first());
        const QByteArray query =
            TestSupport::readFile(base + reports(QStringLiteral(".query")).constFirst());
        for (const QByteArray &secret :
             {QByteArray("T0K"), QByteArray("S3S"), QByteArray("51G"), QByteArray("frag"),
              QByteArray("c00kie"), QByteArray("ZGVtbzpkZW1v"), QByteArray("ann.member"),
              home.toUtf8()}) {
            QVERIFY2(!body.contains(secret), secret.constData());
            QVERIFY2(!query.contains(secret), secret.constData());
            QVERIFY2(!shown.contains(QString::fromUtf8(secret)), secret.constData());
        }
        QVERIFY(body.contains("~/My Library/Secret Title.mp4"));
        QVERIFY(query.contains("error=cannot open ~/x.iso"));
        // What the view showed is what went out, after the request line.
        QVERIFY(shown.startsWith(QStringLiteral("POST ")));
        QCOMPARE(shown.section(QStringLiteral("\n\n"), 1, -1),
                 QString::fromUtf8(body).remove(QLatin1Char('\r')));
    }

    void sendsOnlyTheLogTail_data()
    {
        QTest::addColumn<QByteArray>("older"); // the part moved aside, none when empty
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("fits") << QByteArray() << QByteArray("a\nb\n") << qint64(4)
                              << QByteArray("a\nb\n");
        QTest::newRow("cut at a line start")
            << QByteArray() << QByteArray("first line\nsecond\nthird\n") << qint64(12)
            << QByteArray("[log cut: the first 18 bytes are left out]\nthird\n");
        QTest::newRow("cut exactly at a line start")
            << QByteArray() << QByteArray("0123456\nabc\n") << qint64(5)
            << QByteArray("[log cut: the first 8 bytes are left out]\nabc\n");
        QTest::newRow("the limit begins a line")
            << QByteArray() << QByteArray("ab\ncd\nef\n") << qint64(6)
            << QByteArray("[log cut: the first 3 bytes are left out]\ncd\nef\n");
        QTest::newRow("last line longer than the limit")
            << QByteArray() << QByteArray("short\nabcdefghij\n") << qint64(5)
            << QByteArray("[log cut: the first 17 bytes are left out]\n");
        QTest::newRow("no line end at all")
            << QByteArray() << QByteArray("abcdefghij") << qint64(5)
            << QByteArray("[log cut: the first 10 bytes are left out]\n");
        QTest::newRow("older part whole") << QByteArray("o1\no2\n") << QByteArray("a\n")
                                          << qint64(10) << QByteArray("o1\no2\na\n");
        QTest::newRow("older part's end")
            << QByteArray("old1\nold2\nold3\n") << QByteArray("new\n") << qint64(10)
            << QByteArray("[log cut: the first 10 bytes are left out]\nold3\nnew\n");
        QTest::newRow("current file fills the part")
            << QByteArray("older\n") << QByteArray("abc\ndefg\n") << qint64(5)
            << QByteArray("[log cut: the first 10 bytes are left out]\ndefg\n");
    }

    void sendsOnlyTheLogTail()
    {
        QFETCH(QByteArray, older);
        QFETCH(QByteArray, content);
        QFETCH(qint64, limit);
        QFETCH(QByteArray, expected);
        const QString path = m_dir.filePath(QStringLiteral("tail.log"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        QFile::remove(path + QStringLiteral(".1"));
        if (!older.isEmpty()) {
            QFile olderFile(path + QStringLiteral(".1"));
            QVERIFY(olderFile.open(QIODevice::WriteOnly));
            olderFile.write(older);
        }
        QByteArray tail;
        QVERIFY(ZR::ErrorReportDialog::readLogTail(path, limit, &tail));
        QCOMPARE(tail, expected);
    }

    // A log longer than the dialog sends: the report part holds its end,
    // from a line start, after a line that says it was cut.
    void postsABoundedLog()
    {
        clearReports();
        const QString path = m_dir.filePath(QStringLiteral("long.log"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const auto lineNumbered = [](qint64 i) {
            QByteArray line =
                "[Tue Dec  8 05:00:00 2026][debug]: line " + QByteArray::number(i) + ' ';
            return line + QByteArray(99 - line.size(), 'o') + '\n';
        };
        const qint64 lines = ZR::ErrorReportDialog::MaxLogBytes / 100 * 3 / 2;
        for (qint64 i = 0; i < lines; ++i)
            file.write(lineNumbered(i));
        file.close();

        ZR::ErrorReportDialog dialog(ZR::ErrorReportDialog::burnerReportUrl());
        dialog.setLogFilePath(path);
        dialog.findChild<QPlainTextEdit *>(QStringLiteral("detailEdit"))
            ->setPlainText(QStringLiteral("long log"));
        dialog.show();
        dialog.findChild<QPushButton *>(QStringLiteral("detailsButton"))->click();
        auto *view = dialog.findChild<QPlainTextEdit *>(QStringLiteral("reportView"));
        QVERIFY(view->toPlainText().contains(QStringLiteral("\n[log cut: the first ")));
        Screenshots::keep(&dialog, QStringLiteral("errorreport-long-log.png"));
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.findChild<QPushButton *>(QStringLiteral("sendButton"))->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));

        const QStringList bodies = reports(QStringLiteral(".txt"));
        QCOMPARE(bodies.size(), 1);
        const QByteArray body =
            TestSupport::readFile(m_site->dataDir() + QStringLiteral("/reports/") + bodies.first());
        const QByteArray partStart = "Content-Type: text/plain\r\n\r\n";
        const qsizetype from = body.indexOf(partStart) + partStart.size();
        const qsizetype to = body.lastIndexOf("\r\n--AaB03x--\r\n");
        QVERIFY(from > partStart.size() && to > from);
        const QByteArray report = body.mid(from, to - from);
        const qsizetype markEnd = report.indexOf('\n') + 1;
        QVERIFY2(report.startsWith("[log cut: the first "), report.left(80).constData());
        QVERIFY(report.size() - markEnd <= ZR::ErrorReportDialog::MaxLogBytes);
        QVERIFY(report.size() - markEnd > ZR::ErrorReportDialog::MaxLogBytes - 100);
        const QByteArray firstKept = report.mid(markEnd, 100);
        QVERIFY2(firstKept.startsWith("[Tue Dec  8 05:00:00 2026][debug]: line "),
                 firstKept.constData());
        QVERIFY(report.endsWith(lineNumbered(lines - 1)));
    }

    void missingLogFileSendsNothing()
    {
        clearReports();
        const qsizetype posted = m_site->requests().filter(QStringLiteral("qx_error")).size();
        ZR::ErrorReportDialog dialog(ZR::ErrorReportDialog::burnerReportUrl());
        dialog.setLogFilePath(m_dir.filePath(QStringLiteral("no-such.log")));
        dialog.setReplyTimeout(50);
        QSignalSpy finished(&dialog, &QDialog::finished);
        send(dialog, QStringLiteral("anything"));
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!dialog.isSending());
        QCoreApplication::processEvents();
        QVERIFY(finished.isEmpty());
        QVERIFY(dialog.isVisible());
        QCOMPARE(m_site->requests().filter(QStringLiteral("qx_error")).size(), posted);
        QVERIFY(reports(QStringLiteral(".txt")).isEmpty());
    }

    void silentServerClosesTheDialog_data()
    {
        QTest::addColumn<bool>("dontSend");
        QTest::newRow("after the timeout") << false;
        QTest::newRow("on Don't Send while waiting") << true;
    }

    void silentServerClosesTheDialog()
    {
        QFETCH(bool, dontSend);
        ScriptedHttpServer server(QHostAddress::LocalHost);
        QVERIFY(server.listen()); // holds every request unanswered
        ZR::ErrorReportDialog dialog(
            server.url(QStringLiteral("/qx_remote/qx_error.php")).toString());
        dialog.setLogFilePath(m_logPath);
        dialog.setReplyTimeout(dontSend ? 60000 : 300);
        QSignalSpy finished(&dialog, &QDialog::finished);
        send(dialog, QString());
        if (dontSend) {
            QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), 1, 20000);
            dialog.findChild<QPushButton *>(QStringLiteral("dontSendButton"))->click();
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
        // Sent once, never again; on a busy machine the short timeout can
        // end the wait before the request has reached the server at all.
        QVERIFY(server.requests().size() <= 1);
        if (dontSend)
            QCOMPARE(server.requests().size(), 1);
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(TestErrorReportDialog)
#include "tst_errorreportdialog.moc"
