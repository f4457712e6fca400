// Times the library's main operations on a generated library of 100,000 rows
// and compares its search with the same query run by the sqlite3 program, in
// process and as whole `zelta-cli library` processes.
//
//   bench_library                  the table
//   bench_library --generate HOME  only writes the library into HOME/My Library
//   bench_library --quick          2,000 rows, one run each (run by CTest)
#include "BenchRun.h"
#include "LibraryGenerator.h"
#include "TestDatabase.h"
#include "library/ImportController.h"
#include "library/ImportSession.h"
#include "library/Library.h"
#include "library/LibraryFilterModel.h"
#include "library/LibraryItem.h"
#include "library/LibraryModel.h"
#include "library/LibraryReader.h"
#include "library/LibraryRemoval.h"
#include "library/LibraryStore.h"
#include "library/MetaDataBuilder.h"
#include "library/SubtitleImport.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

// The videos whose text matches `text`, as the store's search finds them.
LibraryItems findVideos(Library &library, const QString &text)
{
    LibraryStore *store = library.store();
    return store->call([store, text] { return store->find(text); });
}

constexpr int kRows = 100000;
int g_rows = kRows;
int g_maxRuns = 1000; // one in the quick mode

double timeMs(const std::function<void()> &work, int runs)
{
    runs = std::min(runs, g_maxRuns);
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times << timer.nsecsElapsed() / 1e6;
    }
    return BenchRun::median(times);
}

struct BenchRow
{
    QString name;
    double ms;
    QString target;
};

const QString kColumns = QStringLiteral(
    "id, thumbnailPath, title, sizeInBytes, creationDate, mediaLengthInSecs, description, "
    "videoPath, guid, coverPath, dvdTitle, categories, stars, duration, downloaded");

// The search statement for the sqlite3 program (the pattern as a literal).
QString findStatement(const QString &word)
{
    QString pattern = LibraryReader::findPattern(word);
    pattern.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral("SELECT %1 FROM library WHERE %2;")
        .arg(kColumns,
             LibraryReader::findCondition().replace(
                 QStringLiteral(":text"), QLatin1Char('\'') + pattern + QLatin1Char('\'')));
}

// The search statement as the sqlite3 program runs it, timed by sqlite3 itself.
double sqliteFindMs(const QString &file, const QString &word, int runs)
{
    runs = std::min(runs, g_maxRuns);
    const QString statement = findStatement(word);
    QString script = QStringLiteral(".output /dev/null\n.timer on\n");
    for (int i = 0; i < runs; ++i)
        script += statement + QLatin1Char('\n');
    QProcess sqlite;
    sqlite.setProcessChannelMode(QProcess::MergedChannels);
    sqlite.start(QStringLiteral("sqlite3"), {file});
    sqlite.write(script.toUtf8());
    sqlite.closeWriteChannel();
    sqlite.waitForFinished(600000);
    const QString output = QString::fromUtf8(sqlite.readAll());
    static const QRegularExpression timing(QStringLiteral("Run Time: real ([0-9.]+)"));
    QList<double> times;
    auto it = timing.globalMatch(output);
    while (it.hasNext())
        times << it.next().captured(1).toDouble() * 1000;
    return times.isEmpty() ? -1 : BenchRun::median(times);
}

// CPU time (user and system) of the children waited for so far.
double childCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Whole runs of a program, its output read through a pipe as a script would:
// the median wall time, and the median CPU time in `cpuMs` (which a busy
// machine disturbs less). `lines` is the line count of the last run.
double processMs(const QString &program, const QStringList &args, const QString &home, int runs,
                 int *lines, double *cpuMs)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    QList<double> times;
    QList<double> cpuTimes;
    runs = std::min(runs, g_maxRuns);
    for (int i = 0; i < runs; ++i) {
        QProcess process;
        process.setProcessEnvironment(env);
        const double cpuBefore = childCpuMs();
        QElapsedTimer timer;
        timer.start();
        process.start(program, args);
        process.waitForFinished(600000);
        const QByteArray output = process.readAllStandardOutput();
        times << timer.nsecsElapsed() / 1e6;
        cpuTimes << childCpuMs() - cpuBefore;
        *lines = int(output.count('\n'));
    }
    *cpuMs = BenchRun::median(cpuTimes);
    return BenchRun::median(times);
}

void waitForBuild(Library &library)
{
    while (library.metaDataBuilder()->isBuilding()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

// Imports a folder of `files` empty videos (every tenth with a subtitle):
// how long the window's thread takes to hand them all to the copies, the
// longest turn of its event loop meanwhile, and, as a reference, one listing
// of the folder. The encoder is kept out of reach, so no encoder runs for
// the copies and the import ends quickly (empty files are not kept).
void handFolderToImport(Library &library, int files, QList<BenchRow> *rows)
{
    QTemporaryDir source;
    const auto touch = [&source](const QString &name) {
        QFile file(source.filePath(name));
        return file.open(QIODevice::WriteOnly);
    };
    for (int i = 0; i < files; ++i) {
        touch(QStringLiteral("clip %1.mp4").arg(i));
        if (i % 10 == 0)
            touch(QStringLiteral("clip %1.en.srt").arg(i));
    }
    QElapsedTimer timer;
    timer.start();
    int listed = 0;
    QDirIterator it(source.path(), QDir::Files);
    while (it.hasNext()) {
        it.next();
        ++listed;
    }
    const double listingMs = timer.nsecsElapsed() / 1e6;

    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray());
    int queued = 0;
    const QMetaObject::Connection counting =
        QObject::connect(library.imports(), &ImportController::importQueued,
                         [&queued](const QString &source, const QString &) {
                             if (!SubtitleImport::isSubtitleFile(source))
                                 ++queued;
                         });
    double longestTurn = 0;
    timer.restart();
    library.imports()->importPaths({source.path()});
    while (queued < files) {
        QElapsedTimer turn;
        turn.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        longestTurn = std::max(longestTurn, turn.nsecsElapsed() / 1e6);
    }
    const double handMs = timer.nsecsElapsed() / 1e6;
    while (library.imports()->importSession()->isRunning() || library.isBusy())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QObject::disconnect(counting);
    qputenv("PATH", path);
    rows->append(
        {QStringLiteral("hand a folder of %1 files to the import").arg(files), handMs, QString()});
    rows->append({QStringLiteral("  longest turn of the event loop meanwhile"), longestTurn,
                  QStringLiteral("< 16 ms")});
    rows->append({QStringLiteral("  reference: one listing of the folder (%1 files)").arg(listed),
                  listingMs, QString()});
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--generate")) {
        const LibraryLocation generated = TestDatabase::setUpHome(args.at(2));
        if (generated.isEmpty())
            return 1;
        LibraryGenerator::generate(generated, kRows);
        return 0;
    }
    BenchRun run(QStringLiteral("bench_library"), args);
    g_rows = run.size(kRows, 2000);
    g_maxRuns = run.size(g_maxRuns, 1);
    run.step(QStringLiteral("generating the library"));
    QTemporaryDir dir;
    const LibraryLocation location = LibraryGenerator::createLibrary(dir.path(), g_rows);
    QTextStream out(stdout);

    QList<BenchRow> rows;

    int rowCount = 0;
    QList<double> openTimes;
    QList<double> firstFindTimes;
    run.step(QStringLiteral("opening and searching"));
    for (int i = 0; i < std::min(5, g_maxRuns); ++i) {
        QElapsedTimer timer;
        timer.start();
        auto opened = std::make_unique<Library>(location);
        // The rows come from the store's thread: until all of them are there.
        while (!opened->model()->isLoaded())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        rowCount = opened->model()->rowCount();
        openTimes << timer.nsecsElapsed() / 1e6;
        // The first search of a fresh library decodes every hit.
        timer.restart();
        findVideos(*opened, QStringLiteral("Sunset"));
        firstFindTimes << timer.nsecsElapsed() / 1e6;
        opened.reset(); // closing is not part of opening
    }
    const double openMs = BenchRun::median(openTimes);
    rows.append({QStringLiteral("open model until all rows are there (%1 rows)").arg(rowCount),
                 openMs, QStringLiteral("< 1000 ms")});

    Library library(location);
    while (!library.model()->isLoaded())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    int rareHits = 0;
    int commonHits = 0;
    const double findRare = timeMs(
        [&] { rareHits = int(findVideos(library, LibraryGenerator::rareWord()).size()); }, 9);
    const double findCommon =
        timeMs([&] { commonHits = int(findVideos(library, QStringLiteral("Sunset")).size()); }, 9);
    const double sqliteRare =
        sqliteFindMs(location.databaseFile(), LibraryGenerator::rareWord(), 9);
    const double sqliteCommon = sqliteFindMs(location.databaseFile(), QStringLiteral("Sunset"), 9);
    rows.append({QStringLiteral("find rare word (%1 hits)").arg(rareHits), findRare,
                 QStringLiteral("< 50 ms")});
    rows.append({QStringLiteral("  sqlite3 program, same query"), sqliteRare, QString()});
    rows.append({QStringLiteral("find common word (%1 hits)").arg(commonHits), findCommon,
                 QStringLiteral("< 50 ms")});
    rows.append({QStringLiteral("  sqlite3 program, same query"), sqliteCommon, QString()});
    rows.append({QStringLiteral("find common word, first search after open"),
                 BenchRun::median(firstFindTimes), QString()});

    // Whole processes, as a script runs them.
    run.step(QStringLiteral("zelta-cli and sqlite3 processes"));
    const QString cli = QStringLiteral(ZELTA_CLI_PATH);
    const QString file = location.databaseFile();
    const QStringList findArgs = {QStringLiteral("library"), QStringLiteral("find"),
                                  QStringLiteral("Sunset")};
    const QString listStatement =
        QStringLiteral("SELECT %1 FROM library ORDER BY creationDate DESC, id;").arg(kColumns);
    struct Process
    {
        QString name;
        QString program;
        QStringList args;
        int runs;
        double ms = 0;
        double cpuMs = 0;
        int lines = 0;
    };
    QList<Process> processes = {
        {QStringLiteral("zelta-cli library find common word"), cli, findArgs, 9},
        {QStringLiteral("  sqlite3 program, same query"),
         QStringLiteral("sqlite3"),
         {file, findStatement(QStringLiteral("Sunset"))},
         9},
        {QStringLiteral("zelta-cli library list"),
         cli,
         {findArgs.first(), QStringLiteral("list")},
         5},
        {QStringLiteral("  sqlite3 program, same query"),
         QStringLiteral("sqlite3"),
         {file, listStatement},
         5}};
    for (Process &process : processes) {
        process.ms = processMs(process.program, process.args, dir.path(), process.runs,
                               &process.lines, &process.cpuMs);
        const QString name = process.name + QStringLiteral(" (%1 lines)").arg(process.lines);
        rows.append({name, process.ms, QString()});
        rows.append({name + QStringLiteral(", CPU"), process.cpuMs, QString()});
    }
    rows[rows.size() - 8].target = QStringLiteral("<= 3x sqlite3");

    run.step(QStringLiteral("filters"));
    LibraryFilterModel filter;
    filter.setSourceModel(library.model());
    int nameHits = 0;
    int categoryHits = 0;
    const double nameFilter = timeMs(
        [&] {
            filter.setNameFilter(QStringLiteral("golden"));
            nameHits = filter.rowCount();
            filter.setNameFilter(QString());
        },
        3);
    const double categoryFilter = timeMs(
        [&] {
            filter.setFilter({QStringLiteral("Outdoor")}, {});
            categoryHits = filter.rowCount();
            filter.clearFilter();
        },
        3);
    filter.setSourceModel(nullptr);
    rows.append({QStringLiteral("name filter over the model (%1 rows)").arg(nameHits), nameFilter,
                 QString()});
    rows.append({QStringLiteral("category filter over the model (%1 rows)").arg(categoryHits),
                 categoryFilter, QString()});

    run.step(QStringLiteral("the metadata rebuild"));
    const double rebuild = timeMs(
        [&] {
            library.metaDataBuilder()->build();
            waitForBuild(library);
        },
        3);
    rows.append({QStringLiteral("full metadata rebuild"), rebuild, QStringLiteral("< 5000 ms")});

    run.step(QStringLiteral("removing rows"));
    // Until the model shows the row gone (the store removes it on its thread).
    const double removal = timeMs(
        [&] {
            const int before = library.model()->rowCount();
            library.removal()->removeItem(before / 2, false);
            while (library.model()->rowCount() == before)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        },
        5);
    rows.append({QStringLiteral("remove one row"), removal, QStringLiteral("< 100 ms")});

    run.step(QStringLiteral("inserting a batch"));
    LibraryStore *store = library.store();
    int batchNumber = 0;
    const double insert = timeMs(
        [&] {
            LibraryItems batch;
            for (int i = 0; i < 1000; ++i) {
                LibraryItem item;
                item.title(QStringLiteral("Batch %1").arg(i));
                item.videoPath(QStringLiteral("/batch%1/%2.mp4").arg(batchNumber).arg(i));
                item.sizeInBytes(1);
                item.creationDate(1);
                batch << item;
            }
            ++batchNumber;
            const int before = library.model()->rowCount();
            store->call([&] { return store->insertItems(batch); });
            // Until the model shows them.
            while (library.model()->rowCount() < before + 1000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        },
        3);
    rows.append({QStringLiteral("insert a batch of 1,000 records"), insert, QString()});

    run.step(QStringLiteral("handing a folder to the import"));
    handFolderToImport(library, run.size(5000, 50), &rows);

    out << QStringLiteral("\n%1 | %2 | %3\n")
               .arg(QStringLiteral("operation (median)"), -56)
               .arg(QStringLiteral("ms"), 10)
               .arg(QStringLiteral("target"));
    out << QString(88, QLatin1Char('-')) << '\n';
    for (const BenchRow &row : std::as_const(rows))
        out << QStringLiteral("%1 | %2 | %3\n")
                   .arg(row.name, -56)
                   .arg(row.ms, 10, 'f', 1)
                   .arg(row.target);
    out << QStringLiteral("\nfind / sqlite3 ratio: rare %1x, common %2x (target <= 1.5x)\n")
               .arg(findRare / sqliteRare, 0, 'f', 2)
               .arg(findCommon / sqliteCommon, 0, 'f', 2);
    out << QStringLiteral("zelta-cli / sqlite3 processes: find %1x wall, %2x CPU (target <= 3x); "
                          "list %3x wall, %4x CPU\n")
               .arg(processes[0].ms / processes[1].ms, 0, 'f', 2)
               .arg(processes[0].cpuMs / processes[1].cpuMs, 0, 'f', 2)
               .arg(processes[2].ms / processes[3].ms, 0, 'f', 2)
               .arg(processes[2].cpuMs / processes[3].cpuMs, 0, 'f', 2);
    return run.done();
}
