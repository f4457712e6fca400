#include "app/Application.h"
#include "app/AtSpiGetAllShim.h"
#include "app/DescriptorOpener.h"
#include "app/DesktopNotifier.h"
#include "app/MprisService.h"
#include "core/Logging.h"
#include "core/Platform.h"
#include "core/SingleInstanceGuard.h"
#include "engines/Engines.h"
#include "engines/StartupTypes.h"
#include "gui/mainwindow/MainWindow.h"
#include "library/Library.h"

#include <QDir>
#include <QMessageBox>

#include <cstdio>

namespace {

void bringToFront(QWidget *window)
{
    window->showNormal();
    window->raise();
    window->activateWindow();
}

} // namespace

int main(int argc, char **argv)
{
    Platform::keepAllocatorPausesShort();
    StartupTypes::registerCrossThreadTypes();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);

    int exitCode = 0;
    {
        Application app(argc, argv);
        AtSpiGetAllShim atSpiShim;

        const QList<QUrl> descriptors = DescriptorOpener::urlsFromArguments(
            QCoreApplication::arguments().mid(1), QDir::currentPath());
        if (app.isRunning() && !descriptors.isEmpty()) {
            // The running copy queues them; this one only hands them over.
            if (app.instanceGuard()->sendMessage(DescriptorOpener::encode(descriptors)))
                return 0;
            const QString why =
                QObject::tr("The running copy of %1 did not take the descriptor; open it there.")
                    .arg(QCoreApplication::applicationName());
            qCWarning(lcApp).noquote() << "main:" << why;
            fprintf(stderr, "%s\n", qPrintable(why));
            return 1;
        }
        if (app.isRunning()) {
            QMessageBox::warning(
                nullptr, QObject::tr("Multiple Instances"),
                QObject::tr("There can only be one instance of %1 running at a time")
                    .arg(QCoreApplication::applicationName()));
            return 0;
        }

        // Sized 1149 by 614, or as the user left it last time.
        MainWindow *window = app.createMainWindow();
        window->show();

        // Media keys and the desktop's media panel, when there is a session bus.
        MprisService mpris(window->transport());
        mpris.setLibrary(app.library());
        mpris.setTvMode(window->tvMode());
        QObject::connect(&mpris, &MprisService::openRequested, window, &MainWindow::openFile);
        QObject::connect(&mpris, &MprisService::raiseRequested, window, [window] {
            window->show();
            window->raise();
            window->activateWindow();
        });
        mpris.registerOnSessionBus();

        app.library()->startIntegrityCheck();
        QObject::connect(window, &MainWindow::CloseAllTasks, app.library(),
                         &Library::lastWindowClosed, Qt::DirectConnection);

        DescriptorOpener opener(app.engines());
        QObject::connect(app.instanceGuard(), &SingleInstanceGuard::messageReceived, &opener,
                         &DescriptorOpener::openMessage);
        QObject::connect(&opener, &DescriptorOpener::requested, window,
                         [window] { bringToFront(window); });
        opener.open(descriptors);

        DesktopNotifier notifier;
        notifier.followDownloads(app.engines()->downloadManager());
        QObject::connect(app.engines(), &Engines::burnFinished, &notifier,
                         &DesktopNotifier::burnFinished);
        QObject::connect(&notifier, &DesktopNotifier::activated, window,
                         [window](DesktopNotifier::Target target) {
                             bringToFront(window);
                             if (target == DesktopNotifier::Downloads)
                                 window->setDownloadSelected();
                             else
                                 window->selectSidebarItem(QStringLiteral("library"));
                         });

        exitCode = app.exec();
    }
    return exitCode;
}
