#include "tv/DidlCache.h"

#include <QMutexLocker>

QByteArray DidlCache::find(const QString &objectId, quint64 revision, const QString &context) const
{
    QMutexLocker locker(&m_lock);
    const auto found = m_items.constFind(objectId);
    if (found == m_items.constEnd() || found->revision != revision || found->context != context)
        return QByteArray();
    return found->item;
}

void DidlCache::keep(const QString &objectId, quint64 revision, const QString &context,
                     const QByteArray &item)
{
    QMutexLocker locker(&m_lock);
    if (m_items.size() >= maxItems && !m_items.contains(objectId))
        m_items.clear();
    m_items.insert(objectId, {revision, context, item});
}

void DidlCache::clear()
{
    QMutexLocker locker(&m_lock);
    m_items.clear();
}

qsizetype DidlCache::count() const
{
    QMutexLocker locker(&m_lock);
    return m_items.size();
}
