#pragma once

#include <QList>
#include <QObject>
#include <QSslError>
#include <QThread>
#include <QUrl>

#include <atomic>

class DownloadHelper;
class NetworkManager;
class QNetworkAccessManager;

// A thread the downloads' files are fetched and written on, with a network
// access manager of its own, so that the window's thread is never in the way
// of the data (the download manager keeps one per download it runs at once,
// so that those run side by side, as separate programs would). Transfers reach it as DownloadHelper
// objects (see FileTransfer); the window's NetworkManager is asked about certificate errors, its
// answer awaited without blocking the window. Stopped, with a bounded wait, when destroyed: the
// replies are aborted and the files closed there.
class TransferThread : public QObject
{
    Q_OBJECT

public:
    // Asks `network` (not owned; it must outlive this object) about
    // certificate errors.
    explicit TransferThread(NetworkManager *network, QObject *parent = nullptr);
    ~TransferThread() override;

    QThread *thread() { return &m_thread; }
    // Moves `helper` (no parent) to the transfer thread and starts it there.
    void start(DownloadHelper *helper);

    // On the transfer thread: whether certificate errors of `url` may be
    // ignored (the NetworkManager asks the user where needed).
    bool allowCertificateErrors(const QUrl &url, const QList<QSslError> &errors);

private:
    QNetworkAccessManager *network(); // on the transfer thread

    NetworkManager *m_questions;
    QThread m_thread;
    QObject *m_context = nullptr; // lives on the transfer thread, parent of its network manager
    QNetworkAccessManager *m_network = nullptr;
    std::atomic<bool> m_closing{false};
};
