#include "ui/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace zorbe {

bool TQtClipboard::HasText() const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data != nullptr && data->hasText();
}

std::string TQtClipboard::Text() const {
  return QGuiApplication::clipboard()->text().toStdString();
}

void TQtClipboard::SetText(const std::string& utf8) {
  QGuiApplication::clipboard()->setText(QString::fromStdString(utf8));
}

} // namespace zorbe
