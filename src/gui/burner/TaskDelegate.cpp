#include "gui/burner/TaskDelegate.h"

#include "burner/Task.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QProgressBar>
#include <QTime>

namespace {

constexpr int kMargin = 8;
constexpr int kIconSize = 64;
constexpr int kBarHeight = 18;

} // namespace

TaskDelegate::TaskDelegate(QWidget *view, QObject *parent) : QStyledItemDelegate(parent)
{
    auto *area = qobject_cast<QAbstractItemView *>(view);
    m_bar = new QProgressBar(area ? area->viewport() : view);
    m_bar->setObjectName(QStringLiteral("taskProgress"));
    m_bar->setAccessibleName(tr("Task progress"));
    m_bar->setRange(0, 1000);
    m_bar->setTextVisible(false);
    m_bar->hide();
}

TaskDelegate::~TaskDelegate()
{
    delete m_bar.data(); // the view may outlive its delegate
}

QSize TaskDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), RowHeight);
}

void TaskDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    auto *task = index.data(TaskRole).value<Task *>();
    if (!task) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (option.features & QStyleOptionViewItem::Alternate)
        painter->fillRect(option.rect, option.palette.alternateBase());
    const QRect row = option.rect.adjusted(kMargin, kMargin, -kMargin, -kMargin);
    const QRect iconRect(row.left(), row.top() + (row.height() - kIconSize) / 2, kIconSize,
                         kIconSize);
    painter->drawPixmap(iconRect, task->icon());

    const QRect textRect = row.adjusted(kIconSize + kMargin, 0, 0, 0);
    QFont nameFont(QStringLiteral("Helvetica"), 16);
    nameFont.setBold(true);
    painter->setFont(nameFont);
    painter->setPen(option.palette.color(QPalette::Text));
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop, task->name());

    const int nameHeight = QFontMetrics(nameFont).height();
    QFont detailFont(QStringLiteral("Helvetica"), 11);
    painter->setFont(detailFont);
    const QString status = index.data(StatusRole).toString();
    painter->drawText(textRect.adjusted(0, nameHeight, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                      status.isEmpty() ? task->description() : status);

    if (index.data(RunningRole).toBool()) {
        const QTime elapsed = QTime(0, 0).addMSecs(int(index.data(TimeRole).toDouble()));
        painter->drawText(textRect, Qt::AlignRight | Qt::AlignTop,
                          elapsed.toString(QStringLiteral("hh:mm:ss")));
        if (m_bar) {
            m_bar->setGeometry(textRect.left(), textRect.bottom() - kBarHeight, textRect.width(),
                               kBarHeight);
            m_bar->show();
        }
    }
    painter->restore();
}

void TaskDelegate::setProgress(qreal progress)
{
    if (!m_bar)
        return;
    if (progress < 0) {
        m_bar->setRange(0, 0);
        return;
    }
    if (m_bar->maximum() != 1000)
        m_bar->setRange(0, 1000);
    m_bar->setValue(qBound(0, int(progress * 1000), 1000));
}

void TaskDelegate::hideProgress()
{
    if (m_bar)
        m_bar->hide();
}
