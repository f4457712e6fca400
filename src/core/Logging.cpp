#include "core/Logging.h"
#include "core/LoggingDocument.h"

#include <QCryptographicHash>
#include <QString>

Q_LOGGING_CATEGORY(lcCore, "zelta.core")
Q_LOGGING_CATEGORY(lcMedia, "zelta.media")
Q_LOGGING_CATEGORY(lcWeb, "zelta.web")
Q_LOGGING_CATEGORY(lcLibrary, "zelta.library")
Q_LOGGING_CATEGORY(lcDownloads, "zelta.downloads")
Q_LOGGING_CATEGORY(lcBurner, "zelta.burner")
Q_LOGGING_CATEGORY(lcTv, "zelta.tv")
Q_LOGGING_CATEGORY(lcUpnp, "zelta.tv.upnp")
Q_LOGGING_CATEGORY(lcEngines, "zelta.engines")
Q_LOGGING_CATEGORY(lcGui, "zelta.gui")
Q_LOGGING_CATEGORY(lcApp, "zelta.app")

QString loggableDocument(const QByteArray &document)
{
    return QStringLiteral("(%1 bytes, sha256 %2)")
        .arg(document.size())
        .arg(QString::fromLatin1(
            QCryptographicHash::hash(document, QCryptographicHash::Sha256).toHex()));
}
