#include "web/Suggestions.h"
#include "core/Logging.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QStandardPaths>
#include <QStringListModel>
#include <QtDebug>

namespace {

int g_version = -1;

} // namespace

QStringListModel *Suggestions::model()
{
    // Lives until the process ends.
    static QStringListModel *theModel = new QStringListModel();
    return theModel;
}

int Suggestions::version()
{
    return g_version;
}

QString Suggestions::filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/suggestions.xml");
}

void Suggestions::load()
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcWeb) << "Application: Failed to open suggestions file for reading";
        return;
    }
    QDomDocument document;
    if (!document.setContent(&file)) {
        qCDebug(lcWeb) << "Application: Failed to read contents of suggestions file";
        file.close();
        return;
    }
    file.close();

    const QDomElement root = document.documentElement();
    g_version = root.firstChildElement(QStringLiteral("version")).text().toInt(nullptr, 10);
    QStringList list;
    for (QDomElement e = root.firstChildElement(QStringLiteral("suggestion")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("suggestion")))
        list << e.text();
    model()->setStringList(list);
}
