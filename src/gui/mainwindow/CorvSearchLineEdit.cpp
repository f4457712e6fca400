#include "gui/mainwindow/CorvSearchLineEdit.h"

#include "web/Suggestions.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QStringListModel>
#include <QTimer>

CorvSearchLineEdit::CorvSearchLineEdit(QWidget *parent, QAbstractItemModel *suggestions)
    : QLineEdit(parent),
      m_completer(new QCompleter(suggestions ? suggestions : Suggestions::model(), this))
{
    connect(this, &QLineEdit::returnPressed, this, &CorvSearchLineEdit::slotReturnPressed);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setCompletionMode(QCompleter::PopupCompletion);
    setCompleter(m_completer);
    connect(m_completer, qOverload<const QString &>(&QCompleter::activated), this,
            &CorvSearchLineEdit::completerActivated);
}

void CorvSearchLineEdit::search()
{
    const QString text = this->text();
    setFocus();
    if (!text.isEmpty())
        Q_EMIT signalReturnSearchString(text);
}

void CorvSearchLineEdit::slotReturnPressed()
{
    // Return on the popup both activates the suggestion and reaches the
    // field; the suggestion's search is the one that counts.
    if (m_completing)
        return;
    search();
}

void CorvSearchLineEdit::slotPushButtonRelease()
{
    search();
}

void CorvSearchLineEdit::completerActivated(const QString &text)
{
    // The Return that chose the suggestion reaches the field right after;
    // it must not search a second time.
    m_completing = true;
    setText(text);
    search();
    QTimer::singleShot(0, this, [this] { m_completing = false; });
}
