#pragma once

#include <QNetworkAccessManager>

class TransferThread;

// The transfer thread's network access manager: no cookie jar of its own
// (requests carry their cookies) and no disk cache; certificate errors are
// refused for requests that say so, and otherwise ignored only where the
// window's NetworkManager allows it.
class TransferNetwork : public QNetworkAccessManager
{
    Q_OBJECT

public:
    explicit TransferNetwork(TransferThread *owner, QObject *parent = nullptr);

private Q_SLOTS:
    void certificateErrors(QNetworkReply *reply, const QList<QSslError> &errors);

private:
    TransferThread *m_owner;
};
