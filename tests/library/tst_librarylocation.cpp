// Where the library lives, and the one rule every part that writes or deletes
// there follows: what lies inside the library folder, links resolved.
#include "library/LibraryLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestLibraryLocation : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    LibraryLocation m_library;

    QString inHome(const QString &relative) const { return m_home.filePath(relative); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_library = LibraryLocation::setUp(m_home.path());
        const QDir home(m_home.path());
        QVERIFY(home.mkpath(QStringLiteral("My Library/Set")));
        QVERIFY(home.mkpath(QStringLiteral("My Library2")));
        QVERIFY(home.mkpath(QStringLiteral("Elsewhere")));
        QVERIFY(QFile::link(inHome(QStringLiteral("Elsewhere")),
                            inHome(QStringLiteral("My Library/Out"))));
        QVERIFY(QFile::link(inHome(QStringLiteral("My Library/Set")),
                            inHome(QStringLiteral("Elsewhere/In"))));
        QVERIFY(
            QFile::link(inHome(QStringLiteral("My Library")), inHome(QStringLiteral("Linked"))));
    }

    void setUpMakesTheFolders()
    {
        QCOMPARE(m_library.folder(), QDir(m_home.path()).absoluteFilePath("My Library"));
        QVERIFY(QFileInfo(m_library.folder()).isDir());
        QVERIFY(QFileInfo(m_library.cacheFolder()).isDir());
        QCOMPARE(QFileInfo(m_library.databaseFile()).absolutePath(), m_library.folder());
    }

    void contains_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("inside");
        QTest::addColumn<bool>("isFolder");
        QTest::newRow("a file") << "My Library/a.mp4" << true << false;
        QTest::newRow("a file not made yet, in a subfolder")
            << "My Library/Set/new.mp4" << true << false;
        QTest::newRow("the folder itself") << "My Library" << false << true;
        QTest::newRow("the folder through a link") << "Linked" << false << true;
        QTest::newRow("a file through a link to the folder") << "Linked/a.mp4" << true << false;
        QTest::newRow("a sibling sharing the name's start")
            << "My Library2/a.mp4" << false << false;
        QTest::newRow("out by ..") << "My Library/../Elsewhere/a.mp4" << false << false;
        QTest::newRow("a link inside leading out") << "My Library/Out/a.mp4" << false << false;
        QTest::newRow("a link outside leading in") << "Elsewhere/In/a.mp4" << true << false;
        QTest::newRow("empty") << "" << false << false;
    }

    void contains()
    {
        QFETCH(QString, path);
        QFETCH(bool, inside);
        QFETCH(bool, isFolder);
        const QString full = path.isEmpty() ? QString() : inHome(path);
        QCOMPARE(m_library.contains(full), inside);
        QCOMPARE(m_library.isFolder(full), isFolder);
    }

    void anEmptyLocationHoldsNothing()
    {
        const LibraryLocation none;
        QVERIFY(none.isEmpty());
        QVERIFY(!none.contains(inHome(QStringLiteral("My Library/a.mp4"))));
        QVERIFY(!none.isFolder(QDir::currentPath()));
    }
};

QTEST_GUILESS_MAIN(TestLibraryLocation)
#include "tst_librarylocation.moc"
