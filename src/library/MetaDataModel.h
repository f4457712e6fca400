#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QVariant>

class LibraryStore;

// One name table of the metadata index as a list, with an "All (n)" row on top.
class MetaDataModel : public QAbstractListModel
{
    Q_OBJECT

public:
    // How the names are read in the store's thread: queued, and shown when
    // they come (the window), or waited for (zelta-cli).
    enum class Reading
    {
        Queued,
        Waiting
    };

    MetaDataModel(const QString &column, const QString &table, const QString &header,
                  QObject *parent, LibraryStore *store, Reading reading = Reading::Queued);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // The id of a name row (row >= 1), -1 for the "All" row.
    int idOfRow(int row) const;

    // Shows the rows of another statement; false when it is the current one.
    bool setStatement(const QString &statement);
    QString statement() const { return m_statement; }

    // Statements of the filter view: all categories, all titles, and the
    // titles linked to every one of the given categories.
    static QString categoriesStatement();
    static QString titlesStatement(const QList<int> &categoryIds = {});

public Q_SLOTS:
    // Re-reads the table (after the index was rebuilt).
    void refresh();
    // The number of videos "All" stands for (-1: unknown, then the names are counted).
    void setVideoCount(int count);

private:
    using Names = QList<QList<QVariant>>;
    void setNames(const Names &names);

    // (id, stored name) of each name row.
    Names m_names;
    int m_videoCount = -1;
    QString m_statement;
    QString m_header;
    LibraryStore *m_store;
    Reading m_reading;
};
