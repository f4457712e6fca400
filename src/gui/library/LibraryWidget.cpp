#include "gui/library/LibraryWidget.h"

#include "burner/Project.h"
#include "core/Logging.h"
#include "core/UserPrompt.h"
#include "gui/burner/BurnerWizard.h"
#include "gui/burner/FileStep.h"
#include "gui/library/CorvHeaderView.h"
#include "gui/library/CorvMediaInformationEditDialog.h"
#include "gui/library/LibraryFilterView.h"
#include "gui/library/LibraryTableSortModel.h"
#include "gui/library/LibraryTableView.h"
#include "gui/library/LibraryView.h"
#include "gui/library/MissingVideoQuestion.h"
#include "gui/library/ShownPagesAccessible.h"
#include "gui/library/StatusWidget.h"
#include "gui/library/VideoFileFilter.h"
#include "gui/mainwindow/CorvLibSearchWidget.h"
#include "gui/mainwindow/Palette.h"
#include "gui/mainwindow/PictureButton.h"
#include "library/ImportController.h"
#include "library/ImportSession.h"
#include "library/Library.h"
#include "library/LibraryFilterModel.h"
#include "library/LibraryModel.h"
#include "library/MetaDataBuilder.h"
#include "tv/LumiqoTv.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// How long an import's summary stays in the status strip.
constexpr int kSummaryMs = 5000;

// The header's buttons: a pill with a glyph at its left; the text is drawn
// over the plain part and the button grows with it.
PictureButton *pictureButton(const char *name, const QString &picture, const QString &text,
                             const QString &description, QWidget *parent)
{
    auto *button = new PictureButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setAccessibleName(description);
    button->setToolTip(description);
    QFont font = button->font();
    font.setPixelSize(12);
    font.setBold(true);
    button->setFont(font);
    button->setLook({picture, 34, 16, QMargins(32, 0, 14, 0), Palette::color(Palette::Ink), {}});
    return button;
}

// Fits the header's row into narrow windows: below the width its full texts
// need, the picture buttons show their glyphs only and the search field a
// short placeholder, so that the window fits a small screen.
class HeaderFit : public QObject
{
public:
    HeaderFit(QWidget *header, const QList<PictureButton *> &buttons, CorvLibSearchWidget *search)
        : QObject(header), m_header(header), m_buttons(buttons), m_search(search)
    {
        m_compactWidth = measure(true);
        m_fullWidth = measure(false);
        header->setMinimumWidth(m_compactWidth);
        header->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_header && event->type() == QEvent::Resize)
            apply(m_header->width() < m_fullWidth);
        return false;
    }

private:
    void apply(bool compact)
    {
        for (PictureButton *button : std::as_const(m_buttons))
            button->setCompact(compact);
        m_search->setCompact(compact);
        m_search->setMinimumWidth(0);
        m_search->setMinimumWidth(qMax(110, m_search->minimumSizeHint().width()));
    }

    int measure(bool compact)
    {
        apply(compact);
        m_header->layout()->invalidate();
        return m_header->layout()->minimumSize().width();
    }

    QWidget *m_header;
    QList<PictureButton *> m_buttons;
    CorvLibSearchWidget *m_search;
    int m_compactWidth = 0;
    int m_fullWidth = 0;
};

// The TV switch: its knob on the left while off, on the right while on, and
// the state's word beside it.
PictureButton *tvSwitchButton(QWidget *parent)
{
    auto *button = new PictureButton(parent);
    button->setObjectName(QStringLiteral("lumiqoTvCheckBox"));
    button->setCheckable(true);
    QFont font = button->font();
    font.setPixelSize(13);
    font.setBold(true);
    button->setFont(font);
    button->setLook({QStringLiteral(":/images/library/offBtn.png"), 36, 18, QMargins(34, 0, 10, 0),
                     Palette::color(Palette::Ink), LibraryWidget::tr("OFF")});
    button->setCheckedLook({QStringLiteral(":/images/library/onBtn.png"), 18, 36,
                            QMargins(10, 0, 34, 0), Qt::white, LibraryWidget::tr("ON")});
    return button;
}

} // namespace

LibraryWidget::LibraryWidget(Library *library, UserPrompt *prompt, std::function<LumiqoTv *()> tv,
                             QWidget *parent)
    : QWidget(parent), m_library(library), m_prompt(prompt), m_tv(std::move(tv)),
      m_proxy(new LibraryFilterModel(this))
{
    setObjectName(QStringLiteral("LibraryWidget"));
    m_proxy->setSourceModel(library->model());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    m_status = new StatusWidget(this);
    m_status->setObjectName(QStringLiteral("statusWidget"));
    layout->addWidget(m_status);

    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("stackedWidget"));
    ShownPagesAccessible::install(metaObject()->className());
    m_pages->addWidget(buildListPage());
    auto *splitter = new QSplitter(m_pages);
    splitter->setObjectName(QStringLiteral("splitter"));
    m_filterView = new LibraryFilterView(library ? library->store() : nullptr, splitter);
    m_tableView = new LibraryTableView(splitter);
    m_tableView->setObjectName(QStringLiteral("libraryView"));
    // Sorted by its own headers; the tiles keep the order of the sort bar.
    m_tableOrder = new LibraryTableSortModel(this);
    m_tableOrder->setSourceModel(m_proxy);
    m_tableView->setModel(m_tableOrder);
    m_tableView->setSortingEnabled(true);
    m_tableView->sortByColumn(-1, Qt::AscendingOrder);
    // Several videos can be picked here for one disc.
    m_tableView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tableView->setStyleSheet(
        QStringLiteral("QHeaderView::section { font-weight: bold; "
                       "qproperty-defaultAlignment: AlignCenter; background: qlineargradient("
                       "x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #d4d4d4); border: none; "
                       "border-right: 1px solid #b8b8b8; padding: 3px; }"));
    splitter->addWidget(m_filterView);
    splitter->addWidget(m_tableView);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({180, 600});
    m_pages->addWidget(splitter);
    layout->addWidget(m_pages, 1);

    connect(m_listView, &QAbstractItemView::doubleClicked, this, &LibraryWidget::itemDoubleClicked);
    connect(m_tableView, &QAbstractItemView::doubleClicked, this,
            &LibraryWidget::itemDoubleClicked);
    connect(m_listView, &LibraryView::playVideo, this, &LibraryWidget::play);
    m_missing = new MissingVideoQuestion(library, prompt, this);
    connect(m_missing, &MissingVideoQuestion::located, this, &LibraryWidget::playVideo);
    connect(m_listView, &LibraryView::importRequested, this, &LibraryWidget::importFiles);
    connect(m_listView, &LibraryView::burnRequested, this,
            qOverload<const QString &>(&LibraryWidget::showBurnWizard));
    connect(m_listView, &LibraryView::searchRequested, this, &LibraryWidget::searchRequested);
    connect(m_listView, &LibraryView::mediaInformationRequested, this,
            &LibraryWidget::showMediaInformation);
    connect(m_listView, &LibraryView::displayMessage, m_status,
            qOverload<const QString &>(&StatusWidget::showStatus));
    connect(m_listView, &LibraryView::hideStatus, m_status, &StatusWidget::hideStatus);
    connect(m_header, &CorvHeaderView::doSortChange, library,
            [library](int column, Qt::SortOrder order) {
                library->model()->onSort(LibraryModel::sortHeaders(column), order);
                // Kept for the next start.
                QSettings settings;
                settings.setValue(QStringLiteral("library/sortColumn"), column);
                settings.setValue(QStringLiteral("library/sortOrder"), int(order));
            });
    restoreSortOrder();
    // The strip stays up while an import the user started runs, and then
    // shows its summary for a moment.
    m_statusLinger = new QTimer(this);
    m_statusLinger->setSingleShot(true);
    m_statusLinger->setInterval(kSummaryMs);
    connect(m_statusLinger, &QTimer::timeout, m_status, &StatusWidget::hideStatus);
    ImportSession *session = library->imports()->importSession();
    connect(library->imports(), &ImportController::importFinished, this, [this, session] {
        if (!session->isRunning() && !m_statusLinger->isActive())
            m_status->hideStatus();
    });
    connect(session, &ImportSession::progressed, this, &LibraryWidget::importProgressed);
    connect(session, &ImportSession::finished, this, &LibraryWidget::importEnded);
    connect(m_filterView, &LibraryFilterView::clear, m_proxy, &LibraryFilterModel::clearFilter);
    // "All (n)" counts the videos, not the names listed under it.
    const auto countVideos = [this] {
        m_filterView->setVideoCount(m_library->model()->rowCount());
    };
    for (auto change : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(library->model(), change, this, countVideos);
    connect(library->model(), &QAbstractItemModel::modelReset, this, countVideos);
    countVideos();
    connect(m_filterView, &LibraryFilterView::filter, m_proxy, &LibraryFilterModel::setFilter);
    if (MetaDataBuilder *builder = library->metaDataBuilder())
        connect(builder, &MetaDataBuilder::update, m_filterView,
                &LibraryFilterView::metaDataUpdated);
    connect(m_search, &CorvLibSearchWidget::textChanged, this, &LibraryWidget::onFilterTextChange);
    listViewButtonClicked();
}

LibraryWidget::~LibraryWidget() = default;

QWidget *LibraryWidget::buildHeader()
{
    auto *header = new QWidget(this);
    header->setObjectName(QStringLiteral("headerWidget"));
    header->setAttribute(Qt::WA_StyledBackground);
    header->setStyleSheet(
        QStringLiteral("#headerWidget { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
                       "stop:0 #e1e1e1, stop:1 #c1c1c1); border-bottom: 1px solid #a8a8a8; }"));
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(10, 6, 10, 6);
    row->setSpacing(10);

    PictureButton *import =
        pictureButton("importButton", QStringLiteral(":/images/library/importBtn.png"),
                      tr("Import"), tr("Import videos"), header);
    PictureButton *importFolder =
        pictureButton("importFolderButton", QStringLiteral(":/images/library/importBtn.png"),
                      tr("Folder"), tr("Import a folder of videos"), header);
    m_search = new CorvLibSearchWidget(header);
    m_search->setObjectName(QStringLiteral("guiFilters"));
    // Never narrower than its placeholder in the user's language.
    m_search->setMinimumWidth(qMax(110, m_search->minimumSizeHint().width()));
    m_search->setMaximumWidth(qMax(260, m_search->minimumWidth()));

    auto *pageSwitch = new QToolButton(header);
    pageSwitch->setObjectName(QStringLiteral("pageSwitch"));
    pageSwitch->setCheckable(true);
    pageSwitch->setText(tr("Details"));
    pageSwitch->setToolTip(tr("Show the videos as a table with filters"));
    // Looks pressed while the table is in front.
    pageSwitch->setStyleSheet(QStringLiteral(
        "QToolButton { color: rgb(52, 52, 52); border: 1px solid #9b9b9b; border-radius: 4px; "
        "padding: 2px 8px; background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbfbfb, "
        "stop:1 #dedede); } QToolButton:checked { color: white; border-color: #5f6a75; "
        "background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #7d8893, stop:1 #a3acb5); }"));
    m_pageSwitch = pageSwitch;

    PictureButton *burn =
        pictureButton("burnButton", QStringLiteral(":/images/library/burnBtn.png"), tr("Burn"),
                      tr("Burn a disc"), header);
    m_burnButton = burn;
    PictureButton *tvSwitch = tvSwitchButton(header);
    tvSwitch->setAccessibleName(tr("Watch on TV"));
    tvSwitch->setToolTip(tr("Watch on TV: share the library with televisions at home"));
    m_tvSwitch = tvSwitch;

    row->addWidget(import);
    row->addWidget(importFolder);
    row->addWidget(m_search);
    row->addWidget(pageSwitch);
    row->addStretch(1);
    row->addWidget(burn);
    row->addWidget(tvSwitch);

    new HeaderFit(header, {import, importFolder, burn}, m_search);

    connect(import, &PictureButton::clicked, this, &LibraryWidget::importClicked);
    connect(importFolder, &PictureButton::clicked, this, &LibraryWidget::importFolderClicked);
    connect(burn, &PictureButton::clicked, this, qOverload<>(&LibraryWidget::showBurnWizard));
    connect(tvSwitch, &PictureButton::clicked, this, &LibraryWidget::toggleLumiqoTv);
    connect(pageSwitch, &QToolButton::toggled, this, [this](bool details) {
        details ? detailViewButtonClicked() : listViewButtonClicked();
    });
    return header;
}

QWidget *LibraryWidget::buildListPage()
{
    auto *page = new QWidget(m_pages);
    page->setObjectName(QStringLiteral("listViewPage"));
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_header = new CorvHeaderView(page);
    m_header->setObjectName(QStringLiteral("ui_header"));
    m_listView = new LibraryView(m_prompt, page);
    m_listView->setObjectName(QStringLiteral("listView"));
    m_listView->setLibrary(m_library, m_proxy);
    column->addWidget(m_header);
    column->addWidget(m_listView, 1);
    return page;
}

void LibraryWidget::restoreSortOrder()
{
    const QSettings settings;
    const int column = settings.value(QStringLiteral("library/sortColumn"), -1).toInt();
    const int order = settings.value(QStringLiteral("library/sortOrder"), -1).toInt();
    const bool known = column >= LibraryModel::SortDate && column <= LibraryModel::SortTitle &&
                       (order == Qt::AscendingOrder || order == Qt::DescendingOrder);
    if (known && (column != m_header->sortColumn() || order != m_header->sortOrder()))
        m_header->setSortIndicator(column, Qt::SortOrder(order));
}

bool LibraryWidget::isDetailPageShown() const
{
    return m_pages->currentIndex() == 1;
}

void LibraryWidget::setPlayOnTvMenu(QMenu *menu)
{
    m_listView->addMenuAtTop(menu);
}

QString LibraryWidget::menuVideoPath() const
{
    return m_listView->menuVideoPath();
}

void LibraryWidget::listViewButtonClicked()
{
    m_pages->setCurrentIndex(0);
    m_pageSwitch->setChecked(false);
}

void LibraryWidget::detailViewButtonClicked()
{
    refreshFileMarks();
    m_pages->setCurrentIndex(1);
    m_pageSwitch->setChecked(true);
}

void LibraryWidget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Files may have gone (or come back) while another page was in front.
    refreshFileMarks();
    if (!m_listView->selectionModel()->hasSelection() && m_proxy->rowCount() > 0)
        m_listView->setCurrentIndex(m_proxy->index(0, 0));
}

QModelIndex LibraryWidget::libraryIndex(const QModelIndex &index) const
{
    const QModelIndex filtered =
        index.model() == m_tableOrder ? m_tableOrder->mapToSource(index) : index;
    return m_proxy->mapToSource(filtered);
}

void LibraryWidget::itemDoubleClicked(const QModelIndex &index)
{
    m_tableView->hidePreview();
    const QModelIndex source = libraryIndex(index);
    if (!source.isValid()) {
        qCWarning(lcGui) << "LibraryWidget::itemDoubleClicked invalid ModelIndex";
        return;
    }
    const QString path = m_library->model()->item(source.row()).videoPath();
    if (path.isEmpty()) {
        qCWarning(lcGui) << "LibraryWidget::itemDoubleClicked invalid path";
        return;
    }
    play(path);
}

void LibraryWidget::refreshFileMarks()
{
    m_library->model()->forgetFileMarks();
    m_listView->refreshFileMarks();
    m_tableOrder->refreshFileMarks();
}

void LibraryWidget::play(const QString &path)
{
    if (QFileInfo::exists(path))
        Q_EMIT playVideo(path);
    else
        askAboutMissingVideo(path);
}

void LibraryWidget::askAboutMissingVideo(const QString &path)
{
    // The tile and the table say so from now on, whatever the answer.
    refreshFileMarks();
    m_missing->ask(path);
}

void LibraryWidget::importClicked()
{
    importFiles(
        QFileDialog::getOpenFileNames(this, tr("Open Files"), QDir::homePath(), videoFileFilter()));
}

void LibraryWidget::importFolderClicked()
{
    const QString folder =
        QFileDialog::getExistingDirectory(this, tr("Import Folder"), QDir::homePath());
    if (!folder.isEmpty())
        importFiles({folder});
}

QString LibraryWidget::importSummary(const ImportReport &report)
{
    return report.summary();
}

void LibraryWidget::importProgressed(int done, int total, const QString &name)
{
    m_status->showStatus(
        tr("Importing %1 (%2 of %3)...").arg(name).arg(qMin(done + 1, total)).arg(total));
}

void LibraryWidget::importEnded(const ImportReport &report)
{
    const QString summary = importSummary(report);
    m_status->showResult(summary);
    m_statusLinger->start();
    if (report.skipped() == 0)
        return;
    // The files left out, by name, so the user knows which ones to look at.
    QStringList lines = report.details();
    constexpr int kShownNames = 12;
    if (lines.size() > kShownNames) {
        const int more = int(lines.size()) - kShownNames;
        lines = lines.mid(0, kShownNames);
        lines << tr("and %n more", "files", more);
    }
    m_prompt->warning(tr("Import"),
                      summary + QStringLiteral("\n\n") + lines.join(QLatin1Char('\n')));
}

void LibraryWidget::importFiles(const QStringList &paths)
{
    if (paths.isEmpty()) {
        update();
        return;
    }
    QString message = tr("Importing ") + QFileInfo(paths.first()).fileName();
    if (paths.size() > 1)
        message += tr(" and other files...");
    m_statusLinger->stop();
    m_status->showStatus(message);
    m_library->imports()->importPaths(paths);
}

void LibraryWidget::onFilterTextChange(const QString &text)
{
    m_proxy->setNameFilter(text);
    m_listView->onSorted();
}

void LibraryWidget::toggleLumiqoTv()
{
    LumiqoTv *tv = m_tv ? m_tv() : nullptr;
    if (tv)
        tv->toggleServerStatus();
    updateTvSwitch();
}

void LibraryWidget::updateTvSwitch()
{
    LumiqoTv *tv = m_tv ? m_tv() : nullptr;
    m_tvSwitch->setChecked(tv && tv->isRunning());
}

void LibraryWidget::showMediaInformation(int libraryRow)
{
    CorvMediaInformationEditDialog dialog(m_library, libraryRow, this);
    dialog.exec();
}

Project *LibraryWidget::burnProject()
{
    if (!m_project)
        m_project = new Project(this);
    return m_project;
}

BurnerWizard *LibraryWidget::openBurnWizard()
{
    if (!m_burner) {
        m_burner = new BurnerWizard(burnProject(), this);
        m_burner->setAccount(m_account);
        m_burner->setClipsFolder(m_library->location().folder());
        connect(m_burner, &BurnerWizard::burnFinished, this, &LibraryWidget::burnFinished);
    }
    m_burner->show();
    m_burner->activateWindow();
    m_burner->raise();
    return m_burner;
}

QStringList LibraryWidget::selectedVideos() const
{
    const QAbstractItemView *view =
        isDetailPageShown() ? static_cast<const QAbstractItemView *>(m_tableView) : m_listView;
    QModelIndexList rows = view->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    QStringList paths;
    for (const QModelIndex &index : std::as_const(rows)) {
        const QModelIndex source = libraryIndex(index);
        if (!source.isValid())
            continue;
        const QString path = m_library->model()->item(source.row()).videoPath();
        if (!path.isEmpty())
            paths << path;
    }
    return paths;
}

void LibraryWidget::showBurnWizard()
{
    const QStringList paths = selectedVideos();
    BurnerWizard *wizard = openBurnWizard();
    for (const QString &path : paths)
        wizard->fileStep()->addFile(path);
}

void LibraryWidget::showBurnWizard(const QString &videoPath)
{
    openBurnWizard()->fileStep()->addFile(videoPath);
}
