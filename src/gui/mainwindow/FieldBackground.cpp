#include "gui/mainwindow/FieldBackground.h"

#include "gui/mainwindow/Artwork.h"

#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// The picture's rounded ends, in device-independent pixels.
constexpr int kCapWidth = 15;

} // namespace

FieldBackground::FieldBackground(QLineEdit *field) : QObject(field), m_field(field)
{
    field->installEventFilter(this);
}

namespace {

// The style option a line edit paints with (initStyleOption is protected).
class FieldOption : public QLineEdit
{
public:
    static QStyleOptionFrame of(const QLineEdit *field)
    {
        QStyleOptionFrame option;
        static_cast<const FieldOption *>(field)->initStyleOption(&option);
        return option;
    }
};

} // namespace

void FieldBackground::fitPlaceholder(QLineEdit *field)
{
    field->ensurePolished();
    const QStyleOptionFrame option = FieldOption::of(field);
    const QRect contents = field->style()
                               ->subElementRect(QStyle::SE_LineEditContents, &option, field)
                               .marginsRemoved(field->textMargins());
    // Padding, frame, the field's own 2 pixels on each side and the font's
    // overhang on the left, which the field takes off the placeholder's room.
    const int around = option.rect.width() - contents.width() + 4 +
                       qMax(0, -field->fontMetrics().minLeftBearing()) + 1;
    const int needed = field->fontMetrics().horizontalAdvance(field->placeholderText()) + around;
    field->setMinimumWidth(qMax(field->minimumWidth(), needed));
}

bool FieldBackground::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::Paint) {
        // The field may move to a screen of another scale.
        if (m_pictureRatio != m_field->devicePixelRatioF()) {
            m_pictureRatio = m_field->devicePixelRatioF();
            m_picture = Artwork::pixmap(QStringLiteral(":/images/search_new/input_field.png"),
                                        m_pictureRatio);
        }
        QPainter painter(m_field);
        Artwork::drawStretched(painter, m_field->rect(), m_picture,
                               QMargins(kCapWidth, 0, kCapWidth, 0));
        if (m_field->hasFocus()) {
            // The keyboard focus: the field's outline in the highlight colour.
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(m_field->palette().color(QPalette::Highlight), 1.5));
            const QRectF ring = QRectF(m_field->rect()).adjusted(0.75, 0.75, -0.75, -0.75);
            painter.drawRoundedRect(ring, ring.height() / 2, ring.height() / 2);
        }
    }
    return QObject::eventFilter(watched, event);
}
