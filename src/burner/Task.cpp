#include "burner/Task.h"

Task::Task(QObject *parent) : QProcess(parent)
{
    static const int registered = qRegisterMetaType<Task *>("Task*");
    Q_UNUSED(registered);
}

QString Task::commandText(const QString &program, const QStringList &args)
{
    const auto quoted = [](const QString &text) {
        return QLatin1Char('"') + text + QLatin1Char('"');
    };
    QStringList parts{quoted(program)};
    for (const QString &arg : args)
        parts << (arg.startsWith(QLatin1Char('-')) ? arg : quoted(arg));
    return parts.join(QLatin1Char(' '));
}

QPixmap Task::icon() const
{
    return QPixmap();
}

void Task::cancel()
{
    if (state() != QProcess::NotRunning) {
        kill();
        waitForFinished(5000);
    }
}

bool Task::reportFailure(const QString &title, const QString &desc)
{
    if (m_ended)
        return false;
    m_ended = true;
    emit failed(title, desc);
    return true;
}

bool Task::reportComplete()
{
    if (m_ended)
        return false;
    m_ended = true;
    emit complete();
    return true;
}
