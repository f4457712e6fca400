#pragma once

#include <QString>
#include <QUrl>
#include <QVariant>

#include <functional>

class QWebEngineView;

// Drives a real web view from a test: scripts, loads and clicks as a user
// makes them (mouse events on the rendered element).
namespace WebTestView {

// Runs a script in the page's own world (or `world`) and returns its result.
QVariant run(QWebEngineView *view, const QString &script, quint32 world = 0);
// Waits until the view shows `path` and has finished loading it.
bool waitForPath(QWebEngineView *view, const QString &path, int timeoutMs = 20000);
// Runs `trigger` (which loads something) and waits for that load to finish.
bool loaded(QWebEngineView *view, const std::function<void()> &trigger, int timeoutMs = 20000);
// Clicks the element that `selector` names with the mouse.
bool click(QWebEngineView *view, const QString &selector);

// On the site's sign-in page: types the member's name and password into its
// form and presses its button.
bool submitSignIn(QWebEngineView *view, const QString &user, const QString &password);

} // namespace WebTestView
