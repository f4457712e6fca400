#include "core/AppIdentity.h"

#include "core/Version.h"

#include <QCoreApplication>
#include <QString>

namespace AppIdentity {

void apply()
{
    QCoreApplication::setOrganizationName(QStringLiteral("CorvanaZELTA"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("corvana.example"));
    QCoreApplication::setApplicationName(QStringLiteral("CorvanaZELTA"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZELTA_VERSION));
}

} // namespace AppIdentity
