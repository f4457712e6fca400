#pragma once

#include "burner/DeviceController.h"
#include "burner/DiscType.h"

#include <QHash>
#include <QPointer>
#include <QProcess>

#include <atomic>

class LibburnDrive;
class QThread;
namespace burn {
struct burn_source;
}

// Recorder control on libburn. Pseudo-drives ("stdio:PATH") write into a
// file and stand in for recorders; real recorders are found by a scan that
// can be switched off. Cue sheets go to real recorders through cdrdao.
// A write runs on a thread of its own: burnDVD() and burnVCD() return at
// once, the steps and progress arrive on the controller's thread, and the
// outcome comes as complete() or failed().
class Project;

class LibburnDeviceController : public DeviceController
{
    Q_OBJECT

public:
    // Writes the disc type of `project` (not owned; it must outlive the controller).
    explicit LibburnDeviceController(const Project *project, QObject *parent = nullptr);
    ~LibburnDeviceController() override;

    // Offers the pseudo-drive "stdio:PATH" (or PATH) in devices().
    void addPseudoDrive(const QString &address);
    void removePseudoDrive(const QString &address);
    // Whether devices() scans the system's recorders (on by default).
    void setHardwareScan(bool enabled) { m_hardwareScan = enabled; }

    QStringList devices() override;
    QStringList writeSpeeds(const QString &recorder) const override;
    void burnDVD(const QString &imagePath) override;
    void burnVCD(const QString &tocPath) override;
    bool isCurrentMediaValid(const QString &recorder) override;
    bool isCurrentMediaWritable(const QString &recorder) override;
    void ejectDisc(const QString &recorder) override;

    // Size of an image the recorder can take, or -1 with the reason.
    static qint64 checkImage(const QString &imagePath, QString *problem);
    // Whether the image file `written` holds what was written from `sources`:
    // it exists, has their size (to the sector) and reads back as they do (a
    // single disc image: its volume descriptor), else false with the reason.
    static bool verifyWrittenImage(const QString &written, const QStringList &sources,
                                   QString *problem);
    // True while a write runs.
    bool isWriting() const { return m_writeThread != nullptr; }
    // Asks a running write to stop; it then ends with failed().
    void cancelWrite() { m_cancelWrite = true; }

private slots:
    void checkBurnProgress();
    void burnComplete(int code, QProcess::ExitStatus status);

private:
    QString addressOf(const QString &recorder);
    bool supportsProjectType(const LibburnDrive &drive) const;
    static bool mediaValid(const LibburnDrive &drive, DiscType type);
    static bool mediaWritable(const LibburnDrive &drive);
    // Writes `files` one after another to the recorder at `address` on the
    // write thread; failed() carries `logLine` in the log.
    void startWrite(const QString &address, const QStringList &files, const QString &logLine);
    void finishWrite(bool ok, const QString &error, const QString &logLine);
    // The write thread's side: nothing here touches the controller's state
    // except through queued calls.
    struct Write
    {
        QString address;
        QStringList files;
        DiscType type = DiscType::Dvd;
        int speed = 0;
    };
    bool writeFiles(const Write &write, QString *error);
    // Writes one data track from `source` (taken over) to the drive.
    bool writeTrack(LibburnDrive &drive, burn::burn_source *source, int speed, QString *error);
    // Shows a write step from the write thread.
    void reportAction(WriteAction action, qreal fraction);
    static bool joinFiles(const QStringList &files, const QString &target, QString *error);
    void fail(const QString &logLine, const QString &detail);
    static QStringList tocTrackFiles(const QString &tocPath);

    const Project *m_project;
    QStringList m_pseudoDrives;
    bool m_hardwareScan = true;
    QStringList m_names;
    QHash<QString, QString> m_addresses;
    mutable QHash<QString, QStringList> m_speeds;
    QThread *m_writeThread = nullptr;
    std::atomic_bool m_cancelWrite{false};
    QPointer<QProcess> m_writer;
    bool m_writerRunning = false;
    QByteArray m_writerLog;
};
