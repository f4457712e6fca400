#include "burner/BurnQueue.h"

#include "burner/ConvertTask.h"
#include "burner/CreateDVDTask.h"
#include "burner/CreateVCDTask.h"
#include "burner/DeviceController.h"
#include "burner/Project.h"
#include "core/FileNames.h"
#include "core/Logging.h"

#include <QStandardItemModel>
#include <QTimer>

namespace {

// How often the running row's elapsed time is brought up to date.
constexpr int kClockTickMs = 500;

bool isAuthoring(const Task *task)
{
    return qobject_cast<const CreateDVDTask *>(task) || qobject_cast<const CreateVCDTask *>(task);
}

} // namespace

BurnQueue::BurnQueue(Project *project, DeviceController *controller, QObject *parent)
    : QObject(parent), m_project(project), m_controller(controller),
      m_model(new QStandardItemModel(this)), m_clockTimer(new QTimer(this))
{
    m_clockTimer->setInterval(kClockTickMs);
    connect(m_clockTimer, &QTimer::timeout, this, &BurnQueue::tick);
    connect(m_controller, &DeviceController::progressChanged, this, &BurnQueue::progressChanged);
    connect(m_controller, &DeviceController::complete, this, [this] {
        if (!m_writing)
            return;
        m_writing = false;
        m_busy = false;
        m_clockTimer->stop();
        Q_EMIT burnComplete();
    });
    connect(m_controller, &DeviceController::failed, this,
            [this](const QString &title, const QString &detail) {
                if (!m_writing)
                    return;
                m_writing = false;
                m_busy = false;
                m_clockTimer->stop();
                Q_EMIT burnFailed(title, detail);
            });
}

BurnQueue::~BurnQueue()
{
    cancel();
    if (m_controller)
        m_controller->setUpdateItem(nullptr);
}

void BurnQueue::queueProject()
{
    const Project *project = m_project;
    const auto clipCount = project->clips().size();
    for (int i = 0; i < clipCount; ++i)
        addTask(ConvertTask::forProjectClip(*project, i).release());
    const bool dvd = isDvdType(project->discType());
    Task *author =
        dvd ? static_cast<Task *>(new CreateDVDTask(project)) : new CreateVCDTask(project);
    author->setName(project->title());
    author->setDescription(dvd ? tr("Compiling DVD and burning to disc")
                               : tr("Compiling (S)VCD and burning to disc"));
    addTask(author);
}

void BurnQueue::addTask(Task *task)
{
    task->setParent(this);
    connect(task, &Task::progress, this, &BurnQueue::taskProgress);
    m_queue.append(task);
    auto *item = new QStandardItem(QStringLiteral("task"));
    item->setEditable(false);
    item->setData(QVariant::fromValue(task), TaskRole);
    item->setData(false, RunningRole);
    m_model->appendRow(item);
    m_items.insert(task, item);
}

void BurnQueue::start()
{
    m_busy = true;
    startNextTask();
}

void BurnQueue::startNextTask()
{
    Task *task = nullptr;
    while (!task && !m_queue.isEmpty())
        task = m_queue.takeFirst();
    if (!task) {
        m_clockTimer->stop();
        return;
    }
    QStandardItem *item = m_items.value(task);
    item->setData(true, RunningRole);
    item->setData(0.0, DeviceController::ProgressRole);
    item->setData(0.0, DeviceController::TimeRole);
    if (m_current && m_current != task)
        m_current->deleteLater();
    m_current = task;
    m_clock.restart();
    m_clockTimer->start();
    Q_EMIT progressChanged(0.0);

    if (isAuthoring(task)) {
        item->setData(qobject_cast<CreateDVDTask *>(task) ? tr("Building DVD...")
                                                          : tr("Building VCD..."),
                      DeviceController::StatusRole);
        connect(task, &Task::complete, this, &BurnQueue::startBurning);
        m_controller->setUpdateItem(item);
    } else {
        connect(task, &Task::complete, this, &BurnQueue::taskCompleted);
    }
    connect(task, &Task::failed, this, &BurnQueue::taskFailed);
    task->exec();
}

void BurnQueue::taskProgress(qreal progress, qreal time)
{
    auto *task = qobject_cast<Task *>(sender());
    QStandardItem *item = m_items.value(task);
    if (!item)
        return;
    item->setData(static_cast<double>(progress), DeviceController::ProgressRole);
    item->setData(static_cast<double>(time), DeviceController::TimeRole);
    if (task == m_current)
        Q_EMIT progressChanged(progress);
}

void BurnQueue::tick()
{
    QStandardItem *item = m_items.value(m_current.data());
    if (!item)
        return;
    // The newest of the task's own clock and the queue's.
    const double shown = item->data(DeviceController::TimeRole).toDouble();
    item->setData(qMax(shown, static_cast<double>(m_clock.elapsed())), DeviceController::TimeRole);
}

void BurnQueue::taskCompleted()
{
    auto *task = qobject_cast<Task *>(sender());
    if (!task || task != m_current)
        return;
    QStandardItem *item = m_items.value(task);
    item->setData(1.0, DeviceController::ProgressRole);
    task->disconnect(this);
    startNextTask();
    m_model->removeRow(item->row());
    m_items.remove(task);
    task->deleteLater();
}

void BurnQueue::startBurning()
{
    auto *task = qobject_cast<Task *>(sender());
    if (!task || task != m_current)
        return;
    task->disconnect(this);
    const Project *project = m_project;
    m_writing = true;
    if (auto *dvd = qobject_cast<CreateDVDTask *>(task))
        m_controller->burnDVD(dvd->imagePath());
    else if (auto *vcd = qobject_cast<CreateVCDTask *>(task))
        m_controller->burnVCD(vcd->tocPath());
    else
        m_controller->burnDVD(project->tempDirectory().absoluteFilePath(
            FileNames::safe(project->title()) + QStringLiteral(".iso")));
}

void BurnQueue::taskFailed(const QString &title, const QString &desc)
{
    auto *task = qobject_cast<Task *>(sender());
    if (!task || task != m_current)
        return;
    qCWarning(lcBurner).noquote() << "BurnQueue::taskFailed" << task->name() << title << desc;
    m_clockTimer->stop();
    removeCurrent();
    Q_EMIT failed(title, desc);
}

void BurnQueue::removeCurrent()
{
    Task *task = m_current;
    if (!task)
        return;
    task->disconnect(this);
    task->cancel(); // a failed task may leave a process or a partial file
    if (QStandardItem *item = m_items.take(task)) {
        if (isAuthoring(task) && m_controller)
            m_controller->setUpdateItem(nullptr);
        m_model->removeRow(item->row());
    }
}

void BurnQueue::resume(bool goOn)
{
    Task *failedTask = m_current;
    if (goOn && failedTask)
        dropClipOf(failedTask);
    if (failedTask) {
        failedTask->deleteLater();
        m_current = nullptr;
    }
    const bool nothingLeft = m_project->clips().isEmpty() || m_queue.isEmpty();
    if (!goOn || nothingLeft) {
        cancel();
        Q_EMIT stopped();
        return;
    }
    startNextTask();
}

void BurnQueue::dropClipOf(Task *task)
{
    auto *conversion = qobject_cast<ConvertTask *>(task);
    if (!conversion)
        return;
    Project *project = m_project;
    project->removeClip(conversion->clip());
    // The authoring reads clip i from file_i: the conversions still to come
    // move up one place.
    QList<ConvertTask *> pending;
    for (const QPointer<Task> &queued : std::as_const(m_queue)) {
        if (auto *next = qobject_cast<ConvertTask *>(queued.data()))
            pending.append(next);
    }
    const auto first = project->clips().size() - pending.size();
    for (int i = 0; i < pending.size(); ++i)
        pending.at(i)->setDestination(
            project->convertedFilePath(QStringLiteral("file_%1").arg(first + i)));
}

void BurnQueue::cancel()
{
    m_clockTimer->stop();
    const QList<QPointer<Task>> tasks = m_queue;
    m_queue.clear();
    for (const QPointer<Task> &task : tasks) {
        if (task)
            task->disconnect(this);
    }
    if (m_current) {
        m_current->disconnect(this);
        m_current->cancel();
    }
    m_writing = false;
    m_busy = false;
}
