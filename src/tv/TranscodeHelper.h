#pragma once

#include "tv/upnp/RingBufferStream.h"

#include <QMutex>
#include <QObject>
#include <QProcess>
#include <QStringList>

// Runs the encoder for one transcoded answer in a worker thread and pours its
// standard output into the ring-buffer stream (blocking while it is full).
class TranscodeHelper : public QObject
{
    Q_OBJECT

public:
    // The encoder starts `startSeconds` into the file.
    TranscodeHelper(int mode, const RingBufferStreamReference &stream, double startSeconds = 0,
                    QObject *parent = nullptr);
    ~TranscodeHelper() override;

    qint64 bytesWritten() const;

    // Program (neutral tool name) and arguments for a client signature.
    static QString programFor(int mode);
    static QStringList argumentsFor(int mode, const QString &filePath, double startSeconds = 0);
    // The Xbox format made by the encoder, for systems without mencoder.
    static QStringList asfArgumentsFor(const QString &filePath, double startSeconds = 0);

public Q_SLOTS:
    void transcode(const QString &file_path);
    // Ends the encoder; runs in the worker thread.
    void stop();

private Q_SLOTS:
    void readData();
    void finished();

private:
    mutable QMutex m_lock;
    RingBufferStreamReference m_stream;
    QProcess *m_process = nullptr;
    int m_mode;
    double m_startSeconds;
    qint64 m_bytesWritten = 0;
    bool m_ended = false;
};
