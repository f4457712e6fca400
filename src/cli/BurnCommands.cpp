#include "cli/CliContext.h"
#include "cli/Commands.h"
#include "engines/Engines.h"

#include "burner/ConvertTask.h"
#include "burner/CreateDVDTask.h"
#include "burner/CreateVCDTask.h"
#include "burner/LibburnDeviceController.h"
#include "burner/Project.h"
#include "burner/ScanTask.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTextStream>

#include <memory>
#include <optional>

namespace {

const char *const kBurnUsage =
    "zelta-cli burn --type dvd|dual-layer-dvd|vcd|svcd [--pal] [--title T] [--recorder NAME] "
    "FILE...\n       zelta-cli burn --list-recorders [--type dvd|dual-layer-dvd|vcd|svcd]";

struct BurnOptions
{
    std::optional<DiscType> type;
    bool pal = false;
    bool listRecorders = false;
    QString title = QStringLiteral("Untitled");
    QString recorder;
    QStringList files;
};

std::optional<DiscType> parseType(const QString &text)
{
    static const QHash<QString, DiscType> types = {
        {QStringLiteral("dvd"), DiscType::Dvd},
        {QStringLiteral("dual-layer-dvd"), DiscType::DualLayerDvd},
        {QStringLiteral("vcd"), DiscType::Vcd},
        {QStringLiteral("svcd"), DiscType::Svcd},
    };
    const auto it = types.find(text);
    if (it == types.end())
        return std::nullopt;
    return it.value();
}

// Returns an error text, empty when the arguments are good.
QString parseOptions(const QStringList &args, BurnOptions &options)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--type") && hasValue) {
            options.type = parseType(args.at(++i));
            if (!options.type)
                return QStringLiteral("unknown disc type: %1").arg(args.at(i));
        } else if (arg == QLatin1String("--pal")) {
            options.pal = true;
        } else if (arg == QLatin1String("--list-recorders")) {
            options.listRecorders = true;
        } else if (arg == QLatin1String("--title") && hasValue) {
            options.title = args.at(++i);
        } else if (arg == QLatin1String("--recorder") && hasValue) {
            options.recorder = args.at(++i);
        } else if (arg.startsWith(QLatin1String("--"))) {
            return QStringLiteral("unknown option: %1").arg(arg);
        } else {
            options.files << arg;
        }
    }
    if (options.listRecorders)
        return QString();
    if (!options.type)
        return QStringLiteral("--type is required");
    if (options.files.isEmpty())
        return QStringLiteral("no files given");
    // The title names the disc folder and image: no path characters.
    static const QRegularExpression allowed(QStringLiteral("^[^/?<>:\\\\*|\"\\x{201D}]+$"));
    if (!allowed.match(options.title).hasMatch() || options.title == QLatin1String(".") ||
        options.title == QLatin1String(".."))
        return QStringLiteral("the title may not be empty nor hold / ? < > : \\ * | \"");
    return QString();
}

// Prints "stage<TAB>fraction" lines on stderr, skipping tiny steps.
class ProgressPrinter
{
public:
    void print(const QString &stage, qreal fraction)
    {
        // The end of a stage is always told, however close the last step was.
        if (stage == m_stage && fraction >= 0 && qAbs(fraction - m_last) < 0.01 &&
            (fraction < 1.0 || m_last >= 1.0))
            return;
        if (stage == m_stage && fraction < 0 && m_last < 0)
            return;
        m_stage = stage;
        m_last = fraction;
        QTextStream(stderr) << stage << '\t' << QString::number(fraction, 'f', 3) << '\n';
    }

private:
    QString m_stage;
    qreal m_last = -2;
};

// Runs a task to its end; returns an empty string on success, else the failure.
QString runTask(Task &task, const QString &stage, ProgressPrinter &printer)
{
    QEventLoop loop;
    QString failure;
    bool ended = false;
    QObject::connect(&task, &Task::progress, &loop,
                     [&](qreal fraction, qreal) { printer.print(stage, fraction); });
    QObject::connect(&task, &Task::complete, &loop, [&] {
        ended = true;
        loop.quit();
    });
    QObject::connect(&task, &Task::failed, &loop, [&](const QString &title, const QString &desc) {
        failure = desc.isEmpty() ? title : title + QStringLiteral(": ") + desc;
        ended = true;
        loop.quit();
    });
    task.exec();
    // A task whose tool is missing ends inside exec(), before the loop runs.
    if (!ended)
        loop.exec();
    return failure;
}

int listRecorders(Project *project, const BurnOptions &options)
{
    project->setDiscType(options.type.value_or(DiscType::Dvd));
    LibburnDeviceController controller(project);
    for (const QString &name : controller.devices())
        CliContext::printLine(name);
    return CliContext::Success;
}

QString scanFiles(Project *project, const QStringList &files, ProgressPrinter &printer)
{
    for (const QString &file : files) {
        const QFileInfo info(file);
        if (!info.isFile() || !info.isReadable())
            return QStringLiteral("%1: no such readable file").arg(file);
        ScanTask scan(project);
        scan.setSource(info.absoluteFilePath());
        runTask(scan, QStringLiteral("scan"), printer);
        if (scan.isRefused() || project->clips().isEmpty() ||
            project->clips().constLast().seconds <= 0)
            return QStringLiteral("%1: not a video the encoder can read").arg(file);
    }
    return QString();
}

QString convertClips(const Project &project, ProgressPrinter &printer)
{
    const int count = static_cast<int>(project.clips().size());
    for (int i = 0; i < count; ++i) {
        const std::unique_ptr<ConvertTask> task = ConvertTask::forProjectClip(project, i);
        const QString failure = runTask(*task, QStringLiteral("convert:%1").arg(i + 1), printer);
        if (!failure.isEmpty())
            return failure;
    }
    return QString();
}

QString writeToRecorder(const Project &project, const QString &recorder, const QString &image,
                        bool dvd, ProgressPrinter &printer)
{
    LibburnDeviceController controller(&project);
    controller.setHardwareScan(!recorder.startsWith(QLatin1String("stdio:")));
    controller.setRecorder(recorder, QStringLiteral("0"));
    QString failure;
    bool done = false;
    QObject::connect(&controller, &DeviceController::progressChanged, &controller,
                     [&](qreal fraction) { printer.print(QStringLiteral("burn"), fraction); });
    QObject::connect(&controller, &DeviceController::complete, &controller, [&] { done = true; });
    QObject::connect(&controller, &DeviceController::failed, &controller,
                     [&](const QString &title, const QString &detail) {
                         failure = title + QStringLiteral(": ") + detail;
                         done = true;
                     });
    if (!controller.isCurrentMediaValid(recorder) || !controller.isCurrentMediaWritable(recorder))
        return QStringLiteral("%1 holds no writable disc for this project").arg(recorder);
    if (dvd)
        controller.burnDVD(image);
    else
        controller.burnVCD(image);
    QEventLoop loop;
    while (!done)
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    return failure;
}

// A failed burn keeps its work files for a look at what went wrong.
int failBurn(Project *project, const QString &failure)
{
    project->keepTempDirectory();
    QTextStream(stderr) << "zelta-cli burn: work files kept in "
                        << project->tempDirectory().absolutePath() << '\n';
    return CliContext::fail(failure);
}

} // namespace

int runBurnCommand(CliContext &context, const QStringList &args)
{
    Project *project = context.engines().project();
    BurnOptions options;
    const QString problem = parseOptions(args, options);
    if (!problem.isEmpty()) {
        QTextStream(stderr) << "zelta-cli burn: " << problem << '\n';
        return CliContext::usage(QString::fromLatin1(kBurnUsage));
    }
    if (options.listRecorders)
        return listRecorders(project, options);

    project->reset();
    project->setDiscType(*options.type);
    project->setNtsc(!options.pal);
    project->setTitle(options.title);
    const bool dvd = isDvdType(*options.type);
    ProgressPrinter printer;

    printer.print(QStringLiteral("scan"), -1);
    QString failure = scanFiles(project, options.files, printer);
    if (!failure.isEmpty())
        return CliContext::fail(failure);
    QString reason;
    if (!project->fits(&reason)) {
        if (project->totalSeconds() > Project::longestPlayTime(*options.type))
            return CliContext::fail(reason);
        QTextStream(stderr) << "zelta-cli burn: warning: " << reason << '\n';
    }

    failure = convertClips(*project, printer);
    if (!failure.isEmpty())
        return failBurn(project, failure);

    std::unique_ptr<Task> author;
    if (dvd)
        author = std::make_unique<CreateDVDTask>(project);
    else
        author = std::make_unique<CreateVCDTask>(project);
    author->setName(project->title());
    author->setDescription(dvd ? QStringLiteral("Compiling DVD and burning to disc")
                               : QStringLiteral("Compiling (S)VCD and burning to disc"));
    failure = runTask(*author, QStringLiteral("author"), printer);
    if (!failure.isEmpty())
        return failBurn(project, failure);
    const QString image = project->tempDirectory().absoluteFilePath(
        project->title() + (dvd ? QStringLiteral(".iso") : QStringLiteral(".toc")));
    printer.print(QStringLiteral("author"), 1.0);
    CliContext::printLine(image);

    if (options.recorder.isEmpty()) {
        project->keepTempDirectory();
        return CliContext::Success;
    }
    failure = writeToRecorder(*project, options.recorder, image, dvd, printer);
    if (!failure.isEmpty())
        return failBurn(project, failure);
    return CliContext::Success;
}
