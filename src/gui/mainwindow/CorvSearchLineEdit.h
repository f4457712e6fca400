#pragma once

#include <QLineEdit>

class QAbstractItemModel;
class QCompleter;

// The site search field: completes from the search suggestions and emits the
// text once per search (Return, the search button or a chosen suggestion).
class CorvSearchLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    // `suggestions` defaults to the program's suggestion list.
    explicit CorvSearchLineEdit(QWidget *parent = nullptr, QAbstractItemModel *suggestions = nullptr);

    QCompleter *suggestionCompleter() const { return m_completer; }

Q_SIGNALS:
    void signalReturnSearchString(const QString &text);

public Q_SLOTS:
    void slotPushButtonRelease();

private Q_SLOTS:
    void slotReturnPressed();
    void completerActivated(const QString &text);

private:
    void search();

    QCompleter *m_completer;
};
