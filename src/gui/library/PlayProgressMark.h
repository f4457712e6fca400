#pragma once

#include <QWidget>

// Drawn over a tile's picture: a thin line along its bottom edge showing how
// much of a started video was played, or a "watched" mark in its corner for a
// video played to the end. Lets every mouse event through to the picture.
class PlayProgressMark : public QWidget
{
    Q_OBJECT

public:
    explicit PlayProgressMark(QWidget *picture);

    // `progress` 0.0 to 1.0 (0: not started); `watched`: played to the end.
    void setState(double progress, bool watched);
    double progress() const { return m_progress; }
    bool isWatched() const { return m_watched; }
    // What a screen reader is told about the tile's progress (empty: nothing).
    QString description() const { return describe(m_progress, m_watched); }
    static QString describe(double progress, bool watched);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    double m_progress = 0.0;
    bool m_watched = false;
};
