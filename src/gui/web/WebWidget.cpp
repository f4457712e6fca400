#include "gui/web/WebWidget.h"

#include "core/Logging.h"
#include "core/SiteConfig.h"
#include "downloads/DownloadManager.h"
#include "engines/Engines.h"
#include "gui/mainwindow/CorvWebSearchWidget.h"
#include "gui/mainwindow/CustomWebInspector.h"
#include "gui/web/BridgeScripts.h"
#include "gui/web/CorvExtendedScrolledWebView.h"
#include "gui/web/WebMessageBar.h"
#include "gui/web/WebProfile.h"
#include "gui/web/WebToolbar.h"
#include "gui/web/ZeltaPage.h"
#include "gui/web/ZeltaProxy.h"
#include "library/ImportController.h"
#include "library/Library.h"
#include "web/Account.h"
#include "web/NetworkManager.h"
#include "web/NetworkStatus.h"
#include "web/WebAddress.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QStackedWidget>
#include <QUrlQuery>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

namespace {

QUrl sitePath(const char *path)
{
    return SiteConfig::resolve(SiteConfig::membersUrl(), QString::fromLatin1(path));
}

QUrl burnerAddOnPage()
{
    return sitePath("/members/plugins/discaveo/");
}

QUrl tvAddOnPage()
{
    return sitePath("/members/plugins/lumiqo/");
}

// Moves the entries keyed above `removed` one index down.
template <typename T> void shiftDown(QHash<int, T> &table, int removed)
{
    QHash<int, T> shifted;
    for (auto it = table.constBegin(); it != table.constEnd(); ++it) {
        if (it.key() != removed)
            shifted.insert(it.key() > removed ? it.key() - 1 : it.key(), it.value());
    }
    table = shifted;
}

} // namespace

WebWidget::WebWidget(Engines *engines, QWidget *parent)
    : QWidget(parent), m_engines(engines), m_account(engines->account()),
      m_profile(new WebProfile(engines->networkManager(), engines->prompt(), this))
{
    Q_INIT_RESOURCE(web);
    m_status = new QLabel(tr("Importing files..."), this);
    m_status->setAccessibleName(tr("Import status"));
    m_status->hide();

    m_homeUrls.insert(SiteView, membersHome());
    m_homeUrls.insert(OfflineView, offlinePage());
    m_searchUrls.insert(SiteView, searchPage());
    m_placeholders.insert(SiteView, tr("Search All Channels"));

    m_bridge = new ZeltaProxy(this);
    connect(m_bridge, &ZeltaProxy::loggedIn, this, &WebWidget::loginOccurred);
    connect(m_bridge, &ZeltaProxy::loggedIn, this, &WebWidget::loggedIn);
    connect(m_bridge, &ZeltaProxy::loggedOut, this, &WebWidget::logoutOccurred);
    connect(m_bridge, &ZeltaProxy::loggedOut, this, &WebWidget::loggedOut);
    connect(m_bridge, &ZeltaProxy::checkConnectionAgain, this, &WebWidget::reload);
    m_channel = new QWebChannel(this);
    m_channel->registerObject(QStringLiteral("zelta"), m_bridge);

    connect(m_profile, &WebProfile::signInRequired, this, &WebWidget::signInRequired);

    m_stack = new QStackedWidget(this);
    buildToolbar();
    m_messageBar = new WebMessageBar(this);
    for (int i = SiteView; i <= OfflineView; ++i)
        createView();
    // The offline page's Retry button marks the address with "#retry-...".
    connect(view(OfflineView), &QWebEngineView::urlChanged, this, [this](const QUrl &url) {
        if (url.fragment().startsWith(QLatin1String("retry")))
            retry();
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolbar);
    layout->addWidget(m_messageBar);
    layout->addWidget(m_stack, 1);
    layout->addWidget(m_status);
    setAcceptDrops(true);

    if (m_engines) {
        Library *library = m_engines->library();
        connect(library->imports(), &ImportController::importFinished, m_status, &QWidget::hide);
        connect(m_engines->downloadManager(), &DownloadManager::descriptorRead, this,
                &WebWidget::reportQueued);
    }
    m_formTimer.setSingleShot(true);
    m_formTimer.setInterval(FormDelayMs);
    connect(&m_formTimer, &QTimer::timeout, this, &WebWidget::showFormNow);
    followNetworkState();
}

WebWidget::~WebWidget()
{
    delete m_inspector.data();
}

QUrl WebWidget::membersHome()
{
    return sitePath("/members/index.php");
}

QUrl WebWidget::startPage()
{
    return sitePath("/start/index.php");
}

QUrl WebWidget::searchPage()
{
    return sitePath("/members/search.php?q=");
}

QUrl WebWidget::offlinePage()
{
    return QUrl(QStringLiteral("qrc:/error.html"));
}

void WebWidget::buildToolbar()
{
    m_toolbar = new WebToolbar(this);
    connect(m_toolbar, &WebToolbar::backRequested, this, &WebWidget::back);
    connect(m_toolbar, &WebToolbar::forwardRequested, this, &WebWidget::forward);
    connect(m_toolbar, &WebToolbar::homeRequested, this, &WebWidget::home);
    connect(m_toolbar, &WebToolbar::reloadRequested, this, &WebWidget::reload);
    connect(m_toolbar, &WebToolbar::stopRequested, this, &WebWidget::stop);
    connect(m_toolbar, &WebToolbar::searchFor, this, &WebWidget::searchFor);
}

CorvExtendedScrolledWebView *WebWidget::createView()
{
    auto *view = new CorvExtendedScrolledWebView(m_stack);
    auto *page = new ZeltaPage(m_profile, view);
    page->setWebChannel(m_channel, BridgeScripts::ChannelWorld);
    page->scripts().insert(
        BridgeScripts::scripts(ZeltaProxy::staticMetaObject, WebAddress::siteOrigins()));
    view->setPage(page);
    connect(page, &ZeltaPage::descriptorRequested, this, &WebWidget::descriptorRequested);
    connect(page, &ZeltaPage::directDownloadRequested, this, &WebWidget::directDownloadRequested);
    connect(view, &QWebEngineView::loadStarted, m_toolbar, &WebToolbar::startProgress);
    connect(view, &QWebEngineView::loadFinished, m_toolbar, &WebToolbar::stopProgress);
    connect(view, &QWebEngineView::titleChanged, this, &WebWidget::setTitle);
    connect(view, &QWebEngineView::urlChanged, this, &WebWidget::updateNavigationEnabled);
    connect(page, &QWebEnginePage::loadingChanged, this,
            [this, view](const QWebEngineLoadingInfo &info) { loadingChanged(view, info); });
    m_stack->addWidget(view);
    m_views.append(view);
    return view;
}

bool WebWidget::createChannel(const QString &name, const QUrl &homeUrl, const QUrl &searchUrl)
{
    const QString key = name.toLower();
    if (key.isEmpty() || !WebAddress::isWeb(homeUrl)) {
        qCWarning(lcGui) << "Invalid channel";
        return false;
    }
    if (m_channelViews.contains(key)) {
        qCDebug(lcGui) << "CreateChannel: Channel already exist";
        return false;
    }
    createView();
    const int index = m_views.size() - 1;
    m_channelViews.insert(key, index);
    m_homeUrls.insert(index, homeUrl);
    if (searchUrl.isValid() && !searchUrl.isEmpty())
        m_searchUrls.insert(index, searchUrl);
    return true;
}

void WebWidget::removeChannel(const QString &name)
{
    const int index = m_channelViews.take(name.toLower());
    if (index <= OfflineView)
        return;
    if (m_stack->currentIndex() == index)
        m_stack->setCurrentIndex(SiteView);
    CorvExtendedScrolledWebView *view = m_views.takeAt(index);
    m_stack->removeWidget(view);
    view->deleteLater();
    shiftDown(m_homeUrls, index);
    shiftDown(m_searchUrls, index);
    shiftDown(m_placeholders, index);
    for (int &other : m_channelViews) {
        if (other > index)
            --other;
    }
}

bool WebWidget::hasChannel(const QString &name) const
{
    return m_channelViews.contains(name.toLower());
}

int WebWidget::currentIndex() const
{
    return m_stack->currentIndex();
}

int WebWidget::viewCount() const
{
    return m_views.size();
}

CorvExtendedScrolledWebView *WebWidget::view(int index) const
{
    return m_views.value(index);
}

CorvExtendedScrolledWebView *WebWidget::currentView() const
{
    return m_views.value(m_stack->currentIndex());
}

QUrl WebWidget::homeUrl(int index) const
{
    return m_homeUrls.value(index);
}

QUrl WebWidget::searchUrl(int index) const
{
    return m_searchUrls.value(index);
}

void WebWidget::showView(int index, const QUrl &url)
{
    CorvExtendedScrolledWebView *target = view(index);
    if (!target)
        return;
    switchToView(index);
    target->load(url.isEmpty() ? homeUrl(index) : url);
    updateNavigationEnabled();
}

void WebWidget::switchToView(int index)
{
    m_toolbar->searchField()->setPlaceholderText(m_placeholders.value(index, tr("Search...")));
    if (index != SiteView)
        m_messageBar->hideMessage();
    m_stack->setCurrentIndex(index);
}

void WebWidget::showSiteHome()
{
    showView(SiteView, m_account->isLoggedIn() ? membersHome() : startPage());
}

QUrl WebWidget::bridgeAddress(int index, const QString &url) const
{
    if (url.isEmpty())
        return QUrl();
    QUrl address(url, QUrl::StrictMode);
    if (address.isRelative())
        address = homeUrl(index).resolved(address);
    // The site's own pages, or a channel's own host for its view; nothing else.
    const bool ownChannel = index > OfflineView && WebAddress::isWeb(address) &&
                            WebAddress::originOf(address) == WebAddress::originOf(homeUrl(index));
    if (WebAddress::isSiteOrigin(address) || ownChannel)
        return address;
    qCWarning(lcGui) << "WebWidget::tabFocus address outside the site refused:"
                     << NetworkManager::loggableUrl(address);
    return QUrl(QStringLiteral("about:invalid"));
}

void WebWidget::tabFocus(const QString &tab, const QString &url)
{
    const QString name = tab.toLower();
    int index = -1;
    QUrl address;
    if (name == QLatin1String("corvana")) {
        index = SiteView;
        address = bridgeAddress(index, url);
    } else if (name == QLatin1String("discaveo")) {
        index = AddOnView;
        address = burnerAddOnPage();
    } else if (name == QLatin1String("lumiqotv")) {
        index = AddOnView;
        address = tvAddOnPage();
    } else if (m_channelViews.contains(name)) {
        index = m_channelViews.value(name);
        address = bridgeAddress(index, url);
    }
    if (address.scheme() == QLatin1String("about"))
        return; // refused above
    if (index >= 0)
        showView(index, address);
    emit sidebarItemRequested(name);
}

void WebWidget::stopPlayer()
{
    if (QWebEngineView *current = currentView())
        current->page()->runJavaScript(QStringLiteral("zelta.flashpause();"));
}

void WebWidget::load(const QUrl &url)
{
    QWebEngineView *current = currentView();
    if (url != current->url()) {
        current->load(url);
        emit titleChanged(tr("Loading..."));
    } else {
        emit titleChanged(current->title());
    }
}

void WebWidget::home()
{
    // The site's own views lead to the sign-in form while nobody is signed in.
    const int index = currentIndex();
    if (index == SiteView || index == OfflineView ||
        (index == AddOnView && !m_account->isLoggedIn())) {
        qCDebug(lcGui) << "loading:" << (m_account->isLoggedIn() ? membersHome() : startPage());
        showSiteHome();
        return;
    }
    const QUrl url = homeUrl(index);
    qCDebug(lcGui) << "loading:" << url;
    // A new load replaces the one under way.
    currentView()->load(url);
}

void WebWidget::forward()
{
    currentView()->forward();
}

void WebWidget::back()
{
    currentView()->back();
}

void WebWidget::reload()
{
    QWebEngineView *current = currentView();
    current->load(current->url());
}

void WebWidget::stop()
{
    currentView()->stop();
}

void WebWidget::login()
{
    if (m_account->isLoggedIn())
        return;
    showSignInForm();
}

void WebWidget::showSignInForm()
{
    showView(SiteView, startPage());
    view(SiteView)->history()->clear();
    updateNavigationEnabled();
}

void WebWidget::corvana()
{
    showView(SiteView, QUrl());
}

void WebWidget::showSite()
{
    CorvExtendedScrolledWebView *site = view(SiteView);
    if (!site)
        return;
    // Nothing shown yet, or the sign-in form of a member now signed in.
    const bool stale = site->url().isEmpty() ||
                       (m_account->isLoggedIn() && site->url().path() == startPage().path());
    if (stale) {
        corvana();
        return;
    }
    switchToView(SiteView);
    updateNavigationEnabled();
}

void WebWidget::channel(const QString &name)
{
    const auto it = m_channelViews.constFind(name.toLower());
    if (it != m_channelViews.constEnd())
        showView(*it, QUrl());
}

void WebWidget::forceRefreshToHome()
{
    for (int i = 0; i < m_views.size(); ++i) {
        if (i == AddOnView || i == OfflineView)
            continue;
        QUrl url = homeUrl(i);
        QUrlQuery query(url);
        query.addQueryItem(QStringLiteral("autorefresh"), QStringLiteral("1"));
        url.setQuery(query);
        m_views.at(i)->load(url);
    }
}

void WebWidget::updateNavigationEnabled()
{
    QWebEngineView *current = currentView();
    if (!current)
        return;
    QWebEngineHistory *history = current->history();
    const bool backToStart =
        history->canGoBack() && history->backItem().url().path() == startPage().path();
    m_toolbar->setNavigation(history->canGoBack() && !backToStart, history->canGoForward());
}

void WebWidget::setVisibleWebInspectorCurrentPage(bool visible)
{
    if (!visible) {
        if (m_inspector)
            m_inspector->hide();
        return;
    }
    if (!m_inspector)
        m_inspector = new CustomWebInspector();
    m_inspector->setPage(currentView()->page());
    if (m_inspector->isMinimized())
        m_inspector->showNormal();
    m_inspector->show();
    m_inspector->raise();
}

void WebWidget::setVisibleWebInspectorCurrentPage()
{
    setVisibleWebInspectorCurrentPage(true);
}

void WebWidget::doSearchFor(const QString &text)
{
    m_toolbar->searchField()->setSearchText(text);
}

void WebWidget::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void WebWidget::dropEvent(QDropEvent *event)
{
    if (!m_engines)
        return;
    Library *library = m_engines->library();
    bool any = false;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isDir())
            library->imports()->importFolder(info.absoluteFilePath());
        else if (info.isFile())
            library->imports()->importFile(info.absoluteFilePath());
        else
            continue;
        any = true;
    }
    if (any) {
        m_status->show();
        event->acceptProposedAction();
    }
}

void WebWidget::setTitle(const QString &title)
{
    m_title = title;
    m_toolbar->setTitle(title);
}

// The site accepted the member: the downloads resume and the channels come.
void WebWidget::loginOccurred()
{
    if (m_engines) {
        const Account::Credentials credentials = m_account->credentials();
        m_engines->signIn(credentials.userName, credentials.password);
    }
    emit refreshChannelsRequested(QString());
}

void WebWidget::signInOffered()
{
    qCDebug(lcGui) << "WebWidget: sign-in offered for" << m_account->userName();
    m_signInPending = true;
    m_messageBar->hideMessage();
}

void WebWidget::confirmSignIn()
{
    m_signInPending = false;
    m_account->confirm();
    m_messageBar->hideMessage();
    qCDebug(lcGui) << "WebWidget: the site accepted the sign-in";
    emit m_bridge->loggedIn();
}

QString WebWidget::signInFailedText()
{
    return tr("The user name or password is not right.");
}

bool WebWidget::isMembersPage(const QUrl &url)
{
    return WebAddress::siteOrigins().contains(WebAddress::originOf(url)) &&
           url.path().startsWith(QLatin1String("/members/"));
}

void WebWidget::signInRequired(QWebEnginePage *page, const QUrl &url, bool rejected)
{
    // Another site's challenge is that site's business.
    if (!WebAddress::siteOrigins().contains(WebAddress::originOf(url)))
        return;
    CorvExtendedScrolledWebView *owner = nullptr;
    for (CorvExtendedScrolledWebView *candidate : std::as_const(m_views)) {
        if (candidate->page() == page)
            owner = candidate;
    }
    if (!owner)
        return;
    qCDebug(lcGui) << "WebWidget: the site asks for a sign-in" << (rejected ? "again" : "");
    if (m_signInPending) {
        m_signInPending = false;
        qCDebug(lcGui) << "WebWidget: the site refused the sign-in";
        formAfterLoad(owner, true);
    } else if (owner == currentView()) {
        // A members page while signed out (or with credentials the site no
        // longer takes): the form instead of the site's refusal.
        formAfterLoad(owner, false);
    }
}

// The refused page is still on its way in: the form follows once it has
// finished, so the two loads do not cross (or after FormDelayMs at the latest).
void WebWidget::formAfterLoad(CorvExtendedScrolledWebView *view, bool refused)
{
    m_formView = view;
    m_formRefused = m_formRefused || refused;
    m_formTimer.start();
}

void WebWidget::showFormNow()
{
    if (!m_formView)
        return;
    m_formView = nullptr;
    m_formTimer.stop();
    const bool refused = std::exchange(m_formRefused, false);
    showSignInForm();
    if (refused)
        m_messageBar->showMessage(signInFailedText());
}

void WebWidget::loadingChanged(CorvExtendedScrolledWebView *view, const QWebEngineLoadingInfo &info)
{
    if (view == m_formView && info.status() != QWebEngineLoadingInfo::LoadStartedStatus) {
        showFormNow();
        return;
    }
    if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus) {
        if (m_signInPending && !info.isErrorPage() && isMembersPage(info.url()))
            confirmSignIn();
        return;
    }
    if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus)
        return;
    qCDebug(lcGui) << "WebWidget: loading failed:" << info.errorDomain() << info.errorCode();
    const bool refused = (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain &&
                          (info.errorCode() == 401 || info.errorCode() == 403));
    if (refused && m_signInPending && isMembersPage(info.url())) {
        m_signInPending = false;
        formAfterLoad(view, true);
        showFormNow();
        return;
    }
    // Whenever the browser would show its own error page instead of the site's
    // (no connection, no name, a port it refuses, a broken answer), the member
    // gets the program's offline page with its Retry button. An HTTP status the
    // site answered with a page of its own stays the site's business.
    const bool unreachable =
        info.errorDomain() == QWebEngineLoadingInfo::ConnectionErrorDomain ||
        info.errorDomain() == QWebEngineLoadingInfo::DnsErrorDomain ||
        (info.isErrorPage() && info.errorDomain() != QWebEngineLoadingInfo::HttpStatusCodeDomain &&
         info.errorDomain() != QWebEngineLoadingInfo::CertificateErrorDomain);
    if (unreachable && view == currentView() && view != this->view(OfflineView)) {
        qCWarning(lcGui) << "WebWidget: the site cannot be reached:" << info.errorString();
        showOffline();
    }
}

void WebWidget::retry()
{
    qCDebug(lcGui) << "WebWidget: trying the site again";
    showSiteHome();
}

// What a descriptor link ("Download everything", one video) added.
void WebWidget::reportQueued(int queued)
{
    if (queued == 0)
        m_messageBar->showMessage(
            tr("No new downloads: these videos are already in your library or in the "
               "download list."),
            true);
    else if (queued == 1)
        m_messageBar->showMessage(tr("1 download was queued. You find it under Downloads."), true);
    else
        m_messageBar->showMessage(
            tr("%1 downloads were queued. You find them under Downloads.").arg(queued), true);
}

QString WebWidget::message() const
{
    return m_messageBar->text();
}

void WebWidget::logoutOccurred()
{
    qCDebug(lcGui) << "logout occured!";
    currentView()->history()->clear();
    updateNavigationEnabled();
    emit refreshChannelsRequested(QString());
    if (m_engines)
        m_engines->signOut();
}

void WebWidget::networkStatusChanged(bool online)
{
    m_online = online;
    if (!online)
        showView(OfflineView, QUrl());
    else
        showSiteHome();
}

void WebWidget::showOffline()
{
    networkStatusChanged(false);
}

void WebWidget::followNetworkState()
{
    NetworkStatus *status = m_engines ? m_engines->networkStatus() : new NetworkStatus(this);
    m_online = status->isOnline();
    connect(status, &NetworkStatus::onlineChanged, this, [this](bool online) {
        if (online != m_online) // only a real change moves the page
            networkStatusChanged(online);
    });
}

void WebWidget::descriptorRequested(const QUrl &url)
{
    if (m_engines)
        m_engines->downloadManager()->initializeDownload(url);
}

void WebWidget::directDownloadRequested(const QUrl &url)
{
    emit downloadsPageRequested();
    if (m_engines)
        m_engines->downloadManager()->initializeDirectDownload(url, true);
}

CorvWebSearchWidget *WebWidget::searchField() const
{
    return m_toolbar->searchField();
}
