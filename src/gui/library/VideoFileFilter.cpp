#include "gui/library/VideoFileFilter.h"

#include "media/MediaFiles.h"

#include <QCoreApplication>
#include <QStringList>

QString videoFileFilter()
{
    const QStringList patterns = MediaFiles::videoNameFilters();
    return QCoreApplication::translate("LibraryWidget", "Video (%1)")
               .arg(patterns.join(QLatin1Char(' '))) +
           QStringLiteral(";;") + QCoreApplication::translate("LibraryWidget", "All files (*)");
}
