#pragma once

#include "burner/DeviceController.h"

#include <QDialog>
#include <QPointer>

class RecorderComboBox;
class QLabel;
class QPushButton;
class QTimer;

// Asks for a recorder and waits, polling, for a writable disc in it. Burn
// hands the recorder and its fastest write speed to the controller.
class DiscSetupDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int DefaultPollIntervalMs = 500;

    explicit DiscSetupDialog(DeviceController *controller, QWidget *parent = nullptr);

    // The controller's disc setup step as this dialog, run modally.
    static DeviceController::DiscSetup discSetup(QWidget *parent);

    void setPollInterval(int ms);
    QString recorderName() const { return m_recorderName; }
    QString writeSpeed() const { return m_writeSpeed; }

public Q_SLOTS:
    void checkForDisc();
    void burnPressed();
    void ejectPressed();
    void chooseImageFile();
    // Offers an image file as a recorder and picks it; false (and nothing
    // else chosen) when the controller cannot write into that file.
    bool addImageFile(const QString &path);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void loadDevices();

    QPointer<DeviceController> m_controller;
    RecorderComboBox *m_recorders = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_burnButton = nullptr;
    QTimer *m_pollTimer = nullptr;
    QString m_recorderName;
    QString m_writeSpeed;
    bool m_devicesLoaded = false;
};
