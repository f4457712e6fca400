#include "gui/mainwindow/ItemDelegate.h"

#include "gui/mainwindow/Artwork.h"
#include "gui/mainwindow/Palette.h"
#include "gui/mainwindow/SidebarModel.h"

#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QTreeView>
#include <QtMath>

namespace {

constexpr int kIconSize = 20;
constexpr int kArrowReserve = 20;
constexpr int kTextMargin = 6;

bool isSearchesChild(const QModelIndex &index)
{
    return index.parent().isValid() &&
           index.parent().data().toString() == QLatin1String("SEARCHES");
}

} // namespace

ItemDelegate::ItemDelegate(QObject *parent) : QItemDelegate(parent) {}

QSize ItemDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    if (index.parent().isValid())
        return QSize(25, 25);
    if (index.row() == 0)
        return QSize(7, 7);
    return QSize(30, 30);
}

void ItemDelegate::paintBackground(QPainter *painter, const QStyleOptionViewItem &option,
                                   bool selected) const
{
    // Rows are indented by the view; fill from the left edge so the selection
    // spans the whole sidebar.
    QRect row = option.rect;
    row.setLeft(0);
    if (!selected) {
        painter->fillRect(row, Palette::color(Palette::SidebarBackground));
        return;
    }
    QLinearGradient gradient(row.topLeft(), row.bottomLeft());
    gradient.setColorAt(0.0, Palette::color(Palette::SelectionTop));
    gradient.setColorAt(0.9, Palette::color(Palette::SelectionBottom));
    painter->fillRect(row, gradient);
}

void ItemDelegate::paintBranch(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    const auto *tree = qobject_cast<const QTreeView *>(view);
    if (!tree || !index.model()->hasChildren(index))
        return;
    const QPixmap arrow =
        Artwork::pixmap(tree->isExpanded(index) ? QStringLiteral(":/images/triangle_down.png")
                                                : QStringLiteral(":/images/triangle_left.png"));
    if (arrow.isNull())
        return;
    const QSize size = arrow.deviceIndependentSize().toSize();
    const QPoint at(option.rect.right() - size.width() - 8,
                    option.rect.center().y() - size.height() / 2);
    painter->drawPixmap(at, arrow);
}

ItemDelegate::RowLayout ItemDelegate::layoutFor(const QStyleOptionViewItem &option,
                                                const QModelIndex &index, bool selected) const
{
    RowLayout row;
    const bool topLevel = !index.parent().isValid();
    row.font = option.font;
    row.font.setPixelSize(topLevel ? 14 : 12);
    row.font.setBold(topLevel);
    const QVariant iconValue =
        index.data(selected ? SidebarModel::SelectedIconRole : SidebarModel::IconRole);
    if (iconValue.canConvert<QIcon>() && iconValue.userType() != QMetaType::QString)
        row.icon = iconValue.value<QIcon>();
    // Rows with children keep room for their arrow; others a small margin.
    row.rightReserve = index.model()->hasChildren(index) ? kArrowReserve : kTextMargin;
    const QRect r = option.rect;
    if (topLevel) {
        row.iconRect = QRect(r.left() + 8, r.top() + 5, kIconSize, kIconSize);
        row.textLeft = row.icon.isNull() ? 10 : 35;
        row.baseline = 20;
    } else if (isSearchesChild(index)) {
        row.textLeft = 55;
        row.baseline = 18;
    } else {
        row.iconRect = QRect(20, r.top() + 2, kIconSize, kIconSize);
        row.textLeft = 20 + kIconSize + 8;
        row.baseline = 17;
    }
    return row;
}

int ItemDelegate::widthFor(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QVariant allowedFor = index.data(SidebarModel::WidthTextRole);
    const QString text = allowedFor.isValid() ? allowedFor.toString() : index.data().toString();
    int width = 0;
    for (const bool selected : {false, true}) {
        const RowLayout row = layoutFor(option, index, selected);
        // Eliding compares fractional widths: round up, not to the nearest.
        const int textWidth = qCeil(QFontMetricsF(row.font).horizontalAdvance(text));
        width = qMax(width, row.textLeft + textWidth + row.rightReserve);
    }
    return width;
}

QString ItemDelegate::shownText(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const RowLayout row = layoutFor(option, index, option.state & QStyle::State_Selected);
    const int available = option.rect.right() + 1 - row.textLeft - row.rightReserve;
    return QFontMetrics(row.font).elidedText(index.data().toString(), Qt::ElideMiddle, available);
}

void ItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const bool selected = option.state & QStyle::State_Selected;
    paintBackground(painter, option, selected);

    const RowLayout row = layoutFor(option, index, selected);
    painter->setFont(row.font);
    painter->setPen(Palette::color(selected ? Palette::SelectedText : Palette::SidebarText));
    if (!row.icon.isNull() && !row.iconRect.isNull())
        row.icon.paint(painter, row.iconRect);
    painter->drawText(QPoint(row.textLeft, option.rect.top() + row.baseline),
                      shownText(option, index));
    paintBranch(painter, option, index);
    painter->restore();
}
