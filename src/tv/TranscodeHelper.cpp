#include "tv/TranscodeHelper.h"
#include "core/Logging.h"

#include "core/Platform.h"
#include "tv/upnp/UpnpClientSignature.h"

#include <QDebug>
#include <QFile>
#include <QStringDecoder>

namespace {

constexpr int kVideoKbps = 5000;

QString secondsText(double seconds)
{
    return QString::number(qMax(0.0, seconds), 'f', 3);
}

// A backslash before each of `special` (and before a backslash).
QString escaped(const QString &text, QStringView special)
{
    QString out;
    out.reserve(text.size() * 2);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || special.contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

// Text subtitles the filter reads as UTF-8 unless told otherwise; files that
// are not UTF-8 (nor UTF-16 with its mark, which it recognises) are taken as
// Windows Latin-1, as our own reader does.
bool needsLatin1(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.read(8 * 1024 * 1024);
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff"))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    Q_UNUSED(text);
    return decoder.hasError();
}

// The picture filters of a transcoded stream, with the subtitles drawn last.
QString pictureFilters(const QString &filters, const QString &subtitlePath, double startSeconds,
                       bool timestampsCopied)
{
    if (subtitlePath.isEmpty())
        return filters;
    const QString subtitles =
        TranscodeHelper::subtitlesFilter(subtitlePath, startSeconds, timestampsCopied);
    return filters.isEmpty() ? subtitles : filters + QLatin1Char(',') + subtitles;
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

QString TranscodeHelper::subtitlesFilter(const QString &subtitlePath, double startSeconds,
                                         bool timestampsCopied)
{
    // First level: the option parser of the filter (':' separates options,
    // quotes group). Second level: the filter graph (',' and ';' separate
    // filters, brackets name pads).
    QString options = QStringLiteral("filename=") + escaped(subtitlePath, u"':");
    if (needsLatin1(subtitlePath))
        options += QStringLiteral(":charenc=CP1252");
    QString filter = QStringLiteral("subtitles=") + escaped(options, u"'[],;");
    if (startSeconds > 0 && !timestampsCopied) {
        // After a seek the frames start at 0; the cues keep the file's times.
        filter = QStringLiteral("setpts=PTS+%1/TB,").arg(secondsText(startSeconds)) + filter +
                 QStringLiteral(",setpts=PTS-STARTPTS");
    }
    return filter;
}

QStringList TranscodeHelper::argumentsFor(int mode, const QString &filePath, double startSeconds,
                                          double lengthSeconds, const QString &subtitlePath)
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
        args << QStringLiteral("-vf")
             << pictureFilters(QStringLiteral("scale=720:576") + aspect, subtitlePath, startSeconds,
                               false)
             << QStringLiteral("-r") << QStringLiteral("25") << QStringLiteral("-g")
             << QStringLiteral("5") << QStringLiteral("-b:a") << QStringLiteral("256k")
             << QStringLiteral("-f") << QStringLiteral("vob") << QStringLiteral("-");
    } else {
        // MPEG-2 video (NTSC, 29.97 fps) and AC-3 audio in an MPEG transport stream.
        args << QStringLiteral("-vf")
             << pictureFilters(QStringLiteral("scale=720:480") + aspect, subtitlePath, startSeconds,
                               true)
             << QStringLiteral("-r") << QStringLiteral("30000/1001") << QStringLiteral("-g")
             << QStringLiteral("15") << QStringLiteral("-copyts") << QStringLiteral("-b:a")
             << QStringLiteral("192k") << QStringLiteral("-f") << QStringLiteral("mpegts")
             << QStringLiteral("-");
    }
    return args;
}

QStringList TranscodeHelper::asfArgumentsFor(const QString &filePath, double startSeconds,
                                             double lengthSeconds, const QString &subtitlePath)
{
    QStringList args = {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"),
                        QStringLiteral("error")};
    if (startSeconds > 0)
        args << QStringLiteral("-ss") << secondsText(startSeconds);
    if (lengthSeconds > 0)
        args << QStringLiteral("-t") << secondsText(lengthSeconds);
    args << QStringLiteral("-i") << filePath;
    if (!subtitlePath.isEmpty())
        args << QStringLiteral("-vf")
             << pictureFilters(QString(), subtitlePath, startSeconds, false);
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
    QStringList args =
        argumentsFor(m_mode, file_path, m_startSeconds, m_lengthSeconds, m_subtitlePath);
    if (m_mode == UpnpClientSignature::Xbox && (program.isEmpty() || !m_subtitlePath.isEmpty())) {
        // Without mencoder the encoder makes the same ASF (WMV2/WMA2) stream;
        // subtitles are drawn by the encoder's filter in any case.
        program = Platform::binaryPath(QStringLiteral("encoder"));
        args = asfArgumentsFor(file_path, m_startSeconds, m_lengthSeconds, m_subtitlePath);
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
