#include "burner/LibburnDeviceController.h"
#include "core/Logging.h"

#include "burner/LibburnDrive.h"
#include "burner/Project.h"
#include "core/Platform.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <QtDebug>

#include <libburn.h>

using namespace burn;

namespace {

const QList<int> kDvdWriteProfiles = {0x11, 0x12, 0x13, 0x14, 0x15, 0x1a, 0x1b, 0x2b};
const QList<int> kDualLayerProfiles = {0x15, 0x2b};
const QList<int> kCdWriteProfiles = {0x09, 0x0a};
const QList<int> kOverwritableProfiles = {0x12, 0x13, 0x1a, 0x43};
constexpr int kStdioProfile = 0xffff;
constexpr int kSectorSize = 2048;
constexpr int kPollMs = 10;
constexpr int kReportMs = 100;

bool intersects(const QList<int> &a, const QList<int> &b)
{
    return std::any_of(a.cbegin(), a.cend(), [&b](int value) { return b.contains(value); });
}

DeviceController::WriteAction actionFor(burn_drive_status status)
{
    switch (status) {
    case BURN_DRIVE_FORMATTING:
        return DeviceController::FormattingMedia;
    case BURN_DRIVE_SPAWNING:
    case BURN_DRIVE_GRABBING:
        return DeviceController::InitializingHardware;
    case BURN_DRIVE_WRITING_LEADIN:
    case BURN_DRIVE_WRITING_PREGAP:
        return DeviceController::CalibratingPower;
    case BURN_DRIVE_WRITING:
        return DeviceController::WritingData;
    case BURN_DRIVE_WRITING_LEADOUT:
    case BURN_DRIVE_CLOSING_TRACK:
    case BURN_DRIVE_CLOSING_SESSION:
    case BURN_DRIVE_WRITING_SYNC:
        return DeviceController::Finalizing;
    default:
        return DeviceController::ValidatingMedia;
    }
}

QString stdioPath(const QString &address)
{
    return address.startsWith(QLatin1String("stdio:")) ? address.mid(6) : QString();
}

} // namespace

LibburnDeviceController::LibburnDeviceController(const Project *project, QObject *parent)
    : DeviceController(parent), m_project(project)
{
}

LibburnDeviceController::~LibburnDeviceController()
{
    if (m_writeThread) {
        // A write cannot outlive its controller: stop it and wait.
        m_cancelWrite = true;
        m_writeThread->wait();
        delete m_writeThread;
    }
    if (m_writer && m_writer->state() != QProcess::NotRunning) {
        m_writer->disconnect(this);
        m_writer->kill();
        m_writer->waitForFinished(5000);
    }
}

void LibburnDeviceController::addPseudoDrive(const QString &address)
{
    const QString full =
        address.startsWith(QLatin1String("stdio:")) ? address : QStringLiteral("stdio:") + address;
    if (!m_pseudoDrives.contains(full))
        m_pseudoDrives.append(full);
}

void LibburnDeviceController::removePseudoDrive(const QString &address)
{
    m_pseudoDrives.removeAll(
        address.startsWith(QLatin1String("stdio:")) ? address : QStringLiteral("stdio:") + address);
}

bool LibburnDeviceController::supportsProjectType(const LibburnDrive &drive) const
{
    if (drive.isPseudoDrive())
        return true;
    const QList<int> profiles = drive.profiles();
    return isDvdType(m_project->discType()) ? intersects(profiles, kDvdWriteProfiles)
                                            : intersects(profiles, kCdWriteProfiles);
}

QStringList LibburnDeviceController::devices()
{
    m_names.clear();
    m_addresses.clear();
    for (const QString &address : std::as_const(m_pseudoDrives)) {
        LibburnDrive drive(address);
        if (!drive.isOpen()) {
            qCWarning(lcBurner).noquote()
                << "LibburnDeviceController::devices cannot open" << address;
            continue;
        }
        m_speeds.insert(address, drive.writeSpeeds());
        m_names.append(address);
        m_addresses.insert(address, address);
    }
    if (!m_hardwareScan)
        return m_names;
    for (const LibburnDrive::Found &found : LibburnDrive::scan()) {
        LibburnDrive drive(found.address);
        if (!drive.isOpen()) {
            qCWarning(lcBurner).noquote()
                << "LibburnDeviceController::devices couldn't return device features"
                << found.address;
            continue;
        }
        if (!supportsProjectType(drive))
            continue;
        const QString name = QStringLiteral("%1 %2").arg(found.vendor, found.product);
        m_speeds.insert(name, drive.writeSpeeds());
        if (!m_names.contains(name))
            m_names.append(name);
        m_addresses.insert(name, found.address); // the later drive wins
    }
    return m_names;
}

QStringList LibburnDeviceController::writeSpeeds(const QString &recorder) const
{
    return m_speeds.value(recorder, {QStringLiteral("0")});
}

QString LibburnDeviceController::addressOf(const QString &recorder)
{
    if (recorder.startsWith(QLatin1String("stdio:")))
        return recorder;
    if (!m_addresses.contains(recorder) && m_hardwareScan)
        devices();
    return m_addresses.value(recorder);
}

bool LibburnDeviceController::mediaValid(const LibburnDrive &drive, DiscType type)
{
    if (!drive.hasMedia())
        return false;
    const int profile = drive.currentProfile();
    if (profile == kStdioProfile)
        return true;
    switch (type) {
    case DiscType::Dvd:
        return kDvdWriteProfiles.contains(profile);
    case DiscType::DualLayerDvd:
        return kDualLayerProfiles.contains(profile);
    default:
        return kCdWriteProfiles.contains(profile);
    }
}

bool LibburnDeviceController::mediaWritable(const LibburnDrive &drive)
{
    if (drive.isBlank())
        return true;
    const int profile = drive.currentProfile();
    return drive.hasMedia() &&
           (profile == kStdioProfile || kOverwritableProfiles.contains(profile));
}

bool LibburnDeviceController::isCurrentMediaValid(const QString &recorder)
{
    LibburnDrive drive(addressOf(recorder));
    if (!drive.isOpen()) {
        qCWarning(lcBurner).noquote()
            << "LibburnDeviceController::isCurrentMediaValid cannot open" << recorder;
        return false;
    }
    m_speeds.insert(recorder, drive.writeSpeeds());
    return mediaValid(drive, m_project->discType());
}

bool LibburnDeviceController::isCurrentMediaWritable(const QString &recorder)
{
    LibburnDrive drive(addressOf(recorder));
    if (!drive.isOpen()) {
        qCWarning(lcBurner).noquote()
            << "LibburnDeviceController::isCurrentMediaWritable cannot open" << recorder;
        return false;
    }
    return mediaWritable(drive);
}

void LibburnDeviceController::ejectDisc(const QString &recorder)
{
    LibburnDrive drive(addressOf(recorder));
    if (!drive.isOpen()) {
        qCWarning(lcBurner) << "LibburnDeviceController::ejectDisc eject failed";
        return;
    }
    drive.release(true);
}

qint64 LibburnDeviceController::checkImage(const QString &imagePath, QString *problem)
{
    QFile file(imagePath);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = tr("The image %1 cannot be read: %2").arg(imagePath, file.errorString());
        return -1;
    }
    const qint64 size = file.size();
    if (size <= 0 || size % kSectorSize != 0) {
        *problem = QStringLiteral("File is not multiple of 2048 bytes.  File size is %1 (%2)")
                       .arg(size)
                       .arg(size, 0, 16);
        return -1;
    }
    if (size / kSectorSize > std::numeric_limits<qint32>::max()) {
        *problem = QStringLiteral("File is too large, # of sectors won't fit a LONG.  File size "
                                  "is %1 (%2)")
                       .arg(size)
                       .arg(size, 0, 16);
        return -1;
    }
    return size;
}

namespace {

// Bytes of `path` from `offset`: as many as asked, or empty.
QByteArray readAt(const QString &path, qint64 offset, qint64 length)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset))
        return {};
    const QByteArray bytes = file.read(length);
    return bytes.size() == length ? bytes : QByteArray();
}

// The primary volume descriptor of an ISO 9660 image (sector 16), when there.
QByteArray volumeDescriptor(const QString &path)
{
    const QByteArray sector = readAt(path, 16 * kSectorSize, kSectorSize);
    if (sector.size() != kSectorSize || sector.at(0) != 1 || sector.mid(1, 5) != "CD001")
        return {};
    return sector;
}

} // namespace

bool LibburnDeviceController::verifyWrittenImage(const QString &written, const QStringList &sources,
                                                 QString *problem)
{
    const QFileInfo info(written);
    if (!info.isFile()) {
        *problem = tr("The disc image %1 was not written.").arg(QDir::toNativeSeparators(written));
        return false;
    }
    qint64 expected = 0;
    for (const QString &source : sources)
        expected += QFileInfo(source).size();
    const qint64 padded = (expected + kSectorSize - 1) / kSectorSize * kSectorSize;
    if (info.size() < expected || info.size() > padded) {
        *problem = tr("The disc image %1 holds %2 bytes, not the %3 bytes written to it.")
                       .arg(QDir::toNativeSeparators(written))
                       .arg(info.size())
                       .arg(expected);
        return false;
    }
    const QString first = sources.value(0);
    bool same = false;
    if (sources.size() == 1 && !volumeDescriptor(first).isEmpty()) {
        same = volumeDescriptor(written) == volumeDescriptor(first);
    } else {
        // Track files: their start reads back.
        const qint64 length = qMin<qint64>(QFileInfo(first).size(), 64 * 1024);
        const QByteArray start = readAt(first, 0, length);
        same = !start.isEmpty() && readAt(written, 0, length) == start;
    }
    if (!same) {
        *problem = tr("The disc image %1 does not read back as the disc that was written.")
                       .arg(QDir::toNativeSeparators(written));
        return false;
    }
    return true;
}

void LibburnDeviceController::fail(const QString &logLine, const QString &detail)
{
    qCWarning(lcBurner).noquote() << logLine;
    qCWarning(lcBurner).noquote() << "LibburnDeviceController writing failed: " + detail;
    emit failed(failureTitle(), detail);
}

void LibburnDeviceController::reportAction(WriteAction action, qreal fraction)
{
    QMetaObject::invokeMethod(
        this, [this, action, fraction] { updateAction(action, fraction); }, Qt::QueuedConnection);
}

bool LibburnDeviceController::writeTrack(LibburnDrive &drive, burn_source *source, int speed,
                                         QString *error)
{
    burn_disc *disc = burn_disc_create();
    burn_session *session = burn_session_create();
    burn_disc_add_session(disc, session, BURN_POS_END);
    burn_track *track = burn_track_create();
    burn_track_define_data(track, 0, 0, 1, BURN_MODE1);
    burn_source *fifo = burn_fifo_source_new(source, kSectorSize, 2048, 0);
    burn_track_set_source(track, fifo ? fifo : source);
    burn_session_add_track(session, track, BURN_POS_END);

    burn_write_opts *opts = burn_write_opts_new(drive.drive());
    burn_write_opts_set_perform_opc(opts, 0);
    burn_write_opts_set_multi(opts, 0); // close the disc
    burn_write_opts_set_underrun_proof(opts, 1);
    char reasons[BURN_REASONS_LEN] = {};
    bool ok = burn_write_opts_auto_write_type(opts, disc, reasons, 0) != BURN_WRITE_NONE;
    if (!ok) {
        *error = tr("The disc cannot take this image: %1").arg(QString::fromLocal8Bit(reasons));
    } else {
        burn_drive_set_speed(drive.drive(), 0, speed);
        reportAction(InitializingHardware, 0.0);
        burn_disc_write(opts, disc);
        burn_progress progress{};
        int lastAction = -1;
        int lastPermille = -1;
        QElapsedTimer sinceReport;
        sinceReport.start();
        bool cancelled = false;
        for (;;) {
            const burn_drive_status status = burn_drive_get_status(drive.drive(), &progress);
            // The writer thread is still starting: a cancel now would be lost
            // and an idle drive now does not mean the write is over.
            if (status == BURN_DRIVE_SPAWNING) {
                QThread::msleep(kPollMs);
                continue;
            }
            if (status == BURN_DRIVE_IDLE)
                break;
            if (m_cancelWrite && !cancelled) {
                cancelled = true;
                burn_drive_cancel(drive.drive());
            }
            const WriteAction action = actionFor(status);
            const qreal fraction =
                progress.sectors > 0 ? static_cast<qreal>(progress.sector) / progress.sectors : 0.0;
            // A new step at once; more progress a few times a second, which is
            // all a progress bar can show and spares the window needless paints.
            const int permille = static_cast<int>(fraction * 1000);
            const bool newStep = action != lastAction;
            const bool moved = permille != lastPermille && sinceReport.elapsed() >= kReportMs;
            if (action != ValidatingMedia && (newStep || moved)) {
                reportAction(action, fraction);
                lastAction = action;
                lastPermille = permille;
                sinceReport.restart();
            }
            QThread::msleep(kPollMs);
        }
        ok = burn_drive_wrote_well(drive.drive());
        if (!ok)
            *error = LibburnDrive::lastMessage();
    }
    burn_write_opts_free(opts);
    if (fifo)
        burn_source_free(fifo);
    burn_source_free(source);
    burn_track_free(track);
    burn_session_free(session);
    burn_disc_free(disc);
    return ok;
}

bool LibburnDeviceController::joinFiles(const QStringList &files, const QString &target,
                                        QString *error)
{
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = tr("%1: %2").arg(target, out.errorString());
        return false;
    }
    for (const QString &file : files) {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly)) {
            *error = tr("%1: %2").arg(file, in.errorString());
            out.remove();
            return false;
        }
        while (!in.atEnd()) {
            const QByteArray chunk = in.read(1 << 20);
            if (chunk.isEmpty() || out.write(chunk) != chunk.size()) {
                *error = tr("%1: %2").arg(target, out.errorString());
                out.remove();
                return false;
            }
        }
    }
    return true;
}

bool LibburnDeviceController::writeFiles(const Write &write, QString *error)
{
    const QString &address = write.address;
    const QStringList &files = write.files;
    LibburnDrive::lastMessage(); // forget what earlier runs left behind
    LibburnDrive drive(address);
    if (!drive.isOpen()) {
        *error = tr("The recorder %1 could not be opened. %2")
                     .arg(address, LibburnDrive::lastMessage())
                     .trimmed();
        qCWarning(lcBurner) << "LibburnDeviceController::writeFiles could not get disc recorder";
        return false;
    }
    if (!mediaValid(drive, write.type) || !mediaWritable(drive)) {
        *error = tr("The current disc is not writable");
        return false;
    }
    qint64 total = 0;
    for (const QString &file : files)
        total += QFileInfo(file).size();
    // Several track files go to the recorder as one stream, in order.
    QString sourceFile = files.value(0);
    QString joined;
    if (files.size() > 1) {
        joined = QFileInfo(files.first()).absolutePath() + QStringLiteral("/.joined-tracks");
        if (!joinFiles(files, joined, error))
            return false;
        sourceFile = joined;
    }
    burn_source *source = burn_file_source_new(QFile::encodeName(sourceFile).constData(), nullptr);
    bool ok = source != nullptr;
    if (ok)
        ok = writeTrack(drive, source, write.speed, error);
    else
        *error = tr("The image %1 cannot be read").arg(sourceFile);
    // A write libburn refused to start still ends "well": its complaint says so.
    const QString refusal = LibburnDrive::lastMessage();
    if (ok && !refusal.isEmpty()) {
        qCWarning(lcBurner) << "LibburnDeviceController::writeFiles:" << refusal;
        *error = tr("The recorder %1 did not write the disc. %2").arg(address, refusal);
        ok = false;
    }
    if (!joined.isEmpty())
        QFile::remove(joined);
    // A pseudo-drive file that held a longer image before keeps its tail: cut it.
    const QString path = stdioPath(address);
    const qint64 padded = (total + kSectorSize - 1) / kSectorSize * kSectorSize;
    if (ok && QFileInfo(path).isFile() && QFileInfo(path).size() > padded)
        QFile::resize(path, padded);
    const bool imageFile = drive.isPseudoDrive() && !path.isEmpty();
    drive.release(!drive.isPseudoDrive());
    // A written image file is only done once it reads back.
    if (ok && imageFile)
        ok = verifyWrittenImage(path, files, error);
    return ok;
}

void LibburnDeviceController::burnDVD(const QString &imagePath)
{
    startClock();
    updateAction(ValidatingMedia);
    QString problem;
    if (checkImage(imagePath, &problem) < 0) {
        fail(QStringLiteral("LibburnDeviceController::burnDVD failed to create data stream for "
                            "writing"),
             problem);
        return;
    }
    const QString address = addressOf(recorderName());
    if (address.isEmpty()) {
        fail(QStringLiteral("LibburnDeviceController::burnDVD could not get disc recorder"),
             tr("There is no recorder named %1").arg(recorderName()));
        return;
    }
    startWrite(address, {imagePath},
               QStringLiteral("LibburnDeviceController::burnDVD writing failed"));
}

void LibburnDeviceController::startWrite(const QString &address, const QStringList &files,
                                         const QString &logLine)
{
    if (m_writeThread) {
        fail(logLine, tr("The recorder is still writing"));
        return;
    }
    Write write{address, files, m_project->discType(), writeSpeed().toInt()};
    m_cancelWrite = false;
    m_writeThread = QThread::create([this, write, logLine] {
        QString error;
        const bool ok = writeFiles(write, &error);
        QMetaObject::invokeMethod(
            this, [this, ok, error, logLine] { finishWrite(ok, error, logLine); },
            Qt::QueuedConnection);
    });
    m_writeThread->setObjectName(QStringLiteral("disc write"));
    m_writeThread->start();
}

void LibburnDeviceController::finishWrite(bool ok, const QString &error, const QString &logLine)
{
    if (m_writeThread) {
        m_writeThread->wait();
        delete m_writeThread;
        m_writeThread = nullptr;
    }
    if (!ok) {
        fail(logLine, error);
        return;
    }
    updateAction(Completed);
    emit complete();
}

QStringList LibburnDeviceController::tocTrackFiles(const QString &tocPath)
{
    QFile file(tocPath);
    QStringList files;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return files;
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(?:DATAFILE|FILE)\\s+\"([^\"]+)\""));
    const QDir folder = QFileInfo(tocPath).absoluteDir();
    while (!file.atEnd()) {
        const QRegularExpressionMatch match =
            pattern.match(QString::fromLocal8Bit(file.readLine()));
        if (match.hasMatch()) {
            const QString path = folder.absoluteFilePath(match.captured(1));
            if (!files.contains(path))
                files.append(path);
        }
    }
    return files;
}

void LibburnDeviceController::burnVCD(const QString &tocPath)
{
    startClock();
    updateAction(ValidatingMedia);
    const QString address = addressOf(recorderName());
    if (address.isEmpty()) {
        fail(QStringLiteral("LibburnDeviceController::burnVCD no recorder"),
             tr("There is no recorder named %1").arg(recorderName()));
        return;
    }
    if (address.startsWith(QLatin1String("stdio:"))) {
        // A pseudo-drive takes the raw track images one after another.
        const QStringList files = tocTrackFiles(tocPath);
        const QString logLine = QStringLiteral("LibburnDeviceController::burnVCD writing failed");
        if (files.isEmpty())
            fail(logLine, tr("The cue sheet %1 names no track files").arg(tocPath));
        else
            startWrite(address, files, logLine);
        return;
    }

    const QString tool = Platform::binaryPath(QStringLiteral("cdrtool"));
    delete m_writer;
    m_writer = new QProcess(this);
    m_writer->setWorkingDirectory(QFileInfo(tocPath).absolutePath());
    m_writer->start(tool, {QStringLiteral("scanbus")});
    if (!m_writer->waitForFinished(30000)) {
        fail(QStringLiteral("LibburnDeviceController::burnVCD can't run cd burner"),
             tr("The cue-sheet writer cdrdao could not be run"));
        return;
    }
    const QString scan = QString::fromLocal8Bit(m_writer->readAllStandardError() +
                                                m_writer->readAllStandardOutput());
    QString vendor;
    QString product;
    {
        LibburnDrive drive(address);
        vendor = drive.vendor();
        product = drive.product();
    }
    QString device;
    for (const QString &line : scan.split(QLatin1Char('\n'))) {
        if (!vendor.isEmpty() && line.contains(vendor) && line.contains(product)) {
            device = line.section(QLatin1Char(':'), 0, 0).trimmed();
            break;
        }
    }
    if (device.isEmpty()) {
        fail(QStringLiteral("LibburnDeviceController::burnVCD recorder not found by cdrdao"),
             tr("The recorder %1 was not found by cdrdao").arg(recorderName()));
        return;
    }
    connect(m_writer, &QProcess::readyReadStandardError, this,
            &LibburnDeviceController::checkBurnProgress);
    connect(m_writer, &QProcess::finished, this, &LibburnDeviceController::burnComplete);
    const QStringList args{QStringLiteral("write"), QStringLiteral("--eject"),
                           QStringLiteral("--device"), device, QFileInfo(tocPath).fileName()};
    qCDebug(lcBurner).noquote() << "LibburnDeviceController::burnVCD burning vcd: " + tool +
                                       QLatin1Char(' ') + args.join(QLatin1Char(' '));
    setStatus(tr("Writing..."));
    m_writerLog.clear();
    m_writerRunning = true;
    m_writer->start(tool, args);
}

void LibburnDeviceController::checkBurnProgress()
{
    if (!m_writer)
        return;
    const QByteArray bytes = m_writer->readAllStandardError();
    m_writerLog = (m_writerLog + bytes).right(16 * 1024);
    static const QRegularExpression pattern(QStringLiteral("Wrote ([0-9]+) of ([0-9]+)"));
    QRegularExpressionMatchIterator it = pattern.globalMatch(QString::fromLocal8Bit(bytes));
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const double total = match.captured(2).toDouble();
        if (total > 0)
            updateAction(WritingData, match.captured(1).toDouble() / total);
    }
}

void LibburnDeviceController::burnComplete(int code, QProcess::ExitStatus status)
{
    m_writerRunning = false;
    if (code == 0 && status == QProcess::NormalExit) {
        updateAction(Completed);
        emit complete();
        return;
    }
    m_writerLog += m_writer ? m_writer->readAllStandardError() : QByteArray();
    fail(QStringLiteral("LibburnDeviceController::burnVCD cdrdao failed"),
         QString::fromLocal8Bit(m_writerLog).trimmed().right(2000));
}
