#pragma once

#include <QBitArray>
#include <QDateTime>
#include <QObject>
#include <QTimer>

// The download speed limits as the user set them: a global limit, an
// alternative limit and the weekly hours (7 days x 24 hours, Monday first)
// in which the alternative applies, or the alternative switched on by hand.
// Kept in the settings group "downloads"; limits in KiB/s, 0 for none.
struct SpeedLimitSettings
{
    static constexpr int Hours = 7 * 24;

    int limitKiB = 0;
    int alternativeKiB = 0;
    bool alternativeOn = false; // the downloads page's toggle
    QBitArray schedule{Hours};  // hour (day * 24 + hour) in which the alternative applies

    static SpeedLimitSettings load();
    void save() const;

    // Whether the alternative applies at `when` (local time).
    bool alternativeAt(const QDateTime &when) const;
    // The limit in bytes a second at `when`; 0 for none.
    qint64 bytesPerSecondAt(const QDateTime &when) const;

    // The schedule as its 168 characters '0'/'1', and back (anything else: none).
    QString scheduleText() const;
    static QBitArray scheduleFromText(const QString &text);
};

// Keeps the transfers' shared limiter at what the settings say now: read
// again several times a second, so that a change (here or by zelta-cli) and the
// schedule's turn of the hour take effect within a second.
class SpeedLimitFollower : public QObject
{
    Q_OBJECT

public:
    explicit SpeedLimitFollower(QObject *parent = nullptr);
    // Started once, on the first call (from the window's thread).
    static void ensureRunning();

    void apply();

private:
    QTimer m_timer;
};
