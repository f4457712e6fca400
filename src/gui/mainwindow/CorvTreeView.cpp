#include "gui/mainwindow/CorvTreeView.h"

#include "gui/mainwindow/ItemDelegate.h"

#include <QKeyEvent>

CorvTreeView::CorvTreeView(QWidget *parent) : QTreeView(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(this, &QTreeView::expanded, this, &CorvTreeView::fitWidth);
    connect(this, &QTreeView::collapsed, this, &CorvTreeView::fitWidth);
}

void CorvTreeView::setWidthRange(int minimum, int maximum)
{
    m_minimumWidth = minimum;
    m_maximumWidth = qMax(minimum, maximum);
    fitWidth();
}

void CorvTreeView::setModel(QAbstractItemModel *model)
{
    if (QAbstractItemModel *old = this->model())
        disconnect(old, nullptr, this, nullptr);
    QTreeView::setModel(model);
    if (!model)
        return;
    connect(model, &QAbstractItemModel::dataChanged, this, &CorvTreeView::fitWidth);
    connect(model, &QAbstractItemModel::rowsInserted, this, &CorvTreeView::fitWidth);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &CorvTreeView::fitWidth);
    connect(model, &QAbstractItemModel::modelReset, this, &CorvTreeView::fitWidth);
    connect(model, &QAbstractItemModel::layoutChanged, this, &CorvTreeView::fitWidth);
    fitWidth();
}

int CorvTreeView::neededWidth() const
{
    const auto *delegate = qobject_cast<const ItemDelegate *>(itemDelegate());
    if (!delegate || !model())
        return 0;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    int width = 0;
    // Every row the tree shows: the top level and the children of expanded rows.
    std::function<void(const QModelIndex &)> measure = [&](const QModelIndex &parent) {
        for (int row = 0, rows = model()->rowCount(parent); row < rows; ++row) {
            const QModelIndex index = model()->index(row, 0, parent);
            width = qMax(width, delegate->widthFor(option, index));
            if (isExpanded(index))
                measure(index);
        }
    };
    measure(rootIndex());
    return width + 2 * frameWidth();
}

void CorvTreeView::fitWidth()
{
    if (m_maximumWidth <= 0)
        return;
    setFixedWidth(qBound(m_minimumWidth, neededWidth(), m_maximumWidth));
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

void CorvTreeView::changeEvent(QEvent *event)
{
    QTreeView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitWidth();
}
