#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

// A stand-in for the desktop's file manager on a private session bus: it
// records the files it is asked to show.
class FileManagerService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QList<QStringList> shownItems;

    // Takes the file manager's name on a connection of its own; false when that fails.
    bool registerOnBus()
    {
        m_bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                              QStringLiteral("file-manager"));
        return m_bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), this,
                                    QDBusConnection::ExportAllSlots) &&
               m_bus.registerService(QStringLiteral("org.freedesktop.FileManager1"));
    }
    ~FileManagerService() override
    {
        m_bus.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
        QDBusConnection::disconnectFromBus(QStringLiteral("file-manager"));
    }

public Q_SLOTS:
    void ShowItems(const QStringList &uris, const QString &) { shownItems << uris; }
    void ShowFolders(const QStringList &, const QString &) {}
    void ShowItemProperties(const QStringList &, const QString &) {}

private:
    QDBusConnection m_bus{QString()};
};
