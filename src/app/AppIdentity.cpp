#include "AppIdentity.h"

#include <QCoreApplication>
#include <QString>

namespace AppIdentity {

void apply()
{
    QCoreApplication::setOrganizationName(QStringLiteral("CorvanaZELTA"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("corvana.example"));
    QCoreApplication::setApplicationName(QStringLiteral("CorvanaZELTA"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3").arg(3).arg(1).arg(3));
}

} // namespace AppIdentity
