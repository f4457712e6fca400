#pragma once

#include <QAccessible>
#include <QDBusVirtualObject>
#include <QPointer>
#include <QVariantMap>

// Qt 6.4 answers a "Properties.GetAll" call on the accessibility bus by
// reading a second argument that GetAll does not have, and crashes. Screen
// readers make that call, so this object takes the place of Qt's handler
// under "/org/a11y/atspi/accessible": it answers GetAll itself from the
// widgets' accessible interfaces and passes every other call on unchanged.
// It follows the accessibility bridge: whenever accessibility comes on, it
// takes its place again.
class AtSpiGetAllShim : public QDBusVirtualObject, public QAccessible::ActivationObserver
{
    Q_OBJECT

public:
    explicit AtSpiGetAllShim(QObject *parent = nullptr);
    ~AtSpiGetAllShim() override;

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;
    void accessibilityActiveChanged(bool active) override;

    // The properties of the accessible object at `path` for a GetAll on
    // `interface`; an invalid map (no "Name" for the accessible interface)
    // when the path names nothing.
    static QVariantMap properties(const QString &path, const QString &interface,
                                  const QString &service);

private:
    // Puts this object in front of Qt's handler once that is registered.
    void takeOver();

    QPointer<QDBusVirtualObject> m_inner;
    int m_attempts = 0;
};
