#include "gui/web/NewWindowPage.h"

#include "core/Logging.h"
#include "web/NetworkManager.h"
#include "web/WebAddress.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>

namespace {

// The loads stand-in pages let start, by address, until the profile's
// interceptor stops them.
QHash<QUrl, QPointer<NewWindowPage>> &startedLoads()
{
    static QHash<QUrl, QPointer<NewWindowPage>> loads;
    return loads;
}

} // namespace

// Stops the first load of a stand-in page and hands it over with the origin
// of the frame that started it. A page's own interceptor is not asked for a
// window the engine has not adopted yet, so this one sits on the profile.
class NewWindowInterceptor : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
            return;
        const QPointer<NewWindowPage> page =
            startedLoads().take(info.requestUrl().adjusted(QUrl::RemoveFragment));
        if (!page)
            return;
        info.block(true);
        page->handOver(info.requestUrl(), info.initiator());
    }
};

void NewWindowPage::watch(QWebEngineProfile *profile)
{
    static QSet<QWebEngineProfile *> watched;
    if (watched.contains(profile))
        return;
    watched.insert(profile);
    profile->setUrlRequestInterceptor(new NewWindowInterceptor(profile));
}

NewWindowPage::NewWindowPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
{
    watch(profile);
    m_lifetime.setSingleShot(true);
    m_lifetime.setInterval(LifetimeMs);
    connect(&m_lifetime, &QTimer::timeout, this, &NewWindowPage::finish);
    m_lifetime.start();
}

bool NewWindowPage::acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame)
{
    if (!isMainFrame || m_done || url.isEmpty() || url == QUrl(QStringLiteral("about:blank")))
        return false;
    if (!WebAddress::isWeb(url)) {
        qCWarning(lcGui) << "NewWindowPage: a new window for a non-web address refused:"
                         << url.scheme();
        finish();
        return false;
    }
    // Let the load start: the interceptor learns who asked for it and stops it.
    startedLoads().insert(url.adjusted(QUrl::RemoveFragment), this);
    return true;
}

void NewWindowPage::handOver(const QUrl &url, const QUrl &initiator)
{
    if (m_done)
        return;
    m_done = true;
    qCDebug(lcGui) << "NewWindowPage: new window for" << NetworkManager::loggableUrl(url) << "from"
                   << initiator;
    emit requested(url, initiator);
    finish();
}

void NewWindowPage::finish()
{
    m_done = true;
    startedLoads().removeIf([this](const auto &entry) { return entry.value() == this; });
    m_lifetime.stop();
    deleteLater();
}
