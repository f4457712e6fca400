#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class CorvLibSearchWidget;
}
class QLineEdit;

// The library's search box: a field with a clear button shown while it holds text.
class CorvLibSearchWidget : public QWidget
{
    Q_OBJECT

public:
    explicit CorvLibSearchWidget(QWidget *parent = nullptr);
    ~CorvLibSearchWidget() override;

    QLineEdit *lineEdit() const;
    QString text() const;
    // A compact field has a short placeholder ("Search") and room for it only.
    void setCompact(bool compact);

Q_SIGNALS:
    void textChanged(const QString &text);

public Q_SLOTS:
    void clear();
    void focusLinEdit();

private Q_SLOTS:
    void decideClearButtonVisibility(const QString &text);

private:
    std::unique_ptr<Ui::CorvLibSearchWidget> ui;
    bool m_compact = false;
};
