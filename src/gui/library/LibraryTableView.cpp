#include "gui/library/LibraryTableView.h"

#include <QHeaderView>

LibraryTableView::LibraryTableView(QWidget *parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("LibraryTableView"));
    setAccessibleName(tr("My videos in detail"));
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);
    setMouseTracking(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(20);
}

void LibraryTableView::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    // Column 0 carries the whole item; it is not for reading.
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    if (model() && model()->columnCount() > 0)
        setColumnHidden(0, true);
}
