#include "gui/library/VideoFileFilter.h"

#include "library/IntegrityChecker.h"

#include <QCoreApplication>
#include <QStringList>

QString videoFileFilter()
{
    QStringList patterns;
    for (const QString &suffix : IntegrityChecker::videoSuffixes())
        patterns << QStringLiteral("*.") + suffix;
    return QCoreApplication::translate("LibraryWidget", "Video (%1)")
               .arg(patterns.join(QLatin1Char(' '))) +
           QStringLiteral(";;") + QCoreApplication::translate("LibraryWidget", "All files (*)");
}
