// Renders the program's SVG icon as a PNG of one size, for the icon theme's fixed-size folders
// (desktops that can't read SVG icons take these): icon_png SVG PNG SIZE.

#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
  if (argc != 4) {
    std::fputs("usage: icon_png SVG PNG SIZE\n", stderr);
    return 2;
  }
  QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
  const int size = std::atoi(argv[3]);
  if (!svg.isValid() || size <= 0) {
    std::fprintf(stderr, "icon_png: cannot read %s\n", argv[1]);
    return 1;
  }
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  svg.render(&painter);
  painter.end();
  if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "icon_png: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
