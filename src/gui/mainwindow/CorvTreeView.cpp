#include "gui/mainwindow/CorvTreeView.h"

#include <QKeyEvent>

CorvTreeView::CorvTreeView(QWidget *parent) : QTreeView(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void CorvTreeView::enterEvent(QEnterEvent *event)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QTreeView::enterEvent(event);
}

void CorvTreeView::leaveEvent(QEvent *event)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QTreeView::leaveEvent(event);
}

void CorvTreeView::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        currentIndex().isValid()) {
        Q_EMIT keyActivated(currentIndex());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}
