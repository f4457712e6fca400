#pragma once

#include <QString>
#include <QtGlobal>

namespace ZR {

// The program's log file "<application name>.log" in the home folder and the
// message handler that writes every diagnostic of the process into it.
// Safe to call from any thread: each message reaches the file as whole lines.
//
// The file stays bounded: once it would grow past maxBytes() it is renamed to
// "<name>.log.1" (replacing an older one) and a fresh "<name>.log" begins
// with a line that points there. So at most two files exist, each of about
// maxBytes(); a message is always written whole into one of them.
class LogFile
{
public:
    static constexpr qint64 DefaultMaxBytes = 16 * 1024 * 1024;
    // A line of a message longer than this is cut, with a marker that says
    // how much was left out; so is a whole message beyond MaxMessageBytes.
    static constexpr qsizetype MaxLineBytes = 4 * 1024;
    static constexpr qsizetype MaxMessageBytes = 64 * 1024;

    // Opens (or creates) the log file, starting it afresh when it is already
    // at the limit, and, when asked, installs the message handler, then
    // writes the run header. Only the first call has an effect.
    static void init(bool installHandler);
    // Closes the log file; later messages are dropped.
    static void close();

    static QString logFilePath();
    // Where the earlier part of the log goes: the log file's path + ".1".
    static QString previousLogFilePath(const QString &logFilePath);
    static QString platformDescription();

    // The size limit of one file; takes effect with the next message.
    static void setMaxBytes(qint64 bytes);
    static qint64 maxBytes();

    static void messageHandler(QtMsgType type, const QMessageLogContext &context,
                               const QString &message);

private:
    LogFile() = delete;
};

} // namespace ZR
