// The library page over a generated library of 100,000 rows: time to show
// it, paint time per frame while scrolling the tiles from top to bottom, a
// keystroke in the search field until the filtered tiles are painted, and the
// longest stall of the GUI thread during the index build (with the
// "already in the library?" check asked meanwhile), while 100 files are
// imported and during the integrity check. References in
// the same run: the plain SQLite read of the rows, the same search as an SQL
// count, and the GUI thread's heartbeat while idle.
// "--quick": 500 rows, 2 imports, 20 frames (run by CTest); "--page-only":
// ends once all rows are there (for a profiler).
#include "BenchRun.h"
#include "LibraryGenerator.h"
#include "RunUntil.h"
#include "TestDatabase.h"
#include "core/LoggingPrompt.h"
#include "core/Platform.h"
#include "gui/library/LibraryTableSortModel.h"
#include "gui/library/LibraryView.h"
#include "gui/library/LibraryWidget.h"
#include "gui/mainwindow/CorvLibSearchWidget.h"
#include "library/ImportController.h"
#include "library/IntegrityChecker.h"
#include "library/Library.h"
#include "library/LibraryItem.h"
#include "library/LibraryModel.h"
#include "library/LibraryReader.h"
#include "library/MetaDataBuilder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QLineEdit>
#include <QMap>
#include <QProcess>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

namespace {

int kRows = 100000;
int kImports = 100;
int kScrollFrames = 1500;
constexpr int kHeartbeatMs = 5;
// The longest any one wait for the program may take (the watchdog of each
// step ends a run that hangs sooner).
constexpr int kWaitMs = 600000;

double quantile(QList<double> values, double q)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    return values.at(std::min<qsizetype>(values.size() - 1, qsizetype(q * values.size())));
}

double msSince(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// Records whether a widget has painted since the last reset.
class PaintProbe : public QObject
{
public:
    explicit PaintProbe(QWidget *widget) { widget->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

// Pages the GUI thread has had to wait for the disk to bring in (code or
// data not in memory): a stall with little CPU and many of them waited on the
// disk, not on the program.
long threadMajorFaults()
{
    rusage usage{};
    return getrusage(RUSAGE_THREAD, &usage) == 0 ? usage.ru_majflt : 0;
}

// How long the GUI thread has waited, ready to run, for a CPU (the
// kernel's scheduler statistics; 0 where there are none). The file is opened
// once, from the GUI thread, and read in place: opening it anew on every
// tick took up to 0.1 s while the disk was busy, which the heartbeat then
// counted as a stall of the program.
double threadRunWaitMs()
{
    static const int stats = ::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
    if (stats < 0)
        return 0;
    char text[128] = {};
    const ssize_t size = ::pread(stats, text, sizeof text - 1, 0);
    if (size <= 0)
        return 0;
    const QList<QByteArray> fields = QByteArray(text, size).split(' ');
    return fields.size() > 1 ? fields.at(1).toDouble() / 1e6 : 0;
}

// The longest gap between the ticks of a fast timer of the GUI thread, the
// most CPU time the thread spent within one gap (a gap with little of it
// is the machine busy elsewhere), and what the program did last before
// each long gap.
class Heartbeat
{
public:
    struct Gap
    {
        double wallMs = 0;
        double cpuMs = 0;
        // Of the longest gap: the time the thread was ready but had no CPU;
        // what is neither that nor its CPU time, it waited on something.
        double runWaitMs = 0;
        // Of the longest gap: pages read from disk for the thread.
        long majorFaults = 0;
    };

    Heartbeat()
    {
        m_timer.setInterval(kHeartbeatMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const double runWait = threadRunWaitMs();
            const Gap gap{msSince(m_clock), BenchRun::threadCpuMs() - m_cpu, runWait - m_runWait,
                          threadMajorFaults() - m_faults};
            if (gap.wallMs > m_longest.wallMs) {
                m_longest.wallMs = gap.wallMs;
                // Where it lies on the monotonic clock, for a profile of it.
                timespec ts{};
                clock_gettime(CLOCK_MONOTONIC, &ts);
                const qint64 now = qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
                m_longestWindow = QStringLiteral("%1..%2 s")
                                      .arg((now - qint64(gap.wallMs) - 1) / 1e3, 0, 'f', 3)
                                      .arg((now + 1) / 1e3, 0, 'f', 3);
                m_longest.runWaitMs = gap.runWaitMs;
                m_longest.majorFaults = gap.majorFaults;
            }
            m_longest.cpuMs = std::max(m_longest.cpuMs, gap.cpuMs);
            if (gap.wallMs > kLongGapMs && gap.wallMs > m_causes.value(m_lastEvent).wallMs)
                m_causes[m_lastEvent] = gap;
            m_clock.restart();
            m_cpu = BenchRun::threadCpuMs();
            m_runWait = threadRunWaitMs();
            m_faults = threadMajorFaults();
        });
    }
    void start()
    {
        m_longest = {};
        m_causes.clear();
        m_lastEvent = QStringLiteral("start");
        m_clock.start();
        m_cpu = BenchRun::threadCpuMs();
        m_runWait = threadRunWaitMs();
        m_faults = threadMajorFaults();
        m_timer.start();
    }
    Gap stop()
    {
        m_timer.stop();
        if (m_longest.wallMs > 0)
            QTextStream(stderr) << "longest gap at " << m_longestWindow << '\n';
        return m_longest;
    }
    void note(const QString &event) { m_lastEvent = event; }
    // The longest gap after each kind of event, for gaps over kLongGapMs.
    QMap<QString, Gap> causes() const { return m_causes; }

private:
    static constexpr double kLongGapMs = 30;
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_cpu = 0;
    double m_runWait = 0;
    long m_faults = 0;
    Gap m_longest;
    QString m_longestWindow;
    QString m_lastEvent;
    QMap<QString, Gap> m_causes;
};

// The application, timing each event it hands out from the event loop
// (nested ones count in the one they are part of): the slowest kinds of
// event while recording, for finding what a stall is made of.
class TimedApplication : public QApplication
{
public:
    using QApplication::QApplication;

    void record()
    {
        m_slowest.clear();
        m_slowestCpu.clear();
        m_tagged.clear();
        m_slowestTagged = 0;
        m_recording = true;
    }
    // Names what the event being handled did (a model signal, say), so the
    // slowest events of one receiver can be told apart.
    void tag(const QString &what)
    {
        if (m_recording && m_depth > 0)
            m_tag += (m_tag.isEmpty() ? QString() : QStringLiteral(" ")) + what;
    }
    // The receiver whose events are told apart by their tags.
    void tagEventsOf(const QObject *receiver) { m_taggedReceiver = receiver; }
    // The slowest three kinds of event since record(), by wall time and by
    // the GUI thread's CPU time, as text.
    QString stop()
    {
        m_recording = false;
        QString text =
            QStringLiteral("%1; by CPU: %2").arg(slowest(m_slowest), slowest(m_slowestCpu));
        if (!m_tagged.isEmpty())
            text += QStringLiteral("; tagged, by CPU: ") + slowest(m_tagged) +
                    QStringLiteral(" (slowest at %1)").arg(m_slowestWindow);
        return text;
    }

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (!m_recording || m_depth > 0 || QThread::currentThread() != thread())
            return QApplication::notify(receiver, event);
        ++m_depth;
        QElapsedTimer timer;
        timer.start();
        const double cpu = BenchRun::threadCpuMs();
        // A timer is named after the object that owns it.
        const QObject *owner =
            qobject_cast<QTimer *>(receiver) && receiver->parent() ? receiver->parent() : receiver;
        QString kind = QString::fromLatin1(receiver->metaObject()->className());
        if (owner != receiver)
            kind +=
                QStringLiteral("(%1)").arg(QString::fromLatin1(owner->metaObject()->className()));
        kind += QLatin1Char('/') + QString::number(event->type());
        m_tag.clear();
        const bool result = QApplication::notify(receiver, event);
        const double ms = msSince(timer);
        const double cpuMs = BenchRun::threadCpuMs() - cpu;
        --m_depth;
        if (receiver == m_taggedReceiver) {
            const QString tag = m_tag.isEmpty() ? QStringLiteral("(nothing)") : m_tag;
            double &tagged = m_tagged[tag];
            tagged = std::max(tagged, cpuMs);
            // When the slowest one ran, on the clock a profiler can use.
            if (cpuMs > m_slowestTagged) {
                m_slowestTagged = cpuMs;
                m_slowestWindow =
                    QStringLiteral("%1..%2 s")
                        .arg(monotonicSeconds(timer.msecsSinceReference()), 0, 'f', 6)
                        .arg(monotonicSeconds(timer.msecsSinceReference() + qint64(ms) + 1), 0, 'f',
                             6);
            }
        }
        double &slowest = m_slowest[kind];
        slowest = std::max(slowest, ms);
        double &slowestCpu = m_slowestCpu[kind];
        slowestCpu = std::max(slowestCpu, cpuMs);
        return result;
    }

private:
    bool m_recording = false;
    int m_depth = 0;
    QHash<QString, double> m_slowest;
    QHash<QString, double> m_slowestCpu;
    QHash<QString, double> m_tagged;
    const QObject *m_taggedReceiver = nullptr;
    QString m_tag;
    double m_slowestTagged = 0;
    QString m_slowestWindow;

    static double monotonicSeconds(qint64 ms) { return ms / 1e3; }

    static QString slowest(const QHash<QString, double> &kinds)
    {
        QList<std::pair<double, QString>> sorted;
        for (auto it = kinds.cbegin(); it != kinds.cend(); ++it)
            sorted.append({it.value(), it.key()});
        std::sort(sorted.begin(), sorted.end(), std::greater<>());
        QStringList text;
        for (qsizetype i = 0; i < std::min<qsizetype>(3, sorted.size()); ++i)
            text << QStringLiteral("%1 %2 ms")
                        .arg(sorted.at(i).second)
                        .arg(sorted.at(i).first, 0, 'f', 1);
        return text.join(QStringLiteral(", "));
    }
};

// The framework's sorting proxy with the detail table's order.
class FrameworkTableOrder : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override
    {
        return LibraryTableSortModel::sortsBefore(left, right);
    }
};

void runEventsFor(int ms)
{
    runUntil([] { return false; }, ms);
}

// Every row of the table in the page's order, read and decoded as plain SQL.
double rawReadMs(const LibraryLocation &library)
{
    QElapsedTimer timer;
    timer.start();
    LibraryReader reader(TestDatabase::database(library));
    int count = 0;
    reader.sorted(LibraryModel::SortDate, Qt::DescendingOrder,
                  [&count](int, const LibraryItem &) { ++count; });
    return msSince(timer);
}

// The name search as an SQL count over the same four columns.
double sqlSearchMs(const LibraryLocation &library, const QString &text)
{
    QElapsedTimer timer;
    timer.start();
    QSqlQuery query(TestDatabase::database(library));
    query.prepare(QStringLiteral("SELECT COUNT(*) FROM library WHERE title LIKE ? OR stars LIKE ? "
                                 "OR categories LIKE ? OR description LIKE ?"));
    for (int i = 0; i < 4; ++i)
        query.addBindValue(QLatin1Char('%') + text + QLatin1Char('%'));
    query.exec();
    query.next();
    return msSince(timer);
}

QString makeClip(const QString &folder)
{
    const QString path = folder + QStringLiteral("/clip.mp4");
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                  QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                  QStringLiteral("lavfi"), QStringLiteral("-i"),
                  QStringLiteral("testsrc=size=160x120:rate=10:duration=1"),
                  QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), path});
    ffmpeg.waitForFinished(60000);
    return QFileInfo(path).size() > 0 ? path : QString();
}

// A descriptor click asking, every few ms, whether a scene is in the
// library already: how often it asked and its longest wait for the answer.
class GuidChecker
{
public:
    explicit GuidChecker(Library *library, std::function<QString(int)> guid)
    {
        m_timer.setInterval(kHeartbeatMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this, library, guid = std::move(guid)] {
            QElapsedTimer check;
            check.start();
            library->model()->containsGuid(guid(m_checks++));
            m_longest = std::max(m_longest, msSince(check));
        });
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    int checks() const { return m_checks; }
    double longestMs() const { return m_longest; }

private:
    QTimer m_timer;
    int m_checks = 0;
    double m_longest = 0;
};

// The n-th guid a checker asks for: spread over the whole library.
QString spreadGuid(int n)
{
    return QStringLiteral("guid-%1").arg(n * 7919 % kRows);
}

struct Line
{
    QString name;
    double ms;
    QString target;
};

// The table, and each figure as it is measured on stderr (a long run shows
// where it is).
class Table
{
public:
    void append(const Line &line)
    {
        m_lines.append(line);
        QTextStream(stderr) << line.name << ": " << QString::number(line.ms, 'f', 1) << " ms\n";
    }
    void insert(int at, const Line &line)
    {
        append(line);
        m_lines.move(m_lines.size() - 1, at);
    }
    // The longest stall `during` something, its CPU, its wait for a CPU
    // and the pages it waited for the disk to read.
    void appendStall(const QString &during, const Heartbeat::Gap &stall)
    {
        append({QStringLiteral("longest GUI thread stall %1").arg(during), stall.wallMs,
                QStringLiteral("< 16 ms")});
        append({QStringLiteral("  most GUI thread CPU time within one stall"), stall.cpuMs,
                QStringLiteral("< 16 ms")});
        append({QStringLiteral("  of the longest stall: waiting for a CPU"), stall.runWaitMs, {}});
        append({QStringLiteral("  of the longest stall: pages read from disk (count)"),
                double(stall.majorFaults),
                {}});
    }
    const QList<Line> &lines() const { return m_lines; }

private:
    QList<Line> m_lines;
};

} // namespace

int main(int argc, char **argv)
{
    Platform::keepAllocatorPausesShort(); // as the program does
    TimedApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_librarypage"), app.arguments());
    kRows = run.size(kRows, 500);
    kImports = run.size(kImports, 2);
    kScrollFrames = run.size(kScrollFrames, 20);
    QStandardPaths::setTestModeEnabled(true);
    run.step(QStringLiteral("generating the library"));
    QTemporaryDir dir;
    const LibraryLocation location = LibraryGenerator::createLibrary(dir.path(), kRows);
    QTextStream out(stdout);
    Table lines;

    lines.append(
        {QStringLiteral("  reference: SQLite read + decode of all rows"), rawReadMs(location), {}});

    // The page as the program opens it: the library, then the page shown.
    run.step(QStringLiteral("showing the page"));
    QElapsedTimer timer;
    timer.start();
    auto library = std::make_unique<Library>(location);
    const double libraryMs = msSince(timer);
    LoggingPrompt prompt;
    LibraryWidget page(library.get(), &prompt);
    page.resize(1000, 800);
    PaintProbe probe(page.listView()->viewport());
    page.show();
    // Shown once the tiles the page shows are painted with their rows, the
    // newest video on top; the rest of the rows may still be on their way.
    const QString newest = QStringLiteral("guid-%1").arg(kRows - 1);
    LibraryView *view = page.listView();
    const auto screenFilled = [&] {
        if (library->model()->rowCount() == 0 || library->model()->item(0).guid() != newest)
            return false;
        const QRect area = view->viewport()->rect();
        return library->model()->rowCount() == kRows ||
               view->indexAt(QPoint(area.left() + 1, area.bottom() - 1)).isValid();
    };
    bool rowsShown = false;
    runUntil(
        [&] {
            if (!rowsShown && screenFilled()) {
                rowsShown = true;
                probe.painted = false;
                view->viewport()->update();
            }
            return rowsShown && probe.painted;
        },
        kWaitMs, 1);
    const double pageMs = msSince(timer);
    const int rowsAtShow = library->model()->rowCount();
    lines.insert(
        0, {QStringLiteral("show the page (first tiles painted, %1 rows there)").arg(rowsAtShow),
            pageMs, QStringLiteral("< 600 ms")});
    lines.insert(1, {QStringLiteral("  of which the library's own opening"), libraryMs, {}});

    // A keystroke at once, while the rest of the rows may still come.
    QLineEdit *search = page.searchField()->lineEdit();
    search->setFocus();
    QElapsedTimer key;
    key.start();
    QTest::keyClick(search, 'g');
    view->viewport()->repaint();
    lines.append({QStringLiteral("keystroke right after the page is shown"), msSince(key),
                  QStringLiteral("< 100 ms")});
    QTest::keyClick(search, Qt::Key_Backspace);

    // The rest of the rows, while the GUI thread beats.
    // A descriptor click's "already in the library?" meanwhile, every few ms.
    Heartbeat loading;
    loading.start();
    GuidChecker loadingChecker(library.get(), spreadGuid);
    app.record();
    runUntil([&] { return library->model()->rowCount() >= kRows; }, kWaitMs);
    loadingChecker.stop();
    const Heartbeat::Gap loadStall = loading.stop();
    QTextStream(stderr) << "slowest events while the rows come: " << app.stop() << '\n';
    lines.append({QStringLiteral("  all rows there"), msSince(timer), {}});
    lines.appendStall(QStringLiteral("while the rows come"), loadStall);
    lines.append({QStringLiteral("longest \"already in the library?\" check meanwhile (%1)")
                      .arg(loadingChecker.checks()),
                  loadingChecker.longestMs(), QStringLiteral("< 5 ms")});
    if (library->model()->item(0).guid() != newest)
        run.fail(QStringLiteral("the newest video is not on top once all rows came"));
    if (app.arguments().contains(QLatin1String("--page-only"))) {
        for (const Line &line : lines.lines())
            out << line.name << ": " << QString::number(line.ms, 'f', 1) << " ms\n";
        page.hide();
        library->lastWindowClosed();
        return run.done();
    }
    runEventsFor(200);

    // Scrolling from top to bottom: one synchronous paint per frame.
    run.step(QStringLiteral("scrolling"));
    QScrollBar *bar = view->verticalScrollBar();
    QList<double> frames;
    for (int i = 0; i <= kScrollFrames; ++i) {
        bar->setValue(int(qint64(bar->maximum()) * i / kScrollFrames));
        QCoreApplication::processEvents();
        timer.restart();
        view->viewport()->repaint();
        frames << msSince(timer);
    }
    lines.append({QStringLiteral("scroll frame paint, median (%1 frames)").arg(frames.size()),
                  quantile(frames, 0.5),
                  {}});
    lines.append({QStringLiteral("scroll frame paint, 99th percentile"), quantile(frames, 0.99),
                  QStringLiteral("< 16 ms")});
    const int widgetsAfterScroll = view->widgetCount();
    bar->setValue(0);
    runEventsFor(100);

    // Typing "golden" and deleting it again, each key until the tiles painted.
    const QString word = QStringLiteral("golden");
    QList<double> typing;
    QList<double> erasing;
    for (int pass = 0; pass < 2; ++pass) {
        for (const QChar c : word) {
            timer.restart();
            QTest::keyClick(search, c.toLatin1());
            view->viewport()->repaint();
            typing << msSince(timer);
        }
        for (qsizetype i = 0; i < word.size(); ++i) {
            timer.restart();
            QTest::keyClick(search, Qt::Key_Backspace);
            view->viewport()->repaint();
            erasing << msSince(timer);
        }
    }
    lines.append(
        {QStringLiteral("keystroke narrowing the search, median"), quantile(typing, 0.5), {}});
    lines.append({QStringLiteral("keystroke narrowing the search, longest"), quantile(typing, 1.0),
                  QStringLiteral("< 100 ms")});
    lines.append({QStringLiteral("keystroke widening the search, longest"), quantile(erasing, 1.0),
                  QStringLiteral("< 100 ms")});
    lines.append({QStringLiteral("  reference: the same search as an SQL count"),
                  sqlSearchMs(location, QStringLiteral("g")),
                  {}});

    // The detail table sorted by its name column (a header click), and the
    // framework's sorting proxy over the same rows in the same order; each
    // twice, in turns, the faster of the two (the first sort also fills
    // the library's caches of the texts).
    {
        QAbstractItemModel *shown = view->model();
        double tableMs = 0;
        double referenceMs = 0;
        for (int turn = 0; turn < 2; ++turn) {
            FrameworkTableOrder reference;
            reference.setSourceModel(shown);
            timer.restart();
            reference.sort(1);
            const double referenceTurn = msSince(timer);
            LibraryTableSortModel table;
            table.setSourceModel(shown);
            timer.restart();
            table.sort(1);
            const double tableTurn = msSince(timer);
            if (table.index(0, 1).data() != reference.index(0, 1).data() ||
                table.index(table.rowCount() - 1, 1).data() !=
                    reference.index(reference.rowCount() - 1, 1).data())
                run.fail(QStringLiteral("the table's order and the reference's differ"));
            tableMs = turn == 0 ? tableTurn : std::min(tableMs, tableTurn);
            referenceMs = turn == 0 ? referenceTurn : std::min(referenceMs, referenceTurn);
        }
        lines.append(
            {QStringLiteral("detail table sorted by name (%1 rows)").arg(shown->rowCount()),
             tableMs,
             {}});
        lines.append({QStringLiteral("  reference: the framework's sorting proxy, same order"),
                      referenceMs,
                      {}});
    }

    Heartbeat heartbeat;
    heartbeat.start();
    runEventsFor(1000);
    const double idleGap = heartbeat.stop().wallMs;

    // The index as the start-up check leaves it: built once in full, while
    // the GUI thread beats and a descriptor click asks, every few ms, whether
    // a scene is in the library already.
    timer.restart();
    heartbeat.start();
    GuidChecker guidChecker(library.get(), spreadGuid);
    app.record();
    run.step(QStringLiteral("the index build"));
    library->metaDataBuilder()->build();
    runUntil([&] { return !library->metaDataBuilder()->isBuilding(); }, kWaitMs);
    guidChecker.stop();
    const Heartbeat::Gap buildStall = heartbeat.stop();
    QTextStream(stderr) << "slowest events during the index build: " << app.stop() << '\n';
    lines.append(
        {QStringLiteral("  reference: full build of the metadata index"), msSince(timer), {}});
    lines.appendStall(QStringLiteral("during the index build"), buildStall);
    lines.append({QStringLiteral("longest \"already in the library?\" check during it (%1)")
                      .arg(guidChecker.checks()),
                  guidChecker.longestMs(), QStringLiteral("< 5 ms")});

    // Importing files with the page shown.
    run.step(QStringLiteral("importing"));
    const QString clip =
        app.arguments().contains(QLatin1String("--no-import")) ? QString() : makeClip(dir.path());
    if (clip.isEmpty()) {
        out << "no clip (ffmpeg failed, or --no-import): no import measured\n";
    } else {
        QTemporaryDir source;
        QStringList paths;
        for (int i = 0; i < kImports; ++i) {
            paths << source.filePath(QStringLiteral("import %1.mp4").arg(i));
            QFile::copy(clip, paths.last());
        }
        QElapsedTimer wall;
        wall.start();
        heartbeat.start();
        QObject::connect(library->model(), &QAbstractItemModel::rowsInserted,
                         [&heartbeat] { heartbeat.note(QStringLiteral("a row added")); });
        QObject::connect(library->imports(), &ImportController::importFinished,
                         [&heartbeat] { heartbeat.note(QStringLiteral("import finished")); });
        QObject::connect(library->metaDataBuilder(), &MetaDataBuilder::update,
                         [&heartbeat] { heartbeat.note(QStringLiteral("index rebuilt")); });
        QObject::connect(library->imports()->fileCopier(), &FileCopier::finished,
                         [&heartbeat] { heartbeat.note(QStringLiteral("a copy finished")); });
        // A descriptor click asks whether a scene is in the library already,
        // now and then: the longest such answer.
        GuidChecker lockUser(library.get(), [](int) { return QStringLiteral("no-such-scene"); });
        // The library's own events, told apart by what they change.
        app.tagEventsOf(library.get());
        QObject tagging;
        QObject::connect(library->model(), &QAbstractItemModel::rowsInserted, &tagging,
                         [&app](const QModelIndex &, int first, int last) {
                             app.tag(QStringLiteral("inserted(%1)").arg(last - first + 1));
                         });
        QObject::connect(library->model(), &QAbstractItemModel::rowsRemoved, &tagging,
                         [&app] { app.tag(QStringLiteral("removed")); });
        QObject::connect(library->model(), &QAbstractItemModel::dataChanged, &tagging,
                         [&app] { app.tag(QStringLiteral("changed")); });
        QObject::connect(library->model(), &QAbstractItemModel::layoutChanged, &tagging,
                         [&app] { app.tag(QStringLiteral("layout")); });
        QObject::connect(library.get(), &Library::updated, &tagging,
                         [&app] { app.tag(QStringLiteral("updated")); });
        QObject::connect(library->imports(), &ImportController::videoImported, &tagging,
                         [&app] { app.tag(QStringLiteral("imported")); });
        QObject::connect(library->imports(), &ImportController::importProgress, &tagging,
                         [&app] { app.tag(QStringLiteral("progress")); });
        QObject::connect(library->imports(), &ImportController::importFinished, &tagging,
                         [&app] { app.tag(QStringLiteral("finished")); });
        app.record();
        page.importFiles(paths);
        runUntil(
            [&] { return library->model()->rowCount() >= kRows + kImports && !library->isBusy(); },
            kWaitMs);
        const Heartbeat::Gap stall = heartbeat.stop();
        QTextStream(stderr) << "slowest events during the import: " << app.stop() << '\n';
        lockUser.stop();
        lines.append({QStringLiteral("import of %1 files, wall (%2 rows now)")
                          .arg(kImports)
                          .arg(library->model()->rowCount()),
                      msSince(wall),
                      {}});
        lines.appendStall(QStringLiteral("during the import"), stall);
        lines.append({QStringLiteral("longest \"already in the library?\" check meanwhile"),
                      lockUser.longestMs(), QStringLiteral("< 5 ms")});
        const QMap<QString, Heartbeat::Gap> causes = heartbeat.causes();
        for (auto it = causes.cbegin(); it != causes.cend(); ++it)
            lines.append({QStringLiteral("  longest stall after %1 (%2 ms CPU)")
                              .arg(it.key())
                              .arg(it.value().cpuMs, 0, 'f', 1),
                          it.value().wallMs,
                          {}});
    }
    // The start-up check of the library folder, every video file present
    // (empty files stand in for them).
    if (!app.arguments().contains(QLatin1String("--no-check"))) {
        for (int row = 0; row < library->model()->rowCount(); ++row) {
            const QString path = library->model()->item(row).videoPath();
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile(path).open(QIODevice::WriteOnly);
        }
        run.step(QStringLiteral("the integrity check"));
        timer.restart();
        heartbeat.start();
        app.record();
        library->startIntegrityCheck();
        runUntil([&] { return !library->isBusy(); }, kWaitMs);
        const Heartbeat::Gap checkStall = heartbeat.stop();
        QTextStream(stderr) << "slowest events during the check: " << app.stop() << '\n';
        lines.append({QStringLiteral("  integrity check with its index build, wall (%1 rows now)")
                          .arg(library->model()->rowCount()),
                      msSince(timer),
                      {}});
        lines.appendStall(QStringLiteral("during the integrity check"), checkStall);

        // The same check after the user deleted every 50th video outside the
        // program: the check takes those rows out.
        QList<int> gone;
        for (int row = 0; row < library->model()->rowCount(); row += 50) {
            QFile::remove(library->model()->item(row).videoPath());
            gone << row;
        }
        run.step(QStringLiteral("the integrity check with files gone"));
        const int before = library->model()->rowCount();
        timer.restart();
        heartbeat.start();
        app.record();
        library->startIntegrityCheck();
        runUntil(
            [&] {
                return !library->isBusy() && library->model()->rowCount() <= before - gone.size();
            },
            kWaitMs);
        const Heartbeat::Gap goneStall = heartbeat.stop();
        QTextStream(stderr) << "slowest events during the check with files gone: " << app.stop()
                            << '\n';
        lines.append({QStringLiteral("  integrity check taking out %1 rows, wall (%2 rows now)")
                          .arg(gone.size())
                          .arg(library->model()->rowCount()),
                      msSince(timer),
                      {}});
        lines.appendStall(QStringLiteral("while the check takes rows out"), goneStall);
    }
    lines.append({QStringLiteral("  reference: longest heartbeat gap while idle (%1 ms timer)")
                      .arg(kHeartbeatMs),
                  idleGap,
                  {}});

    out << QStringLiteral("\n%1 | %2 | %3\n")
               .arg(QStringLiteral("library page, %1 rows").arg(kRows), -62)
               .arg(QStringLiteral("ms"), 9)
               .arg(QStringLiteral("target"));
    out << QString(86, QLatin1Char('-')) << '\n';
    for (const Line &line : lines.lines())
        out << QStringLiteral("%1 | %2 | %3\n")
                   .arg(line.name, -62)
                   .arg(line.ms, 9, 'f', 1)
                   .arg(line.target);
    out << "tile widgets alive after the scroll: " << widgetsAfterScroll << '\n';
    page.hide();
    library->lastWindowClosed();
    return run.done();
}
