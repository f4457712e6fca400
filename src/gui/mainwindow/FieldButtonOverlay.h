#pragma once

#include <QObject>

class QAbstractButton;
class QLineEdit;

// Lays a button over the right end of a line edit and keeps it there; the
// field's style sheet leaves padding for it.
class FieldButtonOverlay : public QObject
{
    Q_OBJECT

public:
    FieldButtonOverlay(QLineEdit *field, QAbstractButton *button, int rightMargin);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QLineEdit *m_field;
    QAbstractButton *m_button;
    int m_rightMargin;
};
