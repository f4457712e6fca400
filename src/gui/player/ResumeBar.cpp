#include "gui/player/ResumeBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

ResumeBar::ResumeBar(QWidget *video) : PictureOverlay(video)
{
    setObjectName(QStringLiteral("ResumeBar"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral(
        "QWidget#ResumeBar { background: #202428; border: 1px solid #50565c; "
        "border-radius: 4px; }"
        "QLabel { color: #ffffff; font-size: 11pt; }"
        "QPushButton { font-size: 11pt; padding: 4px 16px; color: #ffffff; background: #2a5db0;"
        " border: 1px solid #7fa6e0; border-radius: 4px; }"
        "QPushButton:hover { background: #3a6dc0; }"
        "QPushButton:focus { border: 2px solid #f0b429; }"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 8, 10, 8);
    layout->setSpacing(14);
    m_label = new QLabel(this);
    m_label->setTextFormat(Qt::PlainText);
    m_startOver = new QPushButton(tr("Start over"), this);
    m_startOver->setAccessibleName(tr("Start over"));
    m_startOver->setCursor(Qt::PointingHandCursor);
    layout->addWidget(m_label);
    layout->addWidget(m_startOver);
    connect(m_startOver, &QPushButton::clicked, this, [this] {
        dismiss();
        Q_EMIT startOverRequested();
    });
    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, &ResumeBar::dismiss);
}

QString ResumeBar::text() const
{
    return m_label->text();
}

void ResumeBar::showResumed(const QString &text, int ms)
{
    //: The time where a video goes on, e.g. "Resumed at 12:34"; the button beside it says "Start
    //: over".
    m_label->setText(tr("Resumed at %1 —").arg(text));
    setAccessibleName(tr("Resumed at %1").arg(text));
    adjustSize();
    showOverPicture();
    m_hideTimer.start(ms);
}

void ResumeBar::dismiss()
{
    m_hideTimer.stop();
    hide();
}

// Bottom centre of the picture, clear of its edge.
void ResumeBar::place(const QRect &area)
{
    const QSize size = sizeHint().boundedTo(area.size());
    resize(size);
    move(area.left() + (area.width() - size.width()) / 2,
         area.bottom() - size.height() - qMin(48, area.height() / 10));
}
