#pragma once

#include "burner/Task.h"

#include <QDir>
#include <QPointer>

class Project;

// Builds a VCD or SVCD from the converted clips: an XML description, then a
// cue sheet ("title.toc") with its track files for the cue-sheet writer.
class CreateVCDTask : public Task
{
    Q_OBJECT

public:
    // `project` is not owned; it must outlive the task.
    explicit CreateVCDTask(const Project *project, QObject *parent = nullptr);
    ~CreateVCDTask() override;

    QPixmap icon() const override;
    void exec() override;
    void cancel() override;

    // The cue sheet this task writes.
    QString tocPath() const;

signals:
    void stageStarted(QString tool);

private slots:
    void startVcdXGen();
    void startVcdXBuild(int exitCode, QProcess::ExitStatus exitStatus);
    void checkComplete(int exitCode, QProcess::ExitStatus exitStatus);
    void processError(QProcess::ProcessError error);

private:
    bool succeeded(QProcess *process, int exitCode, QProcess::ExitStatus exitStatus,
                   const QString &prefix, const QString &title);
    QProcess *startTool(QPointer<QProcess> &slot, const QString &tool, const QStringList &args,
                        const QString &logPrefix);

    const Project *m_project;
    QDir m_temp;
    QString m_title;
    QPointer<QProcess> m_generator;
    QPointer<QProcess> m_builder;
};
