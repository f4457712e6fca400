#include "gui/mainwindow/MainWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QIcon>
#include <QSettings>
#include <QWidget>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setCentralWidget(new QWidget(this));
    setWindowTitle(tr("Corvana Zelta %1").arg(QCoreApplication::applicationVersion()));
    setWindowIcon(QIcon(QStringLiteral(":/images/corvana_logo.png")));
    resize(1149, 614);
}

MainWindow::~MainWindow()
{
    QSettings settings;
    settings.setValue(QStringLiteral("WindowPosition"), pos());
    settings.setValue(QStringLiteral("WindowSize"), size());
}

void MainWindow::stop()
{
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    Q_EMIT CloseAllTasks();
    event->accept();
}
