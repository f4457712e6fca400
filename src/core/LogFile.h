#pragma once

#include <QString>
#include <QtGlobal>

namespace ZR {

// The program's log file "<application name>.log" in the home folder and the
// message handler that writes every diagnostic of the process into it.
// Safe to call from any thread: each message reaches the file as whole lines.
class LogFile
{
public:
    // Opens (or creates) the log file and, when asked, installs the message
    // handler, then writes the run header. Only the first call has an effect.
    static void init(bool installHandler);
    // Closes the log file; later messages are dropped.
    static void close();

    static QString logFilePath();
    static QString platformDescription();

    static void messageHandler(QtMsgType type, const QMessageLogContext &context,
                               const QString &message);

private:
    LogFile() = delete;
};

} // namespace ZR
