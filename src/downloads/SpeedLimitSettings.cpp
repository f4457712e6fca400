#include "downloads/SpeedLimitSettings.h"
#include "downloads/TransferRateLimiter.h"

#include <QCoreApplication>
#include <QSettings>

#include <algorithm>

namespace {

const QString kGroup = QStringLiteral("downloads");
// How often the settings are read again: a change is seen within this.
constexpr int kFollowMs = 400;
constexpr qint64 kMaxKiB = 16 * 1024 * 1024; // 16 GiB/s: beyond any line

int boundedKiB(const QVariant &value)
{
    bool ok = false;
    const qint64 kib = value.toLongLong(&ok);
    return ok && kib > 0 ? int(std::min<qint64>(kib, kMaxKiB)) : 0;
}

} // namespace

SpeedLimitSettings SpeedLimitSettings::load()
{
    QSettings settings;
    settings.beginGroup(kGroup);
    SpeedLimitSettings limits;
    limits.limitKiB = boundedKiB(settings.value(QStringLiteral("speedLimit")));
    limits.alternativeKiB = boundedKiB(settings.value(QStringLiteral("alternativeSpeedLimit")));
    limits.alternativeOn = settings.value(QStringLiteral("alternativeSpeedLimitOn")).toBool();
    limits.schedule =
        scheduleFromText(settings.value(QStringLiteral("alternativeSchedule")).toString());
    return limits;
}

void SpeedLimitSettings::save() const
{
    QSettings settings;
    settings.beginGroup(kGroup);
    settings.setValue(QStringLiteral("speedLimit"), limitKiB);
    settings.setValue(QStringLiteral("alternativeSpeedLimit"), alternativeKiB);
    settings.setValue(QStringLiteral("alternativeSpeedLimitOn"), alternativeOn);
    settings.setValue(QStringLiteral("alternativeSchedule"), scheduleText());
}

bool SpeedLimitSettings::alternativeAt(const QDateTime &when) const
{
    if (alternativeOn)
        return true;
    const int hour = (when.date().dayOfWeek() - 1) * 24 + when.time().hour();
    return hour >= 0 && hour < schedule.size() && schedule.testBit(hour);
}

qint64 SpeedLimitSettings::bytesPerSecondAt(const QDateTime &when) const
{
    return qint64(alternativeAt(when) ? alternativeKiB : limitKiB) * 1024;
}

QString SpeedLimitSettings::scheduleText() const
{
    QString text(Hours, QLatin1Char('0'));
    for (int i = 0; i < Hours && i < schedule.size(); ++i) {
        if (schedule.testBit(i))
            text[i] = QLatin1Char('1');
    }
    return text;
}

QBitArray SpeedLimitSettings::scheduleFromText(const QString &text)
{
    QBitArray schedule(Hours);
    if (text.size() != Hours)
        return schedule;
    for (int i = 0; i < Hours; ++i) {
        if (text.at(i) == QLatin1Char('1'))
            schedule.setBit(i);
        else if (text.at(i) != QLatin1Char('0'))
            return QBitArray(Hours);
    }
    return schedule;
}

SpeedLimitFollower::SpeedLimitFollower(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(kFollowMs);
    connect(&m_timer, &QTimer::timeout, this, &SpeedLimitFollower::apply);
    m_timer.start();
    apply();
}

void SpeedLimitFollower::ensureRunning()
{
    static SpeedLimitFollower *follower = nullptr;
    if (follower || !QCoreApplication::instance())
        return;
    follower = new SpeedLimitFollower(QCoreApplication::instance()); // goes with the application
}

void SpeedLimitFollower::apply()
{
    QSettings().sync(); // another process (zelta-cli) may have changed them
    TransferRateLimiter::shared().setLimit(
        SpeedLimitSettings::load().bytesPerSecondAt(QDateTime::currentDateTime()));
}
