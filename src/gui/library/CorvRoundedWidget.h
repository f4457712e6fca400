#pragma once

#include <QPixmap>
#include <QWidget>

// Draws a picture with its left corners rounded.
class CorvRoundedWidget : public QWidget
{
    Q_OBJECT

public:
    explicit CorvRoundedWidget(QWidget *parent = nullptr);

    void setPixmap(const QPixmap &pixmap);
    QPixmap pixmap() const { return m_pixmap; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_pixmap;
};
