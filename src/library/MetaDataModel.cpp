#include "library/MetaDataModel.h"

#include "library/LibraryItem.h"

#include "library/LibraryStore.h"

#include <QCoreApplication>
#include <QPointer>

MetaDataModel::MetaDataModel(const QString &column, const QString &table, const QString &header,
                             QObject *parent, LibraryStore *store, Reading reading)
    : QAbstractListModel(parent),
      m_statement(QStringLiteral("SELECT DISTINCT id, %1 FROM %2;").arg(column, table)),
      m_header(header), m_store(store), m_reading(reading)
{
    refresh();
}

void MetaDataModel::refresh()
{
    LibraryStore *store = m_store;
    const QString statement = m_statement;
    if (m_reading == Reading::Waiting) {
        setNames(store->call([store, &statement] { return store->names(statement); }));
        return;
    }
    // Checked in the window's thread only, when the names come.
    const QPointer<MetaDataModel> self(this);
    store->post([store, statement, self] {
        const Names names = store->names(statement);
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, statement, names] {
            // Names of a statement replaced meanwhile are not shown.
            if (self && self->m_statement == statement)
                self->setNames(names);
        });
    });
}

void MetaDataModel::setNames(const Names &names)
{
    beginResetModel();
    m_names = names;
    endResetModel();
}

void MetaDataModel::setVideoCount(int count)
{
    if (count == m_videoCount)
        return;
    m_videoCount = count;
    const QModelIndex all = index(0, 0);
    Q_EMIT dataChanged(all, all);
}

int MetaDataModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_names.size()) + 1;
}

QVariant MetaDataModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole || index.row() > m_names.size())
        return QVariant();
    if (index.row() == 0)
        return tr("All (%1)").arg(m_videoCount >= 0 ? m_videoCount : int(m_names.size()));
    return LibraryItem::decode(m_names.at(index.row() - 1).value(1).toString());
}

QVariant MetaDataModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_header;
    return QVariant();
}

int MetaDataModel::idOfRow(int row) const
{
    if (row < 1 || row > m_names.size())
        return -1;
    return m_names.at(row - 1).value(0).toInt();
}

bool MetaDataModel::setStatement(const QString &statement)
{
    if (statement == m_statement)
        return false;
    m_statement = statement;
    refresh();
    return true;
}

QString MetaDataModel::categoriesStatement()
{
    return QStringLiteral("SELECT DISTINCT id, category FROM categories;");
}

QString MetaDataModel::titlesStatement(const QList<int> &categoryIds)
{
    if (categoryIds.isEmpty())
        return QStringLiteral("SELECT DISTINCT id, title FROM dvd_titles");
    QString statement = QStringLiteral("SELECT id, title FROM dvd_titles WHERE ");
    for (int id : categoryIds)
        statement += QStringLiteral("EXISTS (SELECT * FROM categoriesxtitles WHERE "
                                    "categoriesxtitles.title_id = dvd_titles.id AND "
                                    "categoriesxtitles.category_id = %1) AND ")
                         .arg(id);
    statement.chop(4);
    return statement;
}
