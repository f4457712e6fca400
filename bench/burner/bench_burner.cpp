// Times a DVD burn project (three one-minute clips: conversion and authoring)
// through the engine, and the same tool chain driven by a plain shell script
// in the same run, and prints both per stage with their ratio. Then the same
// project to an image file through the burner window's task list against the
// engine alone, with the longest pause of the window's event loop.
// "--wizard" runs only the second table; "--quick" one short clip, one round.

#include "BenchRun.h"
#include "WizardPath.h"
#include "burner/ConvertTask.h"
#include "burner/CreateDVDTask.h"
#include "burner/Project.h"
#include "core/Platform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>

namespace {

int g_clips = 3;
int g_seconds = 60;
BenchRun *g_run = nullptr;

struct StageTimes
{
    QList<double> convert; // seconds per clip
    QMap<QString, double> author;
    double convertCpu = 0; // child CPU seconds during conversion
    double total = 0;
};

double childCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QString makeClip(const QString &folder, int index)
{
    const QString path = QStringLiteral("%1/bench-%2%3.mp4")
                             .arg(folder, g_run->quick() ? QStringLiteral("quick-") : QString())
                             .arg(index);
    if (QFileInfo(path).size() > 0)
        return path;
    QProcess ffmpeg;
    ffmpeg.start(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
         QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("testsrc2=size=640x480:rate=25:duration=%1").arg(g_seconds),
         QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("sine=frequency=%1:duration=%2").arg(300 + 100 * index).arg(g_seconds),
         QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
         QStringLiteral("veryfast"), QStringLiteral("-c:a"), QStringLiteral("aac"), path});
    ffmpeg.waitForFinished(-1); // the watchdog limits the wait
    return ffmpeg.exitCode() == 0 ? path : QString();
}

bool runEngine(Project &bench, const QStringList &clips, StageTimes &times, QString *tempFolder)
{
    scanProject(bench, clips);
    Project *project = &bench;
    QElapsedTimer total;
    total.start();
    const double cpuBefore = childCpuSeconds();
    const QList<VideoClip> list = project->clips();
    for (int i = 0; i < list.size(); ++i) {
        QElapsedTimer clock;
        clock.start();
        const std::unique_ptr<ConvertTask> task = ConvertTask::forProjectClip(*project, i);
        if (!runTask(*task))
            return false;
        times.convert << clock.elapsed() / 1000.0;
    }
    times.convertCpu = childCpuSeconds() - cpuBefore;

    CreateDVDTask author(project);
    QElapsedTimer stageClock;
    QString stage = QStringLiteral("menu pictures");
    stageClock.start();
    QObject::connect(&author, &CreateDVDTask::stageStarted, &author, [&](const QString &tool) {
        times.author[stage] += stageClock.restart() / 1000.0;
        stage = tool;
    });
    if (!runTask(author))
        return false;
    times.author[stage] += stageClock.elapsed() / 1000.0;
    times.total = total.elapsed() / 1000.0;
    *tempFolder = project->tempDirectory().absolutePath();
    project->keepTempDirectory();
    return true;
}

// The same commands in a shell script, reusing the engine's menu pictures and
// descriptions (with their paths moved into the script's folder).
QString shellScript(const QStringList &clips, const QString &engineFolder, const QString &folder)
{
    for (const char *name : {"menu_background.jpg", "menu_select.png", "menu_highlight.png",
                             "silent.mp2", "dvd.xml", "menu.xml"}) {
        QFile in(engineFolder + QLatin1Char('/') + QLatin1String(name));
        in.open(QIODevice::ReadOnly);
        QByteArray data = in.readAll();
        data.replace(engineFolder.toUtf8(), folder.toUtf8());
        QFile out(folder + QLatin1Char('/') + QLatin1String(name));
        out.open(QIODevice::WriteOnly);
        out.write(data);
    }
    auto tool = [](const char *name) { return Platform::binaryPath(QString::fromLatin1(name)); };
    QString s;
    QTextStream script(&s);
    script << "#!/bin/sh\nset -e\ncd '" << folder << "'\nt() { date +%s.%N; }\n";
    script << "start=$(t)\n";
    for (int i = 0; i < clips.size(); ++i)
        script << "a=$(t); '" << tool("encoder") << "' -y -i '" << clips.at(i) << "' -threads "
               << QThread::idealThreadCount() << " -target ntsc-dvd -b:v 2000k -b:a 128k file_" << i
               << ".mpg 2>/dev/null; echo \"convert " << i << " $a $(t)\"\n";
    script << "a=$(t); '" << tool("jpegconverter")
           << "' menu_background.jpg > menu_background.ppm 2>/dev/null; echo \"jpegconverter $a "
              "$(t)\"\n";
    script << "a=$(t); '" << tool("ppmconverter")
           << "' -n 1 -F30000:1001 -I t -A 10:11 -S 420mpeg2 -L menu_background.ppm > "
              "menu_background.y4m 2>/dev/null; echo \"ppmconverter $a $(t)\"\n";
    script << "a=$(t); '" << tool("mpegencoder")
           << "' -f 8 -n n -o menu_background.m2v < menu_background.y4m 2>/dev/null; echo "
              "\"mpegencoder $a $(t)\"\n";
    script << "a=$(t); '" << tool("multiplexer")
           << "' -f 8 -o menu-pre.mpg menu_background.m2v silent.mp2 2>/dev/null; echo "
              "\"multiplexer $a $(t)\"\n";
    script << "a=$(t); '" << tool("subtitler")
           << "' -v2 menu.xml < menu-pre.mpg > menu.mpg 2>/dev/null; echo \"subtitler $a $(t)\"\n";
    script << "a=$(t); VIDEO_FORMAT=NTSC '" << tool("authortool")
           << "' -x dvd.xml >/dev/null 2>&1; echo \"authortool $a $(t)\"\n";
    script << "a=$(t); '" << tool("cdcreator")
           << "' -V Bench -dvd-video -udf -o Bench.iso Bench >/dev/null 2>&1; echo \"cdcreator $a "
              "$(t)\"\n";
    script << "echo \"total $start $(t)\"\n";
    script.flush();
    return s;
}

bool runShell(const QString &script, const QString &folder, StageTimes &times)
{
    const QString path = folder + QStringLiteral("/bench.sh");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(script.toUtf8());
    file.close();
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"), {path});
    shell.waitForFinished(-1);
    if (shell.exitCode() != 0)
        return false;
    for (const QString &line : QString::fromUtf8(shell.readAllStandardOutput()).split('\n')) {
        const QStringList f = line.split(' ');
        if (f.size() < 3)
            continue;
        const double seconds = f.at(f.size() - 1).toDouble() - f.at(f.size() - 2).toDouble();
        if (f.first() == QLatin1String("convert"))
            times.convert << seconds;
        else if (f.first() == QLatin1String("total"))
            times.total = seconds;
        else
            times.author[f.first()] = seconds;
    }
    return true;
}

void printRow(QTextStream &out, const QString &name, double a, double b)
{
    out << qSetFieldWidth(22) << Qt::left << name << qSetFieldWidth(12) << Qt::right
        << QString::number(a, 'f', 2) << QString::number(b, 'f', 2)
        << (b > 0 ? QString::number(a / b, 'f', 3) : QStringLiteral("-")) << qSetFieldWidth(0)
        << '\n';
}

// Engine against the shell script, per stage.
bool shellTable(Project &project, const QStringList &clips, const QTemporaryDir &work)
{
    // Two rounds, engine and script taking turns; each side's faster run counts.
    const int kRounds = g_run->size(2, 1);
    StageTimes engine;
    StageTimes shell;
    QString lastEngineFolder;
    for (int round = 0; round < kRounds; ++round) {
        g_run->step(QStringLiteral("engine and shell, round %1").arg(round + 1));
        StageTimes engineRun;
        QString engineFolder;
        if (!runEngine(project, clips, engineRun, &engineFolder))
            return false;
        StageTimes shellRun;
        const QString shellFolder = work.filePath(QStringLiteral("shell-%1").arg(round));
        QDir().mkpath(shellFolder);
        if (!runShell(shellScript(clips, engineFolder, shellFolder), shellFolder, shellRun))
            return false;
        QDir(shellFolder).removeRecursively();
        if (round == 0 || engineRun.total < engine.total)
            engine = engineRun;
        if (round == 0 || shellRun.total < shell.total)
            shell = shellRun;
        if (!lastEngineFolder.isEmpty())
            QDir(lastEngineFolder).removeRecursively();
        lastEngineFolder = engineFolder;
    }
    const QString engineFolder = lastEngineFolder;

    QTextStream out(stdout);
    auto row = [&out](const QString &name, double a, double b) { printRow(out, name, a, b); };
    out << "DVD from " << g_clips << " clips of " << g_seconds << " s, best of " << kRounds
        << " rounds, " << QThread::idealThreadCount() << " cores\n";
    out << qSetFieldWidth(22) << Qt::left << "stage" << qSetFieldWidth(12) << Qt::right
        << "engine s"
        << "shell s"
        << "ratio" << qSetFieldWidth(0) << '\n';
    double engineConvert = 0;
    double shellConvert = 0;
    for (int i = 0; i < g_clips; ++i) {
        row(QStringLiteral("convert clip %1").arg(i + 1), engine.convert.value(i),
            shell.convert.value(i));
        engineConvert += engine.convert.value(i);
        shellConvert += shell.convert.value(i);
    }
    double engineAuthor = 0;
    double shellAuthor = 0;
    for (auto it = engine.author.cbegin(); it != engine.author.cend(); ++it) {
        row(QStringLiteral("author: ") + it.key(), it.value(), shell.author.value(it.key()));
        engineAuthor += it.value();
        shellAuthor += shell.author.value(it.key());
    }
    row(QStringLiteral("conversion"), engineConvert, shellConvert);
    row(QStringLiteral("authoring"), engineAuthor, shellAuthor);
    row(QStringLiteral("end to end"), engine.total, shell.total);
    out << "encoder CPU use during conversion: "
        << QString::number(engine.convertCpu / engineConvert, 'f', 2) << " of "
        << QThread::idealThreadCount() << " cores (encoder asked for "
        << QThread::idealThreadCount() << " threads)\n";
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (loadavg.open(QIODevice::ReadOnly))
        out << "system load while measuring: " << loadavg.readAll().split(' ').value(0) << '\n';
    QDir(engineFolder).removeRecursively();
    return true;
}

// The burner window's task list against the engine alone, both to an image.
bool wizardTable(Project &project, const QStringList &clips, const QTemporaryDir &work)
{
    // Three rounds, taking turns at going first; each side's fastest run counts
    // for the times. A busy machine can hold up any thread now and then, so
    // the stalls are the median of the rounds' longest.
    const int kRounds = g_run->size(3, 1);
    BurnRun engine;
    BurnRun wizard;
    QList<double> engineStalls;
    QList<double> wizardStalls;
    const QString image = work.filePath(QStringLiteral("image.iso"));
    for (int round = 0; round < kRounds; ++round) {
        g_run->step(QStringLiteral("burner window and engine, round %1").arg(round + 1));
        BurnRun engineRun;
        BurnRun wizardRun;
        for (int turn = 0; turn < 2; ++turn) {
            const bool ok = (turn + round) % 2 == 0
                                ? runEngineBurn(project, clips, image, engineRun)
                                : runWizardBurn(project, clips, image, wizardRun);
            QFile::remove(image);
            if (!ok)
                return false;
        }
        engineStalls << engineRun.longestStallMs;
        wizardStalls << wizardRun.longestStallMs;
        if (round == 0 || engineRun.total < engine.total)
            engine = engineRun;
        if (round == 0 || wizardRun.total < wizard.total)
            wizard = wizardRun;
    }
    const auto median = [](QList<double> values) {
        std::sort(values.begin(), values.end());
        return values.at(values.size() / 2);
    };
    QTextStream out(stdout);
    out << "\nDVD image from " << g_clips << " clips of " << g_seconds << " s through the burner "
        << "window, best of " << kRounds << " rounds\n";
    out << qSetFieldWidth(22) << Qt::left << "stage" << qSetFieldWidth(12) << Qt::right
        << "wizard s"
        << "engine s"
        << "ratio" << qSetFieldWidth(0) << '\n';
    printRow(out, QStringLiteral("conversion"), wizard.convert, engine.convert);
    printRow(out, QStringLiteral("authoring"), wizard.author, engine.author);
    printRow(out, QStringLiteral("write"), wizard.write, engine.write);
    printRow(out, QStringLiteral("end to end"), wizard.total, engine.total);
    printRow(out, QStringLiteral("GUI stall write ms"), median(wizardStalls), median(engineStalls));
    printRow(out, QStringLiteral("  longest of rounds"),
             *std::max_element(wizardStalls.cbegin(), wizardStalls.cend()),
             *std::max_element(engineStalls.cbegin(), engineStalls.cend()));
    printRow(out, QStringLiteral("GUI stall run ms"), wizard.longestStallTotalMs,
             engine.longestStallTotalMs);
    out << "targets: end to end ratio <= 1.02, GUI stall during the write <= 50 ms\n";
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (loadavg.open(QIODevice::ReadOnly))
        out << "system load while measuring: " << loadavg.readAll().split(' ').value(0) << '\n';
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_burner"), app.arguments());
    g_run = &run;
    g_clips = run.size(3, 1);
    g_seconds = run.size(60, 2);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type >= QtWarningMsg)
            QTextStream(stderr) << text << '\n';
    });
    QTemporaryDir work;
    qputenv("TMPDIR", QFile::encodeName(work.path()));
    const QString media = QDir::currentPath() + QStringLiteral("/bench-media");
    QDir().mkpath(media);
    run.step(QStringLiteral("making the clips"));
    QStringList clips;
    for (int i = 0; i < g_clips; ++i)
        clips << makeClip(media, i);
    if (clips.contains(QString()))
        run.fail(QStringLiteral("ffmpeg could not make the clips"));

    Project project; // its folders go into the work folder
    const bool wizardOnly = app.arguments().contains(QStringLiteral("--wizard"));
    if (!wizardOnly && !shellTable(project, clips, work))
        run.fail(QStringLiteral("the engine or the shell script failed"));
    if (!wizardTable(project, clips, work))
        run.fail(QStringLiteral("a burn through the window or the engine failed"));
    return run.done();
}
