#include "web/AutoSaver.h"
#include "core/Logging.h"

#include <QMetaObject>
#include <QTimerEvent>
#include <QtDebug>

AutoSaver::AutoSaver(QObject *parent) : QObject(parent) {}

AutoSaver::~AutoSaver()
{
    if (m_timer.isActive())
        qCWarning(lcWeb) << "AutoSaver: still active when destroyed, changes not saved.";
}

void AutoSaver::changeOccurred()
{
    if (!m_firstChange.isValid())
        m_firstChange.start();
    if (m_firstChange.elapsed() > m_maxWaitMs)
        saveNow();
    else
        m_timer.start(m_saveDelayMs, this);
}

void AutoSaver::saveIfNeccessary()
{
    if (m_timer.isActive())
        saveNow();
}

void AutoSaver::setIntervals(int saveDelayMs, qint64 maxWaitMs)
{
    m_saveDelayMs = saveDelayMs;
    m_maxWaitMs = maxWaitMs;
}

void AutoSaver::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_timer.timerId())
        saveNow();
    else
        QObject::timerEvent(event);
}

void AutoSaver::saveNow()
{
    m_timer.stop();
    m_firstChange.invalidate();
    if (!parent() || !QMetaObject::invokeMethod(parent(), "save", Qt::DirectConnection))
        qCWarning(lcWeb) << "AutoSaver: error invoking slot save() on parent";
}
