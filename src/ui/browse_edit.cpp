#include "ui/browse_edit.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

namespace zorbe {

TBrowseEdit::TBrowseEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), button_(new QToolButton(this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(1);
  layout->addWidget(edit_, 1);
  layout->addWidget(button_);
  button_->setText(QStringLiteral("..."));
  button_->setToolTip(QStringLiteral("参照"));
  button_->setFocusPolicy(Qt::TabFocus); // Tab reaches it after the field
  setFocusProxy(edit_);
  connect(edit_, &QLineEdit::textChanged, this, &TBrowseEdit::textChanged);
  connect(button_, &QToolButton::clicked, this, [this] {
    const QString chosen = Browse();
    if (!chosen.isEmpty()) {
      setText(chosen);
    }
  });
}

QString TBrowseEdit::text() const {
  return edit_->text();
}

void TBrowseEdit::setText(const QString& text) {
  edit_->setText(text);
}

void TBrowseEdit::SetAccessibleCaption(const QString& caption) {
  edit_->setAccessibleName(caption);
  button_->setAccessibleName(caption + QStringLiteral("を選択"));
}

void TBrowseEdit::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) {
    // The palette of a disabled field is the button face already; keep the button in step.
    button_->setEnabled(isEnabled());
  }
}

} // namespace zorbe
