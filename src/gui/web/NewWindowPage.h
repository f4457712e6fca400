#pragma once

#include <QUrl>
#include <QWebEnginePage>

// Stands in for the window a link asks for: it catches the first address the
// new window would load, hands it over and goes away. No window ever opens.
class NewWindowPage : public QWebEnginePage
{
    Q_OBJECT

public:
    NewWindowPage(QWebEngineProfile *profile, QObject *parent);

Q_SIGNALS:
    void requested(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    bool m_done = false;
};
