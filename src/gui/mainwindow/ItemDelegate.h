#pragma once

#include <QIcon>
#include <QItemDelegate>

// Draws the sidebar rows: group rows in bold 14 px, pages and channels in
// 12 px, the selected row on a blue gradient with white text, each with the
// icon of its selection state. Texts are elided in the middle only when the
// row is narrower than widthFor() asks.
class ItemDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    explicit ItemDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The width, from the view's left edge, the row needs to show its text whole.
    int widthFor(const QStyleOptionViewItem &option, const QModelIndex &index) const;
    // The text as painted into option.rect.
    QString shownText(const QStyleOptionViewItem &option, const QModelIndex &index) const;

private:
    struct RowLayout
    {
        QFont font;
        QIcon icon;
        QRect iconRect;
        int textLeft = 0;
        int baseline = 0;
        int rightReserve = 0; // room kept free right of the text
    };

    RowLayout layoutFor(const QStyleOptionViewItem &option, const QModelIndex &index,
                        bool selected) const;
    void paintBackground(QPainter *painter, const QStyleOptionViewItem &option,
                         bool selected) const;
    void paintBranch(QPainter *painter, const QStyleOptionViewItem &option,
                     const QModelIndex &index) const;
};
