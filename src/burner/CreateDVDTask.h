#pragma once

#include "burner/DvdMenu.h"
#include "burner/DvdSubtitles.h"
#include "burner/Task.h"

#include <QDir>
#include <QPointer>

class Project;
class QDomDocument;
class QDomElement;
template <typename T> class QFutureWatcher;

// Authors a DVD-Video with a menu from the converted clips and packs it into
// an ISO image: menu pictures -> PPM -> YUV4MPEG -> MPEG-2 -> program stream
// with silence -> subpictures -> the clips' subtitles -> DVD folder -> image.
class CreateDVDTask : public Task
{
    Q_OBJECT

public:
    // `project` is not owned; it must outlive the task.
    explicit CreateDVDTask(const Project *project, QObject *parent = nullptr);
    ~CreateDVDTask() override;

    QPixmap icon() const override;
    void exec() override;
    void cancel() override;

    // The authoring description for the project's clips.
    QDomDocument authoringXml() const;
    // The image this task writes.
    QString imagePath() const;
    // The subtitle streams the disc gets (as far as known: files that turn
    // out to hold no cues are dropped once the task has read them).
    DvdSubtitles subtitles() const { return m_subtitles; }

signals:
    // Each tool of the chain as it starts (its neutral name).
    void stageStarted(QString tool);

private slots:
    void convertToPPM();
    void convertToY4M(int exitCode, QProcess::ExitStatus exitStatus);
    void createMP2(int exitCode, QProcess::ExitStatus exitStatus);
    void mplexAudio(int exitCode, QProcess::ExitStatus exitStatus);
    void spumuxDVD(int exitCode, QProcess::ExitStatus exitStatus);
    void startDvdAuthor(int exitCode, QProcess::ExitStatus exitStatus);
    void subtitleAdded(int exitCode, QProcess::ExitStatus exitStatus);
    void startMkisofs(int exitCode, QProcess::ExitStatus exitStatus);
    void checkComplete(int exitCode, QProcess::ExitStatus exitStatus);
    void processError(QProcess::ProcessError error);

private:
    struct PreparedFiles
    {
        bool pictures = false;
        DvdSubtitles subtitles;
        QList<DvdMenu> pages;
    };

    // The menu's pages: the first one, and the subtitle page when the disc
    // has subtitle streams.
    static QList<DvdMenu> menuPages(const QStringList &labels, const DvdSubtitles &subtitles,
                                    bool ntsc);
    void addMenuPages(QDomDocument &doc, QDomElement &menus, int clipCount) const;
    // A file of the menu page being made: its base name and `suffix`.
    QString pageFile(const QString &suffix) const;
    // Renders the next subtitle file into its clip's program stream, or
    // starts the authoring tool once all are in.
    void addNextSubtitle();
    void runAuthorTool();
    // The descriptions; false when one cannot be written or the menu has no room.
    bool buildMenuXml();
    void menuFailed(const DvdMenu &menu);
    bool writeXml(const QDomDocument &doc, const QString &fileName);
    QString tempFile(const QString &name) const;
    QString toolName(const QObject *process) const;
    // False (after reporting) when the previous tool failed or left no output.
    bool previousSucceeded(QProcess *process, int exitCode, QProcess::ExitStatus exitStatus,
                           const QString &prefix, const QString &title,
                           const QString &expectedFile = QString());
    QProcess *startTool(QPointer<QProcess> &slot, const QString &tool, const QStringList &args,
                        const QString &logPrefix, void (CreateDVDTask::*next)(int, ExitStatus),
                        const QString &input = QString(), const QString &output = QString());

    const Project *m_project;
    QDir m_temp;
    bool m_ntsc = true;
    QString m_title;
    QPointer<QProcess> m_authorTool;
    QPointer<QProcess> m_subtitler;
    QPointer<QProcess> m_cdCreator;
    QPointer<QProcess> m_jpegConverter;
    QPointer<QProcess> m_ppmConverter;
    QPointer<QProcess> m_mpegEncoder;
    QPointer<QProcess> m_multiplexer;
    DvdSubtitles m_subtitles;
    int m_nextSubtitle = 0;
    QList<DvdMenu> m_pages;
    int m_menuPage = 0;
    QFutureWatcher<PreparedFiles> *m_menuPictures = nullptr;
};
