// Renders one of the station's pictures from its SVG source: ResRender <source.svg> <width> <height> <out>...
// Every output gets the same picture; its format follows the file name (".bmp" 24-bit, ".jpg"), as the
// station's readers expect. Returns non-zero, with the reason, when the source does not render or a file
// cannot be written, so the build stops instead of shipping a station without its pictures.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s <source.svg> <width> <height> <out>...\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QSvgRenderer source(QString::fromLocal8Bit(argv[1]));
  const int width = std::atoi(argv[2]);
  const int height = std::atoi(argv[3]);
  if (!source.isValid() || width <= 0 || height <= 0) {
    std::fprintf(stderr, "ResRender: %s does not render at %sx%s\n", argv[1], argv[2], argv[3]);
    return 1;
  }
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(Qt::white);
  {
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    source.render(&painter);
  }
  const QImage flat = picture.convertToFormat(QImage::Format_RGB888);
  for (int i = 4; i < argc; ++i) {
    const QString out = QString::fromLocal8Bit(argv[i]);
    const char* format = out.endsWith(".jpg", Qt::CaseInsensitive) ? "JPG" : "BMP";
    if (!flat.save(out, format, 95)) {
      std::fprintf(stderr, "ResRender: cannot write %s\n", argv[i]);
      return 1;
    }
  }
  return 0;
}
