#include "app/AtSpiGetAllShim.h"

#include "core/Logging.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QLocale>
#include <QTimer>

namespace {

const QString connectionName = QStringLiteral("a11y"); // the name Qt's bridge connects under
const QString accessiblePath = QStringLiteral("/org/a11y/atspi/accessible");
const QString rootPath = QStringLiteral("/org/a11y/atspi/accessible/root");
const QString nullPath = QStringLiteral("/org/a11y/atspi/null");
const QString accessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");
const QString applicationInterface = QStringLiteral("org.a11y.atspi.Application");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr int retryMs = 100;
constexpr int maxAttempts = 100;

// An AT-SPI object reference, "(so)" on the bus.
struct ObjectReference
{
    QString service;
    QDBusObjectPath path;
};

QDBusArgument &operator<<(QDBusArgument &argument, const ObjectReference &reference)
{
    argument.beginStructure();
    argument << reference.service << reference.path;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, ObjectReference &reference)
{
    argument.beginStructure();
    argument >> reference.service >> reference.path;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(ObjectReference)

namespace {

QAccessibleInterface *interfaceAt(const QString &path)
{
    if (path == rootPath)
        return QAccessible::queryAccessibleInterface(qApp);
    if (!path.startsWith(accessiblePath + QLatin1Char('/')))
        return nullptr;
    bool ok = false;
    const uint id = QStringView(path).mid(accessiblePath.size() + 1).toUInt(&ok);
    QAccessibleInterface *interface = ok ? QAccessible::accessibleInterface(id) : nullptr;
    return interface && interface->isValid() ? interface : nullptr;
}

QString pathOf(QAccessibleInterface *interface)
{
    if (!interface || !interface->isValid())
        return nullPath;
    if (interface->role() == QAccessible::Application)
        return rootPath;
    return accessiblePath + QLatin1Char('/') + QString::number(QAccessible::uniqueId(interface));
}

QVariant reference(const QString &service, const QString &path)
{
    return QVariant::fromValue(ObjectReference{service, QDBusObjectPath(path)});
}

} // namespace

AtSpiGetAllShim::AtSpiGetAllShim(QObject *parent) : QDBusVirtualObject(parent)
{
    qDBusRegisterMetaType<ObjectReference>();
    QAccessible::installActivationObserver(this);
    if (QAccessible::isActive())
        accessibilityActiveChanged(true);
}

AtSpiGetAllShim::~AtSpiGetAllShim()
{
    QAccessible::removeActivationObserver(this);
    QDBusConnection bus(connectionName);
    if (m_inner && bus.objectRegisteredAt(accessiblePath) == this) {
        bus.unregisterObject(accessiblePath);
        bus.registerVirtualObject(accessiblePath, m_inner, QDBusConnection::SubPath);
    }
}

void AtSpiGetAllShim::accessibilityActiveChanged(bool active)
{
    if (!active)
        return;
    // The bridge registers its handler right after telling us, or once its
    // bus is connected: look again shortly.
    m_attempts = 0;
    QTimer::singleShot(0, this, &AtSpiGetAllShim::takeOver);
}

void AtSpiGetAllShim::takeOver()
{
    QDBusConnection bus(connectionName);
    QObject *current = bus.isConnected() ? bus.objectRegisteredAt(accessiblePath) : nullptr;
    if (current == this)
        return;
    auto *inner = qobject_cast<QDBusVirtualObject *>(current);
    if (!inner) {
        if (++m_attempts < maxAttempts)
            QTimer::singleShot(retryMs, this, &AtSpiGetAllShim::takeOver);
        return;
    }
    bus.unregisterObject(accessiblePath);
    if (!bus.registerVirtualObject(accessiblePath, this, QDBusConnection::SubPath)) {
        bus.registerVirtualObject(accessiblePath, inner, QDBusConnection::SubPath);
        qCWarning(lcGui) << "Accessibility: could not guard GetAll";
        return;
    }
    m_inner = inner;
}

QString AtSpiGetAllShim::introspect(const QString &path) const
{
    return m_inner ? m_inner->introspect(path) : QString();
}

bool AtSpiGetAllShim::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    if (message.interface() != propertiesInterface || message.member() != QLatin1String("GetAll"))
        return m_inner && m_inner->handleMessage(message, connection);
    const QString interface = message.arguments().value(0).toString();
    const QVariantMap answer = properties(message.path(), interface, connection.baseService());
    if (answer.isEmpty()) {
        connection.send(message.createErrorReply(
            QDBusError::UnknownInterface,
            QStringLiteral("No properties of %1 at %2").arg(interface, message.path())));
        return true;
    }
    connection.send(message.createReply(QVariant::fromValue(answer)));
    return true;
}

QVariantMap AtSpiGetAllShim::properties(const QString &path, const QString &interface,
                                        const QString &service)
{
    QAccessibleInterface *object = interfaceAt(path);
    if (!object)
        return {};
    if (interface == applicationInterface && object->role() == QAccessible::Application) {
        return {{QStringLiteral("ToolkitName"), QStringLiteral("Qt")},
                {QStringLiteral("Version"), QString::fromLatin1(qVersion())},
                {QStringLiteral("AtspiVersion"), QStringLiteral("2.1")}};
    }
    if (interface == QLatin1String("org.a11y.atspi.Table") && object->tableInterface()) {
        return {{QStringLiteral("NRows"), object->tableInterface()->rowCount()},
                {QStringLiteral("NColumns"), object->tableInterface()->columnCount()}};
    }
    if (interface == QLatin1String("org.a11y.atspi.Text") && object->textInterface()) {
        return {{QStringLiteral("CharacterCount"), object->textInterface()->characterCount()},
                {QStringLiteral("CaretOffset"), object->textInterface()->cursorPosition()}};
    }
    if (interface == QLatin1String("org.a11y.atspi.Value") && object->valueInterface()) {
        QAccessibleValueInterface *value = object->valueInterface();
        return {{QStringLiteral("CurrentValue"), value->currentValue().toDouble()},
                {QStringLiteral("MinimumValue"), value->minimumValue().toDouble()},
                {QStringLiteral("MaximumValue"), value->maximumValue().toDouble()},
                {QStringLiteral("MinimumIncrement"), value->minimumStepSize().toDouble()}};
    }
    if (!interface.isEmpty() && interface != accessibleInterface)
        return {};
    QAccessibleInterface *parent = object->parent();
    QVariant parentReference;
    if (object->role() == QAccessible::Application)
        parentReference = reference(QStringLiteral("org.a11y.atspi.Registry"), rootPath);
    else
        parentReference = reference(service, pathOf(parent));
    return {{QStringLiteral("Name"), object->text(QAccessible::Name)},
            {QStringLiteral("Description"), object->text(QAccessible::Description)},
            {QStringLiteral("Parent"), parentReference},
            {QStringLiteral("ChildCount"), object->childCount()},
            {QStringLiteral("Locale"), QLocale().name()}};
}
