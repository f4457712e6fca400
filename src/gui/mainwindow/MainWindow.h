#pragma once

#include <QMainWindow>

// The program's only top-level window.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Stops playback.
    void stop();

Q_SIGNALS:
    void CloseAllTasks();

protected:
    void closeEvent(QCloseEvent *event) override;
};
