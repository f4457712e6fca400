#include "gui/burner/FileStep.h"

#include "burner/Project.h"
#include "burner/ScanTask.h"
#include "burner/VideoClipModel.h"
#include "burner/VideoStandard.h"
#include "core/Logging.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QTime>
#include <QVBoxLayout>
#include <QWizard>

#include <algorithm>

namespace {

const QStringList kVideoSuffixes = {
    QStringLiteral("mp4"),  QStringLiteral("flv"), QStringLiteral("wmv"), QStringLiteral("mov"),
    QStringLiteral("mpeg"), QStringLiteral("mpg"), QStringLiteral("avi")};

const char *formatLogName(DiscType type)
{
    switch (type) {
    case DiscType::Dvd:
        return "DVD";
    case DiscType::DualLayerDvd:
        return "DVD9";
    case DiscType::Vcd:
        return "VCD";
    case DiscType::Svcd:
        return "SVCD";
    }
    return "DVD";
}

QString hms(int seconds)
{
    return QTime(0, 0).addSecs(seconds).toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

FileStep::FileStep(Project *project, QWidget *parent)
    : QWizardPage(parent), m_project(project), m_model(new VideoClipModel(project, this))
{
    setTitle(QStringLiteral(" "));
    setSubTitle(QStringLiteral(" "));
    buildForm();
}

FileStep::~FileStep()
{
    for (const QPointer<ScanTask> &task : std::as_const(m_scanQueue))
        delete task.data();
    if (m_scanning) {
        m_scanning->disconnect(this);
        m_scanning->cancel();
        delete m_scanning.data();
    }
}

void FileStep::buildForm()
{
    auto *addButton = new QPushButton(tr("Add"), this);
    m_removeButton = new QPushButton(tr("Remove"), this);
    m_removeButton->setObjectName(QStringLiteral("removeButton"));
    m_removeButton->setEnabled(false);
    auto *upButton = new QPushButton(tr("Up"), this);
    upButton->setObjectName(QStringLiteral("upButton"));
    auto *downButton = new QPushButton(tr("Down"), this);
    downButton->setObjectName(QStringLiteral("downButton"));
    addButton->setIcon(QIcon(QStringLiteral(":/images/add.png")));
    m_removeButton->setIcon(QIcon(QStringLiteral(":/images/remove.png")));
    upButton->setIcon(QIcon(QStringLiteral(":/images/up.png")));
    downButton->setIcon(QIcon(QStringLiteral(":/images/down.png")));
    addButton->setAccessibleName(tr("Add files"));
    m_removeButton->setAccessibleName(tr("Remove file"));
    upButton->setAccessibleName(tr("Move file up"));
    downButton->setAccessibleName(tr("Move file down"));
    for (QPushButton *button : {addButton, m_removeButton, upButton, downButton})
        button->setStyleSheet(QStringLiteral("QPushButton {\n\ttext-align:left;\n}"));

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("clipTable"));
    m_table->setAccessibleName(tr("Files on the disc"));
    m_table->setModel(m_model);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setShowGrid(false);
    m_table->setAlternatingRowColors(true);
    m_table->setDragDropMode(QAbstractItemView::DropOnly);
    m_table->setDropIndicatorShown(true);
    m_table->setDragEnabled(false);
    // The clip's name takes the room the short columns leave.
    QHeaderView *header = m_table->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    m_table->verticalHeader()->hide();

    m_titleEdit = new QLineEdit(QStringLiteral("NEW"), this);
    m_titleEdit->setObjectName(QStringLiteral("titleEdit"));
    m_titleEdit->setAccessibleName(tr("Disc title"));
    // Characters a file system or the authoring tools refuse in a title.
    m_titleEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^[^/?<>:\\\\*|\"\u201d]*$")), m_titleEdit));
    m_formatBox = new QComboBox(this);
    m_formatBox->setAccessibleName(tr("TV format"));
    m_formatBox->addItems({tr("NTSC"), tr("PAL")});
    m_discTypeBox = new QComboBox(this);
    m_discTypeBox->setObjectName(QStringLiteral("discTypeBox"));
    m_discTypeBox->setAccessibleName(tr("Disc type"));
    m_discTypeBox->addItems({tr("DVD Video Disc"), tr("Dual Layer DVD Video Disc"),
                             tr("VCD Video Disc"), tr("SVCD Video Disc")});
    m_tracksLabel = new QLabel(this);
    m_tracksLabel->setObjectName(QStringLiteral("tracksLabel"));
    m_tracksLabel->setAccessibleName(tr("Total tracks"));
    m_timeLabel = new QLabel(this);
    m_timeLabel->setObjectName(QStringLiteral("timeLabel"));
    m_timeLabel->setAccessibleName(tr("Total time"));
    m_timeBar = new QProgressBar(this);
    m_timeBar->setObjectName(QStringLiteral("timeBar"));
    m_timeBar->setAccessibleName(tr("Play time used"));
    m_timeBar->setTextVisible(false);
    m_errorLabel = new QLabel(this);
    m_errorLabel->setObjectName(QStringLiteral("errorLabel"));
    m_subtitleNote = new QLabel(this);
    m_subtitleNote->setObjectName(QStringLiteral("subtitleNote"));
    m_subtitleNote->setWordWrap(true);
    m_subtitleNote->hide();

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(new QLabel(tr("Add/Remove Files:"), this));
    buttons->addWidget(addButton);
    buttons->addWidget(m_removeButton);
    buttons->addWidget(new QLabel(tr("Change File Order:"), this));
    buttons->addWidget(upButton);
    buttons->addWidget(downButton);
    buttons->addStretch();
    auto *top = new QHBoxLayout;
    top->addLayout(buttons);
    top->addWidget(m_table, 1);

    auto *fields = new QGridLayout;
    fields->addWidget(new QLabel(tr("Title:"), this), 0, 0);
    fields->addWidget(m_titleEdit, 0, 1);
    fields->addWidget(new QLabel(tr("Format:"), this), 0, 2);
    fields->addWidget(m_formatBox, 0, 3);
    fields->addWidget(new QLabel(tr("Disc Type:"), this), 0, 4);
    fields->addWidget(m_discTypeBox, 0, 5);
    fields->addWidget(new QLabel(tr("Total Tracks:"), this), 1, 0);
    fields->addWidget(m_tracksLabel, 1, 1);
    fields->addWidget(new QLabel(tr("Total Time:"), this), 1, 2);
    fields->addWidget(m_timeLabel, 1, 3);
    fields->addWidget(m_timeBar, 1, 4, 1, 2);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_subtitleNote);
    layout->addLayout(fields);
    layout->addWidget(m_errorLabel);

    connect(addButton, &QPushButton::clicked, this, qOverload<>(&FileStep::addClips));
    connect(m_removeButton, &QPushButton::clicked, this, &FileStep::removeSelectedClips);
    connect(upButton, &QPushButton::clicked, this, &FileStep::moveClipUpClicked);
    connect(downButton, &QPushButton::clicked, this, &FileStep::moveClipDownClicked);
    connect(m_table, &QTableView::clicked, this, &FileStep::clipSelected);
    connect(m_model, &VideoClipModel::filesDropped, this,
            qOverload<const QList<QUrl> &>(&FileStep::addClips));
    connect(m_titleEdit, &QLineEdit::editingFinished, this, &FileStep::titleEntered);
    connect(m_formatBox, &QComboBox::textActivated, this, &FileStep::formatSelected);
    connect(m_discTypeBox, &QComboBox::activated, this, &FileStep::discTypeSelected);
}

void FileStep::initializePage()
{
    m_project->reset();
    m_project->setDiscType(DiscType(m_discTypeBox->currentIndex()));
    // The standard chosen last time, else the one of the user's country.
    const bool ntsc = VideoStandard::preferNtsc();
    m_formatBox->setCurrentIndex(ntsc ? 0 : 1);
    m_project->setNtsc(ntsc);
    applyDiscType();
    m_timeBar->setValue(0);
    if (wizard())
        wizard()->setButtonText(QWizard::NextButton, tr("Burn"));
    m_scansFinished = m_scanQueue.isEmpty() && !m_scanning;
    updateTotals();
}

void FileStep::applyDiscType()
{
    qCDebug(lcBurner).noquote() << QStringLiteral("FileStep::initializePage %1 format")
                                       .arg(QLatin1String(formatLogName(m_project->discType())));
    m_timeBar->setMaximum(Project::longestPlayTime(m_project->discType()));
}

bool FileStep::validatePage()
{
    m_project->setTitle(m_titleEdit->text());
    m_project->setNtsc(m_formatBox->currentIndex() == 0);
    return true;
}

bool FileStep::isComplete() const
{
    return !m_project->clips().isEmpty() && m_fits;
}

bool FileStep::isVideoFile(const QString &path)
{
    return kVideoSuffixes.contains(QFileInfo(path).suffix().toLower());
}

void FileStep::addClips()
{
    const QStringList files = QFileDialog::getOpenFileNames(
        this, tr("Add Videos"), m_clipsFolder,
        tr("Video Files (*.avi *.mpg *.mpeg *.mov *.wmv *.flv *.mp4);;All Files (*.*)"));
    for (const QString &file : files) {
        if (QFileInfo::exists(file))
            queueScan(file);
    }
    startNextScan();
}

void FileStep::addClips(const QList<QUrl> &files)
{
    if (wizard() && wizard()->currentPage() && wizard()->currentPage() != this) {
        // The clips of a running burn stay as they are.
        qCDebug(lcBurner) << "FileStep::addClips ignored while burning";
        return;
    }
    for (const QUrl &url : files) {
        const QString path = url.toLocalFile();
        if (isVideoFile(path))
            queueScan(path);
        else if (!path.isEmpty())
            m_refused << QFileInfo(path).fileName();
    }
    startNextScan();
}

void FileStep::addFile(const QString &path)
{
    addClips(QList<QUrl>{QUrl::fromLocalFile(path)});
}

void FileStep::queueScan(const QString &path)
{
    if (!QFileInfo(path).isReadable()) {
        m_refused << QFileInfo(path).fileName();
        return;
    }
    auto *task = new ScanTask(m_project);
    task->setSource(path);
    m_scanQueue.append(task);
    m_scansFinished = false;
}

void FileStep::startNextScan()
{
    if (m_scanning)
        return; // clips are scanned one after another
    while (!m_scanQueue.isEmpty() && !m_scanning)
        m_scanning = m_scanQueue.takeFirst();
    if (!m_scanning) {
        m_scansFinished = true;
        Q_EMIT completeChanged();
        reportRefused();
        return;
    }
    connect(m_scanning.data(), &Task::complete, this, &FileStep::clipScanned);
    m_scanning->exec();
}

void FileStep::clipScanned()
{
    if (m_scanning) {
        if (m_scanning->isRefused())
            m_refused << QFileInfo(m_scanning->source()).fileName();
        m_scanning->disconnect(this);
        m_scanning->deleteLater();
        m_scanning = nullptr;
    }
    startNextScan();
    updateTotals();
}

void FileStep::reportRefused()
{
    if (m_refused.isEmpty())
        return;
    const QString names = m_refused.join(QLatin1Char('\n'));
    m_refused.clear();
    auto *box = new QMessageBox(QMessageBox::Warning, tr("Add Videos"),
                                tr("These files cannot be read as videos and were not added:") +
                                    QLatin1Char('\n') + names,
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("refusedFilesBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void FileStep::removeSelectedClips()
{
    const QList<VideoClip> clips = m_project->clips();
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    for (const QModelIndex &index : rows) {
        if (index.row() < clips.size())
            m_project->removeClip(clips.at(index.row()));
    }
    m_removeButton->setEnabled(false);
    updateTotals();
}

void FileStep::titleEntered()
{
    if (!m_titleEdit->text().isEmpty())
        m_project->setTitle(m_titleEdit->text());
}

void FileStep::formatSelected(const QString &format)
{
    const bool ntsc = format != tr("PAL");
    m_project->setNtsc(ntsc);
    VideoStandard::remember(ntsc);
}

void FileStep::discTypeSelected(int discType)
{
    m_project->setDiscType(DiscType(discType));
    applyDiscType();
    updateTotals();
}

void FileStep::clipSelected(const QModelIndex &index)
{
    m_removeButton->setEnabled(index.isValid());
}

int FileStep::selectedRow() const
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void FileStep::moveClipUpClicked()
{
    const int row = selectedRow();
    if (row <= 0)
        return;
    m_project->moveClipUp(row);
    m_model->refresh();
    m_table->selectRow(row - 1);
}

void FileStep::moveClipDownClicked()
{
    const int row = selectedRow();
    if (row < 0 || row + 1 >= m_project->clips().size())
        return;
    m_project->moveClipDown(row);
    m_model->refresh();
    m_table->selectRow(row + 1);
}

void FileStep::updateTotals()
{
    m_model->refresh();
    QString reason;
    m_fits = m_project->fits(&reason);
    const QString colour = m_fits ? QStringLiteral("black") : QStringLiteral("red");
    // Markup only: the reason is already translated.
    const QString markup = QStringLiteral("<font color='%1'>%2</font>"); // notr
    m_errorLabel->setText(m_fits ? QString() : markup.arg(colour, reason));
    const int seconds = m_project->totalSeconds();
    m_timeBar->setValue(qMin(seconds, m_timeBar->maximum()));
    m_tracksLabel->setText(QString::number(m_project->clips().size()));
    m_timeLabel->setText(markup.arg(colour, hms(seconds)));
    updateSubtitleNote();
    Q_EMIT completeChanged();
}

void FileStep::updateSubtitleNote()
{
    const QList<VideoClip> clips = m_project->clips();
    const bool any = std::any_of(clips.cbegin(), clips.cend(),
                                 [](const VideoClip &clip) { return !clip.subtitles.isEmpty(); });
    const DiscType type = m_project->discType();
    if (!any) {
        m_subtitleNote->hide();
        return;
    }
    m_subtitleNote->setText(
        type == DiscType::Vcd || type == DiscType::Svcd
            ? tr("VCD and SVCD discs cannot carry subtitles: these videos go on the disc "
                 "without them.")
            : tr("Subtitles go on the disc for the player to switch on. Clear a video's box "
                 "in the Subtitles column to leave them off."));
    m_subtitleNote->show();
}
