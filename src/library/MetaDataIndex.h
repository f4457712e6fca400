#pragma once

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <memory>

// What the metadata tables hold for each library row, so that a row's
// entries can be added and taken out again without reading the others.
// Names are kept with their id and the number of uses; a name nothing uses
// any more leaves its table. Used by the metadata builder's thread only.
class MetaDataIndex
{
public:
    // The stored (encoded) values of a library row the index reads.
    struct Row
    {
        QString dvdTitle;
        QString categories;
        QString stars;
    };

    MetaDataIndex();
    ~MetaDataIndex();

    // The statements are made on `db`; detach() before it closes.
    void attach(const QSqlDatabase &db);
    void detach();

    // Adds the entries of a library row; false on a failed write (the
    // tables may then hold part of them, see error()).
    bool add(qlonglong id, const Row &row);
    // Takes out the entries of a library row; true when it had none.
    bool remove(qlonglong id);
    QString error() const { return m_error; }

private:
    struct Name
    {
        qint64 id = -1;
        int uses = 0;
    };
    // Entries of one library row; a category or model once per mention.
    struct Entry
    {
        qint64 titleId = -1;
        QString title;
        QList<qint64> categoryIds;
        QStringList categories;
        QList<qint64> modelIds;
    };
    struct Statements;

    qint64 nameId(QHash<QString, Name> &names, QSqlQuery &insert, const QString &name);
    bool releaseName(QHash<QString, Name> &names, QSqlQuery &erase, const QString &name);
    bool exec(QSqlQuery &query, const QString &what);
    bool addLinks(const Entry &entry);

    QHash<QString, Name> m_titles;
    QHash<QString, Name> m_categories;
    QHash<qlonglong, Entry> m_rows;
    std::unique_ptr<Statements> m_statements;
    QString m_error;
};
