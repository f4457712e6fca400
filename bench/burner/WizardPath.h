#pragma once

#include <QString>
#include <QStringList>

class Project;
class Task;

// One burn of a DVD project into an image file, from the first conversion to
// the written image, with the longest pause of the GUI thread's event loop.
struct BurnRun
{
    double convert = 0; // seconds
    double author = 0;
    double write = 0;
    double total = 0;
    double longestStallMs = 0;      // during the write
    double longestStallTotalMs = 0; // during the whole run
};

// The engine's tasks run one after another, then the recorder's write.
bool runEngineBurn(Project &project, const QStringList &clips, const QString &image, BurnRun &run);
// The same project through the burner window: file page, disc setup with
// the image as recorder, the task list until the completion message.
bool runWizardBurn(Project &project, const QStringList &clips, const QString &image, BurnRun &run);

// Runs one task to its end; true when it completed.
bool runTask(Task &task);
// A fresh DVD project titled "Bench" holding the scanned clips.
void scanProject(Project &project, const QStringList &clips);
