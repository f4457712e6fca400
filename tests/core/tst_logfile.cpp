#include "TestSupport.h"
#include "core/AppIdentity.h"
#include "core/LogFile.h"
#include "core/Logging.h"
#include "core/Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <cstdio>
#include <map>
#include <vector>

namespace {

QString logPath()
{
    return QDir::home().filePath(QStringLiteral("CorvanaZELTA.log"));
}

QString olderLogPath()
{
    return logPath() + QStringLiteral(".1");
}

QStringList linesOf(const QString &path)
{
    return QString::fromUtf8(TestSupport::readFile(path))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

// Lines of `count` bytes each, newline included, numbered from 0.
QByteArray numberedLines(const char *tag, int count, int lineBytes)
{
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        QByteArray line = tag + QByteArray::number(i) + ' ';
        line += QByteArray(lineBytes - 1 - line.size(), 'o') + '\n';
        text += line;
    }
    return text;
}

// Has `threads` threads log `perThread` debug lines each at once, every
// line "T<thread>-<n> " + `payloadBytes` x's + "|end"; false when one of them
// does not end in time.
bool logFromThreads(int threads, int perThread, int payloadBytes)
{
    const QString payload(payloadBytes, QLatin1Char('x'));
    std::vector<std::unique_ptr<QThread>> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back(QThread::create([t, perThread, payload] {
            for (int i = 0; i < perThread; ++i)
                qDebug().noquote() << QStringLiteral("T%1-%2 ").arg(t).arg(i) + payload + "|end";
        }));
        workers.back()->start();
    }
    bool ended = true;
    for (auto &worker : workers)
        ended = worker->wait(120000) && ended;
    return ended;
}

const QRegularExpression &wholeLine()
{
    static const QRegularExpression whole(QStringLiteral(
        R"(^\[\w{3} \w{3} {1,2}\d{1,2} \d\d:\d\d:\d\d \d{4}\]\[debug\]: T(\d)-(\d+) x+\|end$)"));
    return whole;
}

} // namespace

class TestLogFile : public QObject
{
    Q_OBJECT

private:
    static QStringList logLines() { return linesOf(logPath()); }

    static QStringList logFilesInHome()
    {
        return QDir::home().entryList({QStringLiteral("CorvanaZELTA.log*")}, QDir::Files,
                                      QDir::Name);
    }

private Q_SLOTS:
    void initTestCase()
    {
        AppIdentity::apply();
        QFile::remove(QDir::home().filePath(QStringLiteral("CorvanaZELTA.log")));
    }

    void cleanup()
    {
        ZR::LogFile::close();
        ZR::LogFile::setMaxBytes(ZR::LogFile::DefaultMaxBytes);
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
        static const QRegularExpression format(QStringLiteral(
            R"(^\[\w{3} \w{3} {1,2}\d{1,2} \d\d:\d\d:\d\d \d{4}\]\[(debug|warning|critical)\]: )"));
        for (const QString &line : lines)
            QVERIFY2(format.match(line).hasMatch(), qPrintable(line));
        QVERIFY(lines[0].endsWith(QString(95, QLatin1Char('-'))));
        QVERIFY(!lines[0].endsWith(QString(96, QLatin1Char('-'))));
        QVERIFY(lines[1].endsWith(
            QStringLiteral("[debug]: CorvanaZELTA " ZELTA_VERSION " built with Qt ") +
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
        QVERIFY(logFromThreads(threads, perThread, 300));
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

    // A log already at its limit is moved to ".1" when the program starts;
    // one below it is appended to. An older ".1" is replaced.
    void startUpMovesAFullLog_data()
    {
        QTest::addColumn<int>("existingBytes");
        QTest::addColumn<bool>("olderExists");
        QTest::addColumn<bool>("moved");
        // The run header and one line still fit below the limit.
        QTest::newRow("below the limit") << 3000 << false << false;
        QTest::newRow("below the limit, an older part kept") << 3000 << true << false;
        QTest::newRow("at the limit") << 4096 << false << true;
        QTest::newRow("over the limit, older part replaced") << 8000 << true << true;
    }

    void startUpMovesAFullLog()
    {
        QFETCH(int, existingBytes);
        QFETCH(bool, olderExists);
        QFETCH(bool, moved);
        const QByteArray existing = numberedLines("old ", existingBytes / 100, 100) +
                                    QByteArray(existingBytes % 100, 'z') + '\n';
        RUN_CHECKED(writeFile(logPath(), existing.left(existingBytes)));
        QFile::remove(olderLogPath());
        const QByteArray older = "an older part\n";
        if (olderExists)
            RUN_CHECKED(writeFile(olderLogPath(), older));

        ZR::LogFile::setMaxBytes(4096);
        ZR::LogFile::init(true);
        qDebug() << "after the start";
        ZR::LogFile::close();

        QCOMPARE(logFilesInHome().size(), moved || olderExists ? 2 : 1);
        const QStringList lines = logLines();
        if (moved) {
            QCOMPARE(TestSupport::readFile(olderLogPath()), existing.left(existingBytes));
            QCOMPARE(lines.size(), 5);
            QVERIFY2(lines[0].endsWith(QStringLiteral(
                         "[debug]: Earlier lines of this log are in CorvanaZELTA.log.1")),
                     qPrintable(lines[0]));
            QVERIFY(lines[1].endsWith(QString(95, QLatin1Char('-'))));
        } else {
            QVERIFY(TestSupport::readFile(logPath()).startsWith(existing.left(existingBytes)));
            QVERIFY(lines[lines.size() - 4].endsWith(QString(95, QLatin1Char('-'))));
            if (olderExists)
                QCOMPARE(TestSupport::readFile(olderLogPath()), older);
        }
        QVERIFY(lines.last().endsWith(QStringLiteral("[debug]: after the start")));
    }

    // Two threads write past the limit during a run. Every file stays within
    // it, there are never more than two, every line is whole, and the lines
    // kept run on without a gap from ".1" into the current file. With one
    // move, every line written is kept.
    void aRunMovesTheLogAtItsLimit_data()
    {
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<bool>("allKept");
        // Each thread writes 1500 lines of about 130 bytes: about 390 kB.
        QTest::newRow("one move") << qint64(300 * 1024) << true;
        QTest::newRow("many moves") << qint64(40 * 1024) << false;
    }

    void aRunMovesTheLogAtItsLimit()
    {
        QFETCH(qint64, limit);
        QFETCH(bool, allKept);
        QFile::remove(logPath());
        QFile::remove(olderLogPath());
        ZR::LogFile::setMaxBytes(limit);
        ZR::LogFile::init(true);
        const int threads = 2;
        const int perThread = 1500;
        QVERIFY(logFromThreads(threads, perThread, 80));
        ZR::LogFile::close();

        QCOMPARE(logFilesInHome(), (QStringList{QStringLiteral("CorvanaZELTA.log"),
                                                QStringLiteral("CorvanaZELTA.log.1")}));
        QVERIFY(QFileInfo(logPath()).size() <= limit);
        QVERIFY(QFileInfo(olderLogPath()).size() <= limit);
        const QStringList current = logLines();
        QVERIFY2(current.first().endsWith(QStringLiteral(
                     "[debug]: Earlier lines of this log are in CorvanaZELTA.log.1")),
                 qPrintable(current.first()));

        // Per thread, the numbers of the lines kept, in file order.
        std::map<int, QList<int>> kept;
        const QStringList all = linesOf(olderLogPath()) + current;
        for (const QString &line : all) {
            if (line.contains(QStringLiteral("Earlier lines of this log")) ||
                line.contains(QStringLiteral("[debug]: CorvanaZELTA ")) ||
                line.contains(QStringLiteral("   running on ")) ||
                line.endsWith(QString(95, QLatin1Char('-'))))
                continue;
            const QRegularExpressionMatch match = wholeLine().match(line);
            QVERIFY2(match.hasMatch(), qPrintable(line.left(120)));
            kept[match.captured(1).toInt()] << match.captured(2).toInt();
        }
        // What is kept is the end of what was written: for each thread, its
        // last lines (none, when all went before the last move).
        QVERIFY(!kept.empty());
        for (int t = 0; t < threads; ++t) {
            const QList<int> &numbers = kept[t];
            if (!allKept && numbers.isEmpty())
                continue;
            QCOMPARE(numbers.last(), perThread - 1);
            if (allKept)
                QCOMPARE(numbers.first(), 0);
            for (qsizetype i = 1; i < numbers.size(); ++i)
                QCOMPARE(numbers[i], numbers[i - 1] + 1);
        }
    }

    // A fatal message, or the process killed outright, leaves every line
    // written before it in the file.
    void linesSurviveTheProcessEnding_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("fatal message") << QStringLiteral("fatal");
        QTest::newRow("killed") << QStringLiteral("kill");
    }

    void linesSurviveTheProcessEnding()
    {
        QFETCH(QString, ending);
        QFile::remove(logPath());
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZELTA_LOG_ENDING"), ending);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted(30000));
        if (ending == QLatin1String("kill")) {
            QTRY_VERIFY_WITH_TIMEOUT(
                (child.waitForReadyRead(100), child.peek(16).contains("written")), 60000);
            child.kill();
        }
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        const QStringList lines = logLines();
        const int expected = 3 + 500 + (ending == QLatin1String("fatal") ? 1 : 0);
        QCOMPARE(lines.size(), expected);
        QVERIFY(lines[3 + 499].endsWith(QStringLiteral("[debug]: line 499")));
        if (ending == QLatin1String("fatal"))
            QVERIFY(lines.last().endsWith(QStringLiteral("[fatal]: last words")));
    }

    void messagesAfterCloseAreDropped()
    {
        const qint64 before =
            QFileInfo(QDir::home().filePath(QStringLiteral("CorvanaZELTA.log"))).size();
        qWarning() << "not written";
        QCOMPARE(QFileInfo(QDir::home().filePath(QStringLiteral("CorvanaZELTA.log"))).size(),
                 before);
    }

    // A 20 MB user name handed to the sign-in is logged cut, with a marker:
    // the lines before it stay in the log (no move to ".1" for its sake),
    // and so does a long multi-line text's every line, each cut.
    void hugeMessagesAreCut()
    {
        QFile::remove(logPath());
        QFile::remove(olderLogPath());
        ZR::LogFile::setMaxBytes(1024 * 1024);
        ZR::LogFile::init(true);
        qWarning() << "before the name";
        const QString name(20 * 1024 * 1024, QChar(0x00e9)); // two bytes each in UTF-8
        qWarning().noquote() << "WebBridge::login" << name;
        qWarning().noquote() << QStringLiteral("a\n%1\nb").arg(QString(10000, QLatin1Char('x')));
        qWarning() << "after the name";
        ZR::LogFile::close();

        QVERIFY(!QFile::exists(olderLogPath()));
        const QStringList lines = logLines();
        QVERIFY(lines.filter(QStringLiteral("before the name")).size() == 1);
        QVERIFY(lines.filter(QStringLiteral("after the name")).size() == 1);
        const QStringList cutLines = lines.filter(QStringLiteral(" bytes cut]"));
        QCOMPARE(cutLines.size(), 2);
        for (const QString &line : cutLines)
            QVERIFY2(line.toUtf8().size() < ZR::LogFile::MaxLineBytes + 200,
                     qPrintable(line.left(80)));
        QVERIFY(cutLines.first().contains(QStringLiteral("WebBridge::login")));
        QVERIFY(lines.contains(QStringLiteral("b")));
        QVERIFY(QFileInfo(logPath()).size() < 64 * 1024);
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

// The child of linesSurviveTheProcessEnding: 500 lines, then a fatal
// message, or a word on stdout and a wait to be killed.
int writeAndEnd(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    AppIdentity::apply();
    ZR::LogFile::init(true);
    for (int i = 0; i < 500; ++i)
        qDebug().noquote() << QStringLiteral("line %1").arg(i);
    if (qgetenv("ZELTA_LOG_ENDING") == "fatal")
        qFatal("last words");
    std::fputs("written\n", stdout);
    std::fflush(stdout);
    std::getchar(); // until killed, or the test's end closes stdin
    return 0;
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet("ZELTA_LOG_ENDING"))
        return writeAndEnd(argc, argv);
    if (qEnvironmentVariableIsSet("ZELTA_LOG_WRITER"))
        return writeCategoryLines(argc, argv);
    QCoreApplication app(argc, argv);
    TestLogFile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_logfile.moc"
