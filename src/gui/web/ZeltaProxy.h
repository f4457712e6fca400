#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class WebWidget;

// The object the site's pages reach as "zelta": sign-in and sign-out, tabs,
// channel refreshes, searches, cache and cookie clearing, and opening
// addresses in the desktop's browser. Only pages of the site's own origins
// get it (see BridgeScripts). Signing in and out goes to the web widget's
// account.
class ZeltaProxy : public QObject
{
    Q_OBJECT

public:
    explicit ZeltaProxy(WebWidget *widget);

Q_SIGNALS:
    // The site accepted the credentials its form offered.
    void loggedIn();
    void loggedOut();
    void checkConnectionAgain();

public Q_SLOTS:
    void login(const QString &username, const QString &password);
    void logout();
    void launchBrowser(const QString &url);
    void checkConnection();
    void tabFocus(const QString &tab, const QString &url);
    void tabFocus(const QString &tab);
    void refreshChannels(const QString &channel);
    void refreshChannels();
    void search(const QString &terms);
    void clearSession();
    void clearCache();
    void clearCookies();

private:
    QPointer<WebWidget> m_widget;
};
