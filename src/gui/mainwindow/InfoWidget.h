#pragma once

#include <QPixmap>
#include <QWidget>

class QLabel;

// The card shown over an empty page: a picture of shapes only, with a title
// and a line of text drawn over it from translated strings. The card is the
// picture's size, taller when the text needs it (its middle stretches).
class InfoWidget : public QWidget
{
    Q_OBJECT

public:
    explicit InfoWidget(QWidget *parent = nullptr);

    // Shows `pixmap` under `title` and `text`; the card takes the picture's
    // width. A screen reader reads the title and the text.
    void setPicture(const QPixmap &pixmap, const QString &title = QString(),
                    const QString &text = QString());
    // Shows the widget, on black when `dark`.
    void showPicture(bool dark);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void fitHeight();

    QLabel *m_title;
    QLabel *m_text;
    QPixmap m_picture;
    bool m_dark = false;
};
