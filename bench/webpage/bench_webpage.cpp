// The web page against the demo site: from a click on a descriptor link to
// the download's first byte, and the members home loaded in a view against
// the same page fetched with curl. Medians of several runs ("--quick": one
// run each, run by CTest). A page or a download that does not come is a failure.
#include "BenchRun.h"
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

int kRuns = 7;

double viewLoadMs(QWebEngineView *view, const QUrl &url)
{
    QSignalSpy finished(view, &QWebEngineView::loadFinished);
    QElapsedTimer timer;
    timer.start();
    view->load(url);
    if (!finished.wait(20000) || !finished.first().first().toBool())
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

double curlLoadMs(const QUrl &url)
{
    QProcess curl;
    curl.start(QStringLiteral("curl"),
               {QStringLiteral("-s"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                QStringLiteral("-u"), QStringLiteral("demo:demo"), QStringLiteral("-w"),
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
        WebTestView::run(
            view,
            QStringLiteral("var a = document.createElement('a'); a.id = 'b';"
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
    const bool arrived =
        QTest::qWaitFor([&] { return download && download->bytesWritten() > 0; }, 20000);
    const double ms = timer.nsecsElapsed() / 1e6;
    QObject::disconnect(added);
    return arrived ? ms : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_webpage"), app.arguments());
    kRuns = run.size(kRuns, 1);
    AppIdentity::apply();
    run.step(QStringLiteral("starting the demo site and the web page"));
    DemoSiteProcess site;
    if (!site.isRunning())
        run.fail(QStringLiteral("the demo site did not start"));
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
    if (viewLoadMs(view, WebWidget::membersHome()) < 0) // warm-up: renderer, authentication
        run.fail(QStringLiteral("the members home did not load"));
    run.step(QStringLiteral("page loads and link clicks"));
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
    const double viewMs = BenchRun::median(viewTimes);
    const double curlMs = BenchRun::median(curlTimes);
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
               .arg(BenchRun::median(firstByte), 10, 'f', 1)
               .arg(QStringLiteral("-"), 9)
               .arg(QStringLiteral("-"), 7);
    out << QStringLiteral("(%1 runs each, medians)\n").arg(kRuns);
    out.flush();
    for (const QList<double> *times : {&viewTimes, &firstByte}) {
        if (std::any_of(times->cbegin(), times->cend(), [](double ms) { return ms < 0; }))
            run.fail(QStringLiteral("a page load or a download did not come within 20 s"));
    }
    return run.done();
}
