#include "gui/mainwindow/MainWindow.h"

#include "core/Logging.h"
#include "downloads/ChannelIconDownloader.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "engines/Engines.h"
#include "gui/mainwindow/Artwork.h"
#include "gui/mainwindow/ChannelRequest.h"
#include "gui/mainwindow/CorvTreeView.h"
#include "gui/mainwindow/CustomWebInspector.h"
#include "gui/mainwindow/InfoWidget.h"
#include "gui/mainwindow/ItemDelegate.h"
#include "gui/mainwindow/Palette.h"
#include "gui/mainwindow/SidebarModel.h"
#include "gui/mainwindow/WindowPlacement.h"
#include "gui/player/MpvPlayer.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/TvMode.h"
#include "library/ImportController.h"
#include "library/Library.h"
#include "library/LibraryModel.h"
#include "web/Account.h"
#include "web/NetworkManager.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>
#include <QMessageBox>
#include <QNetworkInformation>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QTextEdit>
#include <QTimeLine>
#include <QTimer>

int MainWindow::s_progressFrame = 1;

MainWindow::MainWindow(Engines *engines, QWidget *parent)
    : QMainWindow(parent), m_engines(engines),
      m_updater(engines->networkManager(), engines->downloadManager())
{
    setCentralWidget(new QWidget(this));
    setWindowTitle(tr("Corvana Zelta %1").arg(QCoreApplication::applicationVersion()));
    setWindowIcon(QIcon(QStringLiteral(":/images/corvana_logo.png")));

    m_infoWidget = new InfoWidget(this);
    m_infoWidget->hide();
    buildSidebar();

    m_pages = new QStackedWidget(centralWidget());
    m_pages->setAccessibleName(tr("Pages"));
    createLibraryPage();
    createWebPage();
    createDownloadsPage();

    m_mediaObject = new MpvPlayer(this);
    createPlayerPage();

    m_toolbarTimeLine = new QTimeLine(500, this);
    connect(m_toolbarTimeLine, &QTimeLine::valueChanged, this, &MainWindow::animateToolbar);
    connect(m_toolbarTimeLine, &QTimeLine::finished, this, &MainWindow::animationComplete);
    m_toolbarHeight = 50;

    for (QWidget *page : {m_webPage, m_libraryPage, m_downloadsPage, m_playerPage})
        m_pages->addWidget(page);
    auto *layout = new QHBoxLayout(centralWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_sidebar);
    layout->addWidget(m_pages, 1);

    connectEngines();
    addShortcuts();

    if (QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability) &&
        QNetworkInformation::instance()->reachability() ==
            QNetworkInformation::Reachability::Disconnected)
        webShowOffline();
    // The library, the player and the downloads work from the start; only the
    // site's rows wait for the sign-in (they lead to its form until then).
    if (m_playerToolbar)
        m_playerToolbar->setEnabled(false);

    m_importProgressTimer = new QTimer(this);
    m_importProgressTimer->setInterval(100);
    connect(m_importProgressTimer, &QTimer::timeout, this,
            &MainWindow::ImportanimateProgressIndicator);
    if (Library *library = m_engines->library()) {
        connect(library->imports(), &ImportController::importStarted, this,
                &MainWindow::ImportstartProgressIndicator);
        connect(library->imports(), &ImportController::importFinished, this,
                &MainWindow::ImportstopProgressIndicator);
    }

    webShowSignIn();
    selectItem(m_model->siteItem());
    // Room for as big a library as last time: its rows come in after the
    // window is up.
    m_model->setCountDigitsAllowedFor(
        QSettings().value(QLatin1String(SidebarCountDigitsKey), 1).toInt());
    libraryUpdate();
    updateDownloadCount();

    resize(1149, 614);
    restoreWindowGeometry();
}

MainWindow::~MainWindow()
{
    QSettings settings;
    settings.setValue(QStringLiteral("WindowPosition"), pos());
    settings.setValue(QStringLiteral("WindowSize"), size());
    // Known once every row came in.
    if (m_engines->hasLibrary() && m_engines->library()->model()->isLoaded())
        settings.setValue(QLatin1String(SidebarCountDigitsKey),
                          int(QString::number(libraryCount()).size()));
    delete m_inspector.data();
    // The TV mode keeps the place the TV reached through the transport's page.
    delete m_tvMode;
    m_tvMode = nullptr;
    // The transport stops the media player on its way out: it goes first.
    delete m_transport;
    m_transport = nullptr;
    delete m_webPage;
    m_webPage = nullptr;
}

QWidget *MainWindow::page(Page page) const
{
    return m_pages->widget(page);
}

void MainWindow::buildSidebar()
{
    m_sidebar = new CorvTreeView(centralWidget());
    m_sidebar->setObjectName(QStringLiteral("sidebar"));
    m_sidebar->setAccessibleName(tr("Sidebar"));
    m_sidebar->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_model = new SidebarModel(this);
    m_sidebar->setModel(m_model);
    m_sidebar->setItemDelegate(new ItemDelegate(m_sidebar));
    m_sidebar->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_sidebar->setAnimated(true);
    m_sidebar->setIndentation(10);
    m_sidebar->setRootIsDecorated(false);
    m_sidebar->setItemsExpandable(false);
    m_sidebar->setExpandsOnDoubleClick(false);
    m_sidebar->expandAll();
    // 160 pixels, wider when a row's text needs it (large counters, long channel names).
    m_sidebar->setWidthRange(160, 280);
    m_sidebar->setHeaderHidden(true);
    m_sidebar->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_sidebar->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_sidebar->setTextElideMode(Qt::ElideMiddle);
    connect(m_sidebar, &QAbstractItemView::pressed, this, &MainWindow::sidebarItemClicked);
    connect(m_sidebar, &CorvTreeView::keyActivated, this, &MainWindow::sidebarItemClicked);

    QPalette palette = m_sidebar->palette();
    const QColor background = Palette::color(Palette::SidebarBackground);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setBrush(group, QPalette::Window, background);
        palette.setBrush(group, QPalette::Base, background);
        palette.setBrush(group, QPalette::Highlight, background);
    }
    m_sidebar->setPalette(palette);
}

void MainWindow::connectEngines()
{
    if (DownloadManager *downloads = m_engines->downloadManager()) {
        for (auto update : {&MainWindow::updateInfoWidget, &MainWindow::updateDownloadCount}) {
            connect(downloads, &DownloadManager::started, this, update);
            connect(downloads, &DownloadManager::finished, this, update);
            connect(downloads, &DownloadManager::added, this, update);
            // Removing a download changes the list without one of the above.
            connect(downloads, &QAbstractItemModel::rowsRemoved, this, update);
            connect(downloads, &QAbstractItemModel::modelReset, this, update);
        }
    }
    if (Library *library = m_engines->library()) {
        connect(library, &Library::updated, this, &MainWindow::updateInfoWidget);
        connect(library, &Library::updated, this, &MainWindow::libraryUpdate);
        // Library videos go on where they stopped.
        m_transport->setLibrary(library);
    }
    m_channelIcons = new QObject(this);
    m_channelRequest = new ChannelRequest(m_engines->networkManager(), this);
    connect(m_channelRequest, &ChannelRequest::channelsArrived, this, &MainWindow::graftChannels);
}

bool MainWindow::takesSpaceKey(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (w->inherits("QWebEngineView"))
            return true;
    }
    if (!widget)
        return false;
    return qobject_cast<const QComboBox *>(widget) || qobject_cast<const QLineEdit *>(widget) ||
           qobject_cast<const QTextEdit *>(widget) ||
           qobject_cast<const QPlainTextEdit *>(widget) ||
           qobject_cast<const QAbstractSpinBox *>(widget) ||
           qobject_cast<const QAbstractButton *>(widget) ||
           qobject_cast<const QAbstractItemView *>(widget);
}

void MainWindow::addShortcuts()
{
    const auto add = [this](const QKeySequence &keys, const QString &text, auto slot) {
        auto *action = new QAction(text, this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    add(QKeySequence(QStringLiteral("Ctrl+Alt+F")), tr("Open log folder"),
        &MainWindow::openLogFolder);
    add(QKeySequence(QStringLiteral("Ctrl+Alt+I")), tr("Inspect page"), &MainWindow::inspectPage);
    add(QKeySequence(Qt::Key_Space), tr("Play or pause"), &MainWindow::playPause);
    add(QKeySequence(Qt::Key_F11), tr("Full screen"), &MainWindow::toggleFullScreen);
    // Space belongs to whatever has the focus when it uses the key itself (typing in
    // a field or a page, pressing a button, choosing a row); elsewhere it plays.
    QAction *playPause = actions().at(2);
    connect(qApp, &QApplication::focusChanged, playPause,
            [playPause](QWidget *, QWidget *now) { playPause->setEnabled(!takesSpaceKey(now)); });
}

void MainWindow::restoreWindowGeometry()
{
    QSettings settings;
    const QPoint position = settings.value(QStringLiteral("WindowPosition")).toPoint();
    const QSize size = settings.value(QStringLiteral("WindowSize")).toSize();
    if (!size.isValid() || !settings.contains(QStringLiteral("WindowPosition")))
        return;
    QList<QRect> screens;
    for (QScreen *screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QRect placed = WindowPlacement::fit(QRect(position, size), screens, minimumSize());
    resize(placed.size());
    move(placed.topLeft());
}

int MainWindow::libraryCount() const
{
    return m_engines->hasLibrary() ? m_engines->library()->model()->rowCount() : 0;
}

int MainWindow::downloadCount() const
{
    return m_engines->hasDownloadManager() ? m_engines->downloadManager()->rowCount() : 0;
}

void MainWindow::selectItem(QStandardItem *item)
{
    if (!item)
        return;
    const QModelIndex index = m_model->indexFromItem(item);
    m_sidebar->setCurrentIndex(index);
    m_sidebar->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
}

void MainWindow::switchToPage(Page page)
{
    m_infoWidget->lower();
    m_infoWidget->hide();
    m_pages->setCurrentIndex(page);
    m_currentPage = page;
    updateInfoWidget();
    if (page == PlayerPage) {
        showToolbar();
    } else if (m_playerToolbar && m_playerToolbar->isVisible()) {
        m_toolbarTimeLine->stop();
        m_toolbarTimeLine->setDirection(QTimeLine::Backward);
        m_toolbarTimeLine->start();
    }
}

void MainWindow::sidebarItemClicked(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    if (m_model->hasChildren(index)) {
        m_sidebar->setExpanded(index, !m_sidebar->isExpanded(index));
        return;
    }
    webStopPlayer();
    if (m_mediaObject->playbackState() == QMediaPlayer::PlayingState)
        m_mediaObject->pause();
    if (m_playerToolbar)
        m_playerToolbar->setEnabled(false);
    const QString url = index.data(SidebarModel::UrlRole).toString();
    const QString text = index.data().toString();

    if (!url.isEmpty()) {
        switchToPage(WebPage);
        if (!m_engines->account()->isLoggedIn()) {
            webShowSignIn();
        } else if (text.compare(QLatin1String("Corvana"), Qt::CaseInsensitive) == 0) {
            webShowHome();
        } else {
            webShowChannel(text);
        }
        return;
    }
    if (text.isEmpty())
        return;
    if (index == m_model->indexFromItem(m_model->libraryItem())) {
        switchToPage(LibraryPage);
    } else if (index == m_model->indexFromItem(m_model->downloadsItem())) {
        switchToPage(DownloadsPage);
    } else if (index == m_model->indexFromItem(m_model->playerItem())) {
        switchToPage(PlayerPage);
        if (m_playerToolbar)
            m_playerToolbar->setEnabled(true);
        focusPlayer();
    } else if (index.parent().data().toString() == QLatin1String("SEARCHES")) {
        webDoSearchFor(text);
    }
}

void MainWindow::loggedIn()
{
    refreshChannels(QString());
    qCDebug(lcGui) << "Logged in run autoupdater";
    m_updater.start();
}

void MainWindow::loggedOut()
{
    qCDebug(lcGui) << "logout in main win";
    removeChannelItems();
}

void MainWindow::refreshChannels(const QString &pageName)
{
    m_pendingPageName = pageName.toLower();
    removeChannelItems();
    // The channels are the signed-in member's; nobody signed in has none.
    const Account *account = m_engines->account();
    if (account->isLoggedIn()) {
        const Account::Credentials credentials = account->credentials();
        m_channelRequest->send(credentials.userName, credentials.password);
    }
}

void MainWindow::removeChannelItems()
{
    // Icons still on their way would land on removed rows.
    delete m_channelIcons;
    m_channelIcons = new QObject(this);
    m_model->removeChannels([this](QStandardItem *item) { webUnregisterChannel(item); });
}

void MainWindow::graftChannels(const QList<ChannelEntry> &channels)
{
    QList<QStandardItem *> expanded;
    m_model->addChannels(channels, [&](QStandardItem *item, const ChannelEntry &entry) {
        if (!entry.image.isEmpty())
            new ChannelIconDownloader(SidebarModel::IconRole, entry.image, item, m_channelIcons);
        if (!entry.imageSelected.isEmpty())
            new ChannelIconDownloader(SidebarModel::SelectedIconRole, entry.imageSelected, item,
                                      m_channelIcons);
        webRegisterChannel(item, entry);
        if (entry.expand)
            expanded << item;
    });
    for (QStandardItem *item : expanded)
        m_sidebar->expand(m_model->indexFromItem(item));
    webReopen(m_pendingPageName);
    selectSidebarItem(m_pendingPageName);
}

void MainWindow::selectSidebarItem(const QString &name)
{
    QStandardItem *item = nullptr;
    if (!name.isEmpty() && name.compare(QLatin1String("corvana"), Qt::CaseInsensitive) != 0)
        item = m_model->findByName(name);
    if (!item)
        item = m_model->siteItem();
    for (QStandardItem *parent = item->parent(); parent; parent = parent->parent())
        m_sidebar->expand(m_model->indexFromItem(parent));
    selectItem(item);
}

void MainWindow::updateDownloadCount()
{
    m_model->setDownloadCount(downloadCount());
}

void MainWindow::libraryUpdate()
{
    m_model->setLibraryCount(libraryCount());
}

void MainWindow::setPage(const QString &url)
{
    switchToPage(WebPage);
    webShowHome();
    webLoad(QUrl(url));
}

void MainWindow::searchFor(const QString &text)
{
    switchToPage(WebPage);
    webSearchAllChannels(text);
}

void MainWindow::setDownloadSelected()
{
    switchToPage(DownloadsPage);
    selectItem(m_model->downloadsItem());
}

void MainWindow::updateInfo() {}

void MainWindow::inspectPage()
{
    webShowInspector();
}

void MainWindow::inspectPageDestroyed() {}

int MainWindow::runningDownloadCount() const
{
    if (!m_engines->hasDownloadManager())
        return 0;
    DownloadManager *downloads = m_engines->downloadManager();
    int running = 0;
    for (const QList<Download *> &list :
         {downloads->activeDownloads(), downloads->queuedDownloads()}) {
        for (const Download *download : list) {
            // None: just added, starting once its record is stored.
            if (download &&
                (download->state() == Download::Downloading ||
                 download->state() == Download::Queued || download->state() == Download::None))
                ++running;
        }
    }
    return running;
}

bool MainWindow::asksBeforeQuitting()
{
    return QSettings().value(QLatin1String(AskBeforeQuittingKey), true).toBool();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_quitConfirmed && asksBeforeQuitting() && runningDownloadCount() > 0) {
        event->ignore();
        askBeforeQuitting();
        return;
    }
    m_transport->savePosition();
    Q_EMIT CloseAllTasks();
    event->accept();
}

// Asks without blocking: the window stays responsive and closes again once
// the member says yes.
void MainWindow::askBeforeQuitting()
{
    if (m_quitQuestion && m_quitQuestion->isVisible()) {
        m_quitQuestion->raise();
        m_quitQuestion->activateWindow();
        return;
    }
    if (m_quitQuestion)
        m_quitQuestion->deleteLater(); // answered, on its way out
    auto *box = new QMessageBox(
        QMessageBox::Question, tr("CorvanaZELTA"),
        tr("Downloads are still running. They will continue the next time you start "
           "CorvanaZELTA. Quit now?"),
        QMessageBox::Yes | QMessageBox::No, this);
    box->setObjectName(QStringLiteral("QuitWithDownloadsQuestion"));
    box->setDefaultButton(QMessageBox::No);
    box->setCheckBox(new QCheckBox(tr("Don't ask again"), box));
    box->setAttribute(Qt::WA_DeleteOnClose);
    m_quitQuestion = box;
    connect(box, &QMessageBox::finished, this, [this, box] {
        const bool quit = box->standardButton(box->clickedButton()) == QMessageBox::Yes;
        if (quit && box->checkBox()->isChecked())
            QSettings().setValue(QLatin1String(AskBeforeQuittingKey), false);
        if (!quit)
            return;
        m_quitConfirmed = true;
        // Closing from inside the box's own signal would delete it under its feet.
        QTimer::singleShot(0, this, &QWidget::close);
    });
    box->open();
}
