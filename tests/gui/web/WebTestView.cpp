#include "WebTestView.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace WebTestView {

QVariant run(QWebEngineView *view, const QString &script, quint32 world)
{
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, world, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    QTest::qWaitFor([&] { return done; }, 10000);
    return result;
}

bool waitForPath(QWebEngineView *view, const QString &path, int timeoutMs)
{
    return QTest::qWaitFor(
        [&] {
            // The document's own address: the view's changes before the page does.
            return view->url().path() == path &&
                   run(view, QStringLiteral("location.pathname + ' ' + document.readyState"))
                           .toString() == path + QStringLiteral(" complete");
        },
        timeoutMs);
}

bool loaded(QWebEngineView *view, const std::function<void()> &trigger, int timeoutMs)
{
    QSignalSpy finished(view, &QWebEngineView::loadFinished);
    trigger();
    return finished.wait(timeoutMs) || finished.count() > 0;
}

bool click(QWebEngineView *view, const QString &selector)
{
    const QVariantList box =
        run(view, QStringLiteral("(function () { var e = document.querySelector('%1');"
                                 " if (!e) return null; e.scrollIntoView();"
                                 " var r = e.getBoundingClientRect();"
                                 " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
                      .arg(selector))
            .toList();
    QWidget *render = view->focusProxy();
    if (box.size() != 2 || !render)
        return false;
    const QPoint at(qRound(box.at(0).toDouble()), qRound(box.at(1).toDouble()));
    QTest::mouseMove(render, at);
    QTest::mousePress(render, Qt::LeftButton, {}, at);
    QTest::mouseRelease(render, Qt::LeftButton, {}, at, 20);
    return true;
}

bool submitSignIn(QWebEngineView *view, const QString &user, const QString &password)
{
    run(view, QStringLiteral("document.getElementById('user').value = '%1';"
                             "document.getElementById('password').value = '%2';")
                  .arg(user, password));
    return click(view, QStringLiteral("#signin-button"));
}

} // namespace WebTestView
