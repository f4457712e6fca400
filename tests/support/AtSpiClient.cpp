#include "AtSpiClient.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QQueue>

namespace {

const QString accessible = QStringLiteral("org.a11y.atspi.Accessible");
const QString busName = QStringLiteral("atspi-client");

AtSpiClient::Node nodeFrom(const QVariant &value)
{
    AtSpiClient::Node node;
    const QDBusArgument argument = value.value<QDBusArgument>();
    argument.beginStructure();
    QDBusObjectPath path;
    argument >> node.service >> path;
    argument.endStructure();
    node.path = path.path();
    return node;
}

// Bit of a state in the two-word state set.
bool hasState(const QDBusMessage &reply, int state)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    QList<uint> words;
    reply.arguments().first().value<QDBusArgument>() >> words;
    return words.size() > state / 32 && (words[state / 32] & (1u << (state % 32)));
}

} // namespace

AtSpiClient::AtSpiClient() : m_bus(QString()) {}

AtSpiClient::~AtSpiClient()
{
    QDBusConnection::disconnectFromBus(busName);
}

bool AtSpiClient::open()
{
    const QDBusMessage reply = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
        QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    m_bus = QDBusConnection::connectToBus(reply.arguments().first().toString(), busName);
    return m_bus.isConnected();
}

QDBusMessage AtSpiClient::call(const Node &node, const QString &interface, const QString &method,
                               const QVariantList &arguments)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(node.service, node.path, interface, method);
    message.setArguments(arguments);
    return m_bus.call(message, QDBus::Block, 5000);
}

QVariant AtSpiClient::property(const Node &node, const QString &interface, const QString &name)
{
    const QDBusMessage reply = call(node, QStringLiteral("org.freedesktop.DBus.Properties"),
                                    QStringLiteral("Get"), {interface, name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

AtSpiClient::Node AtSpiClient::application(const QString &name)
{
    const Node registry{QStringLiteral("org.a11y.atspi.Registry"),
                        QStringLiteral("/org/a11y/atspi/accessible/root")};
    for (int i = 0, count = childCount(registry); i < count; ++i) {
        const Node app = child(registry, i);
        if (!app.isNull() && this->name(app) == name)
            return app;
    }
    return {};
}

QString AtSpiClient::name(const Node &node)
{
    return property(node, accessible, QStringLiteral("Name")).toString();
}

QString AtSpiClient::role(const Node &node)
{
    const QDBusMessage reply = call(node, accessible, QStringLiteral("GetRoleName"));
    return reply.arguments().value(0).toString();
}

int AtSpiClient::childCount(const Node &node)
{
    return property(node, accessible, QStringLiteral("ChildCount")).toInt();
}

AtSpiClient::Node AtSpiClient::child(const Node &node, int index)
{
    const QDBusMessage reply = call(node, accessible, QStringLiteral("GetChildAtIndex"), {index});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return nodeFrom(reply.arguments().first());
}

QRect AtSpiClient::extents(const Node &node)
{
    const QDBusMessage reply = call(node, QStringLiteral("org.a11y.atspi.Component"),
                                    QStringLiteral("GetExtents"), {uint(0)});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    int x = 0, y = 0, width = 0, height = 0;
    const QDBusArgument argument = reply.arguments().first().value<QDBusArgument>();
    argument.beginStructure();
    argument >> x >> y >> width >> height;
    argument.endStructure();
    return QRect(x, y, width, height);
}

bool AtSpiClient::isShowing(const Node &node)
{
    return hasState(call(node, accessible, QStringLiteral("GetState")), 25);
}

bool AtSpiClient::isSelected(const Node &node)
{
    return hasState(call(node, accessible, QStringLiteral("GetState")), 23);
}

bool AtSpiClient::isEnabled(const Node &node)
{
    return hasState(call(node, accessible, QStringLiteral("GetState")), 8);
}

int AtSpiClient::rowCount(const Node &node)
{
    return property(node, QStringLiteral("org.a11y.atspi.Table"), QStringLiteral("NRows")).toInt();
}

AtSpiClient::Node AtSpiClient::cell(const Node &node, int row, int column)
{
    const QDBusMessage reply = call(node, QStringLiteral("org.a11y.atspi.Table"),
                                    QStringLiteral("GetAccessibleAt"), {row, column});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return nodeFrom(reply.arguments().first());
}

QString AtSpiClient::text(const Node &node)
{
    const QDBusMessage reply =
        call(node, QStringLiteral("org.a11y.atspi.Text"), QStringLiteral("GetText"), {0, -1});
    return reply.arguments().value(0).toString();
}

QVariantMap AtSpiClient::allProperties(const Node &node, const QString &interface)
{
    const QDBusMessage reply = call(node, QStringLiteral("org.freedesktop.DBus.Properties"),
                                    QStringLiteral("GetAll"), {interface});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    QVariantMap properties = qdbus_cast<QVariantMap>(reply.arguments().first());
    if (properties.contains(QStringLiteral("Parent")))
        properties[QStringLiteral("Parent")] =
            QVariant::fromValue(nodeFrom(properties.value(QStringLiteral("Parent"))));
    return properties;
}

AtSpiClient::Node AtSpiClient::find(const Node &root, const QString &role, const QString &name,
                                    bool prefix)
{
    static const QStringList collections{QStringLiteral("list"), QStringLiteral("table"),
                                         QStringLiteral("tree"), QStringLiteral("tree table")};
    QQueue<Node> queue;
    queue.enqueue(root);
    while (!queue.isEmpty()) {
        const Node node = queue.dequeue();
        const QString nodeRole = this->role(node);
        if (role.isEmpty() || nodeRole == role) {
            const QString nodeName = this->name(node);
            if ((prefix ? nodeName.startsWith(name) : nodeName == name) && isShowing(node))
                return node;
        }
        if (collections.contains(nodeRole) && node.path != root.path)
            continue;
        for (int i = 0, count = childCount(node); i < count; ++i) {
            const Node next = child(node, i);
            if (!next.isNull())
                queue.enqueue(next);
        }
    }
    return {};
}
