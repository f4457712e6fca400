#pragma once

#include "tv/MediaNode.h"

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QQueue>

class QRecursiveMutex;

// Probes new file nodes one at a time with the encoder: play length, stream
// format and codec from its report, one JPEG frame as the thumbnail.
class MetaDataGatherer : public QObject
{
    Q_OBJECT

public:
    // `treeLock` guards the nodes' fields against the server threads.
    explicit MetaDataGatherer(QRecursiveMutex *treeLock, QObject *parent = nullptr);
    ~MetaDataGatherer() override;

    bool isBusy() const { return m_busy; }
    qsizetype queued() const { return m_queue.size(); }

    // Reads the encoder's report into the node's fields.
    static void parseReport(const QString &report, MediaNode *node);

Q_SIGNALS:
    void gathered();

public Q_SLOTS:
    void gather(MediaNode *node);
    void abort();
    void cancel(MediaNode *node);

private Q_SLOTS:
    void readImageData();
    void readMetaData();
    void processData(int exitCode, QProcess::ExitStatus status);
    void processNextNode();

private:
    QRecursiveMutex *m_treeLock;
    QQueue<MediaNode *> m_queue;
    MediaNode *m_current = nullptr;
    QProcess *m_process = nullptr;
    QByteArray m_imageData;
    QByteArray m_report;
    bool m_busy = false;
};
