#include "app/Application.h"
#include "library/Library.h"
#include "app/MprisService.h"
#include "gui/mainwindow/MainWindow.h"
#include "app/MessageBoxPrompt.h"
#include "engines/StartupTypes.h"

#include <QMessageBox>

int main(int argc, char **argv)
{
    StartupTypes::registerCrossThreadTypes();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);

    int exitCode = 0;
    {
        Application app(argc, argv);
        MessageBoxPrompt prompt;
        UserPrompt::install(&prompt);

        if (app.isRunning()) {
            QMessageBox::warning(
                nullptr, QObject::tr("Multiple Instances"),
                QObject::tr("There can only be one instance of %1 running at a time")
                    .arg(QCoreApplication::applicationName()));
            UserPrompt::install(nullptr);
            return 0;
        }

        // Sized 1149 by 614, or as the user left it last time.
        auto *window = new MainWindow(Application::engines());
        Application::setMainWindow(window);
        window->show();

        // Media keys and the desktop's media panel, when there is a session bus.
        MprisService mpris(window->transport());
        mpris.setLibrary(Application::library());
        QObject::connect(&mpris, &MprisService::openRequested, window, &MainWindow::openFile);
        QObject::connect(&mpris, &MprisService::raiseRequested, window, [window] {
            window->show();
            window->raise();
            window->activateWindow();
        });
        mpris.registerOnSessionBus();

        Application::library()->startIntegrityCheck();
        QObject::connect(window, &MainWindow::CloseAllTasks, Application::library(),
                         &Library::lastWindowClosed, Qt::DirectConnection);

        exitCode = app.exec();
        UserPrompt::install(nullptr);
    }
    return exitCode;
}
