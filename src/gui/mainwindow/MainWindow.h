#pragma once

#include "downloads/Autoupdater.h"
#include "gui/mainwindow/ChannelEntry.h"

#include <QMainWindow>
#include <QMediaPlayer>
#include <QPointer>
#include <QStringList>

class ChannelRequest;
class CorvTreeView;
class CustomWebInspector;
class Engines;
class InfoWidget;
class MpvPlayer;
class PlayerTransport;
class QStackedWidget;
class QStandardItem;
class QTimeLine;
class QTimer;
class QMessageBox;
class SidebarModel;
class TvMode;

// The program's only top-level window: the sidebar of pages and site
// channels on the left, the stack of pages (web, library, downloads, player)
// on the right.
//
// Each page is made by one method in a file of its own, which is the only
// place that knows the page's class:
//   MainWindowWebPage.cpp        createWebPage() and the web*() calls below
//   MainWindowLibraryPage.cpp    createLibraryPage()
//   MainWindowDownloadsPage.cpp  createDownloadsPage()
//   MainWindowPlayerPage.cpp     createPlayerPage() and the transport slots
// The rest of the window reaches the pages only through those files.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    enum Page
    {
        WebPage = 0,
        LibraryPage = 1,
        DownloadsPage = 2,
        PlayerPage = 3
    };
    Q_ENUM(Page)

    // Settings key: false once the member chose "Don't ask again" when
    // quitting with downloads running.
    static constexpr const char *AskBeforeQuittingKey = "AskBeforeQuittingWithDownloads";
    // How many digits the library's count had when the window last closed.
    static constexpr const char *SidebarCountDigitsKey = "SidebarCountDigits";

    explicit MainWindow(Engines *engines, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Called by the site's page bridge.
    void refreshChannels(const QString &pageName = QString());
    void selectSidebarItem(const QString &name);

    Page currentPage() const { return m_currentPage; }
    QWidget *page(Page page) const;
    CorvTreeView *sidebar() const { return m_sidebar; }
    SidebarModel *sidebarModel() const { return m_model; }
    InfoWidget *infoWidget() const { return m_infoWidget; }
    QWidget *playerToolbar() const { return m_playerToolbar; }
    MpvPlayer *mediaObject() const { return m_mediaObject; }
    PlayerTransport *transport() const { return m_transport; }
    TvMode *tvMode() const { return m_tvMode; }

Q_SIGNALS:
    void CloseAllTasks();
    void setTabNumbers();
    void internetDown();
    void internetUp();

public Q_SLOTS:
    // Transport (MainWindowPlayerPage.cpp).
    void clearFiles();
    void addFile(const QString &path);
    void openFile(const QString &path);
    void rewind();
    void stop();
    void playPause();
    void ffw();
    void setVolume(int vol);

    void setPage(const QString &url);
    void searchFor(const QString &text);
    void setDownloadSelected();

    // The member signed in or out on the site (the web page's bridge).
    void loggedIn();
    void loggedOut();

private Q_SLOTS:
    void sidebarItemClicked(const QModelIndex &index);
    void updateDownloadCount();
    void libraryUpdate();
    void playCommand(int command);
    void updateInfo();
    void updateTime();
    void stateChanged(QMediaPlayer::PlaybackState newState);
    void openLogFolder();
    void updateInfoWidget();
    void inspectPage();
    void inspectPageDestroyed();
    void showToolbar();
    void hideToolbar();
    void animateToolbar(qreal value);
    void animationComplete();
    void ImportanimateProgressIndicator();
    void ImportstartProgressIndicator();
    void ImportstopProgressIndicator();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Page seams, one file each.
    void createWebPage();
    void createLibraryPage();
    void createDownloadsPage();
    void createPlayerPage();
    void createTvMode();

    // What the window asks of the web page (MainWindowWebPage.cpp).
    void webShowSignIn();
    void webShowHome();
    void webShowChannel(const QString &name);
    void webStopPlayer();
    void webDoSearchFor(const QString &text);
    void webSearchAllChannels(const QString &text);
    void webLoad(const QUrl &url);
    void webShowOffline();
    void webShowInspector();
    void webRegisterChannel(QStandardItem *item, const ChannelEntry &entry);
    void webUnregisterChannel(QStandardItem *item);
    // Re-opens `pageName` once the channels are in ("corvana", an add-on or a channel).
    void webReopen(const QString &pageName);

    void buildSidebar();
    void connectEngines();
    void addShortcuts();
    // Whether the focused widget uses the space key itself (text, pages, buttons, lists).
    static bool takesSpaceKey(const QWidget *widget);
    void switchToPage(Page page);
    void toggleFullScreen();
    void focusPlayer();
    void selectItem(QStandardItem *item);
    void removeChannelItems();
    void graftChannels(const QList<ChannelEntry> &channels);
    void placeInfoWidget();
    void restoreWindowGeometry();
    int libraryCount() const;
    int downloadCount() const;
    // Downloads that transfer now or wait for their turn.
    int runningDownloadCount() const;
    static bool asksBeforeQuitting();
    void askBeforeQuitting();

    Engines *m_engines;
    QStackedWidget *m_pages = nullptr;
    QWidget *m_webPage = nullptr;
    QWidget *m_libraryPage = nullptr;
    QWidget *m_downloadsPage = nullptr;
    QWidget *m_playerPage = nullptr;
    QWidget *m_playerToolbar = nullptr;
    MpvPlayer *m_mediaObject = nullptr;
    // Plays on m_mediaObject and keeps the media queue.
    PlayerTransport *m_transport = nullptr;
    // The player page's TV mode (pushes to TVs and controls them).
    TvMode *m_tvMode = nullptr;
    CorvTreeView *m_sidebar = nullptr;
    SidebarModel *m_model = nullptr;
    QPointer<QMessageBox> m_quitQuestion;
    bool m_quitConfirmed = false;
    InfoWidget *m_infoWidget = nullptr;
    QPointer<CustomWebInspector> m_inspector;
    Page m_currentPage = WebPage;
    QString m_pendingPageName;
    QString m_currentMediaPath;
    int m_toolbarHeight = 50;
    QTimeLine *m_toolbarTimeLine = nullptr;
    QTimer *m_importProgressTimer = nullptr;
    ChannelRequest *m_channelRequest = nullptr;
    // Owns the channel icon downloads of the channel rows now shown.
    QObject *m_channelIcons = nullptr;
    Autoupdater m_updater;
    static int s_progressFrame;
};
