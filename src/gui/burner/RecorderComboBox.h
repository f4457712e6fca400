#pragma once

#include <QComboBox>

// The recorder list of the disc setup dialog. An image file is shown by its
// path, elided in the middle so that both its folder and its name stay in
// sight, with the whole path as the tooltip; the recorder's own name (what
// the controller knows it by) is kept in the item's data.
class RecorderComboBox : public QComboBox
{
    Q_OBJECT

public:
    static constexpr int RecorderRole = Qt::UserRole; // where addItem() puts its data

    explicit RecorderComboBox(QWidget *parent = nullptr);

    // Replaces the list with these recorders.
    void setRecorders(const QStringList &recorders);
    // The recorder name of the item shown (empty without one).
    QString currentRecorder() const;
    // Shows the item of that recorder; false when it is not in the list.
    bool selectRecorder(const QString &recorder);

    // What a recorder is shown as: an image file ("stdio:PATH") by its path.
    static QString displayText(const QString &recorder);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void updateToolTip();
};
