#include "app/ZRApplication.h"

#include "core/LogFile.h"
#include "core/SingleInstanceGuard.h"

namespace ZR {

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
    , m_guard(std::make_unique<SingleInstanceGuard>(QStringLiteral("CorvanaZELTA")))
{
    setQuitOnLastWindowClosed(true);
}

Application::~Application()
{
    LogFile::close();
}

bool Application::isRunning() const
{
    return m_guard->isRunning();
}

void Application::initLogging(bool installHandler)
{
    LogFile::init(installHandler);
}

QString Application::logFilePath()
{
    return LogFile::logFilePath();
}

QString Application::platformDescription()
{
    return LogFile::platformDescription();
}

} // namespace ZR
