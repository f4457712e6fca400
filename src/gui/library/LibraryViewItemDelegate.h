#pragma once

#include <QStyledItemDelegate>

class LibraryView;

// Paints each row of the tile list from its row widget; the selected row's
// editor is the live widget itself.
class LibraryViewItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit LibraryViewItemDelegate(LibraryView *view);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    // The widget stays in the view's hash; it is only hidden.
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;
    void setEditorData(QWidget *, const QModelIndex &) const override {}
    void setModelData(QWidget *, QAbstractItemModel *, const QModelIndex &) const override {}

    static constexpr int rowSpacing = 4;

private:
    LibraryView *m_view;
};
