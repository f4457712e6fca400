// Parts of the program's start, each measured in a fresh process by
// bench_startup: "webengine" (the first web view showing a blank page),
// "window" (engines and the main window with its four pages, shown) and
// "signin" (sign-in to the member's channels grafted into the sidebar, against
// the demo site at the given URL, median of rounds); "queue-fill N" stores
// N download records (with partial files and thumbnails) through the download records, and
// "queue" is "window" that also counts the download list's rows and those
// with a title at the moment the window is first on screen. Prints
// milliseconds (and, for "queue", the two counts and the milliseconds of CPU
// time the window's thread spent until then).
#include "BenchRun.h"
#include "core/SiteConfig.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadRecords.h"
#include "engines/Engines.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/mainwindow/SidebarModel.h"
#include "library/Library.h"
#include "web/Account.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QTest>
#include <QTextStream>
#include <QWebEngineView>

#include <algorithm>

namespace {

double webEngineStart()
{
    QElapsedTimer timer;
    timer.start();
    QWebEngineView view;
    bool loaded = false;
    QObject::connect(&view, &QWebEngineView::loadFinished, [&] { loaded = true; });
    view.setHtml(QStringLiteral("<html><body></body></html>"));
    view.show();
    if (!QTest::qWaitFor([&] { return loaded; }, 60000))
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

double windowShown()
{
    QElapsedTimer timer;
    timer.start();
    Engines engines;
    engines.openDatabase();
    MainWindow window(&engines);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window, 60000))
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

// Rows of the download list, and those of them with a title, as the
// window is first exposed.
struct QueueShown
{
    double ms = -1;
    int rows = 0;
    int titled = 0;
    double cpuMs = -1;
};

QueueShown queueShown()
{
    QueueShown shown;
    const double cpuBefore = BenchRun::threadCpuMs();
    QElapsedTimer timer;
    timer.start();
    Engines engines;
    engines.openDatabase();
    MainWindow window(&engines);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window, 60000))
        return shown;
    shown.ms = timer.nsecsElapsed() / 1e6;
    const DownloadManager *downloads = engines.downloadManager();
    shown.rows = downloads->rowCount();
    for (int row = 0; row < shown.rows; ++row) {
        if (!downloads->data(downloads->index(row), Qt::DisplayRole).toString().isEmpty())
            ++shown.titled;
    }
    shown.cpuMs = BenchRun::threadCpuMs() - cpuBefore;
    return shown;
}

// Stores `count` download records of descriptor items, each with a partial
// file of 64 KiB in its folder of the library, in one job of the store.
double fillQueue(int count)
{
    QElapsedTimer timer;
    timer.start();
    Engines engines;
    if (!engines.openDatabase())
        return -1;
    const QDir library(engines.location().folder());
    const QByteArray partial(64 * 1024, 'z');
    // A thumbnail of the size the site sends.
    QImage thumbnail(480, 270, QImage::Format_RGB32);
    for (int y = 0; y < thumbnail.height(); ++y) {
        for (int x = 0; x < thumbnail.width(); ++x)
            thumbnail.setPixel(x, y, qRgb(x / 2, y, (x * y) % 256));
    }
    QList<DownloadRecords::Row> rows;
    for (int i = 0; i < count; ++i) {
        const QString title = QStringLiteral("Restored scene %1 with Anna & Zoë").arg(i);
        CorvanaMedia media;
        media.url = QUrl(QStringLiteral("http://127.0.0.1:9/media/restored-%1.mp4").arg(i));
        media.title = title;
        media.thumbnail = QUrl(QStringLiteral("http://127.0.0.1:9/images/restored-%1.jpg").arg(i));
        media.fileType = QStringLiteral("video/mp4");
        media.size = 200 * 1024 * 1024;
        CorvanaItem item;
        item.setTitle(title);
        item.setGuid(QStringLiteral("restored-guid-%1").arg(i));
        item.setDescription(QStringLiteral("About restored scene %1").arg(i));
        item.setDuration(QStringLiteral("10:00"));
        item.setMedia(media);
        DownloadRecords::Row row;
        row.corvanaUrl =
            QUrl(QStringLiteral("http://127.0.0.1:9/members/restored-%1.corvana").arg(i / 10));
        row.mediaUrl = media.url;
        row.item = item;
        const QString folder = library.absoluteFilePath(QStringLiteral("Restored scene %1").arg(i));
        row.downloadPath = folder + QStringLiteral("/Restored scene %1.mp4").arg(i);
        QDir().mkpath(folder);
        QFile file(row.downloadPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(partial) != partial.size())
            return -1;
        // Its thumbnail came before the media, as it does for a real download.
        Download named(nullptr, nullptr, engines.location(), row.corvanaUrl, false);
        named.setItem(item);
        named.setMediaPath(row.downloadPath);
        if (!thumbnail.save(named.thumbnailPath(), "JPG", 85))
            return -1;
        rows << row;
    }
    QEventLoop stored;
    engines.downloadRecords()->add(rows, [&stored] { stored.quit(); });
    stored.exec();
    bool ok = false;
    const int kept = int(engines.downloadRecords()->allRows(&ok).size());
    return ok && kept == count ? timer.nsecsElapsed() / 1e6 : -1;
}

double signInToChannels(const QUrl &site)
{
    for (const char *key : {"membersUrl", "channelServerUrl", "updateUrl", "updatePlainUrl"})
        SiteConfig::setValue(QLatin1String(key), site);
    Engines engines;
    engines.openDatabase();
    MainWindow window(&engines);
    window.show();
    engines.account()->login(QStringLiteral("demo"), QStringLiteral("demo"));
    QList<double> rounds;
    for (int i = 0; i < 7; ++i) {
        QMetaObject::invokeMethod(&window, "loggedOut");
        QElapsedTimer timer;
        timer.start();
        QMetaObject::invokeMethod(&window, "loggedIn");
        if (!QTest::qWaitFor([&] { return window.sidebarModel()->rowCount() > 3; }, 30000))
            return -1;
        rounds << timer.nsecsElapsed() / 1e6;
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString part = args.value(1);
    double ms = -1;
    if (part == QLatin1String("webengine"))
        ms = webEngineStart();
    else if (part == QLatin1String("window"))
        ms = windowShown();
    else if (part == QLatin1String("signin"))
        ms = signInToChannels(QUrl(args.value(2)));
    else if (part == QLatin1String("queue-fill"))
        ms = fillQueue(args.value(2).toInt());
    if (part == QLatin1String("queue")) {
        const QueueShown shown = queueShown();
        ms = shown.ms;
        QTextStream(stdout) << shown.ms << ' ' << shown.rows << ' ' << shown.titled << ' '
                            << shown.cpuMs << "\n";
        return ms < 0 ? 1 : 0;
    }
    QTextStream(stdout) << ms << "\n";
    return ms < 0 ? 1 : 0;
}
