#include "tv/TranscodeHelper.h"
#include "core/Logging.h"

#include "core/Platform.h"
#include "tv/upnp/UpnpClientSignature.h"

#include <QDebug>

namespace {

constexpr int kVideoKbps = 5000;

QString secondsText(double seconds)
{
    return QString::number(qMax(0.0, seconds), 'f', 3);
}

} // namespace

TranscodeHelper::TranscodeHelper(int mode, const RingBufferStreamReference &stream,
                                 double startSeconds, double lengthSeconds, QObject *parent)
    : QObject(parent), m_stream(stream), m_mode(mode), m_startSeconds(startSeconds),
      m_lengthSeconds(lengthSeconds)
{
}

TranscodeHelper::~TranscodeHelper()
{
    stop();
}

qint64 TranscodeHelper::bytesWritten() const
{
    QMutexLocker locker(&m_lock);
    return m_bytesWritten;
}

QString TranscodeHelper::programFor(int mode)
{
    return mode == UpnpClientSignature::Xbox ? QStringLiteral("mencoder")
                                             : QStringLiteral("encoder");
}

TranscodeHelper::Output TranscodeHelper::outputFor(int mode, const MediaInfo &source)
{
    Output output;
    const bool sound = !source.isValid() || source.hasAudio();
    int audioKbps = 0;
    if (mode == UpnpClientSignature::Xbox) {
        // Picture size kept, quality-driven video rate.
        output.frameSize = source.frameSize;
        output.sampleRate = 44100;
        audioKbps = 256;
    } else if (mode == UpnpClientSignature::PlayStation3) {
        output.frameSize = QSize(720, 576);
        output.sampleRate = 48000;
        audioKbps = 256;
        output.bitrate = kVideoKbps;
    } else {
        output.frameSize = QSize(720, 480);
        output.sampleRate = 48000;
        audioKbps = 192;
        output.bitrate = kVideoKbps;
    }
    if (sound) {
        output.channels = 2;
        if (output.bitrate > 0)
            output.bitrate += audioKbps;
    } else {
        output.sampleRate = 0;
    }
    return output;
}

QStringList TranscodeHelper::argumentsFor(int mode, const QString &filePath, double startSeconds,
                                          double lengthSeconds)
{
    const QString start = secondsText(startSeconds);
    if (mode == UpnpClientSignature::Xbox) {
        QStringList length;
        if (lengthSeconds > 0)
            length << QStringLiteral("-endpos") << secondsText(lengthSeconds);
        // WMV2 video and WMA2 audio in ASF.
        return QStringList{
                   QStringLiteral("-ss"),
                   start,
                   QStringLiteral("-quiet"),
                   filePath,
                   QStringLiteral("-oac"),
                   QStringLiteral("lavc"),
                   QStringLiteral("-of"),
                   QStringLiteral("lavf"),
                   QStringLiteral("-lavfopts"),
                   QStringLiteral("format=asf"),
                   QStringLiteral("-ovc"),
                   QStringLiteral("lavc"),
                   QStringLiteral("-channels"),
                   QStringLiteral("2"),
                   QStringLiteral("-lavcopts"),
                   QStringLiteral("autoaspect=1:vcodec=wmv2:acodec=wmav2:abitrate=256:keyint=5:"
                                  "vqscale=2:vqmin=2:vrc_maxrate=30000:vrc_buf_size=1835"),
                   QStringLiteral("-ofps"),
                   QStringLiteral("30000/1001"),
                   QStringLiteral("-af"),
                   QStringLiteral("lavcresample=44100"),
                   QStringLiteral("-srate"),
                   QStringLiteral("44100"),
                   QStringLiteral("-o"),
                   QStringLiteral("-"),
                   QStringLiteral("-really-quiet"),
                   QStringLiteral("-msglevel"),
                   QStringLiteral("statusline=2")} +
               length;
    }
    QStringList args = {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"),
                        QStringLiteral("error")};
    if (startSeconds > 0)
        args << QStringLiteral("-ss") << start;
    // Read from the input, so that copied time stamps do not move the end.
    if (lengthSeconds > 0)
        args << QStringLiteral("-t") << secondsText(lengthSeconds);
    args << QStringLiteral("-i") << filePath << QStringLiteral("-y") << QStringLiteral("-threads")
         << QStringLiteral("1") << QStringLiteral("-map") << QStringLiteral("0:v:0")
         << QStringLiteral("-map") << QStringLiteral("0:a:0?") << QStringLiteral("-c:v")
         << QStringLiteral("mpeg2video") << QStringLiteral("-b:v") << QStringLiteral("5000k")
         << QStringLiteral("-maxrate") << QStringLiteral("8000k") << QStringLiteral("-bufsize")
         << QStringLiteral("1835k") << QStringLiteral("-c:a") << QStringLiteral("ac3")
         << QStringLiteral("-ac") << QStringLiteral("2") << QStringLiteral("-ar")
         << QStringLiteral("48000") << QStringLiteral("-sn");
    // A standard SD frame, the picture's shape kept as its display aspect.
    const QString aspect = QStringLiteral(",setdar=if(gte(dar\\,1.55)\\,16/9\\,4/3)");
    if (mode == UpnpClientSignature::PlayStation3) {
        // MPEG-2 video (PAL) and AC-3 audio in an MPEG program stream at 25 fps.
        args << QStringLiteral("-vf") << QStringLiteral("scale=720:576") + aspect
             << QStringLiteral("-r") << QStringLiteral("25") << QStringLiteral("-g")
             << QStringLiteral("5") << QStringLiteral("-b:a") << QStringLiteral("256k")
             << QStringLiteral("-f") << QStringLiteral("vob") << QStringLiteral("-");
    } else {
        // MPEG-2 video (NTSC, 29.97 fps) and AC-3 audio in an MPEG transport stream.
        args << QStringLiteral("-vf") << QStringLiteral("scale=720:480") + aspect
             << QStringLiteral("-r") << QStringLiteral("30000/1001") << QStringLiteral("-g")
             << QStringLiteral("15") << QStringLiteral("-copyts") << QStringLiteral("-b:a")
             << QStringLiteral("192k") << QStringLiteral("-f") << QStringLiteral("mpegts")
             << QStringLiteral("-");
    }
    return args;
}

QStringList TranscodeHelper::asfArgumentsFor(const QString &filePath, double startSeconds,
                                             double lengthSeconds)
{
    QStringList args = {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"),
                        QStringLiteral("error")};
    if (startSeconds > 0)
        args << QStringLiteral("-ss") << secondsText(startSeconds);
    if (lengthSeconds > 0)
        args << QStringLiteral("-t") << secondsText(lengthSeconds);
    args << QStringLiteral("-i") << filePath;
    return args << QStringList{
               QStringLiteral("-map"),       QStringLiteral("0:v:0"), QStringLiteral("-map"),
               QStringLiteral("0:a:0?"),     QStringLiteral("-c:v"),  QStringLiteral("wmv2"),
               QStringLiteral("-q:v"),       QStringLiteral("2"),     QStringLiteral("-r"),
               QStringLiteral("30000/1001"), QStringLiteral("-g"),    QStringLiteral("5"),
               QStringLiteral("-c:a"),       QStringLiteral("wmav2"), QStringLiteral("-b:a"),
               QStringLiteral("256k"),       QStringLiteral("-ar"),   QStringLiteral("44100"),
               QStringLiteral("-ac"),        QStringLiteral("2"),     QStringLiteral("-sn"),
               QStringLiteral("-f"),         QStringLiteral("asf"),   QStringLiteral("-")};
}

void TranscodeHelper::transcode(const QString &file_path)
{
    if (m_process)
        return;
    QString program = Platform::binaryPath(programFor(m_mode));
    QStringList args = argumentsFor(m_mode, file_path, m_startSeconds, m_lengthSeconds);
    if (program.isEmpty() && m_mode == UpnpClientSignature::Xbox) {
        // Without mencoder the encoder makes the same ASF (WMV2/WMA2) stream.
        program = Platform::binaryPath(QStringLiteral("encoder"));
        args = asfArgumentsFor(file_path, m_startSeconds, m_lengthSeconds);
    }
    if (program.isEmpty()) {
        qCWarning(lcTv).noquote() << QStringLiteral("Can't switch to Binaries directory: \"%1\"")
                                         .arg(Platform::binaryDirectory())
                                  << "- no" << programFor(m_mode) << "found";
        finished();
        return;
    }
    qCDebug(lcTv).noquote() << "running:" << program << args.join(QLatin1Char(' '));
    m_process = new QProcess(this);
    m_process->setStandardErrorFile(QProcess::nullDevice());
    m_process->setStandardInputFile(QProcess::nullDevice());
    connect(m_process, &QProcess::readyReadStandardOutput, this, &TranscodeHelper::readData);
    connect(m_process, &QProcess::finished, this, &TranscodeHelper::finished);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        // An encoder that cannot start ends the answer at once.
        if (error == QProcess::FailedToStart)
            finished();
    });
    m_process->start(program, args, QIODevice::ReadOnly);
}

void TranscodeHelper::readData()
{
    QMutexLocker locker(&m_lock);
    if (!m_process)
        return;
    const QByteArray data = m_process->readAllStandardOutput();
    m_bytesWritten += data.size();
    locker.unlock();
    if (m_stream->write(data.constData(), data.size()) < 0 && m_process) {
        // The client went away.
        m_process->kill();
    }
}

void TranscodeHelper::finished()
{
    QMutexLocker locker(&m_lock);
    if (m_ended)
        return;
    if (m_process && m_process->bytesAvailable() > 0) {
        locker.unlock();
        readData();
        locker.relock();
    }
    m_ended = true;
    qCDebug(lcTv).noquote() << "TranscodeHelper::finished stream is finished";
    m_stream->setEnded();
}

void TranscodeHelper::stop()
{
    if (!m_process)
        return;
    m_process->disconnect(this);
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
    delete m_process;
    m_process = nullptr;
}
