#include "gui/burner/BurnerWizard.h"

#include "burner/Project.h"
#include "core/Logging.h"
#include "core/SiteConfig.h"
#include "gui/burner/BurnStep.h"
#include "gui/burner/FileStep.h"
#include "gui/mainwindow/Artwork.h"
#include "gui/mainwindow/Palette.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QIcon>
#include <QPainter>

BurnerWizard::BurnerWizard(Project *project, QWidget *parent)
    : QWizard(parent), m_project(project), m_fileStep(new FileStep(project, this)),
      m_burnStep(new BurnStep(project, this))
{
    setWindowTitle(tr("Discaveo"));
    setFixedSize(655, 480);
    setWizardStyle(QWizard::ModernStyle);
    setOptions(QWizard::NoBackButtonOnStartPage | QWizard::HaveHelpButton |
               QWizard::NoCancelButton | QWizard::HelpButtonOnRight);
    setWindowIcon(QIcon(QStringLiteral(":/DiscaveoMenuLogo.png")));
    setPixmap(QWizard::BannerPixmap, banner());
    setButtonText(QWizard::BackButton, tr("Back"));
    setButtonText(QWizard::NextButton, tr("Next"));
    button(QWizard::BackButton)->setIcon(QIcon(QStringLiteral(":/images/back.png")));
    button(QWizard::NextButton)->setIcon(QIcon(QStringLiteral(":/images/next.png")));
    button(QWizard::HelpButton)->setIcon(QIcon(QStringLiteral(":/images/help.png")));
    button(QWizard::CancelButton)->setIcon(QIcon(QStringLiteral(":/images/cancel.png")));
    button(QWizard::FinishButton)->hide();
    setPage(FilePage, m_fileStep);
    setPage(BurnPage, m_burnStep);
    connect(this, &QWizard::helpRequested, this, &BurnerWizard::showHelp);
    connect(this, &QWizard::currentIdChanged, this, &BurnerWizard::pageChanged);
    connect(m_burnStep, &BurnStep::finished, this, &BurnerWizard::burnOver);
}

QPixmap BurnerWizard::banner() const
{
    // The picture holds the disc; the name and the line below it are drawn here.
    QPixmap picture = Artwork::pixmap(QStringLiteral(":/images/discaveoBanner.png"));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont name = font();
    name.setPixelSize(22);
    name.setBold(true);
    painter.setFont(name);
    painter.setPen(Palette::color(Palette::Ink));
    const int left = 72;
    const int width = int(picture.deviceIndependentSize().width()) - left - 12;
    painter.drawText(QRect(left, 6, width, 30), Qt::AlignLeft | Qt::AlignBottom,
                     QStringLiteral("Discaveo"));
    QFont line = font();
    line.setPixelSize(12);
    painter.setFont(line);
    painter.setPen(Palette::color(Palette::InkLight));
    painter.drawText(
        QRect(left, 38, width, 18), Qt::AlignLeft | Qt::AlignTop,
        QFontMetrics(line).elidedText(tr("Put your videos on a disc"), Qt::ElideRight, width));
    return picture;
}

void BurnerWizard::setClipsFolder(const QString &folder)
{
    m_fileStep->setClipsFolder(folder);
}

void BurnerWizard::setAccount(const Account *account)
{
    m_burnStep->setAccount(account);
}

void BurnerWizard::showHelp()
{
    QDesktopServices::openUrl(
        SiteConfig::resolve(SiteConfig::productSiteUrl(), QStringLiteral("/help/pc")));
}

void BurnerWizard::pageChanged(int id)
{
    // While the tasks run there is no way back to the files.
    if (id == BurnPage)
        setButtonLayout({QWizard::Stretch, QWizard::HelpButton});
    else
        setButtonLayout(
            {QWizard::Stretch, QWizard::BackButton, QWizard::NextButton, QWizard::HelpButton});
}

void BurnerWizard::reject()
{
    if (currentId() == BurnPage) {
        if (!m_burnStep->validatePage())
            return;
        burnOver(false);
        return;
    }
    QWizard::reject();
}

void BurnerWizard::burnOver(bool written)
{
    const QString title = m_project->title();
    m_burnStep->cancelBurn();
    if (!m_project->removeTempDirectory())
        qCWarning(lcBurner).noquote()
            << "BurnerWizard::burnOver could not remove the temporary folder"
            << m_project->tempDirectory().absolutePath();
    QWizard::reject();
    // Ready for the next disc when it is opened again.
    restart();
    if (written)
        Q_EMIT burnFinished(title);
}
