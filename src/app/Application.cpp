#include "Application.h"

#include "AppIdentity.h"
#include "Library.h"
#include "LibraryAccess.h"
#include "MainWindow.h"
#include "Suggestions.h"

#include <QDir>
#include <QFont>
#include <QMessageBox>
#include <QNetworkProxyFactory>
#include <QSslSocket>
#include <QStringListModel>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {

MainWindow *g_mainWindow = nullptr;
Library *g_library = nullptr;

} // namespace

Application::Application(int &argc, char **argv)
    : ZR::Application(argc, argv)
{
    AppIdentity::apply();
    initLogging(true);
    setFont(QFont(QStringLiteral("Tahoma"), 10));
    addLibraryPath(QDir(applicationDirPath()).absoluteFilePath(QStringLiteral("plugins")));

    // A second copy only reports itself; it leaves the running copy's library alone.
    if (isRunning())
        return;

    Library::setupPaths(QString());
    Library::initDatabase(QString());

    QNetworkProxyFactory::setUseSystemConfiguration(true);
    if (!QSslSocket::supportsSsl()) {
        QMessageBox::information(nullptr, QStringLiteral("CorvanaZELTA"),
                                 tr("This system does not support OpenSSL. SSL websites will "
                                    "not be available."));
    }
    applyWebSettings();

    g_library = new Library();
    LibraryAccess::setLibrary(g_library); // finished downloads go to this library
    Suggestions::model();
    loadSuggestions();
}

Application::~Application()
{
    if (g_mainWindow) {
        g_mainWindow->stop();
        delete g_mainWindow;
        g_mainWindow = nullptr;
    }
    LibraryAccess::setLibrary(nullptr);
    delete g_library;
    g_library = nullptr;
}

void Application::applyWebSettings()
{
    // Attributes without a counterpart in this web engine (Java, developer
    // extras, private browsing, offline caches) have nothing to set.
    QWebEngineSettings *settings = QWebEngineProfile::defaultProfile()->settings();
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, true);
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, true);
    settings->setAttribute(QWebEngineSettings::Accelerated2dCanvasEnabled, true);
    settings->setAttribute(QWebEngineSettings::LinksIncludedInFocusChain, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, true);
}

MainWindow *Application::mainWindow()
{
    return g_mainWindow;
}

void Application::setMainWindow(MainWindow *window)
{
    g_mainWindow = window;
}

Library *Application::library()
{
    return g_library;
}

QStringListModel *Application::suggestionsModel()
{
    return Suggestions::model();
}

int Application::suggestionsVersion()
{
    return Suggestions::version();
}

QString Application::suggestionsFilePath()
{
    return Suggestions::filePath();
}

void Application::loadSuggestions()
{
    Suggestions::load();
}

QString Application::formatByteSize(qint64 bytes)
{
    double size = double(bytes);
    QString unit;
    if (bytes < 1024) {
        unit = tr("bytes");
    } else if (bytes < 1024 * 1024) {
        size /= 1024;
        unit = tr("kB");
    } else if (bytes < 1024 * 1024 * 1024) {
        size /= 1024 * 1024;
        unit = tr("MB");
    } else {
        size /= 1024 * 1024 * 1024;
        unit = tr("GB");
    }
    return QStringLiteral("%1 %2").arg(size, 0, 'f', 1).arg(unit);
}

QString Application::formatTimeRemaining(qint64 seconds)
{
    if (seconds <= 0)
        return QString();
    if (seconds > 60) {
        const int minutes = int(seconds / 60);
        return minutes == 1 ? tr("%n minute remaining", nullptr, minutes)
                            : tr("%n minutes remaining", nullptr, minutes);
    }
    const int secs = int(seconds);
    return secs == 1 ? tr("%n second remaining", nullptr, secs)
                     : tr("%n seconds remaining", nullptr, secs);
}
