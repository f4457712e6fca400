#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "core/TaskTracker.h"
#include "engines/Engines.h"
#include "library/ImportController.h"
#include "library/ImportSession.h"
#include "library/IntegrityChecker.h"
#include "library/Library.h"
#include "library/LibraryModel.h"
#include "library/LibraryReader.h"
#include "library/LibraryRemoval.h"
#include "library/LibraryStore.h"
#include "library/MetaDataBuilder.h"
#include "library/MetaDataModel.h"
#include "library/SubtitleImport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <functional>

namespace {

const char *const kUsage = "zelta-cli library init\n"
                           "       zelta-cli library import PATH...\n"
                           "       zelta-cli library list [--sort date|length|name] [--asc]\n"
                           "       zelta-cli library find TEXT\n"
                           "       zelta-cli library remove ID\n"
                           "       zelta-cli library position ID [SECONDS]\n"
                           "       zelta-cli library check\n"
                           "       zelta-cli library categories|titles";

// Runs the event loop until the library has no work left.
void waitUntilIdle(Library &library)
{
    library.tasks()->waitForIdle();
    library.model()->reload();
}

int rowId(const Library &library, int row)
{
    return int(library.model()->idOf(row));
}

// One output field: tabs and line breaks in a value would split the record.
QString field(QString text)
{
    for (QChar &c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return text;
}

QStringList fields(int id, const LibraryItem &item)
{
    QStringList values = {QString::number(id),
                          item.title(),
                          item.duration(),
                          item.dvdTitle(),
                          item.stars(),
                          item.categories(),
                          QString::number(item.sizeInBytes()),
                          item.videoPath(),
                          item.thumbnailPath()};
    for (QString &value : values)
        value = field(value);
    return values;
}

int importPaths(Library &library, const QStringList &paths)
{
    library.model()->reload();
    int lastId = 0;
    for (int row = 0; row < library.model()->rowCount(); ++row)
        lastId = qMax(lastId, rowId(library, row));
    bool failed = false;
    QStringList chosen;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        // A subtitle comes with its video, never alone.
        if ((!info.exists() && !info.isSymLink()) ||
            (!info.isDir() && SubtitleImport::isSubtitleFile(path))) {
            CliContext::fail(QStringLiteral("cannot import %1").arg(path));
            failed = true;
            continue;
        }
        chosen << info.absoluteFilePath();
    }
    // The same import as the library page's: videos and their subtitles
    // only, links and bounds checked, and a summary of what stayed out.
    ImportSession session(library.imports());
    ImportReport report;
    bool finished = chosen.isEmpty();
    QObject::connect(&session, &ImportSession::finished, &session, [&](const ImportReport &result) {
        report = result;
        finished = true;
    });
    session.add(chosen);
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    waitUntilIdle(library);
    for (int row = library.model()->rowCount() - 1; row >= 0; --row) {
        const int id = rowId(library, row);
        if (id <= lastId)
            continue;
        const LibraryItem item = library.model()->item(row);
        CliContext::print(
            {QString::number(id), field(item.title()), item.duration(), field(item.videoPath())});
    }
    if (report.skipped() > 0)
        CliContext::printLine(report.summary());
    return failed || report.hasFailures() ? CliContext::Failure : CliContext::Success;
}

// Prints one row per call of the visitor, as `list` and `find` show them.
LibraryReader::Visitor printRow()
{
    return [](int id, const LibraryItem &item) { CliContext::print(fields(id, item)); };
}

// Runs a reader over the store's connection, in its thread; false with
// `error` when the read failed.
bool readRows(LibraryStore *store, const std::function<bool(LibraryReader &)> &read, QString *error)
{
    return store->call([store, &read, error] {
        LibraryReader reader(store->connection());
        const bool done = read(reader);
        *error = reader.lastError();
        return done;
    });
}

int listRows(LibraryStore *store, const QStringList &args)
{
    LibraryModel::sortHeaders key = LibraryModel::SortDate;
    Qt::SortOrder order = Qt::DescendingOrder;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--asc")) {
            order = Qt::AscendingOrder;
        } else if (args[i] == QLatin1String("--sort") && i + 1 < args.size()) {
            const QString value = args[++i];
            if (value == QLatin1String("date"))
                key = LibraryModel::SortDate;
            else if (value == QLatin1String("length"))
                key = LibraryModel::SortDuration;
            else if (value == QLatin1String("name"))
                key = LibraryModel::SortTitle;
            else
                return CliContext::usage(QString::fromLatin1(kUsage));
        } else {
            return CliContext::usage(QString::fromLatin1(kUsage));
        }
    }
    QString error;
    if (!readRows(
            store, [&](LibraryReader &reader) { return reader.sorted(key, order, printRow()); },
            &error))
        return CliContext::fail(QStringLiteral("cannot read the library: %1").arg(error));
    return CliContext::Success;
}

int findRows(LibraryStore *store, const QString &text)
{
    QString error;
    if (!readRows(
            store, [&](LibraryReader &reader) { return reader.find(text, printRow()); }, &error))
        return CliContext::fail(QStringLiteral("cannot search the library: %1").arg(error));
    return CliContext::Success;
}

int removeRow(Library &library, const QString &idText)
{
    bool ok = false;
    const int id = idText.toInt(&ok);
    if (!ok)
        return CliContext::usage(QString::fromLatin1(kUsage));
    library.model()->reload();
    const int row = library.model()->rowOfId(id);
    if (row < 0)
        return CliContext::fail(QStringLiteral("no video with id %1").arg(id));
    library.removal()->removeItem(row, true);
    waitUntilIdle(library);
    return CliContext::Success;
}

// Seconds with the milliseconds only where there are some ("20", "20.5").
QString secondsText(qint64 ms)
{
    if (ms % 1000 == 0)
        return QString::number(ms / 1000);
    QString text = QString::number(double(ms) / 1000.0, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    return text;
}

// Prints where playback of a video stopped and how often it was watched to
// the end; with `secondsArg`, stores that position first (clamped to the
// video's length, 0 clears it).
int playPosition(LibraryStore &store, const QString &idText, const QString &secondsArg)
{
    bool ok = false;
    const qlonglong id = idText.toLongLong(&ok);
    if (!ok)
        return CliContext::usage(QString::fromLatin1(kUsage));
    double seconds = 0;
    if (!secondsArg.isNull()) {
        seconds = secondsArg.toDouble(&ok);
        if (!ok || seconds < 0 || !qIsFinite(seconds))
            return CliContext::usage(QString::fromLatin1(kUsage));
    }
    const LibraryStore::Rows rows = store.call([&] { return store.readIds({id}); });
    if (rows.isEmpty())
        return CliContext::fail(QStringLiteral("no video with id %1").arg(id));
    LibraryStore::Row row = rows.first();
    if (!secondsArg.isNull()) {
        qint64 ms = qint64(seconds * 1000.0 + 0.5);
        const qint64 length = row.value(LibraryStore::MediaLengthInSecs).toLongLong() * 1000;
        if (length > 0)
            ms = qMin(ms, length);
        if (!store.call([&] { return store.setPlayPosition(id, ms); }))
            return CliContext::fail(QStringLiteral("cannot store the position of %1").arg(id));
        row[LibraryStore::PlayPosition] = ms;
    }
    CliContext::print({secondsText(row.value(LibraryStore::PlayPosition).toLongLong()),
                       QString::number(row.value(LibraryStore::WatchedCount).toInt())});
    return CliContext::Success;
}

int checkLibrary(Library &library)
{
    library.startIntegrityCheck();
    waitUntilIdle(library);
    const IntegrityChecker *checker = library.integrityChecker();
    CliContext::printLine(QStringLiteral("removed %1").arg(checker->removedCount()));
    CliContext::printLine(QStringLiteral("imported %1").arg(checker->importedCount()));
    return CliContext::Success;
}

int listNames(Library &library, bool categories)
{
    library.metaDataBuilder()->build();
    waitUntilIdle(library);
    MetaDataModel model(categories ? QStringLiteral("category") : QStringLiteral("title"),
                        categories ? QStringLiteral("categories") : QStringLiteral("dvd_titles"),
                        QString(), nullptr, library.store(), MetaDataModel::Reading::Waiting);
    for (int row = 1; row < model.rowCount(); ++row) {
        const QString name = model.index(row).data().toString();
        if (!name.isEmpty())
            CliContext::printLine(name);
    }
    return CliContext::Success;
}

} // namespace

int runLibraryCommand(CliContext &context, const QStringList &args)
{
    const QString command = args.value(0);
    const QStringList rest = args.mid(1);
    if (command == QLatin1String("init") && rest.isEmpty()) {
        if (!context.openLibrary(true))
            return CliContext::Failure;
        const QString upgradeProblem = context.engines().upgradeProblem();
        if (!upgradeProblem.isEmpty())
            return CliContext::fail(upgradeProblem);
        CliContext::printLine(context.engines().location().databaseFile());
        return CliContext::Success;
    }

    const bool changes = command == QLatin1String("import") || command == QLatin1String("remove") ||
                         command == QLatin1String("check") ||
                         (command == QLatin1String("position") && rest.size() == 2);
    const bool known =
        (command == QLatin1String("import") && !rest.isEmpty()) ||
        (command == QLatin1String("list")) ||
        (command == QLatin1String("find") && rest.size() == 1) ||
        (command == QLatin1String("remove") && rest.size() == 1) ||
        (command == QLatin1String("position") && (rest.size() == 1 || rest.size() == 2)) ||
        ((command == QLatin1String("check") || command == QLatin1String("categories") ||
          command == QLatin1String("titles")) &&
         rest.isEmpty());
    if (!known)
        return CliContext::usage(QString::fromLatin1(kUsage));
    if (!context.openLibrary(changes))
        return CliContext::Failure;
    // Reading rows needs the database only, not the library engine.
    LibraryStore *store = context.engines().store();
    if (command == QLatin1String("list"))
        return listRows(store, rest);
    if (command == QLatin1String("find"))
        return findRows(store, rest.first());
    if (command == QLatin1String("position"))
        return playPosition(*store, rest.first(), rest.size() == 2 ? rest.at(1) : QString());

    Library &library = *context.engines().library();
    if (command == QLatin1String("import"))
        return importPaths(library, rest);
    if (command == QLatin1String("remove"))
        return removeRow(library, rest.first());
    if (command == QLatin1String("check"))
        return checkLibrary(library);
    return listNames(library, command == QLatin1String("categories"));
}
