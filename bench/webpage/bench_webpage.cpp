// The web page against the demo site: from a click on a descriptor link to
// the download's first byte, and the members home loaded in a view against
// the same page fetched with curl. Medians of several runs.
#include "DemoSiteProcess.h"
#include "ScriptedPrompt.h"
#include "WebTestView.h"

#include "core/AppIdentity.h"
#include "core/SiteConfig.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "engines/Engines.h"
#include "gui/web/CorvExtendedScrolledWebView.h"
#include "gui/web/WebWidget.h"
#include "gui/web/ZeltaProxy.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTextStream>

#include <algorithm>

namespace {

constexpr int kRuns = 7;

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

double viewLoadMs(QWebEngineView *view, const QUrl &url)
{
    QSignalSpy finished(view, &QWebEngineView::loadFinished);
    QElapsedTimer timer;
    timer.start();
    view->load(url);
    finished.wait(20000);
    return timer.nsecsElapsed() / 1e6;
}

double curlLoadMs(const QUrl &url)
{
    QProcess curl;
    curl.start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("-o"),
                                        QStringLiteral("/dev/null"), QStringLiteral("-u"),
                                        QStringLiteral("demo:demo"), QStringLiteral("-w"),
                                        QStringLiteral("%{time_total}"), url.toString()});
    curl.waitForFinished(20000);
    return curl.readAllStandardOutput().toDouble() * 1000;
}

// Clicks a fresh descriptor link with the mouse; the time until its media's first byte.
double clickToFirstByteMs(WebWidget *web, DownloadManager *manager, int run_)
{
    QWebEngineView *view = web->view(WebWidget::SiteView);
    const QString tag = QStringLiteral("bench%1").arg(run_);
    const QVariantList box =
        WebTestView::run(view, QStringLiteral("var a = document.createElement('a'); a.id = 'b';"
                                 "a.href = '/members/synthetic.corvana?count=1&bytes=4000000&tag=%1';"
                                 "a.textContent = 'benchmark'; document.body.prepend(a);"
                                 "var r = a.getBoundingClientRect();"
                                 "[r.left + r.width / 2, r.top + r.height / 2]")
                      .arg(tag))
            .toList();
    const QPoint at(qRound(box.value(0).toDouble()), qRound(box.value(1).toDouble()));
    Download *download = nullptr;
    const auto added = QObject::connect(manager, &DownloadManager::added, manager,
                                        [&](Download *d, int) { download = d; });
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, at);
    QTest::qWaitFor([&] { return download && download->bytesWritten() > 0; }, 20000);
    const double ms = timer.nsecsElapsed() / 1e6;
    QObject::disconnect(added);
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    AppIdentity::apply();
    DemoSiteProcess site;
    if (!site.isRunning()) {
        QTextStream(stderr) << "bench_webpage: the demo site did not start\n";
        return 1;
    }
    for (const char *key : {"membersUrl", "secureMembersUrl", "channelServerUrl"})
        SiteConfig::setValue(QString::fromLatin1(key), site.url());
    ScriptedPrompt prompt;
    Engines engines;
    engines.openDatabase();
    WebWidget web(&engines);
    web.resize(1000, 800);
    web.show();
    web.bridge()->login(QStringLiteral("demo"), QStringLiteral("demo"));

    QWebEngineView *view = web.view(WebWidget::SiteView);
    viewLoadMs(view, WebWidget::membersHome()); // warm-up: renderer start, authentication
    QList<double> viewTimes, curlTimes, firstByte;
    for (int i = 0; i < kRuns; ++i) {
        const QUrl url = site.url(QStringLiteral("/members/index.php?run=%1").arg(i));
        viewTimes << viewLoadMs(view, url);
        curlTimes << curlLoadMs(url);
    }
    for (int i = 0; i < kRuns; ++i)
        firstByte << clickToFirstByteMs(&web, engines.downloadManager(), i);
    engines.downloadManager()->pauseAll();

    QTextStream out(stdout);
    const double viewMs = median(viewTimes);
    const double curlMs = median(curlTimes);
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(QStringLiteral("measure"), -44)
               .arg(QStringLiteral("median ms"), 10)
               .arg(QStringLiteral("curl ms"), 9)
               .arg(QStringLiteral("ratio"), 7);
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(QStringLiteral("members home load (view vs curl)"), -44)
               .arg(viewMs, 10, 'f', 1)
               .arg(curlMs, 9, 'f', 1)
               .arg(curlMs > 0 ? viewMs / curlMs : 0, 7, 'f', 1);
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(QStringLiteral("descriptor link click to first media byte"), -44)
               .arg(median(firstByte), 10, 'f', 1)
               .arg(QStringLiteral("-"), 9)
               .arg(QStringLiteral("-"), 7);
    out << QStringLiteral("(%1 runs each, medians)\n").arg(kRuns);
    return 0;
}
