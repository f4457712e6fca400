#pragma once

#include <QList>
#include <QModelIndex>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QWizardPage>

class Project;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class ScanTask;
class VideoClipModel;

// First page of the burner: the clips in disc order, the disc title, the TV
// standard and the disc type, with the totals and whether they fit.
class FileStep : public QWizardPage
{
    Q_OBJECT

public:
    explicit FileStep(Project *project, QWidget *parent = nullptr);
    ~FileStep() override;

    // Where "Add Videos" starts looking.
    void setClipsFolder(const QString &folder) { m_clipsFolder = folder; }

    void initializePage() override;
    bool validatePage() override;
    bool isComplete() const override;

    // A file from the library or a drop: added when its suffix is a video one.
    static bool isVideoFile(const QString &path);
    bool scansFinished() const { return m_scansFinished; }
    bool fits() const { return m_fits; }

public Q_SLOTS:
    void addClips();
    void addClips(const QList<QUrl> &files);
    void addFile(const QString &path);
    void removeSelectedClips();
    void clipScanned();
    void titleEntered();
    void formatSelected(const QString &format);
    void discTypeSelected(int discType);
    void clipSelected(const QModelIndex &index);
    void moveClipUpClicked();
    void moveClipDownClicked();
    // Recounts the clips and time and checks them against the disc's limits.
    void updateTotals();

private:
    void buildForm();
    void queueScan(const QString &path);
    void startNextScan();
    // Names the files that were not added, once the scans are done.
    void reportRefused();
    void applyDiscType();
    // Says what becomes of the clips' subtitles on the chosen disc type.
    void updateSubtitleNote();
    int selectedRow() const;

    Project *m_project;
    QString m_clipsFolder;
    VideoClipModel *m_model = nullptr;
    QList<QPointer<ScanTask>> m_scanQueue;
    QPointer<ScanTask> m_scanning;
    bool m_scansFinished = true;
    QStringList m_refused;
    bool m_fits = false;

    QTableView *m_table = nullptr;
    QPushButton *m_removeButton = nullptr;
    QLineEdit *m_titleEdit = nullptr;
    QComboBox *m_formatBox = nullptr;
    QComboBox *m_discTypeBox = nullptr;
    QLabel *m_tracksLabel = nullptr;
    QLabel *m_timeLabel = nullptr;
    QProgressBar *m_timeBar = nullptr;
    QLabel *m_errorLabel = nullptr;
    QLabel *m_subtitleNote = nullptr;
};
