#include "gui/web/ZeltaPage.h"

#include "core/Logging.h"
#include "downloads/Download.h"
#include "gui/web/NewWindowPage.h"
#include "gui/web/WebProfile.h"

#include <QAuthenticator>
#include <QRegularExpression>
#include <QWebEngineView>

ZeltaPage::ZeltaPage(QWebEngineProfile *profile, QWebEngineView *view)
    : QWebEnginePage(profile, view), m_view(view)
{
    connect(this, &QWebEnginePage::loadProgress, this, &ZeltaPage::showProgress);
    connect(this, &QWebEnginePage::loadFinished, this, &ZeltaPage::checkFinished);
    connect(this, &QWebEnginePage::authenticationRequired, this,
            [this](const QUrl &url, QAuthenticator *authenticator) {
                WebProfile::instance()->answerAuthentication(this, url, authenticator);
            });
    connect(this, &QWebEnginePage::certificateError, this,
            [](const QWebEngineCertificateError &error) {
                WebProfile::instance()->handleCertificateError(error);
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

bool ZeltaPage::routeDownload(const QUrl &url)
{
    switch (linkKind(url)) {
    case DescriptorLink:
        stopPagePlayer();
        emit descriptorRequested(url);
        return true;
    case MediaLink:
        stopPagePlayer();
        emit directDownloadRequested(url);
        return true;
    case OtherLink:
        break;
    }
    return false;
}

bool ZeltaPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (type == NavigationTypeLinkClicked && routeDownload(url))
        return false;
    // The program's own loads may show anything it asks for; pages never open local files.
    if (type != NavigationTypeTyped && isLocalFile(url)) {
        qCDebug(lcGui) << "acceptNavigationRequest: Local file filtred." << url;
        return false;
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

QWebEnginePage *ZeltaPage::createWindow(WebWindowType)
{
    auto *catcher = new NewWindowPage(profile(), this);
    connect(catcher, &NewWindowPage::requested, this, &ZeltaPage::openFromNewWindow);
    return catcher;
}

void ZeltaPage::openFromNewWindow(const QUrl &url)
{
    if (routeDownload(url))
        return;
    if (isLocalFile(url)) {
        qCDebug(lcGui) << "acceptNavigationRequest: Local file filtred." << url;
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
