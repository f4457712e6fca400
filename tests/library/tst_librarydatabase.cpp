#include "TestDatabase.h"
#include "TestSupport.h"
#include "library/Library.h"
#include "library/LibraryStore.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

QStringList g_messages;

void captureMessages(QtMsgType, const QMessageLogContext &, const QString &text)
{
    g_messages << text;
}

const char *const kOldLibraryNoId =
    "CREATE TABLE library (thumbnailPath VARCHAR, title VARCHAR, sizeInBytes INTEGER, "
    "creationDate INTEGER, mediaLengthInSecs INTEGER, description VARCHAR, videoPath VARCHAR, "
    "guid VARCHAR, coverPath VARCHAR, dvdTitle VARCHAR, categories VARCHAR, stars VARCHAR, "
    "duration VARCHAR, downloaded INTEGER)";

const char *const kPlainLibraryWithId =
    "CREATE TABLE library (id INTEGER PRIMARY KEY, thumbnailPath VARCHAR, title VARCHAR, "
    "sizeInBytes INTEGER, creationDate INTEGER, mediaLengthInSecs INTEGER, description VARCHAR, "
    "videoPath VARCHAR, guid VARCHAR, coverPath VARCHAR, dvdTitle VARCHAR, categories VARCHAR, "
    "stars VARCHAR, duration VARCHAR,downloaded INTEGER)";

// Texts that percent-encoding must carry through unchanged.
QStringList awkwardTitles()
{
    return {QStringLiteral("Two words & more 100%"), QStringLiteral("It's \"quoted\""),
            QString::fromUtf8("Zoë Ångström – 東京"), QStringLiteral("plain"),
            QStringLiteral("a+b=c?d/e#f")};
}

// Builds a database file with a hand-written schema and rows, as older
// versions of the program left it.
void buildFile(const QString &path, const QStringList &statements)
{
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fixture"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        for (const QString &statement : statements)
            QVERIFY2(query.exec(statement), qPrintable(statement + query.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture"));
}

QString quoted(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

QString insertPlainRow(const QString &title, int n, bool withId)
{
    return QStringLiteral(
               "INSERT INTO library (%1thumbnailPath, title, sizeInBytes, creationDate, "
               "mediaLengthInSecs, description, videoPath, guid, coverPath, dvdTitle, "
               "categories, stars, duration, downloaded) VALUES (%2%3, %4, %5, 1700000000, "
               "42, %6, %7, %8, %9, %10, %11, %12, '00:42', 1)")
        .arg(withId ? QStringLiteral("id, ") : QString(),
             withId ? QString::number(n + 1) + QStringLiteral(", ") : QString(),
             quoted(QStringLiteral("/home/u/My Library/%1 thumb.jpg").arg(title)), quoted(title),
             QString::number(1000 + n), quoted(QStringLiteral("About ") + title),
             quoted(QStringLiteral("/home/u/My Library/%1.mp4").arg(title)),
             quoted(QStringLiteral("guid %1").arg(n)), quoted(QStringLiteral("/c/%1.jpg").arg(n)))
        .arg(quoted(QStringLiteral("DVD & Co")), quoted(QStringLiteral("Cat A,Cat B")),
             quoted(QString::fromUtf8("Anna,Zoë")));
}

struct Row
{
    qint64 id;
    QString title, thumbnailPath, videoPath, description, dvdTitle, categories, stars, guid,
        duration, rawTitle;
};

QList<Row> readRows(const QString &databaseFile)
{
    QList<Row> rows;
    QSqlQuery query(TestDatabase::database(databaseFile));
    query.exec(QStringLiteral("SELECT id, title, thumbnailPath, videoPath, description, dvdTitle, "
                              "categories, stars, guid, duration FROM library ORDER BY id"));
    while (query.next()) {
        auto decode = [&](int column) {
            return QUrl::fromPercentEncoding(query.value(column).toByteArray());
        };
        rows.append({query.value(0).toLongLong(), decode(1), decode(2), decode(3), decode(4),
                     decode(5), decode(6), decode(7), query.value(8).toString(),
                     query.value(9).toString(), query.value(1).toString()});
    }
    return rows;
}

} // namespace

class TestLibraryDatabase : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *m_dir = nullptr;
    // What the last opening said about bringing an older file up to date.
    QString m_upgradeProblem;
    LibraryLocation m_location;

    QString base() const { return m_dir->path(); }
    QString dbFile() const { return base() + QStringLiteral("/My Library/library.db"); }

    void openLibrary()
    {
        g_messages.clear();
        m_location = LibraryLocation::setUp(base());
        TestDatabase::open(m_location, &m_upgradeProblem);
    }

    void prepareFolder() { QVERIFY(QDir().mkpath(base() + QStringLiteral("/My Library"))); }

private Q_SLOTS:
    void init()
    {
        m_dir = new QTemporaryDir();
        qInstallMessageHandler(captureMessages);
    }

    void cleanup()
    {
        qInstallMessageHandler(nullptr);
        TestDatabase::close();
        delete m_dir;
    }

    void newLibraryIsCreatedInTheCurrentLayout()
    {
        openLibrary();
        QVERIFY(QFileInfo(base() + QStringLiteral("/My Library/.cache")).isDir());
        QCOMPARE(m_location.databaseFile(), dbFile());
        QCOMPARE(m_location.folder(), base() + QStringLiteral("/My Library"));
        QVERIFY(QFileInfo::exists(dbFile()));
        QSqlDatabase db = TestDatabase::database(dbFile());
        QStringList tables = db.tables();
        tables.sort();
        QCOMPARE(tables, QStringList({"downloads", "library", "zelta"}));
        QSqlQuery query(QStringLiteral("SELECT dbVersion FROM zelta"), db);
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), 1);
        QVERIFY(!query.next());
        QCOMPARE(db.record(QStringLiteral("downloads")).count(), 19);
        QCOMPARE(db.record(QStringLiteral("library")).count(), 17);

        // A second start changes nothing and says nothing about migrating.
        TestDatabase::close();
        openLibrary();
        QVERIFY(g_messages.filter(QStringLiteral("migrating")).isEmpty());
        QSqlQuery again(QStringLiteral("SELECT COUNT(*) FROM zelta"),
                        TestDatabase::database(dbFile()));
        QVERIFY(again.next());
        QCOMPARE(again.value(0).toInt(), 1);
    }

    void libraryWithoutIdGetsIdsInOrderThenEncoded()
    {
        RUN_CHECKED(prepareFolder());
        QStringList statements = {QString::fromLatin1(kOldLibraryNoId)};
        const QStringList titles = awkwardTitles();
        for (int i = 0; i < titles.size(); ++i)
            statements << insertPlainRow(titles[i], i, false);
        RUN_CHECKED(buildFile(dbFile(), statements));

        openLibrary();
        QVERIFY(g_messages.contains(QStringLiteral("migrating to new library format")));
        QVERIFY(
            g_messages.contains(QStringLiteral("migrating to percent encoding and zelta table")));
        const QList<Row> rows = readRows(dbFile());
        QCOMPARE(rows.size(), titles.size());
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i].id, qint64(i + 1));
            QCOMPARE(rows[i].title, titles[i]);
            QCOMPARE(rows[i].videoPath, QStringLiteral("/home/u/My Library/%1.mp4").arg(titles[i]));
        }
        QVERIFY(!TestDatabase::database(dbFile()).tables().contains(QStringLiteral("backup")));
        QVERIFY(g_messages.contains(QStringLiteral("migrating to play positions")));
        QVERIFY(m_upgradeProblem.isEmpty());
    }

    // A file of the last layout (encoded, without play columns) gets them,
    // every row unwatched at 0, its values untouched.
    void encodedLibraryGetsPlayColumns()
    {
        RUN_CHECKED(prepareFolder());
        QStringList statements = {QString::fromLatin1(kPlainLibraryWithId),
                                  QStringLiteral("CREATE TABLE zelta(dbVersion INTEGER)"),
                                  QStringLiteral("INSERT INTO zelta(dbVersion) VALUES(1)")};
        for (int i = 0; i < 3; ++i)
            statements << insertPlainRow(QStringLiteral("Clip%1").arg(i), i, true);
        RUN_CHECKED(buildFile(dbFile(), statements));

        openLibrary();
        QVERIFY(g_messages.contains(QStringLiteral("migrating to play positions")));
        QVERIFY(m_upgradeProblem.isEmpty());
        QSqlQuery query(TestDatabase::database(dbFile()));
        QVERIFY(query.exec(QStringLiteral(
            "SELECT title, playPosition, watchedCount, sizeInBytes FROM library ORDER BY id")));
        for (int i = 0; i < 3; ++i) {
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toString(), QStringLiteral("Clip%1").arg(i));
            QCOMPARE(query.value(1).toLongLong(), 0);
            QCOMPARE(query.value(2).toInt(), 0);
            QCOMPARE(query.value(3).toInt(), 1000 + i);
        }
        QVERIFY(!query.next());
        query.finish();
        TestDatabase::close();
        openLibrary();
        QVERIFY(g_messages.filter(QStringLiteral("migrating")).isEmpty());
    }

    void failedPlayColumnsRollBack()
    {
        // The second column cannot be added (a column of that name is in the
        // way): the first must not stay behind, the rows stay readable.
        RUN_CHECKED(prepareFolder());
        RUN_CHECKED(buildFile(
            dbFile(), {QString::fromLatin1(kPlainLibraryWithId),
                       QStringLiteral("ALTER TABLE library ADD COLUMN watchedCount VARCHAR"),
                       QStringLiteral("CREATE TABLE zelta(dbVersion INTEGER)"),
                       QStringLiteral("INSERT INTO zelta(dbVersion) VALUES(1)"),
                       insertPlainRow(QStringLiteral("Kept"), 0, true)}));
        openLibrary();
        QVERIFY(g_messages.contains(QStringLiteral("migrating to play positions")));
        QVERIFY(!m_upgradeProblem.isEmpty());
        QSqlDatabase db = TestDatabase::database(dbFile());
        const QSqlRecord record = db.record(QStringLiteral("library"));
        QVERIFY(!record.contains(QStringLiteral("playPosition")));
        QCOMPARE(record.count(), 16);
        QCOMPARE(readRows(dbFile()).value(0).title, QStringLiteral("Kept"));
        {
            // The library's own reader copes with the old layout.
            LibraryStore store(dbFile());
            LibraryStore::Rows rows;
            QVERIFY(store.call([&] { return store.readAll(&rows); }));
            QCOMPARE(rows.size(), 1);
            QCOMPARE(rows.first().value(LibraryStore::PlayPosition).toLongLong(), 0);
            QVERIFY(!store.call([&] { return store.setPlayPosition(1, 5000); }));
        }

        // Once the way is clear, the next start adds both.
        QVERIFY(QSqlQuery(db).exec(QStringLiteral("ALTER TABLE library DROP COLUMN watchedCount")));
        TestDatabase::close();
        openLibrary();
        QVERIFY(m_upgradeProblem.isEmpty());
        QCOMPARE(TestDatabase::database(dbFile()).record(QStringLiteral("library")).count(), 17);
    }

    void plainTextIsPercentEncoded()
    {
        RUN_CHECKED(prepareFolder());
        QStringList statements = {QString::fromLatin1(kPlainLibraryWithId)};
        const QStringList titles = awkwardTitles();
        for (int i = 0; i < titles.size(); ++i)
            statements << insertPlainRow(titles[i], i, true);
        RUN_CHECKED(buildFile(dbFile(), statements));

        openLibrary();
        QVERIFY(!g_messages.contains(QStringLiteral("migrating to new library format")));
        QVERIFY(
            g_messages.contains(QStringLiteral("migrating to percent encoding and zelta table")));
        const QList<Row> rows = readRows(dbFile());
        QCOMPARE(rows.size(), titles.size());
        QCOMPARE(rows[0].rawTitle, QStringLiteral("Two%20words%20%26%20more%20100%25"));
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i].title, titles[i]);
            QCOMPARE(rows[i].description, QStringLiteral("About ") + titles[i]);
            QCOMPARE(rows[i].thumbnailPath,
                     QStringLiteral("/home/u/My Library/%1 thumb.jpg").arg(titles[i]));
            QCOMPARE(rows[i].dvdTitle, QStringLiteral("DVD & Co"));
            QCOMPARE(rows[i].categories, QStringLiteral("Cat A,Cat B"));
            QCOMPARE(rows[i].stars, QString::fromUtf8("Anna,Zoë"));
            // guid and duration stay as they were.
            QCOMPARE(rows[i].guid, QStringLiteral("guid %1").arg(i));
            QCOMPARE(rows[i].duration, QStringLiteral("00:42"));
            QVERIFY(!rows[i].rawTitle.contains(QLatin1Char(' ')));
        }
    }

    void twoColumnDownloadsTableIsReplaced()
    {
        RUN_CHECKED(prepareFolder());
        RUN_CHECKED(buildFile(
            dbFile(),
            {QStringLiteral("CREATE TABLE downloads (corvanaUrl VARCHAR, mediaUrl VARCHAR)"),
             QStringLiteral("INSERT INTO downloads VALUES ('a', 'b')")}));
        openLibrary();
        QSqlDatabase db = TestDatabase::database(dbFile());
        QVERIFY(db.record(QStringLiteral("downloads")).contains(QStringLiteral("downloadPath")));
        QSqlQuery query(QStringLiteral("SELECT COUNT(*) FROM downloads"), db);
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), 0);
    }

    // Records of the old layout (three strings) get the item's columns, and
    // the title their file is named after; the columns of an item stay empty
    // until the descriptor gives them.
    void oldDownloadRecordsMigrate()
    {
        RUN_CHECKED(prepareFolder());
        QStringList statements = currentLibrary();
        statements << oldDownloads(3);
        RUN_CHECKED(buildFile(dbFile(), statements));
        openLibrary();
        QVERIFY(g_messages.contains(QStringLiteral("migrating to whole download items")));
        QVERIFY(m_upgradeProblem.isEmpty());
        QSqlDatabase db = TestDatabase::database(dbFile());
        QCOMPARE(db.record(QStringLiteral("downloads")).count(), 19);
        QSqlQuery query(QStringLiteral("SELECT corvanaUrl, mediaUrl, downloadPath, title, guid, "
                                       "failureKind FROM downloads ORDER BY rowid"),
                        db);
        for (int i = 0; i < 3; ++i) {
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toString(), oldDescriptor(i));
            QCOMPARE(query.value(1).toString(), QStringLiteral("http://site/m%1.mp4").arg(i));
            QCOMPARE(QUrl::fromPercentEncoding(query.value(3).toByteArray()),
                     QStringLiteral("Clip & %1").arg(i));
            QVERIFY(query.value(4).toString().isEmpty());
            QCOMPARE(query.value(5).toInt(), 0);
        }
        QVERIFY(!query.next());
        query.finish();
        TestDatabase::close();
        openLibrary();
        QVERIFY(g_messages.filter(QStringLiteral("migrating")).isEmpty());
    }

    // A column in the way fails the last step: no column of the step stays,
    // the records read as before, and the next start tries again.
    void failedDownloadsMigrationRollsBack()
    {
        RUN_CHECKED(prepareFolder());
        QStringList statements = currentLibrary();
        statements << oldDownloads(2)
                   << QStringLiteral("ALTER TABLE downloads ADD COLUMN failureText BLOB");
        RUN_CHECKED(buildFile(dbFile(), statements));
        openLibrary();
        QVERIFY(!m_upgradeProblem.isEmpty());
        QSqlDatabase db = TestDatabase::database(dbFile());
        QCOMPARE(db.record(QStringLiteral("downloads")).count(), 4);
        QSqlQuery count(QStringLiteral("SELECT COUNT(*) FROM downloads"), db);
        QVERIFY(count.next());
        QCOMPARE(count.value(0).toInt(), 2);
        count.finish();
        QVERIFY(
            QSqlQuery(db).exec(QStringLiteral("ALTER TABLE downloads DROP COLUMN failureText")));
        TestDatabase::close();
        openLibrary();
        QVERIFY(m_upgradeProblem.isEmpty());
        QCOMPARE(TestDatabase::database(dbFile()).record(QStringLiteral("downloads")).count(), 19);
    }

    // The program killed at points through the migration of a long queue:
    // the file keeps either the old layout with every record, or the new one
    // with every record titled; the next start finishes it.
    void killedDownloadsMigrationIsAllOrNothing_data()
    {
        QTest::addColumn<qint64>("journalBytes");
        QTest::newRow("as it starts") << qint64(1);
        QTest::newRow("columns added") << qint64(64 * 1024);
        QTest::newRow("titles half written") << qint64(2 * 1024 * 1024);
    }
    void killedDownloadsMigrationIsAllOrNothing()
    {
        QFETCH(qint64, journalBytes);
        const QString cli = TestSupport::builtProgram(QStringLiteral("zelta-cli"));
        QVERIFY(!cli.isEmpty());
        RUN_CHECKED(prepareFolder());
        const int records = 80000;
        RUN_CHECKED(buildFile(dbFile(), currentLibrary() + oldDownloads(records)));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), base());
        const QString journal = dbFile() + QStringLiteral("-wal");
        QProcess first;
        first.setProcessEnvironment(env);
        first.start(cli, {QStringLiteral("library"), QStringLiteral("init")});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(journal).size() >= journalBytes ||
                                     first.state() == QProcess::NotRunning,
                                 60000);
        first.kill();
        first.waitForFinished();
        RUN_CHECKED(checkDownloads(records, false));
        TestDatabase::close();

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(cli, {QStringLiteral("library"), QStringLiteral("init")});
        QVERIFY(second.waitForFinished(120000));
        QCOMPARE(second.exitCode(), 0);
        RUN_CHECKED(checkDownloads(records, true));
    }

    void unopenableFileIsReported()
    {
        // The database path is a folder: SQLite cannot open it.
        RUN_CHECKED(prepareFolder());
        QVERIFY(QDir().mkpath(dbFile()));
        const LibraryLocation location = LibraryLocation::setUp(base());
        g_messages.clear();
        QVERIFY(!TestDatabase::open(location));
        QCOMPARE(g_messages.size(), 2);
        QCOMPARE(g_messages[0],
                 QStringLiteral("Library::initDatabase Unable to open database at \"%1\"")
                     .arg(dbFile()));
        QVERIFY(g_messages[1].startsWith(QStringLiteral("    with error: ")));
        // Nothing else breaks: queries on the closed connection fail quietly.
        QSqlQuery query(TestDatabase::database(dbFile()));
        QVERIFY(!query.exec(QStringLiteral("SELECT * FROM library")));
    }

    void failedLayoutMigrationRollsBack()
    {
        // An old library that lacks a column the copy needs: the copy fails, and
        // the library must come out exactly as it went in, not half-copied.
        RUN_CHECKED(prepareFolder());
        RUN_CHECKED(buildFile(
            dbFile(),
            {QStringLiteral("CREATE TABLE library (thumbnailPath VARCHAR, title VARCHAR)"),
             QStringLiteral("INSERT INTO library VALUES ('/t.jpg', 'First')"),
             QStringLiteral("INSERT INTO library VALUES ('/u.jpg', 'Second')")}));
        openLibrary();
        QSqlDatabase db = TestDatabase::database(dbFile());
        QVERIFY(!db.tables().contains(QStringLiteral("backup")));
        QVERIFY(!db.tables().contains(QStringLiteral("zelta")));
        QSqlQuery query(QStringLiteral("SELECT title FROM library ORDER BY rowid"), db);
        QStringList titles;
        while (query.next())
            titles << query.value(0).toString();
        QCOMPARE(titles, QStringList({"First", "Second"}));
    }

    void failedRowRollsBackTheWholeEncoding()
    {
        // One row refuses its update (a trigger stands in for a disk or
        // constraint failure): no row may be encoded and no marker written,
        // or the refused row would later decode wrongly ("%41" read as "A").
        RUN_CHECKED(prepareFolder());
        const QStringList titles = {QStringLiteral("First & one"),
                                    QStringLiteral("Deal %41%42 now"),
                                    QStringLiteral("Third 100%")};
        QStringList statements = {QString::fromLatin1(kPlainLibraryWithId)};
        for (int i = 0; i < titles.size(); ++i)
            statements << insertPlainRow(titles[i], i, true);
        statements << QStringLiteral("CREATE TRIGGER refuse_second BEFORE UPDATE ON library "
                                     "WHEN OLD.id = 2 BEGIN SELECT RAISE(ABORT, 'refused'); END");
        RUN_CHECKED(buildFile(dbFile(), statements));

        openLibrary();
        QVERIFY(
            g_messages.contains(QStringLiteral("migrating to percent encoding and zelta table")));
        QVERIFY(m_upgradeProblem.contains(QStringLiteral("refused")));
        QVERIFY(!TestDatabase::database(dbFile()).tables().contains(QStringLiteral("zelta")));
        QList<Row> rows = readRows(dbFile());
        QCOMPARE(rows.size(), titles.size());
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(rows[i].rawTitle, titles[i]);
        TestDatabase::close();

        // The program says so too, and fails; the file stays as it was.
        const QString cli = TestSupport::builtProgram(QStringLiteral("zelta-cli"));
        QVERIFY(!cli.isEmpty());
        QProcess init;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), base());
        init.setProcessEnvironment(env);
        init.start(cli, {QStringLiteral("library"), QStringLiteral("init")});
        QVERIFY(init.waitForFinished(120000));
        QCOMPARE(init.exitCode(), 1);
        const QString said = QString::fromUtf8(init.readAllStandardError());
        QVERIFY2(said.contains(QStringLiteral("could not be brought up to date")) &&
                     said.contains(QStringLiteral("refused")),
                 qPrintable(said));
        QVERIFY(!TestDatabase::database(dbFile()).tables().contains(QStringLiteral("zelta")));
        QCOMPARE(readRows(dbFile()).at(1).rawTitle, titles[1]);

        // Once the row can be written, the next start migrates everything.
        QVERIFY(QSqlQuery(TestDatabase::database(dbFile()))
                    .exec(QStringLiteral("DROP TRIGGER refuse_second")));
        TestDatabase::close();
        openLibrary();
        QVERIFY(m_upgradeProblem.isEmpty());
        QVERIFY(TestDatabase::database(dbFile()).tables().contains(QStringLiteral("zelta")));
        rows = readRows(dbFile());
        QCOMPARE(rows.size(), titles.size());
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(rows[i].title, titles[i]);
        QCOMPARE(rows[1].rawTitle, QStringLiteral("Deal%20%2541%2542%20now"));
    }

    void interruptedEncodingLeavesNoCorruptRow()
    {
        const QString cli = TestSupport::builtProgram(QStringLiteral("zelta-cli"));
        QVERIFY(!cli.isEmpty());
        QTemporaryDir home;
        const QString library = home.path() + QStringLiteral("/My Library");
        QVERIFY(QDir().mkpath(library));
        const int rowCount = 60000;
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("big"));
            db.setDatabaseName(library + QStringLiteral("/library.db"));
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QString::fromLatin1(kPlainLibraryWithId)));
            db.transaction();
            for (int i = 0; i < rowCount; ++i)
                QVERIFY(query.exec(
                    insertPlainRow(QStringLiteral("Clip %1 & friends").arg(i), i, true)));
            QVERIFY(db.commit());
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("big"));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());

        // Kill the first run while it is encoding: its write-ahead log growing
        // past the first pages shows that rows are being rewritten, and the
        // encoding of the remaining thousands of pages is still ahead.
        const QString journal = library + QStringLiteral("/library.db-wal");
        QProcess first;
        first.setProcessEnvironment(env);
        first.start(cli, {QStringLiteral("library"), QStringLiteral("init")});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(
            QFileInfo(journal).size() > 64 * 1024 || first.state() == QProcess::NotRunning, 60000);
        first.kill();
        first.waitForFinished();
        // The run was cut short, not finished on its own.
        QCOMPARE(first.exitStatus(), QProcess::CrashExit);

        RUN_CHECKED(checkConsistent(library, rowCount, false));

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(cli, {QStringLiteral("library"), QStringLiteral("init")});
        QVERIFY(second.waitForFinished(120000));
        QCOMPARE(second.exitCode(), 0);
        RUN_CHECKED(checkConsistent(library, rowCount, true));
    }

private:
    // A library table of the current layout, so that only the queue migrates.
    static QStringList currentLibrary()
    {
        return {QString::fromLatin1(kPlainLibraryWithId),
                QStringLiteral("ALTER TABLE library ADD COLUMN playPosition INTEGER NOT NULL "
                               "DEFAULT 0"),
                QStringLiteral("ALTER TABLE library ADD COLUMN watchedCount INTEGER NOT NULL "
                               "DEFAULT 0"),
                QStringLiteral("CREATE TABLE zelta(dbVersion INTEGER)"),
                QStringLiteral("INSERT INTO zelta(dbVersion) VALUES(1)")};
    }
    static QString oldDescriptor(int n) { return QStringLiteral("http://site/d%1.corvana").arg(n); }
    // The download queue as the three-string layout kept it (percent-encoded).
    static QStringList oldDownloads(int count)
    {
        QStringList statements = {QStringLiteral("CREATE TABLE downloads (corvanaUrl VARCHAR, "
                                                 "mediaUrl VARCHAR, downloadPath VARCHAR )")};
        QString insert;
        for (int i = 0; i < count; ++i) {
            const QString path = QString::fromLatin1(QUrl::toPercentEncoding(
                QStringLiteral("/home/u/My Library/Clip & %1/Clip & %1.mp4").arg(i)));
            insert += QStringLiteral("%1('%2', 'http://site/m%3.mp4', '%4')")
                          .arg(insert.isEmpty() ? QStringLiteral("INSERT INTO downloads VALUES ")
                                                : QStringLiteral(", "),
                               oldDescriptor(i))
                          .arg(i)
                          .arg(path);
            if ((i + 1) % 500 == 0 || i + 1 == count)
                statements << std::exchange(insert, QString());
        }
        return statements;
    }
    // Every record is there, and either all in the old layout or all migrated.
    void checkDownloads(int records, bool mustBeMigrated)
    {
        QSqlDatabase db = TestDatabase::database(dbFile());
        const bool migrated =
            db.record(QStringLiteral("downloads")).contains(QStringLiteral("guid"));
        if (mustBeMigrated)
            QVERIFY(migrated);
        QCOMPARE(db.record(QStringLiteral("downloads")).count(), migrated ? 19 : 3);
        QSqlQuery query(QStringLiteral("SELECT COUNT(*) %1 FROM downloads")
                            .arg(migrated ? QStringLiteral(", SUM(title <> '')") : QString()),
                        db);
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), records);
        if (migrated)
            QCOMPARE(query.value(1).toInt(), records);
    }

    // Every row reads back as it was written: all plain or all
    // percent-encoded, never a mix.
    static void checkConsistent(const QString &library, int rowCount, bool mustBeMigrated)
    {
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(library + QStringLiteral("/library.db"));
            QVERIFY(db.open());
            const bool migrated = db.tables().contains(QStringLiteral("zelta"));
            if (mustBeMigrated)
                QVERIFY(migrated);
            QSqlQuery query(QStringLiteral("SELECT id, title FROM library ORDER BY id"), db);
            int n = 0;
            while (query.next()) {
                const QString raw = query.value(1).toString();
                const QString expected = QStringLiteral("Clip %1 & friends").arg(n);
                QCOMPARE(migrated ? QUrl::fromPercentEncoding(raw.toLatin1()) : raw, expected);
                ++n;
            }
            QCOMPARE(n, rowCount);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
    }
};

QTEST_GUILESS_MAIN(TestLibraryDatabase)
#include "tst_librarydatabase.moc"
