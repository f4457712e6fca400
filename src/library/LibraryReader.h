#pragma once

#include "library/LibraryItem.h"
#include "library/LibraryModel.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

// Reads rows of the library table straight through statements, without a
// model: for callers that want the rows once (the command line) rather than a
// live view. Items come decoded, as Library::item() gives them. Run it in the
// library store's thread, on the store's connection.
class LibraryReader
{
public:
    using Visitor = std::function<void(int id, const LibraryItem &item)>;

    explicit LibraryReader(const QSqlDatabase &db) : m_db(db) {}

    // Every row in the order of a sort key of the library page, ties by id.
    bool sorted(LibraryModel::sortHeaders key, Qt::SortOrder order, const Visitor &visit);
    // What the library's search finds for `text`: one row per guid, by DVD title.
    bool find(const QString &text, const Visitor &visit);
    QString lastError() const { return m_error; }

    // The search as a condition on the bound value ":text" (with its grouping
    // and order), and that value for a search text: the text encoded as the
    // columns are, its wildcards taken literally.
    static QString findCondition();
    static QString findPattern(const QString &text);

    // The columns an item is made of, in the order decode() takes their places.
    static const QStringList &itemFields();
    // A row's values as an item, text decoded: `columns` gives the place in
    // `values` of each of itemFields() (-1 for a column the row lacks).
    static LibraryItem decode(const QList<QVariant> &values, const QList<int> &columns);

private:
    bool run(const QString &statement, const QString &text, const Visitor &visit);

    QSqlDatabase m_db;
    QString m_error;
};
