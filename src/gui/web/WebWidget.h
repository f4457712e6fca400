#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QWidget>

class Account;
class CorvExtendedScrolledWebView;
class Engines;
class QLabel;
class CorvWebSearchWidget;
class CustomWebInspector;
class QStackedWidget;
class QWebChannel;
class QWebEngineLoadingInfo;
class QWebEnginePage;
class WebMessageBar;
class WebProfile;
class WebToolbar;
class QWebEngineView;
class ZeltaPage;
class ZeltaProxy;

// The members' site inside the main window: a toolbar above a stack of web
// views (0 the site, 1 the add-on pages, 2 the offline page, then one per
// channel). The site's scripts drive the program through the "zelta" bridge.
class WebWidget : public QWidget
{
    Q_OBJECT

public:
    enum View
    {
        SiteView = 0,
        AddOnView = 1,
        OfflineView = 2
    };

    static constexpr int FormDelayMs = 5000;

    // Shows the site for `engines`' account (the engines must outlive the widget).
    explicit WebWidget(Engines *engines, QWidget *parent = nullptr);
    // What the pages share with the program's network access.
    WebProfile *profile() const { return m_profile; }
    // The member the site's sign-in form signs in and out.
    Account *account() const { return m_account; }
    ~WebWidget() override;

    static QUrl membersHome();
    static QUrl startPage();
    static QUrl searchPage();
    static QUrl offlinePage();

    // Channel views, made by the main window from the channel list.
    bool createChannel(const QString &name, const QUrl &homeUrl, const QUrl &searchUrl);
    void removeChannel(const QString &name);
    bool hasChannel(const QString &name) const;

    // A page the bridge asks for: a tab name ("corvana", "discaveo",
    // "lumiqotv" or a channel) and an address in it (empty: its home).
    void tabFocus(const QString &tab, const QString &url);
    // View 0 with the members home when signed in, else the sign-in page.
    void showSiteHome();
    // The offline view until the network comes back or the member retries.
    void showOffline();

    // The site's form offered credentials (the bridge's login): the member
    // is signed in once a members page loads with them.
    void signInOffered();
    bool isSignInPending() const { return m_signInPending; }
    // The line shown above the page ("The user name or password is not
    // right."), empty when none is shown.
    QString message() const;
    static QString signInFailedText();
    // Whether `url` is a page of the members' area of the site.
    static bool isMembersPage(const QUrl &url);

    int currentIndex() const;
    int viewCount() const;
    CorvExtendedScrolledWebView *view(int index) const;
    CorvExtendedScrolledWebView *currentView() const;
    QUrl homeUrl(int index) const;
    QUrl searchUrl(int index) const;
    QString title() const { return m_title; }
    ZeltaProxy *bridge() const { return m_bridge; }
    CorvWebSearchWidget *searchField() const;

Q_SIGNALS:
    void searchFor(const QString &text);
    void loggedIn();
    void loggedOut();
    void titleChanged(const QString &title);
    // What the page asks of the main window.
    void refreshChannelsRequested(const QString &pageName);
    void sidebarItemRequested(const QString &name);
    void downloadsPageRequested();

public Q_SLOTS:
    void stopPlayer();
    void load(const QUrl &url);
    void home();
    void forward();
    void back();
    void reload();
    void stop();
    void login();
    void corvana();
    // Switches to the site's view as it is; its home is loaded only when it
    // shows nothing yet or still the sign-in form (a page the member is on
    // is never loaded again).
    void showSite();
    void channel(const QString &name);
    void forceRefreshToHome();
    void updateNavigationEnabled();
    void setVisibleWebInspectorCurrentPage(bool visible);
    void setVisibleWebInspectorCurrentPage();
    void doSearchFor(const QString &text);
    // The offline page's Retry: the site again (the sign-in form while signed out).
    void retry();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private Q_SLOTS:
    void setTitle(const QString &title);
    void loginOccurred();
    void networkStatusChanged(bool online);
    void logoutOccurred();

private:
    void buildToolbar();
    CorvExtendedScrolledWebView *createView();
    void showView(int index, const QUrl &url);
    void switchToView(int index);
    // An address the bridge names for view `index`, resolved against its
    // home; "about:invalid" when it is not one of the site's own.
    QUrl bridgeAddress(int index, const QString &url) const;
    void followNetworkState();
    void descriptorRequested(const QUrl &url);
    void directDownloadRequested(const QUrl &url);
    void reportQueued(int queued);
    void loadingChanged(CorvExtendedScrolledWebView *view, const QWebEngineLoadingInfo &info);
    void signInRequired(QWebEnginePage *page, const QUrl &url, bool rejected);
    void confirmSignIn();
    void formAfterLoad(CorvExtendedScrolledWebView *view, bool refused);
    void showFormNow();
    // The site's form in view 0, with a fresh history.
    void showSignInForm();

    QPointer<Engines> m_engines;
    Account *m_account;
    WebProfile *m_profile;
    QLabel *m_status = nullptr;
    WebMessageBar *m_messageBar = nullptr;
    bool m_signInPending = false;
    QPointer<CorvExtendedScrolledWebView> m_formView;
    bool m_formRefused = false;
    QTimer m_formTimer;
    QHash<int, QUrl> m_homeUrls;
    QHash<int, QUrl> m_searchUrls;
    QHash<int, QString> m_placeholders;
    QHash<QString, int> m_channelViews;
    ZeltaProxy *m_bridge = nullptr;
    QWebChannel *m_channel = nullptr;
    QStackedWidget *m_stack = nullptr;
    QList<CorvExtendedScrolledWebView *> m_views;
    WebToolbar *m_toolbar = nullptr;
    QString m_title;
    bool m_online = true;
    QPointer<CustomWebInspector> m_inspector;
};
