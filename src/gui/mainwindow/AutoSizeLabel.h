#pragma once

#include <QLabel>

// A one-line label that shows its text elided to whatever width it has (at
// the right, or where `mode` says) and never asks for more: a long title or
// file name does not widen the window around it. The whole text is its
// tooltip and accessible name.
class AutoSizeLabel : public QLabel
{
    Q_OBJECT

public:
    explicit AutoSizeLabel(QWidget *parent = nullptr, Qt::TextElideMode mode = Qt::ElideRight);

    QString fullText() const { return m_fullText; }
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void setText(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();

    Qt::TextElideMode m_mode;
    QString m_fullText;
};
