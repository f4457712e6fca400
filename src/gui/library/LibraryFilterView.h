#pragma once

#include <QSet>
#include <QWidget>

class LibraryStore;
class MetaDataModel;
class QModelIndex;
class QTreeView;

// The detail page's filter pane: the categories and the DVD titles of the
// library; choosing categories narrows the titles.
class LibraryFilterView : public QWidget
{
    Q_OBJECT

public:
    // The lists are read through the store when one is given.
    explicit LibraryFilterView(LibraryStore *store = nullptr, QWidget *parent = nullptr);

    QTreeView *categoryList() const { return m_categoryList; }
    QTreeView *titleList() const { return m_titleList; }

Q_SIGNALS:
    void clear();
    void filter(const QSet<QString> &categories, const QSet<QString> &titles);

public Q_SLOTS:
    void metaDataUpdated();
    // The number of videos in the library, which both "All" entries count.
    void setVideoCount(int count);

private Q_SLOTS:
    void filterSelected(const QModelIndex &index);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QSet<QString> selectedNames(QTreeView *list, MetaDataModel *model) const;
    QList<int> selectedIds(QTreeView *list, MetaDataModel *model) const;

    MetaDataModel *m_categories;
    MetaDataModel *m_titles;
    QTreeView *m_categoryList;
    QTreeView *m_titleList;
};
