#include "gui/web/NewWindowPage.h"

NewWindowPage::NewWindowPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
{
}

bool NewWindowPage::acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame)
{
    if (isMainFrame && !m_done && !url.isEmpty() && url != QUrl(QStringLiteral("about:blank"))) {
        m_done = true;
        emit requested(url);
        deleteLater();
    }
    return false;
}
