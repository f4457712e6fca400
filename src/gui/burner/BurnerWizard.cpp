#include "gui/burner/BurnerWizard.h"

#include "core/SiteConfig.h"
#include "gui/burner/FileStep.h"

#include <QAbstractButton>
#include <QDesktopServices>

BurnerWizard::BurnerWizard(Project *project, QWidget *parent)
    : QWizard(parent), m_fileStep(new FileStep(project, this))
{
    setWindowTitle(tr("Discaveo"));
    setFixedSize(655, 480);
    setWizardStyle(QWizard::ModernStyle);
    setOptions(QWizard::NoBackButtonOnStartPage | QWizard::HaveHelpButton |
               QWizard::NoCancelButton | QWizard::HelpButtonOnRight);
    setButtonText(QWizard::BackButton, tr("Back"));
    setButtonText(QWizard::NextButton, tr("Next"));
    button(QWizard::FinishButton)->hide();
    setPage(FilePage, m_fileStep);
    connect(this, &QWizard::helpRequested, this, &BurnerWizard::showHelp);
}

void BurnerWizard::showHelp()
{
    QDesktopServices::openUrl(
        SiteConfig::resolve(SiteConfig::productSiteUrl(), QStringLiteral("/help/pc")));
}
