#include "burner/LibburnDrive.h"

#include <QCoreApplication>
#include <QThread>
#include <QtDebug>

#include <libburn.h>

using namespace burn;

#include <algorithm>

namespace {

constexpr int kScanPollMs = 10;
constexpr int kScanLimitMs = 60000;

void finishLibburn()
{
    burn_finish();
}

int mediaStatus(burn_drive *drive)
{
    // The status may need a few calls to settle.
    burn_disc_status status = burn_disc_get_status(drive);
    for (int i = 0; status == BURN_DISC_UNREADY && i < 100; ++i) {
        QThread::msleep(20);
        status = burn_disc_get_status(drive);
    }
    return status;
}

} // namespace

bool LibburnDrive::initialize()
{
    static const bool started = [] {
        if (!burn_initialize())
            return false;
        // Keep problems queued for failure texts, print nothing.
        burn_msgs_set_severities(const_cast<char *>("SORRY"), const_cast<char *>("NEVER"),
                                 const_cast<char *>("libburn: "));
        qAddPostRoutine(finishLibburn);
        return true;
    }();
    return started;
}

QList<LibburnDrive::Found> LibburnDrive::scan()
{
    QList<Found> found;
    if (!initialize())
        return found;
    burn_drive_info *infos = nullptr;
    unsigned int count = 0;
    // The scan goes on in the background until a call returns nonzero; one
    // left unfinished makes every later write fail with "A drive operation
    // is still going on".
    int scanned = 0;
    for (int waited = 0; (scanned = burn_drive_scan(&infos, &count)) == 0; waited += kScanPollMs) {
        if (waited == kScanLimitMs)
            qWarning() << "LibburnDrive::scan: the drive scan takes long";
        QThread::msleep(kScanPollMs);
    }
    if (scanned < 0)
        return found;
    for (unsigned int i = 0; i < count; ++i) {
        char address[BURN_DRIVE_ADR_LEN] = {};
        if (burn_drive_d_get_adr(infos[i].drive, address) > 0)
            found.append({QString::fromLocal8Bit(address),
                          QString::fromLatin1(infos[i].vendor).trimmed(),
                          QString::fromLatin1(infos[i].product).trimmed()});
        // Listed only: no lock stays on the drive.
        burn_drive_info_forget(&infos[i], 0);
    }
    burn_drive_info_free(infos);
    return found;
}

QString LibburnDrive::lastMessage()
{
    QString last;
    if (!initialize())
        return last;
    int code = 0;
    int osErrno = 0;
    char text[BURN_MSGS_MESSAGE_LEN] = {};
    char severity[80] = {};
    while (burn_msgs_obtain(const_cast<char *>("ALL"), &code, text, &osErrno, severity) > 0) {
        const QString message = QString::fromLocal8Bit(text).trimmed();
        if (QString::fromLatin1(severity) != QLatin1String("DEBUG") &&
            QString::fromLatin1(severity) != QLatin1String("NOTE") &&
            QString::fromLatin1(severity) != QLatin1String("UPDATE"))
            last = message;
    }
    return last;
}

LibburnDrive::LibburnDrive(const QString &address) : m_address(address)
{
    if (!initialize())
        return;
    QByteArray raw = address.toLocal8Bit();
    if (burn_drive_scan_and_grab(&m_infos, raw.data(), 1) != 1) {
        m_infos = nullptr;
        return;
    }
    m_drive = m_infos[0].drive;
    m_vendor = QString::fromLatin1(m_infos[0].vendor).trimmed();
    m_product = QString::fromLatin1(m_infos[0].product).trimmed();
}

LibburnDrive::~LibburnDrive()
{
    release(false);
}

void LibburnDrive::release(bool eject)
{
    if (m_drive)
        burn_drive_release(m_drive, eject ? 1 : 0);
    if (m_infos)
        burn_drive_info_free(m_infos);
    m_drive = nullptr;
    m_infos = nullptr;
}

bool LibburnDrive::isPseudoDrive() const
{
    return m_drive && burn_drive_get_drive_role(m_drive) != 1;
}

int LibburnDrive::currentProfile() const
{
    if (!m_drive)
        return 0;
    mediaStatus(m_drive);
    int profile = 0;
    char name[80] = {};
    return burn_disc_get_profile(m_drive, &profile, name) == 1 ? profile : 0;
}

QList<int> LibburnDrive::profiles() const
{
    QList<int> result;
    if (!m_drive)
        return result;
    int count = 0;
    int list[64] = {};
    char current[64] = {};
    if (burn_drive_get_all_profiles(m_drive, &count, list, current) == 1)
        for (int i = 0; i < count && i < 64; ++i)
            result.append(list[i]);
    return result;
}

QStringList LibburnDrive::writeSpeeds() const
{
    QList<int> speeds;
    burn_speed_descriptor *list = nullptr;
    if (m_drive && burn_drive_get_speedlist(m_drive, &list) == 1) {
        for (burn_speed_descriptor *item = list; item; item = item->next)
            if (item->write_speed > 0 && !speeds.contains(item->write_speed))
                speeds.append(item->write_speed);
        burn_drive_free_speedlist(&list);
    }
    std::sort(speeds.begin(), speeds.end());
    QStringList result;
    for (int speed : speeds)
        result.append(QString::number(speed));
    if (result.isEmpty())
        result.append(QStringLiteral("0"));
    return result;
}

bool LibburnDrive::hasMedia() const
{
    if (!m_drive)
        return false;
    const int status = mediaStatus(m_drive);
    return status == BURN_DISC_BLANK || status == BURN_DISC_APPENDABLE || status == BURN_DISC_FULL;
}

bool LibburnDrive::isBlank() const
{
    return m_drive && mediaStatus(m_drive) == BURN_DISC_BLANK;
}
