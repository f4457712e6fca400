#pragma once

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>

// Batches saves of its parent: a burst of changes is saved 3 s after the last
// one, but never later than about 15 s after the first (both can be set). The
// parent must have a slot save().
class AutoSaver : public QObject
{
    Q_OBJECT

public:
    explicit AutoSaver(QObject *parent);
    ~AutoSaver() override;

    // Saves now if a change is pending.
    void saveIfNeccessary();
    // The quiet time after the last change and the longest wait after the
    // first one before a save.
    void setIntervals(int saveDelayMs, qint64 maxWaitMs);

public Q_SLOTS:
    void changeOccurred();

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    void saveNow();

    QBasicTimer m_timer;
    QElapsedTimer m_firstChange; // invalid while nothing is pending
    int m_saveDelayMs = 3000;
    qint64 m_maxWaitMs = 15000;
};
