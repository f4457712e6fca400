// `zelta-cli library list` and `find` read the table through statements; what
// they print must be what the library engine shows for the same table: the
// same rows, in the same order (ties included), with the same decoded text.
#include "TestDatabase.h"
#include "TestSupport.h"
#include "library/Library.h"
#include "library/LibraryItem.h"
#include "library/LibraryModel.h"

#include <QDir>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include <memory>

namespace {

// The fields the command documents for a row, in its order. A title with a
// tab or a line break must still print as one line of nine fields: the two
// such titles the rows hold are given as they must read.
QStringList fieldsOf(int id, const LibraryItem &item)
{
    static const QHash<QString, QString> printed = {
        {QStringLiteral("tab\there"), QStringLiteral("tab here")},
        {QStringLiteral("line\nbreak"), QStringLiteral("line break")}};
    return {QString::number(id),
            printed.value(item.title(), item.title()),
            item.duration(),
            item.dvdTitle(),
            item.stars(),
            item.categories(),
            QString::number(item.sizeInBytes()),
            item.videoPath(),
            item.thumbnailPath()};
}

QList<QStringList> fieldsOfLines(const QStringList &lines)
{
    QList<QStringList> fields;
    for (const QString &line : lines)
        fields << line.split(QLatin1Char('\t'));
    return fields;
}

} // namespace

class TestCliReads : public QObject
{
    Q_OBJECT

private:
    LibraryLocation m_location;
    std::unique_ptr<Library> m_library;

    static QStringList cli(const QStringList &args)
    {
        QByteArray out;
        QByteArray err;
        const int code = TestSupport::run(TestSupport::builtProgram(QStringLiteral("zelta-cli")),
                                          args, &out, &err);
        if (code != 0)
            qWarning() << args << code << err;
        QStringList lines = QString::fromUtf8(out).split(QLatin1Char('\n'));
        lines.removeAll(QString());
        return code == 0 ? lines : QStringList{QStringLiteral("exit %1").arg(code)};
    }

    int idOf(int row) const { return int(m_library->model()->idOf(row)); }

    // Rows with ties in every sort key, text that needs encoding, a guid
    // shared by two rows and a row of nothing but NULLs.
    void fill()
    {
        QSqlQuery insert(TestDatabase::database(m_location));
        QVERIFY(insert.prepare(QStringLiteral(
            "INSERT INTO library (thumbnailPath, title, sizeInBytes, creationDate, "
            "mediaLengthInSecs, description, videoPath, guid, coverPath, dvdTitle, categories, "
            "stars, duration, downloaded) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")));
        const QStringList titles = {QStringLiteral("Sunset Beach"), QStringLiteral("100% Sunset"),
                                    QStringLiteral("under_score"),  QStringLiteral("Über Nacht"),
                                    QStringLiteral("tab\there"),    QStringLiteral("line\nbreak"),
                                    QStringLiteral("Sunset Beach")};
        for (int i = 0; i < 60; ++i) {
            LibraryItem item;
            item.title(titles.at(i % titles.size()));
            item.description(i % 5 == 0 ? QStringLiteral("a quiet night") : QString());
            item.videoPath(QStringLiteral("/videos/%1/clip %2.mp4").arg(i % 4).arg(i));
            item.thumbnailPath(QStringLiteral("/videos/%1/clip %2.jpg").arg(i % 4).arg(i));
            item.guid(QStringLiteral("guid-%1").arg(i % 50)); // ten guids twice
            item.dvdTitle(QStringLiteral("Vol. %1").arg(i % 3));
            item.categories(i % 2 ? QStringLiteral("Beach, HD") : QStringLiteral("Night"));
            item.stars(i % 3 ? QStringLiteral("Anna") : QStringLiteral("Bea_trice"));
            item.sizeInBytes(quint32(1000 + i % 7));
            item.creationDate(quint32(1700000000 + i % 6));
            item.duration(QStringLiteral("%1:00").arg(i % 9, 2, 10, QLatin1Char('0')));
            item.downloaded(i % 2);
            const QSqlRecord record = item.toRecord();
            for (int c = 0; c < record.count(); ++c)
                insert.addBindValue(record.value(c));
            QVERIFY2(insert.exec(), qPrintable(QString::number(i)));
        }
        QVERIFY(QSqlQuery(TestDatabase::database(m_location))
                    .exec(QStringLiteral("INSERT INTO library (title) VALUES (NULL)")));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_location = TestDatabase::setUpHome(QString());
        QVERIFY(!m_location.isEmpty());
        RUN_CHECKED(fill());
        m_library = std::make_unique<Library>(m_location);
        QTRY_COMPARE_WITH_TIMEOUT(m_library->model()->rowCount(), 61, TestSupport::SlowWaitMs);
    }

    void cleanupTestCase() { m_library.reset(); }

    void listMatchesTheLibraryOrder_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("order");
        QTest::newRow("default") << QStringList{} << int(LibraryModel::SortDate)
                                 << int(Qt::DescendingOrder);
        QTest::newRow("date asc") << QStringList{"--sort", "date", "--asc"}
                                  << int(LibraryModel::SortDate) << int(Qt::AscendingOrder);
        QTest::newRow("length") << QStringList{"--sort", "length"}
                                << int(LibraryModel::SortDuration) << int(Qt::DescendingOrder);
        QTest::newRow("length asc") << QStringList{"--asc", "--sort", "length"}
                                    << int(LibraryModel::SortDuration) << int(Qt::AscendingOrder);
        QTest::newRow("name") << QStringList{"--sort", "name"} << int(LibraryModel::SortTitle)
                              << int(Qt::DescendingOrder);
        QTest::newRow("name asc") << QStringList{"--sort", "name", "--asc"}
                                  << int(LibraryModel::SortTitle) << int(Qt::AscendingOrder);
    }

    void listMatchesTheLibraryOrder()
    {
        QFETCH(QStringList, args);
        QFETCH(int, key);
        QFETCH(int, order);
        m_library->model()->onSort(LibraryModel::sortHeaders(key), Qt::SortOrder(order));
        QList<QStringList> expected;
        for (int row = 0; row < m_library->model()->rowCount(); ++row)
            expected << fieldsOf(idOf(row), m_library->model()->item(row));
        QCOMPARE(fieldsOfLines(cli(QStringList{"library", "list"} + args)), expected);
    }

    void findMatchesTheLibrarySearch_data()
    {
        QTest::addColumn<QString>("text");
        for (const char *text : {"Sunset", "sunset", "%", "_", "Über", "Bea_t", "quiet", "HD",
                                 "tab\there", "nothing at all"})
            QTest::newRow(text) << QString::fromUtf8(text);
    }

    void findMatchesTheLibrarySearch()
    {
        QFETCH(QString, text);
        QHash<QString, int> ids;
        for (int row = 0; row < m_library->model()->rowCount(); ++row)
            ids.insert(m_library->model()->item(row).videoPath(), idOf(row));
        QList<QStringList> expected;
        LibraryStore *store = m_library->store();
        for (const LibraryItem &item : store->call([store, text] { return store->find(text); }))
            expected << fieldsOf(ids.value(item.videoPath()), item);
        QCOMPARE(fieldsOfLines(cli({QStringLiteral("library"), QStringLiteral("find"), text})),
                 expected);
    }
};

QTEST_GUILESS_MAIN(TestCliReads)
#include "tst_clireads.moc"
