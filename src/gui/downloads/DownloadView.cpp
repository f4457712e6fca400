#include "gui/downloads/DownloadView.h"

#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "gui/downloads/DownloadItem.h"

#include <QHeaderView>

DownloadView::DownloadView(UserPrompt *prompt, QWidget *parent)
    : QTableView(parent), m_prompt(prompt)
{
    setObjectName(QStringLiteral("DownloadView"));
    setShowGrid(false);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setAlternatingRowColors(false);
    horizontalHeader()->setStretchLastSection(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setFocusPolicy(Qt::NoFocus);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setStyleSheet(QStringLiteral("QTableView::item { padding-left: -20px; }"));
    setAccessibleName(tr("Downloads"));
}

void DownloadView::setDownloadManager(DownloadManager *manager)
{
    if (m_manager)
        disconnect(m_manager, nullptr, this, nullptr);
    m_manager = manager;
    setModel(manager);
    if (!manager)
        return;
    connect(manager, &DownloadManager::added, this, &DownloadView::downloadAdded);
    for (int row = 0; row < manager->rowCount(); ++row) {
        auto *download = manager->index(row).data(Qt::UserRole).value<Download *>();
        if (download)
            downloadAdded(download, row);
    }
}

DownloadItem *DownloadView::card(int row) const
{
    return qobject_cast<DownloadItem *>(
        indexWidget(model() ? model()->index(row, 0) : QModelIndex()));
}

void DownloadView::downloadAdded(Download *download, int row)
{
    auto *item = new DownloadItem(download, m_prompt);
    connect(item, &DownloadItem::playRequested, this, &DownloadView::playRequested);
    connect(item, &DownloadItem::signInRequested, this, &DownloadView::signInRequested);
    setIndexWidget(model()->index(row, 0), item);
    setRowHeight(row, RowHeight);
}

void DownloadView::selectionChanged(const QItemSelection &selected,
                                    const QItemSelection &deselected)
{
    QTableView::selectionChanged(selected, deselected);
    markRows(deselected, false);
    markRows(selected, true);
}

void DownloadView::markRows(const QItemSelection &rows, bool selected)
{
    for (const QModelIndex &index : rows.indexes()) {
        if (auto *item = qobject_cast<DownloadItem *>(indexWidget(index)))
            item->setSelected(selected);
    }
}
