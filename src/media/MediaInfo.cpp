#include "media/MediaInfo.h"

#include <cmath>
#include <limits>

QString MediaInfo::containerName() const
{
    return container.section(QLatin1Char(','), 0, 0).trimmed();
}

int MediaInfo::durationSeconds() const
{
    // A probe can report anything (NaN, 1e300): only a length an int holds counts.
    if (!(duration >= 0 && duration < double(std::numeric_limits<int>::max())))
        return -1;
    return int(std::floor(duration));
}

QString MediaInfo::durationText() const
{
    const int seconds = durationSeconds();
    if (seconds < 0)
        return QString();
    const QString minutesAndSeconds = QStringLiteral("%1:%2")
                                          .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                          .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (seconds < 3600)
        return minutesAndSeconds;
    return QStringLiteral("%1:").arg(seconds / 3600, 2, 10, QLatin1Char('0')) + minutesAndSeconds;
}
