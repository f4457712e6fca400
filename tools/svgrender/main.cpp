// Renders one of our SVG pictures to a PNG of the given size, at build time:
//   zelta-svgrender SOURCE.svg OUTPUT.png WIDTH [HEIGHT]
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4 || args.size() > 5) {
        QTextStream(stderr) << "usage: zelta-svgrender SOURCE.svg OUTPUT.png WIDTH [HEIGHT]\n";
        return 2;
    }
    bool widthOk = false;
    bool heightOk = true;
    const int width = args.at(3).toInt(&widthOk);
    const int height = args.size() == 5 ? args.at(4).toInt(&heightOk) : width;
    QSvgRenderer renderer(args.at(1));
    if (!widthOk || !heightOk || width <= 0 || height <= 0 || !renderer.isValid()) {
        QTextStream(stderr) << "zelta-svgrender: cannot render " << args.at(1) << '\n';
        return 1;
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    renderer.render(&painter);
    painter.end();
    if (!image.save(args.at(2), "PNG")) {
        QTextStream(stderr) << "zelta-svgrender: cannot write " << args.at(2) << '\n';
        return 1;
    }
    return 0;
}
