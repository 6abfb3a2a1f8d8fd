#include "ui/folder_edit.h"

#include <QFileDialog>

namespace zorbe {

QString TFolderEdit::Browse() {
  QString start = text().trimmed();
  start.remove(QLatin1Char('"'));
  return QFileDialog::getExistingDirectory(window(), QStringLiteral("フォルダの選択"), start);
}

} // namespace zorbe
