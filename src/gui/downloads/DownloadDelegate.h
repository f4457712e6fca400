#pragma once

#include "gui/downloads/DownloadCard.h"

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

#include <functional>

class QAbstractItemView;

// Paints the cards of the downloads page (DownloadListModel's rows) with
// their buttons, and finds the button under the mouse: it shows the button
// hovered and pressed, and tells which one was clicked. The keyboard's
// button (the one Enter and Space press) is drawn with a focus frame.
class DownloadDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // Paints for `view` (its parent).
    explicit DownloadDelegate(QAbstractItemView *view);

    // The card a row shows in `option`'s rectangle.
    static DownloadCard card(const QStyleOptionViewItem &option, const QModelIndex &index);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    // Says which button the keyboard is on in the view's current card
    // (framed while the view has the focus; -1 for none).
    void setKeyboardButtonSource(std::function<int()> source)
    {
        m_keyboardButton = std::move(source);
    }
    // The mouse left the view: nothing is hovered or pressed.
    void clearHover();

Q_SIGNALS:
    void actionTriggered(const QModelIndex &index, DownloadCard::Action action);

private:
    struct Spot
    {
        QPersistentModelIndex index;
        int action = -1;
        bool operator==(const Spot &other) const = default;
    };
    void setHover(const Spot &spot);
    void repaint(const QModelIndex &index) const;
    void paintButton(QPainter *painter, const QStyleOptionViewItem &option, const QRect &rect,
                     DownloadCard::Action action, const QModelIndex &index) const;
    void paintTexts(QPainter *painter, const QStyleOptionViewItem &option, const DownloadCard &card,
                    const QModelIndex &index) const;
    void paintBar(QPainter *painter, const QStyleOptionViewItem &option, const QRect &rect,
                  double progress) const;

    QAbstractItemView *m_view;
    Spot m_hover;
    Spot m_pressed;
    std::function<int()> m_keyboardButton;
};
