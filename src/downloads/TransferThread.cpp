#include "downloads/TransferThread.h"
#include "core/Logging.h"
#include "downloads/DownloadHelper.h"
#include "downloads/SpeedLimitSettings.h"
#include "downloads/TransferNetwork.h"
#include "web/NetworkManager.h"

#include <QDeadlineTimer>
#include <QSemaphore>
#include <QtDebug>

#include <memory>

namespace {

// How long quitting waits for the transfers to close their files.
constexpr int kJoinMs = 20000;
// How often a certificate question in flight looks whether the program quits.
constexpr int kQuestionPollMs = 100;

struct CertificateAnswer
{
    QSemaphore given;
    std::atomic<bool> allowed{false};
};

} // namespace

TransferThread::TransferThread(NetworkManager *network, QObject *parent)
    : QObject(parent), m_questions(network)
{
    qRegisterMetaType<TransferOutcome>();
    SpeedLimitFollower::ensureRunning(); // the transfers keep to the user's speed limit
    m_thread.setObjectName(QStringLiteral("transfers"));
    m_context = new QObject; // deleted on its thread, when the thread stops
    m_context->moveToThread(&m_thread);
}

TransferThread::~TransferThread()
{
    m_closing = true;
    if (!m_thread.isRunning()) {
        delete m_context; // never used
        return;
    }
    // The network manager goes with its context (aborting what still runs);
    // helpers waiting for deletion are deleted as the thread ends.
    m_context->deleteLater();
    m_thread.quit();
    if (!m_thread.wait(QDeadlineTimer(kJoinMs))) {
        qCWarning(lcDownloads) << "TransferThread: the transfers did not stop in time";
        m_thread.terminate();
        m_thread.wait();
    }
}

void TransferThread::start(DownloadHelper *helper)
{
    if (!m_thread.isRunning())
        m_thread.start(); // at the first transfer: a program that downloads nothing runs no thread
    helper->moveToThread(&m_thread);
    QMetaObject::invokeMethod(
        helper, [this, helper] { helper->start(network()); }, Qt::QueuedConnection);
}

QNetworkAccessManager *TransferThread::network()
{
    if (!m_network)
        m_network = new TransferNetwork(this, m_context);
    return m_network;
}

bool TransferThread::allowCertificateErrors(const QUrl &url, const QList<QSslError> &errors)
{
    auto answer = std::make_shared<CertificateAnswer>();
    QMetaObject::invokeMethod(
        m_questions,
        [network = m_questions, url, errors, answer] {
            answer->allowed = network->allowCertificateErrors(url, errors);
            answer->given.release();
        },
        Qt::QueuedConnection);
    // Waits for the window's answer, but never past quitting: the window's
    // thread then waits for this one.
    while (!answer->given.tryAcquire(1, kQuestionPollMs)) {
        if (m_closing)
            return false;
    }
    return answer->allowed;
}
