// The error report dialog against the demo site and a server that never answers.
#include "DemoSiteProcess.h"
#include "ScriptedHttpServer.h"
#include "TestSupport.h"

#include "core/SiteConfig.h"
#include "gui/dialogs/ErrorReportDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QByteArray kLog = "[2026-12-07 00:00:00][debug]: first line\n"
                        "[2026-12-07 00:00:01][warning]: second line\n";

QByteArray expectedBody(const QByteArray &details, const QByteArray &log)
{
    return "--AaB03x\n"
           "Content-Disposition: form-data; name=\"details\"\n"
           "\n" +
           details +
           "\n"
           "--AaB03x\n"
           "Content-Disposition: form-data; name=\"report\"; filename=\"report.txt\"\n"
           "Content-Type: text/plain\n"
           "\n" +
           log + "--AaB03x\n";
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
        QCOMPARE(TestSupport::readFile(base + bodies.first()),
                 expectedBody(description.toUtf8(), kLog));

        const QStringList queries = reports(QStringLiteral(".query"));
        QCOMPARE(queries.size(), 1);
        const QStringList items = QString::fromUtf8(TestSupport::readFile(base + queries.first()))
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(
            items,
            (QStringList{QStringLiteral("version=1.2 beta"), QStringLiteral("platform=") + platform,
                         QStringLiteral("error=") + error, QStringLiteral("email=Anonymous")}));
    }

    void sendsOnlyTheLogTail_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("fits") << QByteArray("a\nb\n") << qint64(4) << QByteArray("a\nb\n");
        QTest::newRow("cut at a line start")
            << QByteArray("first line\nsecond\nthird\n") << qint64(12)
            << QByteArray("[log cut: the first 18 bytes are left out]\nthird\n");
        QTest::newRow("cut exactly at a line start")
            << QByteArray("0123456\nabc\n") << qint64(5)
            << QByteArray("[log cut: the first 8 bytes are left out]\nabc\n");
    }

    void sendsOnlyTheLogTail()
    {
        QFETCH(QByteArray, content);
        QFETCH(qint64, limit);
        QFETCH(QByteArray, expected);
        const QString path = m_dir.filePath(QStringLiteral("tail.log"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        QByteArray tail;
        QVERIFY(ZR::ErrorReportDialog::readLogTail(path, limit, &tail));
        QCOMPARE(tail, expected);
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
        QTest::qWait(200); // longer than the reply timeout: nothing was started
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
        QCOMPARE(server.requests().size(), 1);
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(TestErrorReportDialog)
#include "tst_errorreportdialog.moc"
