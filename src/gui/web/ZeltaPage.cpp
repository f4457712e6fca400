#include "gui/web/ZeltaPage.h"

#include "core/Logging.h"
#include "downloads/Download.h"
#include "gui/web/NewWindowPage.h"
#include "gui/web/WebProfile.h"
#include "web/NetworkManager.h"
#include "web/WebAddress.h"

#include <QAuthenticator>
#include <QRegularExpression>
#include <QWebEngineView>

ZeltaPage::ZeltaPage(WebProfile *profile, QWebEngineView *view)
    : QWebEnginePage(profile->profile(), view), m_view(view)
{
    connect(this, &QWebEnginePage::loadProgress, this, &ZeltaPage::showProgress);
    connect(this, &QWebEnginePage::loadFinished, this, &ZeltaPage::checkFinished);
    connect(this, &QWebEnginePage::authenticationRequired, this,
            [this, profile](const QUrl &url, QAuthenticator *authenticator) {
                profile->answerAuthentication(this, url, authenticator);
            });
    connect(this, &QWebEnginePage::certificateError, this,
            [profile](const QWebEngineCertificateError &error) {
                profile->handleCertificateError(error);
            });
}

ZeltaPage::LinkKind ZeltaPage::linkKind(const QUrl &url)
{
    const QString path = url.path();
    if (path.indexOf(QLatin1String(".corvana"), 1) > 0)
        return DescriptorLink;
    if (Download::isMediaLink(path))
        return MediaLink;
    return OtherLink;
}

bool ZeltaPage::isLocalFile(const QUrl &url)
{
    static const QRegularExpression local(QStringLiteral("(^file://)"));
    return local.match(url.toString()).hasMatch();
}

void ZeltaPage::stopPagePlayer()
{
    runJavaScript(QStringLiteral(
        "if (typeof player != \"undefined\") { player.sendEvent(\"PLAY\",\"false\"); }"));
}

bool ZeltaPage::mayLoad(const QUrl &url, NavigationType type)
{
    if (WebAddress::isWeb(url))
        return true;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("about"))
        return url.path() == QLatin1String("blank") || url.path() == QLatin1String("srcdoc");
    // The offline page is a resource of the program, loaded by the program.
    return type == NavigationTypeTyped && scheme == QLatin1String("qrc");
}

bool ZeltaPage::showsSitePage() const
{
    return WebAddress::isSiteOrigin(url());
}

void ZeltaPage::startDownload(LinkKind kind, const QUrl &url)
{
    stopPagePlayer();
    if (kind == DescriptorLink)
        emit descriptorRequested(url);
    else
        emit directDownloadRequested(url);
}

bool ZeltaPage::routeDownload(const QUrl &url)
{
    const LinkKind kind = linkKind(url);
    if (kind == OtherLink)
        return false;
    if (!showsSitePage()) {
        qCWarning(lcGui) << "ZeltaPage: download link outside the site refused:"
                         << NetworkManager::loggableUrl(url);
        return true;
    }
    startDownload(kind, url);
    return true;
}

bool ZeltaPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (!mayLoad(url, type)) {
        if (isLocalFile(url))
            qCDebug(lcGui) << "acceptNavigationRequest: Local file filtred." << url;
        else
            qCWarning(lcGui) << "ZeltaPage: address refused, not a web address:" << url.scheme();
        return false;
    }
    const LinkKind kind = linkKind(url);
    // A frame's own navigation never downloads, whether clicked or scripted;
    // nor does it load a descriptor in its place.
    if (!isMainFrame &&
        (kind == DescriptorLink || (kind == MediaLink && type == NavigationTypeLinkClicked))) {
        qCWarning(lcGui) << "ZeltaPage: download link in a frame refused:"
                         << NetworkManager::loggableUrl(url);
        return false;
    }
    if (type == NavigationTypeLinkClicked && kind != OtherLink) {
        routeDownload(url);
        return false;
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

QWebEnginePage *ZeltaPage::createWindow(WebWindowType)
{
    // One stand-in at a time: one that never loaded anything is done with.
    if (m_catcher)
        m_catcher->deleteLater();
    auto *catcher = new NewWindowPage(profile(), this);
    // Queued: out of the engine's request handling before anything is loaded.
    connect(catcher, &NewWindowPage::requested, this, &ZeltaPage::openFromNewWindow,
            Qt::QueuedConnection);
    m_catcher = catcher;
    return catcher;
}

void ZeltaPage::openFromNewWindow(const QUrl &url, const QUrl &initiator)
{
    const LinkKind kind = linkKind(url);
    if (kind != OtherLink) {
        // Only the site's own pages may ask for a download.
        if (!WebAddress::isSiteOrigin(initiator) || !showsSitePage()) {
            qCWarning(lcGui) << "ZeltaPage: download link from outside the site refused:"
                             << NetworkManager::loggableUrl(url);
            return;
        }
        startDownload(kind, url);
        return;
    }
    if (!m_view) {
        qCWarning(lcGui) << "ZeltaPage::acceptNavigationRequest - frame == NULL!";
        return;
    }
    m_view->load(url);
}

void ZeltaPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int,
                                         const QString &)
{
}

void ZeltaPage::showProgress(int) {}

void ZeltaPage::checkFinished(bool ok)
{
    if (!ok)
        qCDebug(lcGui) << "ZeltaPage::checkFinished failed:" << url();
}
