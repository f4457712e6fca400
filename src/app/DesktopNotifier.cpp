#include "app/DesktopNotifier.h"

#include "core/Logging.h"
#include "downloads/CorvanaItem.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QUrl>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

} // namespace

DesktopNotifier::DesktopNotifier(QObject *parent) : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    m_available = true;
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint)));
    askCapabilities();
}

void DesktopNotifier::askCapabilities()
{
    const QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                             QStringLiteral("GetCapabilities"));
    auto *watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *finished) {
                const QDBusPendingReply<QStringList> reply = *finished;
                finished->deleteLater();
                // Without an answer, plain text is the safe reading.
                m_bodyMarkup =
                    !reply.isError() && reply.value().contains(QStringLiteral("body-markup"));
                m_capabilitiesKnown = true;
                for (const Notification &waiting : std::exchange(m_waiting, {}))
                    send(waiting);
            });
}

void DesktopNotifier::followDownloads(DownloadManager *downloads)
{
    connect(downloads, &DownloadManager::finished, this, &DesktopNotifier::downloadFinished);
    connect(downloads, &DownloadManager::error, this, [this](const QString &message) {
        notify(tr("Download failed"), message, QString(), Downloads);
    });
    // What a descriptor's items left out: told once, never asked.
    connect(downloads, &DownloadManager::notice, this,
            [this](const QString &title, const QString &text) {
                notify(title, text, QString(), Downloads);
            });
}

void DesktopNotifier::downloadFinished(Download *download)
{
    if (!download)
        return;
    QString title = download->item().title();
    if (title.isEmpty())
        title = QFileInfo(download->mediaPath()).completeBaseName();
    notify(tr("Download finished"), title, download->thumbnailPath(), Library);
}

void DesktopNotifier::burnFinished(const QString &discTitle)
{
    notify(tr("Disc finished"), discTitle, QString(), Library);
}

void DesktopNotifier::notify(const QString &summary, const QString &body, const QString &imagePath,
                             Target target)
{
    if (!m_available)
        return;
    const Notification notification{summary, body, imagePath, target};
    if (m_capabilitiesKnown)
        send(notification);
    else
        m_waiting.append(notification);
}

void DesktopNotifier::send(const Notification &notification)
{
    const QString &imagePath = notification.imagePath;
    const Target target = notification.target;
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("example.corvana.zelta"));
    if (!imagePath.isEmpty() && QFileInfo::exists(imagePath))
        hints.insert(QStringLiteral("image-path"), QUrl::fromLocalFile(imagePath).toString());
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << QStringLiteral("CorvanaZELTA") << uint(0) << QStringLiteral("corvana-zelta")
         << notification.summary
         << (m_bodyMarkup ? notification.body.toHtmlEscaped() : notification.body)
         << QStringList({QStringLiteral("default"), tr("Show")}) << hints << int(-1);
    // Asynchronous: a slow or missing service never holds up the window.
    ++m_repliesAwaited;
    auto *watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, target](QDBusPendingCallWatcher *finished) { remember(finished, target); });
}

void DesktopNotifier::remember(QDBusPendingCallWatcher *watcher, Target target)
{
    const QDBusPendingReply<uint> reply = *watcher;
    watcher->deleteLater();
    const bool shown = !reply.isError();
    if (!shown)
        qCDebug(lcApp) << "DesktopNotifier: no notification shown:" << reply.error().message();
    const uint id = shown ? reply.value() : 0;
    const bool clicked = shown && m_clickedEarly.remove(id);
    const bool closed = shown && m_closedEarly.remove(id);
    if (--m_repliesAwaited == 0) {
        m_clickedEarly.clear();
        m_closedEarly.clear();
    }
    if (shown && !closed)
        m_targets.insert(id, target);
    if (clicked)
        Q_EMIT activated(target);
}

void DesktopNotifier::actionInvoked(uint id, const QString &actionKey)
{
    if (actionKey != QLatin1String("default"))
        return;
    const auto target = m_targets.constFind(id);
    if (target != m_targets.cend())
        Q_EMIT activated(*target);
    else if (m_repliesAwaited > 0 && !m_closedEarly.contains(id))
        m_clickedEarly.insert(id);
}

void DesktopNotifier::notificationClosed(uint id, uint)
{
    if (m_targets.remove(id) == 0 && m_repliesAwaited > 0)
        m_closedEarly.insert(id);
}
