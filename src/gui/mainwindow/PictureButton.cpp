#include "gui/mainwindow/PictureButton.h"

#include "gui/mainwindow/Artwork.h"

#include <QEvent>
#include <QPainter>

PictureButton::PictureButton(QWidget *parent) : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PictureButton::setLook(const Look &look)
{
    m_look = look;
    m_pixmap = Artwork::pixmap(look.picture);
    updateGeometry();
    update();
}

void PictureButton::setCheckedLook(const Look &look)
{
    m_checkedLook = look;
    m_checkedPixmap = Artwork::pixmap(look.picture);
    m_hasCheckedLook = true;
    updateGeometry();
    update();
}

const PictureButton::Look &PictureButton::currentLook() const
{
    return m_hasCheckedLook && isChecked() ? m_checkedLook : m_look;
}

QString PictureButton::textOf(const Look &look) const
{
    return look.text.isEmpty() ? text() : look.text;
}

int PictureButton::neededWidth(const Look &look) const
{
    const int textWidth = fontMetrics().horizontalAdvance(textOf(look));
    return look.textMargins.left() + textWidth + look.textMargins.right();
}

void PictureButton::setCompact(bool compact)
{
    if (m_compact == compact)
        return;
    m_compact = compact;
    updateGeometry();
    update();
}

QSize PictureButton::sizeHint() const
{
    const QSize picture = m_pixmap.deviceIndependentSize().toSize();
    if (m_compact)
        return QSize(m_look.leftCut + m_look.rightCut, picture.height());
    int width = qMax(picture.width(), neededWidth(m_look));
    if (m_hasCheckedLook) {
        width = qMax(width, m_checkedPixmap.deviceIndependentSize().toSize().width());
        width = qMax(width, neededWidth(m_checkedLook));
    }
    // One width for both states: the switch does not jump when it flips.
    return QSize(width, picture.height());
}

QSize PictureButton::minimumSizeHint() const
{
    return sizeHint();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    const Look &look = currentLook();
    const QPixmap &pixmap = m_hasCheckedLook && isChecked() ? m_checkedPixmap : m_pixmap;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.5);
    else if (isDown())
        painter.setOpacity(0.8);
    Artwork::drawStretched(painter, rect(), pixmap, QMargins(look.leftCut, 0, look.rightCut, 0));

    painter.setPen(look.textColor.isValid() ? look.textColor
                                            : palette().color(QPalette::ButtonText));
    painter.setFont(font());
    if (!m_compact)
        painter.drawText(rect().marginsRemoved(look.textMargins), Qt::AlignCenter, textOf(look));

    if (hasFocus()) {
        // A visible ring for the keyboard user, following the picture's rounded shape.
        painter.setOpacity(1.0);
        QPen pen(palette().color(QPalette::Highlight), 1.5, Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const QRectF ring = QRectF(rect()).adjusted(1, 1, -1, -1);
        painter.drawRoundedRect(ring, ring.height() / 2, ring.height() / 2);
    }
}

void PictureButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QAbstractButton::changeEvent(event);
}
