#include "ui/app_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The resources live in a static library: nothing else refers to them, so they are registered
// here, where they are used.
static void InitIconResources() {
  Q_INIT_RESOURCE(icons);
}

namespace zorbe {

QIcon AppIcon() {
  InitIconResources();
  // Rendered here rather than through the SVG icon-engine plugin, so the icon never depends on
  // a plugin being installed beside Qt.
  QSvgRenderer renderer(QString::fromLatin1(kMainIconResource));
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

} // namespace zorbe
