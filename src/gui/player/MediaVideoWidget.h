#pragma once

#include <QVideoWidget>

class QAction;

// The picture of the player. Space plays or pauses, Left and Right seek by
// ten seconds, Escape leaves full screen, Alt+Return toggles it.
class MediaVideoWidget : public QVideoWidget
{
    Q_OBJECT

public:
    explicit MediaVideoWidget(QWidget *parent = nullptr);

    QAction *fullScreenAction() const { return m_fullScreenAction; }

Q_SIGNALS:
    void toggleFullScreen();
    void exitFullScreen();
    // A play command for the transport (0 play/pause, 2 back, 3 forward).
    void playCommand(int command);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QAction *m_fullScreenAction = nullptr;
};
