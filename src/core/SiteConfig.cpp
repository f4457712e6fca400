#include "core/SiteConfig.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSettings>

namespace {

// The addresses read from the settings, kept until the settings file changes
// or setValue() writes one: every address check of every transfer asks, and
// opening the settings each time cost more than the check. Another program's
// change to the file is seen within a second.
struct ReadAddresses
{
    QMutex lock;   // any thread asks
    QString names; // the application the settings file is of
    QString file;
    QDateTime modified;
    qint64 size = -1;
    QElapsedTimer checked; // since the file was last looked at
    QHash<QByteArray, QUrl> urls;
};

// How often at most the file is looked at for a change by another program.
constexpr int checkEveryMs = 1000;

ReadAddresses &readAddresses()
{
    static ReadAddresses read;
    return read;
}

// Forgets what was read when the settings file is another or has changed
// (looked at no more than once a second).
void checkSettingsFile(ReadAddresses &read)
{
    const QString names =
        QCoreApplication::organizationName() + '/' + QCoreApplication::applicationName();
    if (names != read.names || read.file.isEmpty()) {
        read.names = names;
        read.file = QSettings().fileName();
        read.urls.clear();
        read.checked.invalidate();
    }
    if (read.checked.isValid() && read.checked.elapsed() < checkEveryMs)
        return;
    read.checked.start();
    const QFileInfo info(read.file);
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    const qint64 size = info.exists() ? info.size() : -1;
    if (modified != read.modified || size != read.size) {
        read.modified = modified;
        read.size = size;
        read.urls.clear();
    }
}

} // namespace

QUrl SiteConfig::value(const char *key, const char *fallback)
{
    ReadAddresses &read = readAddresses();
    const QMutexLocker locker(&read.lock);
    checkSettingsFile(read);
    const auto known = read.urls.constFind(QByteArray(key));
    if (known != read.urls.constEnd())
        return *known;
    QSettings settings;
    settings.beginGroup(QStringLiteral("site"));
    const QString text = settings.value(QLatin1String(key)).toString().trimmed();
    QUrl url(text.isEmpty() ? QString::fromLatin1(fallback) : text);
    if (!url.isValid() || url.host().isEmpty())
        url = QUrl(QString::fromLatin1(fallback));
    read.urls.insert(QByteArray(key), url);
    return url;
}

QUrl SiteConfig::membersUrl()
{
    return value("membersUrl", "http://members.corvana.example");
}

QUrl SiteConfig::secureMembersUrl()
{
    return value("secureMembersUrl", "https://members.corvana.example");
}

QUrl SiteConfig::channelServerUrl()
{
    return value("channelServerUrl", "http://channels.corvana.example");
}

QUrl SiteConfig::updateUrl()
{
    return value("updateUrl", "https://update.corvana.example");
}

QUrl SiteConfig::updatePlainUrl()
{
    return value("updatePlainUrl", "http://update.corvana.example");
}

QUrl SiteConfig::errorReportUrl()
{
    return value("errorReportUrl", "https://report.corvana.example");
}

QUrl SiteConfig::productSiteUrl()
{
    return value("productSiteUrl", "http://www.corvana.example");
}

QUrl SiteConfig::helpUrl()
{
    return value("helpUrl", "http://www.corvana.example/help/zelta");
}

QString SiteConfig::membersHost()
{
    return membersUrl().host();
}

QUrl SiteConfig::resolve(const QUrl &base, const QString &pathAndQuery)
{
    QUrl url = base;
    const int queryStart = pathAndQuery.indexOf(QLatin1Char('?'));
    if (queryStart < 0) {
        url.setPath(pathAndQuery);
    } else {
        url.setPath(pathAndQuery.left(queryStart));
        url.setQuery(pathAndQuery.mid(queryStart + 1));
    }
    return url;
}

void SiteConfig::setValue(const QString &key, const QUrl &url)
{
    ReadAddresses &read = readAddresses();
    const QMutexLocker locker(&read.lock);
    QSettings settings;
    settings.beginGroup(QStringLiteral("site"));
    settings.setValue(key, url.toString());
    read.urls.clear();
}
