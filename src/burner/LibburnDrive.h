#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace burn {
struct burn_drive;
struct burn_drive_info;
} // namespace burn

// One recorder grabbed through libburn for the lifetime of the object; a
// "stdio:PATH" address gives a pseudo-drive that writes into a file.
class LibburnDrive
{
public:
    struct Found
    {
        QString address;
        QString vendor;
        QString product;
    };

    explicit LibburnDrive(const QString &address);
    ~LibburnDrive();
    LibburnDrive(const LibburnDrive &) = delete;
    LibburnDrive &operator=(const LibburnDrive &) = delete;

    // Starts libburn once per process; false when it cannot start.
    static bool initialize();
    // The real recorders of the system (not grabbed).
    static QList<Found> scan();
    // The newest libburn message, for failure texts.
    static QString lastMessage();

    bool isOpen() const { return m_drive != nullptr; }
    burn::burn_drive *drive() const { return m_drive; }
    QString address() const { return m_address; }
    QString vendor() const { return m_vendor; }
    QString product() const { return m_product; }
    bool isPseudoDrive() const;
    int currentProfile() const;
    QList<int> profiles() const;
    // Write speeds in kB/s, slowest first ("0" alone when the drive names none).
    QStringList writeSpeeds() const;
    bool isBlank() const;
    bool hasMedia() const;
    // Releases the drive, opening the tray when asked.
    void release(bool eject);

private:
    QString m_address;
    burn::burn_drive_info *m_infos = nullptr;
    burn::burn_drive *m_drive = nullptr;
    QString m_vendor;
    QString m_product;
};
