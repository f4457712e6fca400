#include "gui/downloads/DownloadWidget.h"

#include "downloads/DownloadManager.h"
#include "downloads/SpeedLimitSettings.h"
#include "gui/downloads/DownloadView.h"

#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace {

QString pageStyle()
{
    static const QString sheet = [] {
        QFile file(QStringLiteral(":/style/DownloadWidget.qss"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }();
    return sheet;
}

} // namespace

namespace {

// Below the width its full texts need, the toolbar's buttons show their
// icons only (their texts stay their names and tooltips), so that the window
// fits a small screen.
class ToolbarFit : public QObject
{
public:
    ToolbarFit(QWidget *toolbar, const QList<QToolButton *> &buttons)
        : QObject(toolbar), m_toolbar(toolbar), m_buttons(buttons)
    {
        for (QToolButton *button : buttons)
            button->setToolTip(button->text());
        const int compact = measure(true);
        m_fullWidth = measure(false);
        toolbar->setMinimumWidth(compact);
        toolbar->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_toolbar && event->type() == QEvent::Resize)
            apply(m_toolbar->width() < m_fullWidth);
        return false;
    }

private:
    void apply(bool compact)
    {
        for (QToolButton *button : std::as_const(m_buttons))
            button->setToolButtonStyle(compact ? Qt::ToolButtonIconOnly
                                               : Qt::ToolButtonTextBesideIcon);
    }

    int measure(bool compact)
    {
        apply(compact);
        m_toolbar->layout()->invalidate();
        return m_toolbar->layout()->minimumSize().width();
    }

    QWidget *m_toolbar;
    QList<QToolButton *> m_buttons;
    int m_fullWidth = 0;
};

} // namespace

DownloadWidget::DownloadWidget(DownloadManager *manager, UserPrompt *prompt, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("DownloadWidget"));
    setStyleSheet(pageStyle());

    auto *toolbar = new QWidget(this);
    toolbar->setObjectName(QStringLiteral("DownloadToolbar"));
    toolbar->setAttribute(Qt::WA_StyledBackground);
    auto *title = new QLabel(tr("Downloads"), toolbar);
    title->setObjectName(QStringLiteral("downloadsTitle"));
    m_removeAll = makeButton(tr("Remove All"), QStringLiteral(":/images/buttons/icon_remove.png"));
    m_pauseAll = makeButton(tr("Pause All"), QStringLiteral(":/images/buttons/icon_pause.png"));
    m_resumeAll = makeButton(tr("Resume All"), QStringLiteral(":/images/buttons/icon_resume.png"));
    m_alternativeSpeed = makeButton(tr("Alternative Speed"), QString());
    m_alternativeSpeed->setCheckable(true);
    m_alternativeSpeed->setChecked(SpeedLimitSettings::load().alternativeOn);
    m_alternativeSpeed->setToolTip(tr("Download at the alternative speed limit now, whatever "
                                      "the schedule says"));
    connect(m_alternativeSpeed, &QToolButton::toggled, this, [](bool on) {
        SpeedLimitSettings limits = SpeedLimitSettings::load();
        limits.alternativeOn = on;
        limits.save(); // the transfers follow within a second
    });
    auto *bar = new QHBoxLayout(toolbar);
    bar->setContentsMargins(10, 4, 10, 4);
    bar->addWidget(title);
    bar->addStretch(1);
    for (QToolButton *button : {m_alternativeSpeed, m_removeAll, m_pauseAll, m_resumeAll}) {
        button->setParent(toolbar);
        bar->addWidget(button);
    }

    new ToolbarFit(toolbar, {m_removeAll, m_pauseAll, m_resumeAll});

    m_view = new DownloadView(prompt, this);
    m_view->setDownloadManager(manager);
    connect(m_view, &DownloadView::playRequested, this, &DownloadWidget::playRequested);
    connect(m_view, &DownloadView::signInRequested, this, &DownloadWidget::signInRequested);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(toolbar, 0, 0);
    grid->addWidget(m_view, 1, 0);

    if (manager) {
        connect(m_removeAll, &QToolButton::clicked, manager, &DownloadManager::removeAll);
        connect(m_pauseAll, &QToolButton::clicked, manager, &DownloadManager::pauseAll);
        connect(m_resumeAll, &QToolButton::clicked, manager, &DownloadManager::resumeAll);
    }
}

QToolButton *DownloadWidget::makeButton(const QString &text, const QString &icon)
{
    auto *button = new QToolButton(this);
    button->setText(text);
    button->setIcon(QIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAccessibleName(text);
    return button;
}
