#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>

// The DIDL-Lite items written for files, kept beside the media tree so that
// a large folder's answer is written once per change and client. An item
// counts only for the node's revision it was written for (every change of a
// node takes a new one) and for the same context (client, addresses, port,
// filter). Any thread.
class DidlCache
{
public:
    // Beyond this many items the cache starts afresh.
    static constexpr qsizetype maxItems = 50000;

    // The item, or empty when none was kept for this revision and context.
    QByteArray find(const QString &objectId, quint64 revision, const QString &context) const;
    void keep(const QString &objectId, quint64 revision, const QString &context,
              const QByteArray &item);
    void clear();
    qsizetype count() const;

private:
    struct Item
    {
        quint64 revision = 0;
        QString context;
        QByteArray item; // escaped for the SOAP envelope, UTF-8
    };
    mutable QMutex m_lock;
    QHash<QString, Item> m_items;
};
