#include "gui/downloads/DownloadDelegate.h"

#include "gui/downloads/DownloadListModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QIcon>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionProgressBar>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolTip>

namespace {

const QColor outlineColour(239, 239, 239);
const QColor selectedFill(0xb3, 0xbf, 0xd0);
const QColor plainFill(250, 250, 250);
const QColor reasonColour(0xb9, 0x45, 0x17);
const QColor focusColour(0x46, 0x77, 0xa3);
const QColor buttonBorder(0xa8, 0xa8, 0xa8);

const QIcon &icon(DownloadCard::Action action)
{
    static const QIcon play(QStringLiteral(":/images/download/play_normal.png"));
    static const QIcon pause(QStringLiteral(":/images/download/pause_normal.png"));
    static const QIcon resume(QStringLiteral(":/images/download/resume_normal.png"));
    static const QIcon cancel(QStringLiteral(":/images/download/cancel_normal.png"));
    switch (action) {
    case DownloadCard::Play:
        return play;
    case DownloadCard::Resume:
        return resume;
    case DownloadCard::Cancel:
        return cancel;
    default:
        return pause;
    }
}

QSize iconSize(DownloadCard::Action action, const QRect &button)
{
    return action == DownloadCard::Pause || action == DownloadCard::Resume ? QSize(24, 24)
                                                                           : button.size();
}

// `text` broken into at most `maxLines` lines of `width`, the last one
// elided when the text goes on.
QStringList wrapped(QString text, const QFont &font, int width, int maxLines)
{
    QStringList lines;
    if (text.isEmpty() || width <= 0 || maxLines <= 0)
        return lines;
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    const QFontMetrics metrics(font);
    QTextLayout layout(text, font);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == maxLines - 1) {
            QString rest = text.mid(line.textStart());
            rest.replace(QChar::LineSeparator, QLatin1Char(' '));
            lines << metrics.elidedText(rest.simplified(), Qt::ElideRight, width);
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

} // namespace

DownloadDelegate::DownloadDelegate(QAbstractItemView *view)
    : QStyledItemDelegate(view), m_view(view)
{
}

DownloadCard DownloadDelegate::card(const QStyleOptionViewItem &option, const QModelIndex &index)
{
    return DownloadCard(option.rect, option.font,
                        index.data(DownloadListModel::ActionsRole).value<DownloadCard::Actions>());
}

QSize DownloadDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(DownloadCard::minimumWidth(option.font), DownloadCard::height(option.font));
}

void DownloadDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    const DownloadCard card = this->card(option, index);
    painter->save();
    painter->fillRect(option.rect, Qt::white);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(outlineColour, 2));
    painter->setBrush(option.state.testFlag(QStyle::State_Selected) ? selectedFill : plainFill);
    painter->drawRoundedRect(QRectF(card.frame()), 8, 8);

    const QPixmap picture = index.data(DownloadListModel::PictureRole).value<QPixmap>();
    QRect place(QPoint(), picture.deviceIndependentSize().toSize());
    place.moveCenter(card.picture().center());
    painter->drawPixmap(place, picture);

    paintTexts(painter, option, card, index);
    paintBar(painter, option, card.bar(), index.data(DownloadListModel::ProgressRole).toDouble());
    for (const DownloadCard::Action action : card.actions())
        paintButton(painter, option, card.buttonRect(action), action, index);
    painter->restore();
}

void DownloadDelegate::paintTexts(QPainter *painter, const QStyleOptionViewItem &option,
                                  const DownloadCard &card, const QModelIndex &index) const
{
    const QColor ink = option.palette.color(QPalette::Text);
    painter->setPen(ink);
    const QFont title = DownloadCard::titleFont(option.font);
    painter->setFont(title);
    painter->drawText(
        card.title(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        QFontMetrics(title).elidedText(index.data(DownloadListModel::TitleRole).toString(),
                                       Qt::ElideRight, card.title().width()));

    // The description, and a blank line before the performers and tags.
    const QFont small = DownloadCard::smallFont(option.font);
    const QFontMetrics smallMetrics(small);
    const QRect area = card.description();
    const int lines = area.height() / smallMetrics.height();
    QStringList after;
    for (const int role : {DownloadListModel::StarringRole, DownloadListModel::TagsRole}) {
        const QString text = index.data(role).toString();
        if (!text.isEmpty())
            after << smallMetrics.elidedText(text, Qt::ElideRight, area.width());
    }
    QStringList shown =
        wrapped(index.data(DownloadListModel::DescriptionRole).toString(), small, area.width(),
                lines - int(after.size()) - (after.isEmpty() ? 0 : 1));
    if (!after.isEmpty() && !shown.isEmpty())
        shown << QString();
    shown << after;
    painter->setFont(small);
    int y = area.top();
    for (const QString &line : std::as_const(shown).first(qMin<qsizetype>(shown.size(), lines))) {
        painter->drawText(QRect(area.left(), y, area.width(), smallMetrics.height()),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
        y += smallMetrics.height();
    }

    // "Status: Downloading", the state in its colour.
    const QColor colour = index.data(DownloadListModel::StatusColorRole).value<QColor>();
    QTextDocument status;
    status.setDefaultFont(option.font);
    status.setDocumentMargin(0);
    status.setDefaultStyleSheet(QStringLiteral("body { color: %1; }").arg(ink.name()));
    status.setHtml(DownloadCard::tr("Status: <font color='%1'>%2</font>")
                       .arg(colour.isValid() ? colour.name() : QString(),
                            index.data(DownloadListModel::StatusRole).toString().toHtmlEscaped()));
    painter->save();
    painter->translate(card.status().topLeft());
    status.drawContents(painter, QRectF(QPointF(), card.status().size()));
    painter->restore();

    painter->setFont(option.font);
    const QString reason = index.data(DownloadListModel::ReasonRole).toString();
    if (!reason.isEmpty()) {
        painter->setPen(reasonColour);
        painter->drawText(
            card.reason(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
            option.fontMetrics.elidedText(reason, Qt::ElideRight, card.reason().width()));
    } else {
        painter->drawText(card.line(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          option.fontMetrics.elidedText(
                              index.data(DownloadListModel::ProgressTextRole).toString(),
                              Qt::ElideRight, card.line().width()));
    }
}

void DownloadDelegate::paintBar(QPainter *painter, const QStyleOptionViewItem &option,
                                const QRect &rect, double progress) const
{
    constexpr int Steps = 10000;
    QStyleOptionProgressBar bar;
    bar.rect = rect;
    bar.state = QStyle::State_Enabled | QStyle::State_Horizontal;
    bar.direction = option.direction;
    bar.palette = option.palette;
    bar.fontMetrics = option.fontMetrics;
    bar.minimum = 0;
    // An unknown size while bytes come: the busy bar.
    bar.maximum = progress < 0 ? 0 : Steps;
    bar.progress = progress < 0 ? 0 : qRound(qBound(0.0, progress, 1.0) * Steps);
    bar.textVisible = false;
    const QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ProgressBar, &bar, painter, option.widget);
}

void DownloadDelegate::paintButton(QPainter *painter, const QStyleOptionViewItem &option,
                                   const QRect &rect, DownloadCard::Action action,
                                   const QModelIndex &index) const
{
    const Spot here{index, action};
    const bool hovered = m_hover == here;
    const bool pressed = m_pressed == here && hovered;
    const bool focused = m_keyboardButton && m_view->hasFocus() &&
                         index == m_view->currentIndex() && m_keyboardButton() == int(action);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    if (DownloadCard::isTextButton(action)) {
        QLinearGradient fill(frame.topLeft(), frame.bottomLeft());
        fill.setColorAt(0, hovered ? QColor(0xff, 0xff, 0xff) : QColor(0xfd, 0xfd, 0xfd));
        fill.setColorAt(1, hovered ? QColor(0xee, 0xee, 0xee) : QColor(0xe6, 0xe6, 0xe6));
        painter->setPen(QPen(focused ? focusColour : buttonBorder, focused ? 2 : 1));
        painter->setBrush(pressed ? QBrush(QColor(0xd6, 0xd6, 0xd6)) : QBrush(fill));
        painter->drawRoundedRect(frame, 3, 3);
        painter->setPen(option.palette.color(QPalette::ButtonText));
        painter->setFont(option.font);
        painter->drawText(rect, Qt::AlignCenter | Qt::TextSingleLine,
                          DownloadCard::actionName(action));
    } else {
        if (hovered) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(QColor(0, 0, 0, pressed ? 50 : 22));
            painter->drawRoundedRect(frame, 4, 4);
        }
        QRect place(QPoint(), iconSize(action, rect));
        place.moveCenter(rect.center());
        icon(action).paint(painter, place);
        if (focused) {
            painter->setPen(QPen(focusColour, 2));
            painter->setBrush(Qt::NoBrush);
            painter->drawRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        }
    }
    painter->restore();
}

bool DownloadDelegate::editorEvent(QEvent *event, QAbstractItemModel *,
                                   const QStyleOptionViewItem &option, const QModelIndex &index)
{
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        setHover({index, card(option, index).actionAt(mouse->position().toPoint())});
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const int action = card(option, index).actionAt(mouse->position().toPoint());
        if (mouse->button() != Qt::LeftButton || action < 0)
            return false;
        m_pressed = {index, action};
        setHover(m_pressed);
        repaint(index);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const Spot pressed = std::exchange(m_pressed, {});
        if (!pressed.index.isValid())
            return false;
        repaint(pressed.index);
        const int action = card(option, index).actionAt(mouse->position().toPoint());
        if (mouse->button() != Qt::LeftButton || !(pressed == Spot{index, action}))
            return false;
        // The handler may remove the row: nothing of it is used after.
        Q_EMIT actionTriggered(index, DownloadCard::Action(action));
        return true;
    }
    default:
        return false;
    }
}

bool DownloadDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                                 const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const DownloadCard card = this->card(option, index);
    QString tip;
    const int action = card.actionAt(event->pos());
    if (action >= 0)
        tip = DownloadCard::actionName(DownloadCard::Action(action));
    else if (card.reason().contains(event->pos()))
        tip = index.data(DownloadListModel::ReasonRole).toString();
    else if (card.title().contains(event->pos()))
        tip = index.data(DownloadListModel::TitleRole).toString();
    if (tip.isEmpty()) {
        QToolTip::hideText();
        return false;
    }
    QToolTip::showText(event->globalPos(), tip, view->viewport(), card.frame());
    return true;
}

void DownloadDelegate::clearHover()
{
    setHover({});
    m_pressed = {};
}

void DownloadDelegate::setHover(const Spot &spot)
{
    if (spot == m_hover)
        return;
    const Spot before = std::exchange(m_hover, spot);
    if (before.index.isValid())
        repaint(before.index);
    if (spot.index.isValid())
        repaint(spot.index);
}

void DownloadDelegate::repaint(const QModelIndex &index) const
{
    if (index.isValid() && index.model() == m_view->model())
        m_view->viewport()->update(m_view->visualRect(index));
}
