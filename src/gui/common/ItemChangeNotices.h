#pragma once

#include <QAccessible>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class ItemAccessible;
class QAbstractItemView;
class QAbstractItemModel;
class QModelIndex;

// Tells screen readers when a painted item they were handed changes what it
// says: NameChanged for its name, DescriptionChanged for its description,
// ObjectReorder when its buttons changed (Pause became Resume). A change of
// the name or the buttons is told at once; a change of the description
// alone (a transfer's progress, several a second) at most once per
// interval per item, the last one always, once the interval has passed.
class ItemChangeNotices : public QObject
{
    Q_OBJECT

public:
    // The item handed out for a row, or nullptr when a screen reader was
    // given none.
    using Lookup = std::function<ItemAccessible *(int row)>;

    // Watches the model the view has when an item is handed out.
    ItemChangeNotices(QAbstractItemView *view, Lookup handedOut, int intervalMs);

    int interval() const { return m_interval; }

    // Someone besides the platform's screen reader bridge who hears every
    // notice (nobody by default). The framework passes notices on only while
    // a screen reader is active, so without one they are not even made.
    using Listener = std::function<void(QAccessibleEvent *)>;
    static void setListener(Listener listener);

    // A screen reader was just given `item`: what it says now is what it heard.
    void handedOut(QAccessible::Id id, const ItemAccessible *item);
    // The items handed out are gone.
    void forgetAll();

private:
    struct Told
    {
        QString name;
        QString description;
        QList<int> buttons;
        qint64 at = -1; // on m_clock, when last told
        bool waiting = false;
    };

    static bool anyoneListens();
    static void send(QAccessibleEvent *event);
    void watchModel();
    void changed(const QModelIndex &from, const QModelIndex &to);
    void tell(ItemAccessible *item, Told &told);
    void tellWaiting();
    void scheduleWaiting();

    QAbstractItemView *m_view;
    QPointer<QAbstractItemModel> m_model;
    Lookup m_handedOut;
    int m_interval;
    QHash<QAccessible::Id, Told> m_told;
    QElapsedTimer m_clock;
    QTimer m_timer;
};
