#include "TestSupport.h"
#include "core/AppIdentity.h"
#include "core/LogFile.h"
#include "core/Logging.h"
#include "core/Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <vector>

class TestLogFile : public QObject
{
    Q_OBJECT

private:
    static QStringList logLines()
    {
        const QString text = QString::fromUtf8(TestSupport::readFile(
            QDir::home().filePath(QStringLiteral("CorvanaZELTA.log"))));
        return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private Q_SLOTS:
    void initTestCase()
    {
        AppIdentity::apply();
        QFile::remove(QDir::home().filePath(QStringLiteral("CorvanaZELTA.log")));
    }

    void runHeaderAndLineFormat()
    {
        ZR::LogFile::init(true);
        qWarning() << "Library::something failed";
        qCritical() << "critical text";
        ZR::LogFile::init(true); // no effect: the file is already open
        ZR::LogFile::close();

        const QStringList lines = logLines();
        QCOMPARE(lines.size(), 5);
        static const QRegularExpression format(
            QStringLiteral(R"(^\[\w{3} \w{3} {1,2}\d{1,2} \d\d:\d\d:\d\d \d{4}\]\[(debug|warning|critical)\]: )"));
        for (const QString &line : lines)
            QVERIFY2(format.match(line).hasMatch(), qPrintable(line));
        QVERIFY(lines[0].endsWith(QString(95, QLatin1Char('-'))));
        QVERIFY(!lines[0].endsWith(QString(96, QLatin1Char('-'))));
        QVERIFY(lines[1].endsWith(QStringLiteral("[debug]: CorvanaZELTA " ZELTA_VERSION " built with Qt ") +
                                  QString::fromLatin1(qVersion())));
        QVERIFY(lines[2].contains(QStringLiteral("[debug]:    running on ")));
        QVERIFY(lines[3].endsWith(QStringLiteral("[warning]: Library::something failed")));
        QVERIFY(lines[4].endsWith(QStringLiteral("[critical]: critical text")));
        QCOMPARE(ZR::LogFile::platformDescription().left(14), QStringLiteral("   running on "));
    }

    void secondRunAppends()
    {
        ZR::LogFile::init(true);
        QVERIFY(ZR::LogFile::logFilePath().endsWith(QStringLiteral("/CorvanaZELTA.log")));
        ZR::LogFile::close();
        const QStringList lines = logLines();
        QCOMPARE(lines.size(), 8);
        QVERIFY(lines[5].endsWith(QString(95, QLatin1Char('-'))));
    }

    void linesFromManyThreadsStayWhole()
    {
        QFile::remove(QDir::home().filePath(QStringLiteral("CorvanaZELTA.log")));
        ZR::LogFile::init(true);
        const int threads = 8;
        const int perThread = 400;
        const QString payload(300, QLatin1Char('x'));
        std::vector<std::unique_ptr<QThread>> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back(QThread::create([t, payload] {
                for (int i = 0; i < perThread; ++i)
                    qDebug().noquote() << QStringLiteral("T%1-%2 ").arg(t).arg(i) + payload + "|end";
            }));
            workers.back()->start();
        }
        for (auto &worker : workers)
            QVERIFY(worker->wait(60000));
        ZR::LogFile::close();

        const QStringList lines = logLines();
        QCOMPARE(lines.size(), 3 + threads * perThread);
        static const QRegularExpression whole(
            QStringLiteral(R"(^\[[^\]]+\]\[debug\]: T\d+-\d+ x{300}\|end$)"));
        for (int i = 3; i < lines.size(); ++i)
            QVERIFY2(whole.match(lines[i]).hasMatch(), qPrintable(lines[i].left(120)));
    }

    // QT_LOGGING_RULES silences one subsystem by its category; what is still
    // written keeps the file's line format. Each rule set runs in a child
    // process, as the rules are read when the program starts.
    void loggingRulesSilenceSubsystems_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QStringList>("written");
        const QString tvDebug = QStringLiteral("[debug]: tv line");
        const QString tvWarning = QStringLiteral("[warning]: tv trouble");
        const QString upnpDebug = QStringLiteral("[debug]: upnp line");
        const QString libraryDebug = QStringLiteral("[debug]: library line");
        QTest::newRow("none") << QString()
                              << QStringList{tvDebug, tvWarning, upnpDebug, libraryDebug};
        QTest::newRow("tv debug off") << QStringLiteral("zelta.tv.debug=false")
                                      << QStringList{tvWarning, upnpDebug, libraryDebug};
        QTest::newRow("library off")
            << QStringLiteral("zelta.library=false") << QStringList{tvDebug, tvWarning, upnpDebug};
        QTest::newRow("all debug off")
            << QStringLiteral("zelta.*.debug=false") << QStringList{tvWarning};
        QTest::newRow("off, then tv on")
            << QStringLiteral("zelta.*=false;zelta.tv.debug=true") << QStringList{tvDebug};
    }

    void loggingRulesSilenceSubsystems()
    {
        QFETCH(QString, rules);
        QFETCH(QStringList, written);
        const QString log = QDir::home().filePath(QStringLiteral("CorvanaZELTA.log"));
        QFile::remove(log);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZELTA_LOG_WRITER"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), rules);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), 0);

        const QStringList lines = logLines();
        QCOMPARE(lines.size(), 3 + written.size()); // the run header, then what passed
        static const QRegularExpression stamp(QStringLiteral(R"(^\[[^\]]+\])"));
        QStringList got;
        for (int i = 3; i < lines.size(); ++i) {
            QVERIFY2(stamp.match(lines[i]).hasMatch(), qPrintable(lines[i]));
            got << lines[i].mid(stamp.match(lines[i]).capturedLength());
        }
        QCOMPARE(got, written);
    }

    void messagesAfterCloseAreDropped()
    {
        const qint64 before = QFileInfo(QDir::home().filePath(QStringLiteral("CorvanaZELTA.log"))).size();
        qWarning() << "not written";
        QCOMPARE(QFileInfo(QDir::home().filePath(QStringLiteral("CorvanaZELTA.log"))).size(), before);
    }
};

// The child of loggingRulesSilenceSubsystems: one line from each of a few
// subsystems into the log file.
int writeCategoryLines(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    AppIdentity::apply();
    ZR::LogFile::init(true);
    qCDebug(lcTv) << "tv line";
    qCWarning(lcTv) << "tv trouble";
    qCDebug(lcUpnp) << "upnp line";
    qCDebug(lcLibrary) << "library line";
    ZR::LogFile::close();
    return 0;
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet("ZELTA_LOG_WRITER"))
        return writeCategoryLines(argc, argv);
    QCoreApplication app(argc, argv);
    TestLogFile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_logfile.moc"
