#include "library/MetaDataModel.h"

#include "library/Library.h"
#include "library/LibraryItem.h"

#include <QSqlQuery>
#include <QSqlQueryModel>

MetaDataModel::MetaDataModel(const QString &column, const QString &table, const QString &header,
                             QObject *parent, const QSqlDatabase &db)
    : QAbstractListModel(parent), m_query(new QSqlQueryModel(this)),
      m_statement(QStringLiteral("SELECT DISTINCT id, %1 FROM %2;").arg(column, table)),
      m_header(header), m_db(db.isValid() ? db : Library::database())
{
    // The inner model's changes reach views as our own. Every inner row is
    // one row further down here, so structural changes are passed on as a
    // reset.
    connect(m_query, &QAbstractItemModel::modelAboutToBeReset, this,
            &MetaDataModel::beginResetModel);
    connect(m_query, &QAbstractItemModel::modelReset, this, &MetaDataModel::endResetModel);
    connect(m_query, &QAbstractItemModel::headerDataChanged, this,
            &QAbstractItemModel::headerDataChanged);
    refresh();
}

void MetaDataModel::refresh()
{
    m_query->setQuery(QSqlQuery(m_statement, m_db));
    while (m_query->canFetchMore())
        m_query->fetchMore();
}

int MetaDataModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_query->rowCount() + 1;
}

QVariant MetaDataModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return QVariant();
    if (index.row() == 0)
        return tr("All (%1)").arg(m_query->rowCount());
    return LibraryItem::decode(m_query->index(index.row() - 1, 1).data().toString());
}

QVariant MetaDataModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_header;
    return QVariant();
}

int MetaDataModel::idOfRow(int row) const
{
    if (row < 1 || row > m_query->rowCount())
        return -1;
    return m_query->index(row - 1, 0).data().toInt();
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
