#include "app/MprisRootAdaptor.h"

#include "app/MprisService.h"

#include <QCoreApplication>

MprisRootAdaptor::MprisRootAdaptor(MprisService *service)
    : QDBusAbstractAdaptor(service)
    , m_service(service)
{
}

QString MprisRootAdaptor::identity() const
{
    return QStringLiteral("CorvanaZELTA");
}

QString MprisRootAdaptor::desktopEntry() const
{
    return QStringLiteral("example.corvana.zelta");
}

QStringList MprisRootAdaptor::supportedUriSchemes() const
{
    return {QStringLiteral("file")};
}

QStringList MprisRootAdaptor::supportedMimeTypes() const
{
    return {QStringLiteral("video/mp4"), QStringLiteral("video/x-m4v"),
            QStringLiteral("video/mpeg"), QStringLiteral("video/x-flv"),
            QStringLiteral("video/x-ms-wmv"), QStringLiteral("video/x-msvideo")};
}

void MprisRootAdaptor::Raise()
{
    Q_EMIT m_service->raiseRequested();
}

void MprisRootAdaptor::Quit()
{
    // Not offered (CanQuit is false): the window's own close ends the program.
}
