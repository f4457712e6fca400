#pragma once

#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>

// Stands in for the window a link asks for: it catches the first web address
// the new window would load, with the origin of the frame that asked, hands
// both over and goes away. No window ever opens; nothing that is not a web
// address is handed over, and a window that never loads anything (a
// "javascript:" link) goes away after a while too.
class NewWindowPage : public QWebEnginePage
{
    Q_OBJECT

public:
    NewWindowPage(QWebEngineProfile *profile, QObject *parent);

    // How long a window that loads nothing is kept.
    static constexpr int LifetimeMs = 10000;

Q_SIGNALS:
    // `initiator` is the origin of the frame that opened the window (empty
    // when the engine does not tell).
    void requested(const QUrl &url, const QUrl &initiator);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    friend class NewWindowInterceptor;
    // Puts the interceptor that stops stand-in loads on `profile` (once).
    static void watch(QWebEngineProfile *profile);
    void handOver(const QUrl &url, const QUrl &initiator);
    void finish();

    QTimer m_lifetime;
    bool m_done = false;
};
