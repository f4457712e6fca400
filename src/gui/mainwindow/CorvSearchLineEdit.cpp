#include "gui/mainwindow/CorvSearchLineEdit.h"

#include "web/Suggestions.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QStringListModel>

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
    // Return on the suggestion list reaches the field first and then chooses
    // the suggestion; the choice makes the search.
    const QAbstractItemView *popup = m_completer->popup();
    if (popup->isVisible() && popup->currentIndex().isValid())
        return;
    search();
}

void CorvSearchLineEdit::slotPushButtonRelease()
{
    search();
}

void CorvSearchLineEdit::completerActivated(const QString &text)
{
    setText(text);
    search();
}
