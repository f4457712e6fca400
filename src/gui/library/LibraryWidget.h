#pragma once

#include <QWidget>

#include <functional>

struct ImportReport;
class Account;
class BurnerWizard;
class CorvHeaderView;
class CorvLibSearchWidget;
class Library;
class LibraryFilterModel;
class LibraryFilterView;
class LibraryTableSortModel;
class LibraryTableView;
class LibraryView;
class LumiqoTv;
class MissingVideoQuestion;
class Project;
class QAbstractButton;
class QMenu;
class QStackedWidget;
class QTimer;
class StatusWidget;
class UserPrompt;

// The library page: a tool strip (import, search, burn, TV switch) over the
// tile list and the detail table of the member's videos.
class LibraryWidget : public QWidget
{
    Q_OBJECT

public:
    // `tv` gives the media server when the switch is first used. The page
    // and its tiles ask the user through `prompt` (not owned; it must outlive
    // the page).
    LibraryWidget(Library *library, UserPrompt *prompt, std::function<LumiqoTv *()> tv = {},
                  QWidget *parent = nullptr);
    ~LibraryWidget() override;

    LibraryView *listView() const { return m_listView; }
    LibraryTableView *tableView() const { return m_tableView; }
    LibraryFilterView *filterView() const { return m_filterView; }
    CorvHeaderView *header() const { return m_header; }
    CorvLibSearchWidget *searchField() const { return m_search; }
    StatusWidget *statusWidget() const { return m_status; }
    LibraryFilterModel *filterModel() const { return m_proxy; }
    QAbstractButton *tvSwitch() const { return m_tvSwitch; }
    QAbstractButton *burnButton() const { return m_burnButton; }
    // The burner, once the burn button or a row's menu has opened it.
    BurnerWizard *burnerWizard() const { return m_burner; }
    // The burn project the burner works on (not owned). Without one the page
    // makes a project of its own when the burner first opens.
    void setBurnProject(Project *project) { m_project = project; }
    Project *burnProject();
    // The member whose user name the burner's error reports leave out (not
    // owned; it must outlive the page).
    void setAccount(const Account *account) { m_account = account; }
    bool isDetailPageShown() const;
    // Adds "Play on TV" to the tiles' menu; its choices are for menuVideoPath().
    void setPlayOnTvMenu(QMenu *menu);
    QString menuVideoPath() const;
    // Asks about library videos whose files are gone when they are played.
    MissingVideoQuestion *missingVideoQuestion() const { return m_missing; }
    // "12 imported, 2 skipped: not a video".
    static QString importSummary(const ImportReport &report);

Q_SIGNALS:
    void playVideo(const QString &path);
    void searchRequested(const QString &keyword);
    // The burner wrote a disc (or image) titled `discTitle`.
    void burnFinished(const QString &discTitle);

public Q_SLOTS:
    // Imports the files and folders (in this order) and says so in the
    // status strip, up to the summary.
    void importFiles(const QStringList &paths);
    void listViewButtonClicked();
    void detailViewButtonClicked();
    void showMediaInformation(int libraryRow);
    // Opens the burner with the videos selected on the page in front.
    void showBurnWizard();
    // Opens the burner with this video added.
    void showBurnWizard(const QString &videoPath);
    // Plays a video of the page, or asks what to do when its file is gone.
    void play(const QString &path);
    // A file that could not be played because it is not there (also from the
    // player): offers to find it or to remove its video from the library.
    void askAboutMissingVideo(const QString &path);
    // The switch shows whether the media server runs (it may be started elsewhere).
    void updateTvSwitch();

private Q_SLOTS:
    void itemDoubleClicked(const QModelIndex &index);
    void importClicked();
    void importFolderClicked();
    void importProgressed(int done, int total, const QString &name);
    void importEnded(const ImportReport &report);
    void onFilterTextChange(const QString &text);
    void toggleLumiqoTv();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Files may have gone or come back: the marks of both views look again.
    void refreshFileMarks();
    QWidget *buildHeader();
    QWidget *buildListPage();
    // The tiles' order the user chose last time.
    void restoreSortOrder();
    BurnerWizard *openBurnWizard();
    QStringList selectedVideos() const;
    // The library's index of a row of either view.
    QModelIndex libraryIndex(const QModelIndex &index) const;

    Library *m_library;
    UserPrompt *m_prompt;
    Project *m_project = nullptr;
    const Account *m_account = nullptr;
    std::function<LumiqoTv *()> m_tv;
    LibraryFilterModel *m_proxy;
    LibraryTableSortModel *m_tableOrder = nullptr;
    StatusWidget *m_status = nullptr;
    QStackedWidget *m_pages = nullptr;
    CorvHeaderView *m_header = nullptr;
    LibraryView *m_listView = nullptr;
    LibraryTableView *m_tableView = nullptr;
    LibraryFilterView *m_filterView = nullptr;
    CorvLibSearchWidget *m_search = nullptr;
    QAbstractButton *m_tvSwitch = nullptr;
    QAbstractButton *m_burnButton = nullptr;
    BurnerWizard *m_burner = nullptr;
    QTimer *m_statusLinger = nullptr;
    QAbstractButton *m_pageSwitch = nullptr;
    MissingVideoQuestion *m_missing = nullptr;
};
