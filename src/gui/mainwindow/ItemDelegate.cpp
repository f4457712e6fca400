#include "gui/mainwindow/ItemDelegate.h"

#include "gui/mainwindow/Artwork.h"
#include "gui/mainwindow/Palette.h"
#include "gui/mainwindow/SidebarModel.h"

#include <QTreeView>
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>

namespace {

constexpr int kIconSize = 20;

bool isSearchesChild(const QModelIndex &index)
{
    return index.parent().isValid() &&
           index.parent().data().toString() == QLatin1String("SEARCHES");
}

} // namespace

ItemDelegate::ItemDelegate(QObject *parent) : QItemDelegate(parent)
{
}

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
    const QPixmap arrow = Artwork::pixmap(tree->isExpanded(index)
                                              ? QStringLiteral(":/images/triangle_down.png")
                                              : QStringLiteral(":/images/triangle_left.png"));
    if (arrow.isNull())
        return;
    const QSize size = arrow.deviceIndependentSize().toSize();
    const QPoint at(option.rect.right() - size.width() - 8,
                    option.rect.center().y() - size.height() / 2);
    painter->drawPixmap(at, arrow);
}

void ItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const bool selected = option.state & QStyle::State_Selected;
    paintBackground(painter, option, selected);

    const bool topLevel = !index.parent().isValid();
    QFont font = option.font;
    font.setPixelSize(topLevel ? 14 : 12);
    font.setBold(topLevel);
    painter->setFont(font);
    painter->setPen(Palette::color(selected ? Palette::SelectedText : Palette::SidebarText));

    const QVariant iconValue =
        index.data(selected ? SidebarModel::SelectedIconRole : SidebarModel::IconRole);
    const QIcon icon = iconValue.canConvert<QIcon>() && iconValue.userType() != QMetaType::QString
                           ? iconValue.value<QIcon>()
                           : QIcon();
    const QRect r = option.rect;
    const QString text = index.data().toString();
    int textLeft = 35;
    int baseline = 20;
    if (topLevel) {
        if (!icon.isNull())
            icon.paint(painter, QRect(r.left() + 8, r.top() + 5, kIconSize, kIconSize));
        else
            textLeft = 10;
    } else if (isSearchesChild(index)) {
        textLeft = 55;
        baseline = 18;
    } else {
        if (!icon.isNull())
            icon.paint(painter, QRect(20, r.top() + 2, kIconSize, kIconSize));
        textLeft = 20 + kIconSize + 8;
        baseline = 17;
    }
    const int available = r.right() - textLeft - 20;
    const QString shown = painter->fontMetrics().elidedText(text, Qt::ElideMiddle, available);
    painter->drawText(QPoint(textLeft, r.top() + baseline), shown);
    paintBranch(painter, option, index);
    painter->restore();
}
