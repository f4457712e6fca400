#include "gui/library/LibraryFilterView.h"

#include "library/MetaDataModel.h"

#include <QHeaderView>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

QTreeView *makeList(const char *name, MetaDataModel *model, QWidget *parent)
{
    auto *list = new QTreeView(parent);
    list->setObjectName(QLatin1String(name));
    list->setAccessibleName(model->headerData(0, Qt::Horizontal).toString());
    list->setModel(model);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return list;
}

} // namespace

LibraryFilterView::LibraryFilterView(LibraryStore *store, QWidget *parent)
    : QWidget(parent),
      m_categories(new MetaDataModel(QStringLiteral("category"), QStringLiteral("categories"),
                                     tr("Categories"), this, store)),
      m_titles(new MetaDataModel(QStringLiteral("title"), QStringLiteral("dvd_titles"),
                                 tr("DVD Titles"), this, store)),
      m_categoryList(makeList("categoryList", m_categories, this)),
      m_titleList(makeList("titleList", m_titles, this))
{
    setObjectName(QStringLiteral("filterView"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_categoryList);
    layout->addWidget(m_titleList);
    connect(m_categoryList, &QTreeView::clicked, this, &LibraryFilterView::filterSelected);
    connect(m_titleList, &QTreeView::clicked, this, &LibraryFilterView::filterSelected);
}

void LibraryFilterView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    metaDataUpdated();
    Q_EMIT clear();
}

void LibraryFilterView::setVideoCount(int count)
{
    m_categories->setVideoCount(count);
    m_titles->setVideoCount(count);
}

void LibraryFilterView::metaDataUpdated()
{
    m_categories->refresh();
    m_titles->setStatement(
        MetaDataModel::titlesStatement(selectedIds(m_categoryList, m_categories)));
    m_titles->refresh();
}

QList<int> LibraryFilterView::selectedIds(QTreeView *list, MetaDataModel *model) const
{
    QList<int> ids;
    for (const QModelIndex &index : list->selectionModel()->selectedRows()) {
        const int id = model->idOfRow(index.row());
        if (id < 0)
            return {}; // "All"
        ids << id;
    }
    return ids;
}

QSet<QString> LibraryFilterView::selectedNames(QTreeView *list, MetaDataModel *model) const
{
    QSet<QString> names;
    for (const QModelIndex &index : list->selectionModel()->selectedRows()) {
        // The "All (%1)" row, known by its row rather than by its text, which
        // is translated.
        if (model->idOfRow(index.row()) < 0)
            return {};
        names << index.data().toString().trimmed();
    }
    return names;
}

void LibraryFilterView::filterSelected(const QModelIndex &index)
{
    if (index.model() == m_categories)
        m_titles->setStatement(
            MetaDataModel::titlesStatement(selectedIds(m_categoryList, m_categories)));
    Q_EMIT filter(selectedNames(m_categoryList, m_categories),
                  selectedNames(m_titleList, m_titles));
}
