#include "LibraryGenerator.h"

#include "TestDatabase.h"
#include "library/Library.h"
#include "library/LibraryItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>

namespace {

const QStringList kWords = {"Sunset", "Beach",  "Night",  "City",   "Summer",  "Winter", "Garden",
                            "Ocean",  "Dance",  "Party",  "Studio", "Morning", "Secret", "Lounge",
                            "Desert", "Island", "Forest", "River",  "Road",    "Trip",   "Dream",
                            "Story",  "Light",  "Shadow", "Velvet", "Silver",  "Golden"};
const QStringList kCategories = {"Outdoor", "Indoor",  "Couples", "Solo",   "Classic",
                                 "HD",      "Vintage", "Travel",  "Comedy", "Drama",
                                 "Music",   "Sports",  "Fashion", "Art",    "Nature"};
const QStringList kNames = {"Anna", "Bella", "Carla", "Dana", "Eva",  "Fiona", "Gina",
                            "Hana", "Iris",  "Jana",  "Kira", "Lena", "Mia",   "Nora"};
const QString kRareWord = QStringLiteral("Quokka");

QString pick(const QStringList &list, QRandomGenerator &random)
{
    return list.at(random.bounded(int(list.size())));
}

} // namespace

namespace LibraryGenerator {

QString rareWord()
{
    return kRareWord;
}

void generate(const LibraryLocation &library, int rows)
{
    const QString folder = library.folder();
    QRandomGenerator random(42);
    QSqlDatabase db = TestDatabase::database(library);
    db.transaction();
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral(
        "INSERT INTO library (thumbnailPath, title, sizeInBytes, creationDate, mediaLengthInSecs, "
        "description, videoPath, guid, coverPath, dvdTitle, categories, stars, duration, "
        "downloaded) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < rows; ++i) {
        QString title = pick(kWords, random) + QLatin1Char(' ') + pick(kWords, random) +
                        QStringLiteral(" %1").arg(i % 40 + 1);
        if (i % 20000 == 7)
            title += QLatin1Char(' ') + kRareWord;
        const QString dvd = pick(kWords, random) + QStringLiteral(" Vol. %1").arg(i % 300);
        const QString path = folder + QStringLiteral("/%1/scene %2.mp4").arg(dvd).arg(i);
        const int seconds = 60 + random.bounded(3600);
        LibraryItem item;
        item.thumbnailPath(path.chopped(4) + QStringLiteral("-thumb.jpg"));
        item.title(title);
        item.sizeInBytes(quint32(random.bounded(50000000) + 1000000));
        item.creationDate(quint32(1200000000 + i * 60));
        item.mediaLengthInSecs(quint32(seconds));
        item.description(QStringLiteral("A %1 scene in the %2.")
                             .arg(pick(kWords, random).toLower(), pick(kWords, random).toLower()));
        item.videoPath(path);
        item.guid(QStringLiteral("guid-%1").arg(i));
        item.coverPath(path.chopped(4) + QStringLiteral("-cover.jpg"));
        item.dvdTitle(dvd);
        item.categories(pick(kCategories, random) + QStringLiteral(", ") +
                        pick(kCategories, random));
        item.stars(pick(kNames, random) + QStringLiteral(", ") + pick(kNames, random));
        item.duration(QStringLiteral("%1:%2")
                          .arg(seconds / 60, 2, 10, QLatin1Char('0'))
                          .arg(seconds % 60, 2, 10, QLatin1Char('0')));
        item.downloaded(true);
        const QSqlRecord record = item.toRecord();
        for (int c = 0; c < record.count(); ++c)
            insert.addBindValue(record.value(c));
        insert.exec();
    }
    db.commit();
}

LibraryLocation createLibrary(const QString &base, int rows)
{
    const LibraryLocation library = TestDatabase::setUpHome(base);
    QTextStream out(stdout);
    out << "Generating " << rows << " rows...\n";
    out.flush();
    generate(library, rows);
    return library;
}

bool createVideoFiles(const LibraryLocation &library)
{
    QSqlDatabase db = TestDatabase::database(library);
    QSqlQuery paths(db);
    if (!paths.exec(QStringLiteral("SELECT videoPath FROM library")))
        return false;
    QSet<QString> folders;
    while (paths.next()) {
        const QString path = LibraryItem::decode(paths.value(0).toString());
        const QString folder = QFileInfo(path).absolutePath();
        if (!folders.contains(folder)) {
            if (!QDir().mkpath(folder))
                return false;
            folders.insert(folder);
        }
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

} // namespace LibraryGenerator
