#include "burner/CreateVCDTask.h"
#include "core/FileNames.h"
#include "core/Logging.h"

#include "burner/Project.h"
#include "core/Platform.h"

#include <QFileInfo>
#include <QtDebug>

CreateVCDTask::CreateVCDTask(const Project *project, QObject *parent)
    : Task(parent), m_project(project)
{
}

CreateVCDTask::~CreateVCDTask()
{
    cancel();
}

QPixmap CreateVCDTask::icon() const
{
    return QPixmap(QStringLiteral(":/new/new_images/cd.png"));
}

QString CreateVCDTask::tocPath() const
{
    return m_temp.absoluteFilePath(FileNames::safe(m_title) + QStringLiteral(".toc"));
}

void CreateVCDTask::exec()
{
    cancel();
    clearEnded();
    const Project *project = m_project;
    m_temp = project->tempDirectory();
    m_title = project->title();
    emit progress(-1, 0);
    startVcdXGen();
}

QProcess *CreateVCDTask::startTool(QPointer<QProcess> &slot, const QString &tool,
                                   const QStringList &args, const QString &logPrefix)
{
    delete slot;
    slot = new QProcess(this);
    const QString program =
        Platform::binaryPath(tool, QStringLiteral("CreateVCDTask missing tool:"));
    slot->setWorkingDirectory(m_temp.absolutePath());
    connect(slot, &QProcess::errorOccurred, this, &CreateVCDTask::processError);
    qCDebug(lcBurner).noquote() << logPrefix + commandText(program, args);
    emit stageStarted(tool);
    slot->start(program, args);
    return slot;
}

void CreateVCDTask::startVcdXGen()
{
    const Project *project = m_project;
    const bool svcd = project->discType() == DiscType::Svcd;
    QStringList args{QStringLiteral("-t"),
                     svcd ? QStringLiteral("svcd") : QStringLiteral("vcd2"),
                     QStringLiteral("-l"),
                     m_title,
                     QStringLiteral("--update-scan-offsets"),
                     QStringLiteral("-o"),
                     m_temp.absoluteFilePath(QStringLiteral("menu.xml"))};
    for (int i = 0; i < project->clips().size(); ++i)
        args << project->convertedFilePath(QStringLiteral("file_%1").arg(i));
    QProcess *process = startTool(m_generator, QStringLiteral("vcdgenerator"), args,
                                  QStringLiteral("CreateVCDTask::startVcdXGen exec: "));
    connect(process, &QProcess::finished, this, &CreateVCDTask::startVcdXBuild);
}

bool CreateVCDTask::succeeded(QProcess *process, int exitCode, QProcess::ExitStatus exitStatus,
                              const QString &prefix, const QString &title)
{
    if (hasEnded())
        return false;
    if (exitCode == 0 && exitStatus == QProcess::NormalExit)
        return true;
    const QString error =
        process ? QString::fromLocal8Bit(process->readAllStandardError()) : QString();
    const QString output =
        process ? QString::fromLocal8Bit(process->readAllStandardOutput()) : QString();
    qCWarning(lcBurner).noquote() << prefix + QStringLiteral("error: ") + error;
    qCWarning(lcBurner).noquote() << prefix + QStringLiteral("output: ") + output;
    const QString detail = (error.trimmed().isEmpty() ? output : error).trimmed().right(2000);
    reportFailure(title, detail);
    return false;
}

void CreateVCDTask::startVcdXBuild(int exitCode, QProcess::ExitStatus exitStatus)
{
    if (!succeeded(m_generator, exitCode, exitStatus,
                   QStringLiteral("CreateVCDTask::startVcdXBuild "), tr("Error with vcdgenerator")))
        return;
    QProcess *process = startTool(m_builder, QStringLiteral("vcdbuilder"),
                                  {QStringLiteral("-icdrdao"),
                                   QStringLiteral("--cdrdao-file=") + FileNames::safe(m_title),
                                   QStringLiteral("menu.xml")},
                                  QStringLiteral("CreateVCDTask::startVcdXBuild exec: "));
    connect(process, &QProcess::finished, this, &CreateVCDTask::checkComplete);
}

void CreateVCDTask::checkComplete(int exitCode, QProcess::ExitStatus exitStatus)
{
    if (!succeeded(m_builder, exitCode, exitStatus, QStringLiteral("CreateVCDTask::checkComplete "),
                   tr("Error with vcdbuilder")))
        return;
    if (!QFileInfo::exists(tocPath())) {
        reportFailure(tr("Error with vcdbuilder"),
                      tr("The file %1 was not created.").arg(tocPath()));
        return;
    }
    reportComplete();
}

void CreateVCDTask::processError(QProcess::ProcessError error)
{
    auto *process = qobject_cast<QProcess *>(sender());
    const QString tool = process == m_generator ? QStringLiteral("vcdgenerator")
                         : process == m_builder ? QStringLiteral("vcdbuilder")
                                                : QStringLiteral("unknown");
    qCWarning(lcBurner).noquote() << "CreateVCDTask::processError" << tool << error;
    if (error == QProcess::FailedToStart)
        reportFailure(QStringLiteral("Process %1 failed to start").arg(tool),
                      process ? process->errorString() : QString());
}

void CreateVCDTask::cancel()
{
    for (QPointer<QProcess> *slot : {&m_generator, &m_builder}) {
        QProcess *process = *slot;
        if (process && process->state() != QProcess::NotRunning) {
            process->disconnect(this);
            process->kill();
            process->waitForFinished(5000);
        }
    }
}
