#include "gui/dialogs/ErrorReportDialog.h"

#include "core/LogFile.h"
#include "core/LogRedactor.h"
#include "core/Logging.h"
#include "core/SiteConfig.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace ZR {

namespace {

const QByteArray kBoundary = "AaB03x";
constexpr int kDialogWidth = 425;
constexpr int kDialogHeight = 225;
constexpr int kDetailsHeight = 260;

QByteArray queryItem(const char *key, const QString &value)
{
    return QByteArray(key) + '=' + QUrl::toPercentEncoding(value.toLocal8Bit());
}

// A part's content never holds the delimiter that would end it early.
QByteArray partContent(QByteArray content)
{
    return content.replace("--" + kBoundary, "- -" + kBoundary);
}

// At most the last `maxBytes` of `path` into `tail`, from a line start; the
// file's size into `size`. False when the file cannot be read.
bool readFileTail(const QString &path, qint64 maxBytes, QByteArray *tail, qint64 *size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *size = file.size();
    if (*size <= maxBytes) {
        *tail = file.read(maxBytes); // bounded even when the file grows meanwhile
        *size = qMax(*size, qint64(tail->size()));
        return true;
    }
    // The byte before the tail too: the tail starts after the first line end
    // in this window, so it always starts a line (and is empty when the last
    // line alone is longer than `maxBytes`).
    file.seek(*size - maxBytes - 1);
    const QByteArray window = file.read(maxBytes + 1);
    const qsizetype lineEnd = window.indexOf('\n');
    *tail = lineEnd < 0 ? QByteArray() : window.mid(lineEnd + 1);
    return true;
}

// Error texts name files and addresses too.
QString redacted(const QString &text, const QString &userName)
{
    return LogRedactor::redact(text, QDir::homePath(), userName);
}

} // namespace

ErrorReportDialog::ErrorReportDialog(const QString &reportUrl, QWidget *parent)
    : QDialog(parent), m_reportUrl(reportUrl), m_replyTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("ErrorReportDialog"));
    m_network = new QNetworkAccessManager(this);
    buildForm();
    m_replyTimer->setSingleShot(true);
    m_replyTimer->setInterval(DefaultReplyTimeoutMs);
    connect(m_replyTimer, &QTimer::timeout, this, &ErrorReportDialog::replyTimeout);
}

ErrorReportDialog::~ErrorReportDialog()
{
    restoreCursor();
    abandonReply();
}

void ErrorReportDialog::abandonReply()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void ErrorReportDialog::done(int result)
{
    m_replyTimer->stop();
    restoreCursor();
    abandonReply();
    QDialog::done(result);
}

QString ErrorReportDialog::burnerReportUrl()
{
    return SiteConfig::resolve(SiteConfig::errorReportUrl(),
                               QStringLiteral("/qx_remote/qx_error.php"))
        .toString();
}

void ErrorReportDialog::setReplyTimeout(int ms)
{
    m_replyTimer->setInterval(ms);
}

void ErrorReportDialog::buildForm()
{
    auto *iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("iconLabel"));
    iconLabel->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));
    iconLabel->setAlignment(Qt::AlignTop);

    auto *errorText = new QLabel(tr("An unexpected error has occurred"), this);
    errorText->setObjectName(QStringLiteral("errorText"));
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    errorText->setFont(font);

    m_descriptiveText = new QLabel(
        tr("%1 has created an error report that you can send to help us improve the product. "
           "All reports are confidential and anonymous.")
            .arg(QApplication::applicationName()),
        this);
    m_descriptiveText->setObjectName(QStringLiteral("descriptiveText"));
    m_descriptiveText->setWordWrap(true);

    auto *label = new QLabel(tr("Please describe what you were doing when this occurred:"), this);
    label->setObjectName(QStringLiteral("label"));

    m_detailEdit = new QPlainTextEdit(this);
    m_detailEdit->setObjectName(QStringLiteral("detailEdit"));

    // The message box's own words, which every language of the toolkit has.
    m_detailsButton = new QPushButton(QMessageBox::tr("Show Details..."), this);
    m_detailsButton->setObjectName(QStringLiteral("detailsButton"));
    m_detailsButton->setCheckable(true);

    m_reportView = new QPlainTextEdit(this);
    m_reportView->setObjectName(QStringLiteral("reportView"));
    m_reportView->setReadOnly(true);
    m_reportView->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_reportView->setAccessibleName(tr("Report to be sent"));
    m_reportView->hide();

    auto *dontSendButton = new QPushButton(tr("Don't Send"), this);
    dontSendButton->setObjectName(QStringLiteral("dontSendButton"));
    m_sendButton = new QPushButton(tr("Send"), this);
    m_sendButton->setObjectName(QStringLiteral("sendButton"));
    m_sendButton->setDefault(true);

    auto *texts = new QVBoxLayout;
    texts->addWidget(errorText);
    texts->addWidget(m_descriptiveText);
    auto *top = new QHBoxLayout;
    top->addWidget(iconLabel);
    top->addLayout(texts, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_detailsButton);
    buttons->addStretch();
    buttons->addWidget(dontSendButton);
    buttons->addWidget(m_sendButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(label);
    layout->addWidget(m_detailEdit, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_reportView, 2);

    setFixedSize(kDialogWidth, kDialogHeight);
    connect(m_detailsButton, &QPushButton::toggled, this, &ErrorReportDialog::showDetails);
    connect(m_detailEdit, &QPlainTextEdit::textChanged, this, &ErrorReportDialog::updateDetails);
    connect(m_sendButton, &QPushButton::clicked, this, &ErrorReportDialog::sendReport);
    connect(dontSendButton, &QPushButton::clicked, this, &ErrorReportDialog::reject);
}

QUrl ErrorReportDialog::reportRequestUrl() const
{
    QUrl url(m_reportUrl);
    const QByteArray query = queryItem("version", m_version) + '&' +
                             queryItem("platform", redacted(m_platform, m_userName)) + '&' +
                             queryItem("error", redacted(m_error, m_userName)) + '&' +
                             queryItem("email", m_email);
    url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
    return url;
}

QByteArray ErrorReportDialog::reportBody(const QByteArray &details, const QByteArray &log)
{
    // multipart/form-data: CRLF line ends, a closing delimiter at the end.
    const QByteArray delimiter = "--" + kBoundary + "\r\n";
    QByteArray body;
    body.reserve(log.size() + details.size() + 256);
    body += delimiter;
    body += "Content-Disposition: form-data; name=\"details\"\r\n\r\n";
    body += partContent(details) + "\r\n";
    body += delimiter;
    body += "Content-Disposition: form-data; name=\"report\"; filename=\"report.txt\"\r\n";
    body += "Content-Type: text/plain\r\n\r\n";
    body += partContent(log) + "\r\n";
    body += "--" + kBoundary + "--\r\n";
    return body;
}

bool ErrorReportDialog::readLogTail(const QString &path, qint64 maxBytes, QByteArray *out)
{
    QByteArray current;
    qint64 currentSize = 0;
    if (path.isEmpty() || !readFileTail(path, maxBytes, &current, &currentSize))
        return false;
    // A log moved aside lately leaves little in the current file: the room
    // left goes to the end of the earlier part.
    QByteArray older;
    qint64 olderSize = 0;
    const qint64 room = currentSize == current.size() ? maxBytes - current.size() : 0;
    readFileTail(LogFile::previousLogFilePath(path), room, &older, &olderSize);
    const qint64 cut = olderSize - older.size() + currentSize - current.size();
    out->clear();
    if (cut > 0)
        *out = QStringLiteral("[log cut: the first %1 bytes are left out]\n").arg(cut).toUtf8();
    *out += older + current;
    return true;
}

bool ErrorReportDialog::loadLog()
{
    if (m_logLoaded)
        return true;
    QByteArray log;
    if (!readLogTail(m_logFilePath, MaxLogBytes, &log))
        return false;
    m_log = LogRedactor::redact(log, QDir::homePath(), m_userName);
    m_logLoaded = true;
    return true;
}

QString ErrorReportDialog::reportText()
{
    if (!loadLog())
        return tr("The log file cannot be read; nothing can be sent.");
    const QByteArray body = reportBody(m_detailEdit->toPlainText().toLocal8Bit(), m_log);
    // Shown with plain line ends; the bytes are those sent.
    return QStringLiteral("POST ") + reportRequestUrl().toString(QUrl::FullyEncoded) +
           QStringLiteral("\n\n") + QString::fromLocal8Bit(body).remove(QLatin1Char('\r'));
}

void ErrorReportDialog::showDetails(bool visible)
{
    m_detailsButton->setText(visible ? QMessageBox::tr("Hide Details...")
                                     : QMessageBox::tr("Show Details..."));
    m_reportView->setVisible(visible);
    setFixedSize(kDialogWidth, kDialogHeight + (visible ? kDetailsHeight : 0));
    updateDetails();
}

void ErrorReportDialog::updateDetails()
{
    if (m_reportView->isVisible())
        m_reportView->setPlainText(reportText());
}

void ErrorReportDialog::sendReport()
{
    if (m_reply)
        return; // one report at a time
    if (!loadLog()) {
        qCWarning(lcApp) << "ZR::ErrorReportDialog invalid log file path";
        return;
    }
    const QByteArray body = reportBody(m_detailEdit->toPlainText().toLocal8Bit(), m_log);
    QNetworkRequest request(reportRequestUrl());
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArray("multipart/form-data; boundary=" + kBoundary));
    request.setRawHeader("Content-Length", QByteArray::number(body.size()));
    m_reply = m_network->post(request, body);
    connect(m_reply.data(), &QNetworkReply::finished, this,
            [this, reply = m_reply.data()] { requestFinished(reply); });

    if (!m_waitCursor) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_waitCursor = true;
    }
    m_replyTimer->start();
}

void ErrorReportDialog::requestFinished(QNetworkReply *reply)
{
    restoreCursor();
    m_replyTimer->stop();
    if (reply == m_reply)
        m_reply = nullptr;
    reply->deleteLater();
    if (reply->error() == QNetworkReply::NoError) {
        accept();
        return;
    }
    qCWarning(lcApp) << "ZRErrorDialog::requestFinished invalid request";
}

void ErrorReportDialog::replyTimeout()
{
    qCWarning(lcApp) << "ZR::ErrorReportDialog reply timeout";
    reject();
}

void ErrorReportDialog::restoreCursor()
{
    if (m_waitCursor) {
        QApplication::restoreOverrideCursor();
        m_waitCursor = false;
    }
}

} // namespace ZR
