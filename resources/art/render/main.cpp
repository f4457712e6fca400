// Renders SVG pictures to PNG (or JPEG) at 1x and @2x:
//   render SRC.svg OUT.png [SRC.svg OUT.png ...]
// A standalone helper, not part of the build:
//   cmake -S resources/art/render -B /tmp/render && cmake --build /tmp/render
#include <QGuiApplication>
#include <QSvgRenderer>
#include <QImage>
#include <QPainter>
#include <QFileInfo>
#include <QDebug>

int main(int argc, char **argv) {
  QGuiApplication app(argc, argv);
  for (int i = 1; i + 1 < argc; i += 2) {
    QSvgRenderer r(QString::fromLocal8Bit(argv[i]));
    if (!r.isValid()) { qWarning() << "bad" << argv[i]; return 1; }
    const QString out = QString::fromLocal8Bit(argv[i + 1]);
    const QFileInfo fi(out);
    for (int scale : {1, 2}) {
      QImage img(r.defaultSize() * scale, QImage::Format_ARGB32_Premultiplied);
      img.fill(fi.suffix() == "jpg" ? Qt::white : Qt::transparent);
      QPainter p(&img); p.setRenderHint(QPainter::Antialiasing); r.render(&p); p.end();
      const QString name = scale == 1 ? out : fi.path() + "/" + fi.completeBaseName() + "@2x." + fi.suffix();
      if (!img.save(name, nullptr, fi.suffix() == "jpg" ? 90 : -1)) { qWarning() << "save" << name; return 1; }
    }
  }
  return 0;
}
