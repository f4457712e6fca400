#include "gui/web/WebMessageBar.h"

#include <QHBoxLayout>
#include <QLabel>

WebMessageBar::WebMessageBar(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("WebMessageBar"));
    setStyleSheet(QStringLiteral(
        "QFrame#WebMessageBar { background: #fdf1d6; border-bottom: 1px solid #d9b45f; }"
        "QLabel { color: #5a3d00; font-weight: bold; }"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 8, 12, 8);
    m_text = new QLabel(this);
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    row->addWidget(m_text, 1);
    hide();

    m_passing.setSingleShot(true);
    m_passing.setInterval(PassingMs);
    connect(&m_passing, &QTimer::timeout, this, &WebMessageBar::hideMessage);
}

void WebMessageBar::showMessage(const QString &text, bool passing)
{
    if (passing)
        m_passing.start();
    else
        m_passing.stop();
    m_text->setText(text);
    m_text->setAccessibleName(text);
    setAccessibleName(text);
    show();
}

void WebMessageBar::hideMessage()
{
    m_passing.stop();
    m_text->clear();
    hide();
}

QString WebMessageBar::text() const
{
    return isHidden() ? QString() : m_text->text();
}
