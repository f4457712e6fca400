#include "gui/common/ItemChangeNotices.h"

#include "gui/common/ItemAccessible.h"

#include <QAbstractItemView>

#include <limits>

namespace {

ItemChangeNotices::Listener &listener()
{
    static ItemChangeNotices::Listener listening;
    return listening;
}

} // namespace

ItemChangeNotices::ItemChangeNotices(QAbstractItemView *view, Lookup handedOut, int intervalMs)
    : m_view(view), m_handedOut(std::move(handedOut)), m_interval(qMax(0, intervalMs))
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ItemChangeNotices::tellWaiting);
}

void ItemChangeNotices::watchModel()
{
    // The list's interface may be made before its view has a model (a
    // widget's constructor that names it asks for it), and a view may
    // change its model.
    QAbstractItemModel *model = m_view->model();
    if (model == m_model)
        return;
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    if (model)
        connect(model, &QAbstractItemModel::dataChanged, this, &ItemChangeNotices::changed);
}

void ItemChangeNotices::setListener(Listener listening)
{
    listener() = std::move(listening);
}

bool ItemChangeNotices::anyoneListens()
{
    return QAccessible::isActive() || listener();
}

void ItemChangeNotices::send(QAccessibleEvent *event)
{
    QAccessible::updateAccessibility(event);
    if (listener())
        listener()(event);
}

void ItemChangeNotices::handedOut(QAccessible::Id id, const ItemAccessible *item)
{
    watchModel();
    Told &told = m_told[id];
    told = Told();
    told.name = item->text(QAccessible::Name);
    told.description = item->text(QAccessible::Description);
    told.buttons = item->shownButtons();
}

void ItemChangeNotices::forgetAll()
{
    m_told.clear();
    m_timer.stop();
}

void ItemChangeNotices::changed(const QModelIndex &from, const QModelIndex &to)
{
    if (!anyoneListens() || !from.isValid() || !to.isValid() ||
        from.parent() != m_view->rootIndex())
        return;
    for (int row = from.row(); row <= to.row(); ++row) {
        ItemAccessible *item = m_handedOut(row);
        if (!item)
            continue;
        const QAccessible::Id id = QAccessible::uniqueId(item);
        const auto found = m_told.find(id);
        if (found == m_told.end()) {
            handedOut(id, item);
            continue;
        }
        Told &told = *found;
        if (item->text(QAccessible::Name) != told.name || item->shownButtons() != told.buttons) {
            tell(item, told);
        } else if (item->text(QAccessible::Description) != told.description) {
            if (told.at < 0 || m_clock.elapsed() - told.at >= m_interval)
                tell(item, told);
            else
                told.waiting = true;
        }
    }
    scheduleWaiting();
}

void ItemChangeNotices::tell(ItemAccessible *item, Told &told)
{
    const QString name = item->text(QAccessible::Name);
    const QString description = item->text(QAccessible::Description);
    const QList<int> buttons = item->shownButtons();
    told.at = m_clock.elapsed();
    told.waiting = false;
    if (name != told.name) {
        told.name = name;
        QAccessibleEvent event(item, QAccessible::NameChanged);
        send(&event);
    }
    if (description != told.description) {
        told.description = description;
        QAccessibleEvent event(item, QAccessible::DescriptionChanged);
        send(&event);
    }
    if (buttons != told.buttons) {
        told.buttons = buttons;
        QAccessibleEvent event(item, QAccessible::ObjectReorder);
        send(&event);
    }
}

void ItemChangeNotices::tellWaiting()
{
    const qint64 now = m_clock.elapsed();
    for (auto it = m_told.begin(); it != m_told.end();) {
        auto *item = dynamic_cast<ItemAccessible *>(QAccessible::accessibleInterface(it.key()));
        if (!item) {
            it = m_told.erase(it);
            continue;
        }
        if (it->waiting && now - it->at >= m_interval) {
            if (item->isValid() && anyoneListens())
                tell(item, *it);
            it->waiting = false;
        }
        ++it;
    }
    scheduleWaiting();
}

void ItemChangeNotices::scheduleWaiting()
{
    qint64 next = std::numeric_limits<qint64>::max();
    for (const Told &told : std::as_const(m_told)) {
        if (told.waiting)
            next = qMin(next, told.at + m_interval);
    }
    if (next == std::numeric_limits<qint64>::max()) {
        m_timer.stop();
        return;
    }
    m_timer.start(int(qMax<qint64>(0, next - m_clock.elapsed())));
}
