#pragma once

#include <QAccessible>
#include <QPersistentModelIndex>
#include <QPointer>

#include <functional>

class QAbstractItemView;

// A button drawn on a painted item of a list, for screen readers: a child of
// the item's interface that a screen reader can press. Pressing it makes its
// item the current one and then, from the event loop, does what the page's
// pressed() gives (a press that asks a question must not hold up the screen
// reader's call). A page tells the button's texts, where it is drawn and
// whether it has the keyboard.
class ItemButtonAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    ItemButtonAccessible(QAbstractItemView *view, const QModelIndex &index);

    QAbstractItemView *itemView() const { return m_view; }
    QModelIndex index() const { return m_index; }

    void *interface_cast(QAccessible::InterfaceType type) override;
    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

protected:
    // True while the item's model row is the view's (a page may ask more).
    bool itemIsValid() const;
    // Where the button is drawn, in the view's viewport coordinates (empty
    // while it is not drawn; asked of a valid button only).
    virtual QRect buttonRect() const = 0;
    virtual bool hasKeyboardFocus() const = 0;
    // What a press does once its item is current, from the event loop (the
    // index is checked to be the view's still; the view outlives the call).
    virtual std::function<void(const QModelIndex &)> pressed() const = 0;

private:
    QPointer<QAbstractItemView> m_view;
    QPersistentModelIndex m_index;
};
