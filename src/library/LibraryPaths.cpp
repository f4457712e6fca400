#include "library/LibraryPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QLatin1String kCopySuffix(".zelta-copy");

} // namespace

bool LibraryPaths::isReservedName(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String(".") || trimmed == QLatin1String(".."))
        return true;
    const QString folded = trimmed.toLower();
    return folded == QLatin1String(".cache") || folded.startsWith(QLatin1String("library.db")) ||
           isTemporaryCopy(trimmed);
}

QString LibraryPaths::safeName(const QString &name)
{
    if (!isReservedName(name))
        return name;
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String(".") || trimmed == QLatin1String(".."))
        return QStringLiteral("_");
    return QLatin1Char('_') + trimmed;
}

QString LibraryPaths::temporaryCopyPath(const QString &destination)
{
    const QFileInfo info(destination);
    // Hidden, and marked with the process that writes it.
    return info.absoluteDir().absoluteFilePath(QStringLiteral(".%1.%2%3")
                                                   .arg(info.fileName())
                                                   .arg(QCoreApplication::applicationPid())
                                                   .arg(kCopySuffix));
}

bool LibraryPaths::isTemporaryCopy(const QString &path)
{
    return QFileInfo(path).fileName().endsWith(kCopySuffix);
}

bool LibraryPaths::isStaleTemporaryCopy(const QString &path)
{
    static const QRegularExpression pid(QStringLiteral("\\.(\\d+)\\.zelta-copy$"));
    const QRegularExpressionMatch match = pid.match(QFileInfo(path).fileName());
    return match.hasMatch() && match.captured(1).toLongLong() != QCoreApplication::applicationPid();
}
