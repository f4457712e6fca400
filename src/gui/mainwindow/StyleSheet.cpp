#include "gui/mainwindow/StyleSheet.h"

#include <QFile>
#include <QHash>

QString StyleSheet::load(const QString &name)
{
    static QHash<QString, QString> cache;
    auto it = cache.constFind(name);
    if (it != cache.constEnd())
        return *it;
    QFile file(QStringLiteral(":/style/%1.qss").arg(name));
    QString text;
    if (file.open(QIODevice::ReadOnly))
        text = QString::fromUtf8(file.readAll());
    cache.insert(name, text);
    return text;
}
