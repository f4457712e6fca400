#include "gui/burner/DiscSetupDialog.h"

#include "burner/LibburnDeviceController.h"
#include "gui/burner/RecorderComboBox.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

DiscSetupDialog::DiscSetupDialog(DeviceController *controller, QWidget *parent)
    : QDialog(parent), m_controller(controller), m_recorders(new RecorderComboBox(this)),
      m_status(new QLabel(tr("Waiting for a disc to be inserted..."), this)),
      m_burnButton(new QPushButton(tr("Burn"), this)), m_pollTimer(new QTimer(this))
{
    m_recorders->setObjectName(QStringLiteral("recorders"));
    m_recorders->setAccessibleName(tr("Recorder"));
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setAccessibleName(tr("Disc status"));
    m_burnButton->setObjectName(QStringLiteral("burnButton"));
    m_burnButton->setAccessibleName(tr("Burn disc"));
    m_burnButton->setEnabled(false);
    auto *ejectButton = new QPushButton(tr("Eject"), this);
    ejectButton->setObjectName(QStringLiteral("ejectButton"));
    ejectButton->setAccessibleName(tr("Eject disc"));
    auto *imageButton = new QPushButton(tr("Image File..."), this);
    imageButton->setObjectName(QStringLiteral("imageFileButton"));
    imageButton->setAccessibleName(tr("Write to an image file"));
    imageButton->setVisible(qobject_cast<LibburnDeviceController *>(controller) != nullptr);
    auto *cancelButton = new QPushButton(tr("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setAccessibleName(tr("Cancel disc setup"));

    auto *recorderRow = new QHBoxLayout;
    recorderRow->addWidget(new QLabel(tr("Burn Disc In:"), this));
    recorderRow->addWidget(m_recorders, 1);
    recorderRow->addWidget(imageButton);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ejectButton);
    buttons->addStretch();
    buttons->addWidget(m_burnButton);
    buttons->addWidget(cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(recorderRow);
    layout->addWidget(m_status);
    layout->addLayout(buttons);

    m_pollTimer->setInterval(DefaultPollIntervalMs);
    connect(m_pollTimer, &QTimer::timeout, this, &DiscSetupDialog::checkForDisc);
    connect(m_burnButton, &QPushButton::clicked, this, &DiscSetupDialog::burnPressed);
    connect(ejectButton, &QPushButton::clicked, this, &DiscSetupDialog::ejectPressed);
    connect(imageButton, &QPushButton::clicked, this, &DiscSetupDialog::chooseImageFile);
    connect(cancelButton, &QPushButton::clicked, this, &DiscSetupDialog::reject);
}

DeviceController::DiscSetup DiscSetupDialog::discSetup(QWidget *parent)
{
    return [parent](DeviceController &controller) {
        DiscSetupDialog dialog(&controller, parent);
        return dialog.exec() == QDialog::Accepted;
    };
}

void DiscSetupDialog::setPollInterval(int ms)
{
    m_pollTimer->setInterval(ms);
}

void DiscSetupDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_pollTimer->start();
}

void DiscSetupDialog::checkForDisc()
{
    if (!m_controller)
        return;
    if (!m_devicesLoaded)
        loadDevices();
    if (!m_devicesLoaded)
        return;
    const QString recorder = m_recorders->currentRecorder();
    if (!m_controller->isCurrentMediaValid(recorder)) {
        m_status->setText(tr("Please insert a valid disc"));
    } else if (!m_controller->isCurrentMediaWritable(recorder)) {
        m_status->setText(tr("The current disc is not writable"));
    } else {
        m_pollTimer->stop();
        m_status->setText(tr("Ready to burn."));
        m_burnButton->setEnabled(true);
    }
}

void DiscSetupDialog::loadDevices()
{
    const QStringList devices = m_controller->devices();
    m_recorders->setRecorders(devices);
    m_devicesLoaded = !devices.isEmpty();
}

void DiscSetupDialog::chooseImageFile()
{
    const QString path =
        QFileDialog::getSaveFileName(this, tr("Write to Image File"), QDir::homePath(),
                                     tr("Disc Images (*.iso *.bin);;All Files (*)"));
    if (path.isEmpty() || addImageFile(path))
        return;
    QMessageBox::warning(this, tr("Write to Image File"),
                         tr("The disc image cannot be written to %1. Choose a file in a folder "
                            "you can write to.")
                             .arg(QDir::toNativeSeparators(path)));
}

bool DiscSetupDialog::addImageFile(const QString &path)
{
    auto *libburn = qobject_cast<LibburnDeviceController *>(m_controller.data());
    if (!libburn || path.isEmpty())
        return false;
    const QString address = QStringLiteral("stdio:") + QFileInfo(path).absoluteFilePath();
    libburn->addPseudoDrive(address);
    // Nothing may stay chosen but the file just picked: until it shows as
    // ready, Burn waits.
    m_burnButton->setEnabled(false);
    m_status->setText(tr("Waiting for a disc to be inserted..."));
    m_devicesLoaded = false;
    loadDevices();
    if (!m_recorders->selectRecorder(address)) {
        libburn->removePseudoDrive(address);
        m_devicesLoaded = false;
        loadDevices();
        return false; // logged by the controller
    }
    m_pollTimer->start();
    checkForDisc();
    return true;
}

void DiscSetupDialog::burnPressed()
{
    if (!m_controller)
        return;
    m_recorderName = m_recorders->currentRecorder();
    const QStringList speeds = m_controller->writeSpeeds(m_recorderName);
    m_writeSpeed = speeds.isEmpty() ? QStringLiteral("0") : speeds.last();
    m_controller->setRecorder(m_recorderName, m_writeSpeed);
    accept();
}

void DiscSetupDialog::ejectPressed()
{
    if (m_controller && m_devicesLoaded)
        m_controller->ejectDisc(m_recorders->currentRecorder());
    m_burnButton->setEnabled(false);
    m_status->setText(tr("Waiting for a disc to be inserted..."));
    m_pollTimer->start();
}
