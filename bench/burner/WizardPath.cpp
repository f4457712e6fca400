#include "WizardPath.h"

#include "burner/BurnQueue.h"
#include "burner/ConvertTask.h"
#include "burner/CreateDVDTask.h"
#include "burner/LibburnDeviceController.h"
#include "burner/Project.h"
#include "burner/ScanTask.h"
#include "gui/burner/BurnStep.h"
#include "gui/burner/BurnerWizard.h"
#include "gui/burner/DiscSetupDialog.h"
#include "gui/burner/FileStep.h"
#include "gui/dialogs/ErrorReportDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>

#include <functional>

namespace {

// Beats every few milliseconds on the GUI thread and keeps the longest gap
// between two beats, overall and while `writing` is set.
class Heartbeat
{
public:
    static constexpr int IntervalMs = 5;

    Heartbeat()
    {
        m_timer.setInterval(IntervalMs);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { beat(); });
        m_clock.start();
        m_timer.start();
    }

    void beat()
    {
        const double gap = m_clock.nsecsElapsed() / 1e6;
        m_clock.restart();
        longestTotal = qMax(longestTotal, gap);
        if (writing)
            longestWriting = qMax(longestWriting, gap);
        if (onBeat)
            onBeat();
    }

    bool writing = false;
    double longestWriting = 0;
    double longestTotal = 0;
    std::function<void()> onBeat;

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
};

// Runs the event loop until `done` holds (the heartbeat keeps it waking).
void waitUntil(const std::function<bool()> &done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

template <typename T> T *shown(const QObject *root)
{
    for (T *widget : root->findChildren<T *>()) {
        if (widget->isVisible())
            return widget;
    }
    return nullptr;
}

double seconds(const QElapsedTimer &clock)
{
    return clock.nsecsElapsed() / 1e9;
}

} // namespace

bool runTask(Task &task)
{
    bool ended = false;
    bool ok = false;
    QObject::connect(&task, &Task::complete, &task, [&] { ended = ok = true; });
    QObject::connect(&task, &Task::failed, &task, [&](const QString &title, const QString &desc) {
        QTextStream(stderr) << "failed: " << title << ' ' << desc << '\n';
        ended = true;
    });
    task.exec();
    waitUntil([&] { return ended; });
    return ok;
}

void scanProject(Project &bench, const QStringList &clips)
{
    Project *project = &bench;
    project->reset();
    project->setDiscType(DiscType::Dvd);
    project->setTitle(QStringLiteral("Bench"));
    for (const QString &clip : clips) {
        ScanTask scan(project);
        scan.setSource(clip);
        runTask(scan);
    }
}

bool runEngineBurn(Project &bench, const QStringList &clips, const QString &image, BurnRun &run)
{
    scanProject(bench, clips);
    Project *project = &bench;
    Heartbeat heartbeat;
    QElapsedTimer total;
    total.start();
    for (int i = 0; i < clips.size(); ++i) {
        if (!runTask(*ConvertTask::forProjectClip(*project, i)))
            return false;
    }
    run.convert = seconds(total);
    CreateDVDTask author(project);
    author.setName(project->title());
    if (!runTask(author))
        return false;
    run.author = seconds(total) - run.convert;

    LibburnDeviceController controller(project);
    controller.setHardwareScan(false);
    controller.setRecorder(QStringLiteral("stdio:") + image, QStringLiteral("0"));
    bool ended = false;
    bool ok = false;
    QObject::connect(&controller, &DeviceController::complete, [&] { ended = ok = true; });
    QObject::connect(&controller, &DeviceController::failed, [&] { ended = true; });
    heartbeat.writing = true;
    controller.burnDVD(author.imagePath());
    waitUntil([&] { return ended; });
    heartbeat.writing = false;
    run.total = seconds(total);
    run.write = run.total - run.convert - run.author;
    run.longestStallMs = heartbeat.longestWriting;
    run.longestStallTotalMs = heartbeat.longestTotal;
    project->removeTempDirectory();
    return ok;
}

bool runWizardBurn(Project &project, const QStringList &clips, const QString &image, BurnRun &run)
{
    BurnerWizard wizard(&project);
    wizard.burnStep()->controller()->setHardwareScan(false);
    wizard.show(); // a fresh project
    for (const QString &clip : clips)
        wizard.fileStep()->addFile(clip);
    waitUntil([&] {
        return wizard.fileStep()->scansFinished() && project.clips().size() == clips.size();
    });
    wizard.button(QWizard::NextButton)->click();
    DiscSetupDialog *setup = nullptr;
    waitUntil([&] { return (setup = shown<DiscSetupDialog>(&wizard)); });
    setup->setPollInterval(10);
    if (!setup->addImageFile(image))
        return false;
    auto *burn = setup->findChild<QPushButton *>(QStringLiteral("burnButton"));
    waitUntil([burn] { return burn->isEnabled(); });

    Heartbeat heartbeat;
    QElapsedTimer total;
    LibburnDeviceController *controller = wizard.burnStep()->controller();
    bool writeEnded = false;
    QObject::connect(controller, &DeviceController::statusChanged, &wizard, [&] {
        if (heartbeat.writing || writeEnded)
            return;
        heartbeat.writing = true;
        run.author = seconds(total) - run.convert;
    });
    auto endWrite = [&] {
        heartbeat.writing = false;
        writeEnded = true;
        run.total = seconds(total);
    };
    QObject::connect(controller, &DeviceController::complete, &wizard, endWrite);
    QObject::connect(controller, &DeviceController::failed, &wizard, endWrite);
    heartbeat.onBeat = [&] {
        // The conversions are over once the authoring runs.
        BurnQueue *queue = wizard.burnStep()->queue();
        if (run.convert == 0 && queue && qobject_cast<CreateDVDTask *>(queue->currentTask()))
            run.convert = seconds(total);
    };
    total.start();
    burn->click();

    QMessageBox *done = nullptr;
    bool failed = false;
    waitUntil([&] {
        failed = shown<ZR::ErrorReportDialog>(&wizard) != nullptr;
        done = shown<QMessageBox>(&wizard);
        return failed || (done && writeEnded);
    });
    run.write = run.total - run.convert - run.author;
    run.longestStallMs = heartbeat.longestWriting;
    run.longestStallTotalMs = heartbeat.longestTotal;
    if (failed)
        return false;
    done->button(QMessageBox::Ok)->click();
    waitUntil([&] { return !wizard.isVisible(); });
    return true;
}
