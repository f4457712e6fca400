#include "tv/SharedFolder.h"

#include <QFileInfo>

bool SharedFolder::contains(const QString &root, const QString &path)
{
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonicalRoot.isEmpty() || canonical.isEmpty())
        return false;
    if (canonicalRoot == QLatin1String("/"))
        return true;
    return canonical == canonicalRoot || canonical.startsWith(canonicalRoot + QLatin1Char('/'));
}
