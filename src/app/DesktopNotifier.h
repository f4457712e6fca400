#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

class Download;
class DownloadManager;
class QDBusPendingCallWatcher;

// Announces finished and failed downloads (and finished burns) through the
// desktop's notification service. Without a session bus or a service nothing
// is shown and nothing fails. The service's capabilities are asked first:
// bodies are escaped only for a service that reads markup in them.
class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    // What a click on a notification shows.
    enum Target
    {
        Library,
        Downloads
    };
    Q_ENUM(Target)

    explicit DesktopNotifier(QObject *parent = nullptr);

    bool isAvailable() const { return m_available; }
    void followDownloads(DownloadManager *downloads);

public Q_SLOTS:
    void notify(const QString &summary, const QString &body, const QString &imagePath,
                DesktopNotifier::Target target);
    void burnFinished(const QString &discTitle);

Q_SIGNALS:
    void activated(DesktopNotifier::Target target);

private Q_SLOTS:
    void actionInvoked(uint id, const QString &actionKey);
    void notificationClosed(uint id, uint reason);

private:
    void downloadFinished(Download *download);
    struct Notification
    {
        QString summary;
        QString body;
        QString imagePath;
        Target target;
    };
    void askCapabilities();
    void send(const Notification &notification);
    void remember(QDBusPendingCallWatcher *watcher, Target target);

    bool m_available = false;
    bool m_capabilitiesKnown = false;
    bool m_bodyMarkup = false;
    // Waiting for the service's capabilities.
    QList<Notification> m_waiting;
    QHash<uint, Target> m_targets;
    // A service may close or click a notification before its Notify reply
    // has reached us, so what it says about ids we do not know yet is kept
    // while replies are outstanding, and forgotten once none are.
    int m_repliesAwaited = 0;
    QSet<uint> m_clickedEarly;
    QSet<uint> m_closedEarly;
};
