#pragma once

#include <QWizard>

class FileStep;
class Project;

// The burner window: the file page collects the clips of `project`.
class BurnerWizard : public QWizard
{
    Q_OBJECT

public:
    enum PageId
    {
        FilePage = 0
    };

    explicit BurnerWizard(Project *project, QWidget *parent = nullptr);

    FileStep *fileStep() const { return m_fileStep; }

public Q_SLOTS:
    void showHelp();

private:
    FileStep *m_fileStep = nullptr;
};
