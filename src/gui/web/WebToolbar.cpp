#include "gui/web/WebToolbar.h"

#include "gui/mainwindow/AutoSizeLabel.h"
#include "gui/mainwindow/CorvWebSearchWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QStyle>
#include <QToolButton>

namespace {

constexpr int progressFrames = 12;

} // namespace

WebToolbar::WebToolbar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("WebToolbar"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 4, 6, 4);
    m_back = addButton(QStyle::SP_ArrowBack, tr("Back"), &WebToolbar::backRequested);
    m_forward = addButton(QStyle::SP_ArrowForward, tr("Forward"), &WebToolbar::forwardRequested);
    addButton(QStyle::SP_DirHomeIcon, tr("Home"), &WebToolbar::homeRequested);
    addButton(QStyle::SP_BrowserReload, tr("Reload"), &WebToolbar::reloadRequested);
    addButton(QStyle::SP_BrowserStop, tr("Stop"), &WebToolbar::stopRequested);
    m_titleLabel = new AutoSizeLabel(this);
    row->addWidget(m_titleLabel, 1);
    m_progress = new QLabel(this);
    m_progress->setFixedSize(16, 16);
    m_progress->setAccessibleName(tr("Loading"));
    m_progress->hide();
    row->addWidget(m_progress);
    m_searchField = new CorvWebSearchWidget(this);
    connect(m_searchField, &CorvWebSearchWidget::signalReturnStringSearch, this,
            &WebToolbar::searchFor);
    row->addWidget(m_searchField);

    m_progressTimer.setInterval(100);
    connect(&m_progressTimer, &QTimer::timeout, this, &WebToolbar::nextProgressFrame);
}

QToolButton *WebToolbar::addButton(QStyle::StandardPixmap icon, const QString &name,
                                   void (WebToolbar::*signal)())
{
    auto *button = new QToolButton(this);
    button->setIcon(style()->standardIcon(icon));
    button->setToolTip(name);
    button->setAccessibleName(name);
    button->setAutoRaise(true);
    connect(button, &QToolButton::clicked, this, signal);
    layout()->addWidget(button);
    return button;
}

void WebToolbar::setTitle(const QString &title)
{
    m_titleLabel->setText(title);
}

void WebToolbar::setNavigation(bool canGoBack, bool canGoForward)
{
    m_back->setEnabled(canGoBack);
    m_forward->setEnabled(canGoForward);
}

void WebToolbar::startProgress()
{
    if (m_progressTimer.isActive())
        return;
    m_progress->show();
    m_progressTimer.start();
}

void WebToolbar::stopProgress()
{
    m_progressTimer.stop();
    m_progress->hide();
}

void WebToolbar::nextProgressFrame()
{
    m_progressFrame = m_progressFrame >= progressFrames ? 1 : m_progressFrame + 1;
    m_progress->setPixmap(
        QPixmap(QStringLiteral(":/images/progress/progress%1.png").arg(m_progressFrame)));
}
