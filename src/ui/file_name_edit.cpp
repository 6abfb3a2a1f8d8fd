#include "ui/file_name_edit.h"

#include "app/message_routine.h"
#include "app/output_field.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace zorbe {

QString QtFileFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    QString patterns = parts[i + 1];
    description.replace(QStringLiteral("*.*"), QStringLiteral("*"));
    patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    // Qt reads the patterns from the parentheses of the description.
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (open >= 0) {
      description = description.left(open).trimmed();
    }
    filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
  }
  return filters.join(QStringLiteral(";;"));
}

TFileNameEdit::TFileNameEdit(TMode mode, QWidget* parent) : TBrowseEdit(parent), mode_(mode) {}

void TFileNameEdit::SetDialog(const QString& title, const QString& filter,
                              const QString& defaultSuffix) {
  title_ = title;
  filter_ = QtFileFilter(filter);
  defaultSuffix_ = defaultSuffix;
}

QString TFileNameEdit::Browse() {
  QString start = text().trimmed();
  start.remove(QLatin1Char('"'));
  if (start.isEmpty()) {
    start = startFolder_;
  }
  QFileDialog dialog(window(), title_, start, filter_);
  if (mode_ == TMode::Open) {
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
  } else {
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix_);
  }
  for (;;) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
      return {};
    }
    const QString chosen = dialog.selectedFiles().constFirst();
    const QFileInfo info(chosen);
    // A save dialog refuses a file that can't be written, as it would only fail later.
    if (mode_ == TMode::Open || !info.exists() || info.isWritable()) {
      return quoted_ ? QString::fromStdString(QuotedName(chosen.toStdString())) : chosen;
    }
    ShowMessage("「" + chosen.toStdString() + "」は書き込みできません。\r\n" +
                    "別のファイル名を指定して下さい。",
                TMsgKind::Error, TMsgButtons::OK);
  }
}

} // namespace zorbe
