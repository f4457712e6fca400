// Start-up figures: process start to main window shown with its four pages
// (empty library and a 100,000-row library), how much of a start the web
// engine's own start is, sign-in to the member's channels in the sidebar
// (demo site), and the percent-encoding migration of 100,000 plain
// rows against opening the same library already migrated. Needs an X display
// (scripts/bench runs it under xvfb-run). "--quick": 2,000 rows, one run
// (run by CTest).
#include "BenchRun.h"
#include "DemoSiteProcess.h"
#include "X11Windows.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace {

int kRows = 100000;
int kRuns = 5;

QProcessEnvironment environmentFor(const QString &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    return env;
}

// Fills "My Library/library.db" under `home` with rows; plain text, no marker,
// when `plain`, else percent-encoded with the marker.
void makeLibrary(const QString &home, bool plain)
{
    const QString folder = home + QStringLiteral("/My Library");
    QDir().mkpath(folder + QStringLiteral("/.cache"));
    QFile::remove(folder + QStringLiteral("/library.db"));
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(folder + QStringLiteral("/library.db"));
        db.open();
        QSqlQuery q(db);
        q.exec(QStringLiteral(
            "CREATE TABLE library (id INTEGER PRIMARY KEY, thumbnailPath VARCHAR, title VARCHAR, "
            "sizeInBytes INTEGER, creationDate INTEGER, mediaLengthInSecs INTEGER, "
            "description VARCHAR, videoPath VARCHAR, guid VARCHAR, coverPath VARCHAR, "
            "dvdTitle VARCHAR, categories VARCHAR, stars VARCHAR, duration VARCHAR,downloaded "
            "INTEGER)"));
        q.exec(QStringLiteral("CREATE TABLE downloads (corvanaUrl VARCHAR, mediaUrl VARCHAR, "
                              "downloadPath VARCHAR )"));
        if (!plain) {
            q.exec(QStringLiteral("CREATE TABLE zelta(dbVersion INTEGER);"));
            q.exec(QStringLiteral("INSERT INTO zelta(dbVersion) VALUES(1);"));
        }
        db.transaction();
        q.prepare(QStringLiteral("INSERT INTO library VALUES (NULL, ?, ?, ?, 1700000000, ?, ?, ?, "
                                 "?, ?, ?, ?, ?, ?, 1)"));
        for (int i = 0; i < kRows; ++i) {
            const QString title = QStringLiteral("Scene %1 with Anna & Zoë").arg(i);
            QStringList values = {folder + QStringLiteral("/%1-thumb.jpg").arg(i),
                                  title,
                                  QStringLiteral("About scene %1, shot on location").arg(i),
                                  folder + QStringLiteral("/%1.mp4").arg(i),
                                  folder + QStringLiteral("/%1-cover.jpg").arg(i),
                                  QStringLiteral("Collection %1").arg(i / 12),
                                  QStringLiteral("Outdoor,Couples"),
                                  QStringLiteral("Anna,Zoë")};
            if (!plain) {
                for (QString &v : values)
                    v = QString::fromLatin1(QUrl::toPercentEncoding(v));
            }
            q.addBindValue(values[0]);
            q.addBindValue(values[1]);
            q.addBindValue(100000000 + i);
            q.addBindValue(600 + i % 1800);
            q.addBindValue(values[2]);
            q.addBindValue(values[3]);
            q.addBindValue(QStringLiteral("guid-%1").arg(i));
            q.addBindValue(values[4]);
            q.addBindValue(values[5]);
            q.addBindValue(values[6]);
            q.addBindValue(values[7]);
            q.addBindValue(QStringLiteral("10:00"));
            q.exec();
            // The program's check at start removes rows whose video is gone.
            if (!plain)
                QFile(folder + QStringLiteral("/%1.mp4").arg(i)).open(QIODevice::WriteOnly);
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

// Milliseconds from process start to the main window on screen; the window is
// then closed and the program waited for.
double timeToWindow(const QString &home, X11Windows &x)
{
    QProcess program;
    program.setProcessEnvironment(environmentFor(home));
    program.setStandardOutputFile(QProcess::nullDevice());
    program.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    program.start(QStringLiteral(ZELTA_PROGRAM), {});
    const auto window = x.waitFor(QStringLiteral("Corvana Zelta"), 60000, 2);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (window)
        x.requestClose(window);
    if (!program.waitForFinished(30000))
        program.kill();
    return window ? ms : -1;
}

// One part measured by bench_startup_parts in a process of its own.
double timePart(const QString &home, const QStringList &args)
{
    QProcess parts;
    parts.setProcessEnvironment(environmentFor(home));
    parts.setStandardErrorFile(QProcess::nullDevice());
    parts.start(QStringLiteral(ZELTA_PARTS), args);
    if (!parts.waitForFinished(120000) || parts.exitCode() != 0)
        return -1;
    return parts.readAllStandardOutput().trimmed().toDouble();
}

double timeCliInit(const QString &home)
{
    QProcess cli;
    cli.setProcessEnvironment(environmentFor(home));
    cli.setStandardOutputFile(QProcess::nullDevice());
    cli.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    cli.start(QStringLiteral(ZELTA_CLI), {QStringLiteral("library"), QStringLiteral("init")});
    cli.waitForFinished(600000);
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_startup"), app.arguments());
    kRows = run.size(kRows, 2000);
    kRuns = run.size(kRuns, 1);
    QTextStream out(stdout);
    X11Windows x;
    if (!x.isOpen())
        run.fail(QStringLiteral("needs an X display (use scripts/bench)"));

    run.step(QStringLiteral("making the libraries"));
    QTemporaryDir emptyHome, bigHome, plainHome;
    makeLibrary(bigHome.path(), false);

    DemoSiteProcess site;
    QList<double> empty, big, migrate, reference, webEngine, window, signIn;
    for (int i = 0; i < kRuns; ++i) {
        run.step(QStringLiteral("run %1").arg(i + 1), 15 * 60);
        webEngine << timePart(emptyHome.path(), {QStringLiteral("webengine")});
        window << timePart(emptyHome.path(), {QStringLiteral("window")});
        signIn << timePart(emptyHome.path(), {QStringLiteral("signin"), site.url().toString()});
        empty << timeToWindow(emptyHome.path(), x);
        big << timeToWindow(bigHome.path(), x);
        makeLibrary(plainHome.path(), true);
        migrate << timeCliInit(plainHome.path());
        reference << timeCliInit(plainHome.path()); // same file, already migrated
    }

    out << "| measurement (median of " << kRuns << " runs) | ms | target | ratio |\n";
    out << "|---|---:|---|---:|\n";
    out << "| start to window shown with its four pages, empty library | "
        << BenchRun::median(empty) << " | < 1500 | 1.00x |\n";
    out << "| start to window shown with its four pages, " << kRows << "-row library | "
        << BenchRun::median(big) << " | < 1500 | "
        << BenchRun::median(big) / BenchRun::median(empty) << "x empty |\n";
    out << "| web engine alone: first web view with a blank page, own process | "
        << BenchRun::median(webEngine) << " | | "
        << BenchRun::median(webEngine) / BenchRun::median(empty) << "x empty |\n";
    out << "| engines and main window built and shown, in process, empty library | "
        << BenchRun::median(window) << " | | " << BenchRun::median(window) / BenchRun::median(empty)
        << "x empty |\n";
    out << "| sign-in to channels grafted in the sidebar, demo site (median of 7 each) | "
        << BenchRun::median(signIn) << " | | |\n";
    out << "| zelta-cli library init, " << kRows << " plain rows (migration) | "
        << BenchRun::median(migrate) << " | < 10000 | "
        << BenchRun::median(migrate) / BenchRun::median(reference) << "x reference |\n";
    out << "| zelta-cli library init, same file already migrated (reference) | "
        << BenchRun::median(reference) << " | | 1.00x |\n";
    out.flush();
    for (const QList<double> *figures : {&empty, &big, &webEngine, &window, &signIn}) {
        if (std::any_of(figures->cbegin(), figures->cend(), [](double ms) { return ms < 0; }))
            run.fail(QStringLiteral("a start or a part failed (a figure of -1 above)"));
    }
    return run.done();
}
