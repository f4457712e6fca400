#include "tv/MediaServer.h"
#include "core/Logging.h"

#include "core/SiteConfig.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QVersionNumber>

static void initTvResources()
{
    Q_INIT_RESOURCE(tv);
}

MediaServer::MediaServer(const QString &name, QObject *parent)
    : UpnpConsoleMediaServer(name, parent)
{
    initTvResources();
    const QVersionNumber version =
        QVersionNumber::fromString(QCoreApplication::applicationVersion());
    modelDescription = QStringLiteral("Lumiqo.TV");
    modelName = QStringLiteral("Lumiqo.TV");
    modelNumber = QStringLiteral("%1.%2.%3")
                      .arg(version.majorVersion())
                      .arg(version.minorVersion())
                      .arg(version.microVersion());
    modelUrl = SiteConfig::productSiteUrl().toString();
    manufacturer = QStringLiteral("ZR Productions LLC");
    manufacturerUrl = modelUrl;
    httpPort = 0;
    byeByeFirst = true;
}

void MediaServer::setupIcons()
{
    struct Entry
    {
        const char *mime;
        int size;
        const char *path;
        const char *resource;
    };
    static const Entry entries[] = {
        {"image/jpeg", 120, "/images/lumiqotv-120x120.jpg", ":/images/lumiqotv_120x120.jpg"},
        {"image/jpeg", 48, "/images/lumiqotv-48x48.jpg", ":/images/lumiqotv_48x48.jpg"},
        {"image/png", 120, "/images/lumiqotv-120x120.png", ":/images/lumiqotv_120x120.png"},
        {"image/png", 48, "/images/lumiqotv-48x48.png", ":/images/lumiqotv_48x48.png"}};
    for (const Entry &entry : entries) {
        QFile file(QString::fromLatin1(entry.resource));
        if (!file.open(QIODevice::ReadOnly)) {
            qCWarning(lcTv).noquote() << "MediaServer::setupIcons missing icon" << entry.resource;
            continue;
        }
        const QByteArray data = file.readAll();
        UpnpDeviceIcon icon;
        icon.mimeType = QString::fromLatin1(entry.mime);
        icon.width = entry.size;
        icon.height = entry.size;
        icon.depth = 24;
        icon.urlPath = QString::fromLatin1(entry.path);
        addIcon(icon, data.constData(), data.size());
    }
}
