// The desktop program as a user starts it: real processes on a real (virtual)
// X display, windows found and closed from outside like a window manager would.
#include "TestSupport.h"
#include "X11Windows.h"
#include "core/Version.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QThread>

namespace {

QString logPath()
{
    return QDir::home().filePath(QStringLiteral("CorvanaZELTA.log"));
}

QStringList logLines()
{
    return QString::fromUtf8(TestSupport::readFile(logPath()))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private:
    QString m_program;
    X11Windows m_x;

    void startProgram(QProcess &process)
    {
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(m_program, {});
        QVERIFY(process.waitForStarted());
    }

    void closeMainWindow(QProcess &process)
    {
        const X11Windows::WindowId window =
            m_x.find(QStringLiteral("Corvana Zelta " ZELTA_VERSION));
        QVERIFY(window);
        m_x.requestClose(window);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_program = TestSupport::builtProgram(QStringLiteral("corvana-zelta"));
        QVERIFY(!m_program.isEmpty());
        QVERIFY2(m_x.isOpen(), "needs an X display (run under xvfb-run)");
    }

    void firstRunCreatesLogAndLibrary()
    {
        QProcess program;
        RUN_CHECKED(startProgram(program));
        QVERIFY(m_x.waitFor(QStringLiteral("Corvana Zelta " ZELTA_VERSION)));

        const QStringList lines = logLines();
        QVERIFY(lines.size() >= 3);
        QVERIFY(lines[0].endsWith(QStringLiteral("]: ") + QString(95, QLatin1Char('-'))));
        QVERIFY(lines[1].contains(
            QStringLiteral("[debug]: CorvanaZELTA " ZELTA_VERSION " built with Qt ")));
        QVERIFY(lines[2].contains(QStringLiteral("[debug]:    running on ")));
        QVERIFY(
            lines.filter(QStringLiteral("migrating to percent encoding and zelta table")).size() ==
            1);

        const QString library = QDir::home().filePath(QStringLiteral("My Library"));
        QVERIFY(QFileInfo(library + QStringLiteral("/.cache")).isDir());
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(library + QStringLiteral("/library.db"));
            QVERIFY(db.open());
            const QStringList tables = db.tables();
            for (const char *table : {"downloads", "library", "zelta"})
                QVERIFY2(tables.contains(QLatin1String(table)), table);
            QSqlQuery query(QStringLiteral("SELECT dbVersion FROM zelta"), db);
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toInt(), 1);
            QVERIFY(!query.next());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));

        RUN_CHECKED(closeMainWindow(program));
        QSettings settings(QStringLiteral("CorvanaZELTA"), QStringLiteral("CorvanaZELTA"));
        QCOMPARE(settings.value(QStringLiteral("WindowSize")).toSize(), QSize(1149, 614));
        QVERIFY(settings.contains(QStringLiteral("WindowPosition")));
    }

    void secondInstanceIsRefused()
    {
        const int linesBefore = logLines().size();
        QProcess first;
        RUN_CHECKED(startProgram(first));
        QVERIFY(m_x.waitFor(QStringLiteral("Corvana Zelta " ZELTA_VERSION)));

        QProcess second;
        RUN_CHECKED(startProgram(second));
        const X11Windows::WindowId warning = m_x.waitFor(QStringLiteral("Multiple Instances"));
        QVERIFY(warning);
        QCOMPARE(second.state(), QProcess::Running); // waits for the user
        m_x.requestClose(warning);
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);

        // The first copy is untouched and still running.
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(m_x.find(QStringLiteral("Corvana Zelta " ZELTA_VERSION)));
        RUN_CHECKED(closeMainWindow(first));

        // Later runs append to the log, each with its header, and migrate nothing.
        const QStringList lines = logLines();
        QVERIFY(lines.size() > linesBefore);
        QVERIFY(lines[linesBefore].endsWith(QString(95, QLatin1Char('-'))));
        QVERIFY(lines.mid(linesBefore).filter(QStringLiteral("migrating")).isEmpty());
        QCOMPARE(lines.filter(QString(95, QLatin1Char('-'))).size(), 3);
    }

    void crashedCopyDoesNotBlockTheNextStart()
    {
        QProcess crashed;
        RUN_CHECKED(startProgram(crashed));
        QVERIFY(m_x.waitFor(QStringLiteral("Corvana Zelta " ZELTA_VERSION)));
        crashed.kill();
        QVERIFY(crashed.waitForFinished(30000));
        QTRY_VERIFY_WITH_TIMEOUT(!m_x.find(QStringLiteral("Corvana Zelta " ZELTA_VERSION)), 10000);

        QProcess next;
        RUN_CHECKED(startProgram(next));
        QVERIFY(m_x.waitFor(QStringLiteral("Corvana Zelta " ZELTA_VERSION)));
        QVERIFY(!m_x.find(QStringLiteral("Multiple Instances")));
        RUN_CHECKED(closeMainWindow(next));
    }

    void cliVersionAndInit()
    {
        const QString cli = TestSupport::builtProgram(QStringLiteral("zelta-cli"));
        QByteArray out, err;
        QCOMPARE(TestSupport::run(cli, {QStringLiteral("version")}, &out), 0);
        QCOMPARE(out, QByteArray("CorvanaZELTA " ZELTA_VERSION "\n"));
        QCOMPARE(TestSupport::run(cli, {QStringLiteral("library"), QStringLiteral("init")}, &out),
                 0);
        QCOMPARE(QString::fromUtf8(out).trimmed(),
                 QDir::home().filePath(QStringLiteral("My Library/library.db")));
        QCOMPARE(TestSupport::run(cli, {QStringLiteral("nonsense")}, &out, &err), 2);
        QVERIFY(err.contains("usage: "));
        QCOMPARE(TestSupport::run(
                     cli,
                     {QStringLiteral("library"), QStringLiteral("init"), QStringLiteral("extra")},
                     &out, &err),
                 2);

        // While the desktop program runs, the library is not changed.
        QProcess program;
        RUN_CHECKED(startProgram(program));
        QVERIFY(m_x.waitFor(QStringLiteral("Corvana Zelta " ZELTA_VERSION)));
        QCOMPARE(
            TestSupport::run(cli, {QStringLiteral("library"), QStringLiteral("init")}, &out, &err),
            1);
        QVERIFY(err.contains("running"));
        RUN_CHECKED(closeMainWindow(program));
    }

    void cliInitMigratesAnOldHome()
    {
        QTemporaryDir home;
        const QString library = home.path() + QStringLiteral("/My Library");
        QVERIFY(QDir().mkpath(library));
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
            db.setDatabaseName(library + QStringLiteral("/library.db"));
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral(
                "CREATE TABLE library (thumbnailPath VARCHAR, title VARCHAR, sizeInBytes INTEGER, "
                "creationDate INTEGER, mediaLengthInSecs INTEGER, description VARCHAR, videoPath "
                "VARCHAR, guid VARCHAR, coverPath VARCHAR, dvdTitle VARCHAR, categories VARCHAR, "
                "stars VARCHAR, duration VARCHAR, downloaded INTEGER)")));
            QVERIFY(query.exec(QStringLiteral("INSERT INTO library (title, videoPath) VALUES "
                                              "('Old & gold', '/x/Old & gold.wmv')")));
            QVERIFY(query.exec(
                QStringLiteral("CREATE TABLE downloads (corvanaUrl VARCHAR, mediaUrl VARCHAR)")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("old"));

        QByteArray out;
        const QString cli = TestSupport::builtProgram(QStringLiteral("zelta-cli"));
        QCOMPARE(TestSupport::run(cli, {QStringLiteral("library"), QStringLiteral("init")}, &out,
                                  nullptr, 60000, {QStringLiteral("HOME=") + home.path()}),
                 0);
        QCOMPARE(QString::fromUtf8(out).trimmed(), library + QStringLiteral("/library.db"));
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
            db.setDatabaseName(library + QStringLiteral("/library.db"));
            QVERIFY(db.open());
            QSqlQuery query(QStringLiteral("SELECT id, title FROM library"), db);
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toInt(), 1);
            QCOMPARE(query.value(1).toString(), QStringLiteral("Old%20%26%20gold"));
            QVERIFY(db.tables().contains(QStringLiteral("zelta")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("old"));
        const QString log = QString::fromUtf8(
            TestSupport::readFile(home.path() + QStringLiteral("/CorvanaZELTA.log")));
        QVERIFY(log.contains(QStringLiteral("migrating to new library format")));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
