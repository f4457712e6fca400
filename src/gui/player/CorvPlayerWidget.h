#pragma once

#include <QTimer>
#include <QWidget>

class MediaVideoWidget;
class QVBoxLayout;
class Toolbar;

// The player page: the picture above the transport bar. In full screen the
// picture is a top-level window and the bar floats over it, fading out
// after three seconds without mouse movement.
class CorvPlayerWidget : public QWidget
{
    Q_OBJECT

public:
    static constexpr int FadeDelayMs = 3000;

    explicit CorvPlayerWidget(QWidget *parent = nullptr);
    ~CorvPlayerWidget() override;

    MediaVideoWidget *videoWidget() const { return m_video; }
    Toolbar *toolbar() const { return m_toolbar; }
    QTimer *fadeTimer() { return &m_fadeTimer; }
    bool isInFullScreen() const { return m_fullScreen; }

Q_SIGNALS:
    // Play commands from the bar and the picture's keys (see MainWindow::playCommand).
    void playCommand(int command);

public Q_SLOTS:
    void toggleFullScreen();
    void exitFullScreen();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void placeFloatingToolbar();

    MediaVideoWidget *m_video = nullptr;
    Toolbar *m_toolbar = nullptr;
    QVBoxLayout *m_layout = nullptr;
    QTimer m_fadeTimer;
    bool m_fullScreen = false;
};
