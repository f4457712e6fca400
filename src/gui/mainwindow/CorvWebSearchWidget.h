#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class CorvWebSearchWidget;
}
class CorvSearchLineEdit;

// The site search box of the web page: the search field with its search
// button laid over its right end.
class CorvWebSearchWidget : public QWidget
{
    Q_OBJECT

public:
    explicit CorvWebSearchWidget(QWidget *parent = nullptr);
    ~CorvWebSearchWidget() override;

    CorvSearchLineEdit *lineEdit() const;
    // Puts `text` into the field and searches for it.
    void setSearchText(const QString &text);
    void setPlaceholderText(const QString &text);

Q_SIGNALS:
    void signalReturnStringSearch(const QString &text);

private Q_SLOTS:
    void slotPushButtonRelease();
    void slotPushButtonPressed();

private:
    std::unique_ptr<Ui::CorvWebSearchWidget> ui;
};
