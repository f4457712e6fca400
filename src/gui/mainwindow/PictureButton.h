#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QMargins>
#include <QPixmap>

// A button drawn on one of our pictures, with its text drawn at run time from
// a translated string. The picture's ends (a rounded cap, a glyph, a switch's
// knob) keep their size and its plain middle stretches, so the button grows
// with its text; it is never narrower than the picture. A checkable button
// has a second look for its checked state (the TV switch: on and off).
class PictureButton : public QAbstractButton
{
    Q_OBJECT

public:
    struct Look
    {
        QString picture; // resource path of the 1x picture
        int leftCut = 0; // ends kept as drawn, in device-independent pixels
        int rightCut = 0;
        QMargins textMargins; // the part of the button the text keeps out of
        QColor textColor;
        QString text; // empty: the button's text()
    };

    explicit PictureButton(QWidget *parent = nullptr);

    void setLook(const Look &look);
    void setCheckedLook(const Look &look);

    // A compact button shows its picture's ends only (the glyph and the cap),
    // without its text, which stays its accessible name and tooltip.
    void setCompact(bool compact);
    bool isCompact() const { return m_compact; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    const Look &currentLook() const;
    QString textOf(const Look &look) const;
    int neededWidth(const Look &look) const;

    Look m_look;
    Look m_checkedLook;
    bool m_hasCheckedLook = false;
    bool m_compact = false;
    QPixmap m_pixmap;
    QPixmap m_checkedPixmap;
};
