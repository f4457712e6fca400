#pragma once

#include <QObject>
#include <QPixmap>

class QLineEdit;

// Draws the search fields' picture (":/images/search_new/input_field.png")
// under a line edit whose style sheet leaves its background transparent: its
// rounded ends kept, its middle stretched, sharp at every scale.
class FieldBackground : public QObject
{
    Q_OBJECT

public:
    explicit FieldBackground(QLineEdit *field);

    // Keeps `field` at least as wide as its placeholder needs, whatever the
    // language ("Meine Bibliothek durchsuchen" shown whole).
    static void fitPlaceholder(QLineEdit *field);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_field;
    QPixmap m_picture;
    qreal m_pictureRatio = 0;
};
