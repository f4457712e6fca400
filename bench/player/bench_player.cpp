// Playing on the player page without holding up the window: a 1080p30 H.264
// clip with sound, made by ffmpeg, played through the page's transport.
// Measured on the window's thread with a 1 ms heartbeat: the longest stall
// from opening the first video to a second after its first picture, and from
// each switch to another video while one plays to a second after the new
// video's first picture; the times to those pictures; how long making the
// player holds up the window, once, before anything plays; and the CPU time
// the whole process spends per second of playback. The reference, in the
// same run, is the mpv command line playing the same clip at the same size
// (`--vo=x11` on an X display, such as the Xvfb of the quick test, else
// `--vo=null`, which draws nothing). `--quick`: short clips, two switches,
// a second of each measure, as a test that everything still runs.
#include "BenchRun.h"
#include "RunUntil.h"
#include "StallMeter.h"
#include "core/LoggingPrompt.h"
#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/MediaVideoWidget.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/Toolbar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QVBoxLayout>

#include <sys/resource.h>

#include <algorithm>
#include <memory>

namespace {

struct Clip
{
    QString path;
    qint64 durationMs = 0;
};

Clip makeClip(const QString &folder, const QString &name, int seconds)
{
    const QString path = folder + QLatin1Char('/') + name;
    const QString length = QString::number(seconds);
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-hide_banner"),
                  QStringLiteral("-loglevel"),
                  QStringLiteral("error"),
                  QStringLiteral("-y"),
                  QStringLiteral("-f"),
                  QStringLiteral("lavfi"),
                  QStringLiteral("-i"),
                  QStringLiteral("testsrc2=size=1920x1080:rate=30:duration=") + length,
                  QStringLiteral("-f"),
                  QStringLiteral("lavfi"),
                  QStringLiteral("-i"),
                  QStringLiteral("sine=frequency=440:sample_rate=48000:duration=") + length,
                  QStringLiteral("-c:v"),
                  QStringLiteral("libx264"),
                  QStringLiteral("-preset"),
                  QStringLiteral("veryfast"),
                  QStringLiteral("-pix_fmt"),
                  QStringLiteral("yuv420p"),
                  QStringLiteral("-c:a"),
                  QStringLiteral("aac"),
                  QStringLiteral("-shortest"),
                  path});
    ffmpeg.waitForFinished(600000);
    if (ffmpeg.exitCode() != 0 || QFileInfo(path).size() <= 0)
        return {};
    return {path, qint64(seconds) * 1000};
}

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One opening of a video: the longest stall from the call to a second after
// its first picture, and the time to that picture (-1: none came).
struct Opening
{
    qint64 stallMs = 0;
    double firstPictureMs = -1;
};

class Bench
{
public:
    Bench()
    {
        m_window.resize(960, 590);
        auto *layout = new QVBoxLayout(&m_window);
        layout->setContentsMargins(0, 0, 0, 0);
        m_page = new CorvPlayerWidget(&m_window);
        layout->addWidget(m_page);
        m_page->toolbar()->setFixedHeight(50);
        m_page->toolbar()->show();
        QElapsedTimer making;
        making.start();
        m_transport = std::make_unique<PlayerTransport>(m_page, &m_prompt);
        m_madeMs = making.nsecsElapsed() / 1e6;
        m_window.show();
        QObject::connect(m_page->videoWidget(), &MediaVideoWidget::pictureChanged,
                         [this] { ++m_pictures; });
    }

    QSize videoSize() const { return m_page->videoWidget()->size(); }
    // How long making the transport and its player held up the window.
    double madeMs() const { return m_madeMs; }

    // Opens `clip` (while another plays, or first) and plays it to a second
    // past its first picture.
    Opening open(const Clip &clip)
    {
        auto *media = m_transport->mediaPlayer();
        Opening opening;
        StallMeter meter;
        QElapsedTimer clock;
        meter.start();
        clock.start();
        m_transport->openFile(clip.path);
        // The new video's picture: one that came once the player tells the
        // new video's length (the two clips differ in length).
        int picturesBefore = -1;
        runUntil(
            [&] {
                if (picturesBefore < 0 && qAbs(media->duration() - clip.durationMs) < 500)
                    picturesBefore = m_pictures;
                if (picturesBefore >= 0 && m_pictures > picturesBefore &&
                    opening.firstPictureMs < 0)
                    opening.firstPictureMs = clock.nsecsElapsed() / 1e6;
                return opening.firstPictureMs >= 0;
            },
            30000, 1);
        const qint64 pictureAt = clock.elapsed();
        runUntil([&] { return clock.elapsed() >= pictureAt + 1000; }, 5000);
        opening.stallMs = meter.stop();
        return opening;
    }

    // CPU seconds of this process per second of playback, over `seconds`.
    double cpuPerPlaybackSecond(int seconds)
    {
        auto *media = m_transport->mediaPlayer();
        const double cpuBefore = cpuSeconds(RUSAGE_SELF);
        const qint64 from = media->position();
        QElapsedTimer clock;
        clock.start();
        runUntil([&] { return clock.elapsed() >= seconds * 1000; }, seconds * 1000 + 5000, 20);
        const double played = double(media->position() - from) / 1000.0;
        const double cpu = cpuSeconds(RUSAGE_SELF) - cpuBefore;
        return played > 0.1 ? cpu / played : -1;
    }

    void stop()
    {
        m_transport->stop();
        runUntil([] { return false; }, 300);
    }

private:
    LoggingPrompt m_prompt;
    QWidget m_window;
    CorvPlayerWidget *m_page = nullptr;
    std::unique_ptr<PlayerTransport> m_transport;
    int m_pictures = 0;
    double m_madeMs = 0;
};

// The mpv command line on `clip` for `seconds` (CPU seconds of the process).
double mpvCpu(const Clip &clip, const QString &vo, const QSize &size, int seconds)
{
    const double before = cpuSeconds(RUSAGE_CHILDREN);
    QProcess mpv;
    mpv.start(QStringLiteral("mpv"),
              {QStringLiteral("--no-config"), QStringLiteral("--really-quiet"),
               QStringLiteral("--vo=") + vo, QStringLiteral("--ao=null"),
               QStringLiteral("--geometry=%1x%2").arg(size.width()).arg(size.height()),
               QStringLiteral("--length=%1").arg(seconds), clip.path});
    if (!mpv.waitForFinished(seconds * 1000 + 60000) || mpv.exitCode() != 0)
        return -1;
    return cpuSeconds(RUSAGE_CHILDREN) - before;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_player"), app.arguments());
    const int clipSeconds = run.size(30, 8);
    const int cpuWindow = run.size(10, 2);
    const int switches = run.size(8, 2);

    run.step(QStringLiteral("making the clips"), 20 * 60);
    QTemporaryDir folder;
    const Clip first = makeClip(folder.path(), QStringLiteral("First.mp4"), clipSeconds);
    const Clip second = makeClip(folder.path(), QStringLiteral("Second.mp4"), clipSeconds + 3);
    if (first.path.isEmpty() || second.path.isEmpty())
        run.fail(QStringLiteral("ffmpeg made no clip"));

    run.step(QStringLiteral("first play"), 120);
    Bench bench;
    const QSize videoSize = bench.videoSize();
    const Opening firstPlay = bench.open(first);
    if (firstPlay.firstPictureMs < 0)
        run.fail(QStringLiteral("the first video showed no picture"));

    run.step(QStringLiteral("CPU while playing"), 120);
    const double ownCpu = bench.cpuPerPlaybackSecond(cpuWindow);

    run.step(QStringLiteral("switching"), 600);
    QList<double> switchStalls;
    QList<double> switchPictures;
    for (int i = 0; i < switches; ++i) {
        const Opening opening = bench.open(i % 2 == 0 ? second : first);
        if (opening.firstPictureMs < 0)
            run.fail(QStringLiteral("switch %1 showed no picture of the new video").arg(i + 1));
        switchStalls.append(double(opening.stallMs));
        switchPictures.append(opening.firstPictureMs);
    }
    bench.stop();

    run.step(QStringLiteral("mpv command line"), 300);
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    const QString vo = x11 ? QStringLiteral("x11") : QStringLiteral("null");
    // The difference of a long and a short run: per second of steady playback.
    const double mpvShort = mpvCpu(first, vo, videoSize, cpuWindow);
    const double mpvLong = mpvCpu(first, vo, videoSize, 2 * cpuWindow);
    const double referenceCpu =
        mpvShort >= 0 && mpvLong >= 0 ? std::max(0.0, mpvLong - mpvShort) / cpuWindow : -1;

    QTextStream out(stdout);
    out << QStringLiteral("Player page, 1080p30 H.264 with sound, picture %1x%2 (%3 switches; "
                          "reference: mpv --vo=%4)\n")
               .arg(videoSize.width())
               .arg(videoSize.height())
               .arg(switches)
               .arg(vo);
    out << QStringLiteral("%1 | %2 | %3\n")
               .arg(QStringLiteral("measure").leftJustified(46),
                    QStringLiteral("value").rightJustified(9), QStringLiteral("target"));
    const auto line = [&out](const QString &name, double value, const QString &target) {
        out << QStringLiteral("%1 | %2 | %3\n")
                   .arg(name.leftJustified(46), QString::number(value, 'f', 2).rightJustified(9),
                        target);
    };
    const double longestSwitch = *std::max_element(switchStalls.cbegin(), switchStalls.cend());
    line(QStringLiteral("longest stall, first play (ms)"), double(firstPlay.stallMs),
         QStringLiteral("< 16"));
    line(QStringLiteral("longest stall, switching (ms)"), longestSwitch, QStringLiteral("< 16"));
    line(QStringLiteral("  median stall of a switch (ms)"), BenchRun::median(switchStalls),
         QString());
    line(QStringLiteral("making the player (ms, window's thread)"), bench.madeMs(), QString());
    line(QStringLiteral("first picture, first play (ms)"), firstPlay.firstPictureMs, QString());
    line(QStringLiteral("first picture after a switch, median (ms)"),
         BenchRun::median(switchPictures), QString());
    line(QStringLiteral("CPU s per playback s, player page"), ownCpu, QString());
    line(QStringLiteral("  reference: mpv command line"), referenceCpu, QString());
    if (ownCpu > 0 && referenceCpu > 0)
        line(QStringLiteral("ratio player page / mpv"), ownCpu / referenceCpu,
             QStringLiteral("<= 1.2"));
    out.flush();
    if (ownCpu < 0)
        run.fail(QStringLiteral("the position did not move while playing"));
    return run.done();
}
