#pragma once

#include <QWizard>

class Account;
class BurnStep;
class FileStep;
class Project;

// The burner window: the file page collects the clips of `project`, the burn
// page writes them to a disc. When a burn is over the window closes and
// starts afresh; the rest of the program goes on.
class BurnerWizard : public QWizard
{
    Q_OBJECT

public:
    enum PageId
    {
        FilePage = 0,
        BurnPage = 1
    };

    explicit BurnerWizard(Project *project, QWidget *parent = nullptr);

    FileStep *fileStep() const { return m_fileStep; }
    BurnStep *burnStep() const { return m_burnStep; }
    // The member whose user name the error reports leave out (see BurnStep).
    void setAccount(const Account *account);
    // Where "Add Videos" starts looking (the library folder).
    void setClipsFolder(const QString &folder);

public Q_SLOTS:
    void showHelp();
    // Closing during a burn asks first and stops it.
    void reject() override;

Q_SIGNALS:
    // A disc (or image) titled `discTitle` was written.
    void burnFinished(const QString &discTitle);

private:
    QPixmap banner() const;
    void pageChanged(int id);
    void burnOver(bool written);

    Project *m_project;
    FileStep *m_fileStep = nullptr;
    BurnStep *m_burnStep = nullptr;
};
