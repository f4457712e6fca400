#include "gui/player/TvMenu.h"

#include "tv/renderer/RendererFinder.h"

#include <QActionGroup>

TvMenu::TvMenu(RendererFinder *finder, QWidget *parent) : QMenu(parent), m_finder(finder)
{
    setObjectName(QStringLiteral("playOnTvMenu"));
    setTitle(tr("Play on TV"));
    menuAction()->setObjectName(QStringLiteral("playOnTvAction"));
    connect(this, &QMenu::aboutToShow, this, &TvMenu::startSearching);
    if (finder) {
        connect(finder, &RendererFinder::rendererAdded, this, &TvMenu::rebuild);
        connect(finder, &RendererFinder::rendererRemoved, this, &TvMenu::rebuild);
    }
    rebuild();
}

void TvMenu::startSearching()
{
    if (!m_finder)
        return;
    // Started once; each opening asks again, for TVs switched on since.
    if (!m_finder->start())
        return;
    m_finder->search();
}

void TvMenu::setCurrent(const QString &rendererId)
{
    m_current = rendererId;
    rebuild();
}

QAction *TvMenu::rendererAction(const QString &rendererId) const
{
    for (QAction *action : actions()) {
        if (action->data().toString() == rendererId && action != m_here && !rendererId.isEmpty())
            return action;
    }
    return nullptr;
}

void TvMenu::rebuild()
{
    clear();
    delete m_group;
    m_group = new QActionGroup(this);
    QActionGroup *group = m_group;
    const QList<RendererInfo> renderers = m_finder ? m_finder->renderers() : QList<RendererInfo>();
    for (const RendererInfo &renderer : renderers) {
        QAction *action = addAction(renderer.name);
        action->setData(renderer.id);
        action->setCheckable(true);
        action->setChecked(renderer.id == m_current);
        group->addAction(action);
        const QString id = renderer.id;
        connect(action, &QAction::triggered, this, [this, id] { Q_EMIT rendererChosen(id); });
    }
    if (renderers.isEmpty()) {
        QAction *looking = addAction(tr("Looking for TVs on the home network…"));
        looking->setObjectName(QStringLiteral("lookingForTvsAction"));
        looking->setEnabled(false);
    }
    addSeparator();
    m_here = addAction(tr("This computer"));
    m_here->setObjectName(QStringLiteral("thisComputerAction"));
    m_here->setCheckable(true);
    m_here->setChecked(m_current.isEmpty());
    group->addAction(m_here);
    connect(m_here, &QAction::triggered, this, &TvMenu::thisComputerChosen);
}
