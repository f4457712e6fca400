#include "burner/CreateDVDTask.h"
#include "core/FileNames.h"
#include "core/Logging.h"

#include "burner/DvdMenu.h"
#include "burner/Project.h"
#include "core/Platform.h"

#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTextStream>
#include <QtConcurrent/QtConcurrentRun>
#include <QtDebug>

#include <algorithm>

namespace {

// The volume label of an image holds at most 32 characters.
QString volumeLabel(const QString &title)
{
    return title.left(32);
}

} // namespace

CreateDVDTask::CreateDVDTask(const Project *project, QObject *parent)
    : Task(parent), m_project(project)
{
}

CreateDVDTask::~CreateDVDTask()
{
    cancel();
}

QPixmap CreateDVDTask::icon() const
{
    return QPixmap(QStringLiteral(":/new/new_images/dvd.png"));
}

QString CreateDVDTask::tempFile(const QString &name) const
{
    return m_temp.absoluteFilePath(name);
}

QString CreateDVDTask::imagePath() const
{
    return tempFile(FileNames::safe(m_title) + QStringLiteral(".iso"));
}

QDomDocument CreateDVDTask::authoringXml() const
{
    const Project *project = m_project;
    const int clipCount = static_cast<int>(project->clips().size());
    const QString format = m_ntsc ? QStringLiteral("ntsc") : QStringLiteral("pal");
    const QString resolution = m_ntsc ? QStringLiteral("720x480") : QStringLiteral("720x576");

    QDomDocument doc;
    auto element = [&doc](QDomNode parent, const QString &name, const QString &text = QString()) {
        QDomElement e = doc.createElement(name);
        if (!text.isEmpty())
            e.appendChild(doc.createTextNode(text));
        parent.appendChild(e);
        return e;
    };
    QDomElement root = doc.createElement(QStringLiteral("dvdauthor"));
    doc.appendChild(root);
    root.setAttribute(QStringLiteral("dest"), tempFile(FileNames::safe(m_title)));
    element(root, QStringLiteral("vmgm"));
    QDomElement titleset = element(root, QStringLiteral("titleset"));

    QDomElement menus = element(titleset, QStringLiteral("menus"));
    QDomElement menuVideo = element(menus, QStringLiteral("video"));
    menuVideo.setAttribute(QStringLiteral("format"), format);
    addMenuPages(doc, menus, clipCount);

    QDomElement titles = element(titleset, QStringLiteral("titles"));
    QDomElement titleVideo = element(titles, QStringLiteral("video"));
    titleVideo.setAttribute(QStringLiteral("format"), format);
    titleVideo.setAttribute(QStringLiteral("resolution"), resolution);
    for (const QString &language : m_subtitles.languages()) {
        QDomElement subpicture = element(titles, QStringLiteral("subpicture"));
        if (!language.isEmpty())
            subpicture.setAttribute(QStringLiteral("lang"), language);
    }
    for (int i = 0; i < clipCount; ++i) {
        QDomElement pgc = element(titles, QStringLiteral("pgc"));
        QDomElement vob = element(pgc, QStringLiteral("vob"));
        vob.setAttribute(QStringLiteral("file"), m_subtitles.vobFile(i));
        const QString post =
            i == clipCount - 1
                ? QStringLiteral("call menu;")
                : QStringLiteral("if(g2 eq 0) { call menu; } jump title %1;").arg(i + 2);
        element(pgc, QStringLiteral("post"), post);
    }
    return doc;
}

void CreateDVDTask::addMenuPages(QDomDocument &doc, QDomElement &menus, int clipCount) const
{
    auto element = [&doc](QDomNode parent, const QString &name, const QString &text = QString()) {
        QDomElement e = doc.createElement(name);
        if (!text.isEmpty())
            e.appendChild(doc.createTextNode(text));
        parent.appendChild(e);
        return e;
    };
    const bool subtitlePage = m_pages.size() > 1;
    // With subtitles on the disc they are shown from the start, in the first
    // language, until the viewer chooses otherwise (g3 marks the first visit).
    QDomElement menuPgc = element(menus, QStringLiteral("pgc"));
    menuPgc.setAttribute(QStringLiteral("entry"), QStringLiteral("root"));
    element(menuPgc, QStringLiteral("pre"),
            subtitlePage ? QStringLiteral("g2 = 0; if (g3 eq 0) { g3 = 1; subtitle = 64; }")
                         : QStringLiteral("g2 = 0;"));
    element(menuPgc, QStringLiteral("button"), QStringLiteral("{ g2 = 1; jump title 1; }"));
    for (int k = 1; k <= clipCount; ++k)
        element(menuPgc, QStringLiteral("button"),
                QStringLiteral("{ g2 = 0; jump title %1; }").arg(k));
    if (subtitlePage)
        element(menuPgc, QStringLiteral("button"), QStringLiteral("{ jump menu 2; }"));
    QDomElement menuVob = element(menuPgc, QStringLiteral("vob"));
    menuVob.setAttribute(QStringLiteral("file"), tempFile(QStringLiteral("menu.mpg")));
    menuVob.setAttribute(QStringLiteral("pause"), QStringLiteral("inf"));
    if (!subtitlePage)
        return;

    // The subtitle page (also behind the remote's subtitle key): a language
    // shows its stream (64 + stream: the stream, displayed), "Off" hides
    // them; either leads back to the first page, which opens with the
    // choice in force highlighted.
    const int languages = int(m_pages.at(1).labels().size());
    QDomElement page = element(menus, QStringLiteral("pgc"));
    page.setAttribute(QStringLiteral("entry"), QStringLiteral("subtitle"));
    QStringList highlight;
    for (int k = 0; k < languages; ++k)
        highlight << QStringLiteral("if (subtitle eq %1) { button = %2; }")
                         .arg(64 + k)
                         .arg((k + 1) * 1024);
    highlight << QStringLiteral("if (subtitle lt 64) { button = %1; }").arg((languages + 1) * 1024);
    element(page, QStringLiteral("pre"), highlight.join(QLatin1Char(' ')));
    for (int k = 0; k < languages; ++k)
        element(page, QStringLiteral("button"),
                QStringLiteral("{ subtitle = %1; jump menu 1; }").arg(64 + k));
    element(page, QStringLiteral("button"), QStringLiteral("{ subtitle = 0; jump menu 1; }"));
    element(page, QStringLiteral("button"), QStringLiteral("{ jump menu 1; }"));
    QDomElement pageVob = element(page, QStringLiteral("vob"));
    pageVob.setAttribute(QStringLiteral("file"),
                         tempFile(m_pages.at(1).baseName() + QStringLiteral(".mpg")));
    pageVob.setAttribute(QStringLiteral("pause"), QStringLiteral("inf"));
}

QList<DvdMenu> CreateDVDTask::menuPages(const QStringList &labels, const DvdSubtitles &subtitles,
                                        bool ntsc)
{
    const QStringList languages = subtitles.languages();
    QList<DvdMenu> pages{DvdMenu(labels, ntsc, !languages.isEmpty())};
    if (!languages.isEmpty())
        pages << DvdMenu::subtitlePage(languages, ntsc);
    if (languages.size() > DvdMenu::kMaxLanguages)
        qCWarning(lcBurner) << "CreateDVDTask: the subtitle menu lists the first"
                            << DvdMenu::kMaxLanguages << "of" << languages.size() << "languages";
    return pages;
}

QString CreateDVDTask::pageFile(const QString &suffix) const
{
    return tempFile(m_pages.value(m_menuPage, m_pages.constFirst()).baseName() + suffix);
}

bool CreateDVDTask::writeXml(const QDomDocument &doc, const QString &fileName)
{
    QFile file(tempFile(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate)) {
        qCWarning(lcBurner).noquote()
            << "CreateDVDTask::buildMenuXml can't open " + fileName + " for writing";
        return false;
    }
    QTextStream stream(&file);
    doc.save(stream, 4);
    stream.flush();
    return file.error() == QFile::NoError;
}

bool CreateDVDTask::buildMenuXml()
{
    const bool dvdWritten = writeXml(authoringXml(), QStringLiteral("dvd.xml"));
    const DvdMenu &menu = m_pages.constFirst();
    if (!menu.fitsFrame()) {
        qCWarning(lcBurner) << "CreateDVDTask::buildMenuXml the menu has no room for"
                            << menu.labels().size() << "clips";
        return false;
    }
    bool menusWritten = true;
    for (const DvdMenu &page : std::as_const(m_pages))
        menusWritten = writeXml(page.subpictureXml(m_temp.absolutePath()),
                                page.baseName() + QStringLiteral(".xml")) &&
                       menusWritten;
    return dvdWritten && menusWritten;
}

void CreateDVDTask::exec()
{
    cancel();
    clearEnded();
    const Project *project = m_project;
    m_temp = project->tempDirectory();
    m_ntsc = project->isNtsc();
    m_title = project->title();
    emit progress(-1, 0);
    QStringList labels;
    QStringList converted;
    for (int i = 0; i < project->clips().size(); ++i) {
        labels << QFileInfo(project->clips().at(i).path).completeBaseName();
        converted << project->convertedFilePath(QStringLiteral("file_%1").arg(i));
    }
    m_subtitles = DvdSubtitles(project->clips(), converted, m_temp, m_ntsc);
    m_pages = menuPages(labels, m_subtitles, m_ntsc);
    m_menuPage = 0;
    if (!buildMenuXml()) {
        menuFailed(m_pages.constFirst());
        return;
    }
    // Reading the subtitles and drawing and compressing the pictures take a
    // while: not on the caller's thread.
    m_menuPictures = new QFutureWatcher<PreparedFiles>(this);
    connect(m_menuPictures, &QFutureWatcherBase::finished, this, [this] {
        const PreparedFiles prepared = m_menuPictures->result();
        m_menuPictures->deleteLater();
        m_menuPictures = nullptr;
        if (!prepared.pictures) {
            qCWarning(lcBurner) << "CreateDVDTask::buildMenuXml could not save the menu pictures";
            menuFailed(prepared.pages.constFirst());
            return;
        }
        // Files that held nothing to show are left out: the descriptions
        // and the pages follow.
        m_subtitles = prepared.subtitles;
        m_pages = prepared.pages;
        if (!buildMenuXml()) {
            menuFailed(m_pages.constFirst());
            return;
        }
        convertToPPM();
    });
    const QString folder = m_temp.absolutePath();
    const DvdSubtitles subtitles = m_subtitles;
    const bool ntsc = m_ntsc;
    m_menuPictures->setFuture(QtConcurrent::run([labels, ntsc, folder, subtitles] {
        PreparedFiles files;
        files.subtitles = subtitles.prepared();
        files.pages = menuPages(labels, files.subtitles, ntsc);
        files.pictures =
            std::all_of(files.pages.cbegin(), files.pages.cend(),
                        [&folder](const DvdMenu &page) { return page.writeImages(folder); });
        return files;
    }));
}

void CreateDVDTask::menuFailed(const DvdMenu &menu)
{
    reportFailure(tr("Unable to create DVD"),
                  menu.fitsFrame()
                      ? tr("The menu could not be written to %1.").arg(m_temp.absolutePath())
                      : tr("The disc menu has no room for %1 videos.").arg(menu.labels().size()));
}

QProcess *CreateDVDTask::startTool(QPointer<QProcess> &slot, const QString &tool,
                                   const QStringList &args, const QString &logPrefix,
                                   void (CreateDVDTask::*next)(int, ExitStatus),
                                   const QString &input, const QString &output)
{
    if (slot) {
        // The subtitle runs reuse the slot from within its own finished() signal.
        slot->disconnect(this);
        slot->deleteLater();
    }
    slot = new QProcess(this);
    QProcess *process = slot;
    const QString program =
        Platform::binaryPath(tool, QStringLiteral("CreateDVDTask missing tool:"));
    process->setWorkingDirectory(m_temp.absolutePath());
    // The authoring tool wants the standard for the parts the description
    // leaves without a video format.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VIDEO_FORMAT"),
                       m_ntsc ? QStringLiteral("NTSC") : QStringLiteral("PAL"));
    process->setProcessEnvironment(environment);
    if (!input.isEmpty())
        process->setStandardInputFile(input);
    if (!output.isEmpty())
        process->setStandardOutputFile(output);
    connect(process, &QProcess::errorOccurred, this, &CreateDVDTask::processError);
    if (next)
        connect(process, &QProcess::finished, this, next);
    qCDebug(lcBurner).noquote() << logPrefix + commandText(program, args);
    emit stageStarted(tool);
    process->start(program, args);
    return process;
}

bool CreateDVDTask::previousSucceeded(QProcess *process, int exitCode,
                                      QProcess::ExitStatus exitStatus, const QString &prefix,
                                      const QString &title, const QString &expectedFile)
{
    if (hasEnded())
        return false;
    if (exitCode > 0 || exitStatus == QProcess::CrashExit) {
        const QString error =
            process ? QString::fromLocal8Bit(process->readAllStandardError()) : QString();
        qCWarning(lcBurner).noquote() << prefix + QStringLiteral("error: ") + error;
        if (process)
            qCWarning(lcBurner).noquote()
                << prefix + QStringLiteral("output: ") +
                       QString::fromLocal8Bit(process->readAllStandardOutput());
        reportFailure(title, error.trimmed().right(2000));
        return false;
    }
    if (!expectedFile.isEmpty() && QFileInfo(expectedFile).size() <= 0) {
        qCWarning(lcBurner).noquote() << prefix + QStringLiteral("missing ") + expectedFile;
        reportFailure(title, tr("The file %1 was not created.").arg(expectedFile));
        return false;
    }
    return true;
}

void CreateDVDTask::convertToPPM()
{
    startTool(m_jpegConverter, QStringLiteral("jpegconverter"),
              {pageFile(QStringLiteral("_background.jpg"))},
              QStringLiteral("CreateDVDTask::convertToPPM exec: "), &CreateDVDTask::convertToY4M,
              QString(), pageFile(QStringLiteral("_background.ppm")));
}

void CreateDVDTask::convertToY4M(int exitCode, QProcess::ExitStatus exitStatus)
{
    if (!previousSucceeded(
            m_jpegConverter, exitCode, exitStatus, QStringLiteral("CreateDVDTask::convertToY4M "),
            tr("Error with ppmconverter"), pageFile(QStringLiteral("_background.ppm"))))
        return;
    const QStringList rate =
        m_ntsc ? QStringList{QStringLiteral("-F30000:1001"), QStringLiteral("-I"),
                             QStringLiteral("t"), QStringLiteral("-A"), QStringLiteral("10:11")}
               : QStringList{QStringLiteral("-F25:1"), QStringLiteral("-I"), QStringLiteral("t"),
                             QStringLiteral("-A"), QStringLiteral("59:54")};
    QStringList args{QStringLiteral("-n"), QStringLiteral("1")};
    args << rate << QStringLiteral("-S") << QStringLiteral("420mpeg2") << QStringLiteral("-L")
         << pageFile(QStringLiteral("_background.ppm"));
    startTool(m_ppmConverter, QStringLiteral("ppmconverter"), args,
              QStringLiteral("CreateDVDTask::convertToY4M exec: "), &CreateDVDTask::createMP2,
              QString(), pageFile(QStringLiteral("_background.y4m")));
}

void CreateDVDTask::createMP2(int exitCode, QProcess::ExitStatus exitStatus)
{
    if (!previousSucceeded(m_ppmConverter, exitCode, exitStatus, QStringLiteral(""),
                           tr("Error with y4mconverter"),
                           pageFile(QStringLiteral("_background.y4m"))))
        return;
    startTool(m_mpegEncoder, QStringLiteral("mpegencoder"),
              {QStringLiteral("-f"), QStringLiteral("8"), QStringLiteral("-n"),
               m_ntsc ? QStringLiteral("n") : QStringLiteral("p"), QStringLiteral("-o"),
               pageFile(QStringLiteral("_background.m2v"))},
              QStringLiteral("CreateDVDTask::createMP2 exec: "), &CreateDVDTask::mplexAudio,
              pageFile(QStringLiteral("_background.y4m")));
}

void CreateDVDTask::mplexAudio(int exitCode, QProcess::ExitStatus exitStatus)
{
    if (!previousSucceeded(m_mpegEncoder, exitCode, exitStatus, QString(),
                           tr("Error with mpgconverter"),
                           pageFile(QStringLiteral("_background.m2v"))))
        return;
    const QString silence = tempFile(QStringLiteral("silent.mp2"));
    QFile::remove(silence);
    if (!QFile::copy(QStringLiteral(":/Files/silent.mp2"), silence)) {
        reportFailure(tr("Error with multiplexer"),
                      tr("The file %1 was not created.").arg(silence));
        return;
    }
    QFile::setPermissions(silence, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                       QFile::ReadOther);
    startTool(m_multiplexer, QStringLiteral("multiplexer"),
              {QStringLiteral("-f"), QStringLiteral("8"), QStringLiteral("-o"),
               pageFile(QStringLiteral("-pre.mpg")), pageFile(QStringLiteral("_background.m2v")),
               silence},
              QStringLiteral("CreateDVDTask::mplexAudio exec: "), &CreateDVDTask::spumuxDVD);
}

void CreateDVDTask::spumuxDVD(int exitCode, QProcess::ExitStatus exitStatus)
{
    if (!previousSucceeded(m_multiplexer, exitCode, exitStatus,
                           QStringLiteral("CreateDVDTask::spumuxDVD "),
                           tr("Error with multiplexer"), pageFile(QStringLiteral("-pre.mpg"))))
        return;
    QProcess *process =
        startTool(m_subtitler, QStringLiteral("subtitler"),
                  {QStringLiteral("-v2"), pageFile(QStringLiteral(".xml"))},
                  QStringLiteral("CreateDVDTask::spumuxDVD exec: "), &CreateDVDTask::startDvdAuthor,
                  pageFile(QStringLiteral("-pre.mpg")), pageFile(QStringLiteral(".mpg")));
    DvdSubtitles::limitRun(process, 10 * 60 * 1000);
}

void CreateDVDTask::startDvdAuthor(int exitCode, QProcess::ExitStatus exitStatus)
{
    if (!previousSucceeded(m_subtitler, exitCode, exitStatus,
                           QStringLiteral("CreateDVDTask::startDvdCreator "),
                           tr("Error with subtitler"), pageFile(QStringLiteral(".mpg"))))
        return;
    if (m_menuPage + 1 < m_pages.size()) {
        // The next page of the menu goes through the same tools.
        ++m_menuPage;
        convertToPPM();
        return;
    }
    m_nextSubtitle = 0;
    addNextSubtitle();
}

void CreateDVDTask::addNextSubtitle()
{
    const QList<DvdSubtitles::Track> tracks = m_subtitles.tracks();
    if (m_nextSubtitle >= tracks.size()) {
        runAuthorTool();
        return;
    }
    const DvdSubtitles::Track &track = tracks.at(m_nextSubtitle);
    QProcess *process = startTool(m_subtitler, QStringLiteral("subtitler"),
                                  {QStringLiteral("-s%1").arg(track.stream), track.description},
                                  QStringLiteral("CreateDVDTask::addSubtitles exec: "),
                                  &CreateDVDTask::subtitleAdded, track.input, track.output);
    DvdSubtitles::limitRun(process, DvdSubtitles::timeoutMs(track));
}

void CreateDVDTask::subtitleAdded(int exitCode, QProcess::ExitStatus exitStatus)
{
    const QList<DvdSubtitles::Track> tracks = m_subtitles.tracks();
    if (m_nextSubtitle >= tracks.size())
        return;
    const DvdSubtitles::Track &track = tracks.at(m_nextSubtitle);
    if (!previousSucceeded(m_subtitler, exitCode, exitStatus,
                           QStringLiteral("CreateDVDTask::addSubtitles "),
                           tr("Error with subtitler"), track.output))
        return;
    // A stream between two runs of the same clip is of no further use.
    if (track.input != m_project->convertedFilePath(QStringLiteral("file_%1").arg(track.clip)))
        QFile::remove(track.input);
    ++m_nextSubtitle;
    addNextSubtitle();
}

void CreateDVDTask::runAuthorTool()
{
    startTool(m_authorTool, QStringLiteral("authortool"),
              {QStringLiteral("-x"), tempFile(QStringLiteral("dvd.xml"))},
              QStringLiteral("CreateDVDTask::startDvdCreator authortool: "),
              &CreateDVDTask::startMkisofs);
}

void CreateDVDTask::startMkisofs(int exitCode, QProcess::ExitStatus exitStatus)
{
    if (!previousSucceeded(m_authorTool, exitCode, exitStatus,
                           QStringLiteral("CreateDVDTask::startCdCreator "),
                           tr("Error with cdcreator")))
        return;
    QFile::remove(imagePath());
    startTool(m_cdCreator, QStringLiteral("cdcreator"),
              {QStringLiteral("-V"), volumeLabel(m_title), QStringLiteral("-dvd-video"),
               QStringLiteral("-udf"), QStringLiteral("-o"), imagePath(),
               tempFile(FileNames::safe(m_title))},
              QStringLiteral("CreateDVDTask::startCdCreator cdcreator: "),
              &CreateDVDTask::checkComplete);
}

void CreateDVDTask::checkComplete(int exitCode, QProcess::ExitStatus exitStatus)
{
    if (!previousSucceeded(m_cdCreator, exitCode, exitStatus,
                           QStringLiteral("CreateDVDTask::checkComplete "),
                           tr("Unable to create DVD"), imagePath()))
        return;
    reportComplete();
}

QString CreateDVDTask::toolName(const QObject *process) const
{
    if (process == m_authorTool)
        return QStringLiteral("authortool");
    if (process == m_subtitler)
        return QStringLiteral("subtitler");
    if (process == m_cdCreator)
        return QStringLiteral("cdcreator");
    if (process == m_jpegConverter)
        return QStringLiteral("jpegconverter");
    if (process == m_ppmConverter)
        return QStringLiteral("ppmconverter");
    if (process == m_mpegEncoder)
        return QStringLiteral("mpegencoder");
    if (process == m_multiplexer)
        return QStringLiteral("multiplexer");
    return QStringLiteral("unknown");
}

void CreateDVDTask::processError(QProcess::ProcessError error)
{
    auto *process = qobject_cast<QProcess *>(sender());
    const QString tool = toolName(process);
    QString title;
    switch (error) {
    case QProcess::FailedToStart:
        title = QStringLiteral("Process %1 failed to start");
        break;
    case QProcess::Crashed:
        title = QStringLiteral("Process %1 crashed");
        break;
    case QProcess::Timedout:
        title = QStringLiteral("Process %1 timed out");
        break;
    case QProcess::ReadError:
        title = QStringLiteral("Process %1 failed to read");
        break;
    case QProcess::WriteError:
        title = QStringLiteral("Process %1 failed to write");
        break;
    default:
        title = QStringLiteral("Process %1 has an unknown error");
        break;
    }
    title = title.arg(tool);
    qCWarning(lcBurner).noquote() << "CreateDVDTask::processError " + title;
    // A crash is reported by the next stage with the tool's own title; a tool
    // that never started stops the chain here.
    if (error == QProcess::Crashed)
        return;
    const QString detail =
        process ? QString::fromLocal8Bit(process->readAllStandardError()) : QString();
    reportFailure(title, detail.isEmpty() && process ? process->errorString() : detail);
}

void CreateDVDTask::cancel()
{
    if (m_menuPictures) {
        // The pictures are left to finish; the chain does not go on.
        m_menuPictures->disconnect(this);
        m_menuPictures->waitForFinished();
        m_menuPictures->deleteLater();
        m_menuPictures = nullptr;
    }
    for (QPointer<QProcess> *slot : {&m_authorTool, &m_subtitler, &m_cdCreator, &m_jpegConverter,
                                     &m_ppmConverter, &m_mpegEncoder, &m_multiplexer}) {
        QProcess *process = *slot;
        if (process && process->state() != QProcess::NotRunning) {
            process->disconnect(this);
            process->kill();
            process->waitForFinished(5000);
        }
    }
}
