#include "web/CookieJar.h"
#include "core/Logging.h"

#include "web/AutoSaver.h"

#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QMetaEnum>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>
#include <QtDebug>

namespace {

constexpr quint32 kCookieStreamVersion = 23;
constexpr int kMaxStoredCookies = 10000;

const QString kGroupExceptions = QStringLiteral("Exceptions");

template <typename Enum> QString keyName(Enum value)
{
    return QString::fromLatin1(QMetaEnum::fromType<Enum>().valueToKey(value));
}

template <typename Enum> Enum enumFromKey(const QString &key, Enum fallback)
{
    bool ok = false;
    const int value = QMetaEnum::fromType<Enum>().keyToValue(key.toLatin1().constData(), &ok);
    return ok ? Enum(value) : fallback;
}

} // namespace

CookieJar::CookieJar(QObject *parent) : NetworkCookieJar(parent), m_saver(new AutoSaver(this)) {}

CookieJar::~CookieJar() = default;

QString CookieJar::cookieFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/cookies.ini");
}

QByteArray CookieJar::encodeCookies(const QList<QNetworkCookie> &cookies)
{
    QByteArray data;
    QDataStream stream(&data, QIODevice::WriteOnly);
    stream << kCookieStreamVersion << quint32(cookies.size());
    for (const QNetworkCookie &cookie : cookies)
        stream << cookie.toRawForm(QNetworkCookie::Full);
    return data;
}

QList<QNetworkCookie> CookieJar::decodeCookies(const QByteArray &data)
{
    QList<QNetworkCookie> cookies;
    QDataStream stream(data);
    quint32 version = 0;
    quint32 count = 0;
    stream >> version >> count;
    if (version != kCookieStreamVersion || stream.status() != QDataStream::Ok)
        return cookies;
    for (quint32 i = 0; i < count && i < quint32(kMaxStoredCookies); ++i) {
        QByteArray raw;
        stream >> raw;
        if (stream.status() != QDataStream::Ok)
            break;
        const QList<QNetworkCookie> parsed = QNetworkCookie::parseCookies(raw);
        if (parsed.isEmpty() && !raw.isEmpty())
            qCWarning(lcWeb) << "CookieJar: Unable to parse saved cookie:" << raw;
        cookies += parsed;
    }
    return cookies;
}

bool CookieJar::isOnDomainList(const QStringList &list, const QString &host)
{
    for (const QString &rule : list) {
        if (rule.startsWith(QLatin1Char('.'))) {
            if (host.endsWith(rule) || host == rule.mid(1))
                return true;
        } else if (host == rule || host.endsWith(QLatin1Char('.') + rule)) {
            return true;
        }
    }
    return false;
}

void CookieJar::load() const
{
    if (!m_loaded)
        const_cast<CookieJar *>(this)->loadNow();
}

void CookieJar::loadNow()
{
    m_loaded = true;
    QSettings file(cookieFilePath(), QSettings::IniFormat);
    NetworkCookieJar::setAllCookies(
        decodeCookies(file.value(QStringLiteral("cookies")).toByteArray()));
    file.beginGroup(kGroupExceptions);
    m_exceptionsBlock = file.value(QStringLiteral("block")).toStringList();
    m_exceptionsAllow = file.value(QStringLiteral("allow")).toStringList();
    m_exceptionsAllowForSession = file.value(QStringLiteral("allowForSession")).toStringList();
    m_exceptionsBlock.sort();
    m_exceptionsAllow.sort();
    m_exceptionsAllowForSession.sort();
    loadSettings();
}

void CookieJar::loadSettings()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("cookies"));
    m_acceptCookies = enumFromKey(settings.value(QStringLiteral("acceptCookies")).toString(),
                                  AcceptOnlyFromSitesNavigatedTo);
    m_keepCookies =
        enumFromKey(settings.value(QStringLiteral("keepCookiesUntil")).toString(), KeepUntilExpire);
    if (m_keepCookies == KeepUntilExit)
        NetworkCookieJar::setAllCookies({});
    m_filterTrackingCookies =
        settings.value(QStringLiteral("filterTrackingCookies"), m_filterTrackingCookies).toBool();
    m_sessionLength = settings.value(QStringLiteral("sessionLength"), -1).toInt();
    emit cookiesChanged();
}

void CookieJar::purgeOldCookies()
{
    QList<QNetworkCookie> cookies = allCookies();
    const QDateTime now = QDateTime::currentDateTime();
    const qsizetype removed = cookies.removeIf([&](const QNetworkCookie &cookie) {
        return !cookie.isSessionCookie() && cookie.expirationDate() < now;
    });
    if (removed > 0) {
        NetworkCookieJar::setAllCookies(cookies);
        emit cookiesChanged();
    }
}

void CookieJar::save()
{
    if (!m_loaded)
        return;
    purgeOldCookies();
    QDir().mkpath(QFileInfo(cookieFilePath()).absolutePath());
    QSettings file(cookieFilePath(), QSettings::IniFormat);
    QList<QNetworkCookie> persistent = allCookies();
    persistent.removeIf([](const QNetworkCookie &cookie) { return cookie.isSessionCookie(); });
    file.setValue(QStringLiteral("cookies"), encodeCookies(persistent));
    file.beginGroup(kGroupExceptions);
    file.setValue(QStringLiteral("block"), m_exceptionsBlock);
    file.setValue(QStringLiteral("allow"), m_exceptionsAllow);
    file.setValue(QStringLiteral("allowForSession"), m_exceptionsAllowForSession);
    file.endGroup();
    file.sync();

    QSettings settings;
    settings.beginGroup(QStringLiteral("cookies"));
    settings.setValue(QStringLiteral("acceptCookies"), keyName(m_acceptCookies));
    settings.setValue(QStringLiteral("keepCookiesUntil"), keyName(m_keepCookies));
    settings.setValue(QStringLiteral("filterTrackingCookies"), m_filterTrackingCookies);
    settings.setValue(QStringLiteral("sessionLength"), m_sessionLength);
}

void CookieJar::saveNow()
{
    m_saver->saveIfNeccessary();
}

void CookieJar::clear()
{
    load();
    NetworkCookieJar::setAllCookies({});
    m_saver->changeOccurred();
    emit cookiesChanged();
}

bool CookieJar::removeCookie(const QNetworkCookie &cookie)
{
    load();
    if (!NetworkCookieJar::deleteCookie(cookie))
        return false;
    m_saver->changeOccurred();
    emit cookiesChanged();
    return true;
}

bool CookieJar::setCookiesFromUrl(const QList<QNetworkCookie> &cookieList, const QUrl &url)
{
    load();
    const QString host = url.host();
    const bool blocked = isOnDomainList(m_exceptionsBlock, host);
    const bool allowed = !blocked && isOnDomainList(m_exceptionsAllow, host);
    const bool sessionOnly =
        !blocked && !allowed && isOnDomainList(m_exceptionsAllowForSession, host);
    const bool proceed = m_acceptCookies == AcceptNever ? (allowed || sessionOnly) : !blocked;
    if (!proceed)
        return false;

    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime soon = now.addDays(90);
    bool added = false;
    for (QNetworkCookie cookie : cookieList) {
        if (cookie.isSessionCookie() && m_sessionLength != -1)
            cookie.setExpirationDate(now.addDays(m_sessionLength));
        if (m_filterTrackingCookies && cookie.name().startsWith("__utm"))
            continue;
        if (sessionOnly)
            cookie.setExpirationDate(QDateTime());
        if (m_keepCookies == KeepUntilTimeLimit && !cookie.isSessionCookie() &&
            cookie.expirationDate() > soon)
            cookie.setExpirationDate(soon);
        // A cookie the domain rule refuses is dropped under every policy.
        if (NetworkCookieJar::setCookiesFromUrl({cookie}, url))
            added = true;
    }
    if (added) {
        m_saver->changeOccurred();
        emit cookiesChanged();
    }
    return added;
}

QList<QNetworkCookie> CookieJar::cookiesForUrl(const QUrl &url) const
{
    load();
    return NetworkCookieJar::cookiesForUrl(url);
}

CookieJar::AcceptPolicy CookieJar::acceptPolicy() const
{
    load();
    return m_acceptCookies;
}

void CookieJar::setAcceptPolicy(AcceptPolicy policy)
{
    load();
    if (policy == m_acceptCookies)
        return;
    m_acceptCookies = policy;
    m_saver->changeOccurred();
}

CookieJar::KeepPolicy CookieJar::keepPolicy() const
{
    load();
    return m_keepCookies;
}

void CookieJar::setKeepPolicy(KeepPolicy policy)
{
    load();
    if (policy == m_keepCookies)
        return;
    m_keepCookies = policy;
    m_saver->changeOccurred();
}

QStringList CookieJar::blockedCookies() const
{
    load();
    return m_exceptionsBlock;
}

QStringList CookieJar::allowedCookies() const
{
    load();
    return m_exceptionsAllow;
}

QStringList CookieJar::allowForSessionCookies() const
{
    load();
    return m_exceptionsAllowForSession;
}

void CookieJar::setList(QStringList &target, const QStringList &list)
{
    load();
    QStringList sorted = list;
    sorted.sort();
    if (sorted == target)
        return;
    target = sorted;
    m_saver->changeOccurred();
}

void CookieJar::setBlockedCookies(const QStringList &list)
{
    setList(m_exceptionsBlock, list);
}

void CookieJar::setAllowedCookies(const QStringList &list)
{
    setList(m_exceptionsAllow, list);
}

void CookieJar::setAllowForSessionCookies(const QStringList &list)
{
    setList(m_exceptionsAllowForSession, list);
}
