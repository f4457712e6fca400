#pragma once

#include <QHash>
#include <QIcon>
#include <QSortFilterProxyModel>

// The order of the detail table, by whichever column's header was clicked,
// without touching the order of the tile list beside it: names in the
// user's language's order, lengths by their seconds. A video whose file is
// gone has a warning sign and "File missing" beside its name.
class LibraryTableSortModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit LibraryTableSortModel(QObject *parent = nullptr);

    // Seconds of a length such as "45", "1:05" or "1:02:03" (-1 when empty).
    static int seconds(const QString &length);
    // Sort key of the Progress column.
    static double progressKey(const QModelIndex &index);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Looks at the files again (they may have gone or come back).
    void refreshFileMarks();

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    bool isFileMissing(const QModelIndex &index) const;

    // Whether each shown video's file is gone, by path; filled as rows are drawn.
    mutable QHash<QString, bool> m_missing;
    QIcon m_missingIcon;
};
