#pragma once

#include <QWidget>

class QLabel;

// A centred picture shown over an empty page.
class InfoWidget : public QWidget
{
    Q_OBJECT

public:
    explicit InfoWidget(QWidget *parent = nullptr);

    // Shows `pixmap` and takes its size; `description` is what a screen reader says.
    void setPicture(const QPixmap &pixmap, const QString &description = QString());
    // Shows the widget, on black when `dark`.
    void showPicture(bool dark);

private:
    QLabel *m_label;
};
