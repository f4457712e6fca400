#include "core/Platform.h"
#include "core/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QSysInfo>
#include <QtDebug>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace Platform {

namespace {

// Neutral names as the callers know them, mapped to the programs that do the job
// here, in order of preference.
const QHash<QString, QStringList> &toolTable()
{
    static const QHash<QString, QStringList> table = {
        {QStringLiteral("encoder"), {QStringLiteral("ffmpeg")}},
        {QStringLiteral("ffmpeg"), {QStringLiteral("ffmpeg")}},
        {QStringLiteral("mencoder"), {QStringLiteral("mencoder")}},
        {QStringLiteral("jpegconverter"), {QStringLiteral("jpegtopnm")}},
        {QStringLiteral("ppmconverter"), {QStringLiteral("ppmtoy4m")}},
        {QStringLiteral("mpegencoder"), {QStringLiteral("mpeg2enc")}},
        {QStringLiteral("multiplexer"), {QStringLiteral("mplex")}},
        {QStringLiteral("subtitler"), {QStringLiteral("spumux")}},
        {QStringLiteral("authortool"), {QStringLiteral("dvdauthor")}},
        {QStringLiteral("cdcreator"),
         {QStringLiteral("mkisofs"), QStringLiteral("genisoimage"), QStringLiteral("xorrisofs")}},
        {QStringLiteral("mkisofs"),
         {QStringLiteral("mkisofs"), QStringLiteral("genisoimage"), QStringLiteral("xorrisofs")}},
        {QStringLiteral("vcdgenerator"), {QStringLiteral("vcdxgen")}},
        {QStringLiteral("vcdbuilder"), {QStringLiteral("vcdxbuild")}},
        {QStringLiteral("cdrtool"), {QStringLiteral("cdrdao")}},
    };
    return table;
}

QString stripExe(QString tool)
{
    if (tool.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        tool.chop(4);
    return tool;
}

} // namespace

QString binaryDirectory()
{
    const QString programDir =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return QDir(programDir).absoluteFilePath(QStringLiteral("Binaries"));
}

QStringList programNames(const QString &tool)
{
    const QString name = stripExe(tool);
    return toolTable().value(name, QStringList{name});
}

QString binaryPath(const QString &tool, const QString &missingMessage)
{
    const QString name = stripExe(tool);
    const QDir bundled(binaryDirectory());
    if (bundled.exists()) {
        const QFileInfo info(bundled.filePath(name));
        if (info.isFile() && info.isExecutable())
            return info.absoluteFilePath();
    }
    for (const QString &program : programNames(name)) {
        const QString found = QStandardPaths::findExecutable(program);
        if (!found.isEmpty())
            return found;
    }
    if (!missingMessage.isEmpty())
        qCWarning(lcCore).noquote() << missingMessage << name;
    return QString();
}

QString osDescription()
{
    return QSysInfo::prettyProductName();
}

void keepAllocatorPausesShort()
{
#ifdef __GLIBC__
    mallopt(M_MXFAST, 0);
#endif
}

} // namespace Platform
