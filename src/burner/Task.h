#pragma once

#include <QPixmap>
#include <QProcess>
#include <QString>

// One long step of a burn, run as a child process (or as a chain of them).
// Ends with exactly one of complete() or failed().
class Task : public QProcess
{
    Q_OBJECT

public:
    explicit Task(QObject *parent = nullptr);

    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    QString description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    QString source() const { return m_source; }
    void setSource(const QString &source) { m_source = source; }
    QString destination() const { return m_destination; }
    void setDestination(const QString &destination) { m_destination = destination; }

    virtual QPixmap icon() const;
    virtual void exec() = 0;
    virtual void cancel();

signals:
    // progress: done fraction 0..1, or -1 while the amount is unknown;
    // time: elapsed milliseconds.
    void progress(qreal progress, qreal time);
    void complete();
    void failed(QString title, QString desc);

protected:
    // The command as logged: program and non-option arguments in double quotes.
    static QString commandText(const QString &program, const QStringList &args);
    // Emits failed() unless the task already ended; returns false then.
    bool reportFailure(const QString &title, const QString &desc);
    bool reportComplete();
    bool hasEnded() const { return m_ended; }
    void clearEnded() { m_ended = false; }
    void markEnded() { m_ended = true; }

private:
    QString m_name;
    QString m_description;
    QString m_source;
    QString m_destination;
    bool m_ended = false;
};

Q_DECLARE_METATYPE(Task *)
