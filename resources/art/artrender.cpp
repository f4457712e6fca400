// Renders the program's SVG artwork to the PNG and JPEG files of the resource
// file, at 1x and (for "2x" entries) at 2x as "name@2x.ext".
// Usage: zelta-artrender <art folder> <resources folder>
#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

namespace {

bool render(const QString &source, const QString &target, QSize size, bool opaque)
{
    QSvgRenderer renderer(source);
    if (!renderer.isValid())
        return false;
    QImage image(size, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(opaque ? Qt::white : Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                           QPainter::TextAntialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    QDir().mkpath(QFileInfo(target).path());
    return image.save(target, nullptr, opaque ? 92 : -1);
}

QString atTwo(const QString &path)
{
    const QFileInfo info(path);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("@2x.") +
           info.suffix();
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 3) {
        err << "usage: zelta-artrender <art folder> <resources folder>\n";
        return 2;
    }
    const QDir art(QString::fromLocal8Bit(argv[1]));
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QFile manifest(art.filePath(QStringLiteral("manifest.txt")));
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text)) {
        err << "no manifest in " << art.path() << "\n";
        return 1;
    }
    int failures = 0;
    while (!manifest.atEnd()) {
        const QString line = QString::fromUtf8(manifest.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList f = line.split(QLatin1Char(' '));
        if (f.size() != 5)
            continue;
        const QSize size(f[2].toInt(), f[3].toInt());
        const bool opaque = f[1].endsWith(QLatin1String(".jpg"));
        const QString target = out.filePath(f[1]);
        bool ok = render(art.filePath(f[0]), target, size, opaque);
        if (ok && f[4] == QLatin1String("2x"))
            ok = render(art.filePath(f[0]), atTwo(target), size * 2, opaque);
        if (!ok) {
            err << "could not render " << f[0] << "\n";
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
