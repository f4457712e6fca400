#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

class Engines;

// Queues the downloads of the ".corvana" descriptors named on the command line
// or handed over by a second start: local files and web addresses. Until the
// member has signed in they wait, so nothing named is lost.
class DescriptorOpener : public QObject
{
    Q_OBJECT

public:
    explicit DescriptorOpener(Engines *engines, QObject *parent = nullptr);

    // The descriptors among the program's arguments: existing files (made
    // absolute against `workingDirectory`), file: URLs and http(s) URLs.
    static QList<QUrl> urlsFromArguments(const QStringList &arguments,
                                         const QString &workingDirectory);
    // The message a second start hands to the running copy, and back.
    static QByteArray encode(const QList<QUrl> &urls);
    static QList<QUrl> decode(const QByteArray &message);

    // Descriptors kept waiting for sign-in at most.
    static constexpr int MaxPending = 100;

    int pendingCount() const { return int(m_pending.size()); }

public Q_SLOTS:
    void open(const QList<QUrl> &urls);
    void openMessage(const QByteArray &message);
    // Hands the waiting descriptors to the downloads (after sign-in).
    void openPending();

Q_SIGNALS:
    // Descriptors arrived: the window should come to the front.
    void requested();

private:
    Engines *m_engines;
    QList<QUrl> m_pending;
};
