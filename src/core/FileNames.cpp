#include "core/FileNames.h"

QString FileNames::safe(const QString &name)
{
    QString safe = name;
    safe.replace(QLatin1Char('/'), QLatin1Char(' ')).replace(QLatin1Char('\\'), QLatin1Char(' '));
    safe.remove(QChar(0));
    if (safe.trimmed().isEmpty() || safe == QLatin1String(".") || safe == QLatin1String(".."))
        return QStringLiteral("_");
    return safe;
}
