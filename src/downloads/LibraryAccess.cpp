#include "LibraryAccess.h"

#include "Download.h"
#include "Library.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

QRecursiveMutex *LibraryAccess::mutex()
{
    static QRecursiveMutex lock;
    return &lock;
}

bool LibraryAccess::containsGuid(const QString &guid, bool *ok, QString *error)
{
    QMutexLocker locker(mutex());
    QSqlQuery query(Library::database());
    query.prepare(QStringLiteral("SELECT * FROM library WHERE guid=?;"));
    query.addBindValue(guid);
    *ok = query.exec();
    if (!*ok) {
        *error = query.lastError().text();
        return false;
    }
    return query.next();
}

void LibraryAccess::importFinished(const Download &download)
{
    qDebug() << "LibraryAccess::importFinished" << download.mediaPath();
}
