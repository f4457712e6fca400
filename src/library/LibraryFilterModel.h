#pragma once

#include <QRegularExpression>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QString>

class LibraryItem;

// Filters the library by categories, DVD titles or a name pattern.
class LibraryFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit LibraryFilterModel(QObject *parent = nullptr);

    // The rule itself, for one item.
    bool accepts(const LibraryItem &item) const;

public Q_SLOTS:
    void clearFilter();
    void setFilter(const QSet<QString> &categories, const QSet<QString> &titles);
    void setNameFilter(const QString &nameFilter);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QSet<QString> m_categories;
    QSet<QString> m_titles;
    QString m_nameFilter;
    QRegularExpression m_nameExpression;
};
