#include "web/Suggestions.h"
#include "core/Logging.h"
#include "core/XmlNesting.h"

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
    const QByteArray document = file.readAll();
    file.close();
    int version = 0;
    QStringList list;
    if (!parse(document, &version, &list)) {
        qCDebug(lcWeb) << "Application: Failed to read contents of suggestions file";
        return;
    }
    g_version = version;
    model()->setStringList(list);
}

bool Suggestions::parse(const QByteArray &document, int *version, QStringList *suggestions)
{
    QDomDocument dom;
    if (!XmlNesting::within(document) || !dom.setContent(document))
        return false;
    const QDomElement root = dom.documentElement();
    // A negative version would pass for "no file read yet".
    *version = qMax(0, root.firstChildElement(QStringLiteral("version")).text().toInt(nullptr, 10));
    suggestions->clear();
    for (QDomElement e = root.firstChildElement(QStringLiteral("suggestion")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("suggestion")))
        suggestions->append(e.text());
    return true;
}
