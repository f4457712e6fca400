#include "gui/web/ZeltaProxy.h"

#include "core/Logging.h"
#include "gui/web/WebProfile.h"
#include "gui/web/WebWidget.h"
#include "web/Account.h"
#include "web/WebAddress.h"

#include <QDesktopServices>
#include <QUrl>

ZeltaProxy::ZeltaProxy(WebWidget *widget) : QObject(widget), m_widget(widget) {}

// The form's credentials are only offered here: loggedIn() follows once the
// site has accepted them (the web widget sees its members page load).
void ZeltaProxy::login(const QString &username, const QString &password)
{
    if (!m_widget)
        return;
    m_widget->account()->offer(username, password);
    m_widget->profile()->forgetAnswers();
    m_widget->signInOffered();
}

void ZeltaProxy::logout()
{
    if (m_widget)
        m_widget->account()->logout();
    emit loggedOut();
}

void ZeltaProxy::launchBrowser(const QString &url)
{
    const QUrl target(url, QUrl::StrictMode);
    if (!WebAddress::isWeb(target)) {
        qCWarning(lcGui) << "ZeltaProxy::launchBrowser ignored:" << url;
        return;
    }
    QDesktopServices::openUrl(target);
}

void ZeltaProxy::checkConnection()
{
    if (m_widget)
        m_widget->showSiteHome();
}

void ZeltaProxy::tabFocus(const QString &tab, const QString &url)
{
    if (m_widget)
        m_widget->tabFocus(tab, url);
}

void ZeltaProxy::tabFocus(const QString &tab)
{
    tabFocus(tab, QString());
}

void ZeltaProxy::refreshChannels(const QString &channel)
{
    if (m_widget)
        emit m_widget->refreshChannelsRequested(channel);
}

void ZeltaProxy::refreshChannels()
{
    refreshChannels(QString());
}

void ZeltaProxy::search(const QString &terms)
{
    if (m_widget)
        emit m_widget->searchFor(terms);
}

void ZeltaProxy::clearSession()
{
    if (m_widget)
        m_widget->forceRefreshToHome();
}

void ZeltaProxy::clearCache()
{
    if (m_widget)
        m_widget->profile()->clearCaches();
}

void ZeltaProxy::clearCookies()
{
    if (m_widget)
        m_widget->profile()->clearCookies();
}
