// How long the real program keeps a screen reader waiting in the 12 s after
// its main window appears: the program on the X display (scripts/bench runs
// this under xvfb-run), on a session bus of the benchmark's own with its
// accessibility bus, against the demo site; every 50 ms one question over
// AT-SPI (the application's child count, answered on the window's thread)
// and the time its answer took. An answer late by more than a frame is a
// stall of the window's thread, whatever caused it.
//
// Libraries: empty (the reference, in the same run) and 100,000 generated
// rows, starts alternating after one start outside the figures; the first
// start of each is shown apart (the big library's first start also builds its
// search index), the later ones as the median of their longest answers.
//
//   bench_windowstall [--quick]     (--quick: 2,000 rows, 3 s, two starts each)
#include "AtSpiClient.h"
#include "BenchRun.h"
#include "DemoSiteProcess.h"
#include "LibraryGenerator.h"
#include "TestDatabase.h"
#include "X11Windows.h"
#include "core/Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QThread>

#include <algorithm>

namespace {

const QString windowTitle = QStringLiteral("Corvana Zelta " ZELTA_VERSION);
constexpr int askEveryMs = 50;

BenchRun *g_run = nullptr;

// A session bus for the run: the program and the benchmark meet on its
// accessibility bus.
class SessionBus
{
public:
    SessionBus()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted(10000) || !m_daemon.waitForReadyRead(10000))
            g_run->fail(QStringLiteral("no dbus-daemon"));
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_daemon.readLine().trimmed());
    }
    ~SessionBus()
    {
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }

private:
    QProcess m_daemon;
};

// What the kernel counts for the window's thread (the process's first):
// milliseconds on a core, and waiting for one while it could run.
struct ThreadTimes
{
    double ranMs = 0;
    double waitedMs = 0;
};

ThreadTimes threadTimes(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/task/%1/schedstat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> fields = file.readAll().simplified().split(' ');
    if (fields.size() < 2)
        return {};
    return {fields.at(0).toDouble() / 1e6, fields.at(1).toDouble() / 1e6};
}

// One start: each answer's time in milliseconds, when it was asked for (ms
// since the window appeared) and the window thread's times meanwhile.
struct Start
{
    QList<double> answers;
    QList<double> askedAtMs;
    QList<ThreadTimes> during;

    qsizetype longestIndex() const
    {
        return std::max_element(answers.begin(), answers.end()) - answers.begin();
    }
    double longest() const { return answers.isEmpty() ? 0 : answers.at(longestIndex()); }
    // In seconds after the window appeared.
    double longestAtS() const
    {
        return answers.isEmpty() ? 0 : askedAtMs.at(longestIndex()) / 1000;
    }
    ThreadTimes longestDuring() const
    {
        return answers.isEmpty() ? ThreadTimes() : during.at(longestIndex());
    }
    int over(double ms) const
    {
        return int(
            std::count_if(answers.begin(), answers.end(), [ms](double a) { return a > ms; }));
    }
};

Start measureStart(const QString &home, int seconds, X11Windows &x, AtSpiClient &atspi)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    // Each library with its own settings, as each member has: the first start
    // takes the benchmark's (the demo site's address among them).
    const QString config = home + QStringLiteral("/.config");
    const QString settings =
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("CorvanaZELTA"),
                  QStringLiteral("CorvanaZELTA"))
            .fileName();
    const QString own = config + QStringLiteral("/CorvanaZELTA/") + QFileInfo(settings).fileName();
    if (!QFile::exists(own) &&
        !(QDir().mkpath(QFileInfo(own).path()) && QFile::copy(settings, own)))
        g_run->fail(QStringLiteral("the settings could not be copied"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setStandardOutputFile(QProcess::nullDevice());
    program.setStandardErrorFile(QProcess::nullDevice());
    program.start(QStringLiteral(ZELTA_PROGRAM), {});
    const X11Windows::WindowId window = x.waitFor(windowTitle, 60000, 2);
    if (!window)
        g_run->fail(QStringLiteral("the main window did not appear"));
    QElapsedTimer sinceShown;
    sinceShown.start();

    // The program registers on the accessibility bus as its window is made.
    AtSpiClient::Node app;
    if (!QTest::qWaitFor(
            [&] { return !(app = atspi.application(QStringLiteral("CorvanaZELTA"))).isNull(); },
            30000))
        g_run->fail(QStringLiteral("the program is not on the accessibility bus"));
    if (!QTest::qWaitFor([&] { return atspi.childCount(app) >= 1; }, 30000))
        g_run->fail(QStringLiteral("the program shows no window over AT-SPI"));

    Start start;
    const qint64 endMs = qint64(seconds) * 1000;
    qint64 nextMs = sinceShown.elapsed();
    while (nextMs < endMs) {
        QElapsedTimer answer;
        answer.start();
        start.askedAtMs << sinceShown.elapsed();
        const ThreadTimes before = threadTimes(program.processId());
        if (atspi.childCount(app) < 1)
            g_run->fail(QStringLiteral("the program gave no answer over AT-SPI"));
        start.answers << answer.nsecsElapsed() / 1e6;
        const ThreadTimes after = threadTimes(program.processId());
        start.during << ThreadTimes{after.ranMs - before.ranMs, after.waitedMs - before.waitedMs};
        nextMs += askEveryMs;
        const qint64 wait = nextMs - sinceShown.elapsed();
        if (wait > 0)
            QThread::msleep(wait);
        else
            nextMs = sinceShown.elapsed(); // a late answer: ask again at once
    }

    x.requestClose(window);
    if (!program.waitForFinished(30000))
        program.kill();
    return start;
}

double percentile(QList<double> values, double fraction)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(std::min<qsizetype>(values.size() - 1, qsizetype(fraction * values.size())));
}

struct Case
{
    QString name;
    QTemporaryDir home;
    QList<Start> starts;

    double laterLongest() const
    {
        QList<double> longest;
        for (qsizetype i = 1; i < starts.size(); ++i)
            longest << starts.at(i).longest();
        return BenchRun::median(longest);
    }
    QList<double> laterAnswers() const
    {
        QList<double> all;
        for (qsizetype i = 1; i < starts.size(); ++i)
            all << starts.at(i).answers;
        return all;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_windowstall"), app.arguments());
    g_run = &run;
    const int rows = run.size(100000, 2000);
    const int seconds = run.size(12, 3);
    const int starts = run.size(4, 2);
    QTextStream out(stdout);

    X11Windows x;
    if (!x.isOpen())
        run.fail(QStringLiteral("needs an X display (use scripts/bench)"));
    SessionBus bus;
    DemoSiteProcess site;
    if (!site.isRunning())
        run.fail(QStringLiteral("the demo site did not start"));
    // The bus starts the accessibility bus when first asked for it.
    AtSpiClient atspi;
    if (!atspi.open())
        run.fail(QStringLiteral("no accessibility bus"));

    Case empty{QStringLiteral("empty library (reference)")};
    Case big{QStringLiteral("%1 rows").arg(rows)};
    run.step(QStringLiteral("generating %1 rows").arg(rows), 600);
    const LibraryLocation bigLibrary = LibraryGenerator::createLibrary(big.home.path(), rows);
    if (bigLibrary.isEmpty() || !LibraryGenerator::createVideoFiles(bigLibrary))
        run.fail(QStringLiteral("the library could not be made"));
    if (LibraryGenerator::createLibrary(empty.home.path(), 0).isEmpty())
        run.fail(QStringLiteral("the empty library could not be made"));

    // One start outside the figures, in a home of its own, so that the
    // reference's first start does not carry the machine's cold caches.
    run.step(QStringLiteral("warming up"), 180);
    {
        QTemporaryDir spare;
        if (LibraryGenerator::createLibrary(spare.path(), 0).isEmpty())
            run.fail(QStringLiteral("the spare library could not be made"));
        measureStart(spare.path(), 1, x, atspi);
    }
    for (int i = 0; i < starts; ++i) {
        for (Case *library : {&empty, &big}) {
            run.step(QStringLiteral("start %1 of %2, %3").arg(i + 1).arg(starts).arg(library->name),
                     180);
            library->starts << measureStart(library->home.path(), seconds, x, atspi);
        }
    }

    // The program keeps rows whose video is there: every start had them all.
    {
        QSqlQuery count(TestDatabase::database(bigLibrary));
        if (!count.exec(QStringLiteral("SELECT COUNT(*) FROM library")) || !count.next() ||
            count.value(0).toInt() != rows)
            run.fail(QStringLiteral("the library lost rows at a start"));
    }

    out << "Window thread's answers over AT-SPI in the " << seconds
        << " s after the main window appears, one question every " << askEveryMs << " ms ("
        << starts << " starts each, alternating)" << (run.quick() ? " -- quick mode" : "") << '\n';
    out << "| library | longest answer, first start (ms) | longest answer, later starts "
           "(median, ms) | longest answers came at (s after the window) | the window thread "
           "meanwhile: on a core / waiting for one (ms) | 99th percentile, later starts (ms) "
           "| median answer (ms) | answers over 16 ms / all |\n";
    out << "|---|---:|---:|---|---|---:|---:|---:|\n";
    for (const Case *library : {&empty, &big}) {
        const QList<double> later = library->laterAnswers();
        QStringList at, meanwhile;
        int over = 0, all = 0;
        for (const Start &one : library->starts) {
            at << QString::number(one.longestAtS(), 'f', 1);
            const ThreadTimes times = one.longestDuring();
            meanwhile << QString::number(times.ranMs, 'f', 1) + " / " +
                             QString::number(times.waitedMs, 'f', 1);
            over += one.over(16);
            all += int(one.answers.size());
        }
        out << "| " << library->name << " | " << library->starts.first().longest() << " | "
            << library->laterLongest() << " | " << at.join(QStringLiteral(", ")) << " | "
            << meanwhile.join(QStringLiteral(", ")) << " | " << percentile(later, 0.99) << " | "
            << percentile(later, 0.5) << " | " << over << " / " << all << " |\n";
    }
    out << "target: the longest answer with " << rows
        << " rows < 16 ms (beside the empty library's)\n";
    out.flush();
    return run.done();
}
