#include "gui/mainwindow/InfoWidget.h"

#include "gui/mainwindow/Artwork.h"
#include "gui/mainwindow/Palette.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// The pictures keep their glyph in the upper half; the text starts below it.
constexpr qreal kTextTop = 0.5;
constexpr int kSideMargin = 20;
constexpr int kBottomMargin = 16;
// The card's rounded corners and the glyph stay as drawn when it grows.
constexpr int kCorner = 20;

} // namespace

InfoWidget::InfoWidget(QWidget *parent)
    : QWidget(parent), m_title(new QLabel(this)), m_text(new QLabel(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(6);
    for (QLabel *label : {m_title, m_text}) {
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        layout->addWidget(label);
    }
    layout->addStretch(1);
    QFont title = font();
    title.setPixelSize(19);
    title.setBold(true);
    m_title->setFont(title);
    QFont text = font();
    text.setPixelSize(13);
    m_text->setFont(text);
}

void InfoWidget::setPicture(const QPixmap &pixmap, const QString &title, const QString &text)
{
    m_picture = pixmap;
    m_title->setText(title);
    m_text->setText(text);
    m_title->setVisible(!title.isEmpty());
    m_text->setVisible(!text.isEmpty());
    m_title->setAccessibleName(QStringList({title, text}).join(QLatin1Char(' ')).trimmed());
    const QSize size = pixmap.deviceIndependentSize().toSize();
    layout()->setContentsMargins(kSideMargin, qRound(size.height() * kTextTop), kSideMargin,
                                 kBottomMargin);
    setFixedWidth(size.width());
    fitHeight();
    update();
}

void InfoWidget::fitHeight()
{
    const QSize picture = m_picture.deviceIndependentSize().toSize();
    const int needed = layout()->hasHeightForWidth() ? layout()->heightForWidth(picture.width())
                                                     : layout()->sizeHint().height();
    setFixedHeight(qMax(picture.height(), needed));
}

void InfoWidget::showPicture(bool dark)
{
    m_dark = dark;
    setAutoFillBackground(dark);
    if (dark) {
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, Qt::black);
        setPalette(palette);
    }
    const QColor title = dark ? Qt::white : Palette::color(Palette::Ink);
    const QColor text = dark ? QColor(0xc9, 0xd3, 0xdd) : Palette::color(Palette::InkLight);
    m_title->setStyleSheet(QStringLiteral("color: %1;").arg(title.name()));
    m_text->setStyleSheet(QStringLiteral("color: %1;").arg(text.name()));
    show();
}

void InfoWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_dark)
        painter.fillRect(rect(), Qt::black);
    // The glyph's band and the corners keep their size; the plain middle stretches.
    const QSize picture = m_picture.deviceIndependentSize().toSize();
    const int top = qMin(qRound(picture.height() * kTextTop), picture.height() - kCorner);
    Artwork::drawStretched(painter, rect(), m_picture, QMargins(kCorner, top, kCorner, kCorner));
}
