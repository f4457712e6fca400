// Parts of the program's start, each measured in a fresh process by
// bench_startup: "webengine" (the first web view showing a blank page),
// "window" (engines and the main window with its four pages, shown) and
// "signin" (sign-in to the member's channels grafted into the sidebar, against
// the demo site at the given URL, median of rounds). Prints milliseconds.
#include "core/SiteConfig.h"
#include "engines/Engines.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/mainwindow/SidebarModel.h"
#include "web/SignInState.h"

#include <QApplication>
#include <QElapsedTimer>
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
    QTest::qWaitFor([&] { return loaded; }, 60000);
    return loaded ? timer.nsecsElapsed() / 1e6 : -1;
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

double signInToChannels(const QUrl &site)
{
    for (const char *key : {"membersUrl", "channelServerUrl", "updateUrl", "updatePlainUrl"})
        SiteConfig::setValue(QLatin1String(key), site);
    Engines engines;
    engines.openDatabase();
    MainWindow window(&engines);
    window.show();
    SignInState::login(QStringLiteral("demo"), QStringLiteral("demo"));
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
    QTextStream(stdout) << ms << "\n";
    return ms < 0 ? 1 : 0;
}
