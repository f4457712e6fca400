#include "gui/burner/BurnStep.h"

#include "burner/BurnQueue.h"
#include "burner/LibburnDeviceController.h"
#include "burner/Project.h"
#include "core/LogFile.h"
#include "core/Version.h"
#include "gui/burner/DiscSetupDialog.h"
#include "gui/burner/TaskDelegate.h"
#include "gui/dialogs/ErrorReportDialog.h"
#include "web/Account.h"

#include <QGridLayout>
#include <QListView>
#include <QMessageBox>
#include <QStandardItemModel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWizard>

namespace {

// The widest a message box grows for its text before wrapping it.
constexpr int kMessageWidth = 480;

// A message box takes the width of its main text and wraps the informative
// text tightly under it. This makes room for the informative line too.
void fitInformativeText(QMessageBox *box)
{
    auto *grid = qobject_cast<QGridLayout *>(box->layout());
    if (!grid)
        return;
    const QFontMetrics metrics = box->fontMetrics();
    const int text = qMin(metrics.horizontalAdvance(box->informativeText()), kMessageWidth);
    // The icon, the gaps beside it and a little room for the label's own frame.
    const int gaps = qMax(grid->horizontalSpacing(), 0) * (grid->columnCount() - 1);
    const int width = box->iconPixmap().width() + gaps + 4 * metrics.averageCharWidth() + text;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

BurnStep::BurnStep(Project *project, QWidget *parent)
    : QWizardPage(parent), m_project(project), m_list(new QListView(this)),
      m_delegate(new TaskDelegate(m_list, this)),
      m_controller(new LibburnDeviceController(project, this))
{
    setTitle(QStringLiteral(" "));
    setSubTitle(QStringLiteral(" "));
    m_list->setObjectName(QStringLiteral("taskList"));
    m_list->setAccessibleName(tr("Tasks"));
    m_list->setItemDelegate(m_delegate);
    m_list->setAlternatingRowColors(true);
    // More tasks than fit scroll; the running one is kept in view.
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
}

BurnStep::~BurnStep()
{
    cancelBurn();
}

bool BurnStep::isBusy() const
{
    return m_queue && m_queue->isBusy();
}

void BurnStep::initializePage()
{
    setupDisc();
}

void BurnStep::cleanupPage()
{
    cancelBurn();
    QWizardPage::cleanupPage();
}

bool BurnStep::validatePage()
{
    if (!isBusy())
        return true;
    const auto answer = QMessageBox::warning(
        this, tr("Cancel Operation"),
        tr("Discaveo is in the middle of an operation, are you sure you want to exit?"),
        QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::No)
        return false;
    cancelBurn();
    return true;
}

void BurnStep::setupDisc()
{
    auto *dialog = new DiscSetupDialog(m_controller, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this](int result) {
        if (result == QDialog::Accepted) {
            startBurn();
            return;
        }
        // Back to the files, which stay as they were.
        QPointer<QWizard> owner = wizard();
        QTimer::singleShot(m_returnDelayMs, this, [owner] {
            if (owner)
                owner->back();
        });
    });
    dialog->open();
}

void BurnStep::startBurn()
{
    cancelBurn();
    m_queue = new BurnQueue(m_project, m_controller, this);
    QStandardItemModel *tasks = m_queue->model();
    m_list->setModel(tasks);
    connect(tasks, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                if (roles.isEmpty() || roles.contains(BurnQueue::RunningRole))
                    showRunningTask();
            });
    connect(tasks, &QAbstractItemModel::rowsRemoved, this, &BurnStep::showRunningTask);
    connect(m_queue, &BurnQueue::progressChanged, m_delegate, &TaskDelegate::setProgress);
    connect(m_queue, &BurnQueue::failed, this, &BurnStep::taskFailed);
    connect(m_queue, &BurnQueue::burnComplete, this, &BurnStep::deviceCompleted);
    connect(m_queue, &BurnQueue::burnFailed, this, &BurnStep::deviceFailed);
    connect(m_queue, &BurnQueue::stopped, this, [this] { finish(false); });
    m_queue->queueProject();
    m_queue->start();
}

void BurnStep::showRunningTask()
{
    const QAbstractItemModel *tasks = m_list->model();
    if (!tasks)
        return;
    for (int row = 0; row < tasks->rowCount(); ++row) {
        const QModelIndex index = tasks->index(row, 0);
        if (index.data(BurnQueue::RunningRole).toBool()) {
            m_list->scrollTo(index, QAbstractItemView::EnsureVisible);
            return;
        }
    }
}

void BurnStep::cancelBurn()
{
    m_delegate->hideProgress();
    if (!m_queue)
        return;
    m_controller->cancelWrite();
    m_queue->cancel();
    m_list->setModel(nullptr);
    m_queue->deleteLater();
    m_queue = nullptr;
}

void BurnStep::report(const QString &title, const QString &text, std::function<void()> next)
{
    auto *dialog = new ZR::ErrorReportDialog(ZR::ErrorReportDialog::burnerReportUrl(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(title);
    dialog->setVersion(QStringLiteral(ZELTA_VERSION));
    dialog->setPlatform(ZR::LogFile::platformDescription());
    dialog->setError(text);
    dialog->setLogFilePath(ZR::LogFile::logFilePath());
    if (m_account)
        dialog->setUserName(m_account->userName());
    connect(dialog, &QDialog::finished, this, [next = std::move(next)] { next(); });
    dialog->open();
}

void BurnStep::taskFailed(const QString &title, const QString &desc)
{
    m_delegate->hideProgress(); // the failed row is gone
    report(title, desc, [this] { askToContinue(); });
}

void BurnStep::askToContinue()
{
    auto *box =
        new QMessageBox(QMessageBox::Question, tr("Continue"), tr("Would you like to continue?"),
                        QMessageBox::Yes | QMessageBox::No, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this](int result) {
        if (m_queue)
            m_queue->resume(result == QMessageBox::Yes);
    });
    box->open();
}

void BurnStep::deviceCompleted()
{
    m_delegate->hideProgress();
    m_list->setModel(nullptr);
    const bool dvd = isDvdType(m_project->discType());
    auto *box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("burnCompleteBox"));
    box->setIconPixmap(QPixmap(dvd ? QStringLiteral(":/new/new_images/dvd.png")
                                   : QStringLiteral(":/new/new_images/cd.png")));
    box->setText(tr("Burning is complete!"));
    box->setInformativeText(tr("Discaveo has completed the burning operation, enjoy your media."));
    box->setStandardButtons(QMessageBox::Ok);
    fitInformativeText(box);
    connect(box, &QMessageBox::finished, this, [this] { finish(true); });
    box->open();
}

void BurnStep::deviceFailed(const QString &title, const QString &detail)
{
    m_delegate->hideProgress();
    report(title, detail, [this] { finish(false); });
}

void BurnStep::finish(bool written)
{
    cancelBurn();
    Q_EMIT finished(written);
}
