#pragma once

#include <QList>
#include <QObject>
#include <QSharedPointer>

class QUdpSocket;
class UpnpDeviceHost;

// Hosts root devices: starts and stops them and, in multicast mode, listens
// on the SSDP group and hands every datagram to the devices.
class UpnpEngine : public QObject
{
    Q_OBJECT

public:
    // Without SSDP the devices serve HTTP only and announce nothing (tests
    // on the host's loopback).
    enum Mode
    {
        Multicast,
        NoSsdp
    };

    explicit UpnpEngine(quint16 port = 1900, Mode mode = Multicast, QObject *parent = nullptr);
    ~UpnpEngine() override;

    bool start();
    // Waits until every device's answers have ended.
    void stop();
    // Returns at once: the devices finish their answers in the background.
    void stopInBackground();
    bool isRunning() const { return m_running; }

    // A device added while running is started at once.
    void addDevice(const QSharedPointer<UpnpDeviceHost> &device);
    void removeDevice(const QSharedPointer<UpnpDeviceHost> &device);
    QList<QSharedPointer<UpnpDeviceHost>> devices() const { return m_devices; }

private:
    void readPendingDatagrams();
    void closeSocket();
    // The number of interfaces joined.
    int joinOnEveryInterface();

    quint16 m_port;
    Mode m_mode;
    bool m_running = false;
    QUdpSocket *m_socket = nullptr;
    QList<QSharedPointer<UpnpDeviceHost>> m_devices;
};
