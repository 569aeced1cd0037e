// Renders the player's icon from its SVG into the PNG sizes of the hicolor icon theme:
// <out>/<N>x<N>/apps/<name>.png for each size N.
// usage: tv_iconrender ICON.svg OUT_FOLDER NAME SIZE...
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s ICON.svg OUT_FOLDER NAME SIZE...\n", argv[0]);
    return 2;
  }
  QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
  if (!svg.isValid()) {
    std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
    return 1;
  }
  const QDir out(QString::fromLocal8Bit(argv[2]));
  const QString name = QString::fromLocal8Bit(argv[3]);
  for (int i = 4; i < argc; ++i) {
    const int size = QByteArray(argv[i]).toInt();
    if (size < 1 || size > 4096) {
      std::fprintf(stderr, "%s: bad size %s\n", argv[0], argv[i]);
      return 2;
    }
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    svg.render(&p);
    p.end();
    const QString folder = QStringLiteral("%1x%1/apps").arg(size);
    if (!out.mkpath(folder) || !img.save(out.filePath(folder + "/" + name + ".png"), "PNG")) {
      std::fprintf(stderr, "%s: cannot write the %dx%d icon\n", argv[0], size, size);
      return 1;
    }
  }
  return 0;
}
