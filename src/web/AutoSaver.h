#pragma once

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>

// Batches saves of its parent: a burst of changes is saved 3 s after the last
// one, but never later than about 15 s after the first. The parent must have
// a slot save().
class AutoSaver : public QObject
{
    Q_OBJECT

public:
    explicit AutoSaver(QObject *parent);
    ~AutoSaver() override;

    // Saves now if a change is pending.
    void saveIfNeccessary();

public Q_SLOTS:
    void changeOccurred();

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    void saveNow();

    QBasicTimer m_timer;
    QElapsedTimer m_firstChange; // invalid while nothing is pending
};
