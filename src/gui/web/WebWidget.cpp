#include "gui/web/WebWidget.h"

#include "core/Logging.h"
#include "core/SiteConfig.h"
#include "downloads/DownloadManager.h"
#include "engines/Engines.h"
#include "gui/mainwindow/CorvWebSearchWidget.h"
#include "gui/mainwindow/CustomWebInspector.h"
#include "gui/web/AutoSizeLabel.h"
#include "gui/web/BridgeScripts.h"
#include "gui/web/CorvExtendedScrolledWebView.h"
#include "gui/web/WebProfile.h"
#include "gui/web/ZeltaPage.h"
#include "gui/web/ZeltaProxy.h"
#include "library/Library.h"
#include "web/SignInState.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QNetworkInformation>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QUrlQuery>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEngineHistory>
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
template <typename T>
void shiftDown(QHash<int, T> &table, int removed)
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
    : QWidget(parent), m_engines(engines ? engines : Engines::instance())
{
    Q_INIT_RESOURCE(web);
    m_status = new QLabel(tr("Importing files..."), this);
    m_status->setAccessibleName(tr("Import status"));
    m_status->hide();

    m_homeUrls.insert(SiteView, membersHome());
    m_homeUrls.insert(OfflineView, offlinePage());
    m_searchUrls.insert(SiteView, searchPage());
    m_placeholders.insert(SiteView, tr("Search All Channels"));

    m_progressTimer.setInterval(100);
    connect(&m_progressTimer, &QTimer::timeout, this, &WebWidget::animateProgressIndicator);

    m_bridge = new ZeltaProxy(this);
    connect(m_bridge, &ZeltaProxy::loggedIn, this, &WebWidget::loginOccurred);
    connect(m_bridge, &ZeltaProxy::loggedIn, this, &WebWidget::loggedIn);
    connect(m_bridge, &ZeltaProxy::loggedOut, this, &WebWidget::logoutOccurred);
    connect(m_bridge, &ZeltaProxy::loggedOut, this, &WebWidget::loggedOut);
    connect(m_bridge, &ZeltaProxy::checkConnectionAgain, this, &WebWidget::reload);
    m_channel = new QWebChannel(this);
    m_channel->registerObject(QStringLiteral("zelta"), m_bridge);

    m_stack = new QStackedWidget(this);
    buildToolbar();
    for (int i = SiteView; i <= OfflineView; ++i)
        createView();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolbar);
    layout->addWidget(m_stack, 1);
    layout->addWidget(m_status);
    setAcceptDrops(true);

    if (m_engines) {
        Library *library = m_engines->library();
        connect(library, &Library::importFinished, m_status, &QWidget::hide);
    }
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
    m_toolbar = new QWidget(this);
    m_toolbar->setObjectName(QStringLiteral("WebToolbar"));
    auto *row = new QHBoxLayout(m_toolbar);
    row->setContentsMargins(6, 4, 6, 4);
    const auto button = [this, row](QStyle::StandardPixmap icon, const QString &name,
                                    void (WebWidget::*slot)()) {
        auto *b = new QToolButton(m_toolbar);
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(name);
        b->setAccessibleName(name);
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, slot);
        row->addWidget(b);
        return b;
    };
    m_back = button(QStyle::SP_ArrowBack, tr("Back"), &WebWidget::back);
    m_forward = button(QStyle::SP_ArrowForward, tr("Forward"), &WebWidget::forward);
    button(QStyle::SP_DirHomeIcon, tr("Home"), &WebWidget::home);
    button(QStyle::SP_BrowserReload, tr("Reload"), &WebWidget::reload);
    button(QStyle::SP_BrowserStop, tr("Stop"), &WebWidget::stop);
    m_titleLabel = new AutoSizeLabel(m_toolbar);
    row->addWidget(m_titleLabel, 1);
    m_progress = new QLabel(m_toolbar);
    m_progress->setFixedSize(16, 16);
    m_progress->setAccessibleName(tr("Loading"));
    m_progress->hide();
    row->addWidget(m_progress);
    m_searchField = new CorvWebSearchWidget(m_toolbar);
    connect(m_searchField, &CorvWebSearchWidget::signalReturnStringSearch, this,
            &WebWidget::searchFor);
    row->addWidget(m_searchField);
}

CorvExtendedScrolledWebView *WebWidget::createView()
{
    auto *view = new CorvExtendedScrolledWebView(m_stack);
    auto *page = new ZeltaPage(WebProfile::instance()->profile(), view);
    page->setWebChannel(m_channel, BridgeScripts::ChannelWorld);
    page->scripts().insert(
        BridgeScripts::scripts(ZeltaProxy::staticMetaObject, WebProfile::siteOrigins()));
    view->setPage(page);
    connect(page, &ZeltaPage::descriptorRequested, this, &WebWidget::descriptorRequested);
    connect(page, &ZeltaPage::directDownloadRequested, this, &WebWidget::directDownloadRequested);
    connect(view, &QWebEngineView::loadStarted, this, &WebWidget::startProgressIndicator);
    connect(view, &QWebEngineView::loadFinished, this, &WebWidget::stopProgressIndicator);
    connect(view, &QWebEngineView::titleChanged, this, &WebWidget::setTitle);
    connect(view, &QWebEngineView::urlChanged, this, &WebWidget::updateNavigationEnabled);
    m_stack->addWidget(view);
    m_views.append(view);
    return view;
}

bool WebWidget::createChannel(const QString &name, const QUrl &homeUrl, const QUrl &searchUrl)
{
    const QString key = name.toLower();
    const QString scheme = homeUrl.scheme();
    if (key.isEmpty() || !homeUrl.isValid() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
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
    m_searchField->setPlaceholderText(m_placeholders.value(index, tr("Search...")));
    m_stack->setCurrentIndex(index);
    target->load(url.isEmpty() ? homeUrl(index) : url);
    updateNavigationEnabled();
}

void WebWidget::showSiteHome()
{
    showView(SiteView, SignInState::isLoggedIn() ? membersHome() : startPage());
}

void WebWidget::tabFocus(const QString &tab, const QString &url)
{
    const QString name = tab.toLower();
    if (name == QLatin1String("corvana"))
        showView(SiteView, QUrl(url));
    else if (name == QLatin1String("discaveo"))
        showView(AddOnView, burnerAddOnPage());
    else if (name == QLatin1String("lumiqotv"))
        showView(AddOnView, tvAddOnPage());
    else if (m_channelViews.contains(name))
        showView(m_channelViews.value(name), QUrl(url));
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
    const QUrl url = homeUrl(currentIndex());
    qCDebug(lcGui) << "loading:" << url;
    currentView()->stop();
    QCoreApplication::processEvents();
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
    current->stop();
    QCoreApplication::processEvents();
    current->load(current->url());
}

void WebWidget::stop()
{
    currentView()->stop();
}

void WebWidget::login()
{
    if (SignInState::isLoggedIn())
        return;
    showView(SiteView, startPage());
    view(SiteView)->history()->clear();
}

void WebWidget::corvana()
{
    showView(SiteView, QUrl());
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
    const bool backToStart = history->canGoBack() &&
                             history->backItem().url().path() == startPage().path();
    m_back->setEnabled(history->canGoBack() && !backToStart);
    m_forward->setEnabled(history->canGoForward());
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
    m_searchField->setSearchText(text);
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
            library->importFolder(info.absoluteFilePath());
        else if (info.isFile())
            library->importFile(info.absoluteFilePath());
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
    m_titleLabel->setText(title);
}

void WebWidget::animateProgressIndicator()
{
    m_progressFrame = m_progressFrame >= 12 ? 1 : m_progressFrame + 1;
    m_progress->setPixmap(
        QPixmap(QStringLiteral(":/images/progress/progress%1.png").arg(m_progressFrame)));
}

void WebWidget::startProgressIndicator()
{
    if (m_progressTimer.isActive())
        return;
    m_progress->show();
    m_progressTimer.start();
}

void WebWidget::stopProgressIndicator()
{
    m_progressTimer.stop();
    m_progress->hide();
}

void WebWidget::loginOccurred()
{
    if (m_loginPage)
        disconnect(m_loginPage, &QWebEnginePage::loadFinished, this, &WebWidget::loginComplete);
    m_loginPage = currentView()->page();
    connect(m_loginPage, &QWebEnginePage::loadFinished, this, &WebWidget::loginComplete);
    emit refreshChannelsRequested(QString());
}

void WebWidget::loginComplete(bool)
{
    auto *page = qobject_cast<QWebEnginePage *>(sender());
    if (!page || page != currentView()->page()) {
        qCWarning(lcGui) << "WebWidget::loginComplete invalid sender";
        return;
    }
    disconnect(page, &QWebEnginePage::loadFinished, this, &WebWidget::loginComplete);
    m_loginPage = nullptr;
    if (m_engines)
        m_engines->signIn(SignInState::userName(), SignInState::password());
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

bool WebWidget::isOnline()
{
    QNetworkInformation *info = QNetworkInformation::instance();
    return !info || info->reachability() != QNetworkInformation::Reachability::Disconnected;
}

void WebWidget::followNetworkState()
{
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return; // no backend: count as online
    m_online = isOnline();
    connect(QNetworkInformation::instance(), &QNetworkInformation::reachabilityChanged, this,
            [this](QNetworkInformation::Reachability reachability) {
                if (reachability == QNetworkInformation::Reachability::Unknown)
                    return;
                const bool online = reachability != QNetworkInformation::Reachability::Disconnected;
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
