#include "gui/downloads/DownloadItem.h"

#include "core/UserPrompt.h"
#include "downloads/Download.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

int g_updateInterval = 250;

const QColor outlineColour(239, 239, 239);
const QColor selectedFill(0xb3, 0xbf, 0xd0);
const QColor plainFill(250, 250, 250);

QString statusColour(Download::State state)
{
    switch (state) {
    case Download::Paused:
        return QStringLiteral("#b94517");
    case Download::Downloading:
        return QStringLiteral("#4677a3");
    case Download::Finished:
        return QStringLiteral("#1c6e35");
    default:
        return QString();
    }
}

} // namespace

DownloadItem::DownloadItem(Download *download, UserPrompt *prompt, QWidget *parent)
    : QWidget(parent), m_download(download), m_prompt(prompt)
{
    setObjectName(QStringLiteral("DownloadItem"));
    buildLayout();
    m_progressTimer.setSingleShot(true);
    connect(&m_progressTimer, &QTimer::timeout, this, &DownloadItem::showProgress);
    connect(m_play, &QToolButton::clicked, this, &DownloadItem::playClicked);
    connect(m_pause, &QToolButton::clicked, this, &DownloadItem::pauseClicked);
    connect(m_cancel, &QToolButton::clicked, this, &DownloadItem::cancelClicked);
    connect(m_retry, &QToolButton::clicked, this, &DownloadItem::retryClicked);
    connect(m_remove, &QToolButton::clicked, this, &DownloadItem::cancelClicked);
    if (download) {
        connect(download, &Download::update, this, &DownloadItem::infoUpdated);
        connect(download, &Download::updateProgress, this, &DownloadItem::progressUpdated);
        connect(download, &Download::updateThumbnail, this, &DownloadItem::thumbnailUpdated);
        infoUpdated();
        showBar();
        if (download->thumbnailValid())
            thumbnailUpdated();
    }
}

void DownloadItem::buildLayout()
{
    m_thumbnail = new QLabel(this);
    m_thumbnail->setObjectName(QStringLiteral("thumbnail"));
    m_thumbnail->setFixedSize(130, 100);
    m_thumbnail->setAlignment(Qt::AlignCenter);
    m_thumbnail->setPixmap(QPixmap(QStringLiteral(":/images/thumbnail.jpg")));

    m_play = new QToolButton(m_thumbnail);
    m_play->setObjectName(QStringLiteral("playButton"));
    m_play->setFixedSize(42, 42);
    m_play->move((130 - 42) / 2, (100 - 42) / 2);
    m_play->setAccessibleName(tr("Play"));

    m_title = new QLabel(tr("Loading download..."), this);
    m_title->setObjectName(QStringLiteral("titleLabel"));
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    m_title->setFont(titleFont);
    m_title->setTextFormat(Qt::PlainText);

    m_metaData = new QLabel(tr("Default Description"), this);
    m_metaData->setObjectName(QStringLiteral("metaDataLabel"));
    m_metaData->setWordWrap(true);
    m_metaData->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_status = new QLabel(tr("Status:"), this);
    m_status->setObjectName(QStringLiteral("statusLabel"));

    m_pause = new QToolButton(this);
    m_pause->setObjectName(QStringLiteral("pauseButton"));
    m_pause->setIconSize(QSize(24, 24));
    m_cancel = new QToolButton(this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setFixedSize(28, 28);
    m_cancel->setAccessibleName(tr("Cancel"));
    setPauseLook(false);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(14);

    m_info = new QLabel(tr("0.0 bytes of 0 MB (0.0 bytes/sec)"), this);
    m_info->setObjectName(QStringLiteral("infoLabel"));

    m_failure = new QLabel(this);
    m_failure->setObjectName(QStringLiteral("failureLabel"));
    m_failure->setTextFormat(Qt::PlainText);
    m_failure->setWordWrap(true);
    m_failure->setStyleSheet(QStringLiteral("color: #b94517;"));
    m_failure->hide();
    m_retry = new QToolButton(this);
    m_retry->setObjectName(QStringLiteral("retryButton"));
    m_retry->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_retry->setStyleSheet(QStringLiteral(
        "QToolButton { border: 1px solid #a8a8a8; border-radius: 3px; padding: 3px 12px;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fdfdfd, stop:1 #e6e6e6); }"
        "QToolButton:pressed { background: #d6d6d6; }"
        "QToolButton:focus { border-color: #4677a3; }"));
    m_retry->hide();
    // A video the site no longer offers: Remove takes its partial file away.
    m_remove = new QToolButton(this);
    m_remove->setObjectName(QStringLiteral("removeButton"));
    m_remove->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_remove->setStyleSheet(m_retry->styleSheet());
    m_remove->setText(tr("Remove"));
    m_remove->setAccessibleName(m_remove->text());
    m_remove->hide();

    auto *texts = new QVBoxLayout;
    texts->addWidget(m_title);
    texts->addWidget(m_metaData, 1);
    texts->addWidget(m_status);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_pause);
    buttons->addWidget(m_cancel);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(14, 12, 14, 12);
    grid->setHorizontalSpacing(12);
    grid->addWidget(m_thumbnail, 0, 0, Qt::AlignTop);
    grid->addLayout(texts, 0, 1);
    grid->addLayout(buttons, 0, 2, Qt::AlignTop);
    grid->addWidget(m_progress, 1, 0, 1, 3);
    grid->addWidget(m_info, 2, 0, 1, 3);
    auto *failure = new QHBoxLayout;
    failure->addWidget(m_failure, 1);
    failure->addWidget(m_retry);
    failure->addWidget(m_remove);
    grid->addLayout(failure, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
}

void DownloadItem::setUpdateInterval(int ms)
{
    g_updateInterval = qMax(0, ms);
}

int DownloadItem::updateInterval()
{
    return g_updateInterval;
}

void DownloadItem::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    paintBackground();
    update();
}

QString DownloadItem::pauseLook() const
{
    return m_resumeLook ? QStringLiteral("resume") : QStringLiteral("pause");
}

void DownloadItem::setPauseLook(bool resume)
{
    m_resumeLook = resume;
    m_pause->setIcon(QIcon(resume ? QStringLiteral(":/images/download/resume_normal.png")
                                  : QStringLiteral(":/images/download/pause_normal.png")));
    m_pause->setAccessibleName(resume ? tr("Resume") : tr("Pause"));
}

void DownloadItem::infoUpdated()
{
    if (!m_download)
        return;
    const CorvanaItem item = m_download->item();
    const QString title = item.title();
    m_title->setText(title.isEmpty() ? tr("Loading download...") : title);

    QString html;
    if (item.stars().isEmpty()) {
        html = QStringLiteral("<html><br><font size=\"2\" face=\"Arial\">%2<br /><br /><br />")
                   .arg(item.description().toHtmlEscaped());
    } else {
        html = QStringLiteral("<html><br><font size=\"2\" face=\"Arial\">%2<br /><br />%3<br />")
                   .arg(item.description().toHtmlEscaped(),
                        tr("Starring: %1").arg(item.stars().toHtmlEscaped()));
    }
    if (!item.categories().isEmpty())
        html += tr("Tags: %1").arg(item.categories().toHtmlEscaped());
    html += QStringLiteral("</html>");
    m_metaData->setText(html);

    const Download::State state = m_download->state();
    m_status->setText(tr("Status: <font color='%1'>%2</font>")
                          .arg(statusColour(state), m_download->statusText()));
    if (state != Download::Downloading)
        m_info->clear();
    setPauseLook(state == Download::Paused);

    const DownloadFailure failure = m_download->failure();
    m_failure->setText(failure.message());
    m_failure->setVisible(!failure.isNull());
    m_retry->setText(failure.kind() == DownloadFailure::SignInRejected ? tr("Sign In")
                                                                       : tr("Retry"));
    m_retry->setAccessibleName(m_retry->text());
    m_retry->setVisible(!failure.isNull());
    m_remove->setVisible(failure.kind() == DownloadFailure::Withdrawn);
    showBar();
}

void DownloadItem::progressUpdated()
{
    m_progressPending = true;
    if (isVisible() && !m_progressTimer.isActive())
        m_progressTimer.start(g_updateInterval);
}

void DownloadItem::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_progressPending)
        showProgress();
}

void DownloadItem::showProgress()
{
    m_progressPending = false;
    m_progressTimer.stop();
    if (!m_download)
        return;
    showBar();
    // Empty unless the download is running.
    m_info->setText(m_download->progressText());
}

void DownloadItem::showBar()
{
    const DownloadProgress::Bar bar = m_download->progressBar();
    // An unknown size shows the busy bar only while bytes are coming.
    const bool busy = bar.maximum == 0 && m_download->state() == Download::Downloading;
    m_progress->setRange(0, bar.maximum > 0 || busy ? bar.maximum : 1);
    m_progress->setValue(bar.value);
}

void DownloadItem::thumbnailUpdated()
{
    if (!m_download)
        return;
    const QImage image(m_download->thumbnailPath());
    if (image.isNull())
        return;
    m_thumbnail->setPixmap(QPixmap::fromImage(
        image.scaled(QSize(130, 100), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void DownloadItem::playClicked()
{
    if (m_download)
        Q_EMIT playRequested(m_download->mediaPath());
}

void DownloadItem::pauseClicked()
{
    if (!m_download)
        return;
    if (m_download->state() == Download::Paused) {
        m_download->resume();
        setPauseLook(false);
    } else {
        m_download->pause();
        setPauseLook(true);
    }
}

void DownloadItem::retryClicked()
{
    if (!m_download)
        return;
    if (m_download->failure().kind() == DownloadFailure::SignInRejected)
        Q_EMIT signInRequested(); // the downloads resume once the member is signed in
    else
        m_download->resume();
}

void DownloadItem::cancelClicked()
{
    const UserPrompt::Button answer =
        m_prompt->question(tr("CorvanaZELTA"), tr("Are you sure you want to remove this download?"),
                           UserPrompt::Yes | UserPrompt::No, UserPrompt::No);
    if (answer != UserPrompt::Yes || !m_download)
        return;
    if (m_download->state() != Download::Cancelled)
        m_download->cancel();
}

void DownloadItem::paintBackground()
{
    m_background = QPixmap(size());
    m_background.fill(Qt::white);
    QPainter painter(&m_background);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(outlineColour, 2));
    painter.setBrush(m_selected ? selectedFill : plainFill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(3, 3, -3, -3), 8, 8);
}

void DownloadItem::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    paintBackground();
}

void DownloadItem::paintEvent(QPaintEvent *)
{
    if (m_background.size() != size())
        paintBackground();
    QPainter(this).drawPixmap(0, 0, m_background);
}
