#pragma once

#include <QByteArray>
#include <QDialog>
#include <QPointer>
#include <QString>
#include <QUrl>

class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace ZR {

// Offers to send an error report after a failure: version, platform, error
// text, the user's description and the tail of the log file, posted as one
// multipart request to the report endpoint. The log leaves the machine only
// redacted (LogRedactor), and the details view shows the request exactly as
// it will be sent.
class ErrorReportDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int DefaultReplyTimeoutMs = 10000;
    // The log can grow without bound; only its last part is sent.
    static constexpr qint64 MaxLogBytes = 2 * 1024 * 1024;

    explicit ErrorReportDialog(const QString &reportUrl, QWidget *parent = nullptr);
    ~ErrorReportDialog() override;

    // The burner's report endpoint on the configured report host.
    static QString burnerReportUrl();

    void setVersion(const QString &version) { m_version = version; }
    void setPlatform(const QString &platform) { m_platform = platform; }
    void setError(const QString &error) { m_error = error; }
    void setLogFilePath(const QString &path) { m_logFilePath = path; }
    // A report is on its way and its answer awaited.
    bool isSending() const { return !m_reply.isNull(); }
    // The member's user name, masked wherever the report would carry it.
    void setUserName(const QString &userName) { m_userName = userName; }
    void setReplyTimeout(int ms);

    // The request's URL and body for the current fields and description.
    QUrl reportRequestUrl() const;
    static QByteArray reportBody(const QByteArray &details, const QByteArray &log);
    // The request as the details view shows it: address, then body.
    QString reportText();
    // At most the last `maxBytes` of the log at `path`, from a line start,
    // with a cut mark when something was left out. Room the current file
    // leaves goes to the end of the part moved aside ("<path>.1"). False
    // when the file cannot be read.
    static bool readLogTail(const QString &path, qint64 maxBytes, QByteArray *out);

public Q_SLOTS:
    void sendReport();
    void requestFinished(QNetworkReply *reply);
    void replyTimeout();
    // Closing ends a report still under way.
    void done(int result) override;

private:
    void buildForm();
    // The redacted log tail, read once so that what is shown is what is sent.
    bool loadLog();
    void showDetails(bool visible);
    void updateDetails();
    void restoreCursor();
    void abandonReply();

    QString m_reportUrl;
    QString m_version;
    QString m_platform;
    QString m_error;
    QString m_logFilePath;
    QString m_userName;
    QString m_email = QStringLiteral("Anonymous");
    QTimer *m_replyTimer = nullptr;
    QNetworkAccessManager *m_network = nullptr; // the dialog's own: a report carries no member data
    QPointer<QNetworkReply> m_reply;
    bool m_waitCursor = false;
    bool m_logLoaded = false;
    QByteArray m_log;

    QLabel *m_descriptiveText = nullptr;
    QPlainTextEdit *m_detailEdit = nullptr;
    QPushButton *m_sendButton = nullptr;
    QPushButton *m_detailsButton = nullptr;
    QPlainTextEdit *m_reportView = nullptr;
};

} // namespace ZR
