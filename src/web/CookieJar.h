#pragma once

#include "web/NetworkCookieJar.h"

#include <QStringList>

class AutoSaver;

// The program's cookie store: accept and keep policies, per-domain exception
// lists, a tracking-cookie filter, and persistence in "cookies.ini". Stored
// cookies and settings are read on first use.
class CookieJar : public NetworkCookieJar
{
    Q_OBJECT
    Q_PROPERTY(AcceptPolicy acceptPolicy READ acceptPolicy WRITE setAcceptPolicy)
    Q_PROPERTY(KeepPolicy keepPolicy READ keepPolicy WRITE setKeepPolicy)
    Q_PROPERTY(QStringList blockedCookies READ blockedCookies WRITE setBlockedCookies)
    Q_PROPERTY(QStringList allowedCookies READ allowedCookies WRITE setAllowedCookies)
    Q_PROPERTY(QStringList allowForSessionCookies READ allowForSessionCookies WRITE
                   setAllowForSessionCookies)

public:
    enum AcceptPolicy
    {
        AcceptAlways = 0,
        AcceptNever = 1,
        AcceptOnlyFromSitesNavigatedTo = 2
    };
    Q_ENUM(AcceptPolicy)
    enum KeepPolicy
    {
        KeepUntilExpire = 0,
        KeepUntilExit = 1,
        KeepUntilTimeLimit = 2
    };
    Q_ENUM(KeepPolicy)

    explicit CookieJar(QObject *parent = nullptr);
    ~CookieJar() override;

    QList<QNetworkCookie> cookiesForUrl(const QUrl &url) const override;
    bool setCookiesFromUrl(const QList<QNetworkCookie> &cookieList, const QUrl &url) override;

    AcceptPolicy acceptPolicy() const;
    void setAcceptPolicy(AcceptPolicy policy);
    KeepPolicy keepPolicy() const;
    void setKeepPolicy(KeepPolicy policy);
    QStringList blockedCookies() const;
    QStringList allowedCookies() const;
    QStringList allowForSessionCookies() const;
    void setBlockedCookies(const QStringList &list);
    void setAllowedCookies(const QStringList &list);
    void setAllowForSessionCookies(const QStringList &list);

    // Removes one cookie (same name, domain and path) and schedules a save;
    // false when it was not stored. For stores that mirror this one.
    bool removeCookie(const QNetworkCookie &cookie);

    // Writes pending changes now (the owner calls this at exit).
    void saveNow();

    // The file the cookies and exceptions live in.
    static QString cookieFilePath();
    // Whether `host` matches one of the exception rules in `list`.
    static bool isOnDomainList(const QStringList &list, const QString &host);
    // The stored form of a cookie list and back.
    static QByteArray encodeCookies(const QList<QNetworkCookie> &cookies);
    static QList<QNetworkCookie> decodeCookies(const QByteArray &data);

Q_SIGNALS:
    void cookiesChanged();

public Q_SLOTS:
    void clear();
    void loadSettings();

private Q_SLOTS:
    void save();

private:
    void load() const;
    void loadNow();
    void purgeOldCookies();
    void setList(QStringList &target, const QStringList &list);

    bool m_loaded = false;
    AutoSaver *m_saver = nullptr;
    bool m_filterTrackingCookies = false;
    AcceptPolicy m_acceptCookies = AcceptOnlyFromSitesNavigatedTo;
    KeepPolicy m_keepCookies = KeepUntilExpire;
    QStringList m_exceptionsBlock;
    QStringList m_exceptionsAllow;
    QStringList m_exceptionsAllowForSession;
    int m_sessionLength = -1;
};
