#pragma once

#include <QFrame>

class AutoSizeLabel;
class QLabel;
class QMovie;
class QTimeLine;

// The black strip shown under the header while imports and exports run. It
// slides open and shut (instantly with an animation time of 0).
class StatusWidget : public QFrame
{
    Q_OBJECT

public:
    explicit StatusWidget(QWidget *parent = nullptr);

    QString text() const;
    // Length of the slide in ms; 0 shows and hides at once. The default is
    // 500, and 0 where nothing is seen (the offscreen platform).
    void setAnimationDuration(int ms);
    int animationDuration() const { return m_duration; }
    // True from showStatus() until hideStatus() has finished the slide.
    bool isShowing() const { return m_showing; }
    // True while the strip shows work under way (its spinner turning).
    bool isBusy() const;

public Q_SLOTS:
    void animateStatusWidget(qreal value);
    void animationComplete();
    void showStatus(const QString &message);
    void showStatus();
    // Shows how finished work ended: the text without the spinner.
    void showResult(const QString &message);
    void hideStatus();

private:
    void run(bool forward);

    QLabel *m_busy;
    AutoSizeLabel *m_text;
    QMovie *m_movie;
    QTimeLine *m_timeLine;
    int m_duration = 500;
    int m_fullHeight = 30;
    bool m_showing = false;
};
