#pragma once

#include "burner/BurnQueue.h"

#include <QPointer>
#include <QWizardPage>

#include <functional>

class Account;
class LibburnDeviceController;
class Project;
class QListView;
class TaskDelegate;

// Second page of the burner: asks for a recorder and a disc, then shows the
// tasks of the burn as they run. A failure is offered as an error report and
// the user decides whether the disc goes on without the failed clip.
class BurnStep : public QWizardPage
{
    Q_OBJECT

public:
    static constexpr int DefaultReturnDelayMs = 250;

    explicit BurnStep(Project *project, QWidget *parent = nullptr);
    ~BurnStep() override;

    void initializePage() override;
    void cleanupPage() override;
    bool validatePage() override;
    bool isComplete() const override { return false; }
    int nextId() const override { return -1; }

    LibburnDeviceController *controller() const { return m_controller; }
    BurnQueue *queue() const { return m_queue; }
    QListView *taskList() const { return m_list; }
    bool isBusy() const;
    // The member whose user name error reports leave out (not owned; it
    // must outlive the page). Without one only the home folder is masked.
    void setAccount(const Account *account) { m_account = account; }
    // How long a cancelled disc setup waits before going back to the files.
    void setReturnDelay(int ms) { m_returnDelayMs = ms; }
    // Stops the burn; the outcome is not reported.
    void cancelBurn();

public Q_SLOTS:
    void taskFailed(const QString &title, const QString &desc);
    void deviceCompleted();
    void deviceFailed(const QString &title, const QString &detail);

Q_SIGNALS:
    // The burn is over (written, failed or given up): the window can go.
    void finished(bool written);

private:
    void setupDisc();
    void startBurn();
    void showRunningTask();
    // The error report for a failure; `next` runs once it is closed.
    void report(const QString &title, const QString &text, std::function<void()> next);
    void askToContinue();
    void finish(bool written);

    Project *m_project;
    const Account *m_account = nullptr;
    QListView *m_list;
    TaskDelegate *m_delegate;
    LibburnDeviceController *m_controller;
    QPointer<BurnQueue> m_queue;
    int m_returnDelayMs = DefaultReturnDelayMs;
};
