#pragma once

#include "burner/DeviceController.h"
#include "burner/Task.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

class Project;
class QStandardItem;
class QStandardItemModel;
class QTimer;

// The tasks of one burn, run one after another: a conversion per clip of the
// project, the authoring, then the write on the device controller. Each task
// is a row of model() that shows its progress. A failed task pauses the
// queue until resume() says whether to go on without it.
class BurnQueue : public QObject
{
    Q_OBJECT

public:
    // Roles of the rows besides the controller's progress, time and status.
    static constexpr int TaskRole = Qt::UserRole + 1;    // Task*
    static constexpr int RunningRole = Qt::UserRole + 5; // bool

    // Neither `project` nor `controller` is owned; both must outlive the queue's write.
    BurnQueue(Project *project, DeviceController *controller, QObject *parent = nullptr);
    ~BurnQueue() override;

    QStandardItemModel *model() const { return m_model; }
    DeviceController *controller() const { return m_controller; }
    Task *currentTask() const { return m_current; }
    bool isBusy() const { return m_busy; }

    // Queues one conversion per clip of the project, then the authoring.
    void queueProject();
    // Queues `task` (taken over) as the last row.
    void addTask(Task *task);
    // Starts the first task.
    void start();
    // Stops whatever runs; the outcome is not reported.
    void cancel();

public Q_SLOTS:
    void taskProgress(qreal progress, qreal time);
    void taskCompleted();
    void taskFailed(const QString &title, const QString &desc);
    void startBurning();
    // After taskFailed(): go on without the failed task (a failed conversion
    // takes its clip off the disc), or stop.
    void resume(bool goOn);

Q_SIGNALS:
    // The running row's done fraction, -1 while the amount is unknown.
    void progressChanged(qreal fraction);
    // A task failed; the queue waits for resume().
    void failed(QString title, QString desc);
    void burnComplete();
    void burnFailed(QString title, QString detail);
    // Nothing more will run: the user stopped after a failure, or nothing
    // was left to put on the disc.
    void stopped();

private:
    void startNextTask();
    void removeCurrent();
    void dropClipOf(Task *task);
    void tick();

    Project *m_project;
    QPointer<DeviceController> m_controller;
    QStandardItemModel *m_model;
    QTimer *m_clockTimer;
    QElapsedTimer m_clock;
    QList<QPointer<Task>> m_queue;
    QHash<Task *, QStandardItem *> m_items;
    QPointer<Task> m_current;
    bool m_busy = false;
    bool m_writing = false;
};
