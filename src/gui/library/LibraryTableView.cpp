#include "gui/library/LibraryTableView.h"

#include "gui/mainwindow/Artwork.h"
#include "library/LibraryItem.h"

#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

namespace {

constexpr int kPreviewDelayMs = 750;
const QSize kPreviewSize(320, 200);
const QPoint kPreviewOffset(10, 10);

QPixmap previewPicture(const LibraryItem &item)
{
    for (const QString &path : {item.thumbnailPath(), item.coverPath()}) {
        if (path.isEmpty())
            continue;
        const QPixmap picture(path);
        if (!picture.isNull())
            return picture;
    }
    return Artwork::pixmap(QStringLiteral(":/images/thumbnail.jpg"));
}

} // namespace

LibraryTableView::LibraryTableView(QWidget *parent)
    : QTableView(parent), m_preview(new QLabel(this, Qt::ToolTip)), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("LibraryTableView"));
    setAccessibleName(tr("My videos in detail"));
    setMouseTracking(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    // Rows as tall as the text needs, in the user's font size.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);

    m_preview->setObjectName(QStringLiteral("previewLabel"));
    m_preview->hide();
    m_timer->setSingleShot(true);
    m_timer->setInterval(kPreviewDelayMs);
    connect(m_timer, &QTimer::timeout, this, &LibraryTableView::displayPreview);
}

void LibraryTableView::setPreviewDelay(int ms)
{
    m_timer->setInterval(ms);
}

int LibraryTableView::previewDelay() const
{
    return m_timer->interval();
}

bool LibraryTableView::isPreviewPending() const
{
    return m_timer->isActive();
}

void LibraryTableView::hidePreview()
{
    m_preview->hide();
}

void LibraryTableView::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    // Column 0 carries the whole item; it is not for reading.
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    if (model() && model()->columnCount() > 0)
        setColumnHidden(0, true);
    fitHeaderTexts();
}

void LibraryTableView::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::LanguageChange || event->type() == QEvent::FontChange)
        fitHeaderTexts();
}

// The columns share the width, but none gets narrower than the widest header
// text (in any language); a narrow window scrolls sideways instead.
void LibraryTableView::fitHeaderTexts()
{
    QHeaderView *header = horizontalHeader();
    int widest = 0;
    for (int section = 0; section < header->count(); ++section) {
        if (!header->isSectionHidden(section))
            widest = qMax(widest, header->sectionSizeHint(section));
    }
    if (widest > 0)
        header->setMinimumSectionSize(widest);
}

void LibraryTableView::mouseMoveEvent(QMouseEvent *event)
{
    hidePreview();
    m_lastPosition = event->position().toPoint();
    m_timer->start();
    QTableView::mouseMoveEvent(event);
}

bool LibraryTableView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Leave) {
        // A preview left behind would stay over whatever the mouse went to.
        m_timer->stop();
        hidePreview();
    }
    return QTableView::viewportEvent(event);
}

void LibraryTableView::displayPreview()
{
    const QModelIndex index = indexAt(m_lastPosition);
    if (!index.isValid())
        return;
    const LibraryItem item = index.siblingAtColumn(0).data().value<LibraryItem>();
    m_preview->setPixmap(
        previewPicture(item).scaled(kPreviewSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_preview->adjustSize();
    m_preview->move(viewport()->mapToGlobal(m_lastPosition) + kPreviewOffset);
    m_preview->show();
}
