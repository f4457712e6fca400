#pragma once

#include <QDBusConnection>
#include <QRect>
#include <QString>
#include <QVariantMap>

// Reads a running program's widgets the way a screen reader does: over the
// accessibility bus (AT-SPI), which Qt serves when accessibility is on.
class AtSpiClient
{
public:
    struct Node
    {
        QString service;
        QString path;
        bool isNull() const { return service.isEmpty() || path.endsWith(QLatin1String("/null")); }
    };

    AtSpiClient();
    ~AtSpiClient();

    // Connects to the accessibility bus of the session; false when there is none.
    bool open();
    // The root of the application registered under `name` (null when not there yet).
    Node application(const QString &name);

    QString name(const Node &node);
    QString role(const Node &node);
    int childCount(const Node &node);
    Node child(const Node &node, int index);
    // Screen rectangle.
    QRect extents(const Node &node);
    bool isShowing(const Node &node);
    bool isSelected(const Node &node);
    bool isEnabled(const Node &node);
    // Rows of a table or list, and one of their cells.
    int rowCount(const Node &node);
    Node cell(const Node &node, int row, int column = 0);
    // The text of a text field.
    QString text(const Node &node);
    // Every property of one interface in one call, as screen readers read
    // them (empty when the call fails); "Parent" comes back as a Node.
    QVariantMap
    allProperties(const Node &node,
                  const QString &interface = QStringLiteral("org.a11y.atspi.Accessible"));

    // The first showing descendant with this role (any, when empty) whose name is `name` (or
    // starts with it when `prefix`); lists, tables and trees are only entered
    // when they are `root` itself.
    Node find(const Node &root, const QString &role, const QString &name, bool prefix = false);

private:
    QVariant property(const Node &node, const QString &interface, const QString &name);
    QDBusMessage call(const Node &node, const QString &interface, const QString &method,
                      const QVariantList &arguments = {});

    QDBusConnection m_bus;
};
