#include "TestSupport.h"
#include "library/LibraryItem.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class TestLibraryCli : public QObject
{
    Q_OBJECT

private:
    QString m_cli;
    QString m_library;

    // Runs zelta-cli; returns the stdout lines split into fields.
    QList<QStringList> cli(const QStringList &args, int expectedExit = 0)
    {
        QByteArray out;
        QByteArray err;
        const int code = TestSupport::run(m_cli, args, &out, &err, 120000);
        if (code != expectedExit)
            qWarning() << "zelta-cli" << args << "exit" << code << err;
        [&] { QCOMPARE(code, expectedExit); }();
        QList<QStringList> rows;
        for (const QByteArray &line : out.split('\n')) {
            if (!line.isEmpty())
                rows << QString::fromUtf8(line).split(QLatin1Char('\t'));
        }
        return rows;
    }

    void setCategories(const QString &title, const QString &categories)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "cli-test");
        db.setDatabaseName(m_library + QStringLiteral("/library.db"));
        QVERIFY(db.open());
        {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("UPDATE library SET categories=?, dvdTitle=? WHERE "
                                         "title=?"));
            query.addBindValue(LibraryItem::encode(categories));
            query.addBindValue(LibraryItem::encode(QStringLiteral("Box Set")));
            query.addBindValue(LibraryItem::encode(title));
            QVERIFY(query.exec());
        }
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("cli-test"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_cli = TestSupport::builtProgram(QStringLiteral("zelta-cli"));
        QVERIFY(!m_cli.isEmpty());
        m_library = QDir::home().absoluteFilePath(QStringLiteral("My Library"));
    }

    void libraryCommands()
    {
        const QString mp4 = TestSupport::sampleClip(QStringLiteral("cli-6s.mp4"), 6);
        const QString flv = TestSupport::sampleClip(QStringLiteral("cli-3s.flv"), 3);
        QVERIFY(!mp4.isEmpty() && !flv.isEmpty());
        QTemporaryDir source;
        QVERIFY(QFile::copy(mp4, source.filePath(QStringLiteral("clip one.mp4"))));
        QDir(source.path()).mkdir(QStringLiteral("folder"));
        QVERIFY(QFile::copy(flv, source.filePath(QStringLiteral("folder/second.flv"))));

        const auto imported =
            cli({"library", "import", source.filePath("clip one.mp4"), source.filePath("folder")});
        QCOMPARE(imported.size(), 2);
        QMap<QString, QStringList> byTitle;
        for (const QStringList &row : imported)
            byTitle.insert(row.value(1), row);
        QCOMPARE(byTitle.value("clip one").value(2), QStringLiteral("00:06"));
        QCOMPARE(byTitle.value("clip one").value(3), m_library + QStringLiteral("/clip one.mp4"));
        QCOMPARE(byTitle.value("second").value(2), QStringLiteral("00:03"));

        const auto list = cli({"library", "list", "--sort", "name", "--asc"});
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[0].size(), 9);
        QCOMPARE(list[0][1], QStringLiteral("clip one"));
        QCOMPARE(list[1][1], QStringLiteral("second"));
        QCOMPARE(list[0][8], m_library + QStringLiteral("/clip one.mp4-thumb.jpg"));
        QCOMPARE(list[0][6], QString::number(QFileInfo(mp4).size()));
        QCOMPARE(cli({"library", "list", "--sort", "name"}).value(0).value(1),
                 QStringLiteral("second"));

        const auto found = cli({"library", "find", "clip one"});
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0][0], byTitle.value("clip one").value(0));
        QVERIFY(cli({"library", "find", "it's"}).isEmpty());

        RUN_CHECKED(setCategories(QStringLiteral("second"), QStringLiteral("Beach, Sun")));
        QCOMPARE(cli({"library", "categories"}), (QList<QStringList>{{"Beach"}, {"Sun"}}));
        QCOMPARE(cli({"library", "titles"}), QList<QStringList>{{"Box Set"}});

        // Play positions: read, set (kept within the video's length), cleared.
        const QString clipId = byTitle.value("clip one").value(0);
        QCOMPARE(cli({"library", "position", clipId}), (QList<QStringList>{{"0", "0"}}));
        QCOMPARE(cli({"library", "position", clipId, "4.25"}), (QList<QStringList>{{"4.25", "0"}}));
        QCOMPARE(cli({"library", "position", clipId}), (QList<QStringList>{{"4.25", "0"}}));
        QCOMPARE(cli({"library", "position", clipId, "600"}), (QList<QStringList>{{"6", "0"}}));
        QCOMPARE(cli({"library", "position", clipId, "0"}), (QList<QStringList>{{"0", "0"}}));
        cli({"library", "position", "9999"}, 1);
        cli({"library", "position", clipId, "-3"}, 2);
        cli({"library", "position", clipId, "soon"}, 2);
        cli({"library", "position", "x"}, 2);

        const QString secondId = byTitle.value("second").value(0);
        QVERIFY(cli({"library", "remove", secondId}).isEmpty());
        QVERIFY(!QFile::exists(m_library + QStringLiteral("/second.flv")));
        QCOMPARE(cli({"library", "list"}).size(), 1);
        cli({"library", "remove", "9999"}, 1);
        cli({"library", "remove"}, 2);
        cli({"library", "list", "--sort", "size"}, 2);

        // A video deleted by hand and one dropped in by hand.
        QVERIFY(QFile::remove(m_library + QStringLiteral("/clip one.mp4")));
        QDir(m_library).mkdir(QStringLiteral("Dropped"));
        QVERIFY(QFile::copy(flv, m_library + QStringLiteral("/Dropped/new.flv")));
        QCOMPARE(cli({"library", "check"}), (QList<QStringList>{{"removed 1"}, {"imported 1"}}));
        const auto after = cli({"library", "list"});
        QCOMPARE(after.size(), 1);
        QCOMPARE(after[0][1], QStringLiteral("new"));
        QCOMPARE(after[0][3], QStringLiteral("Dropped"));
        QCOMPARE(cli({"library", "titles"}), QList<QStringList>{{"Dropped"}});
    }
};

QTEST_GUILESS_MAIN(TestLibraryCli)
#include "tst_librarycli.moc"
